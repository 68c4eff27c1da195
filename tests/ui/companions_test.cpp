// The main window's companions through their real widgets: the folder chooser, the help
// window and the notification icon's pictures, with screenshots of each.
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include "config/tray_icon.h"
#include "engine/state_files.h"
#include "ui/folder_chooser_dialog.h"
#include "ui/help_window.h"
#include "ui/pictures.h"
#include "ui/ui_test_support.h"

namespace vfs::uitest {

namespace {

void Save(QWidget& widget, const QString& name) {
    QDir().mkpath(QStringLiteral(VFS_SCREENSHOT_DIR));
    QVERIFY(widget.grab().save(QStringLiteral(VFS_SCREENSHOT_DIR "/") + name + ".png"));
}

// The state of a pair as a sync leaves it: the names file and the pair's record.
void WriteState(WindowFixture& f, const std::string& category) {
    test::MakeDirs(StateFolder(f.ctx()));
    for (const char* extension : {".dat", ".pair"})
        test::WriteFile(StateFolder(f.ctx()) + "/" + StateBaseName(category) + extension, "x\r\n");
}

bool HasState(WindowFixture& f, const std::string& category) {
    return QFile::exists(
        QString::fromStdString(StateFolder(f.ctx()) + "/" + StateBaseName(category) + ".dat"));
}

// Answers the next message box with OK and keeps its title and text.
void AnswerNextOkBox(QString* seen) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, seen] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) continue;
            *seen = box->windowTitle() + " | " + box->text();
            box->button(QMessageBox::Ok)->click();
            poll->deleteLater();
            poll->stop();
            return;
        }
    });
    poll->start(10);
}

// Moves the chooser's folder tree to a folder, as a click on it does.
void PickInTree(ui::FolderChooserDialog& dialog, const std::string& folder) {
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("dirList"));
    QVERIFY(tree);
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex index = model->index(QString::fromStdString(folder));
    QVERIFY(index.isValid());
    tree->setCurrentIndex(index);
}

template <typename T>
T* In(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

bool NoticeShown(QWidget& dialog, const char* name) {
    return In<QWidget>(dialog, name)->isVisible();
}

std::string PairSettings(WindowFixture& f) {
    for (const char* folder : {"L", "R", "NewLogs", "Empty", "Backups"})
        test::MakeDirs(f / folder);
    test::WriteFile(f / "NewLogs/monday.KVO", "log");
    return "[Paths]\nLPLog=" + (f / "L") + "\nRPLog=" + (f / "R") + "\nLTrigger=" + (f / "L") +
           "\nRTrigger=" + (f / "R") + "\n";
}

}  // namespace

class CompanionsTest : public QObject {
    Q_OBJECT

  private slots:
    void ChooserPicksAFolderThroughItsWidgets();
    void ChooserRefusesADuplicateAndCancelWritesNothing();
    void TypingANewPathDiscardsThatPairsState();
    void F1AndTheHelpButtonOpenTheHelpAtTheRightPage();
    void TrayFramesAreDistinctOnLightAndDarkPanels();
};

