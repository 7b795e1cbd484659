// The real program on a Wayland desktop through Xwayland: weston runs full screen in the test
// binary's Xvfb (its x11 backend), so the outer X server's screenshots show what weston
// composites, and clicks on the outer display reach weston as a user's would.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DbusDaemon.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "ScreenPixels.h"
#include "TestMainDesktop.h"
#include "notifier/DisplayTime.h"
#include "script/CodePage1256.h"

namespace {

using namespace std::chrono_literals;

// weston.ini's background: what every pixel shows where no window is.
const QColor kBackground(0x33, 0x66, 0x99);
const QSize kSkin(233, 167);
// Where the phrase goes in the skin.
const QRect kTextRect(30, 30, 173, 107);

class WestonDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        QB_REQUIRE_INSTALLED(!QStandardPaths::findExecutable("weston").isEmpty() &&
                                 !QStandardPaths::findExecutable("Xwayland").isEmpty(),
                             "weston or Xwayland");
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QDir(folder.path()).mkpath("runtime"));
        ASSERT_TRUE(QDir(folder.path()).mkpath("home/.config"));
        QFile::setPermissions(Runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // weston full screen on the test's X server, with or without Xwayland for X clients.
    void StartWeston(bool withXwayland) {
        QFile ini(folder.filePath("weston.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[core]\nxwayland=") + (withXwayland ? "true" : "false") +
                  "\n[shell]\npanel-position=none\nbackground-color=0xff336699\n");
        ini.close();
        weston = ChildProcess::Start(
            {"weston", "--backend=x11-backend.so", "--use-pixman", "--fullscreen", "--width=1280",
             "--height=800", "--socket=wayland-qb",
             "--config=" + folder.filePath("weston.ini").toStdString()},
            Environment(desktop.Display()), LogFile("weston"));
        if (withXwayland) {
            // weston starts Xwayland on the first free display and says which.
            ASSERT_TRUE(DesktopSession::WaitFor(
                [&] { return !(xwayland = XwaylandDisplay()).isEmpty(); }, 20s))
                << "weston did not start Xwayland";
        }
        // weston draws the pointer itself: it goes to a corner, away from the program's windows.
        ASSERT_TRUE(desktop.MoveMouse(QPoint(4, 4)));
        ASSERT_TRUE(DesktopSession::WaitFor(
            [&] { return desktop.Screenshot().pixelColor(640, 300) == kBackground; }));
    }

    QString Runtime() const { return folder.filePath("runtime"); }
    std::string LogFile(const char* name) const {
        return folder.filePath(name).toStdString() + ".log";
    }

    QString XwaylandDisplay() const {
        QFile log(QString::fromStdString(LogFile("weston")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        const QRegularExpressionMatch match =
            QRegularExpression("xserver listening on display (:\\d+)").match(log.readAll());
        return match.hasMatch() ? match.captured(1) : QString();
    }

    // The session's environment with this desktop's display and folders; no platform chosen,
    // so the program picks its own.
    ChildProcess::Strings Environment(const QString& display) const {
        ChildProcess::Strings environment;
        for (const std::string& entry : desktop.Environment()) {
            const std::string name = entry.substr(0, entry.find('='));
            if (name != "DISPLAY" && name != "QT_QPA_PLATFORM" && name != "XDG_RUNTIME_DIR" &&
                name != "HOME" && name != "XDG_CONFIG_HOME")
                environment.push_back(entry);
        }
        environment.push_back("DISPLAY=" + display.toStdString());
        environment.push_back("WAYLAND_DISPLAY=wayland-qb");
        environment.push_back("XDG_RUNTIME_DIR=" + Runtime().toStdString());
        environment.push_back("HOME=" + folder.filePath("home").toStdString());
        environment.push_back("XDG_CONFIG_HOME=" + folder.filePath("home/.config").toStdString());
        return environment;
    }

    ChildProcess::Result OnXwayland(const ChildProcess::Strings& argv) const {
        return ChildProcess::Run(argv, Environment(xwayland));
    }

    // The places of the program's viewable windows on Xwayland.
    std::vector<QRect> Windows(const ChildProcess& program) const {
        const ChildProcess::Result found = OnXwayland(
            {"xdotool", "search", "--onlyvisible", "--pid", std::to_string(program.Pid())});
        std::vector<QRect> windows;
        for (const QString& id :
             QString::fromStdString(found.output).split('\n', Qt::SkipEmptyParts)) {
            const QString info = QString::fromStdString(
                OnXwayland({"xwininfo", "-id", id.trimmed().toStdString()}).output);
            auto field = [&](const char* label) {
                return QRegularExpression(QString(label) + ":\\s+(-?\\d+)")
                    .match(info)
                    .captured(1)
                    .toInt();
            };
            windows.emplace_back(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                                 field("Width"), field("Height"));
        }
        return windows;
    }

    // The popup has the skin's size; the start picture is the program's other window.
    std::optional<QRect> Window(const ChildProcess& program, bool popup) const {
        for (const QRect& window : Windows(program)) {
            if ((window.size() == kSkin) == popup)
                return window;
        }
        return std::nullopt;
    }

    // Pixels of rect (screen coordinates) that are not the bare background.
    int CoveredPixels(const QImage& shot, const QRect& rect) const {
        int covered = 0;
        const QRect inside = rect.intersected(shot.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                covered += shot.pixelColor(x, y) != kBackground;
        return covered;
    }

    int BlackPixels(const QImage& shot, const QRect& rect) const {
        int black = 0;
        const QRect inside = rect.intersected(shot.rect());
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                black += qGray(shot.pixel(x, y)) < 16;
        return black;
    }

    // The skin as the popup draws it on this 1x desktop.
    static QImage Skin() {
        return QImage(qEnvironmentVariable("QB_SOURCE_DIR") + "/res/images/NotifierSkin.bmp")
            .convertToFormat(QImage::Format_RGB32);
    }

    // extra: more "NAME=value" entries; an entry without a value removes the variable.
    ChildProcess StartProgram(const ChildProcess::Strings& extra = {}) const {
        ChildProcess::Strings environment = Environment(xwayland);
        for (const std::string& entry : extra) {
            const std::string name = entry.substr(0, entry.find('=') + 1);
            std::erase_if(environment, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
            if (entry.size() > name.size())
                environment.push_back(entry);
        }
        const QString executable = QCoreApplication::applicationDirPath() + "/quietbell";
        return ChildProcess::Start({executable.toStdString()}, environment, LogFile("quietbell"));
    }

    DesktopSession& desktop = TheDesktop();
    QTemporaryDir folder;
    ChildProcess weston;
    QString xwayland;
};

// weston has no tray, so the start picture stays (minimised, with the no-tray message); the
// start-up phrase's popup goes by itself through the fade, without a black box, and leaves
// nothing where it stood.
TEST_F(WestonDesktopTest, ThePopupFadesWithoutABlackBoxAndLeavesNothing) {
    StartWeston(true);
    ChildProcess program = StartProgram();
    std::optional<QRect> popup;
    // A sanitizer build on a busy machine takes its time to start.
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return (popup = Window(program, true)).has_value(); }, 30s))
        << "the start-up phrase rises";
    // The server has the popup at its full size before weston shows its last paint: until
    // then the slide's last step may show unpainted, black. The black box looked for is the
    // fade's, so the looking starts once the popup stands painted in its place.
    const QImage skin = Skin();
    ASSERT_TRUE(DesktopSession::WaitFor([&] {
        return screenpixels::FrameMatch(desktop.Screenshot().copy(*popup), skin, kTextRect) > 0.97;
    })) << "the popup stands painted";
    int mostBlack = 0;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] {
            const QImage shot = desktop.Screenshot();
            mostBlack = std::max(mostBlack, BlackPixels(shot, *popup));
            return !Window(program, true) && CoveredPixels(shot, *popup) == 0;
        },
        40s))
        << "the popup's place is clear again";
    // The phrase itself is black ink on a white field; a black box would be most of the popup.
    EXPECT_LT(mostBlack, popup->width() * popup->height() / 5);
    EXPECT_TRUE(program.Running());
}

