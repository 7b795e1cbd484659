#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

#include "platform/DesktopArea.h"

namespace platform {

// What a panel reserves, as _NET_WM_STRUT_PARTIAL gives it: a band along each edge of the
// root window, as wide as the value, over the range start..end (inclusive) of the other axis.
// _NET_WM_STRUT alone reserves the same bands over the whole edge.
struct Strut {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int leftStartY = 0;
    int leftEndY = 0;
    int rightStartY = 0;
    int rightEndY = 0;
    int topStartX = 0;
    int topEndX = 0;
    int bottomStartX = 0;
    int bottomEndX = 0;

    // A strut without ranges reserves along the whole edge of the root window.
    static Strut WholeEdges(int left, int right, int top, int bottom, const QSize& root);
};

// A panel (a dock window) of the desktop, in device pixels.
struct DockPanel {
    QRect geometry;
    Strut strut;
    // The panel holds the program's tray icon.
    bool holdsTray = false;
};

// The X desktop in device pixels: the root window, its monitors, the panels and the work area
// the window manager publishes for the whole root window.
struct MonitorLayout {
    QSize root;
    std::vector<QRect> monitors;
    int primary = 0;
    std::vector<DockPanel> panels;
    QRect netWorkArea;
};

// Where the popup may go, worked out from the monitors and what the panels reserve, without a
// window system, so that any layout can be tested.
class WorkAreaLayout {
public:
    explicit WorkAreaLayout(MonitorLayout layout);

    // The monitor of the panel that holds the tray; else the one monitor all reserving panels
    // are on; else the primary one.
    int TrayMonitor() const;
    // The monitor less what the panels on it reserve; with no panel that reserves anything,
    // the published work area clipped to the monitor.
    QRect WorkArea(int monitor) const;
    // The side the tray's panel reserves on this monitor; else the one side the work area was
    // cut from; else None.
    PanelEdge Edge(int monitor) const;

    // A rectangle of device pixels on a monitor at origin (the same in device-independent and
    // device pixels) scaled by scale, as device-independent pixels, rounded inwards so that
    // nothing inside it lies outside the device rectangle.
    static QRect ToLogical(const QRect& device, const QPoint& origin, double scale);

private:
    QRect Reserved(const DockPanel& panel, const QRect& monitor) const;
    bool Reserves(const DockPanel& panel, const QRect& monitor) const;

    MonitorLayout layout;
};

}  // namespace platform
