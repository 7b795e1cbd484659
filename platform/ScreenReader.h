#pragma once

namespace platform {

// Whether the system says a screen reader runs. On Windows, where Qt's UI Automation bridge
// announces no window that shows, the program then also gives each phrase to the tray icon's
// message, which screen readers read. Elsewhere the popup's own accessible notification is
// spoken, and the answer is no.
bool ScreenReaderRunning();

}  // namespace platform
