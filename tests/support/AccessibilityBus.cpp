#include "AccessibilityBus.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <signal.h>

#include "DesktopSession.h"

bool AccessibilityBus::Start(const DesktopSession& desktop, const std::string& sessionBus) {
    environment = desktop.Environment();
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + sessionBus);
    launcher = ChildProcess::Start({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
                                   environment, (desktop.Home() + "/a11y.log").toStdString());
    return DesktopSession::WaitFor([&] { return !Address().empty(); });
}

bool AccessibilityBus::TurnScreenReaderOn() const {
    return ChildProcess::Run({"gdbus", "call", "--session", "-d", "org.a11y.Bus", "-o",
                              "/org/a11y/bus", "-m", "org.freedesktop.DBus.Properties.Set",
                              "org.a11y.Status", "ScreenReaderEnabled", "<true>"},
                             environment)
               .exitCode == 0;
}

bool AccessibilityBus::HasApplication() const {
    const ChildProcess::Result count = ChildProcess::Run(
        {"gdbus", "call", "--address", Address(), "-d", "org.a11y.atspi.Registry", "-o",
         "/org/a11y/atspi/accessible/root", "-m", "org.freedesktop.DBus.Properties.Get",
         "org.a11y.atspi.Accessible", "ChildCount"},
        environment);
    return count.exitCode == 0 && count.output.find("<0>") == std::string::npos;
}

void AccessibilityBus::Kill() {
    for (pid_t child : Children(launcher.Pid()))
        kill(child, SIGKILL);
    if (launcher.Running())
        kill(launcher.Pid(), SIGKILL);
    launcher.Stop();
}

std::string AccessibilityBus::Address() const {
    const ChildProcess::Result reply =
        ChildProcess::Run({"gdbus", "call", "--session", "-d", "org.a11y.Bus", "-o",
                           "/org/a11y/bus", "-m", "org.a11y.Bus.GetAddress"},
                          environment);
    // ('unix:path=...,guid=...',)
    const size_t open = reply.output.find('\'');
    const size_t close = reply.output.rfind('\'');
    if (reply.exitCode != 0 || open == std::string::npos || close <= open)
        return {};
    return reply.output.substr(open + 1, close - open - 1);
}

std::vector<pid_t> AccessibilityBus::Children(pid_t parent) {
    std::vector<pid_t> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        QFile stat("/proc/" + entry + "/stat");
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...: the name may hold spaces, so count from its end.
        const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
        if (fields.size() > 2 && fields[2].toInt() == parent)
            children.push_back(pid);
    }
    return children;
}
