#pragma once

#include <QBasicTimer>
#include <QPixmap>
#include <QWidget>

#include <cstdint>

// The fading image a closing window leaves behind: a translucent window over the closing one
// that paints its picture with less opacity at every step. Created with new by the closing
// window, which drops the pointer at once: the window deletes itself when the fade ends.
// It lets every click through to what lies beneath and never keeps the focus.
class CFadeOutWindow : public QWidget {
    Q_OBJECT
public:
    // Whether the desktop can show translucent windows (a compositor runs on X11).
    static bool ResolveUpdateLayeredWindow();

    // startOpacity 5 … 255; without layered windows the object deletes itself at once.
    CFadeOutWindow(QWidget* target, int fadeTime, int startOpacity);
    ~CFadeOutWindow() override;

    // The timer handler: opacity down by 5, or the end of the fade. Tests may step it.
    void OnTimer();

    int Remaining() const { return remaining; }
    // Milliseconds between two steps of 5: fadeTime / (startOpacity / 5).
    static int PeriodFor(int fadeTime, int startOpacity);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QPixmap picture;
    std::uint8_t remaining = 0;
    QBasicTimer timer;
};
