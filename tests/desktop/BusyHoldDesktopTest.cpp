// A reminder that falls due while the user is busy, read from outside on the test binary's
// desktop of two monitors (Xvfb, openbox, tint2) with a session bus of its own: a real
// full-screen window (a GTK one, which openbox makes full screen on the monitor it lies on) or
// the desktop services' busy states, stood in for on the bus. A busy state is set before the
// program starts; the stand-in's count of the program's looks tells when the
// due second has passed, so that nothing waits for a moment.
#include <QDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "BusyStandIn.h"
#include "DbusDaemon.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "TestMainDesktop.h"

namespace {

using namespace std::chrono_literals;

// The reminder of 10:10:00 falls due half a minute after the start.
constexpr const char* kBeforeTheReminder = "2024-03-14 10:09:30";
constexpr const char* kHoldKey = "Hold While Busy";
constexpr const char* kIndexKey = "Popup Mirel Index";
using quietbell::kStoredPosition;

// A GTK window in a process of its own, which the window manager makes full screen on the
// monitor it lies on.
class FullScreenWindow {
public:
    explicit FullScreenWindow(int monitor) {
        const QPoint at = TheDesktop().Monitors().at(monitor).topLeft() + QPoint(40, 40);
        process = TheDesktop().StartProgram({"/usr/bin/python3",
                                             qEnvironmentVariable("QB_SOURCE_DIR").toStdString() +
                                                 "/tests/support/full-screen-window.py",
                                             std::to_string(at.x()), std::to_string(at.y())});
        DesktopSession::WaitFor([&] {
            const std::vector<unsigned long> found = TheDesktop().FindWindows("^Full screen$");
            id = found.size() == 1 ? found.front() : 0;
            return id != 0;
        });
    }

    unsigned long Id() const { return id; }
    void Close() { process.Stop(); }

private:
    ChildProcess process;
    unsigned long id = 0;
};

std::string Property(unsigned long window, const char* property) {
    return TheDesktop().Run({"xprop", "-id", std::to_string(window), property}).output;
}

bool Has(unsigned long window, const char* property, const char* value) {
    return Property(window, property).find(value) != std::string::npos;
}

class BusyHoldDesktopTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        DesktopSession& desktop = TheDesktop();
        const std::string folder = desktop.Home().toStdString();
        busStarted = bus.Start(folder + "/bus", desktop.Environment(), folder + "/dbus.log");
        if (!busStarted)
            return;
        desktop.AddEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.Address());
        standIn = std::make_unique<BusyStandIn>();
        standInStarted =
            standIn->Start(bus.Address(), desktop.Environment(), folder + "/stand-in.log", true);
    }

    static void TearDownTestSuite() {
        standIn.reset();
        bus.Stop();
    }

    void SetUp() override {
        QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
        ASSERT_TRUE(busStarted);
        ASSERT_TRUE(standInStarted);
        ASSERT_TRUE(standIn->Set("active", false));
        ASSERT_TRUE(standIn->Set("inhibited", false));
        ASSERT_TRUE(standIn->Set("slow", false));
        ASSERT_TRUE(QDir(desktop.Home() + "/.config/Brindlewax").removeRecursively());
        Store(kIndexKey, kStoredPosition);
    }

    ChildProcess StartProgram() const {
        return quietbell::Start(desktop.Environment(),
                                (desktop.Home() + "/quietbell.log").toStdString(),
                                kBeforeTheReminder);
    }

    // The popup grows out of the tray monitor's work area, at its bottom-right corner.
    bool AtTheCorner(const QRect& rect) const {
        const QRect area = desktop.TrayMonitorWorkArea();
        return rect.right() == area.right() && area.bottom() - rect.bottom() <= 1;
    }

    bool PopupShown(const ChildProcess& program) const {
        for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid())) {
            if (AtTheCorner(desktop.WindowGeometry(id)))
                return true;
        }
        return false;
    }

    bool StartupPhraseGone(const ChildProcess& program) const {
        return quietbell::StartupPhraseCameAndWent([&] { return PopupShown(program); });
    }

    // The program looked at the due second and at least once more while it held.
    bool LookedTwiceSince(int before) const {
        return DesktopSession::WaitFor([&] { return standIn->Asked() >= before + 2; }, 60s);
    }

    int StoredIndex() const {
        return quietbell::Stored(desktop.Home() + "/.config", kIndexKey).toInt();
    }

    void Store(const char* key, int value) const {
        quietbell::Store(desktop.Home() + "/.config", key, value);
    }

    // Held through the due second and after: nothing at the corner, the place unmoved; then
    // free again: the held reminder shows and the place moves by one.
    void CheckHeldThenShown(const std::function<void()>& release) const {
        const int askedBefore = standIn->Asked();
        ChildProcess program = StartProgram();
        ASSERT_TRUE(StartupPhraseGone(program));
        MappedWindows mapped(desktop.Display());
        ASSERT_TRUE(LookedTwiceSince(askedBefore));
        for (const QRect& place : mapped.Places())
            EXPECT_FALSE(AtTheCorner(place)) << "a popup was mapped while the user was busy";
        EXPECT_EQ(StoredIndex(), kStoredPosition);
        release();
        EXPECT_TRUE(DesktopSession::WaitFor([&] { return PopupShown(program); }));
        EXPECT_TRUE(DesktopSession::WaitFor([&] { return StoredIndex() == kStoredPosition + 1; }));
        EXPECT_EQ(program.Stop(), 0);
    }

    // Not busy after all: the reminder shows at the clock. The window is put in its state once
    // the start is over, right before the due second it must hold through.
    void CheckShownAtTheClock(const std::function<void()>& setUpWindow) const {
        ChildProcess program = StartProgram();
        ASSERT_TRUE(StartupPhraseGone(program));
        setUpWindow();
        EXPECT_TRUE(DesktopSession::WaitFor([&] { return PopupShown(program); }, 60s));
        EXPECT_TRUE(DesktopSession::WaitFor([&] { return StoredIndex() == kStoredPosition + 1; }));
        EXPECT_EQ(program.Stop(), 0);
    }

    // A full-screen window on the monitor, as the X server reports it.
    std::unique_ptr<FullScreenWindow> FullScreenOn(int monitor) const {
        auto window = std::make_unique<FullScreenWindow>(monitor);
        const QRect expected = desktop.Monitors().at(monitor);
        const bool ready =
            window->Id() != 0 && DesktopSession::WaitFor([&] {
                return Has(window->Id(), "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN") &&
                       desktop.WindowGeometry(window->Id()) == expected;
            });
        EXPECT_TRUE(ready) << "no full-screen window on monitor " << monitor;
        return ready ? std::move(window) : nullptr;
    }

    DesktopSession& desktop = TheDesktop();
    static inline DbusDaemon bus;
    static inline bool busStarted = false;
    static inline std::unique_ptr<BusyStandIn> standIn;
    static inline bool standInStarted = false;
};

