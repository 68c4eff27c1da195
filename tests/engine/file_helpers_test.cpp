#include "engine/file_helpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "platform/file_system.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::TempDir;
using test::WriteFile;

constexpr PathStyle W = PathStyle::Windows;
constexpr PathStyle P = PathStyle::Posix;

struct PathCase {
    PathStyle style;
    std::string input;
    std::string expected;
};

// n components "c0".."c<n-1>" joined with the style's separator.
std::string Components(int n, PathStyle style) {
    std::string path = "c0";
    for (int i = 1; i < n; ++i)
        path += SeparatorOf(style) + std::string("c") + std::to_string(i);
    return path;
}

TEST(PathHelpersTest, GetFolderPart) {
    const PathCase cases[] = {
        {W, R"(C:\Data\Audio\spot.wav)", R"(C:\Data\Audio)"},
        {W, R"(C:\spot.wav)", R"(C:\)"},
        {W, R"(C:spot.wav)", R"(C:\)"},
        {W, R"(C:\Data\Audio\)", R"(C:\Data\Audio)"},
        {W, R"(\\server\share\a.txt)", R"(\\server\share)"},
        {W, R"(C:\Data\\spot.wav)", R"(C:\Data\)"},
        {W, "spot.wav", ""},
        {W, "/data/spot.wav", ""},
        {P, "/data/audio/spot.wav", "/data/audio"},
        {P, "/spot.wav", "/"},
        {P, "/data/audio/", "/data/audio"},
        {P, "//server/share/a.txt", "//server/share"},
        {P, "/data//spot.wav", "/data/"},
        {P, "C:spot.wav", ""},
        {P, "spot.wav", ""},
        {P, "", ""},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(GetFolderPart(c.input, c.style), c.expected) << c.input;
    }
}

TEST(PathHelpersTest, GetFileNamePart) {
    const PathCase cases[] = {
        {W, R"(  C:\Data\ spot.wav  )", "spot.wav"},
        {W, R"(C:\Data\)", ""},
        {W, "spot.wav", "spot.wav"},
        {W, R"(C:spot.wav)", "C:spot.wav"},
        // Only 20 leading components are removed.
        {W, Components(26, W), Components(26, W).substr(Components(20, W).size() + 1)},
        {P, "/data/audio/spot.wav", "spot.wav"},
        {P, "/data/", ""},
        {P, Components(26, P), Components(26, P).substr(Components(20, P).size() + 1)},
        {P, Components(21, P), "c20"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(GetFileNamePart(c.input, c.style), c.expected) << c.input;
    }
    EXPECT_EQ(GetFileNamePart(Components(26, P), P), "c20/c21/c22/c23/c24/c25");
}

TEST(PathHelpersTest, FolderPathPrefixes) {
    struct Case {
        PathStyle style;
        std::string path;
        std::vector<std::string> prefixes;
    };
    const Case cases[] = {
        {W,
         R"(C:\Data\Audio\New)",
         {R"(C:\)", R"(C:\Data\)", R"(C:\Data\Audio\)", R"(C:\Data\Audio\New\)"}},
        {W, R"( C:\ Data \Audio)", {R"(C:\)", R"(C:\Data\)", R"(C:\Data\Audio\)"}},
        {W,
         R"(\\srv\share\x)",
         {R"(\)", R"(\\)", R"(\\srv\)", R"(\\srv\share\)", R"(\\srv\share\x\)"}},
        {W, "C:", {}},
        {P, "/srv/a/b", {"/", "/srv/", "/srv/a/", "/srv/a/b/"}},
        {P, "srv", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPathPrefixes(c.path, c.style), c.prefixes) << c.path;
    }
}

TEST(PathHelpersTest, SplitFolderPathStopsAtOneHundredComponents) {
    for (PathStyle style : {W, P}) {
        const std::string path = Components(150, style);
        const std::vector<std::string> parts = SplitFolderPath(path, style);
        ASSERT_EQ(parts.size(), 100u);
        EXPECT_EQ(parts[98], "c98");
        EXPECT_EQ(parts[99], path.substr(Components(99, style).size() + 1));
        EXPECT_EQ(SplitFolderPath(Components(100, style), style).back(), "c99");
    }
}

TEST(PathHelpersTest, SpaceQueryPath) {
    const PathCase cases[] = {
        {W, R"(C:\Data\spot.wav)", R"(C:\Data)"},
        {W, R"(C:\Data)", R"(C:\Data)"},
        {W, R"(C:\Data.old\)", R"(C:\Data.old\)"},
        {W, R"(C:\spot.wav)", R"(C:\)"},
        {W, R"(C:\)", R"(C:\)"},
        {W, R"(\\server\share)", R"(\\server\share\)"},
        {W, R"(\\server\share\a.txt)", R"(\\server\share\)"},
        {P, "/srv/audio/spot.wav", "/srv/audio"},
        {P, "/srv/audio", "/srv/audio"},
        {P, "/spot.wav", "/"},
        {P, "/", "/"},
        {P, "//server/share", "//server/share/"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(SpaceQueryPath(c.input, c.style), c.expected) << c.input;
    }
}

TEST(PathHelpersTest, WithTrailingSeparator) {
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(WithTrailingSeparator("/srv"), "/srv/");
    EXPECT_EQ(WithTrailingSeparator("/srv/"), "/srv/");
}

// A relative path must never be resolved against the current directory.
class InsideTempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(::getcwd(oldCwd_, sizeof oldCwd_), nullptr);
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(::chdir(oldCwd_), 0); }

    TempDir dir;

  private:
    char oldCwd_[4096] = {};
};

