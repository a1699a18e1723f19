// The per-stock screening work of a recomputation: the six snapshots of a
// stock at the merge cap, and its signal word from 12 definitions of 20
// terms each (price, average and oscillator items; then range positions,
// which scan their windows at the bar). Goals: snapshots well under 0.2 ms,
// signals under 20 us per stock.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "analysis/chart_indicators.h"
#include "analysis/condition_items.h"
#include "analysis/indicator_snapshot.h"
#include "analysis/signal_evaluation.h"
#include "analysis/signal_settings.h"
#include "bench/capped_stock.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

namespace {

struct BenchState {
  ChartSeriesSet context{};
  KernelScratchSet scratch{};
  SignalSettingsFile file{};
  std::unique_ptr<BarSeries> stock = CappedDailyBars(StringToCode("1301"), 5);
};

BenchState& Prepare() {
  static BenchState* state = nullptr;
  if (state != nullptr) return *state;
  state = new BenchState;
  InitStockCodeGlobals();
  SetDefaultIndicatorParameters();
  if (!AllocateStockTable() || !AllocateKernelScratchSet(&state->scratch) ||
      !AllocChartContextBuffers(&state->context)) {
    std::abort();
  }
  StockRecord& record = gStockTable->records[gStockTable->count++];
  record.master.code = state->stock->code;
  record.master.marketId = 1;
  record.master.tradingUnit = 100;
  SignalSettingsFile& file = state->file;
  file.tag = kSignalSettingsTag;
  file.definitionCount = kMaxSignalDefinitions;
  for (int p = 0; p < kPeriodCount; ++p) {
    file.params[p] = gIndicatorParams[p];
    for (int entry = 0; entry < kSeriesUseFlagCount; ++entry) file.useFlags[p].flags[entry] = 1;
  }
  gSignalSettings = &file;
  PlaceBars(&state->context, *state->stock);
  ComputeChartIndicators(state->stock->code, &state->context, state->scratch);
  return *state;
}

// Every definition holds term after term, so that all 240 terms are evaluated.
void DefineSignals(BenchState& state, std::initializer_list<int> indexes) {
  for (int k = 0; k < kMaxSignalDefinitions; ++k) {
    SignalDefinition& d = state.file.definitions[k];
    d.marketMask = 0xFFFF;
    d.termCount = kMaxConditionTerms;
    for (int t = 0; t < kMaxConditionTerms; ++t) {
      const int index = *(indexes.begin() + (k + t) % indexes.size());
      const int slot = (k * kMaxConditionTerms + t) % kSnapshotSlots;
      d.terms[t] = {MakeItemCode(slot, index), kOpSellSide, kItemConstant, 0, 0};
    }
  }
}

void BM_FillSixSnapshotsCappedStock(benchmark::State& bench) {
  BenchState& state = Prepare();
  for (auto _ : bench) {
    for (int slot = 0; slot < kSnapshotSlots; ++slot) {
      const int period = slot / 2;
      const int bar = state.context.periods[period].bars->count - 1 - slot % 2;
      FillIndicatorSnapshot(state.stock->code, slot, bar, state.context, period);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FillSixSnapshotsCappedStock)->Unit(benchmark::kMicrosecond);

void BM_EvaluateSignalsPriceAverageOscillatorItems(benchmark::State& bench) {
  BenchState& state = Prepare();
  DefineSignals(state, {0, 58, 59, 60, 9, 10, 11, 12, 13, 14, 17, 18, 20, 23, 26, 29, 31, 35, 40, 61});
  for (auto _ : bench) {
    EvaluateSignalsForStock(state.stock->code, state.context);
    benchmark::ClobberMemory();
  }
  if (gStockTable->records[0].signalBits == 0) bench.SkipWithError("no definition held");
}
BENCHMARK(BM_EvaluateSignalsPriceAverageOscillatorItems)->Unit(benchmark::kMicrosecond);

void BM_EvaluateSignalsRangePositionItems(benchmark::State& bench) {
  BenchState& state = Prepare();
  DefineSignals(state, {7, 63, 64, 65, 66, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90});
  for (auto _ : bench) {
    EvaluateSignalsForStock(state.stock->code, state.context);
    benchmark::ClobberMemory();
  }
  if (gStockTable->records[0].signalBits == 0) bench.SkipWithError("no definition held");
}
BENCHMARK(BM_EvaluateSignalsRangePositionItems)->Unit(benchmark::kMicrosecond);

}  // namespace
