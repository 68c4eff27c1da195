// The command line as an administrator meets it: the program's own words, a few options of
// ours, and the refusal of anything else before a single file is read or written. Also the
// choice of the folder the program keeps its files in.
#pragma once

#include <string>
#include <vector>

namespace vfs {

enum class Invocation { Run, Help, Version, Refused };

struct ParsedArguments {
    Invocation invocation = Invocation::Run;
    // The words the program always understood (SESSION=n, SYNCANDEXIT, HEADLESS, PREVIEW),
    // joined with blanks for the start-up routine that searches them.
    std::string programWords;
    bool preview = false;         // PREVIEW or --dry-run
    std::string programFolder;    // --folder DIR; empty when not given
    bool quiet = false;           // --quiet: headless, printing only what went wrong
    std::string refusedArgument;  // the first argument that is not understood
};

// Reads the arguments after the program name. --help/-h and --version win over everything
// else; any argument that holds none of the program's words and is no option of ours makes
// the whole command line refused.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

// The text --help prints (also shown, on standard error, when a command line is refused).
std::string UsageText();
std::string VersionText();
// The line that names a refused argument, before the usage.
std::string RefusalText(const std::string& argument);

// The folder the program keeps its settings, state files and task logs in: the named one
// when --folder was given; for a copy installed under a /usr prefix the folder
// VarnelFileSync in the user's data directory ($XDG_DATA_HOME, else $HOME/.local/share),
// since nothing may be written beside an installed program; otherwise the executable's own
// folder, as operators of a copied program expect. Empty when no data directory is known.
std::string ChooseProgramFolder(const std::string& optionFolder,
                                const std::string& executableFolder, const char* xdgDataHome,
                                const char* home);

// True for an executable folder inside a /usr tree (also one staged under a DESTDIR).
bool IsInstalledLocation(const std::string& executableFolder);

}  // namespace vfs
