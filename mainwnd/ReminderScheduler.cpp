#include "mainwnd/ReminderScheduler.h"

int CReminderScheduler::EffectiveInterval(unsigned storedMinutes) {
    const int minutes = static_cast<int>(storedMinutes);
    return minutes <= 0 ? kFallbackInterval : minutes;
}

bool CReminderScheduler::IsDueSecond(const QTime& time, unsigned intervalMinutes) {
    return time.second() == 0 && time.minute() % EffectiveInterval(intervalMinutes) == 0;
}

CReminderScheduler::TickResult CReminderScheduler::OnTick(const QDateTime& now, bool enabled,
                                                          unsigned intervalMinutes,
                                                          bool holdWhileBusy) {
    TickResult result;
    if (m_nStartupTicks >= 0 && ++m_nStartupTicks >= kStartupTicksToHide) {
        m_nStartupTicks = -1;
        result.hideToTray = true;
    }
    const bool due = enabled && IsDue(now, intervalMinutes);
    // Reminders switched off meanwhile take the held one with them.
    m_bHeld = m_bHeld && enabled;
    result.reminderDue = ShowsNow(due, holdWhileBusy);
    m_lastTick = now;
    return result;
}

// The place in the phrase list moves only when a reminder shows, so a held one keeps it.
bool CReminderScheduler::ShowsNow(bool due, bool holdWhileBusy) {
    if (!due && !m_bHeld)
        return false;
    m_bHeld = holdWhileBusy && m_userBusy && m_userBusy();
    return !m_bHeld;
}

// A timer tick may come a little early or late: two ticks in one due second show one
// reminder, and a due second that fell between two close ticks is still shown.
bool CReminderScheduler::IsDue(const QDateTime& now, unsigned intervalMinutes) const {
    const qint64 gap = m_lastTick.isValid() ? m_lastTick.secsTo(now) : -1;
    if (gap == 0)
        return false;
    if (gap < 0 || gap > kCatchUpSeconds)
        return IsDueSecond(now.time(), intervalMinutes);
    for (qint64 back = 0; back < gap; ++back) {
        if (IsDueSecond(now.addSecs(-back).time(), intervalMinutes))
            return true;
    }
    return false;
}
