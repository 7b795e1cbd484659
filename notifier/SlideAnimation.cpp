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
            return {FromLeft, skinWidth / step, -skinWidth, AreaBottom() - skinHeight};
        case PanelEdge::Top:
            return {FromTop, skinHeight / step, AreaRight() - skinWidth, -skinHeight};
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

// The skin is painted from its top-left corner, so from the bottom and the right the window
// grows out of the edge, while from the top and the left the whole window slides in.
void SlideAnimation::SlideOutTick() {
    state = Appearing;
    switch (direction) {
        case FromTop:
            if (y < workArea.y()) {
                y += step;
                return PlaceFull();
            }
            break;
        case FromLeft:
            if (x < workArea.x()) {
                x += step;
                return PlaceFull();
            }
            break;
        case FromRight:
            if (x > startX - skinWidth) {
                x -= step;
                return PlaceGrown(startX - x, skinHeight);
            }
            break;
        case FromBottom:
            if (y > startY - skinHeight) {
                y -= step;
                return PlaceGrown(skinWidth, startY - y);
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
                return PlaceFull();
            }
            break;
        case FromLeft:
            if (x > startX) {
                x -= step;
                return PlaceFull();
            }
            break;
        case FromRight:
            if (x < startX) {
                x += step;
                return PlaceGrown(startX - x, skinHeight);
            }
            break;
        case FromBottom:
            if (y < startY) {
                y += step;
                return PlaceGrown(skinWidth, startY - y);
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
    window.Place(QRect(0, 0, 0, 0));
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
    PlaceGrown(skinWidth, skinHeight);
}

void SlideAnimation::PlaceGrown(int width, int height) {
    window.Place(QRect(x, y, width, height));
}
