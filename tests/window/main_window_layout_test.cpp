#include "window/main_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

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
  MainLayoutInput in{};
  in.client = {0, 0, width, height};
  in.toolbarHeight = 28;
  in.statusBarHeight = 20;
  in.showGroupList = true;
  in.groupListWidth = 120;
  in.showDetailList = true;
  in.detailListWidth = 150;
  in.fontSize = fontSize;
  in.paneHeights = gHeights;
  for (bool& has : in.hasSeries) has = true;
  return in;
}

void ExpectSane(const Rect& r, const char* what) {
  EXPECT_GE(r.right, r.left) << what;
  EXPECT_GE(r.bottom, r.top) << what;
}

void ExpectAllSane(const MainWindowLayout& layout) {
  ExpectSane(layout.chartArea, "chart area");
  ExpectSane(layout.groupListSplitter, "group splitter");
  ExpectSane(layout.detailListSplitter, "detail splitter");
  ExpectSane(layout.detailListArea, "detail area");
  for (int i = 0; i < layout.chartCount; ++i) {
    ExpectSane(layout.charts[i], "chart");
    ExpectSane(layout.lists[i].area, "list area");
    ExpectSane(layout.lists[i].comboBox, "combo");
    ExpectSane(layout.lists[i].listBox, "list box");
    ExpectSane(layout.detailColumns[i], "detail column");
  }
}

TEST(MainWindowLayoutTest, ColumnsSplittersAndBars) {
  const MainLayoutInput in = InputFor(1000, 700, 12);
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(2, 3), &layout);
  // Toolbar above, status bar and the bottom pixel below.
  EXPECT_EQ(Row(layout.chartArea.top, layout.chartArea.bottom, layout.groupListSplitter.left),
            Row(28, 700 - 1 - 20, 120));
  EXPECT_EQ(Row(layout.groupListSplitter.right, layout.chartArea.left, layout.chartArea.right),
            Row(124, 124, 1000 - 150 - 4));
  EXPECT_EQ(Row(layout.detailListSplitter.left, layout.detailListSplitter.right, layout.detailListArea.left),
            Row(layout.chartArea.right, 1000 - 150, 1000 - 150));
  EXPECT_EQ(Row(layout.detailListArea.right, layout.chartCount, layout.charts[0].top, layout.charts[1].bottom),
            Row(1000, 2, layout.chartArea.top, layout.chartArea.bottom));
  EXPECT_EQ(Row(layout.detailColumns[1].top, layout.detailColumns[1].left), Row(layout.charts[1].top, 850));
}

TEST(MainWindowLayoutTest, HiddenListsGiveTheirWidthBack) {
  MainLayoutInput in = InputFor(1000, 700, 12);
  in.showGroupList = false;
  in.showDetailList = false;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(1, 2), &layout);
  EXPECT_EQ(Row(layout.chartArea.left, layout.chartArea.right), Row(1, 1000));
  EXPECT_EQ(layout.groupListSplitter.right - layout.groupListSplitter.left, 0);
  EXPECT_EQ(layout.detailListSplitter.right - layout.detailListSplitter.left, 0);
  EXPECT_FALSE(layout.lists[0].shown);
  EXPECT_EQ(layout.detailColumns[0].right - layout.detailColumns[0].left, 0);
}

TEST(MainWindowLayoutTest, ComboTakesTheTopOfEachChartsListArea) {
  const MainLayoutInput in = InputFor(1000, 700, 24);
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(2, 2), &layout);
  for (int i = 0; i < 2; ++i) {
    const ChartListPlacement& lists = layout.lists[i];
    ASSERT_TRUE(lists.shown);
    EXPECT_EQ(Row(lists.area.left, lists.area.right, lists.area.top, lists.area.bottom),
              Row(0, 120, layout.charts[i].top, layout.charts[i].bottom));
    EXPECT_EQ(Row(lists.comboBox.bottom - lists.comboBox.top, lists.listBox.top, lists.listBox.bottom),
              Row(24 * 20 / 12, lists.comboBox.bottom, lists.area.bottom));
  }
}

