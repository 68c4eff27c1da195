#include "ui/help_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vfs::ui {

namespace {

constexpr const char* kContentsPage = "contents.html";

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

// A help page, with its anchor when it has one ("pairs.html#chooser").
QUrl PageUrl(const QString& folder, const QString& page) {
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(QDir(folder).filePath(hash < 0 ? page : page.left(hash)));
    if (hash >= 0) url.setFragment(page.mid(hash + 1));
    return url;
}

// The page a request opens. The index and search commands have no pages of their own here:
// they open the help at its front page, where the contents pane leads on.
QUrl RequestedPage(const std::string& helpFile, const HelpRequest& request) {
    const QFileInfo file(Qs(helpFile));
    const QString folder = file.absolutePath();
    switch (request.command) {
        case HelpCommand::DisplayTopic:
            return PageUrl(folder, Qs(request.topic));
        case HelpCommand::Context:
            return PageUrl(folder, Qs(HelpTopicForContext(request.context)));
        default:
            return QUrl::fromLocalFile(file.absoluteFilePath());
    }
}

}  // namespace

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Varnel File Sync Help"));
    resize(820, 560);
    auto* splitter = new QSplitter(this);
    contents_ = new QTextBrowser(splitter);
    contents_->setObjectName(QStringLiteral("helpContents"));
    topic_ = new QTextBrowser(splitter);
    topic_->setObjectName(QStringLiteral("helpTopic"));
    for (QTextBrowser* browser : {contents_, topic_}) {
        browser->setSearchPaths({helpFolder});
        browser->setOpenExternalLinks(true);
    }
    splitter->setSizes({230, 590});
    splitter->setStretchFactor(1, 1);
    contents_->setSource(PageUrl(helpFolder, QString::fromLatin1(kContentsPage)));
    // A link in the contents opens its page beside it; the contents stay as they are.
    contents_->setOpenLinks(false);
    connect(contents_, &QTextBrowser::anchorClicked, this, &HelpWindow::ShowPage);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

void HelpWindow::ShowPage(const QUrl& page) {
    if (page.scheme() != QLatin1String("file")) return;
    topic_->setSource(page);
    if (page.hasFragment()) topic_->scrollToAnchor(page.fragment());
    setWindowTitle(QStringLiteral("Varnel File Sync Help - ") + topic_->documentTitle());
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    closing_ = true;
    event->accept();
}

HelpWindows::HelpWindows(QObject* parent) : QObject(parent) {}

int64_t HelpWindows::IdOf(QWidget* window) {
    for (const auto& [id, known] : windows_) {
        if (known == window) return id;
    }
    const int64_t id = nextId_++;
    windows_[id] = window;
    return id;
}

QWidget* HelpWindows::WindowOf(int64_t id) const {
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.data();
}

QList<HelpWindow*> HelpWindows::OpenHelpWindows() const {
    QList<HelpWindow*> open;
    for (const auto& [id, window] : windows_) {
        auto* help = qobject_cast<HelpWindow*>(window.data());
        if (help && !help->closing()) open << help;
    }
    return open;
}

HelpViewer HelpWindows::Viewer() {
    HelpViewer viewer;
    viewer.open = [this](int64_t caller, const std::string& helpFile, const HelpRequest& request) {
        return Open(caller, helpFile, request);
    };
    viewer.isWindow = [this](int64_t id) { return Exists(id); };
    viewer.close = [this](int64_t id) { Close(id); };
    return viewer;
}

// One help window per caller: asking again shows the new page in it and brings it forward.
int64_t HelpWindows::Open(int64_t caller, const std::string& helpFile, const HelpRequest& request) {
    QWidget* owner = WindowOf(caller);
    if (!QFileInfo::exists(Qs(helpFile))) {
        // The viewer reports a missing help file itself, without holding up the program.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Varnel File Sync Help"),
                                    QStringLiteral("The help file %1 cannot be found.")
                                        .arg(QDir::toNativeSeparators(Qs(helpFile))),
                                    QMessageBox::Ok, owner);
        box->setObjectName(QStringLiteral("helpMissingBox"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return 0;
    }
    HelpWindow* window = nullptr;
    for (HelpWindow* open : OpenHelpWindows()) {
        if (open->parentWidget() == owner) window = open;
    }
    if (!window) window = new HelpWindow(QFileInfo(Qs(helpFile)).absolutePath(), owner);
    window->ShowPage(RequestedPage(helpFile, request));
    window->show();
    window->raise();
    window->activateWindow();
    return IdOf(window);
}

bool HelpWindows::Exists(int64_t id) const {
    auto* help = qobject_cast<HelpWindow*>(WindowOf(id));
    return help && !help->closing();
}

void HelpWindows::Close(int64_t id) {
    if (Exists(id)) WindowOf(id)->close();
}

std::string HelpProgramFolder() {
    const QDir exeDir(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(exeDir.filePath(QStringLiteral("help/") + QLatin1String(kHelpFileName))))
        return exeDir.absolutePath().toStdString();
    const QString installed = exeDir.absoluteFilePath(QStringLiteral("../share/varnelfilesync"));
    if (QFileInfo::exists(installed + QStringLiteral("/help/") + QLatin1String(kHelpFileName)))
        return QDir::cleanPath(installed).toStdString();
    return exeDir.absolutePath().toStdString();
}

}  // namespace vfs::ui
