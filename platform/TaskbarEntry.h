#pragma once

#include <QObject>

class QWindow;

namespace platform {

// Keeps a window out of the taskbar, as a Windows tool window is. On X11 the window carries
// _NET_WM_STATE_SKIP_TASKBAR (and _SKIP_PAGER), set again before every showing, since the
// window manager may drop the state of a withdrawn window. Owned by the window it watches.
class TaskbarEntry : public QObject {
    Q_OBJECT
public:
    // Call before the window is first shown.
    static void Suppress(QWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TaskbarEntry(QWindow* window);
    static void MarkSkipTaskbar(QWindow* window);
};

}  // namespace platform
