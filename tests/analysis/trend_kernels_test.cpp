// Deviation rate, Bollinger bands, Ichimoku and parabolic SAR against the
// literal kernels, worked examples, and whole-stock runs on reused buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <random>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

struct ScratchHolder {
  KernelScratchSet set{};
  ScratchHolder() {
    EXPECT_TRUE(AllocateKernelScratchSet(&set));
    FillWithGarbage();
  }
  ~ScratchHolder() { FreeKernelScratchSet(&set); }
  void FillWithGarbage() {
    for (IntSeries* series : set.ints) std::memset(series, kGarbage, sizeof(IntSeries));
    for (RealSeries* series : set.reals) std::memset(series, kGarbage, sizeof(RealSeries));
  }
};

struct BandSeries {
  std::unique_ptr<RealSeries> series[7];
  RealSeries* pointers[7];
  BandSeries() {
    for (int b = 0; b < 7; ++b) {
      series[b] = GarbageRealSeries();
      pointers[b] = series[b].get();
    }
  }
};

std::vector<double> Values(const RealSeries& series) {
  return std::vector<double>(series.values, series.values + series.count);
}

std::vector<int32_t> Values(const IntSeries& series) {
  return std::vector<int32_t>(series.values, series.values + series.count);
}

// ---- Deviation rate --------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, DeviationRate) {
  const std::pair<int, int> kPeriodPairs[] = {{6, 0},  {26, 0},      {75, 0},    {6, 3},         {6, 4},
                                              {25, 75}, {0, -1},     {1, 1},     {5120, 4},      {200, 5121},
                                              {13, 65535}, {65535, 65535}, {-3, 10}};
  std::mt19937 random(31);
  ScratchHolder scratch;
  for (const auto& [n1, n2] : kPeriodPairs) {
    for (int count : CountsAround(literal::Period(std::max(n1, n2)), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        ComputeDeviationRate(*bars, got.get(), n1, n2, scratch.set);
        literal::DeviationRate(*bars, want.get(), n1, n2);
        ASSERT_EQ(IntDifference(*got, *want), "") << CaseName(kind, count, n1) << ", N2=" << n2;
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

TEST(TrendKernelsMatchLiteral, DeviationFromAnyAverage) {
  std::mt19937 random(32);
  for (BarsKind kind : kAllBarsKinds) {
    const auto bars = MakeBars(kind, kMaxBars, static_cast<uint32_t>(random()));
    for (const auto& range : {std::pair<int32_t, int32_t>{INT32_MIN, INT32_MAX}, {-2, 3}, {1, 200000}}) {
      const auto average = RandomIntSeries(kMaxBars, range.first, range.second, static_cast<uint32_t>(random()));
      auto got = GarbageIntSeries();
      auto want = GarbageIntSeries();
      ComputeDeviationFromAverage(*bars, *average, got.get());
      literal::DeviationFromAverage(*bars, *average, want.get());
      ASSERT_EQ(IntDifference(*got, *want), "") << BarsKindName(kind);
    }
  }
}

TEST(TrendKernelsExamples, DeviationUsesTheCoarseFormFromACloseOf100000) {
  const auto bars = BarsFromCloses({99999, 100000, 150001, 123456, 2147483647, 500});
  IntSeries average{};
  average.count = 6;
  const int32_t averages[] = {100000, 99999, 100000, 100000, 1, 0};
  for (int i = 0; i < 6; ++i) average.values[i] = averages[i];
  auto out = GarbageIntSeries();
  ComputeDeviationFromAverage(*bars, average, out.get());
  // 999990000 / 100000 - 10000; (10000000 / 99999 - 100) * 100; (15000100 / 100000 - 100) * 100; ...
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{-1, 0, 5000, 2300, INT32_MAX, 0}));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(out->values[i] % 100, 0) << i;
}

TEST(TrendKernelsExamples, DeviationRateAddsTheSecondLineOnlyFromAPeriodOfFour) {
  const auto bars = BarsFromCloses({100, 110, 120, 130, 140, 150, 160});
  ScratchHolder scratch;
  auto one = GarbageIntSeries();
  auto two = GarbageIntSeries();
  ComputeDeviationRate(*bars, one.get(), 2, 3, scratch.set);
  auto single = GarbageIntSeries();
  ComputeDeviationRate(*bars, single.get(), 2, 0, scratch.set);
  EXPECT_EQ(IntDifference(*one, *single), "") << "a second period below 4 is none";
  // Closes 100..160, N1 = 2: averages 105, 105, 115, ... ; N2 = 4: 115, 115, 115, 115, 125, 135, 145.
  ComputeDeviationRate(*bars, two.get(), 2, 4, scratch.set);
  auto firstAverage = GarbageIntSeries();
  ComputeCloseAverage(*bars, firstAverage.get(), 2);
  EXPECT_EQ(Values(*firstAverage), (std::vector<int32_t>{105, 105, 115, 125, 135, 145, 155}));
  EXPECT_EQ(one->values[2], 120 * 10000 / 115 - 10000);
  EXPECT_EQ(two->values[6], (160 * 10000 / 155 - 10000) + (160 * 10000 / 145 - 10000));
}

// ---- Bollinger bands -----------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, BollingerBands) {
  constexpr int kPeriods[] = {-1, 0, 1, 2, 3, 20, 25, 75, 2560, 5120, 5121, 65535};
  std::mt19937 random(33);
  ScratchHolder scratch;
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        BandSeries got;
        BandSeries want;
        auto gotTypical = GarbageIntSeries();
        auto wantTypical = GarbageIntSeries();
        ComputeBollingerBands(*bars, gotTypical.get(), got.pointers, n, scratch.set);
        literal::BollingerBands(*bars, wantTypical.get(), want.pointers, n);
        ASSERT_EQ(IntDifference(*gotTypical, *wantTypical), "") << CaseName(kind, count, n);
        for (int b = 0; b < 7; ++b) {
          ASSERT_EQ(RealDifference(*got.pointers[b], *want.pointers[b]), "") << CaseName(kind, count, n) << ", band " << b;
          ASSERT_TRUE(TailUntouched(*got.pointers[b], count));
        }
      }
    }
  }
}

