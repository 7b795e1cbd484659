#include "platform/UserBusy.h"

#include <algorithm>

namespace platform {

namespace {
// QUERY_USER_NOTIFICATION_STATE, whose header only Windows has.
enum NotificationState {
    kNotPresent = 1,
    kBusy = 2,
    kRunningDirect3dFullScreen = 3,
    kPresentationMode = 4,
    kQuietTime = 6,
};
}  // namespace

bool UserBusy::InSight(const ManagedWindow& window, std::optional<std::uint32_t> currentDesktop) {
    if (window.minimised)
        return false;
    return !currentDesktop || !window.desktop || *window.desktop == kOnEveryDesktop ||
           *window.desktop == *currentDesktop;
}

bool UserBusy::AnyFullScreenInSight(const std::vector<ManagedWindow>& windows,
                                    std::optional<std::uint32_t> currentDesktop) {
    return std::any_of(windows.begin(), windows.end(), [&](const ManagedWindow& window) {
        return window.fullScreen && InSight(window, currentDesktop);
    });
}

bool UserBusy::IsBusyNotificationState(int state) {
    switch (state) {
        case kNotPresent:
        case kBusy:
        case kRunningDirect3dFullScreen:
        case kPresentationMode:
        case kQuietTime:
            return true;
        default:
            return false;
    }
}

}  // namespace platform
