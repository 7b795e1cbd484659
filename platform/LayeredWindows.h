#pragma once

class QScreen;

namespace platform {

// Whether translucent top-level windows really show through: always on Windows; on X11 only
// while a compositing manager holds the _NET_WM_CM_S<screen> selection; never on the
// offscreen platform. Asked afresh on every call, since a compositor may come and go.
class LayeredWindows {
public:
    static bool Available();

    // Whether a grab of the screen shows the windows on it. Under Xwayland it does not: the
    // X server holds no other program's pixels, so a grab of another window comes back black.
    static bool ScreenShowsWindows(const QScreen* screen);
};

}  // namespace platform
