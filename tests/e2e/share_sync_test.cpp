// Whole sync-and-exit runs onto real shares and a foreign disk: what their names, times,
// free space and permission bits do to a sync that works on a local disk.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "e2e/share_fixture.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

const std::vector<Share> kAllShares = {Share::kSmbnetfs, Share::kSshfs, Share::kExfat};

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

}  // namespace
}  // namespace vfs::e2e
