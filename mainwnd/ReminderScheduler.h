#pragma once

#include <QDateTime>

#include <functional>

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

    // holdWhileBusy: a due reminder waits while the busy probe says the user is busy, and
    // shows once at the first tick that finds the user free, however many fell due meanwhile.
    TickResult OnTick(const QDateTime& now, bool enabled, unsigned intervalMinutes,
                      bool holdWhileBusy = false);

    // Asked only at a due tick and at each tick while a reminder is held, never while idle;
    // without one the user is never busy.
    void SetBusyProbe(std::function<bool()> probe) { m_userBusy = std::move(probe); }
    bool Holding() const { return m_bHeld; }

    int StartupTicks() const { return m_nStartupTicks; }

private:
    bool IsDue(const QDateTime& now, unsigned intervalMinutes) const;
    bool ShowsNow(bool due, bool holdWhileBusy);

    // -1 once the window has hidden itself.
    int m_nStartupTicks = 0;
    QDateTime m_lastTick;
    std::function<bool()> m_userBusy;
    bool m_bHeld = false;
};
