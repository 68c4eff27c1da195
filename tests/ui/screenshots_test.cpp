// Pictures of every page as an operator sees them, written to the build folder, and a
// check that no caption on any page is cut off by its control's size.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

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

}  // namespace

class ScreenshotsTest : public QObject {
    Q_OBJECT

  private slots:
    void EveryPageIsPicturedWithoutClippedCaptions();
};

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
