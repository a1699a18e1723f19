// The averages, rate of change, volume, deviation, Bollinger, Ichimoku and
// parabolic kernels and the library functions against the literal kernels,
// with a case random series miss and the two lines without a literal twin;
// parameter defaults, scratch sets and the series arithmetic and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "shell/settings.h"
#include "tests/analysis/literal_kernels.h"
#include "tests/support/global_state.h"

namespace {

using namespace kernel_test;
using Ints = std::vector<int32_t>;
using Reals = std::vector<double>;
using RealBarsKernel = void (*)(const BarSeries&, RealSeries*);

const std::vector<int> kPeriods = {-5, 0, 1, 2, 3, 5, 13, 25, 75, 200, 2560, 5119, 5120, 5121, 65535};

// Every period, every count around it, every variant of input make(variant, count, seed) gives.
template <typename In, typename Out, typename Make>
void ExpectMatches(void (*fast)(const In&, Out*, int), void (*slow)(const In&, Out*, int), int variants, Make make) {
  std::mt19937 random(11);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (int v = 0; v < variants; ++v) {
        const auto in = make(v, count, static_cast<uint32_t>(random()));
        auto got = Filled<Out>(kGarbage), want = Filled<Out>(kGarbage);
        fast(*in, got.get(), n);
        slow(*in, want.get(), n);
        ASSERT_EQ(Difference(*got, *want), "") << "variant " << v << ", " << count << " values, N=" << n;
      }
    }
  }
}

// Integer inputs of several ranges, the full 32-bit one included.
std::unique_ptr<IntSeries> OfRange(int v, int count, uint32_t seed) {
  constexpr int32_t kRanges[][2] = {{0, 10000}, {-500, 500}, {INT32_MIN, INT32_MAX}, {7, 7}, {0, 1}};
  return RandomIntSeries(count, kRanges[v][0], kRanges[v][1], seed);
}

// Mixed magnitudes make the order of summation show.
std::unique_ptr<RealSeries> OfShape(int shape, int count, uint32_t seed) {
  std::mt19937 random(seed);
  auto in = GarbageRealSeries();
  in->count = count;
  for (int i = 0; i < count; ++i) {
    const double big = (i % 7 == 0) ? 1e15 : 0.0;
    in->values[i] = shape == 0   ? std::uniform_real_distribution<double>(-1e6, 1e6)(random)
                    : shape == 1 ? std::uniform_real_distribution<double>(0.0, 1e-3)(random) + big
                                 : 0.1 * (i % 10);
  }
  return in;
}

TEST(AverageKernelsMatchLiteral, OverSeriesAndBarsAndAShortScaledAverage) {
  ExpectMatches(ComputeSimpleAverage, literal::SimpleAverage, 5, OfRange);
  ExpectMatches(SmoothExponentialSeries, literal::ExponentialSeries, 5, OfRange);
  ExpectMatches(ComputeRateOfChange, literal::RateOfChange, 5, OfRange);
  ExpectMatches(ComputeRealAverage, literal::RealAverage, 3, OfShape);
  using Kernel = void (*)(const BarSeries&, IntSeries*, int);
  const std::pair<Kernel, Kernel> kernels[] = {{ComputeCloseAverage, literal::CloseAverage},
                                               {ComputeVolumeAverage, literal::VolumeAverage},
                                               {SmoothExponentialPrices, literal::ExponentialPrices},
                                               {SmoothExponentialScaled, literal::ExponentialScaled}};
  for (const auto& [fast, slow] : kernels) EXPECT_EQ(FirstDifference(kPeriods, 11, fast, slow), "");
  EXPECT_EQ(FirstDifference(kPeriods, 12, ComputeCloseAverageReal, literal::CloseAverageReal), "");
  // MACD's long average over fewer bars than its period must stay in the short
  // one's units; a close scaled beyond 32 bits saturates.
  auto shortEma = GarbageIntSeries(), longEma = GarbageIntSeries();
  SmoothExponentialScaled(*BarsFromCloses({100, 200, 250, 125}), shortEma.get(), 2);
  SmoothExponentialScaled(*BarsFromCloses({100, 200, 250, 125}), longEma.get(), 26);
  EXPECT_EQ(Values(*longEma), (Ints{100 * 4096, 200 * 4096, 250 * 4096, 125 * 4096}));
  EXPECT_EQ(shortEma->values[0], 150 * 4096);
  SmoothExponentialScaled(*BarsFromCloses({INT32_MAX, 1, 1}), longEma.get(), 1);
  EXPECT_EQ(Values(*longEma), (Ints{INT32_MAX, 1 << 20, 1 << 20}));
}

