// The program as `cmake --install` lays it out in a fresh prefix, started through the link on
// the PATH under the test desktop: it must find its data beside the real executable. And a
// user's own phrase file in the user's data folder, which the program reads in place of the
// shipped one and which no reinstall of the package touches.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "ChildProcess.h"
#include "QuietbellProgram.h"
#include "RequireInstalled.h"
#include "ScreenPixels.h"
#include "ScreenText.h"
#include "TestMainDesktop.h"

namespace {

using namespace std::chrono_literals;

const char* const kDataFiles[] = {"mirel.txt", "resources.txt", "SplashScreen.jpg",
                                  "AnimatedFree.gif"};
const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString SourceDir() {
    return qEnvironmentVariable("QB_SOURCE_DIR");
}

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

using screenpixels::IsGold;

int DifferentPixels(const QImage& a, const QImage& b) {
    int different = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            different += a.pixel(x, y) != b.pixel(x, y);
    return different;
}

// What one start of a program showed.
struct Start {
    QImage popup;  // the start-up popup once it stood still
    bool docked = false;
};

// One installation into a temporary prefix for the whole binary.
class InstalledProgram : public testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = std::make_unique<QTemporaryDir>();
        installed = ChildProcess::Run(
            {QB_CMAKE, "--install", QB_BUILD_DIR, "--prefix", prefix->path().toStdString()},
            TheDesktop().Environment());
    }
    static void TearDownTestSuite() { prefix.reset(); }

    void SetUp() override { ASSERT_EQ(installed.exitCode, 0) << installed.output; }

    static QString Installed(const QString& relative) { return prefix->filePath(relative); }

    QRect WindowOfSize(const QSize& size, const std::function<bool(const QRect&)>& where) const {
        for (unsigned long window : desktop.FindWindowsByClass("quietbell")) {
            const QRect at = desktop.WindowGeometry(window);
            if (at.size() == size && where(at))
                return at;
        }
        return {};
    }

    // The popup is out when it has the skin's full size.
    QRect PopupRect() const {
        return WindowOfSize(skin.size(), [](const QRect&) { return true; });
    }

    // The tray icon is the program's small square window inside the panel strip.
    bool TrayIconDocked() const {
        const QRect work = desktop.WorkArea();
        const auto inPanel = [&](const QRect& at) { return !work.intersects(at); };
        return !WindowOfSize({22, 22}, inPanel).isNull() ||
               !WindowOfSize({24, 24}, inPanel).isNull();
    }

    // The popup once it is out and stands still; a null picture when none comes in time.
    QImage SettledPopup(std::chrono::milliseconds deadline = 20s) const {
        QRect at;
        if (!desktop.WaitFor([&] { return !(at = PopupRect()).isNull(); }, deadline))
            return {};
        // Painting follows the last slide step; two equal pictures in a row are settled.
        QImage last;
        desktop.WaitFor([&] {
            const QImage shot = Rgb(desktop.Screenshot().copy(at));
            const bool settled = shot == last;
            last = shot;
            return settled;
        });
        return last;
    }

    Start StartAndWatch(const QString& program,
                        const ChildProcess::Strings& environment = TheDesktop().Environment()) {
        ChildProcess child = ChildProcess::Start({program.toStdString()}, environment,
                                                 logs.filePath("quietbell.log").toStdString());
        Start seen;
        seen.popup = SettledPopup();
        seen.docked = desktop.WaitFor([&] { return TrayIconDocked(); }, 20s);
        child.Stop();
        return seen;
    }

    static std::unique_ptr<QTemporaryDir> prefix;
    static ChildProcess::Result installed;
    DesktopSession& desktop = TheDesktop();
    QTemporaryDir logs;
    const QImage skin = Rgb(QImage(SourceDir() + "/res/images/NotifierSkin.bmp"));
};

std::unique_ptr<QTemporaryDir> InstalledProgram::prefix;
ChildProcess::Result InstalledProgram::installed;

TEST_F(InstalledProgram, TheExecutableHasItsDataBesideIt) {
    EXPECT_TRUE(QFileInfo(Installed("lib/quietbell/quietbell")).isExecutable());
    for (const char* name : kDataFiles) {
        QFile shipped(SourceDir() + "/res/Data/" + name);
        QFile copy(Installed("lib/quietbell/Data/") + name);
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(copy.readAll(), shipped.readAll()) << name;
    }
}

