#include "e2e/share_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

namespace vfs::e2e {

namespace fs = std::filesystem;

Shares::Shares() {
    smbRefused = samba.Start();
    if (smbRefused.empty()) smbRefused = smbnetfs.Mount();
    sshRefused = ssh.Start();
    if (sshRefused.empty()) sshRefused = sshfs.Mount();
    exfatRefused = exfat.Mount();
}

std::string Shares::Refused(Share share) const {
    switch (share) {
        case Share::kSmbnetfs:
            return smbRefused;
        case Share::kSshfs:
            return sshRefused;
        case Share::kExfat:
            return exfatRefused;
    }
    return "";
}

RemoteSpot Shares::Spot(Share share) const {
    switch (share) {
        case Share::kSmbnetfs:
            return {share, "smbnetfs", smbnetfs.Share(), samba.ShareDir(), true, 0};
        case Share::kSshfs:
            return {share, "sshfs", sshfs.MountPoint(), ssh.ServedDir(), false, 0};
        case Share::kExfat:
            return {share, "exFAT", exfat.MountPoint(), exfat.MountPoint(), true, 2};
    }
    return {};
}

namespace {

// Whether a folder can be made and removed in the folder, trying for a while.
std::string Answers(const std::string& folder, int timeoutMs) {
    const std::string probe = folder + "/.probe";
    int error = 0;
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        if (::mkdir(probe.c_str(), 0755) == 0 || errno == EEXIST) {
            if (::rmdir(probe.c_str()) == 0) return "";
        }
        error = errno;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return folder + " does not answer (" + std::strerror(error) + ")";
}

}  // namespace

std::string Shares::Ready(Share share) {
    if (std::string refused = Refused(share); !refused.empty()) return refused;
    const std::string folder = Spot(share).folder;
    if (Answers(folder, 8000).empty()) return "";
    switch (share) {
        case Share::kSmbnetfs:
            smbnetfs.Unmount();
            if (std::string refused = smbnetfs.Mount(); !refused.empty()) return refused;
            break;
        case Share::kSshfs:
            sshfs.Unmount();
            if (std::string refused = sshfs.Mount(); !refused.empty()) return refused;
            break;
        case Share::kExfat:
            exfat.Unmount();
            if (std::string refused = exfat.Mount(); !refused.empty()) return refused;
            break;
    }
    return Answers(folder, 5000);
}

std::string Shares::RestartSamba(int clockAheadSeconds) {
    if (!smbRefused.empty()) return smbRefused;
    if (std::string refused = samba.Start(clockAheadSeconds); !refused.empty()) return refused;
    // The mount finds the server again by itself; one that gave up is mounted again.
    return Ready(Share::kSmbnetfs);
}

std::string Shares::RestartSsh() {
    if (!sshRefused.empty()) return sshRefused;
    if (std::string refused = ssh.Start(); !refused.empty()) return refused;
    return Ready(Share::kSshfs);
}

void Shares::KillServer(Share share) {
    if (share == Share::kSmbnetfs) samba.Kill();
    if (share == Share::kSshfs) ssh.Kill();
}

std::string Shares::RestartServer(Share share) {
    if (share == Share::kSmbnetfs) return RestartSamba();
    if (share == Share::kSshfs) return RestartSsh();
    return "";
}

SharePair::SharePair(RemoteSpot where, const std::string& name)
    : spot(std::move(where)), R(spot.folder + "/" + name), serverR(spot.serverFolder + "/" + name) {
    test::MakeDirs(L);
    test::MakeDirs(R);
}

namespace {

// The fastest speed unless the test chose another.
std::string WithSpeed(const std::string& extra) {
    return Contains(extra, "SleepTimeCopy=") ? extra : "SleepTimeCopy=0\n" + extra;
}

}  // namespace

void SharePair::Settings(const std::string& extra) const {
    pf.Settings("LogToFile=1\n" + WithSpeed(extra) + "[Paths]\nLPLog=" + L + "\nRPLog=" + R + "\n");
}

void SharePair::TextSettings(const std::string& extra) const {
    pf.Settings("LogToFile=1\nExtendedFolders=True\n" + WithSpeed(extra) + "[Paths]\nLText=" + L +
                "\nRText=" + R + "\n");
}

std::vector<RunResult> RunAll(const Pairs& pairs, int timeoutSeconds) {
    std::vector<const ProgramFolder*> folders;
    for (const auto& pair : pairs)
        folders.push_back(&pair->pf);
    return RunAll(folders, timeoutSeconds);
}

std::vector<RunResult> RunAll(const std::vector<const ProgramFolder*>& folders,
                              int timeoutSeconds) {
    std::vector<Process> running;
    for (const ProgramFolder* folder : folders)
        running.push_back(folder->Start(kSyncAndExit));
    std::vector<RunResult> results;
    for (Process& p : running) {
        RunResult r;
        r.status = p.Wait(timeoutSeconds);
        r.out = p.Out();
        r.err = p.Err();
        results.push_back(r);
    }
    return results;
}

void ShareTest::SetUpTestSuite() {
    shares_ = std::make_unique<Shares>();
}

void ShareTest::TearDownTestSuite() {
    shares_.reset();
}

void ShareTest::TearDown() {
    if (!notRun_.empty()) std::cout << "[  NOT RUN ] " << notRun_ << std::endl;
}

Pairs ShareTest::PairsOn(const std::vector<Share>& shares) {
    Pairs pairs;
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (Share share : shares) {
        const RemoteSpot spot = S().Spot(share);
        if (const std::string refused = S().Ready(share); !refused.empty()) {
            NotRunOn(spot.label, refused);
            continue;
        }
        pairs.push_back(std::make_unique<SharePair>(spot, test + "-" + std::to_string(++made_)));
    }
    return pairs;
}

void ShareTest::NotRunOn(const std::string& label, const std::string& why) {
    notRun_ += (notRun_.empty() ? "" : "; ") + label + ": " + why;
}

std::unique_ptr<SharePair> ShareTest::PairOn(Share share) {
    Pairs pairs = PairsOn({share});
    return pairs.empty() ? nullptr : std::move(pairs.front());
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> CaseVariants(const std::string& folder, const std::string& name) {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    std::vector<std::string> variants;
    for (const std::string& n : Names(folder)) {
        if (lower(n) == lower(name)) variants.push_back(n);
    }
    return variants;
}

void SetTimes(const std::string& path, int64_t epochSeconds) {
    const timespec when{static_cast<time_t>(epochSeconds), 0};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

int64_t MtimeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtim.tv_sec) : -1;
}

std::vector<std::string> TaskLines(const std::string& out) {
    std::vector<std::string> lines;
    for (const std::string& line : StampedLines(out)) {
        for (const char* verb : {"T - Copy    \"", "T - Replace \"", "T - Delete  \""}) {
            if (line.rfind(verb, 0) == 0) lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace vfs::e2e
