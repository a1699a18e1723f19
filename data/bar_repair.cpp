#include "data/bar_repair.h"

#include <algorithm>

void RaisePricesToOne(BarSeries* series) {
  for (int i = 0; i < series->count; ++i) {
    PriceBar& bar = series->bars[i];
    bar.open = std::max(bar.open, 1);
    bar.high = std::max(bar.high, 1);
    bar.low = std::max(bar.low, 1);
    bar.close = std::max(bar.close, 1);
  }
}
