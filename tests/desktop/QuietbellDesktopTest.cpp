// The real program on the test binary's desktop (DesktopSession: Xvfb, openbox, tint2 whose
// tray docks the icon and reserves the panel strip), driven from outside with xdotool. The
// program's windows are told apart by its pid and their place: the icon sits in the panel,
// the popup grows out of the work area's bottom-right corner.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "ScreenPixels.h"
#include "TestMainDesktop.h"

namespace {

using namespace std::chrono_literals;

// systray_icon_size of the session's panel.
constexpr int kIconSize = 24;
using quietbell::kStoredPosition;

struct Window {
    unsigned long id = 0;
    QRect geometry;
};

class QuietbellDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
        // Every test starts from a fresh settings area.
        ASSERT_TRUE(QDir(desktop.Home() + "/.config/Brindlewax").removeRecursively());
    }

    void TearDown() override { desktop.StopCompositor(); }

    // extra holds more "NAME=value" entries for the environment; the program may be started
    // through a link.
    ChildProcess StartProgram(const std::string& fakeTime = quietbell::kDefaultFakeTime,
                              const ChildProcess::Strings& extra = {},
                              const QString& executable = {}) const {
        ChildProcess::Strings environment = session->Environment();
        for (const std::string& entry : extra) {
            // The first of two entries of one name would win.
            const std::string name = entry.substr(0, entry.find('=') + 1);
            std::erase_if(environment, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
            environment.push_back(entry);
        }
        return quietbell::Start(environment, (session->Home() + "/quietbell.log").toStdString(),
                                fakeTime, executable);
    }

    std::vector<Window> WindowsOf(const ChildProcess& program) const {
        std::vector<Window> windows;
        for (unsigned long id : quietbell::Windows(session->Environment(), program.Pid()))
            windows.push_back({id, session->WindowGeometry(id)});
        return windows;
    }

    // The already-running message: the second copy's only window. The one found is the one
    // answered, as a second look at the list may find it empty for a moment.
    std::optional<Window> MessageOf(const ChildProcess& second) const {
        std::vector<Window> windows;
        if (!DesktopSession::WaitFor([&] { return !(windows = WindowsOf(second)).empty(); }))
            return std::nullopt;
        return windows.front();
    }

    // A real right click on the start picture; the program's new window at the pointer is the
    // menu it opened.
    std::optional<Window> RightClickTheStartPicture(const ChildProcess& program) const {
        std::vector<unsigned long> picture;
        if (!DesktopSession::WaitFor(
                [&] { return (picture = session->FindWindows("^Quietbell$")).size() == 1; }))
            return std::nullopt;
        const QPoint at = session->WindowGeometry(picture.front()).center();
        if (!session->Click(at, 3))
            return std::nullopt;
        std::optional<Window> menu;
        DesktopSession::WaitFor([&] {
            for (const Window& window : WindowsOf(program)) {
                if (window.id != picture.front() && window.geometry.topLeft() == at)
                    menu = window;
            }
            return menu.has_value();
        });
        return menu;
    }

    bool InPanel(const QRect& rect) const { return rect.top() > session->WorkArea().bottom(); }

    std::optional<Window> TrayIcon(const ChildProcess& program) const {
        for (const Window& window : WindowsOf(program)) {
            if (window.geometry.size() == QSize(kIconSize, kIconSize) && InPanel(window.geometry))
                return window;
        }
        return std::nullopt;
    }

    std::optional<Window> Popup(const ChildProcess& program) const {
        for (const Window& window : WindowsOf(program)) {
            if (screenpixels::AtWorkAreaCorner(window.geometry, session->WorkArea()))
                return window;
        }
        return std::nullopt;
    }

    // Any other window of the program near its icon: the icon's tooltip or the tray menu
    // (the tests ask once no popup shows).
    std::optional<Window> NearTheIcon(const ChildProcess& program) const {
        const std::optional<Window> icon = TrayIcon(program);
        if (!icon)
            return std::nullopt;
        const QRect near = icon->geometry.adjusted(-300, -300, 300, 300);
        for (const Window& window : WindowsOf(program)) {
            if (window.id != icon->id && near.contains(window.geometry.center()))
                return window;
        }
        return std::nullopt;
    }

    // The whole start of the program: a sanitizer build on a busy machine takes its time.
    bool WaitForIcon(const ChildProcess& program) const {
        return DesktopSession::WaitFor([&] { return TrayIcon(program).has_value(); }, 30s);
    }

    // The start-up phrase rises and goes by itself.
    bool WaitForStartupPhraseGone(const ChildProcess& program) const {
        return quietbell::StartupPhraseCameAndWent([&] { return Popup(program).has_value(); });
    }

    bool WaitForNoPopup(const ChildProcess& program) const {
        return DesktopSession::WaitForGone([&] { return Popup(program).has_value(); }, 30s);
    }

    bool ClickIcon(const ChildProcess& program, int button, int clicks = 1) const {
        const std::optional<Window> icon = TrayIcon(program);
        return icon &&
               session->Run({"xdotool", "mousemove", "--sync", "--window", std::to_string(icon->id),
                             "12", "12", "click", "--repeat", std::to_string(clicks), "--delay",
                             "80", std::to_string(button)})
                       .exitCode == 0;
    }

    bool Keys(unsigned long window, const ChildProcess::Strings& keys) const {
        ChildProcess::Strings argv = {"xdotool", "windowactivate", "--sync", std::to_string(window),
                                      "key",     "--delay",        "50"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        return session->Run(argv).exitCode == 0;
    }

    // The rows of text in a menu on the screen, top to bottom.
    std::vector<screenpixels::TextRow> TextRows(const QRect& rect) const {
        return screenpixels::TextRows(desktop.Screenshot().copy(rect), 30);
    }

    // The program's windows that a taskbar lists: managed by the window manager
    // (_NET_CLIENT_LIST) and not marked to skip the taskbar.
    std::vector<unsigned long> TaskbarEntries(const ChildProcess& program) const {
        return quietbell::TaskbarEntries(session->Environment(), program.Pid());
    }

    QVariant Stored(const char* key) const {
        return quietbell::Stored(session->Home() + "/.config", key);
    }

    void Store(const char* key, int value) const {
        quietbell::Store(session->Home() + "/.config", key, value);
    }

    void OverwritePosition() const { quietbell::OverwritePosition(session->Home() + "/.config"); }

    // The program's visible dialog windows but one: its message boxes while About is open.
    std::vector<unsigned long> DialogsBesides(const ChildProcess& program,
                                              unsigned long except) const {
        std::vector<unsigned long> dialogs;
        for (const Window& window : WindowsOf(program)) {
            const std::string type = session
                                         ->Run({"xprop", "-id", std::to_string(window.id),
                                                "-notype", "_NET_WM_WINDOW_TYPE"})
                                         .output;
            if (window.id != except && type.find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos)
                dialogs.push_back(window.id);
        }
        return dialogs;
    }

    QString WindowName(unsigned long window) const {
        return quietbell::WindowName(session->Environment(), window);
    }

    bool ClickAt(unsigned long window, const QPoint& point, int repeat = 1) const {
        return session
                   ->Run({"xdotool", "mousemove", "--sync", "--window", std::to_string(window),
                          std::to_string(point.x()), std::to_string(point.y()), "click", "--repeat",
                          std::to_string(repeat), "--delay", "80", "1"})
                   .exitCode == 0;
    }

    // About from the tray menu, its first entry below the greyed date.
    std::optional<unsigned long> OpenAbout(const ChildProcess& program) const {
        if (!ClickIcon(program, 3) ||
            !DesktopSession::WaitFor([&] { return NearTheIcon(program).has_value(); }) ||
            session->Run({"xdotool", "key", "--delay", "50", "Down", "Return"}).exitCode != 0)
            return std::nullopt;
        std::vector<unsigned long> about;
        if (!DesktopSession::WaitFor(
                [&] { return (about = session->FindWindows("^About Quietbell$")).size() == 1; }))
            return std::nullopt;
        return about.front();
    }

    // A point on the web page link of the About box: the dialog is 289 x 124 dialog units and
    // the link's text starts at (73, 60).
    QPoint WebLink(unsigned long about) const {
        const QSize size = session->WindowGeometry(about).size();
        return QPoint(size.width() * 73 / 289 + 4, size.height() * 60 / 124 + 3);
    }

    DesktopSession& desktop = TheDesktop();
    // The desktop the helpers look at and start programs on.
    DesktopSession* session = &desktop;
};

TEST_F(QuietbellDesktopTest, StartPictureGoesIconDocksStartupPhraseRisesBottomRight) {
    ChildProcess program = StartProgram();
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return !desktop.FindWindows("^Quietbell$").empty(); }));
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }));
    // The start picture hides itself on the second tick.
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Quietbell$").empty(); }, 6s));
    EXPECT_TRUE(WaitForNoPopup(program));
    EXPECT_TRUE(program.Running());
}

