// The Windows build as a user gets it, under Wine on the tests' Xvfb + openbox + tint2 desktop: its
// installer run silently into a fresh prefix, the installed program started from Program Files, and
// everything checked from outside: files and Wine's registry, X windows and their geometry, the
// screen's pixels, the tooltip's text by OCR.
//
// The desktop, the prefix and the installation are made once for the binary; the cases then
// follow one user's session in their order: start, tooltip, a second copy, a reinstall while it
// runs, Exit, uninstall. Each case still starts the program itself if it does not run.
//
// The Windows build folder comes from QB_WINDOWS_BUILD (bash tools/setup.sh windows sets it).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DesktopSession.h"
#include "QuietbellProgram.h"
#include "ScreenPixels.h"
#include "ScreenText.h"
#include "WineDesktop.h"
#include "app/SettingsStore.h"
#include "hijri/HijriCalendar.h"

namespace {

using namespace std::chrono_literals;

const QString kInstallFolder = "C:\\Program Files\\Quietbell";
const QString kProgram = kInstallFolder + "\\quietbell.exe";
const QString kUninstaller = kInstallFolder + "\\uninstall.exe";
const QString kStartMenuEntry =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quietbell.lnk";
const QString kRunKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const QString kUninstallKey =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quietbell";
const QString kPreferencesKey = "HKCU\\Software\\Brindlewax\\quietbell\\Preferences";
// What the installer and the uninstaller answer when the program runs.
constexpr int kProgramRunning = 2;
// The popup's text stands this far inside its skin on every side.
constexpr int kTextMargin = 30;
// Wine programs start slowly, the more so on a busy machine.
constexpr std::chrono::milliseconds kStartDeadline = 60s;

// The installer's product and the build's version, from the build.
const QString kInstaller = QString("quietbell-%1-setup.exe").arg(QB_VERSION);

struct Window {
    unsigned long id = 0;
    QRect geometry;
};

using screenpixels::IsGold;
using screenpixels::PixelsWhere;

// The red of the stop sign.
bool Red(QRgb pixel) {
    return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

// Whether window lies inside ancestor in the X window tree (an embedded tray icon does).
bool Descends(const QString& display, unsigned long window, unsigned long ancestor) {
    xcb_connection_t* x = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    bool inside = false;
    for (xcb_window_t w = xcb_window_t(window); w != XCB_WINDOW_NONE && !inside;) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, w), nullptr);
        if (!tree)
            break;
        w = tree->parent;
        inside = w == ancestor;
        std::free(tree);
    }
    xcb_disconnect(x);
    return inside;
}

// Today's tooltip as the program's own date code gives it from its data files.
QString ExpectedTooltip() {
    CSettingsStore::SetExecutablePath(QString(QB_SOURCE_DIR) + "/res/quietbell");
    const std::string date = CHijriCalendar::Instance()->GetAdjustedDate();
    CHijriCalendar::DestroyInstance();
    CSettingsStore::DestroyInstance();
    return "Quietbell: " + QString::fromLatin1(date);
}

class WineInstalledProgramTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString build = qEnvironmentVariable("QB_WINDOWS_BUILD");
        if (build.isEmpty()) {
            setupError =
                "QB_WINDOWS_BUILD is not set: it names the Windows build folder (bash "
                "tools/setup.sh windows) whose " +
                kInstaller.toStdString() + " these tests install";
            return;
        }
        const QString installer = Installer();
        if (!QFile::exists(installer)) {
            setupError = installer.toStdString() + " does not exist (cmake --build " +
                         build.toStdString() + " --target installer)";
            return;
        }
        // No compositor: under one, Wine moves the X window of an embedded tray icon to the
        // icon's place counted from the panel's corner, off its slot, and the icon no longer
        // gets the pointer (no tooltip, no menu), while tint2 still draws it in its slot.
        desktop = std::make_unique<WineDesktop>();
        if (!desktop->Start()) {
            setupError = desktop->Error();
            return;
        }
        ChildProcess setup = desktop->StartProgram({"wine", installer.toStdString(), "/S"});
        if (!setup.WaitForExit(3min))
            setupError = "the silent installer did not end";
        installExitCode = setup.ExitCode();
    }

    static void TearDownTestSuite() {
        program.reset();
        desktop.reset();
    }

    void SetUp() override { ASSERT_TRUE(setupError.empty()) << setupError; }

    static QString Installer() {
        return QDir(qEnvironmentVariable("QB_WINDOWS_BUILD")).filePath(kInstaller);
    }

    // The uninstaller's copy of itself runs from a folder of this name in the temporary folder;
    // Wine gives each Windows process's command line to its Linux process.
    static bool UninstallerCopyRuns() {
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile commandLine("/proc/" + pid + "/cmdline");
            if (commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains("~nsu"))
                return true;
        }
        return false;
    }

    // The installed program, started now unless it runs.
    static ChildProcess& Program() {
        if (!program || !program->Running()) {
            programStart = std::chrono::steady_clock::now();
            program = std::make_unique<ChildProcess>(
                desktop->StartProgram({"wine", kProgram.toStdString()}));
        }
        return *program;
    }

    static bool Exists(const QString& windowsPath) {
        return QFile::exists(desktop->LinuxPath(windowsPath));
    }

    static std::vector<Window> WindowsOfClass(const QString& className) {
        std::vector<Window> windows;
        for (unsigned long id : desktop->FindWindowsByClass(className))
            windows.push_back({id, desktop->WindowGeometry(id)});
        return windows;
    }

    // The windows of one Windows process: Wine marks them with its Linux pid.
    static std::vector<Window> WindowsOf(const ChildProcess& process) {
        std::vector<Window> windows;
        for (unsigned long id : quietbell::Windows(desktop->Environment(), process.Pid()))
            windows.push_back({id, desktop->WindowGeometry(id)});
        return windows;
    }

    // A tray icon as tint2 holds it: a window of Wine's explorer (which embeds the icons of
    // Windows programs over XEmbed) inside the panel's window. A fresh prefix has no other.
    static std::optional<Window> DockedIcon() {
        for (unsigned long panel : desktop->FindWindowsByClass("^tint2$")) {
            for (const Window& window : WindowsOfClass("^explorer\\.exe$")) {
                if (!window.geometry.isEmpty() && Descends(desktop->Display(), window.id, panel))
                    return window;
            }
        }
        return std::nullopt;
    }

    // Where the panel shows the icon: tint2 holds each in a slot window of its own.
    static bool InItsSlot(const Window& icon) {
        for (const QRect& panel : desktop->PanelGeometries()) {
            if (panel.contains(icon.geometry))
                return true;
        }
        return false;
    }

    // Wine routes the pointer by its own record of where each window is. When tint2 places
    // a docking icon in its slot before Wine has taken the icon's new parent, Wine records
    // the slot-relative place as a place on the screen: the icon stays "at" the screen's
    // origin, the pointer over it goes to the slot, and Wine may later move the icon's X
    // window there too. A Windows tray has no such step. Moving the icon's X window within
    // its slot and back gives Wine the place again, in order before any pointer event.
    static bool PlaceTheIconForWine(const Window& icon) {
        const std::string id = std::to_string(icon.id);
        return desktop->Run({"xdotool", "windowmove", id, "1", "1"}).exitCode == 0 &&
               desktop->Run({"xdotool", "windowmove", id, "0", "0"}).exitCode == 0;
    }

    // The program's icon in its slot, where the pointer reaches it, and staying there: an
    // icon whose X window is out of its slot is still drawn by tint2, but the pointer no
    // longer reaches it.
    static std::optional<Window> IconThatTakesThePointer() {
        Program();
        std::optional<Window> icon;
        if (!DesktopSession::WaitFor([&] { return (icon = DockedIcon()).has_value(); },
                                     kStartDeadline) ||
            !PlaceTheIconForWine(*icon))
            return std::nullopt;
        std::optional<std::chrono::steady_clock::time_point> inSlotSince;
        const bool stays = DesktopSession::WaitFor([&] {
            icon = DockedIcon();
            if (!icon || !InItsSlot(*icon)) {
                inSlotSince.reset();
                return false;
            }
            const auto now = std::chrono::steady_clock::now();
            inSlotSince = inSlotSince.value_or(now);
            return now - *inSlotSince >= 2s;
        });
        if (!stays)
            std::printf("the icon's window is not in its slot (%d,%d)\n",
                        icon ? icon->geometry.x() : -1, icon ? icon->geometry.y() : -1);
        return stays ? icon : std::nullopt;
    }

    // What the pointer raises on the icon of the program's first start (its tip, its menu).
    static std::optional<Window> FromTheIcon(
        const std::function<std::optional<Window>(const Window& icon)>& raise) {
        const std::optional<Window> icon = IconThatTakesThePointer();
        return icon ? raise(*icon) : std::nullopt;
    }

    // The tray menu: the program's new window near the icon after a right click.
    static std::optional<Window> OpenTrayMenu(const Window& icon) {
        const std::vector<Window> before = WindowsOf(*program);
        if (!desktop->Click(Centre(icon), 3))
            return std::nullopt;
        std::optional<Window> menu;
        DesktopSession::WaitFor([&] {
            for (const Window& window : WindowsOf(*program)) {
                const bool known = std::any_of(before.begin(), before.end(), [&](const Window& w) {
                    return w.id == window.id && w.geometry == window.geometry;
                });
                if (!known && (window.geometry.center() - Centre(icon)).manhattanLength() < 600)
                    menu = window;
            }
            return menu.has_value();
        });
        return menu;
    }

    static QSize SkinSize() {
        return QImage(QString(QB_SOURCE_DIR) + "/res/images/NotifierSkin.bmp").size();
    }

    // The popup wholly out: a window of the skin's size in the work area's bottom-right
    // corner (it stands at most one pixel above the panel's edge).
    static std::optional<Window> Popup(const ChildProcess& process) {
        const QRect area = desktop->WorkArea();
        for (const Window& window : WindowsOf(process)) {
            const QRect& r = window.geometry;
            if (r.size() == SkinSize() && screenpixels::AtWorkAreaCorner(r, area))
                return window;
        }
        return std::nullopt;
    }

    static QPoint Centre(const Window& window) { return window.geometry.center(); }

    // Hovers the icon as a user does: onto it from elsewhere, and again if no tip comes (the
    // tip goes by itself after a while, and a pointer that came too soon may not raise it).
    static std::optional<Window> HoverForTooltip(const Window& icon) {
        // The tip is explorer's window near the icon, neither the icon nor a panel-wide one.
        std::optional<Window> tip;
        const auto tipShows = [&] {
            for (const Window& window : WindowsOfClass("^explorer\\.exe$")) {
                const QRect& r = window.geometry;
                if (window.id != icon.id && r.height() < 60 && r.width() < 600 &&
                    (r.center() - Centre(icon)).manhattanLength() < 600)
                    tip = window;
            }
            return tip.has_value();
        };
        for (int attempt = 0; attempt < 2 && !tip; ++attempt) {
            if (!desktop->MoveMouse(desktop->WorkArea().center()) ||
                !desktop->MoveMouse(Centre(icon)))
                return std::nullopt;
            DesktopSession::WaitFor(tipShows, 5s);
        }
        return tip;
    }

    // The rows of text in a menu on the screen, top to bottom, in the screen's lines.
    static std::vector<screenpixels::TextRow> TextRows(const QRect& rect) {
        std::vector<screenpixels::TextRow> rows = screenpixels::TextRows(desktop->Screenshot(rect), 60);
        for (screenpixels::TextRow& row : rows) {
            row.top += rect.top();
            row.bottom += rect.top();
        }
        return rows;
    }

    static QString WindowName(unsigned long window) {
        return quietbell::WindowName(desktop->Environment(), window);
    }

    static std::optional<WineDesktop::RegistryKey> Registry(const QString& key) {
        return desktop->RegistryValues(key);
    }

    // A preference written from outside the program, as another writer would.
    static bool StorePreference(const char* name, int value) {
        return desktop
                   ->Run({"wine", "reg", "add", kPreferencesKey.toStdString(), "/v", name, "/t",
                          "REG_DWORD", "/d", std::to_string(value), "/f"})
                   .exitCode == 0;
    }

    // Another writer's place in the phrase list over the program's while it runs; the end of
    // the run must put the program's own back. Returns the program's place, as stored before.
    static std::optional<QString> OverwriteThePlace() {
        const auto stored = Registry(kPreferencesKey);
        if (!stored || stored->count(kPlace) == 0 || stored->at(kPlace).data == kOtherWritersPlace)
            return std::nullopt;
        if (!StorePreference(kPlace, 200))
            return std::nullopt;
        return stored->at(kPlace).data;
    }
    static constexpr const char* kPlace = "Popup Mirel Index";
    static inline const QString kOtherWritersPlace = "0xc8";

    // A choice of the user's, which installing and uninstalling must leave alone.
    static bool StoreUsersInterval() { return StorePreference("Popup Mirel Interval", 7); }
    static inline const QString kUsersInterval = "0x7";

    // The popup of the running program once it is out and stands still; null when none comes.
    static QImage SettledPopup() {
        std::optional<Window> popup;
        if (!DesktopSession::WaitFor([&] { return (popup = Popup(*program)).has_value(); },
                                     kStartDeadline))
            return {};
        // Painting follows the last slide step; two equal pictures in a row are settled.
        QImage last;
        DesktopSession::WaitFor([&] {
            const QImage shot = desktop->Screenshot(popup->geometry);
            const bool settled = shot == last && IsGold(shot.pixelColor(10, 80));
            last = shot;
            return settled;
        });
        return last;
    }

    // The start-up popup of one run with the timed reminders off, so that none can come first.
    static QImage StartUpPhrase() {
        if (program)
            program->Stop();
        if (!StorePreference("Enable Popup Mirel", 0))
            return {};
        Program();
        const QImage startup = SettledPopup();
        program->Stop();
        return startup;
    }

    // The user's own phrase file: in the application data folder of the prefix's user.
    static QString UsersPhraseFile() {
        const QString appData =
            QString::fromStdString(desktop->Run({"wine", "cmd", "/c", "echo %APPDATA%"}).output)
                .trimmed();
        return desktop->LinuxPath(appData + "\\Brindlewax\\quietbell\\mirel.txt");
    }

    // The shipped phrases with lines 0 and 2 swapped, sealed still (the sum takes no order):
    // the user's start-up phrase is the shipped line 2, the user's first reminder the shipped
    // start-up phrase.
    static QByteArray UsersPhrases() {
        QFile shipped(QString(QB_SOURCE_DIR) + "/res/Data/mirel.txt");
        if (!shipped.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = shipped.readAll();
        QStringList lines = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2),
                                               (bytes.size() - 2) / 2)
                                .split("\r\n");
        lines.swapItemsAt(0, 2);
        const QString text = QChar(0xFEFF) + lines.join("\r\n");
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }

    // A stored preference as `reg query` prints it; empty when it is not there.
    static QString StoredValue(const char* name) {
        const auto stored = Registry(kPreferencesKey);
        return stored && stored->count(name) ? stored->at(name).data : QString();
    }

    static bool WriteUsersPhrases() {
        const QString path = UsersPhraseFile();
        QFile file(path);
        const QByteArray bytes = UsersPhrases();
        return !bytes.isEmpty() && QDir().mkpath(QFileInfo(path).path()) &&
               file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static void Record(const char* name, double value) {
        testing::Test::RecordProperty(name, std::to_string(value));
        std::printf("%s: %.2f\n", name, value);
    }

    static inline std::unique_ptr<WineDesktop> desktop;
    static inline std::unique_ptr<ChildProcess> program;
    static inline std::chrono::steady_clock::time_point programStart;
    static inline std::string setupError;
    static inline int installExitCode = -1;
};

