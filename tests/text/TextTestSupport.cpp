#include "TextTestSupport.h"

#include <QFontDatabase>

#include "script/CodePage1256.h"
#include "script/ScriptCache.h"
#include "script/ScriptShaper.h"

#include <unicode/uscript.h>

namespace texttest {

const std::u16string kSubhan = u"\u0633\u0628\u062D\u0627\u0646";
const std::u16string kAllah = u"\u0627\u0644\u0644\u0647";
const std::u16string kWabihamdihi = u"\u0648\u0628\u062D\u0645\u062F\u0647";
const std::u16string kAlAzim = u"\u0627\u0644\u0639\u0638\u064A\u0645";

std::u16string Phrase() {
    return kSubhan + u" " + kAllah + u" " + kWabihamdihi + u" " + kSubhan + u" " + kAllah + u" " +
           kAlAzim;
}

QFont PinnedFont(qreal pointSize) {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(kPinnedFontFile);
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    return font;
}

std::string Cp1256(const std::u16string& text) {
    return script::CodePage1256::FromUtf16(text);
}

Canvas::Canvas(QSize size) : image(size, QImage::Format_ARGB32) {
    image.fill(Qt::white);
    painter = std::make_unique<QPainter>(&image);
    painter->setPen(Qt::black);
}

Canvas::~Canvas() {
    End();
}

void Canvas::End() {
    if (painter && painter->isActive())
        painter->end();
}

QRect InkBounds(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != 0xffffff) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

RunMetrics ShapeAsOneRun(const QFont& font, const QPaintDevice* device,
                         const std::u16string& text) {
    RunMetrics m;
    script::ScriptCache cache;
    if (!cache.Create(font, device))
        return m;
    const int n = static_cast<int>(text.size());
    const int maxGlyphs = 2 * n;
    std::vector<uint32_t> glyphs(maxGlyphs);
    std::vector<int> clusterMap(maxGlyphs), advances(maxGlyphs);
    std::vector<script::ScriptVisAttr> attrs(maxGlyphs);
    std::vector<script::GlyphOffset> offsets(maxGlyphs);
    script::ScriptAnalysis a;
    a.script = USCRIPT_ARABIC;
    a.state = script::ScriptState{1, true, true};
    a.language = 1;
    std::vector<int> faces(maxGlyphs);
    int count = 0;
    if (!script::ScriptShaper::Shape(cache, text.data(), n, maxGlyphs, a, glyphs.data(),
                                       clusterMap.data(), attrs.data(), advances.data(),
                                       offsets.data(), &count, &m.width, faces.data()))
        return m;
    m.logicalWidths.resize(n);
    script::ScriptShaper::GetLogicalWidths(a, n, count, advances.data(), clusterMap.data(),
                                             attrs.data(), m.logicalWidths.data());
    m.clusterMap.assign(clusterMap.begin(), clusterMap.begin() + n);
    return m;
}

int Sum(const std::vector<int>& v, int from, int to) {
    int s = 0;
    for (int i = from; i < to; ++i)
        s += v[static_cast<size_t>(i)];
    return s;
}

Drawn DrawText(const std::u16string& text, const QRect& rect, CScriptTextLayout::Path path,
               const QFont& font, QSize canvasSize) {
    Drawn d;
    Canvas canvas(canvasSize);
    CScriptTextLayout layout;
    layout.SetPathForTests(path);
    layout.SetRecording(&d.rec);
    layout.SetText(Cp1256(text));
    const QFont previous = layout.SelectFont(*canvas.painter, &font);
    layout.Draw(*canvas.painter, rect);
    canvas.painter->setFont(previous);
    d.lineHeight = layout.LineHeight();
    canvas.End();
    d.image = canvas.image;
    return d;
}

}  // namespace texttest
