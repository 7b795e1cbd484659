#include "platform/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace platform {

namespace {

// A service that hangs must not hold the reminders up for long.
constexpr int kReplyTimeoutMs = 2000;

}  // namespace

bool SendDesktopNotification(const QString& summary, const QString& body, int timeoutMs) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    notify << summary << 0u << QString() << summary << body << QStringList() << QVariantMap()
           << timeoutMs;
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(notify, QDBus::Block, kReplyTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace platform
