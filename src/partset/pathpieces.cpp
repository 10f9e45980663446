#include "partset/pathpieces.h"

#include "platform/platform.h"

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

static void CopyRange(char* out, int size, const char* begin, const char* end)
{
    int length = 0;
    while (begin + length < end && length < size - 1) {
        out[length] = begin[length];
        ++length;
    }
    out[length] = '\0';
}

PathPieces SplitPathPieces(const char* path)
{
    PathPieces pieces;
    const char* work = path;
    if (path[0] != '\0' && path[1] == ':')
        work = path + 2;
    CopyRange(pieces.drive, sizeof pieces.drive, path, work);

    const char* name = work;
    const char* lastDot = nullptr;
    const char* end = work;
    while (*end != '\0') {
        if (PlatformIsLeadByte(static_cast<unsigned char>(*end))) {
            if (end[1] == '\0')
                break;
            end += 2;
            continue;
        }
        if (IsSeparator(*end))
            name = end + 1;
        else if (*end == '.')
            lastDot = end;
        ++end;
    }
    while (*end != '\0')
        ++end;
    if (lastDot == nullptr || lastDot < name)
        lastDot = end;

    CopyRange(pieces.directory, sizeof pieces.directory, work, name);
    CopyRange(pieces.baseName, sizeof pieces.baseName, name, lastDot);
    CopyRange(pieces.extension, sizeof pieces.extension, lastDot, end);
    return pieces;
}

char* LowercaseAscii(char* text)
{
    for (char* c = text; *c != '\0'; ++c) {
        if (PlatformIsLeadByte(static_cast<unsigned char>(*c))) {
            if (c[1] == '\0')
                break;
            ++c;
            continue;
        }
        *c = FoldAscii(*c);
    }
    return text;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b))
            return false;
    }
    return *a == *b;
}

int TextLength(const char* text)
{
    int length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

bool CopyText(char* out, int size, const char* text)
{
    int length = 0;
    while (text[length] != '\0' && length < size - 1) {
        out[length] = text[length];
        ++length;
    }
    out[length] = '\0';
    return text[length] == '\0';
}

bool AppendText(char* out, int size, const char* text)
{
    const int used = TextLength(out);
    const int extra = TextLength(text);
    if (used + extra >= size)
        return false;
    for (int i = 0; i <= extra; ++i)
        out[used + i] = text[i];
    return true;
}
