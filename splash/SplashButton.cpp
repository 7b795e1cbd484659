#include "splash/SplashButton.h"

#include "splash/SplashPicture.h"

#include <QPainter>

CSplashButton::CSplashButton(QWidget* parent) : QPushButton(QStringLiteral("Image"), parent) {
    setObjectName(QStringLiteral("1000"));
    setEnabled(false);
    setFlat(true);
    // A disabled button still swallows the mouse; the main window beneath must get it, so
    // that the right button opens its context menu.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

CSplashButton::~CSplashButton() = default;

void CSplashButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CSplashButton::DrawItem(QPainter& painter, const QRect& itemRect) {
    // Without a picture the face stays a white box in a black frame.
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(itemRect.adjusted(0, 0, -1, -1));
    if (picture)
        picture->Draw(painter, itemRect);
}
