#pragma once

#include <QPushButton>

class CSplashPicture;

// The main window's whole face: a disabled button that shows the start picture.
class CSplashButton : public QPushButton {
    Q_OBJECT
public:
    explicit CSplashButton(QWidget* parent = nullptr);
    ~CSplashButton() override;

    // The holder to draw; owned by the main window, never deleted here.
    CSplashPicture* picture = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawItem(QPainter& painter, const QRect& itemRect);
};
