// The own path's line fitting, placing and ordering, inspected through its recording.
#include <unicode/ubidi.h>
#include <unicode/uscript.h>

#include <QFontDatabase>
#include <QRawFont>

#include <gtest/gtest.h>

#include <set>

#include "TextTestSupport.h"

using namespace texttest;
using Path = CScriptTextLayout::Path;

namespace {

class OwnPath : public testing::Test {
protected:
    QFont font = PinnedFont(12);
    QImage device{1, 1, QImage::Format_ARGB32};
    std::u16string text = Phrase();
    RunMetrics metrics = ShapeAsOneRun(font, &device, text);

    // Lines of the first (measuring) pass for a rectangle of the given width.
    std::vector<CScriptTextLayout::RecordedLine> Measure(int width, int height = 200) {
        return DrawText(text, QRect(0, 0, width, height), Path::Own, font).rec.measured;
    }
    int IndexAfterWord(int words) const {
        int spaces = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u' ' && ++spaces == words)
                return static_cast<int>(i);
        }
        return static_cast<int>(text.size());
    }
};

TEST_F(OwnPath, TheFontShapesArabic) {
    ASSERT_EQ(metrics.logicalWidths.size(), text.size());
    EXPECT_GT(metrics.width, 100);
    for (int w : metrics.logicalWidths)
        EXPECT_GE(w, 0);
}

TEST_F(OwnPath, LinesBreakOnlyAfterWhiteSpace) {
    const int widest = 60;  // wider than every word of the phrase and its space
    for (int width = widest; width <= metrics.width + 10; width += 7) {
        SCOPED_TRACE(width);
        const auto d = DrawText(text, QRect(0, 0, width, 300), Path::Own, font);
        ASSERT_FALSE(d.rec.lines.empty());
        int next = 0;
        for (const auto& line : d.rec.lines) {
            EXPECT_EQ(line.first, next);
            next = line.first + line.chars;
            if (line.first > 0) {
                EXPECT_EQ(text[line.first - 1], u' ') << "line starts inside a word";
                EXPECT_NE(text[line.first], u' ') << "white space moved to the next line";
            }
        }
        EXPECT_EQ(next, static_cast<int>(text.size()));
    }
}

TEST_F(OwnPath, WhiteSpaceAtABreakStaysAndCountsInTheWidth) {
    // Room for the first two words and a little more: the break follows the second space.
    const int after2 = IndexAfterWord(2);
    const int width = Sum(metrics.logicalWidths, 0, after2 + 1) + 2;
    const QRect rect(0, 0, width, 300);
    const auto d = DrawText(text, rect, Path::Own, font);
    ASSERT_GE(d.rec.lines.size(), 2u);
    const auto& first = d.rec.lines[0];
    EXPECT_EQ(first.chars, after2 + 1);
    EXPECT_EQ(text[first.first + first.chars - 1], u' ');
    EXPECT_EQ(first.width, Sum(metrics.logicalWidths, 0, after2 + 1));
    // The block's width is that of its widest line, trailing space included.
    int widest = 0;
    for (const auto& line : d.rec.measured)
        widest = std::max(widest, line.width);
    EXPECT_EQ(d.rec.box.width(), widest);
    EXPECT_EQ(d.rec.box.left(), rect.left() + (rect.width() - widest) / 2);
}

TEST_F(OwnPath, ACutKeepsOnlyCharactersStrictlyBelowTheRoomLeft) {
    const int after2 = IndexAfterWord(2);  // index of the space after the second word
    const int exact = Sum(metrics.logicalWidths, 0, after2);
    // The second word would end exactly at the edge: it is not kept.
    auto lines = Measure(exact);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].chars, IndexAfterWord(1) + 1);
    // One pixel more and it is, with its space.
    lines = Measure(exact + 1);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].chars, after2 + 1);
    EXPECT_EQ(lines[0].width, Sum(metrics.logicalWidths, 0, after2 + 1));
}

