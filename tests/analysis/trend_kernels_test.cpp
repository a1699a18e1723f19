// Deviation rate, Bollinger bands, Ichimoku and parabolic SAR against the
// literal kernels, worked examples, and whole-stock runs on reused buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;
using Ints = std::vector<int32_t>;
using Reals = std::vector<double>;
using RealBarsKernel = void (*)(const BarSeries&, RealSeries*);

struct BandSeries {
  std::unique_ptr<RealSeries> series[7];
  RealSeries* pointers[7];
  BandSeries() {
    for (int b = 0; b < 7; ++b) pointers[b] = (series[b] = GarbageRealSeries()).get();
  }
};

// ---- Deviation rate --------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, DeviationRate) {
  ScratchHolder scratch;
  for (const auto& [n1, n2] : {std::pair{6, 0},
                               {26, 0},
                               {6, 3},
                               {6, 4},
                               {25, 75},
                               {0, -1},
                               {1, 1},
                               {5120, 4},
                               {200, 5121},
                               {13, 65535},
                               {65535, 65535},
                               {-3, 10}}) {
    EXPECT_EQ(FirstDifference({std::max(n1, n2)}, 31,
                              [&, n1 = n1, n2 = n2](const BarSeries& bars, int) {
                                auto got = GarbageIntSeries(), want = GarbageIntSeries();
                                ComputeDeviationRate(bars, got.get(), n1, n2, scratch.set);
                                literal::DeviationRate(bars, want.get(), n1, n2);
                                return Difference(*got, *want);
                              }),
              "")
        << n1 << ", " << n2;
  }
}

TEST(TrendKernelsMatchLiteral, DeviationFromAnyAverage) {
  std::mt19937 random(32);
  for (BarsKind kind : kAllBarsKinds) {
    const auto bars = MakeBars(kind, kMaxBars, static_cast<uint32_t>(random()));
    for (const auto& range : {std::pair<int32_t, int32_t>{INT32_MIN, INT32_MAX}, {-2, 3}, {1, 200000}}) {
      const auto average = RandomIntSeries(kMaxBars, range.first, range.second, static_cast<uint32_t>(random()));
      auto got = GarbageIntSeries(), want = GarbageIntSeries();
      ComputeDeviationFromAverage(*bars, *average, got.get());
      literal::DeviationFromAverage(*bars, *average, want.get());
      ASSERT_EQ(SeriesDifference(*got, *want), "") << BarsKindName(kind);
    }
  }
}

// ---- Bollinger bands -----------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, BollingerBands) {
  ScratchHolder scratch;
  EXPECT_EQ(FirstDifference({-1, 0, 1, 2, 3, 20, 25, 75, 2560, 5120, 5121, 65535}, 33,
                            [&](const BarSeries& bars, int n) {
                              BandSeries got, want;
                              auto gotTypical = GarbageIntSeries(), wantTypical = GarbageIntSeries();
                              ComputeBollingerBands(bars, gotTypical.get(), got.pointers, n, scratch.set);
                              literal::BollingerBands(bars, wantTypical.get(), want.pointers, n);
                              std::string difference = Difference(*gotTypical, *wantTypical);
                              for (int b = 0; b < 7; ++b) difference += Difference(*got.pointers[b], *want.pointers[b]);
                              return difference;
                            }),
            "");
}

TEST(TrendKernelsExamples, BollingerWorkedExampleAndShortSeries) {
  ScratchHolder scratch;
  BandSeries bands;
  auto typical = GarbageIntSeries();
  ComputeBollingerBands(*BarsFromCloses({10, 20, 30, 40}), typical.get(), bands.pointers, 2, scratch.set);
  EXPECT_EQ(Values(*typical), (Ints{10, 20, 30, 40}));
  EXPECT_EQ(Values(*bands.pointers[0]), (Reals{15, 15, 25, 35}));
  // Squares 0, 0, 25, 25 (below N they are 0); variance 0, 0, 12.5, 25.
  const double sigma2 = std::sqrt(12.5);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(Values(*bands.pointers[2 * k - 1]), (Reals{15, 15, 25 + k * sigma2, 35 + 5.0 * k})) << k;
    EXPECT_EQ(Values(*bands.pointers[2 * k]), (Reals{15, 15, 25 - k * sigma2, 35 - 5.0 * k})) << k;
  }
  // A series shorter than the period has every band at the typical price.
  auto bars = BarsFromCloses({100, 200});
  bars->bars[0].high = 110;
  bars->bars[0].low = 91;  // (110 + 91 + 100) / 3 = 100.33 -> 100
  ComputeBollingerBands(*bars, typical.get(), bands.pointers, 25, scratch.set);
  EXPECT_EQ(Values(*typical), (Ints{100, 200}));
  for (int b = 0; b < 7; ++b) EXPECT_EQ(Values(*bands.pointers[b]), (Reals{100, 200})) << b;
  // Typical prices of top prices do not overflow.
  ComputeBollingerBands(*BarsFromCloses(Ints(30, INT32_MAX)), typical.get(), bands.pointers, 25, scratch.set);
  EXPECT_EQ(Values(*typical), Ints(30, INT32_MAX));
  for (int b = 0; b < 7; ++b) EXPECT_EQ(Values(*bands.pointers[b]), Reals(30, INT32_MAX)) << b;
}

