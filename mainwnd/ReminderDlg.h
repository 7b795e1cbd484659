#pragma once

#include "mainwnd/ReminderScheduler.h"
#include "mainwnd/TrayMenu.h"
#include "mainwnd/TrayMenuTable.h"
#include "mainwnd/TrayZoom.h"
#include "platform/UserBusy.h"
#include "prefs/PreferencesDlg.h"
#include "splash/SplashButton.h"
#include "splash/SplashPicture.h"

#include <QDialog>
#include <QIcon>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <vector>

// The program's only main window: the start picture for two seconds, then the tray
// icon, the one-second timer that decides when a reminder is due, and the release of
// the process-wide objects at the end.
class CReminderDlg : public QDialog {
    Q_OBJECT
public:
    // The main window is 252 x 89 dialog units of an 8-point dialog font.
    static constexpr QSize kClientSize{378, 145};
    static constexpr int kTimerPeriodMs = 1000;
    // Said once when the start picture would hide but there is no tray to hide into.
    static const char* const kNoTrayMessage;

    // Reads every preference; creates the calendar, the string table, the settings,
    // the phrase store (which sends the start-up phrase) and the notifier.
    CReminderDlg();
    ~CReminderDlg() override;

    // The framework's modal run: initialise, show, and return when the window closes.
    int DoModal();

    bool OnInitDialog();
    void OnTimer();
    void RefreshTrayTip();
    static QString CurrentTrayTip();
    void ShowPreferences();
    void ShowAbout();
    // true when the command was handled here.
    bool OnCommand(int command);
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);
    void OnContextMenu(const QPoint& screenPoint);
    void HideToTray();
    // Keeps the rotation position when it moved since it was last kept: after each reminder
    // and re-show, at a session end, at the end of the run and at an end of the process that
    // never reaches the destructor. It touches no window, so it is safe at any moment of the
    // run and after the window is gone (then there is nothing to keep).
    static void SaveRotationPosition();

    // Whether the desktop has a system tray now; Qt's own answer unless a test sets one.
    void SetTrayProbe(std::function<bool()> probe) { m_trayAvailable = std::move(probe); }
    // True while the window stands in for a missing tray.
    bool WithoutTray() const { return m_withoutTray; }

    QSystemTrayIcon& TrayIcon() { return m_trayIcon; }
    CTrayMenu& TrayMenu() { return m_trayMenu; }
    CPreferencesDlg& Preferences() { return m_prefsDlg; }

public slots:
    // Esc must end the program the same way as every other close.
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class TrayRequest { Add, Modify, Delete };
    enum TrayFlags { kMessage = 1, kIcon = 2, kTip = 4 };

    void OnClose();
    static void FollowThePhraseFile();
    void TrayNotify(TrayRequest request, int flags, const QString& tip);
    void TrackMenu(const std::vector<traymenu::Entry>& entries, const QPoint& screenPoint,
                   const QString& date = QString());
    void StayWithoutTray();
    bool FindTrayNotifyRect(QRect& rect) const;
    QRect NormalRect() const;
    void ZoomToTray();
    void ZoomFromTray();
    void ReleaseSingletons();
    void ReShowLast();

    CSplashButton m_btnImage;
    QIcon m_hIcon;
    CPreferencesDlg m_prefsDlg;
    int m_nTimerId = 0;
    // The start-up hide is due but waits for an open menu.
    bool m_bHidePending = false;
    // Asked by the scheduler, so made before it and gone after it.
    platform::UserBusy m_userBusy;
    CReminderScheduler m_scheduler;
    std::unique_ptr<CSplashPicture> m_splashPicture;
    // Declared before the icon, which refers to it until it goes.
    CTrayMenu m_trayMenu;
    QSystemTrayIcon m_trayIcon;
    std::function<bool()> m_trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
    bool m_withoutTray = false;
    bool m_toldNoTray = false;
    CTrayZoom m_zoom;
};
