#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "join/join.h"
#include "split/split.h"
#include "test_support.h"

namespace {

const char SplitCaption[] = "Parvolin";
const char JoinCaption[] = "UnParvolin";

// A 1,000,000-byte source split at 320 KB with the fixture stub: part 0
// carries 294,912 data bytes, parts 1 and 2 carry 327,680 and part 3 the
// last 49,728.
constexpr size_t SourceSize = 1000000;
constexpr int64_t PartZeroData = 294912;
constexpr int64_t PartData = 327680;

// The scratch folder with the fixture stub as the program file, the read
// fault off at the start and at the end of every test.
class FaultTest : public FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        FailReadsAfter(-1);
        snprintf(gProgramPath, sizeof gProgramPath, "%s", StubPath().c_str());
    }

    void TearDown() override
    {
        FailReadsAfter(-1);
        FolderTest::TearDown();
    }

    // Writes the patterned source of SourceSize bytes as src/movie.avi once;
    // returns its path.
    std::string WriteSource()
    {
        source = PatternBytes(SourceSize, 41);
        const std::string path = Path("src/movie.avi");
        if (!FileExists(path)) {
            MakeFolder(Path("src"));
            WriteBytes(path, source);
        }
        return path;
    }

    Bytes source;
    RecordingOwner window;
};

TEST_F(FaultTest, ReadErrorDuringASplitStopsWithTheNameOfTheFileBeingRead)
{
    struct Case {
        const char* label;
        int64_t readsBeforeFault;
        bool inStub;
        std::vector<std::string> statuses;
    } const cases[] = {
        {"in the program file", 1000, true, {}},
        {"in the source, within part 0", FixtureStubSize + 100000, false, {}},
        {"in the source, at the first byte of part 1", FixtureStubSize + PartZeroData, false,
         ProcessingTexts(1, 1, 3)},
        {"in the source, within part 2", FixtureStubSize + PartZeroData + PartData + 5000, false,
         ProcessingTexts(1, 2, 3)},
    };
    const std::string sourcePath = WriteSource();
    int run = 0;
    for (bool plainCopy : {false, true}) {
        UsePlainCopy(plainCopy);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.label) + (plainCopy ? ", plain copy" : ", kernel copy"));
            EnterNewFolder("out" + std::to_string(run++));
            RecordingOwner owner;
            const int descriptors = OpenDescriptorCount();
            FailReadsAfter(c.readsBeforeFault);

            const int result = SplitFile(sourcePath.c_str(), Slice360, "", owner.owner());

            FailReadsAfter(-1);
            EXPECT_EQ(result, SplitIoFailed);
            const std::string named = c.inStub ? StubPath() : sourcePath;
            EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice("Unable to read " + named + ".", SplitCaption)}));
            EXPECT_EQ(owner.statuses, c.statuses) << "no status for the part that failed";
            EXPECT_FALSE(FileExists(PartName("movie", static_cast<int32_t>(c.statuses.size()) + 1)))
                << "nothing after the failing part";
            EXPECT_EQ(OpenDescriptorCount(), descriptors);
            EXPECT_TRUE(SameBytes(ReadBytes(sourcePath), source)) << "the source is untouched";
        }
    }
}

TEST_F(FaultTest, SplitReadsTheProgramFileAndTheSourceExactlyOnce)
{
    const std::string sourcePath = WriteSource();
    int run = 0;
    for (bool plainCopy : {false, true}) {
        UsePlainCopy(plainCopy);
        SCOPED_TRACE(plainCopy ? "plain copy" : "kernel copy");
        EnterNewFolder("out" + std::to_string(run++));
        RecordingOwner owner;
        FailReadsAfter(FixtureStubSize + static_cast<int64_t>(SourceSize));

        EXPECT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", owner.owner()), SplitDone);

        EXPECT_TRUE(owner.notices.empty());
        EXPECT_EQ(owner.statuses, ProcessingTexts(1, 4, 3));
        EXPECT_EQ(FileSize("movie_03"), 49728);
    }
}

