// The charts of a screen pattern: loading over a small sample database, forecast
// bars, links, the cross-hair, scrolling, panes and charts edited; switching,
// copying, exporting and importing the patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/trend_line_store.h"
#include "chart/chart_editing.h"
#include "chart/chart_hooks.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/detail_rows.h"
#include "chart/pattern_file.h"
#include "chart/screen_pattern.h"
#include "data/daily_cache.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "window/drag_modes.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "common/stock_code.h"
#include "common/command_ids.h"
#include "shell/commands.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

constexpr int kBars = 300;

const StockCode kIndex = StringToCode("1001");

std::vector<Rect> gInvalidated;

BarSeries& Daily(int chart) { return *gChartContexts[chart].periods[0].bars; }
BarSeries& Weekly(int chart) { return *gChartContexts[chart].periods[1].bars; }
ChartView& View(int chart) { return CurrentScreenPattern().views[chart]; }
// A chart's forecast state and forecast bar count.
std::vector<int64_t> Forecast(int chart) { return Row(gForecastState[chart], gForecastBarCount[chart]); }

// What drawing forecast candles leaves: bars on the next trading days after
// the daily series (raw and display), the periods rebuilt, the state committed.
// `periodCount` is the forecast count in the view's period.
void CommitForecast(int chart, int bars, int periodCount) {
  PeriodSeriesBlock* blocks = gChartContexts[chart].periods;
  for (int i = 0; i < bars; ++i) {
    PriceBar bar = blocks[0].bars->bars[blocks[0].bars->count - 1];
    bar.date = AddTradingDays(bar.date, 1);
    bar.close += 7;
    bar.high = std::max(bar.high, bar.close);
    blocks[0].bars->bars[blocks[0].bars->count++] = bar;
    blocks[0].rawBars->bars[blocks[0].rawBars->count++] = bar;
  }
  BuildWeeklyBars(*blocks[0].rawBars, blocks[1].rawBars);
  BuildWeeklyBars(*blocks[0].bars, blocks[1].bars);
  BuildMonthlyBars(*blocks[0].rawBars, blocks[2].rawBars);
  BuildMonthlyBars(*blocks[0].bars, blocks[2].bars);
  gForecastState[chart] = kForecastCommitted;
  gForecastBarCount[chart] = periodCount;
  gForecastLastBar[chart] = blocks[0].bars->count - 1;
}

PriceBar BarOn(PackedDate date, int32_t close) { return {date, close, close + 5, close - 5, close, 1000}; }

// A real bar arriving in the store, as a live quote or a price fetch leaves it.
void StoreBar(StockCode code, PackedDate date, int32_t close) {
  auto series = std::make_unique<BarSeries>();
  GetDailyBarsForUpdate(code, series.get());
  series->bars[series->count++] = BarOn(date, close);
  UpdateDailyBars(code, *series);
}

class ChartLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const PackedDate wednesday = MakePackedDate(2026, 12, 2);
    ASSERT_EQ(MakeSampleDatabase({scratch_.path() + "db", 3, kBars, 11, wednesday}, nullptr), 0);  // fresh settings too
    ASSERT_TRUE(AllocAllChartContexts());
    for (int i = 0; i < 3; ++i) stocks_[i] = gStockTable->records[4 + i].master.code;
    gInvalidated.clear();
    gChartHooks.invalidateRect = [](const Rect& rect) { gInvalidated.push_back(rect); };
  }

  // Pattern 0 with these views (stock and period), laid out one above the other
  // and loaded at the newest position.
  void ShowCharts(std::vector<std::pair<StockCode, int>> views) {
    CurrentScreenPattern().chartCount = static_cast<int>(views.size());
    for (size_t i = 0; i < views.size(); ++i) {
      View(i).stockCode = views[i].first;
      View(i).period = views[i].second;
      View(i).lastBarIndex = -1;
      gChartContexts[i].geometry.chart = {0, 300 * int(i), 800, 300 * int(i) + 300};
    }
    ReloadAllChartSeries();
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  StockCode stocks_[3] = {};
};

TEST_F(ChartLoadingTest, ANewestViewStaysNewestAndAScrolledOneKeepsItsIndex) {
  ReloadAllChartSeries();
  // Until a layout gives the spacing the end is unknown; 0 would open the chart at the oldest bars.
  EXPECT_EQ(Row(Daily(0).count, View(0).lastBarIndex < 0, GetChartEndBarIndex(0)), Row(kBars, true, 0));
  gChartContexts[0].geometry.chart = {0, 0, 800, 500};
  InvalidateAllCharts();
  LoadChartSeries(0, 0);
  EXPECT_EQ(View(0).lastBarIndex, kBars + kDefaultRightMargin / gChartContexts[0].geometry.barSpacing);
  View(0).lastBarIndex = 120;
  LoadChartSeries(0, 1);
  EXPECT_EQ(View(0).lastBarIndex, 120);
}

// A stock left out of the table falls back to the reference index; another stock
// leaves nothing of the first, not even a forecast.
TEST_F(ChartLoadingTest, MissingStocksFallBackToTheReferenceIndexAndAnotherStockLeavesNothingOfTheFirst) {
  ShowCharts({{stocks_[0], 0}, {stocks_[1], 0}});
  CommitForecast(0, 3, 3);
  View(0).stockCode = stocks_[1];
  LoadChartSeries(0, 0);  // even a reload that keeps forecasts
  EXPECT_EQ(Forecast(0), Row(kForecastNone, 0));
  EXPECT_EQ(ContextDifferences(gChartContexts[0], gChartContexts[1]), "");
  ShowCharts({{StringToCode("9998"), 0}});
  EXPECT_EQ(Row(View(0).stockCode, Daily(0).count), Row(kIndex, kBars));
  View(0).stockCode = stocks_[0];
  gStockTable->count = 0;  // nothing is listed any more, "1001" neither
  ResetStockLookupCache();
  LoadChartSeries(0, 0);
  EXPECT_EQ(View(0).stockCode, kIndex);
  for (const PeriodSeriesBlock& block : gChartContexts[0].periods)
    EXPECT_EQ(Row(block.rawBars->count, block.bars->count, block.chartReal[kRealCloseAverage0]->count), Row(0, 0, 0));
  EXPECT_FALSE(IsForecastEditPosition(0, 0, 0));
  EraseForecastCandle();
}

