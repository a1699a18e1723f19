// A full recomputation of 5000 stocks at the bar cap, their daily series in
// the cache, with a 12-definition signal file whose periods differ from the
// chart's (every signal series computed), breadth counted and the scenario
// step: with 1, 2, 4, 6 and 8 workers. Goal: at most 1.0 s with six workers.
// Then where one stock's time goes, step by step, on one thread.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "analysis/analysis_hooks.h"
#include "analysis/chart_indicators.h"
#include "analysis/market_breadth.h"
#include "analysis/recompute_pool.h"
#include "analysis/signal_evaluation.h"
#include "analysis/stock_recompute.h"
#include "bench/capped_stock.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "sheets/scenarios.h"
#include "shell/settings.h"
#include "tools/sample_db/sample_analysis.h"

namespace {

constexpr int kStocks = 5000;

struct Universe {
  SignalSettingsFile file{};
  ChartSeriesSet context{};
  KernelScratchSet scratch{};
  StockCode sample = 0;  // the stock the steps are timed on
};

// The stocks go straight into the cache's slots: writing 600 MB of daily
// files only to read them back would time the disk, not the recomputation.
void CacheStock(int index, const BarSeries& bars) {
  auto* slot = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
  if (slot == nullptr) std::abort();
  std::memcpy(slot, &bars, SeriesFileBytes(bars.count));
  gDailyCache->slots[index] = slot;
  gDailyCacheCount.fetch_add(1);
}

void AddStock(int index, StockCode code) {
  StockRecord& record = gStockTable->records[index];
  record.master.code = code;
  record.master.marketId = static_cast<uint16_t>(1 + index % 3);  // a third on the counted market
  record.master.marketFlags = GetMarketFlagFromId(record.master.marketId);
  record.master.tradingUnit = 100;
  record.dailyCount = kMergeBarCap;
}

Universe& Prepare() {
  static Universe* universe = nullptr;
  if (universe != nullptr) return *universe;
  universe = new Universe;
  InitAppTexts();
  InitStockCodeGlobals();
  SetDefaultSettings();
  if (!CreateDailyCache() || !AllocateStockTable() || !InitMarketBreadth() ||
      !AllocChartContextBuffers(&universe->context) || !AllocateKernelScratchSet(&universe->scratch)) {
    std::abort();
  }
  gStockTable->count = kStocks;
  for (int i = 0; i < kStocks; ++i) {
    const StockCode code = i == 0 ? StringToCode("1001") : NumberToCode(1300 + i);
    AddStock(i, code);
    CacheStock(i, *CappedDailyBars(code, 1000 + static_cast<uint32_t>(i)));
  }
  ResetStockLookupCache();
  FillSampleSignalFile(&universe->file, kMaxSignalDefinitions, true);
  gSignalSettings = &universe->file;
  InstallScenarioHooks();
  universe->sample = gStockTable->records[kStocks / 2 - 1].master.code;  // on the counted market
  return *universe;
}

void BM_RecomputeAllStocks(benchmark::State& bench) {
  Prepare();
  const int workers = static_cast<int>(bench.range(0));
  for (auto _ : bench) {
    ResetMarketBreadthCounters();
    if (RecomputeAllStocksWithWorkers(kRecomputeAllStocks, workers) != RecomputeOutcome::kCompleted) std::abort();
  }
  gCountAdvances = 0;
  bench.SetItemsProcessed(bench.iterations() * kStocks);
}
BENCHMARK(BM_RecomputeAllStocks)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(6)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The steps of one stock, each timed alone on the sample stock's context.
enum Step : int { kBars, kChartSeries, kAllSeries, kScenarios, kSnapshots, kSignals, kScenarioFlags, kBreadth };

void PlaceSampleBars(Universe& u) {
  int error = 0;
  const int index = FindStockIndexByCode(u.sample);
  EnterDailyCacheAsWorker();
  ReadDailyBarsInWorker(index, u.sample, true, u.context.periods[0].rawBars, &error);
  LeaveDailyCacheAsWorker();
  PlaceAdjustedDailyBars(&u.context);
  PlacePeriodBars(&u.context);
}

void RunStep(Universe& u, Step step) {
  switch (step) {
    case kBars: PlaceSampleBars(u); break;
    case kChartSeries:
    case kAllSeries: ComputeChartIndicators(u.sample, &u.context, u.scratch); break;
    case kScenarios: SimulateScenariosForStock(u.sample, &u.context); break;
    case kSnapshots: StoreCountsAndSnapshots(u.sample, u.context); break;
    case kSignals: EvaluateSignalsForStock(u.sample, u.context); break;
    case kScenarioFlags: UpdateStockSignalFlags(u.sample, u.context); break;
    case kBreadth: CountStockAdvancesDeclines(u.sample, u.context); break;
  }
}

void BM_RecomputeStep(benchmark::State& bench) {
  Universe& u = Prepare();
  const auto step = static_cast<Step>(bench.range(0));
  ResetMarketBreadthCounters();
  PlaceSampleBars(u);
  ComputeChartIndicators(u.sample, &u.context, u.scratch);
  // The chart series alone: no signal file and no scenario step.
  const AnalysisHooks hooks = gAnalysisHooks;
  if (step == kChartSeries) {
    gSignalSettings = nullptr;
    gAnalysisHooks.simulateScenarios = nullptr;
  }
  for (auto _ : bench) {
    RunStep(u, step);
    benchmark::ClobberMemory();
  }
  gSignalSettings = &u.file;
  gAnalysisHooks = hooks;
  gCountAdvances = 0;
}
BENCHMARK(BM_RecomputeStep)->DenseRange(kBars, kBreadth)->Unit(benchmark::kMicrosecond);

}  // namespace