TEST_F(InstalledProgram, TheLinkOnThePathIsRelative) {
    const std::filesystem::path link = Installed("bin/quietbell").toStdString();
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "../lib/quietbell/quietbell");
    EXPECT_EQ(QFileInfo(Installed("bin/quietbell")).canonicalFilePath(),
              QFileInfo(Installed("lib/quietbell/quietbell")).canonicalFilePath());
}

TEST_F(InstalledProgram, DesktopEntriesMetainfoAndCopyright) {
    for (const char* path :
         {"share/applications/org.example.quietbell.desktop",
          "etc/xdg/autostart/org.example.quietbell.desktop",
          "share/metainfo/org.example.quietbell.metainfo.xml", "share/doc/quietbell/copyright"})
        EXPECT_TRUE(QFileInfo(Installed(path)).isFile()) << path;
}

TEST_F(InstalledProgram, TheIconIsInTheThemeAtEachSize) {
    for (int size : kIconSizes) {
        const QString path =
            Installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/quietbell.png").arg(size));
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), "png") << path.toStdString();
        EXPECT_EQ(reader.size(), QSize(size, size)) << path.toStdString();
    }
}

// The build tree's program is the reference: the installed one must show the very same
// start-up phrase, which it can only do when it finds the shipped phrase file.
TEST_F(InstalledProgram, StartedFromThePathItDocksAndShowsTheShippedStartUpPhrase) {
    ASSERT_FALSE(skin.isNull());
    const Start reference = StartAndWatch(QStringLiteral(QB_BUILD_DIR "/bin/quietbell"));
    ASSERT_FALSE(reference.popup.isNull()) << "the build tree's program shows no popup";
    const Start installedStart = StartAndWatch(Installed("bin/quietbell"));
    ASSERT_FALSE(installedStart.popup.isNull()) << "no start-up popup";
    EXPECT_TRUE(installedStart.docked) << "no tray icon in the panel";
    EXPECT_TRUE(IsGold(installedStart.popup.pixelColor(10, 80))) << "the skin is painted";
    EXPECT_GT(DifferentPixels(installedStart.popup, skin), 100) << "a phrase is drawn on it";
    EXPECT_EQ(installedStart.popup, reference.popup) << "the same phrase as from the build tree";
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

// A phrase file's lines (after the byte-order mark, each without its CR LF) and back.
QStringList Lines(const QByteArray& file) {
    QStringList lines = QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2),
                                           (file.size() - 2) / 2)
                            .split("\r\n");
    lines.removeLast();  // what follows the last CR LF
    return lines;
}

