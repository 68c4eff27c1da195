// Which Qt platform plugin the window would open on, and whether it is there: the program
// falls back to headless when it is not, as Qt would abort it.
#include <QLibraryInfo>
#include <QTest>
#include <map>

#include "app/windowed.h"
#include "support/temp_dir.h"

namespace vfs::uitest {

namespace {

using Variables = std::map<std::string, std::string>;

app::Environment Fake(const Variables& variables) {
    return [variables](const char* name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::string() : found->second;
    };
}

QStringList Names(const app::PlatformChoice& choice) {
    QStringList names;
    for (const std::string& name : choice.names)
        names << QString::fromStdString(name);
    return names;
}

std::string QtPlatformFolder() {
    return QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms";
}

}  // namespace

class WindowPlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void ChoiceFollowsQtsOwnRules_data();
    void ChoiceFollowsQtsOwnRules();
    void FoldersIncludeEveryPluginPath();
    void OnlyAPluginThatLoadsCounts();
};

void WindowPlatformTest::ChoiceFollowsQtsOwnRules_data() {
    QTest::addColumn<QString>("qpa");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("names");

    const QStringList xcb{"xcb"};
    QTest::newRow("X display") << ""
                               << ":0"
                               << ""
                               << ""
                               << "" << xcb;
    QTest::newRow("Wayland display only") << ""
                                          << ""
                                          << "wayland-0"
                                          << ""
                                          << "" << QStringList{"wayland"};
    QTest::newRow("Wayland session with XWayland") << ""
                                                   << ":0"
                                                   << "wayland-0"
                                                   << "wayland"
                                                   << "KDE" << QStringList{"wayland", "xcb"};
    QTest::newRow("Wayland session on GNOME keeps to X") << ""
                                                         << ":0"
                                                         << "wayland-0"
                                                         << "wayland"
                                                         << "ubuntu:GNOME" << xcb;
    QTest::newRow("both displays, X session") << ""
                                              << ":0"
                                              << "wayland-0"
                                              << "x11"
                                              << "" << xcb;
    QTest::newRow("named beats the session") << "offscreen"
                                             << ":0"
                                             << "wayland-0"
                                             << "wayland"
                                             << "" << QStringList{"offscreen"};
    QTest::newRow("named list with options, any case") << "Wayland:nodecorations;;xcb"
                                                       << ""
                                                       << ""
                                                       << ""
                                                       << "" << QStringList{"wayland", "xcb"};
    QTest::newRow("named but not a platform") << "nosuchplatform"
                                              << ":0"
                                              << ""
                                              << ""
                                              << "" << QStringList{"nosuchplatform"};
}

void WindowPlatformTest::ChoiceFollowsQtsOwnRules() {
    QFETCH(QString, qpa);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QString, session);
    QFETCH(QString, desktop);
    QFETCH(QStringList, names);
    const app::PlatformChoice choice = app::ChoosePlatform(Fake({
        {"QT_QPA_PLATFORM", qpa.toStdString()},
        {"DISPLAY", display.toStdString()},
        {"WAYLAND_DISPLAY", wayland.toStdString()},
        {"XDG_SESSION_TYPE", session.toStdString()},
        {"XDG_CURRENT_DESKTOP", desktop.toStdString()},
    }));
    QCOMPARE(Names(choice), names);
    QCOMPARE(choice.named, !qpa.isEmpty());
}

void WindowPlatformTest::FoldersIncludeEveryPluginPath() {
    const std::vector<std::string> folders = app::PlatformPluginFolders(
        Fake({{"QT_PLUGIN_PATH", "/opt/a:/opt/b"}, {"QT_QPA_PLATFORM_PLUGIN_PATH", "/opt/direct"}}),
        "/opt/prog");
    const std::vector<std::string> expected{"/opt/direct", "/opt/a/platforms", "/opt/b/platforms",
                                            QtPlatformFolder(), "/opt/prog/platforms"};
    QVERIFY(folders == expected);
}

void WindowPlatformTest::OnlyAPluginThatLoadsCounts() {
    const std::vector<std::string> qt{QtPlatformFolder()};
    // The first that is there, whatever the name's case; none when none is.
    QCOMPARE(app::LoadablePlatform({"nosuchplatform", "offscreen"}, qt), std::string("offscreen"));
    QCOMPARE(app::LoadablePlatform({"nosuchplatform"}, qt), std::string());
    QCOMPARE(app::LoadablePlatform({"offscreen"}, {}), std::string());

    // A file that has a plugin's name is not yet a plugin.
    test::TempDir dir;
    test::WriteFile(dir / "libqxcb.so", "not a library");
    test::WriteFile(dir / "libqoffscreen.so", "not a library");
    QCOMPARE(app::LoadablePlatform({"xcb", "offscreen"}, {dir.path()}), std::string());
}

}  // namespace vfs::uitest

QTEST_GUILESS_MAIN(vfs::uitest::WindowPlatformTest)
#include "window_platform_test.moc"
