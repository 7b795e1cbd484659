#include "notifier/NotifierHost.h"

#include <new>

#include "notifier/DisplayTime.h"
#include "notifier/TaskbarNotifier.h"

namespace {

constexpr int kStartFontSize = 85;
constexpr int kTextMargin = 30;
constexpr unsigned kShowTime = 500;
constexpr unsigned kHideTime = 500;
const char* const kFace = "Tahoma";
const char* const kSkin = ":/images/NotifierSkin.bmp";

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

CNotifierHost::CNotifierHost() : notifier(std::make_unique<CTaskbarNotifier>()) {
    fontSize = kStartFontSize;
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
    const unsigned displayTime = notifier::DisplayTimeFor(text);
    notifier->Show(text, displayTime, rightToLeft, kShowTime, kHideTime);
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
