#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

#include "script/ScriptTypes.h"
#include "text/ScriptTextLayout.h"

namespace texttest {

// Tests draw with one installed font file, so results agree on every machine.
inline constexpr const char* kPinnedFontFile =
    "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf";

// The pinned face at the given size (loaded into the application once).
QFont PinnedFont(qreal pointSize = 12);

// Arabic written as code points, handed to the layout in code page 1256.
std::string Cp1256(const std::u16string& text);

// Words and the phrase most tests use.
extern const std::u16string kSubhan;       // U+0633 U+0628 U+062D U+0627 U+0646
extern const std::u16string kAllah;        // U+0627 U+0644 U+0644 U+0647
extern const std::u16string kWabihamdihi;  // U+0648 U+0628 U+062D U+0645 U+062F U+0647
extern const std::u16string kAlAzim;       // U+0627 U+0644 U+0639 U+0638 U+064A U+0645
std::u16string Phrase();  // kSubhan kAllah kWabihamdihi kSubhan kAllah kAlAzim, spaced

// A white image with a painter in black ink, the layout's font selected.
struct Canvas {
    explicit Canvas(QSize size = QSize(400, 300));
    ~Canvas();
    QImage image;
    std::unique_ptr<QPainter> painter;
    void End();
};

// The bounding box of every pixel that is not white; empty when there is none.
QRect InkBounds(const QImage& image);

// Per-character logical widths of text shaped as one right-to-left Arabic run with the
// font as drawn on device: what the own path's FitRun works from.
struct RunMetrics {
    std::vector<int> logicalWidths;
    std::vector<int> clusterMap;
    int width = 0;
};
RunMetrics ShapeAsOneRun(const QFont& font, const QPaintDevice* device, const std::u16string& text);
int Sum(const std::vector<int>& v, int from, int to);

// Draws text with the given path into a fresh canvas and returns what was recorded.
struct Drawn {
    CScriptTextLayout::Recording rec;
    QImage image;
    int lineHeight = 0;
};
Drawn DrawText(const std::u16string& text, const QRect& rect, CScriptTextLayout::Path path,
               const QFont& font, QSize canvas = QSize(400, 300));

}  // namespace texttest
