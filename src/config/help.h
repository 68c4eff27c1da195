// The program's help: a help object that opens, tracks and closes help windows through a
// help viewer, a per-window handler that gives a window F1 and help-button support, the
// path helpers that find the help file, and the error report of the component.
//
// On Linux the viewer is the program's own help window, which shows the HTML help shipped in
// the "help" folder beside the program; it implements HelpViewer and answers its own window
// ids. Windows are named by non-zero ids the window side chooses (0 means "no window").
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/context.h"

namespace vfs {

// The help viewer's commands.
enum class HelpCommand : int {
    DisplayTopic = 0,
    TableOfContents = 1,
    Index = 2,
    Search = 3,
    Context = 15,
};

// One request to the viewer: the command and its data (the topic file for DisplayTopic, the
// keyword for Index, the context number for Context; Search asks for an empty full-text
// query to be run at once).
struct HelpRequest {
    HelpCommand command = HelpCommand::TableOfContents;
    std::string topic;
    std::string keyword;
    int32_t context = 0;
};

// What the help component needs from the help viewer. Every member has a harmless default:
// no viewer opens nothing and tracks nothing.
struct HelpViewer {
    // Shows the help file for the caller window; answers the help window's id, or 0 when
    // nothing opened (a missing file is the viewer's to report).
    std::function<int64_t(int64_t callerWindow, const std::string& helpFile, const HelpRequest&)>
        open = [](int64_t, const std::string&, const HelpRequest&) -> int64_t { return 0; };
    // The help window still exists.
    std::function<bool(int64_t helpWindow)> isWindow = [](int64_t) { return false; };
    // Asks a help window to close.
    std::function<void(int64_t helpWindow)> close = [](int64_t) {};
    // Start and end of the viewer's use; start answers a cookie, 0 meaning none.
    std::function<int32_t()> initialize = [] { return 0; };
    std::function<void(int32_t cookie)> uninitialize = [](int32_t) {};
};

// The help file's name, its folder beside the program, and the key that asks for help.
inline constexpr const char* kHelpFolderName = "help";
inline constexpr const char* kHelpFileName = "varnelfilesync.html";
inline constexpr int kKeyF1 = 112;

// The help contexts of the program's windows and pages, and the topic page each opens.
inline constexpr int32_t kHelpContextOverview = 1;
inline constexpr int32_t kHelpContextPathPage = 2;
inline constexpr int32_t kHelpContextSettingsPage = 3;
inline constexpr int32_t kHelpContextLogPage = 4;
inline constexpr int32_t kHelpContextFolderChooser = 5;
inline constexpr int32_t kHelpContextMessageWindow = 6;
// The topic page of a help context (a file name in the help folder, possibly with an
// anchor); the index page for an unknown context.
std::string HelpTopicForContext(int32_t context);
// The help context of a main-window page (0 paths, 1 settings, 2 activity log, else the
// overview).
int32_t HelpContextForPage(int page);

// Path helpers. programFolder: the folder that holds the executable.
// The default help file: the index page in the help folder beside the program.
std::string HelpFilePath(const std::string& programFolder);
// Empty → the default help file; a bare file name (no '\' and no '/') → the program's
// folder, a separator and the name; anything else unchanged.
std::string ResolveHelpFile(const std::string& programFolder, const std::string& name);

// The title and text of the component's error report: "[" + application name + "] Error";
// the error number, ": " and the description, then where it happened and the extra text,
// each on a line of its own when known.
struct ErrorReport {
    std::string title;
    std::string text;
};
ErrorReport FormatErrorReport(const std::string& appName, long errorNumber,
                              const std::string& description, long line,
                              const std::string& extraText, const std::string& procedure,
                              const std::string& module);
// Shows that report in a message box with an OK button.
void ReportError(Ports& ports, long errorNumber, const std::string& description, long line,
                 const std::string& extraText, const std::string& procedure,
                 const std::string& module);

class HtmlHelp;

// Help support for one window: its help button opens the table of contents and then the
// window's own topic, F1 opens the window's topic, and its help windows close with it.
class FormHelpHandler {
  public:
    // helpFile empty: the default help file. parent: the help object whose list holds this
    // handler (told when the window closes), or none.
    void Init(HtmlHelp& help, int64_t window, int32_t helpContext, bool hasHelpButton,
              const std::string& helpFile, HtmlHelp* parent, bool keyPreview);
    // Closes the window's help windows and stops following the window. Once only.
    void Terminate();

