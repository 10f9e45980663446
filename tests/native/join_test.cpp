#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "join/join.h"
#include "split/split.h"
#include "test_support.h"

namespace {

const char Caption[] = "UnParvolin";
const char OutputNotice[] =
    "Unable to open output file, make sure there is no file with the same name in the output directory";

// Writes a part set made by hand into `folder`: part 0 holds `stub`, the
// first dataSizes[0] bytes of `source` and a trailer naming `sourcePath`;
// part i holds the next dataSizes[i] bytes. Returns the path of part 0.
std::string WriteSet(const std::string& folder, const std::string& base, const std::string& sourcePath,
                     const Bytes& stub, const Bytes& source, const std::vector<size_t>& dataSizes)
{
    const int32_t last = static_cast<int32_t>(dataSizes.size()) - 1;
    size_t offset = 0;
    for (int32_t i = 0; i <= last; ++i) {
        Bytes part = i == 0 ? stub : Bytes();
        Bytes data = SliceOf(source, offset, dataSizes[i]);
        part.insert(part.end(), data.begin(), data.end());
        offset += data.size();
        if (i == 0) {
            Bytes trailer = TrailerBytes(sourcePath, static_cast<int32_t>(stub.size()),
                                         static_cast<int32_t>(source.size()), last);
            part.insert(part.end(), trailer.begin(), trailer.end());
        }
        WriteBytes(folder + "/" + PartName(base, i), part);
    }
    if (offset != source.size())
        throw std::runtime_error("the data sizes of a hand-made set must add up to its source");
    return folder + "/" + PartName(base, 0);
}

// Writes part 0 alone, a stub and a trailer with the given numbers, into
// `folder`; returns its path.
std::string WritePartZero(const std::string& folder, const Bytes& stub, int32_t sourceSize, int32_t lastPartIndex)
{
    Bytes part = stub;
    Bytes trailer = TrailerBytes("c:\\data\\movie.avi", static_cast<int32_t>(stub.size()), sourceSize, lastPartIndex);
    part.insert(part.end(), trailer.begin(), trailer.end());
    const std::string path = folder + "/movie_00.exe";
    WriteBytes(path, part);
    return path;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class JoinTest : public FolderTest {
protected:
    RecordingOwner window;
};

// The survey, for a set "c:\data\movie.avi" whose trailer says part 3 is last.
TEST_F(JoinTest, SurveyCountsThePartsPresentInTheCurrentDirectory)
{
    struct Case {
        const char* label;
        std::vector<int> present;
        size_t partSize;
        int32_t count;
        bool allowed;
    } const cases[] = {
        {"complete set", {1, 2, 3}, 100, 3, true},
        {"movie_02 missing", {1, 3}, 100, 2, false},
        {"empty parts", {1, 2, 3}, 0, 3, true},
        {"files beyond the set", {1, 2, 3, 4, 5}, 100, 3, true},
        {"no part at all", {}, 100, 0, false},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string folder = EnterNewFolder("set" + std::to_string(run++));
        RunAs(WritePartZero(folder, Stub(), 5000000, 3));
        for (int index : c.present)
            WriteBytes(PartName("movie", index), Bytes(c.partSize, 0x5A));
        const int descriptors = OpenDescriptorCount();

        PartSetSurvey survey = SurveyPartSet();

        EXPECT_TRUE(survey.trailerRead);
        EXPECT_STREQ(survey.trailer.sourcePath, "c:\\data\\movie.avi");
        EXPECT_EQ(survey.trailer.stubSize, FixtureStubSize);
        EXPECT_EQ(survey.trailer.sourceSize, 5000000);
        EXPECT_EQ(survey.trailer.lastPartIndex, 3);
        EXPECT_EQ(survey.presentCount, c.count);
        EXPECT_EQ(survey.joinAllowed, c.allowed);
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

TEST_F(JoinTest, SurveyRunFromAnotherDirectoryFindsNoPart)
{
    const std::string set = Path("set");
    MakeFolder(set);
    const std::string partZero = WriteSet(set, "movie", "c:\\data\\movie.avi", Stub(), PatternBytes(30000, 1),
                                          {0, 12288, 12288, 5424});
    EnterNewFolder("elsewhere");
    RunAs(partZero);

    PartSetSurvey survey = SurveyPartSet();

    EXPECT_TRUE(survey.trailerRead);
    EXPECT_EQ(survey.trailer.lastPartIndex, 3);
    EXPECT_EQ(survey.presentCount, 0);
    EXPECT_FALSE(survey.joinAllowed);
}

// Source 100,000 bytes with the fixture stub: no split can have written a
// last index beyond (100,000 + 36,864) / 10,240 + 1 = 14.
TEST_F(JoinTest, SurveyOfADamagedPartCountOpensNothing)
{
    struct Case {
        int32_t lastPartIndex;
        int32_t count;
        bool allowed;
    } const cases[] = {
        {14, 14, true},
        {15, 0, false},
        {-1, 0, false},
        {INT32_MIN, 0, false},
        {2000000000, 0, false},
        {INT32_MAX, 0, false},
    };
    const std::string folder = EnterNewFolder("set");
    for (int32_t index = 1; index <= 20; ++index)
        WriteBytes(PartName("movie", index), Bytes{1});
    for (const Case& c : cases) {
        SCOPED_TRACE("lastPartIndex " + std::to_string(c.lastPartIndex));
        RunAs(WritePartZero(folder, Stub(), 100000, c.lastPartIndex));

        PartSetSurvey survey = SurveyPartSet();

        EXPECT_TRUE(survey.trailerRead);
        EXPECT_EQ(survey.trailer.lastPartIndex, c.lastPartIndex) << "shown as it is";
        EXPECT_EQ(survey.presentCount, c.count);
        EXPECT_EQ(survey.joinAllowed, c.allowed);
    }
}

TEST_F(JoinTest, ProgramWithoutASetSurveysEmptyAndCannotCreateAnOutput)
{
    EnterNewFolder("empty");
    RunAs(StubPath());

    PartSetSurvey survey = SurveyPartSet();

    EXPECT_TRUE(survey.trailerRead);
    EXPECT_STREQ(survey.trailer.sourcePath, "");
    EXPECT_EQ(survey.trailer.stubSize, 0);
    EXPECT_EQ(survey.trailer.sourceSize, 0);
    EXPECT_EQ(survey.trailer.lastPartIndex, 0);
    EXPECT_EQ(survey.presentCount, 0);
    EXPECT_TRUE(survey.joinAllowed);

    EXPECT_EQ(JoinParts(window.owner()), 0);
    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice(OutputNotice, Caption)}));
    EXPECT_TRUE(FolderEntries(".").empty());
}

TEST_F(JoinTest, MissingRunningFileGivesNoTrailerAndTheLocateNotice)
{
    EnterNewFolder("empty");
    RunAs(Path("empty/movie_00.exe"));

    PartSetSurvey survey = SurveyPartSet();
    EXPECT_FALSE(survey.trailerRead);
    EXPECT_EQ(survey.presentCount, 0);
    EXPECT_EQ(survey.trailer.lastPartIndex, 0);

    EXPECT_EQ(JoinParts(window.owner()), JoinNoTrailer);
    EXPECT_EQ(window.notices,
              (std::vector<Notice>{StopNotice("Unable to loacte original file information", Caption)}));
    EXPECT_TRUE(FolderEntries(".").empty());
}

struct RoundTrip {
    const char* label;
    const char* sourceName;
    const char* outputName;
    size_t sourceSize;
    SliceChoice choice;
    const char* userText;
    size_t stubSize;
};

TEST_F(JoinTest, SplitThenJoinElsewhereGivesBackSourceAndTool)
{
    const RoundTrip cases[] = {
        {"1400 KB", "movie.avi", "movie.avi", 2000000, Slice144, "", FixtureStubSize},
        {"one byte over a 1400 KB slice", "movie.avi", "movie.avi", 1433601, Slice144, "", FixtureStubSize},
        {"320 KB", "movie.avi", "movie.avi", 1000000, Slice360, "", FixtureStubSize},
        {"680 KB", "movie.avi", "movie.avi", 1500000, Slice720, "", FixtureStubSize},
        {"10 KB with empty surplus parts", "movie.avi", "movie.avi", 100000, SliceUser, "10", FixtureStubSize},
        {"smallest source for 10 KB", "tiny.dat", "tiny.dat", 10241, SliceUser, "10", FixtureStubSize},
        {"no extension", "readme", "readme", 50000, SliceUser, "12", FixtureStubSize},
        {"dots in the base name", "Movie.Final.AVI", "Movie.Final.AVI", 300000, SliceUser, "64", FixtureStubSize},
        {"stub beyond the allowance", "movie.avi", "movie.avi", 2818049, Slice144, "", 50000},
    };
    int run = 0;
    for (bool plainCopy : {false, true}) {
        UsePlainCopy(plainCopy);
        for (const RoundTrip& c : cases) {
            SCOPED_TRACE(std::string(c.label) + (plainCopy ? ", plain copy" : ", kernel copy"));
            const std::string tag = std::to_string(run++);
            const std::string stubPath = WriteStub("tool/stub" + tag, c.stubSize);
            snprintf(gProgramPath, sizeof gProgramPath, "%s", stubPath.c_str());
            const Bytes source = PatternBytes(c.sourceSize, static_cast<uint32_t>(run));
            const std::string sourcePath = Path("src" + tag);
            MakeFolder(sourcePath);
            WriteBytes(sourcePath + "/" + c.sourceName, source);
            const std::string splitFolder = EnterNewFolder("a" + tag);
            RecordingOwner splitter;
            ASSERT_EQ(SplitFile((sourcePath + "/" + c.sourceName).c_str(), c.choice, c.userText, splitter.owner()),
                      SplitDone);
            const std::vector<std::string> parts = FolderEntries(".");
            const int32_t last = static_cast<int32_t>(parts.size()) - 1;
            const std::string joinFolder = EnterNewFolder("b" + tag);
            for (const std::string& part : parts)
                CopyFile(splitFolder + "/" + part, joinFolder + "/" + part);
            const std::string base = std::string(c.sourceName).substr(0, std::string(c.sourceName).rfind('.'));
            const std::string partZero = joinFolder + "/" + PartName(base, 0);
            RunAs(partZero);
            RecordingOwner joiner;

            EXPECT_TRUE(SurveyPartSet().joinAllowed);
            EXPECT_EQ(JoinParts(joiner.owner()), JoinDone);

            EXPECT_TRUE(joiner.notices.empty());
            EXPECT_EQ(joiner.statuses, ProcessingTexts(0, last + 1, last));
            EXPECT_TRUE(SameBytes(ReadBytes(c.outputName), source)) << "the output";
            EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), StubBytes(c.stubSize))) << "the tool";
            std::vector<std::string> expected = parts;
            expected.push_back(c.outputName);
            expected.push_back("parvolin.exe");
            EXPECT_EQ(FolderEntries("."), Sorted(expected));
        }
    }
}

