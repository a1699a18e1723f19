// Conversions between values, dates, bars and pixels, price ticks and the
// line hit test.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "chart/chart_layout.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

constexpr int kIndexStock = 0;
constexpr int kPlainStock = 1;
constexpr int kWeightStock = 2;  // in the index-weight list
constexpr int kBars = 300;

void SetStock(int index, const char* code, int market, uint32_t flags) {
  StockRecord& record = gStockTable->records[index];
  record = StockRecord{};
  record.master.code = StringToCode(code);
  record.master.marketId = static_cast<uint16_t>(market);
  record.master.tradingUnit = 100;
  record.flags = flags;
}

PackedDate NextTradingDay(PackedDate date) {
  do date = AddCalendarDays(date, 1);
  while (IsMarketHoliday(date));
  return date;
}

class ChartCoordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateStockTable());
    SetStock(kIndexStock, "1001", kMarketIdIndices, 0);
    SetStock(kPlainStock, "7203", 1, 0);
    SetStock(kWeightStock, "8306", 1, kStockFlagIndexWeight);
    gStockTable->count = 3;
    ResetStockLookupCache();
    gChartFontSize = 12;
    for (uint16_t& h : gPaneHeights) h = 40;
    gFixedFontHeight = 12;
    // Daily bars on trading days, weekly bars on Fridays, monthly bars at month ends.
    PackedDate day = MakePackedDate(2023, 1, 4);
    for (int p = 0; p < kPeriodCount; ++p) context().periods[p].bars->count = kBars;
    for (int i = 0; i < kBars; ++i) {
      context().periods[0].bars->bars[i] = {day, 1000, 1000 + i % 50, 900 - i % 30, 1000, 100 * (i + 1)};
      context().periods[1].bars->bars[i] = {AddWeeks(MakePackedDate(2020, 1, 10), i), 1, 1, 1, 1, 1};
      context().periods[2].bars->bars[i] = {AddMonthsToMonthEnd(MakePackedDate(2010, 1, 29), i), 1, 1, 1, 1, 1};
      day = NextTradingDay(day);
    }
    view_.stockCode = StringToCode("7203");
    view_.lastBarIndex = -1;
    view_.barWidth = 5;
    view_.paneCount = 3;
    view_.paneKinds[1] = kPaneVolume;
    view_.paneKinds[2] = kPaneRsi;
    ComputePaneScales(Rect{0, 0, 760, 400}, view_, &context());
  }
  ChartContext& context() { return owned_.context; }
  const ChartGeometry& geometry() { return context().geometry; }
  PackedDate DailyDate(int i) { return context().periods[0].bars->bars[i].date; }
  int Cursor(int x, int y, int* bar) {
    int32_t value = 0;
    return GetCursorBarAndValue(&view_, &context(), 0, &x, &y, bar, &value);
  }
  // The value at y snapped by the pane's kind, and the y of that value.
  std::pair<int, int32_t> Snapped(int stock, int pane, int y) {
    int32_t value = 0;
    PaneYToValue(view_, stock, context(), pane, &y, &value);
    return {y, value};
  }
  // The centre of a bar's column, where the painters draw it.
  int Centre(int bar) {
    return geometry().plotArea.right + geometry().barSpacing / 2 - 2 -
           (geometry().lastBar - bar + 1) * geometry().barSpacing;
  }

  ScopedGlobalState globals_;
  ChartView view_{};
  OwnedContext owned_;
};

TEST_F(ChartCoordsTest, TickStepsRoundingAndBarsBetweenDates) {
  // The index-weight stock uses the "(T5)" column; an index has no tick.
  EXPECT_EQ((std::vector<int32_t>{GetPriceTickStep(kPlainStock, 2999, 1), GetPriceTickStep(kPlainStock, 3000, 1),
                                  GetPriceTickStep(kPlainStock, 50000000, 1), GetPriceTickStep(kWeightStock, 9999, 1),
                                  GetPriceTickStep(kWeightStock, 10000, 1), GetPriceTickStep(kWeightStock, 299999, 1),
                                  GetPriceTickStep(kWeightStock, 50000000, 1),
                                  GetPriceTickStep(kPlainStock, 123456, kMarketIdIndices)}),
            (std::vector<int32_t>{1, 5, 100000, 1, 5, 50, 10000, 1}));
  EXPECT_EQ(
      (std::vector<int32_t>{
          RoundToNearestTick(kIndexStock, 123456), RoundToNearestTick(kPlainStock, 3002),
          RoundToNearestTick(kPlainStock, 3003), RoundDownToTick(kPlainStock, 3009), RoundUpToTick(kPlainStock, 3001),
          RoundUpToTick(-1, 3001), RoundToNearestTick(kPlainStock, INT_MAX),  // no overflow
          TruncateToHundredsOrThousands(kPlainStock, 999), TruncateToHundredsOrThousands(kPlainStock, 1050),
          TruncateToHundredsOrThousands(kPlainStock, 12499)}),
      (std::vector<int32_t>{123456, 3000, 3005, 3005, 3005, 3001, INT_MAX, 999, 1100, 12000}));

  // Civil days for days and weeks, counted months for months.
  const PackedDate friday = MakePackedDate(2024, 6, 7), saturday = MakePackedDate(2024, 6, 8);
  const PackedDate monday = MakePackedDate(2024, 6, 10);
  EXPECT_EQ((std::vector<int>{BarsBetweenDates(0, monday, friday), BarsBetweenDates(0, friday, monday),
                              BarsBetweenDates(0, saturday, monday), BarsBetweenDates(0, monday, saturday),
                              BarsBetweenDates(0, MakePackedDate(2023, 12, 29), MakePackedDate(2024, 1, 4)),
                              BarsBetweenDates(1, AddCalendarDays(monday, -13), monday),
                              BarsBetweenDates(2, MakePackedDate(2023, 1, 31), MakePackedDate(2024, 1, 31)),
                              BarsBetweenDates(2, MakePackedDate(2023, 12, 15), MakePackedDate(2024, 1, 5)),
                              BarsBetweenDates(2, MakePackedDate(2024, 9, 30), MakePackedDate(2024, 1, 31))}),
            (std::vector<int>{1, -1, 0, 0, -1, -1, -12, -1, 8}));
}

