// The program's tray on the desktops whose tray is not an XEmbed one, or that have none, each
// desktop started once for its cases:
// - the XFCE panel and GNOME Shell with its AppIndicator extension show only what an item
//   exports over D-Bus (StatusNotifierItem and DBusMenu): the item registers with the
//   desktop's watcher, its menu, asked for as the desktop asks, holds today's date greyed and
//   the commands, and Exit chosen there ends the program and saves its position;
// - GNOME Shell without the extension has no tray: the window stays within reach, the program
//   says so once, and Preferences and Exit are reached through the window's own menu.
#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>

#include "DesktopSession.h"
#include "GnomeShellSession.h"
#include "MissingTool.h"
#include "QuietbellProgram.h"
#include "StatusNotifierProbe.h"
#include "XfcePanelSession.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using quietbell::kStoredPosition;
// Today's adjusted date for the program's clock, as the tooltip writes it.
const QString kDate = QStringLiteral("4 Ramadan 1445");

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the tests need of a desktop, whichever class starts it.
struct Desktop {
    ChildProcess::Strings environment;
    QString configHome;
    std::string logFile;
};

ChildProcess StartProgram(const Desktop& desktop, const std::string& fakeTime) {
    return quietbell::Start(desktop.environment, desktop.logFile, fakeTime);
}

void PrepareSettings(const Desktop& desktop) {
    ASSERT_TRUE(QDir(desktop.configHome + "/Brindlewax").removeRecursively());
    quietbell::Store(desktop.configHome, "Popup Mirel Index", kStoredPosition);
}

// The desktop's tray is a StatusNotifierItem host on the bus at busAddress; iconShown, where
// given, tells whether the desktop shows an icon for the item.
void CheckMenuOverDBusAndExitFromIt(const Desktop& desktop, const std::string& busAddress,
                                    const char* desktopName,
                                    const std::function<bool()>& iconShown = {}) {
    StatusNotifierProbe tray(busAddress);
    ASSERT_TRUE(tray.Connected());
    PrepareSettings(desktop);
    const auto start = Clock::now();
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    QString item;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return !(item = tray.ItemOf(program.Pid())).isEmpty(); }, 30s));
    std::printf("[ timing ] %s: item registered %.1f s after the program started\n", desktopName,
                SecondsSince(start));

    if (iconShown) {
        EXPECT_TRUE(DesktopSession::WaitFor(iconShown));
    }
    EXPECT_NE(tray.MenuPath(item), "/NO_DBUSMENU");
    const std::vector<StatusNotifierProbe::MenuEntry> menu = tray.Menu(item);
    EXPECT_EQ(StatusNotifierProbe::Describe(menu),
              (std::vector<QString>{"[" + kDate + "]", "-", "_About Quietbell...",
                                    "_Preferences...", "_Re-Show Mirel Popup", "-", "_Exit"}));

    quietbell::OverwritePosition(desktop.configHome);
    ASSERT_TRUE(program.Running());
    ASSERT_FALSE(menu.empty());
    ASSERT_TRUE(tray.Click(item, menu.back().id));
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(quietbell::Stored(desktop.configHome, "Popup Mirel Index").toInt(), kStoredPosition);
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return !tray.Items().contains(item); }));
}

class XfceTrayTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto start = Clock::now();
        xfce = std::make_unique<XfcePanelSession>();
        started = xfce->Start();
        std::printf("[ timing ] XFCE panel with its tray ready after %.1f s\n",
                    SecondsSince(start));
    }

    static void TearDownTestSuite() { xfce.reset(); }

    void SetUp() override {
        QB_NEEDS_TOOL(quietbell::FakeTimeInstalled(), "faketime");
        ASSERT_TRUE(started) << xfce->Error();
    }

    static Desktop TheDesktop() {
        return {xfce->Desktop().Environment(), xfce->Desktop().Home() + "/.config",
                (xfce->Desktop().Home() + "/quietbell.log").toStdString()};
    }

    static inline std::unique_ptr<XfcePanelSession> xfce;
    static inline bool started = false;
};

