// Loading a 100-frame 200 x 200 GIF: CGifPlayer's walk, wrap and decode of every frame
// beside QMovie reading every frame of the same file.
#include "about/GifPlayer.h"

#include "../tests/about/support/GifWriter.h"

#include <QApplication>
#include <QBuffer>
#include <QMovie>

#include <benchmark/benchmark.h>

namespace {

const std::vector<std::uint8_t>& HundredFrames() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.push_back(qRgb(i, 255 - i, (i * 7) & 255));
        CGifWriter gif(200, 200, palette);
        const QRect screen(0, 0, 200, 200);
        for (int frame = 0; frame < 100; ++frame) {
            std::vector<std::uint8_t> indices(200 * 200);
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x)
                    indices[y * 200 + x] = static_cast<std::uint8_t>((x / 8 + y / 8 + frame) & 255);
            gif.GraphicControl(4, 1).Image(screen, indices);
        }
        return gif.Bytes();
    }();
    return bytes;
}

void BM_GifPlayerLoad(benchmark::State& state) {
    CGifPlayer player;
    for (auto _ : state)
        benchmark::DoNotOptimize(player.LoadMemory(HundredFrames()));
}
BENCHMARK(BM_GifPlayerLoad)->Unit(benchmark::kMillisecond);

void BM_QMovieEveryFrame(benchmark::State& state) {
    QByteArray bytes(reinterpret_cast<const char*>(HundredFrames().data()),
                     static_cast<qsizetype>(HundredFrames().size()));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        QMovie movie(&buffer, "GIF");
        int frames = 0;
        while (movie.jumpToNextFrame())
            benchmark::DoNotOptimize(movie.currentImage()), ++frames;
        benchmark::DoNotOptimize(frames);
    }
}
BENCHMARK(BM_QMovieEveryFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
