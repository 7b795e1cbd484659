#include "platform/UserBusy.h"

#include <xcb/xcb.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/DconfDatabase.h"

namespace platform {

namespace {

// A service that has not answered by then counts as saying no: a reminder is held no longer
// for a service that hangs.
constexpr int kBusTimeoutMs = 3000;
// Answers older than this say nothing of now: the reminder they were asked for is long gone.
constexpr auto kAnswersLast = std::chrono::milliseconds(kBusTimeoutMs) + std::chrono::seconds(2);

// Yes-or-no questions to the desktop's services on the session bus. A service that is not
// running is not started to be asked: it means the user is not busy.
struct BusQuestion {
    const char* service;
    const char* path;
    const char* interface;
    const char* method;
    const char* firstArgument;
    const char* secondArgument;
};

// The screensaver first: while the screen is locked nothing else matters.
constexpr BusQuestion kBusyQuestions[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
     "GetActive", nullptr, nullptr},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "GetActive",
     nullptr, nullptr},
    {"org.xfce.ScreenSaver", "/org/xfce/ScreenSaver", "org.xfce.ScreenSaver", "GetActive", nullptr,
     nullptr},
    // KDE's do-not-disturb.
    {"org.freedesktop.Notifications", "/org/freedesktop/Notifications",
     "org.freedesktop.DBus.Properties", "Get", "org.freedesktop.Notifications", "Inhibited"},
    // XFCE's notification daemon keeps its do-not-disturb in xfconf.
    {"org.xfce.Xfconf", "/org/xfce/Xfconf", "org.xfce.Xfconf", "GetProperty", "xfce4-notifyd",
     "/do-not-disturb"},
};

QDBusMessage Question(const BusQuestion& question) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(question.service), QString::fromLatin1(question.path),
        QString::fromLatin1(question.interface), QString::fromLatin1(question.method));
    for (const char* argument : {question.firstArgument, question.secondArgument}) {
        if (argument)
            call << QString::fromLatin1(argument);
    }
    call.setAutoStartService(false);
    return call;
}

bool SaysYes(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    QVariant answer = reply.arguments().constFirst();
    if (answer.canConvert<QDBusVariant>())
        answer = answer.value<QDBusVariant>().variant();
    return answer.typeId() == QMetaType::Bool && answer.toBool();
}

// Every question at once; none without a session bus. Qt's bus thread takes the answers in.
std::vector<QDBusPendingCall> AskTheServices() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    std::vector<QDBusPendingCall> calls;
    if (!bus.isConnected())
        return calls;
    for (const BusQuestion& question : kBusyQuestions)
        calls.push_back(bus.asyncCall(Question(question), kBusTimeoutMs));
    return calls;
}

// Busy as soon as one service says so, free once all have answered otherwise; nothing while
// some answers are still to come.
std::optional<bool> ServicesAnswer(const std::vector<QDBusPendingCall>& calls) {
    bool allIn = true;
    for (const QDBusPendingCall& call : calls) {
        if (!call.isFinished())
            allIn = false;
        else if (SaysYes(call.reply()))
            return true;
    }
    return allIn ? std::optional<bool>(false) : std::nullopt;
}

