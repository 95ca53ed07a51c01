// Decoding sites' icons: what ordinary icons cost, and that hostile ones (a PNG header
// claiming 20,000×20,000, an ICO whose picture lies about its size, an SVG whose <use>
// elements multiply, the largest SVG taken) are refused or drawn in bounded time.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "icons/icondecoder.h"
#include "tests/icons/iconfixtures.h"

namespace {

void decode(benchmark::State& state, const QByteArray& bytes, bool expectIcon) {
    for (auto _ : state) {
        const IconImages icon = decodeIcon(bytes);
        if (icon.isNull() == expectIcon) {
            state.SkipWithError("unexpected outcome");
            return;
        }
        benchmark::DoNotOptimize(icon);
    }
}

// An SVG of many small shapes, as large as is taken.
QByteArray largestSvg() {
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100">)";
    const QByteArray shape = R"(<rect x="1" y="1" width="2" height="2" fill="#123456"/>)";
    while (svg.size() + shape.size() + 6 < kMaxSvgBytes) {
        svg += shape;
    }
    return svg + "</svg>";
}

}  // namespace

BENCHMARK_CAPTURE(decode, ico_16_32, icoOf({solidImage(16, Qt::red), solidImage(32, Qt::blue)}),
                  true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, png_192, encodedImage(solidImage(192, Qt::red), "png"), true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, svg_circle, svgCircle(Qt::red), true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, svg_largest, largestSvg(), true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, hostile_png_20000, pngHeaderClaiming(20'000, 20'000), false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, hostile_ico_lying, icoHolding(pngHeaderClaiming(20'000, 20'000), 16),
                  false)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(decode, hostile_svg_bomb, svgBomb(10, 10), false)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
