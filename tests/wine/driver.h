// What the Wine tests share: failure reports, files in Windows paths, the
// program under test started as a child process, and its windows driven
// from outside the way a user drives them.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "resources/resource.h"

// What every case is handed: a scratch folder of its own, the x86_64
// program that runs here and the PE32 product that is only inspected.
struct CaseContext {
    std::string scratch;
    std::string program;
    std::string product;
};

// Prints a failure and marks the case failed.
void Fail(const char* format, ...);
// Fails with the message unless `condition`; returns `condition`.
bool Expect(bool condition, const char* format, ...);
// Fails, showing both values, unless they are equal; returns whether they are.
bool ExpectText(const std::string& actual, const std::string& expected, const char* what);
// The same for numbers.
bool ExpectNumber(int64_t actual, int64_t expected, const char* what);
// Whether any check of this run has failed.
bool AnyFailure();

// "/a/b" becomes "Z:\a\b"; a path that is already a Windows one is kept.
std::string WindowsPath(const std::string& path);
// Where the last path separator of `path` is, reading it in the ANSI code
// page so that the second byte of a double-byte character never counts;
// npos when there is none.
size_t LastSeparator(const std::string& path);
// `directory` + "\" + `name`.
std::string InFolder(const std::string& directory, const std::string& name);
// `text` with A to Z made a to z and every other byte kept.
std::string LowercaseAscii(std::string text);
// Empties `path` (removing what it holds, read-only files included) or
// makes it; false when that fails.
bool MakeEmptyFolder(const std::string& path);
// Makes `path` and the folders above it when missing; false, with a
// failure reported, when that fails.
bool MakeFolder(const std::string& path);
// Whether a file or folder of that name exists.
bool FileExists(const std::string& path);
// Reads or writes a whole file; false, with a failure reported, on error.
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// Copy and delete files; false, with a failure reported, on error.
bool CopyWholeFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// `size` bytes that differ from block to block and from `seed` to `seed`,
// so that a byte out of place never matches.
std::string PatternBytes(size_t size, uint32_t seed);
// The lengths of the files `<base>_00.exe`, `<base>_01`, ... in `folder`,
// as far as they run without a gap.
std::vector<int64_t> PartLengths(const std::string& folder, const std::string& baseName);
// "<base>_00.exe" for index 0, "<base>_NN" after it.
std::string PartName(const std::string& baseName, int index);

// A child process running the program under test; a program still running
// when this goes away is ended.
struct Program {
    PROCESS_INFORMATION info = {};
    bool started = false;

    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();
};

// Starts `exe` with `arguments` in `directory`; false, with a failure
// reported, when it cannot be started.
bool StartProgram(const std::string& exe, const std::string& arguments, const std::string& directory, Program* program);
// Waits until the program has ended and checks that its exit status is 0.
bool ExpectProgramEnds(Program& program, const char* why);
// Checks that the program is still running after a short grace time.
bool ExpectProgramRuns(Program& program, const char* why);

// The program's top-level dialog, visible, with no owner; nullptr, with a
// failure reported, when none appears within the time limit.
HWND WaitForMainDialog(Program& program);
// A visible dialog window of the program owned by `owner` (a message box or
// the file chooser); nullptr when none appears within `milliseconds`.
HWND WaitForOwnedWindow(Program& program, HWND owner, DWORD milliseconds);
// The owned window that is open now, if any.
HWND OwnedWindowNow(Program& program, HWND owner);

// A window's text as the window itself answers it.
std::string WindowText(HWND window);
// The text the system keeps for a window of another process, read without
// waiting for that process to answer.
std::string StoredWindowText(HWND window);
// The screen's pixels inside `area`, as 24-bit rows from the bottom up;
// empty, with a failure reported, when the screen cannot be read.
std::string ScreenPixels(const RECT& area);
// What a user sees of a dialog's control: its text (a missing control
// fails the case), whether it is marked, whether it can be pressed.
std::string ItemText(HWND dialog, int id);
bool IsItemChecked(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
// The window class, such as "#32770" for a dialog.
std::string ClassName(HWND window);
// The window that has the keyboard focus in the program's thread.
HWND FocusOf(Program& program);
// Replaces the text of an edit box as typing would.
void TypeText(HWND dialog, int id, const std::string& text);
// Presses Enter in the control, which a dialog sends to its default button.
void PressEnter(HWND control);
// Clicks a button without waiting for what the click does.
void Click(HWND dialog, int id);
// Clicks a button and waits until the dialog has handled the click; false
// when that takes longer than `milliseconds`, as when it opened a box.
bool ClickAndWait(HWND dialog, int id, DWORD milliseconds);
// The title bar's close command.
void CloseByTitleBar(HWND dialog);
// Polls until the control's text equals `expected`; returns the last text seen.
std::string WaitForItemText(HWND dialog, int id, const std::string& expected, DWORD milliseconds);

// A message box as the user saw it.
struct Notice {
    std::string caption;
    std::string text;
    bool stopIcon = false;
};
// Waits for a message box owned by `dialog`, reads it and presses its OK
// button; false, with a failure reported, when none appears.
bool TakeNotice(Program& program, HWND dialog, Notice* notice);
// Checks a notice against what it should say.
void ExpectNotice(const Notice& notice, const std::string& text, const std::string& caption, bool stopIcon);
// Fails when a message box of `dialog` is open now, pressing its OK button.
void ExpectNoNotice(Program& program, HWND dialog, const char* why);
// Waits until the program ends with status 0 and fails on any message box
// it shows meanwhile (which is read and dismissed).
bool ExpectEndWithoutNotice(Program& program, HWND dialog, const char* why);

// Clicks "&File ..." and returns the chooser it opens once its controls
// are there, checking its title; nullptr, with a failure, when none opens.
// The chooser's memory of folders from earlier runs is cleared first, so
// it always opens in the program's current directory.
HWND OpenFileChooser(Program& program, HWND dialog);
// Chooses `path` in the dialog's file chooser the way a user types into
// the chooser's name field: the folder first, which the chooser opens, then
// the file's name. (Wine's chooser leaves the current directory in the
// folder it shows, not in that of a full path typed.) The chooser must not
// already show that folder. False, with a failure reported, on the way.
bool ChooseInFileChooser(Program& program, HWND dialog, const std::string& path);
// Opens the chooser and cancels it.
bool CancelFileChooser(Program& program, HWND dialog);

// The trailer at the end of part 0, read from its bytes.
struct TrailerFields {
    std::string sourcePath;
    bool zeroAfterPath = false;
    int32_t stubSize = 0;
    int32_t sourceSize = 0;
    int32_t lastPartIndex = 0;
};
// Reads the last 272 bytes of `bytes`; false when it is shorter.
bool ReadTrailer(const std::string& bytes, TrailerFields* trailer);
// The 272 trailer bytes for these fields, little-endian.
std::string TrailerBytes(const std::string& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex);
