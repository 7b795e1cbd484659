#include "mainwnd/ReminderScheduler.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <vector>

namespace {

const QDate kDay(2024, 3, 14);

QDateTime At(int h, int m, int s) {
    return QDateTime(kDay, QTime(h, m, s));
}

struct TickLog {
    int hideTick = -1;  // 1-based index of the tick that hid the window
    std::vector<QTime> reminders;
};

// One tick a second, as the window's timer gives them.
TickLog TickEverySecond(CReminderScheduler& scheduler, const QDateTime& start, int seconds,
                        bool enabled, unsigned interval) {
    TickLog run;
    for (int i = 0; i < seconds; ++i) {
        const QDateTime now = start.addSecs(i);
        const auto result = scheduler.OnTick(now, enabled, interval);
        if (result.hideToTray)
            run.hideTick = i + 1;
        if (result.reminderDue)
            run.reminders.push_back(now.time());
    }
    return run;
}

std::vector<QTime> Minutes(int hour, std::initializer_list<int> minutes) {
    std::vector<QTime> times;
    for (int m : minutes)
        times.emplace_back(hour, m, 0);
    return times;
}

struct ScheduleCase {
    const char* name;
    QDateTime start;
    int seconds;
    bool enabled;
    unsigned interval;
    std::vector<QTime> expected;
};

class ScheduleTest : public testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleTest, RemindersFallOnTheExpectedSeconds) {
    const ScheduleCase& c = GetParam();
    CReminderScheduler scheduler;
    const TickLog run = TickEverySecond(scheduler, c.start, c.seconds, c.enabled, c.interval);
    EXPECT_EQ(run.reminders, c.expected);
}

const unsigned kMinusOne = std::numeric_limits<unsigned>::max();

INSTANTIATE_TEST_SUITE_P(
    Intervals, ScheduleTest,
    testing::Values(
        ScheduleCase{"DefaultFromTenPastThree", At(10, 3, 20), 20 * 60, true, 10,
                     Minutes(10, {10, 20})},
        ScheduleCase{"SixtyGivesMinuteZeroOnly",
                     At(9, 30, 0),
                     2 * 3600,
                     true,
                     60,
                     {QTime(10, 0), QTime(11, 0)}},
        ScheduleCase{"SevenRestartsEveryHour",
                     At(10, 0, 0),
                     3600 + 60,
                     true,
                     7,
                     {QTime(10, 0), QTime(10, 7), QTime(10, 14), QTime(10, 21), QTime(10, 28),
                      QTime(10, 35), QTime(10, 42), QTime(10, 49), QTime(10, 56), QTime(11, 0)}},
        ScheduleCase{"DisabledShowsNothing", At(10, 0, 0), 3600, false, 10, {}},
        ScheduleCase{"ZeroRunsAsTen", At(10, 0, 30), 30 * 60, true, 0, Minutes(10, {10, 20, 30})},
        ScheduleCase{"NegativeRunsAsTen", At(10, 0, 30), 30 * 60, true, kMinusOne,
                     Minutes(10, {10, 20, 30})},
        ScheduleCase{"SixtyOneIsKeptAndHourly",
                     At(9, 59, 0),
                     2 * 3600,
                     true,
                     61,
                     {QTime(10, 0), QTime(11, 0)}},
        ScheduleCase{"AcrossMidnight", At(23, 55, 0), 10 * 60, true, 10, {QTime(0, 0)}}),
    [](const testing::TestParamInfo<ScheduleCase>& info) { return std::string(info.param.name); });

TEST(StartupHide, HidesOnTheSecondTickOnly) {
    CReminderScheduler scheduler;
    const TickLog run = TickEverySecond(scheduler, At(10, 3, 20), 10, true, 10);
    EXPECT_EQ(run.hideTick, 2);
    EXPECT_EQ(scheduler.StartupTicks(), -1);
}

TEST(StartupHide, HidesEvenWhileRemindersAreOff) {
    CReminderScheduler scheduler;
    EXPECT_FALSE(scheduler.OnTick(At(10, 3, 20), false, 10).hideToTray);
    EXPECT_TRUE(scheduler.OnTick(At(10, 3, 21), false, 10).hideToTray);
}

// The timer's ticks are about a second apart, never exactly: each due second gives one
// reminder whether two ticks or none fall into it.
struct JitterCase {
    const char* name;
    std::vector<QDateTime> ticks;
    std::vector<bool> due;
};

class JitterTest : public testing::TestWithParam<JitterCase> {};