// Committed forecasts survive only reloads that keep them; a carried one keeps
// only its first bar.
TEST_F(ChartLoadingTest, CommittedForecastsSurviveOnlyReloadsThatKeepThem) {
  ReloadAllChartSeries();
  CommitForecast(0, 2, 2);
  const BarSeries before = Daily(0);
  LoadChartSeries(0, 0);
  EXPECT_TRUE(SameBars(Daily(0), before));
  EXPECT_EQ(Row(gForecastState[0], gForecastBarCount[0], gForecastLastBar[0],
                gChartContexts[0].periods[0].chartReal[kRealCloseAverage0]->count),
            Row(kForecastCommitted, 2, kBars + 1, kBars + 2));
  LoadChartSeries(0, 1);
  EXPECT_EQ(Row(gForecastState[0], gForecastBarCount[0], gChartContexts[0].periods[0].rawBars->count),
            Row(kForecastNone, 0, kBars));
  CommitForecast(0, 3, 3);
  gForecastCarry = 1;
  ReloadAllChartSeries();
  EXPECT_EQ(Row(gForecastState[0], gForecastBarCount[0], Daily(0).count, Daily(0).bars[kBars].date),
            Row(kForecastCarried, 1, kBars + 1, before.bars[kBars].date));
}

TEST_F(ChartLoadingTest, RealBarsForTheOnlyForecastOrPastEveryForecastEndTheForecast) {
  ReloadAllChartSeries();
  CommitForecast(0, 1, 1);
  StoreBar(kIndex, Daily(0).bars[kBars].date, 12345);
  LoadChartSeries(0, 0);
  EXPECT_EQ(Forecast(0), Row(kForecastNone, 0));
  EXPECT_EQ(Row(Daily(0).count, Daily(0).bars[kBars].close), Row(kBars + 1, 12345));
  CommitForecast(0, 2, 2);
  PackedDate day = Daily(0).bars[kBars].date;
  for (int i = 0; i < 3; ++i) StoreBar(kIndex, day = AddTradingDays(day, 1), 9000 + i);
  LoadChartSeries(0, 0);
  EXPECT_EQ(Daily(0).count, kBars + 4);
  EXPECT_EQ(Forecast(0), Row(kForecastNone, 0)) << "no forecast bar is left to show";
}

TEST_F(ChartLoadingTest, AWeeklyChartKeepsItsForecastInTheDailyBars) {
  ShowCharts({{kIndex, 1}});
  CommitForecast(0, 2, 1);  // Thursday and Friday: one weekly bar
  const BarSeries before = Daily(0);
  LoadChartSeries(0, 0);
  EXPECT_TRUE(SameBars(Daily(0), before)) << "the weekly bar must not come back as a daily bar";
  EXPECT_EQ(Weekly(0).bars[Weekly(0).count - 1].date, before.bars[kBars + 1].date);
  EXPECT_EQ(Forecast(0), Row(kForecastCommitted, 1));
}

TEST_F(ChartLoadingTest, ForecastBarsStopAtTheSeriesCapacity) {
  auto full = std::make_unique<BarSeries>();
  full->code = kIndex;
  PackedDate day = MakePackedDate(2000, 1, 4);
  for (int i = 0; i < kMaxBars; ++i, day = AddTradingDays(day, 1)) full->bars[full->count++] = BarOn(day, 1000);
  UpdateDailyBars(kIndex, *full);
  ReloadAllChartSeries();
  ASSERT_EQ(Daily(0).count, kMaxBars);
  // A forecast dated after the stored bars, as if drawn before older bars filled the store.
  Daily(0).bars[kMaxBars - 1].date = AddTradingDays(full->bars[kMaxBars - 1].date, 1);
  gForecastState[0] = kForecastCommitted;
  gForecastBarCount[0] = 1;
  LoadChartSeries(0, 0);
  EXPECT_EQ(Row(Daily(0).count, gForecastState[0]), Row(kMaxBars, kForecastNone));
  EXPECT_FALSE(IsForecastEditPosition(0, 0, kMaxBars));
}

TEST_F(ChartLoadingTest, EscDropsOneForecastInEveryChartHoldingItAndTheLastByReloading) {
  ShowCharts({{kIndex, 0}, {kIndex, 1}});
  CommitForecast(0, 2, 2);
  CommitForecast(1, 2, 1);
  const PackedDate thursday = Daily(0).bars[kBars].date;
  EraseForecastCandle();
  for (int chart : {0, 1}) {
    EXPECT_EQ(Forecast(chart), Row(kForecastCommitted, 1)) << chart;
    EXPECT_EQ(Row(gChartContexts[chart].periods[0].rawBars->count, Weekly(chart).bars[Weekly(chart).count - 1].date,
                  gChartContexts[chart].periods[1].chartReal[kRealCloseAverage0]->count),
              Row(kBars + 1, thursday, Weekly(chart).count))
        << chart;
  }
  gInvalidated.clear();
  EraseForecastCandle();
  EXPECT_EQ(Row(gForecastState[0], gForecastState[1], Daily(1).count, gInvalidated.size()),
            Row(kForecastNone, kForecastNone, kBars, 2));
  // On a weekly chart Esc drops the last week.
  ShowCharts({{kIndex, 1}});
  const int weeks = Weekly(0).count;
  CommitForecast(0, 4, 2);  // Thursday, Friday, then Monday and Tuesday of the next week
  ASSERT_EQ(Weekly(0).count, weeks + 1);
  EraseForecastCandle();
  EXPECT_EQ(Row(Daily(0).count, Weekly(0).count, gForecastBarCount[0]), Row(kBars + 2, weeks, 1));
}

TEST_F(ChartLoadingTest, ForecastPositionsLieFromTheFirstAllowedBarInDailyPricePanes) {
  ReloadAllChartSeries();
  bool pastEnd = false;
  EXPECT_TRUE(IsForecastEditPosition(0, 0, kBars, &pastEnd) && pastEnd);
  EXPECT_FALSE(IsForecastEditPosition(0, 0, kBars - 1)) << "a finished day";
  EXPECT_FALSE(IsForecastEditPosition(0, 0, kBars + 1));
  gStockTable->records[FindStockIndexByCode(kIndex)].liveTime = MakePackedTime(10, 15, 0);
  EXPECT_TRUE(IsForecastEditPosition(0, 0, kBars - 1, &pastEnd)) << "a live day";
  EXPECT_FALSE(pastEnd);
  CommitForecast(0, 2, 2);
  const int count = Daily(0).count;
  EXPECT_TRUE(IsForecastEditPosition(0, 0, count - 2) && IsForecastEditPosition(0, 0, count));
  // Before the first allowed bar, the volume pane, no such pane, a chart not shown.
  EXPECT_EQ(Row(IsForecastEditPosition(0, 0, count - 3), IsForecastEditPosition(0, 1, count),
                IsForecastEditPosition(0, 3, count), IsForecastEditPosition(1, 0, count)),
            Row(false, false, false, false));
  gForecastState[0] = kForecastDrawing;
  EXPECT_FALSE(IsForecastEditPosition(0, 0, count));
  gForecastState[0] = kForecastCommitted;
  View(0).period = 1;
  EXPECT_FALSE(IsForecastEditPosition(0, 0, count));
}

