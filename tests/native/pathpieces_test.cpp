#include <gtest/gtest.h>

#include <string>

#include "partset/pathpieces.h"
#include "platform/posix/posix_platform.h"

namespace {

struct PiecesCase {
    const char* path;
    const char* drive;
    const char* directory;
    const char* baseName;
    const char* extension;
};

void ExpectPieces(const PiecesCase& c)
{
    const PathPieces pieces = SplitPathPieces(c.path);
    EXPECT_STREQ(pieces.drive, c.drive) << c.path;
    EXPECT_STREQ(pieces.directory, c.directory) << c.path;
    EXPECT_STREQ(pieces.baseName, c.baseName) << c.path;
    EXPECT_STREQ(pieces.extension, c.extension) << c.path;
}

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC.
struct DoubleByteCodePage : testing::Test {
    void SetUp() override
    {
        AddLeadByteRange(0x81, 0x9F);
        AddLeadByteRange(0xE0, 0xFC);
    }
    void TearDown() override { ClearLeadBytes(); }
};

} // namespace

TEST(SplitPathPieces, BreaksPathsIntoDriveDirectoryBaseNameAndExtension)
{
    const PiecesCase cases[] = {
        {"c:\\data\\movie.avi", "c:", "\\data\\", "movie", ".avi"},
        {"movie", "", "", "movie", ""},
        {"c:movie.tar.gz", "c:", "", "movie.tar", ".gz"},
        {"d:\\dir.old\\readme", "d:", "\\dir.old\\", "readme", ""},
        {"a/b\\c.d", "", "a/b\\", "c", ".d"},
        {".profile", "", "", "", ".profile"},
        {"name.", "", "", "name", "."},
        {"", "", "", "", ""},
        {"\\\\server\\share\\file.txt", "", "\\\\server\\share\\", "file", ".txt"},
        {"c:", "c:", "", "", ""},
        {"c:\\", "c:", "\\", "", ""},
        {"x", "", "", "x", ""},
    };
    for (const PiecesCase& c : cases)
        ExpectPieces(c);
}

TEST(SplitPathPieces, CutsEachPieceToItsBuffer)
{
    const std::string longName(300, 'n');
    PathPieces pieces = SplitPathPieces(longName.c_str());
    EXPECT_EQ(std::string(pieces.baseName), longName.substr(0, 255));

    const std::string longDirectory = std::string(300, 'd') + "\\movie." + std::string(300, 'e');
    pieces = SplitPathPieces(longDirectory.c_str());
    EXPECT_EQ(std::string(pieces.directory), std::string(255, 'd'));
    EXPECT_STREQ(pieces.baseName, "movie");
    EXPECT_EQ(std::string(pieces.extension), "." + std::string(254, 'e'));
}

TEST(SplitPathPieces, TakesUtf8BytesAsTheyAre)
{
    ExpectPieces({"/home/jos\xC3\xA9/r\xC3\xA9sum\xC3\xA9.pdf", "", "/home/jos\xC3\xA9/", "r\xC3\xA9sum\xC3\xA9", ".pdf"});
}

TEST_F(DoubleByteCodePage, NeverTakesADoubleByteCharacterApart)
{
    const PiecesCase cases[] = {
        // 0x95 0x5C and 0x83 0x5C: the second byte is a backslash.
        {"c:\\data\\\x95\x5C.txt", "c:", "\\data\\", "\x95\x5C", ".txt"},
        {"\x83\x5C\x83\x5C", "", "", "\x83\x5C\x83\x5C", ""},
        {"c:\\\x95\x5C\\f.x", "c:", "\\\x95\x5C\\", "f", ".x"},
        // 0x81 0x2E: the second byte is a dot.
        {"a\x81\x2E" "b", "", "", "a\x81\x2E" "b", ""},
        // A lead byte at the very end ends the walk but stays in the name.
        {"dir\\name.ext\x95", "", "dir\\", "name", ".ext\x95"},
    };
    for (const PiecesCase& c : cases)
        ExpectPieces(c);
}

TEST(LowercaseAscii, LowersOnlyAsciiLetters)
{
    char path[] = "C:\\Data\\Movie.AVI";
    EXPECT_EQ(LowercaseAscii(path), path);
    EXPECT_STREQ(path, "c:\\data\\movie.avi");

    char high[] = "\xC3\x89T\xC3\xA9[Z]@";
    LowercaseAscii(high);
    EXPECT_STREQ(high, "\xC3\x89t\xC3\xA9[z]@");
}

TEST_F(DoubleByteCodePage, LowercaseLeavesTheSecondByteOfADoubleByteCharacter)
{
    // 0x83 0x41 is one character; lowering its 0x41 would name another file.
    char path[] = "C:\\\x83\x41\\X\x83\x41Y.TXT";
    LowercaseAscii(path);
    EXPECT_STREQ(path, "c:\\\x83\x41\\x\x83\x41y.txt");
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyAsciiLetters)
{
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } const cases[] = {
        {"PARVOLIN", "parvolin", true},
        {"parvolin", "PaRvOlIn", true},
        {"", "", true},
        {"parvolin2", "parvolin", false},
        {"parvolin", "parvolin2", false},
        {"parvolin", "", false},
        {"\xC3\x89", "\xC3\xA9", false},
        {"[", "{", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
}
