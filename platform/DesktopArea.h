#pragma once

#include <QRect>

#include <functional>

namespace platform {

// The side of the screen the panel (taskbar) reserves its strip on.
enum class PanelEdge { None, Left, Top, Right, Bottom };

// What the popup needs to know of the desktop: where windows may go and where the panel is.
struct DesktopShape {
    QRect workArea;
    PanelEdge panelEdge = PanelEdge::None;
};

// The one place the program reads the desktop's work area and panel edge, so that tests can
// give any desktop shape instead of arranging a real panel.
class DesktopArea {
public:
    using Source = std::function<DesktopShape()>;

    // The primary screen's available geometry and the side it was cut from.
    static DesktopShape Current();

    // Replaces the screen; an empty source restores it.
    static void SetSource(Source source);

    // The side on which available is smaller than screen. A panel that reserves nothing
    // (auto-hide) gives None; so does a work area cut on more than one side.
    static PanelEdge EdgeOf(const QRect& screen, const QRect& available);
};

}  // namespace platform
