#include "window/chart_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

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

// The charts' bottoms, checking that they are stacked inside the area without gaps.
std::vector<int> StackedBottoms(const Rect& area, const ScreenPattern& pattern, int fontSize) {
  Rect charts[3];
  const int count = ComputeChartRects(area, pattern, gHeights, fontSize, charts);
  std::vector<int> bottoms;
  for (int i = 0, top = area.top; i < count; top = charts[i++].bottom) {
    EXPECT_EQ(Row(charts[i].top, charts[i].left, charts[i].right),
              Row(top, area.left, std::max(area.left, area.right)));
    EXPECT_GE(charts[i].bottom, charts[i].top) << i;
    EXPECT_LE(charts[i].bottom, std::max(area.top, area.bottom)) << i;
    bottoms.push_back(charts[i].bottom);
  }
  return bottoms;
}

TEST(ChartWindowLayoutTest, HeightIsSharedByPaneWeightAfterTheOverheads) {
  SetAllHeights(40);
  gHeights[kPaneRsi] = 80;
  const ChartView candles = ViewWithPanes({kPaneCandles}), none = ViewWithPanes({});
  const ChartView three = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi});  // weighs 160
  ScreenPattern capped = PatternOf({candles});
  capped.chartCount = 9;
  struct Case {
    Rect area;
    ScreenPattern pattern;
    int fontSize;
    std::vector<int> bottoms;
  };
  const Case cases[] = {
      // 1000 - 3 x 40 = 880 shared over 160, 40 and 80: 30 + 502 + 40, then + 125 + 40.
      {{1, 30, 801, 1030}, PatternOf({three, candles, ViewWithPanes({kPaneRsi})}), kFont, {572, 737, 1030}},
      {{0, 0, 500, 400}, PatternOf({none, none}), kFont, {200, 400}},  // no panes: equal shares
      {{0, 0, 400, 1000}, PatternOf({candles, candles}), 32, {(1000 - 2 * 92) / 2 + 92, 1000}},  // F = 42
      {{0, 0, 400, 250}, PatternOf({three, candles, candles}), 32, {83, 166, 250}},  // lower than 3 x 92: even
      {{0, 0, 400, 600}, capped, kFont, {520, 560, 600}},  // past three charts: three, two weighing 0
  };
  for (const Case& c : cases) EXPECT_EQ(StackedBottoms(c.area, c.pattern, c.fontSize), c.bottoms) << &c - cases;
  capped.chartCount = 0;
  EXPECT_EQ(StackedBottoms({0, 0, 400, 600}, capped, kFont), std::vector<int>{600});
}

TEST(ChartWindowLayoutTest, AnAreaSmallerThanTheOverheadsGivesNoNegativeHeight) {
  SetAllHeights(40);
  const ScreenPattern pattern =
      PatternOf({ViewWithPanes({kPaneCandles, kPaneVolume}), ViewWithPanes({kPaneRsi}), ViewWithPanes({kPaneRci})});
  for (int fontSize : {12, 32}) {
    for (int height : {0, 1, 50, 119, 120, 121, 300}) {
      EXPECT_EQ(StackedBottoms({1, 10, 300, 10 + height}, pattern, fontSize).back(), 10 + height) << height;
    }
  }
  StackedBottoms({1, 10, 0, 5}, pattern, 32);  // a client rectangle turned inside out (a minimised window)
}

TEST(ChartWindowLayoutTest, RoomForPanesNeedsAPixelPerPaneAndTheSignalStrip) {
  SetAllHeights(40);
  // Caption row and date axis 16 each, scroll strip 8: 40 pixels of overhead;
  // the plot needs width beside the scale column (5F).
  const ChartView weekly = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 1);
  const ChartView daily = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 0);
  struct Case {
    Rect chart;
    const ChartView& view;
    bool room;
  };
  const Case cases[] = {{{0, 0, 400, 43}, weekly, true},  {{0, 0, 400, 42}, weekly, false},
                        {{0, 0, 400, 43}, daily, false},  {{0, 0, 400, 40 + 3 * 23}, daily, true},
                        {{0, 0, 60, 400}, weekly, false}, {{0, 0, 61, 400}, weekly, true},
                        {{0, 0, 400, -5}, weekly, false}};
  for (const Case& c : cases) EXPECT_EQ(ChartHasRoomForPanes(c.chart, c.view, gHeights, kFont), c.room) << &c - cases;
  SetAllHeights(0);  // zero weights (not replaced by the settings loader) leave no room
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, 400}, weekly, gHeights, kFont));
}

}  // namespace
