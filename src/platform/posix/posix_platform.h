// What the POSIX platform adds for its own callers: the owner of notices
// and progress, and the seams a test uses to stand in for the program.
#pragma once

#include "platform/platform.h"

// A POSIX owner is whatever shows notices and progress for the caller.
struct OwnerWindow {
    void (*showNotice)(OwnerWindow* self, const char* text, const char* caption, NoticeIcon icon);
    void (*setStatus)(OwnerWindow* self, const char* text);
};

// Makes `path` the running program's own file; nullptr restores the real one.
void SetOwnProgramPath(const char* path);
// Makes the bytes from `first` to `last` lead bytes, as a double-byte code
// page would; ClearLeadBytes makes every byte single again.
void AddLeadByteRange(unsigned char first, unsigned char last);
void ClearLeadBytes();
// Makes the copy path use plain reads and writes (true) or the kernel copy
// where it can (false, the default).
void UsePlainCopy(bool plain);
// Makes every read through PlatformRead and PlatformCopy fail with an I/O
// error once `bytes` more bytes have been read; a negative count ends the
// fault (the default).
void FailReadsAfter(int64_t bytes);
