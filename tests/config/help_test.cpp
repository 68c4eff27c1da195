#include "config/help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/test_app.h"

namespace vfs {
namespace {

using test::TestApp;

// A viewer that opens a new window per request (none for a missing file) and lets the test
// close windows as a user would.
struct FakeViewer {
    struct Call {
        int64_t caller;
        std::string file;
        HelpRequest request;
    };
    std::vector<Call> calls;
    std::set<int64_t> open;
    std::vector<int64_t> closed;
    std::vector<int32_t> uninitialized;
    int64_t next = 100;
    int32_t cookie = 7;

    HelpViewer Port() {
        HelpViewer v;
        v.open = [this](int64_t caller, const std::string& file, const HelpRequest& r) {
            calls.push_back({caller, file, r});
            if (file.find("missing") != std::string::npos) return int64_t{0};
            open.insert(++next);
            return next;
        };
        v.isWindow = [this](int64_t w) { return open.count(w) > 0; };
        v.close = [this](int64_t w) {
            closed.push_back(w);
            open.erase(w);
        };
        v.initialize = [this] { return cookie; };
        v.uninitialize = [this](int32_t c) { uninitialized.push_back(c); };
        return v;
    }
};

class HelpTest : public ::testing::Test {
  protected:
    TestApp app;
    FakeViewer viewer;
    HtmlHelp help{app.ports, viewer.Port(), "/opt/vfs"};
};

TEST(HelpPathTest, ResolveHelpFileKeepsPathsAndPlacesBareNames) {
    EXPECT_EQ(HelpFilePath("/opt/vfs"), "/opt/vfs/help/varnelfilesync.html");
    struct Case {
        std::string name, want;
    };
    const std::vector<Case> cases = {
        {"", "/opt/vfs/help/varnelfilesync.html"},
        {"other.html", "/opt/vfs/other.html"},
        {"/usr/share/doc/x.html", "/usr/share/doc/x.html"},
        {"help/x.html", "help/x.html"},
        {"C:\\Help\\x.chm", "C:\\Help\\x.chm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveHelpFile("/opt/vfs", c.name), c.want) << c.name;
}

TEST(HelpPathTest, ContextsLeadToTheirTopicPages) {
    EXPECT_EQ(HelpTopicForContext(HelpContextForPage(0)), "pairs.html");
    EXPECT_EQ(HelpTopicForContext(HelpContextForPage(1)), "settings.html");
    EXPECT_EQ(HelpTopicForContext(HelpContextForPage(2)), "running.html");
    EXPECT_EQ(HelpTopicForContext(kHelpContextFolderChooser), "pairs.html#chooser");
    EXPECT_EQ(HelpTopicForContext(999), "varnelfilesync.html");
}

TEST_F(HelpTest, HelpButtonOfTheMainWindowOpensTheContents) {
    Command1_Click(app.ctx, help, 42);
    EXPECT_EQ(app.form.Focus(), "txtFocus");
    ASSERT_EQ(viewer.calls.size(), 1u);
    EXPECT_EQ(viewer.calls[0].caller, 42);
    EXPECT_EQ(viewer.calls[0].file, "/opt/vfs/help/varnelfilesync.html");
    EXPECT_EQ(viewer.calls[0].request.command, HelpCommand::TableOfContents);
    EXPECT_EQ(help.WindowList(), std::vector<std::string>{"42_101"});
    EXPECT_TRUE(help.isHelpWindowOpen());
}

TEST_F(HelpTest, OpenOperationsPassTheirCommandAndRecordOnlyOpenedWindows) {
    help.OpenIndex("", 1, "backup");
    help.OpenSearch("", 1);
    help.OpenTopic("pairs.html", "", 2);
    help.OpenContext(kHelpContextLogPage, "", 2);
    help.OpenTOC("/nowhere/missing.html", 3);
    ASSERT_EQ(viewer.calls.size(), 5u);
    EXPECT_EQ(viewer.calls[0].request.command, HelpCommand::Index);
    EXPECT_EQ(viewer.calls[0].request.keyword, "backup");
    EXPECT_EQ(viewer.calls[1].request.command, HelpCommand::Search);
    EXPECT_EQ(viewer.calls[2].request.command, HelpCommand::DisplayTopic);
    EXPECT_EQ(viewer.calls[2].request.topic, "pairs.html");
    EXPECT_EQ(viewer.calls[3].request.command, HelpCommand::Context);
    EXPECT_EQ(viewer.calls[3].request.context, kHelpContextLogPage);
    // The missing file opened nothing, so nothing is recorded for caller 3.
    EXPECT_EQ(help.WindowList(), (std::vector<std::string>{"1_101", "1_102", "2_103", "2_104"}));
}

TEST_F(HelpTest, WindowsClosedByTheUserAreForgotten) {
    help.OpenTOC("", 1);
    help.OpenTOC("", 2);
    viewer.open.clear();
    EXPECT_FALSE(help.isHelpWindowOpen());
    EXPECT_TRUE(help.WindowList().empty());
}

TEST_F(HelpTest, ClosingOneCallersWindowsLeavesTheOthersOpen) {
    help.OpenTOC("", 1);
    help.OpenTOC("", 2);
    help.OpenTOC("", 1);
    viewer.open.erase(101);  // the user closed one already
    help.CloseHelpWindows(1);
    EXPECT_EQ(viewer.closed, std::vector<int64_t>{103});
    EXPECT_EQ(help.WindowList(), std::vector<std::string>{"2_102"});
    help.CloseAll();
    EXPECT_TRUE(viewer.open.empty());
    EXPECT_TRUE(help.WindowList().empty());
}

TEST_F(HelpTest, ShutdownClosesEverythingAndEndsTheViewerOnce) {
    help.OpenTOC("", 1);
    help.Shutdown();
    help.Shutdown();
    EXPECT_TRUE(help.terminated());
    EXPECT_TRUE(viewer.open.empty());
    EXPECT_EQ(viewer.uninitialized, std::vector<int32_t>{7});
}

TEST_F(HelpTest, FormHandlerGivesF1AndHelpButtonAndClosesWithItsWindow) {
    FormHelpHandler* h = help.InitFormHelpHandler(5, kHelpContextPathPage, true);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->keyPreview());
    EXPECT_EQ(h->helpFile(), "/opt/vfs/help/varnelfilesync.html");
    help.OpenTOC("", 9);  // another window's help

    int key = kKeyF1;
    h->KeyDown(key);
    EXPECT_EQ(key, 0);
    int other = 113;
    h->KeyDown(other);
    EXPECT_EQ(other, 113);
    ASSERT_EQ(viewer.calls.size(), 2u);
    EXPECT_EQ(viewer.calls[1].request.command, HelpCommand::Context);
    EXPECT_EQ(viewer.calls[1].request.context, kHelpContextPathPage);
    EXPECT_EQ(viewer.calls[1].caller, 5);

    // The button opens the contents, then the window's topic.
    h->setHelpContext(kHelpContextSettingsPage);
    h->HelpButton_Click();
    ASSERT_EQ(viewer.calls.size(), 4u);
    EXPECT_EQ(viewer.calls[2].request.command, HelpCommand::TableOfContents);
    EXPECT_EQ(viewer.calls[3].request.context, kHelpContextSettingsPage);

    // A refused close keeps everything; a real close takes the window's help with it.
    h->QueryUnload(true);
    EXPECT_EQ(help.HandlerOf(5), h);
    h->QueryUnload(false);
    EXPECT_EQ(help.HandlerOf(5), nullptr);
    EXPECT_EQ(help.WindowList(), std::vector<std::string>{"9_101"});
}

TEST_F(HelpTest, HandlerWithoutAWindowIsReported) {
    std::vector<std::pair<std::string, std::string>> shown;
    app.ports.messageBox = [&](const std::string& t, const std::string& m, MessageBoxButtons) {
        shown.push_back({t, m});
        return MessageBoxAnswer::Ok;
    };
    EXPECT_EQ(help.InitFormHelpHandler(0, 1, false), nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "[Varnel File Sync] Error");
    EXPECT_EQ(shown[0].second,
              "5: Invalid procedure call or argument\nin InitFormHelpHandler CHtmlHelp");
}

TEST(ErrorReportTest, WhereAndExtraTextAppearOnlyWhenKnown) {
    struct Case {
        long line;
        std::string extra, procedure, module, want;
    };
    const std::vector<Case> cases = {
        {0, "", "", "", "53: File not found"},
        {12, "", "", "", "53: File not found\nin   line 12"},
        {12, "more", "Proc", "Mod", "53: File not found\nin Proc Mod line 12\nmore"},
        {0, "more", "", "", "53: File not found\nmore"},
    };
    for (const Case& c : cases) {
        const ErrorReport r =
            FormatErrorReport("App", 53, "File not found", c.line, c.extra, c.procedure, c.module);
        EXPECT_EQ(r.title, "[App] Error");
        EXPECT_EQ(r.text, c.want);
    }
}

}  // namespace
}  // namespace vfs
