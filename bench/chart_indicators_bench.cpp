// ComputeChartIndicators for one stock of the full 5071 daily bars with its
// weekly and monthly bars, without and with a signal file (partly and wholly
// differing from the chart's parameters); and the per-stock
// work of an all-stock recomputation (bars placed, indicators, breadth counts)
// over 200 such stocks. Goal: at most 0.9 ms per stock on one core even with a
// wholly differing signal file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "analysis/chart_indicators.h"
#include "analysis/market_breadth.h"
#include "analysis/signal_settings.h"
#include "bench/capped_stock.h"
#include "chart/chart_context.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "shell/settings.h"

namespace {

constexpr int kLoopStocks = 200;

struct BenchState {
  ChartContext context{};
  KernelScratchSet scratch{};
  SignalSettingsFile file{};
  SignalSettingsFile shiftedFile{};  // every period differs from the chart's
  std::unique_ptr<BarSeries> stock = CappedDailyBars(StringToCode("1301"), 3);
};

BenchState& Prepare() {
  static BenchState* state = nullptr;
  if (state != nullptr) return *state;
  state = new BenchState;
  InitStockCodeGlobals();
  SetDefaultIndicatorParameters();
  if (!AllocateStockTable() || !AllocateKernelScratchSet(&state->scratch) ||
      !AllocChartContextBuffers(&state->context) || !InitMarketBreadth()) {
    std::abort();
  }
  // Ratios on the stock's own dates, so that the breadth series has matches.
  for (int p = 0; p < kBreadthPeriods; ++p) {
    PlaceBars(&state->context, *state->stock);
    const BarSeries& bars = *state->context.periods[p].bars;
    gBreadthRatios[p]->count = gBreadthRatioDates[p]->count = bars.count;
    for (int i = 0; i < bars.count; ++i) {
      gBreadthRatios[p]->values[i] = 8000 + i % 4000;
      gBreadthRatioDates[p]->dates[i] = bars.bars[i].date;
    }
  }
  SignalSettingsFile& file = state->file;
  file.tag = kSignalSettingsTag;
  file.definitionCount = 1;
  for (int p = 0; p < 3; ++p) {
    file.params[p] = gIndicatorParams[p];
    file.params[p].slot[kParamRsi0] = 9;        // computed
    file.params[p].slot[kParamMacdLong] = 30;   // partly computed
    file.params[p].slot[kParamBollinger] = 20;  // computed
    for (int entry = 0; entry <= kUseAdvanceDecline; ++entry) file.useFlags[p].flags[entry] = 1;
  }
  state->shiftedFile = file;
  for (int p = 0; p < 3; ++p) {
    for (int slot = 0; slot <= kParamAdvanceDecline; ++slot) {
      if (slot != kParamUnused) state->shiftedFile.params[p].slot[slot] = gIndicatorParams[p].slot[slot] + 1;
    }
  }
  PlaceBars(&state->context, *state->stock);
  return *state;
}

void BM_ChartIndicatorsCappedStock(benchmark::State& bench) {
  BenchState& state = Prepare();
  PlaceBars(&state.context, *state.stock);
  for (auto _ : bench) {
    ComputeChartIndicators(state.stock->code, &state.context, state.scratch);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ChartIndicatorsCappedStock)->Unit(benchmark::kMillisecond);

void BM_ChartIndicatorsCappedStockWithSignalFile(benchmark::State& bench) {
  BenchState& state = Prepare();
  PlaceBars(&state.context, *state.stock);
  gSignalSettings = &state.file;
  for (auto _ : bench) {
    ComputeChartIndicators(state.stock->code, &state.context, state.scratch);
    benchmark::ClobberMemory();
  }
  gSignalSettings = nullptr;
}
BENCHMARK(BM_ChartIndicatorsCappedStockWithSignalFile)->Unit(benchmark::kMillisecond);

// No signal series can be copied from the chart's: the whole engine twice.
void BM_ChartIndicatorsCappedStockWithDifferingSignalFile(benchmark::State& bench) {
  BenchState& state = Prepare();
  PlaceBars(&state.context, *state.stock);
  gSignalSettings = &state.shiftedFile;
  for (auto _ : bench) {
    ComputeChartIndicators(state.stock->code, &state.context, state.scratch);
    benchmark::ClobberMemory();
  }
  gSignalSettings = nullptr;
}
BENCHMARK(BM_ChartIndicatorsCappedStockWithDifferingSignalFile)->Unit(benchmark::kMillisecond);

// One worker's loop: place each stock's bars, compute, count the breadth.
void BM_RecomputationLoop(benchmark::State& bench) {
  BenchState& state = Prepare();
  std::vector<std::unique_ptr<BarSeries>> stocks;
  for (int i = 0; i < kLoopStocks; ++i) stocks.push_back(CappedDailyBars(StringToCode("1301") + i, 100 + i));
  gSignalSettings = &state.file;
  for (auto _ : bench) {
    ResetMarketBreadthCounters();
    for (const auto& stock : stocks) {
      PlaceBars(&state.context, *stock);
      ComputeChartIndicators(stock->code, &state.context, state.scratch);
      const PeriodSeriesBlock* blocks = state.context.periods;
      CountAdvancesDeclinesAllPeriods(*blocks[0].bars, *blocks[1].bars, *blocks[2].bars);
    }
  }
  gSignalSettings = nullptr;
  gCountAdvances = 0;
  bench.SetItemsProcessed(bench.iterations() * kLoopStocks);
}
BENCHMARK(BM_RecomputationLoop)->Unit(benchmark::kMillisecond);

}  // namespace
