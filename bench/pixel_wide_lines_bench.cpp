// One indicator line of a chart at bar width 1 set into the pixels: 620
// points across a 600 x 90 pane of a 1920 x 1080 bitmap, in pens 2 and 3
// wide. The walk moves a few pixels a bar as an average does; the scatter
// jumps anywhere in the pane at every bar, the worst a line can do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "chart/pixel_canvas.h"

namespace {

constexpr int kBitmapWidth = 1920, kBitmapHeight = 1080;
constexpr Rect kPane = {100, 200, 700, 290};
constexpr int kPoints = 620;

std::vector<PixelPoint> ChartLine(bool scatter) {
  std::mt19937 random(7);
  std::vector<PixelPoint> points;
  int y = (kPane.top + kPane.bottom) / 2;
  for (int i = 0; i < kPoints; ++i) {
    if (scatter)
      y = std::uniform_int_distribution<int>(kPane.top - 4, kPane.bottom + 4)(random);
    else
      y = std::clamp(y + std::uniform_int_distribution<int>(-3, 3)(random), kPane.top, kPane.bottom - 1);
    points.push_back({kPane.left - 10 + i, y});
  }
  return points;
}

void BM_WidePolylineInAPane(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const std::vector<PixelPoint> points = ChartLine(state.range(1) != 0);
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

}  // namespace
