#include "e2e/real_shares.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/loop.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vfs::e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kRunPrefix = "run-";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteText(const std::string& path, const std::string& text, mode_t mode = 0644) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    ::chmod(path.c_str(), mode);
}

void AppendLine(const std::string& path, const std::string& line) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line << "\n";
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The last lines of a log, for a message about a server that would not start.
std::string Tail(const std::string& text, std::size_t lines = 6) {
    std::size_t at = text.size();
    for (std::size_t n = 0; n <= lines && at != std::string::npos && at > 0; ++n) {
        at = text.rfind('\n', at - 1);
    }
    return Trimmed(at == std::string::npos ? text : text.substr(at + 1));
}

template <typename Done>
bool WaitFor(Done done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The environment of a started program: ours, with the given entries put in or replaced.
std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('=') + 1);
        const bool replaced = std::any_of(
            extra.begin(), extra.end(), [&](const std::string& x) { return x.rfind(key, 0) == 0; });
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
    std::vector<std::string> dirs;
    const char* path = std::getenv("PATH");
    std::stringstream ss(path ? path : "");
    for (std::string dir; std::getline(ss, dir, ':');)
        dirs.push_back(dir);
    for (const char* dir : {"/usr/local/sbin", "/usr/sbin", "/sbin", "/usr/bin", "/bin"}) {
        dirs.push_back(dir);
    }
    for (const std::string& dir : dirs) {
        const std::string candidate = dir + "/" + name;
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// Forks a program in a process group of its own with its output going to the log file.
pid_t Spawn(std::vector<std::string> argv, const std::string& logPath,
            const std::vector<std::string>& extraEnv) {
    const std::string program = FindProgram(argv[0]);
    if (program.empty()) return -1;
    argv[0] = program;
    std::vector<std::string> env = Environment(extraEnv);
    // Everything the child needs is made before the fork.
    auto argp = Pointers(argv);
    auto envp = Pointers(env);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in < 0 || out < 0) ::_exit(120);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    if (pid > 0) ::setpgid(pid, pid);
    return pid;
}

struct ProcessEntry {
    pid_t pid;
    pid_t parent;
    pid_t group;
};

std::vector<ProcessEntry> Processes() {
    std::vector<ProcessEntry> all;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc", ec)) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadText("/proc/" + name + "/stat");
        // "pid (command) state parent group ...": the command may hold blanks and brackets.
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        long parent = 0;
        long group = 0;
        if (!(rest >> state >> parent >> group)) continue;
        all.push_back({static_cast<pid_t>(std::stol(name)), static_cast<pid_t>(parent),
                       static_cast<pid_t>(group)});
    }
    return all;
}

std::string CommandLine(pid_t pid) {
    std::string text = ReadText("/proc/" + std::to_string(pid) + "/cmdline");
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

// "\040" and the like in a mountinfo path.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8)));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::vector<MountEntry> Mounts() {
    std::vector<MountEntry> mounts;
    std::istringstream in(ReadText("/proc/self/mountinfo"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, field;
        fields >> id >> parent >> device >> root >> point >> options;
        while (fields >> field && field != "-") {
        }
        MountEntry entry{device, Unescaped(root), Unescaped(point), "", ""};
        fields >> entry.type >> entry.source;
        mounts.push_back(entry);
    }
    return mounts;
}

bool Under(const std::string& path, const std::string& folder) {
    return path.rfind(folder + "/", 0) == 0;
}

void DetachLoop(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::ioctl(fd, LOOP_CLR_FD, 0);
    ::close(fd);
}

// Loop devices whose image lies in the folder.
std::vector<std::string> LoopsUnder(const std::string& folder) {
    std::vector<std::string> loops;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/sys/block", ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("loop", 0) != 0) continue;
        const std::string backing = Trimmed(ReadText(e.path().string() + "/loop/backing_file"));
        if (Under(backing, folder)) loops.push_back("/dev/" + name);
    }
    return loops;
}