// The start picture covers the whole main window; the right button on it still opens the main
// window's context menu at the pointer, and its Preferences entry opens the dialog.
TEST_F(QuietbellDesktopTest, RightClickOnTheStartPictureOpensTheContextMenu) {
    ChildProcess program = StartProgram();
    const std::optional<Window> menu = RightClickTheStartPicture(program);
    ASSERT_TRUE(menu.has_value()) << "no menu at the pointer";
    ASSERT_TRUE(desktop.Run({"xdotool", "key", "p"}).exitCode == 0);
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return !desktop.FindWindows("^Preferences$").empty(); }));
}

// Only the start picture has a taskbar entry, and only while it shows: the popup and the
// tray icon's window are not windows a user switches to.
TEST_F(QuietbellDesktopTest, OnlyTheVisibleStartPictureHasATaskbarEntry) {
    ChildProcess program = StartProgram();
    // Looked at as soon as it shows: it goes by itself two seconds after the start.
    std::vector<unsigned long> picture;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (picture = desktop.FindWindows("^Quietbell$")).size() == 1; }));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return TaskbarEntries(program) == picture; }));
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }));
    // The popup stays for seconds: it shows now, with the icon, and neither has an entry,
    // whether the picture still shows or not.
    for (unsigned long entry : TaskbarEntries(program))
        EXPECT_EQ(entry, picture.front());
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Quietbell$").empty(); }, 6s));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return TaskbarEntries(program).empty(); }));
    ASSERT_TRUE(WaitForNoPopup(program));
    EXPECT_TRUE(TaskbarEntries(program).empty());
}

