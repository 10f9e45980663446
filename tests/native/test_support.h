// Shared fixtures for the native tests of the split and the join: a scratch
// folder that is the current directory, fixture files, a recording owner
// window and byte-level file helpers. Helpers throw std::runtime_error when
// the file system refuses them, which GoogleTest reports as a failure.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

using Bytes = std::vector<unsigned char>;

constexpr int FixtureStubSize = 36352;
constexpr int TrailerBytesSize = 272;

// Deterministic bytes in which no two 4096-byte blocks are alike, so a
// misplaced or repeated block always shows.
Bytes PatternBytes(size_t size, uint32_t seed);
// A program file of `size` bytes that carries no part set: varied bytes
// that end in 272 zeros.
Bytes StubBytes(size_t size);
// `count` bytes of `bytes` from `from`, cut at its end.
Bytes SliceOf(const Bytes& bytes, size_t from, size_t count);
// The 272 bytes of a trailer laid out by hand: the path, zeros up to byte
// 259, then the three numbers little-endian.
Bytes TrailerBytes(const std::string& sourcePath, int32_t stubSize, int32_t sourceSize, int32_t lastPartIndex);

// "<base>_NN.exe" for part 0 and "<base>_NN" after it, spelt out apart from
// the code under test so that the checks do not lean on it.
std::string PartName(const std::string& base, int32_t index);

// Reads or writes a whole file; throws when that fails.
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
void AppendBytes(const std::string& path, const Bytes& bytes);
// Sets the file's length without writing data (a sparse file); throws on failure.
void SetFileLength(const std::string& path, int64_t length);
// The file's length, or -1 when there is no such file.
int64_t FileSize(const std::string& path);
bool FileExists(const std::string& path);
// The names in `folder`, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);
// Creates `path` as a folder; throws on failure.
void MakeFolder(const std::string& path);
// Copies a file byte for byte; throws on failure.
void CopyFile(const std::string& from, const std::string& to);
// Makes the process's current directory `path`; throws on failure.
void EnterFolder(const std::string& path);
// The number of file descriptors the process holds open.
int OpenDescriptorCount();

// Makes an existing file refuse to be opened for writing, also for root
// (read-only mode plus the immutable flag); returns false when the file
// system would still let this process write it.
bool MakeUnwritable(const std::string& path);

// Equal when both have the same length and bytes; otherwise names the
// first offset where they part.
::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected);

struct Notice {
    std::string text;
    std::string caption;
    NoticeIcon icon;
};
bool operator==(const Notice& a, const Notice& b);
void PrintTo(const Notice& notice, std::ostream* out);
Notice StopNotice(const std::string& text, const std::string& caption);

// An owner window that keeps every notice and status text in order.
struct RecordingOwner : OwnerWindow {
    RecordingOwner();
    Owner owner() { return this; }
    std::vector<Notice> notices;
    std::vector<std::string> statuses;
};

// "Processing <first>/<last>" up to "Processing <first + count - 1>/<last>".
std::vector<std::string> ProcessingTexts(int32_t first, int32_t count, int32_t last);

// A small tmpfs mounted over `folder` for as long as the object lives;
// `mounted` says whether that worked and `reason` why not.
struct SmallDisk {
    SmallDisk(const std::string& folder, const std::string& size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    std::string folder;
    bool mounted = false;
    std::string reason;
};

// A fresh scratch folder that is the current directory during the test,
// holding the fixture stub at StubPath(). Tear-down restores the directory
// and the platform seams and removes everything the test left.
class FolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // `name` inside the scratch folder.
    std::string Path(const std::string& name) const;
    // Makes a fresh folder `name` inside the scratch folder the current
    // directory; returns its path.
    std::string EnterNewFolder(const std::string& name);
    // Writes a stub of `size` bytes to `name` in the scratch folder and returns its path.
    std::string WriteStub(const std::string& name, size_t size);
    // Makes `path` the running program's own file for the rest of the test.
    void RunAs(const std::string& path);
    const std::string& StubPath() const { return stubPath_; }
    const Bytes& Stub() const { return stub_; }

private:
    std::string root_;
    std::string previousFolder_;
    std::string stubPath_;
    std::string runningPath_;
    Bytes stub_;
};
