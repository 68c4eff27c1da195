#include "platform/copy_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_FALSE(CopyFileChunked(dir / "missing", dir / "out", nullptr, nullptr));
    EXPECT_FALSE(CopyFileChunked(dir / "src", dir / "out", nullptr, &cancelled));
    EXPECT_FALSE(Exists(dir / "out"));
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