TEST_F(OwnPath, ARunExactlyAsWideAsTheRoomLeftJoinsTheLine) {
    // Two runs: an Arabic word with its space (level 1) and a Latin word (level 2).
    const std::u16string mixed = kSubhan + u" abc";
    const auto wide = DrawText(mixed, QRect(0, 0, 390, 100), Path::Own, font);
    ASSERT_EQ(wide.rec.lines.size(), 1u);
    ASSERT_EQ(wide.rec.lines[0].runs.size(), 2u);
    const int total = wide.rec.lines[0].width;

    auto d = DrawText(mixed, QRect(0, 0, total, 100), Path::Own, font);
    ASSERT_EQ(d.rec.measured.size(), 1u);
    EXPECT_EQ(d.rec.measured[0].width, total);
    EXPECT_EQ(d.rec.lines.size(), 1u);

    d = DrawText(mixed, QRect(0, 0, total - 1, 100), Path::Own, font);
    ASSERT_EQ(d.rec.measured.size(), 2u);
    EXPECT_EQ(d.rec.measured[0].chars, static_cast<int>(kSubhan.size()) + 1);
    EXPECT_EQ(d.rec.measured[1].first, static_cast<int>(kSubhan.size()) + 1);
}

TEST_F(OwnPath, AWordWiderThanTheLineGoesOneClusterPerLine) {
    // One long word; a beh with a fatha (U+064E) is one cluster of two characters.
    const std::u16string word =
        u"\u0628\u064E\u0633\u0645\u0644\u0627\u0628\u064E\u0633"
        u"\u0645\u0628\u0633\u0645\u0628\u064E\u0633\u0645\u0628"
        u"\u0633\u0645";
    const RunMetrics m = ShapeAsOneRun(font, &device, word);
    const int width = 20;
    ASSERT_GT(m.width, 3 * width);
    const auto d = DrawText(word, QRect(0, 0, width, 2000), Path::Own, font, QSize(100, 2000));
    ASSERT_GE(d.rec.measured.size(), 3u);
    bool sawTwoCharacterCluster = false;
    for (size_t i = 0; i + 1 < d.rec.measured.size(); ++i) {
        const auto& line = d.rec.measured[i];
        SCOPED_TRACE(i);
        // The rest of the word from here, shaped on its own as the layout shapes it.
        const RunMetrics rest = ShapeAsOneRun(font, &device, word.substr(line.first));
        EXPECT_GT(rest.width, width) << "only a rest wider than the line is cut again";
        int cluster = 0;
        while (cluster < static_cast<int>(rest.clusterMap.size()) &&
               rest.clusterMap[cluster] == rest.clusterMap[0])
            ++cluster;
        EXPECT_EQ(line.chars, cluster);
        sawTwoCharacterCluster |= cluster == 2;
    }
    EXPECT_TRUE(sawTwoCharacterCluster);
    const auto& last = d.rec.measured.back();
    EXPECT_LE(last.width, width);
    EXPECT_EQ(last.first + last.chars, static_cast<int>(word.size()));
    EXPECT_GT(last.chars, 1);
}

TEST_F(OwnPath, LinesAreSetAgainstTheBlocksRightEdgeAtXMinusOne) {
    const auto d = DrawText(kSubhan + u" 123 abc " + kAllah + u" " + kAlAzim,
                            QRect(10, 10, 120, 200), Path::Own, font);
    ASSERT_GE(d.rec.lines.size(), 2u);
    const int right = d.rec.box.left() + d.rec.box.width();
    for (const auto& line : d.rec.lines) {
        ASSERT_FALSE(line.runs.empty());
        EXPECT_EQ(line.runs.front().x, right - 1);
        for (size_t i = 1; i < line.runs.size(); ++i)
            EXPECT_EQ(line.runs[i].x, line.runs[i - 1].x - line.runs[i - 1].width);
    }
}

TEST_F(OwnPath, TheBlockIsCentredBothWays) {
    const QRect rect(7, 11, 150, 200);
    const auto d = DrawText(text, rect, Path::Own, font);
    ASSERT_GE(d.rec.lines.size(), 2u);
    int widest = 0;
    for (const auto& line : d.rec.measured)
        widest = std::max(widest, line.width);
    const int height = static_cast<int>(d.rec.measured.size()) * d.lineHeight;
    EXPECT_EQ(d.rec.box, QRect(rect.left() + (rect.width() - widest) / 2,
                               rect.top() + (rect.height() - height) / 2, widest, height));
    for (size_t i = 0; i < d.rec.lines.size(); ++i)
        EXPECT_EQ(d.rec.lines[i].y, d.rec.box.top() + static_cast<int>(i) * d.lineHeight);
    // The drawing pass breaks again at the block's width, into the same lines.
    ASSERT_EQ(d.rec.lines.size(), d.rec.measured.size());
    for (size_t i = 0; i < d.rec.lines.size(); ++i) {
        EXPECT_EQ(d.rec.lines[i].first, d.rec.measured[i].first);
        EXPECT_EQ(d.rec.lines[i].width, d.rec.measured[i].width);
    }
}

