#include "driver.h"

#include <stdarg.h>
#include <stdio.h>

static bool gFailed = false;
static const DWORD WindowWait = 20000;
static const DWORD ExitWait = 60000;
static const DWORD PollStep = 50;
static const int MessageBoxTextId = 0xFFFF;
static const int MessageBoxIconId = 1088;
static const int ChooserNameField = 1148;

void Fail(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    fputs("FAIL: ", stdout);
    vprintf(format, arguments);
    fputs("\n", stdout);
    fflush(stdout);
    va_end(arguments);
    gFailed = true;
}

bool Expect(bool condition, const char* format, ...)
{
    if (condition)
        return true;
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    Fail("%s", text);
    return false;
}

bool ExpectText(const std::string& actual, const std::string& expected, const char* what)
{
    return Expect(actual == expected, "%s: got \"%s\", expected \"%s\"", what, actual.c_str(), expected.c_str());
}

bool ExpectNumber(int64_t actual, int64_t expected, const char* what)
{
    return Expect(actual == expected, "%s: got %lld, expected %lld", what, static_cast<long long>(actual),
                  static_cast<long long>(expected));
}

bool AnyFailure()
{
    return gFailed;
}

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string result = "Z:" + path;
    for (char& c : result)
        if (c == '/')
            c = '\\';
    return result;
}

size_t LastSeparator(const std::string& path)
{
    size_t last = std::string::npos;
    for (size_t at = 0; at < path.size(); ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[at])) && at + 1 < path.size())
            ++at;
        else if (path[at] == '\\')
            last = at;
    }
    return last;
}

std::string InFolder(const std::string& directory, const std::string& name)
{
    if (!directory.empty() && LastSeparator(directory) == directory.size() - 1)
        return directory + name;
    return directory + "\\" + name;
}

std::string LowercaseAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Removes everything inside `path`, leaving the folder itself.
static bool RemoveContents(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InFolder(path, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool removed = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string inner = InFolder(path, name);
        SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            removed = RemoveContents(inner) && RemoveDirectoryA(inner.c_str()) && removed;
        else
            removed = DeleteFileA(inner.c_str()) && removed;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return removed;
}

bool MakeFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    const size_t slash = LastSeparator(path);
    if (slash == std::string::npos || slash < 3 || !MakeFolder(path.substr(0, slash)))
        return Expect(false, "cannot make folder %s", path.c_str());
    return Expect(CreateDirectoryA(path.c_str(), nullptr) != 0, "cannot make folder %s", path.c_str());
}

bool MakeEmptyFolder(const std::string& path)
{
    if (!MakeFolder(path))
        return false;
    return Expect(RemoveContents(path), "cannot empty folder %s", path.c_str());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWholeFile(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Expect(false, "cannot open %s (error %lu)", path.c_str(), GetLastError());
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read) {
        bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        read = bytes->empty() ||
               (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) && got == bytes->size());
    }
    CloseHandle(file);
    return Expect(read, "cannot read %s", path.c_str());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Expect(false, "cannot create %s (error %lu)", path.c_str(), GetLastError());
    DWORD put = 0;
    bool written = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                                     put == bytes.size());
    bool closed = CloseHandle(file) != 0;
    return Expect(written && closed, "cannot write %s", path.c_str());
}

bool CopyWholeFile(const std::string& from, const std::string& to)
{
    return Expect(CopyFileA(from.c_str(), to.c_str(), FALSE) != 0, "cannot copy %s to %s (error %lu)", from.c_str(),
                  to.c_str(), GetLastError());
}

bool RemoveFile(const std::string& path)
{
    return Expect(DeleteFileA(path.c_str()) != 0, "cannot remove %s", path.c_str());
}

std::string PatternBytes(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string PartName(const std::string& baseName, int index)
{
    char number[16];
    snprintf(number, sizeof number, "_%02d", index);
    return baseName + number + (index == 0 ? ".exe" : "");
}

std::vector<int64_t> PartLengths(const std::string& folder, const std::string& baseName)
{
    std::vector<int64_t> lengths;
    for (int index = 0;; ++index) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(InFolder(folder, PartName(baseName, index)).c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return lengths;
        lengths.push_back(static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    }
}

Program::~Program()
{
    if (!started)
        return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, ExitWait);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

bool StartProgram(const std::string& exe, const std::string& arguments, const std::string& directory, Program* program)
{
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &program->info))
        return Expect(false, "cannot start %s (error %lu)", exe.c_str(), GetLastError());
    program->started = true;
    return true;
}

