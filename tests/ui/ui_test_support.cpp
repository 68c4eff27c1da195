#include "ui/ui_test_support.h"

#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "ui/twips.h"

namespace vfs::uitest {

WindowFixture::WindowFixture() : prog_(dir_ / "prog") {
    test::MakeDirs(prog_);
    test::MakeDirs(dir_ / "run");
    // The session lock and the automation system's settings stay inside the test's folder.
    setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    host_ = std::make_unique<app::ProgramHost>();
    host_->ports().programFolder = prog_;
    frontEnd_ = std::make_unique<app::WindowFrontEnd>(*host_);
}

WindowFixture::~WindowFixture() {
    frontEnd_.reset();
    host_.reset();
}

void WindowFixture::Settings(const std::string& text) const {
    test::WriteFile(prog_ + "/VarnelFileSync.ini", "[Settings]\nFirstRun=False\n" + text);
}

bool WindowFixture::Start(const std::string& arguments) {
    return frontEnd_->Start(arguments);
}

bool WindowFixture::WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(2);
    }
    return true;
}

QRect InTwips(const QWidget* widget) {
    const QRect g = widget->geometry();
    return QRect(g.x() * ui::kTwipsPerPixel, g.y() * ui::kTwipsPerPixel,
                 g.width() * ui::kTwipsPerPixel, g.height() * ui::kTwipsPerPixel);
}

void AnswerNextMessageBox(bool yes) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, yes] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) continue;
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            poll->deleteLater();
            poll->stop();
            return;
        }
    });
    poll->start(10);
}

}  // namespace vfs::uitest
