// The average, trend and volume kernels on one capped stock: 5071 daily bars,
// and the lengths of its weekly (1050) and monthly (245) series, with the
// default daily parameters. A few literal (whole-window) kernels run alongside
// for comparison.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

struct BenchData {
  std::unique_ptr<BarSeries> bars[3];
  std::unique_ptr<IntSeries> ints[4];
  std::unique_ptr<RealSeries> reals[7];
  RealSeries* bands[7];
  KernelScratchSet scratch{};
  IndicatorParameterSet params{};
};

BenchData& Data() {
  static BenchData* data = [] {
    auto* d = new BenchData;
    const int counts[3] = {kMergeBarCap, 1050, 245};
    for (int p = 0; p < 3; ++p) d->bars[p] = kernel_test::MakeBars(kernel_test::BarsKind::kRandomWalk, counts[p], 7);
    for (auto& series : d->ints) series = std::make_unique<IntSeries>();
    for (int b = 0; b < 7; ++b) {
      d->reals[b] = std::make_unique<RealSeries>();
      d->bands[b] = d->reals[b].get();
    }
    if (!AllocateKernelScratchSet(&d->scratch)) std::abort();
    d->params = GetDefaultIndicatorParameters(0);
    return d;
  }();
  return *data;
}

// Arg: 0 daily (5071 bars), 1 weekly length, 2 monthly length.
const BarSeries& BarsOf(const benchmark::State& state) { return *Data().bars[state.range(0)]; }

void Periods(benchmark::internal::Benchmark* b) { b->Arg(0)->Arg(1)->Arg(2); }

void BM_CloseAverageReal200(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeCloseAverageReal(BarsOf(state), d.reals[0].get(), 200);
}
BENCHMARK(BM_CloseAverageReal200)->Apply(Periods);

void BM_SixCloseAverages(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state)
    for (int k = 0; k < 6; ++k)
      ComputeCloseAverageReal(BarsOf(state), d.reals[k].get(), d.params.slot[kParamCloseAverage0 + k]);
}
BENCHMARK(BM_SixCloseAverages)->Apply(Periods);

void BM_CloseAverage75(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeCloseAverage(BarsOf(state), d.ints[0].get(), 75);
}
BENCHMARK(BM_CloseAverage75)->Apply(Periods);

void BM_VolumeAverage13(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeVolumeAverage(BarsOf(state), d.ints[0].get(), 13);
}
BENCHMARK(BM_VolumeAverage13)->Apply(Periods);

void BM_SimpleAverage9(benchmark::State& state) {
  BenchData& d = Data();
  ComputeCloseAverage(BarsOf(state), d.ints[1].get(), 1);
  for (auto _ : state) ComputeSimpleAverage(*d.ints[1], d.ints[0].get(), 9);
}
BENCHMARK(BM_SimpleAverage9)->Apply(Periods);

void BM_RealAverage25(benchmark::State& state) {
  BenchData& d = Data();
  ComputeCloseAverageReal(BarsOf(state), d.reals[1].get(), 1);
  for (auto _ : state) ComputeRealAverage(*d.reals[1], d.reals[0].get(), 25);
}
BENCHMARK(BM_RealAverage25)->Apply(Periods);

void BM_SmoothExponentialPrices13(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) SmoothExponentialPrices(BarsOf(state), d.ints[0].get(), 13);
}
BENCHMARK(BM_SmoothExponentialPrices13)->Apply(Periods);

void BM_SmoothExponentialScaled26(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) SmoothExponentialScaled(BarsOf(state), d.ints[0].get(), 26);
}
BENCHMARK(BM_SmoothExponentialScaled26)->Apply(Periods);

void BM_RateOfChange21(benchmark::State& state) {
  BenchData& d = Data();
  SmoothExponentialPrices(BarsOf(state), d.ints[1].get(), 13);
  for (auto _ : state) ComputeRateOfChange(*d.ints[1], d.ints[0].get(), 21);
}
BENCHMARK(BM_RateOfChange21)->Apply(Periods);

void BM_DeviationRate26(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeDeviationRate(BarsOf(state), d.ints[0].get(), 26, 0, d.scratch);
}
BENCHMARK(BM_DeviationRate26)->Apply(Periods);

void BM_DeviationRate26And75(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeDeviationRate(BarsOf(state), d.ints[0].get(), 26, 75, d.scratch);
}
BENCHMARK(BM_DeviationRate26And75)->Apply(Periods);

void BM_BollingerBands25(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeBollingerBands(BarsOf(state), d.ints[0].get(), d.bands, 25, d.scratch);
}
BENCHMARK(BM_BollingerBands25)->Apply(Periods);

void BM_IchimokuFiveLines(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) {
    ComputeIchimokuConversion(BarsOf(state), d.reals[0].get());
    ComputeIchimokuBase(BarsOf(state), d.reals[1].get());
    AverageRealSeries(*d.reals[0], *d.reals[1], d.reals[2].get());
    ComputeIchimokuSpanB(BarsOf(state), d.reals[3].get());
    CopyCloseToRealSeries(BarsOf(state), d.reals[4].get());
  }
}
BENCHMARK(BM_IchimokuFiveLines)->Apply(Periods);

void BM_IchimokuSpanB(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeIchimokuSpanB(BarsOf(state), d.reals[0].get());
}
BENCHMARK(BM_IchimokuSpanB)->Apply(Periods);

void BM_ParabolicSar(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeParabolicSar(BarsOf(state), d.reals[0].get(), d.ints[0].get());
}
BENCHMARK(BM_ParabolicSar)->Apply(Periods);

void BM_Obv(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeObv(BarsOf(state), d.ints[0].get(), 100, d.scratch);
}
BENCHMARK(BM_Obv)->Apply(Periods);

void BM_VolumeRatio25(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) ComputeVolumeRatio(BarsOf(state), d.ints[0].get(), 25);
}
BENCHMARK(BM_VolumeRatio25)->Apply(Periods);

// ---- The literal kernels, for comparison ----------------------------------------------------------

void BM_LiteralCloseAverageReal200(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) literal::CloseAverageReal(BarsOf(state), d.reals[0].get(), 200);
}
BENCHMARK(BM_LiteralCloseAverageReal200)->Arg(0);

void BM_LiteralBollingerBands25(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) literal::BollingerBands(BarsOf(state), d.ints[0].get(), d.bands, 25);
}
BENCHMARK(BM_LiteralBollingerBands25)->Arg(0);

void BM_LiteralIchimokuSpanB(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) literal::IchimokuSpanB(BarsOf(state), d.reals[0].get());
}
BENCHMARK(BM_LiteralIchimokuSpanB)->Arg(0);

void BM_LiteralVolumeRatio25(benchmark::State& state) {
  BenchData& d = Data();
  for (auto _ : state) literal::VolumeRatio(BarsOf(state), d.ints[0].get(), 25);
}
BENCHMARK(BM_LiteralVolumeRatio25)->Arg(0);

}  // namespace
