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

// A price pane of minValue..maxValue on a 100-pixel plot from row `top`, x 60..600.
PaneRecord PricePane(int top = 100, int32_t minValue = 900, int32_t maxValue = 1300) {
  PaneRecord pane{};
  pane.plot = {60, top, 600, top + 100};
  pane.minValue = minValue;
  pane.maxValue = maxValue;
  pane.valuePerPixel = (maxValue - minValue) / 100.0;
  pane.log10Min = std::log10(minValue);
  pane.log10Max = std::log10(maxValue);
  pane.logPerPixel = (pane.log10Max - pane.log10Min) / 100;
  return pane;
}

// Prices 1000..1500 in 50 bands of 10.
PaneRecord CloudPane() { return PricePane(0, 1000, 1500); }

// 900..1300 on rows 200 up to 100: 4 per pixel.
TEST(PanePixelsTest, ValuesGoUpFromTheBottomTruncatedAndValuesOffScaleStaySafe) {
  PaneRecord pane = PricePane();
  EXPECT_EQ(Row(PaneValueY(pane, false, 900), PaneValueY(pane, false, 903), PaneValueY(pane, false, 904),
                PaneValueY(pane, false, 1300), PaneValueY(pane, true, 900), PaneValueY(pane, true, 1300)),
            Row(200, 200, 199, 100, 200, 100));
  EXPECT_NEAR(PaneValueOffset(pane, true, 1081.665), 50, 0.01);  // the geometric middle
  EXPECT_NEAR(PaneOffsetValue(pane, false, 25), 1000, 1e-9);
  EXPECT_NEAR(PaneOffsetValue(pane, true, 100), 1300, 1e-6);
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

TEST(PanePixelsTest, BarCentresStepLeftFromThePlotsRightEdgeAndThePaintRangeFromTheLastBar) {
  // p = 11: the right-most bar sits at right + 5 - 2 - 11.
  EXPECT_EQ(Row(BarCentreX(600, 11, 99, 99), BarCentreX(600, 11, 99, 98), BarCentreX(600, 3, 10, 10)),
            Row(592, 581, 596));
  EXPECT_EQ(BarCentreX(600, 11, 1 << 24, -(1 << 24)), -kPixelOffsetLimit);
  ChartView view{};  // the bars painted, from the view's last bar
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

// Span A 1200 up to bar 99, then 1000; span B 1100.
TEST(CloudColumnsTest, SpansAreDrawnTwentyFiveBarsLaterAndColouredBySpanOrder) {
  auto a = std::make_unique<RealSeries>(), b = std::make_unique<RealSeries>();
  auto columns = std::make_unique<CloudColumns>();
  a->count = b->count = 200;
  for (int i = 0; i < 200; ++i) {
    a->values[i] = i < 100 ? 1200 : 1000;
    b->values[i] = 1100;
  }
  const PaneRecord pane = PricePane();
  ComputeCloudColumns(*a, *b, pane, false, 11, 150, 199, columns.get());
  // From bar 176 (two past the right edge once shifted) down to bar 125.
  ASSERT_EQ(columns->count, 176 - 125 + 1);
  const CloudColumn& last = columns->columns[columns->count - 1];
  EXPECT_EQ(Row(columns->columns[0].x, last.x, last.spanAY, last.spanBY, last.spanAAbove),
            Row(BarCentreX(600, 11, 199, 176 + 25), BarCentreX(600, 11, 199, 150), 200 - 25, 200 - 50, false));
  ComputeCloudColumns(*a, *b, pane, false, 11, 60, 110, columns.get());
  EXPECT_TRUE(columns->columns[columns->count - 1].spanAAbove);  // bar 35: span A 1200 above 1100
  EXPECT_EQ(columns->columns[0].x, BarCentreX(600, 11, 110, 87 + 25));
  // The walk never goes below bar 25 nor past the series.
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 40, columns.get());
  EXPECT_EQ(columns->count, 0);  // bars 0..40 would show only spans of bars below 25
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 80, columns.get());
  ASSERT_EQ(columns->count, 57 - 25 + 1);
  EXPECT_EQ(columns->columns[columns->count - 1].x, BarCentreX(600, 11, 80, 50));  // bar 25
  a->count = 30;
  ComputeCloudColumns(*a, *b, pane, false, 11, 40, 60, columns.get());
  EXPECT_EQ(columns->count, 5);  // bars 29 down to 25
  a->count = 0;
  ComputeCloudColumns(*a, *b, pane, false, 11, 100, 199, columns.get());
  EXPECT_EQ(columns->count, 0);
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
  // The monthly cloud fades within twelve columns.
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 2, 90, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 113, 20)), Row(78, 32, 0));
  EXPECT_GT(VolumeCloudLevel(cloud_, 112, 20), 0);
}

TEST_F(VolumeCloudTest, ABarCoveringEveryBandSpreadsItsWholeVolume) {
  // Low on the pane's minimum, high in band 49: 50 bands, the table's last row.
  bars_->bars[350] = {0, 1000, 1499, 1000, 1499, 5000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  double greatestWeight = 0;
  for (int k = 1; k <= 50; ++k) greatestWeight = std::max(greatestWeight, VolumeCloudWeight(50, k));
  for (int b = 0; b < kVolumeCloudBands; ++b)
    EXPECT_NEAR(Value(351, b), 32 * VolumeCloudWeight(50, b + 1) / greatestWeight, 1e-9) << b;
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
