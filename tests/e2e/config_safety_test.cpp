// The operator's settings, the places the program keeps its record, the task log file and
// the configured folders, checked through whole runs of the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "section/key" (both lower case, as the program compares them) to value.
std::map<std::string, std::string> IniKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::string section;
    for (std::string line : StampedLines(text)) {
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = Lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        keys.emplace(section + "/" + Lower(line.substr(0, eq)), line.substr(eq + 1));
    }
    return keys;
}

// Everything in the folder, name to content.
std::map<std::string, std::string> Tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        if (!entry.is_regular_file()) continue;
        files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path().string());
    }
    return files;
}

// A mount for the length of a test; the test is skipped where mounting is not allowed.
class Mount {
  public:
    // A tmpfs of that many kibibytes at the folder.
    static Mount Tmpfs(const std::string& folder, int kib) {
        test::MakeDirs(folder);
        const std::string options = "size=" + std::to_string(kib) + "k";
        Mount m(folder);
        m.ok_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        m.error_ = errno;
        return m;
    }
    // The folder made read-only by a read-only bind mount of itself.
    static Mount ReadOnly(const std::string& folder) {
        Mount m(folder);
        m.ok_ = ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
        m.error_ = errno;
        if (m.ok_ && ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                             nullptr) != 0) {
            m.error_ = errno;
            m.Unmount();
        }
        return m;
    }
    Mount(Mount&& other) noexcept
        : folder_(std::move(other.folder_)),
          ok_(std::exchange(other.ok_, false)),
          error_(other.error_) {}
    ~Mount() { Unmount(); }
    bool ok() const { return ok_; }
    std::string Why() const {
        return "cannot mount at " + folder_ + " (" + std::strerror(error_) +
               "); this test needs root and mount permission";
    }
    void Unmount() {
        if (ok_) ::umount2(folder_.c_str(), MNT_DETACH);
        ok_ = false;
    }

  private:
    explicit Mount(std::string folder) : folder_(std::move(folder)) {}
    std::string folder_;
    bool ok_ = false;
    int error_ = 0;
};

// --- The operator's settings survive a run ---

// Every key the program knows, none at its default value.
std::string FullSettings(const ProgramFolder& pf) {
    const std::string L = pf / "L";
    const std::string R = pf / "R";
    return "SyncCycle=600000\n"
           "AutoStart=True\n"
           "AutoSync=True\n"
           "StartMinimized=True\n"
           "EnableFileBackup=True\n"
           "NumFileBackups=2\n"
           "FileBackupPath=" +
           (pf / "B") +
           "\n"
           "SleepTimeCopy=40\n"
           "SleepTimeSync=100\n"
           "AppPriority=4\n"
           "MaxCompletedTasks=2000\n"
           "ExtendedFolders=True\n"
           "BackupType=False\n"
           "PrevTabVisible=2\n"
           "AutoScroll=0\n"
           "LogToFile=1\n"
           "MaxAudioPaths=3\n"
           "[Shutdown]\n"
           "Abnormal=0\n"
           "[Paths]\n"
           "LPLog=" +
           L + "/logs\nRPLog=" + R + "/logs\n" + "LText=" + L + "/text\nRText=" + R + "/text\n" +
           "LVideo=" + L + "/video\nRVideo=" + R + "/video\n" + "LTrigger=" + L +
           "/trg\nRTrigger=" + R + "/trg\n" + "LHotkey=" + L + "/missing\nRHotkey=" + R + "/key\n" +
           "LSerial=\nRSerial=\n" + "LSched=" + L + "/skd\nRSched=" + R + "/skd\n" +
           "LAudioPath0=" + L + "/audio0\nRAudioPath0=" + R + "/audio0\n" + "LAudioPath1=" + L +
           "/audio1\nRAudioPath1=" + R + "/audio1\n" +
           "LAudioPath2=<Not Specified>\nRAudioPath2=<Not Specified>\n"
           "AudioPathEnabled0=1\nAudioPathEnabled1=0\nAudioPathEnabled2=0\n"
           "PathEnabled0=1\nPathEnabled1=1\nPathEnabled2=0\nPathEnabled3=1\n"
           "PathEnabled4=1\nPathEnabled5=1\nPathEnabled6=0\n";
}

// The settings file as before, apart from the one key the program adds: how it was closed.
void ExpectSameKeys(const std::map<std::string, std::string>& before, const std::string& text,
                    const std::string& unloadMode) {
    std::map<std::string, std::string> after = IniKeys(text);
    EXPECT_EQ(after["settings/unloadmode"], unloadMode);
    after.erase("settings/unloadmode");
    for (const auto& [key, value] : before) {
        EXPECT_EQ(after.count(key) ? after[key] : "<missing>", value) << key;
    }
    for (const auto& [key, value] : after) {
        EXPECT_TRUE(before.count(key)) << "added: " << key << "=" << value;
    }
}