TEST_F(InsideTempDir, RelativePathsGiveTheFailureValue) {
    WriteFile(dir / "sub/a.txt", "abc");
    EXPECT_FALSE(FolderExists("sub"));
    EXPECT_FALSE(FolderExists("sub/"));
    EXPECT_FALSE(FileExists("sub/a.txt"));
    EXPECT_EQ(GetFileSizeBytes("sub/a.txt"), -1);
    EXPECT_FALSE(SetFileDate("sub/a.txt", LocalDateTime{2024, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(GetFreeSpace("sub"), 0.0);
    EXPECT_EQ(GetTotalSpace("sub/a.txt"), 0.0);
    EXPECT_FALSE(MakeFolderPath("new/one/two"));
    EXPECT_FALSE(Exists(dir / "new"));
}

TEST(DiskHelpersTest, FolderAndFileExistence) {
    TempDir dir;
    WriteFile(dir / "sub/Spot.wav", "x");
    EXPECT_TRUE(FolderExists(dir.path()));
    EXPECT_TRUE(FolderExists(dir / "sub/"));
    EXPECT_TRUE(FolderExists("/"));
    EXPECT_FALSE(FolderExists(""));
    EXPECT_FALSE(FolderExists(dir / "sub/Spot.wav"));
    EXPECT_FALSE(FolderExists(dir / "missing"));

    EXPECT_TRUE(FileExists(dir / "sub/Spot.wav"));
    EXPECT_TRUE(FileExists(dir / "sub"));
    // '*' and '?' are name characters, not a search.
    EXPECT_FALSE(FileExists(dir / "sub/*.wav"));
    EXPECT_FALSE(FileExists(dir / "sub/Sp?t.wav"));
    EXPECT_FALSE(FileExists(dir / "sub/other.wav"));
    EXPECT_FALSE(FileExists(""));
}

TEST(DiskHelpersTest, MakeFolderPathCreatesEveryMissingLevel) {
    TempDir dir;
    const std::string path = dir / "one/two/three";
    EXPECT_TRUE(MakeFolderPath(path));
    EXPECT_TRUE(FolderExists(dir / "one"));
    EXPECT_TRUE(FolderExists(dir / "one/two"));
    EXPECT_TRUE(FolderExists(path));
    EXPECT_TRUE(MakeFolderPath(path + "/"));  // already there

    // A file in the way: the levels above it stay, the answer is false.
    WriteFile(dir / "file", "x");
    EXPECT_FALSE(MakeFolderPath(dir / "file/sub"));
    EXPECT_FALSE(MakeFolderPath(""));
}

TEST(DiskHelpersTest, GetFileSizeBytesIsSixtyFourBitAndNeedsWriteAccess) {
    TempDir dir;
    WriteFile(dir / "small.wav", "12345");
    EXPECT_EQ(GetFileSizeBytes(dir / "small.wav"), 5);

    // Sparse, so the test costs no disk space; the top bit of the low 32 bits is set.
    const std::string big = dir / "big.wav";
    const int64_t bigSize = (int64_t{5} << 32) + 0x80000001LL;
    WriteFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), bigSize), 0);
    EXPECT_EQ(GetFileSizeBytes(big), bigSize);

    ::chmod((dir / "small.wav").c_str(), 0444);
    EXPECT_EQ(GetFileSizeBytes(dir / "small.wav"), -1);
    EXPECT_EQ(GetFileSizeBytes(dir / "missing.wav"), -1);
    EXPECT_EQ(GetFileSizeBytes(dir.path()), -1);
}

