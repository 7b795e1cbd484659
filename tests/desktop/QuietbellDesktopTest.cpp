// The real program on the test binary's desktop (DesktopSession: Xvfb, openbox, tint2 whose
// tray docks the icon and reserves the panel strip), driven from outside with xdotool. The
// program's windows are told apart by its pid and their place: the icon sits in the panel,
// the popup grows out of the work area's bottom-right corner.
#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "QuietbellProgram.h"
#include "TestMainDesktop.h"

namespace {

using namespace std::chrono_literals;

// systray_icon_size of the session's panel.
constexpr int kIconSize = 24;

struct Window {
    unsigned long id = 0;
    QRect geometry;
};

class QuietbellDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        if (!quietbell::FakeTimeInstalled())
            GTEST_SKIP() << "faketime is not installed";
        // Every test starts from a fresh settings area.
        ASSERT_TRUE(QDir(desktop.Home() + "/.config/Brindlewax").removeRecursively());
    }

    void TearDown() override { desktop.StopCompositor(); }

    ChildProcess StartProgram(const std::string& fakeTime = quietbell::kDefaultFakeTime) const {
        return quietbell::Start(desktop.Environment(),
                                (desktop.Home() + "/quietbell.log").toStdString(), fakeTime);
    }

    std::vector<Window> WindowsOf(const ChildProcess& program) const {
        std::vector<Window> windows;
        for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid()))
            windows.push_back({id, desktop.WindowGeometry(id)});
        return windows;
    }

    bool InPanel(const QRect& rect) const { return rect.top() > desktop.WorkArea().bottom(); }

    bool AtWorkAreaCorner(const QRect& rect) const {
        const QRect area = desktop.WorkArea();
        // The shown popup stands one pixel above the edge it rose from.
        return rect.right() == area.right() && area.bottom() - rect.bottom() <= 1;
    }

    std::optional<Window> TrayIcon(const ChildProcess& program) const {
        for (const Window& window : WindowsOf(program)) {
            if (window.geometry.size() == QSize(kIconSize, kIconSize) && InPanel(window.geometry))
                return window;
        }
        return std::nullopt;
    }

    std::optional<Window> Popup(const ChildProcess& program) const {
        for (const Window& window : WindowsOf(program)) {
            if (AtWorkAreaCorner(window.geometry))
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

    bool WaitForIcon(const ChildProcess& program) const {
        return DesktopSession::WaitFor([&] { return TrayIcon(program).has_value(); });
    }

    // The start-up phrase rises and goes by itself.
    bool WaitForStartupPhraseGone(const ChildProcess& program) const {
        return DesktopSession::WaitFor([&] { return Popup(program).has_value(); }) &&
               WaitForNoPopup(program);
    }

    // Gone for good: a window that is being moved can be missed by one look.
    bool WaitForNoPopup(const ChildProcess& program) const {
        std::optional<std::chrono::steady_clock::time_point> goneSince;
        return DesktopSession::WaitFor(
            [&] {
                if (Popup(program)) {
                    goneSince.reset();
                    return false;
                }
                const auto now = std::chrono::steady_clock::now();
                goneSince = goneSince.value_or(now);
                return now - *goneSince >= 1s;
            },
            30s);
    }

    bool ClickIcon(const ChildProcess& program, int button, int clicks = 1) const {
        const std::optional<Window> icon = TrayIcon(program);
        return icon &&
               desktop.Run({"xdotool", "mousemove", "--sync", "--window", std::to_string(icon->id),
                            "12", "12", "click", "--repeat", std::to_string(clicks), "--delay",
                            "80", std::to_string(button)})
                       .exitCode == 0;
    }

    bool Keys(unsigned long window, const ChildProcess::Strings& keys) const {
        ChildProcess::Strings argv = {"xdotool", "windowactivate", "--sync", std::to_string(window),
                                      "key",     "--delay",        "50"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        return desktop.Run(argv).exitCode == 0;
    }

    // The rows of text in a menu on the screen, top to bottom, each as the darkest grey of its
    // ink (0 black, 255 white): a greyed entry is drawn lighter than the others. Separators,
    // a line or two high, are left out.
    std::vector<int> TextRows(const QRect& rect) const {
        const QImage shot = desktop.Screenshot().copy(rect);
        std::map<QRgb, int> counts;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                ++counts[shot.pixel(x, y)];
        }
        const QRgb background =
            std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                return a.second < b.second;
            })->first;
        const int paper = qGray(background);
        std::vector<int> rows;
        int bandHeight = 0;
        int bandInk = 255;
        for (int y = 3; y < shot.height() - 3; ++y) {
            int ink = 255;
            for (int x = 3; x < shot.width() - 3; ++x)
                ink = std::min(ink, qGray(shot.pixel(x, y)));
            if (ink < paper - 30) {
                ++bandHeight;
                bandInk = std::min(bandInk, ink);
                continue;
            }
            if (bandHeight > 2)
                rows.push_back(bandInk);
            bandHeight = 0;
            bandInk = 255;
        }
        return rows;
    }

    // The program's windows that a taskbar lists: managed by the window manager
    // (_NET_CLIENT_LIST) and not marked to skip the taskbar.
    std::vector<unsigned long> TaskbarEntries(const ChildProcess& program) const {
        return quietbell::TaskbarEntries(desktop.Environment(), program.Pid());
    }

    QVariant Stored(const char* key) const {
        return quietbell::Stored(desktop.Home() + "/.config", key);
    }

    void Store(const char* key, int value) const {
        quietbell::Store(desktop.Home() + "/.config", key, value);
    }

    DesktopSession& desktop = TheDesktop();
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
    std::vector<unsigned long> picture;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (picture = desktop.FindWindows("^Quietbell$")).size() == 1; }));
    const QPoint at = desktop.WindowGeometry(picture.front()).center();
    ASSERT_TRUE(desktop.Click(at, 3));
    std::optional<Window> menu;
    ASSERT_TRUE(DesktopSession::WaitFor([&] {
        for (const Window& window : WindowsOf(program)) {
            if (window.id != picture.front() && window.geometry.topLeft() == at)
                menu = window;
        }
        return menu.has_value();
    })) << "no menu at the pointer";
    ASSERT_TRUE(desktop.Run({"xdotool", "key", "p"}).exitCode == 0);
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return !desktop.FindWindows("^Preferences$").empty(); }));
}

