#include "platform/SystemDesktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/WorkAreaLayout.h"

namespace platform {

namespace {

// The taskbar's edge. One that hides itself reserves nothing and gives none, as does a
// shell that cannot tell.
PanelEdge TaskbarEdge() {
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (SHAppBarMessage(ABM_GETSTATE, &bar) & ABS_AUTOHIDE)
        return PanelEdge::None;
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar))
        return PanelEdge::None;
    switch (bar.uEdge) {
        case ABE_LEFT:
            return PanelEdge::Left;
        case ABE_TOP:
            return PanelEdge::Top;
        case ABE_RIGHT:
            return PanelEdge::Right;
        default:
            return PanelEdge::None;
    }
}

}  // namespace

DesktopShape SystemDesktop::Read() {
    // qGuiApp is a plain cast: without a GUI application it would point at the wrong type.
    const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = gui ? QGuiApplication::primaryScreen() : nullptr;
    // Qt keeps a screen's origin and divides the rest by its scale.
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint(0, 0);
    const double scale = screen ? screen->devicePixelRatio() : 1.0;
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        return {screen ? screen->availableGeometry() : QRect(), TaskbarEdge(), scale, origin};
    const QRect device(area.left, area.top, area.right - area.left, area.bottom - area.top);
    return {WorkAreaLayout::ToLogical(device, origin, scale), TaskbarEdge(), scale, origin};
}

}  // namespace platform