// GNOME's do-not-disturb: banners switched off.
bool GnomeBannersOff() {
    QFile database(dconf::UserDatabasePath());
    if (!database.open(QIODevice::ReadOnly))
        return false;
    return dconf::ReadBool(database.readAll(), "/org/gnome/desktop/notifications/show-banners") ==
           false;
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// The window manager's clients and their states, through Qt's own connection; every request
// of a look goes out before the first answer is read.
class ManagedWindows {
public:
    explicit ManagedWindows(xcb_connection_t* connection)
        : connection(connection),
          root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root) {
        InternAtoms();
    }

    std::vector<ManagedWindow> Clients() const {
        std::vector<std::uint32_t> clients =
            Values(Ask(root, kClientListStacking, XCB_ATOM_WINDOW));
        if (clients.empty())
            clients = Values(Ask(root, kClientList, XCB_ATOM_WINDOW));
        std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> asked;
        for (const std::uint32_t window : clients)
            asked.emplace_back(Ask(window, kState, XCB_ATOM_ATOM),
                               Ask(window, kDesktop, XCB_ATOM_CARDINAL));
        std::vector<ManagedWindow> windows;
        for (const auto& [stateCookie, desktopCookie] : asked) {
            const std::vector<std::uint32_t> states = Values(stateCookie);
            const std::vector<std::uint32_t> desktop = Values(desktopCookie);
            ManagedWindow window;
            window.fullScreen = Has(states, atoms[kFullScreen]);
            window.minimised = Has(states, atoms[kHidden]);
            if (!desktop.empty())
                window.desktop = desktop.front();
            windows.push_back(window);
        }
        return windows;
    }

    std::optional<std::uint32_t> CurrentDesktop() const {
        const std::vector<std::uint32_t> current =
            Values(Ask(root, kCurrentDesktop, XCB_ATOM_CARDINAL));
        return current.empty() ? std::nullopt : std::optional<std::uint32_t>(current.front());
    }

private:
    enum AtomName {
        kClientListStacking,
        kClientList,
        kState,
        kFullScreen,
        kHidden,
        kDesktop,
        kCurrentDesktop,
        kAtomCount
    };
    static constexpr std::array<const char*, kAtomCount> kAtomNames = {
        "_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST",     "_NET_WM_STATE",
        "_NET_WM_STATE_FULLSCREEN",  "_NET_WM_STATE_HIDDEN", "_NET_WM_DESKTOP",
        "_NET_CURRENT_DESKTOP"};
    // Enough for any desktop's windows and any window's states.
    static constexpr std::uint32_t kMostValues = 4096;

    void InternAtoms() {
        std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
        for (int name = 0; name < kAtomCount; ++name)
            cookies[name] = xcb_intern_atom(connection, 0, std::uint16_t(strlen(kAtomNames[name])),
                                            kAtomNames[name]);
        for (int name = 0; name < kAtomCount; ++name) {
            const ReplyPtr<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(connection, cookies[name], nullptr), &std::free);
            atoms[name] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
    }

    xcb_get_property_cookie_t Ask(xcb_window_t window, AtomName property, xcb_atom_t type) const {
        return xcb_get_property(connection, 0, window, atoms[property], type, 0, kMostValues);
    }

    std::vector<std::uint32_t> Values(xcb_get_property_cookie_t cookie) const {
        const ReplyPtr<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection, cookie, nullptr), &std::free);
        if (!reply || reply->format != 32)
            return {};
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return std::vector<std::uint32_t>(values,
                                          values + xcb_get_property_value_length(reply.get()) / 4);
    }

    static bool Has(const std::vector<std::uint32_t>& values, xcb_atom_t atom) {
        return atom != XCB_ATOM_NONE &&
               std::find(values.begin(), values.end(), atom) != values.end();
    }

    xcb_connection_t* connection;
    xcb_window_t root;
    std::array<xcb_atom_t, kAtomCount> atoms{};
};

bool FullScreenInSight() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const ManagedWindows windows(connection);
    return UserBusy::AnyFullScreenInSight(windows.Clients(), windows.CurrentDesktop());
}

}  // namespace

struct UserBusy::Pending {
    std::vector<QDBusPendingCall> calls;
    std::chrono::steady_clock::time_point asked;

    void Ask() {
        calls = AskTheServices();
        asked = std::chrono::steady_clock::now();
    }

    // What the services said since the last look; nothing when they were asked just now or
    // some have yet to answer. Without a session bus nobody is asked and nobody is busy.
    std::optional<bool> Answer() {
        if (calls.empty() || std::chrono::steady_clock::now() - asked > kAnswersLast) {
            Ask();
            return calls.empty() ? std::optional<bool>(false) : std::nullopt;
        }
        const std::optional<bool> answer = ServicesAnswer(calls);
        if (answer)
            calls.clear();
        return answer;
    }
};

UserBusy::UserBusy() : m_pending(std::make_unique<Pending>()) {}

UserBusy::~UserBusy() = default;

// The services are asked at one look and their answers read at the next; while the user stays
// busy they are asked again at once, so that each look of a hold reads fresh answers.
bool UserBusy::Now() {
    const std::optional<bool> services = m_pending->Answer();
    const bool busy = services.value_or(true) || GnomeBannersOff() || FullScreenInSight();
    if (busy && services)
        m_pending->Ask();
    return busy;
}

}  // namespace platform
