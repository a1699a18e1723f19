// On-balance volume and volume ratio against the literal kernels, and worked examples.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/kernels.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

struct ScratchHolder {
  KernelScratchSet set{};
  ScratchHolder() { EXPECT_TRUE(AllocateKernelScratchSet(&set)); }
  ~ScratchHolder() { FreeKernelScratchSet(&set); }
};

std::vector<int32_t> Values(const IntSeries& series) {
  return std::vector<int32_t>(series.values, series.values + series.count);
}

std::unique_ptr<BarSeries> BarsWithVolumes(const std::vector<int32_t>& closes, const std::vector<int32_t>& volumes) {
  auto bars = BarsFromCloses(closes);
  for (size_t i = 0; i < volumes.size(); ++i) bars->bars[i].volume = volumes[i];
  return bars;
}

// ---- Against the literal kernels -----------------------------------------------------------------

TEST(VolumeKernelsMatchLiteral, Obv) {
  std::mt19937 random(51);
  ScratchHolder scratch;
  for (int unit : {-1, 0, 1, 100, 1000, INT32_MAX}) {
    for (int count : {0, 1, 2, 19, 20, 21, 300, kMergeBarCap, kMaxBars}) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        ComputeObv(*bars, got.get(), unit, scratch.set);
        literal::Obv(*bars, want.get(), unit);
        ASSERT_EQ(IntDifference(*got, *want), "") << CaseName(kind, count, 0) << ", unit " << unit;
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

TEST(VolumeKernelsMatchLiteral, VolumeRatio) {
  constexpr int kPeriods[] = {-2, 0, 1, 2, 3, 5, 25, 75, 2560, 5118, 5119, 5120, 65535};
  std::mt19937 random(52);
  for (int n : kPeriods) {
    std::vector<int> counts = CountsAround(literal::Period(n), random);
    if (n >= 1 && n + 2 <= kMaxBars) counts.push_back(n + 2);
    for (int count : counts) {
      for (BarsKind kind : kAllBarsKinds) {
        const auto bars = MakeBars(kind, count, static_cast<uint32_t>(random()));
        auto got = GarbageIntSeries();
        auto want = GarbageIntSeries();
        ComputeVolumeRatio(*bars, got.get(), n);
        literal::VolumeRatio(*bars, want.get(), n);
        ASSERT_EQ(IntDifference(*got, *want), "") << CaseName(kind, count, n);
        ASSERT_TRUE(TailUntouched(*got, count));
      }
    }
  }
}

// ---- Worked examples -----------------------------------------------------------------------------------

TEST(VolumeKernelsExamples, FlatClosesGiveRatio10000AndObvZero) {
  ScratchHolder scratch;
  for (int32_t volume : {0, 1000, INT32_MAX}) {
    const auto bars = BarsFromCloses(std::vector<int32_t>(60, 777), volume);
    auto out = GarbageIntSeries();
    ComputeVolumeRatio(*bars, out.get(), 25);
    EXPECT_EQ(Values(*out), std::vector<int32_t>(60, 10000)) << volume;
    ComputeObv(*bars, out.get(), 100, scratch.set);
    EXPECT_EQ(Values(*out), std::vector<int32_t>(60, 0)) << volume;
  }
}

TEST(VolumeKernelsExamples, RisesOnlyGive50000AndFallsOnly0) {
  std::vector<int32_t> rising;
  std::vector<int32_t> falling;
  for (int i = 0; i < 40; ++i) {
    rising.push_back(100 + i);
    falling.push_back(1000 - i);
  }
  auto out = GarbageIntSeries();
  ComputeVolumeRatio(*BarsFromCloses(rising), out.get(), 10);
  EXPECT_EQ(Values(*out), std::vector<int32_t>(40, 50000));
  ComputeVolumeRatio(*BarsFromCloses(falling), out.get(), 10);
  EXPECT_EQ(Values(*out), std::vector<int32_t>(40, 0));
}

TEST(VolumeKernelsExamples, VolumeRatioWorkedExample) {
  // N = 2. Bar 3: a fall of 300 and 400 unchanged: (0 + 200) / (300 + 200) = 0.4.
  // Bar 4: 400 unchanged and a rise of 500: (500 + 200) / (0 + 200) = 3.5. Bars 0..2 take bar 3's value.
  const auto bars = BarsWithVolumes({10, 11, 10, 10, 12}, {100, 200, 300, 400, 500});
  auto out = GarbageIntSeries();
  ComputeVolumeRatio(*bars, out.get(), 2);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{4000, 4000, 4000, 4000, 35000}));
  // Halves of an odd unchanged volume are not truncated: (1 + 1.5) / (0 + 1.5).
  const auto odd = BarsWithVolumes({10, 10, 10, 11}, {0, 0, 3, 1});
  ComputeVolumeRatio(*odd, out.get(), 2);
  EXPECT_EQ(out->values[3], 16666);
}

