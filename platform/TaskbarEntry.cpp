#include "platform/TaskbarEntry.h"

#include <QEvent>
#include <QWindow>

namespace platform {

void TaskbarEntry::Suppress(QWindow* window) {
    if (!window)
        return;
    new TaskbarEntry(window);
    MarkSkipTaskbar(window);
}

TaskbarEntry::TaskbarEntry(QWindow* window) : QObject(window) {
    window->installEventFilter(this);
}

bool TaskbarEntry::eventFilter(QObject* watched, QEvent* event) {
    // The show event comes before the window is mapped, while the state is still ours to set.
    if (event->type() == QEvent::Show)
        MarkSkipTaskbar(static_cast<QWindow*>(watched));
    return false;
}

}  // namespace platform
