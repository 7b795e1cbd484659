// The system path: Qt's own wrapped, centred, right-to-left drawing and its placement cache.
#include <QFontMetrics>

#include <gtest/gtest.h>

#include "TextTestSupport.h"

using namespace texttest;
using Path = CScriptTextLayout::Path;

namespace {

struct SystemPath : testing::Test {
    QFont font = PinnedFont(12);
    Canvas canvas;
    CScriptTextLayout layout;
    CScriptTextLayout::Recording rec;
    SystemPath() {
        layout.SetPathForTests(Path::System);
        layout.SetRecording(&rec);
        layout.SetText(Cp1256(Phrase()));
        layout.SelectFont(*canvas.painter, &font);
    }
};

TEST_F(SystemPath, PlacementIsTheMeasuredSizeCentredInTheRectangle) {
    const QRect rect(10, 20, 160, 200);
    layout.Draw(*canvas.painter, rect);
    EXPECT_EQ(rec.path, Path::System);
    ASSERT_TRUE(rec.placementComputed);
    const QFontMetrics metrics(font, &canvas.image);
    const QRect needed =
        metrics.boundingRect(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap,
                             QString::fromStdU16String(Phrase()));
    EXPECT_EQ(rec.placement.size(), needed.size());
    EXPECT_EQ(rec.placement.left(), rect.left() + (rect.width() - needed.width()) / 2);
    EXPECT_EQ(rec.placement.top(), rect.top() + (rect.height() - needed.height()) / 2);
    EXPECT_GT(needed.height(), metrics.height());  // it wrapped
}

TEST_F(SystemPath, ASecondDrawWithAnotherRectangleReusesThePlacement) {
    layout.Draw(*canvas.painter, QRect(0, 0, 200, 200));
    const QRect first = rec.placement;
    layout.Draw(*canvas.painter, QRect(100, 150, 300, 100));
    EXPECT_FALSE(rec.placementComputed);
    EXPECT_EQ(rec.placement, first);
    EXPECT_EQ(layout.Placement(), first);

    // New text, or an invalidated layout, places it anew.
    layout.SetText(Cp1256(kAllah));
    layout.Draw(*canvas.painter, QRect(100, 150, 300, 100));
    EXPECT_TRUE(rec.placementComputed);
    EXPECT_NE(rec.placement, first);
    const QRect second = rec.placement;
    layout.InvalidateLayout();
    layout.SelectFont(*canvas.painter, &font);
    layout.Draw(*canvas.painter, QRect(0, 0, 50, 50));
    EXPECT_TRUE(rec.placementComputed);
    EXPECT_NE(rec.placement, second);
}

TEST_F(SystemPath, ReadsRightToLeft) {
    // The first word of the paragraph sits at the right end of the line.
    CScriptTextLayout::Recording own;
    const QRect rect(0, 0, 390, 100);
    Canvas first, whole;
    CScriptTextLayout word, line;
    for (auto* l : {&word, &line})
        l->SetPathForTests(Path::System);
    word.SetText(Cp1256(kSubhan));
    line.SetText(Cp1256(kSubhan + u" abc"));
    word.SelectFont(*first.painter, &font);
    line.SelectFont(*whole.painter, &font);
    word.Draw(*first.painter, rect);
    line.Draw(*whole.painter, rect);
    first.End();
    whole.End();
    const QRect lineInk = InkBounds(whole.image);
    // Cut the right end of the line as wide as the word alone and compare the pictures.
    const QRect wordInk = InkBounds(first.image);
    const QImage right = whole.image.copy(lineInk.right() - wordInk.width() + 1, wordInk.top(),
                                          wordInk.width(), wordInk.height());
    const QImage alone = first.image.copy(wordInk);
    int differing = 0;
    for (int y = 0; y < alone.height(); ++y)
        for (int x = 0; x < alone.width(); ++x)
            differing += (qGray(alone.pixel(x, y)) < 128) != (qGray(right.pixel(x, y)) < 128);
    EXPECT_LT(differing, alone.width() * alone.height() / 8);
}

}  // namespace
