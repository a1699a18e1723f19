#include "chart/candle_shape.h"

#include "chart/pane_pixels.h"

CandleShape ComputeCandleShape(const PriceBar& bar, const PaneRecord& pane, bool logScale, int x, int barWidth) {
  CandleShape shape{};
  shape.rising = bar.open < bar.close;
  shape.x = x;
  shape.highY = PaneValueY(pane, logScale, bar.high);
  shape.lowY = PaneValueY(pane, logScale, bar.low);
  const int left = x - barWidth / 2;
  const int openY = PaneValueY(pane, logScale, bar.open);
  const int closeY = PaneValueY(pane, logScale, bar.close);
  if (shape.rising) {
    shape.body = {left, closeY, left + barWidth, openY + 1};
  } else {
    shape.body = {left, openY, left + barWidth, closeY + 1};
  }
  return shape;
}
