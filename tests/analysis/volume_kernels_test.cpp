// On-balance volume and volume ratio against the literal kernels.
#include <gtest/gtest.h>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

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

}  // namespace
