#include "config/record_places.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::MakeDirs;
using test::TempDir;
using test::WriteFile;

// The message with the reason in its brackets left out, and whether one was given: Windows
// words its reasons itself, in the language of the system.
std::string WithoutReason(const std::string& message) {
    const std::size_t open = message.find(" [");
    const std::size_t close = message.find(']', open);
    if (open == std::string::npos || close == std::string::npos || close == open + 2) {
        return message;
    }
    return message.substr(0, open) + " [...]" + message.substr(close + 1);
}

// Root reads and writes through any permission, so the cases put the wrong kind of thing in
// a place; permissions and read-only file systems are covered by the end-to-end tests.
TEST(RecordPlacesTest, SaysWhichPlaceCannotBeUsedAndWhy) {
    struct Case {
        const char* what;
        void (*arrange)(const std::string& prog);
        std::string wantMessage;  // after the program folder; empty when all is well
    };
    const std::vector<Case> cases = {
        {"fresh folder", [](const std::string&) {}, ""},
        {"settings file present",
         [](const std::string& prog) { WriteFile(prog + "/VarnelFileSync.ini", "[Settings]\n"); },
         ""},
        {"folder for a settings file",
         [](const std::string& prog) { MakeDirs(prog + "/VarnelFileSync.ini"); },
         "/VarnelFileSync.ini cannot be read [Is a directory].  No files will be synced."},
        {"file for the state folder",
         [](const std::string& prog) { WriteFile(prog + "/VarnelFileSyncSettings", "x"); },
         "/VarnelFileSyncSettings cannot be created [File exists].  No files will be synced."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string prog = dir / "prog";
        MakeDirs(prog);
        c.arrange(prog);
        test::TestApp app(prog);
        std::optional<RecordProblem> problem = FindRecordProblem(app.ctx);
        if (c.wantMessage.empty()) {
            EXPECT_FALSE(problem) << c.what << ": " << problem->message;
            EXPECT_TRUE(Exists(prog + "/VarnelFileSyncSettings")) << c.what;
            continue;
        }
        ASSERT_TRUE(problem) << c.what;
        EXPECT_EQ(problem->title, "Varnel File Sync Cannot Keep Its Records");
        const std::string start = c.wantMessage.rfind("/VarnelFileSyncSettings", 0) == 0
                                      ? "The folder " + prog
                                      : "The settings file " + prog;
        EXPECT_EQ(WithoutReason(problem->message),
                  WithoutReason(start + test::NativePath(c.wantMessage)))
            << c.what;
#ifndef _WIN32
        EXPECT_EQ(problem->message, start + test::NativePath(c.wantMessage)) << c.what;
#endif
    }
}

TEST(RecordPlacesTest, AProgramFolderThatIsNoFullPathIsNoPlace) {
    test::TestApp app("relative/prog");
    std::optional<RecordProblem> problem = FindRecordProblem(app.ctx);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message,
              "The program folder relative/prog is not a full path.  No files will be synced.");
}

}  // namespace
}  // namespace vfs
