// The program's tray on the desktops whose tray is not an XEmbed one, or that have none, each
// desktop started once for its cases (TrayDesktopTest, parameterised by the desktop):
// - the XFCE panel and GNOME Shell with its AppIndicator extension show only what an item
//   exports over D-Bus (StatusNotifierItem and DBusMenu): the item registers with the
//   desktop's watcher, its menu, asked for as the desktop asks, holds today's date greyed and
//   the commands, and Exit chosen there ends the program and saves its position;
// - GNOME Shell without the extension has no tray: the window stays within reach, the program
//   says so once, and Preferences and Exit are reached through the window's own menu;
// - openbox with no tray at first: the window stays until tint2 comes.
#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "DesktopSession.h"
#include "GnomeShellSession.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "StatusNotifierProbe.h"
#include "XfcePanelSession.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The program reads the stored rotation position at start and writes its own when it ends. A
// test writes another value over it while the program runs: finding the program's value back
// after the end shows that the end saved it, however slowly the program started.
constexpr int kStoredPosition = 7;
constexpr int kOverwrittenPosition = 99;
// Today's adjusted date for the program's clock, as the tooltip writes it.
const QString kDate = QStringLiteral("4 Ramadan 1445");

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

ChildProcess StartProgram(const Session& desktop, const std::string& fakeTime) {
    return quietbell::Start(desktop.Environment(),
                            (desktop.Home() + "/quietbell.log").toStdString(), fakeTime);
}

void PrepareSettings(const Session& desktop) {
    ASSERT_TRUE(QDir(desktop.ConfigHome() + "/Brindlewax").removeRecursively());
    quietbell::Store(desktop.ConfigHome(), "Popup Mirel Index", kStoredPosition);
}

void OverwritePosition(const Session& desktop) {
    quietbell::Store(desktop.ConfigHome(), "Popup Mirel Index", kOverwrittenPosition);
}

// A desktop the cases run on, started once for all of its cases.
struct TrayDesktop {
    std::string name;
    std::function<std::unique_ptr<Session>()> make;
    // Where the desktop's tray is a StatusNotifierItem host that tells whether it shows an
    // item's icon: that it does.
    std::function<bool(const Session&)> iconShown;
};

const TrayDesktop kXfce{"XfcePanel", [] { return std::make_unique<XfcePanelSession>(); }, {}};
const TrayDesktop kGnomeWithTray{
    "GnomeShellWithAppIndicator",
    [] {
        return std::make_unique<GnomeShellSession>(
            GnomeShellSession::Options{.appIndicator = true});
    },
    // The extension puts each item it shows in the top bar's status area.
    [](const Session& gnome) {
        return dynamic_cast<const GnomeShellSession&>(gnome).Eval(
                   "Object.keys(Main.panel.statusArea)"
                   ".some(k => k.startsWith('appindicator-'))") == QStringLiteral("true");
    }};
const TrayDesktop kGnomeWithoutTray{"GnomeShellWithoutTray", [] {
                                        return std::make_unique<GnomeShellSession>(
                                            GnomeShellSession::Options{.appIndicator = false});
                                    },
                                    {}};
const TrayDesktop kOpenboxWithoutTray{"OpenboxWithoutTray", [] {
                                          DesktopSession::Options options;
                                          options.trayPanel = false;
                                          return std::make_unique<DesktopSession>(options);
                                      },
                                      {}};

// One desktop runs at a time: the one the case names, started when its first case comes and
// kept for the cases that follow on it.
class TrayDesktopTest : public testing::TestWithParam<TrayDesktop> {
protected:
    static void TearDownTestSuite() { running.reset(); }

    void SetUp() override {
        QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
        if (!running || runningName != GetParam().name) {
            running.reset();
            const auto start = Clock::now();
            running = GetParam().make();
            runningName = GetParam().name;
            started = running->Start();
            std::printf("[ timing ] %s ready after %.1f s\n", runningName.c_str(),
                        SecondsSince(start));
        }
        ASSERT_TRUE(started) << running->Error();
    }

    static Session& Desktop() { return *running; }
    template <typename Kind>
    static Kind& DesktopAs() {
        return dynamic_cast<Kind&>(*running);
    }

private:
    static inline std::unique_ptr<Session> running;
    static inline std::string runningName;
    static inline bool started = false;
};

std::string NameOf(const testing::TestParamInfo<TrayDesktop>& info) {
    return info.param.name;
}

// The desktop by its name in test failures.
void PrintTo(const TrayDesktop& desktop, std::ostream* out) {
    *out << desktop.name;
}

