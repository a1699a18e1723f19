// Snapshot values of a hand-built stock: each expected value is worked out
// from the bars and series the test placed, not by the code under test.
#include "analysis/indicator_snapshot.h"

#include "analysis/item_values.h"
#include "tests/analysis/condition_fixture.h"

namespace {

class SnapshotTest : public ConditionTest {
 protected:
  // Daily bars 1..count (see PlaceBars) and series of known values at every bar.
  void Prepare(int count) {
    Listed(1301, kMarketPrime, count);
    PlaceBars(0, count);
    context_.periods[0].params.slot[kParamPriceRange0] = 5;
    for (int i = 0; i < count; ++i) {
      Int(0, kIntRsi0, count).values[i] = 6543;
      Int(0, kIntParabolicPosition, count).values[i] = 1;
      Real(0, kRealCloseAverage0, count).values[i] = 1000 + 10 * i;
      Real(0, kRealBollingerCentre, count).values[i] = 1000;
      Real(0, kRealBollingerCentre + 1, count).values[i] = 1050;
      Real(0, kRealIchimokuSpanA, count).values[i] = 1000 + i;
      Real(0, kRealIchimokuSpanB, count).values[i] = 2000 - i;
      Real(0, kRealIchimokuBase, count).values[i] = 3000 + i;
    }
  }
  const double* Fill(int bar, int slot = 0) {
    FillIndicatorSnapshot(NumberCode(1301), slot, bar, context_, 0);
    return gStockTable->records[0].snapshots[slot].values;
  }
};

TEST_F(SnapshotTest, ItemsAtTheLatestBarAreTheHandWorkedValues) {
  Prepare(30);
  const double* v = Fill(29);  // close 3000, volume 30000, high 3300, low 2700
  const std::vector<std::pair<int, double>> expected = {
      {0, 3000},
      {1, 3000 * 100},
      {2, (3000 - 2900) * 100.0 / 2900},
      {3, 30000},
      {4, 30000.0 * 3000},
      {5, (26000.0 * 2600 + 27000.0 * 2700 + 28000.0 * 2800 + 29000.0 * 2900 + 30000.0 * 3000) / 5},
      {7, (3000 - 90) * 100.0 / (3190 - 90)},  // 36 months reach back to bar 0; bar 29 is not in the range
      {8, 20},                                 // (110k - 90k) / 100k every bar
      {9, 1290},
      {17, 65.43},
      {43, 1996},  // spans at bar 4: 1004 and 1996
      {44, 1004},
      {45, 500},
      {46, 3004},
      {48, 0},  // bar 29 is below 52
      {57, 5},
      {58, 3000},
      {59, 3300},
      {60, 2700},
      {62, 1},
      {69, (1290 - 1280) * 100.0 / 1280},
      {77, (3000 - 90) * 100.0 / (3190 - 90)},      // one month back is 2023-12-30
      {80, (3000 - 2250) * 100.0 / (3190 - 2250)},  // bars 24..28
  };
  for (const auto& [index, value] : expected) EXPECT_NEAR(v[index], value, 1e-9) << "item " << index;
}

TEST_F(SnapshotTest, ShiftedCloudItemsStartAtTheirBars) {
  Prepare(60);
  EXPECT_EQ(Fill(24)[43], 0);
  EXPECT_EQ(Fill(25)[43], 2000);  // spans at bar 0
  EXPECT_EQ(Fill(51)[48], 0);
  const double* v = Fill(52);
  EXPECT_EQ(v[48], 1999) << "the cloud 51 bars back, as conditions read it at a bar";
  EXPECT_EQ(v[49], 1001);
  EXPECT_EQ(Fill(59, 1)[0], 6000) << "any slot is filled from the bar given";
}

TEST_F(SnapshotTest, NoBarGivesZerosAndAnUnknownStockIsLeftAlone) {
  Prepare(30);
  gStockTable->records[0].snapshots[3].values[5] = 7;
  FillIndicatorSnapshot(NumberCode(1301), 3, -1, context_, 1);
  for (double value : gStockTable->records[0].snapshots[3].values) EXPECT_EQ(value, 0);
  gStockTable->records[0].snapshots[0].values[0] = 7;
  FillIndicatorSnapshot(NumberCode(9999), 0, 29, context_, 0);
  EXPECT_EQ(gStockTable->records[0].snapshots[0].values[0], 7);
}

TEST(PriceRangePosition, WindowsAndFlatRanges) {
  BarSeries bars{};
  bars.count = 3;
  bars.bars[0] = {MakePackedDate(2024, 1, 4), 100, 100, 100, 100, 1};
  bars.bars[1] = {MakePackedDate(2024, 1, 5), 100, 100, 100, 100, 1};
  bars.bars[2] = {MakePackedDate(2024, 1, 9), 120, 130, 110, 125, 1};
  EXPECT_EQ(PriceRangePosition(bars, 2, 0, 5), HUGE_VAL) << "a flat window gives the quotient's infinity";
  EXPECT_TRUE(std::isnan(PriceRangePosition(bars, 0, 3, 0)));
  EXPECT_EQ(PriceRangePosition(bars, 2, 1, 0), PriceRangePosition(bars, 2, 0, 2));
  EXPECT_EQ(PriceRangePosition(BarSeries{}, 0, 3, 0), 50);
  bars.bars[1].high = 120;
  EXPECT_EQ(PriceRangePosition(bars, 2, 0, 2), 125) << "a close above the window's high lies above 100";
}

}  // namespace
