#include "chart/pane_pixels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLastBarLimit = 1 << 24;  // keeps bar arithmetic far from overflow

}  // namespace

double PaneOffsetValue(const PaneRecord& pane, bool logScale, double offset) {
  if (logScale) return std::pow(10.0, pane.log10Min + offset * pane.logPerPixel);
  return pane.minValue + offset * pane.valuePerPixel;
}

BarRange GetPaintBarRange(const ChartView& view, int count, int visibleBars) {
  int last = view.lastBarIndex < 0 ? count - 1 : std::min(view.lastBarIndex, kLastBarLimit);
  last = std::max(last, -1);
  const int64_t first = static_cast<int64_t>(last) - visibleBars - 3;
  return {static_cast<int32_t>(std::clamp<int64_t>(first, 0, kLastBarLimit)), last};
}
