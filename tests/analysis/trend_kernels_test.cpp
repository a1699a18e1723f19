// Deviation rate, Bollinger bands, Ichimoku, parabolic SAR and the library
// functions against the literal kernels, and the two lines without a literal twin.
#include <gtest/gtest.h>

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

TEST(TrendKernelsMatchLiteral, IchimokuLines) {
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
}

// Span A and the lagging line have no literal twins.
TEST(TrendKernelsExamples, SpanAAndTheLaggingLine) {
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

// The library functions no step calls.
TEST(KernelLibraryMatchLiteral, WindowFunctionsAtEveryBarAndBeyond) {
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
}

TEST(KernelLibraryMatchLiteral, HighLowPosition) {
  EXPECT_EQ(FirstDifference({-1, 0, 1, 2, 9, 26, 5120, 65535}, 62, ComputeHighLowPosition, literal::HighLowPosition),
            "");
}

TEST(KernelLibraryMatchLiteral, DistributionBands) {
  std::mt19937 random(63);
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

}  // namespace
