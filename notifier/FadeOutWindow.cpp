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

// The target as it looks now: the screen's pixels, frame and all, where the screen holds
// them; elsewhere (Xwayland) the window's own rendering, without the frame.
struct Picture {
    QPixmap pixmap;
    QRect where;
};

Picture TakePicture(QWidget& target) {
    QScreen* screen = target.screen();
    if (!platform::LayeredWindows::ScreenShowsWindows(screen))
        return {target.grab(), target.geometry()};
    const QRect frame = target.frameGeometry();
    if (!screen)
        return {};
    return {screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()), frame};
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
    const Picture taken = TakePicture(*target);
    if (taken.pixmap.isNull()) {
        deleteLater();
        return;
    }
    picture = taken.pixmap;
    // The compositor blends the window's own alpha on every desktop, where a window opacity
    // set on the window may never reach it.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    new FocusReturner(this);
    remaining = static_cast<std::uint8_t>(ClampedOpacity(startOpacity));
    setGeometry(taken.where);
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
    repaint();
}

void CFadeOutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(remaining / double(kFullOpacity));
    painter.drawPixmap(0, 0, picture);
}

void CFadeOutWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer.timerId())
        return OnTimer();
    QWidget::timerEvent(event);
}
