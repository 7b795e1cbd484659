// The program as `cmake --install` lays it out in a fresh prefix, started through the link on
// the PATH under the test desktop: it must find its data beside the real executable.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "ChildProcess.h"
#include "ScreenPixels.h"
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

    Start StartAndWatch(const QString& program) {
        ChildProcess child = ChildProcess::Start({program.toStdString()}, desktop.Environment(),
                                                 logs.filePath("quietbell.log").toStdString());
        Start seen;
        QRect at;
        if (desktop.WaitFor([&] { return !(at = PopupRect()).isNull(); }, 20s)) {
            // Painting follows the last slide step; two equal pictures in a row are settled.
            QImage last;
            desktop.WaitFor([&] {
                const QImage shot = Rgb(desktop.Screenshot().copy(at));
                const bool settled = shot == last;
                last = shot;
                return settled;
            });
            seen.popup = last;
        }
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

}  // namespace
