#include "chart/pane_pixels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLastBarLimit = 1 << 24;  // keeps bar arithmetic far from overflow

double Log10OrZeroValue(double x) { return x > 0 ? std::log10(x) : 0.0; }

double ClampOffset(double offset) {
  if (!std::isfinite(offset)) return offset > 0 ? kPixelOffsetLimit : (offset < 0 ? -kPixelOffsetLimit : 0.0);
  return std::clamp(offset, -static_cast<double>(kPixelOffsetLimit), static_cast<double>(kPixelOffsetLimit));
}

}  // namespace

double PaneValueOffset(const PaneRecord& pane, bool logScale, double value) {
  if (logScale) {
    if (!(pane.logPerPixel > 0)) return 0.0;
    return ClampOffset((Log10OrZeroValue(value) - pane.log10Min) / pane.logPerPixel);
  }
  if (!(pane.valuePerPixel > 0)) return 0.0;
  return ClampOffset((value - pane.minValue) / pane.valuePerPixel);
}

int PaneValueY(const PaneRecord& pane, bool logScale, double value) {
  return pane.plot.bottom - static_cast<int>(PaneValueOffset(pane, logScale, value));
}

double PaneOffsetValue(const PaneRecord& pane, bool logScale, double offset) {
  if (logScale) return std::pow(10.0, pane.log10Min + offset * pane.logPerPixel);
  return pane.minValue + offset * pane.valuePerPixel;
}

int BarCentreX(int plotRight, int spacing, int last, int bar) {
  const int64_t x =
      static_cast<int64_t>(plotRight) + spacing / 2 - 2 - (static_cast<int64_t>(last) - bar + 1) * spacing;
  return static_cast<int>(std::clamp<int64_t>(x, -kPixelOffsetLimit, kPixelOffsetLimit));
}

BarRange GetPaintBarRange(const ChartView& view, int count, int visibleBars) {
  int last = view.lastBarIndex < 0 ? count - 1 : std::min(view.lastBarIndex, kLastBarLimit);
  last = std::max(last, -1);
  const int64_t first = static_cast<int64_t>(last) - visibleBars - 3;
  return {static_cast<int32_t>(std::clamp<int64_t>(first, 0, kLastBarLimit)), last};
}