TEST_F(OwnPath, ATooTallBlockOverflowsEquallyAndIsNotClipped) {
    const QRect rect(20, 140, 80, 20);
    const auto d = DrawText(text, rect, Path::Own, font);
    ASSERT_GE(d.rec.lines.size(), 3u);
    const QRect box = d.rec.box;
    const int above = rect.top() - box.top();
    const int below = (box.top() + box.height()) - (rect.top() + rect.height());
    EXPECT_GT(above, 0);
    EXPECT_LE(std::abs(above - below), 1);
    const QRect ink = InkBounds(d.image);
    EXPECT_LT(ink.top(), rect.top());
    EXPECT_GT(ink.bottom(), rect.bottom());
}

TEST_F(OwnPath, ArabicWithLatinDigitsAndALatinWordComesInVisualOrder) {
    // logical: word(0-4) sp(5) 123(6-8) sp(9) abc(10-12) sp(13) word(14-17); the space
    // after the Latin word belongs to the last Arabic word's item.
    const std::u16string mixed = kSubhan + u" 123 abc " + kAllah;
    const auto d = DrawText(mixed, QRect(0, 0, 390, 100), Path::Own, font);
    ASSERT_EQ(d.rec.lines.size(), 1u);
    std::vector<int> firsts, levels;
    for (const auto& run : d.rec.lines[0].runs) {
        firsts.push_back(run.first);
        levels.push_back(run.level);
    }
    // Drawn from the right: the first Arabic word, the digits, the Latin word, the last
    // Arabic word at the left end.
    EXPECT_EQ(firsts, (std::vector<int>{0, 6, 9, 10, 13}));
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 1, 2, 1}));
    // The same order as ICU gives the whole line.
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(mixed.data()),
                  static_cast<int32_t>(mixed.size()), 1, nullptr, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    // Visual index 0 is the left end: the last Arabic word; the right end is character 0.
    EXPECT_EQ(ubidi_getLogicalIndex(bidi, 0, &status), static_cast<int>(mixed.size()) - 1);
    EXPECT_EQ(ubidi_getLogicalIndex(bidi, static_cast<int32_t>(mixed.size()) - 1, &status), 0);
    ubidi_close(bidi);
    // Digits and the Latin word read left to right inside their runs.
    const auto& digits = d.rec.lines[0].runs[1];
    ASSERT_EQ(digits.glyphs.size(), 3u);
    QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Arabic);
    const auto expected = raw.glyphIndexesForString(QStringLiteral("123"));
    EXPECT_EQ(digits.glyphs, std::vector<quint32>(expected.begin(), expected.end()));
    EXPECT_EQ(d.rec.lines[0].runs[3].script, USCRIPT_LATIN);
    for (quint32 g : d.rec.lines[0].runs[3].glyphs)
        EXPECT_NE(g, 0u) << "a Latin letter without a glyph";
}

TEST_F(OwnPath, ArabicComesOutJoinedAndShaped) {
    // Beh alone, and three behs joined: initial, medial and final forms differ from it.
    const auto alone = DrawText(u"\u0628", QRect(0, 0, 300, 100), Path::Own, font);
    const auto joined = DrawText(u"\u0628\u0628\u0628", QRect(0, 0, 300, 100), Path::Own, font);
    ASSERT_EQ(alone.rec.lines.size(), 1u);
    ASSERT_EQ(joined.rec.lines.size(), 1u);
    const auto isolated = alone.rec.lines[0].runs[0].glyphs;
    const auto forms = joined.rec.lines[0].runs[0].glyphs;
    ASSERT_EQ(isolated.size(), 1u);
    ASSERT_EQ(forms.size(), 3u);
    for (quint32 g : forms)
        EXPECT_NE(g, isolated[0]);
    EXPECT_EQ(std::set<quint32>(forms.begin(), forms.end()).size(), 3u);
    // The glyph ids are the font's own: an isolated letter is what QRawFont maps it to.
    QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Arabic);
    const quint32 lam = raw.glyphIndexesForString(QStringLiteral("\u0644")).value(0);
    const quint32 alef = raw.glyphIndexesForString(QStringLiteral("\u0627")).value(0);
    EXPECT_EQ(DrawText(u"\u0627", QRect(0, 0, 300, 100), Path::Own, font)
                  .rec.lines[0]
                  .runs[0]
                  .glyphs.front(),
              alef);
    // Lam before alef takes the lam-alef forms.
    const auto lamAlef = DrawText(u"\u0644\u0627", QRect(0, 0, 300, 100), Path::Own, font);
    for (quint32 g : lamAlef.rec.lines[0].runs[0].glyphs) {
        EXPECT_NE(g, lam);
        EXPECT_NE(g, alef);
        EXPECT_NE(g, 0u);
    }
    for (quint32 g : forms)
        EXPECT_NE(g, 0u);
}

