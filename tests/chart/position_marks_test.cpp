// What the trend-line painter shows, without a device: the lines a pane
// shows, colours, live and blinking lines, label, profit and measuring texts
// and where the measuring text goes; what the trend-line pop-up ends with.
#include "chart/position_marks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "analysis/trend_line_store.h"
#include "chart/trend_line_menu.h"
#include "records/palette_slots.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

TrendLine Horizontal(int32_t value, int32_t buyRole = 0, int32_t shortRole = 0) {
  TrendLine line{};
  line.value1 = line.value2 = value;
  line.buyRole = buyRole;
  line.shortRole = shortRole;
  line.buyShares = buyRole > 0 ? 100 : 0;
  line.shortShares = shortRole > 0 ? 200 : 0;
  return line;
}

TEST(PositionMarksTest, LabelAndProfitTextsOfTheLadderAndOfEveryPaneKind) {
  PellomaticSummary summary{};
  summary.buySide.totalShares = 300;
  summary.buySide.totalAmount = 330000;
  summary.shortSide.totalShares = 200;
  summary.shortSide.totalAmount = 200000;
  TrendLine armed = Horizontal(1000, 2);
  armed.autoOrderState = kAutoOrderArmed;
  const TrendLine close = Horizontal(1200, kTrackerCloseLine), stop = Horizontal(1000, kTrackerStopLossLine),
                  cover = Horizontal(900, 0, kTrackerCloseLine), shortStep = Horizontal(1300, 0, 1);
  constexpr ProfitPlace kAbove = ProfitPlace::kAbove, kBelow = ProfitPlace::kBelow, kNone = ProfitPlace::kNone;
  const struct {
    TrendLine line;
    int paneKind;
    bool live, autoOrderOn;
    const char *label, *profit;
    ProfitPlace place;
  } cases[] = {
      {close, kPaneCandles, false, true, "1,200 売(300株)", "損益 +30,000円", kAbove},
      {stop, kPaneIchimoku, false, true, "1,000 損切(300株)", "損益 -30,000円", kBelow},
      {cover, kPaneCandles, false, true, "900 買戻(200株)", "損益 +20,000円", kBelow},
      {armed, kPaneCandles, true, true, "1,000 [自]買2(100株)", "", kNone},
      {armed, kPaneCandles, true, false, "1,000 [停]買2(100株)", "", kNone},
      {armed, kPaneCandles, false, true, "1,000 買2(100株)", "", kNone},
      {shortStep, kPaneCandles, false, true, "1,300 空売1(200株)", "", kNone},
      {Horizontal(2000000), kPaneVolume, false, true, "2,000,000", "", kNone},
      {Horizontal(-50), kPaneDeviation, false, true, "-0.50", "", kNone},
      {Horizontal(-25), kPaneMacd, false, true, "-0.25", "", kNone},
      {Horizontal(-250), kPaneMacd, false, true, "-2.50", "", kNone},
  };
  for (const auto& c : cases) {
    char label[kMarkTextSize], profit[kMarkTextSize];
    FormatLineValueLabel(c.line, c.paneKind, c.live, c.autoOrderOn, summary, label, sizeof label);
    EXPECT_STREQ(label, c.label);
    EXPECT_EQ(FormatProfitText(c.line, summary, profit, sizeof profit), c.place) << c.label;
    EXPECT_STREQ(profit, c.profit);
  }
  // Ten million shares at a million yen: beyond 32 bits.
  summary.buySide = {};
  summary.buySide.totalShares = 10000000;
  summary.buySide.totalAmount = 5000000000000;
  char profit[kMarkTextSize];
  FormatProfitText(Horizontal(1000000, kTrackerCloseLine), summary, profit, sizeof profit);
  EXPECT_STREQ(profit, "損益 +5,000,000,000,000円");
}

