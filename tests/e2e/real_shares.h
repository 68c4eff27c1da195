// Real network shares and a foreign disk for the end-to-end tests: a Samba server read
// through smbnetfs, an SSH server read through sshfs, and an exFAT image on a loop device,
// all on this machine (servers listen on 127.0.0.1 only). Each object ends what it started
// when it goes, also when a test fails; what a test program that died left behind is cleared
// when the next one makes its run folder.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vfs::e2e {

// What a helper program printed and how it ended (-1: killed at its deadline or by a signal).
struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a helper program (mount, losetup, ...) to its end, at most timeoutSeconds.
CommandResult RunCommand(const std::vector<std::string>& argv, int timeoutSeconds = 20,
                         const std::vector<std::string>& extraEnv = {});

// Whether a program of that name can be started (PATH, then the system folders).
bool HaveProgram(const std::string& name);

// A long-running program started for a test, in a process group of its own: ending it ends
// whatever it started as well, so no server process outlives its test.
class Daemon {
  public:
    Daemon() = default;
    ~Daemon() { Kill(); }
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    // Starts it with standard output and error going to the log file. The pid is noted in
    // the pid file so a later test program can end it if this one dies first.
    bool Start(const std::vector<std::string>& argv, const std::string& logPath,
               const std::string& pidFile, const std::vector<std::string>& extraEnv = {});
    bool Running();
    // Ends it and every process it started, at once (SIGKILL), and waits for it.
    void Kill();
    // Sends the signal to it and every process it started (SIGSTOP, SIGCONT).
    void Signal(int signalNumber) const;
    pid_t Pid() const { return pid_; }
    std::string Log() const;

  private:
    pid_t pid_ = -1;
    std::string log_;
};

// The folder every share fixture of this test program keeps its files in:
// <tmp>/vfs-share-tests/run-XXXXXX. Making it first clears the folders of test programs
// that are no longer running: their mounts, loop devices and servers, then the folders.
class RunRoot {
  public:
    RunRoot();
    ~RunRoot();
    RunRoot(const RunRoot&) = delete;
    RunRoot& operator=(const RunRoot&) = delete;

    const std::string& Path() const { return path_; }
    // A new folder below the run folder (its parents made), returned as a full path.
    std::string Folder(const std::string& relative) const;
    // Where the pids of started servers are noted.
    std::string PidFile() const { return path_ + "/pids"; }

  private:
    std::string path_;
};

// A line of /proc/self/mountinfo.
struct MountEntry {
    std::string device;  // "major:minor"
    std::string root;
    std::string mountPoint;
    std::string type;
    std::string source;
};
std::optional<MountEntry> MountAt(const std::string& mountPoint);
// Unmounts (lazily when busy) and waits until the mount is gone; true when nothing is
// mounted there any more.
bool Unmount(const std::string& mountPoint);
// The device number of a folder, or 0.
uint64_t DeviceOf(const std::string& path);
// Why FUSE cannot be used here, or empty.
std::string FuseRefused();

// smbd with a configuration of its own, sharing one folder as "share" to guests, on
// 127.0.0.1 port 445 (the SMB clients here reach no other port, so one server at a time).
class SambaServer {
  public:
    explicit SambaServer(const RunRoot& root);
    // Empty when the server accepts connections, else why not. With clockAheadSeconds the
    // server runs with its clock that far ahead (faketime), as a server with a wrong clock.
    std::string Start(int clockAheadSeconds = 0);
    // Ends the server and all its processes at once, as a crash or a power cut would.
    void Kill() { daemon_.Kill(); }
    // Stops the server and all its processes (SIGSTOP), as a machine that hangs: its
    // connections stay open and nothing answers on them until Resume().
    void Freeze() const { daemon_.Signal(SIGSTOP); }
    void Resume() const { daemon_.Signal(SIGCONT); }
    bool Running() { return daemon_.Running(); }
    // The shared folder as the server sees it.
    const std::string& ShareDir() const { return share_; }

