#pragma once

#include <QAccessibleWidget>

class QObject;
class QString;

// The popup as assistive technology sees it: a notification named with the phrase, which
// screen readers speak when it shows, even from a program in the background. Without it the
// popup is an unnamed filler: its text is glyph runs nothing can read.
class CNotifierAccessible : public QAccessibleWidget {
public:
    explicit CNotifierAccessible(QWidget* popup);

    // The hidden popup is one of zero size, never a hidden widget: it says so itself.
    QAccessible::State state() const override;

    // For QAccessible::installFactory: the interface of the popup, null for anything else.
    static QAccessibleInterface* Create(const QString& className, QObject* object);
};
