#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "FadeProbe.h"
#include "ScreenPixels.h"
#include "TestMainDesktop.h"
#include "TestPhrases.h"
#include "notifier/FadeOutWindow.h"
#include "notifier/NotifierHost.h"
#include "notifier/TaskbarNotifier.h"

namespace {

using namespace std::chrono_literals;

using screenpixels::IsGold;

QRect AvailableGeometry() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A fresh popup per test on the bottom-panel desktop of the test binary, without compositor
// unless the test starts one (before the popup, which picks its step when it is made).
class NotifierDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.WaitFor([] { return AvailableGeometry() == TheDesktop().WorkArea(); }));
    }
    void TearDown() override {
        CNotifierHost::DestroyInstance();
        desktop.StopCompositor();
        if (desktop.GetOptions().panel != DesktopSession::Panel::Bottom)
            desktop.SetPanel(DesktopSession::Panel::Bottom);
        desktop.WaitFor([] { return AvailableGeometry() == TheDesktop().WorkArea(); });
    }

    CTaskbarNotifier& Notifier() { return CNotifierHost::GetInstance()->Notifier(); }
    bool WaitForState(SlideAnimation::State state) {
        return desktop.WaitFor([&] { return Notifier().Animation().GetState() == state; });
    }
    void ShowAndWait() {
        CNotifierHost::GetInstance()->ShowPhrase(testphrases::Glory(), true);
        ASSERT_TRUE(WaitForState(SlideAnimation::Waiting));
    }
    // The popup as the X server has it, with every request of this process; empty while it
    // is not mapped.
    QRect OnScreen() {
        DesktopSession::SyncWithServer();
        const auto id = Notifier().winId();
        return desktop.IsViewable(id) ? desktop.WindowGeometry(id) : QRect();
    }

    DesktopSession& desktop = TheDesktop();
};

TEST_F(NotifierDesktopTest, RisesAbovePanelPaintsAndSlidesBackOnClick) {
    ASSERT_FALSE(CFadeOutWindow::ResolveUpdateLayeredWindow());
    ShowAndWait();
    EXPECT_EQ(Notifier().Animation().Step(), 8);
    const QRect work = desktop.WorkArea();
    const QRect expected(work.right() + 1 - 233, work.bottom() + 1 - 168, 233, 167);
    ASSERT_TRUE(desktop.WaitFor([&] { return OnScreen() == expected; })) << "placed by the WM";

    const QPoint onTheFrame = expected.topLeft() + QPoint(10, 80);
    const QRect text = Notifier().TextRect().translated(expected.topLeft());
    QImage shot;
    EXPECT_TRUE(desktop.WaitFor([&] {
        shot = desktop.Screenshot();
        return IsGold(shot.pixelColor(onTheFrame)) && screenpixels::DarkPixels(shot, text) > 30;
    })) << "the skin and the phrase show";

    ASSERT_TRUE(desktop.Click(expected.center()));
    ASSERT_TRUE(WaitForState(SlideAnimation::Disappearing)) << "slides back without a compositor";
    ASSERT_TRUE(WaitForState(SlideAnimation::Hidden));
    EXPECT_TRUE(Notifier().size().isEmpty());
    EXPECT_TRUE(desktop.WaitFor([&] { return OnScreen().isEmpty(); }))
        << "a hidden popup takes no clicks";
    EXPECT_TRUE(
        desktop.WaitFor([&] { return !IsGold(desktop.Screenshot().pixelColor(onTheFrame)); }));
}

// The image fades on the screen itself: 40 % into the fade each pixel is the popup's mixed
// with the desktop behind, and at the end nothing of it is left.
TEST_F(NotifierDesktopTest, WithCompositorTheClickedPopupFadesOnScreenAndLeavesNothing) {
    using namespace fadeprobe;
    ASSERT_TRUE(desktop.StartCompositor()) << desktop.Error();
    ASSERT_TRUE(CFadeOutWindow::ResolveUpdateLayeredWindow());
    const QRect work = desktop.WorkArea();
    StripedBackdrop backdrop(work);
    backdrop.show();
    const QPoint probe = work.bottomRight() - QPoint(100, 80);
    QImage behind;
    ASSERT_TRUE(desktop.WaitFor([&] {
        behind = desktop.Screenshot();
        return behind.pixelColor(probe) == StripedBackdrop::ColourAt(probe.x());
    }));

    ShowAndWait();
    EXPECT_EQ(Notifier().Animation().Step(), 4);
    QRect shown;
    ASSERT_TRUE(desktop.WaitFor([&] { return !(shown = OnScreen()).isEmpty(); }));
    // The pointer rests on the popup before the picture is taken, as it will at the click
    // (beside the click's point: xdotool waits for a move to a point to end there).
    ASSERT_TRUE(desktop.MoveMouse(shown.center() + QPoint(4, 4)));
    QImage popup;
    ASSERT_TRUE(desktop.WaitFor([&] {
        popup = desktop.Screenshot();
        return IsGold(popup.pixelColor(shown.topLeft() + QPoint(10, 80)));
    }));

    HeldFadeTimers held;
    ASSERT_TRUE(desktop.Click(shown.center()));
    ASSERT_TRUE(WaitForState(SlideAnimation::Hidden));
    QPointer<CFadeOutWindow> fade = VisibleFadeOutWindow();
    ASSERT_FALSE(fade.isNull()) << "the image stands over the popup";
    EXPECT_EQ(FadeOnScreen(desktop, *fade), shown);
    ExpectFadeOnScreenThenNothing(desktop, fade, popup, behind, shown);
}

