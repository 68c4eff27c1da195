// The main window's controls, layout and interactions, through the real widgets.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <unistd.h>

#include "engine/activity_log.h"
#include "ui/pages.h"
#include "ui/ui_test_support.h"

namespace vfs::uitest {

namespace {

std::string Tag(WindowFixture& f, const std::string& indicator) {
    return f.Find<QWidget>(indicator)->property("tag").toString().toStdString();
}

std::string PictureOf(WindowFixture& f, const std::string& indicator) {
    return f.Find<QWidget>(indicator)->property("picture").toString().toStdString();
}

int TopTwips(WindowFixture& f, const std::string& control) {
    return InTwips(f.Find<QWidget>(control)).y();
}

void Click(QWidget* widget) {
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Audio rows 0..count-1 on existing folders, and an existing category pair.
std::string AudioRows(WindowFixture& f, int count) {
    std::string text = "[Paths]\nLPLog=" + (f / "L") + "\nRPLog=" + (f / "R") + "\n";
    test::MakeDirs(f / "L");
    test::MakeDirs(f / "R");
    for (int r = 0; r < count; ++r) {
        const std::string n = std::to_string(r);
        test::MakeDirs(f / ("A" + n));
        text +=
            "LAudioPath" + n + "=" + (f / ("A" + n)) + "\nRAudioPath" + n + "=" + (f / "R") + "\n";
    }
    return text;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void EveryTopBarAndBottomControlIsPlacedByItsName();
    void PageSwitchDisablesTheChosenTabAndJoinsItToItsPage();
    void ExtendedFoldersMoveTheRowsAndTheAudioBlock();
    void IndicatorClicksToggleBetweenDisabledAndValidated();
    void AudioListClickAndScrollAreFollowedByTheOtherListAndTheIndicators();
    void DeletingAnAudioRowMovesTheIndicatorsUp();
    void FocusSinkStaysEmptyAndTakesTheFocusAfterAButton();
    void SettingsControlsWriteTheModelThenCallTheirHandlers();
    void LogPageScrollsShowsALineInFullAndClears();
    void StartedMinimisedWithoutANotificationIconTheWindowStaysAndAPromptBringsItBack();
};

void MainWindowTest::EveryTopBarAndBottomControlIsPlacedByItsName() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    QCOMPARE(f.window().size(), QSize(762, 500));
    struct Place {
        const char* name;
        QRect twips;
    };
    const Place places[] = {
        {"cmdPage_1", {1875, 105, 1770, 390}}, {"cmdRun", {5610, 90, 345, 330}},
        {"btnAutoSync", {5955, 90, 345, 330}}, {"Command1", {6540, 90, 345, 330}},
        {"txtFocus", {11580, 120, 75, 195}},   {"frmPaths", {105, 495, 11220, 5805}},
        {"pbOverall", {45, 6525, 11340, 225}}, {"pbTask", {45, 6960, 11340, 225}},
        {"lblTime", {9945, 150, 1305, 300}},   {"lblStatus", {-15, 7215, 11460, 300}},
    };
    for (const Place& place : places) {
        QWidget* widget = f.Find<QWidget>(place.name);
        QVERIFY2(widget, place.name);
        // One pixel is 15 twips; a place given in odd twips is off by less than a pixel.
        const QRect got = InTwips(widget);
        QVERIFY2(std::abs(got.x() - place.twips.x()) < 15 &&
                     std::abs(got.y() - place.twips.y()) < 15 &&
                     std::abs(got.width() - place.twips.width()) < 15 &&
                     std::abs(got.height() - place.twips.height()) < 15,
                 place.name);
    }
    QCOMPARE(f.Find<QPushButton>("cmdRun")->toolTip(), QStringLiteral("Sync Files Now"));
    // Start-up gives the auto-sync button the tool tip of its state.
    QCOMPARE(f.Find<QPushButton>("btnAutoSync")->toolTip(), QStringLiteral("Auto-Sync Disabled"));
    QVERIFY(f.Find<QWidget>("picIconBox")->isHidden());
    QVERIFY(f.Find<QWidget>("cmdPage_3")->isHidden());
    QVERIFY(f.Find<QWidget>("lblPbOverall")->isHidden());
    QCOMPARE(f.Find<QLabel>("lblTime")->text().size(), 8);  // the clock runs "HH:MM:SS"
}

void MainWindowTest::PageSwitchDisablesTheChosenTabAndJoinsItToItsPage() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    const char* frames[] = {"frmPaths", "frmSettings", "frmLog"};
    for (int page : {2, 1, 0}) {
        const std::string tab = "cmdPage_" + std::to_string(page);
        Click(f.Find<QPushButton>(tab));
        for (int other = 0; other < 3; ++other) {
            const std::string otherTab = "cmdPage_" + std::to_string(other);
            QCOMPARE(f.Find<QWidget>(frames[other])->isVisible(), other == page);
            QCOMPARE(f.Find<QWidget>(otherTab)->isEnabled(), other != page);
            const QRect g = InTwips(f.Find<QWidget>(otherTab));
            QCOMPARE(g.y(), other == page ? 75 : 105);
            QCOMPARE(g.height(), other == page ? 450 : 390);
            QCOMPARE(f.Find<QWidget>(otherTab)->font().bold(), other == page);
        }
        // The page lies over the lower edge of its own tab.
        QWidget* chosen = f.Find<QWidget>(tab);
        const QPoint edge(chosen->geometry().center().x(), chosen->geometry().bottom() - 1);
        QWidget* atEdge = f.window().childAt(edge);
        QVERIFY(atEdge == f.Find<QWidget>(frames[page]) ||
                f.Find<QWidget>(frames[page])->isAncestorOf(atEdge));
    }
}

void MainWindowTest::ExtendedFoldersMoveTheRowsAndTheAudioBlock() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    Click(f.Find<QPushButton>("cmdPage_1"));
    struct Layout {
        bool extended;
        int trigger, triggerLabel, triggerIndicator, sched, lists, add, remove, column;
    };
    const Layout layouts[] = {{true, 1245, 1290, 1320, 2235, 2565, 2880, 3195, 2610},
                              {false, 585, 630, 675, 1245, 1575, 1890, 2205, 1620},
                              {true, 1245, 1290, 1320, 2235, 2565, 2880, 3195, 2610}};
    for (const Layout& l : layouts) {
        auto* box = f.Find<QCheckBox>("chkExtendedPaths");
        if (box->isChecked() != l.extended) Click(box);
        QCOMPARE(box->isChecked(), l.extended);
        QCOMPARE(TopTwips(f, "txtLTrigger"), l.trigger);
        QCOMPARE(TopTwips(f, "btnBrowse_7"), l.trigger);
        QCOMPARE(TopTwips(f, "lblTriggerSets"), l.triggerLabel);
        QCOMPARE(TopTwips(f, "imgPathLink_3"), l.triggerIndicator);
        QCOMPARE(TopTwips(f, "txtRSched"), l.sched);
        QCOMPARE(TopTwips(f, "lstLAudioPaths"), l.lists);
        QCOMPARE(TopTwips(f, "lstRAudioPaths"), l.lists);
        QCOMPARE(TopTwips(f, "btnBrowse_14"), l.lists);
        QCOMPARE(TopTwips(f, "btnBrowse_15"), l.add);
        QCOMPARE(TopTwips(f, "btnDeleteAudioPath"), l.remove);
        QCOMPARE(TopTwips(f, "frmLineLinkOuter"), l.column);
        for (const char* extendedOnly : {"txtLText", "txtRVideo", "lblSerialSets", "imgPathLink_5"})
            QCOMPARE(f.Find<QWidget>(extendedOnly)->isHidden(), !l.extended);
        // The Text row keeps its place while hidden and comes back there.
        QCOMPARE(TopTwips(f, "txtLText"), 585);
    }
}