// Everything a test program started in its run folder: mounts first (a server killed
// under a mount leaves it hanging), then loop devices and servers, then the folder itself
// once nothing is mounted in it any more.
void ClearRunFolder(const std::string& folder) {
    std::vector<std::string> points;
    for (const MountEntry& m : Mounts()) {
        if (Under(m.mountPoint, folder)) points.push_back(m.mountPoint);
    }
    std::sort(points.begin(), points.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& point : points)
        Unmount(point);
    for (const std::string& loop : LoopsUnder(folder))
        DetachLoop(loop);
    // A pid noted by a dead run may have been given to another program since: only one whose
    // command line names the run folder is still its server.
    std::istringstream pids(ReadText(folder + "/pids"));
    for (long pid = 0; pids >> pid;) {
        if (pid > 1 && CommandLine(static_cast<pid_t>(pid)).find(folder) != std::string::npos) {
            KillProcessTree(static_cast<pid_t>(pid));
        }
    }
    for (const MountEntry& m : Mounts()) {
        if (Under(m.mountPoint, folder) || m.mountPoint == folder) return;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}

bool Alive(pid_t pid) {
    return pid > 0 && ::kill(pid, 0) == 0;
}

std::string ProgramOf(pid_t pid) {
    std::error_code ec;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
}

void ClearLeftovers(const std::string& base) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(base, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(kRunPrefix, 0) != 0) continue;
        long owner = 0;
        std::string program;
        std::istringstream(ReadText(e.path().string() + "/owner")) >> owner >> program;
        // Another test program that is still running keeps its folder.
        if (Alive(static_cast<pid_t>(owner)) && ProgramOf(static_cast<pid_t>(owner)) == program) {
            continue;
        }
        ClearRunFolder(e.path().string());
    }
}

// Whether a port of 127.0.0.1 accepts a connection.
bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// 0 when the port of 127.0.0.1 can be bound (then it is free), else errno.
int BindError(int port, int* bound = nullptr) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return errno;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int error = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
    } else if (bound) {
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        *bound = ntohs(address.sin_port);
    }
    ::close(fd);
    return error;
}

int FreePort() {
    int port = 0;
    return BindError(0, &port) == 0 ? port : 0;
}

std::string Missing(const std::vector<std::string>& programs) {
    for (const std::string& program : programs) {
        if (!HaveProgram(program)) return program + " is not installed";
    }
    return "";
}

// Waits for a FUSE mount to appear at the mount point while its daemon runs.
std::string AwaitFuseMount(Daemon& daemon, const std::string& mountPoint, const char* what) {
    const bool mounted = WaitFor(
        [&] {
            const std::optional<MountEntry> m = MountAt(mountPoint);
            return (m && m->type.rfind("fuse", 0) == 0) || !daemon.Running();
        },
        15000);
    if (mounted && daemon.Running()) return "";
    const std::string log = daemon.Log();
    daemon.Kill();
    Unmount(mountPoint);
    return std::string(what) + " refused to mount: " + Tail(log);
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, int timeoutSeconds,
                         const std::vector<std::string>& extraEnv) {
    CommandResult result;
    char name[] = "/tmp/vfs-command-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) return result;
    ::close(fd);
    const pid_t pid = Spawn(argv, name, extraEnv);
    if (pid > 0) {
        int status = 0;
        const auto deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
        pid_t done = 0;
        while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == 0) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        } else if (WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        }
    } else {
        result.output = argv[0] + " is not installed";
    }
    result.output += ReadText(name);
    ::unlink(name);
    return result;
}

bool HaveProgram(const std::string& name) {
    return !FindProgram(name).empty();
}

void SignalProcessTree(pid_t pid, int signalNumber) {
    if (pid <= 1) return;
    // The tree is read before it is signalled: a process that dies leaves its children to
    // init, out of the tree (sshd starts each session in a process group of its own). It is
    // read again until it shows no process left out, for one started in the meantime.
    std::set<pid_t> signalled;
    for (bool more = true; more;) {
        more = false;
        const std::vector<ProcessEntry> all = Processes();
        std::set<pid_t> tree = {pid};
        for (bool grown = true; grown;) {
            grown = false;
            for (const ProcessEntry& p : all) {
                const bool below = tree.count(p.parent) > 0 || p.group == pid;
                if (below && tree.insert(p.pid).second) grown = true;
            }
        }
        ::kill(-pid, signalNumber);
        for (pid_t p : tree) {
            if (!signalled.insert(p).second) continue;
            ::kill(p, signalNumber);
            more = true;
        }
    }
}

void KillProcessTree(pid_t pid) {
    SignalProcessTree(pid, SIGKILL);
}