QByteArray File(const QStringList& lines) {
    const QString text = QChar(0xFEFF) + lines.join("\r\n") + "\r\n";
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QByteArray ShippedPhrases() {
    return ReadAll(SourceDir() + "/res/Data/mirel.txt");
}

// The shipped phrases with lines 0 and 2 swapped, sealed still (the sum takes no order): the
// user's start-up phrase is the shipped line 2, and the user's first reminder line the
// shipped start-up phrase, so each shows on the screen as a picture a shipped run shows too.
QByteArray UsersPhrases() {
    QStringList lines = Lines(ShippedPhrases());
    lines.swapItemsAt(0, 2);
    return File(lines);
}

// Time enough for the start-up phrase to come and go before the reminder of 10:10:00.
constexpr const char* kBeforeAReminder = "2024-03-14 10:09:30";
constexpr const char* kPlace = "Popup Mirel Index";
constexpr const char* kFileMark = "Popup Mirel File";

// The installed program with a user's data folder of its own (XDG_DATA_HOME) and a fresh
// settings file, on a fake clock.
class UsersPhraseFile : public InstalledProgram {
protected:
    void SetUp() override {
        InstalledProgram::SetUp();
        if (HasFatalFailure())
            return;
        QB_REQUIRE_INSTALLED(quietbell::FakeTimeInstalled(), "faketime");
        ASSERT_TRUE(QDir(ConfigHome() + "/Brindlewax").removeRecursively());
    }

    ChildProcess::Strings Environment() const {
        ChildProcess::Strings environment = desktop.Environment();
        std::erase_if(environment,
                      [](const std::string& e) { return e.starts_with("XDG_DATA_HOME="); });
        environment.push_back("XDG_DATA_HOME=" + dataHomePath.toStdString());
        return environment;
    }

    QString UserFile() const { return dataHomePath + "/quietbell/mirel.txt"; }
    QString ConfigHome() const { return desktop.Home() + "/.config"; }
    QVariant Stored(const char* key) const { return quietbell::Stored(ConfigHome(), key); }

    // The start-up popup and the first reminder's popup of one run of the installed program;
    // the run ends as a logout ends it.
    struct Run {
        QImage startup;
        QImage reminder;
    };
    Run RunThroughAReminder(const QString& program) {
        ChildProcess child = quietbell::Start(
            Environment(), logs.filePath("quietbell.log").toStdString(), kBeforeAReminder, program);
        Run seen;
        seen.startup = SettledPopup(30s);
        if (!seen.startup.isNull() && WaitForNoPopup())
            seen.reminder = SettledPopup(60s);
        EXPECT_EQ(child.Stop(), 0);
        return seen;
    }

    bool WaitForNoPopup() const {
        return desktop.WaitForGone([&] { return !PopupRect().isNull(); }, 60s);
    }

    QTemporaryDir dataHome;
    QString dataHomePath = dataHome.path();
};

// The place was counted in the shipped file (7); the user's file starts its rotation at its
// line 2, and when the user's file goes, the shipped rotation starts at its line 2 again.
TEST_F(UsersPhraseFile, ItsPhrasesShowInPlaceOfTheShippedOnesUntilItGoes) {
    const QString program = Installed("bin/quietbell");
    const QImage shippedStartup = StartAndWatch(program, Environment()).popup;
    ASSERT_FALSE(shippedStartup.isNull()) << "no start-up popup without a user's file";
    quietbell::Store(ConfigHome(), kPlace, 7);
    ASSERT_TRUE(Write(UserFile(), UsersPhrases()));

    const Run users = RunThroughAReminder(program);
    ASSERT_FALSE(users.startup.isNull()) << "no start-up popup";
    EXPECT_NE(users.startup, shippedStartup) << "the start-up phrase is the user's line 0";
    ASSERT_FALSE(users.reminder.isNull()) << "no reminder";
    EXPECT_EQ(users.reminder, shippedStartup) << "the reminder is the user's line 2";
    EXPECT_EQ(Stored(kPlace).toInt(), 3);
    EXPECT_TRUE(Stored(kFileMark).isValid());

    ASSERT_TRUE(QFile::remove(UserFile()));
    const Run shipped = RunThroughAReminder(program);
    EXPECT_EQ(shipped.startup, shippedStartup) << "the shipped start-up phrase";
    EXPECT_EQ(shipped.reminder, users.startup) << "the reminder is the shipped line 2";
    EXPECT_EQ(Stored(kPlace).toInt(), 3);
    EXPECT_FALSE(Stored(kFileMark).isValid()) << "the settings are as a shipped run leaves them";
}

// The shipped phrases less their last line: a file of the user's whose sum is wrong.
TEST_F(UsersPhraseFile, AWrongSumGivesTheUsualMessageAndNoReminders) {
    QB_REQUIRE_INSTALLED(ScreenText::Installed(), "tesseract");
    QStringList lines = Lines(ShippedPhrases());
    lines.removeLast();
    ASSERT_TRUE(Write(UserFile(), File(lines)));
    quietbell::Store(ConfigHome(), kPlace, 7);
    const std::string fakeStart = "2024-03-14 10:09:50";
    ChildProcess child =
        quietbell::Start(Environment(), logs.filePath("quietbell.log").toStdString(), fakeStart,
                         Installed("bin/quietbell"));

    // The message is the program's first window, before its start picture.
    std::vector<unsigned long> windows;
    ASSERT_TRUE(desktop.WaitFor(
        [&] { return !(windows = quietbell::Windows(Environment(), child.Pid())).empty(); }, 30s));
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(quietbell::IsDialog(Environment(), windows.front()));
    EXPECT_EQ(quietbell::WindowName(Environment(), windows.front()), "quietbell");
    QImage box;
    std::vector<QString> readings;
    EXPECT_TRUE(desktop.WaitFor([&] {
        box = desktop.Screenshot(desktop.WindowGeometry(windows.front()));
        readings = ScreenText::Read(box, false);
        return ScreenText::AnyReadingHolds(readings, "Cannot Read Mirel.txt file");
    })) << QStringList(readings.begin(), readings.end()).join(" | ").toStdString();
    ASSERT_TRUE(quietbell::Keys(Environment(), windows.front(), {"Return"}));
    ASSERT_TRUE(desktop.WaitFor([&] { return TrayIconDocked(); }, 30s)) << "no tray icon";

    // The program's clock started at fakeStart no later than its icon docked, so it has passed
    // the reminder's minute once that much time has gone since then; no popup came meanwhile.
    const auto docked = std::chrono::steady_clock::now();
    const auto pastTheReminder = 10s + 3s;
    bool popupCame = false;
    desktop.WaitFor(
        [&] {
            popupCame = popupCame || !PopupRect().isNull();
            return popupCame || std::chrono::steady_clock::now() - docked >= pastTheReminder;
        },
        30s);
    EXPECT_FALSE(popupCame) << "a popup from a refused file";
    EXPECT_TRUE(child.Running());
    EXPECT_EQ(child.Stop(), 0);
    EXPECT_EQ(Stored(kPlace).toInt(), 7) << "the place stays for the shipped file";
    EXPECT_FALSE(Stored(kFileMark).isValid());
}

// dpkg into a root of its own, as an upgrade installs a package over its earlier version.
ChildProcess::Result InstallPackage(const QString& deb, const QString& root) {
    QDir().mkpath(root + "/var/lib/dpkg/info");
    QDir().mkpath(root + "/var/lib/dpkg/updates");
    QFile status(root + "/var/lib/dpkg/status");
    if (!status.exists())
        status.open(QIODevice::WriteOnly);
    // The libraries it depends on are the machine's, not the root's; dpkg looks for its
    // helpers (ldconfig) on the PATH.
    return ChildProcess::Run(
        {"dpkg", "--force-not-root", "--force-depends", "--log=/dev/null",
         "--root=" + root.toStdString(), "-i", deb.toStdString()},
        ChildProcess::CurrentEnvironmentWith(
            {{"PATH", "/usr/sbin:/sbin:" + qEnvironmentVariable("PATH").toStdString()}}));
}

// The user's home lies in the same root as the package, and the package installed again over
// itself leaves the user's file, and the program from the package still shows its phrases.
TEST_F(UsersPhraseFile, ThePackageInstalledAgainOverItselfKeepsTheUsersFile) {
    QTemporaryDir folder;
    const ChildProcess::Result made =
        ChildProcess::Run({QB_CPACK, "-G", "DEB", "--config", QB_BUILD_DIR "/CPackConfig.cmake",
                           "-B", folder.path().toStdString()},
                          desktop.Environment());
    const QStringList debs = QDir(folder.path()).entryList({"*.deb"}, QDir::Files);
    ASSERT_TRUE(made.exitCode == 0 && debs.size() == 1) << made.output;
    const QString deb = folder.filePath(debs.front());
    const QString root = folder.filePath("root");
    const QString program = root + "/usr/bin/quietbell";
    dataHomePath = root + "/home/user/.local/share";

    const ChildProcess::Result first = InstallPackage(deb, root);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    const QImage shippedStartup = StartAndWatch(program, Environment()).popup;
    ASSERT_TRUE(Write(UserFile(), UsersPhrases()));
    const QImage usersStartup = StartAndWatch(program, Environment()).popup;
    ASSERT_FALSE(usersStartup.isNull()) << "no start-up popup";
    ASSERT_NE(usersStartup, shippedStartup) << "the user's start-up phrase";

    const ChildProcess::Result again = InstallPackage(deb, root);
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(ReadAll(UserFile()), UsersPhrases()) << "the user's file is as it was";
    EXPECT_EQ(StartAndWatch(program, Environment()).popup, usersStartup)
        << "the user's start-up phrase after the reinstall";
}

}  // namespace
