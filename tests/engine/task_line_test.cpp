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

// Views come back whole, under exactly the line they were filed with, the earliest first
// for a line queued twice, and only once each.
TEST(TaskLineTest, QueuedViewsAreTakenByTheirLineInTheOrderFiled) {
    const auto view = [](const std::string& name, int64_t size, std::optional<uint64_t> fs) {
        TaskView v;
        v.fileName = name;
        v.firstFolder = "/l/audio/";
        v.secondFolder = "/r/audio/";
        v.first = platform::EntryState{true, true, size, 1780000000 + size, 123456789, 1780000500};
        v.second = std::nullopt;  // the look-up failed
        v.firstFileSystem = fs;
        v.secondFileSystem = 9;
        return v;
    };
    const auto lineOf = [](int kind, const std::string& name) {
        return BuildTaskLine(kind, "Audio Folder 2", name, "/l/audio/", "/r/audio/");
    };
    QueuedTaskViews views;
    views.File(lineOf(kTaskCopy, "a.wav"), kTaskCopy, "Audio Folder 2", view("a.wav", 1, 7));
    views.File(lineOf(kTaskCopy, "a.wav"), kTaskCopy, "Audio Folder 2",
               view("a.wav", 2, std::nullopt));
    TaskView deleted = view("b.wav", 3, 7);
    deleted.secondFolder.clear();
    deleted.secondFileSystem.reset();
    views.File(lineOf(kTaskDelete, "b.wav"), kTaskDelete, "Audio Folder 2", deleted);

    EXPECT_FALSE(views.Take(lineOf(kTaskReplace, "a.wav")));
    EXPECT_FALSE(views.Take(lineOf(kTaskCopy, "A.wav")));
    const std::optional<TaskView> first = views.Take(lineOf(kTaskCopy, "a.wav"));
    const std::optional<TaskView> second = views.Take(lineOf(kTaskCopy, "a.wav"));
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(views.Take(lineOf(kTaskCopy, "a.wav")));
    EXPECT_EQ(first->first->size, 1);
    EXPECT_EQ(first->firstFileSystem, 7u);
    EXPECT_EQ(second->first->size, 2);
    EXPECT_FALSE(second->firstFileSystem);
    EXPECT_EQ(second->fileName, "a.wav");
    EXPECT_EQ(second->firstFolder, "/l/audio/");
    EXPECT_EQ(second->secondFolder, "/r/audio/");
    EXPECT_EQ(second->first->modifiedSeconds, 1780000002);
    EXPECT_EQ(second->first->modifiedNanoseconds, 123456789);
    EXPECT_EQ(second->first->changedSeconds, 1780000500);
    EXPECT_TRUE(second->first->regular);
    EXPECT_FALSE(second->second);
    EXPECT_EQ(second->secondFileSystem, 9u);

    const std::optional<TaskView> gone = views.Take(lineOf(kTaskDelete, "b.wav"));
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->fileName, "b.wav");
    EXPECT_EQ(gone->secondFolder, "");
    EXPECT_FALSE(gone->second);
    EXPECT_FALSE(views.Take(lineOf(kTaskDelete, "b.wav")));
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
