// Whole sync-and-exit runs onto real shares and a foreign disk: what their names, times,
// free space and permission bits do to a sync that works on a local disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "e2e/share_fixture.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

const std::vector<Share> kAllShares = {Share::kSmbnetfs, Share::kSshfs, Share::kExfat};
const std::vector<Share> kCaseBlindShares = {Share::kSmbnetfs, Share::kExfat};

int CountLines(const std::string& out, const std::string& part1, const std::string& part2) {
    int n = 0;
    for (const std::string& line : StampedLines(out)) {
        if (Contains(line, part1) && Contains(line, part2)) ++n;
    }
    return n;
}

// Every file below a folder, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file()) files.push_back(it->path().lexically_relative(folder));
    }
    return files;
}

// A sync after which nothing changed finds nothing to do, whatever the share did with the
// times it was given: odd seconds, a time with a fraction, a file from the remote side.
TEST_F(ShareTest, SyncsWithNothingChangedQueueNoTask) {
    const Pairs pairs = PairsOn(kAllShares);
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    for (const auto& p : pairs) {
        Write(p->L + "/odd.kvo", "odd second", kOld + 1);
        Write(p->L + "/even.kvo", "even second", kOld + 2);
        WriteFile(p->L + "/now.kvo", "written just now");
        WriteFile(p->serverR + "/remote.kvo", "from the remote side");
        SetTimes(p->serverR + "/remote.kvo", kOld + 3);
        p->Settings();
    }
    const std::vector<RunResult> first = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE(pairs[i]->spot.label);
        EXPECT_EQ(first[i].status, 0) << first[i].out;
        EXPECT_EQ(ReadFile(pairs[i]->R + "/odd.kvo"), "odd second");
        EXPECT_EQ(ReadFile(pairs[i]->L + "/remote.kvo"), "from the remote side");
    }
    for (int round = 2; round <= 3; ++round) {
        const std::vector<RunResult> again = RunAll(pairs);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            SCOPED_TRACE(pairs[i]->spot.label + ", run " + std::to_string(round));
            EXPECT_EQ(again[i].status, 0) << again[i].out;
            EXPECT_EQ(TaskLines(again[i].out), std::vector<std::string>()) << again[i].out;
            EXPECT_TRUE(Contains(again[i].out, "Finished File Sync: No Files To Sync"))
                << again[i].out;
        }
    }
}

// A copy carries its source's time on the share as the server keeps it, so the next run
// takes it for the same version: a file deleted on the local side right after the run that
// copied it is deleted on the remote side, not copied back as an edit made since.
TEST_F(ShareTest, CopiesKeepTheSourceTimeSoADeletionAfterwardsIsCarriedOut) {
    const Pairs pairs = PairsOn(kAllShares);
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    for (const auto& p : pairs) {
        Write(p->L + "/odd.kvo", "odd second", kOld + 1);
        WriteFile(p->L + "/fresh.kvo", "written just now");
        Write(p->L + "/kept.kvo", "stays", kOld + 2);
        WriteFile(p->serverR + "/remote.kvo", "from the remote side");
        SetTimes(p->serverR + "/remote.kvo", kOld + 5);
        p->Settings();
    }
    const std::vector<RunResult> first = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_EQ(first[i].status, 0) << first[i].out;
        for (const char* name : {"/odd.kvo", "/fresh.kvo", "/kept.kvo"}) {
            SCOPED_TRACE(name);
            const int64_t source = MtimeOf(p.L + name);
            // As the program sees it through the mount, and as the server stored it.
            EXPECT_NEAR(MtimeOf(p.R + name), source, p.spot.timeStep);
            EXPECT_NEAR(MtimeOf(p.serverR + name), source, p.spot.timeStep);
        }
        EXPECT_NEAR(MtimeOf(p.L + "/remote.kvo"), kOld + 5, p.spot.timeStep);
        std::remove((p.L + "/odd.kvo").c_str());
        std::remove((p.L + "/fresh.kvo").c_str());
    }
    const std::vector<RunResult> second = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_EQ(second[i].status, 0) << second[i].out;
        EXPECT_FALSE(Exists(p.serverR + "/odd.kvo")) << second[i].out;
        EXPECT_FALSE(Exists(p.serverR + "/fresh.kvo")) << second[i].out;
        EXPECT_FALSE(Exists(p.L + "/odd.kvo"));
        EXPECT_FALSE(Exists(p.L + "/fresh.kvo"));
        EXPECT_EQ(ReadFile(p.serverR + "/kept.kvo"), "stays");
    }
}

