#include "platform/platform.h"

CopyOutcome CopyThroughBuffer(FileHandle from, FileHandle to, int64_t count, char (&buffer)[CopyBlockSize])
{
    while (count > 0) {
        int32_t want = count < CopyBlockSize ? static_cast<int32_t>(count) : CopyBlockSize;
        int32_t got = PlatformRead(from, buffer, want);
        if (got < 0)
            return CopyReadFailed;
        if (got == 0)
            return CopySourceEnded;
        if (PlatformWrite(to, buffer, got) != got)
            return CopyWriteFailed;
        count -= got;
    }
    return CopyDone;
}
