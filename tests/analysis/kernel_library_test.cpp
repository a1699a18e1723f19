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
