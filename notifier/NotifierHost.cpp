#include "notifier/NotifierHost.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <new>

#include "notifier/DisplayTime.h"
#include "notifier/TaskbarNotifier.h"
#include "script/CodePage1256.h"
#include "platform/DesktopNotification.h"
#include "platform/ScreenReader.h"

namespace {

constexpr int kStartFontSize = 85;
constexpr int kTextMargin = 30;
constexpr unsigned kShowTime = 500;
constexpr unsigned kHideTime = 500;
const char* const kFace = "Tahoma";
const char* const kSkin = ":/images/NotifierSkin.bmp";

// Wayland lets no window place itself: the popup could not rise from the panel's corner.
bool WindowsPlaceThemselves() {
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

std::unique_ptr<CNotifierHost>& TheInstance() {
    static std::unique_ptr<CNotifierHost> instance;
    return instance;
}

}  // namespace

CNotifierHost* CNotifierHost::GetInstance() {
    std::unique_ptr<CNotifierHost>& instance = TheInstance();
    if (!instance)
        instance.reset(new (std::nothrow) CNotifierHost);
    return instance.get();
}

void CNotifierHost::DestroyInstance() {
    TheInstance().reset();
}

CNotifierHost::CNotifierHost()
    : notifier(std::make_unique<CTaskbarNotifier>()),
      toDesktopNotifications(!WindowsPlaceThemselves()),
      screenReaderRunning(&platform::ScreenReaderRunning) {
    fontSize = kStartFontSize;
    // Where phrases go to the desktop's notifications, the popup shows only when they fail.
    if (!toDesktopNotifications)
        notifier->Create();
    notifier->SetTextFont(kFace, fontSize, 0);
    notifier->SetTextColor(Qt::black);
    // A skin that fails to load leaves the popup hidden: Show has nothing to slide.
    notifier->SetSkin(kSkin);
    const QSize skin = notifier->SkinSize();
    notifier->SetTextRect(QRect(kTextMargin, kTextMargin, skin.width() - 2 * kTextMargin,
                                skin.height() - 2 * kTextMargin));
}

CNotifierHost::~CNotifierHost() = default;

void CNotifierHost::ShowPhrase(std::string text, bool rightToLeft) {
    const int displayTime = static_cast<int>(notifier::DisplayTimeFor(text));
    const QString unicode = QString::fromStdU16String(script::CodePage1256::ToUtf16(text));
    if (screenReaderMessage && screenReaderRunning())
        screenReaderMessage(unicode, displayTime);
    if (toDesktopNotifications && platform::SendDesktopNotification(
                                      QCoreApplication::applicationName(), unicode, displayTime))
        return;
    // Without the service the popup shows where the compositor puts it, better than nowhere.
    if (notifier->isHidden())
        notifier->Create();
    notifier->Show(text, static_cast<unsigned>(displayTime), rightToLeft, kShowTime, kHideTime);
}

void CNotifierHost::SetFontSize(int tenths) {
    if (tenths == fontSize)
        return;
    fontSize = tenths;
    notifier->SetTextFont(kFace, tenths, 0);
    // No repaint: the next paint measures the new size.
    notifier->Layout().InvalidateLayout();
}

CTaskbarNotifier& CNotifierHost::Notifier() {
    return *notifier;
}