TEST_F(ChartCoordsTest, BarIndicesAndDatesRoundTripInsideAndOutsideTheData) {
  for (int period = 0; period < kPeriodCount; ++period) {
    view_.period = period;
    for (int i = -40; i < kBars + 12; ++i) {
      EXPECT_EQ(DateToBarIndex(view_, context(), DateOfBarIndex(view_, context(), i)), i) << period << " " << i;
    }
  }
  view_.period = 0;
  // Over the new-year days; a Saturday finds the next trading day.
  EXPECT_EQ(Row(DateOfBarIndex(view_, context(), -1), DateToBarIndex(view_, context(), MakePackedDate(2023, 1, 7))),
            Row(MakePackedDate(2022, 12, 30), 3));
  context().periods[0].bars->count = 0;
  EXPECT_EQ(Row(DateOfBarIndex(view_, context(), 5), DateToBarIndex(view_, context(), MakePackedDate(2023, 1, 7))),
            Row(0, 0));
}

TEST_F(ChartCoordsTest, TradeMarksOnLongerPeriodsCoverTheWholeBar) {
  const PackedDate week = context().periods[1].bars->bars[1].date;
  const PackedDate midWeek = AddCalendarDays(week, -2);
  view_.period = 1;
  EXPECT_EQ(Row(IsTradeMarkBar(view_, context(), 1, week), IsTradeMarkBar(view_, context(), 1, midWeek),
                IsTradeMarkBar(view_, context(), 2, midWeek), IsTradeMarkBar(view_, context(), kBars, week)),
            Row(1, 1, 0, 0));
  view_.period = 0;
  EXPECT_EQ(IsTradeMarkBar(view_, context(), 3, AddCalendarDays(DailyDate(3), -1)), 0);
}

// Every pixel of a visible bar's column finds that bar again, on the painters'
// centre line; a dragged point snaps to that centre and stays there when dragged again.
TEST_F(ChartCoordsTest, EveryVisibleBarIsFoundAgainByTheCursorAndDraggedPointsSnapToItsCentre) {
  const ChartGeometry& g = geometry();
  const int y0 = (context().panes[0].plot.top + context().panes[0].plot.bottom) / 2;
  for (int i = g.lastBar - g.visibleBars - 3; i <= g.lastBar; ++i)
    EXPECT_EQ(DateToPaneX(view_, context(), DailyDate(i), g.lastBar), Centre(i)) << i;
  for (int x0 = g.plotArea.left; x0 < g.plotArea.right; ++x0) {
    int x = x0, y = y0, bar = -1, cursorBar = -1;
    int32_t value = 0;
    PointToBarAndValue(view_, context(), 0, &x, &bar, &y, &value);
    const int hit = Cursor(x0, y0, &cursorBar);
    EXPECT_EQ(Row(hit, hit ? cursorBar : bar, std::abs(x0 - Centre(bar)) <= g.barSpacing / 2),
              Row(bar <= g.lastBar, bar, true))
        << x0;
    int x2 = x, bar2 = -1;
    PointToBarAndValue(view_, context(), 0, &x2, &bar2, &y, &value);
    EXPECT_EQ(Row(x, x2, bar2), Row(Centre(bar), x, bar)) << x0;
  }
  int x = -5000, y = y0, bar = -1;
  int32_t value = 0;
  PointToBarAndValue(view_, context(), 0, &x, &bar, &y, &value);
  EXPECT_EQ(bar, 0);
}

