#include "engine/task_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/test_app.h"

namespace vfs {
namespace {

using ::testing::ElementsAre;

TEST(TaskLineTest, BuiltLinesHaveExactWidthsAndParseBack) {
    struct Case {
        int kind;
        const char* first;
        const char* second;
        std::string line;
        std::string firstPath;
        std::string secondPath;
    };
    const Case cases[] = {
        {kTaskCopy, "/l/logs", "/r/logs/",
         "Copy    \"Program Logs\", \"/l/logs/a b.kvo\", \"/r/logs/a b.kvo\"", "/l/logs/a b.kvo",
         "/r/logs/a b.kvo"},
        {kTaskReplace, "/r/logs/", "/l/logs",
         "Replace \"Program Logs\", \"/r/logs/a b.kvo\", \"/l/logs/a b.kvo\"", "/r/logs/a b.kvo",
         "/l/logs/a b.kvo"},
        {kTaskDelete, "/l/logs", "/ignored", "Delete  \"Program Logs\", \"/l/logs/a b.kvo\"",
         "/l/logs/a b.kvo", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string line =
            BuildTaskLine(c.kind, "Program Logs", "a b.kvo", c.first, c.second);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(line[8], '"');  // the keyword field is 8 characters wide

        const ParsedTask task = ParseTaskLine(line);
        EXPECT_EQ(task.TaskMode, c.kind);
        EXPECT_TRUE(task.separatorFound);
        EXPECT_EQ(task.category, "Program Logs");
        EXPECT_EQ(task.firstPath, c.firstPath);
        EXPECT_EQ(task.secondPath, c.secondPath);
        EXPECT_EQ(task.TaskStep, 29);
    }
}

TEST(TaskLineTest, QueueTaskCountsEveryCallButQueuesOnlyKnownKinds) {
    test::TestApp app;
    FileEntry entry;
    entry.FileName = "spot.wav";
    QueueTask(app.ctx, kTaskDelete, "Audio Folder 2", entry, "/r/audio", "");
    QueueTask(app.ctx, 7, "Audio Folder 2", entry, "/l/audio", "/r/audio");
    QueueTask(app.ctx, kTaskCopy, "Audio Folder 2", entry, "/l/audio/", "/r/audio");
    EXPECT_THAT(app.form.lstTasksToDo.Items(),
                ElementsAre("Delete  \"Audio Folder 2\", \"/r/audio/spot.wav\"",
                            "Copy    \"Audio Folder 2\", \"/l/audio/spot.wav\", "
                            "\"/r/audio/spot.wav\""));
    EXPECT_EQ(app.state.QueuedTaskCount, 3);
}

TEST(TaskLineTest, ParserReportsLinesItCannotUse) {
    const ParsedTask noSeparator = ParseTaskLine("Copy    \"Program Logs\"");
    EXPECT_FALSE(noSeparator.separatorFound);
    EXPECT_EQ(noSeparator.TaskStep, 23);
    EXPECT_EQ(noSeparator.remainder, "Program Logs\"");

    const ParsedTask unknownVerb = ParseTaskLine("Move    \"Program Logs\", \"/l/a.kvo\"");
    EXPECT_EQ(unknownVerb.TaskMode, -1);
    EXPECT_TRUE(unknownVerb.separatorFound);
    EXPECT_EQ(unknownVerb.firstPath, "/l/a.kvo");

    EXPECT_FALSE(ParseTaskLine("").separatorFound);
    EXPECT_EQ(ParseTaskLine("Delete").TaskMode, kTaskDelete);
}

}  // namespace
}  // namespace vfs