TEST_F(WineInstalledProgramTest, SilentInstallPutsTheProgramInProgramFilesWithItsEntries) {
    EXPECT_EQ(installExitCode, 0);
    for (const char* file : {"quietbell.exe", "uninstall.exe", "platforms\\qwindows.dll",
                             "Data\\mirel.txt", "Data\\resources.txt"})
        EXPECT_TRUE(Exists(kInstallFolder + "\\" + file)) << file;
    EXPECT_TRUE(Exists(kStartMenuEntry));
    // Autostart for this user: the quoted path, as a blank in Program Files needs.
    const auto run = Registry(kRunKey);
    ASSERT_TRUE(run.has_value());
    ASSERT_EQ(run->count("Quietbell"), 1u);
    EXPECT_EQ(run->at("Quietbell").type, "REG_SZ");
    EXPECT_EQ(run->at("Quietbell").data, "\"" + kProgram + "\"");
    const auto entry = Registry(kUninstallKey);
    ASSERT_TRUE(entry.has_value()) << "no Add/Remove Programs entry";
    EXPECT_EQ(entry->at("DisplayName").data, "Quietbell");
    EXPECT_EQ(entry->at("DisplayVersion").data, QB_VERSION);
    EXPECT_EQ(entry->at("UninstallString").data, "\"" + kUninstaller + "\"");
}