TEST_F(ChartCoordsTest, TheCursorMissesOutsideThePaneAndUnderTheDetailWindow) {
  const PaneRecord& p = context().panes[0];
  const int x = p.plot.right - 20;
  int bar = -1, cx = x, cy = p.plot.top + 5;
  int32_t value = 0;
  // The signal strip belongs to the pane; left of the plot, the bottom edge, no view, no such pane do not.
  EXPECT_EQ(
      Row(Cursor(x, p.fullPlot.top + 2, &bar), Cursor(p.plot.left - 1, p.plot.top + 5, &bar),
          Cursor(x, p.fullPlot.bottom, &bar), GetCursorBarAndValue(nullptr, &context(), 0, &cx, &cy, &bar, &value),
          GetCursorBarAndValue(&view_, &context(), -1, &cx, &cy, &bar, &value),
          GetCursorBarAndValue(&view_, &context(), 3, &cx, &cy, &bar, &value)),
      Row(1, 0, 0, 0, 0, 0));
  gDetailWindowRect = {x - 10, p.plot.top, x + 10, p.plot.top + 50};
  EXPECT_EQ(Row(Cursor(x, p.plot.top + 5, &bar), Cursor(x, p.plot.top + 60, &bar)), Row(0, 1));
}

TEST_F(ChartCoordsTest, CursorValuesSnapByPaneKind) {
  const PaneRecord& price = context().panes[0];
  for (int y = price.plot.top; y <= price.plot.bottom; ++y) {
    const auto [snappedY, value] = Snapped(kPlainStock, 0, y);
    EXPECT_EQ(Row(value, snappedY), Row(RoundToNearestTick(kPlainStock, PaneYToPrice(view_, context(), 0, y)),
                                        ValueToPaneY(view_, context(), 0, value)));
  }
  EXPECT_EQ(Row(Snapped(kPlainStock, 0, price.plot.bottom + 1000).second, Snapped(-1, 0, price.plot.bottom).second),
            Row(1, 0));
  const auto [volumeY, volume] = Snapped(kPlainStock, 1, context().panes[1].plot.top + 7);  // whole trading units
  EXPECT_EQ(Row(volume % 100, volumeY), Row(0, ValueToPaneY(view_, context(), 1, volume)));
  EXPECT_EQ(Snapped(kPlainStock, 2, context().panes[2].plot.top + 3).first, context().panes[2].plot.top + 3);
  // An index price has no tick to snap to.
  PaneRecord& manual = context().panes[0];
  manual.plot = {60, 0, 760, 100};
  manual.minValue = 30000;
  manual.valuePerPixel = 13.7;
  EXPECT_EQ(Row(Snapped(kIndexStock, 0, 50).second, Snapped(kPlainStock, 0, 50).second,
                PaneYToPrice(view_, context(), 0, -1000000000)),
            Row(30685, 30700, 21474836));
}

TEST_F(ChartCoordsTest, AnUnscaledPaneGivesFiniteAnswers) {
  context().panes[0] = PaneRecord{};
  EXPECT_EQ(Row(ValueToPaneY(view_, context(), 0, 1000), ValueToPaneY(view_, context(), 0, INT_MAX),
                ValueToPaneY(view_, context(), 12, 5)),
            Row(-1000, -(1 << 27), 0));
  EXPECT_TRUE(std::isfinite(ValueToPaneOffset(view_, context(), 0, 1e300)));
  view_.paneFlags[0] = kPaneFlagLogScale;
  EXPECT_EQ(PaneYToPrice(view_, context(), 0, 0), 1);
}

TEST_F(ChartCoordsTest, LinesAreHitAtTheirHandlesAndAlongTheirLengthOnly) {
  struct Case {
    int x1, y1, x2, y2, width, x, y, hit;
  };
  const Case cases[] = {
      {100, 100, 300, 200, 2, 103, 96, 2},
      {100, 100, 300, 200, 2, 292, 208, 3},
      {100, 100, 106, 104, 2, 103, 102, 1},  // close ends: the whole line
      {100, 100, 300, 200, 1, 200, 150, 1},
      {100, 100, 300, 200, 1, 200, 157, 0},
      {100, 100, 300, 200, 1, 400, 250, 0},  // on the extension
      {300, 200, 100, 100, 1, 20, 60, 0},
      {100, 100, 900, 101, 1, 500, 102, 1},  // a 4-pixel box when flat
      // Two dates on one bar share an x: vertical, no division by zero.
      {200, 100, 200, 300, 1, 207, 250, 1},
      {200, 100, 200, 300, 1, 200, 350, 0},
      {100, 150, 300, 150, 1, 250, 158, 1},
      {100, 150, 300, 150, 1, 320, 150, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitTestLineEnds(c.x1, c.y1, c.x2, c.y2, c.width, c.x, c.y), c.hit) << c.x << "," << c.y;
  int line = 7;
  EXPECT_EQ(HitTestTrendLines(view_, context(), 0, 300, 100, &line), 0);  // no store yet
  EXPECT_EQ(line, -1);
}

}  // namespace
