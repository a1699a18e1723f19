#pragma once
// The value labels and grid lines of a price pane: round steps in the normal
// mode, every price tick in the tick-grid mode.
#include <cstdint>

#include "chart/chart_context.h"

constexpr int kMaxScaleLabels = 50;
constexpr int kMaxTickGridMarks = 4096;

struct ScaleMark {
  int32_t value;  // the value shown
  int32_t y;      // its grid line
  Rect label;     // where its text goes
  bool labelled;  // false: grid line only
};

struct PriceScaleMarks {
  int32_t count;
  ScaleMark marks[kMaxScaleLabels];
};

struct TickGridMarks {
  int32_t count;
  ScaleMark marks[kMaxTickGridMarks];
};

// Normal mode: steps 10000000, 5000000, ..., 10, 5 from the largest; every
// label that does not overlap an earlier one, until 50 labels or the labels
// cover more than 30 % of the scale's height. `textHeight` is T.
void ComputePriceScaleMarks(const PaneRecord& pane, bool logScale, int textHeight, PriceScaleMarks* out);

// Tick-grid mode: one grid line per price tick (10 for the reference index)
// and per pixel row; labels from the bottom up where they fit.
void ComputeTickGridMarks(const PaneRecord& pane, bool logScale, int textHeight, int stockIndex, int marketCode,
                          bool referenceIndex, TickGridMarks* out);