// A server whose clock is five minutes ahead stamps what it is sent with its own time: the
// local edit made after the sync must still be the one carried, never the older remote
// content copied back over it.
TEST_F(ShareTest, ALocalEditWinsOverAServerWithItsClockAhead) {
    const auto p = PairOn(Share::kSmbnetfs);
    if (!p) GTEST_SKIP() << NotRun();
    // The shared server comes back with the right time whatever the test does.
    struct SambaBack {
        ~SambaBack() { S().RestartSamba(); }
    } back;
    if (const std::string refused = S().RestartSamba(300); !refused.empty()) {
        GTEST_SKIP() << "smbd with its clock ahead: " << refused;
    }
    Write(p->L + "/show.kvo", "the first version", kOld);
    Write(p->L + "/other.kvo", "left alone", kOld);
    p->Settings();
    const RunResult first = p->Run();
    ASSERT_EQ(first.status, 0) << first.out;
    ASSERT_EQ(ReadFile(p->serverR + "/show.kvo"), "the first version");

    Write(p->L + "/show.kvo", "the local edit", std::time(nullptr));
    const RunResult second = p->Run();
    EXPECT_EQ(second.status, 0) << second.out;
    EXPECT_EQ(ReadFile(p->L + "/show.kvo"), "the local edit") << second.out;
    EXPECT_EQ(ReadFile(p->serverR + "/show.kvo"), "the local edit") << second.out;

    const RunResult third = p->Run();
    EXPECT_EQ(third.status, 0) << third.out;
    EXPECT_EQ(TaskLines(third.out), std::vector<std::string>()) << third.out;
}

// exFAT keeps some times in 2-second steps: files with odd-second times are copied once and
// then left alone, and no phantom replace fills the backup slots with copies.
TEST_F(ShareTest, OddSecondTimesOnExfatAreCopiedOnceAndBackedUpNever) {
    const auto p = PairOn(Share::kExfat);
    if (!p) GTEST_SKIP() << NotRun();
    for (int i = 0; i < 20; ++i) {
        Write(p->L + "/odd" + std::to_string(i) + ".kvo", "file " + std::to_string(i),
              kOld + 2 * i + 1);
    }
    WriteFile(p->R + "/from_disk.kvo", "written on the disk");
    SetTimes(p->R + "/from_disk.kvo", kOld + 7);
    const std::string bak = p->pf / "bak";
    test::MakeDirs(bak);
    p->Settings("EnableFileBackup=True\nNumFileBackups=3\nFileBackupPath=" + bak + "\n");

    const RunResult first = p->Run();
    ASSERT_EQ(first.status, 0) << first.out;
    EXPECT_EQ(TaskLines(first.out).size(), 21u) << first.out;
    EXPECT_EQ(ReadFile(p->R + "/odd19.kvo"), "file 19");
    for (int round = 2; round <= 3; ++round) {
        SCOPED_TRACE("run " + std::to_string(round));
        const RunResult again = p->Run();
        EXPECT_EQ(again.status, 0) << again.out;
        EXPECT_EQ(TaskLines(again.out), std::vector<std::string>()) << again.out;
    }
    EXPECT_EQ(FilesBelow(bak), std::vector<std::string>());
}

