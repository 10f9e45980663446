#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "split/split.h"
#include "test_support.h"

namespace {

const char SizeNotice[] = "Size must be between 10 KB and 2880 KB";

// A split over the fixture stub, with the sources kept apart in "src" and
// the parts written to the scratch folder, the current directory.
void ExpectPartSet(const std::string& base, const Bytes& stub, const Bytes& source, const std::string& sourcePath,
                   int32_t lastPartIndex, const std::vector<int64_t>& partSizes);

struct WorkedCase {
    const char* label;
    size_t sourceSize;
    SliceChoice choice;
    const char* userText;
    int32_t lastPartIndex;
    std::vector<int64_t> partSizes;
};

class SplitTest : public FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        MakeFolder(Path("src"));
        UseStub(StubPath());
    }

    // Makes `path` the program file that part 0 carries.
    void UseStub(const std::string& path)
    {
        ASSERT_LT(path.size(), sizeof gProgramPath);
        snprintf(gProgramPath, sizeof gProgramPath, "%s", path.c_str());
    }

    // Writes a patterned source of `size` bytes as src/<name>; returns its path.
    std::string WriteSource(const std::string& name, size_t size)
    {
        source = PatternBytes(size, static_cast<uint32_t>(size));
        std::string path = Path("src/" + name);
        WriteBytes(path, source);
        return path;
    }

    // Splits each case's source in a folder of its own with `stub` as the
    // program file, and checks every part, the statuses and that no notice
    // was shown.
    void ExpectWorkedCases(const std::vector<WorkedCase>& cases, const Bytes& stub)
    {
        int run = 0;
        for (const WorkedCase& c : cases) {
            SCOPED_TRACE(c.label);
            EnterNewFolder("out" + std::to_string(run++));
            RecordingOwner owner;
            const std::string sourcePath = WriteSource("movie.avi", c.sourceSize);

            EXPECT_EQ(SplitFile(sourcePath.c_str(), c.choice, c.userText, owner.owner()), SplitDone);

            EXPECT_TRUE(owner.notices.empty());
            EXPECT_EQ(owner.statuses, ProcessingTexts(1, c.lastPartIndex + 1, c.lastPartIndex));
            ExpectPartSet("movie", stub, source, sourcePath, c.lastPartIndex, c.partSizes);
            EXPECT_FALSE(FileExists(Path("src/movie_00.exe"))) << "parts go to the current directory";
        }
    }

    Bytes source;
    RecordingOwner window;
};

// Checks the parts "<base>_00.exe" to "<base>_<last>" in the current
// directory: every part's length, part 0 as the stub, then the first data,
// then the trailer, the data of all parts in order equal to the source, and
// no part after the last.
void ExpectPartSet(const std::string& base, const Bytes& stub, const Bytes& source, const std::string& sourcePath,
                   int32_t lastPartIndex, const std::vector<int64_t>& partSizes)
{
    ASSERT_EQ(partSizes.size(), static_cast<size_t>(lastPartIndex) + 1) << "the case lists every part";
    size_t offset = 0;
    for (int32_t i = 0; i <= lastPartIndex; ++i) {
        const std::string name = PartName(base, i);
        SCOPED_TRACE(name);
        ASSERT_EQ(FileSize(name), partSizes[i]);
        Bytes part = ReadBytes(name);
        Bytes data = part;
        if (i == 0) {
            ASSERT_GE(part.size(), stub.size() + TrailerBytesSize);
            EXPECT_TRUE(SameBytes(SliceOf(part, 0, stub.size()), stub)) << "the stub";
            EXPECT_TRUE(SameBytes(SliceOf(part, part.size() - TrailerBytesSize, TrailerBytesSize),
                                  TrailerBytes(sourcePath, static_cast<int32_t>(stub.size()),
                                               static_cast<int32_t>(source.size()), lastPartIndex)))
                << "the trailer";
            data = SliceOf(part, stub.size(), part.size() - stub.size() - TrailerBytesSize);
        }
        EXPECT_TRUE(SameBytes(data, SliceOf(source, offset, data.size()))) << "data from source offset " << offset;
        offset += data.size();
    }
    EXPECT_EQ(offset, source.size()) << "the parts together hold the whole source";
    EXPECT_FALSE(FileExists(PartName(base, lastPartIndex + 1)));
}