void MainWindowTest::IndicatorClicksToggleBetweenDisabledAndValidated() {
    WindowFixture f;
    f.Settings(AudioRows(f, 1));
    QVERIFY(f.Start());
    struct Step {
        const char* indicator;
        const char* tag;
        const char* picture;
    };
    // The Program Logs pair exists; the Trigger pair has no folders; audio row 0 exists.
    const Step steps[] = {
        {"imgPathLink_0", "0", "imgPathLinkDisabled"}, {"imgPathLink_0", "1", "imgPathLinkActive"},
        {"imgPathLink_3", "0", "imgPathLinkDisabled"}, {"imgPathLink_3", "-1", "imgPathLinkError"},
        {"imgLineLink_0", "0", "imgLineLinkDisabled"}, {"imgLineLink_0", "1", "imgLineLinkActive"},
    };
    QCOMPARE(Tag(f, "imgPathLink_3"), std::string("-1"));
    for (const Step& step : steps) {
        Click(f.Find<QWidget>(step.indicator));
        QCOMPARE(Tag(f, step.indicator), std::string(step.tag));
        QCOMPARE(PictureOf(f, step.indicator), std::string(step.picture));
        QVERIFY(!f.Find<QLabel>(step.indicator)->pixmap().isNull());
    }
}

void MainWindowTest::AudioListClickAndScrollAreFollowedByTheOtherListAndTheIndicators() {
    WindowFixture f;
    f.Settings(AudioRows(f, 30));
    QVERIFY(f.Start());
    auto* local = f.Find<QListView>("lstLAudioPaths");
    auto* remote = f.Find<QListView>("lstRAudioPaths");
    QVERIFY(!f.Find<QWidget>("btnDeleteAudioPath")->isEnabled());
    QTest::mouseClick(remote->viewport(), Qt::LeftButton, {},
                      remote->visualRect(remote->model()->index(4, 0)).center());
    QCOMPARE(local->currentIndex().row(), 4);
    QVERIFY(local->selectionModel()->isSelected(local->model()->index(4, 0)));
    QCOMPARE(f.form().lstLAudioPaths.ListIndex(), 4);
    QVERIFY(f.Find<QWidget>("btnDeleteAudioPath")->isEnabled());
    QVERIFY(f.Find<QWidget>("btnBrowse_14")->isEnabled());

    local->verticalScrollBar()->setValue(3);
    QCOMPARE(remote->verticalScrollBar()->value(), 3);
    QCOMPARE(InTwips(f.Find<QWidget>("frmLineLink")).y(), -585);
    remote->verticalScrollBar()->setValue(0);
    QCOMPARE(local->verticalScrollBar()->value(), 0);
    QCOMPARE(InTwips(f.Find<QWidget>("frmLineLink")).y(), 0);
    // Each indicator sits beside its own row.
    for (int row : {0, 7, 14}) {
        const int rowTop =
            local->mapTo(&f.window(), local->visualRect(local->model()->index(row, 0)).topLeft())
                .y();
        QWidget* indicator = f.Find<QWidget>("imgLineLink_" + std::to_string(row));
        const int indicatorTop = indicator->mapTo(&f.window(), QPoint(0, 0)).y();
        QVERIFY2(std::abs(rowTop - indicatorTop) <= 3, qPrintable(QString::number(row)));
    }
}

