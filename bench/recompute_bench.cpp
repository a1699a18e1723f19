// A full recomputation of 5000 stocks at the bar cap, their daily series in
// the cache, with a 12-definition signal file whose periods differ from the
// chart's (every signal series computed), breadth counted and the scenario
// step: with 1, 2, 4, 6 and 8 workers. Goal: at most 1.0 s with six workers.
// Then where one stock's time goes, step by step, on one thread.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "analysis/analysis_hooks.h"
#include "analysis/chart_indicators.h"
#include "analysis/market_breadth.h"
#include "analysis/recompute_pool.h"
#include "analysis/signal_evaluation.h"
#include "analysis/stock_recompute.h"
#include "bench/recompute_universe.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "sheets/scenarios.h"

namespace {

Universe& Prepare() {
  static Universe* universe = nullptr;
  if (universe == nullptr) universe = MakeRecomputeUniverse();
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
  bench.SetItemsProcessed(bench.iterations() * kUniverseStocks);
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
