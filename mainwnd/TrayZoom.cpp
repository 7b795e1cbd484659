#include "mainwnd/TrayZoom.h"

#include <QPainter>

CTrayZoom::CTrayZoom(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_animation.setDuration(kDurationMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setGeometry(value.toRect()); });
    connect(&m_animation, &QVariantAnimation::finished, this, &QWidget::hide);
}

void CTrayZoom::Run(const QRect& from, const QRect& to) {
    if (from.isEmpty() || to.isEmpty())
        return;
    m_animation.stop();
    m_animation.setStartValue(from);
    m_animation.setEndValue(to);
    setGeometry(from);
    show();
    m_animation.start();
}

void CTrayZoom::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
