#include "config/command_line.h"

#include <cctype>

namespace vfs {

namespace {

constexpr const char* kDataFolderName = "VarnelFileSync";

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Session 1 is the default session: scripts written for it name it, and it must still run.
bool HoldsSessionWord(const std::string& upper) {
    for (const char* head : {"SESSION=", "SESSION:"}) {
        for (std::size_t at = upper.find(head); at != std::string::npos;
             at = upper.find(head, at + 1)) {
            const std::size_t digit = at + 8;
            if (digit < upper.size() && upper[digit] >= '1' && upper[digit] <= '9') return true;
        }
    }
    return false;
}

// The words are found anywhere in an argument, as the program always found them, so
// "/SYNCANDEXIT" or "-headless" from an old scheduler entry still count.
bool HoldsProgramWord(const std::string& argument) {
    const std::string upper = Upper(argument);
    for (const char* word : {"SYNCANDEXIT", "HEADLESS", "PREVIEW"}) {
        if (upper.find(word) != std::string::npos) return true;
    }
    return HoldsSessionWord(upper);
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

void AddWord(ParsedArguments& parsed, const std::string& argument) {
    if (!parsed.programWords.empty()) parsed.programWords += ' ';
    parsed.programWords += argument;
    if (Upper(argument).find("PREVIEW") != std::string::npos) parsed.preview = true;
}

void Refuse(ParsedArguments& parsed, const std::string& argument) {
    if (parsed.invocation != Invocation::Run) return;
    parsed.invocation = Invocation::Refused;
    parsed.refusedArgument = argument;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") parsed.invocation = Invocation::Help;
        if (argument == "--version" && parsed.invocation == Invocation::Run) {
            parsed.invocation = Invocation::Version;
        }
    }
    if (parsed.invocation != Invocation::Run) return parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty()) continue;  // an empty quoted argument from a script
        if (argument == "--dry-run") {
            parsed.preview = true;
        } else if (argument == "--quiet" || argument == "-q") {
            parsed.quiet = true;
        } else if (argument == "--folder") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                Refuse(parsed, argument);
            } else {
                parsed.programFolder = arguments[++i];
            }
        } else if (StartsWith(argument, "--folder=")) {
            parsed.programFolder = argument.substr(9);
            if (parsed.programFolder.empty()) Refuse(parsed, argument);
        } else if (!HoldsProgramWord(argument)) {
            Refuse(parsed, argument);
        } else {
            AddWord(parsed, argument);
        }
    }
    return parsed;
}

namespace {

// Where the files live, as the system the program runs on has them.
std::string FilesText() {
#ifdef _WIN32
    return "Files (in the program's folder):\n"
           "  VarnelFileSync.ini, VarnelFileSyncN.ini   settings of the default session, session "
           "N\n"
           "  VarnelFileSyncSettings\\, ...SettingsN\\    sync state of every pair\n"
           "  VarnelFileSync Logs\\                      task logs, one file a day\n"
           "The program's folder is DIR when --folder is given, otherwise the folder\n"
           "varnelfilesync.exe is in (it must be writable). The automation system's folders are\n"
           "read from HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings.\n"
           "\n"
           "From a console or a scheduled task (one sync, then exit):\n"
           "  varnelfilesync.exe HEADLESS SYNCANDEXIT\n"
           "  varnelfilesync.exe HEADLESS SYNCANDEXIT SESSION=2 --folder \"D:\\Sync Settings\"\n"
           "Closing the console window or Ctrl+C closes the program normally.\n";
#else
    return "Files (in the program's folder):\n"
           "  VarnelFileSync.ini, VarnelFileSyncN.ini   settings of the default session, session "
           "N\n"
           "  VarnelFileSyncSettings/, ...SettingsN/    sync state of every pair\n"
           "  VarnelFileSync Logs/                      task logs, one file a day\n"
           "The program's folder is DIR when --folder is given; for an installed program\n"
           "(under /usr) $XDG_DATA_HOME/VarnelFileSync (default ~/.local/share/VarnelFileSync);\n"
           "otherwise the folder the executable is in.\n";
#endif
}

}  // namespace

std::string UsageText() {
    return "Usage: varnelfilesync [WORD...] [--folder DIR] [--dry-run] [--quiet]\n"
           "       varnelfilesync --help | --version\n"
           "\n"
           "Keeps the local and remote copies of the automation system's folders in step.\n"
           "\n"
           "Words (any case, found anywhere in an argument):\n"
           "  SESSION=n, SESSION:n  run session n (2..9) with its own settings and state files\n"
           "  SYNCANDEXIT           sync every usable pair once, then exit\n"
           "  HEADLESS              run without a window; completed tasks go to standard output\n"
           "  PREVIEW               scan every usable pair and print each task with its reason,\n"
           "                        then exit; nothing is copied, deleted, backed up or saved\n"
           "\n"
           "Options:\n"
           "  --dry-run             the same as PREVIEW\n"
           "  -q, --quiet           run headless and print only failures, stopped or\n"
           "                        unreachable pairs and the run's summary (for cron and\n"
           "                        scheduled tasks); nothing at all when all went well\n"
           "  --folder DIR          keep the settings, state files and task logs in DIR\n"
           "  -h, --help            show this text and exit\n"
           "  --version             show the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0  normal close\n"
           "  1  a task failed, or a configured pair was unreachable or stopped\n"
           "  2  the command line or the program's files cannot be used (nothing synced)\n"
           "  3  the session is already running (nothing read or written)\n"
           "\n" +
           FilesText();
}

std::string VersionText() {
    return "varnelfilesync " + std::to_string(VFS_VERSION_MAJOR) + "." +
           std::to_string(VFS_VERSION_MINOR) + "." + std::to_string(VFS_VERSION_PATCH) + "\n";
}

std::string RefusalText(const std::string& argument) {
    return "varnelfilesync: unknown argument '" + argument + "'\n";
}

bool IsInstalledLocation(const std::string& executableFolder) {
    return (executableFolder + "/").find("/usr/") != std::string::npos;
}

std::string ChooseProgramFolder(const std::string& optionFolder,
                                const std::string& executableFolder, const char* xdgDataHome,
                                const char* home) {
    if (!optionFolder.empty()) return optionFolder;
    if (!IsInstalledLocation(executableFolder)) return executableFolder;
    // A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + "/" + kDataFolderName;
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/share/" + kDataFolderName;
    }
    return "";
}

}  // namespace vfs