void MainWindowTest::DeletingAnAudioRowMovesTheIndicatorsUp() {
    WindowFixture f;
    // Row 2 switched off, row 3's local folder gone.
    f.Settings("MaxAudioPaths=4\n" + AudioRows(f, 4) + "AudioPathEnabled2=0\n");
    QVERIFY(rmdir((f / "A3").c_str()) == 0);
    QVERIFY(f.Start());
    QVERIFY(!f.Find<QWidget>("btnBrowse_15")->isEnabled());
    auto* local = f.Find<QListView>("lstLAudioPaths");
    QTest::mouseClick(local->viewport(), Qt::LeftButton, {},
                      local->visualRect(local->model()->index(1, 0)).center());
    Click(f.Find<QPushButton>("btnDeleteAudioPath"));
    QCOMPARE(local->model()->rowCount(), 3);
    QCOMPARE(f.Find<QListView>("lstRAudioPaths")->model()->rowCount(), 3);
    QCOMPARE(Tag(f, "imgLineLink_1"), std::string("0"));
    QCOMPARE(Tag(f, "imgLineLink_2"), std::string("-1"));
    QVERIFY(f.Find<QWidget>("imgLineLink_3")->isHidden());
    QVERIFY(!f.Find<QWidget>("btnDeleteAudioPath")->isEnabled());
    QVERIFY(f.Find<QWidget>("btnBrowse_15")->isEnabled());
}

void MainWindowTest::FocusSinkStaysEmptyAndTakesTheFocusAfterAButton() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    auto* sink = f.Find<QLineEdit>("txtFocus");
    QTest::keyClicks(sink, "typed");
    QCOMPARE(sink->text(), QString());
    QCOMPARE(f.form().txtFocus.Text(), std::string());
    f.Find<QWidget>("txtLPLog")->setFocus();
    Click(f.Find<QPushButton>("cmdPage_1"));
    QCOMPARE(f.window().focusWidget(), sink);
}

void MainWindowTest::SettingsControlsWriteTheModelThenCallTheirHandlers() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    Click(f.Find<QPushButton>("cmdPage_1"));

    const int32_t cycle = f.state().SyncCycle;
    QTest::keyClick(f.Find<QComboBox>("cboSyncCycle"), Qt::Key_Down);
    QVERIFY(f.state().SyncCycle > cycle);
    // The one-row list counts down from 60 minutes; scrolling it chooses the row in view.
    f.Find<QListView>("lstSyncCycle")->verticalScrollBar()->setValue(5);
    QCOMPARE(f.form().lstSyncCycle.ListIndex(), 5);
    QCOMPARE(f.state().SyncCycle, 10 * 60000);

    auto* speed = f.Find<QComboBox>("cboSyncSpeed");
    QTest::keyClick(speed, Qt::Key_Home);
    const int32_t fastest = f.state().SleepTimeCopy;
    QTest::keyClick(speed, Qt::Key_End);
    QCOMPARE(f.form().cboSyncSpeed.ListIndex(), speed->count() - 1);
    QVERIFY(f.state().SleepTimeCopy != fastest);

    const QString info = f.Find<QLabel>("lblBackupTypeInfo")->text();
    Click(f.Find<QRadioButton>("optDirectoryBackups_1"));
    QVERIFY(!f.state().BackupType);
    QVERIFY(!f.Find<QRadioButton>("optDirectoryBackups_0")->isChecked());
    QVERIFY(f.Find<QLabel>("lblBackupTypeInfo")->text() != info);

    f.form().txtSpace.SetText(f.ProgramFolder());
    Click(f.Find<QPushButton>("btnTotalSpace"));
    QVERIFY(!f.Find<QLabel>("lblSpace")->text().isEmpty());

    Click(f.Find<QCheckBox>("chkStartMinimized"));
    QCOMPARE(f.form().chkStartMinimized.Value(), 1);
}

