#include "mainwnd/ReminderDlg.h"

#include "about/AboutBox.h"
#include "app/PreferenceKeys.h"
#include "app/SettingsStore.h"
#include "app/StringTable.h"
#include "content/PhraseStore.h"
#include "hijri/HijriCalendar.h"
#include "mainwnd/TrayTip.h"
#include "notifier/NotifierHost.h"
#include "platform/AppMessages.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <optional>

const char* const CReminderDlg::kNoTrayMessage =
    "Quietbell found no system tray on this desktop, so its icon cannot be shown there. "
    "Its window stays in the task list instead: right-click the picture for About, "
    "Preferences, Re-Show and Exit.\n\n"
    "To get a tray, add a notification area (system tray) to your panel. On GNOME, install "
    "and turn on the AppIndicator extension (Debian package "
    "gnome-shell-extension-appindicator). Quietbell moves into the tray as soon as one is "
    "there.";

CReminderDlg::CReminderDlg()
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_btnImage(this),
      m_hIcon(QStringLiteral(":/images/quietbell.png")),
      m_trayMenu(traymenu::TrayMenu(), this) {
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Quietbell"));
    setFixedSize(kClientSize);
    m_btnImage.setGeometry(QRect(QPoint(0, 0), kClientSize));
    FollowThePhraseFile();
    // A screen reader would read the button's placeholder text.
    m_btnImage.setAccessibleName(QStringLiteral("Quietbell start picture"));
    m_scheduler.SetBusyProbe([this] { return m_userBusy.Now(); });
}

CReminderDlg::~CReminderDlg() {
    SaveRotationPosition();
    ReleaseSingletons();
}

int CReminderDlg::DoModal() {
    OnInitDialog();
    show();
    connect(this, &QDialog::finished, qApp, &QCoreApplication::quit);
    qApp->exec();
    return result();
}

bool CReminderDlg::OnInitDialog() {
    m_splashPicture = std::make_unique<CSplashPicture>(
        CSettingsStore::Instance()->GetDataFolder() + QStringLiteral("SplashScreen.jpg"), 1);
    m_btnImage.picture = m_splashPicture.get();
    // No window manager here offers a window menu that a program may extend; the context
    // menu and the tray menu carry the same commands.
    setWindowIcon(m_hIcon);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(0, 0), kClientSize);
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    m_nTimerId = startTimer(kTimerPeriodMs, Qt::PreciseTimer);
    // Queued: the tray's own mouse handler must return before a menu or dialog opens,
    // since Exit removes the icon whose window is handling the click.
    const auto queuedOnce =
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &CReminderDlg::OnTrayNotify,
            queuedOnce);
    // Queued for the same reason, and because a menu entry chosen over D-Bus must have its
    // answer sent before a dialog's own loop runs.
    connect(&m_trayMenu, &CTrayMenu::commandChosen, this, &CReminderDlg::OnCommand, queuedOnce);
    // Qt opens this menu on a right click in an XEmbed tray and exports it over DBusMenu to a
    // StatusNotifierItem host; it is set before the icon shows, so the item has it at once.
    m_trayIcon.setContextMenu(&m_trayMenu);
    // The icon comes with its date: a tray that is told of a new tip right after the icon
    // was added (Wine's) may leave the icon where the pointer cannot reach it.
    TrayNotify(TrayRequest::Add, kMessage | kIcon | kTip, CurrentTrayTip());
    return true;
}

void CReminderDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_nTimerId)
        OnTimer();
}

void CReminderDlg::OnTimer() {
    const auto tick = m_scheduler.OnTick(platform::Clock::CurrentLocal(), m_prefsDlg.m_bEnable != 0,
                                         m_prefsDlg.m_nInterval, m_prefsDlg.m_bHoldWhileBusy != 0);
    // A tray that turns up later takes the window that stood in for it.
    if (tick.hideToTray || (m_withoutTray && m_trayAvailable()))
        m_bHidePending = true;
    // A menu open on the picture would go with it, and the keys typed into it with it: the
    // picture waits for the menu to close.
    // A picture that Send to Tray took away meanwhile is left as it is.
    if (m_bHidePending && QApplication::activePopupWidget() == nullptr) {
        m_bHidePending = false;
        if (isVisible() || m_withoutTray)
            HideToTray();
    }
    if (tick.reminderDue) {
        CPhraseStore::Instance()->ShowPhraseAt(-1);
        SaveRotationPosition();
        RefreshTrayTip();
    }
}