TEST(PositionMarksTest, MeasuringTextsNeitherWrapNorDivideByZeroAndStayInsideThePane) {
  const auto measured = [](int32_t value1, int32_t value2, int paneKind, int period, int bars) {
    TrendLine line{};
    line.value1 = value1;
    line.value2 = value2;
    char text[kMarkTextSize];
    FormatMeasuringText(line, paneKind, period, bars, text, sizeof text);
    return std::string(text);
  };
  EXPECT_EQ(measured(2000000, 3000000, kPaneVolume, 0, 0), "1,000,000株 / 50.00%");
  EXPECT_EQ(measured(1000, 1100, kPaneCandles, 0, 5), "5日 / 100円 / 10.00%");
  EXPECT_EQ(measured(0, 50, kPaneDeviation, 1, -3), "-3週 / 0.50Pts");
  EXPECT_EQ(measured(-200, -205, kPaneMacd, 0, 0), "-0.05Pts / 2.50%");
  EXPECT_EQ(measured(1, 2000000000, kPaneVolume, 0, 0), "1,999,999,999株 / 199999999900.00%");
  EXPECT_EQ(measured(0, 0, kPaneCandles, 0, 0), "");
  // It sits beside the middle, is mirrored near the edges and kept inside.
  const Rect pane = {100, 50, 600, 250};  // inside: x 104..596, y 54..248
  TrendLine plain{}, upper{}, step{};
  upper.monitorKind = kMonitorUpper;
  step.buyRole = 1;
  struct Case {
    const TrendLine& line;
    int x1, y1, x2, y2, width;
    Ltrb4 placed;
  };
  const Case cases[] = {
      {plain, 200, 200, 300, 100, 80, {258, 150, 338, 162}},  // rising: below the middle
      {plain, 200, 100, 300, 200, 80, {258, 138, 338, 150}},  // falling: above it
      {upper, 200, 150, 300, 150, 80, {258, 132, 338, 144}}, {step, 200, 150, 300, 150, 80, {258, 156, 338, 168}},
      {plain, 250, 100, 250, 200, 80, {258, 144, 338, 156}},  // vertical: centred
      {plain, 500, 200, 580, 100, 80, {452, 138, 532, 150}},  // near the right: mirrored both ways
      {plain, 60, 250, 160, 240, 80, {104, 233, 184, 245}},   // near the bottom, mirrored off the left, pushed back
      {plain, 200, 60, 300, 40, 600, {104, 54, 704, 66}},     // wider than the pane: the left edge wins
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ltrb(PlaceMeasuringText(pane, c.line, c.x1, c.y1, c.x2, c.y2, c.width, 12)), c.placed)
        << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
}

// Labels beside a line are kept inside the pane as the measuring text is,
// while the point they belong to is on the pane; a scale label wider than its
// column moves right into the pane.
TEST(PositionMarksTest, LabelsOfALineOnThePaneStayInsideIt) {
  const Rect pane = {100, 50, 600, 250};  // texts inside: x 104..596, y 54..248
  constexpr int kFar = 1 << 27;
  const struct {
    const char* what;
    int x, yTop, yBottom;
    bool below;
    Ltrb4 placed;
  } dates[] = {
      {"in the middle, below", 300, 100, 200, true, {270, 202, 330, 214}},
      {"near the right edge", 590, 100, 200, true, {536, 202, 596, 214}},
      {"near the left edge", 105, 100, 200, false, {104, 86, 164, 98}},
      {"lower end at the bottom", 300, 100, 245, true, {270, 236, 330, 248}},
      {"upper end at the top", 300, 51, 200, false, {270, 54, 330, 66}},
      {"ends far beyond", 300, -kFar, kFar, false, {270, -kFar - 14, 330, -kFar - 2}},
      {"right of the pane", 650, 100, 200, true, {620, 202, 680, 214}},
  };
  for (const auto& c : dates) {
    EXPECT_EQ(Ltrb(PlaceVerticalLineDate(pane, c.x, c.yTop, c.yBottom, c.below, 60, 12)), c.placed) << c.what;
  }
  const struct {
    const char* what;
    int anchorX, anchorY;
    PixelPoint at;
    int width;
    Ltrb4 placed;
  } labels[] = {
      {"right of an end in the middle", 300, 150, {306, 144}, 80, {306, 144, 386, 156}},
      {"right of an end near the right edge", 560, 150, {566, 144}, 80, {516, 144, 596, 156}},
      {"left of an end near the left edge", 120, 150, {36, 144}, 80, {104, 144, 184, 156}},
      {"beside an end near the top", 300, 52, {306, 46}, 80, {306, 54, 386, 66}},
      {"beside an end on the row below the pane", 300, 250, {306, 244}, 80, {306, 244, 386, 256}},
      {"wider than the pane", 300, 150, {306, 144}, 600, {104, 144, 704, 156}},
      {"beside an end off the pane", 650, 150, {656, 144}, 80, {656, 144, 736, 156}},
  };
  for (const auto& c : labels) {
    EXPECT_EQ(Ltrb(PlaceMarkLabel(pane, c.anchorX, c.anchorY, c.at, c.width, 12)), c.placed) << c.what;
  }
  // Scale labels: the column from 100 to 156 holds texts ending at 156.
  const Rect label = {100, 90, 156, 103};
  EXPECT_EQ(Ltrb(FitRightAlignedText(pane, label, 56, 4)), Ltrb(label));
  EXPECT_EQ(Ltrb(FitRightAlignedText(pane, label, 57, 4)), (Ltrb4{104, 90, 161, 103}));
  EXPECT_EQ(Ltrb(FitRightAlignedText(pane, {200, 90, 256, 103}, 84, 4)), (Ltrb4{172, 90, 256, 103}));
}

