#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <string>
#include <vector>

// What a StatusNotifierItem host sees of the desktop's tray items, asked over the desktop's
// session bus from outside the program, as a host asks: the items the watcher lists, an
// item's exported menu (DBusMenu GetLayout) and a click on one of its entries (Event).
// Needs a Qt application object in this process.
class StatusNotifierProbe {
public:
    struct MenuEntry {
        int id = 0;
        QString label;  // DBusMenu writes the mnemonic with '_'
        QString type;   // "separator" or empty
        bool enabled = true;
        bool visible = true;
    };

    // The visible entries as a user reads them: "-" for a separator, a greyed entry's label in
    // brackets, the others' labels as they stand.
    static std::vector<QString> Describe(const std::vector<MenuEntry>& entries);

    explicit StatusNotifierProbe(const std::string& busAddress);
    ~StatusNotifierProbe();
    StatusNotifierProbe(const StatusNotifierProbe&) = delete;
    StatusNotifierProbe& operator=(const StatusNotifierProbe&) = delete;

    bool Connected() const { return bus.isConnected(); }
    // The watcher is there and a host (the panel's tray) has told it so.
    bool HostRegistered() const;
    // The watcher's list, as it writes it (":1.8/StatusNotifierItem", ":1.11@/Item", ...).
    QStringList Items() const;
    // The listed item that the process pid owns; empty when it has none.
    QString ItemOf(pid_t pid) const;
    // The item's Menu property: an object path, "/NO_DBUSMENU" when it exports none.
    QString MenuPath(const QString& item) const;
    // The top level of the item's exported menu, in order.
    std::vector<MenuEntry> Menu(const QString& item) const;
    // The host's "clicked" event on the menu entry with this id.
    bool Click(const QString& item, int id) const;

private:
    QVariant Property(const QString& service, const QString& path, const QString& interface,
                      const QString& name) const;

    QString name;
    QDBusConnection bus;
};
