#include "app/ReminderApp.h"
#include "platform/DisplayOpeningGuard.h"
#include "platform/DisplayPlatform.h"

#include <QApplication>

#include <optional>

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
