// The chart path builds every bar column in one pass; the kernels test the
// columns as they are built one by one. Both must give the same bytes.
#include "analysis/bar_columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/kernel_series.h"

namespace {

using namespace kernel_test;

template <typename Value, size_t kSize>
bool Same(const Value (&a)[kSize], const Value (&b)[kSize], int entries) {
  return std::memcmp(a, b, sizeof(Value) * static_cast<size_t>(entries)) == 0;
}

std::string ColumnsDifference(const BarSeries& bars, int) {
  const auto together = MakeBarColumns(bars), alone = MakeBarColumns(bars);
  BuildAllBarColumns(together.get());
  for (int column = 0; column < kBarColumnCount; ++column) BuildBarColumn(alone.get(), static_cast<BarColumn>(column));
  const BarColumns &a = *together, &b = *alone;
  const int n = a.count;
  if (!Same(a.closes, b.closes, n) || !Same(a.closeSums, b.closeSums, n + 1) ||
      !Same(a.volumeSums, b.volumeSums, n + 1))
    return "closes or volumes";
  if (!Same(a.riseSums, b.riseSums, n) || !Same(a.fallSums, b.fallSums, n) ||
      !Same(a.nonFallCounts, b.nonFallCounts, n))
    return "changes";
  if (!Same(a.risingVolumeSums, b.risingVolumeSums, n) || !Same(a.fallingVolumeSums, b.fallingVolumeSums, n))
    return "side volumes";
  if (!Same(a.typicalPrices, b.typicalPrices, n) || !Same(a.typicalPriceSums, b.typicalPriceSums, n + 1))
    return "typical prices";
  if (a.closesNarrow != b.closesNarrow || (a.closesNarrow && !Same(a.narrowCloses, b.narrowCloses, n)))
    return "narrow closes";
  return "";
}

TEST(BarColumns, BuiltTogetherEqualBuiltOneByOne) { EXPECT_EQ(FirstDifference({1, 2}, 7, ColumnsDifference), ""); }

}  // namespace