TEST(SettingsSurviveTest, EveryKeyKeepsItsValueThroughASyncAndExitAndAClose) {
    ProgramFolder pf;
    for (const char* folder : {"logs", "text", "video", "trg", "skd", "audio0", "audio1"}) {
        test::MakeDirs(pf / ("L/" + std::string(folder)));
        test::MakeDirs(pf / ("R/" + std::string(folder)));
    }
    test::MakeDirs(pf / "R/key");
    test::MakeDirs(pf / "B");
    WriteFile(pf / "L/logs/a.kvo", "a");
    WriteFile(pf / "L/audio0/song.wav", "s");
    pf.Settings(FullSettings(pf));
    const std::map<std::string, std::string> before = IniKeys(pf.SettingsText());

    RunResult run = pf.Run(kSyncAndExit);
    // The pair whose local folder is missing makes the run a failed one.
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(ReadFile(pf / "R/logs/a.kvo"), "a");
    EXPECT_EQ(ReadFile(pf / "R/audio0/song.wav"), "s");
    ExpectSameKeys(before, pf.SettingsText(), "1");

    // A start that syncs on its own and is closed once idle.
    Process p = pf.Start({"HEADLESS"});
    ASSERT_TRUE(p.WaitForOutput("Finished File Sync", 15)) << p.Err();
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(10), 1) << p.Err();
    ExpectSameKeys(before, pf.SettingsText(), "2");
}

// A close while a run is busy finishes the run at full speed, but that is the close's own
// business: the level the operator chose is what the next start finds.
TEST(SettingsSurviveTest, SlowestSpeedStaysAfterACloseWhileBusy) {
    ProgramFolder pf;
    for (int i = 0; i < 20; ++i)
        WriteFile(pf / ("L/f" + std::to_string(i) + ".kvo"), std::string(100, 'x'));
    test::MakeDirs(pf / "R");
    pf.Settings("AutoStart=True\nSleepTimeCopy=40\nSleepTimeSync=100\n[Paths]\nLPLog=" +
                (pf / "L") + "\nRPLog=" + (pf / "R") + "\n");

    Process p = pf.Start({"HEADLESS"});
    ASSERT_TRUE(p.WaitForOutput("Started Scanning Program Logs", 15)) << p.Err();
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(60), 0) << p.Err();

    EXPECT_EQ(Tree(pf / "R").size(), 20u);
    std::map<std::string, std::string> after = IniKeys(pf.SettingsText());
    EXPECT_EQ(after["settings/sleeptimecopy"], "40");
    EXPECT_EQ(after["settings/sleeptimesync"], "100");
}

// --- No sync without a place to keep its record ---

// One pair with a file on the local side only; nothing of it may reach the remote side.
struct RecordPlaceTest : ::testing::Test {
    ProgramFolder pf;
    std::string settings;

    void SetUp() override {
        WriteFile(pf / "L/a.kvo", "a");
        test::MakeDirs(pf / "R");
        pf.Settings("SleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") + "\nRPLog=" + (pf / "R") +
                    "\n");
        settings = pf.SettingsText();
    }

    // Exit status 2, one message on standard error, nothing synced.
    void ExpectRefused(const RunResult& run, const std::string& because) const {
        EXPECT_EQ(run.status, 2) << run.out << run.err;
        EXPECT_EQ(run.err.rfind("Varnel File Sync Cannot Keep Its Records: ", 0), 0u) << run.err;
        EXPECT_TRUE(Contains(run.err, because)) << run.err;
        EXPECT_TRUE(Contains(run.err, "No files will be synced.\n")) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(Tree(pf / "R").empty());
    }
};

TEST_F(RecordPlaceTest, ReadOnlyProgramFolderSyncsNothing) {
    Mount readOnly = Mount::ReadOnly(pf.Prog());
    if (!readOnly.ok()) GTEST_SKIP() << readOnly.Why();
    RunResult run = pf.Run(kSyncAndExit);
    readOnly.Unmount();
    ExpectRefused(run, "[Read-only file system]");
    EXPECT_EQ(pf.SettingsText(), settings);
}

