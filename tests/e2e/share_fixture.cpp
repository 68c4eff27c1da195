#include "e2e/share_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

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

std::string Shares::RestartSamba(int clockAheadSeconds) {
    std::string refused = samba.Start(clockAheadSeconds);
    if (!refused.empty()) return refused;
    // The mount reconnects by itself; one that gave up is mounted again.
    struct stat st {};
    if (::stat(smbnetfs.Share().c_str(), &st) == 0) return "";
    smbnetfs.Unmount();
    return smbnetfs.Mount();
}

std::string Shares::RestartSsh() {
    std::string refused = ssh.Start();
    if (!refused.empty()) return refused;
    struct stat st {};
    if (::stat(sshfs.MountPoint().c_str(), &st) == 0 && MountAt(sshfs.MountPoint())) return "";
    sshfs.Unmount();
    return sshfs.Mount();
}

SharePair::SharePair(RemoteSpot where, const std::string& name)
    : spot(std::move(where)), R(spot.folder + "/" + name), serverR(spot.serverFolder + "/" + name) {
    test::MakeDirs(L);
    test::MakeDirs(R);
}

void SharePair::Settings(const std::string& extra) const {
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\n" + extra + "[Paths]\nLPLog=" + L + "\nRPLog=" + R +
                "\n");
}

void SharePair::TextSettings(const std::string& extra) const {
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\nExtendedFolders=True\n" + extra +
                "[Paths]\nLText=" + L + "\nRText=" + R + "\n");
}

std::vector<RunResult> RunAll(const Pairs& pairs, int timeoutSeconds) {
    std::vector<Process> running;
    for (const auto& pair : pairs)
        running.push_back(pair->pf.Start(kSyncAndExit));
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
        if (const std::string refused = S().Refused(share); !refused.empty()) {
            notRun_ += (notRun_.empty() ? "" : "; ") + spot.label + ": " + refused;
            continue;
        }
        pairs.push_back(std::make_unique<SharePair>(spot, test + "-" + std::to_string(++made_)));
    }
    return pairs;
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
