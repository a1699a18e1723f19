// One indicator line of a chart at bar width 1 set into the pixels: 620
// points across a 600 x 90 pane of a 1920 x 1080 bitmap, in pens 2 and 3
// wide, and 620 points 3 pixels apart across a pane of the bitmap's width in
// a one-pixel pen. The walk moves a few pixels a bar as an average does; the
// scatter jumps anywhere in the pane at every bar, the worst a line can do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "chart/pixel_canvas.h"

namespace {

constexpr int kBitmapWidth = 1920, kBitmapHeight = 1080;
constexpr Rect kPane = {100, 200, 700, 290};
constexpr Rect kFullWidthPane = {10, 200, 1880, 290};
constexpr int kPoints = 620;

std::vector<PixelPoint> ChartLine(const Rect& pane, int firstX, int step, bool scatter) {
  std::mt19937 random(7);
  std::vector<PixelPoint> points;
  int y = (pane.top + pane.bottom) / 2;
  for (int i = 0; i < kPoints; ++i) {
    if (scatter)
      y = std::uniform_int_distribution<int>(pane.top - 4, pane.bottom + 4)(random);
    else
      y = std::clamp(y + std::uniform_int_distribution<int>(-3, 3)(random), pane.top, pane.bottom - 1);
    points.push_back({firstX + i * step, y});
  }
  return points;
}

void BM_WidePolylineInAPane(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const std::vector<PixelPoint> points = ChartLine(kPane, kPane.left - 10, 1, state.range(1) != 0);
  std::vector<uint32_t> bits(static_cast<size_t>(kBitmapWidth) * kBitmapHeight, 0x00FFFFFF);
  const PixelCanvas canvas{bits.data(), kBitmapWidth, kBitmapHeight, kBitmapWidth, kPane};
  for (auto _ : state) {
    DrawCanvasWidePolyline(canvas, points.data(), kPoints, width, 0x00123456);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WidePolylineInAPane)
    ->ArgNames({"width", "scatter"})
    ->ArgsProduct({{2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void BM_ThinPolylineAcrossABitmap(benchmark::State& state) {
  const std::vector<PixelPoint> points = ChartLine(kFullWidthPane, kFullWidthPane.left + 2, 3, state.range(0) != 0);
  std::vector<uint32_t> bits(static_cast<size_t>(kBitmapWidth) * kBitmapHeight, 0x00FFFFFF);
  const PixelCanvas canvas{bits.data(), kBitmapWidth, kBitmapHeight, kBitmapWidth, kFullWidthPane};
  for (auto _ : state) {
    DrawCanvasThinPolyline(canvas, points.data(), kPoints, 0x00123456);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ThinPolylineAcrossABitmap)->ArgName("scatter")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A chart's week separators at bar width 1: a dotted line every 15 pixels
// down a pane of the bitmap's width.
void BM_DottedSeparatorsDownAPane(benchmark::State& state) {
  std::vector<int32_t> xs;
  for (int32_t x = kFullWidthPane.left + 5; x < kFullWidthPane.right; x += 15) xs.push_back(x);
  std::vector<uint32_t> bits(static_cast<size_t>(kBitmapWidth) * kBitmapHeight, 0x00FFFFFF);
  const PixelCanvas canvas{bits.data(), kBitmapWidth, kBitmapHeight, kBitmapWidth, kFullWidthPane};
  for (auto _ : state) {
    DrawCanvasDottedVerticalLines(canvas, xs.data(), static_cast<int>(xs.size()), kFullWidthPane.top,
                                  kFullWidthPane.bottom, 0x00C0C0C0, 0x00FFFFFF);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DottedSeparatorsDownAPane)->Unit(benchmark::kMicrosecond);

}  // namespace