TEST_F(RecordPlaceTest, ReadOnlyStateFolderSyncsNothing) {
    test::MakeDirs(pf.Prog() + "/VarnelFileSyncSettings");
    Mount readOnly = Mount::ReadOnly(pf.Prog() + "/VarnelFileSyncSettings");
    if (!readOnly.ok()) GTEST_SKIP() << readOnly.Why();
    RunResult run = pf.Run(kSyncAndExit);
    readOnly.Unmount();
    ExpectRefused(run, "/VarnelFileSyncSettings cannot hold the sync state files");
    // Not even the marker of a running program was written.
    EXPECT_EQ(pf.SettingsText(), settings);
}

TEST_F(RecordPlaceTest, SettingsFileThatCannotBeReadSyncsNothing) {
    // Something in the settings file's place that has no settings text to give.
    const std::string file = pf.Prog() + "/VarnelFileSync.ini";
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    RunResult run = pf.Run(kSyncAndExit, 20);
    ExpectRefused(run, "VarnelFileSync.ini cannot be read [Invalid argument]");
    // Left in place, not replaced by a settings file of defaults.
    struct stat st {};
    EXPECT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    std::filesystem::remove(file);
}

// The usual case of an unreadable file: an installed copy run by a user the file does not
// let in.
TEST_F(RecordPlaceTest, SettingsFileOfAnotherUserSyncsNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
    if (std::system("command -v setpriv > /dev/null") != 0) GTEST_SKIP() << "setpriv missing";
    const std::string root = std::filesystem::path(pf / "").parent_path().string();
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec))
        ASSERT_EQ(::chown(entry.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(root.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((pf.Prog() + "/VarnelFileSync.ini").c_str(), 0), 0);

    const std::string command = "cd / && XDG_RUNTIME_DIR=" + root + "/run XDG_CONFIG_HOME=" + root +
                                "/cfg setpriv --reuid=65534 --regid=65534 --clear-groups " +
                                pf.Prog() + "/varnelfilesync HEADLESS SYNCANDEXIT > " + root +
                                "/nobody.out 2> " + root + "/nobody.err";
    const int status = std::system(command.c_str());
    ::chmod((pf.Prog() + "/VarnelFileSync.ini").c_str(), 0600);
    RunResult run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(root + "/nobody.out"),
                  ReadFile(root + "/nobody.err")};
    ExpectRefused(run, "VarnelFileSync.ini cannot be read [Permission denied]");
    EXPECT_EQ(pf.SettingsText(), settings);
}

// --- The task log file is the full record ---

// Every line the list shows (standard output) is in the task log file, failures included.
TEST(TaskLogTest, FailedCopyIsInTheTaskLogAsInTheList) {
    ProgramFolder pf;
    WriteFile(pf / "L/big.kvo", std::string(256 << 10, 'b'));
    WriteFile(pf / "L/small.kvo", "s");
    Mount small = Mount::Tmpfs(pf / "R", 64);
    if (!small.ok()) GTEST_SKIP() << small.Why();
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") +
                "\nRPLog=" + (pf / "R") + "\n");

    RunResult run = pf.Run(kSyncAndExit);
    const std::string log = pf.TaskLog();
    small.Unmount();

    EXPECT_EQ(run.status, 1) << run.err;
    const std::vector<std::string> listed = StampedLines(run.out);
    const std::vector<std::string> logged = StampedLines(log);
    bool failureListed = false;
    for (const std::string& line : listed) {
        failureListed = failureListed || Contains(line, "Copy/Replace Canceled, insufficient");
        EXPECT_NE(std::find(logged.begin(), logged.end(), line), logged.end())
            << "missing in the task log: " << line;
    }
    EXPECT_TRUE(failureListed) << run.out;
}

// --- A folder the task line cannot carry is not used ---

TEST(FolderPathTest, QuoteInARemotePathSkipsThePair) {
    ProgramFolder pf;
    WriteFile(pf / "L/a.kvo", "a");
    test::MakeDirs(pf / "R\"x");
    // The folder a line without the quote would name, with a file of its own.
    WriteFile(pf / "Rx/b.kvo", "b");
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") +
                "\nRPLog=" + (pf / "R\"x") + "\n");

    RunResult run = pf.Run(kSyncAndExit);

    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Contains(run.out,
                         " - Scan    Skipping Program Log Files: Path Unreachable or "
                         "Invalid\n"))
        << run.out;
    const std::map<std::string, std::string> local = {{"a.kvo", "a"}};
    const std::map<std::string, std::string> other = {{"b.kvo", "b"}};
    EXPECT_EQ(Tree(pf / "L"), local);
    EXPECT_TRUE(Tree(pf / "R\"x").empty());
    EXPECT_EQ(Tree(pf / "Rx"), other);
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "");
}

}  // namespace
}  // namespace vfs::e2e
