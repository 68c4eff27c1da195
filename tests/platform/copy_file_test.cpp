#include "platform/copy_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

using test::Exists;
using test::Mtime;
using test::ReadFile;
using test::SetMtime;
using test::TempDir;
using test::WriteFile;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

std::string Pattern(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>('a' + (i * 7) % 26);
    return s;
}

TEST(CopyFileChunked, CopiesContentReportsEveryChunkAndCarriesTimeAndReadOnlyMode) {
    TempDir dir;
    const std::string content = Pattern(3 * kCopyChunkBytes + 100);
    WriteFile(dir / "src.bin", content);
    SetMtime(dir / "src.bin", 1600000000);
    ::chmod((dir / "src.bin").c_str(), 0444);
    std::vector<std::pair<int64_t, int64_t>> reports;

    ASSERT_TRUE(CopyFileChunked(
        dir / "src.bin", dir / "dst.bin",
        [&](int64_t total, int64_t done) { reports.emplace_back(total, done); }, nullptr));

    EXPECT_EQ(ReadFile(dir / "dst.bin"), content);
    EXPECT_EQ(Mtime(dir / "dst.bin"), 1600000000);
    EXPECT_EQ(ModeOf(dir / "dst.bin"), 0444u);
    ASSERT_EQ(reports.size(), 4u);
    for (auto [total, done] : reports)
        EXPECT_EQ(total, static_cast<int64_t>(content.size()));
    EXPECT_EQ(reports.back().second, static_cast<int64_t>(content.size()));
}

TEST(CopyFileChunked, ZeroLengthFileIsCopiedWithoutReports) {
    TempDir dir;
    WriteFile(dir / "empty", "");
    int reports = 0;
    ASSERT_TRUE(CopyFileChunked(
        dir / "empty", dir / "copy", [&](int64_t, int64_t) { ++reports; }, nullptr));
    EXPECT_TRUE(Exists(dir / "copy"));
    EXPECT_EQ(ReadFile(dir / "copy"), "");
    EXPECT_EQ(reports, 0);
}

TEST(CopyFileChunked, CancelDuringTheCopyRemovesWhatWasWritten) {
    TempDir dir;
    WriteFile(dir / "src.bin", Pattern(4 * kCopyChunkBytes));
    int32_t cancel = 0;
    int reports = 0;
    EXPECT_FALSE(CopyFileChunked(
        dir / "src.bin", dir / "dst.bin",
        [&](int64_t, int64_t) {
            ++reports;
            cancel = 1;
        },
        &cancel));
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(Exists(dir / "dst.bin"));
}

TEST(CopyFileChunked, RefusalsLeaveTheDestinationAsItWas) {
    TempDir dir;
    WriteFile(dir / "src", "new");
    WriteFile(dir / "readonly", "old");
    ::chmod((dir / "readonly").c_str(), 0444);
    test::MakeDirs(dir / "folder");
    int32_t cancelled = 1;

    EXPECT_FALSE(CopyFileChunked(dir / "src", dir / "readonly", nullptr, nullptr));
    EXPECT_EQ(ReadFile(dir / "readonly"), "old");
    EXPECT_FALSE(CopyFileChunked(dir / "src", dir / "folder", nullptr, nullptr));
    EXPECT_TRUE(Exists(dir / "folder"));
    // The destination is created exclusively: any existing entry is left as it was.
    WriteFile(dir / "writable", "old");
    const CopyResult taken = CopyFileChunked(dir / "src", dir / "writable", nullptr, nullptr);
    EXPECT_FALSE(taken);
    EXPECT_EQ(taken.error, EEXIST);
    EXPECT_EQ(ReadFile(dir / "writable"), "old");
    EXPECT_FALSE(CopyFileChunked(dir / "missing", dir / "out", nullptr, nullptr));
    EXPECT_FALSE(CopyFileChunked(dir / "src", dir / "out", nullptr, &cancelled));
    EXPECT_FALSE(Exists(dir / "out"));
}

