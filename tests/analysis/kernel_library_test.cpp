// The library functions no step calls, against the literal ones and worked examples.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

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
  std::mt19937 random(62);
  for (int n : {-1, 0, 1, 2, 9, 26, 5120, 65535}) {
    for (int count : CountsAround(literal::Period(n), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        ComputeHighLowPosition(*bars, got.get(), n);
        literal::HighLowPosition(*bars, want.get(), n);
        ASSERT_EQ(IntDifference(*got, *want), "") << CaseName(kind, count, n);
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

TEST(KernelLibraryMatchLiteral, DistributionBands) {
  std::mt19937 random(63);
  for (int percent : {-10, 0, 10, 25, 50, 100, 150}) {
    for (int n : {0, 1, 3, 25, 200}) {
      for (int count : {0, 1, n, n + 1, 900}) {
        for (const auto& range : {std::pair<int32_t, int32_t>{0, 10000}, {4990, 5010}, {-20000, 20000}, {7, 7}}) {
          const auto in = RandomIntSeries(count, range.first, range.second, static_cast<uint32_t>(random()));
          auto gotUpper = GarbageIntSeries();
          auto gotLower = GarbageIntSeries();
          auto wantUpper = GarbageIntSeries();
          auto wantLower = GarbageIntSeries();
          ComputeDistributionBands(*in, gotUpper.get(), gotLower.get(), n, percent);
          literal::DistributionBands(*in, wantUpper.get(), wantLower.get(), n, percent);
          ASSERT_EQ(IntDifference(*gotUpper, *wantUpper), "") << count << " " << n << " " << percent;
          ASSERT_EQ(IntDifference(*gotLower, *wantLower), "") << count << " " << n << " " << percent;
          ASSERT_TRUE(TailUntouched(*gotUpper, count));
        }
      }
    }
  }
}

TEST(KernelLibraryExamples, WindowFunctions) {
  auto bars = BarsFromCloses({100, 120, 80, 90});
  bars->bars[1].high = 130;
  bars->bars[2].low = 70;
  for (int i = 0; i < 4; ++i) bars->bars[i].volume = 10 * (i + 1);
  EXPECT_EQ(HighestHighOverBars(*bars, 3, 3), 130);
  EXPECT_EQ(HighestHighOverBars(*bars, 3, 2), 90);
  EXPECT_EQ(HighestHighOverBars(*bars, 3, 0), 0);
  EXPECT_EQ(LowestLowOverBars(*bars, 2, 2), 70);
  EXPECT_EQ(LowestLowOverBars(*bars, 2, 0), INT32_MAX);
  EXPECT_EQ(AverageVolumeOverBars(*bars, 1, 5), 15) << "only bars 0 and 1 exist";
  EXPECT_EQ(AverageVolumeOverBars(*bars, -1, 5), 0);
  // Bar 1: |130 - 120| * 1000 / 125 = 80; bar 0: 0.
  EXPECT_EQ(AverageBarRangeRate(*bars, 1, 2), 40);
  bars->bars[0].high = bars->bars[0].low = 0;
  EXPECT_EQ(AverageBarRangeRate(*bars, 0, 1), 0) << "a zero midpoint adds 0";
}

TEST(KernelLibraryExamples, HighLowPositionAndDistributionBands) {
  const auto bars = BarsFromCloses({10, 20, 15, 15, 15});
  auto out = GarbageIntSeries();
  ComputeHighLowPosition(*bars, out.get(), 2);
  EXPECT_EQ(std::vector<int32_t>(out->values, out->values + out->count), (std::vector<int32_t>{50, 50, 100, 0, 0}));
  IntSeries in{};
  in.count = 5;
  const int32_t levels[] = {1000, 2000, 3000, 4000, 9000};
  for (int i = 0; i < 5; ++i) in.values[i] = levels[i];
  auto upper = GarbageIntSeries();
  auto lower = GarbageIntSeries();
  ComputeDistributionBands(in, upper.get(), lower.get(), 4, 50);
  EXPECT_EQ(std::vector<int32_t>(upper->values, upper->values + 5), (std::vector<int32_t>{7000, 7000, 7000, 7000, 4000}));
  EXPECT_EQ(std::vector<int32_t>(lower->values, lower->values + 5), (std::vector<int32_t>{3000, 3000, 3000, 3000, 3000}));
}

}  // namespace
