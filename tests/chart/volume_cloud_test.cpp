#include "chart/volume_cloud.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "tests/support/row.h"

namespace {

// Prices 1000..1500 in 50 bands of 10.
PaneRecord CloudPane() {
  PaneRecord pane{};
  pane.plot = {60, 0, 600, 100};
  pane.minValue = 1000;
  pane.maxValue = 1500;
  pane.valuePerPixel = 5;
  pane.log10Min = 3;
  pane.log10Max = std::log10(1500.0);
  pane.logPerPixel = (pane.log10Max - 3) / 100;
  return pane;
}

class VolumeCloudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocVolumeCloud(&cloud_));
    bars_->count = 400;
    for (int i = 0; i < bars_->count; ++i) bars_->bars[i] = {0, 1200, 1200, 1200, 1200, 0};
  }
  void TearDown() override { FreeVolumeCloud(&cloud_); }

  // A band's scaled value at a bar.
  double Value(int bar, int band) const { return cloud_.bands[band]->values[bar - cloud_.firstBar]; }

  VolumeCloud cloud_{};
  std::unique_ptr<BarSeries> bars_ = std::make_unique<BarSeries>();
};

TEST(VolumeCloudWeightTest, EveryRowIsABellSummingToOne) {
  for (int n = 1; n <= 120; ++n) {
    double sum = 0;
    for (int k = 1; k <= n; ++k) {
      sum += VolumeCloudWeight(n, k);
      EXPECT_NEAR(VolumeCloudWeight(n, k), VolumeCloudWeight(n, n + 1 - k), 1e-12);
    }
    EXPECT_NEAR(sum, 1.0, 1e-9) << n;
  }
  EXPECT_DOUBLE_EQ(VolumeCloudWeight(1, 1), 1.0);
  EXPECT_EQ(VolumeCloudWeight(50, 0) + VolumeCloudWeight(50, 51) + VolumeCloudWeight(0, 1), 0.0);
}

TEST_F(VolumeCloudTest, OneBarFadesOverTwoDecayLengthsStartingAtTheNextBar) {
  bars_->bars[100] = {0, 1201, 1204, 1201, 1203, 1000};  // band 20 only
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, cloud_.columns), Row(60, 340));  // 300 - 2 * 120
  // Not on its own bar; the greatest becomes 32; nothing in other bands or past the used columns.
  EXPECT_EQ(Row(VolumeCloudLevel(cloud_, 100, 20), VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 221, 19),
                VolumeCloudLevel(cloud_, 400, 20)),
            Row(0, 32, 0, 0));
  EXPECT_NEAR(Value(220, 20), 32 * (1000 - 119 * 1000 / 600.0) / 1000, 1e-9);  // end of the first run
  EXPECT_NEAR(Value(221, 20), 32 * 0.2, 1e-9);                                 // the second run
  EXPECT_NEAR(Value(340, 20), 32 * (200 - 119 * 200 / 120.0) / 1000, 1e-9);
  EXPECT_EQ(Value(341, 20), 0.0);
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 2, 90, 399,
                        &cloud_);  // the monthly cloud fades within twelve columns
  EXPECT_EQ(Row(cloud_.firstBar, VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 113, 20)), Row(78, 32, 0));
  EXPECT_GT(VolumeCloudLevel(cloud_, 112, 20), 0);
}

TEST_F(VolumeCloudTest, ABarCoveringEveryBandSpreadsItsWholeVolume) {
  // Low on the pane's minimum, high in band 49: 50 bands, the table's last row.
  bars_->bars[350] = {0, 1000, 1499, 1000, 1499, 5000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  double greatestWeight = 0;
  for (int k = 1; k <= 50; ++k) greatestWeight = std::max(greatestWeight, VolumeCloudWeight(50, k));
  double sum = 0;
  for (int b = 0; b < kVolumeCloudBands; ++b) {
    sum += Value(351, b);
    EXPECT_NEAR(Value(351, b), 32 * VolumeCloudWeight(50, b + 1) / greatestWeight, 1e-9) << b;
  }
  EXPECT_NEAR(sum, 32 / greatestWeight, 1e-9);
}

TEST_F(VolumeCloudTest, ABarReachingPastThePaneKeepsTheWeightsOfItsWholeRange) {
  // Bands -30..69: 100 bands, of which 0..49 are shown with the weights 31..80.
  bars_->bars[350] = {0, 900, 1699, 700, 1699, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int b : {10, 18, 25, 49})
    EXPECT_NEAR(Value(351, b) / Value(351, 0), VolumeCloudWeight(100, b + 31) / VolumeCloudWeight(100, 31), 1e-9) << b;
  // Bars wholly above or below the pane add nothing.
  bars_->bars[350] = {0, 1600, 1700, 1600, 1700, 1000};
  bars_->bars[351] = {0, 500, 900, 400, 800, 1000};
  bars_->bars[380] = {0, 1200, 1201, 1200, 1201, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 340; bar <= 380; ++bar)
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0) << bar << " " << b;
  EXPECT_EQ(VolumeCloudLevel(cloud_, 381, 20), 32);
}

TEST_F(VolumeCloudTest, NoVolumesNoRangeOrBadBarsLeaveNothingToDraw) {
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 300; bar <= 399; ++bar)  // all volumes zero
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0);
  bars_->bars[350].volume = 1000;
  PaneRecord flat = CloudPane();
  flat.maxValue = flat.minValue;
  AccumulateVolumeCloud(*bars_, flat, false, 0, 300, 399, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 399, 300, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  bars_->count = 0;
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(VolumeCloudLevel(cloud_, 351, 20), 0);
}

TEST_F(VolumeCloudTest, LogarithmicPanesCutBandsInLogUnits) {
  bars_->bars[350] = {0, 1001, 1002, 1001, 1002, 1000};  // log10 just above 3: band 0
  bars_->bars[351] = {0, 1490, 1495, 1490, 1495, 1000};  // near the top: band 49
  AccumulateVolumeCloud(*bars_, CloudPane(), true, 0, 300, 399, &cloud_);
  EXPECT_TRUE(VolumeCloudLevel(cloud_, 351, 0) > 0 && VolumeCloudLevel(cloud_, 352, 49) > 0);
}

}  // namespace
