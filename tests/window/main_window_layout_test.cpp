// How the main window places its charts, lists, splitters, status-bar parts and
// search box, and how it shares the chart area between the charts.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "window/chart_window_layout.h"
#include "window/main_window_layout.h"
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

ScreenPattern PatternWith(int charts, int panes) {
  ScreenPattern pattern{};
  pattern.chartCount = charts;
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    pattern.views[i].paneCount = panes;
    for (int p = 0; p < panes; ++p) pattern.views[i].paneKinds[p] = static_cast<uint32_t>(p % kPaneKindCount);
  }
  return pattern;
}

MainLayoutInput InputFor(int width, int height, int fontSize) {
  SetAllHeights(40);
  MainLayoutInput in{{0, 0, width, height}, 28, 20, true, 120, true, 150, fontSize, gHeights, {}};
  for (bool& has : in.hasSeries) has = true;
  return in;
}

// Every rectangle of the layout has a non-negative width and height.
void ExpectAllSane(const MainWindowLayout& l) {
  std::vector<Rect> rects = {l.chartArea, l.groupListSplitter, l.detailListSplitter, l.detailListArea};
  for (int i = 0; i < l.chartCount; ++i)
    rects.insert(rects.end(),
                 {l.charts[i], l.lists[i].area, l.lists[i].comboBox, l.lists[i].listBox, l.detailColumns[i]});
  for (size_t i = 0; i < rects.size(); ++i)
    EXPECT_TRUE(rects[i].right >= rects[i].left && rects[i].bottom >= rects[i].top) << i;
}

TEST(MainWindowLayoutTest, ColumnsSplittersAndBarsAndHiddenListsGiveTheirWidthBack) {
  MainLayoutInput in = InputFor(1000, 700, 12);
  MainWindowLayout l;
  ComputeMainWindowLayout(in, PatternWith(2, 3), &l);
  // Toolbar above, status bar and the bottom pixel below; the group list left, the detail list right.
  EXPECT_EQ(Ltrb(l.chartArea), (Ltrb4{124, 28, 1000 - 150 - 4, 700 - 1 - 20}));
  EXPECT_EQ(Row(l.groupListSplitter.left, l.groupListSplitter.right, l.detailListSplitter.left,
                l.detailListSplitter.right, l.detailListArea.left, l.detailListArea.right),
            Row(120, 124, 846, 850, 850, 1000));
  EXPECT_EQ(Row(l.chartCount, l.charts[0].top, l.charts[1].bottom, l.detailColumns[1].top, l.detailColumns[1].left),
            Row(2, 28, 679, l.charts[1].top, 850));
  in.showGroupList = in.showDetailList = false;
  ComputeMainWindowLayout(in, PatternWith(1, 2), &l);
  EXPECT_EQ(Row(l.chartArea.left, l.chartArea.right, l.lists[0].shown), Row(1, 1000, false));
  EXPECT_EQ(
      Row(l.groupListSplitter.right - l.groupListSplitter.left, l.detailListSplitter.right - l.detailListSplitter.left,
          l.detailColumns[0].right - l.detailColumns[0].left),
      Row(0, 0, 0));
}

TEST(MainWindowLayoutTest, ComboTakesTheTopOfEachChartsListAreaAndAChartWithoutSeriesHasNone) {
  MainLayoutInput in = InputFor(1000, 700, 24);
  in.hasSeries[2] = false;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(3, 2), &layout);
  for (int i = 0; i < 2; ++i) {
    const ChartListPlacement& lists = layout.lists[i];
    ASSERT_TRUE(lists.shown);
    EXPECT_EQ(Ltrb(lists.area), (Ltrb4{0, layout.charts[i].top, 120, layout.charts[i].bottom}));
    EXPECT_EQ(Row(lists.comboBox.bottom - lists.comboBox.top, lists.listBox.top, lists.listBox.bottom),
              Row(24 * 20 / 12, lists.comboBox.bottom, lists.area.bottom));
  }
  EXPECT_FALSE(layout.lists[2].shown);
}