TEST_F(JoinTest, HandMadeSetsJoinExactlyOverAnyOldOutputAndTool)
{
    struct Case {
        const char* label;
        std::vector<size_t> dataSizes;
    } const cases[] = {
        {"data in every part", {20480, 12288, 12288, 999}},
        {"no data in part 0", {0, 5000, 5000}},
        {"parts after part 0 shorter than a trailer", {1000, 0, 100, 7}},
        {"one later part", {4096, 1}},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const size_t size = std::accumulate(c.dataSizes.begin(), c.dataSizes.end(), size_t{0});
        const Bytes source = PatternBytes(size, 100u + static_cast<uint32_t>(run));
        const std::string folder = EnterNewFolder("set" + std::to_string(run++));
        RunAs(WriteSet(folder, "movie", "c:\\data\\movie.avi", Stub(), source, c.dataSizes));
        WriteBytes("movie.avi", PatternBytes(3 * size + 5000, 9));
        WriteBytes("parvolin.exe", PatternBytes(3 * FixtureStubSize, 9));
        RecordingOwner owner;
        const int descriptors = OpenDescriptorCount();
        const int32_t last = static_cast<int32_t>(c.dataSizes.size()) - 1;

        EXPECT_EQ(JoinParts(owner.owner()), JoinDone);

        EXPECT_TRUE(owner.notices.empty());
        EXPECT_EQ(owner.statuses, ProcessingTexts(0, last + 1, last));
        EXPECT_TRUE(SameBytes(ReadBytes("movie.avi"), source)) << "the output";
        EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), Stub())) << "the tool";
        std::vector<std::string> expected = {"movie.avi", "parvolin.exe"};
        for (int32_t i = 0; i <= last; ++i)
            expected.push_back(PartName("movie", i));
        EXPECT_EQ(FolderEntries("."), Sorted(expected)) << "the output lands in the current directory";
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

