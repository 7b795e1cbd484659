#pragma once

#include "platform/ExitRelease.h"
#include "platform/SingleInstanceLock.h"

#include <memory>
#include <optional>

// The program's one application object: the single-instance guard, the settings area,
// and the main window's run. The process ends when the main window closes. Made before the
// QApplication and gone after it, so that a display lost while the window or the
// QApplication goes still ends the process through its exit guard.
class CReminderApp {
public:
    // The name of the settings file and the caption of messages, whatever the executable
    // or a link to it is called.
    static constexpr const char* kApplicationName = "quietbell";
    static constexpr const char* kInstanceName = "com.brindlewax.mirel.Singlton.V1.0";
    static constexpr const char* kCompanyKey = "Brindlewax";
    static constexpr const char* kAlreadyRunning =
        "QUietbell program is already running\n if you are running a newer version, please "
        "close the older version first and uninstall it.";

    CReminderApp();
    ~CReminderApp();

    // Runs the whole program; false in every case, as the framework expects.
    bool InitInstance();

private:
    std::unique_ptr<platform::SingleInstanceLock> m_hInstanceMutex;
    std::optional<platform::ExitRelease> m_exitRelease;
};
