#pragma once
// Where a candle's wick and body go on a price pane.
#include "chart/chart_context.h"
#include "chart/pane_pixels.h"
#include "records/price_series.h"

struct CandleShape {
  bool rising;          // open < close: hollow body in the rising colour
  int32_t x;            // the wick's column
  int32_t highY, lowY;  // the wick runs from highY to lowY
  Rect body;            // rising: close to open + 1; otherwise open to close + 1 (a doji is 1 px)
};

// With the pane's scale taken once for all its candles.
inline CandleShape ComputeCandleShape(const PriceBar& bar, const PaneValueScale& scale, int x, int barWidth) {
  CandleShape shape{};
  shape.rising = bar.open < bar.close;
  shape.x = x;
  shape.highY = ScaledWholeValueY(scale, bar.high);
  shape.lowY = ScaledWholeValueY(scale, bar.low);
  const int left = x - barWidth / 2;
  const int openY = ScaledWholeValueY(scale, bar.open);
  const int closeY = ScaledWholeValueY(scale, bar.close);
  if (shape.rising) {
    shape.body = {left, closeY, left + barWidth, openY + 1};
  } else {
    shape.body = {left, openY, left + barWidth, closeY + 1};
  }
  return shape;
}

inline CandleShape ComputeCandleShape(const PriceBar& bar, const PaneRecord& pane, bool logScale, int x, int barWidth) {
  return ComputeCandleShape(bar, PreparePaneValueScale(pane, logScale), x, barWidth);
}
