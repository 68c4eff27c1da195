#include "platform/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kSample =
    "; written by hand\r\n"
    "orphan=before any section\r\n"
    "[Settings]\r\n"
    "  SyncCycle =  300000  \r\n"
    "Quoted=\"  C:\\KVO32\\Logs  \"\r\n"
    "Single='x'\r\n"
    "Lone=\"\r\n"
    "Empty=\r\n"
    "Twice=first\r\n"
    "twice=second\r\n"
    "; AutoSync=True\r\n"
    "\r\n"
    "[ Paths ]\r\n"
    "LPLog=/srv/logs\n"  // a line with LF only
    "[settings]\r\n"
    "SyncCycle=60000\r\n"
    "Late=only in the second copy\r\n"
    "[Shutdown]\r\n"
    "Abnormal=1";  // last line cut off without a line end

TEST(ProfileFileTest, ReadsKeysAsTheProfileFunctionsDo) {
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Settings", "SyncCycle", "300000"},            // trimmed around key and value
        {"SETTINGS", "synccycle", "300000"},            // names without regard to case
        {"Settings", "Quoted", "  C:\\KVO32\\Logs  "},  // quotes stripped, inside kept
        {"Settings", "Single", "x"},
        {"Settings", "Lone", "\""},              // one quote alone is no pair
        {"Settings", "Empty", ""},               // present but empty
        {"Settings", "Twice", "first"},          // first of duplicate keys
        {"Settings", "Late", std::nullopt},      // duplicate section: only the first counts
        {"Settings", "AutoSync", std::nullopt},  // commented out
        {"Settings", "orphan", std::nullopt},    // keys before any section belong to none
        {"Paths", "LPLog", "/srv/logs"},         // blanks in the header, LF line end
        {"Shutdown", "Abnormal", "1"},           // truncated last line
        {"Missing", "SyncCycle", std::nullopt},
        {"Paths", "RPLog", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindProfileValue(kSample, c.section, c.key), c.expected)
            << c.section << "/" << c.key;
    }
}

TEST(ProfileFileTest, LongValuesAreCutTo511Characters) {
    const std::string text = "[S]\r\nK=" + std::string(600, 'a') + "\r\n";
    EXPECT_EQ(FindProfileValue(text, "S", "K"), std::string(511, 'a'));
}

TEST(ProfileFileTest, WritingKeepsEveryOtherLine) {
    const std::string before =
        "; comment\n[Settings]\nSyncCycle=1\nsynccycle=2\n\n[Paths]\nLPLog=/a\n";
    // The first occurrence is replaced in place, under the file's section spelling.
    EXPECT_EQ(SetProfileValue(before, "SETTINGS", "SyncCycle", "300000"),
              "; comment\r\n[Settings]\r\nSyncCycle=300000\r\nsynccycle=2\r\n\r\n[Paths]\r\n"
              "LPLog=/a\r\n");
    // A new key follows the section's last entry, before the blank line.
    EXPECT_EQ(SetProfileValue(before, "Settings", "AutoSync", "True"),
              "; comment\r\n[Settings]\r\nSyncCycle=1\r\nsynccycle=2\r\nAutoSync=True\r\n\r\n"
              "[Paths]\r\nLPLog=/a\r\n");
    // A new section goes at the end.
    EXPECT_EQ(SetProfileValue(before, "Shutdown", "Abnormal", "0"),
              "; comment\r\n[Settings]\r\nSyncCycle=1\r\nsynccycle=2\r\n\r\n[Paths]\r\n"
              "LPLog=/a\r\n[Shutdown]\r\nAbnormal=0\r\n");
    EXPECT_EQ(SetProfileValue("", "S", "K", "v"), "[S]\r\nK=v\r\n");
}

TEST(ProfileFileTest, AValueCannotStartANewLine) {
    std::string text = SetProfileValue("", "Paths", "LPLog", "/a\r\n[Shutdown]\nAbnormal=0");
    EXPECT_EQ(FindProfileValue(text, "Paths", "LPLog"), "/a[Shutdown]Abnormal=0");
    EXPECT_EQ(FindProfileValue(text, "Shutdown", "Abnormal"), std::nullopt);
}

TEST(ProfileFileTest, FileWritesCreateReplaceAndReadBack) {
    TempDir dir;
    const std::string file = dir / "a.ini";
    EXPECT_EQ(ReadProfileValue(file, "S", "K"), std::nullopt);
    ASSERT_TRUE(WriteProfileValue(file, "S", "K", "one"));
    ASSERT_TRUE(WriteProfileValue(file, "s", "k", "two"));
    EXPECT_EQ(ReadProfileValue(file, "S", "K"), "two");
    EXPECT_EQ(ReadFile(file), "[S]\r\nK=two\r\n");

    ProfileFileEdit edit(file);
    edit.Set("S", "A", "1");
    edit.Set("T", "B", "2");
    EXPECT_EQ(ReadFile(file), "[S]\r\nK=two\r\n") << "nothing is written before the commit";
    ASSERT_TRUE(edit.Commit());
    EXPECT_EQ(ReadFile(file), "[S]\r\nK=two\r\nA=1\r\n[T]\r\nB=2\r\n");
}

TEST(ProfileFileTest, AnUnwritableFileKeepsItsContent) {
    TempDir dir;
    const std::string file = dir / "ro.ini";
    WriteFile(file, "[S]\nK=old\n");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_FALSE(WriteProfileValue(file, "S", "K", "new"));
    EXPECT_EQ(ReadFile(file), "[S]\nK=old\n");
    EXPECT_EQ(ReadProfileValue(file, "S", "K"), "old");
    // Writing into a folder that is not there fails the same quiet way.
    EXPECT_FALSE(WriteProfileValue(dir / "none/x.ini", "S", "K", "v"));
}

}  // namespace
}  // namespace vfs::platform
