// The do-not-disturb of the desktops that keep it in their own settings, switched as a user
// switches it: XFCE's real xfconfd through xfconf-query, GNOME's show-banners through gsettings.
// A due reminder is held while it is on and shows once it is off again. Each desktop has its
// own session bus; a stand-in screensaver there counts the program's looks, so the test knows
// when the due second has passed without waiting for a moment.
#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>

#include "BusyStandIn.h"
#include "DesktopSession.h"
#include "GnomeShellSession.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "XfcePanelSession.h"

namespace {

using namespace std::chrono_literals;
using quietbell::kStoredPosition;

constexpr const char* kIndexKey = "Popup Mirel Index";

// What the check needs of a desktop, whichever class starts it.
struct Desktop {
    ChildProcess::Strings environment;
    QString configHome;
    std::string folder;
    std::string busAddress;
    // Runs a settings tool under the desktop.
    std::function<int(const ChildProcess::Strings&)> run;
};

// Both kinds of session keep their own bus.
template <class Kind>
Desktop DesktopOf(const Kind& session) {
    return {session.Environment(), session.ConfigHome(), session.Home().toStdString(),
            session.BusAddress(),
            [&session](const ChildProcess::Strings& argv) { return session.Run(argv).exitCode; }};
}

// On these desktops the tray is the desktop's own, so every window of the program that shows
// after the start is the popup.
bool Shown(const Desktop& desktop, const ChildProcess& program) {
    return !quietbell::Windows(desktop.environment, program.Pid()).empty();
}

bool StartupPhraseGone(const Desktop& desktop, const ChildProcess& program) {
    if (!DesktopSession::WaitFor([&] { return Shown(desktop, program); }, 30s))
        return false;
    return DesktopSession::WaitForGone([&] { return Shown(desktop, program); }, 30s);
}

int StoredIndex(const Desktop& desktop) {
    return quietbell::Stored(desktop.configHome, kIndexKey).toInt();
}

// busy and free are the tool's command lines that switch do-not-disturb on and off.
void CheckHeldThenShown(const Desktop& desktop, const ChildProcess::Strings& busy,
                        const ChildProcess::Strings& free) {
    QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
    BusyStandIn standIn;
    ASSERT_TRUE(standIn.Start(desktop.busAddress, desktop.environment,
                              desktop.folder + "/stand-in.log", false));
    ASSERT_TRUE(QDir(desktop.configHome + "/Brindlewax").removeRecursively());
    quietbell::Store(desktop.configHome, kIndexKey, kStoredPosition);
    ASSERT_EQ(desktop.run(busy), 0);

    ChildProcess program = quietbell::Start(desktop.environment, desktop.folder + "/quietbell.log",
                                            "2024-03-14 10:09:30");
    ASSERT_TRUE(StartupPhraseGone(desktop, program));
    // The look at the due second and one more while held.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return standIn.Asked() >= 2; }, 60s));
    EXPECT_FALSE(Shown(desktop, program));
    EXPECT_EQ(StoredIndex(desktop), kStoredPosition);

    ASSERT_EQ(desktop.run(free), 0);
    EXPECT_TRUE(DesktopSession::WaitFor([&] { return Shown(desktop, program); }));
    EXPECT_TRUE(
        DesktopSession::WaitFor([&] { return StoredIndex(desktop) == kStoredPosition + 1; }));
    EXPECT_EQ(program.Stop(), 0);
}

ChildProcess::Strings XfconfDoNotDisturb(const char* on) {
    return {"xfconf-query", "-c", "xfce4-notifyd", "-p", "/do-not-disturb",
            "-n",           "-t", "bool",          "-s", on};
}

TEST(BusyDesktops, XfceDoNotDisturbHoldsTheReminderUntilSwitchedOff) {
    XfcePanelSession xfce;
    ASSERT_TRUE(xfce.Start()) << xfce.Error();
    CheckHeldThenShown(DesktopOf(xfce), XfconfDoNotDisturb("true"), XfconfDoNotDisturb("false"));
}

ChildProcess::Strings GnomeBanners(const char* on) {
    return {"gsettings", "set", "org.gnome.desktop.notifications", "show-banners", on};
}

TEST(BusyDesktops, GnomeBannersOffHoldTheReminderUntilSwitchedOn) {
    GnomeShellSession gnome({.appIndicator = true});
    ASSERT_TRUE(gnome.Start()) << gnome.Error();
    CheckHeldThenShown(DesktopOf(gnome), GnomeBanners("false"), GnomeBanners("true"));
}

}  // namespace