// A session that asks every Qt program for Wayland: the program still runs on Xwayland, where
// its popup can rise at the corner of the work area (the whole screen: weston has no panel).
TEST_F(WestonDesktopTest, TheSessionsWaylandChoiceGivesWayToXwaylandAndThePopupRestsAtTheCorner) {
    StartWeston(true);
    ChildProcess program = StartProgram({"QT_QPA_PLATFORM=wayland"});
    // The shown popup stands up to one pixel above the edge it rose from.
    const auto atTheCorner = [](const QRect& place) {
        return place.right() == 1279 && place.bottom() >= 798 && place.bottom() <= 799;
    };
    std::vector<QRect> seen;
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] {
            const std::optional<QRect> popup = Window(program, true);
            if (popup)
                seen.push_back(*popup);
            return popup && atTheCorner(*popup);
        },
        30s))
        << "the start-up phrase rests at the corner on Xwayland; seen at "
        << testing::PrintToString(seen);
}

// Without Xwayland no window can place itself: each phrase, the start-up phrase and the timed
// reminders, goes to the desktop's notification service, shown for the phrase's display time.
// dbus-monitor on the session's bus reads the calls as the service would get them.
TEST_F(WestonDesktopTest, WithoutXwaylandEachReminderGoesToTheDesktopsNotifications) {
    QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
    StartWeston(false);
    DbusDaemon bus;
    ASSERT_TRUE(bus.Start(folder.filePath("bus").toStdString(), Environment(desktop.Display()),
                          LogFile("dbus")));
    const QString monitorLog = QString::fromStdString(LogFile("dbus-monitor"));
    ChildProcess monitor = ChildProcess::Start(
        {"dbus-monitor", "--address", bus.Address(),
         "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"},
        Environment(desktop.Display()), monitorLog.toStdString());
    // The monitor says which name it has once it listens.
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return QFileInfo(monitorLog).size() > 0; }));

    const QString config = folder.filePath("home/.config");
    quietbell::Store(config, "Popup Mirel Interval", 1);
    quietbell::Store(config, "Popup Mirel Index", quietbell::kStoredPosition);
    ChildProcess::Strings environment = Environment(desktop.Display());
    std::erase_if(environment, [](const std::string& e) { return e.rfind("DISPLAY=", 0) == 0; });
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus.Address());
    ChildProcess program =
        quietbell::Start(environment, LogFile("quietbell"), "2024-03-14 10:09:52");

    const QStringList phrases = quietbell::Phrases();
    ASSERT_GT(phrases.size(), quietbell::kStoredPosition);
    struct Notification {
        QString body;
        int timeout;
    };
    std::vector<Notification> notifications;
    // Each call: app_name, replaces_id, app_icon, summary, body, actions, hints, timeout.
    const auto read = [&] {
        notifications.clear();
        QFile log(monitorLog);
        if (!log.open(QIODevice::ReadOnly))
            return;
        for (const QString& call : QString::fromUtf8(log.readAll()).split("member=Notify").mid(1)) {
            const QRegularExpression string("^\\s*string \"(.*)\"$",
                                            QRegularExpression::MultilineOption);
            QStringList strings;
            for (auto match = string.globalMatch(call); match.hasNext();)
                strings << match.next().captured(1);
            const QRegularExpressionMatch timeout =
                QRegularExpression("^\\s*int32 (-?\\d+)$", QRegularExpression::MultilineOption)
                    .match(call);
            if (strings.size() == 4 && timeout.hasMatch())
                notifications.push_back({strings[3], timeout.captured(1).toInt()});
        }
    };
    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] {
            read();
            return notifications.size() >= 2;
        },
        90s))
        << "Notify calls seen: " << notifications.size();
    const std::pair<QString, const Notification&> expected[] = {
        {phrases[0], notifications[0]}, {phrases[quietbell::kStoredPosition], notifications[1]}};
    for (const auto& [phrase, notification] : expected) {
        EXPECT_EQ(notification.body, phrase);
        const std::string text = script::CodePage1256::FromUtf16(phrase.toStdU16String());
        EXPECT_EQ(notification.timeout, static_cast<int>(notifier::DisplayTimeFor(text)));
    }
    // No window of its own on Wayland: the popup did not show for lack of a service.
    EXPECT_TRUE(program.Running());
}

}  // namespace
