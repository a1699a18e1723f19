#pragma once
// The Ichimoku cloud as a row of columns: leading spans A and B shifted 25
// bars to the right, walked from the right to the left.
#include <cstdint>

#include "analysis/series_buffers.h"
#include "chart/chart_context.h"

constexpr int kIchimokuShift = 25;
constexpr int kMaxCloudColumns = kMaxBars + kIchimokuShift;

struct CloudColumn {
  int32_t x;
  int32_t spanAY, spanBY;
  bool spanAAbove;  // span A > span B at this bar
};

struct CloudColumns {
  int32_t count;
  CloudColumn columns[kMaxCloudColumns];
};

// Spans of bar i drawn at bar i + 25, for i from min(last - 23, count - 1)
// (the bars further right lie past the plot's edge) down to first - 25, never
// below bar 25. The piece between columns k - 1 and k (the one to its left)
// takes the colour of column k.
void ComputeCloudColumns(const RealSeries& spanA, const RealSeries& spanB, const PaneRecord& pane, bool logScale,
                         int spacing, int first, int last, CloudColumns* out);
