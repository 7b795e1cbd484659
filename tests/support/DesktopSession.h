#pragma once

// A real X desktop for tests: Xvfb on a free display, openbox, a tint2 panel with a system
// tray that reserves its strip (so the work area shrinks), and on demand the picom
// compositor. HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR point into a temporary
// folder; every process started here is stopped by its own pid when the session ends.
//
// In-process widget tests: link qb_test_main_desktop (qb_test(... DESKTOP ...)); its main
// starts a session before the QApplication, on the xcb platform, and TheDesktop()
// (TestMainDesktop.h) returns it.
//
//     DesktopSession& desktop = TheDesktop();
//     ASSERT_TRUE(desktop.SetPanel(DesktopSession::Panel::Top));
//     ASSERT_TRUE(DesktopSession::WaitFor([&] { return !desktop.FindWindows("Quietbell").empty();
//     })); desktop.Click(QPoint(100, 700)); QImage shot = desktop.Screenshot();
//
// Other programs run under the session with StartProgram (the real program, for example).
// Each program's output goes to <session folder>/<program>.log; set QB_KEEP_DESKTOP_FOLDER=1
// to keep the folder after the run.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ChildProcess.h"

// Rectangles in test failures as x,y widthxheight.
inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}

struct xcb_connection_t;

// The windows the X server maps at the top of its tree (override-redirect windows, window
// manager frames) from the recorder's start on, each with the place it had when mapped: a
// window that shows for a moment is found however late a test looks.
class MappedWindows {
public:
    explicit MappedWindows(const QString& display);
    ~MappedWindows();
    MappedWindows(const MappedWindows&) = delete;
    MappedWindows& operator=(const MappedWindows&) = delete;

    // The places of the windows mapped since the start, up to the server's present.
    std::vector<QRect> Places();

private:
    QRect Geometry(unsigned long window) const;

    xcb_connection_t* connection;
    std::map<unsigned long, QRect> places;
    std::vector<QRect> mapped;
};

class DesktopSession {
public:
    enum class Panel { Bottom, Top, Left, Right };

    struct Options {
        // The whole X screen in device pixels.
        QSize screen{1280, 800};
        Panel panel = Panel::Bottom;
        // The panel's thickness in device pixels, across its edge.
        int panelHeight = 32;
        bool compositor = false;
        // false: no tint2, for a desktop whose tray comes later or from another panel.
        bool trayPanel = true;
        // RandR monitors side by side, each an equal slice of the screen; the first is primary.
        int monitors = 1;
        // The monitor (from 0) that holds the panel; -1 puts a panel on every monitor.
        int panelMonitor = 0;
        // With a panel on every monitor, the monitor whose panel holds the tray.
        int trayMonitor = 0;
        // Xft.dpi; Qt programs scale by dpi / 96.
        int dpi = 96;

        // Named layouts for the desktop tests: "two-monitors-panel-on-primary",
        // "two-monitors-panel-on-other", "two-monitors-tray-on-other", "top-panel",
        // "left-panel", "right-panel", "scale-2", "scale-1.5". Empty options for an unknown name.
        static std::optional<Options> Layout(const std::string& name);
    };

    explicit DesktopSession(Options options);
    DesktopSession() : DesktopSession(Options{}) {}
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Starts the X server, window manager and panel and waits until all are ready.
    bool Start();
    // What went wrong in the last failed call.
    const std::string& Error() const { return error; }

    QString Display() const { return display; }
    QString Home() const;
    const Options& GetOptions() const { return options; }
    // The current environment with DISPLAY, HOME and the XDG folders of this session.
    ChildProcess::Strings Environment() const;
    // One more variable for every program started here (a D-Bus address, ...).
    void AddEnvironment(const std::string& name, const std::string& value);
    // Points this process at the session (DISPLAY, HOME, XDG folders, QT_QPA_PLATFORM=xcb).
    void ApplyToThisProcess() const;

    // Replaces the panel by one on the given edge and waits for the work area to follow.
    bool SetPanel(Panel panel);
    // Ends the X server at once, as a crash would: every client's connection breaks. The
    // rest of the session is stopped when it goes.
    void KillServer();
    bool StartCompositor();
    void StopCompositor();
    bool CompositorRunning() const;

    // _NET_WORKAREA of the root window, as the window manager publishes it.
    QRect WorkArea() const;
    // The RandR monitors the session sets up, in device pixels.
    std::vector<QRect> Monitors() const;
    // The RandR monitors the X server reports (xrandr --listmonitors), in device pixels.
    std::vector<QRect> ServerMonitors() const;
    // The monitor whose panel holds the tray, in device pixels.
    QRect TrayMonitor() const;
    // That monitor less its panel's strip: where a window may go without covering a panel.
    QRect TrayMonitorWorkArea() const;
    // The panels' windows on screen, as the X server has them.
    std::vector<QRect> PanelGeometries() const;
    // Whether some client owns the named X selection ("_NET_SYSTEM_TRAY_S0", ...).
    bool SelectionOwned(const std::string& name) const;

    // The whole screen, or the given rectangle of it.
    QImage Screenshot(const QRect& area = {}) const;
    bool MoveMouse(const QPoint& where) const;
    bool Click(const QPoint& where, int button = 1) const;
    // Visible windows whose name (or class) matches the regular expression.
    std::vector<unsigned long> FindWindows(const QString& name) const;
    std::vector<unsigned long> FindWindowsByClass(const QString& className) const;
    // The window that has the keyboard focus (0 if none).
    unsigned long FocusedWindow() const;
    QRect WindowGeometry(unsigned long window) const;
    // The frame the window manager drew round the window: its frame window (the ancestor just
    // below the root), once the window manager has reparented the window and published
    // _NET_FRAME_EXTENTS that match it; empty until then.
    QRect FrameGeometry(unsigned long window) const;
    // Whether the window is mapped and all its ancestors too.
    bool IsViewable(unsigned long window) const;

    // Starts a program under this desktop; its output goes to a log in the session folder.
    ChildProcess StartProgram(const ChildProcess::Strings& argv) const;
    // Runs a command under this desktop to its end.
    ChildProcess::Result Run(const ChildProcess::Strings& argv) const;

    // Every request this process's own Qt connection has made has reached the X server once
    // this returns, so that what the server reports next includes them.
    static void SyncWithServer();

    // Polls condition until it holds or the deadline passes, handling Qt events in between
    // when an application object exists.
    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10));

private:
    bool StartServer();
    bool StartServerOn(int number);
    bool SetUpMonitors();
    bool SetUpDpi();
    bool StartWindowManager();
    bool StartPanel();
    bool Fail(const std::string& what);
    std::string PanelConfig() const;
    bool PanelReserved() const;
    std::string LogFile(const char* program) const;
    std::vector<unsigned long> Search(const char* field, const QString& pattern) const;

    Options options;
    QTemporaryDir folder;
    QString display;
    std::string error;
    ChildProcess server;
    ChildProcess windowManager;
    ChildProcess panel;
    ChildProcess compositor;
    std::vector<std::pair<std::string, std::string>> extraEnvironment;
};
