#include "window/main_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/row.h"

namespace {

uint16_t gHeights[20];

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
  std::fill(std::begin(gHeights), std::end(gHeights), uint16_t{40});
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