TEST_F(NotifierDesktopTest, WithPanelAtTheTopItComesDownTopRight) {
    ASSERT_TRUE(desktop.SetPanel(DesktopSession::Panel::Top)) << desktop.Error();
    ASSERT_TRUE(desktop.WaitFor([&] { return AvailableGeometry() == desktop.WorkArea(); }));
    ShowAndWait();
    const QRect work = desktop.WorkArea();
    QRect at;
    ASSERT_TRUE(desktop.WaitFor([&] { return !(at = OnScreen()).isEmpty(); }));
    EXPECT_EQ(at.right(), work.right());
    EXPECT_GE(at.top(), work.top());
    EXPECT_LT(at.top(), work.top() + Notifier().Animation().Step());
    EXPECT_EQ(at.size(), QSize(233, 167));
}

TEST_F(NotifierDesktopTest, FocusedWindowKeepsTheFocusWhileThePopupComesAndGoes) {
    QLineEdit editor;
    editor.setWindowTitle("focus keeper");
    editor.setGeometry(100, 100, 300, 40);
    editor.show();
    editor.activateWindow();
    const auto focused = [&] {
        return QApplication::focusWidget() == &editor && desktop.FocusedWindow() == editor.winId();
    };
    ASSERT_TRUE(desktop.WaitFor(focused));

    // Looked at once the server has the popup mapped, and again once it has it unmapped.
    ShowAndWait();
    ASSERT_TRUE(desktop.WaitFor([&] { return !OnScreen().isEmpty(); }));
    EXPECT_TRUE(focused());
    Notifier().Hide();
    ASSERT_TRUE(WaitForState(SlideAnimation::Hidden));
    ASSERT_TRUE(desktop.WaitFor([&] { return OnScreen().isEmpty(); }));
    EXPECT_TRUE(focused());
}

TEST(DesktopSessionTest, RunsAnotherProgramUnderTheDesktop) {
    DesktopSession& desktop = TheDesktop();
    ChildProcess program =
        desktop.StartProgram({"xmessage", "-name", "probe", "under the session"});
    ASSERT_TRUE(program.Started());
    std::vector<unsigned long> windows;
    ASSERT_TRUE(desktop.WaitFor([&] {
        windows = desktop.FindWindowsByClass("Xmessage");
        return !windows.empty();
    }));
    EXPECT_TRUE(desktop.IsViewable(windows.front()));
    EXPECT_TRUE(desktop.WorkArea().contains(desktop.WindowGeometry(windows.front())));
    program.Stop();
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(desktop.WaitFor([&] { return desktop.FindWindowsByClass("Xmessage").empty(); }));
}

// A window to fade: a button, so that a click through the image can be seen.
class FadeOutDesktopTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.StartCompositor()) << desktop.Error();
        target.setWindowFlag(Qt::FramelessWindowHint);
        target.setGeometry(200, 200, 240, 120);
        target.show();
        ASSERT_TRUE(desktop.WaitFor(
            [&] { return desktop.WindowGeometry(target.winId()) == target.geometry(); }));
    }
    void TearDown() override { desktop.StopCompositor(); }

    DesktopSession& desktop = TheDesktop();
    QPushButton target{"under the image"};
};

TEST_F(FadeOutDesktopTest, StepsOfFiveDownToNothingThenDeletesItself) {
    // A fade time so long that only the test steps it.
    QPointer<CFadeOutWindow> fade = new CFadeOutWindow(&target, 100000000, 255);
    ASSERT_FALSE(fade.isNull());
    EXPECT_EQ(fadeprobe::FadeOnScreen(desktop, *fade), desktop.WindowGeometry(target.winId()));
    EXPECT_TRUE(fade->testAttribute(Qt::WA_TransparentForMouseEvents) ||
                fade->windowFlags().testFlag(Qt::WindowTransparentForInput));
    for (int expected = 250; expected >= 0; expected -= 5) {
        fade->OnTimer();
        ASSERT_EQ(fade->Remaining(), expected);
    }
    fade->OnTimer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fade.isNull());
}

TEST_F(FadeOutDesktopTest, ClickOnTheImageReachesTheWindowUnderneath) {
    QPointer<CFadeOutWindow> fade = new CFadeOutWindow(&target, 100000000, 255);
    ASSERT_FALSE(fade.isNull());
    ASSERT_TRUE(desktop.WaitFor([&] {
        return desktop.IsViewable(fade->winId()) &&
               desktop.WindowGeometry(fade->winId()) == desktop.WindowGeometry(target.winId());
    }));
    QSignalSpy clicks(&target, &QPushButton::clicked);
    ASSERT_TRUE(desktop.Click(target.geometry().center()));
    EXPECT_TRUE(desktop.WaitFor([&] { return clicks.count() == 1; }));
    delete fade.data();
}

TEST_F(FadeOutDesktopTest, TargetWithNothingOnScreenLeavesNoImage) {
    target.setGeometry(200, 200, 0, 0);
    QPointer<CFadeOutWindow> fade = new CFadeOutWindow(&target, 500, 255);
    EXPECT_FALSE(fade->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fade.isNull());
}

TEST_F(FadeOutDesktopTest, RealTimerFadesAndDeletesItself) {
    QPointer<CFadeOutWindow> fade = new CFadeOutWindow(&target, 500, 255);
    ASSERT_FALSE(fade.isNull());
    EXPECT_TRUE(desktop.WaitFor([&] { return fade.isNull(); }, 5s));
}

}  // namespace
