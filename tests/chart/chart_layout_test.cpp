// The chart's layout: geometry, pane shares, scale ranges and captions; the
// conversions between values, dates, bars and pixels, price ticks and the line
// hit test; and the caption above a chart.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_caption.h"
#include "chart/chart_layout.h"
#include "common/app_globals.h"
#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

void SetStock(int index, const char* code, int market, uint32_t flags) {
  StockRecord& record = gStockTable->records[index];
  record = StockRecord{};
  record.master.code = StringToCode(code);
  record.master.marketId = static_cast<uint16_t>(market);
  record.master.tradingUnit = 100;
  record.flags = flags;
}

// Whether a text ends with a whole character: no lead byte left at its end.
bool EndsWholeSjis(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) i += IsSjisLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
  return i == text.size();
}

using Range = std::pair<int32_t, int32_t>;

Range Rounded(int32_t min, int32_t max) {
  RoundScaleRange(&min, &max);
  return {min, max};
}

class ChartLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateStockTable());
    SetStock(0, "7203", 1, 0);
    gStockTable->count = 1;
    ResetStockLookupCache();
    gChartFontSize = 12;
    for (int k = 0; k < kPaneHeightCount; ++k)
      gPaneHeights[k] = k <= kPaneIchimoku ? 100 : (k == kPaneVolume ? 30 : 40);
    gFixedFontHeight = 12;
    gChartTextWidth = [](void*, const char* text) { return 7 * static_cast<int>(strlen(text)); };
    for (int p = 0; p < kPeriodCount; ++p) context().periods[p].params = GetDefaultIndicatorParameters(p);
    view_.stockCode = StringToCode("7203");
    view_.lastBarIndex = -1;
    view_.barWidth = 5;
    view_.rightMargin = 32;
    SetPanes({kPaneCandles, kPaneVolume, kPaneRsi});
    FillBars(300);
  }
  ChartContext& context() { return owned_.context; }
  const ChartGeometry& geometry() { return owned_.context.geometry; }
  const PaneRecord& pane(int i) { return context().panes[i]; }
  Range PaneRange(int i) { return {pane(i).minValue, pane(i).maxValue}; }
  int Height(const Rect& r) { return r.bottom - r.top; }

  void SetPanes(std::initializer_list<uint32_t> kinds, uint32_t flags = 1) {
    view_.paneCount = 0;
    for (uint32_t kind : kinds) {
      view_.paneKinds[view_.paneCount] = kind;
      view_.paneFlags[view_.paneCount++] = flags;
    }
  }

  // Daily bars low 990, high 1010 unless `shape` says otherwise.
  void FillBars(int count, const std::function<void(int, PriceBar*)>& shape = nullptr) {
    BarSeries* bars = context().periods[view_.period].bars;
    bars->count = count;
    for (int i = 0; i < count; ++i) {
      bars->bars[i] = {AddCalendarDays(MakePackedDate(2020, 1, 6), i), 1000, 1010, 990, 1000, 5000};
      if (shape) shape(i, &bars->bars[i]);
    }
  }

  void FillSeries(RealSeries* series, double value) {
    series->count = 300;
    for (int i = 0; i < 300; ++i) series->values[i] = value;
  }

  void FillInts(int slot, const std::function<int32_t(int)>& value) {
    IntSeries* series = context().periods[view_.period].chartInt[slot];
    series->count = 300;
    for (int i = 0; i < 300; ++i) series->values[i] = value(i);
  }

  // The plot area is `plotWidth` x `plotHeight` pixels at F = 12.
  void Layout(int plotWidth = 700, int plotHeight = 360) {
    ComputePaneScales(Rect{0, 0, 60 + plotWidth, 16 + plotHeight + 16 + 8}, view_, &context());
  }

  std::string Captions() {
    std::string captions;
    for (int i = 0; i < view_.paneCount; ++i) captions += std::string(i ? "|" : "") + pane(i).caption;
    return captions;
  }

  ScopedGlobalState globals_;
  ChartView view_{};
  OwnedContext owned_;
};

