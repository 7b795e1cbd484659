#include "notifier/NotifierAccessible.h"

#include <QWidget>

#include "notifier/TaskbarNotifier.h"

CNotifierAccessible::CNotifierAccessible(QWidget* popup)
    : QAccessibleWidget(popup, QAccessible::Notification) {}

QAccessible::State CNotifierAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const bool hidden = widget()->size().isEmpty();
    state.invisible = hidden;
    state.offscreen = hidden;
    state.focusable = false;
    return state;
}

QAccessibleInterface* CNotifierAccessible::Create(const QString&, QObject* object) {
    auto* popup = qobject_cast<CTaskbarNotifier*>(object);
    return popup ? new CNotifierAccessible(popup) : nullptr;
}
