#pragma once
// Where a candle's wick and body go on a price pane.
#include "chart/chart_context.h"
#include "records/price_series.h"

struct CandleShape {
  bool rising;          // open < close: hollow body in the rising colour
  int32_t x;            // the wick's column
  int32_t highY, lowY;  // the wick runs from highY to lowY
  Rect body;            // rising: close to open + 1; otherwise open to close + 1 (a doji is 1 px)
};

CandleShape ComputeCandleShape(const PriceBar& bar, const PaneRecord& pane, bool logScale, int x, int barWidth);
