// One paint of the fully shown popup for phrases of growing length, on the offscreen
// platform: the popup repaints at every step of its slide, so this is the cost that
// decides whether a long phrase stalls the animation. Phrases are ALEF in code page 1256,
// either one unbroken word or words of four letters.
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <string>

#include "notifier/NotifierHost.h"
#include "notifier/TaskbarNotifier.h"
#include "platform/DesktopArea.h"

namespace {

std::string Phrase(std::size_t length, bool spaced) {
    std::string text(length, '\xC7');
    for (std::size_t i = 4; spaced && i < length; i += 5)
        text[i] = ' ';
    return text;
}

void PaintShownPopup(benchmark::State& state, bool spaced) {
    platform::DesktopArea::SetSource([] {
        return platform::DesktopShape{QRect(0, 0, 1280, 770), platform::PanelEdge::Bottom};
    });
    CNotifierHost* host = CNotifierHost::GetInstance();
    host->ShowPhrase(Phrase(static_cast<std::size_t>(state.range(0)), spaced), true);
    CTaskbarNotifier& notifier = host->Notifier();
    while (notifier.Animation().GetState() != SlideAnimation::Waiting)
        notifier.OnTimer(SlideAnimation::SlideOutTimer);
    QImage target(notifier.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        notifier.Layout().InvalidateLayout();
        notifier.render(&target);
    }
    CNotifierHost::DestroyInstance();
    platform::DesktopArea::SetSource({});
}

void BM_PaintOneWord(benchmark::State& state) {
    PaintShownPopup(state, false);
}

void BM_PaintWords(benchmark::State& state) {
    PaintShownPopup(state, true);
}

BENCHMARK(BM_PaintOneWord)->Arg(100)->Arg(512)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintWords)->Arg(100)->Arg(512)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
