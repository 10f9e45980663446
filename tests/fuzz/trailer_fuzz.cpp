// libFuzzer target over the trailer reader and the part-set survey. Each
// input becomes the running program's own file, so its last 272 bytes are
// the trailer; the survey then runs in a scratch folder that holds a few
// parts. Every open the survey makes is counted, and the checks hold for
// any input: the trailer reads back as its bytes say, a damaged part count
// opens nothing and never allows a join, a plausible one opens at most
// that many names, and the count found is exactly the parts present.
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "join/join.h"
#include "partset/partset.h"
#include "partset/pathpieces.h"
#include "platform/posix/posix_platform.h"

struct PresentPart {
    const char* baseName;
    int32_t index;
};

// The parts that lie in the scratch folder: a whole set of three for
// "movie", parts for the empty name, a three-digit index, and a name whose
// second byte is '\' in a double-byte code page.
static const PresentPart PresentParts[] = {
    {"movie", 1}, {"movie", 2}, {"movie", 3}, {"", 1}, {"a", 1}, {"a", 2}, {"a", 100}, {"\x95\x5c", 1},
};

static char ownPath[PathBufferSize];
static int opensTried;
static int opensSucceeded;

extern "C" FileHandle __real__Z22PlatformOpenForReadingPKc(const char* path);

// Stands in for PlatformOpenForReading (linked with --wrap) and counts
// every attempt and every success.
extern "C" FileHandle __wrap__Z22PlatformOpenForReadingPKc(const char* path)
{
    ++opensTried;
    FileHandle file = __real__Z22PlatformOpenForReadingPKc(path);
    if (file != NoFile)
        ++opensSucceeded;
    return file;
}

// Stops the run as a crash, with the reason, when `holds` is false.
static void Require(bool holds, const char* what)
{
    if (holds)
        return;
    fprintf(stderr, "trailer_fuzz: check failed: %s\n", what);
    abort();
}

// Writes `size` bytes to a newly emptied `path`; aborts when it cannot.
static void WriteWholeFile(const char* path, const uint8_t* data, size_t size)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(fd >= 0, "create a scratch file");
    size_t done = 0;
    while (done < size) {
        ssize_t put = write(fd, data + done, size - done);
        Require(put > 0, "write a scratch file");
        done += static_cast<size_t>(put);
    }
    Require(close(fd) == 0, "close a scratch file");
}

// Reads a little-endian signed 32-bit number.
static int32_t LittleEndian32(const uint8_t* at)
{
    return static_cast<int32_t>(static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                                static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24);
}

// The largest part count a split could have written for these sizes:
// (sourceSize + room for the stub) / 10 KB + 1, the room being 36,864
// bytes or the stub raised to whole 4096-byte blocks when larger.
static int64_t LargestPartCount(int32_t stubSize, int32_t sourceSize)
{
    int64_t room = stubSize > 36864 ? (static_cast<int64_t>(stubSize) + 4095) / 4096 * 4096 : 36864;
    return (static_cast<int64_t>(sourceSize) + room) / 10240 + 1;
}

// Removes the scratch folder and the parts in it.
static void RemoveScratch()
{
    char path[PathBufferSize];
    for (const PresentPart& part : PresentParts) {
        if (MakePartName(path, part.baseName, part.index))
            unlink(path);
    }
    unlink(ownPath);
    char folder[PathBufferSize];
    if (getcwd(folder, sizeof folder) != nullptr && chdir("/") == 0)
        rmdir(folder);
}

// Turns the corpus folders and input files named relative to the starting
// directory into absolute paths, since the run then moves into the scratch
// folder. Paths in flags (such as -artifact_prefix=) must be absolute.
static void MakeArgumentsAbsolute(int argc, char** argv)
{
    char start[4096];
    Require(getcwd(start, sizeof start) != nullptr, "know the starting directory");
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-' || argv[i][0] == '/')
            continue;
        size_t length = strlen(start) + 1 + strlen(argv[i]) + 1;
        char* absolute = static_cast<char*>(malloc(length));
        Require(absolute != nullptr, "room for an argument");
        snprintf(absolute, length, "%s/%s", start, argv[i]);
        argv[i] = absolute;
    }
}

