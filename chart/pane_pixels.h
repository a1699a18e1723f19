#pragma once
// Where the painters put bars and values: bar centres, value heights and the
// bar range of a view. Safe on panes whose scale was never computed.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/chart_context.h"
#include "chart/screen_pattern.h"

constexpr int kPixelOffsetLimit = 1 << 20;  // far outside any window, still safe for GDI

// Pixels above the plot bottom: (v - min) / value-per-pixel, or the log10 form
// (log10 of 0 or less taken as 0). 0 when the pane has no scale; kept within
// +-kPixelOffsetLimit.
// Inline, as every point of every line of a paint comes through here.
inline double PaneValueOffset(const PaneRecord& pane, bool logScale, double value) {
  const auto clamped = [](double offset) {
    if (!std::isfinite(offset)) return offset > 0 ? kPixelOffsetLimit : (offset < 0 ? -kPixelOffsetLimit : 0.0);
    return std::clamp(offset, -static_cast<double>(kPixelOffsetLimit), static_cast<double>(kPixelOffsetLimit));
  };
  if (logScale) {
    if (!(pane.logPerPixel > 0)) return 0.0;
    return clamped(((value > 0 ? std::log10(value) : 0.0) - pane.log10Min) / pane.logPerPixel);
  }
  if (!(pane.valuePerPixel > 0)) return 0.0;
  return clamped((value - pane.minValue) / pane.valuePerPixel);
}
// plot bottom - trunc(offset).
inline int PaneValueY(const PaneRecord& pane, bool logScale, double value) {
  return pane.plot.bottom - static_cast<int>(PaneValueOffset(pane, logScale, value));
}
// The smallest value whose offset is at least `offset` pixels (the inverse
// of PaneValueOffset, before truncation).
double PaneOffsetValue(const PaneRecord& pane, bool logScale, double offset);

// Centre of bar `bar` when `last` is the right-most bar: plot right + p/2 - 2 - (last - bar + 1) p.
constexpr int BarCentreX(int plotRight, int spacing, int last, int bar) {
  const int64_t x =
      static_cast<int64_t>(plotRight) + spacing / 2 - 2 - (static_cast<int64_t>(last) - bar + 1) * spacing;
  return static_cast<int>(std::clamp<int64_t>(x, -kPixelOffsetLimit, kPixelOffsetLimit));
}

// The bars a paint walks: last = the view's last bar (count - 1 when
// negative), first = max(0, last - visible - 3).
struct BarRange {
  int32_t first;
  int32_t last;
};
BarRange GetPaintBarRange(const ChartView& view, int count, int visibleBars);
