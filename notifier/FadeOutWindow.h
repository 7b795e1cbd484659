#pragma once

#include <QWidget>

// The fading image a closing window leaves behind. Created with new by the closing
// window, which drops the pointer at once: the window deletes itself when the fade ends.
class CFadeOutWindow : public QWidget {
    Q_OBJECT
public:
    // Whether the desktop can show translucent windows (a compositor runs on X11).
    static bool ResolveUpdateLayeredWindow();

    // startOpacity 5 … 255; without layered windows the object deletes itself at once.
    CFadeOutWindow(QWidget* target, int fadeTime, int startOpacity);
    ~CFadeOutWindow() override;
};
