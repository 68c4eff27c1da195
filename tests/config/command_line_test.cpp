#include "config/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vfs {
namespace {

struct ArgumentCase {
    std::vector<std::string> arguments;
    Invocation invocation;
    std::string programWords;
    bool preview;
    std::string folder;
    std::string refused;
};

TEST(ParseArguments, SortsWordsOptionsAndRefusals) {
    const std::vector<ArgumentCase> cases = {
        {{}, Invocation::Run, "", false, "", ""},
        {{"session:3", "SyncAndExit", "headless"},
         Invocation::Run,
         "session:3 SyncAndExit headless",
         false,
         "",
         ""},
        // Words are found anywhere in an argument, as old scheduler entries wrote them.
        {{"/SYNCANDEXIT", "-Session=2"}, Invocation::Run, "/SYNCANDEXIT -Session=2", false, "", ""},
        {{"SESSION=1"}, Invocation::Run, "SESSION=1", false, "", ""},
        {{"PREVIEW"}, Invocation::Run, "PREVIEW", true, "", ""},
        {{"--dry-run", "SESSION=4"}, Invocation::Run, "SESSION=4", true, "", ""},
        {{"--folder", "/srv/vfs", "HEADLESS"}, Invocation::Run, "HEADLESS", false, "/srv/vfs", ""},
        {{"--folder=/srv/vfs"}, Invocation::Run, "", false, "/srv/vfs", ""},
        {{"", "HEADLESS"}, Invocation::Run, "HEADLESS", false, "", ""},
        // The typo that used to start a program that never exits.
        {{"HEADLESS", "SYNCANDEXT"}, Invocation::Refused, "HEADLESS", false, "", "SYNCANDEXT"},
        {{"SESSION=0"}, Invocation::Refused, "", false, "", "SESSION=0"},
        {{"--dryrun"}, Invocation::Refused, "", false, "", "--dryrun"},
        {{"--folder"}, Invocation::Refused, "", false, "", "--folder"},
        {{"--folder="}, Invocation::Refused, "", false, "", "--folder="},
        {{"bogus", "other"}, Invocation::Refused, "", false, "", "bogus"},
    };
    for (const ArgumentCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const ParsedArguments parsed = ParseArguments(c.arguments);
        EXPECT_EQ(parsed.invocation, c.invocation);
        EXPECT_EQ(parsed.programWords, c.programWords);
        EXPECT_EQ(parsed.preview, c.preview);
        EXPECT_EQ(parsed.programFolder, c.folder);
        EXPECT_EQ(parsed.refusedArgument, c.refused);
    }
}

TEST(ParseArguments, HelpAndVersionWinOverAnythingElse) {
    EXPECT_EQ(ParseArguments({"bogus", "--help"}).invocation, Invocation::Help);
    EXPECT_EQ(ParseArguments({"-h", "HEADLESS"}).invocation, Invocation::Help);
    EXPECT_EQ(ParseArguments({"--version", "--help"}).invocation, Invocation::Help);
    EXPECT_EQ(ParseArguments({"SYNCANDEXT", "--version"}).invocation, Invocation::Version);
}

TEST(ParseArguments, UsageNamesEveryWordAndExitStatus) {
    const std::string usage = UsageText();
    for (const char* part : {"SESSION=n", "SYNCANDEXIT", "HEADLESS", "PREVIEW", "--dry-run",
                             "--folder", "--version", "XDG_DATA_HOME", "  2  ", "  3  "}) {
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(VersionText(), "varnelfilesync " + std::string(VFS_TEST_VERSION) + "\n");
}

TEST(ChooseProgramFolder, InstalledCopiesKeepTheirFilesInTheDataDirectory) {
    // A named folder always wins.
    EXPECT_EQ(ChooseProgramFolder("/srv/x", "/usr/bin", "/d", "/h"), "/srv/x");
    // A copied program keeps its files beside itself.
    EXPECT_EQ(ChooseProgramFolder("", "/opt/playout/sync", "/d", "/h"), "/opt/playout/sync");
    EXPECT_EQ(ChooseProgramFolder("", "/home/op/usrfiles", "/d", "/h"), "/home/op/usrfiles");
    // Installed, also when staged under a DESTDIR.
    EXPECT_EQ(ChooseProgramFolder("", "/usr/bin", "/d", "/h"), "/d/VarnelFileSync");
    EXPECT_EQ(ChooseProgramFolder("", "/tmp/stage/usr/local/bin", "/d", "/h"), "/d/VarnelFileSync");
    EXPECT_EQ(ChooseProgramFolder("", "/usr/bin", nullptr, "/h"), "/h/.local/share/VarnelFileSync");
    // A relative data directory does not count.
    EXPECT_EQ(ChooseProgramFolder("", "/usr/bin", "rel", "/h"), "/h/.local/share/VarnelFileSync");
    EXPECT_EQ(ChooseProgramFolder("", "/usr/bin", nullptr, nullptr), "");
}

}  // namespace
}  // namespace vfs
