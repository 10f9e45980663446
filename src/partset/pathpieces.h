// Breaking a path into drive, directory, base name and extension, and the
// two ASCII-only text rules the program uses.
#pragma once

struct PathPieces {
    char drive[3];
    char directory[256];
    char baseName[256];
    char extension[256];
};

// Breaks `path` into its pieces; a piece longer than its buffer is cut.
// Double-byte characters of the ANSI code page are never taken apart.
PathPieces SplitPathPieces(const char* path);
// Lowercases 'A'-'Z' in place, except as the second byte of a double-byte
// character, and returns `text`.
char* LowercaseAscii(char* text);
// True when both texts have the same length and equal bytes once 'A'-'Z'
// are folded to 'a'-'z'.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);
// The number of bytes before the terminator.
int TextLength(const char* text);
// Copies at most `size` - 1 bytes of `text` into `out` and terminates it;
// returns false when `text` had to be cut.
bool CopyText(char* out, int size, const char* text);
// Appends `text` to the zero-terminated `out` of `size` bytes; returns false,
// leaving `out` unchanged, when the result would not fit.
bool AppendText(char* out, int size, const char* text);
