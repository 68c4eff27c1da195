// Pictures of every page as an operator sees them, written to the build folder, and a
// check that no caption on any page is cut off by its control's size.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <filesystem>

#include "ui/ui_test_support.h"

namespace vfs::uitest {

namespace {

std::string DemoSettings(WindowFixture& f) {
    for (const char* folder : {"Local/Logs", "Remote/Logs", "Local/Triggers", "Remote/Triggers",
                               "Local/Audio", "Remote/Audio", "Local/Jingles"})
        test::MakeDirs(f / folder);
    for (int i = 0; i < 40; ++i)
        test::WriteFile(f / ("Local/Logs/day" + std::to_string(i) + ".kvo"),
                        std::string(200000, 'x'));
    return "SleepTimeCopy=2\nLogToFile=1\n[Paths]\nLPLog=" + (f / "Local/Logs") +
           "\nRPLog=" + (f / "Remote/Logs") + "\nLTrigger=" + (f / "Local/Triggers") +
           "\nRTrigger=" + (f / "Remote/Triggers") + "\nLAudioPath0=" + (f / "Local/Audio") +
           "\nRAudioPath0=" + (f / "Remote/Audio") + "\nLAudioPath1=" + (f / "Local/Jingles") +
           "\nPathEnabled4=0\n";
}

void Save(QWidget& window, const char* name) {
    QDir().mkpath(QStringLiteral(VFS_SCREENSHOT_DIR));
    const QString path = QStringLiteral(VFS_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
    QVERIFY(window.grab().save(path));
}

// Every visible caption fits its control: one line within its width, or wrapped text
// within its height.
QStringList ClippedCaptions(QWidget& page) {
    QStringList clipped;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        const bool fits = label->wordWrap()
                              ? label->heightForWidth(label->width()) <= label->height()
                              : label->sizeHint().width() <= label->width() + 1;
        if (!fits) clipped << label->objectName() + ": " + label->text();
    }
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        // A push button's size hint holds the style's minimum width; its text is what counts.
        int needed = button->sizeHint().width();
        if (qobject_cast<QPushButton*>(button)) {
            needed = 0;
            for (const QString& line : button->text().split(QLatin1Char('\n')))
                needed = std::max(needed, button->fontMetrics().horizontalAdvance(line) + 4);
        }
        if (needed > button->width() + 1) clipped << button->objectName() + ": " + button->text();
    }
    return clipped;
}

// Controls side by side on one page or frame do not cover each other.
QStringList OverlappingControls(QWidget& container) {
    QStringList overlapping;
    QList<QWidget*> shown;
    for (QObject* child : container.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget->isVisible() && !widget->isWindow()) shown << widget;
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                overlapping << shown[i]->objectName() + " / " + shown[j]->objectName();
        }
    }
    for (QWidget* widget : shown) {
        if (widget->children().size() > 1 && !qobject_cast<QAbstractScrollArea*>(widget) &&
            !qobject_cast<QComboBox*>(widget))
            overlapping << OverlappingControls(*widget);
    }
    return overlapping;
}

#define EXPECT_NO_OVERLAP(page)                                               \
    do {                                                                      \
        const QStringList overlapping = OverlappingControls(page);            \
        QVERIFY2(overlapping.isEmpty(), qPrintable(overlapping.join(" | "))); \
    } while (false)

#define EXPECT_NO_CLIPPED_CAPTION(page)                               \
    do {                                                              \
        const QStringList clipped = ClippedCaptions(page);            \
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(" | "))); \
    } while (false)

// The window with the tooltip of one of its widgets shown over it, as the operator sees it
// when the pointer rests there: the tooltip is a window of its own, drawn onto the grab.
void SaveWithToolTip(QWidget& window, QWidget& widget, const char* name) {
    QToolTip::showText(widget.mapToGlobal(widget.rect().center()), widget.toolTip(), &widget);
    QTest::qWait(50);
    QPixmap picture = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits("QTipLabel")) {
            QPainter painter(&picture);
            painter.drawPixmap(window.mapFromGlobal(top->pos()), top->grab());
        }
    }
    QToolTip::hideText();
    QDir().mkpath(QStringLiteral(VFS_SCREENSHOT_DIR));
    QVERIFY(picture.save(QStringLiteral(VFS_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name))));
}

