#include "test_support.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <linux/fs.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "split/split.h"

static void Fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + strerror(errno));
}

Bytes PatternBytes(size_t size, uint32_t seed)
{
    Bytes bytes(size);
    uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    for (size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

Bytes StubBytes(size_t size)
{
    Bytes bytes = PatternBytes(size, 7);
    if (size >= 2) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
    }
    size_t zeros = std::min<size_t>(size, TrailerBytesSize);
    std::fill(bytes.end() - static_cast<ptrdiff_t>(zeros), bytes.end(), 0);
    return bytes;
}

Bytes SliceOf(const Bytes& bytes, size_t from, size_t count)
{
    if (from >= bytes.size())
        return Bytes();
    size_t end = from + std::min(count, bytes.size() - from);
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.begin() + static_cast<ptrdiff_t>(end));
}

static void PutLittleEndian(Bytes& bytes, size_t at, int32_t value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
}

Bytes TrailerBytes(const std::string& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex)
{
    if (sourcePath.size() > 259)
        throw std::runtime_error("trailer path longer than 259 characters: " + sourcePath);
    Bytes bytes(TrailerBytesSize, 0);
    std::copy(sourcePath.begin(), sourcePath.end(), bytes.begin());
    PutLittleEndian(bytes, 260, stubSize);
    PutLittleEndian(bytes, 264, sourceSize);
    PutLittleEndian(bytes, 268, lastPartIndex);
    return bytes;
}

std::string PartName(const std::string& base, int32_t index)
{
    char number[16];
    snprintf(number, sizeof number, "_%02d", static_cast<int>(index));
    return base + number + (index == 0 ? ".exe" : "");
}

Bytes ReadBytes(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("cannot open", path);
    Bytes bytes;
    unsigned char block[65536];
    for (;;) {
        ssize_t got = read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int error = errno;
            close(fd);
            errno = error;
            Fail("cannot read", path);
        }
        if (got == 0)
            break;
        bytes.insert(bytes.end(), block, block + got);
    }
    if (close(fd) != 0)
        Fail("cannot close", path);
    return bytes;
}

static void WriteWithFlags(const std::string& path, const Bytes& bytes, int flags)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0)
        Fail("cannot create", path);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            int error = put < 0 ? errno : ENOSPC;
            close(fd);
            errno = error;
            Fail("cannot write", path);
        }
        done += static_cast<size_t>(put);
    }
    if (close(fd) != 0)
        Fail("cannot close", path);
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    WriteWithFlags(path, bytes, O_TRUNC);
}

void AppendBytes(const std::string& path, const Bytes& bytes)
{
    WriteWithFlags(path, bytes, O_APPEND);
}

void SetFileLength(const std::string& path, int64_t length)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot create", path);
    if (ftruncate(fd, length) != 0) {
        int error = errno;
        close(fd);
        errno = error;
        Fail("cannot set the length of", path);
    }
    if (close(fd) != 0)
        Fail("cannot close", path);
}

int64_t FileSize(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return -1;
    return status.st_size;
}

bool FileExists(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        Fail("cannot list", folder);
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void MakeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0)
        Fail("cannot make folder", path);
}

void CopyFile(const std::string& from, const std::string& to)
{
    WriteBytes(to, ReadBytes(from));
}

void EnterFolder(const std::string& path)
{
    if (chdir(path.c_str()) != 0)
        Fail("cannot enter", path);
}

int OpenDescriptorCount()
{
    return static_cast<int>(FolderEntries("/proc/self/fd").size());
}

// Sets or clears the immutable flag; false when the file system refuses.
static bool SetImmutable(const std::string& path, bool immutable)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done && ((flags & FS_IMMUTABLE_FL) != 0) != immutable) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

bool MakeUnwritable(const std::string& path)
{
    if (chmod(path.c_str(), 0444) != 0)
        return false;
    if (geteuid() == 0)
        SetImmutable(path, true);
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return false;
    }
    return true;
}

