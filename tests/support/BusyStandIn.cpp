#include "BusyStandIn.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "DesktopSession.h"

namespace {

QDBusMessage StandInCall(const char* method) {
    return QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver", "/StandIn",
                                          "net.quietbell.BusyStandIn", method);
}

}  // namespace

BusyStandIn::BusyStandIn()
    : connectionName(QStringLiteral("busy-stand-in-%1").arg(quintptr(this))) {}

BusyStandIn::~BusyStandIn() {
    QDBusConnection::disconnectFromBus(connectionName);
}

bool BusyStandIn::Start(const std::string& busAddress, const ChildProcess::Strings& environment,
                        const std::string& logFile, bool notifications) {
    ChildProcess::Strings argv = {
        "/usr/bin/python3",
        qEnvironmentVariable("QB_SOURCE_DIR").toStdString() + "/tests/support/busy-stand-in.py"};
    if (notifications)
        argv.push_back("--notifications");
    // The first of two entries of one name would win.
    ChildProcess::Strings withBus = environment;
    std::erase_if(withBus, [](const std::string& entry) {
        return entry.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) == 0;
    });
    withBus.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
    process = ChildProcess::Start(argv, withBus, logFile);
    QDBusConnection::connectToBus(QString::fromStdString(busAddress), connectionName);
    return DesktopSession::WaitFor([&] { return !process.Running() || Asked() >= 0; }) &&
           process.Running();
}

bool BusyStandIn::Set(const char* state, bool on) const {
    QDBusMessage call = StandInCall("Set");
    call << QString::fromLatin1(state) << on;
    return QDBusConnection(connectionName).call(call).type() == QDBusMessage::ReplyMessage;
}

int BusyStandIn::Asked() const {
    const QDBusMessage reply = QDBusConnection(connectionName).call(StandInCall("Asked"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return -1;
    return static_cast<int>(reply.arguments().constFirst().toUInt());
}