TEST_F(JoinTest, RenamedPartZeroStillJoinsWholeFromTheRunningFile)
{
    struct Case {
        const char* label;
        bool decoy;
    } const cases[] = {
        {"no file under part 0's own name", false},
        {"another file under part 0's own name", true},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Bytes source = PatternBytes(60000, 33);
        const std::string folder = EnterNewFolder("set" + std::to_string(run++));
        const std::string partZero = WriteSet(folder, "movie", "c:\\data\\movie.avi", Stub(), source,
                                              {8192, 20480, 20480, 10848});
        const std::string renamed = folder + "/movie_00 (1).exe";
        ASSERT_EQ(rename(partZero.c_str(), renamed.c_str()), 0);
        if (c.decoy)
            WriteBytes("movie_00.exe", PatternBytes(FixtureStubSize + 8192 + 272, 44));
        RunAs(renamed);
        RecordingOwner owner;

        EXPECT_EQ(JoinParts(owner.owner()), JoinDone);

        EXPECT_TRUE(owner.notices.empty());
        EXPECT_TRUE(SameBytes(ReadBytes("movie.avi"), source)) << "the output";
        EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), Stub())) << "the tool";
    }
}

TEST_F(JoinTest, PartMissingAtJoinTimeStopsWithItsName)
{
    const std::string folder = EnterNewFolder("set");
    RunAs(
        WriteSet(folder, "movie", "c:\\data\\movie.avi", Stub(), PatternBytes(40000, 5), {4000, 12288, 12288, 11424})
            );
    ASSERT_TRUE(SurveyPartSet().joinAllowed);
    ASSERT_EQ(unlink("movie_02"), 0);
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(JoinParts(window.owner()), JoinPartMissing);

    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice("Unable to open part movie_02.", Caption)}));
    EXPECT_EQ(window.statuses, ProcessingTexts(0, 2, 3));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(JoinTest, PartOfTheWrongLengthIsReportedAndTheOutputKept)
{
    struct Case {
        const char* label;
        const char* part;
        int64_t newLength;
        int64_t joined;
        const char* text;
    } const cases[] = {
        {"part 1 one byte short", "movie_01", 29999, 99999,
         "The joined file has 99999 bytes but 100000 were expected; a part may be damaged."},
        {"part 3 five bytes long", "movie_03", 20005, 100005,
         "The joined file has 100005 bytes but 100000 were expected; a part may be damaged."},
        {"part 2 emptied", "movie_02", 0, 70000,
         "The joined file has 70000 bytes but 100000 were expected; a part may be damaged."},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Bytes source = PatternBytes(100000, 6);
        const std::string folder = EnterNewFolder("set" + std::to_string(run++));
        RunAs(
            WriteSet(folder, "movie", "c:\\data\\movie.avi", Stub(), source, {20000, 30000, 30000, 20000}));
        SetFileLength(c.part, c.newLength);
        RecordingOwner owner;

        EXPECT_EQ(JoinParts(owner.owner()), JoinLengthDiffers);

        EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice(c.text, Caption)}));
        EXPECT_EQ(owner.statuses, ProcessingTexts(0, 4, 3));
        EXPECT_EQ(FileSize("movie.avi"), c.joined) << "the output stays, ending where the data ended";
    }
}

