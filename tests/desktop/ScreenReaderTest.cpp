// What a screen reader hears of the program, read out of process as Orca reads it: the
// session's bus carries the accessibility bus (at-spi-bus-launcher) with the screen reader
// switched on, and a listener in Debian's own python3 with gi.repository.Atspi writes down
// every event of the program with what it names, the focus of the moment and the trees of
// the windows that show.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "AccessibilityBus.h"
#include "DbusDaemon.h"
#include "DesktopSession.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kPython = "/usr/bin/python3";
constexpr int kIconSize = 24;

bool AtspiInstalled() {
    return ChildProcess::Run({kPython, "-c",
                              "import gi; gi.require_version('Atspi', '2.0'); "
                              "from gi.repository import Atspi"},
                             ChildProcess::CurrentEnvironmentWith({}))
                   .exitCode == 0 &&
           QFile::exists("/usr/libexec/at-spi-bus-launcher");
}

class ScreenReaderTest : public testing::Test {
protected:
    void SetUp() override {
        QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
        QB_REQUIRE_INSTALLED(AtspiInstalled(), "at-spi2-core with python3-gi and gir1.2-atspi-2.0");
        ASSERT_TRUE(desktop.Start()) << desktop.Error();
        ASSERT_TRUE(bus.Start((desktop.Home() + "/bus").toStdString(), desktop.Environment(),
                              (desktop.Home() + "/dbus.log").toStdString()));
        ASSERT_TRUE(accessibility.Start(desktop, bus.Address()));
        ASSERT_TRUE(accessibility.TurnScreenReaderOn());
        listener = ChildProcess::Start({kPython,
                                        qEnvironmentVariable("QB_SOURCE_DIR").toStdString() +
                                            "/tests/desktop/ScreenReaderListener.py",
                                        "quietbell"},
                                       accessibility.Environment(), ListenerLog().toStdString());
        ASSERT_TRUE(DesktopSession::WaitFor([&] { return !Heard("listening").empty(); }))
            << "the listener did not start";
    }

    QString ListenerLog() const { return desktop.Home() + "/listener.log"; }

    // Every record the listener wrote that holds the key.
    std::vector<QJsonObject> Heard(const QString& key) const {
        std::vector<QJsonObject> records;
        QFile log(ListenerLog());
        if (!log.open(QIODevice::ReadOnly))
            return records;
        for (const QByteArray& line : log.readAll().split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            if (record.contains(key))
                records.push_back(record);
        }
        return records;
    }

    // The events of the program so far, from the given one on.
    std::vector<QJsonObject> Events(std::size_t from = 0) const {
        std::vector<QJsonObject> events = Heard("event");
        events.erase(events.begin(), events.begin() + std::min(from, events.size()));
        return events;
    }

    // The index of the first event from `from` on that the predicate accepts.
    std::optional<std::size_t> WaitForEvent(const std::function<bool(const QJsonObject&)>& accepts,
                                            std::size_t from = 0,
                                            std::chrono::milliseconds deadline = 30s) const {
        std::optional<std::size_t> found;
        DesktopSession::WaitFor(
            [&] {
                const std::vector<QJsonObject> events = Heard("event");
                for (std::size_t i = from; i < events.size(); ++i) {
                    if (accepts(events[i])) {
                        found = i;
                        return true;
                    }
                }
                return false;
            },
            deadline);
        return found;
    }

    static bool IsShown(const QJsonObject& event, const QString& role) {
        return event["event"].toString().startsWith("object:state-changed:showing") &&
               event["detail"].toInt() == 1 && event["role"].toString() == role;
    }

    static bool IsFocus(const QJsonObject& event) {
        return event["event"].toString().startsWith("object:state-changed:focused") &&
               event["detail"].toInt() == 1;
    }

    // The tree of the first window of that role and name that the listener read.
    std::optional<QJsonArray> TreeOf(const QString& role, const QString& name) const {
        std::optional<QJsonArray> tree;
        DesktopSession::WaitFor([&] {
            for (const QJsonObject& event : Heard("tree")) {
                if (event["role"].toString() == role && event["name"].toString() == name)
                    tree = event["tree"].toArray();
            }
            return tree.has_value();
        });
        return tree;
    }

    ChildProcess StartProgram() const {
        ChildProcess::Strings environment = accessibility.Environment();
        return quietbell::Start(environment, (desktop.Home() + "/quietbell.log").toStdString(),
                                "2024-03-14 10:09:20");
    }

    std::optional<unsigned long> TrayIcon(const ChildProcess& program) const {
        for (unsigned long id : quietbell::Windows(desktop.Environment(), program.Pid())) {
            const QRect place = desktop.WindowGeometry(id);
            if (place.size() == QSize(kIconSize, kIconSize) &&
                place.top() > desktop.WorkArea().bottom())
                return id;
        }
        return std::nullopt;
    }

    bool ClickIcon(const ChildProcess& program, int button, int clicks) const {
        std::optional<unsigned long> icon;
        return DesktopSession::WaitFor([&] { return (icon = TrayIcon(program)).has_value(); },
                                       30s) &&
               desktop.Run({"xdotool", "mousemove", "--sync", "--window", std::to_string(*icon),
                            "12", "12", "click", "--repeat", std::to_string(clicks), "--delay",
                            "80", std::to_string(button)})
                       .exitCode == 0;
    }

    DesktopSession desktop;
    DbusDaemon bus;
    AccessibilityBus accessibility;
    ChildProcess listener;
};

