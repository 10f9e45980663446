#include <windows.h>

#include "platform/platform.h"
#include "resources/resource.h"

const char PlatformPathSeparator = '\\';

static HANDLE AsHandle(FileHandle file)
{
    return reinterpret_cast<HANDLE>(file);
}

static FileHandle OpenWithAccess(const char* path, DWORD access, DWORD disposition)
{
    HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<FileHandle>(file);
}

FileHandle PlatformOpenForReading(const char* path)
{
    return OpenWithAccess(path, GENERIC_READ, OPEN_EXISTING);
}

FileHandle PlatformCreate(const char* path)
{
    return OpenWithAccess(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
}

int32_t PlatformRead(FileHandle file, void* buffer, int32_t count)
{
    DWORD got = 0;
    if (!ReadFile(AsHandle(file), buffer, static_cast<DWORD>(count), &got, nullptr))
        return -1;
    return static_cast<int32_t>(got);
}

int32_t PlatformWrite(FileHandle file, const void* buffer, int32_t count)
{
    DWORD put = 0;
    if (!WriteFile(AsHandle(file), buffer, static_cast<DWORD>(count), &put, nullptr))
        return -1;
    return static_cast<int32_t>(put);
}

bool PlatformSeek(FileHandle file, int64_t offset)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(AsHandle(file), distance, nullptr, FILE_BEGIN) != 0;
}

bool PlatformFileLength(FileHandle file, int64_t* length)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(AsHandle(file), &size))
        return false;
    *length = size.QuadPart;
    return true;
}

bool PlatformClose(FileHandle file)
{
    return CloseHandle(AsHandle(file)) != 0;
}

bool PlatformMarkRunnable(FileHandle)
{
    return true;
}

CopyOutcome PlatformCopy(FileHandle from, FileHandle to, int64_t count, char (&buffer)[CopyBlockSize])
{
    return CopyThroughBuffer(from, to, count, buffer);
}

bool OwnProgramPath(char (&path)[PathBufferSize])
{
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path;
}

bool PlatformCurrentDirectory(char (&path)[PathBufferSize])
{
    DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return length > 0 && length < sizeof path;
}

bool PlatformIsLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}

void ShowNotice(Owner owner, const char* text, const char* caption, NoticeIcon icon)
{
    UINT style = icon == NoticeStopIcon ? MB_OK | MB_ICONHAND : MB_OK;
    MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style);
}

void SetStatusText(Owner owner, const char* text)
{
    HWND dialog = reinterpret_cast<HWND>(owner);
    SetDlgItemTextA(dialog, IDC_STATUS, text);
    UpdateWindow(GetDlgItem(dialog, IDC_STATUS));
}

int FormatText(char (&out)[NoticeBufferSize], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfA(out, format, arguments);
    va_end(arguments);
    return length;
}
