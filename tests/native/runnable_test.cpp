#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "join/join.h"
#include "split/split.h"
#include "test_support.h"

namespace {

// The permission bits of `path`, or -1 when it cannot be examined.
int PermissionBits(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return -1;
    return static_cast<int>(status.st_mode & 07777);
}

// Sets the process's file-creation mask for as long as the object lives.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous_(umask(mask)) {}
    ~ScopedUmask() { umask(previous_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous_;
};

class RunnableTest : public FolderTest {};

// Part 0 and the restored tool are programs and get every bit the mask
// leaves, execute included; the data parts and the joined file stay plain.
// A file already bearing part 0's or the tool's name is made runnable too.
TEST_F(RunnableTest, PartZeroAndTheRestoredToolMayBeRunAsTheMaskAllows)
{
    struct Case {
        mode_t mask;
        bool namesTaken;
    } const cases[] = {
        {022, false}, {027, false}, {077, false}, {002, false}, {011, false}, {022, true},
    };
    int run = 0;
    for (const Case& c : cases) {
        char label[64];
        snprintf(label, sizeof label, "umask %03o%s", static_cast<unsigned>(c.mask),
                 c.namesTaken ? ", names taken by 0600 files" : "");
        SCOPED_TRACE(label);
        ScopedUmask mask(c.mask);
        const int program = static_cast<int>(0777 & ~c.mask);
        const int data = static_cast<int>(0666 & ~c.mask);
        const std::string tag = std::to_string(run++);
        snprintf(gProgramPath, sizeof gProgramPath, "%s", StubPath().c_str());
        MakeFolder(Path("src" + tag));
        const Bytes source = PatternBytes(100000, 3);
        const std::string sourcePath = Path("src" + tag + "/movie.avi");
        WriteBytes(sourcePath, source);

        const std::string splitFolder = EnterNewFolder("a" + tag);
        if (c.namesTaken) {
            WriteBytes("movie_00.exe", Bytes(10, 1));
            ASSERT_EQ(chmod("movie_00.exe", 0600), 0);
        }
        RecordingOwner splitter;
        ASSERT_EQ(SplitFile(sourcePath.c_str(), SliceUser, "40", splitter.owner()), SplitDone);
        EXPECT_EQ(PermissionBits("movie_00.exe"), program) << "part 0";
        EXPECT_EQ(PermissionBits("movie_01"), data) << "part 1";

        const std::string joinFolder = EnterNewFolder("b" + tag);
        for (const std::string& part : FolderEntries(splitFolder))
            CopyFile(splitFolder + "/" + part, joinFolder + "/" + part);
        if (c.namesTaken) {
            WriteBytes("parvolin.exe", Bytes(10, 1));
            ASSERT_EQ(chmod("parvolin.exe", 0600), 0);
        }
        RunAs(joinFolder + "/movie_00.exe");
        RecordingOwner joiner;
        ASSERT_EQ(JoinParts(joiner.owner()), JoinDone);
        EXPECT_TRUE(SameBytes(ReadBytes("movie.avi"), source));
        EXPECT_EQ(PermissionBits("parvolin.exe"), program) << "the restored tool";
        EXPECT_EQ(PermissionBits("movie.avi"), data) << "the joined file";
    }
}

} // namespace
