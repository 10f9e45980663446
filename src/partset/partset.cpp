#include "partset/partset.h"

#include "partset/pathpieces.h"

static void PutInt32(unsigned char* at, int32_t value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

static int32_t GetInt32(const unsigned char* at)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(at[i]) << (8 * i);
    return static_cast<int32_t>(bits);
}

void EncodeTrailer(const PartSetTrailer& trailer, unsigned char (&bytes)[TrailerSize])
{
    bool ended = false;
    for (int i = 0; i < PathBufferSize; ++i) {
        ended = ended || trailer.sourcePath[i] == '\0' || i == PathBufferSize - 1;
        bytes[i] = ended ? 0 : static_cast<unsigned char>(trailer.sourcePath[i]);
    }
    PutInt32(bytes + 260, trailer.stubSize);
    PutInt32(bytes + 264, trailer.sourceSize);
    PutInt32(bytes + 268, trailer.lastPartIndex);
}

PartSetTrailer DecodeTrailer(const unsigned char (&bytes)[TrailerSize])
{
    PartSetTrailer trailer;
    for (int i = 0; i < PathBufferSize - 1; ++i)
        trailer.sourcePath[i] = static_cast<char>(bytes[i]);
    trailer.sourcePath[PathBufferSize - 1] = '\0';
    trailer.stubSize = GetInt32(bytes + 260);
    trailer.sourceSize = GetInt32(bytes + 264);
    trailer.lastPartIndex = GetInt32(bytes + 268);
    return trailer;
}

bool MakePartName(char (&name)[PathBufferSize], const char* baseName, int32_t index)
{
    if (index < 0)
        return false;
    char number[16];
    int digits = 0;
    for (int32_t rest = index; rest > 0 || digits < 2; rest /= 10)
        number[digits++] = static_cast<char>('0' + rest % 10);
    char suffix[24] = "_";
    for (int i = 0; i < digits; ++i)
        suffix[1 + i] = number[digits - 1 - i];
    suffix[1 + digits] = '\0';
    if (index == 0 && !AppendText(suffix, sizeof suffix, ".exe"))
        return false;
    return CopyText(name, sizeof name, baseName) && AppendText(name, sizeof name, suffix);
}

bool ReadTrailerFrom(const char* path, PartSetTrailer* trailer)
{
    File file;
    if (!file.OpenForReading(path))
        return false;
    int64_t length = 0;
    if (!PlatformFileLength(file.handle, &length))
        return false;
    unsigned char bytes[TrailerSize] = {};
    if (length >= TrailerSize) {
        if (!PlatformSeek(file.handle, length - TrailerSize))
            return false;
        if (PlatformRead(file.handle, bytes, TrailerSize) != TrailerSize)
            return false;
    }
    *trailer = DecodeTrailer(bytes);
    return true;
}

bool ReadPartSetTrailer(PartSetTrailer* trailer)
{
    char path[PathBufferSize];
    return OwnProgramPath(path) && ReadTrailerFrom(path, trailer);
}

int64_t StubAllowanceFor(int64_t stubSize)
{
    int64_t rounded = (stubSize + CopyBlockSize - 1) / CopyBlockSize * CopyBlockSize;
    return rounded > StubAllowance ? rounded : StubAllowance;
}

bool PartCountIsPlausible(const PartSetTrailer& trailer)
{
    int64_t largest = (static_cast<int64_t>(trailer.sourceSize) + StubAllowanceFor(trailer.stubSize)) / SmallestSliceBytes + 1;
    return trailer.lastPartIndex >= 0 && trailer.lastPartIndex <= largest;
}
