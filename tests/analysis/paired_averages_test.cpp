// The two-at-once exponential averages give, bit for bit, what two calls of
// the single kernels give, and write nothing beyond the count.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "analysis/kernels.h"
#include "tests/support/kernel_series.h"

namespace {

using namespace kernel_test;

// Lines started in either order, together, or one never started (period beyond the bars).
constexpr int kPeriodPairs[][2] = {{12, 26}, {26, 12}, {9, 9}, {0, 3}, {1, 5120}, {5121, 2}, {-4, 65535}};

template <typename In>
std::string PairDifference(const In& in, int n1, int n2, void (*single)(const In&, IntSeries*, int),
                           void (*twice)(const In&, IntSeries*, int, IntSeries*, int)) {
  auto got1 = GarbageIntSeries(), got2 = GarbageIntSeries(), want1 = GarbageIntSeries(), want2 = GarbageIntSeries();
  twice(in, got1.get(), n1, got2.get(), n2);
  single(in, want1.get(), n1);
  single(in, want2.get(), n2);
  return Difference(*got1, *want1) + Difference(*got2, *want2);
}

TEST(PairedAverages, EqualTwoSingleAveragesForEveryKindCountAndPeriodPair) {
  std::mt19937 random(5);
  for (const auto& pair : kPeriodPairs) {
    for (int count : CountsAround(std::max(pair[0], 1), random)) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        const std::string name = CaseName(kind, count, pair[0]) + "/" + std::to_string(pair[1]);
        EXPECT_EQ(PairDifference(*bars, pair[0], pair[1], SmoothExponentialPrices, SmoothExponentialPricesTwice), "")
            << name;
        EXPECT_EQ(PairDifference(*bars, pair[0], pair[1], SmoothExponentialScaled, SmoothExponentialScaledTwice), "")
            << name;
        const auto series = RandomIntSeries(count, INT32_MIN, INT32_MAX, static_cast<uint32_t>(random()));
        EXPECT_EQ(PairDifference(*series, pair[0], pair[1], SmoothExponentialSeries, SmoothExponentialSeriesTwice), "")
            << name;
      }
    }
  }
}

}  // namespace