// Grabs the next message box that opens, then answers it.
void SaveNextMessageBox(const char* name, QMessageBox::StandardButton answer) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) continue;
            poll->stop();
            poll->deleteLater();
            Save(*box, name);
            box->button(answer)->click();
            return;
        }
    });
    poll->start(20);
}

bool RunEnded(WindowFixture& f) {
    return !f.state().SyncInProgress && f.form().lstTasksToDo.ListCount() == 0 &&
           f.form().cmdRun.Visible();
}

}  // namespace

class ScreenshotsTest : public QObject {
    Q_OBJECT

  private slots:
    void EveryPageIsPicturedWithoutClippedCaptions();
    void WhatWentWrongIsPictured();
    void ProgressOfTwoLargeFilesIsPictured();
};

// A second run in which one pair stops (its remote folder emptied, as an unmounted share
// looks), a copy fails (a folder stands under its name) and both sides edited a file: the
// indicator with its tooltip, the closing line with the counts and the conflict line; then
// the preview and its question.
void ScreenshotsTest::WhatWentWrongIsPictured() {
    WindowFixture f;
    for (const char* folder : {"L/Logs", "R/Logs", "L/Triggers", "R/Triggers"})
        test::MakeDirs(f / folder);
    for (const char* name : {"L/Logs/monday.kvo", "L/Logs/tuesday.kvo", "L/Triggers/news.trg"})
        test::WriteFile(f / name, name);
    f.Settings("SleepTimeCopy=0\nLogToFile=1\n[Paths]\nLPLog=" + (f / "L/Logs") +
               "\nRPLog=" + (f / "R/Logs") + "\nLTrigger=" + (f / "L/Triggers") +
               "\nRTrigger=" + (f / "R/Triggers") + "\n");
    QVERIFY(f.Start());
    QWidget& window = f.window();
    QTest::mouseClick(f.Find<QPushButton>("cmdRun"), Qt::LeftButton);
    QVERIFY(WindowFixture::WaitFor([&] { return RunEnded(f); }, 30000));

    std::filesystem::remove(f / "R/Logs/monday.kvo");
    std::filesystem::remove(f / "R/Logs/tuesday.kvo");
    test::WriteFile(f / "L/Triggers/weather.trg", "weather");
    test::WriteFile(f / "L/Triggers/news.trg", "local edit");
    test::SetMtime(f / "L/Triggers/news.trg", 1700000000);
    test::WriteFile(f / "R/Triggers/news.trg", "remote edit");
    test::SetMtime(f / "R/Triggers/news.trg", 1700000600);
    QTest::mouseClick(f.Find<QPushButton>("cmdRun"), Qt::LeftButton);
    // The scan is over once the click returns, and the queue waits for the timer: a file
    // that goes now fails its task (the check before each task finds it changed).
    std::filesystem::remove(f / "L/Triggers/weather.trg");
    QVERIFY(WindowFixture::WaitFor([&] { return RunEnded(f); }, 30000));
    const std::string status = f.form().lblStatus.Caption();
    QVERIFY2(status.find("Finished File Sync: 1 Task Done, 1 Failed, 1 Pair Stopped, 1 Conflict") !=
                 std::string::npos,
             status.c_str());

    QTest::mouseClick(f.Find<QPushButton>("cmdPage_0"), Qt::LeftButton);
    auto* indicator = f.Find<QWidget>("imgPathLink_0");
    QVERIFY(indicator->toolTip().contains(QStringLiteral("Remote Folder Is Empty")));
    SaveWithToolTip(window, *indicator, "stopped_pair_tooltip");
    QTest::mouseClick(f.Find<QPushButton>("cmdPage_2"), Qt::LeftButton);
    Save(window, "run_summary_with_failure_and_conflict");
    EXPECT_NO_CLIPPED_CAPTION(window);

    test::WriteFile(f / "R/Logs/monday.kvo", "back");
    SaveNextMessageBox("preview_question", QMessageBox::No);
    QTest::mouseClick(f.Find<QPushButton>("cmdPreview"), Qt::LeftButton);
    QVERIFY(f.form().lstCompletedTasks.Items().back().find("Preview Finished:") !=
            std::string::npos);
    Save(window, "preview_on_the_log_page");
    QVERIFY(!std::filesystem::exists(f / "L/Logs/wednesday.kvo"));
}

