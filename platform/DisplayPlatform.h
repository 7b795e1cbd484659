#pragma once

#include <QString>

namespace platform {

// What the desktop offers the program's windows, looked at before the QApplication is made.
struct DisplayFacts {
    bool platformChosen = false;    // the user named Qt's platform (QT_QPA_PLATFORM)
    bool x11Reachable = false;      // an X server, Xwayland included, answers on DISPLAY
    bool waylandReachable = false;  // WAYLAND_DISPLAY names a compositor's socket
    bool waylandPlugin = false;     // Qt's Wayland platform plugin is installed
};

enum class DisplayChoice {
    AsChosen,  // the user's choice stands
    Xcb,
    Wayland,
    None,  // nothing can show a window
};

// Wayland lets no program place its own windows, and the popup must sit at the panel edge:
// wherever X11 answers, Xwayland included, the program runs on Qt's xcb platform.
DisplayChoice ChooseDisplayPlatform(const DisplayFacts& facts);

DisplayFacts ReadDisplayFacts();

// Whether an X server, Xwayland included, answers on DISPLAY; never on Windows.
bool X11Reachable();

// What the program writes on stderr when no display can show its windows.
QString NoDisplayMessage();

// Sets Qt's platform to the choice for this desktop. Where nothing can show a window, writes
// NoDisplayMessage on stderr and returns false: Qt would abort there instead.
bool PrepareDisplayPlatform();

}  // namespace platform
