#include "window/main_window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

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
  EXPECT_EQ(layout.chartArea.top, 28);
  EXPECT_EQ(layout.chartArea.bottom, 700 - 1 - 20);
  EXPECT_EQ(layout.groupListSplitter.left, 120);
  EXPECT_EQ(layout.groupListSplitter.right, 124);
  EXPECT_EQ(layout.chartArea.left, 124);
  EXPECT_EQ(layout.chartArea.right, 1000 - 150 - 4);
  EXPECT_EQ(layout.detailListSplitter.left, layout.chartArea.right);
  EXPECT_EQ(layout.detailListSplitter.right, 1000 - 150);
  EXPECT_EQ(layout.detailListArea.left, 1000 - 150);
  EXPECT_EQ(layout.detailListArea.right, 1000);
  EXPECT_EQ(layout.chartCount, 2);
  EXPECT_EQ(layout.charts[0].top, layout.chartArea.top);
  EXPECT_EQ(layout.charts[1].bottom, layout.chartArea.bottom);
  EXPECT_EQ(layout.detailColumns[1].top, layout.charts[1].top);
  EXPECT_EQ(layout.detailColumns[1].left, 850);
}

TEST(MainWindowLayoutTest, HiddenListsGiveTheirWidthBack) {
  MainLayoutInput in = InputFor(1000, 700, 12);
  in.showGroupList = false;
  in.showDetailList = false;
  MainWindowLayout layout;
  ComputeMainWindowLayout(in, PatternWith(1, 2), &layout);
  EXPECT_EQ(layout.chartArea.left, 1);
  EXPECT_EQ(layout.chartArea.right, 1000);
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
    EXPECT_EQ(lists.area.left, 0);
    EXPECT_EQ(lists.area.right, 120);
    EXPECT_EQ(lists.area.top, layout.charts[i].top);
    EXPECT_EQ(lists.area.bottom, layout.charts[i].bottom);
    EXPECT_EQ(lists.comboBox.bottom - lists.comboBox.top, 24 * 20 / 12);
    EXPECT_EQ(lists.listBox.top, lists.comboBox.bottom);
    EXPECT_EQ(lists.listBox.bottom, lists.area.bottom);
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
      EXPECT_EQ(layout.chartCount, 3);
      EXPECT_EQ(layout.charts[2].bottom, layout.chartArea.bottom);
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
  EXPECT_EQ(edges[0], 0);
  EXPECT_EQ(edges[1], 216);
  EXPECT_EQ(edges[2], 1000);
  EXPECT_EQ(edges[3], 1000);
  ComputeStatusBarEdges(1000, 10, 20, true, edges);
  EXPECT_EQ(edges[1], 80);
  EXPECT_EQ(edges[2], 1000 - 240);
  // A narrow window: part 1 stops at part 2, nothing goes negative.
  ComputeStatusBarEdges(200, 10, 300, true, edges);
  EXPECT_EQ(edges[2], 0);
  EXPECT_EQ(edges[1], 0);
  EXPECT_EQ(edges[3], 200);
}

TEST(MainWindowLayoutTest, SearchBoxIsCentredOnThePlotAndClipped) {
  const Rect chart = {100, 50, 900, 450};
  const Rect plot = {160, 70, 900, 400};
  const Rect box = ComputeSearchBoxRect(plot, chart, 12, 16, 12);
  EXPECT_EQ(box.left, 530 - 128);
  EXPECT_EQ(box.right, 530 + 128);
  EXPECT_EQ(box.top, 235 - 10);
  EXPECT_EQ(box.bottom, 235 + 10);
  const Rect tall = ComputeSearchBoxRect(plot, chart, 12, 16, 24);
  EXPECT_EQ(tall.bottom - tall.top, 30) << "the large font fits with the border";
  const Rect narrow = ComputeSearchBoxRect({110, 60, 200, 70}, {100, 50, 210, 72}, 32, 40, 40);
  EXPECT_EQ(narrow.left, 100);
  EXPECT_EQ(narrow.right, 210);
  EXPECT_EQ(narrow.top, 50);
  EXPECT_EQ(narrow.bottom, 72);
}

}  // namespace