TEST_F(ChartLoadingTest, InvalidationCoversShownChartsAndTheDetailList) {
  ShowCharts({{kIndex, 0}, {stocks_[0], 0}});
  gChartContexts[2].geometry.chart = {0, 600, 800, 900};  // stored, not shown
  gDetailListArea = {804, 0, 904, 600};
  gShowDetailList = 1;
  InvalidateAllCharts();
  ASSERT_EQ(gInvalidated.size(), 3u);
  EXPECT_EQ((std::vector<Ltrb4>{Ltrb(gInvalidated[0]), Ltrb(gInvalidated[1]), Ltrb(gInvalidated[2])}),
            (std::vector<Ltrb4>{{0, 0, 800, 300}, {0, 300, 800, 600}, Ltrb(gDetailListArea)}));
  EXPECT_GT(gChartContexts[1].geometry.barSpacing, 0) << "scales come before the invalidation";
  gInvalidated.clear();
  gShowDetailList = 0;
  InvalidateChart(2);
  InvalidateAllCharts();
  EXPECT_EQ(gInvalidated.size(), 2u);
  gShowDetailList = 1;
  gInvalidated.clear();
  LoadChartSeries(1, 1);  // the list shows the loaded stock, whatever part of the chart is repainted
  EXPECT_EQ(Ltrb(gInvalidated.at(0)), Ltrb(gDetailListArea));
}

// A moved line: in each chart of its stock the panes of its kind, unless the
// line widened a scale, which moves the whole chart.
TEST_F(ChartLoadingTest, AMovedLineInvalidatesThePanesOfItsKindInTheChartsOfItsStockOnly) {
  ASSERT_TRUE(AllocTrendLineTables());
  gTrendLines->count = 0;
  for (int i = 0; i < 3; ++i) {
    View(i).paneCount = 3;
    View(i).paneKinds[0] = kPaneCandles;
    View(i).paneKinds[1] = kPaneRsi;
    View(i).paneKinds[2] = kPaneIchimoku;
  }
  gTrendLineFullRange = true;
  ShowCharts({{stocks_[0], 0}, {stocks_[1], 0}, {stocks_[0], 1}});
  InvalidateAllCharts();
  gInvalidated.clear();
  InvalidateTrendLinePanes(stocks_[0], kPaneIchimoku);
  std::vector<Ltrb4> got;
  for (const Rect& r : gInvalidated) got.push_back(Ltrb(r));
  const auto pane = [](int chart, int i) { return Ltrb(gChartContexts[chart].panes[i].pane); };
  EXPECT_EQ(got, (std::vector<Ltrb4>{pane(0, 0), pane(0, 2), pane(2, 0), pane(2, 2)}));
  const PriceBar& newest = Daily(0).bars[Daily(0).count - 1];
  gTrendLines->lines[gTrendLines->count++] = NewTrendLine(stocks_[0], newest.date, 1, newest.date, newest.high * 3);
  gInvalidated.clear();
  InvalidateTrendLinePanes(stocks_[0], kPaneCandles);
  ASSERT_EQ(gInvalidated.size(), 3u) << "the daily chart whole, the weekly one's panes";
  EXPECT_EQ(Ltrb(gInvalidated[0]), Ltrb(gChartContexts[0].geometry.chart));
}

// Three daily charts, laid out so that they have a bar spacing and a visible-bar
// count, each at its newest bar.
class LinkedChartsTest : public ChartLoadingTest {
 protected:
  void SetUp() override {
    ChartLoadingTest::SetUp();
    ClearChartWindowHooks();
    ClearCrossHairState();
    for (int i = 0; i < 3; ++i) {
      View(i).dateLink = View(i).stockLink = 0;
      View(i).barWidth = 5;
    }
    ShowCharts({{stocks_[0], 0}, {stocks_[1], 0}, {stocks_[2], 0}});
    InvalidateAllCharts();  // the layout gives the spacing
    for (int i = 0; i < 3; ++i) {
      LoadChartSeries(i, 1);  // now placed at the newest bar
      UpdateChartScrollBar(i);
    }
  }

  static const BarSeries& Series(int chart) { return *gChartContexts[chart].periods[View(chart).period].bars; }
  static const BarSeries& PeriodSeries(int chart, int period) { return *gChartContexts[chart].periods[period].bars; }

  // The date at the right edge, or 0 past the end.
  static PackedDate RightEdgeDate(int chart) {
    const RightEdge edge = FindRightEdge(Series(chart), View(chart).lastBarIndex, 0);
    return edge.valid && edge.emptyBars == 0 ? edge.date : 0;
  }
};

using ChartLinksTest = LinkedChartsTest;
using ChartScrollTest = LinkedChartsTest;

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