TEST_F(SplitTest, WorkedCasesLayOutEveryPartByteForByte)
{
    const std::vector<WorkedCase> cases = {
        {"1400 KB behind 1.44 MB", 2000000, Slice144, "", 1, {1437456, 599168}},
        {"one byte more than a 1400 KB slice", 1433601, Slice144, "", 1, {1437456, 32769}},
        {"320 KB behind 360 KB", 1000000, Slice360, "", 3, {331536, 327680, 327680, 49728}},
        {"680 KB behind 720 KB", 1500000, Slice720, "", 2, {700176, 696320, 140128}},
        {"user 10 KB with four empty surplus parts", 100000, SliceUser, "10", 13,
         {36624, 12288, 12288, 12288, 12288, 12288, 12288, 12288, 12288, 1696, 0, 0, 0, 0}},
        {"user text of leading spaces then 25", 100000, SliceUser, "   25", 5,
         {36624, 28672, 28672, 28672, 13984, 0}},
        {"user 2880 KB, the largest", 3000000, SliceUser, "2880", 1, {2952976, 83648}},
    };
    ExpectWorkedCases(cases, Stub());
}

TEST_F(SplitTest, TrailerIsThePathPaddedWithZerosThenThreeLittleEndianNumbers)
{
    const std::string sourcePath = WriteSource("movie.avi", 2000000);
    ASSERT_EQ(SplitFile(sourcePath.c_str(), Slice144, "", window.owner()), SplitDone);

    Bytes part = ReadBytes("movie_00.exe");
    ASSERT_EQ(part.size(), 1437456u);
    Bytes trailer = SliceOf(part, part.size() - 272, 272);
    Bytes expectedPath(sourcePath.begin(), sourcePath.end());
    expectedPath.resize(260, 0);
    EXPECT_TRUE(SameBytes(SliceOf(trailer, 0, 260), expectedPath));
    const Bytes numbers = {0x00, 0x8E, 0x00, 0x00, 0x80, 0x84, 0x1E, 0x00, 0x01, 0x00, 0x00, 0x00};
    EXPECT_TRUE(SameBytes(SliceOf(trailer, 260, 12), numbers));
}

TEST(ParseUserSliceKb, ReadsDecimalKilobytesWithinTheRangeWithoutWrapping)
{
    struct Case {
        const char* text;
        bool accepted;
        int32_t kb;
    } const cases[] = {
        {"10", true, 10},
        {"2880", true, 2880},
        {"   25", true, 25},
        {"\t\n\v\f\r 25", true, 25},
        {"+10", true, 10},
        {"0000025", true, 25},
        {"25 KB", true, 25},
        {"100abc", true, 100},
        {"9", false, 0},
        {"2881", false, 0},
        {"", false, 0},
        {"abc", false, 0},
        {"-15", false, 0},
        {"-100", false, 0},
        {"+", false, 0},
        {"- 25", false, 0},
        {"4294967306", false, 0},
        {"2147483658", false, 0},
        {"18446744073709551626", false, 0},
        {"99999999999999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t kb = -1;
        EXPECT_EQ(ParseUserSliceKb(c.text, &kb), c.accepted) << '"' << c.text << '"';
        if (c.accepted) {
            EXPECT_EQ(kb, c.kb) << '"' << c.text << '"';
        }
    }
}

TEST_F(SplitTest, UserSizeOutsideTheRangeIsRefusedBeforeAnyFileIsTouched)
{
    struct Case {
        const char* text;
        bool sourceExists;
    } const cases[] = {
        {"9", true}, {"2881", true}, {"", true}, {"abc", true}, {"-15", true}, {"4294967306", true},
        {"5", false},
    };
    const std::string present = WriteSource("movie.avi", 200000);
    const std::string absent = Path("src/none.avi");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("user text \"") + c.text + "\"" + (c.sourceExists ? "" : ", no source"));
        const std::vector<std::string> before = FolderEntries(".");
        RecordingOwner owner;

        EXPECT_EQ(SplitFile((c.sourceExists ? present : absent).c_str(), SliceUser, c.text, owner.owner()),
                  SplitBadUserSize);

        EXPECT_EQ(owner.notices, (std::vector<Notice>{{SizeNotice, "Parvolin", NoticeNoIcon}}));
        EXPECT_TRUE(owner.statuses.empty());
        EXPECT_EQ(FolderEntries("."), before);
    }
}

