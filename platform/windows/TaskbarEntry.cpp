#include "platform/TaskbarEntry.h"

#include <QWindow>

#include <windows.h>

namespace platform {

void TaskbarEntry::MarkSkipTaskbar(QWindow* window) {
    // A tool window has no taskbar button; an app window would get one whatever its style.
    const auto handle = reinterpret_cast<HWND>(window->winId());
    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    SetWindowLongPtrW(handle, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~WS_EX_APPWINDOW);
}

}  // namespace platform