TEST_F(ChartLinksTest, ANewStockTakesTheDateOfItsDateLinkedNeighbourAndMarginsFollowDateLinks) {
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
  View(0).dateLink = 1;  // the right margin follows date links both ways
  for (int i = 0; i < 3; ++i) View(i).rightMargin = 32;
  EXPECT_TRUE(SetChartRightMargin(1, 60));
  EXPECT_EQ(Row(View(0).rightMargin, View(1).rightMargin, View(2).rightMargin), Row(60, 60, 32));
  EXPECT_FALSE(SetChartRightMargin(1, 60)) << "unchanged";
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

// A range runs from the first bar after the from date up to the to date; a daily bar
// marks its week and its month, and the cross-hair the other charts.
TEST_F(ChartLinksTest, BarRangesMatchingBarsAndTheCrossHairMarkTheOtherCharts) {
  BarSeries series{};
  series.count = 4;
  for (int i = 0; i < 4; ++i) series.bars[i].date = MakePackedDate(2026, 3, 6 + 7 * i);
  // March `fromDay` to `toMonth`/`toDay`, the first and last bar found (-1: none). Bar 0 counts; a
  // range after the last bar finds none.
  constexpr int kCases[][5] = {{1, 3, 2, 0, 0}, {6, 3, 20, 1, 2}, {14, 3, 30, 2, 3}, {27, 4, 30, -1, -1}};
  for (const auto& [fromDay, toMonth, toDay, wantFirst, wantLast] : kCases) {
    int first = -1, last = -1;
    const bool found = FindSeriesBarRange(series, MakePackedDate(2026, 3, fromDay),
                                          MakePackedDate(2026, toMonth, toDay), &first, &last);
    EXPECT_EQ(Row(found, first, last), Row(wantFirst >= 0, wantFirst, wantLast)) << fromDay;
  }
  int first = -1, last = -1;
  series.count = 0;
  EXPECT_FALSE(FindSeriesBarRange(series, 0, MakePackedDate(2026, 4, 30), &first, &last));
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
  first = last = -1;  // a week marks its days
  ASSERT_TRUE(FindMatchingBars(1, 20, 0, &first, &last));
  EXPECT_EQ(Row(daily.bars[last].date, daily.bars[first].date > Series(1).bars[19].date,
                daily.bars[first - 1].date <= Series(1).bars[19].date),
            Row(Series(1).bars[20].date, true, true));
  View(2).period = 0;  // the cross-hair marks the other charts and their detail bars
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
  EXPECT_EQ(Row(IsCrossHairUnchanged(0, 0, bar, 50, 1234), IsCrossHairUnchanged(0, 0, bar, 51, 1234)), Row(1, 0));
  ClearCrossHairState();
  EXPECT_EQ(gCrossHairChart + gCrossHairRectCount, -1);
  // Without a cross-hair, and after a load, the detail list shows every chart's newest bar.
  EXPECT_EQ(Row(gChartContexts[0].detailBar, gChartContexts[1].detailBar, gChartContexts[2].detailBar),
            Row(-1, -1, -1));
  static DetailRows rows;
  View(0).lastBarIndex = kBars + 5;  // the right edge past the newest bar
  ASSERT_TRUE(BuildChartDetailRows(0, 0, gChartContexts[0].detailBar, false, &rows));
  const PackedDate newest = gChartContexts[0].periods[0].bars->bars[kBars - 1].date;
  char caption[kDetailTextSize];
  snprintf(caption, sizeof caption, "%d/%d/%d 確定", PackedYear(newest), PackedMonth(newest), PackedDay(newest));
  EXPECT_EQ(std::string(rows.caption), caption) << "the newest bar, not the right edge past it";
  StoreCrossHair(0, 0, bar, 100, 50, 1234);
  ReloadAllChartSeries();
  EXPECT_EQ(gChartContexts[0].detailBar, -1);
}

// With the mouse off the charts the window shows the selected pane (the price
// pane when a list pick selected none) at its newest bar, with the cursor row
// only for a cross-hair in that pane.
TEST_F(ChartLoadingTest, WithoutACrossHairTheDetailWindowShowsTheSelectedChartsNewestBarAndNoCursorRow) {
  ShowCharts({{kIndex, 0}, {stocks_[1], 0}});
  View(1).paneCount = 2;
  View(1).paneKinds[1] = kPaneRsi;
  gSelectedChart = 1;
  char open[kInt64TextSize] = "始=";
  FormatThousands(Daily(1).bars[Daily(1).count - 1].open, open + strlen(open));
  static DetailRows rows;
  const struct {
    int selectedPane, crossHairPane, kind;
    std::string shown;  // the opening price and cursor rows
  } cases[] = {{-1, -1, kPaneCandles, open}, {1, -1, kPaneRsi, ""}, {1, 1, kPaneRsi, "★指示値=12.34"}};
  for (const auto& c : cases) {
    gSelectedPane = c.selectedPane;
    ClearCrossHairState();
    if (c.crossHairPane >= 0) StoreCrossHair(1, c.crossHairPane, Daily(1).count - 1, 10, 10, 1234);
    ASSERT_TRUE(BuildChartDetailRows(-1, -1, -1, true, &rows));
    std::string shown;
    for (int i = 0; i < rows.count; ++i)
      for (const char* label : {"始", "★指示値"})
        if (strcmp(rows.rows[i].label, label) == 0) shown += std::string(label) + "=" + rows.rows[i].value;
    EXPECT_EQ(std::make_tuple(rows.paneKind, shown), std::make_tuple(c.kind, c.shown))
        << c.selectedPane << " " << c.crossHairPane;
  }
}

std::vector<int> gAppliedCharts, gRefilled;

// A new bar width keeps a chart at its newest bar; the range runs 37 bars past the
// end and a page is a twelfth plus one.
TEST_F(ChartScrollTest, PositionsBarWidthsTheRightEdgeTheRangeAndPages) {
  // Positions stay within max - page + 1; a page wider than the range keeps the minimum.
  const ChartScrollInfo bounds = {10, 400, 50, 0}, tooLong = {10, 40, 50, 0};
  EXPECT_EQ(Row(ClampChartScrollPos(bounds, 1000), ClampChartScrollPos(bounds, -5), ClampChartScrollPos(bounds, 200),
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
  const int oldEnd = GetChartEndBarIndex(0);
  ASSERT_EQ(View(0).lastBarIndex, oldEnd);
  SetChartBarWidth(0, 1);
  EXPECT_NE(GetChartEndBarIndex(0), oldEnd) << "the margin covers more bars";
  EXPECT_EQ(View(0).lastBarIndex, GetChartEndBarIndex(0));
  SetChartScrollPos(1, 150, 1);
  SetChartBarWidth(1, 19);
  EXPECT_EQ(Row(View(1).barWidth, View(1).lastBarIndex), Row(19, 150));
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
  // A page is a twelfth of the visible bars plus one; unlinked charts stay.
  gChartHooks.applyScrollBar = [](int chart, const ChartScrollInfo&) { gAppliedCharts.push_back(chart); };
  ASSERT_TRUE(ScrollChartByCode(0, kScrollThumbTrack, 200));
  gAppliedCharts.clear();
  EXPECT_TRUE(ScrollChartByCode(0, kScrollPageLeft, 0));
  EXPECT_EQ(Row(View(0).lastBarIndex, gAppliedCharts.size(), gAppliedCharts[0]), Row(200 - visible / 12 - 1, 1, 0));
  EXPECT_TRUE(ScrollChartByCode(0, kScrollPageRight, 0));
  EXPECT_EQ(View(0).lastBarIndex, 200);
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
  // On an empty series the period still changes: the weekly bars are loaded,
  // with no date to align to the position stays.
  SetChartScrollPos(0, 50, 1);
  gChartContexts[0].periods[0].bars->count = 0;
  SetChartPeriod(0, 1);
  EXPECT_EQ(Row(View(0).period, PeriodSeries(0, 1).count > 50, View(0).lastBarIndex), Row(1, true, 50));
  SetChartPeriod(-1, 0);
  EXPECT_EQ(View(0).period, 1);
}

// An import as a full daily file meets it: the oldest `dropped` bars go and
// three new days come after the last one.
void ImportThreeDays(StockCode code, int dropped) {
  auto series = std::make_unique<BarSeries>();
  GetDailyBarsForUpdate(code, series.get());
  std::copy(series->bars + dropped, series->bars + series->count, series->bars);
  series->count -= dropped;
  for (int day = 1; day <= 3; ++day) {
    series->bars[series->count] = BarOn(AddTradingDays(series->bars[series->count - 1].date, 1), 5000 + day);
    ++series->count;
  }
  UpdateDailyBars(code, *series);
}

// After an import, a chart that showed its last bar shows the new one at the
// right edge, with the scroll range grown; a chart scrolled back stays on its
// date, also when the import trimmed the oldest bars.
TEST_F(ChartScrollTest, NewBarsMoveAChartAtItsLastBarOnAndLeaveAScrolledOneOnItsDate) {
  for (const int dropped : {0, 40}) {
    for (int chart = 0; chart < 3; ++chart) LoadChartSeries(chart, 1);
    SetChartScrollPos(0, GetChartEndBarIndex(0), 0);
    SetChartScrollPos(1, 150, 0);
    const PackedDate shownDate = RightEdgeDate(1);
    SetChartScrollPos(2, Series(2).count + 20, 0);  // empty bars past the end
    const int count = Series(0).count - dropped + 3;
    for (const StockCode code : stocks_) ImportThreeDays(code, dropped);
    static ChartScrollInfo applied[3];
    gChartHooks.applyScrollBar = [](int chart, const ChartScrollInfo& info) { applied[chart] = info; };
    ReloadChartsForNewBars();
    const int visible = gChartContexts[0].geometry.visibleBars;
    for (int chart : {0, 2}) {
      const int end = count + kDefaultRightMargin / gChartContexts[chart].geometry.barSpacing;
      EXPECT_EQ(Row(Series(chart).count, GetChartEndBarIndex(chart), View(chart).lastBarIndex, applied[chart].pos),
                Row(count, end, end, end))
          << chart << " " << dropped;
    }
    EXPECT_EQ(applied[0].max, GetChartEndBarIndex(0) + kScrollBarsPastEnd + visible);
    EXPECT_EQ(Row(View(1).lastBarIndex, RightEdgeDate(1)), Row(150 - dropped, shownDate)) << dropped;
  }
}

using Kinds = std::vector<uint32_t>;

class ChartEditingTest : public LinkedChartsTest {
 protected:
  void SetUp() override {
    LinkedChartsTest::SetUp();
    ClearChartWindowHooks();
    gChartHooks.refillChartLists = [](int chart) { gRefilled.push_back(chart); };
    gRefilled.clear();
    for (int i = 0; i < 3; ++i) {
      View(i).paneCount = 3;
      for (int p = 0; p < 3; ++p) {
        View(i).paneKinds[p] = kStartKinds[p];
        View(i).paneFlags[p] = static_cast<uint32_t>(0x10 + p);
      }
    }
    gSelectedChart = 1;
    gSelectedPane = -1;
  }

  static constexpr PaneKind kStartKinds[] = {kPaneCandles, kPaneVolume, kPaneRsi};
  static Kinds KindsOf(int chart) { return {View(chart).paneKinds, View(chart).paneKinds + View(chart).paneCount}; }
  static std::vector<int> GroupIndices() { return {View(0).groupIndex, View(1).groupIndex, View(2).groupIndex}; }
};

// Without a selected chart pane commands do nothing.
TEST_F(ChartEditingTest, APaneKindIsInsertedBelowTheSelectedPaneUpToTwelveAndRemovedWhenShown) {
  gSelectedChart = -1;
  gSelectedPane = 0;
  ToggleChartPane(kPaneObv);
  RemoveSelectedPane();
  MoveSelectedPane(kPaneToBottom);
  TogglePaneFlagBit(3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(KindsOf(i), (Kinds{kPaneCandles, kPaneVolume, kPaneRsi})) << i;
  gSelectedChart = 1;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_OBV), 1);
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneCandles, kPaneObv, kPaneVolume, kPaneRsi}));
  // A new pane starts with flags 1; flags move with their kinds.
  EXPECT_EQ(Row(View(1).paneFlags[1], View(1).paneFlags[2], gSelectedPane), Row(1, 0x11, 1));
  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_VOLUME), 1);  // shown: removed
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneCandles, kPaneObv, kPaneRsi}));
  EXPECT_EQ(KindsOf(0), (Kinds{kPaneCandles, kPaneVolume, kPaneRsi})) << "other charts untouched";
  gSelectedPane = -1;
  ToggleChartPane(kPaneAdvanceDecline);
  EXPECT_EQ(KindsOf(1)[0], uint32_t{kPaneAdvanceDecline}) << "with no pane selected the new pane goes on top";
  // Twelve panes are the most, and a shown kind still goes.
  View(1).paneCount = 12;
  for (int p = 0; p < 12; ++p) View(1).paneKinds[p] = static_cast<uint32_t>(p);
  EXPECT_EQ(ToggleChartPane(kPaneVolumeRatio), 0);
  EXPECT_EQ(View(1).paneCount, 12);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("最大12個"), std::string::npos);
  ToggleChartPane(kPaneDeviation);
  EXPECT_EQ(Row(View(1).paneCount, FindPaneByKind(kPaneDeviation)), Row(11, -1));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(ChartEditingTest, PanesMoveWithTheirFlagsAndTheSelectionFollowsAndFlagBitsFlip) {
  gSelectedPane = 2;
  const std::tuple<PaneMove, Kinds, int> moves[] = {
      {kPaneToTop, {kPaneRsi, kPaneCandles, kPaneVolume}, 0},
      {kPaneUp, {kPaneRsi, kPaneCandles, kPaneVolume}, 0},  // already on top
      {kPaneDown, {kPaneCandles, kPaneRsi, kPaneVolume}, 1},
      {kPaneToBottom, {kPaneCandles, kPaneVolume, kPaneRsi}, 2},
      {kPaneDown, {kPaneCandles, kPaneVolume, kPaneRsi}, 2},  // already last
  };
  for (const auto& [move, kinds, selected] : moves) {
    MoveSelectedPane(move);
    EXPECT_EQ(KindsOf(1), kinds) << move;
    EXPECT_EQ(Row(gSelectedPane, View(1).paneFlags[selected]), Row(selected, 0x12)) << move;
  }
  gSelectedPane = 0;
  OnMainCommand(nullptr, IDM_PANE_REMOVE);
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneVolume, kPaneRsi}));
  EXPECT_EQ(gSelectedPane, -1) << "removing the top pane leaves none selected";
  gSelectedPane = 0;  // the volume pane's flag bits flip modulo 32
  gChartHooks.invalidateRect = [](const Rect& rect) { gInvalidated.push_back(rect); };
  gDetailListArea = {804, 0, 904, 600};
  gShowDetailList = 1;
  OnMainCommand(nullptr, IDM_PANE_FLAG_FIRST + 15);
  EXPECT_EQ(View(1).paneFlags[0], (0x11u | kPaneFlagLogScale));
  EXPECT_EQ(Ltrb(gInvalidated.back()), Ltrb(gDetailListArea)) << "the list names the pane's lines";
  OnMainCommand(nullptr, IDM_PANE_FLAG_FIRST + 47);
  EXPECT_EQ(View(1).paneFlags[0], 0x11u);
  // Display switches flip their settings and report their state.
  gShowGroupList = 1;
  gSettings.hideAverageLineValues = 0;
  gShowSplitAdjusted = 0;
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_EQ(OnMainCommand(nullptr, IDM_GROUP_LIST), 1);
  EXPECT_FALSE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_AVERAGE_LINE_VALUES)) << "values shown while the hide flag is off";
  OnMainCommand(nullptr, IDM_AVERAGE_LINE_VALUES);
  OnMainCommand(nullptr, IDM_SPLIT_ADJUSTED);
  EXPECT_EQ(Row(gShowGroupList, gSettings.hideAverageLineValues, gShowSplitAdjusted), Row(0, 1, 1));
  EXPECT_FALSE(ToggleDisplaySwitch(IDM_PANE_OBV));
}

