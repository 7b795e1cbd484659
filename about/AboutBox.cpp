#include "about/AboutBox.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QUrl>

#include "app/SettingsStore.h"
#include "notifier/FadeOutWindow.h"

namespace {

const QString kWebPage = "https://quietbell.example.org/";
const QString kSupportMail = "support@quietbell.example.org";

// Dialog units of the dialog's 8-point font: a quarter of the average character width
// across, an eighth of the character height down.
class DialogUnitScale {
public:
    explicit DialogUnitScale(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        m_nBaseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
        m_nBaseY = metrics.height();
    }
    QRect Map(int x, int y, int width, int height) const {
        return QRect(x * m_nBaseX / 4, y * m_nBaseY / 8, width * m_nBaseX / 4,
                     height * m_nBaseY / 8);
    }

private:
    int m_nBaseX = 6;
    int m_nBaseY = 13;
};

void PlaceStatic(QLabel& label, const char* id, const QString& text, QRect rect) {
    label.setObjectName(id);
    label.setText(text);
    label.setTextFormat(Qt::PlainText);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setGeometry(rect);
}

QLabel* AddStatic(QDialog* dialog, const QString& text, QRect rect) {
    auto* label = new QLabel(dialog);
    PlaceStatic(*label, "65535", text, rect);
    return label;
}

}  // namespace

CAboutBox::CAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_linkSupportMail(this),
      m_linkWebPage(this),
      m_animation(this) {
    setWindowTitle("About Quietbell");
    setFont(QFont("MS Sans Serif", 8));
    const DialogUnitScale units(font());
    setFixedSize(units.Map(0, 0, 289, 124).size());

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setDefault(true);
    ok->setGeometry(units.Map(232, 6, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    PlaceStatic(m_linkWebPage, "1010", kWebPage, units.Map(73, 60, 209, 8));
    PlaceStatic(m_linkSupportMail, "1009", kSupportMail, units.Map(73, 73, 209, 8));
    AddStatic(this, "Quietbell Version 1.01", units.Map(46, 9, 172, 8));
    AddStatic(this, "Copyright (C) 2026 Brindlewax. All rights reserved.",
              units.Map(7, 34, 275, 8));
    AddStatic(this, "To register for future updates or send comments, send email to :",
              units.Map(7, 46, 275, 8));
    AddStatic(this,
              "May ALLAH forgive everyone who distributed or helped in testing and coding of "
              "this program. May ALLAH count this program in our good deeds",
              units.Map(7, 98, 275, 19))
        ->setWordWrap(true);
    PlaceStatic(m_animation, "1049", "Static", units.Map(7, 2, 33, 22));
    // The picture paints over the placeholder text, which a screen reader would read.
    m_animation.setAccessibleName("Quietbell picture");
    // A screen reader reads each address with its caption.
    AddStatic(this, "Web site:", units.Map(9, 60, 47, 8))->setBuddy(&m_linkWebPage);
    AddStatic(this, "Support:", units.Map(9, 73, 47, 8))->setBuddy(&m_linkSupportMail);

    const QString mailQuery =
        "?subject=Register&body=" + QUrl::toPercentEncoding("Jazak Allah Khyran");
    m_linkSupportMail.SetTarget("mailto:" + kSupportMail + mailQuery);
    m_linkWebPage.SetTarget(kWebPage);
    m_linkSupportMail.PreSubclassWindow();
    m_linkWebPage.PreSubclassWindow();
    OnInitDialog();
}

// The picture stops its thread before any control goes.
CAboutBox::~CAboutBox() {
    m_animation.StopAnimation();
}

void CAboutBox::OnInitDialog() {
    const QString path = CSettingsStore::Instance()->GetDataFolder() + "AnimatedFree.gif";
    if (m_animation.LoadFile(path))
        m_animation.Play();
}

void CAboutBox::accept() {
    new CFadeOutWindow(this, kFadeTime, 255);  // deletes itself when its fade ends
    QDialog::accept();
}
