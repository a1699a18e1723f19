// Simple and exponential averages and the rate of change against the literal
// kernels, plus worked examples.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

constexpr int kPeriods[] = {-5, 0, 1, 2, 3, 5, 13, 25, 75, 200, 2560, 5119, 5120, 5121, 65535};

using BarsIntKernel = void (*)(const BarSeries&, IntSeries*, int);
using BarsRealKernel = void (*)(const BarSeries&, RealSeries*, int);
using IntKernel = void (*)(const IntSeries&, IntSeries*, int);

// Every kind of bars, every count around every period.
void ExpectBarsKernelMatches(BarsIntKernel fast, BarsIntKernel slow) {
  std::mt19937 random(11);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        fast(*bars, got.get(), n);
        slow(*bars, want.get(), n);
        ASSERT_EQ(IntDifference(*got, *want), "") << CaseName(kind, count, n);
        ASSERT_TRUE(TailUntouched(*got, count)) << CaseName(kind, count, n);
      }
    }
  }
}

void ExpectBarsKernelMatches(BarsRealKernel fast, BarsRealKernel slow) {
  std::mt19937 random(12);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageRealSeries();
        auto want = GarbageRealSeries();
        fast(*bars, got.get(), n);
        slow(*bars, want.get(), n);
        ASSERT_EQ(RealDifference(*got, *want), "") << CaseName(kind, count, n);
        ASSERT_TRUE(TailUntouched(*got, count)) << CaseName(kind, count, n);
      }
    }
  }
}

// Integer inputs of several ranges, the full 32-bit one included.
void ExpectIntKernelMatches(IntKernel fast, IntKernel slow) {
  constexpr int32_t kRanges[][2] = {{0, 10000}, {-500, 500}, {INT32_MIN, INT32_MAX}, {7, 7}, {0, 1}};
  std::mt19937 random(13);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (const auto& range : kRanges) {
        const auto in = RandomIntSeries(count, range[0], range[1], static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        fast(*in, got.get(), n);
        slow(*in, want.get(), n);
        ASSERT_EQ(IntDifference(*got, *want), "") << count << " values in " << range[0] << ".." << range[1] << ", N=" << n;
        ASSERT_TRUE(TailUntouched(*got, count)) << count << " values, N=" << n;
      }
    }
  }
}

std::vector<int32_t> Values(const IntSeries& series) {
  return std::vector<int32_t>(series.values, series.values + series.count);
}

std::vector<double> Values(const RealSeries& series) {
  return std::vector<double>(series.values, series.values + series.count);
}

// ---- Against the literal kernels -------------------------------------------------------------

TEST(AverageKernelsMatchLiteral, CloseAverageReal) {
  ExpectBarsKernelMatches(ComputeCloseAverageReal, literal::CloseAverageReal);
}

TEST(AverageKernelsMatchLiteral, CloseAverage) { ExpectBarsKernelMatches(ComputeCloseAverage, literal::CloseAverage); }

TEST(AverageKernelsMatchLiteral, VolumeAverage) {
  ExpectBarsKernelMatches(ComputeVolumeAverage, literal::VolumeAverage);
}

TEST(AverageKernelsMatchLiteral, SimpleAverage) { ExpectIntKernelMatches(ComputeSimpleAverage, literal::SimpleAverage); }