TEST(VolumeKernelsExamples, VolumeRatioUpToNPlusOneBarsIsAll10000) {
  const auto bars = BarsWithVolumes({10, 11, 12, 13}, {5, 5, 5, 5});
  auto out = GarbageIntSeries();
  ComputeVolumeRatio(*bars, out.get(), 3);
  EXPECT_EQ(Values(*out), std::vector<int32_t>(4, 10000));
  ComputeVolumeRatio(*bars, out.get(), 65535);
  EXPECT_EQ(Values(*out), std::vector<int32_t>(4, 10000));
  ComputeVolumeRatio(*bars, out.get(), 2);
  EXPECT_EQ(Values(*out), std::vector<int32_t>(4, 50000));
}

TEST(VolumeKernelsExamples, ObvAddsAndSubtractsVolumesInTradingUnits) {
  ScratchHolder scratch;
  const auto bars = BarsWithVolumes({10, 11, 11, 9, 10}, {1000, 2000, 3000, 4000, 150});
  auto out = GarbageIntSeries();
  ComputeObv(*bars, out.get(), 100, scratch.set);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{0, 20, 20, -20, -19}));
  ComputeObv(*bars, out.get(), 0, scratch.set);  // no unit: 1000
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{0, 2, 2, -2, -2}));
  ComputeObv(*bars, out.get(), -5, scratch.set);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{0, 2, 2, -2, -2}));
}

TEST(VolumeKernelsExamples, ObvUnitGrowsWithTheVolumeOfTheFirst20Bars) {
  ScratchHolder scratch;
  auto out = GarbageIntSeries();
  std::vector<int32_t> closes(30);
  for (int i = 0; i < 30; ++i) closes[static_cast<size_t>(i)] = 100 + i;
  // 20 x 9999 = 199980: unit 10.
  ComputeObv(*BarsWithVolumes(closes, std::vector<int32_t>(30, 9999)), out.get(), 10, scratch.set);
  EXPECT_EQ(out->values[1], 999);
  // 20 x 10000 = 200000: unit 100.
  ComputeObv(*BarsWithVolumes(closes, std::vector<int32_t>(30, 10000)), out.get(), 10, scratch.set);
  EXPECT_EQ(out->values[1], 100);
  // 20 x 100000 = 2000000: unit 1000. Bars after the 20th do not count.
  std::vector<int32_t> volumes(30, 100000);
  volumes[25] = INT32_MAX;
  ComputeObv(*BarsWithVolumes(closes, volumes), out.get(), 10, scratch.set);
  EXPECT_EQ(out->values[1], 100);
  // Fewer than 20 bars: all of them.
  ComputeObv(*BarsWithVolumes({1, 2, 3}, {100000, 100000, 100000}), out.get(), 10, scratch.set);
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{0, 1000, 2000}));
}

TEST(VolumeKernelsExamples, ObvOfHugeVolumesSaturates) {
  ScratchHolder scratch;
  std::vector<int32_t> closes(kMaxBars);
  for (int i = 0; i < kMaxBars; ++i) closes[static_cast<size_t>(i)] = 1 + i;
  auto out = GarbageIntSeries();
  ComputeObv(*BarsWithVolumes(closes, std::vector<int32_t>(kMaxBars, INT32_MAX)), out.get(), 1, scratch.set);
  EXPECT_EQ(out->values[1], INT32_MAX / 100);
  EXPECT_EQ(out->values[kMaxBars - 1], INT32_MAX);
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

// ---- Prefixes -------------------------------------------------------------------------------------------

TEST(VolumeKernelsPrefix, FirstKBarsGiveTheFirstKValues) {
  const auto bars = MakeBars(BarsKind::kTies, kMergeBarCap, 53);
  ScratchHolder scratch;
  auto full = GarbageIntSeries();
  auto part = GarbageIntSeries();
  for (int k : {20, 21, 27, 28, 500, kMergeBarCap}) {
    const auto prefix = Prefix(*bars, k);
    ComputeObv(*bars, full.get(), 100, scratch.set);
    ComputeObv(*prefix, part.get(), 100, scratch.set);
    EXPECT_EQ(PrefixDifference(*part, *full, k), "") << "OBV, k=" << k;
    if (k < 27) continue;
    ComputeVolumeRatio(*bars, full.get(), 25);
    ComputeVolumeRatio(*prefix, part.get(), 25);
    EXPECT_EQ(PrefixDifference(*part, *full, k), "") << "volume ratio, k=" << k;
  }
}

}  // namespace
