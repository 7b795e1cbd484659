#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ScreenPixels.h"
#include "TestPhrases.h"
#include "notifier/FadeOutWindow.h"
#include "notifier/NotifierHost.h"
#include "notifier/TaskbarNotifier.h"
#include "platform/DesktopArea.h"

namespace {

using platform::DesktopShape;
using platform::PanelEdge;

// A 1280 x 800 screen with a 30-pixel panel at the bottom.
const DesktopShape kBottomPanel{QRect(0, 0, 1280, 770), PanelEdge::Bottom};
const QRect kShown(1280 - 233, 770 - 168, 233, 167);

using screenpixels::DarkPixels;

// A fresh host per test, on a desktop of a known shape.
class NotifierHostTest : public testing::Test {
protected:
    void SetUp() override {
        platform::DesktopArea::SetSource([] { return kBottomPanel; });
    }
    void TearDown() override {
        CNotifierHost::DestroyInstance();
        platform::DesktopArea::SetSource({});
    }

    CTaskbarNotifier& Notifier() { return CNotifierHost::GetInstance()->Notifier(); }

    void SlideOut() {
        for (int tick = 0;
             tick < 100 && Notifier().Animation().GetState() != SlideAnimation::Waiting; ++tick)
            Notifier().OnTimer(SlideAnimation::SlideOutTimer);
    }
};

TEST_F(NotifierHostTest, SetUpGivesFontColourSkinAndTextRect) {
    CNotifierHost* host = CNotifierHost::GetInstance();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host, CNotifierHost::GetInstance());
    EXPECT_EQ(host->FontSize(), 85);
    const CTaskbarNotifier& notifier = host->Notifier();
    EXPECT_EQ(notifier.NormalFont().families().value(0), "Tahoma");
    EXPECT_DOUBLE_EQ(notifier.NormalFont().pointSizeF(), 8.5);
    EXPECT_EQ(notifier.NormalFont().weight(), QFont::Normal);
    EXPECT_EQ(notifier.NormalColor(), QColor(Qt::black));
    EXPECT_EQ(notifier.SkinSize(), QSize(233, 167));
    EXPECT_EQ(notifier.TextRect(), QRect(QPoint(30, 30), QPoint(202, 136)));
    EXPECT_EQ(notifier.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(notifier.isVisible());
    EXPECT_TRUE(notifier.size().isEmpty());
    // The offscreen platform has no translucent windows: the popup slides back, 8 a step.
    EXPECT_EQ(notifier.Animation().Step(), 8);
}

TEST_F(NotifierHostTest, FontSizeRebuildsTheFontOnlyWhenItChanges) {
    CNotifierHost* host = CNotifierHost::GetInstance();
    host->SetFontSize(120);
    EXPECT_EQ(host->FontSize(), 120);
    EXPECT_DOUBLE_EQ(host->Notifier().NormalFont().pointSizeF(), 12.0);
    EXPECT_EQ(host->Notifier().NormalFont().families().value(0), "Tahoma");

    CNotifierHost::DestroyInstance();
    EXPECT_EQ(CNotifierHost::GetInstance()->FontSize(), 85) << "a fresh host starts over";
}

TEST_F(NotifierHostTest, PhraseSlidesOutAndPaintsFrameAndText) {
    CNotifierHost::GetInstance()->ShowPhrase(testphrases::Glory(), true);
    EXPECT_EQ(Notifier().Text(), testphrases::Glory());
    EXPECT_EQ(Notifier().Animation().DisplayTime(), 4500u);
    SlideOut();
    ASSERT_EQ(Notifier().Animation().GetState(), SlideAnimation::Waiting);
    EXPECT_EQ(Notifier().geometry(), kShown);

    const QImage picture = Notifier().grab().toImage();
    ASSERT_EQ(picture.size(), QSize(233, 167));
    const QColor frame = picture.pixelColor(10, 80);
    EXPECT_GT(frame.red(), frame.blue() + 60) << "gold frame";
    EXPECT_GT(DarkPixels(picture, Notifier().TextRect()), 30) << "phrase text";
    EXPECT_EQ(DarkPixels(picture, QRect(31, 31, 20, 10)), 0) << "plain white field";
}

TEST_F(NotifierHostTest, ClickWithoutFadeSlidesBackToNothing) {
    CNotifierHost::GetInstance()->ShowPhrase(testphrases::Glory(), true);
    SlideOut();
    QTest::mouseClick(&Notifier(), Qt::LeftButton, {}, QPoint(100, 80));
    EXPECT_EQ(Notifier().Animation().GetState(), SlideAnimation::Disappearing);
    for (int tick = 0; tick < 100 && Notifier().Animation().GetState() != SlideAnimation::Hidden;
         ++tick)
        Notifier().OnTimer(SlideAnimation::SlideBackTimer);
    EXPECT_EQ(Notifier().Animation().GetState(), SlideAnimation::Hidden);
    EXPECT_TRUE(Notifier().size().isEmpty());
}

TEST_F(NotifierHostTest, HoverRepaintsWithoutTouchingTheStay) {
    CNotifierHost::GetInstance()->ShowPhrase(testphrases::Glory(), true);
    SlideOut();
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(kShown.topLeft() + QPoint(10, 10)));
    QCoreApplication::sendEvent(&Notifier(), &enter);
    EXPECT_TRUE(Notifier().Hovering());
    EXPECT_EQ(Notifier().Animation().GetState(), SlideAnimation::Waiting);
    EXPECT_EQ(Notifier().geometry(), kShown);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&Notifier(), &leave);
    EXPECT_FALSE(Notifier().Hovering());
}

