// Parameter defaults, scratch sets and the series arithmetic and copies.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "analysis/kernels.h"
#include "shell/settings.h"
#include "tests/analysis/literal_kernels.h"

namespace {

using namespace kernel_test;

// ---- Parameter defaults ------------------------------------------------------------------------------

TEST(SeriesBuffersParameters, DefaultsKeepSlots45To54AndShareTheDailySet) {
  const IndicatorParameterSet saved[3] = {gIndicatorParams[0], gIndicatorParams[1], gIndicatorParams[2]};
  for (int period = 0; period < 3; ++period)
    for (int slot = 0; slot < kIndicatorParamCount; ++slot)
      gIndicatorParams[period].slot[slot] = static_cast<uint16_t>(1000 * (period + 1) + slot);
  SetDefaultIndicatorParameters();
  const uint16_t averages[3][6] = {{5, 25, 75, 100, 150, 200}, {9, 13, 26, 52, 104, 208}, {6, 12, 24, 48, 60, 120}};
  for (int period = 0; period < 3; ++period) {
    for (int slot = 0; slot < 6; ++slot) EXPECT_EQ(gIndicatorParams[period].slot[slot], averages[period][slot]);
    EXPECT_EQ(gIndicatorParams[period].slot[17], 0);
    EXPECT_EQ(gIndicatorParams[period].slot[35], 25);
    EXPECT_EQ(gIndicatorParams[period].slot[36], 0);
    EXPECT_EQ(gIndicatorParams[period].slot[44], 24);
    // Slots 45-54 are the daily set's old values, copied to the other two.
    for (int slot = 45; slot < kIndicatorParamCount; ++slot)
      EXPECT_EQ(gIndicatorParams[period].slot[slot], 1000 + slot) << period << ", " << slot;
    for (int slot = 6; slot < kIndicatorParamCount; ++slot)
      EXPECT_EQ(gIndicatorParams[period].slot[slot], gIndicatorParams[0].slot[slot]);
  }
  for (int period = 0; period < 3; ++period) gIndicatorParams[period] = saved[period];
}

TEST(SeriesBuffersParameters, DefaultParameterSetWritesOnlyItsOwn55Slots) {
  IndicatorParameterSet sets[2];
  std::memset(sets, 0x5A, sizeof sets);
  SetDefaultParameterSet(&sets[0]);
  const IndicatorParameterSet daily = GetDefaultIndicatorParameters(0);
  EXPECT_EQ(std::memcmp(&sets[0], &daily, sizeof daily), 0);
  EXPECT_EQ(sets[1].slot[0], 0x5A5A) << "the next set's slot 0 is left alone";
  EXPECT_EQ(sets[0].slot[29], 13);
  EXPECT_EQ(sets[0].slot[54], 0);
}

// ---- Scratch sets --------------------------------------------------------------------------------------

TEST(SeriesBuffersScratch, AllocateGivesSixZeroedSeriesAndFreeClearsThem) {
  KernelScratchSet scratch{};
  ASSERT_TRUE(AllocateKernelScratchSet(&scratch));
  for (IntSeries* series : scratch.ints) {
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(series->count, 0);
    series->values[kMaxBars - 1] = 1;
  }
  for (RealSeries* series : scratch.reals) {
    ASSERT_NE(series, nullptr);
    series->values[kMaxBars - 1] = 1.0;
  }
  EXPECT_NE(scratch.ints[0], scratch.ints[3]);
  FreeKernelScratchSet(&scratch);
  for (IntSeries* series : scratch.ints) EXPECT_EQ(series, nullptr);
  for (RealSeries* series : scratch.reals) EXPECT_EQ(series, nullptr);
  FreeKernelScratchSet(&scratch);  // twice is harmless
}

// ---- Arithmetic and copies --------------------------------------------------------------------------------

TEST(SeriesBuffersArithmetic, AddAndSubtractOverTheFirstCountSaturating) {
  auto a = RandomIntSeries(5, -100, 100, 1);
  auto b = RandomIntSeries(9, -100, 100, 2);
  a->values[3] = INT32_MAX;
  b->values[3] = 5;
  a->values[4] = INT32_MIN;
  b->values[4] = 1;
  auto out = GarbageIntSeries();
  AddIntSeries(*a, *b, out.get());
  ASSERT_EQ(out->count, 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(out->values[i], a->values[i] + b->values[i]);
  EXPECT_EQ(out->values[3], INT32_MAX);
  EXPECT_EQ(out->values[4], INT32_MIN + 1);
  EXPECT_TRUE(TailUntouched(*out, 5));
  SubtractIntSeries(*a, *b, out.get());
  ASSERT_EQ(out->count, 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(out->values[i], a->values[i] - b->values[i]);
  EXPECT_EQ(out->values[3], INT32_MAX - 5);
  EXPECT_EQ(out->values[4], INT32_MIN);
  SubtractIntSeries(*a, *a, a.get());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a->values[i], 0);
}

TEST(SeriesBuffersCopies, CopiesTheCountAndTheCountedValuesOnly) {
  const auto src = RandomIntSeries(7, INT32_MIN, INT32_MAX, 3);
  auto dst = GarbageIntSeries();
  CopyIntSeries(dst.get(), *src);
  EXPECT_EQ(IntDifference(*dst, *src), "");
  EXPECT_TRUE(TailUntouched(*dst, 7));
  CopyIntSeries(dst.get(), *dst);
  EXPECT_EQ(IntDifference(*dst, *src), "");

  auto real = GarbageRealSeries();
  real->count = 3;
  real->values[0] = 1.5;
  real->values[1] = -0.0;
  real->values[2] = 1e300;
  auto copy = GarbageRealSeries();
  CopyRealSeries(copy.get(), *real);
  EXPECT_EQ(RealDifference(*copy, *real), "");
  EXPECT_TRUE(TailUntouched(*copy, 3));
}

}  // namespace