// The desktop's tray is a StatusNotifierItem host on the bus at busAddress; iconShown, where
// given, tells whether the desktop shows an icon for the item.
void CheckMenuOverDBusAndExitFromIt(const Session& desktop, const std::string& busAddress,
                                    const char* desktopName,
                                    const std::function<bool()>& iconShown = {}) {
    StatusNotifierProbe tray(busAddress);
    ASSERT_TRUE(tray.Connected());
    PrepareSettings(desktop);
    const auto start = Clock::now();
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    QString item;
    ASSERT_TRUE(Session::WaitFor(
        [&] { return !(item = tray.ItemOf(program.Pid())).isEmpty(); }, 30s));
    std::printf("[ timing ] %s: item registered %.1f s after the program started\n", desktopName,
                SecondsSince(start));

    if (iconShown) {
        EXPECT_TRUE(Session::WaitFor(iconShown));
    }
    EXPECT_NE(tray.MenuPath(item), "/NO_DBUSMENU");
    const std::vector<StatusNotifierProbe::MenuEntry> menu = tray.Menu(item);
    EXPECT_EQ(StatusNotifierProbe::Describe(menu),
              (std::vector<QString>{"[" + kDate + "]", "-", "_About Quietbell...",
                                    "_Preferences...", "_Re-Show Mirel Popup", "-", "_Exit"}));

    OverwritePosition(desktop);
    ASSERT_TRUE(program.Running());
    ASSERT_FALSE(menu.empty());
    ASSERT_TRUE(tray.Click(item, menu.back().id));
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(quietbell::Stored(desktop.ConfigHome(), "Popup Mirel Index").toInt(),
              kStoredPosition);
    EXPECT_TRUE(Session::WaitFor([&] { return !tray.Items().contains(item); }));
}

// The desktop's tray is a StatusNotifierItem host on its own session bus.
class StatusNotifierTrayTest : public TrayDesktopTest {};

// The session bus of the desktops whose tray is a StatusNotifierItem host.
std::string BusAddress(const Session& desktop) {
    if (const auto* xfce = dynamic_cast<const XfcePanelSession*>(&desktop))
        return xfce->BusAddress();
    return dynamic_cast<const GnomeShellSession&>(desktop).BusAddress();
}

TEST_P(StatusNotifierTrayTest, ItemExportsTheDateAndCommandsAndExitFromItEndsAndSavesThePosition) {
    const auto& iconShown = GetParam().iconShown;
    CheckMenuOverDBusAndExitFromIt(
        Desktop(), BusAddress(Desktop()), GetParam().name.c_str(),
        iconShown ? [&] { return iconShown(Desktop()); } : std::function<bool()>());
}

INSTANTIATE_TEST_SUITE_P(Desktops, StatusNotifierTrayTest, testing::Values(kXfce, kGnomeWithTray),
                         NameOf);

// The program's visible windows with the given name.
std::vector<unsigned long> Named(const Session& desktop, const ChildProcess& program,
                                 const QString& name) {
    std::vector<unsigned long> named;
    for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid())) {
        if (quietbell::WindowName(desktop.Environment(), id) == name)
            named.push_back(id);
    }
    return named;
}

// The message boxes the program shows: dialogs that bear its name (the popup does too).
std::vector<unsigned long> MessageBoxes(const Session& desktop, const ChildProcess& program) {
    std::vector<unsigned long> boxes;
    for (unsigned long id : Named(desktop, program, "quietbell")) {
        if (quietbell::IsDialog(desktop.Environment(), id))
            boxes.push_back(id);
    }
    return boxes;
}

// Brings the window up the desktop's way, opens its context menu from the keyboard and takes
// an entry by its mnemonic.
bool ChooseFromWindowMenu(const Session& desktop, const ChildProcess& program,
                          const std::function<bool()>& activateWindow,
                          const std::string& mnemonic) {
    const std::vector<unsigned long> before =
        quietbell::Windows(desktop.Environment(), program.Pid());
    const std::set<unsigned long> known(before.begin(), before.end());
    auto menuShows = [&] {
        for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid())) {
            if (!known.count(id))
                return true;
        }
        return false;
    };
    return activateWindow() &&
           ChildProcess::Run({"xdotool", "key", "Menu"}, desktop.Environment()).exitCode == 0 &&
           Session::WaitFor(menuShows) &&
           ChildProcess::Run({"xdotool", "key", mnemonic}, desktop.Environment()).exitCode == 0;
}