class FullScreenHoldTest : public BusyHoldDesktopTest, public testing::WithParamInterface<int> {};

// A presentation is often on the second monitor.
TEST_P(FullScreenHoldTest, HoldsWhileAFullScreenWindowIsOnAnyMonitorAndShowsWhenItCloses) {
    ASSERT_EQ(desktop.Monitors().size(), 2u);
    std::unique_ptr<FullScreenWindow> window = FullScreenOn(GetParam());
    ASSERT_TRUE(window);
    CheckHeldThenShown([&] { window->Close(); });
}

INSTANTIATE_TEST_SUITE_P(Monitors, FullScreenHoldTest, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? "Primary" : "Second";
                         });

// KDE's do-not-disturb and a running screensaver, from the stand-in services; a screensaver
// that answers slowly, as on a loaded desktop, still holds the reminder.
struct ServiceHold {
    const char* name;
    const char* state;
    bool slow;
};

void PrintTo(const ServiceHold& hold, std::ostream* out) {
    *out << hold.name;
}

class ServiceHoldTest : public BusyHoldDesktopTest, public testing::WithParamInterface<ServiceHold> {
};

TEST_P(ServiceHoldTest, HoldsWhileTheServiceSaysBusyAndShowsWhenItStops) {
    ASSERT_TRUE(standIn->Set("slow", GetParam().slow));
    ASSERT_TRUE(standIn->Set(GetParam().state, true));
    CheckHeldThenShown([&] { EXPECT_TRUE(standIn->Set(GetParam().state, false)); });
}

INSTANTIATE_TEST_SUITE_P(States, ServiceHoldTest,
                         testing::Values(ServiceHold{"NotificationsInhibited", "inhibited", false},
                                         ServiceHold{"ScreenSaverActive", "active", false},
                                         ServiceHold{"ScreenSaverAnsweringSlowly", "active", true}),
                         [](const testing::TestParamInfo<ServiceHold>& info) {
                             return info.param.name;
                         });

TEST_F(BusyHoldDesktopTest, AFullScreenWindowOnAnotherDesktopHoldsNothing) {
    std::unique_ptr<FullScreenWindow> window;
    CheckShownAtTheClock([&] {
        window = FullScreenOn(0);
        ASSERT_TRUE(window);
        ASSERT_EQ(
            desktop.Run({"xdotool", "set_desktop_for_window", std::to_string(window->Id()), "1"})
                .exitCode,
            0);
        ASSERT_TRUE(DesktopSession::WaitFor([&] {
            return Property(window->Id(), "_NET_WM_DESKTOP").find("= 1") != std::string::npos;
        }));
    });
    EXPECT_TRUE(Has(window->Id(), "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN"));
}

TEST_F(BusyHoldDesktopTest, AMinimisedFullScreenWindowHoldsNothing) {
    std::unique_ptr<FullScreenWindow> window;
    CheckShownAtTheClock([&] {
        window = FullScreenOn(0);
        ASSERT_TRUE(window);
        ASSERT_EQ(desktop.Run({"xdotool", "windowminimize", std::to_string(window->Id())}).exitCode,
                  0);
        ASSERT_TRUE(DesktopSession::WaitFor(
            [&] { return Has(window->Id(), "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN"); }));
    });
    EXPECT_TRUE(Has(window->Id(), "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN"));
}

// The choice in Preferences, switched off: the popup shows over the full-screen window.
TEST_F(BusyHoldDesktopTest, WithTheHoldSwitchedOffTheReminderShowsOverTheFullScreenWindow) {
    Store(kHoldKey, 0);
    std::unique_ptr<FullScreenWindow> window = FullScreenOn(0);
    ASSERT_TRUE(window);
    CheckShownAtTheClock([] {});
    EXPECT_TRUE(Has(window->Id(), "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN"));
}

}  // namespace
