// Cutting one source file into a part set in the current directory.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

enum SliceChoice { Slice360, Slice720, Slice144, SliceUser };

enum SplitResult {
    SplitDone = 0,
    SplitNoStub = -1,
    SplitPartNotCreated = -2,
    SplitNoSource = -3,
    SplitSourceTooSmall = -4,
    SplitBadUserSize = -5,
    SplitIoFailed = -6,
    SplitSourceTooLarge = -7,
};

// The program file that part 0 carries; the split dialog fills it when it
// opens.
extern char gProgramPath[PathBufferSize];

// Reads a user-defined slice size in KB: leading white space, one optional
// sign, then digits up to the first non-digit. Returns false for a number
// outside 10 to 2880, which includes no digits at all and any overflow.
bool ParseUserSliceKb(const char* text, int32_t* kb);

// The number of data bytes part `index` takes when `remaining` bytes of the
// source are left: whole 4096-byte blocks until the part, with the stub in
// part 0, holds at least `sliceBytes`.
int64_t PartDataBytes(int32_t index, int64_t stubSize, int64_t sliceBytes, int64_t remaining);

// Splits `sourcePath` into "<base>_00.exe" (the program file, the first data
// and the trailer) and "<base>_01" onward in the current directory. Shows
// every failure on `owner` except a part that cannot be created, and the
// progress in its status line; returns a SplitResult. A path longer than
// 259 characters is a source that cannot be opened.
int SplitFile(const char* sourcePath, SliceChoice choice, const char* userSizeText, Owner owner);
