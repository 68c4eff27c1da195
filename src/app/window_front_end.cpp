#include "app/window_front_end.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>

#include "config/startup.h"

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
}

bool WindowFrontEnd::Start(const std::string& argumentText) {
    if (!host_.Load(argumentText)) return false;
    if (host_.state().StartMinimized) {
        window_->showMinimized();
    } else {
        window_->show();
    }
    ArmTimer();
    return true;
}

// The timer is set for the next tick's deadline each time, so the ticks keep the same
// absolute pace as the headless loop.
void WindowFrontEnd::ArmTimer() {
    const int64_t waitNs = host_.NextDeadline() - MonotonicNs();
    timer_.start(static_cast<int>(std::max<int64_t>(0, waitNs / 1'000'000)));
}

void WindowFrontEnd::OnTick() {
    host_.Turn();
    if (!host_.Unloaded()) ArmTimer();
}

void WindowFrontEnd::OnUnloaded() {
    timer_.stop();
    window_->AllowClose();
    window_->close();
    onFinished(host_.ExitStatus());
}

}  // namespace vfs::app
