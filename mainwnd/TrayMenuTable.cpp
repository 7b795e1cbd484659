#include "mainwnd/TrayMenuTable.h"

#include <algorithm>

namespace traymenu {

std::vector<Entry> Resource() {
    return {
        {ID_TRAY_ABOUT, QStringLiteral("&About Quietbell...")},
        {ID_TRAY_PREFERENCES, QStringLiteral("&Preferences...")},
        {ID_TRAY_RESHOW, QStringLiteral("&Re-Show Mirel Popup")},
        {kSeparator, QString()},
        {ID_TRAY_EXIT, QStringLiteral("&Exit")},
        {ID_TRAY_SENDTOTRAY, QStringLiteral("&Send to Tray\t Alt+F4")},
    };
}

std::vector<Entry> Without(int command) {
    std::vector<Entry> entries = Resource();
    std::erase_if(entries, [command](const Entry& e) { return e.command == command; });
    return entries;
}

}  // namespace traymenu
