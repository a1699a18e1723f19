// Scroll range and codes, date-linked scrolling, period and bar-width changes.
#include "chart/chart_scroll.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "tests/chart/linked_charts_fixture.h"
#include "tests/support/row.h"

namespace {

std::vector<int> gAppliedCharts;

TEST(ChartScrollArithmetic, PositionsBarWidthsAndTheRightEdge) {
  // Positions stay within max - page + 1; a page wider than the range keeps the minimum.
  const ChartScrollInfo info = {10, 400, 50, 0}, tooLong = {10, 40, 50, 0};
  EXPECT_EQ(Row(ClampChartScrollPos(info, 1000), ClampChartScrollPos(info, -5), ClampChartScrollPos(info, 200),
                ClampChartScrollPos(tooLong, 30)),
            Row(351, 10, 200, 10));
  EXPECT_EQ(Row(BarWidthForCommand(kCommandBarWidth1, 9), BarWidthForCommand(32781, 9),
                BarWidthForCommand(kCommandBarWidth10, 9), BarWidthForCommand(32776, 9),
                BarWidthForCommand(kCommandWiderBars, 19), BarWidthForCommand(kCommandNarrowerBars, 1)),
            Row(1, 11, 19, -1, 19, 1));

  BarSeries series{};
  series.count = 10;
  for (int i = 0; i < 10; ++i) series.bars[i].date = MakePackedDate(2026, 3, 2 + i);
  RightEdge edge = FindRightEdge(series, 4, 3);
  EXPECT_EQ(Row(edge.valid, edge.date, edge.emptyBars), Row(true, MakePackedDate(2026, 3, 6), 0));
  edge = FindRightEdge(series, 12, 2);  // 3 empty bars and 2 forecast bars
  EXPECT_EQ(Row(edge.date, edge.emptyBars), Row(MakePackedDate(2026, 3, 9), 5));
  EXPECT_FALSE(FindRightEdge(series, -1, 0).valid);
  series.count = 0;
  EXPECT_FALSE(FindRightEdge(series, 5, 0).valid);
}

using ChartScrollTest = LinkedChartsTest;

TEST_F(ChartScrollTest, TheRangeRunsThirtySevenBarsPastTheEnd) {
  ChartScrollInfo info;
  ASSERT_TRUE(GetChartScrollInfo(0, &info));
  const int visible = gChartContexts[0].geometry.visibleBars;
  const int end = GetChartEndBarIndex(0);
  ASSERT_GT(visible, 20);
  EXPECT_EQ(Row(View(0).lastBarIndex, info.min, info.max, info.page),
            Row(end, visible / 5, end + 36 + visible, visible));
  EXPECT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, 100000));
  EXPECT_FALSE(ScrollChartByCode(0, kScrollLineRight, 0));
  EXPECT_EQ(View(0).lastBarIndex, end + 37);
  EXPECT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, -5));
  EXPECT_EQ(View(0).lastBarIndex, visible / 5);
}

TEST_F(ChartScrollTest, PageScrollMovesATwelfthOfThePagePlusOne) {
  gChartHooks.applyScrollBar = [](int chart, const ChartScrollInfo&) { gAppliedCharts.push_back(chart); };
  gAppliedCharts.clear();
  const int start = View(0).lastBarIndex;
  const int visible = gChartContexts[0].geometry.visibleBars;
  EXPECT_TRUE(ScrollChartByCode(0, kScrollPageLeft, 0));
  EXPECT_EQ(View(0).lastBarIndex, start - visible / 12 - 1);
  EXPECT_EQ(gAppliedCharts, std::vector<int>{0}) << "unlinked charts stay";
  EXPECT_TRUE(ScrollChartByCode(0, kScrollPageRight, 0));
  EXPECT_EQ(View(0).lastBarIndex, start);
  EXPECT_FALSE(ScrollChartByCode(0, kScrollThumbPosition, 10)) << "only tracking moves the thumb";
}

