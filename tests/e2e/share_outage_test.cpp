// Whole sync-and-exit runs while a share goes away and comes back: mounted again with a new
// device number, not mounted at all (its bare mount point left), covered by a bind mount,
// or its server ended in the middle of a copy or a scan.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e/share_fixture.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

const std::string kOtherFileSystem =
    "Remote Folder Is On Another File System Than At The Last Sync (Remount It Or Choose The "
    "Path Again)";

std::string TestName() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A mount the test takes away and brings back: its own sshfs or smbnetfs mount, or its own
// exFAT disk.
struct OwnMount {
    std::string label;
    std::function<std::string()> mount;
    std::function<void()> unmount;
    std::string mountPoint;
};

OwnMount OwnSshfs(SshfsMount& m, const std::string& serverFolder) {
    return {"sshfs", [&m, serverFolder] { return m.Mount(serverFolder); }, [&m] { m.Unmount(); },
            m.MountPoint()};
}

OwnMount OwnSmbnetfs(SmbnetfsMount& m) {
    return {"smbnetfs", [&m] { return m.Mount(); }, [&m] { m.Unmount(); }, m.MountPoint()};
}

OwnMount OwnExfat(ExfatDisk& d) {
    return {"exFAT", [&d] { return d.Mount(); }, [&d] { d.Unmount(); }, d.MountPoint()};
}

// A FUSE file system mounted again is given the lowest free device number, which is often
// the one it had. Other mounts taken in between hold the numbers set free, so the share
// comes back under a new one, as it does after a reboot or beside other mounts.
struct DeviceNumberHolders {
    const RunRoot& root;
    const SshServer& server;
    std::vector<std::unique_ptr<SshfsMount>> holders;
    std::string Take(const std::string& name) {
        holders.push_back(
            std::make_unique<SshfsMount>(root, server, name + std::to_string(holders.size())));
        return holders.back()->Mount();
    }
};

// A remounted share is still the folder that was synced: the pair is not stopped, and a
// deletion made meanwhile reaches it.
TEST_F(ShareTest, ARemountedShareSyncsAsBefore) {
    if (!S().sshRefused.empty()) GTEST_SKIP() << "sshfs: " << S().sshRefused;
    const std::string served = S().ssh.ServedDir() + "/" + TestName();
    test::MakeDirs(served);
    SshfsMount sshfs(S().root, S().ssh, TestName() + "-sshfs");
    // Told a free space like the shared mount: only the free-space test meets one without.
    SmbnetfsMount smbnetfs(S().root, TestName() + "-smbnetfs", "free_space_size=262144");
    struct Case {
        OwnMount mount;
        std::string folder;  // the remote folder
        std::string serverFolder;
    };
    std::vector<Case> cases = {{OwnSshfs(sshfs, served), sshfs.MountPoint(), served}};
    if (S().smbRefused.empty()) {
        const std::string name = "/" + TestName();
        cases.push_back(
            {OwnSmbnetfs(smbnetfs), smbnetfs.Share() + name, S().samba.ShareDir() + name});
    } else {
        NotRunOn("smbnetfs", S().smbRefused);
    }
    std::vector<std::unique_ptr<ProgramFolder>> folders;
    std::vector<const ProgramFolder*> programs;
    for (Case& c : cases) {
        SCOPED_TRACE(c.mount.label);
        ASSERT_EQ(c.mount.mount(), "");
        test::MakeDirs(c.folder);
        folders.push_back(std::make_unique<ProgramFolder>());
        const ProgramFolder& pf = *folders.back();
        programs.push_back(&pf);
        Write(pf / "L/a.kvo", "deleted after the first sync", kOld);
        Write(pf / "L/b.kvo", "kept", kOld);
        pf.Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") +
                    "\nRPLog=" + c.folder + "\n");
    }
    // A case whose first sync failed has nothing to remount; the others go on.
    const std::vector<RunResult> first = RunAll(programs);
    for (std::size_t i = cases.size(); i-- > 0;) {
        SCOPED_TRACE(cases[i].mount.label);
        EXPECT_EQ(first[i].status, 0) << first[i].out;
        EXPECT_TRUE(Exists(cases[i].serverFolder + "/a.kvo"));
        if (first[i].status == 0) continue;
        cases.erase(cases.begin() + static_cast<std::ptrdiff_t>(i));
        programs.erase(programs.begin() + static_cast<std::ptrdiff_t>(i));
    }

    DeviceNumberHolders holders{S().root, S().ssh, {}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.mount.label);
        const uint64_t before = DeviceOf(c.folder);
        for (int attempt = 0; attempt < 6 && DeviceOf(c.folder) == before; ++attempt) {
            c.mount.unmount();
            ASSERT_EQ(holders.Take(TestName() + "-holder"), "");
            ASSERT_EQ(c.mount.mount(), "");
        }
        if (DeviceOf(c.folder) == before) GTEST_SKIP() << "the device number did not move";
    }

    for (const ProgramFolder* pf : programs)
        std::remove((*pf / "L/a.kvo").c_str());
    const std::vector<RunResult> runs = RunAll(programs);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].mount.label);
        EXPECT_EQ(runs[i].status, 0) << runs[i].out;
        EXPECT_FALSE(Contains(runs[i].out, "On Another File System")) << runs[i].out;
        EXPECT_FALSE(Exists(cases[i].serverFolder + "/a.kvo")) << runs[i].out;
        EXPECT_EQ(ReadFile(cases[i].serverFolder + "/b.kvo"), "kept");
        EXPECT_EQ(ReadFile(*programs[i] / "L/b.kvo"), "kept");
    }
}