TEST(AverageKernelsMatchLiteral, RealAverage) {
  std::mt19937 random(14);
  std::uniform_real_distribution<double> moderate(-1e6, 1e6);
  std::uniform_real_distribution<double> tiny(0.0, 1e-3);
  for (int n : kPeriods) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (int shape = 0; shape < 3; ++shape) {
        auto in = GarbageRealSeries();
        in->count = count;
        for (int i = 0; i < count; ++i) {
          // Mixed magnitudes make the order of summation show.
          const double big = (i % 7 == 0) ? 1e15 : 0.0;
          in->values[i] = shape == 0 ? moderate(random) : shape == 1 ? tiny(random) + big : 0.1 * (i % 10);
        }
        auto got = GarbageRealSeries();
        auto want = GarbageRealSeries();
        ComputeRealAverage(*in, got.get(), n);
        literal::RealAverage(*in, want.get(), n);
        ASSERT_EQ(RealDifference(*got, *want), "") << count << " values, shape " << shape << ", N=" << n;
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

TEST(AverageKernelsMatchLiteral, ExponentialPrices) {
  ExpectBarsKernelMatches(SmoothExponentialPrices, literal::ExponentialPrices);
}

TEST(AverageKernelsMatchLiteral, ExponentialScaled) {
  ExpectBarsKernelMatches(SmoothExponentialScaled, literal::ExponentialScaled);
}

TEST(AverageKernelsMatchLiteral, ExponentialSeries) {
  ExpectIntKernelMatches(SmoothExponentialSeries, literal::ExponentialSeries);
}

TEST(AverageKernelsMatchLiteral, RateOfChange) { ExpectIntKernelMatches(ComputeRateOfChange, literal::RateOfChange); }

// ---- Prefixes: the first k bars give the first k values of the whole run ----------------------

TEST(AverageKernelsPrefix, AveragesAndRateOfChangeOverPrefixesFromThePeriodOn) {
  const auto bars = MakeBars(BarsKind::kRandomWalk, kMergeBarCap, 21);
  auto typical = GarbageIntSeries();
  typical->count = kMergeBarCap;
  for (int i = 0; i < kMergeBarCap; ++i) typical->values[i] = bars->bars[i].close - 1500;
  for (int n : {1, 5, 25, 200}) {
    auto fullInt = GarbageIntSeries();
    auto partInt = GarbageIntSeries();
    auto fullReal = GarbageRealSeries();
    auto partReal = GarbageRealSeries();
    for (int k : {n, n + 1, 2 * n + 3, 1000, kMergeBarCap}) {
      const auto part = Prefix(*bars, k);
      IntSeries* partSeries = partInt.get();
      ComputeCloseAverageReal(*bars, fullReal.get(), n);
      ComputeCloseAverageReal(*part, partReal.get(), n);
      EXPECT_EQ(PrefixDifference(*partReal, *fullReal, k), "") << "close average real, N=" << n << ", k=" << k;
      for (BarsIntKernel kernel : {ComputeCloseAverage, ComputeVolumeAverage, SmoothExponentialPrices}) {
        kernel(*bars, fullInt.get(), n);
        kernel(*part, partSeries, n);
        EXPECT_EQ(PrefixDifference(*partSeries, *fullInt, k), "") << "N=" << n << ", k=" << k;
      }
      IntSeries typicalPart = *typical;
      typicalPart.count = k;
      for (IntKernel kernel : {ComputeSimpleAverage, SmoothExponentialSeries, ComputeRateOfChange}) {
        kernel(*typical, fullInt.get(), n);
        kernel(typicalPart, partSeries, n);
        EXPECT_EQ(PrefixDifference(*partSeries, *fullInt, k), "") << "N=" << n << ", k=" << k;
      }
    }
  }
}

// ---- Worked examples ----------------------------------------------------------------------------

TEST(AverageKernelsExamples, CloseAverageOfTwoOverOneTwoThreeTruncatesTheSeedAndRoundsLater) {
  const auto bars = BarsFromCloses({1, 2, 3});
  auto out = GarbageIntSeries();
  ComputeCloseAverage(*bars, out.get(), 2);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{1, 1, 3}));
  ComputeSimpleAverage([] {
    IntSeries in{};
    in.count = 3;
    in.values[0] = 1;
    in.values[1] = 2;
    in.values[2] = 3;
    return in;
  }(), out.get(), 2);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{1, 1, 2})) << "the simple average never rounds";
  auto real = GarbageRealSeries();
  ComputeCloseAverageReal(*bars, real.get(), 2);
  EXPECT_EQ(Values(*real), (std::vector<double>{1.5, 1.5, 2.5}));
}

TEST(AverageKernelsExamples, SeedFillsTheBarsBeforeThePeriod) {
  const auto bars = BarsFromCloses({10, 20, 30, 40, 50, 60});
  auto out = GarbageIntSeries();
  ComputeCloseAverage(*bars, out.get(), 3);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{20, 20, 20, 30, 40, 50}));
  ComputeVolumeAverage(*bars, out.get(), 6);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>(6, 1000)));
}

TEST(AverageKernelsExamples, SeriesShorterThanThePeriodIsCopied) {
  const auto bars = BarsFromCloses({7, 9, 8}, 300);
  auto out = GarbageIntSeries();
  auto real = GarbageRealSeries();
  ComputeCloseAverage(*bars, out.get(), 4);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{7, 9, 8}));
  ComputeVolumeAverage(*bars, out.get(), 4);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{300, 300, 300}));
  SmoothExponentialPrices(*bars, out.get(), 65535);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{7, 9, 8}));
  ComputeCloseAverageReal(*bars, real.get(), 4);
  EXPECT_EQ(Values(*real), (std::vector<double>{7, 9, 8}));
}

