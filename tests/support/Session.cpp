#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <optional>
#include <thread>

Session::Session() {
    // The session folder holds each program's log; keep it for a look after a failure.
    folder.setAutoRemove(qEnvironmentVariableIsEmpty("QB_KEEP_DESKTOP_FOLDER"));
}

QString Session::Home() const {
    return FolderPath("home");
}

QString Session::ConfigHome() const {
    return FolderPath("home/.config");
}

bool Session::MakeFolders() {
    if (!folder.isValid())
        return Fail("no temporary folder");
    if (!QDir(folder.path()).mkpath("home/.config") || !QDir(folder.path()).mkpath("runtime") ||
        !QFile::setPermissions(RuntimeFolder(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return Fail("cannot make the session's folders");
    return true;
}

bool Session::Fail(const std::string& what) {
    error = what + Where() + " (logs in " + folder.path().toStdString() + ")";
    return false;
}

std::string Session::LogFile(const char* program) const {
    return FolderPath(QString(program) + ".log").toStdString();
}

ChildProcess::Strings Session::Environment() const {
    Variables variables = {
        {"HOME", Home().toStdString()},
        {"XDG_CONFIG_HOME", ConfigHome().toStdString()},
        {"XDG_DATA_HOME", FolderPath("home/.local/share").toStdString()},
        {"XDG_RUNTIME_DIR", RuntimeFolder().toStdString()},
    };
    const Variables own = DesktopVariables();
    variables.insert(variables.end(), own.begin(), own.end());
    variables.insert(variables.end(), added.begin(), added.end());
    return ChildProcess::CurrentEnvironmentWith(variables);
}

void Session::AddEnvironment(const std::string& name, const std::string& value) {
    added.emplace_back(name, value);
}

ChildProcess Session::StartProgram(const ChildProcess::Strings& argv) const {
    return ChildProcess::Start(argv, Environment(), LogFile(argv.front().c_str()));
}

ChildProcess::Result Session::Run(const ChildProcess::Strings& argv) const {
    return ChildProcess::Run(argv, Environment());
}

bool Session::WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    using namespace std::chrono_literals;
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool Session::WaitForGone(const std::function<bool()>& present,
                          std::chrono::milliseconds deadline) {
    using namespace std::chrono_literals;
    std::optional<std::chrono::steady_clock::time_point> goneSince;
    return WaitFor(
        [&] {
            if (present()) {
                goneSince.reset();
                return false;
            }
            const auto now = std::chrono::steady_clock::now();
            goneSince = goneSince.value_or(now);
            return now - *goneSince >= 1s;
        },
        deadline);
}