TEST_F(JoinTest, OutputNamedLikeTheToolIsNotOverwrittenByTheTool)
{
    struct Case {
        const char* sourcePath;
        const char* base;
        const char* output;
    } const cases[] = {
        {"c:\\x\\PARVOLIN.EXE", "PARVOLIN", "PARVOLIN.EXE"},
        {"c:\\x\\parvolin.exe", "parvolin", "parvolin.exe"},
        {"c:\\x\\ParVolin.Exe", "ParVolin", "ParVolin.Exe"},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourcePath);
        const Bytes source = PatternBytes(50000, 77);
        const std::string folder = EnterNewFolder("set" + std::to_string(run++));
        RunAs(WriteSet(folder, c.base, c.sourcePath, Stub(), source, {10000, 20000, 20000}));
        RecordingOwner owner;

        EXPECT_EQ(JoinParts(owner.owner()), JoinDone);

        EXPECT_TRUE(owner.notices.empty());
        EXPECT_TRUE(SameBytes(ReadBytes(c.output), source));
        EXPECT_EQ(FolderEntries("."), Sorted({PartName(c.base, 0), PartName(c.base, 1), PartName(c.base, 2), c.output}))
            << "no tool beside the output";
    }
}

TEST_F(JoinTest, ToolThatCannotBeReplacedIsLeftAloneAndTheJoinGoesOn)
{
    const Bytes source = PatternBytes(40000, 8);
    const std::string folder = EnterNewFolder("set");
    RunAs(WriteSet(folder, "movie", "c:\\data\\movie.avi", Stub(), source, {0, 20000, 20000}));
    const Bytes oldTool = PatternBytes(1000, 88);
    WriteBytes("parvolin.exe", oldTool);
    if (!MakeUnwritable("parvolin.exe"))
        GTEST_SKIP() << "this file system lets the test process write a read-only file";

    EXPECT_EQ(JoinParts(window.owner()), JoinDone);

    EXPECT_TRUE(window.notices.empty());
    EXPECT_EQ(window.statuses, ProcessingTexts(0, 3, 2));
    EXPECT_TRUE(SameBytes(ReadBytes("movie.avi"), source));
    EXPECT_TRUE(SameBytes(ReadBytes("parvolin.exe"), oldTool));
}

