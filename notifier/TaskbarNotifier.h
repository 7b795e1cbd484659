#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <array>
#include <string>

#include "notifier/SlideAnimation.h"
#include "text/ScriptTextLayout.h"

// The popup: a borderless, topmost tool window painted with the skin, which slides out of
// the panel edge, stays for the display time and fades out (or slides back). A hidden popup
// is one of zero size; it is never hidden otherwise.
class CTaskbarNotifier : public QWidget, private SlideAnimation::Window {
    Q_OBJECT
public:
    // The step is chosen here, once: 4 pixels where the fade-out image can be shown, else 8.
    CTaskbarNotifier();
    ~CTaskbarNotifier() override;

    // Shows the window at (0, 0) with zero size, without activating it.
    bool Create();
    // face, size in tenths of a point, style bits: 1 bold, 2 italic, 4 underline.
    void SetTextFont(const QString& face, int tenths, int style);
    void SetTextColor(const QColor& color);
    // A picture file or Qt resource (its @2x twin on a denser screen); false when it cannot be
    // loaded.
    bool SetSkin(const QString& path);
    void SetTextRect(const QRect& rect);
    void SetText(const std::string& text);
    // text in code page 1256; times in ms.
    void Show(const std::string& text, unsigned displayTime, bool rightToLeft, unsigned showTime,
              unsigned hideTime);
    void Hide();
    void HideNow();

    // The timer handler; the window's own timers call it, tests may step it directly.
    void OnTimer(SlideAnimation::Timer timer);

    CScriptTextLayout& Layout() { return layout; }
    const SlideAnimation& Animation() const { return animation; }
    const QFont& NormalFont() const { return normalFont; }
    QColor NormalColor() const { return normalColor; }
    QSize SkinSize() const { return {skinWidth, skinHeight}; }
    QRect TextRect() const { return textRect; }
    const std::string& Text() const { return text; }
    bool Hovering() const { return hovering; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void StartTimer(SlideAnimation::Timer timer, unsigned period) override;
    void StopTimer(SlideAnimation::Timer timer) override;
    void Place(const QRect& geometry, const QPoint& skinOffset) override;
    void RepaintNow() override;
    bool LeaveFadeOutImage() override;
    QBasicTimer& TimerFor(SlideAnimation::Timer timer);
    void SetHovering(bool on);
    void AnnounceShown(bool shown);

    QFont normalFont;
    QColor normalColor;
    QImage skin;
    QRect textRect;
    // Where the skin's top-left corner lies in the window while it grows out of a top or
    // left edge (the window shows the skin's far part first).
    QPoint skinOffset;
    int skinWidth = 0;
    int skinHeight = 0;
    std::string text;
    bool hovering = false;
    bool rightToLeft = false;
    CScriptTextLayout layout{true};
    SlideAnimation animation;
    std::array<QBasicTimer, 3> timers;
};