  private:
    std::string dir_;
    std::string share_;
    std::string pidFile_;
    Daemon daemon_;
};

// The Samba server's share mounted through smbnetfs. The share is at Share(). Like the
// server it reads, smbnetfs tells no free space or size (statvfs answers 0 and 0) unless its
// options give it a free space to report.
class SmbnetfsMount {
  public:
    SmbnetfsMount(const RunRoot& root, const std::string& name, const std::string& options = "");
    ~SmbnetfsMount() { Unmount(); }
    SmbnetfsMount(const SmbnetfsMount&) = delete;
    SmbnetfsMount& operator=(const SmbnetfsMount&) = delete;

    std::string Mount();
    void Unmount();
    const std::string& MountPoint() const { return mountPoint_; }
    std::string Share() const { return mountPoint_ + "/127.0.0.1/share"; }

  private:
    std::string home_;
    std::string mountPoint_;
    std::string pidFile_;
    std::string options_;
    Daemon daemon_;
};

// sshd on a free port of 127.0.0.1, letting root in with a key made for the test program.
class SshServer {
  public:
    explicit SshServer(const RunRoot& root);
    std::string Start();
    // Ends the listener and every session it started, at once.
    void Kill() { daemon_.Kill(); }
    // Stops the listener and every session (SIGSTOP): nothing answers until Resume().
    void Freeze() const { daemon_.Signal(SIGSTOP); }
    void Resume() const { daemon_.Signal(SIGCONT); }
    bool Running() { return daemon_.Running(); }
    int Port() const { return port_; }
    const std::string& Key() const { return key_; }
    // A folder the server serves (its own files, as the server sees them).
    const std::string& ServedDir() const { return served_; }

  private:
    std::string dir_;
    std::string served_;
    std::string key_;
    std::string pidFile_;
    int port_ = 0;
    Daemon daemon_;
};

// A folder of the SSH server mounted through sshfs.
class SshfsMount {
  public:
    SshfsMount(const RunRoot& root, const SshServer& server, const std::string& name);
    ~SshfsMount() { Unmount(); }
    SshfsMount(const SshfsMount&) = delete;
    SshfsMount& operator=(const SshfsMount&) = delete;

    // Mounts the server's folder (default: the whole served folder), with sshfs options
    // added to ours.
    std::string Mount(const std::string& serverFolder = "", const std::string& extraOptions = "");
    void Unmount();
    const std::string& MountPoint() const { return mountPoint_; }

  private:
    const SshServer& server_;
    std::string mountPoint_;
    std::string pidFile_;
    Daemon daemon_;
};

// An exFAT image file attached to a loop device and mounted through exfat-fuse.
class ExfatDisk {
  public:
    ExfatDisk(const RunRoot& root, const std::string& name, int sizeMiB = 64);
    ~ExfatDisk();
    ExfatDisk(const ExfatDisk&) = delete;
    ExfatDisk& operator=(const ExfatDisk&) = delete;

    // Makes the file system, attaches and mounts it; empty when mounted, else why not.
    std::string Mount();
    void Unmount();
    const std::string& MountPoint() const { return mountPoint_; }

  private:
    void Detach();
    std::string image_;
    std::string mountPoint_;
    std::string loop_;
    bool formatted_ = false;
};

// A folder bind-mounted over another for the life of the object.
class BindMount {
  public:
    BindMount(const std::string& from, const std::string& onto);
    ~BindMount();
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;
    // Why the mount was refused, or empty.
    const std::string& Refused() const { return refused_; }

  private:
    std::string onto_;
    std::string refused_;
};

// Sends a signal to the processes of a started server (its process group and everything
// below it); KillProcessTree ends those still running.
void SignalProcessTree(pid_t pid, int signalNumber);
void KillProcessTree(pid_t pid);

}  // namespace vfs::e2e
