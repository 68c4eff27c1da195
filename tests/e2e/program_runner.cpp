#include "e2e/program_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>

extern char** environ;

namespace vfs::e2e {

namespace {

std::string ReadIfExists(const std::string& path) {
    return test::Exists(path) ? test::ReadFile(path) : std::string();
}

std::vector<std::string> ChildEnvironment(const std::string& root) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        // The program runs without a display here, so a run without HEADLESS is the
        // fallback of a machine with no desktop, on a developer's desktop as well.
        bool dropped = false;
        for (const char* name : {"XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=", "DISPLAY=",
                                 "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}) {
            dropped = dropped || entry.rfind(name, 0) == 0;
        }
        if (dropped) continue;
        env.push_back(entry);
    }
    env.push_back("XDG_RUNTIME_DIR=" + root + "/run");
    env.push_back("XDG_CONFIG_HOME=" + root + "/cfg");
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

int Process::Wait(int timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Process::Signal(int signalNumber) const {
    kill(pid_, signalNumber);
}

bool Process::WaitForOutput(const std::string& text, int timeoutSeconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Contains(Out(), text)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Process::Out() const {
    return ReadIfExists(outPath_);
}
std::string Process::Err() const {
    return ReadIfExists(errPath_);
}

ProgramFolder::ProgramFolder() : prog_(dir_ / "prog") {
    test::MakeDirs(prog_);
    test::MakeDirs(dir_ / "run");
    test::MakeDirs(dir_ / "cfg");
    std::error_code ec;
    std::filesystem::copy_file(VFS_PROGRAM_PATH, prog_ + "/varnelfilesync", ec);
}

void ProgramFolder::Settings(const std::string& text, const std::string& file) const {
    test::WriteFile(prog_ + "/" + file, "[Settings]\nFirstRun=False\n" + text);
}

std::string ProgramFolder::SettingsText(const std::string& file) const {
    return ReadIfExists(prog_ + "/" + file);
}

std::string ProgramFolder::StateFile(const std::string& name, const std::string& session) const {
    return ReadIfExists(prog_ + "/VarnelFileSyncSettings" + session + "/" + name);
}

std::string ProgramFolder::TaskLog() const {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char name[64];
    std::strftime(name, sizeof name, "Task_Log_%m%d%Y.txt", &tm);
    return ReadIfExists(prog_ + "/VarnelFileSync Logs/" + name);
}

Process ProgramFolder::Start(const std::vector<std::string>& args) const {
    const int n = ++starts_;
    const std::string out = dir_ / ("out" + std::to_string(n) + ".txt");
    const std::string err = dir_ / ("err" + std::to_string(n) + ".txt");
    std::vector<std::string> argv = {prog_ + "/varnelfilesync"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = ChildEnvironment(dir_.path());
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(120);
        auto argp = Pointers(argv);
        auto envp = Pointers(env);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    return Process(pid, out, err);
}

RunResult ProgramFolder::Run(const std::vector<std::string>& args, int timeoutSeconds) const {
    Process p = Start(args);
    RunResult r;
    r.status = p.Wait(timeoutSeconds);
    r.out = p.Out();
    r.err = p.Err();
    return r;
}

std::vector<std::string> StampedLines(const std::string& text) {
    static const std::regex stamp("^[0-9]{2}:[0-9]{2}:[0-9]{2}");
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::regex_replace(line, stamp, "T"));
        start = end + 1;
    }
    return lines;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void Write(const std::string& path, const std::string& text, int64_t mtime) {
    test::WriteFile(path, text);
    test::SetMtime(path, mtime);
}

}  // namespace vfs::e2e