TEST(MainWindowLayoutTest, StockLinkedChartsShareTheUpperChartsLists) {
  const MainLayoutInput in = InputFor(1000, 700, 12);
  ScreenPattern pattern = PatternWith(3, 2);
  pattern.views[0].stockLink = 1;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, pattern, &layout);
  EXPECT_TRUE(layout.lists[0].shown);
  EXPECT_EQ(layout.lists[0].area.bottom, layout.charts[1].bottom);
  EXPECT_FALSE(layout.lists[1].shown);
  EXPECT_TRUE(layout.lists[2].shown);

  pattern.views[1].stockLink = 1;
  ComputeMainWindowLayout(in, pattern, &layout);
  EXPECT_EQ(layout.lists[0].area.bottom, layout.charts[2].bottom);
  EXPECT_FALSE(layout.lists[1].shown);
  EXPECT_FALSE(layout.lists[2].shown);

  // A link flag on the last chart links to nothing.
  pattern = PatternWith(2, 2);
  pattern.views[1].stockLink = 1;
  pattern.views[2].stockLink = 1;
  ComputeMainWindowLayout(in, pattern, &layout);
  EXPECT_TRUE(layout.lists[1].shown);
  EXPECT_EQ(layout.lists[1].area.bottom, layout.charts[1].bottom);
}

TEST(MainWindowLayoutTest, ChartWithoutSeriesShowsNoLists) {
  MainLayoutInput in = InputFor(1000, 700, 12);
  in.hasSeries[1] = false;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(2, 2), &layout);
  EXPECT_TRUE(layout.lists[0].shown);
  EXPECT_FALSE(layout.lists[1].shown);
}

TEST(MainWindowLayoutTest, SmallestWindowAtTheLargestFontStaysSane) {
  for (int fontSize : {12, 32}) {
    for (int height : {300, 120, 40, 0}) {
      const MainLayoutInput in = InputFor(400, height, fontSize);
      MainWindowLayout layout;
      ComputeMainWindowLayout(in, PatternWith(3, 12), &layout);
      ExpectAllSane(layout);
      EXPECT_EQ(Row(layout.chartCount, layout.charts[2].bottom), Row(3, layout.chartArea.bottom));
      if (height == 300) {
        for (int i = 0; i < 3; ++i) EXPECT_GT(layout.charts[i].bottom, layout.charts[i].top) << fontSize << " " << i;
      }
    }
  }
}

TEST(MainWindowLayoutTest, StoredWidthsLargerThanTheWindowAreBounded) {
  MainLayoutInput in = InputFor(400, 300, 32);
  in.groupListWidth = 5000;
  in.detailListWidth = 5000;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(3, 12), &layout);
  ExpectAllSane(layout);
  EXPECT_LE(layout.detailListArea.right, 400);
  EXPECT_EQ(layout.groupListSplitter.left, 200) << "a drag's limit: half the client";

  in.groupListWidth = -50;
  in.detailListWidth = -50;
  in.client = {0, 0, 2, 300};
  ComputeMainWindowLayout(in, PatternWith(3, 12), &layout);
  ExpectAllSane(layout);
  EXPECT_GE(layout.groupListSplitter.left, 0);
}

TEST(MainWindowLayoutTest, StatusBarEdges) {
  int edges[4];
  ComputeStatusBarEdges(1000, 10, 200, false, edges);  // w = 80
  EXPECT_EQ(Row(edges[0], edges[1], edges[2], edges[3]), Row(0, 216, 1000, 1000));
  ComputeStatusBarEdges(1000, 10, 20, true, edges);
  EXPECT_EQ(Row(edges[1], edges[2]), Row(80, 1000 - 240));
  // A narrow window: part 1 stops at part 2, nothing goes negative.
  ComputeStatusBarEdges(200, 10, 300, true, edges);
  EXPECT_EQ(Row(edges[2], edges[1], edges[3]), Row(0, 0, 200));
}

TEST(MainWindowLayoutTest, SearchBoxIsCentredOnThePlotAndClipped) {
  const Rect chart = {100, 50, 900, 450};
  const Rect plot = {160, 70, 900, 400};
  const Rect box = ComputeSearchBoxRect(plot, chart, 12, 16, 12);
  EXPECT_EQ(Row(box.left, box.right, box.top, box.bottom), Row(530 - 128, 530 + 128, 235 - 10, 235 + 10));
  const Rect tall = ComputeSearchBoxRect(plot, chart, 12, 16, 24);
  EXPECT_EQ(tall.bottom - tall.top, 30) << "the large font fits with the border";
  const Rect narrow = ComputeSearchBoxRect({110, 60, 200, 70}, {100, 50, 210, 72}, 32, 40, 40);
  EXPECT_EQ(Row(narrow.left, narrow.right, narrow.top, narrow.bottom), Row(100, 210, 50, 72));
}

}  // namespace
