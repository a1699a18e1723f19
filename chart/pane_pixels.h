#pragma once
// Where the painters put bars and values: bar centres, value heights and the
// bar range of a view. Safe on panes whose scale was never computed.
#include <cstdint>

#include "chart/chart_context.h"
#include "chart/screen_pattern.h"

constexpr int kPixelOffsetLimit = 1 << 20;  // far outside any window, still safe for GDI

// Pixels above the plot bottom: (v - min) / value-per-pixel, or the log10 form
// (log10 of 0 or less taken as 0). 0 when the pane has no scale; kept within
// +-kPixelOffsetLimit.
double PaneValueOffset(const PaneRecord& pane, bool logScale, double value);
// plot bottom - trunc(offset).
int PaneValueY(const PaneRecord& pane, bool logScale, double value);
// The smallest value whose offset is at least `offset` pixels (the inverse
// of PaneValueOffset, before truncation).
double PaneOffsetValue(const PaneRecord& pane, bool logScale, double offset);

// Centre of bar `bar` when `last` is the right-most bar: plot right + p/2 - 2 - (last - bar + 1) p.
int BarCentreX(int plotRight, int spacing, int last, int bar);

// The bars a paint walks: last = the view's last bar (count - 1 when
// negative), first = max(0, last - visible - 3).
struct BarRange {
  int32_t first;
  int32_t last;
};
BarRange GetPaintBarRange(const ChartView& view, int count, int visibleBars);
