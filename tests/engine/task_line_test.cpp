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

// Each queued row is its task's view: its text is the task line made from the view, the
// view comes back whole from the row's key, only once, and keys are never reused, so a
// row left from a cleared queue can neither show nor take a later task's view.
TEST(TaskLineTest, QueuedViewsAreTheRowsTheyAreTakenFrom) {
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
    const uint64_t copy = views.File(kTaskCopy, "Audio Folder 2", view("a.wav", 1, 7));
    TaskView deleted = view(" b.wav ", 3, 7);
    deleted.secondFolder.clear();
    deleted.secondFileSystem.reset();
    deleted.first = platform::EntryState{};  // not there: a state of nothing but "missing"
    const uint64_t del = views.File(kTaskDelete, "Programs", deleted);
    EXPECT_EQ(views.RowText(copy), lineOf(kTaskCopy, "a.wav"));
    EXPECT_EQ(views.RowText(del), "Delete  \"Programs\", \"/l/audio/ b.wav \"");

    const std::optional<TaskView> first = views.Take(copy);
    ASSERT_TRUE(first);
    EXPECT_FALSE(views.Take(copy));
    EXPECT_EQ(views.RowText(copy), lineOf(kTaskCopy, "a.wav"));  // still shown while it runs
    EXPECT_EQ(first->fileName, "a.wav");
    EXPECT_EQ(first->firstFolder, "/l/audio/");
    EXPECT_EQ(first->secondFolder, "/r/audio/");
    EXPECT_EQ(first->firstFileSystem, 7u);
    EXPECT_EQ(first->secondFileSystem, 9u);
    ASSERT_TRUE(first->first);
    EXPECT_EQ(first->first->size, 1);
    EXPECT_EQ(first->first->modifiedSeconds, 1780000001);
    EXPECT_EQ(first->first->modifiedNanoseconds, 123456789);
    EXPECT_EQ(first->first->changedSeconds, 1780000500);
    EXPECT_TRUE(first->first->exists && first->first->regular);
    EXPECT_FALSE(first->second);

    const std::optional<TaskView> gone = views.Take(del);
    ASSERT_TRUE(gone && gone->first);
    EXPECT_EQ(gone->fileName, " b.wav ");
    EXPECT_FALSE(gone->first->exists);
    EXPECT_EQ(gone->secondFolder, "");
    EXPECT_FALSE(gone->second);
    EXPECT_FALSE(gone->secondFileSystem);

    views.Clear();
    const uint64_t later = views.File(kTaskCopy, "Audio Folder 2", view("c.wav", 5, 7));
    EXPECT_NE(later, copy);
    EXPECT_NE(later, del);
    EXPECT_EQ(views.RowText(copy), "");
    EXPECT_FALSE(views.Take(del));
    EXPECT_EQ(views.Take(later)->first->size, 5);
}

// The queue's rows are composed from the views: a hundred thousand tasks keep no text.
TEST(TaskLineTest, QueuedRowsShowTheirLinesAndLeaveOnlyWithTheirTask) {
    test::TestApp app;
    FileEntry entry;
    entry.FileName = "spot.wav";
    QueueTask(app.ctx, kTaskCopy, "Audio Folder 2", entry, "/l/audio", "/r/audio");
    ListBox& queue = app.form.lstTasksToDo;
    ASSERT_EQ(queue.ListCount(), 1u);
    EXPECT_TRUE(queue.ComposedKey(0));
    EXPECT_EQ(queue.Item(0),
              "Copy    \"Audio Folder 2\", \"/l/audio/spot.wav\", \"/r/audio/spot.wav\"");
    EXPECT_TRUE(TakeTaskView(app.ctx, 0));
    EXPECT_FALSE(TakeTaskView(app.ctx, 0));
    EXPECT_FALSE(TakeTaskView(app.ctx, 1));
    // A row given a text of its own is no task of the queue any more.
    queue.SetItem(0, "Copy    \"x\", \"a\", \"b\"");
    EXPECT_FALSE(queue.ComposedKey(0));
    EXPECT_EQ(queue.Item(0), "Copy    \"x\", \"a\", \"b\"");
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