::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected)
{
    size_t common = std::min(actual.size(), expected.size());
    auto parted = std::mismatch(actual.begin(), actual.begin() + static_cast<ptrdiff_t>(common), expected.begin());
    if (parted.first == actual.begin() + static_cast<ptrdiff_t>(common) && actual.size() == expected.size())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "actual has " << actual.size() << " bytes, expected " << expected.size();
    if (parted.first != actual.begin() + static_cast<ptrdiff_t>(common))
        failure << "; first difference at offset " << (parted.first - actual.begin()) << " (actual "
                << static_cast<int>(*parted.first) << ", expected " << static_cast<int>(*parted.second) << ")";
    return failure;
}

bool operator==(const Notice& a, const Notice& b)
{
    return a.text == b.text && a.caption == b.caption && a.icon == b.icon;
}

void PrintTo(const Notice& notice, std::ostream* out)
{
    *out << "{\"" << notice.text << "\", caption \"" << notice.caption << "\", "
         << (notice.icon == NoticeStopIcon ? "stop icon" : "no icon") << "}";
}

Notice StopNotice(const std::string& text, const std::string& caption)
{
    return Notice{text, caption, NoticeStopIcon};
}

static void RecordNotice(OwnerWindow* self, const char* text, const char* caption, NoticeIcon icon)
{
    static_cast<RecordingOwner*>(self)->notices.push_back(Notice{text, caption, icon});
}

static void RecordStatus(OwnerWindow* self, const char* text)
{
    static_cast<RecordingOwner*>(self)->statuses.push_back(text);
}

RecordingOwner::RecordingOwner() : OwnerWindow{RecordNotice, RecordStatus} {}

std::vector<std::string> ProcessingTexts(int32_t first, int32_t count, int32_t last)
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < count; ++i)
        texts.push_back("Processing " + std::to_string(first + i) + "/" + std::to_string(last));
    return texts;
}

SmallDisk::SmallDisk(const std::string& mountFolder, const std::string& size) : folder(mountFolder)
{
    if (geteuid() != 0) {
        reason = "a small tmpfs needs root to be mounted; run the tests as root to check a full disk";
        return;
    }
    std::string options = "size=" + size;
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        reason = "mounting a tmpfs on " + folder + " failed: " + strerror(errno);
        return;
    }
    mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (!mounted)
        return;
    char here[4096];
    if (getcwd(here, sizeof here) != nullptr && std::string(here).rfind(folder, 0) == 0 && chdir("/") != 0)
        ADD_FAILURE() << "cannot leave " << folder;
    if (umount(folder.c_str()) != 0) {
        ADD_FAILURE() << "cannot unmount " << folder << ": " << strerror(errno);
        umount2(folder.c_str(), MNT_DETACH);
    }
}

static int RemoveEntry(const char* path, const struct stat* status, int type, struct FTW*)
{
    if (type != FTW_D && type != FTW_DP && S_ISREG(status->st_mode))
        SetImmutable(path, false);
    return remove(path) == 0 ? 0 : -1;
}

void FolderTest::SetUp()
{
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    previousFolder_ = here;
    char pattern[] = "/tmp/parvolin-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr) << strerror(errno);
    root_ = pattern;
    EnterFolder(root_);
    MakeFolder(Path("tool"));
    stubPath_ = WriteStub("tool/parvolin.exe", FixtureStubSize);
    stub_ = StubBytes(FixtureStubSize);
    UsePlainCopy(false);
}

void FolderTest::TearDown()
{
    SetOwnProgramPath(nullptr);
    UsePlainCopy(false);
    gProgramPath[0] = '\0';
    EXPECT_EQ(chdir(previousFolder_.c_str()), 0);
    if (!root_.empty() && nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) != 0)
        ADD_FAILURE() << "cannot remove " << root_ << ": " << strerror(errno);
}

std::string FolderTest::Path(const std::string& name) const
{
    return root_ + "/" + name;
}

std::string FolderTest::EnterNewFolder(const std::string& name)
{
    const std::string folder = Path(name);
    MakeFolder(folder);
    EnterFolder(folder);
    return folder;
}

std::string FolderTest::WriteStub(const std::string& name, size_t size)
{
    std::string path = Path(name);
    WriteBytes(path, StubBytes(size));
    return path;
}

void FolderTest::RunAs(const std::string& path)
{
    runningPath_ = path;
    SetOwnProgramPath(runningPath_.c_str());
}