TEST_F(WineInstalledProgramTest, StartupPhraseRisesBottomRightAboveThePanelAndTheIconDocks) {
    ChildProcess& program = Program();
    // Both come at start: the phrase as the main window is made, the icon as it shows. The
    // icon's docking time is on record beside the Linux build's.
    std::optional<Window> popup;
    std::optional<double> docked;
    const auto look = [&] {
        if (!docked && DockedIcon())
            docked = std::chrono::duration<double>(std::chrono::steady_clock::now() - programStart)
                         .count();
        return (popup = Popup(program)).has_value();
    };
    ASSERT_TRUE(DesktopSession::WaitFor(look, kStartDeadline)) << "no popup at the corner";
    // The window may be on the screen a moment before its first paint.
    QImage shot;
    EXPECT_TRUE(DesktopSession::WaitFor([&] {
        shot = desktop->Screenshot(popup->geometry);
        return IsGold(shot.pixelColor(10, 80));
    })) << "no skin";
    const QRect text(kTextMargin, kTextMargin, shot.width() - 2 * kTextMargin,
                     shot.height() - 2 * kTextMargin);
    EXPECT_GT(screenpixels::DarkPixels(shot, text), 30) << "no phrase in the text rectangle";
    for (const QRect& panel : desktop->PanelGeometries())
        EXPECT_LT(popup->geometry.bottom(), panel.top());

    ASSERT_TRUE(DesktopSession::WaitFor(
        [&] {
            look();
            return docked.has_value();
        },
        kStartDeadline))
        << "no icon in the panel";
    Record("seconds_to_docked_icon", *docked);
    EXPECT_TRUE(program.Running());
}

