// Loading a 10 MB phrase file (read, split, convert, sum) beside the floor: reading the
// same file and converting it with one ICU call.
#include "content/PhraseStore.h"
#include "content/ReadUtf16Lines.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <memory>
#include <string>

namespace {

constexpr qsizetype kFileBytes = 10 * 1024 * 1024;

// Arabic phrases of about 60 characters with CR LF ends, as the shipped file holds.
const QString& phraseFile() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath("mirel.txt");
    static const bool written = [] {
        const std::u16string line =
            u"\u0633\u0628\u062D\u0627\u0646 \u0627\u0644\u0644\u0647 \u0648\u0628\u062D\u0645"
            u"\u062F\u0647\u060C \u0633\u0628\u062D\u0627\u0646 \u0627\u0644\u0644\u0647 "
            u"\u0627\u0644\u0639\u0638\u064A\u0645 \u0648\u0627\u0644\u062D\u0645\u062F "
            u"\u0644\u0644\u0647\r\n";
        std::u16string units = u"\uFEFF";
        while (units.size() * 2 < static_cast<size_t>(kFileBytes))
            units += line;
        QFile file(path);
        return file.open(QIODevice::WriteOnly) &&
               file.write(reinterpret_cast<const char*>(units.data()),
                          static_cast<qint64>(units.size() * 2)) > 0;
    }();
    (void)written;
    return path;
}

void LoadPhraseFile(benchmark::State& state) {
    const QString& path = phraseFile();
    for (auto _ : state) {
        const Utf16Lines read = ReadUtf16Lines(path);
        benchmark::DoNotOptimize(CPhraseStore::PhraseSum(read.lines));
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

void FloorReadAndConvertOnce(benchmark::State& state) {
    const QString& path = phraseFile();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open("windows-1256", &status));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        std::string out(static_cast<size_t>(bytes.size() / 2), '\0');
        status = U_ZERO_ERROR;
        ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                        reinterpret_cast<const UChar*>(bytes.constData()),
                        static_cast<int32_t>(bytes.size() / 2), &status);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * kFileBytes);
}

}  // namespace

BENCHMARK(FloorReadAndConvertOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPhraseFile)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
