#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

#include <functional>

// A static text turned hyperlink: underlined in the link colour, a hand pointer and a
// tooltip with the target over it, and a click that opens the target on the desktop.
class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kLinkColour = 0xFF0000EE;     // RGB(0, 0, 238)
    static constexpr QRgb kVisitedColour = 0xFF551A8B;  // RGB(85, 26, 139)

    explicit CLinkLabel(QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    const QString& Target() const { return m_strTarget; }

    // Called by the dialog once the control has its text, font and place: the underlined
    // font, the fitted size, the hand pointer and the tooltip.
    void PreSubclassWindow();

    void MarkVisited(bool visited);
    bool IsHovering() const { return m_bHovering; }
    bool IsOpened() const { return m_bOpened; }
    QColor CtlColor() const;

    // Opens the target without waiting; done gets the shell's result code (above 32 when
    // the target was opened) from the event loop, unless context is gone by then.
    static void OpenTarget(const QString& target, QObject* context, std::function<void(int)> done);
    static void ShowOpenError(int code);
    // A click's open has not answered yet; further clicks wait for it.
    bool IsOpening() const { return m_bOpening; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnLinkClicked();
    void OnOpenResult(int result);
    void OnMouseMove(const QPoint& point);
    void FitToText();
    void LoadHandCursor();
    void ApplyColour();

    QColor m_crLink = QColor::fromRgb(kLinkColour);
    QColor m_crVisited = QColor::fromRgb(kVisitedColour);
    QColor m_crHover;
    bool m_bHovering = false;
    bool m_bOpened = false;
    bool m_bUnderlined = true;
    bool m_bAutoFit = true;
    bool m_bPrepared = false;
    bool m_bOpening = false;
    QString m_strTarget;
    QFont m_fontLink;
};
