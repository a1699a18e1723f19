// The oscillator kernels over one capped stock (5071 daily bars), and RCI with
// the default periods 5, 9 and 27 against the step-by-step ranking it replaces.
// "s_5000_stocks" is the time the same work takes over a full database.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "analysis/kernels.h"
#include "tests/analysis/literal_oscillators.h"

namespace {

constexpr int kDefaultRciPeriods[] = {5, 9, 27};

// A walk with small steps (ties included) and highs and lows around the close.
const BarSeries& CappedStock() {
  static const std::unique_ptr<BarSeries> bars = [] {
    auto series = std::make_unique<BarSeries>();
    series->code = 0;
    series->count = kMergeBarCap;
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> step(-12, 12);
    std::uniform_int_distribution<int> reach(0, 20);
    int32_t close = 2500;
    for (int i = 0; i < kMergeBarCap; ++i) {
      close = std::max(1, close + step(random));
      series->bars[i] = {0, close, close + reach(random), std::max(1, close - reach(random)), close, 10000 + i};
    }
    return series;
  }();
  return *bars;
}

struct Outputs {
  IntSeries first;
  IntSeries second;
  IntSeries scratchInts[4];
  RealSeries scratchReals[2];
  KernelScratchSet scratch;
};

std::unique_ptr<Outputs> NewOutputs() {
  auto outputs = std::make_unique<Outputs>();
  for (int i = 0; i < 4; ++i) outputs->scratch.ints[i] = &outputs->scratchInts[i];
  for (int i = 0; i < 2; ++i) outputs->scratch.reals[i] = &outputs->scratchReals[i];
  return outputs;
}

void PerStock(benchmark::State& state) {
  state.counters["s_5000_stocks"] =
      benchmark::Counter(1.0 / 5000, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Rsi(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputeRsi(bars, &out->first, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(out->first.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_Rsi)->Arg(14)->Arg(21)->Arg(27);

void BM_Rci(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputeRci(bars, &out->first, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(out->first.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_Rci)->Arg(5)->Arg(9)->Arg(27)->Arg(kMaxRciPeriod);

void BM_LiteralRci(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  for (auto _ : state) benchmark::DoNotOptimize(LiteralRci(bars, static_cast<int>(state.range(0))));
  PerStock(state);
}
BENCHMARK(BM_LiteralRci)->Arg(5)->Arg(9)->Arg(27)->Unit(benchmark::kMillisecond);

// The three RCI lines of a chart with the default periods.
void BM_RciDefaultPeriods(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    for (int n : kDefaultRciPeriods) {
      ComputeRci(bars, &out->first, n);
      benchmark::DoNotOptimize(out->first.values[kMergeBarCap - 1]);
    }
  }
  PerStock(state);
}
BENCHMARK(BM_RciDefaultPeriods);

void BM_LiteralRciDefaultPeriods(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  for (auto _ : state) {
    for (int n : kDefaultRciPeriods) benchmark::DoNotOptimize(LiteralRci(bars, n));
  }
  PerStock(state);
}
BENCHMARK(BM_LiteralRciDefaultPeriods)->Unit(benchmark::kMillisecond);

void BM_Stochastics(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputeStochastics(bars, &out->first, static_cast<int>(state.range(0)), &out->second,
                       static_cast<int>(state.range(1)), out->scratch);
    benchmark::DoNotOptimize(out->second.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_Stochastics)->Args({5, 3})->Args({100, 30});

void BM_LiteralStochastics(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        LiteralStochasticsOf(bars, static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
  }
  PerStock(state);
}
BENCHMARK(BM_LiteralStochastics)->Args({5, 3})->Args({100, 30});

void BM_DirectionalMovement(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputeDirectionalMovement(bars, &out->first, &out->second);
    benchmark::DoNotOptimize(out->second.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_DirectionalMovement);

void BM_TrueRange(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputeTrueRange(bars, &out->first);
    benchmark::DoNotOptimize(out->first.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_TrueRange);

void BM_DirectionalIndexAndSpread(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  ComputeDirectionalMovement(bars, &out->scratchInts[0], &out->scratchInts[1]);
  ComputeTrueRange(bars, &out->scratchInts[2]);
  for (auto _ : state) {
    ComputeDirectionalIndex(out->scratchInts[0], out->scratchInts[2], &out->first);
    ComputeDirectionalIndex(out->scratchInts[1], out->scratchInts[2], &out->second);
    ComputeDirectionalSpread(out->first, out->second, &out->scratchInts[3]);
    benchmark::DoNotOptimize(out->scratchInts[3].values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_DirectionalIndexAndSpread);

void BM_PsychologicalLine(benchmark::State& state) {
  const BarSeries& bars = CappedStock();
  auto out = NewOutputs();
  for (auto _ : state) {
    ComputePsychologicalLine(bars, &out->first, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(out->first.values[kMergeBarCap - 1]);
  }
  PerStock(state);
}
BENCHMARK(BM_PsychologicalLine)->Arg(12);

}  // namespace
