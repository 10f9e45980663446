#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "partset/partset.h"

namespace {

PartSetTrailer MovieTrailer()
{
    PartSetTrailer trailer = {};
    snprintf(trailer.sourcePath, sizeof trailer.sourcePath, "%s", "c:\\data\\movie.avi");
    trailer.stubSize = 36352;
    trailer.sourceSize = 5000000;
    trailer.lastPartIndex = 3;
    return trailer;
}

std::string WriteTempFile(const std::vector<unsigned char>& bytes)
{
    char path[] = "/tmp/parvolin-partset-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(close(fd), 0);
    return path;
}

} // namespace

TEST(Trailer, EncodesTheMovieSetByteForByte)
{
    PartSetTrailer trailer = MovieTrailer();
    // Whatever lies after the terminator must not reach the file.
    trailer.sourcePath[100] = 'x';
    unsigned char bytes[TrailerSize];
    EncodeTrailer(trailer, bytes);

    const std::string path = "c:\\data\\movie.avi";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), path.size()), path);
    for (int i = static_cast<int>(path.size()); i < 260; ++i)
        ASSERT_EQ(bytes[i], 0) << "offset " << i;
    const unsigned char numbers[12] = {0x00, 0x8E, 0x00, 0x00, 0x40, 0x4B, 0x4C, 0x00, 0x03, 0x00, 0x00, 0x00};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(bytes[260 + i], numbers[i]) << "offset " << 260 + i;
}

TEST(Trailer, DecodesWhatItEncodes)
{
    PartSetTrailer trailer = MovieTrailer();
    trailer.stubSize = -1;
    trailer.sourceSize = INT32_MIN;
    trailer.lastPartIndex = INT32_MAX;
    unsigned char bytes[TrailerSize];
    EncodeTrailer(trailer, bytes);
    const PartSetTrailer back = DecodeTrailer(bytes);
    EXPECT_STREQ(back.sourcePath, "c:\\data\\movie.avi");
    EXPECT_EQ(back.stubSize, -1);
    EXPECT_EQ(back.sourceSize, INT32_MIN);
    EXPECT_EQ(back.lastPartIndex, INT32_MAX);
}

TEST(Trailer, ReadsAPathWithoutTerminatorAsItsFirst259Bytes)
{
    unsigned char bytes[TrailerSize];
    for (unsigned char& b : bytes)
        b = 'p';
    const PartSetTrailer trailer = DecodeTrailer(bytes);
    EXPECT_EQ(std::string(trailer.sourcePath), std::string(259, 'p'));
}

TEST(Trailer, KeepsAPathOf259Characters)
{
    PartSetTrailer trailer = {};
    const std::string path(259, 'q');
    snprintf(trailer.sourcePath, sizeof trailer.sourcePath, "%s", path.c_str());
    unsigned char bytes[TrailerSize];
    EncodeTrailer(trailer, bytes);
    EXPECT_EQ(bytes[258], 'q');
    EXPECT_EQ(bytes[259], 0);
    EXPECT_EQ(std::string(DecodeTrailer(bytes).sourcePath), path);
}

TEST(MakePartName, NumbersPartsWithAtLeastTwoDigits)
{
    struct Case {
        const char* baseName;
        int32_t index;
        const char* name;
    } const cases[] = {
        {"movie", 0, "movie_00.exe"},
        {"movie", 1, "movie_01"},
        {"movie", 12, "movie_12"},
        {"movie", 99, "movie_99"},
        {"movie", 100, "movie_100"},
        {"movie", 2147483647, "movie_2147483647"},
        {"", 3, "_03"},
        {"movie.tar", 0, "movie.tar_00.exe"},
    };
    for (const Case& c : cases) {
        char name[PathBufferSize];
        ASSERT_TRUE(MakePartName(name, c.baseName, c.index)) << c.name;
        EXPECT_STREQ(name, c.name);
    }
}