TEST_F(WineInstalledProgramTest, TheIconsTooltipGivesTodaysHijriDate) {
    ASSERT_TRUE(ScreenText::Installed()) << "tesseract is not installed";
    const std::optional<Window> tip = FromTheIcon(HoverForTooltip);
    ASSERT_TRUE(tip.has_value()) << "no tooltip";
    const std::vector<QString> readings = ScreenText::Read(desktop->Screenshot(tip->geometry));
    const QString expected = ExpectedTooltip();
    EXPECT_TRUE(ScreenText::AnyReadingHolds(readings, expected))
        << "expected " << expected.toStdString() << ", read "
        << QStringList(readings.begin(), readings.end()).join(" | ").toStdString();
}

TEST_F(WineInstalledProgramTest, SecondCopyShowsTheAlreadyRunningMessageAndEndsAfterOk) {
    ChildProcess& first = Program();
    ASSERT_TRUE(DesktopSession::WaitFor([] { return DockedIcon().has_value(); }, kStartDeadline));
    ChildProcess second = desktop->StartProgram({"wine", kProgram.toStdString()});
    // The message box is the second copy's only window.
    std::vector<Window> windows;
    ASSERT_TRUE(DesktopSession::WaitFor([&] { return !(windows = WindowsOf(second)).empty(); },
                                        kStartDeadline));
    ASSERT_EQ(windows.size(), 1u);
    const Window box = windows.front();
    EXPECT_EQ(WindowName(box.id), "quietbell");
    // The window may be on the screen a moment before its first paint.
    QImage shot;
    EXPECT_TRUE(DesktopSession::WaitFor([&] {
        shot = desktop->Screenshot(box.geometry);
        return PixelsWhere(shot, shot.rect(), Red) > 20;
    })) << "no stop sign";
    ASSERT_TRUE(ScreenText::Installed()) << "tesseract is not installed";
    const std::vector<QString> readings = ScreenText::Read(shot, false);
    EXPECT_TRUE(ScreenText::AnyReadingHolds(readings, "program is already running"))
        << QStringList(readings.begin(), readings.end()).join(" | ").toStdString();
    EXPECT_TRUE(second.Running()) << "ended before OK";
    ASSERT_TRUE(quietbell::Keys(desktop->Environment(), box.id, {"Return"}));
    ASSERT_TRUE(second.WaitForExit(20s));
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(DockedIcon().has_value());
}

