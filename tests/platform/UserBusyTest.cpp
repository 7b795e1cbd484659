// Whether the user is busy: which full-screen windows count, and what each of the shell's
// notification states means. On Windows the shell's answer comes through its seam.
#include "platform/UserBusy.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using platform::ManagedWindow;
using platform::UserBusy;

constexpr std::uint32_t kEvery = UserBusy::kOnEveryDesktop;

struct WindowsCase {
    const char* name;
    std::vector<ManagedWindow> windows;
    std::optional<std::uint32_t> currentDesktop;
    bool busy;
};

void PrintTo(const WindowsCase& c, std::ostream* out) {
    *out << c.name;
}

class FullScreenTest : public testing::TestWithParam<WindowsCase> {};

TEST_P(FullScreenTest, OnlyAFullScreenWindowInSightKeepsTheUserBusy) {
    const WindowsCase& c = GetParam();
    EXPECT_EQ(UserBusy::AnyFullScreenInSight(c.windows, c.currentDesktop), c.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FullScreenTest,
    testing::Values(
        WindowsCase{"NoWindows", {}, 0, false},
        WindowsCase{"OrdinaryWindowsOnly", {{false, false, 0}, {false, false, 1}}, 0, false},
        WindowsCase{
            "FullScreenOnTheCurrentDesktop", {{false, false, 0}, {true, false, 1}}, 1, true},
        WindowsCase{"FullScreenOnAnotherDesktop", {{true, false, 1}}, 0, false},
        WindowsCase{"FullScreenButMinimised", {{true, true, 0}}, 0, false},
        WindowsCase{"FullScreenOnEveryDesktop", {{true, false, kEvery}}, 3, true},
        WindowsCase{"MinimisedOnEveryDesktop", {{true, true, kEvery}}, 3, false},
        WindowsCase{"FullScreenWithoutADesktop", {{true, false, std::nullopt}}, 2, true},
        WindowsCase{"NoCurrentDesktopCountsEveryDesktop", {{true, false, 5}}, std::nullopt, true},
        WindowsCase{"OneHiddenOneInSight", {{true, true, 0}, {true, false, 0}}, 0, true}),
    [](const testing::TestParamInfo<WindowsCase>& info) { return std::string(info.param.name); });

// Every answer SHQueryUserNotificationState can give (QUERY_USER_NOTIFICATION_STATE), and
// values beyond them.
struct StateCase {
    const char* name;
    int state;
    bool busy;
};

void PrintTo(const StateCase& c, std::ostream* out) {
    *out << c.name;
}

const StateCase kStates[] = {
    {"NotPresent", 1, true},
    {"Busy", 2, true},
    {"Direct3dFullScreen", 3, true},
    {"PresentationMode", 4, true},
    {"AcceptsNotifications", 5, false},
    {"QuietTime", 6, true},
    {"App", 7, false},
    {"Zero", 0, false},
    {"Unknown", 8, false},
};

class NotificationStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(NotificationStateTest, TheShellsAnswerSaysWhetherTheUserIsBusy) {
    EXPECT_EQ(UserBusy::IsBusyNotificationState(GetParam().state), GetParam().busy);
}

#ifdef _WIN32
class ShellAnswerTest : public testing::TestWithParam<StateCase> {
protected:
    void TearDown() override { UserBusy::SetNotificationStateQuery({}); }
};

TEST_P(ShellAnswerTest, EachAnswerOfTheShellReachesTheBusyState) {
    const int state = GetParam().state;
    UserBusy::SetNotificationStateQuery([state] { return std::optional<int>(state); });
    EXPECT_EQ(UserBusy().Now(), GetParam().busy);
}

INSTANTIATE_TEST_SUITE_P(Answers, ShellAnswerTest, testing::ValuesIn(kStates),
                         [](const testing::TestParamInfo<StateCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ShellAnswer, AFailedQueryIsNotBusy) {
    UserBusy::SetNotificationStateQuery([] { return std::optional<int>(); });
    EXPECT_FALSE(UserBusy().Now());
    UserBusy::SetNotificationStateQuery({});
}

// Wine's shell always accepts notifications.
TEST(ShellAnswer, TheRealShellIsAsked) {
    EXPECT_FALSE(UserBusy().Now());
}
#endif

INSTANTIATE_TEST_SUITE_P(States, NotificationStateTest, testing::ValuesIn(kStates),
                         [](const testing::TestParamInfo<StateCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
