#include "split/split.h"

#include "partset/partset.h"
#include "partset/pathpieces.h"

char gProgramPath[PathBufferSize];

static const char Caption[] = "Parvolin";
static const int32_t SliceKb[] = {320, 680, 1400};
static const int32_t SmallestUserKb = 10;
static const int32_t LargestUserKb = 2880;

static bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool ParseUserSliceKb(const char* text, int32_t* kb)
{
    while (IsSpace(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > LargestUserKb)
            return false;
    }
    if (negative)
        value = -value;
    if (value < SmallestUserKb)
        return false;
    *kb = static_cast<int32_t>(value);
    return true;
}

int64_t PartDataBytes(int32_t index, int64_t stubSize, int64_t sliceBytes, int64_t remaining)
{
    int64_t held = index == 0 ? stubSize : 0;
    if (held >= sliceBytes)
        return 0;
    int64_t blocks = (sliceBytes - held + CopyBlockSize - 1) / CopyBlockSize;
    int64_t wanted = blocks * CopyBlockSize;
    return wanted < remaining ? wanted : remaining;
}

static void NotifyStop(Owner owner, const char* format, const char* name)
{
    char text[NoticeBufferSize];
    FormatText(text, format, name);
    ShowNotice(owner, text, Caption, NoticeStopIcon);
}

// Reports a copy that stopped short, naming the file at fault; returns the
// split's result for it.
static int ReportCopyFailure(Owner owner, CopyOutcome outcome, const char* readName, const char* writeName)
{
    if (outcome == CopyWriteFailed)
        NotifyStop(owner, "Unable to write %s, the disk may be full.", writeName);
    else
        NotifyStop(owner, "Unable to read %s.", readName);
    return SplitIoFailed;
}

// Writes part 0's head: the program file, whose size goes into the trailer.
static int WriteStub(File& part, File& stub, const char* partName, int64_t stubSize,
                     PartSetTrailer* trailer, char (&buffer)[CopyBlockSize], Owner owner)
{
    CopyOutcome outcome = PlatformCopy(stub.handle, part.handle, stubSize, buffer);
    if (outcome != CopyDone)
        return ReportCopyFailure(owner, outcome, gProgramPath, partName);
    if (!stub.Close()) {
        NotifyStop(owner, "Unable to read %s.", gProgramPath);
        return SplitIoFailed;
    }
    trailer->stubSize = static_cast<int32_t>(stubSize);
    return SplitDone;
}

int SplitFile(const char* sourcePath, SliceChoice choice, const char* userSizeText, Owner owner)
{
    int32_t sliceKb = 0;
    if (choice == SliceUser) {
        if (!ParseUserSliceKb(userSizeText, &sliceKb)) {
            ShowNotice(owner, "Size must be between 10 KB and 2880 KB", Caption, NoticeNoIcon);
            return SplitBadUserSize;
        }
    } else {
        sliceKb = SliceKb[choice];
    }
    const int64_t sliceBytes = static_cast<int64_t>(sliceKb) * 1024;

    PartSetTrailer trailer = {};
    File source;
    if (!CopyText(trailer.sourcePath, sizeof trailer.sourcePath, sourcePath) || !source.OpenForReading(sourcePath)) {
        ShowNotice(owner, "Unable to open input file, Please select a file to split.", Caption, NoticeStopIcon);
        return SplitNoSource;
    }
    int64_t sourceSize = 0;
    if (!PlatformFileLength(source.handle, &sourceSize)) {
        NotifyStop(owner, "Unable to read %s.", sourcePath);
        return SplitIoFailed;
    }
    if (sourceSize <= sliceBytes) {
        ShowNotice(owner, "File is too small to split!!", Caption, NoticeStopIcon);
        return SplitSourceTooSmall;
    }

    File stub;
    int64_t stubSize = 0;
    bool haveStub = stub.OpenForReading(gProgramPath) && PlatformFileLength(stub.handle, &stubSize) &&
                    stubSize <= INT32_MAX;
    int64_t allowance = StubAllowanceFor(haveStub ? stubSize : 0);
    if (sourceSize > INT32_MAX - allowance) {
        ShowNotice(owner, "File is too large to split!!", Caption, NoticeStopIcon);
        return SplitSourceTooLarge;
    }

    trailer.sourceSize = static_cast<int32_t>(sourceSize);
    trailer.lastPartIndex = static_cast<int32_t>((sourceSize + allowance) / sliceBytes);
    const PathPieces pieces = SplitPathPieces(sourcePath);

    char buffer[CopyBlockSize];
    int64_t remaining = sourceSize;
    for (int32_t i = 0; i <= trailer.lastPartIndex; ++i) {
        char partName[PathBufferSize];
        File part;
        if (!MakePartName(partName, pieces.baseName, i) || !part.Create(partName))
            return SplitPartNotCreated;
        if (i == 0) {
            if (!haveStub) {
                ShowNotice(owner, "Unable to write header!!", Caption, NoticeStopIcon);
                return SplitNoStub;
            }
            PlatformMarkRunnable(part.handle);
            int result = WriteStub(part, stub, partName, stubSize, &trailer, buffer, owner);
            if (result != SplitDone)
                return result;
        }
        int64_t dataBytes = PartDataBytes(i, stubSize, sliceBytes, remaining);
        CopyOutcome outcome = PlatformCopy(source.handle, part.handle, dataBytes, buffer);
        if (outcome != CopyDone)
            return ReportCopyFailure(owner, outcome, sourcePath, partName);
        remaining -= dataBytes;
        if (i == 0) {
            unsigned char bytes[TrailerSize];
            EncodeTrailer(trailer, bytes);
            if (PlatformWrite(part.handle, bytes, TrailerSize) != TrailerSize)
                return ReportCopyFailure(owner, CopyWriteFailed, sourcePath, partName);
        }
        if (!part.Close())
            return ReportCopyFailure(owner, CopyWriteFailed, sourcePath, partName);

        char status[NoticeBufferSize];
        FormatText(status, "Processing %d/%d", i + 1, trailer.lastPartIndex);
        SetStatusText(owner, status);
    }
    return SplitDone;
}
