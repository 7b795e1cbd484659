#include "PopupText.h"

#include <QPainter>

#include "notifier/NotifierHost.h"
#include "notifier/TaskbarNotifier.h"

namespace popuptext {

QImage Draw(const std::string& phrase, CScriptTextLayout::Path path, int fontTenths) {
    CNotifierHost* host = CNotifierHost::GetInstance();
    host->SetFontSize(fontTenths);
    CTaskbarNotifier& notifier = host->Notifier();
    notifier.SetText(phrase);
    QImage image(notifier.SkinSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter dc(&image);
    dc.setPen(Qt::black);
    CScriptTextLayout& layout = notifier.Layout();
    layout.SetPathForTests(path);
    const QFont previous = layout.SelectFont(dc, &notifier.NormalFont());
    dc.setBackgroundMode(Qt::TransparentMode);
    layout.SetDirection(true);
    layout.Draw(dc, notifier.TextRect());
    dc.setFont(previous);
    layout.SetPathForTests(CScriptTextLayout::Path::Auto);
    return image;
}

QRect TextArea() {
    return CNotifierHost::GetInstance()->Notifier().TextRect();
}

QRect InkBounds(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

}  // namespace popuptext