TEST(VolumeKernelsMatchLiteral, ObvAndVolumeRatio) {
  ScratchHolder scratch;
  for (int unit : {-1, 0, 1, 100, INT32_MAX}) {
    EXPECT_EQ(FirstDifference({20, 300}, 51,
                              [&](const BarSeries& bars, int) {
                                auto got = GarbageIntSeries(), want = GarbageIntSeries();
                                ComputeObv(bars, got.get(), unit, scratch.set);
                                literal::Obv(bars, want.get(), unit);
                                return Difference(*got, *want);
                              }),
              "")
        << "unit " << unit;
  }
  EXPECT_EQ(FirstDifference({-2, 0, 1, 2, 3, 5, 25, 75, 2560, 5118, 5119, 5120, 65535}, 52, ComputeVolumeRatio,
                            literal::VolumeRatio),
            "");
}

TEST(TrendKernelsMatchLiteral, DeviationRateAndDeviationFromAnyAverage) {
  ScratchHolder scratch;
  constexpr int kPeriodPairs[][2] = {{6, 0}, {26, 0},   {6, 3},      {6, 4},      {25, 75},       {0, -1},
                                     {1, 1}, {5120, 4}, {200, 5121}, {13, 65535}, {65535, 65535}, {-3, 10}};
  for (const auto& [n1, n2] : kPeriodPairs) {
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
  // Any average, not only those of the closes.
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

TEST(TrendKernelsMatchLiteral, BollingerBandsAndParabolicSar) {
  ScratchHolder scratch;
  EXPECT_EQ(FirstDifference({-1, 0, 1, 2, 3, 20, 25, 75, 2560, 5120, 5121, 65535}, 33,
                            [&](const BarSeries& bars, int n) {
                              std::unique_ptr<RealSeries> owned[14];
                              RealSeries* bands[14];  // the kernel's seven, then the literal seven
                              for (int b = 0; b < 14; ++b) bands[b] = (owned[b] = GarbageRealSeries()).get();
                              auto gotTypical = GarbageIntSeries(), wantTypical = GarbageIntSeries();
                              ComputeBollingerBands(bars, gotTypical.get(), bands, n, scratch.set);
                              literal::BollingerBands(bars, wantTypical.get(), bands + 7, n);
                              std::string difference = Difference(*gotTypical, *wantTypical);
                              for (int b = 0; b < 7; ++b) difference += Difference(*bands[b], *bands[7 + b]);
                              return difference;
                            }),
            "");
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

TEST(TrendKernelsMatchLiteral, IchimokuLinesAndTheTwoWithoutATwin) {
  // Besides the usual bars, highs and lows in runs of rises, falls and repeats, to stress the window queues.
  std::mt19937 random(35);
  auto runs = MakeBars(BarsKind::kRandomWalk, kMaxBars, 1);
  int32_t level = 1000;
  for (int i = 0; i < kMaxBars; ++i) {
    const int phase = (i / 60) % 4;
    level += phase == 0 ? 3 : phase == 1 ? -3 : phase == 2 ? 0 : static_cast<int32_t>(random() % 7) - 3;
    runs->bars[i].high = level + 5;
    runs->bars[i].low = level - 5;
  }
  const std::pair<RealBarsKernel, RealBarsKernel> kernels[] = {{ComputeIchimokuConversion, literal::IchimokuConversion},
                                                               {ComputeIchimokuBase, literal::IchimokuBase},
                                                               {ComputeIchimokuSpanB, literal::IchimokuSpanB}};
  for (const auto& [fast, slow] : kernels) {
    const auto check = [fast = fast, slow = slow](const BarSeries& bars, int) {
      auto got = GarbageRealSeries(), want = GarbageRealSeries();
      fast(bars, got.get());
      slow(bars, want.get());
      return Difference(*got, *want);
    };
    EXPECT_EQ(FirstDifference({9, 26, 30, 52}, 34, check), "");
    EXPECT_EQ(check(*runs, 0), "") << "monotonic runs";
  }
  // Span A and the lagging line have no literal twins.
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
}

// The library functions no step calls.
TEST(KernelLibraryMatchLiteral, WindowFunctionsAtEveryBarAndBeyondTheHighLowPositionAndDistributionBands) {
  std::mt19937 random(61);
  for (BarsKind kind : kAllBarsKinds) {
    for (int count : {0, 1, 7, 300}) {
      const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
      for (int n : {-1, 0, 1, 2, 5, 24, 301}) {
        for (int i = -3; i < count + 3; ++i) {
          ASSERT_EQ(HighestHighOverBars(*bars, i, n), literal::HighestHigh(*bars, i, n)) << i << " " << n;
          ASSERT_EQ(LowestLowOverBars(*bars, i, n), literal::LowestLow(*bars, i, n)) << i << " " << n;
          ASSERT_EQ(AverageVolumeOverBars(*bars, i, n), literal::AverageVolume(*bars, i, n)) << i << " " << n;
          ASSERT_EQ(AverageBarRangeRate(*bars, i, n), literal::BarRangeRate(*bars, i, n)) << i << " " << n;
        }
      }
    }
  }
  EXPECT_EQ(FirstDifference({-1, 0, 1, 2, 9, 26, 5120, 65535}, 62, ComputeHighLowPosition, literal::HighLowPosition),
            "");
  random.seed(63);
  for (int percent : {-10, 0, 10, 25, 50, 100, 150}) {
    for (int n : {0, 1, 3, 25, 200}) {
      for (int count : {0, 1, n, n + 1, 900}) {
        for (const auto& range : {std::pair<int32_t, int32_t>{0, 10000}, {4990, 5010}, {-20000, 20000}, {7, 7}}) {
          const auto in = RandomIntSeries(count, range.first, range.second, static_cast<uint32_t>(random()));
          auto gotUpper = GarbageIntSeries(), gotLower = GarbageIntSeries();
          auto wantUpper = GarbageIntSeries(), wantLower = GarbageIntSeries();
          ComputeDistributionBands(*in, gotUpper.get(), gotLower.get(), n, percent);
          literal::DistributionBands(*in, wantUpper.get(), wantLower.get(), n, percent);
          ASSERT_EQ(Difference(*gotUpper, *wantUpper) + Difference(*gotLower, *wantLower), "")
              << count << " " << n << " " << percent;
        }
      }
    }
  }
}

// Parameter defaults, scratch sets and the series arithmetic and copies.
TEST(SeriesBuffersParameters, DefaultsKeepTheSpareSlotsShareTheDailySetAndStayInTheirSet) {
  ScopedGlobalState globals;
  for (int period = 0; period < 3; ++period)
    for (int slot = 0; slot < kIndicatorParamCount; ++slot)
      gIndicatorParams[period].slot[slot] = static_cast<uint16_t>(1000 * (period + 1) + slot);
  SetDefaultIndicatorParameters();
  for (int period = 0; period < 3; ++period) {
    // Each period has its own averages; the rest is the daily set's, and the
    // spare slots are the daily set's old values, copied to the other two.
    const IndicatorParameterSet defaults = GetDefaultIndicatorParameters(period);
    for (int slot = 0; slot < kIndicatorParamCount; ++slot) {
      EXPECT_EQ(gIndicatorParams[period].slot[slot], slot < kParamSpare0 ? defaults.slot[slot] : 1000 + slot) << slot;
      EXPECT_TRUE(slot < kParamVolumeAverage0 || gIndicatorParams[period].slot[slot] == gIndicatorParams[0].slot[slot]);
    }
  }
  // A single set's defaults are the daily ones, in its own 55 slots only.
  IndicatorParameterSet sets[2];
  std::memset(sets, 0x5A, sizeof sets);
  SetDefaultParameterSet(&sets[0]);
  const IndicatorParameterSet daily = GetDefaultIndicatorParameters(0);
  EXPECT_EQ(std::memcmp(&sets[0], &daily, sizeof daily), 0);
  EXPECT_EQ(sets[1].slot[0], 0x5A5A) << "the next set's slot 0 is left alone";
}

TEST(SeriesBuffers, ScratchSetsAreZeroedAndFreedAndArithmeticAndCopiesStayInTheFirstCountSaturating) {
  KernelScratchSet scratch{};
  ASSERT_TRUE(AllocateKernelScratchSet(&scratch));
  for (IntSeries* series : scratch.ints) {
    EXPECT_EQ(series->count, 0);
    series->values[kMaxBars - 1] = 1;
  }
  for (RealSeries* series : scratch.reals) series->values[kMaxBars - 1] = 1.0;
  EXPECT_NE(scratch.ints[0], scratch.ints[3]);
  FreeKernelScratchSet(&scratch);
  EXPECT_EQ(scratch.ints[3], nullptr);
  EXPECT_EQ(scratch.reals[1], nullptr);
  FreeKernelScratchSet(&scratch);  // twice is harmless
  auto a = IntSeriesOf({-7, 0, 100, INT32_MAX, INT32_MIN});
  auto b = IntSeriesOf({3, -100, 5, 5, 1, 9, 9, 9, 9});
  auto out = GarbageIntSeries();
  AddIntSeries(*a, *b, out.get());
  EXPECT_EQ(Values(*out), (Ints{-4, -100, 105, INT32_MAX, INT32_MIN + 1}));
  EXPECT_TRUE(TailUntouched(*out, 5));
  SubtractIntSeries(*a, *b, out.get());
  EXPECT_EQ(Values(*out), (Ints{-10, 100, 95, INT32_MAX - 5, INT32_MIN}));
  SubtractIntSeries(*a, *a, a.get());
  EXPECT_EQ(Values(*a), Ints(5, 0));
  // Copies take the count and the counted values only.
  const auto src = RandomIntSeries(7, INT32_MIN, INT32_MAX, 3);
  auto dst = GarbageIntSeries();
  CopyIntSeries(dst.get(), *src);
  CopyIntSeries(dst.get(), *dst);
  EXPECT_EQ(Difference(*dst, *src), "");
  auto real = GarbageRealSeries(), copy = GarbageRealSeries();
  real->count = 3;
  std::copy_n(std::array<double, 3>{1.5, -0.0, 1e300}.begin(), 3, real->values);
  CopyRealSeries(copy.get(), *real);
  EXPECT_EQ(Difference(*copy, *real), "");
}

}  // namespace