TEST(AverageKernelsExamples, PeriodsOfZeroOrBelowActAsOne) {
  const auto bars = BarsFromCloses({5, 6, 7});
  auto zero = GarbageIntSeries();
  auto one = GarbageIntSeries();
  for (BarsIntKernel kernel : {ComputeCloseAverage, ComputeVolumeAverage, SmoothExponentialPrices,
                               SmoothExponentialScaled}) {
    kernel(*bars, zero.get(), 0);
    kernel(*bars, one.get(), 1);
    EXPECT_EQ(IntDifference(*zero, *one), "");
    kernel(*bars, zero.get(), -7);
    EXPECT_EQ(IntDifference(*zero, *one), "");
  }
  ComputeCloseAverage(*bars, one.get(), 1);
  EXPECT_EQ(Values(*one), (std::vector<int32_t>{5, 6, 7}));
}

TEST(AverageKernelsExamples, LargeVolumesAndPricesSumWithoutOverflow) {
  auto bars = BarsFromCloses(std::vector<int32_t>(30, INT32_MAX), INT32_MAX);
  auto out = GarbageIntSeries();
  ComputeVolumeAverage(*bars, out.get(), 25);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>(30, INT32_MAX)));
  ComputeCloseAverage(*bars, out.get(), 25);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>(30, INT32_MAX)));
  SmoothExponentialPrices(*bars, out.get(), 12);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>(30, INT32_MAX)));
}

TEST(AverageKernelsExamples, ExponentialSeedThenRecursion) {
  // N = 3: alpha 0.5; seed = (10 + 20 + 31) / 3 = 20.33 -> 20.
  const auto bars = BarsFromCloses({10, 20, 31, 40, 41});
  auto out = GarbageIntSeries();
  SmoothExponentialPrices(*bars, out.get(), 3);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{20, 20, 20, 30, 35}));
}

TEST(AverageKernelsExamples, ScaledClosesDoubleUntilAMillionIgnoringBarZero) {
  // Largest close of bars 1.. is 1000: doubled ten times to 1,024,000, so f = 1024.
  const auto bars = BarsFromCloses({900000, 1000, 500, 1000});
  auto out = GarbageIntSeries();
  SmoothExponentialScaled(*bars, out.get(), 1);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{900000 * 1024, 1000 * 1024, 500 * 1024, 1000 * 1024}));
  // Closes of a million or more are not scaled.
  const auto large = BarsFromCloses({5, 1000000, 3});
  SmoothExponentialScaled(*large, out.get(), 1);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{5, 1000000, 3}));
}

TEST(AverageKernelsExamples, ScaledAverageOfAShortSeriesCopiesTheScaledCloses) {
  // MACD's long average over fewer bars than its period must stay in the short one's units.
  const auto bars = BarsFromCloses({100, 200, 250, 125});
  auto shortEma = GarbageIntSeries();
  auto longEma = GarbageIntSeries();
  SmoothExponentialScaled(*bars, shortEma.get(), 2);
  SmoothExponentialScaled(*bars, longEma.get(), 26);
  EXPECT_EQ(Values(*longEma), (std::vector<int32_t>{100 * 4096, 200 * 4096, 250 * 4096, 125 * 4096}));
  EXPECT_EQ(shortEma->values[0], 150 * 4096);
}

TEST(AverageKernelsExamples, ScaledCloseOfBarZeroSaturates) {
  const auto bars = BarsFromCloses({INT32_MAX, 1, 1});
  auto out = GarbageIntSeries();
  SmoothExponentialScaled(*bars, out.get(), 1);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{INT32_MAX, 1 << 20, 1 << 20}));
}

TEST(AverageKernelsExamples, RateOfChangeHoldsNoChangeBeforeTheSpanAndForAZeroBase) {
  IntSeries in{};
  in.count = 6;
  const int32_t values[] = {100, 0, 200, 150, 7, 0};
  for (int i = 0; i < 6; ++i) in.values[i] = values[i];
  auto out = GarbageIntSeries();
  ComputeRateOfChange(in, out.get(), 2);
  // 200/100, 150/0 (none), 7/200, 0/150.
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{10000, 10000, 20000, 10000, 350, 0}));
  in.values[0] = 1;
  in.values[2] = INT32_MAX;
  ComputeRateOfChange(in, out.get(), 2);
  EXPECT_EQ(out->values[2], INT32_MAX) << "saturates";
}

}  // namespace
