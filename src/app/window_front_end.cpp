#include "app/window_front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <QSystemTrayIcon>

#include "config/startup.h"
#include "platform/process_events.h"
#include "ui/pictures.h"

namespace vfs::app {

namespace {

QString Text(const std::string& text) {
    QString qt = QString::fromStdString(text);
    qt.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return qt;
}

MessageBoxAnswer AskWithBox(QWidget* owner, const std::string& title, const std::string& text,
                            MessageBoxButtons buttons) {
    QMessageBox box(owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(Text(title));
    box.setText(Text(text));
    if (buttons == MessageBoxButtons::Ok) {
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageBoxAnswer::Ok;
    }
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
}

}  // namespace

WindowFrontEnd::WindowFrontEnd(ProgramHost& host) : host_(host) {
    ui::WindowFrontEnd hooks;
    hooks.requestClose = [this](int reason) { host_.RequestClose(reason); };
    hooks.trayIconShown = [this] { return TrayIconShown(); };
    window_ = std::make_unique<ui::MainWindow>(host_.ctx(), hooks);

    Ports& ports = host_.ports();
    ports.yield = [this] {
        host_.Nested([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    };
    ports.messageBox = [this](const std::string& title, const std::string& text,
                              MessageBoxButtons buttons) {
        QWidget* owner = window_ && window_->isVisible() ? window_.get() : nullptr;
        return AskWithBox(owner, title, text, buttons);
    };
    ports.operatorNotice = [this](const std::string& text) {
        QWidget* owner = window_ && window_->isVisible() ? window_.get() : nullptr;
        AskWithBox(owner, "Varnel File Sync", text, MessageBoxButtons::Ok);
    };
    host_.onUnloaded = [this] { OnUnloaded(); };

    // The desktop session is ending: a close with reason 2, no question asked.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { host_.RequestClose(kCloseSessionEnding); });
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &WindowFrontEnd::OnTick);
}

WindowFrontEnd::~WindowFrontEnd() {
    host_.onUnloaded = [] {};
    host_.ports().updateTrayIcon = [] {};
}

bool WindowFrontEnd::Start(const std::string& argumentText) {
    if (!host_.Load(argumentText)) return false;
    AddTrayIcon();
    if (host_.state().StartMinimized) {
        window_->showMinimized();
    } else {
        window_->show();
    }
    ArmTimer();
    return true;
}

void WindowFrontEnd::AddTrayIcon() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        trayIcon_ = new QSystemTrayIcon(this);
        connect(trayIcon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) RestoreFromTray(kTrayLeftButtonDown);
                    if (reason == QSystemTrayIcon::Context) RestoreFromTray(kTrayRightButtonUp);
                });
    }
    tray_.changed = [this] { ShowTrayIcon(); };
    ConnectTrayIcon(host_.ctx(), tray_);
    tray_.AddTrayIcon(host_.ctx());
}

void WindowFrontEnd::ShowTrayIcon() {
    if (!trayIcon_) return;
    trayIcon_->setIcon(ui::PictureIcon(tray_.picture()));
    trayIcon_->setToolTip(QString::fromStdString(tray_.toolTip()));
    trayIcon_->setVisible(tray_.added());
}

bool WindowFrontEnd::TrayIconShown() const {
    return trayIcon_ && trayIcon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void WindowFrontEnd::RestoreFromTray(int message) {
    if (!TrayIcon_MouseMessage(host_.ctx(), message)) return;
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

// The timer is set for the next tick's deadline each time, so the ticks keep the same
// absolute pace as the headless loop.
void WindowFrontEnd::ArmTimer() {
    const int64_t waitNs = host_.NextDeadline() - platform::MonotonicNs();
    timer_.start(static_cast<int>(std::max<int64_t>(0, waitNs / 1'000'000)));
}

void WindowFrontEnd::OnTick() {
    host_.Turn();
    if (!host_.Unloaded()) ArmTimer();
}

void WindowFrontEnd::OnUnloaded() {
    timer_.stop();
    tray_.RemoveTrayIcon();
    window_->AllowClose();
    window_->close();
    onFinished(host_.ExitStatus());
}

}  // namespace vfs::app