bool Daemon::Start(const std::vector<std::string>& argv, const std::string& logPath,
                   const std::string& pidFile, const std::vector<std::string>& extraEnv) {
    Kill();
    log_ = logPath;
    pid_ = Spawn(argv, logPath, extraEnv);
    if (pid_ > 0) AppendLine(pidFile, std::to_string(pid_));
    return pid_ > 0;
}

bool Daemon::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
}

void Daemon::Kill() {
    if (pid_ <= 0) return;
    KillProcessTree(pid_);
    int status = 0;
    // A process stuck in a request to a dead FUSE mount ends once the mount goes; it is not
    // waited for here without end.
    WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) != 0; }, 5000);
    pid_ = -1;
}

void Daemon::Signal(int signalNumber) const {
    if (pid_ > 0) SignalProcessTree(pid_, signalNumber);
}

std::string Daemon::Log() const {
    return log_.empty() ? "" : ReadText(log_);
}

RunRoot::RunRoot() {
    std::error_code ec;
    const fs::path tmp = fs::canonical(fs::temp_directory_path(ec), ec);
    const std::string base = (tmp.empty() ? fs::path("/tmp") : tmp).string() + "/vfs-share-tests";
    fs::create_directories(base, ec);
    ClearLeftovers(base);
    std::string pattern = base + "/" + kRunPrefix + "XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed in " + base);
    path_ = pattern;
    WriteText(path_ + "/owner", std::to_string(::getpid()) + " " + ProgramOf(::getpid()) + "\n");
}

RunRoot::~RunRoot() {
    ClearRunFolder(path_);
}

std::string RunRoot::Folder(const std::string& relative) const {
    const std::string folder = path_ + "/" + relative;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

std::optional<MountEntry> MountAt(const std::string& mountPoint) {
    std::optional<MountEntry> found;
    for (const MountEntry& m : Mounts()) {
        if (m.mountPoint == mountPoint) found = m;  // the last one is on top
    }
    return found;
}

bool Unmount(const std::string& mountPoint) {
    for (int attempt = 0; attempt < 8 && MountAt(mountPoint); ++attempt) {
        if (::umount2(mountPoint.c_str(), 0) != 0) ::umount2(mountPoint.c_str(), MNT_DETACH);
    }
    return WaitFor([&] { return !MountAt(mountPoint); }, 5000);
}

uint64_t DeviceOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_dev) : 0;
}

std::string FuseRefused() {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        return std::string("no usable /dev/fuse (") + std::strerror(errno) + ")";
    }
    return "";
}

SambaServer::SambaServer(const RunRoot& root)
    : dir_(root.Folder("samba-server")),
      share_(root.Folder("samba-server/share")),
      pidFile_(root.PidFile()) {
    for (const char* sub : {"private", "lock", "state", "cache", "pid"})
        root.Folder("samba-server/" + std::string(sub));
}

std::string SambaServer::Start(int clockAheadSeconds) {
    daemon_.Kill();
    if (std::string missing =
            Missing(clockAheadSeconds ? std::vector<std::string>{"smbd", "faketime"}
                                      : std::vector<std::string>{"smbd"});
        !missing.empty()) {
        return missing;
    }
    // The processes of a server just ended may hold the port for a moment.
    int error = 0;
    WaitFor([&] { return (error = BindError(445)) != EADDRINUSE; }, 5000);
    if (error != 0) {
        return std::string("port 445 of 127.0.0.1 cannot be used (") + std::strerror(error) +
               "): another SMB server, or not root";
    }
    std::string conf = "[global]\n";
    // The SMB clients here reach a server on port 445 only: the server keeps to 127.0.0.1
    // and needs no name service.
    conf += "interfaces = 127.0.0.1\nbind interfaces only = yes\nsmb ports = 445\n";
    conf += "disable netbios = yes\n";
    for (const char* sub : {"private", "lock", "state", "cache", "pid"}) {
        conf += std::string(sub) + " directory = " + dir_ + "/" + sub + "\n";
    }
    conf += "private dir = " + dir_ + "/private\n";
    conf += "log file = " + dir_ + "/log\nmax log size = 0\n";
    conf += "map to guest = Bad User\nguest account = root\n";
    conf += "load printers = no\nprinting = bsd\nprintcap name = /dev/null\n";
    conf += "[share]\npath = " + share_ + "\nread only = no\nguest ok = yes\nforce user = root\n";
    WriteText(dir_ + "/smb.conf", conf);
    std::vector<std::string> argv = {"smbd", "-F", "--no-process-group", "-s", dir_ + "/smb.conf"};
    if (clockAheadSeconds != 0) {
        argv.insert(argv.begin(),
                    {"faketime", "-f", "+" + std::to_string(clockAheadSeconds) + "s"});
    }
    if (!daemon_.Start(argv, dir_ + "/stdout", pidFile_)) return "smbd could not be started";
    const bool up = WaitFor([&] { return !daemon_.Running() || Accepts(445); }, 15000);
    if (up && daemon_.Running()) return "";
    const std::string why = Tail(daemon_.Log() + ReadText(dir_ + "/log"));
    daemon_.Kill();
    return "smbd did not start: " + why;
}

