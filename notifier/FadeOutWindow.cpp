#include "notifier/FadeOutWindow.h"

#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>

#include "notifier/FocusReturner.h"
#include "platform/LayeredWindows.h"

namespace {

constexpr int kOpacityStep = 5;
constexpr int kFullOpacity = 255;

// Below one step the period would divide by zero, above full opacity it means nothing.
int ClampedOpacity(int opacity) {
    return std::clamp(opacity, kOpacityStep, kFullOpacity);
}

// The target as it is on screen now, frame and all.
QPixmap GrabOnScreen(const QWidget& target) {
    const QRect frame = target.frameGeometry();
    QScreen* screen = target.screen();
    if (!screen)
        return {};
    return screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

}  // namespace

bool CFadeOutWindow::ResolveUpdateLayeredWindow() {
    return platform::LayeredWindows::Available();
}

int CFadeOutWindow::PeriodFor(int fadeTime, int startOpacity) {
    return std::max(fadeTime, 0) / (ClampedOpacity(startOpacity) / kOpacityStep);
}

CFadeOutWindow::CFadeOutWindow(QWidget* target, int fadeTime, int startOpacity)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint) {
    // Nothing to show without translucent windows, or of a target with nothing on screen.
    if (!ResolveUpdateLayeredWindow() || !target || target->size().isEmpty()) {
        deleteLater();
        return;
    }
    picture = GrabOnScreen(*target);
    if (picture.isNull()) {
        deleteLater();
        return;
    }
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    new FocusReturner(this);
    remaining = static_cast<std::uint8_t>(ClampedOpacity(startOpacity));
    setWindowOpacity(remaining / double(kFullOpacity));
    setGeometry(target->frameGeometry());
    show();
    timer.start(PeriodFor(fadeTime, startOpacity), Qt::PreciseTimer, this);
}

CFadeOutWindow::~CFadeOutWindow() = default;

void CFadeOutWindow::OnTimer() {
    if (remaining < kOpacityStep) {
        timer.stop();
        hide();
        deleteLater();
        return;
    }
    remaining -= kOpacityStep;
    setWindowOpacity(remaining / double(kFullOpacity));
}

void CFadeOutWindow::paintEvent(QPaintEvent*) {
    QPainter(this).drawPixmap(0, 0, picture);
}

void CFadeOutWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer.timerId())
        return OnTimer();
    QWidget::timerEvent(event);
}
