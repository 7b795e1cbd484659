#pragma once

#include "mainwnd/TrayMenuTable.h"

#include <QMenu>

#include <vector>

// A menu made from the menu table, with today's date as a greyed first entry when there is
// one. Set on the tray icon it stays for the life of the icon, so that trays that show only
// a menu the item exports (DBusMenu) have one to show.
class CTrayMenu : public QMenu {
    Q_OBJECT
public:
    CTrayMenu(const std::vector<traymenu::Entry>& entries, QWidget* parent);

    // An empty text hides the date entry and the separator under it.
    void SetDateText(const QString& date);

signals:
    void commandChosen(int command);

private:
    QAction* m_date;
    QAction* m_dateSeparator;
};