// A running copy keeps its DLLs open: neither the installer nor the uninstaller replaces or
// removes them under it; silent, they say so by their exit code and change nothing.
TEST_F(WineInstalledProgramTest, InstallerAndUninstallerLeaveARunningProgramAlone) {
    ChildProcess& program = Program();
    ASSERT_TRUE(DesktopSession::WaitFor([] { return DockedIcon().has_value(); }, kStartDeadline));
    EXPECT_EQ(desktop->Run({"wine", Installer().toStdString(), "/S"}).exitCode, kProgramRunning);
    // The uninstaller hands over to a copy of itself in the temporary folder, whose answer
    // nobody gets; what counts is that it changed nothing when it ends.
    EXPECT_EQ(desktop->Run({"wine", kUninstaller.toStdString(), "/S"}).exitCode, 0);
    EXPECT_TRUE(DesktopSession::WaitFor([] { return !UninstallerCopyRuns(); }, 60s));
    EXPECT_TRUE(Exists(kProgram));
    EXPECT_TRUE(Exists(kInstallFolder + "\\platforms\\qwindows.dll"));
    EXPECT_TRUE(Registry(kRunKey)->count("Quietbell"));
    EXPECT_TRUE(program.Running());
}

TEST_F(WineInstalledProgramTest, ExitFromTheTrayMenuEndsItAndTheNinePreferencesAreStored) {
    const std::optional<Window> menu = FromTheIcon(OpenTrayMenu);
    ASSERT_TRUE(menu.has_value()) << "no tray menu";
    ChildProcess& program = Program();
    // Today's date, About, Preferences, Re-Show and Exit: Exit is the last row.
    std::vector<screenpixels::TextRow> rows;
    ASSERT_TRUE(DesktopSession::WaitFor([&] {
        return (rows = TextRows(menu->geometry)).size() == 5;
    })) << rows.size()
        << " rows in the menu";
    const int exitRow = (rows.back().top + rows.back().bottom) / 2;
    const std::optional<QString> place = OverwriteThePlace();
    ASSERT_TRUE(place.has_value());
    ASSERT_TRUE(desktop->Click(QPoint(menu->geometry.center().x(), exitRow)));
    ASSERT_TRUE(program.WaitForExit(30s));
    EXPECT_EQ(program.ExitCode(), 0);
    EXPECT_TRUE(DesktopSession::WaitFor([] { return !DockedIcon().has_value(); }));
    const auto preferences = Registry(kPreferencesKey);
    ASSERT_TRUE(preferences.has_value()) << "no preferences in the registry";
    EXPECT_EQ(preferences->at(kPlace).data, *place) << "Exit did not save the place";
    for (const char* name : {"Bring Window To Top", "Hide when minimized", "Enable Popup Mirel",
                             "Popup Mirel Interval", "Popup Mirel Font Size", "Hijri Date Adjust",
                             "Popup Mirel Index", "Arabic Interface", "Hold While Busy"}) {
        ASSERT_EQ(preferences->count(name), 1u) << name;
        EXPECT_EQ(preferences->at(name).type, "REG_DWORD") << name;
    }
    EXPECT_EQ(preferences->size(), 9u);
}

// Wine ends its session as Windows does, with the session's end messages to every window: the
// program puts its place in the phrase list back over another writer's, and ends.
TEST_F(WineInstalledProgramTest, TheEndOfTheSessionSavesThePlaceAndEndsTheProgram) {
    ChildProcess& program = Program();
    ASSERT_TRUE(DesktopSession::WaitFor([] { return DockedIcon().has_value(); }, kStartDeadline));
    const std::optional<QString> place = OverwriteThePlace();
    ASSERT_TRUE(place.has_value());
    // What wineboot answers itself does not matter here; what the program did does.
    desktop->Run({"wineboot", "--end-session", "--shutdown"});
    ASSERT_TRUE(program.WaitForExit(30s));
    // Once the session's end message is answered the system may end the process itself, as
    // Windows does (Wine's server then kills it: -1 here); a crash ends it with the
    // exception's status instead.
    EXPECT_TRUE(program.ExitCode() == 0 || program.ExitCode() == -1) << program.ExitCode();
    const auto preferences = Registry(kPreferencesKey);
    ASSERT_TRUE(preferences.has_value());
    EXPECT_EQ(preferences->at(kPlace).data, *place);
}