void MainWindowTest::LogPageScrollsShowsALineInFullAndClears() {
    WindowFixture f;
    f.Settings("AutoScroll=1\n");
    QVERIFY(f.Start());
    Click(f.Find<QPushButton>("cmdPage_2"));
    auto* done = f.Find<QListView>("lstCompletedTasks");
    // Whatever the font makes of a row, the newest line is in view in full, and the model's
    // first visible line is the view's.
    const auto newestInFull = [&] {
        QCoreApplication::processEvents();  // the view lays out its rows
        const int last = done->model()->rowCount() - 1;
        const QRect row = done->visualRect(done->model()->index(last, 0));
        QVERIFY2(done->viewport()->rect().contains(row), qPrintable(QString::number(last)));
        QCOMPARE(f.form().lstCompletedTasks.TopIndex(), done->verticalScrollBar()->value());
    };
    int added = 0;
    const auto addLines = [&](int count) {
        for (int i = 0; i < count; ++i, ++added)
            AddCompletedLine(f.ctx(), "12:00:00 - line " + std::to_string(added));
    };
    // A first line wider than the list brings the horizontal scroll bar, which takes a line.
    AddCompletedLine(f.ctx(), "12:00:00 - " + std::string(400, 'w'));
    addLines(39);
    QCOMPARE(done->model()->rowCount(), 40);
    newestInFull();
    QVERIFY(done->verticalScrollBar()->maximum() > 0);
    // At the log's limit every line in drops the oldest, the wide one first: the view's range
    // stays, the horizontal scroll bar goes.
    f.state().MaxCompletedTasks = 40;
    addLines(3);
    newestInFull();
    // A larger font shows fewer lines.
    QFont large = done->font();
    large.setPixelSize(19);
    done->setFont(large);
    addLines(1);
    newestInFull();
    f.state().MaxCompletedTasks = 500;
    done->setFont(ui::ListFont());
    addLines(2);
    newestInFull();

    QTest::keyClick(f.Find<QComboBox>("cboMaxLogItems"), Qt::Key_Down);
    QCOMPARE(f.state().MaxCompletedTasks, 1000);

    const QRect row = done->visualRect(done->model()->index(done->model()->rowCount() - 2, 0));
    QTest::mouseClick(done->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(done->viewport(), Qt::LeftButton, {}, row.center());
    auto* prompt = f.window().findChild<QDialog*>(QStringLiteral("frmUserPrompt"));
    QVERIFY(prompt->isVisible());
    QCOMPARE(prompt->findChild<QLabel*>(QStringLiteral("lblMessage"))->text(),
             QStringLiteral("12:00:00 - line 43"));
    Click(prompt->findChild<QPushButton*>(QStringLiteral("btnOK")));
    QVERIFY(!prompt->isVisible());
    QVERIFY(!f.state().PromptOpen);

    Click(f.Find<QPushButton>("btnClearList"));
    QCOMPARE(done->model()->rowCount(), 0);
}

void MainWindowTest::
    StartedMinimisedWithoutANotificationIconTheWindowStaysAndAPromptBringsItBack() {
    WindowFixture f;
    f.Settings("StartMinimized=True\n");
    QVERIFY(f.Start());
    QVERIFY(WindowFixture::WaitFor([&] { return f.window().isMinimized(); }, 2000));
    // No notification icon on this platform: the window is minimised, never hidden.
    QVERIFY(!f.state().MinimizedToTray);
    QVERIFY(f.window().isVisible());
    ShowPrompt(f.ctx(), "A message", "Title");
    QVERIFY(!f.window().isMinimized());
    QVERIFY(f.window().findChild<QDialog*>(QStringLiteral("frmUserPrompt"))->isVisible());
}

}  // namespace vfs::uitest

QTEST_MAIN(vfs::uitest::MainWindowTest)
#include "main_window_test.moc"
