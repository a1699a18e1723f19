#pragma once
// Daily, weekly and monthly bars: a PriceBar per bar, a BarSeries per stock.
// The same image is the daily file, the cache entry and a chart's series.
#include <cstddef>
#include <cstdint>

#include "common/packed_date.h"
#include "common/stock_code.h"

constexpr int kMaxBars = 5120;      // capacity of a series
constexpr int kMergeBarCap = 5071;  // a merge never leaves more bars than this

struct PriceBar {
  PackedDate date;
  int32_t open;
  int32_t high;
  int32_t low;
  int32_t close;
  int32_t volume;
};
static_assert(sizeof(PriceBar) == 24, "PriceBar is 24 bytes");

struct BarSeries {
  StockCode code;
  int32_t count;  // 0..5120
  PriceBar bars[kMaxBars];
};
static_assert(sizeof(BarSeries) == 122888, "BarSeries is 122888 bytes");
static_assert(offsetof(BarSeries, bars) == 8);

// Bytes of a series as stored in a daily file.
constexpr uint32_t SeriesFileBytes(int count) { return 8u + 24u * static_cast<uint32_t>(count); }
