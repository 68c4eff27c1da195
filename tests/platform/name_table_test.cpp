#include "platform/name_table.h"

#include <gtest/gtest.h>

#include <string>

namespace vfs::platform {
namespace {

TEST(NameTableTest, FindsEveryNameByItsExactBytes) {
    NameTable table;
    const std::vector<std::string> names = {"a.wav",    "A.WAV", "",    " show.kvo",
                                            "show.kvo", "ab",    "abc", "Why?.mp3"};
    for (const std::string& name : names)
        ASSERT_TRUE(table.Add(name));
    EXPECT_FALSE(table.Find("a.wav"));  // nothing answers before the table is sealed
    table.Seal();
    ASSERT_EQ(table.Size(), names.size());
    for (uint32_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(table.Name(i), names[i]);
        EXPECT_EQ(table.Find(names[i]), i) << names[i];
    }
    for (const char* absent : {"a.WAV", "a", "abcd", "show.kvo ", "b.wav"})
        EXPECT_FALSE(table.Contains(absent)) << absent;
}

// Names that share their index slots must all stay reachable, and of two equal names the
// first added answers.
TEST(NameTableTest, ManyNamesAndRepeatedNames) {
    NameTable table;
    constexpr uint32_t kCount = 20000;
    for (uint32_t i = 0; i < kCount; ++i)
        ASSERT_TRUE(table.Add("track" + std::to_string(i) + ".wav"));
    ASSERT_TRUE(table.Add("track7.wav"));
    table.Seal();
    for (uint32_t i = 0; i < kCount; ++i)
        ASSERT_EQ(table.Find("track" + std::to_string(i) + ".wav"), i);
    EXPECT_EQ(table.Name(kCount), "track7.wav");
    EXPECT_FALSE(table.Contains("track20000.wav"));

    table.Clear();
    EXPECT_EQ(table.Size(), 0U);
    EXPECT_FALSE(table.Contains("track1.wav"));
    table.Seal();
    EXPECT_FALSE(table.Contains(""));
}

}  // namespace
}  // namespace vfs::platform