// ---- Ichimoku ---------------------------------------------------------------------------------------

const std::pair<RealBarsKernel, RealBarsKernel> kIchimokuKernels[] = {
    {ComputeIchimokuConversion, literal::IchimokuConversion},
    {ComputeIchimokuBase, literal::IchimokuBase},
    {ComputeIchimokuSpanB, literal::IchimokuSpanB}};

TEST(TrendKernelsMatchLiteral, IchimokuLines) {
  for (const auto& [fast, slow] : kIchimokuKernels) {
    EXPECT_EQ(FirstDifference({9, 26, 30, 52}, 34,
                              [fast = fast, slow = slow](const BarSeries& bars, int) {
                                auto got = GarbageRealSeries(), want = GarbageRealSeries();
                                fast(bars, got.get());
                                slow(bars, want.get());
                                return Difference(*got, *want);
                              }),
              "");
  }
  std::mt19937 random(35);
  // Highs and lows in runs of rises, falls and repeats, to stress the window queues.
  auto bars = MakeBars(BarsKind::kRandomWalk, kMaxBars, 1);
  int32_t level = 1000;
  for (int i = 0; i < kMaxBars; ++i) {
    const int phase = (i / 60) % 4;
    level += phase == 0 ? 3 : phase == 1 ? -3 : phase == 2 ? 0 : static_cast<int32_t>(random() % 7) - 3;
    bars->bars[i].high = level + 5;
    bars->bars[i].low = level - 5;
  }
  for (const auto& [fast, slow] : kIchimokuKernels) {
    auto got = GarbageRealSeries(), want = GarbageRealSeries();
    fast(*bars, got.get());
    slow(*bars, want.get());
    EXPECT_EQ(SeriesDifference(*got, *want), "") << "monotonic runs";
  }
}

// Span A, the lagging line, and a parabolic of fewer than three bars (the close).
TEST(TrendKernelsExamples, SpanALaggingLineAndShortParabolic) {
  RealSeries a{}, b{};
  a.count = b.count = 3;
  const double as[] = {1, 2, 3.5}, bs[] = {2, 2, 0.5};
  std::copy(as, as + 3, a.values);
  std::copy(bs, bs + 3, b.values);
  auto out = GarbageRealSeries();
  AverageRealSeries(a, b, out.get());
  EXPECT_EQ(Values(*out), (Reals{1.5, 2, 2}));
  CopyCloseToRealSeries(*BarsFromCloses({5, 6, INT32_MAX}), out.get());
  EXPECT_EQ(Values(*out), (Reals{5, 6, 2147483647.0}));
  EXPECT_TRUE(TailUntouched(*out, 3));
  auto position = GarbageIntSeries();
  ComputeParabolicSar(*BarsFromCloses({7, 9}), out.get(), position.get());
  EXPECT_EQ(Values(*out), (Reals{7, 9}));
  EXPECT_EQ(Values(*position), (Ints{0, 0}));
}

// ---- Parabolic SAR -------------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, ParabolicSar) {
  EXPECT_EQ(FirstDifference({3, 17}, 36,
                            [](const BarSeries& bars, int) {
                              auto gotSar = GarbageRealSeries(), wantSar = GarbageRealSeries();
                              auto gotPosition = GarbageIntSeries(), wantPosition = GarbageIntSeries();
                              ComputeParabolicSar(bars, gotSar.get(), gotPosition.get());
                              literal::ParabolicSar(bars, wantSar.get(), wantPosition.get());
                              return Difference(*gotSar, *wantSar) + Difference(*gotPosition, *wantPosition);
                            }),
            "");
}

// ---- Whole stocks on reused buffers -------------------------------------------------------------------

// Every series of this file's and the other average and volume kernels for one stock.
struct StockOutputs {
  std::unique_ptr<IntSeries> ints[16];
  std::unique_ptr<RealSeries> reals[19];
  explicit StockOutputs(uint8_t fill) {
    for (auto& series : ints) series = Filled<IntSeries>(fill);
    for (auto& series : reals) series = Filled<RealSeries>(fill);
  }
};