TEST(ChartLayoutRounding, WidensToMultiplesOfADecimalUnitWithoutOverflow) {
  const std::pair<Range, Range> cases[] = {{{-5, 5}, {-10, 10}},
                                           {{0, 100}, {0, 125}},
                                           {{0, 7499999}, {0, 7500000}},
                                           {{0, 80000000}, {0, 80000000}},
                                           {{2147483600, 2147483645}, {2147483600, INT_MAX}}};
  for (const auto& [in, out] : cases) EXPECT_EQ(Rounded(in.first, in.second), out) << in.first << ".." << in.second;
  EXPECT_EQ(Rounded(INT_MIN + 5, INT_MIN + 40).first, INT_MIN);
}

TEST_F(ChartLayoutTest, GeometryFollowsTheFontAndTheBarWidth) {
  Layout();
  const ChartGeometry& g = geometry();
  EXPECT_EQ(Row(ScaleColumnWidth(), CaptionRowHeight(), g.plotArea.left, g.plotArea.top, g.plotArea.bottom,
                g.dateAxis.bottom, g.marginHandle.left, g.barSpacing, g.visibleBars),
            Row(60, 16, 60, 16, 376, 392, 760 - 32 - 6, 7, 97));  // 97 bars: 700 / 7 - 3
  // A margin wider than a drag allows in the window is shown at the drag's limit.
  view_.rightMargin = 5000;
  gMainClientWidth = 1000;
  Layout();
  EXPECT_EQ(g.marginHandle.left, 760 - 500 - 6);
  // Widths that were never validated: odd, 1..19.
  for (auto [width, spacing] : {std::make_pair(0, 3), std::make_pair(4, 5), std::make_pair(1000, 21)}) {
    view_.barWidth = width;
    Layout();
    EXPECT_EQ(g.barSpacing, spacing) << width;
  }
  gChartFontSize = 99;  // damaged setting: the largest font
  EXPECT_EQ(Row(ScaleColumnWidth(), CaptionRowHeight()), Row(160, 42));
}

TEST_F(ChartLayoutTest, PanesShareThePlotAreaByWeightAndFillItExactly) {
  SetPanes({kPaneCandles, kPaneVolume, kPaneRsi, kPaneIchimoku});
  view_.paneCount = 3;
  Layout();
  // 100, 30, 40 of 360; the daily price pane keeps its signal strip; a pane beyond the count is cleared.
  EXPECT_EQ(Row(Height(pane(0).pane), Height(pane(1).pane), pane(1).pane.top, pane(2).pane.bottom, pane(3).pane.bottom),
            Row(211, 63, pane(0).pane.bottom, geometry().plotArea.bottom, 0));
  EXPECT_EQ(Row(pane(0).plot.top, pane(0).fullPlot.top, pane(1).plot.top),
            Row(pane(0).pane.top + kSignalStripHeight, pane(0).pane.top, pane(1).pane.top));
  for (uint16_t& h : gPaneHeights) h = 0;
  Layout(700, 300);
  EXPECT_EQ(Row(Height(pane(0).pane), Height(pane(2).pane)), Row(100, 100));
}

TEST_F(ChartLayoutTest, AShortViewAtTheNewestBarScalesOverTwentyBars) {
  FillBars(100, [](int i, PriceBar* bar) {
    if (i == 82) bar->low = 500;  // within the last 20 bars, left of the 13 shown
  });
  // The newest bar, the newest bar and the right margin, then scrolled back.
  for (auto [last, first] : {std::make_pair(-1, 80), std::make_pair(110, 80), std::make_pair(50, 37)}) {
    view_.lastBarIndex = last;
    Layout(13 * 7);
    EXPECT_EQ(Row(geometry().visibleBars, geometry().firstBar), Row(10, first)) << last;
  }
  view_.lastBarIndex = -1;
  Layout(13 * 7);
  EXPECT_LE(pane(0).minValue, 500);
  view_.stockCode = StringToCode("9999");  // missing from the table: the context is left unchanged
  context().geometry.barSpacing = -77;
  Layout();
  EXPECT_EQ(geometry().barSpacing, -77);
}

