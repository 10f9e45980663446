// The one door to the operating system. The portable core (partset, split,
// join) includes this header and nothing of the OS; platform/win32 and
// platform/posix implement it.
#pragma once

#include <stdint.h>

constexpr int PathBufferSize = 260;   // every path: at most 259 characters and a zero
constexpr int NoticeBufferSize = 1025; // every formatted text, wsprintfA's limit
constexpr int CopyBlockSize = 4096;

// Files are raw byte streams; other programs are never locked out of them.
typedef intptr_t FileHandle;
const FileHandle NoFile = -1;

// Returns NoFile when the file cannot be opened.
FileHandle PlatformOpenForReading(const char* path);
// Creates the file, or empties it if present, for reading and writing;
// returns NoFile when that fails.
FileHandle PlatformCreate(const char* path);
// Both return the count moved, which is short only at the end of the file
// (read) or when the disk refuses more (write), and -1 on an error.
int32_t PlatformRead(FileHandle file, void* buffer, int32_t count);
int32_t PlatformWrite(FileHandle file, const void* buffer, int32_t count);
// Moves to an offset from the start; false on failure.
bool PlatformSeek(FileHandle file, int64_t offset);
// Stores the file's length; false when the platform cannot tell it.
bool PlatformFileLength(FileHandle file, int64_t* length);
// Closes the file; false when the platform reports an error on closing.
bool PlatformClose(FileHandle file);
// Lets the file be run as a program, as far as the user's file-creation
// mask allows; true when that worked or the platform needs nothing for it.
// Callers may go on when it fails: a file system without permission bits
// (FAT on removable media) refuses it, and the file is whole all the same.
bool PlatformMarkRunnable(FileHandle file);

enum CopyOutcome { CopyDone, CopyReadFailed, CopySourceEnded, CopyWriteFailed };
// Moves exactly `count` bytes from the current position of `from` to the
// current position of `to`, through `buffer` where the platform has no
// faster way; says why it stopped short.
CopyOutcome PlatformCopy(FileHandle from, FileHandle to, int64_t count, char (&buffer)[CopyBlockSize]);
// The same through `buffer` alone, in reads of at most CopyBlockSize bytes,
// each written whole: the loop every platform falls back on.
CopyOutcome CopyThroughBuffer(FileHandle from, FileHandle to, int64_t count, char (&buffer)[CopyBlockSize]);

// Fills `path` with the running program's own file; false when it does not fit.
bool OwnProgramPath(char (&path)[PathBufferSize]);
// Fills `path` with the current directory; false when it does not fit.
bool PlatformCurrentDirectory(char (&path)[PathBufferSize]);
// The separator the platform puts between a directory and a name.
extern const char PlatformPathSeparator;
// True for a lead byte of a double-byte character in the ANSI code page.
bool PlatformIsLeadByte(unsigned char byte);

// The window that notices and progress belong to (an HWND on Win32).
typedef struct OwnerWindow* Owner;
enum NoticeIcon { NoticeNoIcon, NoticeStopIcon };
// A modal box with an OK button; returns when the user dismisses it.
void ShowNotice(Owner owner, const char* text, const char* caption, NoticeIcon icon);
// Replaces the text of the owner's status line and repaints it at once.
void SetStatusText(Owner owner, const char* text);
// Formats into `out` as wsprintfA does (%d, %u, %s); returns the length.
int FormatText(char (&out)[NoticeBufferSize], const char* format, ...);

// Owns one open file and closes it on every way out of the function that
// holds it.
struct File {
    FileHandle handle = NoFile;

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }

    bool OpenForReading(const char* path) { Close(); handle = PlatformOpenForReading(path); return IsOpen(); }
    bool Create(const char* path) { Close(); handle = PlatformCreate(path); return IsOpen(); }
    bool IsOpen() const { return handle != NoFile; }
    // Closes the file if open; false when closing reported an error.
    bool Close()
    {
        if (!IsOpen())
            return true;
        FileHandle open = handle;
        handle = NoFile;
        return PlatformClose(open);
    }
};