// A share that is not mounted leaves its bare mount point (here with a stray file in it),
// and a bind mount over a folder that was synced bare hides what was synced: either way the
// pair stops without touching a local file, and syncs again once the share is back.
TEST_F(ShareTest, AShareNotMountedOrCoveredStopsThePairUntilItIsBack) {
    SshfsMount sshfs(S().root, S().ssh, TestName() + "-sshfs");
    ExfatDisk exfat(S().root, TestName() + "-exfat", 16);
    const std::string served = S().ssh.ServedDir() + "/" + TestName();
    test::MakeDirs(served);
    struct Case {
        std::string label;
        std::function<void()> away;
        std::function<std::string()> back;
        std::string folder;
        std::unique_ptr<ProgramFolder> pf = std::make_unique<ProgramFolder>();
    };
    std::vector<Case> cases;
    for (const OwnMount& m : {OwnSshfs(sshfs, served), OwnExfat(exfat)}) {
        if (const std::string refused = m.mount(); !refused.empty()) {
            NotRunOn(m.label, refused);
            continue;
        }
        cases.push_back({m.label,
                         [m] {
                             m.unmount();
                             Write(m.mountPoint + "/stray.kvo", "in the bare mount point", kOld);
                         },
                         m.mount, m.mountPoint});
    }
    // The bind mount needs no share: a folder of the same disk over the synced one.
    std::unique_ptr<BindMount> bind;
    Case covered{"bind mount", nullptr, nullptr, ""};
    covered.folder = *covered.pf / "R";
    const std::string other = *covered.pf / "other";
    Write(other + "/stray.kvo", "in another folder of the same disk", kOld);
    test::MakeDirs(covered.folder);
    covered.away = [&bind, other, folder = covered.folder] {
        bind = std::make_unique<BindMount>(other, folder);
    };
    covered.back = [&] {
        const std::string refused = bind->Refused();
        bind.reset();
        return refused;
    };
    cases.push_back(std::move(covered));

    for (Case& c : cases) {
        Write(*c.pf / "L/a.kvo", "a", kOld);
        Write(*c.pf / "L/b.kvo", "b", kOld + 1);
        c.pf->Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\nLPLog=" + (*c.pf / "L") +
                       "\nRPLog=" + c.folder + "\n");
    }
    std::vector<const ProgramFolder*> programs;
    for (const Case& c : cases)
        programs.push_back(c.pf.get());
    auto runAll = [&] { return RunAll(programs); };
    const std::vector<RunResult> first = runAll();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ASSERT_EQ(first[i].status, 0) << cases[i].label << "\n" << first[i].out;
        cases[i].away();
    }
    if (bind && !bind->Refused().empty()) GTEST_SKIP() << bind->Refused();

    const std::vector<RunResult> stopped = runAll();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.label);
        EXPECT_EQ(stopped[i].status, 1) << stopped[i].out;
        EXPECT_TRUE(Contains(stopped[i].out, kOtherFileSystem) ||
                    Contains(stopped[i].out, "Remote Folder Is Empty"))
            << stopped[i].out;
        EXPECT_EQ(ReadFile(*c.pf / "L/a.kvo"), "a");
        EXPECT_EQ(ReadFile(*c.pf / "L/b.kvo"), "b");
        EXPECT_EQ(Names(*c.pf / "L"), (std::vector<std::string>{"a.kvo", "b.kvo"}));
        EXPECT_EQ(c.back(), "");
        Write(*c.pf / "L/c.kvo", "new since", kOld + 2);
    }

    const std::vector<RunResult> again = runAll();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.label);
        EXPECT_EQ(again[i].status, 0) << again[i].out;
        EXPECT_EQ(Names(c.folder), (std::vector<std::string>{"a.kvo", "b.kvo", "c.kvo"}));
        EXPECT_EQ(ReadFile(*c.pf / "L/a.kvo"), "a");
    }
}