TEST_F(ChartLayoutTest, LinearPricePaneWithItsOptionalLinesAndTheFullRangeOption) {
  FillSeries(context().periods[0].chartReal[kRealBollingerCentre + 3], 1300.9);  // +2 sigma
  FillSeries(context().periods[0].chartReal[kRealBollingerCentre + 4], 800.5);   // -2 sigma
  FillSeries(context().periods[0].chartReal[kRealParabolicSar], 1000);
  context().periods[0].chartReal[kRealParabolicSar]->values[299] = 1600;
  Layout();
  EXPECT_EQ(PaneRange(0), Range(990, 1020));  // 1011, unit 10
  EXPECT_DOUBLE_EQ(pane(0).valuePerPixel, 30.0 / Height(pane(0).plot));
  EXPECT_EQ(ValueToPaneY(view_, context(), 0, 990), pane(0).plot.bottom);
  view_.paneFlags[0] = kPaneFlagSigma2;  // 800..1300, unit 75
  Layout();
  EXPECT_EQ(PaneRange(0), Range(750, 1350));
  view_.paneFlags[0] = kPaneFlagParabolic;
  Layout();
  EXPECT_EQ(pane(0).maxValue, 1650);
  view_.paneFlags[0] = kPaneFlagLine0;
  gTrendLineFullRange = true;  // 990..1020 less and plus one step, rounded again
  Layout();
  EXPECT_EQ(PaneRange(0), Range(980, 1030));
}

TEST_F(ChartLayoutTest, LogarithmicScalesAlsoServeTheIchimokuPane) {
  FillBars(300, [](int i, PriceBar* bar) {
    bar->low = 100 + i;
    bar->high = 10000 - i;
  });
  for (uint32_t kind : {kPaneCandles, kPaneIchimoku}) {
    SetPanes({kind}, kPaneFlagLogScale);
    Layout();
    const PaneRecord& p = pane(0);
    EXPECT_DOUBLE_EQ(p.log10Min, std::log10(p.minValue)) << kind;
    EXPECT_GT(p.valuePerPixel, 0) << kind;
    // Halfway up in log units is the geometric mean.
    const int32_t mean = static_cast<int32_t>(std::sqrt(double(p.minValue) * p.maxValue));
    EXPECT_NEAR(PaneValueToY(view_, context(), 0, mean), (p.plot.top + p.plot.bottom) / 2, 1) << kind;
    // The full-range option widens by the pane's own step, never a stale one.
    const int32_t narrowMin = p.minValue;
    gTrendLineFullRange = true;
    Layout();
    EXPECT_LT(pane(0).minValue, narrowMin) << kind;
    gTrendLineFullRange = false;
  }
  FillBars(300, [](int, PriceBar* bar) { bar->low = 0; });
  Layout();
  EXPECT_EQ(std::make_pair(pane(0).minValue, pane(0).log10Min), std::make_pair(0, 0.0));
}

TEST_F(ChartLayoutTest, IndicatorRangesByKind) {
  FillInts(kIntDeviation0 + 1, [](int i) { return i % 2 == 0 ? -300 : 1200; });
  FillInts(kIntDeviation0, [](int) { return -5000; });  // hidden line
  FillInts(kIntMacdLine, [](int) { return -50; });
  FillInts(kIntMacdSignal, [](int) { return 300; });
  SetPanes({kPaneDeviation, kPaneDeviation, kPaneMacd, kPaneRci, kPaneVolume});
  view_.paneFlags[0] = 0;  // no deviation line: -10000..10000, rounded
  view_.paneFlags[1] = kPaneFlagLine1;
  Layout();
  // Deviation: made symmetric, then rounded; MACD: rounded -100..350, then symmetric.
  EXPECT_EQ((std::vector<Range>{PaneRange(0), PaneRange(1), PaneRange(2), PaneRange(3), PaneRange(4)}),
            (std::vector<Range>{{-12500, 12500}, {-1250, 1250}, {-350, 350}, {-10000, 10000}, {0, 5250}}));
  EXPECT_DOUBLE_EQ(pane(3).valuePerPixel, 20000.0 / Height(pane(3).plot));
}