TEST_F(FaultTest, ReadErrorDuringAJoinNamesThePartOrTheRunningFileAndLosesNothing)
{
    const int64_t trailer = TrailerBytesSize;
    const int64_t beforeData = trailer + FixtureStubSize;
    struct Case {
        const char* label;
        int64_t readsBeforeFault;
        const char* failingPart;
        std::vector<std::string> statuses;
    } const cases[] = {
        {"while writing the tool back", trailer + 1000, nullptr, {}},
        {"in the running file's data", beforeData + 5000, nullptr, {}},
        {"within part 2", beforeData + PartZeroData + PartData + 1000, "movie_02", ProcessingTexts(0, 2, 3)},
        {"at the first byte of part 3", beforeData + PartZeroData + 2 * PartData, "movie_03",
         ProcessingTexts(0, 3, 3)},
    };
    const std::string sourcePath = WriteSource();
    const std::string set = EnterNewFolder("set");
    RecordingOwner splitter;
    ASSERT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", splitter.owner()), SplitDone);
    const std::string partZero = set + "/movie_00.exe";
    RunAs(partZero);
    for (bool plainCopy : {false, true}) {
        UsePlainCopy(plainCopy);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.label) + (plainCopy ? ", plain copy" : ", kernel copy"));
            RecordingOwner owner;
            const int descriptors = OpenDescriptorCount();
            FailReadsAfter(c.readsBeforeFault);

            const int result = JoinParts(owner.owner());

            FailReadsAfter(-1);
            EXPECT_EQ(result, JoinIoFailed);
            const std::string named = c.failingPart != nullptr ? c.failingPart : partZero;
            EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice("Unable to read " + named + ".", JoinCaption)}));
            EXPECT_EQ(owner.statuses, c.statuses) << "no status for the part that failed";
            EXPECT_LT(FileSize("movie.avi"), static_cast<int64_t>(SourceSize));
            EXPECT_EQ(OpenDescriptorCount(), descriptors);

            RecordingOwner again;
            EXPECT_EQ(JoinParts(again.owner()), JoinDone) << "the parts are whole after the failed join";
            EXPECT_TRUE(again.notices.empty());
            EXPECT_TRUE(SameBytes(ReadBytes("movie.avi"), source));
            EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), Stub()));
            ASSERT_EQ(unlink("movie.avi"), 0);
            ASSERT_EQ(unlink("parvolin.exe"), 0);
        }
    }
}

// A recording owner that, on the status text `when`, cuts the file `path`
// to `length` bytes through a handle of its own.
struct CuttingOwner : RecordingOwner {
    CuttingOwner(const std::string& cutPath, int64_t cutLength, const std::string& cutWhen)
        : path(cutPath), length(cutLength), when(cutWhen)
    {
        setStatus = [](OwnerWindow* self, const char* text) {
            CuttingOwner* owner = static_cast<CuttingOwner*>(self);
            owner->statuses.push_back(text);
            if (owner->when == text)
                SetFileLength(owner->path, owner->length);
        };
    }
    std::string path;
    int64_t length;
    std::string when;
};

TEST_F(FaultTest, SourceCutShortWhileTheSplitRunsIsAReadFailure)
{
    const std::string sourcePath = WriteSource();
    int run = 0;
    for (bool plainCopy : {false, true}) {
        UsePlainCopy(plainCopy);
        SCOPED_TRACE(plainCopy ? "plain copy" : "kernel copy");
        WriteBytes(sourcePath, source);
        EnterNewFolder("out" + std::to_string(run++));
        CuttingOwner owner(sourcePath, PartZeroData + 100000, "Processing 1/3");

        EXPECT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", owner.owner()), SplitIoFailed);

        EXPECT_EQ(owner.notices,
                  (std::vector<Notice>{StopNotice("Unable to read " + sourcePath + ".", SplitCaption)}));
        EXPECT_EQ(owner.statuses, ProcessingTexts(1, 1, 3));
        EXPECT_FALSE(FileExists("movie_02"));
    }
}

TEST_F(FaultTest, ReadErrorOnTheTrailerGivesTheLocateNoticeAndCreatesNothing)
{
    const std::string sourcePath = WriteSource();
    const std::string set = EnterNewFolder("set");
    RecordingOwner splitter;
    ASSERT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", splitter.owner()), SplitDone);
    RunAs(set + "/movie_00.exe");
    const std::vector<std::string> before = FolderEntries(".");
    FailReadsAfter(100);

    EXPECT_FALSE(SurveyPartSet().trailerRead);
    FailReadsAfter(100);
    EXPECT_EQ(JoinParts(window.owner()), JoinNoTrailer);

    EXPECT_EQ(window.notices,
              (std::vector<Notice>{StopNotice("Unable to loacte original file information", JoinCaption)}));
    EXPECT_TRUE(window.statuses.empty());
    EXPECT_EQ(FolderEntries("."), before);
}

