#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

// Hands the keyboard focus straight back whenever it lands on a window that must never keep
// it (the popup, the fading image), to the window of ours that had it before.
class FocusReturner : public QObject {
    Q_OBJECT
public:
    explicit FocusReturner(QWidget* window);

private:
    void OnFocusWindowChanged(QWindow* now);

    QWidget* window;
    QPointer<QWindow> previous;
};
