// The layout of a part set: the names of its files and the trailer at the
// end of part 0 that describes the whole set.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

constexpr int TrailerSize = 272;
constexpr int32_t StubAllowance = 36864;
constexpr int32_t SmallestSliceBytes = 10 * 1024;

struct PartSetTrailer {
    char sourcePath[PathBufferSize];
    int32_t stubSize;
    int32_t sourceSize;
    int32_t lastPartIndex;
};

// Writes the trailer as its 272 bytes, little-endian; the bytes after the
// path's terminator are zero.
void EncodeTrailer(const PartSetTrailer& trailer, unsigned char (&bytes)[TrailerSize]);
// Reads the 272 bytes back; a path with no terminator in its 260 bytes is
// taken as its first 259.
PartSetTrailer DecodeTrailer(const unsigned char (&bytes)[TrailerSize]);

// Fills `name` with "<baseName>_NN.exe" for index 0 and "<baseName>_NN"
// after it, NN at least two digits; false when the name would not fit in
// 259 characters or the index is negative.
bool MakePartName(char (&name)[PathBufferSize], const char* baseName, int32_t index);

// Reads the last 272 bytes of `path` as a trailer; a file shorter than that
// reads as the all-zero trailer of a program that carries no set. Returns
// false, leaving `trailer` alone, when the file cannot be opened or read.
bool ReadTrailerFrom(const char* path, PartSetTrailer* trailer);
// The same for the running program's own file.
bool ReadPartSetTrailer(PartSetTrailer* trailer);

// The room the part count sets aside for the stub in part 0: 36,864 bytes,
// or the stub's size raised to a whole 4096-byte block when that is larger.
int64_t StubAllowanceFor(int64_t stubSize);
// The largest `lastPartIndex` that any split could have written for this
// trailer's sizes; a larger or negative one marks a damaged trailer.
bool PartCountIsPlausible(const PartSetTrailer& trailer);