// smbnetfs reports no free space and no size at all, and exFAT keeps no permission bits:
// neither may stop a copy. A file coming from exFAT, where every file reads as mode 0777,
// gets an ordinary mode on the local disk.
TEST_F(ShareTest, CopiesSucceedWhereFreeSpaceOrPermissionBitsAreUnknown) {
    Pairs pairs = PairsOn({Share::kExfat});
    // smbnetfs as it comes, telling no free space (the shared mount is given some).
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SmbnetfsMount smbnetfs(S().root, test + "-smbnetfs");
    if (S().smbRefused.empty()) {
        ASSERT_EQ(smbnetfs.Mount(), "");
        const RemoteSpot spot{Share::kSmbnetfs,
                              "smbnetfs without free space",
                              smbnetfs.Share(),
                              S().samba.ShareDir(),
                              true,
                              0};
        pairs.push_back(std::make_unique<SharePair>(spot, test));
    } else {
        NotRunOn("smbnetfs", S().smbRefused);
    }
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    for (const auto& p : pairs) {
        Write(p->L + "/to_remote.kvo", std::string(100000, 'r'), kOld);
        ::chmod((p->L + "/to_remote.kvo").c_str(), 0640);
        WriteFile(p->R + "/to_local.kvo", "from the remote side");
        SetTimes(p->R + "/to_local.kvo", kOld + 2);
        p->Settings();
    }
    const mode_t saved = ::umask(022);
    const std::vector<RunResult> runs = RunAll(pairs);
    ::umask(saved);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_EQ(runs[i].status, 0) << runs[i].out;
        EXPECT_FALSE(Contains(runs[i].out, "insufficient space")) << runs[i].out;
        EXPECT_FALSE(Contains(runs[i].out, "failed")) << runs[i].out;
        EXPECT_EQ(ReadFile(p.serverR + "/to_remote.kvo"), std::string(100000, 'r'));
        EXPECT_EQ(ReadFile(p.L + "/to_local.kvo"), "from the remote side");
        EXPECT_EQ(ModeOf(p.L + "/to_local.kvo"), 0644);
    }
}

// Case-blind shares: two local names that meet one name there, a case-only rename, and a
// remote file saved again under another case. None of them may delete a file or leave two
// local files for one remote one.
TEST_F(ShareTest, NamesThatDifferOnlyInCaseOnACaseBlindShare) {
    struct Case {
        const char* label;
        std::function<void(const SharePair&)> before;   // files before the first run
        std::function<void(const SharePair&)> between;  // changes between the runs
        std::function<void(const SharePair&, const RunResult&, const RunResult&)> check;
    };
    const std::vector<Case> cases = {
        {"two local names for one remote file",
         [](const SharePair& p) {
             Write(p.L + "/Show.kvo", "upper", kOld);
             Write(p.L + "/show.kvo", "lower", kOld + 10);
             Write(p.L + "/other.kvo", "other", kOld);
         },
         [](const SharePair&) {},
         [](const SharePair& p, const RunResult& first, const RunResult& second) {
             for (const RunResult* run : {&first, &second}) {
                 EXPECT_EQ(
                     CountLines(run->out, "\"Show.kvo\" and \"show.kvo\"", "differ only in case"),
                     1)
                     << run->out;
                 for (const std::string& line : TaskLines(run->out)) {
                     EXPECT_FALSE(Contains(line, "how.kvo")) << line;
                 }
             }
             EXPECT_EQ(ReadFile(p.L + "/Show.kvo"), "upper");
             EXPECT_EQ(ReadFile(p.L + "/show.kvo"), "lower");
             EXPECT_EQ(CaseVariants(p.serverR, "show.kvo"), std::vector<std::string>());
             EXPECT_EQ(ReadFile(p.serverR + "/other.kvo"), "other");
         }},
        {"a case-only rename on the local side",
         [](const SharePair& p) { Write(p.L + "/show.kvo", "renamed", kOld); },
         [](const SharePair& p) {
             std::rename((p.L + "/show.kvo").c_str(), (p.L + "/Show.kvo").c_str());
         },
         [](const SharePair& p, const RunResult&, const RunResult& second) {
             EXPECT_EQ(ReadFile(p.L + "/Show.kvo"), "renamed") << second.out;
             const std::vector<std::string> remote = CaseVariants(p.serverR, "show.kvo");
             ASSERT_EQ(remote.size(), 1u) << second.out;
             EXPECT_EQ(ReadFile(p.serverR + "/" + remote[0]), "renamed");
             for (const std::string& line : TaskLines(second.out)) {
                 EXPECT_FALSE(Contains(line, "Delete")) << line;
             }
         }},
        {"a remote file saved again under another case",
         [](const SharePair& p) { Write(p.L + "/song.kvo", "old take", kOld); },
         [](const SharePair& p) {
             std::remove((p.serverR + "/song.kvo").c_str());
             WriteFile(p.serverR + "/SONG.KVO", "new take");
             SetTimes(p.serverR + "/SONG.KVO", kOld + 100);
         },
         [](const SharePair& p, const RunResult&, const RunResult& second) {
             const std::vector<std::string> local = CaseVariants(p.L, "song.kvo");
             ASSERT_EQ(local.size(), 1u) << second.out;
             EXPECT_EQ(ReadFile(p.L + "/" + local[0]), "new take") << second.out;
             EXPECT_EQ(CaseVariants(p.serverR, "song.kvo"), std::vector<std::string>{"SONG.KVO"});
         }},
    };
    Pairs pairs;
    std::vector<const Case*> caseOf;
    for (const Case& c : cases) {
        for (auto& p : PairsOn(kCaseBlindShares)) {
            c.before(*p);
            p->Settings();
            pairs.push_back(std::move(p));
            caseOf.push_back(&c);
        }
    }
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    const std::vector<RunResult> first = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        caseOf[i]->between(*pairs[i]);
    const std::vector<RunResult> second = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE(std::string(caseOf[i]->label) + " on " + pairs[i]->spot.label);
        caseOf[i]->check(*pairs[i], first[i], second[i]);
    }
}