TEST_F(QuietbellDesktopTest, TrayMenuExitEndsRemovesTheIconAndKeepsAllPreferences) {
    // Away from their defaults where the run allows it, so that an end that writes defaults
    // or drops the file shows.
    const std::map<std::string, int> preferences = {{"Bring Window To Top", 1},
                                                    {"Hide when minimized", 0},
                                                    {"Enable Popup Mirel", 1},
                                                    {"Popup Mirel Interval", 7},
                                                    {"Popup Mirel Font Size", 120},
                                                    {"Hijri Date Adjust", 3},
                                                    {"Popup Mirel Index", kStoredPosition},
                                                    {"Arabic Interface", 0},
                                                    {"Hold While Busy", 0}};
    for (const auto& [key, value] : preferences)
        Store(key.c_str(), value);
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    ASSERT_TRUE(ClickIcon(program, 3));
    std::optional<Window> menu;
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return (menu = NearTheIcon(program)).has_value(); }));
    // Today's date, greyed, above About, Preferences, Re-Show and Exit, once the menu has
    // painted them.
    std::vector<screenpixels::TextRow> rows;
    const auto fiveRows = [&] { return (rows = TextRows(menu->geometry)).size() == 5; };
    ASSERT_TRUE(DesktopSession::WaitFor(fiveRows)) << rows.size() << " rows";
    for (size_t row = 1; row < rows.size(); ++row)
        EXPECT_GT(rows.front().ink, rows[row].ink + 40) << "row " << row;
    OverwritePosition();
    // The menu opens with About first; Up from the top wraps to the last entry, Exit.
    ASSERT_TRUE(desktop.Run({"xdotool", "key", "--delay", "50", "Up", "Return"}).exitCode == 0);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_TRUE(desktop.FindWindowsByClass("^quietbell$").empty());
    for (const auto& [key, value] : preferences)
        EXPECT_EQ(Stored(key.c_str()).toString().toStdString(), std::to_string(value)) << key;
}

TEST_F(QuietbellDesktopTest, SecondCopyShowsTheMessageAndEndsAfterOkWhileTheFirstRunsOn) {
    ChildProcess first = StartProgram();
    ASSERT_TRUE(WaitForIcon(first));
    ChildProcess second = StartProgram();
    const std::optional<Window> message = MessageOf(second);
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(second.Running());
    ASSERT_TRUE(Keys(message->id, {"Return"}));
    ASSERT_TRUE(second.WaitForExit(10s));
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(WaitForIcon(first));
}

