#pragma once

#include <QRect>
#include <QSize>

#include "platform/DesktopArea.h"

// The popup's movement and its four states, kept apart from the widget so that every step
// can be driven and checked without a display. The widget runs the timers and moves the
// window when told to through Window.
class SlideAnimation {
public:
    enum State { Hidden = 0, Appearing = 1, Waiting = 2, Disappearing = 3 };
    enum Direction { Unset = 0, FromTop = 1, FromLeft = 2, FromRight = 3, FromBottom = 4 };
    enum Timer { SlideOutTimer = 1, StayTimer = 2, SlideBackTimer = 3 };

    // What the animation asks of the window it moves.
    class Window {
    public:
        virtual ~Window() = default;
        // (Re)starts the timer: a running one begins a fresh period.
        virtual void StartTimer(Timer timer, unsigned period) = 0;
        virtual void StopTimer(Timer timer) = 0;
        // Moves and sizes the window without activating it or changing its stacking; the
        // skin's top-left corner lies at skinOffset from the window's (zero or negative).
        virtual void Place(const QRect& geometry, const QPoint& skinOffset) = 0;
        virtual void RepaintNow() = 0;
        // Leaves a fading image of the window in its place; false where the desktop has
        // no translucent windows and nothing was left.
        virtual bool LeaveFadeOutImage() = 0;
    };

    SlideAnimation(Window& window, int step);

    // The fully shown window is as large as the skin.
    void SetSkinSize(const QSize& size);

    void Show(unsigned displayTime, unsigned showTime, unsigned hideTime,
              const platform::DesktopShape& desktop);
    void Hide();
    void HideNow();
    void OnTimer(Timer timer);

    State GetState() const { return state; }
    Direction GetDirection() const { return direction; }
    int Step() const { return step; }
    QPoint Position() const { return {x, y}; }
    QPoint StartPosition() const { return {startX, startY}; }
    unsigned AppearPeriod() const { return appearPeriod; }
    unsigned HidePeriod() const { return hidePeriod; }
    unsigned DisplayTime() const { return displayTime; }

private:
    struct Start {
        Direction direction;
        int steps;
        int x;
        int y;
    };
    Start StartFor(platform::PanelEdge edge) const;
    void BeginSlideOut(platform::PanelEdge edge);
    void ReturnToShownPlace(platform::PanelEdge edge);
    void SlideOutTick();
    void FinishSlideOut();
    void SlideBackTick();
    void StopStateTimer();
    void PlaceFull();
    void PlaceSliding();
    void PlaceOnDevicePixels(QRect geometry, const QPoint& skinOffset);
    int DeviceStart(int position, int origin) const;
    int DeviceOvershoot(int start, int length, int areaStart, int areaLength, int origin) const;
    int AreaRight() const { return workArea.x() + workArea.width(); }
    int AreaBottom() const { return workArea.y() + workArea.height(); }

    Window& window;
    const int step;
    int skinWidth = 0;
    int skinHeight = 0;
    State state = Hidden;
    unsigned showTime = 0;
    unsigned displayTime = 0;
    unsigned hideTime = 0;
    unsigned appearPeriod = 0;
    unsigned hidePeriod = 0;
    int startX = 0;
    int startY = 0;
    int x = 0;
    int y = 0;
    Direction direction = Unset;
    QRect workArea;
    double scale = 1.0;
    QPoint origin;
};
