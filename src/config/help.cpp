#include "config/help.h"

#include <array>
#include <utility>

namespace vfs {

namespace {

// The program's name as its error reports show it.
inline constexpr const char* kAppName = "Varnel File Sync";

struct ContextTopic {
    int32_t context;
    const char* topic;
};
inline constexpr std::array<ContextTopic, 6> kContextTopics = {{
    {kHelpContextOverview, "varnelfilesync.html"},
    {kHelpContextPathPage, "pairs.html"},
    {kHelpContextSettingsPage, "settings.html"},
    {kHelpContextLogPage, "running.html"},
    {kHelpContextFolderChooser, "pairs.html#chooser"},
    {kHelpContextMessageWindow, "trouble.html"},
}};

HelpRequest Request(HelpCommand command) {
    HelpRequest request;
    request.command = command;
    return request;
}

}  // namespace

std::string HelpTopicForContext(int32_t context) {
    for (const ContextTopic& entry : kContextTopics) {
        if (entry.context == context) return entry.topic;
    }
    return kHelpFileName;
}

int32_t HelpContextForPage(int page) {
    switch (page) {
        case 0:
            return kHelpContextPathPage;
        case 1:
            return kHelpContextSettingsPage;
        case 2:
            return kHelpContextLogPage;
        default:
            return kHelpContextOverview;
    }
}

std::string HelpFilePath(const std::string& programFolder) {
    return programFolder + "/" + kHelpFolderName + "/" + kHelpFileName;
}

std::string ResolveHelpFile(const std::string& programFolder, const std::string& name) {
    if (name.empty()) return HelpFilePath(programFolder);
    if (name.find_first_of("\\/") == std::string::npos) return programFolder + "/" + name;
    return name;
}

ErrorReport FormatErrorReport(const std::string& appName, long errorNumber,
                              const std::string& description, long line,
                              const std::string& extraText, const std::string& procedure,
                              const std::string& module) {
    ErrorReport report;
    report.title = "[" + appName + "]" + " Error";
    report.text = std::to_string(errorNumber) + ": " + description;
    if (!procedure.empty() || !module.empty() || line > 0) {
        report.text += "\nin " + procedure + " " + module;
        if (line > 0) report.text += " line " + std::to_string(line);
    }
    if (!extraText.empty()) report.text += "\n" + extraText;
    return report;
}

void ReportError(Ports& ports, long errorNumber, const std::string& description, long line,
                 const std::string& extraText, const std::string& procedure,
                 const std::string& module) {
    const ErrorReport report =
        FormatErrorReport(kAppName, errorNumber, description, line, extraText, procedure, module);
    ports.messageBox(report.title, report.text, MessageBoxButtons::Ok);
}

// ---- FormHelpHandler

void FormHelpHandler::Init(HtmlHelp& help, int64_t window, int32_t helpContext, bool hasHelpButton,
                           const std::string& helpFile, HtmlHelp* parent, bool keyPreview) {
    help_ = &help;
    followsWindow_ = true;
    keyPreview_ = keyPreview;
    window_ = window;
    helpContext_ = helpContext;
    terminated_ = false;
    followsButton_ = hasHelpButton;
    helpFile_ = helpFile.empty() ? HelpFilePath(help.programFolder())
                                 : ResolveHelpFile(help.programFolder(), helpFile);
    parent_ = parent;
}

void FormHelpHandler::Terminate() {
    if (terminated_) return;
    if (help_) help_->CloseHelpWindows(window_);
    followsButton_ = false;
    followsWindow_ = false;
    terminated_ = true;
}

void FormHelpHandler::ContextHelp() {
    help_->OpenContext(helpContext_, helpFile_, window_);
}

void FormHelpHandler::HelpButton_Click() {
    if (!followsButton_ || !help_) return;
    help_->OpenTOC(helpFile_, window_);
    ContextHelp();
}

void FormHelpHandler::KeyDown(int& keyCode) {
    if (!followsWindow_ || !help_ || keyCode != kKeyF1) return;
    ContextHelp();
    keyCode = 0;
}

void FormHelpHandler::QueryUnload(bool cancelled) {
    // A refused close leaves the window open, and it keeps its help.
    if (!followsWindow_ || cancelled) return;
    HtmlHelp* parent = std::exchange(parent_, nullptr);
    const int64_t window = window_;
    Terminate();
    // The parent's list owns this handler: nothing of it may be touched after this call.
    if (parent) parent->FormClosing(window);
}

// ---- HtmlHelp

HtmlHelp::HtmlHelp(Ports& ports, HelpViewer viewer, std::string programFolder)
    : ports_(ports), viewer_(std::move(viewer)), programFolder_(std::move(programFolder)) {
    cookie_ = viewer_.initialize();
}

HtmlHelp::~HtmlHelp() {
    Shutdown();
}

void HtmlHelp::Shutdown() {
    if (terminated_) return;
    CloseAll();
    if (cookie_ != 0) viewer_.uninitialize(cookie_);
    terminated_ = true;
}

void HtmlHelp::Open(int64_t callerWindow, const std::string& helpFile, const HelpRequest& request) {
    const int64_t helpWindow =
        viewer_.open(callerWindow, ResolveHelpFile(programFolder_, helpFile), request);
    if (helpWindow > 0) windows_.push_back({callerWindow, helpWindow});
}

void HtmlHelp::OpenTOC(const std::string& helpFile, int64_t callerWindow) {
    Open(callerWindow, helpFile, Request(HelpCommand::TableOfContents));
}

void HtmlHelp::OpenIndex(const std::string& helpFile, int64_t callerWindow,
                         const std::string& keyword) {
    HelpRequest request = Request(HelpCommand::Index);
    request.keyword = keyword;
    Open(callerWindow, helpFile, request);
}

void HtmlHelp::OpenSearch(const std::string& helpFile, int64_t callerWindow) {
    Open(callerWindow, helpFile, Request(HelpCommand::Search));
}

void HtmlHelp::OpenTopic(const std::string& topic, const std::string& helpFile,
                         int64_t callerWindow) {
    HelpRequest request = Request(HelpCommand::DisplayTopic);
    request.topic = topic;
    Open(callerWindow, helpFile, request);
}

void HtmlHelp::OpenContext(int32_t context, const std::string& helpFile, int64_t callerWindow) {
    HelpRequest request = Request(HelpCommand::Context);
    request.context = context;
    Open(callerWindow, helpFile, request);
}

bool HtmlHelp::isHelpWindowOpen() {
    while (!windows_.empty()) {
        if (viewer_.isWindow(windows_.back().helpWindow)) return true;
        windows_.pop_back();
    }
    return false;
}

void HtmlHelp::CloseHelpWindows(int64_t callerWindow) {
    for (std::size_t i = windows_.size(); i-- > 0;) {
        const Entry entry = windows_[i];
        if (callerWindow != 0 && entry.caller != callerWindow) continue;
        if (viewer_.isWindow(entry.helpWindow)) viewer_.close(entry.helpWindow);
        windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void HtmlHelp::CloseAll() {
    CloseHelpWindows(0);
}

std::vector<std::string> HtmlHelp::WindowList() const {
    std::vector<std::string> list;
    for (const Entry& entry : windows_) {
        list.push_back(std::to_string(entry.caller) + "_" + std::to_string(entry.helpWindow));
    }
    return list;
}

FormHelpHandler* HtmlHelp::InitFormHelpHandler(int64_t window, int32_t helpContext,
                                               bool hasHelpButton, bool keyPreview) {
    if (window == 0) {
        ReportError(ports_, 5, "Invalid procedure call or argument", 0, "", "InitFormHelpHandler",
                    "CHtmlHelp");
        return nullptr;
    }
    auto handler = std::make_unique<FormHelpHandler>();
    handler->Init(*this, window, helpContext, hasHelpButton, "", this, keyPreview);
    FormHelpHandler* raw = handler.get();
    handlers_[std::to_string(window)] = std::move(handler);
    return raw;
}

FormHelpHandler* HtmlHelp::HandlerOf(int64_t window) {
    const auto found = handlers_.find(std::to_string(window));
    return found == handlers_.end() ? nullptr : found->second.get();
}

void HtmlHelp::FormClosing(int64_t window) {
    const auto found = handlers_.find(std::to_string(window));
    if (found == handlers_.end()) return;
    std::unique_ptr<FormHelpHandler> handler = std::move(found->second);
    handlers_.erase(found);
    handler->Terminate();
}

void Command1_Click(Context& ctx, HtmlHelp& help, int64_t mainWindow) {
    ctx.form.SetFocus("txtFocus");
    help.OpenTOC(HelpFilePath(help.programFolder()), mainWindow);
}

}  // namespace vfs
