#include "QuietbellProgram.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>

#include <chrono>

#include "Session.h"

namespace quietbell {

namespace {

const char* const kFakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

QString SettingsFile(const QString& configHome) {
    return configHome + "/Brindlewax/quietbell.conf";
}

std::vector<unsigned long> WindowIds(const std::string& output) {
    std::vector<unsigned long> ids;
    for (const QString& line : QString::fromStdString(output).split('\n', Qt::SkipEmptyParts))
        ids.push_back(line.trimmed().toULong());
    return ids;
}

std::string Properties(const ChildProcess::Strings& environment, unsigned long window,
                       const ChildProcess::Strings& names) {
    ChildProcess::Strings argv = {"xprop", "-id", std::to_string(window), "-notype"};
    argv.insert(argv.end(), names.begin(), names.end());
    return ChildProcess::Run(argv, environment).output;
}

}  // namespace

bool FakeTimeInstalled() {
    return QFile::exists(kFakeTimeLibrary);
}

QString ProgramPath() {
    return QCoreApplication::applicationDirPath() + "/quietbell";
}

QStringList Phrases() {
    QFile file(QCoreApplication::applicationDirPath() + "/Data/mirel.txt");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder utf16(QStringDecoder::Utf16);
    return QString(utf16(file.readAll())).split(QStringLiteral("\r\n"));
}

ChildProcess Start(ChildProcess::Strings environment, const std::string& logFile,
                   const std::string& fakeTime, const QString& executable) {
    environment.push_back(std::string("LD_PRELOAD=") + kFakeTimeLibrary);
    environment.push_back("FAKETIME=@" + fakeTime);
    environment.push_back("FAKETIME_DONT_FAKE_MONOTONIC=1");
    // The sanitizer build refuses a library preloaded ahead of its runtime.
    environment.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
    const QString program = executable.isEmpty() ? ProgramPath() : executable;
    return ChildProcess::Start({program.toStdString()}, environment, logFile);
}

bool StartupPhraseCameAndWent(const std::function<bool()>& shown) {
    using namespace std::chrono_literals;
    return Session::WaitFor(shown, 30s) && Session::WaitForGone(shown, 30s);
}

QVariant Stored(const QString& configHome, const char* key) {
    QSettings settings(SettingsFile(configHome), QSettings::IniFormat);
    return settings.value(QStringLiteral("Preferences/") + key);
}

void Store(const QString& configHome, const char* key, int value) {
    QSettings settings(SettingsFile(configHome), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Preferences/") + key, value);
}

void OverwritePosition(const QString& configHome) {
    Store(configHome, "Popup Mirel Index", 99);
}

std::vector<unsigned long> Windows(const ChildProcess::Strings& environment, pid_t pid,
                                   bool onlyVisible) {
    ChildProcess::Strings argv = {"xdotool", "search"};
    if (onlyVisible)
        argv.push_back("--onlyvisible");
    argv.insert(argv.end(), {"--pid", std::to_string(pid)});
    return WindowIds(ChildProcess::Run(argv, environment).output);
}

std::vector<unsigned long> TaskbarEntries(const ChildProcess::Strings& environment, pid_t pid) {
    const QString clients = QString::fromStdString(
        ChildProcess::Run({"xprop", "-root", "-notype", "_NET_CLIENT_LIST"}, environment).output);
    std::vector<unsigned long> entries;
    const QRegularExpression hex("0x[0-9a-f]+");
    for (const QRegularExpressionMatch& match : hex.globalMatch(clients)) {
        const unsigned long id = match.captured().toULong(nullptr, 16);
        const std::string properties =
            Properties(environment, id, {"_NET_WM_PID", "_NET_WM_STATE"});
        if (properties.find("_NET_WM_PID = " + std::to_string(pid)) != std::string::npos &&
            properties.find("_NET_WM_STATE_SKIP_TASKBAR") == std::string::npos)
            entries.push_back(id);
    }
    return entries;
}

bool Iconified(const ChildProcess::Strings& environment, unsigned long window) {
    return Properties(environment, window, {"_NET_WM_STATE"}).find("_NET_WM_STATE_HIDDEN") !=
           std::string::npos;
}

bool IsDialog(const ChildProcess::Strings& environment, unsigned long window) {
    return Properties(environment, window, {"_NET_WM_WINDOW_TYPE"})
               .find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos;
}

QString WindowName(const ChildProcess::Strings& environment, unsigned long window) {
    return QString::fromStdString(
               ChildProcess::Run({"xdotool", "getwindowname", std::to_string(window)}, environment)
                   .output)
        .trimmed();
}

bool Keys(const ChildProcess::Strings& environment, unsigned long window,
          const ChildProcess::Strings& keys) {
    ChildProcess::Strings argv = {"xdotool", "windowactivate", "--sync", std::to_string(window),
                                  "key",     "--delay",        "50"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    return ChildProcess::Run(argv, environment).exitCode == 0;
}

}  // namespace quietbell
