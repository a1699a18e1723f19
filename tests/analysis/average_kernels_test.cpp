// Simple and exponential averages, the rate of change, on-balance volume and
// the volume ratio against the literal kernels, plus a case random series miss;
// parameter defaults, scratch sets and the series arithmetic and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "shell/settings.h"
#include "tests/analysis/literal_kernels.h"
#include "tests/support/global_state.h"

namespace {

using namespace kernel_test;
using Ints = std::vector<int32_t>;

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

TEST(AverageKernelsMatchLiteral, OverBars) {
  using Kernel = void (*)(const BarSeries&, IntSeries*, int);
  const std::pair<Kernel, Kernel> kernels[] = {{ComputeCloseAverage, literal::CloseAverage},
                                               {ComputeVolumeAverage, literal::VolumeAverage},
                                               {SmoothExponentialPrices, literal::ExponentialPrices},
                                               {SmoothExponentialScaled, literal::ExponentialScaled}};
  for (const auto& [fast, slow] : kernels) EXPECT_EQ(FirstDifference(kPeriods, 11, fast, slow), "");
  EXPECT_EQ(FirstDifference(kPeriods, 12, ComputeCloseAverageReal, literal::CloseAverageReal), "");
}

TEST(AverageKernelsMatchLiteral, OverSeries) {
  ExpectMatches(ComputeSimpleAverage, literal::SimpleAverage, 5, OfRange);
  ExpectMatches(SmoothExponentialSeries, literal::ExponentialSeries, 5, OfRange);
  ExpectMatches(ComputeRateOfChange, literal::RateOfChange, 5, OfRange);
  ExpectMatches(ComputeRealAverage, literal::RealAverage, 3, OfShape);
}

TEST(VolumeKernelsMatchLiteral, Obv) {
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
}

TEST(VolumeKernelsMatchLiteral, VolumeRatio) {
  EXPECT_EQ(FirstDifference({-2, 0, 1, 2, 3, 5, 25, 75, 2560, 5118, 5119, 5120, 65535}, 52, ComputeVolumeRatio,
                            literal::VolumeRatio),
            "");
}

// MACD's long average over fewer bars than its period must stay in the short
// one's units; a close scaled beyond 32 bits saturates.
TEST(AverageKernelsExamples, ScaledAverageOfAShortSeriesCopiesTheScaledCloses) {
  auto shortEma = GarbageIntSeries(), longEma = GarbageIntSeries();
  SmoothExponentialScaled(*BarsFromCloses({100, 200, 250, 125}), shortEma.get(), 2);
  SmoothExponentialScaled(*BarsFromCloses({100, 200, 250, 125}), longEma.get(), 26);
  EXPECT_EQ(Values(*longEma), (Ints{100 * 4096, 200 * 4096, 250 * 4096, 125 * 4096}));
  EXPECT_EQ(shortEma->values[0], 150 * 4096);
  SmoothExponentialScaled(*BarsFromCloses({INT32_MAX, 1, 1}), longEma.get(), 1);
  EXPECT_EQ(Values(*longEma), (Ints{INT32_MAX, 1 << 20, 1 << 20}));
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

TEST(SeriesBuffersScratch, AllocateGivesSixZeroedSeriesAndFreeClearsThem) {
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
}

TEST(SeriesBuffersArithmetic, AddSubtractAndCopyOverTheFirstCountSaturating) {
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
