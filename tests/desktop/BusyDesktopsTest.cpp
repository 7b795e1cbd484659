// The do-not-disturb of the desktops that keep it in their own settings, switched as a user
// switches it: XFCE's real xfconfd through xfconf-query, GNOME's show-banners through gsettings.
// A due reminder is held while it is on and shows once it is off again. Each desktop has its
// own session bus; a stand-in screensaver there counts the program's looks, so the test knows
// when the due second has passed without waiting for a moment.
#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

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

// On these desktops the tray is the desktop's own, so every window of the program that shows
// after the start is the popup.
bool Shown(const Session& desktop, const ChildProcess& program) {
    return !quietbell::Windows(desktop.Environment(), program.Pid()).empty();
}

int StoredIndex(const Session& desktop) {
    return quietbell::Stored(desktop.ConfigHome(), kIndexKey).toInt();
}

// busy and free are the tool's command lines that switch do-not-disturb on and off.
void CheckHeldThenShown(const Session& desktop, const std::string& busAddress,
                        const ChildProcess::Strings& busy, const ChildProcess::Strings& free) {
    const std::string folder = desktop.Home().toStdString();
    QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
    BusyStandIn standIn;
    ASSERT_TRUE(standIn.Start(busAddress, desktop.Environment(), folder + "/stand-in.log", false));
    ASSERT_TRUE(QDir(desktop.ConfigHome() + "/Brindlewax").removeRecursively());
    quietbell::Store(desktop.ConfigHome(), kIndexKey, kStoredPosition);
    ASSERT_EQ(desktop.Run(busy).exitCode, 0);

    ChildProcess program =
        quietbell::Start(desktop.Environment(), folder + "/quietbell.log", "2024-03-14 10:09:30");
    ASSERT_TRUE(quietbell::StartupPhraseCameAndWent([&] { return Shown(desktop, program); }));
    // The look at the due second and one more while held.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return standIn.Asked() >= 2; }, 60s));
    EXPECT_FALSE(Shown(desktop, program));
    EXPECT_EQ(StoredIndex(desktop), kStoredPosition);

    ASSERT_EQ(desktop.Run(free).exitCode, 0);
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
    CheckHeldThenShown(xfce, xfce.BusAddress(), XfconfDoNotDisturb("true"),
                       XfconfDoNotDisturb("false"));
}

ChildProcess::Strings GnomeBanners(const char* on) {
    return {"gsettings", "set", "org.gnome.desktop.notifications", "show-banners", on};
}

TEST(BusyDesktops, GnomeBannersOffHoldTheReminderUntilSwitchedOn) {
    GnomeShellSession gnome({.appIndicator = true});
    ASSERT_TRUE(gnome.Start()) << gnome.Error();
    CheckHeldThenShown(gnome, gnome.BusAddress(), GnomeBanners("false"), GnomeBanners("true"));
}

}  // namespace