TEST_F(FaultTest, FolderWhereAFileShouldBeIsAReadFailure)
{
    const std::string sourcePath = WriteSource();
    const std::string set = EnterNewFolder("set");
    RecordingOwner splitter;
    ASSERT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", splitter.owner()), SplitDone);
    ASSERT_EQ(unlink("movie_02"), 0);
    MakeFolder("movie_02");
    RunAs(set + "/movie_00.exe");
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(JoinParts(window.owner()), JoinIoFailed);

    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice("Unable to read movie_02.", JoinCaption)}));
    EXPECT_EQ(window.statuses, ProcessingTexts(0, 2, 3));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);

    EnterNewFolder("out");
    RecordingOwner owner;
    const std::string folderSource = Path("src");

    EXPECT_EQ(SplitFile(folderSource.c_str(), Slice144, "", owner.owner()), SplitIoFailed);

    EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice("Unable to read " + folderSource + ".", SplitCaption)}));
    EXPECT_TRUE(owner.statuses.empty());
    EXPECT_TRUE(FolderEntries(".").empty());
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

// A name of `length` copies of `letter`.
std::string NameOf(size_t length, char letter)
{
    return std::string(length, letter);
}

// Part 0 is "<base>_00.exe", seven characters longer than the base; this
// system takes at most 255 bytes in one file name, the program at most 259
// characters in any name it composes.
TEST_F(FaultTest, BaseNamesAtTheLimitsSplitWholeOrNotAtAll)
{
    struct Case {
        const char* label;
        size_t baseLength;
        bool splits;
    } const cases[] = {
        {"part 0 named with 255 characters, the most a file name holds here", 248, true},
        {"part 0 named with 256 characters, refused by the file system", 249, false},
        {"part 0 named with 259 characters, the longest the program composes", 252, false},
        {"part 0 named with 260 characters, refused by the program", 253, false},
        {"a base name of 255 characters, the longest a path keeps", 255, false},
    };
    const Bytes data = PatternBytes(50000, 5);
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string base = NameOf(c.baseLength, static_cast<char>('a' + run));
        WriteBytes(Path(base), data);
        const std::string sourcePath = "../" + base;
        EnterNewFolder("out" + std::to_string(run++));
        RecordingOwner owner;
        const int descriptors = OpenDescriptorCount();

        const int result = SplitFile(sourcePath.c_str(), SliceUser, "12", owner.owner());

        EXPECT_TRUE(owner.notices.empty());
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
        if (!c.splits) {
            EXPECT_EQ(result, SplitPartNotCreated);
            EXPECT_TRUE(owner.statuses.empty());
            EXPECT_TRUE(FolderEntries(".").empty()) << "no part under a shortened name";
            continue;
        }
        EXPECT_EQ(result, SplitDone);
        EXPECT_EQ(owner.statuses, ProcessingTexts(1, 8, 7));
        std::vector<std::string> parts;
        for (int32_t i = 0; i <= 7; ++i)
            parts.push_back(PartName(base, i));
        EXPECT_EQ(FolderEntries("."), parts);

        const std::string runner = Path("runner.exe");
        CopyFile(PartName(base, 0), runner);
        RunAs(runner);
        RecordingOwner joiner;
        EXPECT_EQ(JoinParts(joiner.owner()), JoinDone);
        EXPECT_TRUE(joiner.notices.empty());
        EXPECT_TRUE(SameBytes(ReadBytes(base), data)) << "joined back under the whole name";
        EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), Stub()));
    }
}

