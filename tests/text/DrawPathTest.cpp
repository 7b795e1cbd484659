// Which path Draw takes, and the process-wide "Arabic locale installed" answer.
#include <locale.h>

#include <gtest/gtest.h>

#include "TextTestSupport.h"

using namespace texttest;
using Path = CScriptTextLayout::Path;

namespace {

bool canCreateArabicLocale() {
    locale_t l = newlocale(LC_ALL_MASK, "ar_SA.UTF-8", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr))
        return false;
    freelocale(l);
    return true;
}

struct DrawPath : testing::Test {
    ~DrawPath() override { CScriptTextLayout::SetArabicLocaleAnswerForTests(-1); }
    Path Taken(bool rightToLeft = true) {
        Canvas canvas;
        const QFont font = PinnedFont();
        CScriptTextLayout layout(rightToLeft);
        CScriptTextLayout::Recording rec;
        layout.SetRecording(&rec);
        layout.SetText(Cp1256(kAllah));
        layout.SelectFont(*canvas.painter, &font);
        layout.Draw(*canvas.painter, QRect(0, 0, 100, 50));
        return rec.path;
    }
};

TEST_F(DrawPath, TheAnswerIsWhetherTheLocaleCanBeCreatedAndIsKept) {
    CScriptTextLayout::SetArabicLocaleAnswerForTests(-1);
    const int answer = CScriptTextLayout::IsArabicLocaleInstalled();
    EXPECT_EQ(answer, canCreateArabicLocale() ? 1 : 0);
    EXPECT_EQ(CScriptTextLayout::IsArabicLocaleInstalled(), answer);
    EXPECT_EQ(Taken(), answer == 1 ? Path::System : Path::Own);
}

TEST_F(DrawPath, WithTheLocaleEveryDrawUsesTheSystemPath) {
    CScriptTextLayout::SetArabicLocaleAnswerForTests(1);
    EXPECT_EQ(Taken(), Path::System);
    EXPECT_EQ(Taken(false), Path::System);
}

TEST_F(DrawPath, WithoutItRightToLeftUsesTheOwnPath) {
    CScriptTextLayout::SetArabicLocaleAnswerForTests(0);
    EXPECT_EQ(Taken(), Path::Own);
    EXPECT_EQ(Taken(false), Path::System);  // left to right goes to Qt
}

TEST_F(DrawPath, SelectFontReturnsThePreviousFontAndSetsTheNewOne) {
    Canvas canvas;
    QFont before("DejaVu Sans");
    before.setPointSizeF(7);
    canvas.painter->setFont(before);
    const QFont font = PinnedFont(11);
    CScriptTextLayout layout;
    const QFont previous = layout.SelectFont(*canvas.painter, &font);
    EXPECT_EQ(previous, before);
    EXPECT_EQ(canvas.painter->font(), font);
    EXPECT_GT(layout.LineHeight(), 0);
    // Another font object measures anew.
    const QFont other = PinnedFont(22);
    layout.SelectFont(*canvas.painter, &other);
    EXPECT_GT(layout.LineHeight(), 0);
    const int big = layout.LineHeight();
    layout.SelectFont(*canvas.painter, &font);
    EXPECT_LT(layout.LineHeight(), big);
}

}  // namespace
