#include "app/ReminderApp.h"
#include "platform/DisplayPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    platform::PreferXcbUnderWayland();
    QApplication app(argc, argv);
    CReminderApp reminder;
    reminder.InitInstance();
    return 0;
}