SmbnetfsMount::SmbnetfsMount(const RunRoot& root, const std::string& name,
                             const std::string& options)
    : home_(root.Folder(name + "-home")),
      mountPoint_(root.Folder(name)),
      pidFile_(root.PidFile()),
      options_(options.empty() ? "allow_other" : "allow_other," + options) {
    const std::string conf = root.Folder(name + "-home/.smb");
    // smbnetfs ignores configuration files that others may read.
    WriteText(conf + "/smb.conf", "[global]\nclient min protocol = SMB2\nworkgroup = WG\n", 0600);
    WriteText(conf + "/smbnetfs.conf",
              "auth \"guest\" \"\"\nhost 127.0.0.1 WG visible=true\nsmb_query_browsers false\n",
              0600);
}

std::string SmbnetfsMount::Mount() {
    if (std::string missing = Missing({"smbnetfs"}); !missing.empty()) return missing;
    if (std::string refused = FuseRefused(); !refused.empty()) return refused;
    if (!daemon_.Start({"smbnetfs", mountPoint_, "-f", "-o", options_}, home_ + "/smbnetfs.log",
                       pidFile_, {"HOME=" + home_})) {
        return "smbnetfs could not be started";
    }
    if (std::string refused = AwaitFuseMount(daemon_, mountPoint_, "smbnetfs"); !refused.empty()) {
        return refused;
    }
    struct stat st {};
    if (WaitFor([&] { return ::stat(Share().c_str(), &st) == 0; }, 15000)) return "";
    Unmount();
    return "the share is not reachable through smbnetfs at " + Share();
}

void SmbnetfsMount::Unmount() {
    e2e::Unmount(mountPoint_);
    WaitFor([&] { return !daemon_.Running(); }, 3000);
    daemon_.Kill();
}

SshServer::SshServer(const RunRoot& root)
    : dir_(root.Folder("ssh-server")),
      served_(root.Folder("ssh-server/served")),
      key_(dir_ + "/client_key"),
      pidFile_(root.PidFile()) {}

