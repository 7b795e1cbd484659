// The Preferences dialog on the test binary's real desktop (Xvfb, openbox, tint2), looked at
// and typed into from outside.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include "TestMainDesktop.h"
#include "app/PreferenceKeys.h"
#include "tests/notifier/FadeProbe.h"
#include "tests/prefs/PreferencesFixture.h"

namespace {

using namespace fadeprobe;
using namespace prefkeys;

class PreferencesDesktopTest : public PreferencesFixture {
protected:
    void TearDown() override { desktop.StopCompositor(); }

    // Shows the dialog and waits until the window manager has it on screen and active.
    bool Show(CPreferencesDlg& dialog) {
        dialog.open();
        return desktop.WaitFor([&] {
            return desktop.IsViewable(dialog.winId()) && desktop.FocusedWindow() == dialog.winId();
        });
    }

    // Keys typed into the focused window, as a user types them.
    bool Keys(const ChildProcess::Strings& keys) const {
        ChildProcess::Strings argv = {"xdotool", "key", "--delay", "50"};
        argv.insert(argv.end(), keys.begin(), keys.end());
        return desktop.Run(argv).exitCode == 0;
    }

    DesktopSession& desktop = TheDesktop();
};

// The closing dialog's image fades on the screen itself, window frame and all.
TEST_F(PreferencesDesktopTest, OkLeavesAnImageThatFadesOnScreenAndLeavesNothing) {
    ASSERT_TRUE(desktop.StartCompositor()) << desktop.Error();
    const QRect work = desktop.WorkArea();
    StripedBackdrop backdrop(work);
    backdrop.show();
    QImage behind;
    ASSERT_TRUE(desktop.WaitFor([&] {
        behind = desktop.Screenshot();
        return behind.pixelColor(work.center()) == StripedBackdrop::ColourAt(work.center().x());
    }));

    CPreferencesDlg& dialog = Create();
    ASSERT_TRUE(Show(dialog));
    // The frame as the window manager drew it, once it stands on the screen: Qt learns the
    // frame only after the window manager has made it.
    QRect frame;
    ASSERT_TRUE(desktop.WaitFor([&] {
        frame = desktop.FrameGeometry(dialog.winId());
        return !frame.isEmpty() && ChangedPixels(desktop.Screenshot(), behind, frame) >
                                       frame.width() * frame.height() * 9 / 10;
    }));
    QPushButton* ok = Find<QPushButton>(1);
    const QPoint okOnScreen =
        desktop.WindowGeometry(dialog.winId()).topLeft() + ok->mapTo(&dialog, ok->rect().center());

    HeldFadeTimers held;
    ASSERT_EQ(desktop.FrameGeometry(dialog.winId()), frame) << "the frame stands still";
    ASSERT_TRUE(desktop.Click(okOnScreen));
    ASSERT_TRUE(desktop.WaitFor([&] { return !desktop.IsViewable(dialog.winId()); }));
    QPointer<CFadeOutWindow> fade = VisibleFadeOutWindow();
    ASSERT_FALSE(fade.isNull());
    EXPECT_EQ(FadeOnScreen(desktop, *fade), frame);
    // At full opacity the image stands where the dialog stood: that is the picture to fade.
    const QImage picture = FadePictureOnScreen(desktop, *fade, behind, frame);
    ASSERT_FALSE(picture.isNull()) << "the fade's image never showed at full opacity";
    EXPECT_GT(ChangedPixels(picture, behind, frame), frame.width() * frame.height() * 9 / 10)
        << "the image is the dialog";
    ExpectFadeOnScreenThenNothing(desktop, fade, picture, behind, frame);
}

// The dialog object is reused: a showing that ended with the focus on the interval must not
// hand the next showing's first key to the interval. There the first key reaches Enable.
TEST_F(PreferencesDesktopTest, EveryShowingStartsWithTheFocusOnTheFirstControl) {
    CPreferencesDlg& dialog = Create();
    ASSERT_TRUE(Show(dialog));
    ASSERT_TRUE(Keys({"Tab"}));
    ASSERT_TRUE(
        desktop.WaitFor([&] { return QApplication::focusWidget() == Find<QLineEdit>(1040); }));
    ASSERT_TRUE(Keys({"Escape"}));
    ASSERT_TRUE(desktop.WaitFor([&] { return !dialog.isVisible(); }));

    ASSERT_TRUE(Show(dialog));
    // Space toggles a focused check box; in the interval it would replace the selected text.
    ASSERT_TRUE(Keys({"space", "Return"}));
    ASSERT_TRUE(desktop.WaitFor([&] { return !dialog.isVisible() || !m_messages.isEmpty(); }));
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(' ').toStdString();
    EXPECT_EQ(Stored(kEnablePopup), 0);
    EXPECT_EQ(Stored(kPopupInterval), 10);
}

}  // namespace
