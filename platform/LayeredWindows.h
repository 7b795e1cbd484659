#pragma once

namespace platform {

// Whether translucent top-level windows really show through: always on Windows; on X11 only
// while a compositing manager holds the _NET_WM_CM_S<screen> selection; never on the
// offscreen platform. Asked afresh on every call, since a compositor may come and go.
class LayeredWindows {
public:
    static bool Available();
};

}  // namespace platform
