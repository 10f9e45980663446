#include "join/join.h"

#include "partset/pathpieces.h"

static const char Caption[] = "UnParvolin";
static const char ToolName[] = "parvolin.exe";

static int NotifyStop(Owner owner, const char* format, const char* name, int result)
{
    char text[NoticeBufferSize];
    FormatText(text, format, name);
    ShowNotice(owner, text, Caption, NoticeStopIcon);
    return result;
}

// Reports a copy that stopped short, naming the file at fault; returns the
// join's result for it.
static int ReportCopyFailure(Owner owner, CopyOutcome outcome, const char* readName, const char* writeName)
{
    if (outcome == CopyWriteFailed)
        return NotifyStop(owner, "Unable to write %s, the disk may be full.", writeName, JoinIoFailed);
    return NotifyStop(owner, "Unable to read %s.", readName, JoinIoFailed);
}

static void ShowProgress(Owner owner, int32_t index, int32_t lastPartIndex)
{
    char status[NoticeBufferSize];
    FormatText(status, "Processing %d/%d", index, lastPartIndex);
    SetStatusText(owner, status);
}

// True when `name` is the whole file name that ends `path`, not one cut
// short to fit.
static bool EndsWithWholeName(const char* path, const char* name)
{
    const int start = TextLength(path) - TextLength(name);
    if (start < 0)
        return false;
    for (int i = 0; name[i] != '\0'; ++i) {
        if (path[start + i] != name[i])
            return false;
    }
    return start == 0 || path[start - 1] == '\\' || path[start - 1] == '/' || path[start - 1] == ':';
}

// Writes the first `stubSize` bytes of `own` to "parvolin.exe". Says
// nothing when that fails: the tool is a bonus, the output is the work.
static void RestoreTool(File& own, int32_t stubSize, char (&buffer)[CopyBlockSize])
{
    File tool;
    if (!tool.Create(ToolName) || !PlatformSeek(own.handle, 0))
        return;
    PlatformMarkRunnable(tool.handle);
    PlatformCopy(own.handle, tool.handle, stubSize, buffer);
    tool.Close();
}

int JoinParts(Owner owner)
{
    char ownPath[PathBufferSize];
    PartSetTrailer trailer = {};
    File own;
    if (!OwnProgramPath(ownPath) || !ReadTrailerFrom(ownPath, &trailer) || !own.OpenForReading(ownPath)) {
        ShowNotice(owner, "Unable to loacte original file information", Caption, NoticeStopIcon);
        return JoinNoTrailer;
    }

    const PathPieces pieces = SplitPathPieces(trailer.sourcePath);
    char outputName[PathBufferSize];
    File output;
    if (!CopyText(outputName, sizeof outputName, pieces.baseName) ||
        !AppendText(outputName, sizeof outputName, pieces.extension) ||
        !EndsWithWholeName(trailer.sourcePath, outputName) || !output.Create(outputName)) {
        ShowNotice(owner, "Unable to open output file, make sure there is no file with the same name in the output directory",
                   Caption, NoticeStopIcon);
        return 0;
    }

    char buffer[CopyBlockSize];
    int64_t joined = 0;
    for (int32_t i = 0; i <= trailer.lastPartIndex; ++i) {
        char partName[PathBufferSize] = "";
        File part;
        const char* readName = ownPath;
        FileHandle from = own.handle;
        if (i > 0) {
            if (!MakePartName(partName, pieces.baseName, i) || !part.OpenForReading(partName))
                return NotifyStop(owner, "Unable to open part %s.", partName, JoinPartMissing);
            readName = partName;
            from = part.handle;
        }
        int64_t length = 0;
        if (!PlatformFileLength(from, &length))
            return NotifyStop(owner, "Unable to read %s.", readName, JoinIoFailed);
        int64_t dataBytes = length;
        if (i == 0) {
            dataBytes = length - TrailerSize - trailer.stubSize;
            if (trailer.stubSize < 0 || dataBytes < 0)
                return NotifyStop(owner, "Unable to read %s.", readName, JoinIoFailed);
            if (!EqualsIgnoringAsciiCase(outputName, ToolName))
                RestoreTool(own, trailer.stubSize, buffer);
            if (!PlatformSeek(own.handle, trailer.stubSize))
                return NotifyStop(owner, "Unable to read %s.", readName, JoinIoFailed);
        }
        CopyOutcome outcome = PlatformCopy(from, output.handle, dataBytes, buffer);
        if (outcome != CopyDone)
            return ReportCopyFailure(owner, outcome, readName, outputName);
        joined += dataBytes;
        ShowProgress(owner, i, trailer.lastPartIndex);
    }
    if (!output.Close())
        return ReportCopyFailure(owner, CopyWriteFailed, ownPath, outputName);

    if (joined != trailer.sourceSize) {
        char text[NoticeBufferSize];
        uint32_t shown = joined > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(joined);
        FormatText(text, "The joined file has %u bytes but %u were expected; a part may be damaged.", shown,
                   static_cast<uint32_t>(trailer.sourceSize));
        ShowNotice(owner, text, Caption, NoticeStopIcon);
        return JoinLengthDiffers;
    }
    return JoinDone;
}