TEST_F(ChartLayoutTest, PanesWithNoBarsInRangeGetAFallbackRangeNotAnInvertedOne) {
  SetPanes({kPaneCandles, kPaneVolume, kPaneDeviation, kPaneMacd, kPaneDmi, kPaneSroc, kPaneObv, kPaneVolumeRatio,
            kPaneAdvanceDecline},
           PaneLineFlags(3));
  view_.lastBarIndex = 5000;  // far past the data
  Layout();
  for (int i = 0; i < view_.paneCount; ++i)
    EXPECT_TRUE(pane(i).minValue < pane(i).maxValue && pane(i).valuePerPixel > 0) << i;
  EXPECT_EQ(pane(0).maxValue, 125);
}

// The smallest window: 400 x 300 split into three charts, 12 panes, font 32,
// kinds beyond the pane-height table.
TEST_F(ChartLayoutTest, TheSmallestWindowWithTheLargestFontStaysSane) {
  gChartFontSize = 32;
  gFixedFontHeight = 40;
  SetPanes({0, 1, 2, 3, 4, 5, 6, 7, 8, 14, 20, 0xFFFFFFFF}, 0xFFFFFFFF);
  for (int chart = 0; chart < 3; ++chart) {
    ComputePaneScales(Rect{0, chart * 100, 400, chart * 100 + 100}, view_, &context());
    for (int i = 0; i < 12; ++i) {
      const PaneRecord& p = pane(i);
      EXPECT_TRUE(p.plot.top <= p.plot.bottom && p.minValue <= p.maxValue) << i;
      EXPECT_TRUE(std::isfinite(p.valuePerPixel) && p.valuePerPixel > 0) << i;
      EXPECT_TRUE(std::isfinite(p.logPerPixel) && p.logPerPixel > 0) << i;
      (void)ValueToPaneY(view_, context(), i, INT_MIN);
    }
  }
  EXPECT_STREQ(pane(11).caption, "");
  ComputePaneScales(Rect{0, 0, 50, 40}, view_, &context());  // narrower than the scale column
  EXPECT_EQ(geometry().visibleBars, 0);
}

TEST_F(ChartLayoutTest, CaptionsNameTheKindAndTheShownPeriodsAndAreCutBetweenCharacters) {
  SetPanes({kPaneCandles, kPaneIchimoku, kPaneVolume, kPaneDeviation, kPaneMacd, kPaneSroc, kPaneVolumeRatio});
  view_.paneFlags[0] = PaneLineFlags(2) | kPaneFlagLogScale;
  view_.paneFlags[2] = PaneLineFlags(2);
  view_.paneFlags[3] = kPaneFlagLine0 | kPaneFlagLine2;
  context().periods[0].params.slot[kParamDeviationSecond0] = 10;  // second average of deviation line 1
  Layout();
  EXPECT_EQ(Captions(),
            "ろうそく足(5日/25日) 対数 |一目均衡表|出来高(6日/13日)|乖離率(6日+10日/75日)|MACD(12日,26日,9日)|"
            "S-ROC(13日,21日)|ボリュームレシオ(25日)");
  const Rect& r = pane(1).captionRect;  // placed above the signal strip
  EXPECT_EQ(Row(r.left, r.top, r.right - r.left), Row(pane(1).plot.left + 5, pane(1).fullPlot.top + 3, 70));
  view_.period = 2;
  FillBars(60);
  SetPanes({kPaneCandles}, kPaneFlagLine0 | kPaneFlagBollingerCentre | kPaneFlagSigma1 | kPaneFlagSigma3);
  Layout();
  EXPECT_EQ(Captions(), "ろうそく足(6月/BOL25月/1σ/3σ)");
  for (uint16_t& slot : context().periods[2].params.slot) slot = 65535;
  SetPanes({kPaneCandles}, 0xFFFFFFFF);
  Layout();
  const std::string caption = Captions();
  EXPECT_EQ(Row(caption.size() < kPaneCaptionSize, caption.size() > 70, EndsWholeSjis(caption)), Row(true, true, true));
}

constexpr int kIndexStock = 0;
constexpr int kPlainStock = 1;
constexpr int kWeightStock = 2;  // in the index-weight list
constexpr int kBars = 300;