TEST_F(JoinTest, PartZeroShorterThanItsStubIsAReadFailure)
{
    const std::string folder = EnterNewFolder("set");
    Bytes part = Stub();
    Bytes trailer = TrailerBytes("c:\\data\\movie.avi", 50000, 20000, 1);
    part.insert(part.end(), trailer.begin(), trailer.end());
    const std::string partZero = folder + "/movie_00.exe";
    WriteBytes(partZero, part);
    WriteBytes("movie_01", PatternBytes(20000, 3));
    RunAs(partZero);
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(JoinParts(window.owner()), JoinIoFailed);

    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice("Unable to read " + partZero + ".", Caption)}));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(JoinTest, FullDiskStopsWithTheOutputsName)
{
    const std::string set = Path("set");
    MakeFolder(set);
    const Bytes source = PatternBytes(520000, 12);
    const std::string partZero = WriteSet(set, "movie", "c:\\data\\movie.avi", Stub(), source,
                                          {0, 130000, 130000, 130000, 130000});
    const std::string disk = Path("disk");
    MakeFolder(disk);
    SmallDisk small(disk, "1m");
    if (!small.mounted)
        GTEST_SKIP() << "full disk not checked: " << small.reason;
    for (int32_t i = 1; i <= 4; ++i)
        CopyFile(set + "/" + PartName("movie", i), disk + "/" + PartName("movie", i));
    EnterFolder(disk);
    RunAs(partZero);
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(JoinParts(window.owner()), JoinIoFailed);

    EXPECT_EQ(window.notices,
              (std::vector<Notice>{StopNotice("Unable to write movie.avi, the disk may be full.", Caption)}));
    EXPECT_EQ(window.statuses, ProcessingTexts(0, 4, 4));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EnterFolder(Path("."));
}

} // namespace
