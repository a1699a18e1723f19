#include "tools/sample_db/series_digest.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "analysis/chart_indicators.h"
#include "analysis/market_breadth.h"
#include "analysis/signal_settings.h"
#include "chart/chart_context.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "platform/platform.h"
#include "common/app_globals.h"
#include "shell/settings.h"

namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ULL;
constexpr uint64_t kFnvPrime = 1099511628211ULL;

void AddBytes(uint64_t* digest, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) *digest = (*digest ^ bytes[i]) * kFnvPrime;
}

void AddSeries(uint64_t* digest, const BarSeries& series) { AddBytes(digest, &series, SeriesFileBytes(series.count)); }

void HashIntSeries(uint64_t* digest, const IntSeries& series) {
  AddBytes(digest, &series, 4 + 4 * static_cast<size_t>(std::clamp(series.count, 0, kMaxBars)));
}

void HashRealSeries(uint64_t* digest, const RealSeries& series) {
  AddBytes(digest, &series.count, 4);
  AddBytes(digest, series.values, 8 * static_cast<size_t>(std::clamp(series.count, 0, kMaxBars)));
}

// The daily bars of a stock as the recomputation places them in a context.
void PlaceStockBars(StockCode code, ChartContext* context) {
  PeriodSeriesBlock* blocks = context->periods;
  GetDailyBars(code, blocks[0].rawBars);
  AdjustBarsForSplits(*blocks[0].rawBars, blocks[0].bars);
  BuildWeeklyBars(*blocks[0].bars, blocks[1].bars);
  *blocks[1].rawBars = *blocks[1].bars;
  BuildMonthlyBars(*blocks[0].bars, blocks[2].bars);
  *blocks[2].rawBars = *blocks[2].bars;
}

// Breadth ratios counted over every stock of the table, kept in memory only.
void CountSampleBreadth(ChartContext* context, KernelScratchSet& scratch) {
  InitMarketBreadth();
  ResetMarketBreadthCounters();
  for (int i = 0; i < gStockTable->count; ++i) {
    const StockMasterRecord& master = gStockTable->records[i].master;
    if ((master.marketFlags & kBreadthMarketFlag) == 0) continue;
    PlaceStockBars(master.code, context);
    CountAdvancesDeclinesAllPeriods(*context->periods[0].bars, *context->periods[1].bars, *context->periods[2].bars);
  }
  ComputeMarketBreadthRatios(scratch);
  FinishMarketBreadth(false);
}

// Some series equal to the chart's (copied), some not (computed).
void FillDigestSignalFile(SignalSettingsFile* file) {
  *file = SignalSettingsFile{};
  file->tag = kSignalSettingsTag;
  file->definitionCount = 1;
  const std::pair<int, uint16_t> changes[] = {{kParamCloseAverage0 + 3, 50},
                                              {kParamRsi0, 27},
                                              {kParamRci0 + 1, 13},
                                              {kParamDeviationSecond0, 5},
                                              {kParamStochD, 5},
                                              {kParamMacdLong, 30},
                                              {kParamAdx, 20},
                                              {kParamObvEma, 9},
                                              {kParamBollinger, 20},
                                              {kParamVolumeRatio, 20}};
  for (int p = 0; p < 3; ++p) {
    file->params[p] = gIndicatorParams[p];
    for (const auto& [slot, value] : changes) file->params[p].slot[slot] = value;
    for (int entry = 0; entry <= kUseAdvanceDecline; ++entry) file->useFlags[p].flags[entry] = 1;
  }
}

void AddContext(uint64_t* digest, const ChartContext& context) {
  for (const PeriodSeriesBlock& block : context.periods) {
    AddSeries(digest, *block.bars);
    for (const IntSeries* series : block.chartInt) HashIntSeries(digest, *series);
    for (const RealSeries* series : block.chartReal) HashRealSeries(digest, *series);
    for (const IntSeries* series : block.signalInt) HashIntSeries(digest, *series);
    for (const RealSeries* series : block.signalReal) HashRealSeries(digest, *series);
  }
}

}  // namespace

bool OpenDatabaseFolder(const char* folder) {
  if (PlatformSetCurrentFolder(folder) != 0) return false;
  PlatformGetCurrentFolder(gDataFolder, sizeof gDataFolder);
  InitAppTexts();
  if (!CreateDailyCache() || !AllocateStockTable() || !LoadStockTable()) return false;
  LoadKenFile();
  return true;
}

uint64_t ComputeDatabaseDigest() {
  uint64_t digest = kFnvOffset;
  auto daily = std::make_unique<BarSeries>();
  auto adjusted = std::make_unique<BarSeries>();
  auto period = std::make_unique<BarSeries>();
  for (int i = 0; i < gStockTable->count; ++i) {
    GetDailyBars(gStockTable->records[i].master.code, daily.get());
    AddSeries(&digest, *daily);
    AdjustBarsForSplits(*daily, adjusted.get());
    AddSeries(&digest, *adjusted);
    BuildWeeklyBars(*adjusted, period.get());
    AddSeries(&digest, *period);
    BuildMonthlyBars(*adjusted, period.get());
    AddSeries(&digest, *period);
  }
  return digest;
}

uint64_t ComputeIndicatorDigest(StockCode code) {
  SetDefaultIndicatorParameters();
  KernelScratchSet scratch{};
  ChartContext context{};
  auto file = std::make_unique<SignalSettingsFile>();
  uint64_t digest = 0;
  if (AllocateKernelScratchSet(&scratch) && AllocChartContextBuffers(&context)) {
    CountSampleBreadth(&context, scratch);
    FillDigestSignalFile(file.get());
    gSignalSettings = file.get();
    PlaceStockBars(code, &context);
    ComputeChartIndicators(code, &context, scratch);
    gSignalSettings = nullptr;
    digest = kFnvOffset;
    AddContext(&digest, context);
  }
  FreeChartContextBuffers(&context);
  FreeKernelScratchSet(&scratch);
  return digest;
}

StockCode ChooseIndicatorDigestStock() {
  if (gKenTable != nullptr) {
    for (int i = 0; i < gKenTable->count; ++i) {
      if (FindStockIndexByCode(gKenTable->records[i].code) >= 0) return gKenTable->records[i].code;
    }
  }
  return gStockTable->count > 0 ? gStockTable->records[gStockTable->count - 1].master.code : 0;
}