TEST(TrendKernelsExamples, BollingerWorkedExample) {
  const auto bars = BarsFromCloses({10, 20, 30, 40});
  ScratchHolder scratch;
  BandSeries bands;
  auto typical = GarbageIntSeries();
  ComputeBollingerBands(*bars, typical.get(), bands.pointers, 2, scratch.set);
  EXPECT_EQ(Values(*typical), (std::vector<int32_t>{10, 20, 30, 40}));
  EXPECT_EQ(Values(*bands.pointers[0]), (std::vector<double>{15, 15, 25, 35}));
  // Squares 0, 0, 25, 25 (below N they are 0); variance 0, 0, 12.5, 25.
  const double sigma2 = std::sqrt(12.5);
  EXPECT_EQ(Values(*bands.pointers[1]), (std::vector<double>{15, 15, 25 + sigma2, 40}));
  EXPECT_EQ(Values(*bands.pointers[2]), (std::vector<double>{15, 15, 25 - sigma2, 30}));
  EXPECT_EQ(Values(*bands.pointers[3]), (std::vector<double>{15, 15, 25 + 2 * sigma2, 45}));
  EXPECT_EQ(Values(*bands.pointers[4]), (std::vector<double>{15, 15, 25 - 2 * sigma2, 25}));
  EXPECT_EQ(Values(*bands.pointers[5]), (std::vector<double>{15, 15, 25 + 3 * sigma2, 50}));
  EXPECT_EQ(Values(*bands.pointers[6]), (std::vector<double>{15, 15, 25 - 3 * sigma2, 20}));
}

TEST(TrendKernelsExamples, BollingerShortSeriesHasEveryBandAtTheTypicalPrice) {
  auto bars = BarsFromCloses({100, 200});
  bars->bars[0].high = 110;
  bars->bars[0].low = 91;  // (110 + 91 + 100) / 3 = 100.33 -> 100
  ScratchHolder scratch;
  BandSeries bands;
  auto typical = GarbageIntSeries();
  ComputeBollingerBands(*bars, typical.get(), bands.pointers, 25, scratch.set);
  EXPECT_EQ(Values(*typical), (std::vector<int32_t>{100, 200}));
  for (int b = 0; b < 7; ++b) EXPECT_EQ(Values(*bands.pointers[b]), (std::vector<double>{100, 200})) << b;
}

