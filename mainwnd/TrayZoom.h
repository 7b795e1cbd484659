#pragma once

#include <QVariantAnimation>
#include <QWidget>

// The short rectangle animation between the main window and the tray icon, in place of
// the shell's caption zoom: a caption-coloured bar that travels and shrinks or grows.
class CTrayZoom : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDurationMs = 250;

    explicit CTrayZoom(QWidget* parent = nullptr);

    // Nothing is drawn when either rectangle is empty.
    void Run(const QRect& from, const QRect& to);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVariantAnimation m_animation;
};
