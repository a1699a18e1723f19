// Judging a full trend-line table: 10000 monitoring lines, two per stock of a
// 5000-stock market with random latest values, of every kind, pane and
// period. Goal: judging them all under 5 ms (the trading-day index built
// beforehand). The evaluation after a price update, whose group updates are
// batched per stock, is timed beside it with the default groups, and with
// them updated after every line as a measure of what the batching saves.
// Last, a group extracted on a monitoring-line term over the whole market.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "analysis/indicator_params.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

namespace {

constexpr PackedDate kLastBar = MakePackedDate(2024, 6, 14);

StockCode BenchCode(int n) {
  char text[16];
  snprintf(text, sizeof text, "%04d", 1000 + n);
  return StringToCode(text);
}

void FillStocks(std::mt19937& random) {
  std::uniform_real_distribution<double> value(0, 2000);
  gStockTable->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) {
    StockRecord& stock = gStockTable->records[i];
    stock.master.code = BenchCode(i);
    stock.master.marketId = static_cast<uint16_t>(1 + i % 3);
    stock.dailyCount = 4000;
    stock.lastDate = kLastBar;
    for (IndicatorSnapshot& snapshot : stock.snapshots)
      for (double& v : snapshot.values) v = value(random);
  }
  ResetStockLookupCache();
}

// Lines spanning the last bar mostly, some ending before it; date lines on it or after.
void FillLines(std::mt19937& random) {
  std::uniform_int_distribution<int> days(1, 120);
  std::uniform_int_distribution<int> level(500, 1500);
  gTrendLines->count = kMaxTrendLines;
  for (int i = 0; i < kMaxTrendLines; ++i) {
    TrendLine& line = gTrendLines->lines[i];
    line = TrendLine{};
    line.code = BenchCode(i / 2);
    line.monitorKind = 1 + i % 3;
    line.paneKind = static_cast<int16_t>(i % kPaneKindCount);
    line.period = i % 7 == 0 ? 1 : 0;
    line.watchedLines = 1u + static_cast<uint32_t>(i % 7);
    line.notifyWhenReached = 1;
    if (line.monitorKind == kMonitorDate) {
      line.date1 = line.date2 = AddCalendarDays(kLastBar, days(random) % 3 - 1);
    } else {
      line.date1 = AddCalendarDays(kLastBar, -days(random));
      line.date2 = AddCalendarDays(kLastBar, days(random) - 10);
      line.value1 = level(random);
      line.value2 = level(random);
    }
  }
}

void Prepare() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  InitAppTexts();
  InitStockCodeGlobals();
  SetDefaultIndicatorParameters();
  if (!AllocateStockTable() || !AllocGroupTables() || !AllocTrendLineTables()) std::abort();
  std::mt19937 random(11);
  FillStocks(random);
  FillLines(random);
  for (int g = 0; g < kGroupCount; ++g) BuildDefaultGroups(*gGroupTable, g);
  int bars = 0;
  CountDailyBars(kLastBar, MakePackedDate(2024, 1, 4), &bars);  // builds the trading-day index
  gRecomputeNeeded = 0;
  gGroupsDirty = 0;
  // As after a price update: the groups extracted, then the lines judged once.
  RecomputeGroupMemberships();
  EvaluateAllMonitorLines();
}

void BM_JudgeAllMonitorLines(benchmark::State& state) {
  Prepare();
  int reached = 0;
  for (auto _ : state) {
    reached = 0;
    for (int i = 0; i < gTrendLines->count; ++i) {
      const TrendLine& line = gTrendLines->lines[i];
      const int stock = FindStockIndexByCode(line.code);
      if (stock >= 0) reached += JudgeMonitorLine(line, gStockTable->records[stock]).reached ? 1 : 0;
    }
    benchmark::DoNotOptimize(reached);
  }
  state.counters["reached"] = reached;
}
BENCHMARK(BM_JudgeAllMonitorLines)->Unit(benchmark::kMillisecond);

// After a price update: every line judged, then each stock's groups once.
void BM_EvaluateAllMonitorLines(benchmark::State& state) {
  Prepare();
  for (auto _ : state) EvaluateAllMonitorLines();
}
BENCHMARK(BM_EvaluateAllMonitorLines)->Unit(benchmark::kMillisecond);

// The same with the groups updated after every line, as a single evaluation does.
void BM_EvaluateLinesOneByOne(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    for (int i = 0; i < gTrendLines->count; ++i) EvaluateMonitorLine(i, true, false);
  }
}
BENCHMARK(BM_EvaluateLinesOneByOne)->Unit(benchmark::kMillisecond);

// A group of stocks with a reached lower line, over the whole market: the
// lines are indexed by stock once for the pass.
void BM_ExtractGroupOnMonitoringLines(benchmark::State& state) {
  Prepare();
  GroupRecord& group = gGroupTable->groups[kGroupCount - 1];
  group = GroupRecord{};
  group.automatic = 1;
  group.marketMask = 0xFFFF;
  group.termCount = 1;
  group.terms[0] = {kItemLowerMonitoringLine, kOpLineReached, kOperandConstant, 0, 0};
  for (auto _ : state) RunExtractionForGroup(*gGroupTable, kGroupCount - 1);
  state.counters["members"] = group.memberCount;
}
BENCHMARK(BM_ExtractGroupOnMonitoringLines)->Unit(benchmark::kMillisecond);

}  // namespace
