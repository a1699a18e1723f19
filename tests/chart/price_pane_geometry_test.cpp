// Candles, bar places, value heights, the Ichimoku cloud's columns and the
// volume cloud's bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "chart/candle_shape.h"
#include "chart/ichimoku_cloud.h"
#include "chart/pane_pixels.h"
#include "chart/volume_cloud.h"
#include "tests/support/row.h"

namespace {

// 900..1300 on a 100-pixel plot ending at row 200: 4 per pixel.
PaneRecord PricePane() {
  PaneRecord pane{};
  pane.plot = {60, 100, 600, 200};
  pane.minValue = 900;
  pane.maxValue = 1300;
  pane.valuePerPixel = 4;
  pane.log10Min = std::log10(900.0);
  pane.log10Max = std::log10(1300.0);
  pane.logPerPixel = (pane.log10Max - pane.log10Min) / 100;
  return pane;
}

TEST(PanePixelsTest, ValuesGoUpFromTheBottomTruncated) {
  const PaneRecord pane = PricePane();
  EXPECT_EQ(Row(PaneValueY(pane, false, 900), PaneValueY(pane, false, 903), PaneValueY(pane, false, 904),
                PaneValueY(pane, false, 1300), PaneValueY(pane, true, 900), PaneValueY(pane, true, 1300)),
            Row(200, 200, 199, 100, 200, 100));
  EXPECT_NEAR(PaneValueOffset(pane, true, 1081.665), 50, 0.01);  // the geometric middle
  EXPECT_NEAR(PaneOffsetValue(pane, false, 25), 1000, 1e-9);
  EXPECT_NEAR(PaneOffsetValue(pane, true, 100), 1300, 1e-6);
}

TEST(PanePixelsTest, PanesWithoutAScaleOrValuesOffScaleStaySafe) {
  PaneRecord pane = PricePane();
  // Off the scale, infinite or not a number; log10 of 0 or less is taken as 0.
  EXPECT_EQ(Row(PaneValueY(pane, false, 1e300), PaneValueY(pane, false, -1e300),
                PaneValueY(pane, false, std::numeric_limits<double>::infinity()),
                PaneValueY(pane, false, std::numeric_limits<double>::quiet_NaN()), PaneValueY(pane, true, 0),
                PaneValueY(pane, true, -5)),
            Row(200 - kPixelOffsetLimit, 200 + kPixelOffsetLimit, 200 - kPixelOffsetLimit, 200,
                PaneValueY(pane, true, 1), PaneValueY(pane, true, 1)));
  pane.valuePerPixel = pane.logPerPixel = 0;
  EXPECT_EQ(Row(PaneValueY(pane, false, 1000), PaneValueY(pane, true, 1000)), Row(200, 200));
}

TEST(PanePixelsTest, BarCentresStepLeftFromThePlotsRightEdge) {
  // p = 11: the right-most bar sits at right + 5 - 2 - 11.
  EXPECT_EQ(Row(BarCentreX(600, 11, 99, 99), BarCentreX(600, 11, 99, 98), BarCentreX(600, 3, 10, 10)),
            Row(592, 581, 596));
  EXPECT_EQ(BarCentreX(600, 11, 1 << 24, -(1 << 24)), -kPixelOffsetLimit);
}

TEST(PanePixelsTest, PaintRangeFromTheViewsLastBar) {
  ChartView view{};
  view.lastBarIndex = -1;
  BarRange range = GetPaintBarRange(view, 500, 100);
  EXPECT_EQ(Row(range.last, range.first), Row(499, 396));
  view.lastBarIndex = 50;
  EXPECT_EQ(GetPaintBarRange(view, 500, 100).first, 0);
  view.lastBarIndex = 2147483647;  // a damaged setting
  range = GetPaintBarRange(view, 500, 100);
  EXPECT_EQ(range.last - range.first, 103);
  view.lastBarIndex = -1;
  range = GetPaintBarRange(view, 0, 100);  // nothing to walk
  EXPECT_EQ(Row(range.last, range.first > range.last), Row(-1, true));
  range = GetPaintBarRange(view, 500, -2147483647);  // a window narrower than its scale
  EXPECT_GT(range.first, range.last);
}

TEST(CandleShapeTest, RisingFallingAndUnchangedBars) {
  const PaneRecord pane = PricePane();
  // Rising: from the close to the open + 1; falling: from the open to the close
  // + 1; unchanged is drawn as falling, one pixel high.
  const CandleShape rising = ComputeCandleShape({0, 1000, 1150, 950, 1100, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(rising.rising, rising.highY, rising.lowY), Row(true, 200 - 62, 200 - 12));
  EXPECT_EQ(Ltrb(rising.body), (Ltrb4{296, 150, 305, 176}));
  const CandleShape falling = ComputeCandleShape({0, 1100, 1150, 950, 1000, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(falling.rising, falling.body.top, falling.body.bottom), Row(false, 150, 176));
  const CandleShape doji = ComputeCandleShape({0, 1052, 1100, 1000, 1052, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(doji.rising, doji.body.top, doji.body.bottom), Row(false, 162, 163));
  const CandleShape thin = ComputeCandleShape({0, 1000, 1000, 1000, 1004, 10}, pane, false, 300, 1);
  EXPECT_EQ(Row(thin.body.left, thin.body.right), Row(300, 301));
}

class CloudColumnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a_->count = b_->count = 200;
    for (int i = 0; i < 200; ++i) {
      a_->values[i] = i < 100 ? 1200 : 1000;
      b_->values[i] = 1100;
    }
  }
  std::unique_ptr<RealSeries> a_ = std::make_unique<RealSeries>(), b_ = std::make_unique<RealSeries>();
  std::unique_ptr<CloudColumns> columns_ = std::make_unique<CloudColumns>();
};

TEST_F(CloudColumnsTest, SpansAreDrawnTwentyFiveBarsLaterAndColouredBySpanOrder) {
  const PaneRecord pane = PricePane();
  ComputeCloudColumns(*a_, *b_, pane, false, 11, 150, 199, columns_.get());
  // From bar 176 (two past the right edge once shifted) down to bar 125.
  ASSERT_EQ(columns_->count, 176 - 125 + 1);
  EXPECT_EQ(columns_->columns[0].x, BarCentreX(600, 11, 199, 176 + 25));
  const CloudColumn& last = columns_->columns[columns_->count - 1];
  EXPECT_EQ(last.x, BarCentreX(600, 11, 199, 150));
  EXPECT_EQ(Row(last.spanAY, last.spanBY, last.spanAAbove), Row(200 - 25, 200 - 50, false));

  ComputeCloudColumns(*a_, *b_, pane, false, 11, 60, 110, columns_.get());
  EXPECT_TRUE(columns_->columns[columns_->count - 1].spanAAbove);  // bar 35: span A 1200 above 1100
  EXPECT_EQ(columns_->columns[0].x, BarCentreX(600, 11, 110, 87 + 25));
}

TEST_F(CloudColumnsTest, TheWalkNeverGoesBelowBarTwentyFiveOrPastTheSeries) {
  const PaneRecord pane = PricePane();
  ComputeCloudColumns(*a_, *b_, pane, false, 11, 0, 40, columns_.get());
  EXPECT_EQ(columns_->count, 0);  // bars 0..40 would show only spans of bars below 25
  ComputeCloudColumns(*a_, *b_, pane, false, 11, 0, 80, columns_.get());
  ASSERT_EQ(columns_->count, 57 - 25 + 1);
  EXPECT_EQ(columns_->columns[columns_->count - 1].x, BarCentreX(600, 11, 80, 50));  // bar 25
  a_->count = 30;
  ComputeCloudColumns(*a_, *b_, pane, false, 11, 40, 60, columns_.get());
  EXPECT_EQ(columns_->count, 5);  // bars 29 down to 25
  a_->count = 0;
  ComputeCloudColumns(*a_, *b_, pane, false, 11, 100, 199, columns_.get());
  EXPECT_EQ(columns_->count, 0);
}

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