bool ExpectProgramEnds(Program& program, const char* why)
{
    if (WaitForSingleObject(program.info.hProcess, ExitWait) != WAIT_OBJECT_0)
        return Expect(false, "%s: the program is still running", why);
    DWORD status = 1;
    GetExitCodeProcess(program.info.hProcess, &status);
    return Expect(status == 0, "%s: the program ended with status %lu, expected 0", why, status);
}

bool ExpectProgramRuns(Program& program, const char* why)
{
    if (WaitForSingleObject(program.info.hProcess, 500) == WAIT_TIMEOUT)
        return true;
    DWORD status = 0;
    GetExitCodeProcess(program.info.hProcess, &status);
    return Expect(false, "%s: the program has ended with status 0x%08lX", why, status);
}

struct WindowQuery {
    DWORD processId;
    HWND owner;
    HWND found;
};

// Picks a visible dialog window of the queried process and owner.
static BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    WindowQuery* query = reinterpret_cast<WindowQuery*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != query->processId || !IsWindowVisible(window) || ClassName(window) != "#32770" ||
        GetWindow(window, GW_OWNER) != query->owner)
        return TRUE;
    query->found = window;
    return FALSE;
}

// The first window that matches, polled until `milliseconds` have passed.
static HWND PollForWindow(Program& program, HWND owner, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        WindowQuery query = {program.info.dwProcessId, owner, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found || GetTickCount() - start >= milliseconds)
            return query.found;
        if (WaitForSingleObject(program.info.hProcess, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(PollStep);
    }
}

HWND WaitForMainDialog(Program& program)
{
    HWND dialog = PollForWindow(program, nullptr, WindowWait);
    Expect(dialog != nullptr, "no dialog appeared");
    return dialog;
}

HWND WaitForOwnedWindow(Program& program, HWND owner, DWORD milliseconds)
{
    return PollForWindow(program, owner, milliseconds);
}

HWND OwnedWindowNow(Program& program, HWND owner)
{
    return PollForWindow(program, owner, 0);
}

std::string WindowText(HWND window)
{
    char text[1100] = "";
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string StoredWindowText(HWND window)
{
    char text[1100] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ScreenPixels(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string pixels;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            pixels.assign(static_cast<const char*>(bits), ((static_cast<size_t>(width) * 3 + 3) & ~size_t(3)) * height);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Expect(!pixels.empty(), "cannot read the screen");
    return pixels;
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    if (!Expect(item != nullptr, "the dialog has no control %d", id))
        return "";
    return WindowText(item);
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsItemChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != 0;
}

HWND FocusOf(Program& program)
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(program.info.dwThreadId, &thread))
        return nullptr;
    return thread.hwndFocus;
}

void TypeText(HWND dialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressEnter(HWND control)
{
    PostMessageA(control, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(control, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool ClickAndWait(HWND dialog, int id, DWORD milliseconds)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, milliseconds, &result) != 0;
}

void CloseByTitleBar(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string WaitForItemText(HWND dialog, int id, const std::string& expected, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::string text = ItemText(dialog, id);
        if (text == expected || GetTickCount() - start >= milliseconds)
            return text;
        Sleep(PollStep);
    }
}

// Reads the box and presses OK, then waits until it has gone.
static void ReadAndDismiss(HWND box, Notice* notice)
{
    notice->caption = WindowText(box);
    notice->text = ItemText(box, MessageBoxTextId);
    HWND icon = GetDlgItem(box, MessageBoxIconId);
    notice->stopIcon = icon && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    Click(box, IDOK);
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < WindowWait)
        Sleep(PollStep);
    Expect(!IsWindow(box) || !IsWindowVisible(box), "the message box \"%s\" did not close", notice->text.c_str());
}

bool TakeNotice(Program& program, HWND dialog, Notice* notice)
{
    HWND box = WaitForOwnedWindow(program, dialog, WindowWait);
    if (!Expect(box != nullptr, "no message box appeared"))
        return false;
    ReadAndDismiss(box, notice);
    return true;
}

void ExpectNotice(const Notice& notice, const std::string& text, const std::string& caption, bool stopIcon)
{
    ExpectText(notice.text, text, "notice text");
    ExpectText(notice.caption, caption, "notice caption");
    Expect(notice.stopIcon == stopIcon, "notice \"%s\" %s the stop icon", notice.text.c_str(),
           stopIcon ? "lacks" : "shows");
}

void ExpectNoNotice(Program& program, HWND dialog, const char* why)
{
    HWND box = OwnedWindowNow(program, dialog);
    if (!box)
        return;
    Notice notice;
    ReadAndDismiss(box, &notice);
    Fail("%s: unexpected message box \"%s\" (caption \"%s\")", why, notice.text.c_str(), notice.caption.c_str());
}

bool ExpectEndWithoutNotice(Program& program, HWND dialog, const char* why)
{
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(program.info.hProcess, PollStep) == WAIT_TIMEOUT) {
        if (OwnedWindowNow(program, dialog)) {
            ExpectNoNotice(program, dialog, why);
            return false;
        }
        if (GetTickCount() - start >= ExitWait)
            return Expect(false, "%s: the program is still running", why);
    }
    return ExpectProgramEnds(program, why);
}

// Picks the edit box inside the chooser's name field.
static BOOL CALLBACK MatchNameEdit(HWND window, LPARAM found)
{
    if (ClassName(window) != "Edit" || GetDlgCtrlID(window) != ChooserNameField)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The edit box in which the user types a name into the chooser.
static HWND NameEdit(HWND chooser)
{
    HWND edit = nullptr;
    EnumChildWindows(chooser, MatchNameEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

HWND OpenFileChooser(Program& program, HWND dialog)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32");
    Click(dialog, IDC_CHOOSE_FILE);
    HWND chooser = WaitForOwnedWindow(program, dialog, WindowWait);
    if (!Expect(chooser != nullptr, "\"&File ...\" opened no chooser"))
        return nullptr;
    const DWORD start = GetTickCount();
    while (IsWindow(chooser) && !(NameEdit(chooser) && WindowText(chooser) == "Select File") &&
           GetTickCount() - start < WindowWait)
        Sleep(PollStep);
    ExpectText(WindowText(chooser), "Select File", "chooser title");
    return chooser;
}

// Presses a button of the chooser and waits until the chooser has gone.
static bool CloseFileChooser(HWND chooser, int button)
{
    Click(chooser, button);
    const DWORD start = GetTickCount();
    while (IsWindow(chooser) && GetTickCount() - start < WindowWait)
        Sleep(PollStep);
    return Expect(!IsWindow(chooser), "the file chooser stayed open");
}

bool ChooseInFileChooser(Program& program, HWND dialog, const std::string& path)
{
    HWND chooser = OpenFileChooser(program, dialog);
    if (!chooser)
        return false;
    HWND field = GetDlgItem(chooser, ChooserNameField);
    if (!Expect(field != nullptr, "the chooser has no file name field"))
        return false;
    const size_t slash = LastSeparator(path);
    const std::string folder = path.substr(0, slash);
    const std::string name = path.substr(slash + 1);
    HWND edit = NameEdit(chooser);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    if (!Expect(edit && WindowText(edit) == folder, "the chooser's name field did not take the text"))
        return false;
    Click(chooser, IDOK);
    const DWORD start = GetTickCount();
    while (IsWindow(chooser) && WindowText(edit) == folder && GetTickCount() - start < WindowWait)
        Sleep(PollStep);
    if (!Expect(IsWindow(chooser) && WindowText(edit).empty(),
                "the chooser did not open the folder %s (or showed it already)", folder.c_str()))
        return false;
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return CloseFileChooser(chooser, IDOK);
}

bool CancelFileChooser(Program& program, HWND dialog)
{
    HWND chooser = OpenFileChooser(program, dialog);
    return chooser && CloseFileChooser(chooser, IDCANCEL);
}

// The signed 32-bit little-endian number at `at`.
static int32_t LittleEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return static_cast<int32_t>(value);
}

bool ReadTrailer(const std::string& bytes, TrailerFields* trailer)
{
    if (bytes.size() < 272)
        return false;
    const std::string tail = bytes.substr(bytes.size() - 272);
    const size_t end = tail.find('\0');
    if (end == std::string::npos || end >= 260)
        return false;
    trailer->sourcePath = tail.substr(0, end);
    trailer->zeroAfterPath = tail.find_first_not_of('\0', end) >= 260;
    trailer->stubSize = LittleEndian32(tail, 260);
    trailer->sourceSize = LittleEndian32(tail, 264);
    trailer->lastPartIndex = LittleEndian32(tail, 268);
    return true;
}

std::string TrailerBytes(const std::string& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex)
{
    std::string bytes(272, '\0');
    bytes.replace(0, sourcePath.size(), sourcePath);
    const int32_t fields[] = {stubSize, sourceSize, lastPartIndex};
    for (int field = 0; field < 3; ++field)
        for (int i = 0; i < 4; ++i)
            bytes[260 + 4 * field + i] = static_cast<char>(static_cast<uint32_t>(fields[field]) >> (8 * i));
    return bytes;
}