// Content that tells its offsets apart, so a copy put together wrongly shows.
std::string Recording(std::size_t size) {
    std::string text(size, '.');
    for (std::size_t at = 0; at + 16 <= size; at += 4096) {
        const std::string mark = "@" + std::to_string(at);
        text.replace(at, mark.size(), mark);
    }
    return text;
}

// The size of the program's temporary copy in the folder (a hidden file), 0 while none.
int64_t TemporarySize(const std::string& folder) {
    for (const std::string& name : Names(folder)) {
        if (name[0] != '.') continue;
        struct stat st {};
        if (::stat((folder + "/" + name).c_str(), &st) == 0) return st.st_size;
    }
    return 0;
}

// Whether a line of the run says what became of the file: a failure or a cancellation.
bool SaysWhatHappened(const std::string& out, const std::string& name) {
    for (const std::string& line : StampedLines(out)) {
        if (!Contains(line, name)) continue;
        for (const char* word : {"failed", "Canceled", "trouble", "Error"}) {
            if (Contains(line, word)) return true;
        }
    }
    return false;
}

const std::vector<Share> kServedShares = {Share::kSmbnetfs, Share::kSshfs};

// The servers come back whatever the test does, for the tests after it.
struct ServersBack {
    Shares& shares;
    ~ServersBack() {
        for (Share share : kServedShares)
            shares.RestartServer(share);
    }
};