// A source that is not a regular file is refused at once: a link is not followed to the
// file it names, a FIFO is not waited on.
TEST(CopyFileChunked, SourceThatIsNoRegularFileIsRefusedWithoutBlocking) {
    TempDir dir;
    WriteFile(dir / "secret", "not to be copied");
    ASSERT_EQ(::symlink((dir / "secret").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    for (const char* name : {"link", "fifo"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(CopyFileChunked(dir / name, dir / "out", nullptr, nullptr));
        EXPECT_FALSE(Exists(dir / "out"));
    }
}

// Written to while being copied, the source gives no single version to copy: the copy fails
// and nothing stays under the destination's name.
TEST(CopyFileChunked, SourceChangedDuringTheCopyFailsIt) {
    TempDir dir;
    WriteFile(dir / "src.bin", Pattern(3 * kCopyChunkBytes));
    int reports = 0;
    const CopyResult result = CopyFileChunked(
        dir / "src.bin", dir / "dst.bin",
        [&](int64_t, int64_t) {
            if (++reports == 1) WriteFile(dir / "src.bin", Pattern(3 * kCopyChunkBytes) + "more");
        },
        nullptr);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.sourceChanged);
    EXPECT_FALSE(Exists(dir / "dst.bin"));
}

// The copy carries the source's modified instant to the nanosecond, from the open file.
TEST(CopyFileChunked, CopyCarriesTheExactInstantOfTheSource) {
    TempDir dir;
    WriteFile(dir / "src.bin", "x");
    const timespec times[2] = {{0, UTIME_OMIT}, {1604192400 + 1800, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "src.bin").c_str(), times, 0), 0);
    ASSERT_TRUE(CopyFileChunked(dir / "src.bin", dir / "dst.bin", nullptr, nullptr));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "dst.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, times[1].tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, times[1].tv_nsec);
}

// Holes stay holes: a mostly empty file takes little more space than its data.
TEST(CopyFileChunked, SparseSourceKeepsItsHoles) {
    TempDir dir;
    const std::string head = Pattern(4096);
    const std::string tail = Pattern(100);
    const off_t size = off_t{1} << 30;
    WriteFile(dir / "sparse.wav", head);
    {
        const int fd = ::open((dir / "sparse.wav").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), size - 100), 100);
        ::close(fd);
    }
    struct stat src {};
    ASSERT_EQ(::stat((dir / "sparse.wav").c_str(), &src), 0);
    if (src.st_blocks * 512 >= src.st_size) GTEST_SKIP() << "no sparse files on this file system";

    ASSERT_TRUE(CopyFileChunked(dir / "sparse.wav", dir / "copy.wav", nullptr, nullptr));
    struct stat dst {};
    ASSERT_EQ(::stat((dir / "copy.wav").c_str(), &dst), 0);
    EXPECT_EQ(dst.st_size, size);
    EXPECT_LE(dst.st_blocks, src.st_blocks + 64);
    const std::string copy = ReadFile(dir / "copy.wav");
    EXPECT_EQ(copy.substr(0, 4096), head);
    EXPECT_EQ(copy.substr(copy.size() - 100), tail);
    EXPECT_EQ(copy.find_first_not_of('\0', 4096), static_cast<std::size_t>(size - 100));
}

TEST(MoveIntoPlace, ReplacesOnlyWhenAskedAndOnlyAWritableFile) {
    TempDir dir;
    WriteFile(dir / "new", "new");
    WriteFile(dir / "old", "old");
    EXPECT_FALSE(MoveIntoPlace(dir / "new", dir / "old", false));
    EXPECT_EQ(ReadFile(dir / "old"), "old");
    ASSERT_TRUE(MoveIntoPlace(dir / "new", dir / "old", true));
    EXPECT_EQ(ReadFile(dir / "old"), "new");
    EXPECT_FALSE(Exists(dir / "new"));

    WriteFile(dir / "next", "next");
    ::chmod((dir / "old").c_str(), 0444);
    EXPECT_FALSE(MoveIntoPlace(dir / "next", dir / "old", true));
    EXPECT_EQ(ReadFile(dir / "old"), "new");
    EXPECT_FALSE(MoveIntoPlace(dir / "next", dir / "absent", true)) << "nothing to replace";
    ASSERT_TRUE(MoveIntoPlace(dir / "next", dir / "absent", false));
    EXPECT_EQ(ReadFile(dir / "absent"), "next");
}

// tmpfs and the test folder's file system differ, so the kernel copy refuses and the
// read/write path does the work.
TEST(CopyFileChunked, CopiesAcrossFileSystems) {
    if (!Exists("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    TempDir dir;
    const std::string content = Pattern(2 * kCopyChunkBytes + 5);
    WriteFile(dir / "src.bin", content);
    const std::string target = "/dev/shm/vfs-copy-test-" + std::to_string(::getpid());
    ASSERT_TRUE(CopyFileChunked(dir / "src.bin", target, nullptr, nullptr));
    EXPECT_EQ(ReadFile(target), content);
    ::unlink(target.c_str());

    // A file whose content the kernel copy does not see (it reports size 0, and some
    // kernels answer "end of file" at once) is still copied whole by reading it.
    ASSERT_TRUE(CopyFileChunked("/proc/self/status", dir / "status", nullptr, nullptr));
    EXPECT_EQ(ReadFile(dir / "status").rfind("Name:", 0), 0u);
}

}  // namespace
}  // namespace vfs::platform