TEST(MainWindowLayoutTest, StockLinkedChartsShareTheUpperChartsLists) {
  const MainLayoutInput in = InputFor(1000, 700, 12);
  ScreenPattern pattern = PatternWith(3, 2);
  MainWindowLayout l;
  struct Case {
    bool link0, link1;
    int bottom0;  // the chart whose bottom ends chart 0's lists
    bool shown1, shown2;
  };
  for (const Case& c : {Case{true, false, 1, false, true}, Case{true, true, 2, false, false}}) {
    pattern.views[0].stockLink = c.link0;
    pattern.views[1].stockLink = c.link1;
    ComputeMainWindowLayout(in, pattern, &l);
    EXPECT_EQ(Row(l.lists[0].shown, l.lists[0].area.bottom, l.lists[1].shown, l.lists[2].shown),
              Row(true, l.charts[c.bottom0].bottom, c.shown1, c.shown2));
  }
  pattern = PatternWith(2, 2);  // a link flag on the last chart links to nothing
  pattern.views[1].stockLink = pattern.views[2].stockLink = 1;
  ComputeMainWindowLayout(in, pattern, &l);
  EXPECT_EQ(Row(l.lists[1].shown, l.lists[1].area.bottom), Row(true, l.charts[1].bottom));
}

TEST(MainWindowLayoutTest, SmallestWindowsLargestFontsAndStoredWidthsStaySane) {
  MainWindowLayout layout;
  for (int fontSize : {12, 32}) {
    for (int height : {300, 120, 40, 0}) {
      ComputeMainWindowLayout(InputFor(400, height, fontSize), PatternWith(3, 12), &layout);
      ExpectAllSane(layout);
      EXPECT_EQ(Row(layout.chartCount, layout.charts[2].bottom), Row(3, layout.chartArea.bottom));
      for (int i = 0; i < 3 && height == 300; ++i) EXPECT_GT(layout.charts[i].bottom, layout.charts[i].top) << i;
    }
  }
  MainLayoutInput in = InputFor(400, 300, 32);
  in.groupListWidth = in.detailListWidth = 5000;
  ComputeMainWindowLayout(in, PatternWith(3, 12), &layout);
  ExpectAllSane(layout);
  EXPECT_LE(layout.detailListArea.right, 400);
  EXPECT_EQ(layout.groupListSplitter.left, 200) << "a drag's limit: half the client";
  in.groupListWidth = in.detailListWidth = -50;
  in.client = {0, 0, 2, 300};
  ComputeMainWindowLayout(in, PatternWith(3, 12), &layout);
  ExpectAllSane(layout);
  EXPECT_GE(layout.groupListSplitter.left, 0);
}

TEST(MainWindowLayoutTest, StatusBarEdgesAndTheSearchBox) {
  int edges[4];
  ComputeStatusBarEdges(1000, 10, 200, false, edges);  // w = 80
  EXPECT_EQ(Row(edges[0], edges[1], edges[2], edges[3]), Row(0, 216, 1000, 1000));
  ComputeStatusBarEdges(1000, 10, 20, true, edges);
  EXPECT_EQ(Row(edges[1], edges[2]), Row(80, 1000 - 240));
  ComputeStatusBarEdges(200, 10, 300, true, edges);  // a narrow window: part 1 stops at part 2, none negative
  EXPECT_EQ(Row(edges[2], edges[1], edges[3]), Row(0, 0, 200));
  // Centred on the plot; the large font fits with its border; clipped to the chart.
  const Rect chart = {100, 50, 900, 450}, plot = {160, 70, 900, 400};
  EXPECT_EQ(Ltrb(ComputeSearchBoxRect(plot, chart, 12, 16, 12)), (Ltrb4{530 - 128, 235 - 10, 530 + 128, 235 + 10}));
  const Rect tall = ComputeSearchBoxRect(plot, chart, 12, 16, 24);
  EXPECT_EQ(tall.bottom - tall.top, 30);
  EXPECT_EQ(Ltrb(ComputeSearchBoxRect({110, 60, 200, 70}, {100, 50, 210, 72}, 32, 40, 40)), (Ltrb4{100, 50, 210, 72}));
}

}  // namespace
