#include "notifier/SlideAnimation.h"

using platform::PanelEdge;

SlideAnimation::SlideAnimation(Window& window, int step) : window(window), step(step) {}

void SlideAnimation::SetSkinSize(const QSize& size) {
    skinWidth = size.width();
    skinHeight = size.height();
}

void SlideAnimation::Show(unsigned displayTime, unsigned showTime, unsigned hideTime,
                          const platform::DesktopShape& desktop) {
    this->showTime = showTime;
    this->displayTime = displayTime;
    this->hideTime = hideTime;
    workArea = desktop.workArea;
    scale = desktop.scale;
    origin = desktop.origin;
    switch (state) {
        case Hidden:
            BeginSlideOut(desktop.panelEdge);
            break;
        case Appearing:
            // The slide goes on; the new stay applies when it ends.
            window.RepaintNow();
            break;
        case Waiting:
            window.RepaintNow();
            window.StartTimer(StayTimer, displayTime);
            break;
        case Disappearing:
            window.StopTimer(SlideBackTimer);
            window.StartTimer(StayTimer, displayTime);
            state = Waiting;
            ReturnToShownPlace(desktop.panelEdge);
            window.RepaintNow();
            break;
    }
}

SlideAnimation::Start SlideAnimation::StartFor(PanelEdge edge) const {
    switch (edge) {
        case PanelEdge::Right:
            return {FromRight, skinWidth / step, AreaRight(), AreaBottom() - skinHeight};
        case PanelEdge::Left:
            return {FromLeft, skinWidth / step, workArea.x() - skinWidth,
                    AreaBottom() - skinHeight};
        case PanelEdge::Top:
            return {FromTop, skinHeight / step, AreaRight() - skinWidth, workArea.y() - skinHeight};
        case PanelEdge::Bottom:
        case PanelEdge::None:
            break;
    }
    return {FromBottom, skinHeight / step, AreaRight() - skinWidth, AreaBottom()};
}

void SlideAnimation::BeginSlideOut(PanelEdge edge) {
    const Start start = StartFor(edge);
    // A skin that failed to load (or one smaller than a step) gives no slide at all; the
    // popup then stays hidden rather than dividing by zero.
    if (start.steps <= 0)
        return;
    direction = start.direction;
    appearPeriod = showTime / start.steps;
    hidePeriod = hideTime / start.steps;
    startX = x = start.x;
    startY = y = start.y;
    // The window is not moved before the first tick.
    window.StartTimer(SlideOutTimer, appearPeriod);
}

void SlideAnimation::ReturnToShownPlace(PanelEdge edge) {
    switch (edge) {
        case PanelEdge::Right:
            x = AreaRight() - skinWidth;
            break;
        case PanelEdge::Left:
            x = workArea.x();
            break;
        case PanelEdge::Top:
            y = workArea.y();
            break;
        case PanelEdge::Bottom:
        case PanelEdge::None:
            y = AreaBottom() - skinHeight;
            break;
    }
    PlaceFull();
}

void SlideAnimation::OnTimer(Timer timer) {
    switch (timer) {
        case SlideOutTimer:
            SlideOutTick();
            break;
        case StayTimer:
            window.StopTimer(StayTimer);
            Hide();
            break;
        case SlideBackTimer:
            SlideBackTick();
            break;
    }
}

// The skin starts just beyond the panel's edge of the work area and moves in by a step at a
// time; the window is the part of it inside the work area, so on every edge it grows out of
// the panel and never covers it.
void SlideAnimation::SlideOutTick() {
    state = Appearing;
    switch (direction) {
        case FromTop:
            if (y < workArea.y()) {
                y += step;
                return PlaceSliding();
            }
            break;
        case FromLeft:
            if (x < workArea.x()) {
                x += step;
                return PlaceSliding();
            }
            break;
        case FromRight:
            if (x > startX - skinWidth) {
                x -= step;
                return PlaceSliding();
            }
            break;
        case FromBottom:
            if (y > startY - skinHeight) {
                y -= step;
                return PlaceSliding();
            }
            break;
        case Unset:
            break;
    }
    FinishSlideOut();
}

void SlideAnimation::FinishSlideOut() {
    window.StopTimer(SlideOutTimer);
    window.StartTimer(StayTimer, displayTime);
    state = Waiting;
    PlaceFull();
}

void SlideAnimation::SlideBackTick() {
    state = Disappearing;
    switch (direction) {
        case FromTop:
            if (y > startY) {
                y -= step;
                return PlaceSliding();
            }
            break;
        case FromLeft:
            if (x > startX) {
                x -= step;
                return PlaceSliding();
            }
            break;
        case FromRight:
            if (x < startX) {
                x += step;
                return PlaceSliding();
            }
            break;
        case FromBottom:
            if (y < startY) {
                y += step;
                return PlaceSliding();
            }
            break;
        case Unset:
            break;
    }
    window.StopTimer(SlideBackTimer);
    HideNow();
}

void SlideAnimation::Hide() {
    if (state == Hidden)
        return HideNow();
    StopStateTimer();
    if (window.LeaveFadeOutImage())
        return HideNow();
    state = Disappearing;
    window.StartTimer(SlideBackTimer, hidePeriod);
}

void SlideAnimation::HideNow() {
    // All three, so that a slide-out still waiting for its first tick is cancelled too.
    window.StopTimer(SlideOutTimer);
    window.StopTimer(StayTimer);
    window.StopTimer(SlideBackTimer);
    window.Place(QRect(0, 0, 0, 0), QPoint(0, 0));
    state = Hidden;
}

void SlideAnimation::StopStateTimer() {
    switch (state) {
        case Appearing:
            window.StopTimer(SlideOutTimer);
            break;
        case Waiting:
            window.StopTimer(StayTimer);
            break;
        case Disappearing:
            window.StopTimer(SlideBackTimer);
            break;
        case Hidden:
            break;
    }
}

void SlideAnimation::PlaceFull() {
    PlaceOnDevicePixels(QRect(x, y, skinWidth, skinHeight), QPoint(0, 0));
}

void SlideAnimation::PlaceSliding() {
    const QRect skin(x, y, skinWidth, skinHeight);
    const QRect shown = skin & workArea;
    PlaceOnDevicePixels(shown, skin.topLeft() - shown.topLeft());
}

// At a fractional scale the rounded position and the rounded size can add up to a device pixel
// past the work area's far edge, over the panel or off the screen: such a window moves back.
void SlideAnimation::PlaceOnDevicePixels(QRect geometry, const QPoint& skinOffset) {
    while (geometry.x() > workArea.x() &&
           DeviceOvershoot(geometry.x(), geometry.width(), workArea.x(), workArea.width(),
                           origin.x()) > 0)
        geometry.translate(-1, 0);
    while (geometry.y() > workArea.y() &&
           DeviceOvershoot(geometry.y(), geometry.height(), workArea.y(), workArea.height(),
                           origin.y()) > 0)
        geometry.translate(0, -1);
    window.Place(geometry, skinOffset);
}

// Where Qt puts a window's edge on the device: the distance from the screen's origin, scaled
// and rounded.
int SlideAnimation::DeviceStart(int position, int origin) const {
    return origin + qRound((position - origin) * scale);
}

int SlideAnimation::DeviceOvershoot(int start, int length, int areaStart, int areaLength,
                                    int origin) const {
    const int end = DeviceStart(start, origin) + qRound(length * scale);
    return end - DeviceStart(areaStart + areaLength, origin);
}