TEST_F(XfceTrayTest, ItemExportsTheDateAndCommandsAndExitFromItEndsAndSavesThePosition) {
    CheckMenuOverDBusAndExitFromIt(TheDesktop(), xfce->BusAddress(), "XFCE");
}

// One GNOME Shell for each suite that names whether it has the AppIndicator extension.
template <bool kAppIndicator>
class GnomeTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto start = Clock::now();
        gnome = std::make_unique<GnomeShellSession>(
            GnomeShellSession::Options{.appIndicator = kAppIndicator});
        started = gnome->Start();
        std::printf("[ timing ] GNOME Shell %s the AppIndicator extension ready after %.1f s\n",
                    kAppIndicator ? "with" : "without", SecondsSince(start));
    }

    static void TearDownTestSuite() { gnome.reset(); }

    void SetUp() override {
        QB_NEEDS_TOOL(quietbell::FakeTimeInstalled(), "faketime");
        ASSERT_TRUE(started) << gnome->Error();
    }

    static Desktop TheDesktop() {
        return {gnome->Environment(), gnome->ConfigHome(),
                (gnome->Home() + "/quietbell.log").toStdString()};
    }

    static inline std::unique_ptr<GnomeShellSession> gnome;
    static inline bool started = false;
};

using GnomeTrayTest = GnomeTest<true>;
using GnomeWithoutTrayTest = GnomeTest<false>;

TEST_F(GnomeTrayTest, TopBarShowsTheItemWhoseMenuHasTheDateAndCommandsAndExitSaves) {
    // The extension puts each item it shows in the top bar's status area.
    const auto inTopBar = [] {
        return gnome->Eval(
                   "Object.keys(Main.panel.statusArea)"
                   ".some(k => k.startsWith('appindicator-'))") == QStringLiteral("true");
    };
    CheckMenuOverDBusAndExitFromIt(TheDesktop(), gnome->BusAddress(), "GNOME", inTopBar);
}

// The program's visible windows with the given name.
std::vector<unsigned long> Named(const Desktop& desktop, const ChildProcess& program,
                                 const QString& name) {
    std::vector<unsigned long> named;
    for (unsigned long id : quietbell::Windows(desktop.environment, program.Pid())) {
        if (quietbell::WindowName(desktop.environment, id) == name)
            named.push_back(id);
    }
    return named;
}

// The message boxes the program shows: dialogs that bear its name (the popup does too).
std::vector<unsigned long> MessageBoxes(const Desktop& desktop, const ChildProcess& program) {
    std::vector<unsigned long> boxes;
    for (unsigned long id : Named(desktop, program, "quietbell")) {
        if (quietbell::IsDialog(desktop.environment, id))
            boxes.push_back(id);
    }
    return boxes;
}

// Brings the window up the desktop's way, opens its context menu from the keyboard and takes
// an entry by its mnemonic.
bool ChooseFromWindowMenu(const Desktop& desktop, const ChildProcess& program,
                          const std::function<bool()>& activateWindow,
                          const std::string& mnemonic) {
    const std::vector<unsigned long> before =
        quietbell::Windows(desktop.environment, program.Pid());
    const std::set<unsigned long> known(before.begin(), before.end());
    auto menuShows = [&] {
        for (unsigned long id : quietbell::Windows(desktop.environment, program.Pid())) {
            if (!known.count(id))
                return true;
        }
        return false;
    };
    return activateWindow() &&
           ChildProcess::Run({"xdotool", "key", "Menu"}, desktop.environment).exitCode == 0 &&
           DesktopSession::WaitFor(menuShows) &&
           ChildProcess::Run({"xdotool", "key", mnemonic}, desktop.environment).exitCode == 0;
}