// Makes the scratch folder with its parts and makes it the current
// directory, once for the whole run.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    MakeArgumentsAbsolute(*argc, *argv);
    const char* tmp = getenv("TMPDIR");
    char folder[PathBufferSize];
    snprintf(folder, sizeof folder, "%s/parvolin-fuzz-XXXXXX", tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp");
    Require(mkdtemp(folder) != nullptr, "make the scratch folder");
    Require(chdir(folder) == 0, "enter the scratch folder");
    for (const PresentPart& part : PresentParts) {
        char name[PathBufferSize];
        Require(MakePartName(name, part.baseName, part.index), "name a present part");
        const uint8_t bytes[] = {'p', 'a', 'r', 't'};
        WriteWholeFile(name, bytes, part.index % 2 == 0 ? 0 : sizeof bytes);
    }
    Require(snprintf(ownPath, sizeof ownPath, "%s/own_00.exe", folder) < static_cast<int>(sizeof ownPath),
            "name the own file");
    atexit(RemoveScratch);
    return 0;
}

// Checks that the trailer the survey read is the last 272 bytes of the
// file (all zero for a shorter file), and that encoding it gives those
// bytes back up to the path's terminator and zeros after it.
static void CheckTrailer(const PartSetTrailer& trailer, const uint8_t* data, size_t size)
{
    uint8_t raw[TrailerSize] = {};
    if (size >= TrailerSize)
        memcpy(raw, data + size - TrailerSize, TrailerSize);
    Require(memcmp(trailer.sourcePath, raw, PathBufferSize - 1) == 0, "path bytes read as stored");
    Require(trailer.sourcePath[PathBufferSize - 1] == '\0', "path terminated within its field");
    Require(trailer.stubSize == LittleEndian32(raw + 260), "stubSize read little-endian");
    Require(trailer.sourceSize == LittleEndian32(raw + 264), "sourceSize read little-endian");
    Require(trailer.lastPartIndex == LittleEndian32(raw + 268), "lastPartIndex read little-endian");

    unsigned char encoded[TrailerSize];
    EncodeTrailer(trailer, encoded);
    bool ended = false;
    for (int i = 0; i < PathBufferSize; ++i) {
        ended = ended || raw[i] == 0 || i == PathBufferSize - 1;
        Require(encoded[i] == (ended ? 0 : raw[i]), "path encoded up to its terminator, zeros after");
    }
    Require(memcmp(encoded + PathBufferSize, raw + PathBufferSize, TrailerSize - PathBufferSize) == 0,
            "sizes encoded as read");
}

// The number of present parts the survey must find for `baseName` and
// `lastPartIndex`.
static int32_t ExpectedPresent(const char* baseName, int32_t lastPartIndex)
{
    int32_t expected = 0;
    for (const PresentPart& part : PresentParts) {
        if (strcmp(part.baseName, baseName) == 0 && part.index <= lastPartIndex)
            ++expected;
    }
    return expected;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteWholeFile(ownPath, data, size);
    ClearLeadBytes();
    const bool doubleByte = size > 0 && (data[0] & 1) != 0;
    if (doubleByte) {
        AddLeadByteRange(0x81, 0x9F);
        AddLeadByteRange(0xE0, 0xFC);
    }
    SetOwnProgramPath(ownPath);
    opensTried = 0;
    opensSucceeded = 0;

    const PartSetSurvey survey = SurveyPartSet();

    Require(survey.trailerRead, "the own file is read");
    CheckTrailer(survey.trailer, data, size);
    Require(opensTried >= 1 && opensSucceeded >= 1, "the own file is opened");
    const int64_t namesTried = opensTried - 1;
    const int32_t last = survey.trailer.lastPartIndex;
    const bool plausible = last >= 0 && last <= LargestPartCount(survey.trailer.stubSize, survey.trailer.sourceSize);
    Require(PartCountIsPlausible(survey.trailer) == plausible, "the plausibility bound");
    if (!plausible) {
        Require(namesTried == 0, "a damaged count opens no part");
        Require(survey.presentCount == 0, "a damaged count finds no part");
        Require(!survey.joinAllowed, "a damaged count never allows a join");
        return 0;
    }
    Require(namesTried <= last, "at most lastPartIndex names are opened");
    Require(survey.presentCount == opensSucceeded - 1, "every part opened is counted once");
    Require(survey.presentCount >= 0 && survey.presentCount <= last, "the count stays within the set");
    Require(survey.joinAllowed == (survey.presentCount == last), "a join is allowed exactly for a whole set");
    const PathPieces pieces = SplitPathPieces(survey.trailer.sourcePath);
    if (strchr(pieces.baseName, '/') == nullptr)
        Require(survey.presentCount == ExpectedPresent(pieces.baseName, last), "exactly the present parts are found");
    return 0;
}
