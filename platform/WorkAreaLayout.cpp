#include "platform/WorkAreaLayout.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool Overlap(int start, int end, int low, int high) {
    return start <= high && end >= low;
}

// The area less the bands of the strut that reach into the monitor.
QRect Cut(QRect area, const Strut& s, const QSize& root, const QRect& monitor) {
    if (s.left > monitor.left() &&
        Overlap(s.leftStartY, s.leftEndY, monitor.top(), monitor.bottom()))
        area.setLeft(std::max(area.left(), s.left));
    if (s.top > monitor.top() && Overlap(s.topStartX, s.topEndX, monitor.left(), monitor.right()))
        area.setTop(std::max(area.top(), s.top));
    const int rightBand = root.width() - s.right;
    if (s.right > 0 && rightBand <= monitor.right() &&
        Overlap(s.rightStartY, s.rightEndY, monitor.top(), monitor.bottom()))
        area.setRight(std::min(area.right(), rightBand - 1));
    const int bottomBand = root.height() - s.bottom;
    if (s.bottom > 0 && bottomBand <= monitor.bottom() &&
        Overlap(s.bottomStartX, s.bottomEndX, monitor.left(), monitor.right()))
        area.setBottom(std::min(area.bottom(), bottomBand - 1));
    return area;
}

}  // namespace

Strut Strut::WholeEdges(int left, int right, int top, int bottom, const QSize& root) {
    Strut s;
    s.left = left;
    s.right = right;
    s.top = top;
    s.bottom = bottom;
    s.leftEndY = s.rightEndY = root.height() - 1;
    s.topEndX = s.bottomEndX = root.width() - 1;
    return s;
}

WorkAreaLayout::WorkAreaLayout(MonitorLayout layout) : layout(std::move(layout)) {
    if (this->layout.monitors.empty())
        this->layout.monitors.push_back(QRect(QPoint(0, 0), this->layout.root));
    if (this->layout.primary < 0 || this->layout.primary >= int(this->layout.monitors.size()))
        this->layout.primary = 0;
}

// A panel on another monitor can reserve a band that swallows this one whole (its strut counts
// from the root window's edge); only a panel that stands on the monitor cuts it.
QRect WorkAreaLayout::Reserved(const DockPanel& panel, const QRect& monitor) const {
    if (panel.geometry.isValid() && !panel.geometry.intersects(monitor))
        return monitor;
    const QRect cut = Cut(monitor, panel.strut, layout.root, monitor);
    return cut.isEmpty() ? monitor : cut;
}

bool WorkAreaLayout::Reserves(const DockPanel& panel, const QRect& monitor) const {
    return Reserved(panel, monitor) != monitor;
}

int WorkAreaLayout::TrayMonitor() const {
    const auto& monitors = layout.monitors;
    for (const DockPanel& panel : layout.panels) {
        if (!panel.holdsTray)
            continue;
        for (int m = 0; m < int(monitors.size()); ++m) {
            if (monitors[m].contains(panel.geometry.center()))
                return m;
        }
    }
    int found = -1;
    for (int m = 0; m < int(monitors.size()); ++m) {
        const bool reserved =
            std::any_of(layout.panels.begin(), layout.panels.end(),
                        [&](const DockPanel& p) { return Reserves(p, monitors[m]); });
        if (!reserved)
            continue;
        if (found >= 0)
            return layout.primary;
        found = m;
    }
    return found >= 0 ? found : layout.primary;
}

QRect WorkAreaLayout::WorkArea(int monitor) const {
    const QRect screen = layout.monitors.at(monitor);
    QRect area = screen;
    bool anyReserves = false;
    for (const DockPanel& panel : layout.panels) {
        for (const QRect& m : layout.monitors)
            anyReserves = anyReserves || Reserves(panel, m);
        area &= Reserved(panel, screen);
    }
    if (anyReserves)
        return area;
    const QRect published = layout.netWorkArea & screen;
    return published.isEmpty() ? screen : published;
}

PanelEdge WorkAreaLayout::Edge(int monitor) const {
    const QRect screen = layout.monitors.at(monitor);
    for (const DockPanel& panel : layout.panels) {
        if (panel.holdsTray && Reserves(panel, screen))
            return DesktopArea::EdgeOf(screen, Reserved(panel, screen));
    }
    return DesktopArea::EdgeOf(screen, WorkArea(monitor));
}

QRect WorkAreaLayout::ToLogical(const QRect& device, const QPoint& origin, double scale) {
    const auto inwards = [&](int value, int from, bool up) {
        const double logical = from + (value - from) / scale;
        // A hair of tolerance, so that an exact quotient is not pushed a pixel by rounding.
        return int(up ? std::ceil(logical - 1e-9) : std::floor(logical + 1e-9));
    };
    const int left = inwards(device.left(), origin.x(), true);
    const int top = inwards(device.top(), origin.y(), true);
    const int right = inwards(device.left() + device.width(), origin.x(), false);
    const int bottom = inwards(device.top() + device.height(), origin.y(), false);
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace platform