// Three stocks, bars on trading days (weekly ones on Fridays, monthly ones at
// month ends) and panes of one height.
class ChartCoordsTest : public ChartLayoutTest {
 protected:
  void SetUp() override {
    ChartLayoutTest::SetUp();
    SetStock(kIndexStock, "1001", kMarketIdIndices, 0);
    SetStock(kPlainStock, "7203", 1, 0);
    SetStock(kWeightStock, "8306", 1, kStockFlagIndexWeight);
    gStockTable->count = 3;
    ResetStockLookupCache();
    for (uint16_t& h : gPaneHeights) h = 40;
    PackedDate day = MakePackedDate(2023, 1, 4);
    for (int i = 0; i < kBars; ++i, day = AddTradingDays(day, 1)) {
      context().periods[0].bars->bars[i] = {day, 1000, 1000 + i % 50, 900 - i % 30, 1000, 100 * (i + 1)};
      context().periods[1].bars->bars[i] = {AddWeeks(MakePackedDate(2020, 1, 10), i), 1, 1, 1, 1, 1};
      context().periods[2].bars->bars[i] = {AddMonthsToMonthEnd(MakePackedDate(2010, 1, 29), i), 1, 1, 1, 1, 1};
    }
    for (int p = 0; p < kPeriodCount; ++p) context().periods[p].bars->count = kBars;
    view_.rightMargin = 0;
    Layout();
  }
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
};

TEST_F(ChartCoordsTest, TickStepsRoundingAndBarsBetweenDates) {
  // The index-weight stock uses the "(T5)" column; an index has no tick; no overflow at the top.
  EXPECT_EQ(Row(GetPriceTickStep(kPlainStock, 2999, 1), GetPriceTickStep(kPlainStock, 3000, 1),
                GetPriceTickStep(kPlainStock, 50000000, 1), GetPriceTickStep(kWeightStock, 9999, 1),
                GetPriceTickStep(kWeightStock, 10000, 1), GetPriceTickStep(kWeightStock, 299999, 1),
                GetPriceTickStep(kWeightStock, 50000000, 1), GetPriceTickStep(kPlainStock, 123456, kMarketIdIndices)),
            Row(1, 5, 100000, 1, 5, 50, 10000, 1));
  EXPECT_EQ(Row(RoundToNearestTick(kIndexStock, 123456), RoundToNearestTick(kPlainStock, 3002),
                RoundToNearestTick(kPlainStock, 3003), RoundDownToTick(kPlainStock, 3009),
                RoundUpToTick(kPlainStock, 3001), RoundUpToTick(-1, 3001), RoundToNearestTick(kPlainStock, INT_MAX),
                TruncateToHundredsOrThousands(kPlainStock, 999), TruncateToHundredsOrThousands(kPlainStock, 1050),
                TruncateToHundredsOrThousands(kPlainStock, 12499)),
            Row(123456, 3000, 3005, 3005, 3005, 3001, INT_MAX, 999, 1100, 12000));
  // Civil days for days and weeks, counted months for months.
  const PackedDate friday = MakePackedDate(2024, 6, 7), saturday = MakePackedDate(2024, 6, 8);
  const PackedDate monday = MakePackedDate(2024, 6, 10);
  EXPECT_EQ(Row(BarsBetweenDates(0, monday, friday), BarsBetweenDates(0, friday, monday),
                BarsBetweenDates(0, saturday, monday), BarsBetweenDates(0, monday, saturday),
                BarsBetweenDates(0, MakePackedDate(2023, 12, 29), MakePackedDate(2024, 1, 4)),
                BarsBetweenDates(1, AddCalendarDays(monday, -13), monday),
                BarsBetweenDates(2, MakePackedDate(2023, 1, 31), MakePackedDate(2024, 1, 31)),
                BarsBetweenDates(2, MakePackedDate(2023, 12, 15), MakePackedDate(2024, 1, 5)),
                BarsBetweenDates(2, MakePackedDate(2024, 9, 30), MakePackedDate(2024, 1, 31))),
            Row(1, -1, 0, 0, -1, -1, -12, -1, 8));
}

