#include "app/ReminderApp.h"
#include "platform/DisplayOpeningGuard.h"
#include "platform/DisplayPlatform.h"

#include <QApplication>

#include <optional>

#if defined(__SANITIZE_ADDRESS__)
// The xcb platform's D-Bus client keeps one buffer for the life of the process, and Qt's
// StatusNotifierItem tray leaves a small object of its D-Bus module at exit; neither is ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libQt6DBus.so\n";
}
#endif

int main(int argc, char** argv) {
    if (!platform::PrepareDisplayPlatform(argc, argv))
        return 1;
    QCoreApplication::setApplicationName(QString::fromLatin1(CReminderApp::kApplicationName));
    CReminderApp reminder;
    std::optional<QApplication> app;
    {
        const platform::DisplayOpeningGuard guard;
        app.emplace(argc, argv);
    }
    reminder.InitInstance();
    return 0;
}