// Thicker lines repaint every chart; the snap waits for the next drag.
TEST_F(ChartEditingTest, TheLineOptionsFlipTheirSettingsAndThickLinesRepaintEveryChart) {
  gChartHooks.invalidateRect = [](const Rect& rect) { gInvalidated.push_back(rect); };
  for (const auto& [command, setting, repainted] : {std::tuple{IDM_THICK_CHART_LINES, &gSettings.thickChartLines, 3},
                                                    std::tuple{IDM_SNAP_ROUND_PRICES, &gSettings.snapDraggedPrices, 0}})
    for (const int on : {1, 0}) {
      if (on == 1) *setting = 0;
      gInvalidated.clear();
      EXPECT_EQ(OnMainCommand(nullptr, command), 1);
      EXPECT_EQ(Row(*setting, IsDisplaySwitchOn(command), gInvalidated.size()), Row(on, on, repainted)) << command;
    }
}

TEST_F(ChartEditingTest, AddingCopiesTheSelectedViewWithoutLinksUpToThreeCharts) {
  CurrentScreenPattern().chartCount = 2;
  View(1).dateLink = View(1).stockLink = 1;
  View(1).groupIndex = 9;
  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(Row(CurrentScreenPattern().chartCount, View(2).groupIndex, View(2).dateLink, View(2).stockLink,
                View(2).stockCode),
            Row(3, 9, 0, 0, stocks_[1]));
  EXPECT_EQ(gRefilled, std::vector<int>{2});
  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(CurrentScreenPattern().chartCount, 3) << "a fourth chart is refused";
}

