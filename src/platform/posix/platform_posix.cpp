#define _GNU_SOURCE 1
#include "platform/posix/posix_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

const char PlatformPathSeparator = '/';

static const char* ownProgramOverride;
static bool leadBytes[256];
static bool plainCopy;
static int64_t readsBeforeFault = -1;

// Cuts a read of `count` bytes to what the injected read fault still lets
// through; returns 0, with errno set to EIO, when the read must fail.
static size_t ReadAllowance(size_t count)
{
    if (readsBeforeFault < 0 || static_cast<int64_t>(count) <= readsBeforeFault)
        return count;
    if (readsBeforeFault == 0)
        errno = EIO;
    return static_cast<size_t>(readsBeforeFault);
}

// Counts `moved` bytes read against the injected read fault.
static void CountRead(ssize_t moved)
{
    if (readsBeforeFault >= 0 && moved > 0)
        readsBeforeFault -= moved;
}

FileHandle PlatformOpenForReading(const char* path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    return fd < 0 ? NoFile : fd;
}

FileHandle PlatformCreate(const char* path)
{
    int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd < 0 ? NoFile : fd;
}

int32_t PlatformRead(FileHandle file, void* buffer, int32_t count)
{
    int32_t done = 0;
    while (done < count) {
        size_t allowed = ReadAllowance(static_cast<size_t>(count - done));
        ssize_t got = allowed == 0 ? -1 : read(static_cast<int>(file), static_cast<char*>(buffer) + done, allowed);
        CountRead(got);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<int32_t>(got);
    }
    return done;
}

int32_t PlatformWrite(FileHandle file, const void* buffer, int32_t count)
{
    int32_t done = 0;
    while (done < count) {
        ssize_t put = write(static_cast<int>(file), static_cast<const char*>(buffer) + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return done > 0 ? done : -1;
        done += static_cast<int32_t>(put);
    }
    return done;
}

bool PlatformSeek(FileHandle file, int64_t offset)
{
    return lseek(static_cast<int>(file), offset, SEEK_SET) == offset;
}

bool PlatformFileLength(FileHandle file, int64_t* length)
{
    struct stat status;
    if (fstat(static_cast<int>(file), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    *length = status.st_size;
    return true;
}

bool PlatformClose(FileHandle file)
{
    return close(static_cast<int>(file)) == 0;
}

// The process's file-creation mask, read from the kernel's report where it
// gives one, so that the mask never changes under another thread.
static mode_t CurrentUmask()
{
    FILE* status = fopen("/proc/self/status", "re");
    if (status != nullptr) {
        char line[256];
        unsigned int mask = 0;
        bool found = false;
        while (!found && fgets(line, sizeof line, status) != nullptr)
            found = sscanf(line, "Umask: %o", &mask) == 1;
        fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

bool PlatformMarkRunnable(FileHandle file)
{
    return fchmod(static_cast<int>(file), 0777 & ~CurrentUmask()) == 0;
}

// Moves what it can with the kernel's copy; returns the bytes moved, or -1
// when the kernel declines and the plain loop must take over.
static int64_t KernelCopy(int from, int to, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        size_t allowed = ReadAllowance(static_cast<size_t>(count - done));
        ssize_t moved = allowed == 0 ? -1 : copy_file_range(from, nullptr, to, nullptr, allowed, 0);
        CountRead(moved);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved <= 0)
            return done > 0 || moved == 0 ? done : -1;
        done += moved;
    }
    return done;
}

CopyOutcome PlatformCopy(FileHandle from, FileHandle to, int64_t count, char (&buffer)[CopyBlockSize])
{
    if (!plainCopy) {
        int64_t moved = KernelCopy(static_cast<int>(from), static_cast<int>(to), count);
        if (moved > 0)
            count -= moved;
    }
    return CopyThroughBuffer(from, to, count, buffer);
}

bool OwnProgramPath(char (&path)[PathBufferSize])
{
    if (ownProgramOverride != nullptr)
        return snprintf(path, sizeof path, "%s", ownProgramOverride) < static_cast<int>(sizeof path);
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length < 0 || length >= static_cast<ssize_t>(sizeof path))
        return false;
    path[length] = '\0';
    return true;
}

bool PlatformCurrentDirectory(char (&path)[PathBufferSize])
{
    return getcwd(path, sizeof path) != nullptr;
}

bool PlatformIsLeadByte(unsigned char byte)
{
    return leadBytes[byte];
}

void ShowNotice(Owner owner, const char* text, const char* caption, NoticeIcon icon)
{
    if (owner != nullptr && owner->showNotice != nullptr)
        owner->showNotice(owner, text, caption, icon);
    else
        fprintf(stderr, "%s: %s\n", caption, text);
}

void SetStatusText(Owner owner, const char* text)
{
    if (owner != nullptr && owner->setStatus != nullptr)
        owner->setStatus(owner, text);
}

int FormatText(char (&out)[NoticeBufferSize], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(out, sizeof out, format, arguments);
    va_end(arguments);
    return length;
}

void SetOwnProgramPath(const char* path)
{
    ownProgramOverride = path;
}

void AddLeadByteRange(unsigned char first, unsigned char last)
{
    for (int byte = first; byte <= last; ++byte)
        leadBytes[byte] = true;
}

void ClearLeadBytes()
{
    for (bool& lead : leadBytes)
        lead = false;
}

void UsePlainCopy(bool plain)
{
    plainCopy = plain;
}

void FailReadsAfter(int64_t bytes)
{
    readsBeforeFault = bytes;
}