TEST_F(OwnPath, ANewFontSizeAfterInvalidateLayoutGivesANewLineHeight) {
    for (Path path : {Path::Own, Path::System}) {
        SCOPED_TRACE(static_cast<int>(path));
        Canvas canvas;
        QFont owned = PinnedFont(10);
        CScriptTextLayout layout;
        layout.SetPathForTests(path);
        CScriptTextLayout::Recording rec;
        layout.SetRecording(&rec);
        layout.SetText(Cp1256(text));
        layout.SelectFont(*canvas.painter, &owned);
        layout.Draw(*canvas.painter, QRect(0, 0, 200, 200));
        const int small = layout.LineHeight();
        const QRect smallBlock = path == Path::Own ? rec.box : rec.placement;
        ASSERT_GT(small, 0);

        // The owner re-creates its font inside the same object.
        owned.setPointSizeF(20);
        layout.SelectFont(*canvas.painter, &owned);
        EXPECT_EQ(layout.LineHeight(), small) << "same font object, not yet invalidated";
        layout.InvalidateLayout();
        layout.SelectFont(*canvas.painter, &owned);
        layout.Draw(*canvas.painter, QRect(0, 0, 200, 200));
        EXPECT_GT(layout.LineHeight(), small * 3 / 2);
        EXPECT_EQ(rec.lineHeight, layout.LineHeight());
        const QRect bigBlock = path == Path::Own ? rec.box : rec.placement;
        EXPECT_GT(bigBlock.height(), smallBlock.height());
    }
}

}  // namespace

namespace {

// The glyphs of a drawing in drawing order, each with its face, less spaces and any glyph
// of another face than the Arabic one.
std::vector<std::pair<quint32, int>> arabicFaceGlyphs(const CScriptTextLayout::Recording& rec,
                                                      quint32 space) {
    std::vector<std::pair<quint32, int>> glyphs;
    for (const auto& line : rec.lines) {
        for (const auto& run : line.runs) {
            for (size_t g = 0; g < run.glyphs.size(); ++g) {
                if (run.faces[g] == 0 && run.glyphs[g] != space)
                    glyphs.emplace_back(run.glyphs[g], run.faces[g]);
            }
        }
    }
    return glyphs;
}

}  // namespace

// The Arabic face has no ASCII hyphen: the hyphen alone comes from another face, and the
// words and digits around it keep the Arabic face's glyphs, the same as without it.
TEST_F(OwnPath, OnlyTheClusterTheFaceLacksComesFromAnotherFace) {
    for (const QFont& face : {font, [this] {
                                  QFont popup(font);
                                  popup.setFamilies({"Tahoma", font.family(), "Amiri"});
                                  return popup;
                              }()}) {
        SCOPED_TRACE(face.families().join(",").toStdString());
        const std::u16string plain = kSubhan + u" " + kAllah + u" 12";
        const std::u16string hyphen = kSubhan + u" - " + kAllah + u" 12";
        const auto without = DrawText(plain, QRect(0, 0, 390, 100), Path::Own, face);
        const auto with = DrawText(hyphen, QRect(0, 0, 390, 100), Path::Own, face);
        const QRawFont arabic = QRawFont::fromFont(face, QFontDatabase::Arabic);
        const quint32 space = arabic.glyphIndexesForString(QStringLiteral(" ")).value(0);
        ASSERT_EQ(with.rec.lines.size(), 1u);
        EXPECT_EQ(arabicFaceGlyphs(with.rec, space), arabicFaceGlyphs(without.rec, space));
        // The hyphen is drawn, from another face; nothing else is.
        int others = 0;
        for (const auto& run : with.rec.lines[0].runs) {
            for (size_t g = 0; g < run.glyphs.size(); ++g) {
                EXPECT_NE(run.glyphs[g], 0u) << "a character without a glyph";
                others += run.faces[g] != 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(others, 1);
    }
}
