#include "platform/UserBusy.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {

namespace {

std::optional<int> ShellNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(SHQueryUserNotificationState(&state)))
        return std::nullopt;
    return static_cast<int>(state);
}

UserBusy::NotificationStateQuery& Query() {
    static UserBusy::NotificationStateQuery query;
    return query;
}

}  // namespace

// The shell answers at once.
struct UserBusy::Pending {};

UserBusy::UserBusy() = default;

UserBusy::~UserBusy() = default;

// The shell sums up full screen, presentation mode, quiet hours and an absent user in one
// answer; a failed query means the user is not busy.
bool UserBusy::Now() {
    const std::optional<int> state = Query() ? Query()() : ShellNotificationState();
    return state && IsBusyNotificationState(*state);
}

void UserBusy::SetNotificationStateQuery(NotificationStateQuery query) {
    Query() = std::move(query);
}

}  // namespace platform
