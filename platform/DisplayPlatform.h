#pragma once

namespace platform {

// Wayland lets no program place its own windows, and the popup must sit at the panel
// edge: under a Wayland session with XWayland the program runs on Qt's xcb platform.
// Call before the QApplication is made; a platform the user chose is kept.
void PreferXcbUnderWayland();

}  // namespace platform
