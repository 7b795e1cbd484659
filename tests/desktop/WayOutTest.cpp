// The ways a session takes the program down with it: the X server gone at any moment of the
// start, and a logout, where SIGTERM reaches the program while the X server and the session's
// buses end at the same moment. Each run has a desktop of its own, since the run ends it. The
// program must end with a status, never on a signal, and keep its place in the phrase list.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AccessibilityBus.h"
#include "DbusDaemon.h"
#include "DesktopSession.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kPlace = "Popup Mirel Index";
constexpr int kStoredPlace = 7;
// The whole start of the program: a sanitizer build on a busy machine takes its time.
constexpr std::chrono::seconds kStartDeadline(30);
// What another writer leaves in the file while the program runs; the end of the run must put
// the program's own place back over it.
constexpr int kOtherWritersPlace = 99;

class WayOutTest : public testing::Test {
protected:
    void SetUp() override { QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime"); }

    // A fresh desktop with the place stored.
    void StartDesktop() {
        desktop = std::make_unique<DesktopSession>();
        ASSERT_TRUE(desktop->Start()) << desktop->Error();
        Store(kStoredPlace);
    }

    ChildProcess StartProgram(const std::string& fakeTime,
                              const ChildProcess::Strings& extra = {}) const {
        ChildProcess::Strings environment = desktop->Environment();
        environment.insert(environment.end(), extra.begin(), extra.end());
        return quietbell::Start(environment, (desktop->Home() + "/quietbell.log").toStdString(),
                                fakeTime);
    }

    QVariant Stored() const { return quietbell::Stored(desktop->Home() + "/.config", kPlace); }
    void Store(int place) const { quietbell::Store(desktop->Home() + "/.config", kPlace, place); }

    // The program ended by itself with a status; a signal or a hang fails.
    static void ExpectEndedWithAStatus(ChildProcess& program) {
        ASSERT_TRUE(program.WaitForExit(15s)) << "still running after its display went";
        EXPECT_GE(program.ExitCode(), 0) << "ended by a signal";
    }

    std::unique_ptr<DesktopSession> desktop;
};

// The display goes while the program starts: before its first window, and at moments over the
// two seconds of its start picture, while the icon docks and the start-up phrase rises (a
// session that ends right after login). The start-up phrase does not move the place.
TEST_F(WayOutTest, DisplayLostAtAnyMomentOfTheStartEndsWithAStatusAndKeepsThePlace) {
    struct Moment {
        bool afterThePicture;  // counted from the start picture on the screen, else the start
        std::chrono::milliseconds delay;
    };
    // Before the picture: while Qt opens the display, and while the program reads its files.
    std::vector<Moment> moments;
    for (auto delay = 0ms; delay <= 200ms; delay += 40ms)
        moments.push_back({false, delay});
    for (auto delay = 0ms; delay <= 2100ms; delay += 150ms)
        moments.push_back({true, delay});
    for (const Moment& moment : moments) {
        SCOPED_TRACE(testing::Message() << "display lost " << moment.delay.count() << " ms after "
                                        << (moment.afterThePicture ? "the picture" : "the start"));
        StartDesktop();
        ChildProcess program = StartProgram(quietbell::kDefaultFakeTime);
        if (moment.afterThePicture) {
            ASSERT_TRUE(DesktopSession::WaitFor(
                [&] { return !desktop->FindWindows("^Quietbell$").empty(); }, kStartDeadline));
        }
        std::this_thread::sleep_for(moment.delay);
        desktop->KillServer();
        ExpectEndedWithAStatus(program);
        EXPECT_EQ(Stored(), QVariant(kStoredPlace));
    }
}

// A logout after a reminder moved the place on: SIGTERM, the X server and the session's buses
// all end at once, with and without the accessibility bus that a screen reader brings.
TEST_F(WayOutTest, LogoutWhileTheDisplayAndBusesGoEndsWithAStatusAndSavesThePlace) {
    for (const bool screenReader : {false, true}) {
        for (int run = 0; run < 4; ++run) {
            SCOPED_TRACE(testing::Message() << (screenReader ? "with" : "without")
                                            << " the accessibility bus, run " << run);
            StartDesktop();
            DbusDaemon bus;
            ASSERT_TRUE(bus.Start((desktop->Home() + "/bus").toStdString(), desktop->Environment(),
                                  (desktop->Home() + "/dbus.log").toStdString()));
            AccessibilityBus accessibility;
            ChildProcess::Strings extra = {"DBUS_SESSION_BUS_ADDRESS=" + bus.Address()};
            if (screenReader) {
                ASSERT_TRUE(accessibility.Start(*desktop, bus.Address()));
                extra.push_back("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1");
            }
            // A reminder every minute: the first one a few seconds after the start, or the
            // next if a slow start missed it.
            quietbell::Store(desktop->Home() + "/.config", "Popup Mirel Interval", 1);
            ChildProcess program = StartProgram("2024-03-14 10:09:52", extra);
            ASSERT_TRUE(DesktopSession::WaitFor(
                [&] { return Stored() == QVariant(kStoredPlace + 1); }, 75s));
            if (screenReader) {
                ASSERT_TRUE(
                    DesktopSession::WaitFor([&] { return accessibility.HasApplication(); }));
            }
            Store(kOtherWritersPlace);

            kill(program.Pid(), SIGTERM);
            desktop->KillServer();
            accessibility.Kill();
            bus.Stop();
            ExpectEndedWithAStatus(program);
            EXPECT_EQ(Stored(), QVariant(kStoredPlace + 1));
        }
    }
}

}  // namespace