TEST_F(ChartCoordsTest, BarIndicesAndDatesRoundTripInsideAndOutsideTheData) {
  for (int period = 0; period < kPeriodCount; ++period) {
    view_.period = period;
    for (int i = -40; i < kBars + 12; ++i)
      EXPECT_EQ(DateToBarIndex(view_, context(), DateOfBarIndex(view_, context(), i)), i) << period << " " << i;
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
  // The handles, then the length but not its extension; close ends take the whole
  // line, a flat one a 4-pixel box; two dates on one bar share an x: a vertical
  // line, no division by zero.
  const Case cases[] = {
      {100, 100, 300, 200, 2, 103, 96, 2},  {100, 100, 300, 200, 2, 292, 208, 3}, {100, 100, 106, 104, 2, 103, 102, 1},
      {100, 100, 300, 200, 1, 200, 150, 1}, {100, 100, 300, 200, 1, 200, 157, 0}, {100, 100, 300, 200, 1, 400, 250, 0},
      {300, 200, 100, 100, 1, 20, 60, 0},   {100, 100, 900, 101, 1, 500, 102, 1}, {200, 100, 200, 300, 1, 207, 250, 1},
      {200, 100, 200, 300, 1, 200, 350, 0}, {100, 150, 300, 150, 1, 250, 158, 1}, {100, 150, 300, 150, 1, 320, 150, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(HitTestLineEnds(c.x1, c.y1, c.x2, c.y2, c.width, c.x, c.y), c.hit) << c.x << "," << c.y;
  int line = 7;
  EXPECT_EQ(HitTestTrendLines(view_, context(), 0, 300, 100, &line), 0);  // no store yet
  EXPECT_EQ(line, -1);
}

std::string Caption(int index, int period, bool forecast, int size = kChartCaptionSize) {
  char text[kChartCaptionSize];
  memset(text, 'x', sizeof text);
  FormatChartCaption(index, period, forecast, text, size);
  return text;
}

// The chart's caption: the stock, its market, its last day and its state.
TEST_F(ChartLayoutTest, TheChartCaptionNamesTheStockItsMarketItsLastDayAndItsState) {
  StockRecord& stock = gStockTable->records[0];
  stock.master = {StringToCode("7203"), "トヨタ自動車", "", "トヨタ", 1, 0, 0, 100};
  stock.flags = kStockFlagIndexWeight;
  stock.lastDate = MakePackedDate(2026, 12, 4);
  stock.liveTime = kLiveTimeFinished;
  EXPECT_EQ(Caption(0, 0, false), "7203 トヨタ自動車 (日足) - 東証プライム(T5) - 100株単位 2026/12/4  確定 ");
  // A forecast comes first, then the live time.
  EXPECT_EQ(Caption(0, 1, true), "7203 トヨタ自動車 (週足) - 東証プライム(T5) - 100株単位 2026/12/4  予想 ");
  stock.liveTime = MakePackedTime(10, 30, 5);
  stock.flags = 0;
  gShowShortNames = 1;
  EXPECT_EQ(Caption(0, 2, false), "7203 トヨタ (月足) - 東証プライム - 100株単位 2026/12/4  10:30:05 ");
  EXPECT_EQ(Caption(1, 0, false) + Caption(-1, 0, false), "") << "outside the table";
  // Cut to its buffer at a whole character.
  memset(stock.master.name, 0, sizeof stock.master.name);
  for (size_t i = 0; i + 1 < sizeof stock.master.name; i += 2) memcpy(stock.master.name + i, "あ", 2);
  stock.master.name[63] = '\x82';  // no terminator, a lead byte last
  stock.master.marketId = 200;     // outside the market names
  stock.liveTime = 0xFFFFFF;
  stock.master.tradingUnit = -32768;
  EXPECT_LT(Caption(0, 7, false).size(), static_cast<size_t>(kChartCaptionSize));
  for (int size : {1, 2, 5, 6, 7, 8, 20, 21, 40, 41, 80}) {
    const std::string cut = Caption(0, 0, false, size);
    EXPECT_TRUE(cut.size() < static_cast<size_t>(size) && EndsWholeSjis(cut)) << size;
  }
}

}  // namespace
