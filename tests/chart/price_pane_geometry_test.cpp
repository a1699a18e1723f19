// Candles, bar places, value heights and the Ichimoku cloud's columns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "chart/candle_shape.h"
#include "chart/ichimoku_cloud.h"
#include "chart/pane_pixels.h"
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

}  // namespace
