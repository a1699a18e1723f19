#pragma once
// A chart context that owns its buffers, and what differs between two
// contexts, shared by the chart tests.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chart/chart_context.h"
#include "data/stock_table.h"
#include "records/price_series.h"
#include "tests/support/kernel_series.h"

struct OwnedContext {
  ChartContext context{};
  OwnedContext() {
    if (!AllocChartContextBuffers(&context)) std::abort();
  }
  ~OwnedContext() { FreeChartContextBuffers(&context); }
  OwnedContext(const OwnedContext&) = delete;
  OwnedContext& operator=(const OwnedContext&) = delete;
};

inline bool SameInt(const IntSeries& a, const IntSeries& b) { return kernel_test::SeriesDifference(a, b).empty(); }
inline bool SameReal(const RealSeries& a, const RealSeries& b) { return kernel_test::SeriesDifference(a, b).empty(); }

// The slots where two sets of series differ in count or counted values.
inline std::string DifferingSlots(IntSeries* const* aInts, RealSeries* const* aReals, IntSeries* const* bInts,
                                  RealSeries* const* bReals) {
  std::string slots;
  for (int i = 0; i < kIntSlotCount; ++i)
    if (!SameInt(*aInts[i], *bInts[i])) slots += " int" + std::to_string(i);
  for (int i = 0; i < kRealSlotCount; ++i)
    if (!SameReal(*aReals[i], *bReals[i])) slots += " real" + std::to_string(i);
  return slots;
}

inline std::string SignalAgainstChart(const PeriodSeriesBlock& a, const PeriodSeriesBlock& b) {
  return DifferingSlots(a.signalInt, a.signalReal, b.chartInt, b.chartReal);
}

inline bool SameBars(const BarSeries& a, const BarSeries& b) {
  return a.code == b.code && a.count == b.count &&
         std::memcmp(a.bars, b.bars, sizeof(PriceBar) * std::clamp(a.count, 0, kMaxBars)) == 0;
}

// What differs between two period blocks: bars, parameters, chart or signal series.
inline std::string BlockDifferences(const PeriodSeriesBlock& a, const PeriodSeriesBlock& b) {
  const std::string chart = DifferingSlots(a.chartInt, a.chartReal, b.chartInt, b.chartReal);
  const std::string signal = DifferingSlots(a.signalInt, a.signalReal, b.signalInt, b.signalReal);
  return std::string(SameBars(*a.rawBars, *b.rawBars) && SameBars(*a.bars, *b.bars) ? "" : " bars") +
         (std::memcmp(&a.params, &b.params, sizeof a.params) != 0 ? " params" : "") +
         (chart.empty() ? "" : " chart:" + chart) + (signal.empty() ? "" : " signal:" + signal);
}

// What differs between two contexts: each period block, the scenario marks and values.
inline std::string ContextDifferences(const ChartContext& a, const ChartContext& b) {
  std::string slots;
  for (int p = 0; p < kPeriodCount; ++p) {
    const std::string block = BlockDifferences(a.periods[p], b.periods[p]);
    if (!block.empty()) slots += " period" + std::to_string(p) + block;
  }
  for (int s = 0; s < kScenarioSlots; ++s) {
    for (auto marks : {&ChartContext::fileMarks, &ChartContext::tableMarks}) {
      const ScenarioMarkBuffer &x = *(a.*marks)[s], &y = *(b.*marks)[s];
      if (x.count != y.count || std::memcmp(x.marks, y.marks, std::min<uint32_t>(x.count, kMaxBars)) != 0)
        slots += " marks" + std::to_string(s);
    }
    for (auto values : {&ChartContext::fileValues, &ChartContext::tableValues})
      if (!SameInt(*(a.*values)[s], *(b.*values)[s])) slots += " values" + std::to_string(s);
  }
  return slots;
}

// A stock "テスト銘柄" added to the stock table with `count` weekly bars in
// the context, level at 1200 (1190..1210), dated by `dateOf`; the last bar
// spans 900..1300, so that the scale reaches beyond the others.
inline StockRecord& AddFlatWeeklyStock(ChartContext* context, StockCode code, int count, PackedDate (*dateOf)(int)) {
  StockRecord& stock = gStockTable->records[gStockTable->count++];
  stock = StockRecord{};
  stock.master = {code, "テスト銘柄", "", "", 1, 0, 0, 100};
  BarSeries& bars = *context->periods[1].bars;
  bars.code = code;
  bars.count = count;
  for (int i = 0; i < count; ++i) bars.bars[i] = {dateOf(i), 1200, 1210, 1190, 1200, 1000};
  bars.bars[count - 1].low = 900;
  bars.bars[count - 1].high = 1300;
  stock.lastDate = dateOf(count - 1);
  ResetStockLookupCache();
  return stock;
}
