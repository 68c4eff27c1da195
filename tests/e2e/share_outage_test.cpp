// Whole sync-and-exit runs while a share goes away and comes back: mounted again with a new
// device number, not mounted at all (its bare mount point left), covered by a bind mount,
// or its server ended in the middle of a copy or a scan, or stopped answering in the middle
// of a copy.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <iostream>
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

// Whether a new folder can be made and removed in the folder within a few seconds.
bool AnswersSoon(const std::string& folder) {
    const std::string probe = folder + "/.probe";
    for (int waited = 0; waited < 8000; waited += 100) {
        if ((::mkdir(probe.c_str(), 0755) == 0 || errno == EEXIST) && ::rmdir(probe.c_str()) == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// The server behind a share stops answering (SIGSTOP) or answers again (SIGCONT).
void FreezeServer(Shares& shares, Share share, bool freeze) {
    if (share == Share::kSshfs) freeze ? shares.ssh.Freeze() : shares.ssh.Resume();
    if (share == Share::kSmbnetfs) freeze ? shares.samba.Freeze() : shares.samba.Resume();
}

// The server stops answering in the middle of a big copy, its connections left open, so
// the client's calls hang instead of failing until the mount gives up on the server. The
// program must not hang with them: a run ends within a bounded time and says what failed,
// a program asked to close while a call hangs closes once the call returns, no partial file
// takes a real name, and once the server answers again the next run completes the work.
TEST_F(ShareTest, AServerThatStopsAnsweringDuringACopyEndsTheRunInTimeAndTheNextRunCompletesIt) {
    using Clock = std::chrono::steady_clock;
    // On each share a sync-and-exit run, and a program that goes on running after its sync
    // and is asked to close (SIGTERM) while the share hangs: only its answer ends it.
    struct Case {
        std::unique_ptr<SharePair> pair;
        bool closed;
        std::string Label() const { return pair->spot.label + (closed ? ", asked to close" : ""); }
    };
    std::vector<Case> cases;
    // Mounts of the test's own, with the folder that shows whether they answer.
    std::vector<std::pair<std::string, OwnMount>> ownMounts;
    // The sshfs mounts give up on a server that misses three keep-alives a second apart, and
    // on a connection not made within five seconds. Each program has a mount of its own, so
    // that one's calls do not wait behind the other's.
    SshfsMount sshfs(S().root, S().ssh, TestName() + "-sshfs");
    if (Pairs shared = PairsOn({Share::kSshfs}); !shared.empty()) {
        cases.push_back({std::move(shared.front()), false});
        ASSERT_EQ(sshfs.Mount(), "");
        RemoteSpot spot = S().Spot(Share::kSshfs);
        spot.folder = sshfs.MountPoint();
        cases.push_back({std::make_unique<SharePair>(spot, TestName()), true});
        ownMounts.push_back({sshfs.MountPoint(), OwnSshfs(sshfs, "")});
    }
    // smbnetfs waits 20 s for each reply unless told less: this mount waits 2 s.
    SmbnetfsMount smbnetfs(S().root, TestName() + "-smbnetfs",
                           "free_space_size=262144,smb_timeout=2000");
    if (S().smbRefused.empty()) {
        ASSERT_EQ(smbnetfs.Mount(), "");
        RemoteSpot spot = S().Spot(Share::kSmbnetfs);
        spot.folder = smbnetfs.Share();
        for (bool closed : {false, true}) {
            cases.push_back(
                {std::make_unique<SharePair>(spot, TestName() + (closed ? "-closed" : "-left")),
                 closed});
        }
        ownMounts.push_back({smbnetfs.Share(), OwnSmbnetfs(smbnetfs)});
    } else {
        NotRunOn("smbnetfs", S().smbRefused);
    }
    if (cases.empty()) GTEST_SKIP() << NotRun();

    const std::string big = Recording(std::size_t{64} << 20);
    const std::vector<std::pair<std::string, std::string>> files = {{"big.kvo", big},
                                                                    {"small1.kvo", "small 1"},
                                                                    {"small2.kvo", "small 2"},
                                                                    {"small3.kvo", "small 3"}};
    // Every file a folder shows under a real name is one of the sources, whole.
    auto onlyWholeFiles = [&](const std::string& folder) {
        for (const std::string& name : Names(folder)) {
            if (name[0] == '.') continue;
            const auto f = std::find_if(files.begin(), files.end(),
                                        [&](const auto& file) { return file.first == name; });
            EXPECT_TRUE(f != files.end() && ReadFile(folder + "/" + name) == f->second)
                << folder << "/" << name << " is not a whole source file";
        }
    };
    for (const Case& c : cases) {
        for (const auto& [name, text] : files)
            Write(c.pair->L + "/" + name, text, kOld);
        // The slowest speed pauses after every chunk, so the copy lasts a few seconds.
        c.pair->Settings(std::string(c.closed ? "AutoStart=True\n" : "") + "SleepTimeCopy=40\n");
    }

    // No server stays stopped, whatever the test does: a stopped one would hang the tests
    // after it, and it goes on again before anything ends it.
    struct ServersAnswer {
        Shares& shares;
        ~ServersAnswer() {
            for (Share share : kServedShares)
                FreezeServer(shares, share, false);
        }
    } answer{S()};
    std::vector<Process> running;
    for (const Case& c : cases) {
        running.push_back(
            c.pair->pf.Start(c.closed ? std::vector<std::string>{"HEADLESS"} : kSyncAndExit));
    }
    // A server is stopped once every copy onto its share has a few MiB written; a second
    // later, while the calls hang, the programs that are to close are asked to.
    struct Watch {
        Share share;
        bool frozen = false;
        Clock::time_point at{};
    };
    std::vector<Watch> watches;
    for (Share share : kServedShares) {
        if (std::any_of(cases.begin(), cases.end(),
                        [&](const Case& c) { return c.pair->spot.share == share; })) {
            watches.push_back({share});
        }
    }
    auto watchOf = [&](const Case& c) -> Watch& {
        return *std::find_if(watches.begin(), watches.end(),
                             [&](const Watch& w) { return w.share == c.pair->spot.share; });
    };
    std::vector<bool> asked(cases.size(), false);
    auto anyToAsk = [&] {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            if (cases[i].closed && !asked[i]) return true;
        }
        return false;
    };
    const auto watchEnd = Clock::now() + std::chrono::seconds(30);
    while (anyToAsk() && Clock::now() < watchEnd) {
        for (Watch& w : watches) {
            const bool underWay = std::all_of(cases.begin(), cases.end(), [&](const Case& c) {
                return c.pair->spot.share != w.share ||
                       TemporarySize(c.pair->serverR) >= (int64_t{4} << 20);
            });
            if (w.frozen || !underWay) continue;
            FreezeServer(S(), w.share, true);
            w.frozen = true;
            w.at = Clock::now();
        }
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const Watch& w = watchOf(cases[i]);
            if (!cases[i].closed || asked[i] || !w.frozen) continue;
            if (Clock::now() < w.at + std::chrono::seconds(1)) continue;
            running[i].Signal(SIGTERM);
            asked[i] = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].closed && !asked[i]) running[i].Signal(SIGTERM);
    }

    // Each program is waited for beside the others, so that the time it took is its own.
    constexpr int kBoundSeconds = 60;
    std::vector<int> status(cases.size(), -1);
    std::vector<Clock::time_point> ended(cases.size());
    {
        std::vector<std::thread> waiters;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            waiters.emplace_back([&, i] {
                status[i] = running[i].Wait(kBoundSeconds);
                ended[i] = Clock::now();
            });
        }
        for (std::thread& w : waiters)
            w.join();
    }
    for (Share share : kServedShares)
        FreezeServer(S(), share, false);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const SharePair& p = *cases[i].pair;
        const Watch& w = watchOf(cases[i]);
        SCOPED_TRACE(cases[i].Label());
        const std::string out = running[i].Out();
        if (!w.frozen) {
            ADD_FAILURE() << "the copies were not seen under way: " << out;
            continue;
        }
        std::cout << "[   INFO   ] " << cases[i].Label() << ": ended " << std::fixed
                  << std::setprecision(1) << std::chrono::duration<double>(ended[i] - w.at).count()
                  << " s after its server stopped answering" << std::endl;
        EXPECT_EQ(status[i], 1) << "the program ended neither in time nor as failed\n" << out;
        EXPECT_TRUE(Contains(out, "Copy/Replace failed, unable to copy " + p.L + "/big.kvo"))
            << out;
        for (const auto& [name, text] : files)
            EXPECT_TRUE(SaysWhatHappened(out, name)) << name << "\n" << out;
        onlyWholeFiles(p.serverR);
        onlyWholeFiles(p.L);
        EXPECT_EQ(Names(p.L),
                  (std::vector<std::string>{"big.kvo", "small1.kvo", "small2.kvo", "small3.kvo"}));
        EXPECT_EQ(test::Mtime(p.L + "/big.kvo"), kOld);
    }

    // The mounts find their servers again by themselves, or are mounted again.
    if (std::any_of(cases.begin(), cases.end(),
                    [](const Case& c) { return c.pair->spot.share == Share::kSshfs; })) {
        ASSERT_EQ(S().Ready(Share::kSshfs), "");
    }
    for (const auto& [folder, own] : ownMounts) {
        if (AnswersSoon(folder)) continue;
        own.unmount();
        ASSERT_EQ(own.mount(), "") << own.label;
        ASSERT_TRUE(AnswersSoon(folder)) << own.label;
    }
    std::vector<const ProgramFolder*> programs;
    for (const Case& c : cases) {
        c.pair->Settings();
        programs.push_back(&c.pair->pf);
    }
    const std::vector<RunResult> again = RunAll(programs);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const SharePair& p = *cases[i].pair;
        SCOPED_TRACE(cases[i].Label());
        EXPECT_EQ(again[i].status, 0) << again[i].out;
        for (const auto& [name, text] : files) {
            EXPECT_TRUE(ReadFile(p.serverR + "/" + name) == text) << name << "\n" << again[i].out;
            EXPECT_TRUE(ReadFile(p.L + "/" + name) == text) << name;
        }
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