// Names a Windows file system cannot hold are not attempted on a share or disk that keeps
// its rules: each is said once per run, and every other file of the pair is copied in the
// same run, none of them cancelled as changed after the scan.
TEST_F(ShareTest, NamesTheDestinationCannotHoldAreReportedAndTheRestSyncs) {
    const std::vector<std::string> refused = {"a:b.txt",   "trail.txt.", "blank.txt ",
                                              "CON.txt",   "q?.txt",     "star*.txt",
                                              "pipe|.txt", "lt<gt>.txt", "back\\slash.txt"};
    const std::vector<std::string> ordinary = {"aa.txt", "m.txt", "zz1.txt", "zz2.txt", "zz3.txt"};
    const Pairs pairs = PairsOn(kCaseBlindShares);
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    for (const auto& p : pairs) {
        for (const std::string& name : refused)
            Write(p->L + "/" + name, name, kOld);
        for (const std::string& name : ordinary)
            Write(p->L + "/" + name, name, kOld);
        p->TextSettings();
    }
    for (int round = 1; round <= 2; ++round) {
        const std::vector<RunResult> runs = RunAll(pairs);
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const SharePair& p = *pairs[i];
            const std::string& out = runs[i].out;
            SCOPED_TRACE(p.spot.label + ", run " + std::to_string(round));
            for (const std::string& name : refused) {
                EXPECT_EQ(CountLines(out, name, "cannot be held by"), 1) << name << "\n" << out;
                EXPECT_EQ(ReadFile(p.L + "/" + name), name);
            }
            for (const std::string& name : ordinary) {
                EXPECT_EQ(ReadFile(p.serverR + "/" + name), name) << out;
            }
            EXPECT_FALSE(Contains(out, "Copy/Replace failed")) << out;
            EXPECT_FALSE(Contains(out, "changed after the scan")) << out;
            EXPECT_EQ(Names(p.serverR), ordinary) << "nothing else was written there";
        }
    }
}

// A look-up that fails on the remote side (a folder where a file of that name should be) is
// reported under the remote path, where the operator must look, not under the local one.
TEST_F(ShareTest, AFailedRemoteLookUpNamesTheRemotePath) {
    const Pairs pairs = PairsOn(kAllShares);
    if (pairs.empty()) GTEST_SKIP() << NotRun();
    for (const auto& p : pairs) {
        Write(p->L + "/twin.kvo", "the local file", kOld);
        Write(p->L + "/other.kvo", "other", kOld);
        test::MakeDirs(p->serverR + "/twin.kvo");
        p->Settings();
    }
    const std::vector<RunResult> runs = RunAll(pairs);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const SharePair& p = *pairs[i];
        SCOPED_TRACE(p.spot.label);
        EXPECT_TRUE(Contains(runs[i].out, p.R + "/twin.kvo")) << runs[i].out;
        EXPECT_FALSE(Contains(runs[i].out, "Error analyzing file " + p.L + "/twin.kvo"))
            << runs[i].out;
        EXPECT_EQ(ReadFile(p.L + "/twin.kvo"), "the local file");
        EXPECT_TRUE(std::filesystem::is_directory(p.serverR + "/twin.kvo"));
        EXPECT_EQ(ReadFile(p.serverR + "/other.kvo"), "other");
    }
}

}  // namespace
}  // namespace vfs::e2e
