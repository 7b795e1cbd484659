#include "about/LinkLabel.h"

#include <QApplication>
#include <QMouseEvent>

#include "about/FallbackCommand.h"
#include "about/OpenErrorText.h"
#include "platform/AppMessages.h"
#include "platform/ShellOpen.h"

namespace {

constexpr int kShellSuccessAbove = 32;

// The browser's command with the target, or the opener's result when there is none to run.
int RunFallback(const std::optional<QString>& command, const QString& target, int openerResult) {
    if (!command)
        return openerResult;
    const auto arguments = BuildFallbackCommand(*command, target);
    if (!arguments)
        return openerResult;
    return platform::ShellOpen::Run(*arguments);
}

}  // namespace

CLinkLabel::CLinkLabel(QWidget* parent)
    : QLabel(parent), m_crHover(palette().color(QPalette::Highlight)) {}

void CLinkLabel::SetTarget(const QString& target) {
    m_strTarget = target;
    if (!m_bPrepared)
        return;
    FitToText();
    setToolTip(m_strTarget);
}

void CLinkLabel::PreSubclassWindow() {
    if (m_strTarget.isEmpty())
        m_strTarget = text();
    if (text().isEmpty())
        setText(m_strTarget);
    m_fontLink = font();
    m_fontLink.setUnderline(m_bUnderlined);
    setFont(m_fontLink);
    m_bPrepared = true;
    FitToText();
    LoadHandCursor();
    setToolTip(m_strTarget);
    setMouseTracking(true);
    ApplyColour();
}

void CLinkLabel::MarkVisited(bool visited) {
    m_bOpened = visited;
    ApplyColour();
}

QColor CLinkLabel::CtlColor() const {
    if (m_bHovering)
        return m_crHover;
    return m_bOpened ? m_crVisited : m_crLink;
}

// The desktop's opener first, then the web browser's own command with the target.
void CLinkLabel::OpenTarget(const QString& target, QObject* context,
                            std::function<void(int)> done) {
    platform::ShellOpen::Open(target, context, [target, context, done](int result) {
        if (result > kShellSuccessAbove) {
            done(result);
            return;
        }
        platform::ShellOpen::HtmlHandlerCommand(
            context, [target, result, done](const std::optional<QString>& command) {
                done(RunFallback(command, target, result));
            });
    });
}

void CLinkLabel::ShowOpenError(int code) {
    platform::AppMessages::Show(OpenErrorText(code), platform::MessageIcon::Exclamation);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    OnMouseMove(event->position().toPoint());
}

// Without a mouse capture the pointer leaving is told by the leave event.
void CLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    OnMouseMove(QPoint(-1, -1));
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnLinkClicked();
}

// The opener may take its time (a browser starting up); the program answers meanwhile, and
// a second click before the answer opens nothing more, so one click gives one message.
void CLinkLabel::OnLinkClicked() {
    if (m_bOpening)
        return;
    m_bOpening = true;
    OpenTarget(m_strTarget, this, [this](int result) { OnOpenResult(result); });
}

void CLinkLabel::OnOpenResult(int result) {
    m_bOpening = false;
    m_bOpened = result > kShellSuccessAbove;
    if (m_bOpened) {
        MarkVisited(true);
        return;
    }
    ApplyColour();
    QApplication::beep();
    ShowOpenError(result);
}

void CLinkLabel::OnMouseMove(const QPoint& point) {
    const bool inside = rect().contains(point);
    if (m_bHovering == inside)
        return;
    m_bHovering = inside;
    ApplyColour();
}

// Keeps the corner (or middle) the alignment anchors and takes exactly the text's extent.
void CLinkLabel::FitToText() {
    if (!m_bPrepared || !m_bAutoFit)
        return;
    const QSize extent = QFontMetrics(m_fontLink).size(Qt::TextSingleLine, text());
    QRect rect = geometry();
    if (alignment() & Qt::AlignVCenter) {
        const int inset = (rect.height() - extent.height()) / 2;
        rect.adjust(0, inset, 0, -inset);
    } else {
        rect.setHeight(extent.height());
    }
    if (alignment() & Qt::AlignHCenter) {
        const int inset = (rect.width() - extent.width()) / 2;
        rect.adjust(inset, 0, -inset, 0);
    } else if (alignment() & Qt::AlignRight) {
        rect.setLeft(rect.left() + rect.width() - extent.width());
    } else {
        rect.setWidth(extent.width());
    }
    setGeometry(rect);
}

void CLinkLabel::LoadHandCursor() {
    setCursor(Qt::PointingHandCursor);
}

// The colour shows at once, not at the next paint.
void CLinkLabel::ApplyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CtlColor());
    setPalette(colours);
    repaint();
}
