// Whole runs through the window: the run button, the close box with its question, a close
// while busy, and the same sync through the headless and the windowed front end.
#include <QDialog>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "e2e/program_runner.h"
#include "ui/ui_test_support.h"

namespace vfs::uitest {

namespace {

// Files on the local side only; each copy is a task of its own.
void MakeLocalFiles(const std::string& folder, int count, std::size_t size) {
    for (int i = 0; i < count; ++i)
        test::WriteFile(folder + "/f" + std::to_string(i) + ".kvo", std::string(size, 'x'));
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

std::string PairSettings(const std::string& local, const std::string& remote,
                         const std::string& extra = "") {
    return extra + "[Paths]\nLPLog=" + local + "\nRPLog=" + remote + "\n";
}

// Completed lines without their time and with the test's own folder put as "<root>".
std::vector<std::string> Neutral(const std::string& text, const std::string& root) {
    std::vector<std::string> lines = e2e::StampedLines(text);
    for (std::string& line : lines) {
        for (std::size_t pos; (pos = line.find(root)) != std::string::npos;)
            line.replace(pos, root.size(), "<root>");
    }
    return lines;
}

}  // namespace

class WindowRunTest : public QObject {
    Q_OBJECT

  private slots:
    void RunButtonSyncsToTheEndWhileTheQueueDrainsAndTheBarsMove();
    void CloseBoxAsksAndTheAnswerComesBackThroughThePort();
    void CloseWhileBusyWaitsForTheWorkThenClosesItself();
    void HeadlessAndWindowedFrontEndsSyncAlike();
};

void WindowRunTest::RunButtonSyncsToTheEndWhileTheQueueDrainsAndTheBarsMove() {
    WindowFixture f;
    test::MakeDirs(f / "L");
    test::MakeDirs(f / "R");
    MakeLocalFiles(f / "L", 25, 3 << 20);
    // The slowest pauses between chunks, so the task bar shows the copy's progress.
    f.Settings(PairSettings(f / "L", f / "R", "SleepTimeCopy=2\n"));
    QVERIFY(f.Start());

    auto* queue = f.Find<QListView>("lstTasksToDo");
    int resets = 0;
    int removed = 0;
    int mostQueued = 0;
    connect(queue->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    connect(queue->model(), &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    connect(queue->model(), &QAbstractItemModel::rowsInserted,
            [&] { mostQueued = std::max(mostQueued, queue->model()->rowCount()); });
    std::set<int> overall;
    std::set<int> task;
    connect(f.Find<QProgressBar>("pbOverall"), &QProgressBar::valueChanged,
            [&](int v) { overall.insert(v); });
    connect(f.Find<QProgressBar>("pbTask"), &QProgressBar::valueChanged,
            [&](int v) { task.insert(v); });
    bool lockedSeen = false;
    auto* run = f.Find<QPushButton>("cmdRun");

    QTest::mouseClick(run, Qt::LeftButton);
    QVERIFY(WindowFixture::WaitFor(
        [&] {
            if (f.form().lstTasksToDo.ListCount() > 0) {
                lockedSeen =
                    lockedSeen || (run->isHidden() && !f.Find<QWidget>("frmPaths")->isEnabled() &&
                                   f.Find<QWidget>("picIconBox")->isVisible() &&
                                   !f.Find<QWidget>("btnAutoSync")->isEnabled());
            }
            return lockedSeen && f.form().lstTasksToDo.ListCount() == 0 && run->isVisible();
        },
        60000));
    QCOMPARE(Names(f / "R").size(), std::size_t{25});
    QCOMPARE(mostQueued, 25);
    QCOMPARE(removed, 25);
    QCOMPARE(resets, 0);
    QCOMPARE(queue->model()->rowCount(), 0);
    QVERIFY(lockedSeen);
    QVERIFY(run->isVisible() && run->isEnabled());
    QVERIFY(f.Find<QWidget>("frmPaths")->isEnabled());
    QVERIFY2(overall.size() > 3, "the overall bar moved");
    QVERIFY2(task.size() > 2, "the task bar moved");
    auto* done = f.Find<QListView>("lstCompletedTasks");
    QCOMPARE(done->model()->rowCount(), static_cast<int>(f.form().lstCompletedTasks.ListCount()));
}

void WindowRunTest::CloseBoxAsksAndTheAnswerComesBackThroughThePort() {
    WindowFixture f;
    f.Settings("");
    QVERIFY(f.Start());
    AnswerNextMessageBox(false);
    f.window().close();
    QVERIFY(!f.host().Unloaded());
    QVERIFY(f.window().isVisible());

    AnswerNextMessageBox(true);
    f.window().close();
    QVERIFY(f.host().Unloaded());
    QCOMPARE(f.host().ExitStatus(), 0);
    QVERIFY(!f.window().isVisible());
    QVERIFY(
        e2e::Contains(test::ReadFile(f.ProgramFolder() + "/VarnelFileSync.ini"), "UnloadMode=0"));
}

void WindowRunTest::CloseWhileBusyWaitsForTheWorkThenClosesItself() {
    WindowFixture f;
    test::MakeDirs(f / "L");
    test::MakeDirs(f / "R");
    MakeLocalFiles(f / "L", 15, 1000);
    f.Settings(PairSettings(f / "L", f / "R"));
    QVERIFY(f.Start());
    QTest::mouseClick(f.Find<QPushButton>("cmdRun"), Qt::LeftButton);
    QVERIFY(WindowFixture::WaitFor([&] { return f.form().lstTasksToDo.ListCount() > 5; }, 20000));

    AnswerNextMessageBox(true);
    f.window().close();
    auto* prompt = f.window().findChild<QDialog*>(QStringLiteral("frmUserPrompt"));
    QVERIFY(prompt && prompt->isVisible());
    QCOMPARE(prompt->windowTitle(), QStringLiteral("Sync In Progress"));
    QVERIFY(!f.host().Unloaded());
    QVERIFY(f.window().isVisible());

    QVERIFY(WindowFixture::WaitFor([&] { return f.host().Unloaded(); }, 30000));
    QCOMPARE(Names(f / "R").size(), std::size_t{15});
    QCOMPARE(f.host().ExitStatus(), 0);
    QVERIFY(!f.window().isVisible());
}

void WindowRunTest::HeadlessAndWindowedFrontEndsSyncAlike() {
    auto fill = [](const std::string& root) {
        test::MakeDirs(root + "/L");
        test::MakeDirs(root + "/R");
        MakeLocalFiles(root + "/L", 4, 100);
        test::WriteFile(root + "/R/remote.kvo", "remote");
    };
    WindowFixture windowed;
    fill(windowed / "pair");
    windowed.Settings(PairSettings(windowed / "pair/L", windowed / "pair/R", "SleepTimeCopy=0\n"));
    std::vector<std::string> windowLines;
    windowed.host().ports().completedLineAdded = [&](const std::string& line) {
        windowLines.push_back(line);
    };
    QVERIFY(windowed.Start("SYNCANDEXIT"));
    QVERIFY(WindowFixture::WaitFor([&] { return windowed.host().Unloaded(); }, 30000));

    e2e::ProgramFolder headless;
    fill(headless / "pair");
    headless.Settings("SleepTimeCopy=0\n" + PairSettings(headless / "pair/L", headless / "pair/R"));
    const e2e::RunResult result = headless.Run({"HEADLESS", "SYNCANDEXIT"});
    QCOMPARE(result.status, 0);
    QCOMPARE(windowed.host().ExitStatus(), 0);

    std::string windowText;
    for (const std::string& line : windowLines)
        windowText += line + "\n";
    const auto a = Neutral(windowText, windowed / "pair");
    const auto b = Neutral(result.out, headless / "pair");
    QVERIFY(a.size() > 5);
    QCOMPARE(a, b);
    QCOMPARE(Names(windowed / "pair/L"), Names(headless / "pair/L"));
    QCOMPARE(Names(windowed / "pair/R"), Names(headless / "pair/R"));
}

}  // namespace vfs::uitest

QTEST_MAIN(vfs::uitest::WindowRunTest)
#include "window_run_test.moc"
