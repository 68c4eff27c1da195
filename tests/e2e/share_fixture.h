// The shares the share tests sync onto, started once for the test program (a Samba server
// through smbnetfs, an SSH server through sshfs, an exFAT disk), and pairs of a plain local
// folder with a folder of its own on one of them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "e2e/program_runner.h"
#include "e2e/real_shares.h"

namespace vfs::e2e {

enum class Share { kSmbnetfs, kSshfs, kExfat };

// Where a remote folder can lie, and what that file system does with names and times.
struct RemoteSpot {
    Share share;
    std::string label;
    // Folders made here are the program's remote folders.
    std::string folder;
    // The same folder as its server sees it (on exFAT: the folder itself). A change made
    // here is a change made on the remote machine.
    std::string serverFolder;
    bool foldsCase;
    // How far a stored time may lie from the time set: exFAT keeps some in 2-second steps.
    int64_t timeStep;
};

// The servers, mounts and disk, up for the whole test program.
struct Shares {
    RunRoot root;
    SambaServer samba{root};
    // A free space to report, so that only the test of unknown free space meets it.
    SmbnetfsMount smbnetfs{root, "smb", "free_space_size=262144"};
    SshServer ssh{root};
    SshfsMount sshfs{root, ssh, "ssh"};
    ExfatDisk exfat{root, "exfat"};
    // Why a share is not up here, or empty.
    std::string smbRefused;
    std::string sshRefused;
    std::string exfatRefused;

    Shares();
    std::string Refused(Share share) const;
    RemoteSpot Spot(Share share) const;
    // Waits until the share answers again (a share's client answers with errors for a few
    // seconds after a name the server refused), mounting it again if it does not; empty
    // when it answers, else why not.
    std::string Ready(Share share);
    // Starts the server (and mounts its share) again after a test ended it.
    std::string RestartSamba(int clockAheadSeconds = 0);
    std::string RestartSsh();
    // The server behind a share (none for the disk): ended at once, and started again.
    void KillServer(Share share);
    std::string RestartServer(Share share);
};

// A local folder and a remote folder on one share, with a program folder of their own.
struct SharePair {
    RemoteSpot spot;
    ProgramFolder pf;
    std::string L = pf / "L";
    std::string R;
    std::string serverR;

    SharePair(RemoteSpot where, const std::string& name);
    // Program Logs (*.kvo) between L and R, logged to file, at the fastest speed unless the
    // extra settings say otherwise.
    void Settings(const std::string& extra = "") const;
    // Text Files (every name) between L and R.
    void TextSettings(const std::string& extra = "") const;
    RunResult Run(int timeoutSeconds = 60) const { return pf.Run(kSyncAndExit, timeoutSeconds); }
};
using Pairs = std::vector<std::unique_ptr<SharePair>>;

// Runs the program of every pair at once (their shares do not meet) and waits for all.
std::vector<RunResult> RunAll(const Pairs& pairs, int timeoutSeconds = 60);
std::vector<RunResult> RunAll(const std::vector<const ProgramFolder*>& folders,
                              int timeoutSeconds = 60);

class ShareTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void TearDown() override;

    static Shares& S() { return *shares_; }
    // A pair on each of the shares that is up here; the others are named in the test's
    // output. Empty when none is up: the test is skipped then, with NotRun() as the reason.
    Pairs PairsOn(const std::vector<Share>& shares);
    std::unique_ptr<SharePair> PairOn(Share share);
    const std::string& NotRun() const { return notRun_; }
    // Notes a case the test leaves out because this machine refuses it.
    void NotRunOn(const std::string& label, const std::string& why);

  private:
    static inline std::unique_ptr<Shares> shares_;
    std::string notRun_;
    int made_ = 0;
};

// The file names of a folder (regular or not), sorted.
std::vector<std::string> Names(const std::string& folder);
// Names of the folder equal to the name without regard to case.
std::vector<std::string> CaseVariants(const std::string& folder, const std::string& name);
// Sets both times of a file; through smbnetfs a time set without the access time is dropped.
void SetTimes(const std::string& path, int64_t epochSeconds);
// The mode bits and modified time of a file (-1 when it cannot be read).
int ModeOf(const std::string& path);
int64_t MtimeOf(const std::string& path);
// The task lines of a run: copies, replaces and deletes it carried out or tried.
std::vector<std::string> TaskLines(const std::string& out);

}  // namespace vfs::e2e