TEST(PositionMarksTest, ColoursByTheFirstRuleLiveLinesAndBlinkingSteps) {
  TrendLine marked = Horizontal(1000, 1), armed = Horizontal(1000, 1);
  marked.marked = 1;
  armed.autoOrderState = kAutoOrderArmed;
  const auto slots = [](const TrendLine& line, bool rubberBand, bool live) {
    const LineMarkColors colors = GetLineMarkColors(line, rubberBand, live);
    return Row(colors.line, colors.label);
  };
  EXPECT_EQ(slots(marked, true, true), Row(kColorMeasureLine, kColorNumberEven));
  EXPECT_EQ(slots(armed, false, true), Row(kColorMonitorLine, kColorNumberEven));
  EXPECT_EQ(slots(Horizontal(1000, 0, kTrackerCloseLine), false, false), Row(kColorShortBuyMark, kColorShortBuyMark));
  EXPECT_EQ(slots(Horizontal(1000, kTrackerCloseLine), false, false), Row(kColorShortSellMark, kColorShortSellMark));
  EXPECT_EQ(slots(Horizontal(1000, 0, kTrackerStopLossLine), false, false), Row(kColorNumberEven, kColorNumberEven));
  const PackedDate lastBar = MakePackedDate(2026, 12, 4);
  TrendLine upper{}, date{};
  upper.monitorKind = kMonitorUpper;
  upper.date2 = lastBar;
  date.monitorKind = kMonitorDate;
  EXPECT_EQ(Row(IsLiveMonitorLine(upper, false, lastBar), IsLiveMonitorLine(upper, true, lastBar),
                IsLiveMonitorLine(upper, false, lastBar + 1), IsLiveMonitorLine(date, true, lastBar)),
            Row(1, 0, 0, 1));
  // Hidden only in phase 0, armed, live, on a price pane, with ordering on.
  EXPECT_EQ(Row(IsHiddenByBlink(armed, true, true, true, 0), IsHiddenByBlink(armed, true, true, true, 1),
                IsHiddenByBlink(armed, true, true, false, 0), IsHiddenByBlink(armed, false, true, true, 0),
                IsHiddenByBlink(marked, true, true, true, 0)),
            Row(1, 0, 0, 0, 0));
}

class ChartLineSetTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_TRUE(AllocTrendLineTables());
    AddStock(NumberCode(6758));
    StockRecord& stock = AddStock(NumberCode(7203));
    stock.lastDate = MakePackedDate(2026, 3, 31);
    code_ = stock.master.code;
    // Daily bars on the weekdays of March 2026 (no holidays fall in it).
    BarSeries& bars = *owned_.context.periods[0].bars;
    bars.code = code_;
    bars.count = 0;
    for (int day = 1; day <= 31; ++day) {
      const PackedDate date = MakePackedDate(2026, 3, day);
      if (GetDayOfWeek(date) % 6 != 0) bars.bars[bars.count++] = {date, 100, 110, 90, 100, 1000};
    }
    view_.stockCode = code_;
    view_.lastBarIndex = -1;
  }
  int Add(StockCode code, int paneKind, int period, int day1, int day2) {
    TrendLine& line = gTrendLines->lines[gTrendLines->count];
    line = NewTrendLine(code, MakePackedDate(2026, 3, day1), 100, MakePackedDate(2026, 3, day2), 105);
    line.paneKind = static_cast<int16_t>(paneKind);
    line.period = period;
    return gTrendLines->count++;
  }

  OwnedContext owned_;
  ChartView view_{};
  StockCode code_ = 0;
};