TEST(MakePartName, RefusesNamesBeyond259CharactersAndNegativeIndices)
{
    char name[PathBufferSize];
    const std::string fits(256, 'b');
    ASSERT_TRUE(MakePartName(name, fits.c_str(), 1));
    EXPECT_EQ(std::string(name), fits + "_01");

    const std::string part0Limit(252, 'b');
    ASSERT_TRUE(MakePartName(name, part0Limit.c_str(), 0));
    EXPECT_EQ(std::string(name).size(), 259u);
    EXPECT_FALSE(MakePartName(name, (part0Limit + "b").c_str(), 0));
    EXPECT_FALSE(MakePartName(name, (fits + "b").c_str(), 1));
    EXPECT_FALSE(MakePartName(name, fits.c_str(), 100));
    EXPECT_FALSE(MakePartName(name, "movie", -1));
}

TEST(ReadTrailerFrom, TakesTheLast272BytesOfTheFile)
{
    std::vector<unsigned char> file(5000, 0xAA);
    unsigned char bytes[TrailerSize];
    EncodeTrailer(MovieTrailer(), bytes);
    file.insert(file.end(), bytes, bytes + TrailerSize);
    const std::string path = WriteTempFile(file);

    PartSetTrailer trailer = {};
    ASSERT_TRUE(ReadTrailerFrom(path.c_str(), &trailer));
    EXPECT_STREQ(trailer.sourcePath, "c:\\data\\movie.avi");
    EXPECT_EQ(trailer.stubSize, 36352);
    EXPECT_EQ(trailer.sourceSize, 5000000);
    EXPECT_EQ(trailer.lastPartIndex, 3);
    unlink(path.c_str());
}

TEST(ReadTrailerFrom, ReadsAProgramWithoutASetAsAllZero)
{
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    } const cases[] = {
        {"program ending in 272 zero bytes", [] {
             std::vector<unsigned char> b(3000, 0x4D);
             b.resize(3000 + TrailerSize, 0);
             return b;
         }()},
        {"file shorter than a trailer", std::vector<unsigned char>(271, 0x5A)},
        {"empty file", {}},
    };
    for (const Case& c : cases) {
        const std::string path = WriteTempFile(c.bytes);
        PartSetTrailer trailer = MovieTrailer();
        ASSERT_TRUE(ReadTrailerFrom(path.c_str(), &trailer)) << c.what;
        EXPECT_STREQ(trailer.sourcePath, "") << c.what;
        EXPECT_EQ(trailer.stubSize, 0) << c.what;
        EXPECT_EQ(trailer.sourceSize, 0) << c.what;
        EXPECT_EQ(trailer.lastPartIndex, 0) << c.what;
        unlink(path.c_str());
    }
}

TEST(ReadTrailerFrom, LeavesTheTrailerAloneWhenTheFileCannotBeOpened)
{
    PartSetTrailer trailer = MovieTrailer();
    EXPECT_FALSE(ReadTrailerFrom("/nonexistent/parvolin/movie_00.exe", &trailer));
    EXPECT_FALSE(ReadTrailerFrom("/tmp", &trailer));
    EXPECT_STREQ(trailer.sourcePath, "c:\\data\\movie.avi");
    EXPECT_EQ(trailer.lastPartIndex, 3);
}

TEST(StubAllowanceFor, CoversStubsBeyondTheFixedAllowance)
{
    EXPECT_EQ(StubAllowanceFor(0), 36864);
    EXPECT_EQ(StubAllowanceFor(36352), 36864);
    EXPECT_EQ(StubAllowanceFor(36864), 36864);
    EXPECT_EQ(StubAllowanceFor(36865), 40960);
    EXPECT_EQ(StubAllowanceFor(50000), 53248);
}

TEST(PartCountIsPlausible, BoundsTheCountBySizeAndSmallestSlice)
{
    PartSetTrailer trailer = MovieTrailer();
    // (5,000,000 + 36,864) / 10,240 + 1 = 492
    trailer.lastPartIndex = 492;
    EXPECT_TRUE(PartCountIsPlausible(trailer));
    trailer.lastPartIndex = 493;
    EXPECT_FALSE(PartCountIsPlausible(trailer));
    trailer.lastPartIndex = -1;
    EXPECT_FALSE(PartCountIsPlausible(trailer));
    trailer.lastPartIndex = INT32_MAX;
    trailer.sourceSize = INT32_MAX;
    EXPECT_FALSE(PartCountIsPlausible(trailer));

    const PartSetTrailer empty = {};
    EXPECT_TRUE(PartCountIsPlausible(empty));
}