TEST_F(QuietbellDesktopTest, ReminderAtTheClockFromTheStoredPositionAndSigtermSavesIt) {
    Store("Popup Mirel Index", kStoredPosition);
    ChildProcess program = StartProgram("2024-03-14 10:09:30");
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    // The reminder at 10:10:00 takes phrase 7 and moves the position to 8.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }, 40s));
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return Stored("Popup Mirel Index").toInt() == kStoredPosition + 1; }));
    OverwritePosition();
    EXPECT_EQ(program.Stop(), 0);
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), kStoredPosition + 1);
}

TEST_F(QuietbellDesktopTest, LeftClickShowsTheLastPhraseAgainWithoutMovingOn) {
    Store("Popup Mirel Index", 7);
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    ASSERT_TRUE(ClickIcon(program, 1));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }));
    EXPECT_EQ(program.Stop(), 0);
    // Re-show takes the phrase before the position and leaves the position where it was.
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 7);
}

// With a compositor the closing dialog leaves its fading image; the new interval is saved at
// once and the next reminder follows it: with 1 minute it comes at 10:01:00, where the
// default of 10 would wait until 10:10:00.
TEST_F(QuietbellDesktopTest, DoubleClickOpensPreferencesAndOkTakesTheNewInterval) {
    ASSERT_TRUE(desktop.StartCompositor()) << desktop.Error();
    Store("Popup Mirel Index", 7);
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    ASSERT_TRUE(ClickIcon(program, 1, 2));
    std::vector<unsigned long> dialog;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (dialog = desktop.FindWindows("^Preferences$")).size() == 1; }));
    // The focus starts on Enable; Tab selects the whole interval text.
    ASSERT_TRUE(Keys(dialog.front(), {"Tab", "1"}));
    // The image covers the frame the window manager drew round the dialog as it stands when
    // it closes, so the frame is read just before Return, not in the dialog's first moments.
    QRect frame;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return !(frame = desktop.FrameGeometry(dialog.front())).isEmpty(); }));
    MappedWindows mapped(desktop.Display());
    ASSERT_TRUE(Keys(dialog.front(), {"Return"}));
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Preferences$").empty(); }));
    // The image shows for half a second: the recorder has it however late the test looks.
    const auto imageShown = [&] {
        const std::vector<QRect> places = mapped.Places();
        return std::find(places.begin(), places.end(), frame) != places.end();
    };
    EXPECT_TRUE(DesktopSession::WaitFor(imageShown)) << "an image over the dialog's frame";
    const auto fadeImage = [&] {
        for (const Window& window : WindowsOf(program)) {
            if (window.geometry == frame)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return !fadeImage(); }, 5s));
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return Stored("Popup Mirel Interval").toInt() == 1; }));

    // The double click's first press showed the last phrase again; then comes the reminder.
    ASSERT_TRUE(WaitForNoPopup(program));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }, 75s));
    EXPECT_EQ(program.Stop(), 0);
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 8);
}