TEST_F(SplitTest, MissingSourceGetsTheInputNotice)
{
    const int descriptors = OpenDescriptorCount();
    EXPECT_EQ(SplitFile(Path("src/none.avi").c_str(), Slice144, "", window.owner()), SplitNoSource);
    EXPECT_EQ(window.notices,
              (std::vector<Notice>{StopNotice("Unable to open input file, Please select a file to split.", "Parvolin")}));
    EXPECT_FALSE(FileExists("none_00.exe"));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(SplitTest, SourceNoLargerThanOneSliceIsTooSmall)
{
    struct Case {
        size_t size;
        SliceChoice choice;
        const char* userText;
    } const cases[] = {
        {1433600, Slice144, ""},
        {327680, Slice360, ""},
        {696320, Slice720, ""},
        {10240, SliceUser, "10"},
        {0, Slice360, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes");
        RecordingOwner owner;
        const std::string sourcePath = WriteSource("movie.avi", c.size);
        const int descriptors = OpenDescriptorCount();

        EXPECT_EQ(SplitFile(sourcePath.c_str(), c.choice, c.userText, owner.owner()), SplitSourceTooSmall);

        EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice("File is too small to split!!", "Parvolin")}));
        EXPECT_FALSE(FileExists("movie_00.exe"));
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

TEST_F(SplitTest, MissingStubLeavesAnEmptyPartZero)
{
    UseStub(Path("tool/gone.exe"));
    const std::string sourcePath = WriteSource("movie.avi", 2000000);
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(SplitFile(sourcePath.c_str(), Slice144, "", window.owner()), SplitNoStub);

    EXPECT_EQ(window.notices, (std::vector<Notice>{StopNotice("Unable to write header!!", "Parvolin")}));
    EXPECT_EQ(FileSize("movie_00.exe"), 0);
    EXPECT_FALSE(FileExists("movie_01"));
    EXPECT_TRUE(window.statuses.empty());
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(SplitTest, PartThatCannotBeCreatedStopsSilentlyKeepingEarlierParts)
{
    const std::string sourcePath = WriteSource("movie.avi", 1000000);
    const Bytes blocker = {'k', 'e', 'e', 'p'};
    WriteBytes("movie_03", blocker);
    if (!MakeUnwritable("movie_03"))
        GTEST_SKIP() << "this file system lets the test process write a read-only file";
    const int descriptors = OpenDescriptorCount();

    EXPECT_EQ(SplitFile(sourcePath.c_str(), Slice360, "", window.owner()), SplitPartNotCreated);

    EXPECT_TRUE(window.notices.empty());
    EXPECT_EQ(window.statuses, ProcessingTexts(1, 3, 3));
    EXPECT_EQ(FileSize("movie_00.exe"), 331536);
    EXPECT_EQ(FileSize("movie_01"), 327680);
    EXPECT_EQ(FileSize("movie_02"), 327680);
    EXPECT_TRUE(SameBytes(ReadBytes("movie_01"), SliceOf(source, 294912, 327680)));
    EXPECT_TRUE(SameBytes(ReadBytes("movie_03"), blocker));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(SplitTest, FullDiskStopsWithTheNameOfThePartThatDidNotFit)
{
    struct Case {
        const char* label;
        size_t sourceSize;
        SliceChoice choice;
        const char* failingPart;
        std::vector<int64_t> keptSizes;
        std::vector<std::string> statuses;
    } const cases[] = {
        {"part 0 outgrows the disk", 2000000, Slice144, "movie_00.exe", {}, {}},
        {"part 3 outgrows the disk", 1500000, Slice360, "movie_03", {331536, 327680, 327680},
         ProcessingTexts(1, 3, 4)},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string disk = Path("disk" + std::to_string(run++));
        MakeFolder(disk);
        SmallDisk small(disk, "1m");
        if (!small.mounted)
            GTEST_SKIP() << "full disk not checked: " << small.reason;
        EnterFolder(disk);
        RecordingOwner owner;
        const std::string sourcePath = WriteSource("movie.avi", c.sourceSize);
        const int descriptors = OpenDescriptorCount();

        EXPECT_EQ(SplitFile(sourcePath.c_str(), c.choice, "", owner.owner()), SplitIoFailed);

        EXPECT_EQ(owner.notices,
                  (std::vector<Notice>{StopNotice(std::string("Unable to write ") + c.failingPart +
                                                      ", the disk may be full.",
                                                  "Parvolin")}));
        EXPECT_EQ(owner.statuses, c.statuses);
        for (size_t i = 0; i < c.keptSizes.size(); ++i)
            EXPECT_EQ(FileSize(PartName("movie", static_cast<int32_t>(i))), c.keptSizes[i]) << "part " << i;
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
        EnterFolder(Path("."));
    }
}

TEST_F(SplitTest, StubLargerThanTheAllowanceLosesNoData)
{
    const std::vector<WorkedCase> cases = {
        {"1400 KB, a source one byte beyond a 36,864-byte allowance's count", 2818049, Slice144, "", 2,
         {50000 + 1384448 + 272, 1433600, 1}},
        {"user 10 KB, stub larger than the slice", 100000, SliceUser, "10", 14,
         {50272, 12288, 12288, 12288, 12288, 12288, 12288, 12288, 12288, 1696, 0, 0, 0, 0, 0}},
    };
    UseStub(WriteStub("tool/big.exe", 50000));
    ExpectWorkedCases(cases, StubBytes(50000));
}

TEST_F(SplitTest, SourceBeyondWhatTheCountCanHoldIsTooLarge)
{
    struct Case {
        const char* label;
        size_t stubSize;
        int64_t sourceSize;
        bool refused;
        int64_t partZeroSize;
        int32_t lastPartIndex;
    } const cases[] = {
        {"largest source for the fixture stub", FixtureStubSize, 2147446783, false, 1437456, 1497},
        {"one byte more", FixtureStubSize, 2147446784, true, 0, 0},
        {"a size beyond 32 bits", FixtureStubSize, 4294967296 + 2000000, true, 0, 0},
        {"largest source for a 50,000-byte stub", 50000, 2147430399, false, 1434720, 1497},
        {"one byte more for a 50,000-byte stub", 50000, 2147430400, true, 0, 0},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EnterNewFolder("out" + std::to_string(run));
        UseStub(WriteStub("tool/stub" + std::to_string(run++), c.stubSize));
        const std::string sourcePath = Path("src/huge.bin");
        SetFileLength(sourcePath, c.sourceSize);
        WriteBytes("huge_01", Bytes{'x'});
        if (!MakeUnwritable("huge_01"))
            GTEST_SKIP() << "this file system lets the test process write a read-only file";
        RecordingOwner owner;

        int result = SplitFile(sourcePath.c_str(), Slice144, "", owner.owner());

        if (c.refused) {
            EXPECT_EQ(result, SplitSourceTooLarge);
            EXPECT_EQ(owner.notices, (std::vector<Notice>{StopNotice("File is too large to split!!", "Parvolin")}));
            EXPECT_FALSE(FileExists("huge_00.exe"));
        } else {
            EXPECT_EQ(result, SplitPartNotCreated) << "stopped at the unwritable part 1";
            EXPECT_TRUE(owner.notices.empty());
            EXPECT_EQ(owner.statuses, ProcessingTexts(1, 1, c.lastPartIndex));
            ASSERT_EQ(FileSize("huge_00.exe"), c.partZeroSize);
            Bytes part = ReadBytes("huge_00.exe");
            EXPECT_TRUE(SameBytes(SliceOf(part, part.size() - TrailerBytesSize, TrailerBytesSize),
                                  TrailerBytes(sourcePath, static_cast<int32_t>(c.stubSize),
                                               static_cast<int32_t>(c.sourceSize), c.lastPartIndex)));
        }
    }
}

} // namespace