std::string SshServer::Start() {
    daemon_.Kill();
    if (std::string missing = Missing({"sshd", "ssh-keygen", "ssh"}); !missing.empty()) {
        return missing;
    }
    // sshd refuses to start without its privilege separation folder.
    std::error_code ec;
    fs::create_directories("/run/sshd", ec);
    for (const std::string& key : {dir_ + "/host_key", key_}) {
        if (fs::exists(key)) continue;
        const CommandResult made =
            RunCommand({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", key});
        if (made.status != 0) return "ssh-keygen failed: " + Tail(made.output);
    }
    fs::copy_file(key_ + ".pub", dir_ + "/authorized_keys", fs::copy_options::overwrite_existing,
                  ec);
    for (int attempt = 0; attempt < 3; ++attempt) {
        // A restarted server keeps its port: the mounts reconnect to it.
        if (port_ == 0) port_ = FreePort();
        std::string conf = "ListenAddress 127.0.0.1\nPort " + std::to_string(port_) + "\n";
        conf += "HostKey " + dir_ + "/host_key\nPidFile " + dir_ + "/sshd.pid\n";
        conf += "AuthorizedKeysFile " + dir_ + "/authorized_keys\nStrictModes no\n";
        conf += "PermitRootLogin prohibit-password\nPasswordAuthentication no\n";
        conf += "KbdInteractiveAuthentication no\nUsePAM no\nSubsystem sftp internal-sftp\n";
        WriteText(dir_ + "/sshd_config", conf);
        const std::string log = dir_ + "/sshd.log";
        WriteText(log, "");
        // sshd starts its sessions again from its own path, which must be absolute.
        if (!daemon_.Start({FindProgram("sshd"), "-D", "-e", "-f", dir_ + "/sshd_config"}, log,
                           pidFile_)) {
            return "sshd could not be started";
        }
        const bool up = WaitFor(
            [&] {
                return !daemon_.Running() ||
                       ReadText(log).find("Server listening") != std::string::npos;
            },
            10000);
        if (up && daemon_.Running()) return "";
        const std::string why = Tail(daemon_.Log());
        daemon_.Kill();
        if (why.find("Address already in use") == std::string::npos) {
            return "sshd did not start: " + why;
        }
        port_ = 0;
    }
    return "sshd found no free port";
}

SshfsMount::SshfsMount(const RunRoot& root, const SshServer& server, const std::string& name)
    : server_(server), mountPoint_(root.Folder(name)), pidFile_(root.PidFile()) {}

std::string SshfsMount::Mount(const std::string& serverFolder, const std::string& extraOptions) {
    if (std::string missing = Missing({"sshfs"}); !missing.empty()) return missing;
    if (std::string refused = FuseRefused(); !refused.empty()) return refused;
    const std::string folder = serverFolder.empty() ? server_.ServedDir() : serverFolder;
    // A server that stops answering is given up within seconds instead of hanging every
    // request; "reconnect" lets the mount work again once the server is back.
    const std::string options = "IdentityFile=" + server_.Key() +
                                ",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null"
                                ",BatchMode=yes,ConnectTimeout=5,ServerAliveInterval=1"
                                ",ServerAliveCountMax=3,reconnect,LogLevel=ERROR" +
                                (extraOptions.empty() ? "" : "," + extraOptions);
    if (!daemon_.Start({"sshfs", "root@127.0.0.1:" + folder, mountPoint_, "-f", "-F", "/dev/null",
                        "-p", std::to_string(server_.Port()), "-o", options},
                       mountPoint_ + ".log", pidFile_)) {
        return "sshfs could not be started";
    }
    return AwaitFuseMount(daemon_, mountPoint_, "sshfs");
}

void SshfsMount::Unmount() {
    e2e::Unmount(mountPoint_);
    WaitFor([&] { return !daemon_.Running(); }, 3000);
    daemon_.Kill();
}

ExfatDisk::ExfatDisk(const RunRoot& root, const std::string& name, int sizeMiB)
    : image_(root.Path() + "/" + name + ".img"), mountPoint_(root.Folder(name)) {
    const int fd = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (::ftruncate(fd, off_t{sizeMiB} << 20) != 0) ::unlink(image_.c_str());
        ::close(fd);
    }
}

ExfatDisk::~ExfatDisk() {
    Unmount();
    Detach();
}

std::string ExfatDisk::Mount() {
    if (std::string missing = Missing({"mkfs.exfat", "mount.exfat-fuse", "losetup"});
        !missing.empty()) {
        return missing;
    }
    if (std::string refused = FuseRefused(); !refused.empty()) return refused;
    if (!formatted_) {
        const CommandResult made = RunCommand({"mkfs.exfat", image_});
        if (made.status != 0) return "mkfs.exfat failed: " + Tail(made.output);
        formatted_ = true;
    }
    if (loop_.empty()) {
        const CommandResult attached = RunCommand({"losetup", "-f", "--show", image_});
        if (attached.status != 0) return "losetup refused: " + Tail(attached.output);
        loop_ = Trimmed(attached.output);
    }
    // A disk mounted again over its bare mount point finds the files left there meanwhile.
    const CommandResult mounted =
        RunCommand({"mount.exfat-fuse", "-o", "nonempty", loop_, mountPoint_});
    if (mounted.status == 0 && MountAt(mountPoint_)) return "";
    return "mount.exfat-fuse refused: " + Tail(mounted.output);
}

void ExfatDisk::Unmount() {
    e2e::Unmount(mountPoint_);
}

void ExfatDisk::Detach() {
    if (loop_.empty()) return;
    // The FUSE daemon lets go of the device a moment after the unmount.
    WaitFor([&] { return RunCommand({"losetup", "-d", loop_}).status == 0; }, 5000);
    loop_.clear();
}

BindMount::BindMount(const std::string& from, const std::string& onto) : onto_(onto) {
    if (::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        refused_ = std::string("mount --bind refused: ") + std::strerror(errno);
    }
}

BindMount::~BindMount() {
    if (refused_.empty()) Unmount(onto_);
}

}  // namespace vfs::e2e
