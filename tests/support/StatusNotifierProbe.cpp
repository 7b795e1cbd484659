#include "StatusNotifierProbe.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

struct ItemAddress {
    QString service;
    QString path;
};

// Watchers write "service/path" or "service@/path"; a bare service uses the usual path.
ItemAddress AddressOf(const QString& item) {
    const qsizetype slash = item.indexOf('/');
    if (slash < 0)
        return {item, QStringLiteral("/StatusNotifierItem")};
    QString service = item.left(slash);
    if (service.endsWith('@'))
        service.chop(1);
    return {service, item.mid(slash)};
}

// One (ia{sv}av) layout node; children are read by the caller.
StatusNotifierProbe::MenuEntry ReadEntry(const QDBusArgument& node) {
    StatusNotifierProbe::MenuEntry entry;
    QVariantMap properties;
    node.beginStructure();
    node >> entry.id >> properties;
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
    }
    node.endArray();
    node.endStructure();
    entry.label = properties.value(QStringLiteral("label")).toString();
    entry.type = properties.value(QStringLiteral("type")).toString();
    entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
    entry.visible = properties.value(QStringLiteral("visible"), true).toBool();
    return entry;
}

}  // namespace

StatusNotifierProbe::StatusNotifierProbe(const std::string& busAddress)
    : name(QStringLiteral("probe-") + QString::fromStdString(busAddress)),
      bus(QDBusConnection::connectToBus(QString::fromStdString(busAddress), name)) {}

StatusNotifierProbe::~StatusNotifierProbe() {
    QDBusConnection::disconnectFromBus(name);
}

QVariant StatusNotifierProbe::Property(const QString& service, const QString& path,
                                       const QString& interface, const QString& property) const {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << property;
    const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().front().value<QDBusVariant>().variant();
}

std::vector<QString> StatusNotifierProbe::Describe(const std::vector<MenuEntry>& entries) {
    std::vector<QString> described;
    for (const MenuEntry& entry : entries) {
        if (!entry.visible)
            continue;
        if (entry.type == QStringLiteral("separator"))
            described.push_back(QStringLiteral("-"));
        else
            described.push_back(entry.enabled ? entry.label : "[" + entry.label + "]");
    }
    return described;
}

bool StatusNotifierProbe::HostRegistered() const {
    return Property(kWatcher, kWatcherPath, kWatcher,
                    QStringLiteral("IsStatusNotifierHostRegistered"))
        .toBool();
}

QStringList StatusNotifierProbe::Items() const {
    return Property(kWatcher, kWatcherPath, kWatcher,
                    QStringLiteral("RegisteredStatusNotifierItems"))
        .toStringList();
}

QString StatusNotifierProbe::ItemOf(pid_t pid) const {
    for (const QString& item : Items()) {
        const QDBusReply<uint> owner = bus.interface()->servicePid(AddressOf(item).service);
        if (owner.isValid() && pid_t(owner.value()) == pid)
            return item;
    }
    return {};
}

QString StatusNotifierProbe::MenuPath(const QString& item) const {
    const ItemAddress address = AddressOf(item);
    return Property(address.service, address.path, kItemInterface, QStringLiteral("Menu"))
        .value<QDBusObjectPath>()
        .path();
}

std::vector<StatusNotifierProbe::MenuEntry> StatusNotifierProbe::Menu(const QString& item) const {
    QDBusMessage getLayout = QDBusMessage::createMethodCall(
        AddressOf(item).service, MenuPath(item), kMenuInterface, QStringLiteral("GetLayout"));
    getLayout << 0 << -1 << QStringList();
    const QDBusMessage reply = bus.call(getLayout, QDBus::Block, 5000);
    std::vector<MenuEntry> entries;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return entries;
    const QDBusArgument root = reply.arguments().at(1).value<QDBusArgument>();
    int rootId = 0;
    QVariantMap rootProperties;
    root.beginStructure();
    root >> rootId >> rootProperties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        entries.push_back(ReadEntry(child.variant().value<QDBusArgument>()));
    }
    root.endArray();
    root.endStructure();
    return entries;
}

bool StatusNotifierProbe::Click(const QString& item, int id) const {
    QDBusMessage event = QDBusMessage::createMethodCall(AddressOf(item).service, MenuPath(item),
                                                        kMenuInterface, QStringLiteral("Event"));
    event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
    return bus.call(event, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}