void CompanionsTest::ChooserPicksAFolderThroughItsWidgets() {
    WindowFixture f;
    f.Settings(PairSettings(f));
    QVERIFY(f.Start());
    WriteState(f, "Program_Logs");
    ui::FolderChooserDialog& dialog = f.window().chooserDialog();

    QTest::mouseClick(f.Find<QPushButton>("btnBrowse(0)"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(f.state().FileChooserOpen);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Program Log Path"));
    QCOMPARE(In<QPushButton>(dialog, "btnSave")->text(), QStringLiteral("Open"));
    QCOMPARE(dialog.size(), QSize(409, 279));

    PickInTree(dialog, f / "NewLogs");
    QCOMPARE(In<QLineEdit>(dialog, "txtFileName")->text().toStdString(), f / "NewLogs");
    // The notice follows within one refresh; the pattern ignores the file's letter case.
    QVERIFY(WindowFixture::WaitFor([&] { return NoticeShown(dialog, "lblFilesFound"); }, 1000));
    QVERIFY(!NoticeShown(dialog, "lblNoFilesFound"));
    auto* tree = In<QTreeView>(dialog, "dirList");
    QVERIFY(WindowFixture::WaitFor(
        [&] { return tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())); },
        2000));
    Save(dialog, QStringLiteral("chooser_open_files_found"));

    QTest::mouseClick(In<QPushButton>(dialog, "btnSave"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!f.state().FileChooserOpen);
    QCOMPARE(f.Find<QLineEdit>("txtLPLog")->text().toStdString(), f / "NewLogs");
    QCOMPARE(f.Find<QWidget>("imgPathLink(0)")->property("picture").toString(),
             QStringLiteral("imgPathLinkActive"));
    QVERIFY(!HasState(f, "Program_Logs"));
}

void CompanionsTest::ChooserRefusesADuplicateAndCancelWritesNothing() {
    WindowFixture f;
    f.Settings(PairSettings(f));
    QVERIFY(f.Start());
    WriteState(f, "Trigger_Sets");
    ui::FolderChooserDialog& dialog = f.window().chooserDialog();

    QTest::mouseClick(f.Find<QPushButton>("btnBrowse(7)"), Qt::LeftButton);
    PickInTree(dialog, f / "L");
    QString message;
    AnswerNextOkBox(&message);
    QTest::mouseClick(In<QPushButton>(dialog, "btnSave"), Qt::LeftButton);
    QCOMPARE(message, QStringLiteral("Duplicate Path Chosen | The remote Trigger Set path you've "
                                     "chosen matches the selected local Trigger Set path.  "
                                     "Re-select your path and try again."));
    QVERIFY(dialog.isVisible());
    QVERIFY(HasState(f, "Trigger_Sets"));

    PickInTree(dialog, f / "Empty");
    QVERIFY(WindowFixture::WaitFor([&] { return NoticeShown(dialog, "lblNoFilesFound"); }, 1000));
    QVERIFY(!NoticeShown(dialog, "lblFilesFound"));
    // The same dialog as a save dialog, for the picture of both captions.
    dialog.chooser().setAsSaveDialog(true);
    QCOMPARE(In<QPushButton>(dialog, "btnSave")->text(), QStringLiteral("Save"));
    Save(dialog, QStringLiteral("chooser_save_no_files"));

    QTest::mouseClick(In<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(f.Find<QLineEdit>("txtRTrigger")->text().toStdString(), f / "R");
    QVERIFY(HasState(f, "Trigger_Sets"));

    // The backup folder takes any folder: no notice, however long the dialog stays open.
    f.Find<QWidget>("cmdPage_1")->setFocus();
    QTest::mouseClick(f.Find<QPushButton>("cmdPage_1"), Qt::LeftButton);
    QTest::mouseClick(f.Find<QPushButton>("btnBrowse(16)"), Qt::LeftButton);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Backup Folder"));
    PickInTree(dialog, f / "Empty");
    QTest::qWait(3 * kChooserNoticeIntervalMs);
    QVERIFY(!NoticeShown(dialog, "lblNoFilesFound"));
    QVERIFY(!NoticeShown(dialog, "lblFilesFound"));
    PickInTree(dialog, f / "Backups");
    QTest::mouseClick(In<QPushButton>(dialog, "btnSave"), Qt::LeftButton);
    QCOMPARE(f.Find<QLineEdit>("txtBackupDir")->text().toStdString(), f / "Backups");
}

void CompanionsTest::TypingANewPathDiscardsThatPairsState() {
    WindowFixture f;
    f.Settings(PairSettings(f));
    QVERIFY(f.Start());
    WriteState(f, "Program_Logs");
    WriteState(f, "Trigger_Sets");
    f.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window()));

    // Into a field and out again without a change: the pair stays as it was.
    auto* trigger = f.Find<QLineEdit>("txtLTrigger");
    trigger->setFocus();
    QTest::keyClick(trigger, Qt::Key_Return);
    f.Find<QLineEdit>("txtLPLog")->setFocus();
    QVERIFY(HasState(f, "Trigger_Sets"));

    auto* log = f.Find<QLineEdit>("txtLPLog");
    QTest::keyClicks(log, "2");
    QVERIFY(HasState(f, "Program_Logs"));
    QTest::keyClick(log, Qt::Key_Return);
    QCOMPARE(f.form().txtLPLog.Text(), (f / "L") + "2");
    QVERIFY(!HasState(f, "Program_Logs"));
    QVERIFY(HasState(f, "Trigger_Sets"));
}

