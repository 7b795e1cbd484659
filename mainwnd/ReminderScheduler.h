#pragma once

#include <QDateTime>

// What the main window's one-second timer decides, kept apart from the window so that a
// test can hand it any time of day.
class CReminderScheduler {
public:
    struct TickResult {
        bool hideToTray = false;   // the start picture has been shown long enough
        bool reminderDue = false;  // the next phrase is to be shown now
    };

    // Ticks after start until the picture window hides itself.
    static constexpr int kStartupTicksToHide = 2;
    // A hand-edited interval of 0 or below would divide by zero; it runs as the default.
    static constexpr int kFallbackInterval = 10;
    // Longest gap between two ticks over which a skipped due second is still caught up.
    static constexpr qint64 kCatchUpSeconds = 5;

    // The interval in force for a stored value; values the dialog would refuse but that
    // cannot divide by zero are kept as they are.
    static int EffectiveInterval(unsigned storedMinutes);
    // Second 0 of a minute that the interval divides.
    static bool IsDueSecond(const QTime& time, unsigned intervalMinutes);

    TickResult OnTick(const QDateTime& now, bool enabled, unsigned intervalMinutes);

    int StartupTicks() const { return m_nStartupTicks; }

private:
    bool IsDue(const QDateTime& now, unsigned intervalMinutes) const;

    // -1 once the window has hidden itself.
    int m_nStartupTicks = 0;
    QDateTime m_lastTick;
};
