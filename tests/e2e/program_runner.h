// Runs the built program the way an operator's script would: a copy of the executable in
// its own temporary program folder, with its own settings file, lock folder and
// configuration folder, so tests run side by side without meeting.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vfs::e2e {

// One started program; standard output and error go to files beside the program folder.
class Process {
  public:
    Process(pid_t pid, std::string outPath, std::string errPath)
        : pid_(pid), outPath_(std::move(outPath)), errPath_(std::move(errPath)) {}

    // Exit status, or -1 when the program did not end in time (it is killed then) or died
    // of a signal.
    int Wait(int timeoutSeconds = 60);
    void Signal(int signalNumber) const;
    // Polls standard output until it holds the text.
    bool WaitForOutput(const std::string& text, int timeoutSeconds = 30) const;
    std::string Out() const;
    std::string Err() const;

  private:
    pid_t pid_;
    std::string outPath_;
    std::string errPath_;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class ProgramFolder {
  public:
    ProgramFolder();

    // Folder of the program copy, without a trailing separator.
    const std::string& Prog() const { return prog_; }
    // A path inside the temporary folder (sample folders live here).
    std::string operator/(const std::string& relative) const { return dir_ / relative; }

    // Writes the settings file: "[Settings]\nFirstRun=False\n" followed by the text.
    void Settings(const std::string& text, const std::string& file = "VarnelFileSync.ini") const;
    std::string SettingsText(const std::string& file = "VarnelFileSync.ini") const;
    // Text of the state file of a category ("Program_Logs.dat"), session folder given.
    std::string StateFile(const std::string& name, const std::string& session = "") const;
    // Today's task log file text (empty when there is none).
    std::string TaskLog() const;

    Process Start(const std::vector<std::string>& args) const;
    RunResult Run(const std::vector<std::string>& args, int timeoutSeconds = 60) const;

  private:
    test::TempDir dir_;
    std::string prog_;
    mutable int starts_ = 0;
};

// A test with a program folder and, beside it, an empty local and remote folder.
struct PairFolderTest : ::testing::Test {
    ProgramFolder pf;
    std::string L = pf / "L";
    std::string R = pf / "R";

    void SetUp() override {
        test::MakeDirs(L);
        test::MakeDirs(R);
    }
};

// The command line of a scheduled run: no window, one sync, then exit.
inline const std::vector<std::string> kSyncAndExit = {"HEADLESS", "SYNCANDEXIT"};
// A modified time well in the past (September 2020), for files that are "old" on purpose.
inline constexpr int64_t kOld = 1600000000;

// Writes a file and gives it the modified time (seconds since the epoch).
void Write(const std::string& path, const std::string& text, int64_t mtime = kOld);

// Lines of a text (LF or CR LF) with the leading "HH:MM:SS" of each replaced by "T".
std::vector<std::string> StampedLines(const std::string& text);
bool Contains(const std::string& text, const std::string& part);

}  // namespace vfs::e2e