TEST_F(ChartScrollTest, ThreeDateLinkedChartsStayAligned) {
  View(0).dateLink = 1;
  View(1).dateLink = 1;
  for (int code : {kScrollPageLeft, kScrollPageLeft, kScrollLineLeft}) ASSERT_TRUE(ScrollChartByCode(1, code, 0));
  const PackedDate date = RightEdgeDate(1);
  ASSERT_NE(date, 0u);
  EXPECT_EQ(std::make_pair(RightEdgeDate(0), RightEdgeDate(2)), std::make_pair(date, date));

  // The chain goes on below, and above.
  ASSERT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, 150));
  EXPECT_EQ(Row(RightEdgeDate(0), RightEdgeDate(1), RightEdgeDate(2)),
            Row(Series(0).bars[150].date, Series(0).bars[150].date, Series(0).bars[150].date));
  ASSERT_TRUE(ScrollChartByCode(2, kScrollThumbTrack, 120));
  EXPECT_EQ(RightEdgeDate(0), Series(2).bars[120].date);

  View(1).dateLink = 0;
  ASSERT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, 200));
  EXPECT_EQ(Row(RightEdgeDate(1), RightEdgeDate(2)), Row(Series(0).bars[200].date, Series(2).bars[120].date));
  ASSERT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, kBars + 9));  // past the end the empty bars are kept
  EXPECT_EQ(View(1).lastBarIndex, Series(1).count + 9);
}

TEST_F(ChartScrollTest, WeeklyAndBackToDailyKeepsTheRightEdgeDate) {
  const BarSeries& weekly = PeriodSeries(0, 1);
  const int week = weekly.count - 20;
  const int day = FirstBarOnOrAfterDate(PeriodSeries(0, 0), weekly.bars[week].date);
  ASSERT_GE(day, 0);
  SetChartScrollPos(0, day, 1);
  ASSERT_EQ(View(0).lastBarIndex, day);

  SetChartPeriod(0, 1);  // Ctrl+W
  EXPECT_EQ(Row(View(0).period, View(0).lastBarIndex), Row(1, week));
  SetChartPeriod(0, 0);  // Ctrl+D
  EXPECT_EQ(Row(View(0).period, View(0).lastBarIndex), Row(0, day));
  SetChartScrollPos(0, kBars + 6, 1);  // seven empty bars past the end are kept
  SetChartPeriod(0, 1);
  EXPECT_EQ(View(0).lastBarIndex, PeriodSeries(0, 1).count - 1 + 7);
  SetChartPeriod(0, 0);
  EXPECT_EQ(View(0).lastBarIndex, kBars + 6);
}

TEST_F(ChartScrollTest, APeriodChangeOnAnEmptySeriesStillChangesThePeriod) {
  SetChartScrollPos(0, 50, 1);
  gChartContexts[0].periods[0].bars->count = 0;
  SetChartPeriod(0, 1);
  // The weekly bars are loaded; with no date to align to the position stays.
  EXPECT_EQ(Row(View(0).period, PeriodSeries(0, 1).count > 50, View(0).lastBarIndex), Row(1, true, 50));
  SetChartPeriod(-1, 0);
  EXPECT_EQ(View(0).period, 1);
}

TEST_F(ChartScrollTest, ANewBarWidthKeepsAChartAtItsNewestBar) {
  const int oldEnd = GetChartEndBarIndex(0);
  ASSERT_EQ(View(0).lastBarIndex, oldEnd);
  SetChartBarWidth(0, 1);
  EXPECT_NE(GetChartEndBarIndex(0), oldEnd) << "the margin covers more bars";
  EXPECT_EQ(View(0).lastBarIndex, GetChartEndBarIndex(0));
  SetChartScrollPos(1, 150, 1);
  SetChartBarWidth(1, 19);
  EXPECT_EQ(Row(View(1).barWidth, View(1).lastBarIndex), Row(19, 150));
}

}  // namespace
