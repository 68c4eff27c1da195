// Times CopyFileWithProgress at full speed against `cp` on the same file, alternating the
// two so that cache effects fall on both alike, and measures how long the event loop waits
// between two progress reports. Each copy's time includes flushing its destination to disk:
// otherwise the writeback of one copy's 1 GiB lands on whichever copy comes next, and the
// ratio measures the order of the two rather than the copies.
//
//   copy_bench <source file> <scratch folder> <rounds>
//
// Prints one line per round, the summary, and as the last line the median ratio alone.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/copy_progress.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

bool FlushToDisk(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

struct OurCopy {
    double seconds = 0;
    double longestGapMs = 0;
    bool ok = false;
};

// The longest wait includes the stretch from the start to the first report and from the
// last report to the end: the window is as unresponsive then as between two reports.
OurCopy TimeOurCopy(const std::string& source, const std::string& destination) {
    vfs::ProgramState state;
    vfs::FormModel form;
    vfs::Ports ports;
    vfs::Context ctx{state, form, ports};
    state.SleepTimeCopy = 0;  // speed "High"
    OurCopy result;
    Clock::time_point last = Clock::now();
    auto noteGap = [&] {
        Clock::time_point now = Clock::now();
        double gap = std::chrono::duration<double, std::milli>(now - last).count();
        result.longestGapMs = std::max(result.longestGapMs, gap);
        last = now;
    };
    ports.yield = noteGap;
    Clock::time_point start = Clock::now();
    last = start;
    result.ok = vfs::CopyFileWithProgress(ctx, source, destination).ok;
    noteGap();
    result.ok = FlushToDisk(destination) && result.ok;
    result.seconds = SecondsSince(start);
    return result;
}

double TimeCp(const std::string& source, const std::string& destination) {
    const char* argv[] = {"cp", source.c_str(), destination.c_str(), nullptr};
    Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    bool flushed = FlushToDisk(destination);
    double seconds = SecondsSince(start);
    return flushed && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <source file> <scratch folder> <rounds>\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const std::string ours = std::string(argv[2]) + "/ours.bin";
    const std::string theirs = std::string(argv[2]) + "/cp.bin";
    const int rounds = std::atoi(argv[3]);

    std::vector<double> ratios;
    double longestGapMs = 0;
    for (int round = 1; round <= rounds; ++round) {
        unlink(ours.c_str());
        unlink(theirs.c_str());
        // Each copy starts with no dirty pages of the one before it to write back.
        sync();
        // Alternate which copy goes first, so neither always meets a warmer cache.
        OurCopy our;
        double cp = 0;
        if (round % 2) {
            our = TimeOurCopy(source, ours);
            sync();
            cp = TimeCp(source, theirs);
        } else {
            cp = TimeCp(source, theirs);
            sync();
            our = TimeOurCopy(source, ours);
        }
        if (!our.ok || cp <= 0) {
            std::fprintf(stderr, "round %d: a copy failed\n", round);
            return 1;
        }
        ratios.push_back(our.seconds / cp);
        longestGapMs = std::max(longestGapMs, our.longestGapMs);
        std::printf("round %d: ours %.3f s, cp %.3f s, ratio %.3f, longest gap %.2f ms\n", round,
                    our.seconds, cp, ratios.back(), our.longestGapMs);
    }
    unlink(ours.c_str());
    unlink(theirs.c_str());
    std::printf("longest gap between yields: %.2f ms (target < 20)\n", longestGapMs);
    std::printf("median ratio ours/cp: %.3f (target <= 1.1)\n", Median(ratios));
    std::printf("%.3f\n", Median(ratios));
    return 0;
}
