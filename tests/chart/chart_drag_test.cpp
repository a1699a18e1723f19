// Dragging on the charts: the daily price limits and the forecast candles
// they bound, the trading day a new candle gets, the value rules of dragged
// trend-line points, and a tracker ladder moved as a group.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>

#include "analysis/condition_items.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/drag_mode.h"
#include "chart/forecast_candles.h"
#include "chart/line_dragging.h"
#include "chart/screen_pattern.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

constexpr int kMarketPrime = 1;

TEST(PriceLimitTest, TheTableAndTheForecastBoundsAfterACloseOrThreeLimitUpDays) {
  EXPECT_EQ(Row(DailyPriceLimit(99), DailyPriceLimit(100), DailyPriceLimit(999), DailyPriceLimit(1000),
                DailyPriceLimit(50000000), DailyPriceLimit(INT32_MAX)),
            Row(30, 50, 150, 300, 10000000, 10000000));
  // On the heap, so that a read before the first bar is caught.
  auto bars = std::make_unique<BarSeries>();
  const auto set = [&](std::initializer_list<std::pair<int32_t, int32_t>> closesAndVolumes) {
    bars->count = 0;
    for (const auto& [close, volume] : closesAndVolumes)
      bars->bars[bars->count++] = {0, close, close, close, close, volume};
  };
  const auto bounds = [&](int market, int b) {
    return Row(ClampToPriceLimit(*bars, market, b, 1), ClampToPriceLimit(*bars, market, b, 99999));
  };
  set({{1000, 500}});
  EXPECT_EQ(bounds(kMarketPrime, 0), Row(700, 1300));
  EXPECT_EQ(bounds(kMarketIdIndices, 0), Row(1, 99999)) << "an index has no limit";
  EXPECT_EQ(bounds(kMarketPrime, -1), Row(1, 99999)) << "the first candle has no close before it";
  set({{600, 9}, {700, 0}, {850, 0}, {1000, 0}});  // three limit-up closes without volume
  EXPECT_EQ(bounds(kMarketPrime, 3), Row(700, 1600));
  set({{600, 9}, {700, 0}, {850, 5}, {1000, 0}});
  EXPECT_EQ(bounds(kMarketPrime, 3), Row(700, 1300)) << "a day with volume";
  set({{2200, 9}, {1700, 0}, {1300, 0}, {1000, 0}});  // three limit-down closes
  EXPECT_EQ(bounds(kMarketPrime, 3), Row(400, 1300));
  set({{40, 0}});
  EXPECT_EQ(bounds(kMarketPrime, 0), Row(10, 70));
}

TEST(PriceLimitTest, TheNextTradingDayFollowsTheCalendarInsideItAndTheHolidayRulesOutside) {
  auto calendar = std::make_unique<BarSeries>();
  const PackedDate dates[] = {MakePackedDate(2026, 11, 30), MakePackedDate(2026, 12, 2), MakePackedDate(2026, 12, 4),
                              MakePackedDate(2026, 12, 8)};
  for (const PackedDate date : dates) calendar->bars[calendar->count++] = {date, 0, 0, 0, 0, 0};
  const std::pair<PackedDate, PackedDate> cases[] = {
      {dates[0], dates[1]},                                        // a calendar date: the next one
      {MakePackedDate(2026, 12, 1), dates[1]},                     // between two: the later
      {MakePackedDate(2026, 12, 7), MakePackedDate(2026, 12, 7)},  // between the last two: itself
      {dates[3], MakePackedDate(2026, 12, 9)},                     // the last: by the holiday rules
      {MakePackedDate(2026, 11, 27), MakePackedDate(2026, 11, 30)},
  };
  for (const auto& [date, next] : cases) EXPECT_EQ(NextCalendarTradingDate(calendar.get(), date), next) << date;
  EXPECT_EQ(NextCalendarTradingDate(nullptr, MakePackedDate(2026, 12, 4)), MakePackedDate(2026, 12, 7));
}

TEST(LineValueTest, ShiftHoldsTheLargerMoveSlopesStayAndLogValuesStayInRange) {
  EXPECT_EQ(Row(ChooseDragAxis(false, false, 3, 40), ChooseDragAxis(true, false, 40, 39),
                ChooseDragAxis(true, false, 5, -40), ChooseDragAxis(false, true, 0, 40)),
            Row(kAxisFree, kAxisLevel, kAxisDate, kAxisLevel));
  // pane, values, move, values after it
  const std::tuple<int, int32_t, int32_t, int64_t, int32_t, int32_t> cases[] = {
      {kPaneRsi, 3000, 5000, -4000, 0, 2000},  // pushed to 0: the slope stays
      {kPaneRsi, 3000, 5000, 6000, 8000, 10000}, {kPaneRci, -9000, 0, -5000, -10000, -1000},
      {kPaneCandles, 50, 80, -100, 1, 31},       {kPaneMacd, INT32_MAX - 5, 0, 100, INT32_MAX, 5},
  };
  for (const auto& [pane, v1, v2, delta, shifted1, shifted2] : cases) {
    int32_t out1 = 0, out2 = 0;
    ShiftValuesKeepingSlope(pane, v1, v2, delta, &out1, &out2);
    EXPECT_EQ(Row(out1, out2), Row(shifted1, shifted2)) << pane << " " << delta;
  }
  EXPECT_EQ(Row(LogPaneDraggedValue(1000, 100, 0.01), LogPaneDraggedValue(1000, -100, 0.01),
                LogPaneDraggedValue(1000, 100000, 0.01), LogPaneDraggedValue(1000, -100000, 0.01)),
            Row(10000, 100, INT32_MAX, 1));
}

class ChartDragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeSampleDatabase({scratch_.path() + "db", 3, 300, 11, MakePackedDate(2026, 12, 2)}, nullptr), 0);
    ASSERT_TRUE(AllocAllChartContexts() && AllocTrendLineTables());
    gTrendLines->count = 0;
    stock_ = gStockTable->records[4].master.code;
    ScreenPattern& pattern = CurrentScreenPattern();
    pattern.chartCount = 2;
    for (int i = 0; i < 2; ++i) {
      pattern.views[i].stockCode = stock_;
      pattern.views[i].period = i;
      pattern.views[i].lastBarIndex = -1;
      pattern.views[i].paneCount = 1;
      pattern.views[i].paneKinds[0] = kPaneCandles;
      gChartContexts[i].geometry.chart = {0, 400 * i, 900, 400 * i + 400};
    }
    ReloadAllChartSeries();
    InvalidateAllCharts();
  }
  static BarSeries& Daily(int chart) { return *gChartContexts[chart].periods[0].bars; }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
  StockCode stock_ = 0;
};

// A candle drawn past the end stays within the limit, reaches the weekly
// chart of the same stock, and never the stored prices.
TEST_F(ChartDragTest, AForecastCandleIsLimitedSharedWithTheOtherChartAndNeverStored) {
  const int count = Daily(0).count;
  const int32_t close = Daily(0).bars[count - 1].close;
  ASSERT_TRUE(StartForecastCandle(0, count, close * 3));
  DragForecastCandle(0, close * 5);
  const PriceBar drawn = Daily(0).bars[count];
  EXPECT_EQ(Row(Daily(0).count, gForecastBarCount[0], drawn.close, drawn.open),
            Row(count + 1, 1, close + DailyPriceLimit(close), close + DailyPriceLimit(close)));
  FinishForecastCandle(0);
  EXPECT_EQ(Row(gForecastState[0], gForecastState[1], Daily(1).count, Daily(1).bars[count].close,
                gChartContexts[0].periods[0].rawBars->count, gForecastBarCount[1]),
            Row(kForecastCommitted, kForecastCommitted, count + 1, drawn.close, count + 1, 1));
  auto stored = std::make_unique<BarSeries>();
  GetDailyBars(stock_, stored.get());
  EXPECT_EQ(stored->count, count) << "the price store keeps only real bars";
  EXPECT_TRUE(StartForecastCandle(0, 0, 1)) << "a candle on the first bar has no close before it";
}

// Alt on a buy step moves the ladder: every step moves the same and is
// judged again at the release, none keeping a reached flag of its old place.
TEST_F(ChartDragTest, AGroupMoveMovesEveryStepAlikeAndJudgesEachAgain) {
  const ChartView& view = CurrentScreenPattern().views[0];
  const ChartContext& context = gChartContexts[0];
  const int count = Daily(0).count;
  const int32_t close = Daily(0).bars[count - 1].close;
  gStockTable->records[FindStockIndexByCode(stock_)].snapshots[kSlotDaily].values[kItemClose] = close;
  const int32_t levels[] = {close - 20, close + 50, close + 100};
  for (int i = 0; i < 3; ++i) {
    TrendLine line =
        NewTrendLine(stock_, Daily(0).bars[count - 40].date, levels[i], Daily(0).bars[count - 1].date, levels[i]);
    line.monitorKind = kMonitorLower;
    line.buyRole = i + 1;
    line.buyShares = 100;
    line.watchedLines = 1;
    gTrendLines->lines[gTrendLines->count++] = line;
    EvaluateMonitorLine(i, false, false);
  }
  ASSERT_EQ(Row(gTrendLines->lines[0].reached, gTrendLines->lines[2].reached), Row(0, 1));
  const int last = GetViewLastBar(view, context);
  const int x = DateToPaneX(view, context, Daily(0).bars[count - 20].date, last);
  const int y = PaneValueToY(view, context, 0, levels[0]);
  BeginLineDrag(0, 0, x, y, count - 20, levels[0]);
  ASSERT_EQ(PressTrendLine(view, context, {false, false, true}), 1);
  gLineDrag.mode = kDragLineBody;
  EXPECT_EQ(gLineDrag.companionCount, 2);
  ASSERT_TRUE(MoveGrabbedTrendLine(view, context, {x, PaneValueToY(view, context, 0, levels[0] - 300), false, false}));
  FinishTrendLineMove();
  const int32_t moved = gTrendLines->lines[0].value1 - levels[0];
  EXPECT_LT(moved, -200);
  for (int i = 0; i < 3; ++i) {
    const TrendLine& line = gTrendLines->lines[i];
    EXPECT_EQ(Row(line.value1, line.value2, line.reached), Row(levels[i] + moved, levels[i] + moved, 0)) << i;
  }
}

}  // namespace
