#pragma once
// Where the painters put bars and values: bar centres, value heights and the
// bar range of a view. Safe on panes whose scale was never computed.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/chart_context.h"
#include "chart/screen_pattern.h"

constexpr int kPixelOffsetLimit = 1 << 20;  // far outside any window, still safe for GDI

// A pane's value-to-pixel scale, linear or log10, with its check made once
// for a run of points: the same operations in the same order as a single
// value takes, so the same doubles and the same rows.
struct PaneValueScale {
  double base;      // minimum, or log10 of it
  double perPixel;  // value or log10 a pixel
  bool log;
  bool scaled;     // false: every offset is 0
  int32_t bottom;  // plot bottom
};

inline PaneValueScale PreparePaneValueScale(const PaneRecord& pane, bool logScale) {
  if (logScale) return {pane.log10Min, pane.logPerPixel, true, pane.logPerPixel > 0, pane.plot.bottom};
  return {static_cast<double>(pane.minValue), pane.valuePerPixel, false, pane.valuePerPixel > 0, pane.plot.bottom};
}

// An offset kept within +-kPixelOffsetLimit; infinities go to the limits, NaN
// to 0. Written as a max and a min, which take no branch.
inline double LimitPixelOffset(double offset) {
  constexpr double kLimit = kPixelOffsetLimit;
  const double above = offset > -kLimit ? offset : -kLimit;
  const double limited = above < kLimit ? above : kLimit;
  return offset == offset ? limited : 0.0;
}

// Pixels above the plot bottom: (v - min) / value-per-pixel, or the log10 form
// (log10 of 0 or less taken as 0). 0 without a scale; kept within +-kPixelOffsetLimit.
inline double ScaledValueOffset(const PaneValueScale& scale, double value) {
  if (!scale.scaled) return 0.0;
  if (scale.log) return LimitPixelOffset(((value > 0 ? std::log10(value) : 0.0) - scale.base) / scale.perPixel);
  return LimitPixelOffset((value - scale.base) / scale.perPixel);
}
// The same for a whole number on a linear scale, which never makes NaN: the
// limits are then a plain max and min, with no branch a point.
inline double ScaledLinearOffset(const PaneValueScale& linear, int32_t value) {
  if (!linear.scaled) return 0.0;
  constexpr double kLimit = kPixelOffsetLimit;
  const double offset = (value - linear.base) / linear.perPixel;
  const double above = offset > -kLimit ? offset : -kLimit;
  return above < kLimit ? above : kLimit;
}
// bottom - trunc(offset).
inline int ScaledValueY(const PaneValueScale& scale, double value) {
  return scale.bottom - static_cast<int>(ScaledValueOffset(scale, value));
}

// ScaledValueY of a whole number, the linear scale without a branch a point.
inline int ScaledWholeValueY(const PaneValueScale& scale, int32_t value) {
  if (scale.log) return ScaledValueY(scale, value);
  return scale.bottom - static_cast<int>(ScaledLinearOffset(scale, value));
}

// The same for one value of a pane; 0 when the pane has no scale.
// Inline, as every point of every line of a paint comes through here.
inline double PaneValueOffset(const PaneRecord& pane, bool logScale, double value) {
  return ScaledValueOffset(PreparePaneValueScale(pane, logScale), value);
}
// plot bottom - trunc(offset).
inline int PaneValueY(const PaneRecord& pane, bool logScale, double value) {
  return ScaledValueY(PreparePaneValueScale(pane, logScale), value);
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

// BarCentreX of bars walking left one at a time, by steps of the spacing
// rather than a product a bar; held at the same limits.
class BarCentreWalk {
 public:
  BarCentreWalk(int plotRight, int spacing, int last, int bar)
      : x_(static_cast<int64_t>(plotRight) + spacing / 2 - 2 - (static_cast<int64_t>(last) - bar + 1) * spacing),
        spacing_(spacing) {}
  int X() const { return static_cast<int>(std::clamp<int64_t>(x_, -kPixelOffsetLimit, kPixelOffsetLimit)); }
  void StepLeft() { x_ -= spacing_; }
  // Whether the next `count` centres lie within the limits: x falls by the
  // same step each bar, so both ends inside means every one inside.
  bool InsideFor(int count) const {
    const int64_t end = x_ - static_cast<int64_t>(count - 1) * spacing_;
    return std::max(x_, end) <= kPixelOffsetLimit && std::min(x_, end) >= -kPixelOffsetLimit;
  }

 private:
  int64_t x_;
  int spacing_;
};

// visit(k, x) for k = 0..count-1: bar `bar` - k and its BarCentreX. Inside
// the limits (every chart on a screen) x is stepped in 32 bits.
template <typename Visit>
void ForEachBarCentre(int plotRight, int spacing, int last, int bar, int count, Visit visit) {
  BarCentreWalk walk(plotRight, spacing, last, bar);
  if (count > 0 && walk.InsideFor(count)) {
    // No step past the last centre, which could leave the int range.
    int x = walk.X();
    for (int k = 0;; x -= spacing) {
      visit(k, x);
      if (++k == count) return;
    }
  }
  for (int k = 0; k < count; ++k, walk.StepLeft()) visit(k, walk.X());
}

// The bars a paint walks: last = the view's last bar (count - 1 when
// negative), first = max(0, last - visible - 3).
struct BarRange {
  int32_t first;
  int32_t last;
};
BarRange GetPaintBarRange(const ChartView& view, int count, int visibleBars);