// A user's sealed phrase file in the application data folder takes the place of the shipped
// one, its rotation starting at its line 2 (the place was counted in the shipped file); gone,
// it gives the shipped phrases back and the rotation starts at line 2 again.
TEST_F(WineInstalledProgramTest, AUsersPhraseFileInTheApplicationDataFolderTakesThePlace) {
    const QImage shippedStartup = StartUpPhrase();
    ASSERT_FALSE(shippedStartup.isNull()) << "no start-up popup";
    ASSERT_TRUE(StorePreference(kPlace, 7));
    ASSERT_TRUE(WriteUsersPhrases());

    const QImage usersStartup = StartUpPhrase();
    ASSERT_FALSE(usersStartup.isNull()) << "no start-up popup from the user's file";
    EXPECT_NE(usersStartup, shippedStartup) << "the user's line 0";
    EXPECT_EQ(StoredValue(kPlace), "0x2") << "the rotation starts again";
    EXPECT_NE(StoredValue("Popup Mirel File"), "");

    // A reminder every minute: the user's line 2 is the shipped start-up phrase.
    ASSERT_TRUE(StorePreference("Enable Popup Mirel", 1));
    ASSERT_TRUE(StorePreference("Popup Mirel Interval", 1));
    Program();
    ASSERT_TRUE(DesktopSession::WaitFor([] { return StoredValue(kPlace) == "0x3"; }, 150s))
        << "no reminder";
    EXPECT_EQ(SettledPopup(), shippedStartup) << "the reminder is the user's line 2";
    program->Stop();

    ASSERT_TRUE(QFile::remove(UsersPhraseFile()));
    EXPECT_EQ(StartUpPhrase(), shippedStartup) << "the shipped start-up phrase is back";
    EXPECT_EQ(StoredValue(kPlace), "0x2") << "the rotation starts again";
    EXPECT_EQ(StoredValue("Popup Mirel File"), "");
    ASSERT_TRUE(StorePreference("Enable Popup Mirel", 1));
}

// An update installs over the installed program: its files anew, the user's choices and
// phrase file kept.
TEST_F(WineInstalledProgramTest, InstallingAgainOverTheProgramKeepsThePreferences) {
    if (program)
        program->Stop();
    ASSERT_TRUE(StoreUsersInterval());
    ASSERT_TRUE(WriteUsersPhrases());
    const QString data = desktop->LinuxPath(kInstallFolder + "\\Data\\mirel.txt");
    ASSERT_TRUE(QFile::remove(data));
    ASSERT_EQ(desktop->Run({"wine", Installer().toStdString(), "/S"}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(data));
    EXPECT_EQ(Registry(kRunKey).value_or(WineDesktop::RegistryKey{}).count("Quietbell"), 1u);
    EXPECT_EQ(Registry(kPreferencesKey)->at("Popup Mirel Interval").data, kUsersInterval);
    QFile users(UsersPhraseFile());
    ASSERT_TRUE(users.open(QIODevice::ReadOnly)) << "the user's phrase file is gone";
    EXPECT_EQ(users.readAll(), UsersPhrases());
}

TEST_F(WineInstalledProgramTest, SilentUninstallRemovesWhatTheInstallerPutThereButNotPreferences) {
    if (program)
        program->Stop();
    ASSERT_TRUE(StoreUsersInterval());
    // The uninstaller hands over to a copy of itself in the temporary folder and returns.
    ASSERT_EQ(desktop->Run({"wine", kUninstaller.toStdString(), "/S"}).exitCode, 0);
    EXPECT_TRUE(DesktopSession::WaitFor(
        [] { return !QDir(desktop->LinuxPath(kInstallFolder)).exists(); }, 60s))
        << "left: " << QDir(desktop->LinuxPath(kInstallFolder)).entryList().join(' ').toStdString();
    EXPECT_FALSE(Exists(kStartMenuEntry));
    EXPECT_EQ(Registry(kRunKey).value_or(WineDesktop::RegistryKey{}).count("Quietbell"), 0u);
    EXPECT_FALSE(Registry(kUninstallKey).has_value());
    const auto preferences = Registry(kPreferencesKey);
    ASSERT_TRUE(preferences.has_value());
    EXPECT_EQ(preferences->at("Popup Mirel Interval").data, kUsersInterval);
}

}  // namespace