TEST(DiskHelpersTest, SetFileDateWritesWholeSecondsOfLocalTime) {
    TempDir dir;
    const std::string file = dir / "spot.wav";
    WriteFile(file, "x");
    ASSERT_TRUE(SetFileDate(file, LocalDateTime{2023, 10, 29, 14, 5, 9, 870}));
    EXPECT_EQ(platform::ModifiedTime(file), (LocalDateTime{2023, 10, 29, 14, 5, 9, 0}));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_nsec, 0);

    EXPECT_FALSE(SetFileDate(file, LocalDateTime{2023, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(SetFileDate(dir / "missing.wav", LocalDateTime{2023, 1, 1, 0, 0, 0, 0}));
}

TEST(DiskHelpersTest, SpaceMatchesTheVolumeExactly) {
    TempDir dir;
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &vfs), 0);
    const double total = static_cast<double>(static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize);
    EXPECT_EQ(GetTotalSpace(dir.path()), total);
    // A text that looks like a file is queried through its folder, existing or not.
    EXPECT_EQ(GetTotalSpace(dir / "not-there.wav"), total);
    EXPECT_GT(GetFreeSpace(dir.path()), 0.0);
    EXPECT_LE(GetFreeSpace(dir.path()), total);

    EXPECT_EQ(GetFreeSpace(dir / "missing/folder"), 0.0);
    EXPECT_EQ(GetTotalSpace(""), 0.0);
}

TEST(FormatByteSizeTest, RepeatedDivisionByTenTwentyFour) {
    const double k = 1024.0;
    struct Case {
        double bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 Bytes"},
        {512, "512 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {1280, "1.3 KB"},  // 1.25: a half rounds up
        {1048575, "1024.0 KB"},
        {1048576, "1.0 MB"},
        {3 * k * k * k, "3.0 GB"},
        {4294967295.0, "4.0 GB"},
        {2.5 * std::pow(k, 4), "2.5 TB"},
        {std::pow(k, 5), "1.0 PB"},
        {std::pow(k, 6), "1.0 XB"},
        {std::pow(k, 7), "1.0"},
        {5 * std::pow(k, 8), "5.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatByteSize(c.bytes, '.'), c.text) << c.bytes;
    }
    EXPECT_EQ(FormatByteSize(1536, ','), "1,5 KB");
    EXPECT_EQ(FormatByteSize(1023, ','), "1023 Bytes");
    EXPECT_EQ(FormatByteSize(INFINITY, '.'), "0 Bytes");
}

TEST(FormatByteSizeTest, UsesTheUsersDecimalSeparator) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(FormatByteSize(1536), "1.5 KB");
    // A comma locale, where the machine has one.
    locale_t german = ::newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (german != static_cast<locale_t>(0)) {
        ::freelocale(german);
        ::setenv("LC_ALL", "de_DE.UTF-8", 1);
        EXPECT_EQ(FormatByteSize(1536), "1,5 KB");
    }
    if (old) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}

TEST(SpaceButtonsTest, ShowTheSpaceOfTheTypedPath) {
    TempDir dir;
    test::TestApp app(dir.path());
    app.form.txtSpace.SetText(dir.path());
    btnTotalSpace_Click(app.ctx);
    EXPECT_EQ(app.form.lblSpace.Caption(), FormatByteSize(GetTotalSpace(dir.path())));
    EXPECT_NE(app.form.lblSpace.Caption(), "0 Bytes");

    app.form.txtSpace.SetText(dir / "unreachable/share");
    btnFreeSpace_Click(app.ctx);
    EXPECT_EQ(app.form.lblSpace.Caption(), "0 Bytes");
}

}  // namespace
}  // namespace vfs
