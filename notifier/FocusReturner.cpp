#include "notifier/FocusReturner.h"

#include <QGuiApplication>
#include <QWidget>

FocusReturner::FocusReturner(QWidget* window) : QObject(window), window(window) {
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &FocusReturner::OnFocusWindowChanged);
}

void FocusReturner::OnFocusWindowChanged(QWindow* now) {
    if (!now)
        return;
    if (now != window->windowHandle()) {
        previous = now;
        return;
    }
    if (previous)
        previous->requestActivate();
}
