#pragma once

#include <QString>

namespace platform {

// What QT_QPA_PLATFORM asks for. Many Wayland sessions set it to "wayland" for every Qt
// program; Qt reads a list of fallbacks there ("wayland;xcb") and tries the first one first.
enum class PlatformVariable {
    Unset,
    Wayland,  // its first entry is Qt's Wayland platform (wayland, wayland-egl, ...)
    Other,    // xcb, offscreen, ...: a choice the program has no reason to undo
};

// What the desktop offers the program's windows, looked at before the QApplication is made.
struct DisplayFacts {
    bool platformArgument = false;  // Qt's own -platform on the command line
    PlatformVariable variable = PlatformVariable::Unset;
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
// wherever X11 answers, Xwayland included, the program runs on Qt's xcb platform, even when the
// session asks every Qt program for Wayland. Only an explicit -platform, or a variable naming
// some other platform, overrides that.
DisplayChoice ChooseDisplayPlatform(const DisplayFacts& facts);

// What QT_QPA_PLATFORM's value asks for.
PlatformVariable ReadPlatformVariable(const QString& value);
// Whether the command line carries Qt's -platform (or --platform) with a name after it.
bool HasPlatformArgument(int argc, const char* const* argv);

DisplayFacts ReadDisplayFacts(int argc, const char* const* argv);

// Whether an X server, Xwayland included, answers on DISPLAY; never on Windows.
bool X11Reachable();

// What the program writes on stderr when no display can show its windows.
QString NoDisplayMessage();

// Sets Qt's platform to the choice for this desktop. Where nothing can show a window, writes
// NoDisplayMessage on stderr and returns false: Qt would abort there instead.
bool PrepareDisplayPlatform(int argc, const char* const* argv);

}  // namespace platform
