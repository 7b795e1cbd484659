#include "platform/DisplayPlatform.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

using platform::DisplayChoice;
using platform::DisplayFacts;
using platform::PlatformVariable;

struct ChoiceCase {
    const char* name;
    DisplayFacts facts;
    DisplayChoice expected;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr auto kUnset = PlatformVariable::Unset;
constexpr auto kWayland = PlatformVariable::Wayland;
constexpr auto kOther = PlatformVariable::Other;

// Fields: platformArgument, variable, x11Reachable, waylandReachable, waylandPlugin.
const ChoiceCase kChoices[] = {
    {"ArgumentStands", {true, kUnset, false, false, false}, DisplayChoice::AsChosen},
    {"ArgumentStandsOverTheSessionsWayland",
     {true, kWayland, true, true, true},
     DisplayChoice::AsChosen},
    {"OtherPlatformVariableStands", {false, kOther, true, true, true}, DisplayChoice::AsChosen},
    {"SessionsWaylandGivesWayToXwayland", {false, kWayland, true, true, true}, DisplayChoice::Xcb},
    {"SessionsWaylandWithoutX", {false, kWayland, false, true, true}, DisplayChoice::Wayland},
    {"SessionsWaylandWithoutPlugin", {false, kWayland, false, true, false}, DisplayChoice::None},
    {"X11Alone", {false, kUnset, true, false, false}, DisplayChoice::Xcb},
    {"XwaylandBeforeNativeWayland", {false, kUnset, true, true, true}, DisplayChoice::Xcb},
    {"WaylandWithPlugin", {false, kUnset, false, true, true}, DisplayChoice::Wayland},
    {"WaylandWithoutPlugin", {false, kUnset, false, true, false}, DisplayChoice::None},
    {"PluginButNoCompositor", {false, kUnset, false, false, true}, DisplayChoice::None},
    {"Nothing", {false, kUnset, false, false, false}, DisplayChoice::None},
};

class DisplayChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(DisplayChoiceTest, FollowsWhatTheDesktopOffers) {
    EXPECT_EQ(platform::ChooseDisplayPlatform(GetParam().facts), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Desktops, DisplayChoiceTest, testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformVariable, TheFirstOfQtsFallbacksCounts) {
    const std::pair<const char*, PlatformVariable> cases[] = {
        {"", kUnset},
        {" ", kUnset},
        {"wayland", kWayland},
        {"wayland-egl", kWayland},
        {"wayland;xcb", kWayland},
        {"xcb;wayland", kOther},
        {"xcb", kOther},
        {"offscreen", kOther},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(platform::ReadPlatformVariable(QString::fromLatin1(value)), expected) << value;
}

TEST(PlatformArgument, OnlyQtsOptionWithANameAfterIt) {
    struct Case {
        std::vector<const char*> argv;
        bool expected;
    };
    const Case cases[] = {
        {{"quietbell"}, false},
        {{"quietbell", "-platform", "wayland"}, true},
        {{"quietbell", "--platform", "xcb"}, true},
        {{"quietbell", "-platform"}, false},
        {{"quietbell", "-platformpluginpath", "/tmp"}, false},
        {{"-platform", "quietbell"}, false},
        {{"quietbell", "wayland", "-platform", "xcb"}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::HasPlatformArgument(static_cast<int>(c.argv.size()), c.argv.data()),
                  c.expected)
            << testing::PrintToString(c.argv);
    }
}

// A listening socket where a compositor would have its own.
class FakeWaylandSocket {
public:
    explicit FakeWaylandSocket(const QString& path) : fd(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, qPrintable(path), sizeof(address.sun_path) - 1);
        listening = fd >= 0 &&
                    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    listen(fd, 1) == 0;
    }
    ~FakeWaylandSocket() {
        if (fd >= 0)
            close(fd);
    }
    bool listening = false;

private:
    int fd;
};

struct ProgramRun {
    QProcess::ExitStatus status;
    int exitCode;
    QString errors;
};

ProgramRun StartProgram(const QStringList& setting) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    for (const QString& entry : setting)
        environment.insert(entry.section('=', 0, 0), entry.section('=', 1));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationDirPath() + "/quietbell", {});
    EXPECT_TRUE(program.waitForFinished(30000));
    return {program.exitStatus(), program.exitCode(),
            QString::fromLocal8Bit(program.readAllStandardError())};
}

// Qt itself would abort with a message of its own; the program says what it needs and ends.
TEST(DisplayPlatformProgram, WithoutAnyDisplayItSaysWhatItNeedsAndEndsWithAnError) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QString runtimeDir = "XDG_RUNTIME_DIR=" + runtime.path();
    FakeWaylandSocket compositor(runtime.filePath("wayland-9"));
    ASSERT_TRUE(compositor.listening);
    const bool pluginInstalled = platform::ReadDisplayFacts(0, nullptr).waylandPlugin;

    struct Case {
        const char* name;
        QStringList environment;
    };
    const Case cases[] = {
        {"nothing", {runtimeDir}},
        {"an X display that does not answer", {runtimeDir, "DISPLAY=:9876"}},
        {"a Wayland compositor without Qt's plugin", {runtimeDir, "WAYLAND_DISPLAY=wayland-9"}},
    };
    for (const Case& c : cases) {
        if (c.environment.size() > 1 && c.environment.last().startsWith("WAYLAND") &&
            pluginInstalled)
            continue;
        const ProgramRun run = StartProgram(c.environment);
        EXPECT_EQ(run.status, QProcess::NormalExit) << c.name;
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.errors.trimmed(), platform::NoDisplayMessage()) << c.name;
    }
}

}  // namespace
