#include "DbusDaemon.h"

#include "DesktopSession.h"

#include <QFileInfo>

bool DbusDaemon::Start(const std::string& socketPath, const ChildProcess::Strings& environment,
                       const std::string& logFile) {
    address = "unix:path=" + socketPath;
    daemon = ChildProcess::Start(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address},
        environment, logFile);
    return DesktopSession::WaitFor([&] {
               return !daemon.Running() || QFileInfo(QString::fromStdString(socketPath)).exists();
           }) &&
           daemon.Running();
}