// Two large files: the overall bar follows the bytes, and its label counts tasks and bytes
// and tells the time left.
void ScreenshotsTest::ProgressOfTwoLargeFilesIsPictured() {
    WindowFixture f;
    test::MakeDirs(f / "R");
    for (const char* name : {"L/first.kvo", "L/second.kvo"})
        test::WriteFile(f / name, std::string(64 * 1024 * 1024, 'x'));
    // The slowest speed: a pause after every megabyte, so the copy takes a few seconds.
    f.Settings("SleepTimeCopy=100\nLogToFile=1\n[Paths]\nLPLog=" + (f / "L") +
               "\nRPLog=" + (f / "R") + "\n");
    QVERIFY(f.Start());
    QTest::mouseClick(f.Find<QPushButton>("cmdPage_2"), Qt::LeftButton);
    // The copy runs inside a timer tick, so the picture is taken by a timer of its own,
    // which fires while the copy lets the event loop run.
    bool pictured = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const std::string& label = f.form().lblPbOverall.Caption();
        if (pictured || label.find("Task 2 of 2") == std::string::npos ||
            label.find("left") == std::string::npos || f.form().pbTask.Value() < 30) {
            return;
        }
        pictured = true;
        Save(f.window(), "progress_two_large_files");
        EXPECT_NO_CLIPPED_CAPTION(f.window());
    });
    watch.start(20);
    QTest::mouseClick(f.Find<QPushButton>("cmdRun"), Qt::LeftButton);
    QVERIFY(WindowFixture::WaitFor([&] { return RunEnded(f); }, 60000));
    QVERIFY(pictured);
}

void ScreenshotsTest::EveryPageIsPicturedWithoutClippedCaptions() {
    WindowFixture f;
    f.Settings(DemoSettings(f));
    QVERIFY(f.Start());
    QWidget& window = f.window();
    QTest::qWait(50);
    Save(window, "path_page");
    EXPECT_NO_CLIPPED_CAPTION(*f.Find<QWidget>("frmPaths"));
    EXPECT_NO_OVERLAP(*f.Find<QWidget>("frmPaths"));

    QTest::mouseClick(f.Find<QPushButton>("cmdPage_1"), Qt::LeftButton);
    Save(window, "settings_page");
    EXPECT_NO_CLIPPED_CAPTION(*f.Find<QWidget>("frmSettings"));
    EXPECT_NO_OVERLAP(*f.Find<QWidget>("frmSettings"));
    QTest::mouseClick(f.Find<QCheckBox>("chkExtendedPaths"), Qt::LeftButton);
    QTest::mouseClick(f.Find<QPushButton>("cmdPage_0"), Qt::LeftButton);
    Save(window, "path_page_extended");
    EXPECT_NO_CLIPPED_CAPTION(*f.Find<QWidget>("frmPaths"));
    EXPECT_NO_OVERLAP(*f.Find<QWidget>("frmPaths"));

    QTest::mouseClick(f.Find<QPushButton>("cmdPage_2"), Qt::LeftButton);
    QTest::mouseClick(f.Find<QPushButton>("cmdRun"), Qt::LeftButton);
    QVERIFY(WindowFixture::WaitFor(
        [&] {
            return f.form().lstTasksToDo.ListCount() > 0 &&
                   f.form().lstCompletedTasks.ListCount() > 8 && f.form().pbTask.Value() > 20;
        },
        30000));
    Save(window, "log_page_during_run");
    EXPECT_NO_CLIPPED_CAPTION(*f.Find<QWidget>("frmLog"));
    EXPECT_NO_OVERLAP(*f.Find<QWidget>("frmLog"));
    EXPECT_NO_CLIPPED_CAPTION(window);
}

}  // namespace vfs::uitest

QTEST_MAIN(vfs::uitest::ScreenshotsTest)
#include "screenshots_test.moc"
