// Parameter defaults, scratch sets and the series arithmetic and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "analysis/kernels.h"
#include "shell/settings.h"
#include "tests/analysis/literal_kernels.h"
#include "tests/support/global_state.h"

namespace {

using namespace kernel_test;

TEST(SeriesBuffersParameters, DefaultsKeepTheSpareSlotsAndShareTheDailySet) {
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
}

TEST(SeriesBuffersParameters, DefaultParameterSetWritesOnlyItsOwn55Slots) {
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

TEST(SeriesBuffersArithmetic, AddAndSubtractOverTheFirstCountSaturating) {
  auto a = IntSeriesOf({-7, 0, 100, INT32_MAX, INT32_MIN});
  auto b = IntSeriesOf({3, -100, 5, 5, 1, 9, 9, 9, 9});
  auto out = GarbageIntSeries();
  AddIntSeries(*a, *b, out.get());
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{-4, -100, 105, INT32_MAX, INT32_MIN + 1}));
  EXPECT_TRUE(TailUntouched(*out, 5));
  SubtractIntSeries(*a, *b, out.get());
  EXPECT_EQ(Values(*out), (std::vector<int32_t>{-10, 100, 95, INT32_MAX - 5, INT32_MIN}));
  SubtractIntSeries(*a, *a, a.get());
  EXPECT_EQ(Values(*a), std::vector<int32_t>(5, 0));
}

TEST(SeriesBuffersCopies, CopiesTheCountAndTheCountedValuesOnly) {
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
