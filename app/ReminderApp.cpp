#include "app/ReminderApp.h"

#include "content/PhraseStore.h"
#include "mainwnd/ReminderDlg.h"
#include "notifier/NotifierHost.h"
#include "platform/AppMessages.h"
#include "platform/ExitRelease.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// The framework's application message box: the caption is the application name, and an
// OK box without an icon of its own gets the exclamation mark.
void ShowApplicationMessage(const platform::AppMessage& message) {
    const QMessageBox::Icon icon =
        message.icon == platform::MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning;
    QMessageBox box(icon, QCoreApplication::applicationName(), message.text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

CReminderApp::CReminderApp() = default;

CReminderApp::~CReminderApp() = default;

bool CReminderApp::InitInstance() {
    platform::AppMessages::SetHandler(ShowApplicationMessage);
    auto guard = std::make_unique<platform::SingleInstanceLock>(QString::fromLatin1(kInstanceName));
    if (guard->state() == platform::SingleInstanceLock::State::AlreadyRunning) {
        platform::AppMessages::Show(QString::fromLatin1(kAlreadyRunning),
                                    platform::MessageIcon::Stop);
        return false;
    }
    m_hInstanceMutex = std::move(guard);
    QCoreApplication::setOrganizationName(QString::fromLatin1(kCompanyKey));
    // The popups, dialogs and a hidden main window come and go; only the main window's
    // close ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    CPhraseStore::SetSink([](const std::string& phrase, bool rightToLeft) {
        CNotifierHost::GetInstance()->ShowPhrase(phrase, rightToLeft);
    });

    CReminderDlg dlg;
    // A logout, a kill or Ctrl+C closes the window normally, so the position is saved.
    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::received, &dlg, &QWidget::close);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &dlg,
                     &CReminderDlg::SaveRotationPosition);
    // A lost display ends the process through exit() at any moment, past the window's
    // destructor or in the middle of it, with the thread's storage already gone: only the
    // place is kept then, and no window is touched. Armed after the window was made, so
    // that the settings' own objects were made before the guard and are still there when
    // it runs; it stays armed until the application object is gone.
    m_exitRelease.emplace(&CReminderDlg::SaveRotationPosition);
    dlg.DoModal();
    return false;
}
