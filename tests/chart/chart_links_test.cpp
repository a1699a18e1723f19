// Stock links, lists and keep-stock flags along links, placing a new stock by
// date links, and the cross-hair's columns in the other charts.
#include "chart/chart_links.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "chart/cross_hair.h"
#include "tests/chart/linked_charts_fixture.h"
#include "tests/support/row.h"

namespace {

using ChartLinksTest = LinkedChartsTest;

TEST_F(ChartLinksTest, AStockTravelsAlongStockLinksOnly) {
  View(0).stockLink = 1;                   // 0 and 1 coupled, 2 not
  ShowStockInLinkedCharts(1, stocks_[2]);  // chart 2's own stock already
  EXPECT_EQ(Row(View(0).stockCode, Series(0).code, View(1).stockCode, View(2).stockCode),
            Row(stocks_[2], stocks_[2], stocks_[2], stocks_[2]));
  ShowStockInLinkedCharts(1, stocks_[0]);
  EXPECT_EQ(View(2).stockCode, stocks_[2]);

  View(1).stockLink = 1;
  ShowStockInLinkedCharts(0, stocks_[1]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Series(i).code, stocks_[1]) << i;
}

TEST_F(ChartLinksTest, ANewStockTakesTheDateOfItsDateLinkedNeighbour) {
  View(0).dateLink = 1;
  SetChartScrollPos(0, 140, 1);
  SetChartStock(1, stocks_[2]);
  EXPECT_EQ(RightEdgeDate(1), Series(0).bars[140].date) << "aligned to the chart above";

  View(0).dateLink = 0;
  View(1).dateLink = 1;
  SetChartScrollPos(2, 90, 1);
  SetChartStock(1, stocks_[0]);
  EXPECT_EQ(RightEdgeDate(1), Series(2).bars[90].date) << "else to the chart below";

  View(1).dateLink = 0;
  SetChartStock(1, stocks_[1]);
  EXPECT_EQ(View(1).lastBarIndex, GetChartEndBarIndex(1)) << "else its newest bar";
}

TEST_F(ChartLinksTest, ListsAndKeepStockFlagsFollowStockLinks) {
  View(0).stockLink = 1;
  View(1).stockLink = 1;
  View(0).groupIndex = 3;
  View(1).groupIndex = 7;
  View(2).groupIndex = 7;
  View(1).keepStock = 1;
  ChartListSync sync;
  SyncLinkedChartLists(1, &sync);
  EXPECT_EQ(Row(View(0).stockCode, View(2).stockCode, View(0).groupIndex), Row(stocks_[1], stocks_[1], 7));
  // Chart 2 had the same group: its combo box stays.
  EXPECT_EQ(Row(sync.groupChanged[0], sync.groupChanged[1], sync.groupChanged[2], sync.refill[0], sync.refill[1],
                sync.refill[2]),
            Row(true, false, false, true, false, true));
  SyncLinkedKeepStockFlags(1);
  EXPECT_EQ(Row(View(0).keepStock, View(1).keepStock, View(2).keepStock), Row(1, 1, 1));

  View(0).stockLink = 0;
  View(2).groupIndex = 9;
  SyncLinkedChartLists(2, &sync);
  // The unlinked chart above keeps its list.
  EXPECT_EQ(Row(View(1).groupIndex, View(0).groupIndex, sync.refill[0]), Row(9, 7, false));
}

TEST(CrossHairRange, TheFirstBarAfterTheFromDateUpToTheToDate) {
  BarSeries series{};
  series.count = 4;
  for (int i = 0; i < 4; ++i) series.bars[i].date = MakePackedDate(2026, 3, 6 + 7 * i);
  struct Case {
    int fromDay, toMonth, toDay, first, last;  // March `fromDay` to `toMonth`/`toDay`; -1: none
  };
  // Bar 0 counts; a range after the last bar finds none.
  for (const Case& c : {Case{1, 3, 2, 0, 0}, Case{6, 3, 20, 1, 2}, Case{14, 3, 30, 2, 3}, Case{27, 4, 30, -1, -1}}) {
    int first = -1, last = -1;
    const bool found = FindSeriesBarRange(series, MakePackedDate(2026, 3, c.fromDay),
                                          MakePackedDate(2026, c.toMonth, c.toDay), &first, &last);
    EXPECT_EQ(Row(found, first, last), Row(c.first >= 0, c.first, c.last)) << c.fromDay;
  }
  int first = -1, last = -1;
  series.count = 0;
  EXPECT_FALSE(FindSeriesBarRange(series, 0, MakePackedDate(2026, 4, 30), &first, &last));
}

TEST_F(ChartLinksTest, ADailyBarMarksItsWeekAndItsMonth) {
  View(1).period = 1;
  View(2).period = 2;
  for (int i = 0; i < 3; ++i) View(i).stockCode = stocks_[0];
  ReloadAllChartSeries();
  InvalidateAllCharts();
  const BarSeries& daily = Series(0);
  // The week ending on or after the day (the one before ends before it), the month of the day.
  for (int bar : {0, 1, 57, 123, kBars - 1}) {
    const PackedDate date = daily.bars[bar].date;
    int first = -1, last = -1, month = -1, monthLast = -1;
    ASSERT_TRUE(FindMatchingBars(0, bar, 1, &first, &last) && FindMatchingBars(0, bar, 2, &month, &monthLast)) << bar;
    EXPECT_EQ(Row(first, month, Series(1).bars[first].date >= date, first == 0 || Series(1).bars[first - 1].date < date,
                  PackedYear(Series(2).bars[month].date), PackedMonth(Series(2).bars[month].date)),
              Row(last, monthLast, true, true, PackedYear(date), PackedMonth(date)))
        << bar;
  }

  // A week marks its days.
  const int week = 20;
  int first = -1, last = -1;
  ASSERT_TRUE(FindMatchingBars(1, week, 0, &first, &last));
  EXPECT_EQ(daily.bars[last].date, Series(1).bars[week].date);
  EXPECT_GT(daily.bars[first].date, Series(1).bars[week - 1].date);
  EXPECT_LE(daily.bars[first - 1].date, Series(1).bars[week - 1].date);
}

TEST_F(ChartLinksTest, TheCrossHairMarksTheOtherChartsAndTheirDetailBars) {
  View(1).period = 1;
  ReloadAllChartSeries();
  InvalidateAllCharts();
  SetChartScrollPos(0, kBars - 1, 0);
  SetChartScrollPos(1, Series(1).count - 1, 0);
  SetChartScrollPos(2, kBars - 1, 0);
  const int bar = kBars - 3;
  StoreCrossHair(0, 0, bar, 100, 50, 1234);
  // The same day in another daily chart; the week holding it in the weekly chart.
  EXPECT_EQ(Row(gChartContexts[0].detailBar, gChartContexts[1].detailBar, gChartContexts[2].detailBar),
            Row(bar, Series(1).count - 1, bar));
  ASSERT_EQ(gCrossHairRectCount, 2);
  const ChartGeometry& g = gChartContexts[2].geometry;
  EXPECT_EQ(Row(gCrossHairRects[1].left, gCrossHairRects[1].right),
            Row(g.plotArea.right - 3 * g.barSpacing - 1, g.plotArea.right - 2 * g.barSpacing - 1));
  EXPECT_TRUE(IsCrossHairUnchanged(0, 0, bar, 50, 1234));
  EXPECT_FALSE(IsCrossHairUnchanged(0, 0, bar, 51, 1234));

  ClearCrossHairState();
  EXPECT_EQ(gCrossHairChart + gCrossHairRectCount, -1);
}

}  // namespace