TEST(TrendKernelsExamples, BollingerTypicalPriceOfTopPricesDoesNotOverflow) {
  const auto bars = BarsFromCloses(std::vector<int32_t>(30, INT32_MAX));
  ScratchHolder scratch;
  BandSeries bands;
  auto typical = GarbageIntSeries();
  ComputeBollingerBands(*bars, typical.get(), bands.pointers, 25, scratch.set);
  EXPECT_EQ(Values(*typical), (std::vector<int32_t>(30, INT32_MAX)));
  for (int b = 0; b < 7; ++b) EXPECT_EQ(Values(*bands.pointers[b]), (std::vector<double>(30, INT32_MAX))) << b;
}

// ---- Ichimoku ---------------------------------------------------------------------------------------

using RealBarsKernel = void (*)(const BarSeries&, RealSeries*);

TEST(TrendKernelsMatchLiteral, IchimokuLines) {
  const std::pair<RealBarsKernel, RealBarsKernel> kKernels[] = {
      {ComputeIchimokuConversion, literal::IchimokuConversion},
      {ComputeIchimokuBase, literal::IchimokuBase},
      {ComputeIchimokuSpanB, literal::IchimokuSpanB}};
  std::mt19937 random(34);
  for (const auto& [fast, slow] : kKernels) {
    for (int count : {0, 1, 9, 26, 29, 30, 31, 32, 51, 52, 53, 54, 200, kMergeBarCap, kMaxBars}) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageRealSeries();
        auto want = GarbageRealSeries();
        fast(*bars, got.get());
        slow(*bars, want.get());
        ASSERT_EQ(RealDifference(*got, *want), "") << CaseName(kind, count, 0);
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

// Highs and lows in every order: runs of rises, falls and repeats, to stress the window queues.
TEST(TrendKernelsMatchLiteral, IchimokuOverMonotonicRunsAndRepeats) {
  std::mt19937 random(35);
  auto bars = MakeBars(BarsKind::kRandomWalk, kMaxBars, 1);
  int32_t level = 1000;
  for (int i = 0; i < kMaxBars; ++i) {
    const int phase = (i / 60) % 4;
    level += phase == 0 ? 3 : phase == 1 ? -3 : phase == 2 ? 0 : static_cast<int32_t>(random() % 7) - 3;
    bars->bars[i].high = level + 5;
    bars->bars[i].low = level - 5;
  }
  for (RealBarsKernel fast : {ComputeIchimokuConversion, ComputeIchimokuBase, ComputeIchimokuSpanB}) {
    auto got = GarbageRealSeries();
    auto want = GarbageRealSeries();
    fast(*bars, got.get());
    if (fast == ComputeIchimokuConversion) literal::IchimokuConversion(*bars, want.get());
    if (fast == ComputeIchimokuBase) literal::IchimokuBase(*bars, want.get());
    if (fast == ComputeIchimokuSpanB) literal::IchimokuSpanB(*bars, want.get());
    EXPECT_EQ(RealDifference(*got, *want), "");
  }
}

std::unique_ptr<BarSeries> RisingRangeBars(int count) {
  auto bars = MakeBars(BarsKind::kFlat, count, 0);
  for (int i = 0; i < count; ++i) {
    bars->bars[i].high = i + 10;
    bars->bars[i].low = i;
  }
  return bars;
}

TEST(TrendKernelsExamples, IchimokuStaysZeroUntilTheSeriesPassesTheFirstComputedBar) {
  auto out = GarbageRealSeries();
  ComputeIchimokuConversion(*RisingRangeBars(30), out.get());
  EXPECT_EQ(Values(*out), std::vector<double>(30, 0.0));
  ComputeIchimokuSpanB(*RisingRangeBars(52), out.get());
  EXPECT_EQ(Values(*out), std::vector<double>(52, 0.0));
}

TEST(TrendKernelsExamples, IchimokuWorkedValuesAndBackfill) {
  auto out = GarbageRealSeries();
  const auto bars = RisingRangeBars(53);
  // Bar 30: highest high 40; lowest low of 9 bars is bar 22's, of 26 bars bar 5's.
  ComputeIchimokuConversion(*bars, out.get());
  EXPECT_EQ(out->values[0], 31.0);
  EXPECT_EQ(out->values[30], 31.0);
  EXPECT_EQ(out->values[31], 32.0);
  ComputeIchimokuBase(*bars, out.get());
  EXPECT_EQ(out->values[0], 22.5);
  EXPECT_EQ(out->values[30], 22.5);
  ComputeIchimokuSpanB(*bars, out.get());
  EXPECT_EQ(Values(*out), std::vector<double>(53, 31.5));  // (62 + 1) / 2
}

TEST(TrendKernelsExamples, IchimokuHighestStartsFromZeroAndSumsDoNotOverflow) {
  auto bars = RisingRangeBars(40);
  for (int i = 0; i < 40; ++i) {
    bars->bars[i].high = -50;
    bars->bars[i].low = -60;
  }
  auto out = GarbageRealSeries();
  ComputeIchimokuBase(*bars, out.get());
  EXPECT_EQ(out->values[35], -30.0);
  for (int i = 0; i < 40; ++i) bars->bars[i].high = bars->bars[i].low = INT32_MAX;
  ComputeIchimokuConversion(*bars, out.get());
  EXPECT_EQ(out->values[39], 2147483647.0);
}

TEST(TrendKernelsExamples, SpanAAndLaggingLine) {
  RealSeries a{};
  RealSeries b{};
  a.count = b.count = 3;
  a.values[0] = 1;
  a.values[1] = 2;
  a.values[2] = 3.5;
  b.values[0] = 2;
  b.values[1] = 2;
  b.values[2] = 0.5;
  auto out = GarbageRealSeries();
  AverageRealSeries(a, b, out.get());
  EXPECT_EQ(Values(*out), (std::vector<double>{1.5, 2, 2}));
  CopyCloseToRealSeries(*BarsFromCloses({5, 6, INT32_MAX}), out.get());
  EXPECT_EQ(Values(*out), (std::vector<double>{5, 6, 2147483647.0}));
  EXPECT_TRUE(TailUntouched(*out, 3));
}

// ---- Parabolic SAR -------------------------------------------------------------------------------------

TEST(TrendKernelsMatchLiteral, ParabolicSar) {
  std::mt19937 random(36);
  for (int count : {0, 1, 2, 3, 4, 5, 17, 300, kMergeBarCap, kMaxBars}) {
    for (BarsKind kind : kAllBarsKinds) {
      const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
      auto gotSar = GarbageRealSeries();
      auto wantSar = GarbageRealSeries();
      auto gotPosition = GarbageIntSeries();
      auto wantPosition = GarbageIntSeries();
      ComputeParabolicSar(*bars, gotSar.get(), gotPosition.get());
      literal::ParabolicSar(*bars, wantSar.get(), wantPosition.get());
      ASSERT_EQ(RealDifference(*gotSar, *wantSar), "") << CaseName(kind, count, 0);
      ASSERT_EQ(IntDifference(*gotPosition, *wantPosition), "") << CaseName(kind, count, 0);
      ASSERT_TRUE(TailUntouched(*gotSar, count));
      ASSERT_TRUE(TailUntouched(*gotPosition, count));
    }
  }
}

TEST(TrendKernelsExamples, ParabolicFactorRisesTenTimesTo0_21999999999999997) {
  // Falling start, a reversal at bar 2, then a new high every bar with lows far above the SAR.
  std::vector<PriceBar> list = {MakeBar(95, 100, 90, 95, 1), MakeBar(90, 95, 85, 90, 1), MakeBar(110, 120, 100, 115, 1)};
  for (int i = 3; i < 16; ++i) {
    const int32_t high = 120 + 37 * (i - 2);
    list.push_back(MakeBar(high - 5, high, high - 5, high - 2, 1));
  }
  auto bars = BarsFromCloses(std::vector<int32_t>(list.size(), 0));
  for (size_t i = 0; i < list.size(); ++i) bars->bars[i] = list[i];
  auto sar = GarbageRealSeries();
  auto position = GarbageIntSeries();
  ComputeParabolicSar(*bars, sar.get(), position.get());
  EXPECT_EQ(sar->values[0], 100.0);
  EXPECT_EQ(sar->values[1], 100.0);
  EXPECT_EQ(sar->values[2], 85.0) << "reversed to the extreme point";
  EXPECT_EQ(Values(*position), (std::vector<int32_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Replay with the factor the rules give: 0.02 after the reversal, raised at bars 3..12.
  double expected = 85.0;
  double factor = 0.02;
  for (int i = 3; i < 16; ++i) {
    expected = expected + (bars->bars[i - 1].high - expected) * factor;
    EXPECT_EQ(sar->values[i], expected) << i;
    if (factor < 0.2) factor += 0.02;
  }
  EXPECT_EQ(factor, 0.21999999999999997);
  // A factor ending at exactly 0.22 would have given other values.
  double other = 85.0;
  double otherFactor = 0.02;
  bool differs = false;
  for (int i = 3; i < 16; ++i) {
    other = other + (bars->bars[i - 1].high - other) * otherFactor;
    differs = differs || other != sar->values[i];
    if (otherFactor < 0.2) otherFactor = otherFactor + 0.02 > 0.2 ? 0.22 : otherFactor + 0.02;
  }
  EXPECT_TRUE(differs);
}

TEST(TrendKernelsExamples, ParabolicOfFewerThanThreeBarsIsTheClose) {
  const auto bars = BarsFromCloses({7, 9});
  auto sar = GarbageRealSeries();
  auto position = GarbageIntSeries();
  ComputeParabolicSar(*bars, sar.get(), position.get());
  EXPECT_EQ(Values(*sar), (std::vector<double>{7, 9}));
  EXPECT_EQ(Values(*position), (std::vector<int32_t>{0, 0}));
}

TEST(TrendKernelsExamples, ParabolicStartsWithAFactorOf0_2) {
  // Rising start: SAR = min(low0, low1) = 90, EP = high1 = 110; bar 2: 90 + 20 * 0.2 = 94.
  auto bars = BarsFromCloses({100, 105, 112});
  bars->bars[0] = MakeBar(100, 105, 95, 100, 1);
  bars->bars[1] = MakeBar(100, 110, 90, 105, 1);
  bars->bars[2] = MakeBar(100, 115, 100, 112, 1);
  auto sar = GarbageRealSeries();
  auto position = GarbageIntSeries();
  ComputeParabolicSar(*bars, sar.get(), position.get());
  EXPECT_EQ(Values(*sar), (std::vector<double>{90, 90, 94}));
  EXPECT_EQ(Values(*position), (std::vector<int32_t>{0, 0, 0}));
}

// ---- Whole stocks on reused buffers -------------------------------------------------------------------

// Every series of this file's and the other average and volume kernels for one stock.
struct StockOutputs {
  std::unique_ptr<IntSeries> ints[16];
  std::unique_ptr<RealSeries> reals[19];
  StockOutputs() {
    for (auto& series : ints) series = std::make_unique<IntSeries>();
    for (auto& series : reals) series = std::make_unique<RealSeries>();
  }
  void FillWithGarbage() {
    for (auto& series : ints) std::memset(series.get(), kGarbage, sizeof(IntSeries));
    for (auto& series : reals) std::memset(series.get(), kGarbage, sizeof(RealSeries));
  }
};

void ComputeStock(const BarSeries& bars, StockOutputs* out, KernelScratchSet& scratch) {
  const IndicatorParameterSet p = GetDefaultIndicatorParameters(0);
  for (int k = 0; k < 6; ++k) ComputeCloseAverageReal(bars, out->reals[k].get(), p.slot[k]);
  ComputeVolumeAverage(bars, out->ints[0].get(), p.slot[6]);
  ComputeVolumeAverage(bars, out->ints[1].get(), p.slot[7]);
  for (int k = 0; k < 3; ++k) ComputeDeviationRate(bars, out->ints[2 + k].get(), p.slot[14 + k], 25, scratch);
  SmoothExponentialScaled(bars, out->ints[5].get(), p.slot[23]);
  SmoothExponentialScaled(bars, out->ints[6].get(), p.slot[24]);
  SubtractIntSeries(*out->ints[5], *out->ints[6], out->ints[7].get());
  ComputeSimpleAverage(*out->ints[7], out->ints[8].get(), p.slot[25]);
  SmoothExponentialPrices(bars, out->ints[9].get(), p.slot[29]);
  ComputeRateOfChange(*out->ints[9], out->ints[10].get(), p.slot[30]);
  ComputeVolumeRatio(bars, out->ints[11].get(), p.slot[37]);
  ComputeObv(bars, out->ints[12].get(), 100, scratch);
  SmoothExponentialSeries(*out->ints[12], out->ints[13].get(), p.slot[34]);
  ComputeIchimokuConversion(bars, out->reals[6].get());
  ComputeIchimokuBase(bars, out->reals[7].get());
  AverageRealSeries(*out->reals[6], *out->reals[7], out->reals[8].get());
  ComputeIchimokuSpanB(bars, out->reals[9].get());
  CopyCloseToRealSeries(bars, out->reals[10].get());
  RealSeries* bands[7];
  for (int b = 0; b < 7; ++b) bands[b] = out->reals[11 + b].get();
  ComputeBollingerBands(bars, out->ints[14].get(), bands, p.slot[35], scratch);
  ComputeParabolicSar(bars, out->reals[18].get(), out->ints[15].get());
}

// "" when every series is the same, else the first difference.
std::string OutputDifference(const StockOutputs& a, const StockOutputs& b) {
  for (int k = 0; k < 16; ++k) {
    const std::string difference = IntDifference(*a.ints[k], *b.ints[k]);
    if (!difference.empty()) return "int " + std::to_string(k) + ": " + difference;
  }
  for (int k = 0; k < 19; ++k) {
    const std::string difference = RealDifference(*a.reals[k], *b.reals[k]);
    if (!difference.empty()) return "real " + std::to_string(k) + ": " + difference;
  }
  return "";
}

TEST(TrendKernelsReuse, SameStockGivesTheSameSeriesWhateverWasComputedBefore) {
  ScratchHolder scratch;
  for (BarsKind kind : kAllBarsKinds) {
    for (int count : {0, 1, 2, 20, 24, 25, 26, 27, 60, 1050, 245, kMergeBarCap}) {
      const auto stock = MakeBars(kind, count, 41);
      StockOutputs clean;
      ComputeStock(*stock, &clean, scratch.set);

      StockOutputs reused;
      reused.FillWithGarbage();
      scratch.FillWithGarbage();
      ComputeStock(*stock, &reused, scratch.set);
      ASSERT_EQ(OutputDifference(reused, clean), "") << CaseName(kind, count, 0) << " on garbage";

      // A longer, different stock first leaves its values in every buffer.
      ComputeStock(*MakeBars(BarsKind::kRandomWalk, kMaxBars, 42), &reused, scratch.set);
      ComputeStock(*stock, &reused, scratch.set);
      ASSERT_EQ(OutputDifference(reused, clean), "") << CaseName(kind, count, 0) << " after another stock";
    }
  }
}

// ---- Prefixes --------------------------------------------------------------------------------------------

TEST(TrendKernelsPrefix, FirstKBarsGiveTheFirstKValues) {
  const auto bars = MakeBars(BarsKind::kRandomWalk, kMergeBarCap, 43);
  ScratchHolder scratch;
  auto fullInt = GarbageIntSeries();
  auto partInt = GarbageIntSeries();
  auto fullReal = GarbageRealSeries();
  auto partReal = GarbageRealSeries();
  for (int k : {53, 54, 75, 76, 300, 4000, kMergeBarCap}) {
    const auto part = Prefix(*bars, k);
    if (k >= 75) {
      ComputeDeviationRate(*bars, fullInt.get(), 26, 75, scratch.set);
      ComputeDeviationRate(*part, partInt.get(), 26, 75, scratch.set);
      EXPECT_EQ(PrefixDifference(*partInt, *fullInt, k), "") << "deviation, k=" << k;
    }
    for (RealBarsKernel kernel : {ComputeIchimokuConversion, ComputeIchimokuBase, ComputeIchimokuSpanB,
                                  CopyCloseToRealSeries}) {
      kernel(*bars, fullReal.get());
      kernel(*part, partReal.get());
      EXPECT_EQ(PrefixDifference(*partReal, *fullReal, k), "") << "Ichimoku, k=" << k;
    }
    auto fullSar = GarbageRealSeries();
    ComputeParabolicSar(*bars, fullSar.get(), fullInt.get());
    ComputeParabolicSar(*part, partReal.get(), partInt.get());
    EXPECT_EQ(PrefixDifference(*partReal, *fullSar, k), "") << "SAR, k=" << k;
    EXPECT_EQ(PrefixDifference(*partInt, *fullInt, k), "") << "parabolic position, k=" << k;
    BandSeries full;
    BandSeries partBands;
    auto typical = GarbageIntSeries();
    ComputeBollingerBands(*bars, typical.get(), full.pointers, 25, scratch.set);
    ComputeBollingerBands(*part, typical.get(), partBands.pointers, 25, scratch.set);
    for (int b = 0; b < 7; ++b) EXPECT_EQ(PrefixDifference(*partBands.pointers[b], *full.pointers[b], k), "") << b;
  }
}

}  // namespace