// Names a screen reader reads: every control a user reaches has one, no picture is read out
// as the placeholder text it was built with.
void ExpectNamed(const QJsonArray& tree, const char* window) {
    for (const QJsonValue& value : tree) {
        const QJsonObject node = value.toObject();
        const QString role = node["role"].toString();
        const QString name = node["name"].toString();
        if (role == "push button" || role == "check box" || role == "text" || role == "combo box" ||
            role == "image" || role == "label") {
            EXPECT_FALSE(name.trimmed().isEmpty()) << window << ": a " << role.toStdString();
        }
        EXPECT_NE(name, "Static") << window;
        EXPECT_NE(name, "Image") << window;
    }
}

// The popup reaches the screen reader as a notification named with the phrase, announced as it
// shows, while the focus stays where the user has it; the start picture, Preferences and About
// read with names and labels.
TEST_F(ScreenReaderTest, ThePopupIsANamedNotificationThatLeavesTheFocusAlone) {
    const QStringList phrases = quietbell::Phrases();
    ASSERT_GT(phrases.size(), 8);
    quietbell::Store(desktop.Home() + "/.config", "Popup Mirel Interval", 1);
    quietbell::Store(desktop.Home() + "/.config", "Popup Mirel Index", 7);
    ChildProcess program = StartProgram();

    const std::optional<std::size_t> startup =
        WaitForEvent([](const QJsonObject& e) { return IsShown(e, "notification"); });
    ASSERT_TRUE(startup.has_value()) << "no notification showed";
    EXPECT_EQ(Events()[*startup]["name"].toString().toStdString(), phrases[0].toStdString());

    const std::optional<QJsonArray> picture = TreeOf("dialog", "Quietbell");
    ASSERT_TRUE(picture.has_value()) << "the start picture was not read";
    ExpectNamed(*picture, "start picture");

    // The user works in Preferences, the focus on its first control, when a reminder comes.
    ASSERT_TRUE(ClickIcon(program, 1, 2));
    const std::optional<std::size_t> focus = WaitForEvent(IsFocus, *startup);
    ASSERT_TRUE(focus.has_value()) << "Preferences took no focus";
    const QJsonObject focused = Events()[*focus];
    EXPECT_EQ(focused["role"].toString(), "check box");
    EXPECT_EQ(focused["name"].toString(), "Enable");
    // The keys go to Preferences once the X server says so, which may come after Qt's focus.
    unsigned long focusedWindow = 0;
    ASSERT_TRUE(DesktopSession::WaitFor([&] {
        const std::vector<unsigned long> found = desktop.FindWindows("^Preferences$");
        focusedWindow = desktop.FocusedWindow();
        return found.size() == 1 && focusedWindow == found.front();
    })) << "the X server's focus stayed on " << focusedWindow;

    // The double click's first press shows the last phrase again; then comes the reminder.
    const std::optional<std::size_t> reminder = WaitForEvent(
        [&](const QJsonObject& e) {
            return IsShown(e, "notification") && e["name"].toString() == phrases[7];
        },
        *focus + 1, 90s);
    ASSERT_TRUE(reminder.has_value()) << "no reminder showed with the next phrase";
    const QJsonObject shown = Events()[*reminder];
    const QJsonArray focusedNow = shown["focusedNow"].toArray();
    ASSERT_EQ(focusedNow.size(), 1) << QJsonDocument(focusedNow).toJson().toStdString();
    EXPECT_EQ(focusedNow[0].toObject()["name"].toString(), "Enable");
    // Gone again, with no focus moved on the way, for the screen reader or the X server.
    ASSERT_TRUE(WaitForEvent(
        [](const QJsonObject& e) {
            return e["role"].toString() == "notification" && e["detail"].toInt() == 0;
        },
        *reminder + 1));
    for (const QJsonObject& event : Events(*reminder))
        EXPECT_FALSE(IsFocus(event)) << event["role"].toString().toStdString() << " took the focus";
    EXPECT_EQ(desktop.FocusedWindow(), focusedWindow);

    const std::optional<QJsonArray> preferences = TreeOf("dialog", "Preferences");
    ASSERT_TRUE(preferences.has_value()) << "Preferences was not read";
    ExpectNamed(*preferences, "Preferences");

    // About from the tray menu, once Preferences is closed. Escape is typed as a user types it,
    // to the focused window: one sent to the window would lose its release to the closed window.
    ASSERT_EQ(desktop.Run({"xdotool", "key", "Escape"}).exitCode, 0);
    ASSERT_TRUE(
        DesktopSession::WaitFor([&] { return desktop.FindWindows("^Preferences$").empty(); }));
    ASSERT_TRUE(ClickIcon(program, 3, 1));
    ASSERT_TRUE(DesktopSession::WaitFor([&] {
        return desktop.Run({"xdotool", "key", "a"}).exitCode == 0 &&
               !desktop.FindWindows("^About Quietbell$").empty();
    }));
    const std::optional<QJsonArray> about = TreeOf("dialog", "About Quietbell");
    ASSERT_TRUE(about.has_value()) << "About was not read";
    ExpectNamed(*about, "About");
    // The addresses are read with their captions.
    std::map<QString, QString> captions;
    for (const QJsonValue& node : *about) {
        const QJsonArray labels = node.toObject()["labelledBy"].toArray();
        if (!labels.isEmpty())
            captions[node.toObject()["name"].toString()] = labels[0].toString();
    }
    EXPECT_EQ(captions["https://quietbell.example.org/"], "Web site:");
    EXPECT_EQ(captions["support@quietbell.example.org"], "Support:");
}

}  // namespace
