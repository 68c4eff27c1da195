// What the core needs from its surroundings. The headless program and the window each
// provide real implementations; tests provide fakes. Every member has a harmless default,
// so a test sets only what it looks at.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace vfs {

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxAnswer { Ok, Yes, No };

// The automation system's own settings, addressed by application title, section and key.
class AutomationSettingsStore {
  public:
    virtual ~AutomationSettingsStore() = default;
    virtual std::optional<std::string> Read(const std::string& appTitle, const std::string& section,
                                            const std::string& key) const = 0;
    // Whether anything is kept under the title at all (its file, its key).
    virtual bool Holds(const std::string& appTitle) const = 0;
    // Where the settings are looked for and a title's entry there, as the operator would
    // look for them: a folder and "<title>.ini", or a registry key and the title.
    virtual std::string Place() const = 0;
    virtual std::string EntryName(const std::string& appTitle) const = 0;
};

struct Ports {
    // Local date and time now.
    std::function<LocalDateTime()> now = [] { return platform::SystemNow(); };
    // Pause the thread; the window does not respond meanwhile.
    std::function<void(int milliseconds)> sleep = [](int) {};
    // Let the event loop run once (timer ticks, clicks and repaints get through).
    std::function<void()> yield = [] {};
    // Diagnostic traces, never shown to the operator.
    std::function<void(const std::string&)> debug = [](const std::string&) {};
    // Platform message box; headless answers No to a question.
    std::function<MessageBoxAnswer(const std::string& title, const std::string& text,
                                   MessageBoxButtons)>
        messageBox = [](const std::string&, const std::string&, MessageBoxButtons buttons) {
            return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
        };
    // The message window was opened with this title and message.
    std::function<void(const std::string& title, const std::string& message)> promptShown =
        [](const std::string&, const std::string&) {};
    // Refresh of the notification-area icon.
    std::function<void()> updateTrayIcon = [] {};
    // A line was added to the completed list (the headless program prints it).
    std::function<void(const std::string&)> completedLineAdded = [](const std::string&) {};
    // Of those lines, one that tells of a failure or a stop (the quiet headless program
    // prints only these).
    std::function<void(const std::string&)> problemLineAdded = [](const std::string&) {};
    // The run ended with something failed or stopped: the summary, without its time stamp
    // (the headless program writes it to standard error).
    std::function<void(const std::string&)> runWentWrong = [](const std::string&) {};
    // A notice for the operator that needs no answer (a setting that could not be read);
    // the headless program writes it to standard error.
    std::function<void(const std::string&)> operatorNotice = [](const std::string&) {};
    // Ask the window system to close the main window with a close reason.
    std::function<void(int reason)> closeMainWindow = [](int) {};

    // The folder that holds the program (settings, state files and logs live beside it).
    std::string programFolder;
    // The automation system's settings; none means every read gives its default.
    const AutomationSettingsStore* automationSettings = nullptr;
    // The disk as the scan, the tasks, the backups and the copy see it. Shared, so a copy
    // of the ports works on the same file system.
    std::shared_ptr<platform::FileSystem> fileSystem =
        std::make_shared<platform::NativeFileSystem>();
};

}  // namespace vfs
