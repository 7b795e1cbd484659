#include "platform/DesktopArea.h"

#include "platform/SystemDesktop.h"

namespace platform {

namespace {

DesktopArea::Source& InstalledSource() {
    static DesktopArea::Source source;
    return source;
}

}  // namespace

DesktopShape DesktopArea::Current() {
    if (const Source& source = InstalledSource())
        return source();
    return SystemDesktop::Read();
}

void DesktopArea::SetSource(Source source) {
    InstalledSource() = std::move(source);
}

PanelEdge DesktopArea::EdgeOf(const QRect& screen, const QRect& available) {
    const bool left = available.left() > screen.left();
    const bool top = available.top() > screen.top();
    const bool right = available.right() < screen.right();
    const bool bottom = available.bottom() < screen.bottom();
    if (left + top + right + bottom != 1)
        return PanelEdge::None;
    if (left)
        return PanelEdge::Left;
    if (top)
        return PanelEdge::Top;
    return right ? PanelEdge::Right : PanelEdge::Bottom;
}

}  // namespace platform
