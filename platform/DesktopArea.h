#pragma once

#include <QPoint>
#include <QRect>

#include <functional>

namespace platform {

// The side of the screen the panel (taskbar) reserves its strip on.
enum class PanelEdge { None, Left, Top, Right, Bottom };

// What the popup needs to know of the desktop: where windows may go and where the panel is.
// The work area is in device-independent pixels; a window there lands on the device pixels
// origin + (position - origin) * scale, sized size * scale, each rounded to the nearest.
struct DesktopShape {
    QRect workArea;
    PanelEdge panelEdge = PanelEdge::None;
    double scale = 1.0;
    QPoint origin = QPoint(0, 0);
};

// The one place the program reads the desktop's work area and panel edge, so that tests can
// give any desktop shape instead of arranging a real panel.
class DesktopArea {
public:
    using Source = std::function<DesktopShape()>;

    // The work area of the monitor that holds the panel with the tray (the primary monitor when
    // nothing tells), from what the panels reserve, and the side the tray's panel is on.
    static DesktopShape Current();

    // Replaces the screen; an empty source restores it.
    static void SetSource(Source source);

    // The side on which available is smaller than screen. A panel that reserves nothing
    // (auto-hide) gives None; so does a work area cut on more than one side.
    static PanelEdge EdgeOf(const QRect& screen, const QRect& available);
};

}  // namespace platform