// The server ends in the middle of a big copy onto its share: the run ends within a bounded
// time and says so, leaves no partial file under the real name, and the run after the server
// is back copies the file whole.
TEST_F(ShareTest, AServerEndingDuringACopyFailsTheRunAndTheNextRunCompletesIt) {
    const Pairs pairs = PairsOn(kServedShares);
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    ServersBack back{S()};
    const std::string big = Recording(std::size_t{64} << 20);
    for (const auto& p : pairs) {
        Write(p->L + "/big.kvo", big, kOld);
        Write(p->L + "/small.kvo", "small", kOld);
        // The slowest speed pauses after every chunk, so the copy lasts a few seconds.
        p->Settings("SleepTimeCopy=40\n");
    }
    std::vector<Process> running;
    for (const auto& p : pairs)
        running.push_back(p->pf.Start(kSyncAndExit));
    // Each server is ended once a few MiB of its copy have arrived.
    std::vector<bool> caught(pairs.size(), false);
    std::vector<bool> over(pairs.size(), false);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline &&
           std::count(over.begin(), over.end(), false) > 0) {
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (over[i]) continue;
            if (TemporarySize(pairs[i]->serverR) >= (int64_t{4} << 20)) {
                S().KillServer(pairs[i]->spot.share);
                caught[i] = over[i] = true;
            } else if (Contains(running[i].Out(), "Finished File Sync")) {
                over[i] = true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        if (!caught[i]) {
            S().KillServer(p.spot.share);
            running[i].Wait(60);
            ADD_FAILURE() << "the copy was not seen under way: " << running[i].Out();
            continue;
        }
        EXPECT_EQ(running[i].Wait(60), 1) << "the run ended neither in time nor as failed\n"
                                          << running[i].Out();
        EXPECT_TRUE(SaysWhatHappened(running[i].Out(), "big.kvo")) << running[i].Out();
        EXPECT_FALSE(Exists(p.serverR + "/big.kvo")) << "a partial file under the real name";
        EXPECT_EQ(test::Mtime(p.L + "/big.kvo"), kOld);
        EXPECT_TRUE(ReadFile(p.L + "/big.kvo") == big) << "the source was changed";
    }

    for (Share share : kServedShares)
        ASSERT_EQ(S().RestartServer(share), "");
    for (const auto& p : pairs)
        p->Settings();
    const std::vector<RunResult> again = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_EQ(again[i].status, 0) << again[i].out;
        EXPECT_TRUE(ReadFile(p.serverR + "/big.kvo") == big) << again[i].out;
        EXPECT_EQ(ReadFile(p.serverR + "/small.kvo"), "small");
    }
}

// The server ends while the program reads the folders, so that no remote file can be read
// any more: the run must end as failed, and nothing synced before may be deleted for it.
// The sshfs mount here keeps no caches, else it would answer from them for a while.
TEST_F(ShareTest, AServerEndingDuringTheScanFailsTheRunAndDeletesNothing) {
    Pairs pairs = PairsOn({Share::kSmbnetfs});
    SshfsMount uncached(S().root, S().ssh, TestName() + "-sshfs");
    if (S().sshRefused.empty()) {
        ASSERT_EQ(uncached.Mount("", "dir_cache=no,attr_timeout=0,entry_timeout=0"), "");
        const RemoteSpot spot{Share::kSshfs,
                              "sshfs without caches",
                              uncached.MountPoint(),
                              S().ssh.ServedDir(),
                              false,
                              0};
        pairs.push_back(std::make_unique<SharePair>(spot, TestName()));
    } else {
        NotRunOn("sshfs", S().sshRefused);
    }
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    ServersBack back{S()};
    constexpr int kFiles = 20;
    auto name = [](int i) { return "/f" + std::to_string(10 + i) + ".kvo"; };
    for (const auto& p : pairs) {
        for (int i = 0; i < kFiles; ++i) {
            Write(p->L + name(i), "synced", kOld + i);
            WriteFile(p->serverR + name(i), "synced");
            SetTimes(p->serverR + name(i), kOld + i);
        }
        p->Settings();
    }
    const std::vector<RunResult> first = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        ASSERT_EQ(first[i].status, 0) << pairs[i]->spot.label << "\n" << first[i].out;
    }

    // The slowest speed pauses after every file read: the local folder takes seconds.
    for (const auto& p : pairs)
        p->Settings("SleepTimeCopy=40\n");
    std::vector<Process> running;
    for (const auto& p : pairs)
        running.push_back(p->pf.Start(kSyncAndExit));
    for (Process& p : running)
        EXPECT_TRUE(p.WaitForOutput("Started Scanning Program Logs"));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    for (const auto& p : pairs)
        S().KillServer(p->spot.share);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_EQ(running[i].Wait(60), 1) << running[i].Out();
        for (int f = 0; f < kFiles; ++f) {
            EXPECT_EQ(ReadFile(p.L + name(f)), "synced") << running[i].Out();
            EXPECT_EQ(ReadFile(p.serverR + name(f)), "synced");
        }
    }
}

}  // namespace
}  // namespace vfs::e2e
