// The benchmark's driver: runs one split, one join or one survey of the core
// on real files in the current directory, so that bench/run.sh can time it
// from outside against the system's own tools. Any notice is a failure.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "join/join.h"
#include "partset/partset.h"
#include "platform/posix/posix_platform.h"
#include "split/split.h"

struct Recorder {
    OwnerWindow window;
    int notices;
    char lastStatus[NoticeBufferSize];
};

// Counts the notice and prints it; the caller treats any notice as failure.
static void RecordNotice(OwnerWindow* self, const char* text, const char* caption, NoticeIcon)
{
    Recorder* recorder = reinterpret_cast<Recorder*>(self);
    ++recorder->notices;
    fprintf(stderr, "notice (%s): %s\n", caption, text);
}

// Keeps the latest status text.
static void RecordStatus(OwnerWindow* self, const char* text)
{
    Recorder* recorder = reinterpret_cast<Recorder*>(self);
    snprintf(recorder->lastStatus, sizeof recorder->lastStatus, "%s", text);
}

// Prints how to call the driver and returns the usage failure code.
static int Usage()
{
    fprintf(stderr,
            "usage: parvolin_bench [--plain] split SOURCE STUB   (parts into the current directory, 1400 KB)\n"
            "       parvolin_bench [--plain] join PART0          (joins in the current directory)\n"
            "       parvolin_bench survey-largest OWNFILE        (writes OWNFILE claiming the largest plausible\n"
            "                                                     set and times the survey of the current directory)\n");
    return 2;
}

// Splits `source` at 1400 KB with `stub` as the program file; 0 when it ran
// through with no notice and the status line shows every part written.
static int RunSplit(const char* source, const char* stub)
{
    if (snprintf(gProgramPath, sizeof gProgramPath, "%s", stub) >= static_cast<int>(sizeof gProgramPath))
        return Usage();
    SetOwnProgramPath(stub);
    Recorder recorder = {{RecordNotice, RecordStatus}, 0, ""};
    int result = SplitFile(source, Slice144, "", &recorder.window);
    if (result != SplitDone || recorder.notices != 0) {
        fprintf(stderr, "split failed: result %d, %d notices\n", result, recorder.notices);
        return 1;
    }
    printf("split: %s\n", recorder.lastStatus);
    return 0;
}

// Joins the set whose part 0 is `part0` into the current directory; 0 when
// it ran through with no notice.
static int RunJoin(const char* part0)
{
    SetOwnProgramPath(part0);
    Recorder recorder = {{RecordNotice, RecordStatus}, 0, ""};
    int result = JoinParts(&recorder.window);
    if (result != JoinDone || recorder.notices != 0) {
        fprintf(stderr, "join failed: result %d, %d notices\n", result, recorder.notices);
        return 1;
    }
    printf("join: %s\n", recorder.lastStatus);
    return 0;
}

// Writes `path` as a 272-byte file whose trailer claims the largest part
// count the survey still accepts, checks that one more is refused, and
// times the survey that tries every one of those names.
static int RunSurveyLargest(const char* path)
{
    PartSetTrailer trailer = {};
    snprintf(trailer.sourcePath, sizeof trailer.sourcePath, "%s", "c:\\data\\absent.bin");
    trailer.stubSize = INT32_MAX;
    trailer.sourceSize = INT32_MAX;
    trailer.lastPartIndex = static_cast<int32_t>(
        (static_cast<int64_t>(trailer.sourceSize) + StubAllowanceFor(trailer.stubSize)) / SmallestSliceBytes + 1);
    PartSetTrailer oneMore = trailer;
    ++oneMore.lastPartIndex;
    if (!PartCountIsPlausible(trailer) || PartCountIsPlausible(oneMore)) {
        fprintf(stderr, "the plausibility bound is not at %d\n", trailer.lastPartIndex);
        return 1;
    }
    unsigned char bytes[TrailerSize];
    EncodeTrailer(trailer, bytes);
    File own;
    if (!own.Create(path) || PlatformWrite(own.handle, bytes, TrailerSize) != TrailerSize || !own.Close()) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    SetOwnProgramPath(path);
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    PartSetSurvey survey = SurveyPartSet();
    clock_gettime(CLOCK_MONOTONIC, &end);
    if (!survey.trailerRead || survey.trailer.lastPartIndex != trailer.lastPartIndex || survey.presentCount != 0 ||
        survey.joinAllowed) {
        fprintf(stderr, "unexpected survey: read %d, last %d, present %d, allowed %d\n", survey.trailerRead,
                survey.trailer.lastPartIndex, survey.presentCount, survey.joinAllowed);
        return 1;
    }
    double seconds = (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
    printf("survey of a trailer claiming %d parts (none present): %.3f s, %.2f us per name\n",
           trailer.lastPartIndex, seconds, seconds * 1e6 / trailer.lastPartIndex);
    return 0;
}

int main(int argc, char** argv)
{
    int first = 1;
    if (argc > first && strcmp(argv[first], "--plain") == 0) {
        UsePlainCopy(true);
        ++first;
    }
    if (argc - first == 3 && strcmp(argv[first], "split") == 0)
        return RunSplit(argv[first + 1], argv[first + 2]);
    if (argc - first == 2 && strcmp(argv[first], "join") == 0)
        return RunJoin(argv[first + 1]);
    if (argc - first == 2 && strcmp(argv[first], "survey-largest") == 0)
        return RunSurveyLargest(argv[first + 1]);
    return Usage();
}
