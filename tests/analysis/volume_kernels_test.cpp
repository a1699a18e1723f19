// On-balance volume and volume ratio against the literal kernels.
#include <gtest/gtest.h>

#include <vector>

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
  EXPECT_EQ(FirstDifference({-2, 0, 1, 2, 3, 5, 25, 75, 2560, 5118, 5119, 5120, 65535}, 52,
                            [](const BarSeries& bars, int n) {
                              auto got = GarbageIntSeries(), want = GarbageIntSeries();
                              ComputeVolumeRatio(bars, got.get(), n);
                              literal::VolumeRatio(bars, want.get(), n);
                              return Difference(*got, *want);
                            }),
            "");
}

TEST(VolumeKernelsExamples, ObvAlwaysWritesTheWholeSeries) {
  ScratchHolder scratch;
  auto out = GarbageIntSeries();
  ComputeObv(*MakeBars(BarsKind::kRandomWalk, 500, 1), out.get(), 100, scratch.set);
  ComputeObv(*BarsFromCloses({}), out.get(), 100, scratch.set);
  EXPECT_EQ(out->count, 0);
  ComputeObv(*BarsFromCloses({5}), out.get(), 100, scratch.set);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{0}));
}

}  // namespace
