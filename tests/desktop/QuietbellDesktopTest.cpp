// The real program on a real desktop: Xvfb, openbox and tint2 (whose tray docks the icon
// and reserves the panel strip), driven from outside with xdotool.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

const char* const kFakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

QString Executable() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quietbell");
}

// Polls until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

class Desktop : public testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "tint2", "xdotool"})
            if (QStandardPaths_findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        if (!QFile::exists(kFakeTimeLibrary))
            GTEST_SKIP() << "faketime is not installed";
        ASSERT_TRUE(QDir(home.path()).mkpath("config") && QDir(home.path()).mkpath("runtime"));
        QFile::setPermissions(home.filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        StartServer();
        Start("openbox", {});
        Start("tint2", {});
        ASSERT_TRUE(WaitFor([this] { return !Windows("--class", "tint2").isEmpty(); }));
    }

    void TearDown() override {
        // Everything we started, by its own process, the server last.
        for (auto it = processes.rbegin(); it != processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(3000))
                (*it)->kill();
            (*it)->waitForFinished(3000);
        }
    }

    static QString QStandardPaths_findExecutable(const char* name) {
        QProcess which;
        which.start("sh", {"-c", QStringLiteral("command -v %1").arg(name)});
        which.waitForFinished();
        return QString::fromLocal8Bit(which.readAllStandardOutput()).trimmed();
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        return env;
    }

    void StartServer() {
        auto server = std::make_unique<QProcess>();
        server->setProcessChannelMode(QProcess::SeparateChannels);
        server->start("Xvfb",
                      {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        ASSERT_TRUE(server->waitForStarted());
        ASSERT_TRUE(WaitFor([&] {
            server->waitForReadyRead(100);
            display += QString::fromLatin1(server->readAllStandardOutput());
            return display.contains('\n');
        }));
        display = ":" + display.trimmed();
        processes.push_back(std::move(server));
    }

    QProcess* Start(const QString& program, const QStringList& args, QProcessEnvironment env = {}) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(env.isEmpty() ? Environment() : env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, args);
        EXPECT_TRUE(process->waitForStarted());
        processes.push_back(std::move(process));
        return processes.back().get();
    }

    // A set wall clock through libfaketime preloaded into the program itself, so that the
    // process we start, signal and wait for is the program.
    QProcess* StartQuietbell(const QString& fakeTime = {}) {
        QProcessEnvironment env = Environment();
        if (!fakeTime.isEmpty()) {
            env.insert("LD_PRELOAD", kFakeTimeLibrary);
            env.insert("FAKETIME", fakeTime);
            env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        }
        return Start(Executable(), {}, env);
    }

    // The message box: the only window of the second copy.
    QString MessageBoxWindow(QProcess* copy) {
        return Run({"search", "--onlyvisible", "--pid", QString::number(copy->processId())})
            .section('\n', 0, 0);
    }

    QString Run(const QStringList& args) {
        QProcess tool;
        tool.setProcessEnvironment(Environment());
        tool.start("xdotool", args);
        tool.waitForFinished(5000);
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    }

    QStringList Windows(const QString& how, const QString& pattern) {
        return Run({"search", "--onlyvisible", how, pattern}).split('\n', Qt::SkipEmptyParts);
    }

    // The tray icon is the program's 22-pixel window inside the panel strip.
    QString TrayIconWindow() {
        for (const QString& w : Windows("--class", "quietbell")) {
            const QString geometry = Run({"getwindowgeometry", w});
            if (geometry.contains("Geometry: 22x22") || geometry.contains("Geometry: 24x24"))
                return w;
        }
        return {};
    }

    void ClickTray(const QString& button) {
        const QString w = TrayIconWindow();
        ASSERT_FALSE(w.isEmpty());
        Run({"mousemove", "--window", w, "11", "11", "click", button});
    }

    QVariant Stored(const char* key) {
        QSettings settings(home.filePath("config/Brindlewax/quietbell.conf"), QSettings::IniFormat);
        return settings.value(QStringLiteral("Preferences/") + key);
    }

    void Store(const char* key, int value) {
        QSettings settings(home.filePath("config/Brindlewax/quietbell.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Preferences/") + key, value);
    }

    bool Ended(QProcess* process, int ms = 10000) {
        return process->state() == QProcess::NotRunning || process->waitForFinished(ms);
    }

    QTemporaryDir home;
    QString display;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(Desktop, SplashGoesTrayDocksMenuExitKeepsAllPreferences) {
    QProcess* program = StartQuietbell();
    ASSERT_TRUE(WaitFor([this] { return !Windows("--name", "^Quietbell$").isEmpty(); }));
    ASSERT_TRUE(WaitFor([this] { return !TrayIconWindow().isEmpty(); }));
    // The start picture hides itself on the second tick.
    EXPECT_TRUE(WaitFor([this] { return Windows("--name", "^Quietbell$").isEmpty(); }, 6000));

    ClickTray("3");
    ASSERT_TRUE(WaitFor([this] { return !Windows("--class", "quietbell").isEmpty(); }));
    // The menu opens with About first; Up from the top wraps to the last entry, Exit.
    QThread::msleep(300);
    Run({"key", "Up", "Return"});
    ASSERT_TRUE(Ended(program));
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    for (const char* key : {"Bring Window To Top", "Hide when minimized", "Enable Popup Mirel",
                            "Popup Mirel Interval", "Popup Mirel Font Size", "Hijri Date Adjust",
                            "Popup Mirel Index", "Arabic Interface"})
        EXPECT_TRUE(Stored(key).isValid()) << key;
}

TEST_F(Desktop, SecondCopyShowsTheMessageAndTheFirstRunsOn) {
    QProcess* first = StartQuietbell();
    ASSERT_TRUE(WaitFor([this] { return !TrayIconWindow().isEmpty(); }));
    QProcess* second = StartQuietbell();
    // The message box carries the application name as its caption.
    ASSERT_TRUE(WaitFor([this, second] { return !MessageBoxWindow(second).isEmpty(); }));
    EXPECT_EQ(second->state(), QProcess::Running);
    Run({"windowactivate", "--sync", MessageBoxWindow(second), "key", "Return"});
    ASSERT_TRUE(Ended(second));
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_FALSE(TrayIconWindow().isEmpty());
}

TEST_F(Desktop, ReminderAtTheClockFromTheStoredPositionAndSigtermSavesIt) {
    Store("Popup Mirel Index", 7);
    // The wall clock of this process starts at hh:09:55 and runs on.
    QProcess* program = StartQuietbell("@2024-03-14 10:09:55");
    ASSERT_TRUE(WaitFor([this] { return !TrayIconWindow().isEmpty(); }));
    // The reminder at 10:10:00 takes phrase 7 and moves the position to 8.
    QThread::msleep(8000);
    program->terminate();
    ASSERT_TRUE(Ended(program));
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 8);
}

TEST_F(Desktop, LeftClickShowsTheLastPhraseAgainWithoutMovingOn) {
    Store("Popup Mirel Index", 7);
    QProcess* program = StartQuietbell();
    ASSERT_TRUE(WaitFor([this] { return !TrayIconWindow().isEmpty(); }));
    ClickTray("1");
    QThread::msleep(500);
    program->terminate();
    ASSERT_TRUE(Ended(program));
    // Re-show takes the phrase before the position and leaves the position where it was.
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 7);
}

}  // namespace
