#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// A top-level window as the window manager describes it.
struct ManagedWindow {
    bool fullScreen = false;
    bool minimised = false;
    // The desktop it lies on, kOnEveryDesktop for a sticky one; nothing when unset.
    std::optional<std::uint32_t> desktop;
};

// Whether the user is busy: a full-screen window in sight, the desktop's do-not-disturb, a
// locked screen or running screensaver (on Windows, the shell's own answer). Each look asks the
// system afresh, so callers look only when a reminder is due or held. Answers that come while
// the program goes on (the desktop services on the session bus, which may be slow or hang)
// count as busy until they are in: a due reminder then waits a look longer, and the window
// never waits for a service.
class UserBusy {
public:
    UserBusy();
    ~UserBusy();
    UserBusy(const UserBusy&) = delete;
    UserBusy& operator=(const UserBusy&) = delete;

    bool Now();

    // _NET_WM_DESKTOP's value for a window shown on every desktop.
    static constexpr std::uint32_t kOnEveryDesktop = 0xFFFFFFFF;
    // A full-screen window keeps the user busy only while it is seen: on the current desktop
    // (or on all) and not minimised. Without a current desktop every desktop counts.
    static bool InSight(const ManagedWindow& window, std::optional<std::uint32_t> currentDesktop);
    static bool AnyFullScreenInSight(const std::vector<ManagedWindow>& windows,
                                     std::optional<std::uint32_t> currentDesktop);
    // An answer of SHQueryUserNotificationState: not present, busy, full-screen Direct3D,
    // presentation mode and quiet time keep notifications back; unknown answers do not.
    static bool IsBusyNotificationState(int state);

#ifdef _WIN32
    // The shell's answer, or nothing when the query fails; a test sets each answer, since Wine
    // always says that notifications are welcome. An empty query restores the shell's.
    using NotificationStateQuery = std::function<std::optional<int>()>;
    static void SetNotificationStateQuery(NotificationStateQuery query);
#endif

private:
    // The answers still to come.
    struct Pending;
    std::unique_ptr<Pending> m_pending;
};

}  // namespace platform