void CompanionsTest::F1AndTheHelpButtonOpenTheHelpAtTheRightPage() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    f.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window()));
    ui::HelpWindows& windows = f.window().helpWindows();
    auto shownPage = [&] {
        return windows.OpenHelpWindows().value(0)->topic()->source().fileName();
    };

    QTest::mouseClick(f.Find<QPushButton>("cmdPage_1"), Qt::LeftButton);
    QTest::keyClick(&f.window(), Qt::Key_F1);
    QCOMPARE(windows.OpenHelpWindows().size(), 1);
    QCOMPARE(shownPage(), QStringLiteral("settings.html"));
    ui::HelpWindow* help = windows.OpenHelpWindows().value(0);
    QVERIFY(help->contents()->toPlainText().contains(QStringLiteral("Setting up folder pairs")));
    Save(*help, QStringLiteral("help_topic_settings"));

    QTest::mouseClick(f.Find<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(windows.OpenHelpWindows().size(), 1);
    QCOMPARE(shownPage(), QStringLiteral("varnelfilesync.html"));
    Save(*help, QStringLiteral("help_contents"));

    // The topic follows the page on show.
    QTest::mouseClick(f.Find<QPushButton>("cmdPage_0"), Qt::LeftButton);
    QTest::keyClick(&f.window(), Qt::Key_F1);
    QCOMPARE(shownPage(), QStringLiteral("pairs.html"));

    // F1 in the chooser opens its own topic in a help window of its own.
    QTest::mouseClick(f.Find<QPushButton>("btnBrowse(2)"), Qt::LeftButton);
    // The offscreen platform leaves the main window active when the dialog asks for it; a
    // desktop activates the dialog as soon as it is shown.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(&f.window().chooserDialog());
    QT_WARNING_POP
    QTest::keyClick(&f.window().chooserDialog(), Qt::Key_F1);
    QCOMPARE(windows.OpenHelpWindows().size(), 2);
    QCOMPARE(windows.OpenHelpWindows().value(1)->topic()->source().fragment(),
             QStringLiteral("chooser"));

    // A refused close keeps the help; the window's real close takes its help and the
    // chooser along.
    AnswerNextMessageBox(false);
    f.window().close();
    QVERIFY(windows.OpenHelpWindows().contains(help));
    AnswerNextMessageBox(true);
    f.window().close();
    QVERIFY(f.host().Unloaded());
    QVERIFY(!windows.OpenHelpWindows().contains(help));
    QVERIFY(!f.window().chooserDialog().isVisible());
}

void CompanionsTest::TrayFramesAreDistinctOnLightAndDarkPanels() {
    std::vector<std::string> frames{kStandardTaskBarIcon};
    for (auto picture : {&TaskBarIconPicture, &TaskBarScanIconPicture, &TaskBarCopyIconPicture}) {
        for (int frame = 0; frame < kTrayFramesPerSet; ++frame)
            frames.push_back(picture(frame));
    }
    QCOMPARE(frames.size(), std::size_t{25});
    // Each frame at its real size and enlarged four times, on a light and on a dark panel.
    constexpr int kCell = 16 + 64 + 12;
    QImage sheet(static_cast<int>(frames.size()) * kCell + 8, 2 * kCell, QImage::Format_RGB32);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, sheet.width(), kCell, QColor(236, 236, 236));
    painter.fillRect(0, kCell, sheet.width(), kCell, QColor(32, 32, 36));
    QImage previous;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QPixmap frame = ui::PicturePixmap(frames[i], QSize(16, 16));
        QVERIFY2(!frame.isNull(), frames[i].c_str());
        QCOMPARE(frame.size(), QSize(16, 16));
        // Each frame differs from the one before it in its set, or the animation would stand
        // still at 16 pixels. (The idle picture is the waiting set's first frame.)
        if (i % kTrayFramesPerSet != 1 && i > 0)
            QVERIFY2(frame.toImage() != previous, frames[i].c_str());
        previous = frame.toImage();
        const QPixmap large = ui::PicturePixmap(frames[i], QSize(64, 64));
        for (int row = 0; row < 2; ++row) {
            const int x = 8 + static_cast<int>(i) * kCell;
            painter.drawPixmap(x, row * kCell + 30, frame);
            painter.drawPixmap(x + 20, row * kCell + 6, large);
        }
    }
    painter.end();
    QDir().mkpath(QStringLiteral(VFS_SCREENSHOT_DIR));
    QVERIFY(sheet.save(QStringLiteral(VFS_SCREENSHOT_DIR "/tray_frames.png")));
}

}  // namespace vfs::uitest

QTEST_MAIN(vfs::uitest::CompanionsTest)
#include "companions_test.moc"