QString CReminderDlg::CurrentTrayTip() {
    return traytip::Compose(CHijriCalendar::Instance()->GetAdjustedDate());
}

void CReminderDlg::RefreshTrayTip() {
    TrayNotify(TrayRequest::Modify, kIcon | kTip, CurrentTrayTip());
}

void CReminderDlg::TrayNotify(TrayRequest request, int flags, const QString& tip) {
    CNotifierHost* host = CNotifierHost::GetInstance();
    if (request == TrayRequest::Delete) {
        if (host)
            host->SetScreenReaderMessage({});
        m_trayIcon.hide();
        return;
    }
    if (flags & kIcon) {
        setWindowIcon(m_hIcon);
        m_trayIcon.setIcon(m_hIcon);
    }
    if (flags & kTip) {
        m_trayIcon.setToolTip(tip);
        // Trays that show no tooltip still show the menu, so the date goes there too.
        m_trayMenu.SetDateText(traytip::DateOf(tip));
    }
    if (request == TrayRequest::Add) {
        m_trayIcon.show();
        // Screen readers read the tray's messages where they hear nothing of the popup.
        if (host) {
            host->SetScreenReaderMessage([this](const QString& text, int timeoutMs) {
                m_trayIcon.showMessage(QCoreApplication::applicationName(), text,
                                       QSystemTrayIcon::NoIcon, timeoutMs);
            });
        }
    }
}

void CReminderDlg::ShowPreferences() {
    if (m_prefsDlg.exec() == QDialog::Accepted)
        RefreshTrayTip();
}

void CReminderDlg::ShowAbout() {
    CAboutBox about;
    about.exec();
}

bool CReminderDlg::OnCommand(int command) {
    switch (command) {
        case traymenu::ID_TRAY_ABOUT:
            ShowAbout();
            return true;
        case traymenu::ID_TRAY_PREFERENCES:
            ShowPreferences();
            return true;
        case traymenu::ID_TRAY_RESHOW:
            ReShowLast();
            return false;
        case traymenu::ID_TRAY_EXIT:
            close();
            return true;
        case traymenu::ID_TRAY_SENDTOTRAY:
            // The item says what it does: the picture goes to the tray, the program runs on.
            HideToTray();
            return true;
        default:
            return false;
    }
}

void CReminderDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            ReShowLast();
            break;
        case QSystemTrayIcon::DoubleClick:
            ZoomFromTray();
            ShowPreferences();
            break;
        // Context: Qt opens the menu set on the icon itself, or the tray shows it over D-Bus.
        default:
            break;
    }
}

void CReminderDlg::contextMenuEvent(QContextMenuEvent* event) {
    OnContextMenu(event->globalPos());
}

void CReminderDlg::OnContextMenu(const QPoint& screenPoint) {
    // Without a tray this menu is the only one left: it carries the tray menu, Exit and date.
    if (m_withoutTray)
        TrackMenu(traymenu::TrayMenu(), screenPoint, traytip::DateOf(m_trayIcon.toolTip()));
    else
        TrackMenu(traymenu::ContextMenu(), screenPoint);
}

// The window's menus are made from the table each time they open and go when they close.
void CReminderDlg::TrackMenu(const std::vector<traymenu::Entry>& entries, const QPoint& screenPoint,
                             const QString& date) {
    CTrayMenu menu(entries, this);
    menu.SetDateText(date);
    int chosen = traymenu::kSeparator;
    connect(&menu, &CTrayMenu::commandChosen, this, [&chosen](int command) { chosen = command; });
    menu.exec(screenPoint);
    if (chosen != traymenu::kSeparator)
        OnCommand(chosen);
}

