// Simple and exponential averages and the rate of change against the literal
// kernels, plus worked examples.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;
using Ints = std::vector<int32_t>;
using Reals = std::vector<double>;

constexpr int kPeriods[] = {-5, 0, 1, 2, 3, 5, 13, 25, 75, 200, 2560, 5119, 5120, 5121, 65535};

// Every period, every count around it, every variant of input make(variant, count, seed) gives.
template <typename In, typename Out, typename Make>
void ExpectMatches(void (*fast)(const In&, Out*, int), void (*slow)(const In&, Out*, int), int variants, Make make) {
  std::mt19937 random(11);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (int v = 0; v < variants; ++v) {
        const auto in = make(v, count, static_cast<uint32_t>(random()));
        auto got = Filled<Out>(kGarbage);
        auto want = Filled<Out>(kGarbage);
        fast(*in, got.get(), n);
        slow(*in, want.get(), n);
        ASSERT_EQ(SeriesDifference(*got, *want), "") << "variant " << v << ", " << count << " values, N=" << n;
        ASSERT_TRUE(TailUntouched(*got, count)) << "variant " << v << ", " << count << " values, N=" << n;
      }
    }
  }
}

constexpr int kKinds = static_cast<int>(std::size(kAllBarsKinds));
std::unique_ptr<BarSeries> OfKind(int v, int count, uint32_t seed) { return MakeBars(kAllBarsKinds[v], count, seed); }

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

// ---- Against the literal kernels -------------------------------------------------------------

TEST(AverageKernelsMatchLiteral, CloseAverageReal) {
  ExpectMatches(ComputeCloseAverageReal, literal::CloseAverageReal, kKinds, OfKind);
}
TEST(AverageKernelsMatchLiteral, CloseAverage) {
  ExpectMatches(ComputeCloseAverage, literal::CloseAverage, kKinds, OfKind);
}
TEST(AverageKernelsMatchLiteral, VolumeAverage) {
  ExpectMatches(ComputeVolumeAverage, literal::VolumeAverage, kKinds, OfKind);
}
TEST(AverageKernelsMatchLiteral, SimpleAverage) {
  ExpectMatches(ComputeSimpleAverage, literal::SimpleAverage, 5, OfRange);
}
TEST(AverageKernelsMatchLiteral, RealAverage) { ExpectMatches(ComputeRealAverage, literal::RealAverage, 3, OfShape); }
TEST(AverageKernelsMatchLiteral, ExponentialPrices) {
  ExpectMatches(SmoothExponentialPrices, literal::ExponentialPrices, kKinds, OfKind);
}
TEST(AverageKernelsMatchLiteral, ExponentialScaled) {
  ExpectMatches(SmoothExponentialScaled, literal::ExponentialScaled, kKinds, OfKind);
}
TEST(AverageKernelsMatchLiteral, ExponentialSeries) {
  ExpectMatches(SmoothExponentialSeries, literal::ExponentialSeries, 5, OfRange);
}
TEST(AverageKernelsMatchLiteral, RateOfChange) {
  ExpectMatches(ComputeRateOfChange, literal::RateOfChange, 5, OfRange);
}

// ---- Worked examples ----------------------------------------------------------------------------

TEST(AverageKernelsExamples, PeriodsOfZeroOrBelowActAsOne) {
  const auto bars = BarsFromCloses({5, 6, 7});
  auto zero = GarbageIntSeries(), one = GarbageIntSeries();
  for (auto kernel : {ComputeCloseAverage, ComputeVolumeAverage, SmoothExponentialPrices, SmoothExponentialScaled}) {
    kernel(*bars, one.get(), 1);
    for (int n : {0, -7}) {
      kernel(*bars, zero.get(), n);
      EXPECT_EQ(SeriesDifference(*zero, *one), "") << n;
    }
  }
  ComputeCloseAverage(*bars, one.get(), 1);
  EXPECT_EQ(Values(*one), (Ints{5, 6, 7}));
}

TEST(AverageKernelsExamples, LargeVolumesAndPricesSumWithoutOverflow) {
  const auto bars = BarsFromCloses(Ints(30, INT32_MAX), INT32_MAX);
  auto out = GarbageIntSeries();
  for (auto kernel : {ComputeVolumeAverage, ComputeCloseAverage, SmoothExponentialPrices}) {
    kernel(*bars, out.get(), 25);
    EXPECT_EQ(Values(*out), Ints(30, INT32_MAX));
  }
  SmoothExponentialScaled(*BarsFromCloses({INT32_MAX, 1, 1}), out.get(), 1);
  EXPECT_EQ(Values(*out), (Ints{INT32_MAX, 1 << 20, 1 << 20})) << "a scaled close saturates";
}

TEST(AverageKernelsExamples, ScaledAverageOfAShortSeriesCopiesTheScaledCloses) {
  // MACD's long average over fewer bars than its period must stay in the short one's units.
  const auto bars = BarsFromCloses({100, 200, 250, 125});
  auto shortEma = GarbageIntSeries(), longEma = GarbageIntSeries();
  SmoothExponentialScaled(*bars, shortEma.get(), 2);
  SmoothExponentialScaled(*bars, longEma.get(), 26);
  EXPECT_EQ(Values(*longEma), (Ints{100 * 4096, 200 * 4096, 250 * 4096, 125 * 4096}));
  EXPECT_EQ(shortEma->values[0], 150 * 4096);
}

TEST(AverageKernelsExamples, RateOfChangeHoldsNoChangeBeforeTheSpanAndForAZeroBase) {
  auto in = IntSeriesOf({100, 0, 200, 150, 7, 0});
  auto out = GarbageIntSeries();
  ComputeRateOfChange(*in, out.get(), 2);
  // 200/100, 150/0 (none), 7/200, 0/150.
  EXPECT_EQ(Values(*out), (Ints{10000, 10000, 20000, 10000, 350, 0}));
  in->values[0] = 1;
  in->values[2] = INT32_MAX;
  ComputeRateOfChange(*in, out.get(), 2);
  EXPECT_EQ(out->values[2], INT32_MAX) << "saturates";
}

}  // namespace