// The panel restarts: Qt docks the icon again in the new tray, and its tooltip is still
// there (an empty tooltip would show no tip at all).
TEST_F(QuietbellDesktopTest, PanelRestartDocksTheIconAgainWithItsTooltip) {
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    // The tip comes after the pointer comes to rest on the icon; a few tries allow for a
    // pointer the tray has not yet seen arrive.
    auto tooltipShows = [&] {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::optional<Window> icon = TrayIcon(program);
            if (icon && desktop.MoveMouse(QPoint(600, 300)) &&
                DesktopSession::WaitFor([&] { return !NearTheIcon(program); }) &&
                desktop.MoveMouse(icon->geometry.center() - QPoint(2, 2)) &&
                desktop.MoveMouse(icon->geometry.center()) &&
                DesktopSession::WaitFor([&] { return NearTheIcon(program).has_value(); }, 4s))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(tooltipShows());

    ASSERT_TRUE(desktop.SetPanel(DesktopSession::Panel::Bottom)) << desktop.Error();
    ASSERT_TRUE(WaitForIcon(program));
    EXPECT_TRUE(tooltipShows());
    EXPECT_TRUE(program.Running());
}

// Programs that stand in for the desktop's, first on the PATH the program is started with.
class StandIns {
public:
    void Script(const QString& name, const QString& body) const {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // PATH and XDG_DATA_HOME for the program.
    ChildProcess::Strings Environment() const {
        return {"PATH=" + dir.path().toStdString() + ":" + qgetenv("PATH").toStdString(),
                "XDG_DATA_HOME=" + dir.path().toStdString()};
    }
    // The desktop's text/html handler: a browser that writes its arguments into a file.
    void Browser() const {
        Script("xdg-mime", "echo quietbell-test-browser.desktop");
        Script("browser", "printf '%s\\n' \"$@\" > '" + Path("browser.args") + "'");
        QDir(dir.path()).mkpath("applications");
        QFile entry(dir.filePath("applications/quietbell-test-browser.desktop"));
        entry.open(QIODevice::WriteOnly);
        entry.write(
            ("[Desktop Entry]\nType=Application\nName=Browser\nExec=" + Path("browser") + " %u\n")
                .toUtf8());
    }
    QStringList Lines(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

private:
    QTemporaryDir dir;
};

bool Alive(pid_t pid) {
    return pid > 0 && kill(pid, 0) == 0;
}

// On a plain window manager xdg-open stays until the browser is up; this one takes 30 s. The
// program answers meanwhile: About closes, a tray click shows a phrase, and a reminder due in
// that time comes (interval 1: every minute), while the opener still runs.
TEST_F(QuietbellDesktopTest, ALinkWhoseOpenerTakesItsTimeLeavesTheProgramAnswering) {
    StandIns standIns;
    standIns.Script("xdg-open", "echo $$ > '" + standIns.Path("opener.pid") + "'\nexec sleep 30");
    Store("Popup Mirel Interval", 1);
    Store("Popup Mirel Index", 7);
    const auto started = std::chrono::steady_clock::now();
    ChildProcess program = StartProgram("2024-03-14 10:00:35", standIns.Environment());
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    const std::optional<unsigned long> about = OpenAbout(program);
    ASSERT_TRUE(about);

    // The click comes a few seconds before the minute, as the program's clock goes.
    auto programSecond = [&] {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::steady_clock::now() - started);
        return (35 + elapsed.count()) % 60;
    };
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] {
            const auto second = programSecond();
            return second >= 52 && second <= 55;
        },
        75s));
    const int before = Stored("Popup Mirel Index").toInt();
    ASSERT_TRUE(ClickAt(*about, WebLink(*about)));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return !standIns.Lines("opener.pid").empty(); }));
    const pid_t opener = standIns.Lines("opener.pid").front().toInt();

    ASSERT_TRUE(Keys(*about, {"Escape"}));
    EXPECT_TRUE(DesktopSession::WaitFor(
        [&] { return session->FindWindows("^About Quietbell$").empty(); }, 3s));
    ASSERT_TRUE(WaitForNoPopup(program));
    ASSERT_TRUE(ClickIcon(program, 1));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }, 3s));
    EXPECT_TRUE(DesktopSession::WaitFor(
        [&] { return Stored("Popup Mirel Index").toInt() == before + 1; }, 20s));
    EXPECT_TRUE(Alive(opener)) << "the reminder came while the opener ran";
    EXPECT_EQ(program.Stop(), 0);
}

// The opener fails: the desktop's browser gets the link; without one, one message tells why,
// however quickly the link is clicked twice.
TEST_F(QuietbellDesktopTest, AFailingOpenerFallsBackToTheBrowserElseOneMessageTellsWhy) {
    StandIns standIns;
    standIns.Script("xdg-open", "echo started >> '" + standIns.Path("opener.log") + "'\nexit 4");
    standIns.Browser();
    ChildProcess program = StartProgram("2024-03-14 10:00:20", standIns.Environment());
    ASSERT_TRUE(WaitForIcon(program));
    const std::optional<unsigned long> about = OpenAbout(program);
    ASSERT_TRUE(about);
    ASSERT_TRUE(ClickAt(*about, WebLink(*about)));
    EXPECT_TRUE(DesktopSession::WaitFor([&] {
        return standIns.Lines("browser.args") == QStringList{"https://quietbell.example.org/"};
    }));

    standIns.Script("xdg-mime", "exit 1");
    ASSERT_TRUE(ClickAt(*about, WebLink(*about), 2));
    std::vector<unsigned long> messages;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return !(messages = DialogsBesides(program, *about)).empty(); }));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(WindowName(messages.front()), "quietbell");
    ASSERT_TRUE(Keys(messages.front(), {"Return"}));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return DialogsBesides(program, *about).empty(); }));
    EXPECT_EQ(standIns.Lines("opener.log").size(), 2) << "one for the first click, one for both";
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.Stop(), 0);
}

