// One paint of a phrase by each path of CScriptTextLayout, beside what Qt's QTextLayout
// costs for the same wrapping and what one bare HarfBuzz shaping of the paragraph costs.
//   build/bin/qb_bench_text_layout
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <benchmark/benchmark.h>
#include <hb.h>

#include <string>

#include "script/CodePage1256.h"
#include "script/ScriptCache.h"
#include "text/ScriptTextLayout.h"

namespace {

constexpr int kWidth = 200;  // about the popup's text area
const QRect kRect(0, 0, kWidth, 400);

QFont benchFont() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf");
        return id < 0 ? QStringLiteral("Noto Naskh Arabic")
                      : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    QFont font(family);
    font.setPointSizeF(10);
    return font;
}

// A phrase of exactly n characters, from words of a remembrance with vowel marks.
std::u16string phrase(int n) {
    const std::u16string words =
        u"\u0633\u064F\u0628\u0652\u062D\u064E\u0627\u0646\u064E \u0627\u0644\u0644\u0651\u064E"
        u"\u0647\u0650 \u0648\u064E\u0628\u0650\u062D\u064E\u0645\u0652\u062F\u0650\u0647\u0650 "
        u"\u0633\u0628\u062D\u0627\u0646 \u0627\u0644\u0644\u0647 \u0627\u0644\u0639\u0638\u064A"
        u"\u0645 \u0623\u0633\u062A\u063A\u0641\u0631 \u0627\u0644\u0644\u0647 ";
    std::u16string text;
    while (static_cast<int>(text.size()) < n)
        text += words;
    text.resize(static_cast<size_t>(n));
    if (text.back() == u' ')
        text.back() = u'\u0647';
    return text;
}

void paint(benchmark::State& state, CScriptTextLayout::Path path, bool measureEachTime) {
    const QFont font = benchFont();
    QImage image(kWidth, 400, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter dc(&image);
    dc.setPen(Qt::black);
    CScriptTextLayout layout;
    layout.SetPathForTests(path);
    layout.SetText(script::CodePage1256::FromUtf16(phrase(static_cast<int>(state.range(0)))));
    for (auto _ : state) {
        if (measureEachTime)
            layout.InvalidateLayout();
        const QFont previous = layout.SelectFont(dc, &font);
        layout.Draw(dc, kRect);
        dc.setFont(previous);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OwnPathPaint(benchmark::State& state) {
    paint(state, CScriptTextLayout::Path::Own, false);
}

// A phrase file's worst line: a hundred thousand characters laid out from nothing.
void BM_OwnPathPaintMeasured(benchmark::State& state) {
    paint(state, CScriptTextLayout::Path::Own, true);
}

// The notifier's every paint: the placement is measured once per text and reused.
void BM_SystemPathPaint(benchmark::State& state) {
    paint(state, CScriptTextLayout::Path::System, false);
}

// The first paint of a new text: measuring and drawing.
void BM_SystemPathPaintMeasured(benchmark::State& state) {
    paint(state, CScriptTextLayout::Path::System, true);
}

// What a Qt program gets for free: QTextLayout shaping and wrapping the same paragraph.
void layoutWithQt(benchmark::State& state, bool draw) {
    const QFont font = benchFont();
    const QString text = QString::fromStdU16String(phrase(static_cast<int>(state.range(0))));
    QImage image(kWidth, 400, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter dc(&image);
    dc.setPen(Qt::black);
    QTextOption option(Qt::AlignRight);
    option.setTextDirection(Qt::RightToLeft);
    option.setWrapMode(QTextOption::WordWrap);
    for (auto _ : state) {
        QTextLayout layout(text, font, &image);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(kWidth);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        if (draw)
            layout.draw(&dc, QPointF(0, 0));
        benchmark::DoNotOptimize(y);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_QTextLayoutWrap(benchmark::State& state) {
    layoutWithQt(state, false);
}

void BM_QTextLayoutWrapAndDraw(benchmark::State& state) {
    layoutWithQt(state, true);
}

// The floor: one HarfBuzz shaping of the whole paragraph on the same font data.
void BM_BareHarfBuzzShape(benchmark::State& state) {
    const std::u16string text = phrase(static_cast<int>(state.range(0)));
    QImage image(kWidth, 400, QImage::Format_ARGB32_Premultiplied);
    script::ScriptCache cache;
    if (!cache.Create(benchFont(), &image)) {
        state.SkipWithError("no Arabic face");
        return;
    }
    hb_font_t* font = cache.GetFace(0).hbFont;
    hb_buffer_t* buf = cache.HbBuffer();
    for (auto _ : state) {
        hb_buffer_clear_contents(buf);
        hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text.data()),
                            static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
        hb_buffer_set_direction(buf, HB_DIRECTION_RTL);
        hb_buffer_set_script(buf, HB_SCRIPT_ARABIC);
        hb_buffer_set_language(buf, hb_language_from_string("ar", -1));
        hb_shape(font, buf, nullptr, 0);
        benchmark::DoNotOptimize(hb_buffer_get_length(buf));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_OwnPathPaint)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SystemPathPaint)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OwnPathPaintMeasured)->Arg(300)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SystemPathPaintMeasured)
    ->Arg(60)
    ->Arg(300)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTextLayoutWrap)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTextLayoutWrapAndDraw)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareHarfBuzzShape)->Arg(60)->Arg(300)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
