#include "analysis/stock_recompute.h"

#include <algorithm>
#include <cstring>

#include "analysis/analysis_hooks.h"
#include "analysis/chart_indicators.h"
#include "analysis/indicator_snapshot.h"
#include "analysis/market_breadth.h"
#include "analysis/signal_evaluation.h"
#include "analysis/signal_settings.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/period_bars.h"
#include "data/stock_table.h"

namespace {

constexpr int kWeekly = 1;
constexpr int kMonthly = 2;

bool IsPeriodBuilt(int period) { return gComputeNeededOnly == 0 || gNeededPeriods[period] != 0; }

// Only the bars in use: a whole buffer is 122888 bytes, a monthly series a
// few kilobytes.
void CopyBarsInUse(const BarSeries& from, BarSeries* to) {
  const int count = std::clamp(from.count, 0, kMaxBars);
  to->code = from.code;
  to->count = count;
  std::memcpy(to->bars, from.bars, sizeof(PriceBar) * static_cast<size_t>(count));
}

int LastIndex(const BarSeries* bars) { return bars != nullptr ? std::clamp(bars->count, 0, kMaxBars) - 1 : -1; }

// One scenario's result at the bar; 0 outside the buffers.
struct ScenarioResult {
  int8_t mark;
  int32_t value;
};

ScenarioResult ResultAt(const ScenarioMarkBuffer* marks, const IntSeries* values, int bar) {
  ScenarioResult result{0, 0};
  if (marks != nullptr && bar < static_cast<int>(std::min<uint32_t>(marks->count, kMaxBars)))
    result.mark = marks->marks[bar];
  if (values != nullptr && bar < std::clamp(values->count, 0, kMaxBars)) result.value = values->values[bar];
  return result;
}

// Copies the valid scenarios' results into hits and values; true when any of them marked the bar.
bool TakeScenarioResults(const ScenarioRecord* records, int count, ScenarioMarkBuffer* const* marks,
                         IntSeries* const* values, int bar, uint8_t* hits, int32_t* outValues) {
  bool marked = false;
  for (int j = 0; j < std::clamp(count, 0, kScenarioSlots); ++j) {
    if (records[j].valid == 0) continue;
    const ScenarioResult result = ResultAt(marks[j], values[j], bar);
    hits[j] = static_cast<uint8_t>(result.mark);
    outValues[j] = result.value;
    marked = marked || result.mark != 0;
  }
  return marked;
}

}  // namespace

int PlaceAdjustedDailyBars(ChartSeriesSet* context) {
  PeriodSeriesBlock& daily = context->periods[0];
  AdjustBarsForSplits(*daily.rawBars, daily.bars);
  return daily.bars->count;
}

void PlacePeriodBars(ChartSeriesSet* context) {
  PeriodSeriesBlock* blocks = context->periods;
  if (IsPeriodBuilt(kWeekly)) {
    BuildWeeklyBars(*blocks[0].bars, blocks[kWeekly].bars);
    CopyBarsInUse(*blocks[kWeekly].bars, blocks[kWeekly].rawBars);
  }
  if (IsPeriodBuilt(kMonthly)) {
    BuildMonthlyBars(*blocks[0].bars, blocks[kMonthly].bars);
    CopyBarsInUse(*blocks[kMonthly].bars, blocks[kMonthly].rawBars);
  }
}

void StoreCountsAndSnapshots(StockCode code, const ChartSeriesSet& context) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) return;
  StockRecord& record = gStockTable->records[index];
  const PeriodSeriesBlock* blocks = context.periods;
  record.dailyCount = blocks[0].bars->count;
  FillIndicatorSnapshot(code, 0, blocks[0].bars->count - 1, context, 0);
  FillIndicatorSnapshot(code, 1, blocks[0].bars->count - 2, context, 0);
  int32_t* const counts[] = {nullptr, &record.weeklyCount, &record.monthlyCount};
  for (int period : {kWeekly, kMonthly}) {
    if (!IsPeriodBuilt(period)) continue;
    const int count = blocks[period].bars->count;
    *counts[period] = count;
    FillIndicatorSnapshot(code, 2 * period, count - 1, context, period);
    FillIndicatorSnapshot(code, 2 * period + 1, count - 2, context, period);
  }
}

void UpdateStockSignalFlags(StockCode code, const ChartSeriesSet& context) {
  const int index = FindStockIndexByCode(code);
  if (index < 0) return;
  StockRecord& record = gStockTable->records[index];
  record.flags &= ~kStockFlagScenarioMark;
  std::memset(record.signalHits, 0, sizeof record.signalHits);
  std::memset(record.signalValues, 0, sizeof record.signalValues);
  std::memset(record.scenarioHits, 0, sizeof record.scenarioHits);
  std::memset(record.scenarioValues, 0, sizeof record.scenarioValues);
  const int last = LastIndex(context.periods[0].bars);
  if (last < 0) return;
  bool marked = false;
  if (const SignalSettingsFile* file = gSignalSettings) {
    marked = TakeScenarioResults(file->scenarios, file->scenarioCount, context.fileMarks, context.fileValues, last,
                                 record.signalHits, record.signalValues);
  }
  if (gAnalysisHooks.tableScenarios != nullptr) {
    if (const ScenarioRecord* table = gAnalysisHooks.tableScenarios()) {
      const bool tableMarked = TakeScenarioResults(table, kScenarioSlots, context.tableMarks, context.tableValues, last,
                                                   record.scenarioHits, record.scenarioValues);
      marked = marked || tableMarked;
    }
  }
  if (marked) record.flags |= kStockFlagScenarioMark;
}

void CountStockAdvancesDeclines(StockCode code, const ChartSeriesSet& context) {
  if (gCountAdvances == 0) return;
  const int index = FindStockIndexByCode(code);
  if (index < 0 || (gStockTable->records[index].master.marketFlags & kBreadthMarketFlag) == 0) return;
  const PeriodSeriesBlock* blocks = context.periods;
  CountAdvancesDeclinesAllPeriods(*blocks[0].bars, *blocks[kWeekly].bars, *blocks[kMonthly].bars);
}

bool RecomputeStockFromBars(StockCode code, ChartSeriesSet* context, KernelScratchSet& scratch, int minimumBars) {
  if (PlaceAdjustedDailyBars(context) < minimumBars) return false;
  PlacePeriodBars(context);
  ComputeChartIndicators(code, context, scratch);
  StoreCountsAndSnapshots(code, *context);
  if (gComputeNeededOnly == 0) {
    EvaluateSignalsForStock(code, *context);
    UpdateStockSignalFlags(code, *context);
  }
  CountStockAdvancesDeclines(code, *context);
  return true;
}

void RecomputeOneStock(StockCode code, ChartSeriesSet* context, KernelScratchSet& scratch) {
  if (FindStockIndexByCode(code) < 0) return;
  GetDailyBars(code, context->periods[0].rawBars);
  RecomputeStockFromBars(code, context, scratch, 0);
}