TEST_P(JitterTest, EachDueSecondGivesOneReminder) {
    const JitterCase& c = GetParam();
    CReminderScheduler scheduler;
    std::vector<bool> due;
    for (const QDateTime& tick : c.ticks)
        due.push_back(scheduler.OnTick(tick, true, 10).reminderDue);
    EXPECT_EQ(due, c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, JitterTest,
    testing::Values(
        JitterCase{"TwoTicksInTheDueSecond",
                   {At(10, 9, 59), At(10, 10, 0), At(10, 10, 0), At(10, 10, 1)},
                   {false, true, false, false}},
        JitterCase{"DueSecondSkipped",
                   {At(10, 9, 58), At(10, 9, 59), At(10, 10, 1)},
                   {false, false, true}},
        JitterCase{"LongGapIsNotCaughtUp", {At(10, 5, 0), At(10, 25, 30)}, {false, false}},
        JitterCase{
            "ClockSetBackStillShowsDueSecond", {At(10, 30, 5), At(10, 20, 0)}, {false, true}}),
    [](const testing::TestParamInfo<JitterCase>& info) { return std::string(info.param.name); });

// The user's busy times, and what the scheduler asked of them: the probe is asked only at a
// due tick and at each tick while a reminder is held.
struct BusyProbe {
    QTime busyFrom;
    QTime busyUntil;  // the first free second
    QTime now;
    std::vector<QTime> asked;

    bool Busy() {
        asked.push_back(now);
        return busyFrom <= now && now < busyUntil;
    }
};

std::vector<QTime> EverySecond(QTime from, QTime until) {
    std::vector<QTime> seconds;
    for (QTime t = from; t < until; t = t.addSecs(1))
        seconds.push_back(t);
    return seconds;
}

template <typename... Parts>
std::vector<QTime> Joined(std::vector<QTime> first, const Parts&... rest) {
    (first.insert(first.end(), rest.begin(), rest.end()), ...);
    return first;
}

struct HoldCase {
    const char* name;
    unsigned interval;
    bool holdWhileBusy;
    QTime busyFrom;
    QTime busyUntil;
    std::vector<QTime> reminders;
    std::vector<QTime> asked;
};

void PrintTo(const HoldCase& c, std::ostream* out) {
    *out << c.name;
}

class HoldTest : public testing::TestWithParam<HoldCase> {};

// From 10:09:30 to 10:14:30, one tick a second.
TEST_P(HoldTest, AHeldReminderShowsOnceWhenTheUserIsFree) {
    const HoldCase& c = GetParam();
    CReminderScheduler scheduler;
    BusyProbe probe{c.busyFrom, c.busyUntil, {}, {}};
    scheduler.SetBusyProbe([&probe] { return probe.Busy(); });
    std::vector<QTime> reminders;
    for (QDateTime now = At(10, 9, 30); now < At(10, 14, 30); now = now.addSecs(1)) {
        probe.now = now.time();
        if (scheduler.OnTick(now, true, c.interval, c.holdWhileBusy).reminderDue)
            reminders.push_back(now.time());
    }
    EXPECT_EQ(reminders, c.reminders);
    EXPECT_EQ(probe.asked, c.asked);
}

INSTANTIATE_TEST_SUITE_P(
    BusyUser, HoldTest,
    testing::Values(HoldCase{"FreeUserIsAskedOnlyAtTheDueSecond", 1, true, QTime(9, 0), QTime(9, 1),
                             Minutes(10, {10, 11, 12, 13, 14}), Minutes(10, {10, 11, 12, 13, 14})},
                    HoldCase{"BusyOverThreeDueMinutesShowsOneWhenFree",
                             1,
                             true,
                             QTime(10, 9, 50),
                             QTime(10, 12, 30),
                             {QTime(10, 12, 30), QTime(10, 13), QTime(10, 14)},
                             Joined(EverySecond(QTime(10, 10), QTime(10, 12, 31)),
                                    Minutes(10, {13, 14}))},
                    HoldCase{"BusyEndingBeforeTheDueSecondHoldsNothing", 10, true, QTime(10, 9, 30),
                             QTime(10, 10), Minutes(10, {10}), Minutes(10, {10})},
                    HoldCase{"BusyFromTheDueSecondOnHoldsToTheEnd",
                             10,
                             true,
                             QTime(10, 10),
                             QTime(11, 0),
                             {},
                             EverySecond(QTime(10, 10), QTime(10, 14, 30))},
                    HoldCase{"HoldSwitchedOffShowsAtTheClockAndNeverAsks",
                             1,
                             false,
                             QTime(10, 0),
                             QTime(11, 0),
                             Minutes(10, {10, 11, 12, 13, 14}),
                             {}}),
    [](const testing::TestParamInfo<HoldCase>& info) { return std::string(info.param.name); });

TEST(Hold, TurningTheHoldOffShowsTheHeldReminderAtTheNextTick) {
    CReminderScheduler scheduler;
    scheduler.SetBusyProbe([] { return true; });
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 0), true, 10, true).reminderDue);
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 1), true, 10, true).reminderDue);
    EXPECT_TRUE(scheduler.OnTick(At(10, 10, 2), true, 10, false).reminderDue);
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 3), true, 10, false).reminderDue);
}

TEST(Hold, SwitchingRemindersOffDropsTheHeldOne) {
    CReminderScheduler scheduler;
    bool busy = true;
    scheduler.SetBusyProbe([&busy] { return busy; });
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 0), true, 10, true).reminderDue);
    EXPECT_TRUE(scheduler.Holding());
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 1), false, 10, true).reminderDue);
    busy = false;
    EXPECT_FALSE(scheduler.OnTick(At(10, 10, 2), true, 10, true).reminderDue);
    EXPECT_FALSE(scheduler.Holding());
}

}  // namespace
