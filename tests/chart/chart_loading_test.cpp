// Loading the charts of the current pattern: position, stock fallback,
// forecast bars across reloads, Esc, forecast positions and invalidation.
#include "chart/chart_loading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "chart/chart_hooks.h"
#include "chart/chart_selection.h"
#include "data/daily_cache.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
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
    stockA_ = gStockTable->records[4].master.code;
    stockB_ = gStockTable->records[5].master.code;
    gInvalidated.clear();
    gChartHooks.invalidateRect = [](const Rect& rect) { gInvalidated.push_back(rect); };
  }

  // Pattern 0 with these views (stock and period), each at the newest position,
  // laid out one above the other.
  void ShowCharts(std::vector<std::pair<StockCode, int>> views) {
    CurrentScreenPattern().chartCount = static_cast<int>(views.size());
    for (size_t i = 0; i < views.size(); ++i) {
      View(i).stockCode = views[i].first;
      View(i).period = views[i].second;
      View(i).lastBarIndex = -1;
      gChartContexts[i].geometry.chart = {0, 300 * int(i), 800, 300 * int(i) + 300};
    }
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  StockCode stockA_ = 0;
  StockCode stockB_ = 0;
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

TEST_F(ChartLoadingTest, MissingStocksFallBackToTheReferenceIndex) {
  ShowCharts({{StringToCode("9998"), 0}});
  LoadChartSeries(0, 1);
  EXPECT_EQ(Row(View(0).stockCode, Daily(0).count), Row(kIndex, kBars));
  View(0).stockCode = stockA_;
  gStockTable->count = 0;  // nothing is listed any more, "1001" neither
  ResetStockLookupCache();
  LoadChartSeries(0, 0);
  EXPECT_EQ(View(0).stockCode, kIndex);
  for (const PeriodSeriesBlock& block : gChartContexts[0].periods)
    EXPECT_EQ(Row(block.rawBars->count, block.bars->count, block.chartReal[kRealCloseAverage0]->count), Row(0, 0, 0));
  EXPECT_FALSE(IsForecastEditPosition(0, 0, 0));
  EraseForecastCandle();
}

TEST_F(ChartLoadingTest, AnotherStockLeavesNothingOfTheFirst) {
  ShowCharts({{stockA_, 0}, {stockB_, 0}});
  ReloadAllChartSeries();
  CommitForecast(0, 3, 3);
  View(0).stockCode = stockB_;
  LoadChartSeries(0, 0);  // even a reload that keeps forecasts
  EXPECT_EQ(Forecast(0), Row(kForecastNone, 0));
  EXPECT_EQ(ContextDifferences(gChartContexts[0], gChartContexts[1]), "");
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
  ReloadAllChartSeries();
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
  ReloadAllChartSeries();
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
}

TEST_F(ChartLoadingTest, EscOnAWeeklyChartDropsItsLastWeek) {
  ShowCharts({{kIndex, 1}});
  ReloadAllChartSeries();
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
  ShowCharts({{kIndex, 0}, {stockA_, 0}});
  gChartContexts[2].geometry.chart = {0, 600, 800, 900};  // stored, not shown
  gDetailListArea = {804, 0, 904, 600};
  gShowDetailList = 1;
  ReloadAllChartSeries();
  InvalidateAllCharts();
  ASSERT_EQ(gInvalidated.size(), 3u);
  EXPECT_EQ(Ltrb(gInvalidated[0]), (Ltrb4{0, 0, 800, 300}));
  EXPECT_EQ(Ltrb(gInvalidated[1]), (Ltrb4{0, 300, 800, 600}));
  EXPECT_EQ(Ltrb(gInvalidated[2]), Ltrb(gDetailListArea));
  EXPECT_GT(gChartContexts[1].geometry.barSpacing, 0) << "scales come before the invalidation";
  gInvalidated.clear();
  gShowDetailList = 0;
  InvalidateChart(2);
  InvalidateAllCharts();
  EXPECT_EQ(gInvalidated.size(), 2u);
}

}  // namespace
