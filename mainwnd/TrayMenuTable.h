#pragma once

#include <QString>

#include <vector>

// Menu 1057, "Tray Menu": the one table the tray menu, the window's context menu and the
// window menu are all made from.
namespace traymenu {

inline constexpr int ID_TRAY_ABOUT = 16;
inline constexpr int ID_TRAY_PREFERENCES = 32;
inline constexpr int ID_TRAY_RESHOW = 48;
inline constexpr int ID_TRAY_EXIT = 61536;  // the value of the system close command
inline constexpr int ID_TRAY_SENDTOTRAY = 61537;
inline constexpr int kSeparator = 0;

struct Entry {
    int command;   // kSeparator for the separator
    QString text;  // with '&' before the mnemonic and '\t' before the shortcut
};

// All six positions of the resource, in order.
std::vector<Entry> Resource();
// The resource without the entry of `command`.
std::vector<Entry> Without(int command);

// Right button on the tray icon: Send to Tray removed.
inline std::vector<Entry> TrayMenu() {
    return Without(ID_TRAY_SENDTOTRAY);
}
// The main window's context menu: Exit removed.
inline std::vector<Entry> ContextMenu() {
    return Without(ID_TRAY_EXIT);
}

}  // namespace traymenu