TEST_F(FaultTest, SourcePathLongerThan259CharactersIsNotSplit)
{
    const std::string folder = NameOf(250, 'd');
    MakeFolder(Path(folder));
    const std::string sourcePath = folder + "/movie.avi";
    ASSERT_EQ(sourcePath.size(), 260u);
    WriteBytes(Path(sourcePath), PatternBytes(50000, 6));
    EnterFolder(Path(""));
    const std::vector<std::string> before = FolderEntries(".");

    EXPECT_EQ(SplitFile(sourcePath.c_str(), SliceUser, "12", window.owner()), SplitNoSource);

    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice(
                                  "Unable to open input file, Please select a file to split.", SplitCaption)}));
    EXPECT_EQ(FolderEntries("."), before) << "no part for a path the trailer cannot hold";
}

// Part 0 with a trailer whose source name is `name`, the stub, `data` and
// the trailer saying part 0 is the last; returns its path.
std::string WriteSinglePartSet(const std::string& path, const std::string& name, const Bytes& stub, const Bytes& data)
{
    Bytes part = stub;
    part.insert(part.end(), data.begin(), data.end());
    const Bytes trailer = TrailerBytes(name, static_cast<int32_t>(stub.size()), static_cast<int32_t>(data.size()), 0);
    part.insert(part.end(), trailer.begin(), trailer.end());
    WriteBytes(path, part);
    return path;
}

TEST_F(FaultTest, JoinWritesTheOutputOnlyUnderTheWholeNameOfTheSource)
{
    const char OutputNotice[] =
        "Unable to open output file, make sure there is no file with the same name in the output directory";
    struct Case {
        const char* label;
        std::string sourcePath;
        std::string output;
    } const cases[] = {
        {"a name of 255 characters", "c:\\" + NameOf(251, 'n') + ".avi", NameOf(251, 'n') + ".avi"},
        {"a base name of 256 characters", "c:\\" + NameOf(256, 'n'), ""},
        {"a base name of 259 characters", NameOf(259, 'n'), ""},
        {"an extension of 258 characters", "m." + NameOf(257, 'e'), ""},
    };
    const Bytes data = PatternBytes(5000, 8);
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string partZero = WriteSinglePartSet(Path("set" + std::to_string(run) + ".exe"), c.sourcePath,
                                                        Stub(), data);
        EnterNewFolder("out" + std::to_string(run++));
        RunAs(partZero);
        RecordingOwner owner;

        const int result = JoinParts(owner.owner());

        if (c.output.empty()) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice(OutputNotice, JoinCaption)}));
            EXPECT_TRUE(FolderEntries(".").empty()) << "no output under a shortened name";
        } else {
            EXPECT_EQ(result, JoinDone);
            EXPECT_TRUE(owner.notices.empty());
            EXPECT_TRUE(SameBytes(ReadBytes(c.output), data));
        }
    }
}

// The survey composes "<current directory>/movie_NN" for parts of eight
// characters; the current directory is made exactly `cwdLength` long.
TEST_F(FaultTest, SurveyCountsOnlyPartsWhosePathFitsIn259Characters)
{
    struct Case {
        size_t cwdLength;
        int32_t count;
    } const cases[] = {
        {250, 3},
        {251, 0},
        {259, 0},
        {270, 0},
    };
    MakeFolder(Path("run"));
    const std::string partZero = Path("run/movie_00.exe");
    Bytes part = Stub();
    const Bytes trailer = TrailerBytes("c:\\data\\movie.avi", FixtureStubSize, 30000, 3);
    part.insert(part.end(), trailer.begin(), trailer.end());
    WriteBytes(partZero, part);
    RunAs(partZero);
    for (const Case& c : cases) {
        SCOPED_TRACE("current directory of " + std::to_string(c.cwdLength) + " characters");
        const size_t rootLength = Path("").size();
        ASSERT_GT(c.cwdLength, rootLength);
        const std::string folder = EnterNewFolder(NameOf(c.cwdLength - rootLength, 'c'));
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        ASSERT_EQ(std::string(here), folder);
        ASSERT_EQ(folder.size(), c.cwdLength);
        for (int32_t i = 1; i <= 3; ++i)
            WriteBytes(PartName("movie", i), Bytes(10000, 0x5A));

        const PartSetSurvey survey = SurveyPartSet();

        EXPECT_TRUE(survey.trailerRead);
        EXPECT_EQ(survey.presentCount, c.count);
        EXPECT_EQ(survey.joinAllowed, c.count == 3);
        EnterFolder(Path(""));
    }
}

} // namespace