void ComputeStock(const BarSeries& bars, StockOutputs* out, KernelScratchSet& scratch) {
  const IndicatorParameterSet p = GetDefaultIndicatorParameters(0);
  auto& i = out->ints;
  auto& r = out->reals;
  for (int k = 0; k < 6; ++k) ComputeCloseAverageReal(bars, r[k].get(), p.slot[kParamCloseAverage0 + k]);
  ComputeVolumeAverage(bars, i[0].get(), p.slot[kParamVolumeAverage0]);
  ComputeVolumeAverage(bars, i[1].get(), p.slot[kParamVolumeAverage0 + 1]);
  for (int k = 0; k < 3; ++k) ComputeDeviationRate(bars, i[2 + k].get(), p.slot[kParamDeviation0 + k], 25, scratch);
  SmoothExponentialScaled(bars, i[5].get(), p.slot[kParamMacdShort]);
  SmoothExponentialScaled(bars, i[6].get(), p.slot[kParamMacdLong]);
  SubtractIntSeries(*i[5], *i[6], i[7].get());
  ComputeSimpleAverage(*i[7], i[8].get(), p.slot[kParamMacdSignal]);
  SmoothExponentialPrices(bars, i[9].get(), p.slot[kParamSrocEma]);
  ComputeRateOfChange(*i[9], i[10].get(), p.slot[kParamSrocSpan]);
  ComputeVolumeRatio(bars, i[11].get(), p.slot[kParamVolumeRatio]);
  ComputeObv(bars, i[12].get(), 100, scratch);
  SmoothExponentialSeries(*i[12], i[13].get(), p.slot[kParamObvEma]);
  ComputeIchimokuConversion(bars, r[6].get());
  ComputeIchimokuBase(bars, r[7].get());
  AverageRealSeries(*r[6], *r[7], r[8].get());
  ComputeIchimokuSpanB(bars, r[9].get());
  CopyCloseToRealSeries(bars, r[10].get());
  RealSeries* bands[7];
  for (int b = 0; b < 7; ++b) bands[b] = r[11 + b].get();
  ComputeBollingerBands(bars, i[14].get(), bands, p.slot[kParamBollinger], scratch);
  ComputeParabolicSar(bars, r[18].get(), i[15].get());
}

// "" when every series of a is b's, else the first difference. With k >= 0, b is cut to its first
// k values and the MACD lines are left out: they are scaled by the largest close of the whole series.
std::string OutputDifference(const StockOutputs& a, const StockOutputs& b, int k = -1) {
  const auto cut = [k](auto series) {
    if (k >= 0) series.count = k;
    return series;
  };
  for (int i = 0; i < 16; ++i) {
    if (k >= 0 && i >= 5 && i <= 8) continue;
    if (const std::string d = SeriesDifference(*a.ints[i], cut(*b.ints[i])); !d.empty())
      return "int " + std::to_string(i) + ": " + d;
  }
  for (int i = 0; i < 19; ++i)
    if (const std::string d = SeriesDifference(*a.reals[i], cut(*b.reals[i])); !d.empty())
      return "real " + std::to_string(i) + ": " + d;
  return "";
}

TEST(TrendKernelsReuse, SameStockGivesTheSameSeriesWhateverWasComputedBefore) {
  ScratchHolder scratch(0);
  for (BarsKind kind : kAllBarsKinds) {
    for (int count : {0, 1, 2, 20, 24, 25, 26, 27, 60, 1050, 245, kMergeBarCap}) {
      const auto stock = MakeBars(kind, count, 41);
      StockOutputs clean(0), reused(kGarbage);
      ComputeStock(*stock, &clean, scratch.set);
      scratch.Fill();
      ComputeStock(*stock, &reused, scratch.set);
      ASSERT_EQ(OutputDifference(reused, clean), "") << CaseName(kind, count, 0) << " on garbage";
      // A longer, different stock first leaves its values in every buffer.
      ComputeStock(*MakeBars(BarsKind::kRandomWalk, kMaxBars, 42), &reused, scratch.set);
      ComputeStock(*stock, &reused, scratch.set);
      ASSERT_EQ(OutputDifference(reused, clean), "") << CaseName(kind, count, 0) << " after another stock";
    }
  }
}

// Past the longest warm-up (200 bars), the first k bars give the first k values of the whole run.
TEST(TrendKernelsReuse, FirstKBarsGiveTheFirstKValuesOfEverySeries) {
  ScratchHolder scratch;
  const auto bars = MakeBars(BarsKind::kRandomWalk, kMergeBarCap, 43);
  StockOutputs full(kGarbage), part(kGarbage);
  ComputeStock(*bars, &full, scratch.set);
  for (int k : {201, 202, 1000, kMergeBarCap - 1}) {
    ComputeStock(*Prefix(*bars, k), &part, scratch.set);
    EXPECT_EQ(OutputDifference(part, full, k), "") << k << " bars";
  }
}

}  // namespace