void CReminderDlg::HideToTray() {
    if (!m_trayAvailable()) {
        StayWithoutTray();
        return;
    }
    m_withoutTray = false;
    // Minimised in place: showMinimized would map the window again after the minimise has
    // hidden it, and a compositor may keep the frame of a window mapped and unmapped at once.
    setWindowState(windowState() | Qt::WindowMinimized);
    ZoomToTray();
    hide();
}

// Hiding with no tray to come back from would leave the program running out of reach: the
// window stays in the task list, and the user is told once why and what to do.
void CReminderDlg::StayWithoutTray() {
    m_withoutTray = true;
    showMinimized();
    if (m_toldNoTray)
        return;
    m_toldNoTray = true;
    // Shown from the event loop, not from inside the timer's tick: while the box is open its
    // own loop goes on delivering the ticks, so reminders keep coming.
    QTimer::singleShot(0, this,
                       [] { platform::AppMessages::Show(QString::fromLatin1(kNoTrayMessage)); });
}

bool CReminderDlg::FindTrayNotifyRect(QRect& rect) const {
    // The tray tells where its icon is where it can; elsewhere there is no zoom.
    rect = m_trayIcon.geometry();
    return m_trayIcon.isVisible() && !rect.isEmpty();
}

QRect CReminderDlg::NormalRect() const {
    const QRect normal = normalGeometry();
    return normal.isEmpty() ? geometry() : normal;
}

void CReminderDlg::ZoomToTray() {
    QRect tray;
    if (FindTrayNotifyRect(tray))
        m_zoom.Run(NormalRect(), tray);
}

void CReminderDlg::ZoomFromTray() {
    QRect tray;
    if (FindTrayNotifyRect(tray))
        m_zoom.Run(tray, NormalRect());
}

void CReminderDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Without a tray a hidden window could not be brought back.
    if (event->type() != QEvent::WindowStateChange || !m_prefsDlg.m_bHideWhenMinimized ||
        m_withoutTray)
        return;
    if (isMinimized())
        hide();
    else if (isMaximized())
        show();
}

void CReminderDlg::closeEvent(QCloseEvent* event) {
    OnClose();
    event->accept();
}

void CReminderDlg::reject() {
    OnClose();
}

void CReminderDlg::OnClose() {
    if (m_nTimerId != 0) {
        killTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    TrayNotify(TrayRequest::Delete, 0, QString());
    QDialog::reject();
}

// Written as soon as it moves, so that a kill or a lost display keeps the place; a re-show
// moves it only when it wraps to the end of the list. The settings skip a value the file
// already holds, so an unmoved place costs no write, and at the end the run's place wins
// over whatever else wrote the file meanwhile.
void CReminderDlg::SaveRotationPosition() {
    if (const CPhraseStore* store = CPhraseStore::Existing())
        WritePreferenceInt(prefkeys::kPopupIndex, store->m_nCurrent);
}

// The stored position was counted in the file the stored mark names (no mark: the shipped
// file). Counted in another file, it means nothing here: the rotation starts again at the
// first reminder line of the file in use. The position goes first, so that a run ended
// between the two writes only starts the rotation again once more.
void CReminderDlg::FollowThePhraseFile() {
    CPhraseStore* store = CPhraseStore::Instance();
    if (store->m_bDisabled)
        return;
    const std::optional<int> mark = store->FileMark();
    if (FindPreferenceInt(prefkeys::kPopupFile) == mark)
        return;
    store->RestartRotation();
    SaveRotationPosition();
    if (mark)
        WritePreferenceInt(prefkeys::kPopupFile, *mark);
    else
        RemovePreference(prefkeys::kPopupFile);
}

void CReminderDlg::ReShowLast() {
    CPhraseStore::Instance()->ReShowLast();
    SaveRotationPosition();
}

// Each release acts only on an object that exists; none is created to be released.
void CReminderDlg::ReleaseSingletons() {
    CPhraseStore::DestroyInstance();
    CNotifierHost::DestroyInstance();
    CHijriCalendar::DestroyInstance();
    CStringTable::DestroyInstance();
    CSettingsStore::DestroyInstance();
}
