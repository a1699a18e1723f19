#pragma once
// A stock at the merge cap of daily bars (a random walk on weekdays) and its
// bars placed in a chart context as the loaders place them.
#include <algorithm>
#include <memory>
#include <random>

#include "analysis/chart_series.h"
#include "data/period_bars.h"

constexpr PackedDate kCappedStockFirstDay = MakePackedDate(2005, 1, 4);

inline PackedDate NextWeekday(PackedDate date) {
  do {
    date = AddCalendarDays(date, 1);
  } while (GetDayOfWeek(date) == 0 || GetDayOfWeek(date) == 6);
  return date;
}

inline std::unique_ptr<BarSeries> CappedDailyBars(StockCode code, uint32_t seed) {
  std::mt19937 random(seed);
  auto bars = std::make_unique<BarSeries>();
  bars->code = code;
  bars->count = kMergeBarCap;
  int32_t close = 1500;
  PackedDate date = kCappedStockFirstDay;
  for (int i = 0; i < kMergeBarCap; ++i) {
    const int32_t open = close;
    close = std::max<int32_t>(10, close + static_cast<int32_t>(random() % 61) - 30);
    const int32_t high = std::max(open, close) + static_cast<int32_t>(random() % 20);
    const int32_t low = std::max<int32_t>(1, std::min(open, close) - static_cast<int32_t>(random() % 20));
    bars->bars[i] = {date, open, high, low, close, 100 * static_cast<int32_t>(1 + random() % 5000)};
    date = NextWeekday(date);
  }
  return bars;
}

inline void PlaceBars(ChartSeriesSet* context, const BarSeries& daily) {
  PeriodSeriesBlock* blocks = context->periods;
  *blocks[0].rawBars = daily;
  *blocks[0].bars = daily;
  BuildWeeklyBars(daily, blocks[1].bars);
  *blocks[1].rawBars = *blocks[1].bars;
  BuildMonthlyBars(daily, blocks[2].bars);
  *blocks[2].rawBars = *blocks[2].bars;
}