// Only the start picture has a taskbar entry, and only while it shows: the popup and the
// tray icon's window are not windows a user switches to.
TEST_F(QuietbellDesktopTest, OnlyTheVisibleStartPictureHasATaskbarEntry) {
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }));
    const std::vector<unsigned long> picture = desktop.FindWindows("^Quietbell$");
    ASSERT_EQ(picture.size(), 1u);
    EXPECT_EQ(TaskbarEntries(program), picture);
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Quietbell$").empty(); }, 6s));
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return TaskbarEntries(program).empty(); }));
    ASSERT_TRUE(WaitForNoPopup(program));
    EXPECT_TRUE(TaskbarEntries(program).empty());
}

TEST_F(QuietbellDesktopTest, TrayMenuExitEndsRemovesTheIconAndKeepsAllPreferences) {
    ChildProcess program = StartProgram();
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    ASSERT_TRUE(ClickIcon(program, 3));
    std::optional<Window> menu;
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return (menu = NearTheIcon(program)).has_value(); }));
    // Today's date, greyed, above About, Preferences, Re-Show and Exit.
    const std::vector<int> rows = TextRows(menu->geometry);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t row = 1; row < rows.size(); ++row)
        EXPECT_GT(rows.front(), rows[row] + 40) << "row " << row;
    // The menu opens with About first; Up from the top wraps to the last entry, Exit.
    ASSERT_TRUE(desktop.Run({"xdotool", "key", "--delay", "50", "Up", "Return"}).exitCode == 0);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_TRUE(desktop.FindWindowsByClass("^quietbell$").empty());
    for (const char* key : {"Bring Window To Top", "Hide when minimized", "Enable Popup Mirel",
                            "Popup Mirel Interval", "Popup Mirel Font Size", "Hijri Date Adjust",
                            "Popup Mirel Index", "Arabic Interface"})
        EXPECT_TRUE(Stored(key).isValid()) << key;
}

TEST_F(QuietbellDesktopTest, SecondCopyShowsTheMessageAndEndsAfterOkWhileTheFirstRunsOn) {
    ChildProcess first = StartProgram();
    ASSERT_TRUE(WaitForIcon(first));
    ChildProcess second = StartProgram();
    // The message box is the second copy's only window.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return !WindowsOf(second).empty(); }));
    EXPECT_TRUE(second.Running());
    ASSERT_TRUE(Keys(WindowsOf(second).front().id, {"Return"}));
    ASSERT_TRUE(second.WaitForExit(10s));
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(TrayIcon(first).has_value());
}

TEST_F(QuietbellDesktopTest, ReminderAtTheClockFromTheStoredPositionAndSigtermSavesIt) {
    Store("Popup Mirel Index", 7);
    ChildProcess program = StartProgram("2024-03-14 10:09:30");
    ASSERT_TRUE(WaitForIcon(program));
    ASSERT_TRUE(WaitForStartupPhraseGone(program));
    // The reminder at 10:10:00 takes phrase 7 and moves the position to 8.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return Popup(program).has_value(); }, 40s));
    EXPECT_EQ(program.Stop(), 0);
    EXPECT_EQ(Stored("Popup Mirel Index").toInt(), 8);
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
    const QRect dialogRect = desktop.WindowGeometry(dialog.front());

    // The focus starts on Enable; Tab selects the whole interval text.
    ASSERT_TRUE(Keys(dialog.front(), {"Tab", "1", "Return"}));
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Preferences$").empty(); }));
    auto fadeImage = [&] {
        for (const Window& window : WindowsOf(program)) {
            if (window.geometry.contains(dialogRect))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(DesktopSession::WaitFor(fadeImage, 2s));
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

}  // namespace