// No tray: the start picture stays as an ordinary window in the task list, the program says
// once that there is no tray, and the window's menu reaches Preferences and Exit.
TEST_F(GnomeWithoutTrayTest, WindowStaysMessageComesOnceAndItsMenuReachesPreferencesAndExit) {
    const Desktop desktop = TheDesktop();
    PrepareSettings(desktop);
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    std::vector<unsigned long> picture;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (picture = Named(desktop, program, "Quietbell")).size() == 1; }, 30s));
    std::vector<unsigned long> box;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return !(box = MessageBoxes(desktop, program)).empty(); }, 30s));
    EXPECT_EQ(box.size(), 1u);

    quietbell::OverwritePosition(desktop.configHome);
    ASSERT_TRUE(quietbell::Keys(desktop.environment, box.front(), {"Return"}));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return MessageBoxes(desktop, program).empty(); }));
    // Once: the ticks that follow bring no second box.
    EXPECT_FALSE(
        DesktopSession::WaitFor([&] { return !MessageBoxes(desktop, program).empty(); }, 3s));

    const std::vector<unsigned long> listed =
        quietbell::TaskbarEntries(desktop.environment, program.Pid());
    EXPECT_EQ(listed, picture);

    // The shell's overview would bring the minimised window up.
    const auto activate = [] { return gnome->Activate("Quietbell"); };
    ASSERT_TRUE(ChooseFromWindowMenu(desktop, program, activate, "p"));
    std::vector<unsigned long> preferences;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return (preferences = Named(desktop, program, "Preferences")).size() == 1; }));
    ASSERT_TRUE(quietbell::Keys(desktop.environment, preferences.front(), {"Escape"}));
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return Named(desktop, program, "Preferences").empty(); }));

    ASSERT_TRUE(ChooseFromWindowMenu(desktop, program, activate, "e"));
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_EQ(quietbell::Stored(desktop.configHome, "Popup Mirel Index").toInt(), kStoredPosition);
}

// Openbox with no tray at first: the window stays and the program says so once; when a tray
// (tint2) comes, the icon docks there and the window goes, as after an ordinary start.
class OpenboxLateTrayTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        DesktopSession::Options options;
        options.trayPanel = false;
        openbox = std::make_unique<DesktopSession>(options);
        started = openbox->Start();
    }

    static void TearDownTestSuite() { openbox.reset(); }

    void SetUp() override {
        QB_NEEDS_TOOL(quietbell::FakeTimeInstalled(), "faketime");
        ASSERT_TRUE(started) << openbox->Error();
    }

    static Desktop TheDesktop() {
        return {openbox->Environment(), openbox->Home() + "/.config",
                (openbox->Home() + "/quietbell.log").toStdString()};
    }

    static inline std::unique_ptr<DesktopSession> openbox;
    static inline bool started = false;
};

TEST_F(OpenboxLateTrayTest, WindowStaysUntilATrayComesThenTheIconDocksAndTheWindowGoes) {
    const Desktop desktop = TheDesktop();
    PrepareSettings(desktop);
    ChildProcess program = StartProgram(desktop, quietbell::kDefaultFakeTime);
    std::vector<unsigned long> box;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] { return !(box = MessageBoxes(desktop, program)).empty(); }, 30s));
    ASSERT_TRUE(quietbell::Keys(desktop.environment, box.front(), {"Return"}));
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return MessageBoxes(desktop, program).empty(); }));
    const std::vector<unsigned long> listed =
        quietbell::TaskbarEntries(desktop.environment, program.Pid());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(quietbell::Iconified(desktop.environment, listed.front()));

    const auto start = Clock::now();
    ASSERT_TRUE(openbox->SetPanel(DesktopSession::Panel::Bottom)) << openbox->Error();
    const QRect area = openbox->WorkArea();
    auto docked = [&] {
        for (unsigned long id : quietbell::Windows(desktop.environment, program.Pid())) {
            if (openbox->WindowGeometry(id).top() > area.bottom())
                return true;
        }
        return false;
    };
    ASSERT_TRUE(DesktopSession::WaitFor(docked));
    std::printf("[ timing ] openbox: icon docked %.1f s after tint2 started\n",
                SecondsSince(start));
    EXPECT_TRUE(DesktopSession::WaitFor(
        [&] { return quietbell::TaskbarEntries(desktop.environment, program.Pid()).empty(); }));
    EXPECT_TRUE(MessageBoxes(desktop, program).empty());
    EXPECT_EQ(program.Stop(), 0);
}

}  // namespace