// The place is written when a reminder takes it, so a kill right after loses nothing.
TEST_F(QuietbellDesktopTest, SigkillAfterAReminderKeepsThePlaceItTook) {
    Store("Popup Mirel Index", 7);
    ChildProcess program = StartProgram("2024-03-14 10:09:40");
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }, 30s));
    kill(program.Pid(), SIGKILL);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 8);
}

// The X server goes away under the program (a crash, a closed remote display): the place of
// the reminder just shown stays, the settings stay whole, and the program ends with a status,
// not a signal. Three runs, each losing its display at another moment of the reminder.
TEST_F(QuietbellDesktopTest, LostDisplayAfterAReminderKeepsThePlaceAndEndsWithoutASignal) {
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        DesktopSession display;
        ASSERT_TRUE(display.Start()) << display.Error();
        session = &display;
        Store("Popup Mirel Index", 7);
        // A reminder every minute: the first at 10:10:00, a few seconds after the start, or the
        // next if a slow start missed it.
        Store("Popup Mirel Interval", 1);
        ChildProcess program = StartProgram("2024-03-14 10:09:52");
        ASSERT_TRUE(WaitForIcon(program));
        ASSERT_TRUE(
            DesktopSession::WaitFor([&] { return Stored("Popup Mirel Index").toInt() == 8; }, 75s));
        if (run == 1) {
            ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }));
        } else if (run == 2) {
            ASSERT_TRUE(WaitForNoPopup(program));
        }
        const int place = Stored("Popup Mirel Index").toInt();
        display.KillServer();
        ASSERT_TRUE(program.WaitForExit(10s));
        EXPECT_GE(program.ExitCode(), 0) << "ended by a signal";
        EXPECT_EQ(Stored("Popup Mirel Index").toInt(), place);
        EXPECT_EQ(Stored("Popup Mirel Interval").toInt(), 1) << "the settings stay whole";
        session = &desktop;
    }
}

// A link under another name is still the same program: its settings file and the caption of
// its messages keep the program's name.
TEST_F(QuietbellDesktopTest, StartedThroughALinkUnderAnotherNameItKeepsItsName) {
    QTemporaryDir links;
    const QString link = links.filePath("qbell");
    ASSERT_TRUE(QFile::link(quietbell::ProgramPath(), link));
    ChildProcess first = StartProgram("2024-03-14 10:00:20", {}, link);
    ASSERT_TRUE(WaitForIcon(first));
    ChildProcess second = StartProgram("2024-03-14 10:00:20", {}, link);
    const std::optional<Window> message = MessageOf(second);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(WindowName(message->id), "quietbell");
    ASSERT_TRUE(Keys(message->id, {"Return"}));
    ASSERT_TRUE(second.WaitForExit(10s));
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_TRUE(Stored("Popup Mirel Interval").isValid());
    EXPECT_FALSE(QFile::exists(desktop.Home() + "/.config/Brindlewax/qbell.conf"));
}

// A menu opened on the start picture outlives the picture's two seconds and keeps the keyboard
// (its About entry opens About); the picture goes to the tray once the menu has closed.
TEST_F(QuietbellDesktopTest, AMenuOpenedOnTheStartPictureStaysOpenAndTakesKeys) {
    ChildProcess program = StartProgram();
    const std::optional<Window> menu = RightClickTheStartPicture(program);
    ASSERT_TRUE(menu.has_value()) << "no menu at the pointer";
    // The start-up phrase rises and goes: far past the picture's second tick.
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    EXPECT_TRUE(desktop.IsViewable(menu->id));
    ASSERT_TRUE(desktop.Run({"xdotool", "key", "a"}).exitCode == 0);
    std::vector<unsigned long> about;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (about = desktop.FindWindows("^About Quietbell$")).size() == 1; }));
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Quietbell$").empty(); }, 5s));
    ASSERT_TRUE(Keys(about.front(), {"Escape"}));
    EXPECT_EQ(program.Stop(), 0);
}

}  // namespace