// No tray: the start picture stays as an ordinary window in the task list, the program says
// once that there is no tray, and the window's menu reaches Preferences and Exit.
class NoTrayTest : public TrayDesktopTest {};

TEST_P(NoTrayTest, WindowStaysMessageComesOnceAndItsMenuReachesPreferencesAndExit) {
    const Session& desktop = Desktop();
    PrepareSettings(desktop);
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    std::vector<unsigned long> picture;
    ASSERT_TRUE(Session::WaitFor(
        [&] { return (picture = Named(desktop, program, "Quietbell")).size() == 1; }, 30s));
    std::vector<unsigned long> box;
    ASSERT_TRUE(Session::WaitFor(
        [&] { return !(box = MessageBoxes(desktop, program)).empty(); }, 30s));
    EXPECT_EQ(box.size(), 1u);

    OverwritePosition(desktop);
    ASSERT_TRUE(quietbell::Keys(desktop.Environment(), box.front(), {"Return"}));
    ASSERT_TRUE(Session::WaitFor([&] { return MessageBoxes(desktop, program).empty(); }));
    // Once: the ticks that follow bring no second box.
    EXPECT_FALSE(
        Session::WaitFor([&] { return !MessageBoxes(desktop, program).empty(); }, 3s));

    const std::vector<unsigned long> listed =
        quietbell::TaskbarEntries(desktop.Environment(), program.Pid());
    EXPECT_EQ(listed, picture);

    // The shell's overview would bring the minimised window up.
    const auto activate = [] { return DesktopAs<GnomeShellSession>().Activate("Quietbell"); };
    ASSERT_TRUE(ChooseFromWindowMenu(desktop, program, activate, "p"));
    std::vector<unsigned long> preferences;
    ASSERT_TRUE(Session::WaitFor(
        [&] { return (preferences = Named(desktop, program, "Preferences")).size() == 1; }));
    ASSERT_TRUE(quietbell::Keys(desktop.Environment(), preferences.front(), {"Escape"}));
    ASSERT_TRUE(
        Session::WaitFor([&] { return Named(desktop, program, "Preferences").empty(); }));

    ASSERT_TRUE(ChooseFromWindowMenu(desktop, program, activate, "e"));
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(quietbell::Stored(desktop.ConfigHome(), "Popup Mirel Index").toInt(), kStoredPosition);
}

INSTANTIATE_TEST_SUITE_P(Desktops, NoTrayTest, testing::Values(kGnomeWithoutTray), NameOf);

// Openbox with no tray at first: the window stays and the program says so once; when a tray
// (tint2) comes, the icon docks there and the window goes, as after an ordinary start.
class LateTrayTest : public TrayDesktopTest {};

TEST_P(LateTrayTest, WindowStaysUntilATrayComesThenTheIconDocksAndTheWindowGoes) {
    DesktopSession& openbox = DesktopAs<DesktopSession>();
    const Session& desktop = openbox;
    PrepareSettings(desktop);
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    std::vector<unsigned long> box;
    ASSERT_TRUE(Session::WaitFor(
        [&] { return !(box = MessageBoxes(desktop, program)).empty(); }, 30s));
    ASSERT_TRUE(quietbell::Keys(desktop.Environment(), box.front(), {"Return"}));
    ASSERT_TRUE(Session::WaitFor([&] { return MessageBoxes(desktop, program).empty(); }));
    const std::vector<unsigned long> listed =
        quietbell::TaskbarEntries(desktop.Environment(), program.Pid());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(quietbell::Iconified(desktop.Environment(), listed.front()));

    const auto start = Clock::now();
    ASSERT_TRUE(openbox.SetPanel(DesktopSession::Panel::Bottom)) << openbox.Error();
    const QRect area = openbox.WorkArea();
    auto docked = [&] {
        for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid())) {
            if (openbox.WindowGeometry(id).top() > area.bottom())
                return true;
        }
        return false;
    };
    ASSERT_TRUE(Session::WaitFor(docked));
    std::printf("[ timing ] openbox: icon docked %.1f s after tint2 started\n",
                SecondsSince(start));
    EXPECT_TRUE(Session::WaitFor(
        [&] { return quietbell::TaskbarEntries(desktop.Environment(), program.Pid()).empty(); }));
    EXPECT_TRUE(MessageBoxes(desktop, program).empty());
    EXPECT_EQ(program.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, LateTrayTest, testing::Values(kOpenboxWithoutTray), NameOf);

}  // namespace