TEST_F(ChartEditingTest, RemovingAChartKeepsItsViewAndRefillsEveryListThatMoved) {
  for (int i = 0; i < 3; ++i) View(i).groupIndex = i + 1;
  gSelectedChart = 0;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  ASSERT_EQ(CurrentScreenPattern().chartCount, 2);
  EXPECT_EQ(GroupIndices(), (std::vector<int>{2, 3, 1})) << "the removed view kept unshown in the last slot";
  EXPECT_EQ(Row(View(0).stockCode, Series(0).code, gSelectedChart, gSelectedPane), Row(stocks_[1], stocks_[1], 0, -1));
  EXPECT_EQ(gRefilled, (std::vector<int>{0, 1})) << "each shown chart's lists show its new view";
  for (int chart : {1, 0}) {
    gSelectedChart = chart;
    OnMainCommand(nullptr, IDM_REMOVE_CHART);
  }
  EXPECT_EQ(CurrentScreenPattern().chartCount, 1) << "the last chart stays";
}

// The chart that moves up keeps no link to a chart below it: one added later is not coupled by accident.
TEST_F(ChartEditingTest, RemovingTheUpperOfTwoChartsLeavesNoLinkOnTheChartThatMovedUp) {
  CurrentScreenPattern().chartCount = 2;
  View(0).groupIndex = 4;
  View(1).groupIndex = 7;
  View(0).dateLink = View(0).stockLink = View(1).dateLink = View(1).stockLink = 1;
  gSelectedChart = 0;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  EXPECT_EQ(Row(CurrentScreenPattern().chartCount, View(0).groupIndex, View(0).dateLink, View(0).stockLink),
            Row(1, 7, 0, 0));
  EXPECT_EQ(gRefilled, std::vector<int>{0}) << "the list shows the moved-up view's group";
  gSelectedChart = -1;
  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(Row(View(0).dateLink, View(0).stockLink, View(1).dateLink, View(1).stockLink), Row(0, 0, 0, 0));
}

// The detail splitter stops at half the client and 100 pixels before its right edge.
TEST(DragLimitsTest, SplittersAndMarginsStayInTheirBounds) {
  EXPECT_EQ(Row(GroupListWidthForDrag(250, 1000), GroupListWidthForDrag(20, 1000), GroupListWidthForDrag(900, 1000),
                DetailListWidthForDrag(700, 1000), DetailListWidthForDrag(100, 1000), DetailListWidthForDrag(990, 1000),
                RightMarginForDrag(32, 500, 480, 1000), RightMarginForDrag(32, 500, 600, 1000),
                RightMarginForDrag(32, 500, -100000, 1000)),
            Row(250, 100, 500, 298, 498, 98, 52, 1, 500));
  const Rect chart = {0, 0, 800, 400};
  EXPECT_EQ(Ltrb(WidenedMarginHandle({780, 10, 787, 100}, chart)), (Ltrb4{768, 10, 799, 100}));
  EXPECT_EQ(WidenedMarginHandle({0, 0, 0, 0}, chart).right, 0);
}

constexpr char kNotPatternFileText[] = "これは、ヴェルクォラの画面パターンファイルではありません。";

std::vector<std::string> gHookLog;
using Log = std::vector<std::string>;

std::vector<uint8_t> FileBytes(const ScreenPatternFile& file, size_t size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
  return std::vector<uint8_t>(bytes, bytes + size);
}

ChartView MakeView(const char* code, int period, bool keep) {
  ChartView view = gScreenPatterns[0].views[0];
  view.stockCode = StringToCode(code);
  view.period = period;
  view.keepStock = keep ? 1 : 0;
  view.lastBarIndex = 100;
  view.groupIndex = 1;
  return view;
}

void SetPattern(int n, std::vector<ChartView> views) {
  gScreenPatterns[n].chartCount = static_cast<int>(views.size());
  for (size_t i = 0; i < views.size(); ++i) gScreenPatterns[n].views[i] = views[i];
}

StockCode ShownCode(int pattern, int chart) { return gScreenPatterns[pattern].views[chart].stockCode; }

class ScreenPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCursorBar = 5;
    ClearChartWindowHooks();
    gChartHooks.beginWait = [] { gHookLog.push_back("wait"); };
    gChartHooks.reloadChart = [](int chart) { gHookLog.push_back("reload " + std::to_string(chart)); };
    gChartHooks.layoutCharts = [] { gHookLog.push_back("layout"); };
    gChartHooks.alignLinkedCharts = [](int upper) { gHookLog.push_back("align " + std::to_string(upper)); };
    gChartHooks.patternShown = [] { gHookLog.push_back("shown"); };
    gChartHooks.patternNamesChanged = [] { gHookLog.push_back("names"); };
    gHookLog.clear();
  }

  // A valid pattern file made from distinct patterns and heights.
  static ScreenPatternFile SampleFile() {
    ScreenPatternFile file{};
    file.tag = kScreenPatternFileTag;
    memcpy(file.patterns, gScreenPatterns, sizeof file.patterns);
    for (int n = 0; n < kScreenPatternCount; ++n) {
      ScreenPattern& p = file.patterns[n];
      snprintf(p.name, sizeof p.name, "相場%d", n);
      p.chartCount = 1 + n % 3;
      p.views[0].stockCode = StringToCode("7203");
      p.views[1].barWidth = 1 + 2 * (n % 10);
      p.views[2].paneKinds[3] = static_cast<uint32_t>(n);
    }
    for (int i = 0; i < kPatternFilePaneHeights; ++i) file.paneHeights[i] = static_cast<uint16_t>(200 + i);
    return file;
  }

  int ImportBytes(const std::vector<uint8_t>& bytes) {
    WriteWholeFile(folder_.path() + "in.dat", bytes);
    QueueFileDialogAnswer(folder_.path() + "in.dat");
    return ImportScreenPatterns();
  }

  // A refused file shows its message and leaves every setting as it was.
  void ExpectRefused(const std::vector<uint8_t>& bytes, const char* what) {
    const SettingsBlock before = gSettings;
    EXPECT_EQ(ImportBytes(bytes), 0) << what;
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_EQ(boxes[0].title + "|" + boxes[0].text, std::string("ヴェルクォラ22|") + kNotPatternFileText) << what;
    EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0) << what;
    EXPECT_TRUE(gHookLog.empty()) << what;
  }

  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

