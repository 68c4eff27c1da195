// Driver of bench/scan: builds a folder pair and times ScanFolderPair on it.
//
//   scan_bench fixture <dir> <files-per-side>   creates <dir>/L and <dir>/R
//   scan_bench scan <dir> <runs>                prints the best of <runs> scans in seconds,
//                                               the tasks queued and the best of <runs> bare
//                                               listings, each timed right before a scan
//   scan_bench memory <dir> <files-per-side>    creates a pair whose scan queues a copy per
//                                               file, scans it once and prints the tasks
//                                               queued and the peak resident memory in KiB
//
// The pair: half of each side's files are on both sides (every tenth of those with a later
// remote copy), the rest on one side only. Before every run the previous contents are set
// to the shared names plus every other one-sided name, so the scan decides copies,
// replacements and deletions. The scan runs at full speed: no pauses, no event loop.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/folder_scan.h"
#include "engine/state_files.h"
#include "platform/file_system.h"

namespace {

constexpr const char* kCategory = "Audio Folder 1";
constexpr const char* kPattern = "*.krt;*.wav;*.mp3;*.mp2";
constexpr time_t kBaseTime = 1780000000;

std::string Name(char side, int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%05d.wav", side, i);
    return buf;
}

bool MakeFile(const std::string& path, time_t mtime) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, path.data(), path.size()) == static_cast<ssize_t>(path.size());
    ::close(fd);
    const timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
    return ok && ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

// <dir>/L and <dir>/R, new and empty.
bool MakePairFolders(const std::string& dir) {
    ::mkdir(dir.c_str(), 0755);
    if (::mkdir((dir + "/L").c_str(), 0755) == 0 && ::mkdir((dir + "/R").c_str(), 0755) == 0) {
        return true;
    }
    std::fprintf(stderr, "scan_bench: cannot create %s/L and %s/R\n", dir.c_str(), dir.c_str());
    return false;
}

// What a scan runs in: the program's state, form and ports, the program folder in <dir>/prog,
// no pauses and no event loop.
struct BenchApp {
    vfs::ProgramState state;
    vfs::FormModel form;
    vfs::Ports ports;
    vfs::Context ctx{state, form, ports};

    explicit BenchApp(const std::string& dir) {
        ports.programFolder = dir + "/prog";
        ::mkdir(ports.programFolder.c_str(), 0755);
        state.SleepTimeSync = 0;
    }
};

int MakeFixture(const std::string& dir, int perSide) {
    const std::string local = dir + "/L/", remote = dir + "/R/";
    if (!MakePairFolders(dir)) return 1;
    const int shared = perSide / 2;
    bool ok = true;
    for (int i = 0; i < shared; ++i) {
        ok = ok && MakeFile(local + Name('c', i), kBaseTime);
        ok = ok && MakeFile(remote + Name('c', i), kBaseTime + (i % 10 == 0 ? 60 : 0));
    }
    for (int i = shared; i < perSide; ++i) {
        ok = ok && MakeFile(local + Name('l', i), kBaseTime);
        ok = ok && MakeFile(remote + Name('r', i), kBaseTime);
    }
    if (!ok) std::fprintf(stderr, "scan_bench: cannot write the fixture files\n");
    return ok ? 0 : 1;
}

std::vector<std::string> PreviousContents(const std::string& local, const std::string& remote) {
    std::vector<std::string> names;
    int oneSided = 0;
    for (const std::string& folder : {local, remote}) {
        for (const std::string& name :
             vfs::platform::ListFolder(folder, kPattern).value_or(std::vector<std::string>{})) {
            if (name[0] == 'c') {
                if (folder == local) names.push_back(name);
            } else if (oneSided++ % 2 == 0) {
                names.push_back(name);
            }
        }
    }
    return names;
}

// The least any scan must do: read both folders and look up every entry once. Nothing is
// sorted, matched or kept; the sum of the sizes only keeps the look-ups from being dropped.
bool ListBare(const std::string& folder, long long& sizes) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    const int fd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) sizes += st.st_size;
    }
    ::closedir(dir);
    return true;
}

int TimeScans(const std::string& dir, int runs) {
    const std::string local = dir + "/L", remote = dir + "/R";
    BenchApp app(dir);
    const std::vector<std::string> previous = PreviousContents(local + "/", remote + "/");

    // Each run times the floor right before the scan, so both meet the same caches and the
    // same load: the ratio of the two is taken under equal conditions.
    double best = 1e9;
    double bestFloor = 1e9;
    long long sizes = 0;
    std::size_t tasks = 0;
    for (int run = 0; run < runs; ++run) {
        const auto floorStart = std::chrono::steady_clock::now();
        if (!ListBare(local, sizes) || !ListBare(remote, sizes)) {
            std::fprintf(stderr, "scan_bench: cannot list %s and %s\n", local.c_str(),
                         remote.c_str());
            return 1;
        }
        const std::chrono::duration<double> floorTook =
            std::chrono::steady_clock::now() - floorStart;
        bestFloor = std::min(bestFloor, floorTook.count());
        vfs::SaveStateFile(app.ctx, kCategory, previous, false);
        app.form.lstTasksToDo.Clear();
        app.form.lstCompletedTasks.Clear();
        // As at the start of a run: the views of an earlier queue are dropped with it.
        app.state.TaskViews.Clear();
        const auto start = std::chrono::steady_clock::now();
        vfs::ScanFolderPair(app.ctx, local, remote, kPattern, kCategory);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
        tasks = app.form.lstTasksToDo.ListCount();
    }
    std::printf("%.6f %zu %.6f\n", best, tasks, bestFloor);
    return 0;
}

// One-sided files only and no previous contents: every file becomes a queued copy.
int MeasureMemory(const std::string& dir, int perSide) {
    const std::string local = dir + "/L/", remote = dir + "/R/";
    if (!MakePairFolders(dir)) return 1;
    for (int i = 0; i < perSide; ++i) {
        if (!MakeFile(local + Name('l', i), kBaseTime) ||
            !MakeFile(remote + Name('r', i), kBaseTime)) {
            std::fprintf(stderr, "scan_bench: cannot write the fixture files\n");
            return 1;
        }
    }
    BenchApp app(dir);
    vfs::ScanFolderPair(app.ctx, local, remote, kPattern, kCategory);
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%zu %ld\n", app.form.lstTasksToDo.ListCount(), usage.ru_maxrss);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: scan_bench fixture <dir> <files-per-side>\n"
                     "       scan_bench scan <dir> <runs>\n"

                     "       scan_bench memory <dir> <files-per-side>\n");
        return 2;
    }
    const std::string mode = argv[1], dir = argv[2];
    const int count = std::atoi(argv[3]);
    if (mode == "fixture") return MakeFixture(dir, count);
    if (mode == "scan") return TimeScans(dir, count);
    if (mode == "memory") return MeasureMemory(dir, count);
    std::fprintf(stderr, "scan_bench: unknown mode %s\n", mode.c_str());
    return 2;
}
