#include "notifier/TaskbarNotifier.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

#include "notifier/FadeOutWindow.h"
#include "notifier/FocusReturner.h"
#include "notifier/NotifierAccessible.h"
#include "script/CodePage1256.h"
#include "platform/DesktopArea.h"
#include "platform/HiDpiPicture.h"
#include "platform/TaskbarEntry.h"

namespace {

constexpr int kFadeStep = 4;
constexpr int kSlideBackStep = 8;
constexpr int kFadeTime = 500;
constexpr int kFadeStartOpacity = 255;
constexpr std::size_t kMostLaidOutCharacters = 512;

// Fonts that shape Arabic, after the face asked for, in case the desktop lacks it.
const QStringList kArabicFallbacks = {"Noto Naskh Arabic", "Noto Sans Arabic", "Amiri"};

}  // namespace

CTaskbarNotifier::CTaskbarNotifier()
    // Out of the window manager's hands, so that every step of the slide lands exactly
    // where it is sent and nothing gives the popup the focus.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      animation(*this, CFadeOutWindow::ResolveUpdateLayeredWindow() ? kFadeStep : kSlideBackStep) {
    static const bool accessibleFactoryInstalled =
        (QAccessible::installFactory(&CNotifierAccessible::Create), true);
    Q_UNUSED(accessibleFactoryInstalled);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    new FocusReturner(this);
    // A tool window has no taskbar button; the X11 window managers list it unless told.
    winId();
    platform::TaskbarEntry::Suppress(windowHandle());
}

CTaskbarNotifier::~CTaskbarNotifier() = default;

bool CTaskbarNotifier::Create() {
    setGeometry(0, 0, 0, 0);
    show();
    return true;
}

void CTaskbarNotifier::SetTextFont(const QString& face, int tenths, int style) {
    QFont font;
    font.setFamilies(QStringList{face} + kArabicFallbacks);
    font.setPointSizeF(tenths / 10.0);
    font.setWeight(style & 1 ? QFont::Bold : QFont::Normal);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    normalFont = font;
}

void CTaskbarNotifier::SetTextColor(const QColor& color) {
    normalColor = color;
    RepaintNow();
}

bool CTaskbarNotifier::SetSkin(const QString& path) {
    skin = QImage();
    QImage loaded = platform::HiDpiPicture::Load(path, platform::HiDpiPicture::DesktopRatio());
    if (loaded.isNull())
        return false;
    skin = loaded;
    // Sizes are in the desktop's device-independent pixels, whichever picture was read.
    const QSize size = skin.deviceIndependentSize().toSize();
    skinWidth = size.width();
    skinHeight = size.height();
    animation.SetSkinSize(size);
    textRect = QRect(0, 0, skinWidth, skinHeight);
    return true;
}

void CTaskbarNotifier::SetTextRect(const QRect& rect) {
    textRect = rect;
}

void CTaskbarNotifier::SetText(const std::string& text) {
    this->text = text;
    // The text rectangle shows a few hundred characters at most; laying out more would only
    // cost time on every paint.
    layout.SetText(text.substr(0, kMostLaidOutCharacters));
    // A screen reader reads the whole phrase, as Unicode.
    setAccessibleName(QString::fromStdU16String(script::CodePage1256::ToUtf16(text)));
}

void CTaskbarNotifier::Show(const std::string& text, unsigned displayTime, bool rightToLeft,
                            unsigned showTime, unsigned hideTime) {
    this->rightToLeft = rightToLeft;
    setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    SetText(text);
    // A new phrase over one still on show is news too.
    if (!size().isEmpty())
        AnnounceShown(true);
    animation.Show(displayTime, showTime, hideTime, platform::DesktopArea::Current());
}

void CTaskbarNotifier::Hide() {
    animation.Hide();
}

void CTaskbarNotifier::HideNow() {
    animation.HideNow();
}

void CTaskbarNotifier::OnTimer(SlideAnimation::Timer timer) {
    animation.OnTimer(timer);
}

void CTaskbarNotifier::paintEvent(QPaintEvent*) {
    QPainter dc(this);
    // The text moves with the skin, so that the part on show is the part of the whole popup.
    dc.translate(skinOffset);
    dc.drawImage(QPoint(0, 0), skin);
    dc.setPen(normalColor);
    const QFont previous = layout.SelectFont(dc, &normalFont);
    dc.setBackgroundMode(Qt::TransparentMode);
    layout.SetDirection(rightToLeft);
    layout.Draw(dc, textRect);
    dc.setFont(previous);
}

void CTaskbarNotifier::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Hide();
    QWidget::mouseReleaseEvent(event);
}

// Hovering repaints only; it must not lengthen the stay.
void CTaskbarNotifier::enterEvent(QEnterEvent*) {
    SetHovering(true);
}

void CTaskbarNotifier::leaveEvent(QEvent*) {
    SetHovering(false);
}

void CTaskbarNotifier::SetHovering(bool on) {
    if (hovering == on)
        return;
    hovering = on;
    RepaintNow();
}

void CTaskbarNotifier::timerEvent(QTimerEvent* event) {
    for (auto timer : {SlideAnimation::SlideOutTimer, SlideAnimation::StayTimer,
                       SlideAnimation::SlideBackTimer}) {
        if (event->timerId() == TimerFor(timer).timerId())
            return OnTimer(timer);
    }
    QWidget::timerEvent(event);
}

QBasicTimer& CTaskbarNotifier::TimerFor(SlideAnimation::Timer timer) {
    return timers.at(timer - SlideAnimation::SlideOutTimer);
}

void CTaskbarNotifier::StartTimer(SlideAnimation::Timer timer, unsigned period) {
    TimerFor(timer).start(static_cast<int>(period), Qt::PreciseTimer, this);
}

void CTaskbarNotifier::StopTimer(SlideAnimation::Timer timer) {
    TimerFor(timer).stop();
}

void CTaskbarNotifier::Place(const QRect& geometry, const QPoint& skinOffset) {
    if (this->skinOffset != skinOffset) {
        this->skinOffset = skinOffset;
        update();
    }
    const bool wasHidden = size().isEmpty();
    // A window of zero size is unmapped by Qt, so the hidden popup is never in the way.
    setGeometry(geometry);
    if (wasHidden != geometry.isEmpty())
        AnnounceShown(wasHidden);
}

// The widget stays shown while the popup comes and goes, so Qt sends no event of its own;
// a screen reader learns of the notification from this one, and speaks its name.
void CTaskbarNotifier::AnnounceShown(bool shown) {
    QAccessibleEvent event(this, shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&event);
}

void CTaskbarNotifier::RepaintNow() {
    if (!size().isEmpty())
        repaint();
}

bool CTaskbarNotifier::LeaveFadeOutImage() {
    if (!CFadeOutWindow::ResolveUpdateLayeredWindow())
        return false;
    new CFadeOutWindow(this, kFadeTime, kFadeStartOpacity);
    return true;
}