    // The window's events, as the window forwards them.
    void HelpButton_Click();
    // F1 opens the window's topic and is consumed (keyCode set to 0); other keys pass.
    void KeyDown(int& keyCode);
    // The window is about to close; cancelled: the close was refused.
    void QueryUnload(bool cancelled);

    int64_t window() const { return window_; }
    const std::string& helpFile() const { return helpFile_; }
    // The window's help context changes with what it shows (the main window's page).
    int32_t helpContext() const { return helpContext_; }
    void setHelpContext(int32_t context) { helpContext_ = context; }
    bool keyPreview() const { return keyPreview_; }
    bool followsHelpButton() const { return followsButton_; }
    bool terminated() const { return terminated_; }

  private:
    void ContextHelp();

    HtmlHelp* help_ = nullptr;
    HtmlHelp* parent_ = nullptr;
    int64_t window_ = 0;
    int32_t helpContext_ = 0;
    std::string helpFile_;
    bool keyPreview_ = false;
    bool followsButton_ = false;
    bool followsWindow_ = false;
    bool terminated_ = true;
};

// The program's help object: one per program, owned by the program host.
class HtmlHelp {
  public:
    // Initialises the viewer and keeps its cookie.
    HtmlHelp(Ports& ports, HelpViewer viewer, std::string programFolder);
    // Closes every help window and ends the viewer's use (once).
    ~HtmlHelp();
    HtmlHelp(const HtmlHelp&) = delete;
    HtmlHelp& operator=(const HtmlHelp&) = delete;

    const std::string& programFolder() const { return programFolder_; }

    // The open operations. The help file is passed through ResolveHelpFile; callerWindow 0
    // means none. A help window the viewer answers is recorded for its caller.
    void OpenTOC(const std::string& helpFile, int64_t callerWindow = 0);
    void OpenIndex(const std::string& helpFile, int64_t callerWindow, const std::string& keyword);
    void OpenSearch(const std::string& helpFile, int64_t callerWindow = 0);
    void OpenTopic(const std::string& topic, const std::string& helpFile, int64_t callerWindow = 0);
    void OpenContext(int32_t context, const std::string& helpFile, int64_t callerWindow = 0);

    // Any recorded help window still open; windows found closed are forgotten.
    bool isHelpWindowOpen();
    // Closes the help windows opened for that caller, or all of them for 0.
    void CloseHelpWindows(int64_t callerWindow = 0);
    void CloseAll();
    // Ends the object's use: closes every help window and ends the viewer's use. Once only;
    // the destructor calls it.
    void Shutdown();
    bool terminated() const { return terminated_; }

    // The recorded windows, oldest first, as "caller_help" with both ids in decimal.
    std::vector<std::string> WindowList() const;

    // Gives a window F1 and help-button support (a handler stored under the window's id).
    // A window id of 0 is reported with ReportError and nothing is stored.
    FormHelpHandler* InitFormHelpHandler(int64_t window, int32_t helpContext, bool hasHelpButton,
                                         bool keyPreview = true);
    // The handler of a window, or none.
    FormHelpHandler* HandlerOf(int64_t window);
    // The window closes: its handler leaves the list and its help windows close.
    void FormClosing(int64_t window);

  private:
    void Open(int64_t callerWindow, const std::string& helpFile, const HelpRequest& request);

    Ports& ports_;
    HelpViewer viewer_;
    std::string programFolder_;
    int32_t cookie_ = 0;
    bool terminated_ = false;
    struct Entry {
        int64_t caller;
        int64_t helpWindow;
    };
    std::vector<Entry> windows_;
    std::map<std::string, std::unique_ptr<FormHelpHandler>> handlers_;
};

// The main window's help button (Command1): the focus goes to the focus sink and the help
// opens at its table of contents.
void Command1_Click(Context& ctx, HtmlHelp& help, int64_t mainWindow);

}  // namespace vfs