using PatternFileTest = ScreenPatternTest;

TEST_F(ScreenPatternTest, TheShownPatternNeedsForceOnlyTheTwelveAreTakenAndLinkedChartsAreAligned) {
  EXPECT_EQ(SwitchScreenPattern(0, 0), 0);
  EXPECT_TRUE(gHookLog.empty());
  EXPECT_EQ(SwitchScreenPattern(0, 1), 1);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "layout", "shown"}));
  gHookLog.clear();
  gCurrentPattern = 3;
  for (int n : {-1, 12, 32877}) EXPECT_EQ(SwitchScreenPattern(n, 1), 0) << n;
  EXPECT_EQ(Row(gCurrentPattern, gHookLog.size()), Row(3, 0));
  // A damaged current index is brought back before use.
  gCurrentPattern = 4000;
  char title[128];
  FormatMainWindowTitle(title, sizeof title);
  EXPECT_STREQ(title, "ヴェルクォラ22　－　パターン1");
  gCurrentPattern = -7;
  EXPECT_EQ(SwitchScreenPattern(2, 0), 1);
  EXPECT_EQ(gCurrentPattern, 2);
  gHookLog.clear();  // linked charts are aligned top down with a layout after each
  ChartView view = MakeView("7203", 0, true);
  view.dateLink = 1;
  SetPattern(5, {view, view, view});
  SwitchScreenPattern(5, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "reload 2", "layout", "align 0", "layout", "align 1",
                           "layout", "shown"}));
  // The last chart's link has no chart below it.
  gHookLog.clear();
  SetPattern(6, {view, view});
  gScreenPatterns[6].views[0].dateLink = 0;
  SwitchScreenPattern(6, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "layout", "shown"}));
}

// Two unkept charts that showed the same stock both follow; one showing another stock does not.
TEST_F(ScreenPatternTest, UnkeptChartsWithTheSameStockFollowTheCarriedView) {
  ChartView carried = MakeView("7203", 0, false);
  carried.lastBarIndex = 812;
  carried.groupIndex = 17;
  SetPattern(0, {carried});
  SetPattern(1, {MakeView("1001", 0, false), MakeView("1001", 1, false), MakeView("6758", 0, false)});
  ASSERT_EQ(SwitchScreenPattern(1, 0), 1);
  const ChartView* shown = gScreenPatterns[1].views;
  // A weekly chart cannot use a daily bar index: it shows the newest bars.
  EXPECT_EQ(Row(shown[0].lastBarIndex, shown[0].groupIndex, shown[1].lastBarIndex, shown[1].groupIndex,
                shown[2].lastBarIndex, shown[2].groupIndex, gSelectedChart, gPatternCarryValid),
            Row(812, 17, -1, 17, 100, 1, 0, 1));
  EXPECT_EQ(Row(ShownCode(1, 0), ShownCode(1, 1), ShownCode(1, 2)),
            Row(StringToCode("7203"), StringToCode("7203"), StringToCode("6758")));
}