TEST_F(ChartLineSetTest, OneWalkKeepsTheStocksLinesAndEachPaneShowsItsOwn) {
  const int last = owned_.context.periods[0].bars->count - 1;  // 3/31
  const int first = last - 5;                                  // 3/24
  const int candle = Add(code_, kPaneCandles, 0, 2, 25);
  const int ichimoku = Add(code_, kPaneIchimoku, 0, 30, 26);  // dates in either order
  const int volume = Add(code_, kPaneVolume, 0, 24, 24);
  const int rsi = Add(code_, kPaneRsi, 0, 31, 31);
  const int weekly = Add(code_, kPaneCandles, 1, 2, 30);
  const int early = Add(code_, kPaneCandles, 0, 2, 23);
  Add(NumberCode(6758), kPaneCandles, 0, 2, 30);
  const int drawn = Add(code_, kPaneCandles, 0, 30, 31);
  --gTrendLines->count;  // the record after the counted ones: shown only while it is drawn
  static ChartLineSet set;
  CollectChartLines(view_, owned_.context, first, last, &set);
  EXPECT_EQ(std::vector<int32_t>(set.lines.begin(), set.lines.begin() + set.count),
            (std::vector<int32_t>{candle, ichimoku, volume, rsi, weekly, early}));
  gTrendLineBeingDrawn = 1;
  CollectChartLines(view_, owned_.context, first, last, &set);
  ASSERT_EQ(Row(set.count, set.lines[6], set.stockLastDate), Row(7, drawn, MakePackedDate(2026, 3, 31)));
  const auto shownOn = [&](int paneKind) {
    std::vector<int> shown;
    for (int k = 0; k < set.count; ++k)
      if (PaneShowsLine(set, *ChartSetLine(set.lines[k]), paneKind)) shown.push_back(set.lines[k]);
    return shown;
  };
  std::vector<std::vector<int>> shown;
  for (int pane : {kPaneCandles, kPaneIchimoku, kPaneVolume, kPaneRsi, kPaneMacd}) shown.push_back(shownOn(pane));
  EXPECT_EQ(shown,
            (std::vector<std::vector<int>>{{candle, ichimoku, drawn}, {candle, ichimoku, drawn}, {volume}, {rsi}, {}}));
  // A stock outside the table, or a series of one bar, shows nothing.
  owned_.context.periods[0].bars->count = 1;
  CollectChartLines(view_, owned_.context, first, last, &set);
  EXPECT_EQ(Row(set.usable, set.count), Row(0, 0));
}

// What the trend-line pop-up ends with on each pane (its states are read from the real menu under Wine).
TEST(TrendLineMenuTest, TheTailIsTheTrackerNothingOrOneItemPerLineOfThePane) {
  const std::tuple<int, TrendLineMenuTail, int, const char*> panes[] = {
      {kPaneIchimoku, TrendLineMenuTail::kTracker, 1, "株価"},
      {kPaneSroc, TrendLineMenuTail::kNothing, 1, "S-ROC"},
      {kPaneVolume, TrendLineMenuTail::kWatchedLines, 3, "出来高移動平均２"},
      {kPaneMacd, TrendLineMenuTail::kWatchedLines, 2, "シグナル"},
      {kPaneAdvanceDecline, TrendLineMenuTail::kWatchedLines, 1, "騰落レシオ"},
  };
  for (const auto& [kind, tail, count, lastText] : panes) {
    EXPECT_EQ(Row(TrendLineMenuTailOf(kind), WatchedLineItemCount(kind)), Row(tail, count)) << kind;
    EXPECT_EQ(std::string(WatchedLineItemText(kind, count - 1)), lastText) << kind;
    EXPECT_EQ(WatchedLineItemText(kind, count), nullptr) << kind;
  }
}

}  // namespace