TEST_F(NotifierHostTest, HundredThousandCharacterPhraseIsCappedAndPaints) {
    CNotifierHost::GetInstance()->ShowPhrase(std::string(100000, '\xC7'), true);
    EXPECT_EQ(Notifier().Animation().DisplayTime(), 21500u);
    SlideOut();
    const QImage picture = Notifier().grab().toImage();
    EXPECT_EQ(picture.size(), QSize(233, 167));
    EXPECT_EQ(Notifier().Text().size(), 100000u) << "the phrase itself is kept whole";
}

TEST_F(NotifierHostTest, SkinThatFailsToLoadKeepsThePopupHidden) {
    CTaskbarNotifier notifier;
    notifier.Create();
    EXPECT_FALSE(notifier.SetSkin("/nonexistent/skin.bmp"));
    notifier.Show(testphrases::Glory(), 4500, true, 500, 500);
    EXPECT_EQ(notifier.Animation().GetState(), SlideAnimation::Hidden);
    EXPECT_EQ(notifier.Animation().AppearPeriod(), 0u) << "no slide was set up";
    EXPECT_TRUE(notifier.size().isEmpty());
}

TEST(FadeOutWindowTest, WithoutTranslucentWindowsNothingIsCreated) {
    QWidget target;
    target.setGeometry(100, 100, 200, 100);
    target.show();
    ASSERT_FALSE(CFadeOutWindow::ResolveUpdateLayeredWindow());
    QPointer<CFadeOutWindow> fade = new CFadeOutWindow(&target, 500, 255);
    EXPECT_FALSE(fade->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fade.isNull());
}

struct PeriodCase {
    const char* name;
    int fadeTime;
    int startOpacity;
    int period;
};

class FadePeriodTest : public testing::TestWithParam<PeriodCase> {};

TEST_P(FadePeriodTest, SpreadsTheFadeOverStepsOfFive) {
    EXPECT_EQ(CFadeOutWindow::PeriodFor(GetParam().fadeTime, GetParam().startOpacity),
              GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Periods, FadePeriodTest,
                         testing::Values(PeriodCase{"DialogOk", 1000, 255, 19},
                                         PeriodCase{"DialogCancelAndPopup", 500, 255, 9},
                                         PeriodCase{"OneStep", 500, 5, 500},
                                         // Below one step would divide by zero.
                                         PeriodCase{"BelowOneStep", 500, 4, 500},
                                         PeriodCase{"AboveFull", 1000, 400, 19}),
                         [](const auto& info) { return std::string(info.param.name); });

// The tray icon's message is what a screen reader reads on Windows, where it hears nothing of
// the popup: each phrase goes there too, with its display time, only while one runs, and the
// popup shows either way.
TEST_F(NotifierHostTest, APhraseGoesToTheScreenReadersMessageOnlyWhileOneRuns) {
    struct Case {
        const char* name;
        bool screenReaderRuns;
        bool trayHasMessages;
        bool messageGiven;
    };
    const Case cases[] = {
        {"screen reader and tray", true, true, true},
        {"no screen reader", false, true, false},
        {"screen reader without a tray", true, false, false},
        {"neither", false, false, false},
    };
    for (const Case& c : cases) {
        CNotifierHost* host = CNotifierHost::GetInstance();
        host->SetScreenReaderProbe([&] { return c.screenReaderRuns; });
        std::vector<std::pair<QString, int>> messages;
        if (c.trayHasMessages) {
            host->SetScreenReaderMessage([&](const QString& text, int timeoutMs) {
                messages.emplace_back(text, timeoutMs);
            });
        }
        host->ShowPhrase(testphrases::Glory(), true);
        SlideOut();
        EXPECT_EQ(Notifier().Animation().GetState(), SlideAnimation::Waiting) << c.name;
        if (c.messageGiven) {
            const std::vector<std::pair<QString, int>> expected = {
                {QString::fromStdU16String(
                     u"\u0633\u0628\u062D\u0627\u0646\u0020\u0627\u0644\u0644\u0647"),
                 4500}};
            EXPECT_EQ(messages, expected) << c.name;
        } else {
            EXPECT_TRUE(messages.empty()) << c.name;
        }
        CNotifierHost::DestroyInstance();
    }
}

}  // namespace
