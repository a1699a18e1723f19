#include "window/chart_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "tests/support/row.h"

namespace {

constexpr int kFont = 12;  // F = 16, overhead 2 (16 + 4) = 40

uint16_t gHeights[20];

void SetAllHeights(uint16_t h) { std::fill(std::begin(gHeights), std::end(gHeights), h); }

ChartView ViewWithPanes(std::initializer_list<uint32_t> kinds, int period = 1) {
  ChartView view{};
  view.period = period;
  for (uint32_t kind : kinds) view.paneKinds[view.paneCount++] = kind;
  return view;
}

ScreenPattern PatternOf(std::initializer_list<ChartView> views) {
  ScreenPattern pattern{};
  for (const ChartView& v : views) pattern.views[pattern.chartCount++] = v;
  return pattern;
}

void ExpectStacked(const Rect& area, const Rect* charts, int count) {
  int top = area.top;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(charts[i].top, top) << i;
    EXPECT_GE(charts[i].bottom, charts[i].top) << i;
    EXPECT_LE(charts[i].bottom, std::max(area.top, area.bottom)) << i;
    EXPECT_EQ(Row(charts[i].left, charts[i].right), Row(area.left, area.right));
    top = charts[i].bottom;
  }
}

TEST(ChartWindowLayoutTest, HeightIsSharedByPaneWeightAfterTheOverheads) {
  SetAllHeights(40);
  gHeights[kPaneRsi] = 80;
  const ScreenPattern pattern = PatternOf({ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}),
                                           ViewWithPanes({kPaneCandles}), ViewWithPanes({kPaneRsi})});  // 160, 40, 80
  const Rect area = {1, 30, 801, 1030};
  Rect charts[3];
  ASSERT_EQ(ComputeChartRects(area, pattern, gHeights, kFont, charts), 3);
  // share = 1000 - 3 * 40 = 880 over 280.
  EXPECT_EQ(Row(charts[0].bottom, charts[1].bottom, charts[2].bottom),
            Row(30 + 160 * 880 / 280 + 40, charts[0].bottom + 40 * 880 / 280 + 40, 1030));
  ExpectStacked(area, charts, 3);
}

TEST(ChartWindowLayoutTest, ChartsWithoutPanesShareEqually) {
  SetAllHeights(40);
  const ScreenPattern pattern = PatternOf({ViewWithPanes({}), ViewWithPanes({})});
  Rect charts[3];
  ASSERT_EQ(ComputeChartRects({0, 0, 500, 400}, pattern, gHeights, kFont, charts), 2);
  EXPECT_EQ(Row(charts[0].bottom, charts[1].bottom), Row(200, 400));
}

TEST(ChartWindowLayoutTest, AnAreaSmallerThanTheOverheadsGivesNoNegativeHeight) {
  SetAllHeights(40);
  const ScreenPattern pattern =
      PatternOf({ViewWithPanes({kPaneCandles, kPaneVolume}), ViewWithPanes({kPaneRsi}), ViewWithPanes({kPaneRci})});
  for (int fontSize : {12, 32}) {
    for (int height : {0, 1, 50, 119, 120, 121, 300}) {
      const Rect area = {1, 10, 300, 10 + height};
      Rect charts[3];
      ASSERT_EQ(ComputeChartRects(area, pattern, gHeights, fontSize, charts), 3);
      ExpectStacked(area, charts, 3);
      EXPECT_EQ(charts[2].bottom, area.bottom) << fontSize << " " << height;
    }
  }
  // A client rectangle turned inside out (a minimised window).
  Rect charts[3];
  ComputeChartRects({1, 10, 0, 5}, pattern, gHeights, 32, charts);
  for (const Rect& r : charts) {
    EXPECT_GE(r.bottom, r.top);
    EXPECT_GE(r.right, r.left);
  }
}

TEST(ChartWindowLayoutTest, AnAreaLowerThanTheOverheadsIsSplitEvenly) {
  SetAllHeights(40);
  const ScreenPattern pattern =
      PatternOf({ViewWithPanes({kPaneCandles, kPaneVolume}), ViewWithPanes({kPaneRsi}), ViewWithPanes({kPaneRci})});
  Rect charts[3];
  ComputeChartRects({0, 0, 400, 250}, pattern, gHeights, 32, charts);  // overheads 3 x 92 > 250
  EXPECT_EQ(Row(charts[0].bottom, charts[1].bottom, charts[2].bottom), Row(83, 166, 250));
}

TEST(ChartWindowLayoutTest, TheLargestFontKeepsItsOverhead) {
  SetAllHeights(40);
  const ScreenPattern pattern = PatternOf({ViewWithPanes({kPaneCandles}), ViewWithPanes({kPaneCandles})});
  Rect charts[3];
  ComputeChartRects({0, 0, 400, 1000}, pattern, gHeights, 32, charts);  // F = 42, overhead 92
  EXPECT_EQ(charts[0].bottom, (1000 - 2 * 92) / 2 + 92);
}

TEST(ChartWindowLayoutTest, ChartCountOutsideItsRangeIsBounded) {
  SetAllHeights(40);
  ScreenPattern pattern = PatternOf({ViewWithPanes({kPaneCandles})});
  pattern.chartCount = 9;
  Rect charts[3];
  EXPECT_EQ(ComputeChartRects({0, 0, 400, 600}, pattern, gHeights, kFont, charts), 3);
  pattern.chartCount = 0;
  EXPECT_EQ(ComputeChartRects({0, 0, 400, 600}, pattern, gHeights, kFont, charts), 1);
  EXPECT_EQ(charts[0].bottom, 600);
}

TEST(ChartWindowLayoutTest, RoomForPanesNeedsAPixelPerPaneAndTheSignalStrip) {
  SetAllHeights(40);
  // Caption row and date axis 16 each, scroll strip 8: 40 pixels of overhead.
  const ChartView weekly = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 1);
  EXPECT_TRUE(ChartHasRoomForPanes({0, 0, 400, 43}, weekly, gHeights, kFont));
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, 42}, weekly, gHeights, kFont));
  const ChartView daily = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 0);
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, 43}, daily, gHeights, kFont));
  EXPECT_TRUE(ChartHasRoomForPanes({0, 0, 400, 40 + 3 * 23}, daily, gHeights, kFont));
  // The plot needs width beside the scale column (5F).
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 60, 400}, weekly, gHeights, kFont));
  EXPECT_TRUE(ChartHasRoomForPanes({0, 0, 61, 400}, weekly, gHeights, kFont));
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, -5}, weekly, gHeights, kFont));
  // Zero weights (not replaced by the settings loader) leave no room.
  SetAllHeights(0);
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, 400}, weekly, gHeights, kFont));
}

}  // namespace