TEST_F(ScreenPatternTest, KeptChartsShowWhatTheyStoredTheFirstUnkeptIsSelectedOrTheSelectedOneCarried) {
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(2, {MakeView("1301", 0, true), MakeView("1332", 2, true)});
  const ScreenPattern before = gScreenPatterns[2];
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(Row(memcmp(&gScreenPatterns[2], &before, sizeof before), gSelectedChart), Row(0, 0));
  SetPattern(3, {MakeView("1301", 0, true), MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(3, 0);
  EXPECT_EQ(Row(gSelectedChart, ShownCode(3, 0), ShownCode(3, 1)), Row(1, StringToCode("1301"), StringToCode("7203")));
  gCurrentPattern = 0;  // when every chart keeps its stock the selected one is carried
  SetPattern(0, {MakeView("1301", 0, true), MakeView("9984", 0, true)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gSelectedChart = 1;
  SwitchScreenPattern(1, 0);
  EXPECT_EQ(ShownCode(1, 0), StringToCode("9984"));
  // Without a selection nothing is remembered.
  gPatternCarryValid = 0;
  SetPattern(2, {MakeView("1001", 0, false)});
  SetPattern(1, {MakeView("1301", 0, true)});
  gSelectedChart = -1;
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(Row(gPatternCarryValid, ShownCode(2, 0)), Row(0, StringToCode("1001")));
  // A forced switch uses the view remembered earlier.
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(1, 0);  // remembers 7203
  SetPattern(0, {MakeView("4063", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  SwitchScreenPattern(1, 1);  // nothing new is remembered
  EXPECT_EQ(ShownCode(1, 0), StringToCode("7203"));
}

TEST_F(ScreenPatternTest, APaneSelectionBeyondThePanesIsClearedAndACopyKeepsItsName) {
  ChartView empty = MakeView("7203", 0, true);
  empty.paneCount = 0;
  SetPattern(4, {empty});
  SwitchScreenPattern(4, 0);
  EXPECT_EQ(Row(gSelectedPane, gCursorBar), Row(-1, -1));
  SwitchScreenPattern(5, 0);  // three panes: pane 0 stays selected
  EXPECT_EQ(gSelectedPane, 0);
  // A copy takes the charts and views but keeps the name.
  SetPattern(4, {MakeView("1301", 1, true), MakeView("9984", 2, true)});
  gCurrentPattern = 7;
  gPatternMenuSource = 4;
  ASSERT_EQ(CopyScreenPattern(7), 1);  // the shown pattern is reloaded too
  EXPECT_EQ(std::string(gScreenPatterns[7].name) + " " + gHookLog.front() + gHookLog.back(), "パターン8 waitshown");
  EXPECT_EQ(Row(gScreenPatterns[7].chartCount,
                memcmp(gScreenPatterns[7].views, gScreenPatterns[4].views, sizeof gScreenPatterns[7].views)),
            Row(2, 0));
  gPatternMenuSource = 12;  // no such source, then no such target
  EXPECT_EQ(CopyScreenPattern(1), 0);
  gPatternMenuSource = 0;
  EXPECT_EQ(CopyScreenPattern(12), 0);
}

// The export writes the tag, the patterns and all pane heights; importing them
// again restores them and shows the first.
TEST_F(PatternFileTest, ARoundTripRestoresPatternsAndHeightsAndShowsTheFirst) {
  const ScreenPatternFile file = SampleFile();
  memcpy(gScreenPatterns, file.patterns, sizeof file.patterns);
  memcpy(gPaneHeights, file.paneHeights, sizeof file.paneHeights);
  QueueFileDialogAnswer(folder_.path() + "saved.dat");
  ASSERT_EQ(ExportScreenPatterns(), 1);
  const auto bytes = ReadWholeFile(folder_.path() + "saved.dat");
  ASSERT_EQ(bytes.size(), 5232u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{0x03, 0x00, 0x16, 0x03, 0, 0, 0, 0}));
  EXPECT_EQ(Row(memcmp(bytes.data() + 8, gScreenPatterns, 5184), memcmp(bytes.data() + 5192, gPaneHeights, 40)),
            Row(0, 0));
  const SettingsBlock exported = gSettings;
  SetDefaultSettings();
  gCurrentPattern = 0;
  QueueFileDialogAnswer(folder_.path() + "saved.dat");
  ASSERT_EQ(ImportScreenPatterns(), 1);
  EXPECT_EQ(memcmp(gScreenPatterns, exported.screenPatterns, sizeof exported.screenPatterns), 0);
  EXPECT_EQ(memcmp(gPaneHeights, exported.paneHeights, sizeof exported.paneHeights), 0);
  // The menu texts, then the forced switch.
  EXPECT_EQ(Row(gCurrentPattern, TakeRecordedMessageBoxes().size()), Row(0, 0));
  EXPECT_EQ(gHookLog, (Log{"names", "wait", "reload 0", "layout", "shown"}));
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(dialogs[0].save && dialogs[0].title == "保存する画面パターンファイルを指定してください。");
  EXPECT_EQ(dialogs[0].filter, std::string("(*.dat)\0*.dat\0\0", 15));
  EXPECT_TRUE(!dialogs[1].save && dialogs[1].title == "読み込む画面パターンファイルを指定してください。");
}

TEST_F(PatternFileTest, TheOlderFormKeepsPaneHeightsTwelveToNineteenAndOldValuesAreConverted) {
  for (int i = 0; i < kPaneHeightCount; ++i) gPaneHeights[i] = static_cast<uint16_t>(10 + i);
  ScreenPatternFile file = SampleFile();
  file.paneHeights[3] = 0;  // empty heights become 40
  file.paneHeights[15] = 0;
  file.patterns[2].views[1].stockCode = 1301;  // a plain number of an older version
  file.patterns[2].views[1].rightMargin = 0;
  ASSERT_EQ(ImportBytes(FileBytes(file, kOldScreenPatternFileSize)), 1);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(gPaneHeights[i], i == 3 ? 40 : i < 12 ? 200 + i : 10 + i) << i;
  EXPECT_STREQ(gScreenPatterns[11].name, "相場11");
  EXPECT_EQ(std::make_pair(gScreenPatterns[2].views[1].stockCode, int{gScreenPatterns[2].views[1].rightMargin}),
            std::make_pair(StringToCode("1301"), 32));
  ASSERT_EQ(ImportBytes(FileBytes(file, sizeof file)), 1);
  EXPECT_EQ(gPaneHeights[15], 40);
}

// In both forms.
TEST_F(PatternFileTest, AWrongSizeTagOrRecordOutOfRangeIsRefusedAndChangesNothing) {
  const std::vector<uint8_t> full = FileBytes(SampleFile(), sizeof(ScreenPatternFile));
  for (size_t size : {size_t{0}, size_t{5215}, full.size() - 1, full.size() + 1}) {
    std::vector<uint8_t> bytes = full;
    bytes.resize(size, 0);
    ExpectRefused(bytes, (std::to_string(size) + " bytes").c_str());
  }
  const std::pair<const char*, void (*)(ScreenPatternFile&)> faults[] = {
      {"tag", [](ScreenPatternFile& f) { f.tag = 0x03160004; }},
      {"second word", [](ScreenPatternFile& f) { f.reserved = 1; }},
      {"no charts", [](ScreenPatternFile& f) { f.patterns[3].chartCount = 0; }},
      {"four charts", [](ScreenPatternFile& f) { f.patterns[3].chartCount = 4; }},
      {"13 panes", [](ScreenPatternFile& f) { f.patterns[5].views[1].paneCount = 13; }},
      {"period 3", [](ScreenPatternFile& f) { f.patterns[0].views[0].period = 3; }},
      {"kind 14", [](ScreenPatternFile& f) { f.patterns[11].views[2].paneKinds[11] = kPaneKindCount; }},
      {"bar width 20", [](ScreenPatternFile& f) { f.patterns[1].views[0].barWidth = 20; }},
      {"bar width 21", [](ScreenPatternFile& f) { f.patterns[1].views[0].barWidth = 21; }},
      {"group 124", [](ScreenPatternFile& f) { f.patterns[7].views[0].groupIndex = 124; }},
      {"name without end", [](ScreenPatternFile& f) { memset(f.patterns[9].name, 'A', 32); }},
      {"negative margin", [](ScreenPatternFile& f) { f.patterns[4].views[2].rightMargin = -1; }},
      {"code", [](ScreenPatternFile& f) { f.patterns[6].views[1].stockCode = 0xFFFFFFFFu; }},
  };
  for (const auto& [what, apply] : faults) {
    ScreenPatternFile file = SampleFile();
    apply(file);
    ExpectRefused(FileBytes(file, sizeof file), what);
    ExpectRefused(FileBytes(file, kOldScreenPatternFileSize), what);
  }
}

TEST_F(PatternFileTest, CancelledDialogsDoNothingAndReadAndWriteErrorsAreShown) {
  const SettingsBlock before = gSettings;
  QueueFileDialogAnswer("");
  QueueFileDialogAnswer("");
  EXPECT_EQ(Row(ImportScreenPatterns(), ExportScreenPatterns()), Row(0, 0));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0);
  EXPECT_FALSE(FileExists(folder_.path() + ".dat"));
  QueueFileDialogAnswer(folder_.path() + "missing.dat");
  QueueFileDialogAnswer(folder_.path() + "out.dat");
  EXPECT_EQ(ImportScreenPatterns(), 0);
  FileFaults faults;
  faults.failOpens = 100;
  faults.openError = kErrorAccessDenied;
  SetFileFaults(faults);
  SetSleepRecorded(true);
  EXPECT_EQ(ExportScreenPatterns(), 0);
  SetFileFaults(FileFaults{});
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title + boxes[1].title, "エラーエラー");
  EXPECT_FALSE(FileExists(folder_.path() + "out.dat"));
}

}  // namespace
