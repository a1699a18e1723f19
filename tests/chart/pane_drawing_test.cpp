// What the chart draws and where, worked out without a device: the layout, its
// coordinates and caption, pane scales, labels, lines, candles and clouds; the
// GDI rules, the built-in palettes and small texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/trend_line_store.h"
#include "chart/candle_shape.h"
#include "chart/chart_caption.h"
#include "chart/chart_layout.h"
#include "chart/chart_text.h"
#include "chart/gdi_rules.h"
#include "chart/ichimoku_cloud.h"
#include "chart/palette.h"
#include "chart/pane_levels.h"
#include "chart/pane_pixels.h"
#include "chart/price_scale.h"
#include "chart/volume_cloud.h"
#include "records/palette_slots.h"
#include "common/app_globals.h"
#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

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

std::string Caption(int index, int period, bool forecast, int size = kChartCaptionSize) {
  char text[kChartCaptionSize];
  memset(text, 'x', sizeof text);
  FormatChartCaption(index, period, forecast, text, size);
  return text;
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

// Ranges widen to multiples of a decimal unit without overflow.
TEST_F(ChartLayoutTest, LinearPricePaneWithItsOptionalLinesAndTheFullRangeOption) {
  const std::pair<Range, Range> cases[] = {{{-5, 5}, {-10, 10}},
                                           {{0, 100}, {0, 125}},
                                           {{0, 7499999}, {0, 7500000}},
                                           {{0, 80000000}, {0, 80000000}},
                                           {{2147483600, 2147483645}, {2147483600, INT_MAX}}};
  for (const auto& [in, out] : cases) EXPECT_EQ(Rounded(in.first, in.second), out) << in.first << ".." << in.second;
  EXPECT_EQ(Rounded(INT_MIN + 5, INT_MIN + 40).first, INT_MIN);
  FillSeries(context().periods[0].chartReal[kRealBollingerCentre + 3], 1300.9);  // +2 sigma
  FillSeries(context().periods[0].chartReal[kRealBollingerCentre + 4], 800.5);   // -2 sigma
  FillSeries(context().periods[0].chartReal[kRealParabolicSar], 1000);
  context().periods[0].chartReal[kRealParabolicSar]->values[299] = 1600;
  Layout();
  EXPECT_EQ(PaneRange(0), Range(990, 1020));  // 1011, unit 10
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

TEST_F(ChartLayoutTest, PanesShareThePlotAreaByWeightAndTheGeometryFollowsTheFontAndTheBarWidth) {
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

TEST_F(ChartLayoutTest, AShortViewAtTheNewestBarScalesOverTwentyBarsAndOnePastTheDataFallsBack) {
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
  // Panes with no bars in range get a fallback range, not an inverted one.
  SetPanes({kPaneCandles, kPaneVolume, kPaneDeviation, kPaneMacd, kPaneDmi, kPaneSroc, kPaneObv, kPaneVolumeRatio,
            kPaneAdvanceDecline},
           PaneLineFlags(3));
  view_.lastBarIndex = 5000;  // far past the data
  Layout();
  for (int i = 0; i < view_.paneCount; ++i)
    EXPECT_TRUE(pane(i).minValue < pane(i).maxValue && pane(i).valuePerPixel > 0) << i;
  EXPECT_EQ(pane(0).maxValue, 125);
  view_.stockCode = StringToCode("9999");  // missing from the table: the context is left unchanged
  context().geometry.barSpacing = -77;
  Layout();
  EXPECT_EQ(geometry().barSpacing, -77);
}

TEST_F(ChartLayoutTest, TheFullRangeOptionMakesRoomForTheLinesShownInThePane) {
  ASSERT_TRUE(AllocTrendLineTables());
  const auto day = [](int i) { return AddCalendarDays(MakePackedDate(2020, 1, 6), i); };
  const StockCode code = view_.stockCode;
  // Shown (starting before the first bar shown); of another stock, period or pane; ended before the bars shown.
  const auto line = [&](StockCode c, int from, int32_t value) {
    return TestTrendLine(c, day(from), value, day(from + 10), value);
  };
  TrendLine lines[] = {line(code, 240, 1400), line(StringToCode("1301"), 250, 5000),
                       line(code, 250, 5000), line(code, 250, 9000),
                       line(code, 100, 5000), line(code, 280, 3000)};
  lines[0].date1 = day(150), lines[0].value1 = 700;
  lines[2].period = 1;
  lines[3].paneKind = kPaneVolume;
  std::copy(std::begin(lines), std::end(lines), gTrendLines->lines);
  gTrendLines->count = 5;  // the last one is being drawn
  Layout();
  EXPECT_EQ(PaneRange(0), Range(990, 1020));
  gTrendLineFullRange = true;
  Layout();
  EXPECT_EQ(Row(700 > pane(0).minValue, 1400 < pane(0).maxValue, 3000 > pane(0).maxValue, 9000 < pane(1).maxValue),
            Row(1, 1, 1, 1));
  gTrendLineBeingDrawn = 1;
  Layout();
  EXPECT_GT(pane(0).maxValue, 3000);
}

TEST_F(ChartLayoutTest, LogarithmicScalesAlsoServeTheIchimokuPaneAndIndicatorsRangeByKind) {
  FillBars(300, [](int i, PriceBar* bar) {
    bar->low = 100 + i;
    bar->high = 10000 - i;
  });
  for (uint32_t kind : {kPaneCandles, kPaneIchimoku}) {
    SetPanes({kind}, kPaneFlagLogScale);
    Layout();
    const PaneRecord& p = pane(0);
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
  // The chart caption names the stock, its market, its last day and its state.
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

// Trade marks on longer periods cover the whole bar.
TEST_F(ChartCoordsTest, TickStepsBarsBetweenDatesAndBarIndicesAndDatesRoundTripAndMarkTrades) {
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
  for (int period = 0; period < kPeriodCount; ++period) {
    view_.period = period;
    for (int i = -40; i < kBars + 12; ++i)
      EXPECT_EQ(DateToBarIndex(view_, context(), DateOfBarIndex(view_, context(), i)), i) << period << " " << i;
  }
  view_.period = 0;
  // Over the new-year days; a Saturday finds the next trading day.
  EXPECT_EQ(Row(DateOfBarIndex(view_, context(), -1), DateToBarIndex(view_, context(), MakePackedDate(2023, 1, 7))),
            Row(MakePackedDate(2022, 12, 30), 3));
  const PackedDate week = context().periods[1].bars->bars[1].date;
  const PackedDate midWeek = AddCalendarDays(week, -2);
  view_.period = 1;
  EXPECT_EQ(Row(IsTradeMarkBar(view_, context(), 1, week), IsTradeMarkBar(view_, context(), 1, midWeek),
                IsTradeMarkBar(view_, context(), 2, midWeek), IsTradeMarkBar(view_, context(), kBars, week)),
            Row(1, 1, 0, 0));
  view_.period = 0;
  EXPECT_EQ(IsTradeMarkBar(view_, context(), 3, AddCalendarDays(DailyDate(3), -1)), 0);
  context().periods[0].bars->count = 0;
  EXPECT_EQ(Row(DateOfBarIndex(view_, context(), 5), DateToBarIndex(view_, context(), MakePackedDate(2023, 1, 7))),
            Row(0, 0));
}

// Every pixel of a visible bar's column finds that bar again, on the painters'
// centre line; a dragged point snaps to that centre and stays there when dragged again.
TEST_F(ChartCoordsTest, EveryVisibleBarIsFoundAgainByTheCursorAndDraggedPointsSnapToItsCentreInsideThePane) {
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
  // The signal strip belongs to the pane; left of the plot, the bottom edge, no
  // view, no such pane and under the detail window do not.
  const PaneRecord& p = context().panes[0];
  x = p.plot.right - 20;
  int cx = x, cy = p.plot.top + 5;
  EXPECT_EQ(
      Row(Cursor(x, p.fullPlot.top + 2, &bar), Cursor(p.plot.left - 1, p.plot.top + 5, &bar),
          Cursor(x, p.fullPlot.bottom, &bar), GetCursorBarAndValue(nullptr, &context(), 0, &cx, &cy, &bar, &value),
          GetCursorBarAndValue(&view_, &context(), -1, &cx, &cy, &bar, &value),
          GetCursorBarAndValue(&view_, &context(), 3, &cx, &cy, &bar, &value)),
      Row(1, 0, 0, 0, 0, 0));
  gDetailWindowRect = {x - 10, p.plot.top, x + 10, p.plot.top + 50};
  EXPECT_EQ(Row(Cursor(x, p.plot.top + 5, &bar), Cursor(x, p.plot.top + 60, &bar)), Row(0, 1));
}

TEST_F(ChartCoordsTest, CursorValuesSnapByPaneKindAnUnscaledPaneGivesFiniteAnswersAndLinesAreHit) {
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
  // An unscaled pane gives finite answers.
  context().panes[0] = PaneRecord{};
  EXPECT_EQ(Row(ValueToPaneY(view_, context(), 0, 1000), ValueToPaneY(view_, context(), 0, INT_MAX),
                ValueToPaneY(view_, context(), 12, 5)),
            Row(-1000, -(1 << 27), 0));
  EXPECT_TRUE(std::isfinite(ValueToPaneOffset(view_, context(), 0, 1e300)));
  view_.paneFlags[0] = kPaneFlagLogScale;
  EXPECT_EQ(PaneYToPrice(view_, context(), 0, 0), 1);
  // The handles, then the length but not its extension; close ends take the whole
  // line, a flat one a 4-pixel box; two dates on one bar share an x: a vertical
  // line, no division by zero.
  constexpr int kCases[][8] = {
      {100, 100, 300, 200, 2, 103, 96, 2},  {100, 100, 300, 200, 2, 292, 208, 3}, {100, 100, 106, 104, 2, 103, 102, 1},
      {100, 100, 300, 200, 1, 200, 150, 1}, {100, 100, 300, 200, 1, 200, 157, 0}, {100, 100, 300, 200, 1, 400, 250, 0},
      {300, 200, 100, 100, 1, 20, 60, 0},   {100, 100, 900, 101, 1, 500, 102, 1}, {200, 100, 200, 300, 1, 207, 250, 1},
      {200, 100, 200, 300, 1, 200, 350, 0}, {100, 150, 300, 150, 1, 250, 158, 1}, {100, 150, 300, 150, 1, 320, 150, 0}};
  for (const auto& [x1, y1, x2, y2, width, x, y, hit] : kCases)
    EXPECT_EQ(HitTestLineEnds(x1, y1, x2, y2, width, x, y), hit) << x << "," << y;
}

TEST_F(ChartCoordsTest, TrendLinesAreHitMarkedFirstNewestFirstAndAtTheirOwnPoints) {
  ASSERT_TRUE(AllocTrendLineTables());
  const int last = kBars - 1;
  // An Ichimoku line shows on the candle pane; its first point is the later one.
  TrendLine line = TestTrendLine(view_.stockCode, DailyDate(last - 5), 1000, DailyDate(last - 25), 950);
  line.paneKind = kPaneIchimoku;
  TrendLine other = line, volume = line, weekly = line, old = line;
  other.code = StringToCode("1301");
  volume.paneKind = kPaneVolume;
  weekly.period = 1;
  old.date1 = DailyDate(10), old.date2 = DailyDate(20);
  for (const TrendLine& l : {other, volume, weekly, line, old, line}) gTrendLines->lines[gTrendLines->count++] = l;
  const auto at = [&](int bar, int32_t value) {
    return std::pair{Centre(bar), PaneValueToY(view_, context(), 0, value)};
  };
  const auto hit = [&](std::pair<int, int> point, bool ctrl = false) {
    int index = -7;
    const int part = HitTestTrendLines(view_, context(), 0, point.first, point.second, &index, ctrl);
    return Row(part, index);
  };
  const auto first = at(last - 5, 1000), second = at(last - 25, 950), middle = at(last - 15, 975);
  EXPECT_EQ(Row(first.first, first.second),
            Row(DateToPaneX(view_, context(), DailyDate(last - 5), last), ValueToPaneY(view_, context(), 0, 1000)));
  EXPECT_EQ(hit(first), Row(2, 5));
  EXPECT_EQ(hit(second), Row(3, 5));
  EXPECT_EQ(hit(second, true), Row(1, 5));
  EXPECT_EQ(hit(middle), Row(1, 5));
  EXPECT_EQ(hit(at(last - 60, 900)), Row(0, -1));
  gTrendLines->lines[3].marked = 1;
  EXPECT_EQ(hit(middle), Row(1, 3));
  // A line before the bars shown is skipped even where its points would lie.
  gTrendLines->count = 5;
  EXPECT_EQ(hit(at(15, 1000)), Row(0, -1));
  context().periods[0].bars->count = 1;
  EXPECT_EQ(hit(middle), Row(0, -1));
}

constexpr int kT = 12;  // text height
constexpr int kH = 16;  // caption height

// A pane whose plot runs from y = top to y = top + height, 60 pixels of scale.
PaneRecord MakePane(int top, int height, int32_t minValue, int32_t maxValue) {
  PaneRecord pane{};
  pane.pane = {0, top, 600, top + height};
  pane.scale = {0, top, 60, top + height};
  pane.plot = pane.fullPlot = {60, top, 600, top + height};
  pane.minValue = minValue;
  pane.maxValue = maxValue;
  pane.log10Min = minValue > 0 ? std::log10(minValue) : 0.0;
  pane.log10Max = maxValue > 0 ? std::log10(maxValue) : 0.0;
  if (height <= 0) return pane;
  pane.valuePerPixel = (static_cast<double>(maxValue) - minValue) / height;
  pane.logPerPixel = (pane.log10Max - pane.log10Min) / height;
  return pane;
}

// Labels as "text@y", the text in brackets when it is not shown and "=" after
// it when its dotted line is drawn.
std::string Labels(const PaneLabel* labels, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const PaneLabel& l = labels[i];
    text += (i ? " " : "") + (l.textShown ? l.text : "(" + std::string(l.text) + ")") + "@" + std::to_string(l.y) +
            (l.lineShown ? "=" : "");
  }
  return text;
}

std::string Divisions(const PaneRecord& pane, int n) {
  PaneLabel labels[kMaxPaneDivisions];
  return Labels(labels, BuildScaleDivisions(pane, n, kPercentDivisor, kT, kH, labels));
}

std::string VolumeDivisions(const PaneRecord& pane) {
  PaneLabel labels[kMaxPaneDivisions];
  // Six pixels per byte, like a small fixed font: 60 - 6 = 54 pixels hold nine bytes.
  const auto sixPerByte = [](void*, const char* text) { return 6 * static_cast<int>(strlen(text)); };
  return Labels(labels, BuildVolumeDivisions(pane, kT, sixPerByte, nullptr, labels));
}

template <typename T>
std::string Formatted(void (*format)(T, int, char*), T value, int divisor) {
  char text[kPaneLabelTextSize];
  format(value, divisor, text);
  return text;
}

std::vector<int32_t> Levels(int kind, const PaneRecord& pane) {
  int32_t levels[kMaxPaneLevels];
  return std::vector<int32_t>(levels, levels + GetPaneLevelsInRange(kind, pane, levels));
}

// Divisions run from the bottom up; an odd count on a pane lower than that many
// caption heights shows every other text but every line; two are never thinned.
TEST(PaneLevelsTest, ScaleDivisionsByPaneHeightAndRange) {
  const std::pair<std::string, std::string> cases[] = {
      {Divisions(MakePane(20, 200, 0, 10000), 5), "0.00@220 25.00@170= 50.00@120= 75.00@70= 100.00@20"},
      {Divisions(MakePane(0, 50, 0, 10000), 5), "0.00@50 (25.00)@38= 50.00@25= (75.00)@13= 100.00@0"},
      {Divisions(MakePane(0, 80, 0, 10000), 5), "0.00@80 25.00@60= 50.00@40= 75.00@20= 100.00@0"},
      {Divisions(MakePane(0, 20, 0, 10000), 2), "0.00@20 100.00@0"},
      {Divisions(MakePane(0, 100, -50, 150), 5), "-0.50@100 0.00@75= 0.50@50= 1.00@25= 1.50@0"},
      // Flat or empty plots, without dividing by zero; fewer than 2 or more than 11 divisions give none.
      {Divisions(MakePane(10, 0, 5000, 5000), 5), "50.00@10 (50.00)@10= 50.00@10= (50.00)@10= 50.00@10"},
      {Divisions(MakePane(10, 1, 5000, 5000), 5), "50.00@11 (50.00)@11= 50.00@11= (50.00)@11= 50.00@10"},
      {Divisions(MakePane(0, 100, 0, 10000), 1) + Divisions(MakePane(0, 100, 0, 10000), 12), ""},
  };
  for (const auto& [labels, expected] : cases) EXPECT_EQ(labels, expected);
  // Centred on y, right edge 4 pixels in; the end labels are kept 2 pixels inside.
  PaneLabel labels[kMaxPaneDivisions];
  BuildScaleDivisions(MakePane(20, 200, 0, 10000), 5, kPercentDivisor, kT, kH, labels);
  EXPECT_EQ(Ltrb(labels[1].rect), (Ltrb4{0, 164, 56, 176}));
  EXPECT_EQ(Row(labels[0].rect.top, labels[0].rect.bottom, labels[4].rect.top, labels[4].rect.bottom),
            Row(206, 218, 22, 34));
  const Rect scale{10, 100, 70, 150};
  EXPECT_EQ(Ltrb(PaneLabelRect(scale, 125, 13)), (Ltrb4{10, 119, 66, 132}));
  EXPECT_EQ(Row(PaneLabelRect(scale, 100, 13).top, PaneLabelRect(scale, 150, 13).bottom), Row(102, 148));
  // Values are rounded half away from zero, kept within the int range; other
  // divisors write whole units, cut toward zero.
  std::string texts;
  for (double value : {12.5, -12.5, -0.4, 2499.9999, 1e12}) texts += Formatted(FormatDivisionValue, value, 100) + " ";
  for (double value : {-1999.0, 2999.0}) texts += Formatted(FormatDivisionValue, value, 1000) + " ";
  for (int32_t value : {-50, 12345}) texts += Formatted(FormatLevelValue, value, value < 0 ? 100 : 1000) + " ";
  EXPECT_EQ(texts + Formatted(FormatLevelValue, -12345, 1000), "0.13 -0.13 0.00 25.00 21474836.47 -1 2 -0.50 12 -12");
}

TEST(PaneLevelsTest, FixedLevelsAndLinePointsAtTheirRows) {
  struct Case {
    int kind;
    int32_t min, max;
    std::vector<int32_t> levels;
  };
  // The volume ratio labels its maximum once.
  const Case cases[] = {{kPaneStochastics, 0, 10000, {1500, 3000, 7000, 8500}},
                        {kPaneStochastics, 2000, 8000, {3000, 7000}},
                        {kPaneDmi, 4000, 9000, {}},
                        {kPaneDmi, 3000, 9000, {3000}},
                        {kPaneSroc, 9000, 9990, {}},
                        {kPaneAdvanceDecline, 8000, 12000, {10000}},
                        {kPaneVolumeRatio, 0, 20000, {3000, 7000, 10000, 15000, 20000}},
                        {kPaneVolumeRatio, 0, 15000, {3000, 7000, 10000, 15000}},
                        {kPaneVolumeRatio, 5000, 12000, {7000, 10000, 12000}}};
  for (const Case& c : cases) EXPECT_EQ(Levels(c.kind, MakePane(0, 100, c.min, c.max)), c.levels) << c.kind;
  for (int kind : std::vector<int>{kPaneVolume, kPaneRsi, kPaneRci, kPaneDeviation, kPaneMacd, kPanePsychological,
                                   kPaneObv, kPaneCandles, kPaneKindCount, -1})
    EXPECT_TRUE(Levels(kind, MakePane(0, 100, 0, 10000)).empty()) << kind;
  const PaneRecord stochastics = MakePane(20, 200, 0, 10000);
  const PaneLabel label = BuildLevelLabel(stochastics, 1500, kPercentDivisor, kT);
  EXPECT_EQ(Row(label.y, label.rect.top, label.lineShown), Row(190, 184, true));  // 220 - 1500 / 50
  EXPECT_STREQ(label.text, "15.00");
  const PaneLabel top = BuildLevelLabel(MakePane(30, 100, 0, 20000), 20000, kPercentDivisor, kT);
  EXPECT_EQ(std::to_string(top.y) + " " + top.text, "30 200.00");
  EXPECT_EQ(LevelLineY(MakePane(20, 200, 0, 400), 5), 217);  // trunc(220 - 2.5)
  // One row above the value's row and never above the top + 1; below the plot is
  // left to the clip. The points run from the last bar down to the first index.
  const PaneRecord tall = MakePane(20, 200, 0, 10000);
  EXPECT_EQ(Row(IndicatorPointY(tall, 0), IndicatorPointY(tall, 2549), IndicatorPointY(tall, 9950),
                IndicatorPointY(tall, 10000), IndicatorPointY(tall, 30000), IndicatorPointY(tall, -500)),
            Row(219, 169, 21, 21, 21, 229));  // 2549: 220 - trunc(50.98) - 1
  EXPECT_EQ(IndicatorPointY(MakePane(0, 100, INT_MIN, INT_MAX), INT_MAX), 1);
  PaneRecord flat = MakePane(20, 0, 100, 100);
  EXPECT_EQ(IndicatorPointY(flat, 100), 21);
  flat.valuePerPixel = 1e-300;  // no overflow either
  EXPECT_EQ(IndicatorPointY(flat, INT_MAX), 21);
  EXPECT_GT(IndicatorPointY(flat, INT_MIN), 220);
  IntSeries series{};
  series.count = 30;
  for (int i = 0; i < 30; ++i) series.values[i] = i * 100;
  const PaneRecord pane = MakePane(0, 100, 0, 10000);
  PixelPoint points[64];
  int bars[64];
  // Bars 35..29 lie beyond the count; the first index 25 stops the walk;
  // x = plot right + p/2 - 2 - (last - i + 1) p.
  ASSERT_EQ(BuildIntSeriesPoints(pane, 5, series, 10, 35, 25, points, bars, 64), 5);
  EXPECT_EQ(Row(bars[0], bars[4], points[0].x, points[4].x, points[0].y, points[4].y),
            Row(29, 25, 600 - 7 * 5, 600 - 11 * 5, 100 - 29 - 1, 100 - 25 - 1));
  // The first bar shown stops it when later than the first index; never more
  // than the room given, never below bar 0.
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, 28, 29, 0, points, bars, 64), 2);
  EXPECT_EQ(Row(BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 8),
                BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 64)),
            Row(8, 30));
  series.count = 0;
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, 0, 29, 0, points, bars, 64), 0);
}

// Each kind's lines start at their period parameters (here n + 100 for parameter
// n); switched lines follow their own flag bit, the others are always drawn. A
// deviation line starts at the longer of its periods (the first without a
// second), MACD lines at the longest of their three.
TEST(PaneLevelsTest, EveryKindHasItsLinesColoursAndFirstBars) {
  IndicatorParameterSet params{};
  for (int n = 0; n < kIndicatorParamCount; ++n) params.slot[n] = static_cast<uint16_t>(n + 100);
  PaneLine lines[kMaxPaneLines];
  std::vector<int> counts;
  for (int kind = kPaneCandles; kind <= kPaneKindCount; ++kind) counts.push_back(GetPaneLines(kind, params, lines));
  EXPECT_EQ(counts, (std::vector<int>{0, 0, 2, 3, 3, 3, 2, 2, 3, 1, 3, 2, 1, 1, 0}));
  // Kind, line, series, colour, first index and flag bit.
  constexpr int kTable[][6] = {{kPaneVolume, 0, kIntVolumeAverage0, kColorVolumeAverage0, 106, 0},
                               {kPaneRsi, 2, kIntRsi0 + 2, kColorRsi0 + 2, 110, 2},
                               {kPaneStochastics, 1, kIntStochSD, kColorStochSD, 122, -1},  // %D and %SD, not %K
                               {kPaneMacd, 0, kIntMacdLine, kColorMacd, 125, -1},
                               {kPaneDmi, 2, kIntAdx, kColorAdx, 128, -1},
                               {kPaneObv, 1, kIntObvEma, kColorObvEma, 134, -1}};
  for (const auto& [kind, line, series, color, firstIndex, flagBit] : kTable) {
    GetPaneLines(kind, params, lines);
    const PaneLine& l = lines[line];
    EXPECT_EQ(Row(l.series, l.colorSlot, l.firstIndex, l.flagBit), Row(series, color, firstIndex, flagBit))
        << kind << " line " << line;
  }
  const uint16_t periods[] = {25, 5, 10, 0, 6, 75};
  for (int k = 0; k < 3; ++k) {
    params.slot[kParamDeviation0 + k] = periods[2 * k];
    params.slot[kParamDeviationSecond0 + k] = periods[2 * k + 1];
  }
  GetPaneLines(kPaneDeviation, params, lines);
  EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex, lines[2].firstIndex), Row(25, 10, 75));
  params.slot[kParamMacdShort] = 12;
  params.slot[kParamMacdLong] = 26;
  for (auto [signal, first] : {std::make_pair(9, 26), std::make_pair(40, 40)}) {
    params.slot[kParamMacdSignal] = static_cast<uint16_t>(signal);
    GetPaneLines(kPaneMacd, params, lines);
    EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex), Row(first, first));
  }
}

// Volume labels follow the plot and text heights and shrink to fit; volume bars
// rise from the minimum and are never empty.
TEST(PaneLevelsTest, VolumeLabelsAndBars) {
  // d = h / 10 against 2T = 24, trunc(2T/3) = 8, trunc(T/3) = 4.
  EXPECT_EQ(Row(VolumeLabelCount(250, kT), VolumeLabelCount(249, kT), VolumeLabelCount(90, kT),
                VolumeLabelCount(89, kT), VolumeLabelCount(50, kT), VolumeLabelCount(49, kT), VolumeLabelCount(0, kT),
                VolumeLabelCount(1, kT), VolumeLabelCount(30, 13)),
            Row(11, 5, 5, 3, 3, 2, 2, 2, 2));  // 13: trunc(13/3) = 4 > 3
  // Thousands or millions to fit; from the minimum, positions by trunc(i * h / (n - 1)).
  EXPECT_EQ(VolumeDivisions(MakePane(0, 100, 0, 2000000000)),
            "0@100 500,000千@75= 1,000百万@50= 1,500百万@25= 2,000百万@0");
  EXPECT_EQ(VolumeDivisions(MakePane(0, 195, 1000000, 2000000)),
            "1,000,000@195 1,250,000@147= 1,500,000@98= 1,750,000@49= 2,000,000@0");
  EXPECT_EQ(VolumeDivisions(MakePane(0, 0, 0, 0)), "0@0 0@0");
  EXPECT_EQ(Ltrb(VolumeBarRect(MakePane(20, 100, 0, 1000), 100, 7, 500)), (Ltrb4{97, 70, 104, 120}));
  // Height, minimum, maximum, volume, top and bottom. Zero height: one row, inside
  // the plot; a negative minimum does not lift the bars; below the minimum.
  constexpr int kCases[][6] = {
      {100, 0, 1000, 0, 119, 120},    {100, 0, 1000, 1000, 20, 120},   {100, -1000, 1000, -1000, 119, 120},
      {100, -1000, 1000, 0, 70, 120}, {100, 500, 1500, 1000, 70, 120}, {100, 500, 1500, 100, 119, 120},
      {1, 0, 0, 5000, 20, 21}};
  for (const auto& [height, min, max, volume, top, bottom] : kCases) {
    const Rect bar = VolumeBarRect(MakePane(20, height, min, max), 100, 7, volume);
    EXPECT_EQ(Row(bar.top, bar.bottom), Row(top, bottom)) << height << " " << min << " " << volume;
  }
}

std::vector<int32_t> LabelValues(const PriceScaleMarks& marks) {
  std::vector<int32_t> values;
  for (int i = 0; i < marks.count; ++i) values.push_back(marks.marks[i].value);
  return values;
}

// A maximum below five, an unscaled pane and one without height have no label.
TEST(PriceScaleTest, NineHundredToThirteenHundredOnAHundredPixelsAndNoneWithoutAScale) {
  PaneRecord unscaled = MakePane(0, 100, 0, 1000), flat = MakePane(100, 0, 0, 1000);
  unscaled.valuePerPixel = 0;
  flat.valuePerPixel = 10;
  PriceScaleMarks marks;
  for (const PaneRecord& pane : {MakePane(0, 100, 0, 4), unscaled, flat}) {
    ComputePriceScaleMarks(pane, false, kT, &marks);
    EXPECT_EQ(marks.count, 0) << pane.maxValue;
  }
  ComputePriceScaleMarks(MakePane(100, 100, 900, 1300), false, kT, &marks);
  EXPECT_EQ(LabelValues(marks), (std::vector<int32_t>{900, 1000, 1300}));
  // 900 sits on the bottom, its label moved up inside the scale; 1,300 on the top.
  EXPECT_EQ(Row(marks.marks[0].y, marks.marks[0].label.bottom, marks.marks[1].y, marks.marks[1].label.top),
            Row(200, 199, 175, 169));
  EXPECT_EQ(Row(marks.marks[2].y, marks.marks[2].label.top), Row(100, 101));
  for (int i = 0; i < marks.count; ++i)
    EXPECT_EQ(Row(marks.marks[i].labelled, marks.marks[i].label.left, marks.marks[i].label.right), Row(true, 0, 56));
}

// The tick grid as plainly written: every tick, one line per pixel row.
std::vector<ScaleMark> PlainTickGrid(const PaneRecord& pane, bool log, int stockIndex, int market, bool reference) {
  std::vector<ScaleMark> marks;
  int64_t v = reference ? 10 * (pane.minValue / 10) : pane.minValue;
  if (!reference) {
    const int32_t step = GetPriceTickStep(stockIndex, pane.minValue, market);
    while (v % step != 0) ++v;
  }
  int lastTop = pane.scale.bottom + 10;
  int lastY = INT_MAX;
  for (; v <= pane.maxValue; v += reference ? 10 : GetPriceTickStep(stockIndex, static_cast<int32_t>(v), market)) {
    const int y = PaneValueY(pane, log, static_cast<double>(v));
    if (y == lastY) continue;
    ScaleMark mark{
        static_cast<int32_t>(v), y, {pane.scale.left, y - kT / 2, pane.scale.right - 4, y - kT / 2 + kT}, false};
    mark.labelled = mark.label.bottom <= lastTop;
    if (mark.labelled) lastTop = mark.label.top;
    marks.push_back(mark);
    lastY = y;
  }
  return marks;
}

TEST(PriceScaleTest, LabelsLieOnTheirValuesWithoutOverlapAndTheTickGridDrawsEveryRowATickLiesOn) {
  std::mt19937 random(11);
  for (int round = 0; round < 400; ++round) {
    const int height = 20 + static_cast<int>(random() % 4000);
    const int32_t low = static_cast<int32_t>(random() % 200000);
    const int32_t high = low + 10 + static_cast<int32_t>(random() % 5000000);
    const bool log = round % 3 == 0 && low > 0;
    const PaneRecord pane = MakePane(0, height, low, high);
    PriceScaleMarks marks;
    ComputePriceScaleMarks(pane, log, kT, &marks);
    ASSERT_LE(marks.count, kMaxScaleLabels);
    for (int i = 0; i < marks.count; ++i) {
      const ScaleMark& a = marks.marks[i];
      EXPECT_TRUE(a.value >= low && a.value <= high) << round;
      EXPECT_EQ(a.y, PaneValueY(pane, log, a.value));
      for (int j = 0; j < i; ++j) {
        const ScaleMark& b = marks.marks[j];
        EXPECT_FALSE(a.label.top < b.label.bottom && b.label.top < a.label.bottom) << round;
      }
    }
  }
  PriceScaleMarks tall;
  ComputePriceScaleMarks(MakePane(0, 5000, 0, 100000), false, kT, &tall);
  EXPECT_EQ(tall.count, kMaxScaleLabels);
  // The tick grid skips ticks on drawn rows but draws every row a tick lies on.
  auto marks = std::make_unique<TickGridMarks>();
  random.seed(5);
  for (int round = 0; round < 300; ++round) {
    const int height = 30 + static_cast<int>(random() % 700);
    const int32_t low = 1 + static_cast<int32_t>(random() % 60000);
    const int32_t high = low + 5 + static_cast<int32_t>(random() % (round % 2 == 0 ? 400 : 20000));
    const bool log = round % 4 == 1;
    const bool reference = round % 5 == 0;
    const int market = round % 7 == 0 ? 6 : 1;
    const PaneRecord pane = MakePane(40, height, low, high);
    ComputeTickGridMarks(pane, log, kT, -1, market, reference, marks.get());
    const std::vector<ScaleMark> plain = PlainTickGrid(pane, log, -1, market, reference);
    ASSERT_EQ(marks->count, static_cast<int>(plain.size())) << round;
    for (int i = 0; i < marks->count; ++i) {
      EXPECT_EQ(marks->marks[i].value, plain[i].value) << round << " " << i;
      EXPECT_EQ(Row(marks->marks[i].y, marks->marks[i].labelled), Row(plain[i].y, plain[i].labelled));
    }
  }
}

// Prices 1000..1500 in 50 bands of 10.
PaneRecord CloudPane() { return MakePane(0, 100, 1000, 1500); }

// 900..1300 on rows 200 up to 100: 4 per pixel.
TEST(PanePixelsTest, ValuesGoUpFromTheBottomBarsStepLeftFromThePlotsRightEdgeAndCandlesTakeTheirShapes) {
  PaneRecord pane = MakePane(100, 100, 900, 1300);
  const PaneRecord candlePane = pane;
  EXPECT_EQ(Row(PaneValueY(pane, false, 900), PaneValueY(pane, false, 903), PaneValueY(pane, false, 904),
                PaneValueY(pane, false, 1300), PaneValueY(pane, true, 900), PaneValueY(pane, true, 1300)),
            Row(200, 200, 199, 100, 200, 100));
  EXPECT_NEAR(PaneValueOffset(pane, true, 1081.665), 50, 0.01);  // the geometric middle
  EXPECT_NEAR(PaneOffsetValue(pane, false, 25), 1000, 1e-9);
  EXPECT_NEAR(PaneOffsetValue(pane, true, 100), 1300, 1e-6);
  // Off the scale, infinite or not a number; log10 of 0 or less is taken as 0.
  EXPECT_EQ(Row(PaneValueY(pane, false, 1e300), PaneValueY(pane, false, -1e300),
                PaneValueY(pane, false, std::numeric_limits<double>::infinity()),
                PaneValueY(pane, false, std::numeric_limits<double>::quiet_NaN()), PaneValueY(pane, true, 0),
                PaneValueY(pane, true, -5)),
            Row(200 - kPixelOffsetLimit, 200 + kPixelOffsetLimit, 200 - kPixelOffsetLimit, 200,
                PaneValueY(pane, true, 1), PaneValueY(pane, true, 1)));
  pane.valuePerPixel = pane.logPerPixel = 0;
  EXPECT_EQ(Row(PaneValueY(pane, false, 1000), PaneValueY(pane, true, 1000)), Row(200, 200));
  // Bar centres step left from the plot's right edge.
  // p = 11: the right-most bar sits at right + 5 - 2 - 11.
  EXPECT_EQ(Row(BarCentreX(600, 11, 99, 99), BarCentreX(600, 11, 99, 98), BarCentreX(600, 3, 10, 10)),
            Row(592, 581, 596));
  EXPECT_EQ(BarCentreX(600, 11, 1 << 24, -(1 << 24)), -kPixelOffsetLimit);
  // The bars painted, from the view's last bar; a damaged last bar, nothing to
  // walk and a window narrower than its scale.
  const auto painted = [](int32_t last, int count, int width) {
    ChartView view{};
    view.lastBarIndex = last;
    const BarRange range = GetPaintBarRange(view, count, width);
    return std::make_pair(range.first, range.last);
  };
  const auto damaged = painted(INT_MAX, 500, 100), none = painted(-1, 0, 100), narrow = painted(-1, 500, -INT_MAX);
  EXPECT_EQ(Row(painted(-1, 500, 100).first, painted(-1, 500, 100).second, painted(50, 500, 100).first),
            Row(396, 499, 0));
  EXPECT_EQ(Row(damaged.second - damaged.first, none.second, none.first > none.second, narrow.first > narrow.second),
            Row(103, -1, true, true));
  // Rising: from the close to the open + 1; falling: from the open to the close
  // + 1; unchanged is drawn as falling, one pixel high.
  const CandleShape rising = ComputeCandleShape({0, 1000, 1150, 950, 1100, 10}, candlePane, false, 300, 9);
  EXPECT_EQ(Row(rising.rising, rising.highY, rising.lowY), Row(true, 200 - 62, 200 - 12));
  EXPECT_EQ(Ltrb(rising.body), (Ltrb4{296, 150, 305, 176}));
  const CandleShape falling = ComputeCandleShape({0, 1100, 1150, 950, 1000, 10}, candlePane, false, 300, 9);
  EXPECT_EQ(Row(falling.rising, falling.body.top, falling.body.bottom), Row(false, 150, 176));
  const CandleShape doji = ComputeCandleShape({0, 1052, 1100, 1000, 1052, 10}, candlePane, false, 300, 9);
  EXPECT_EQ(Row(doji.rising, doji.body.top, doji.body.bottom), Row(false, 162, 163));
  const CandleShape thin = ComputeCandleShape({0, 1000, 1000, 1000, 1004, 10}, candlePane, false, 300, 1);
  EXPECT_EQ(Row(thin.body.left, thin.body.right), Row(300, 301));
}

// Span A 1200 up to bar 99, then 1000; span B 1100.
TEST(CloudColumnsTest, SpansAreDrawnTwentyFiveBarsLaterAndColouredBySpanOrder) {
  auto a = std::make_unique<RealSeries>(), b = std::make_unique<RealSeries>();
  auto columns = std::make_unique<CloudColumns>();
  a->count = b->count = 200;
  for (int i = 0; i < 200; ++i) {
    a->values[i] = i < 100 ? 1200 : 1000;
    b->values[i] = 1100;
  }
  const PaneRecord pane = MakePane(100, 100, 900, 1300);
  ComputeCloudColumns(*a, *b, pane, false, 11, 150, 199, columns.get());
  // From bar 176 (two past the right edge once shifted) down to bar 125.
  ASSERT_EQ(columns->count, 176 - 125 + 1);
  const CloudColumn& last = columns->columns[columns->count - 1];
  EXPECT_EQ(Row(columns->columns[0].x, last.x, last.spanAY, last.spanBY, last.spanAAbove),
            Row(BarCentreX(600, 11, 199, 176 + 25), BarCentreX(600, 11, 199, 150), 200 - 25, 200 - 50, false));
  ComputeCloudColumns(*a, *b, pane, false, 11, 60, 110, columns.get());
  EXPECT_TRUE(columns->columns[columns->count - 1].spanAAbove);  // bar 35: span A 1200 above 1100
  EXPECT_EQ(columns->columns[0].x, BarCentreX(600, 11, 110, 87 + 25));
  // The walk never goes below bar 25 nor past the series.
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 40, columns.get());
  EXPECT_EQ(columns->count, 0);  // bars 0..40 would show only spans of bars below 25
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 80, columns.get());
  ASSERT_EQ(columns->count, 57 - 25 + 1);
  EXPECT_EQ(columns->columns[columns->count - 1].x, BarCentreX(600, 11, 80, 50));  // bar 25
  a->count = 30;
  ComputeCloudColumns(*a, *b, pane, false, 11, 40, 60, columns.get());
  EXPECT_EQ(columns->count, 5);  // bars 29 down to 25
  a->count = 0;
  ComputeCloudColumns(*a, *b, pane, false, 11, 100, 199, columns.get());
  EXPECT_EQ(columns->count, 0);
}

class VolumeCloudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocVolumeCloud(&cloud_));
    bars_->count = 400;
    for (int i = 0; i < bars_->count; ++i) bars_->bars[i] = {0, 1200, 1200, 1200, 1200, 0};
  }
  void TearDown() override { FreeVolumeCloud(&cloud_); }

  // A band's scaled value at a bar.
  double Value(int bar, int band) const { return cloud_.bands[band]->values[bar - cloud_.firstBar]; }

  VolumeCloud cloud_{};
  std::unique_ptr<BarSeries> bars_ = std::make_unique<BarSeries>();
};

// Every row of the weights is a bell summing to one.
TEST_F(VolumeCloudTest, OneBarFadesOverTwoDecayLengthsStartingAtTheNextBar) {
  for (int n = 1; n <= 120; ++n) {
    double sum = 0;
    for (int k = 1; k <= n; ++k) {
      sum += VolumeCloudWeight(n, k);
      EXPECT_NEAR(VolumeCloudWeight(n, k), VolumeCloudWeight(n, n + 1 - k), 1e-12);
    }
    EXPECT_NEAR(sum, 1.0, 1e-9) << n;
  }
  EXPECT_DOUBLE_EQ(VolumeCloudWeight(1, 1), 1.0);
  EXPECT_EQ(VolumeCloudWeight(50, 0) + VolumeCloudWeight(50, 51) + VolumeCloudWeight(0, 1), 0.0);
  bars_->bars[100] = {0, 1201, 1204, 1201, 1203, 1000};  // band 20 only
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, cloud_.columns), Row(60, 340));  // 300 - 2 * 120
  // Not on its own bar; the greatest becomes 32; nothing in other bands or past the used columns.
  EXPECT_EQ(Row(VolumeCloudLevel(cloud_, 100, 20), VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 221, 19),
                VolumeCloudLevel(cloud_, 400, 20)),
            Row(0, 32, 0, 0));
  EXPECT_NEAR(Value(220, 20), 32 * (1000 - 119 * 1000 / 600.0) / 1000, 1e-9);  // end of the first run
  EXPECT_NEAR(Value(221, 20), 32 * 0.2, 1e-9);                                 // the second run
  EXPECT_NEAR(Value(340, 20), 32 * (200 - 119 * 200 / 120.0) / 1000, 1e-9);
  EXPECT_EQ(Value(341, 20), 0.0);
  // The monthly cloud fades within twelve columns.
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 2, 90, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 113, 20)), Row(78, 32, 0));
  EXPECT_GT(VolumeCloudLevel(cloud_, 112, 20), 0);
}

TEST_F(VolumeCloudTest, ABarSpreadsItsVolumeByTheWeightsOfItsWholeRange) {
  // Low on the pane's minimum, high in band 49: 50 bands, the table's last row.
  bars_->bars[350] = {0, 1000, 1499, 1000, 1499, 5000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  double greatestWeight = 0;
  for (int k = 1; k <= 50; ++k) greatestWeight = std::max(greatestWeight, VolumeCloudWeight(50, k));
  for (int b = 0; b < kVolumeCloudBands; ++b)
    EXPECT_NEAR(Value(351, b), 32 * VolumeCloudWeight(50, b + 1) / greatestWeight, 1e-9) << b;
  // Bands -30..69: 100 bands, of which 0..49 are shown with the weights 31..80.
  bars_->bars[350] = {0, 900, 1699, 700, 1699, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int b : {10, 18, 25, 49})
    EXPECT_NEAR(Value(351, b) / Value(351, 0), VolumeCloudWeight(100, b + 31) / VolumeCloudWeight(100, 31), 1e-9) << b;
  // Bars wholly above or below the pane add nothing.
  bars_->bars[350] = {0, 1600, 1700, 1600, 1700, 1000};
  bars_->bars[351] = {0, 500, 900, 400, 800, 1000};
  bars_->bars[380] = {0, 1200, 1201, 1200, 1201, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 340; bar <= 380; ++bar)
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0) << bar << " " << b;
  EXPECT_EQ(VolumeCloudLevel(cloud_, 381, 20), 32);
  // Logarithmic panes cut bands in log units: log10 just above 3 is band 0, near the top band 49.
  bars_->bars[350] = {0, 1001, 1002, 1001, 1002, 1000};
  bars_->bars[351] = {0, 1490, 1495, 1490, 1495, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), true, 0, 300, 399, &cloud_);
  EXPECT_TRUE(VolumeCloudLevel(cloud_, 351, 0) > 0 && VolumeCloudLevel(cloud_, 352, 49) > 0);
}

// A kept cloud is used again only for what would compute the same cloud:
// every bar the fading runs start from counts (daily: 240 bars before the
// first shown), bars outside them and the count past the last shown do not.
TEST_F(VolumeCloudTest, ASourceDiffersExactlyWhenTheCloudWouldDiffer) {
  const VolumeCloudSource kept = DescribeVolumeCloudSource(*bars_, CloudPane(), false, 0, 300, 350);
  PaneRecord wider = CloudPane();
  wider.maxValue += 1;
  const struct {
    const char* change;
    int bar;  // -1: none
    PriceBar value;
    PaneRecord pane;
    int period, first, last, count;
    bool logScale, same;
  } kCases[] = {
      {"nothing", -1, {}, CloudPane(), 0, 300, 350, 400, false, true},
      {"a shown bar's volume", 320, {0, 1200, 1200, 1200, 1200, 5}, CloudPane(), 0, 300, 350, 400, false, false},
      {"the first fading bar's low", 60, {0, 1200, 1200, 1100, 1200, 0}, CloudPane(), 0, 300, 350, 400, false, false},
      {"a bar before it", 59, {0, 1200, 1300, 1100, 1200, 9}, CloudPane(), 0, 300, 350, 400, false, true},
      {"a bar past the last shown", 351, {0, 1200, 1300, 1100, 1200, 9}, CloudPane(), 0, 300, 350, 400, false, true},
      {"more bars past the last shown", -1, {}, CloudPane(), 0, 300, 350, 380, false, true},
      {"fewer bars than the last shown", -1, {}, CloudPane(), 0, 300, 350, 340, false, false},
      {"the pane's range", -1, {}, wider, 0, 300, 350, 400, false, false},
      {"the log scale", -1, {}, CloudPane(), 0, 300, 350, 400, true, false},
      {"the period", -1, {}, CloudPane(), 1, 300, 350, 400, false, false},
      {"a scroll", -1, {}, CloudPane(), 0, 299, 349, 400, false, false},
  };
  for (const auto& c : kCases) {
    for (int i = 0; i < 400; ++i) bars_->bars[i] = {0, 1200, 1200, 1200, 1200, 0};
    bars_->count = c.count;
    if (c.bar >= 0) bars_->bars[c.bar] = c.value;
    const VolumeCloudSource now = DescribeVolumeCloudSource(*bars_, c.pane, c.logScale, c.period, c.first, c.last);
    EXPECT_EQ(IsSameVolumeCloudSource(now, kept), c.same) << c.change;
  }
}

TEST_F(VolumeCloudTest, NoVolumesNoRangeOrBadBarsLeaveNothingToDraw) {
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 300; bar <= 399; ++bar)  // all volumes zero
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0);
  bars_->bars[350].volume = 1000;
  PaneRecord flat = CloudPane();
  flat.maxValue = flat.minValue;
  AccumulateVolumeCloud(*bars_, flat, false, 0, 300, 399, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 399, 300, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  bars_->count = 0;
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(VolumeCloudLevel(cloud_, 351, 20), 0);
}

using MakeFont = void (*)(const LogFontImage&, int, int, LogFontImage*);

LogFontImage Made(MakeFont make, const LogFontImage& setting, int height, int pitch) {
  LogFontImage font;
  memset(&font, 0xCC, sizeof font);
  make(setting, height, pitch, &font);
  return font;
}

bool Same(const LogFontImage& a, const LogFontImage& b) { return memcmp(&a, &b, sizeof a) == 0; }

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

int Brightness(ColorRef c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); }

// Slot runs drawn as lines or marks over the pane background, then those filled behind the candles and lines.
constexpr int kLineSlots[][2] = {{kColorRising, kColorVolumeBars},
                                 {kColorIchimokuBase, kColorIchimokuLagging},
                                 {kColorCloseAverage0, kColorObvEma},
                                 {kColorLongSellMark, kColorLongBuyMark},
                                 {kColorBollingerCentre, kColorAdvanceDecline}};
constexpr int kBackdropSlots[][2] = {{kColorCloud, kColorCloudAlone},
                                     {kColorLongSellBackground, kColorLongBuyBackground},
                                     {kColorForecastBackground, kColorForecastBackground},
                                     {kColorCloudInverted, kColorScenarioLongHeld}};

// Every index, out of range ones too, loads a whole palette and leaves the
// spare slots empty; lines stay visible on its ground and backdrops stay near
// it so that candles and lines show over them.
TEST(PaletteTest, EachPaletteFillsEveryDialogSlotWithVisibleLinesAndLightBackdropsAndFillsOnlyAnEmptyOne) {
  ScopedGlobalState globals;
  for (int index : {0, 2, 7, -1, 1}) {
    std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0x123456u);
    LoadBuiltinPalette(index);
    const bool known = index >= 0 && index < kBuiltinPaletteCount;
    EXPECT_EQ(gBuiltinPaletteIndex, known ? index : 0);
    for (int slot = 0; slot < kPaletteColorCount; ++slot)
      EXPECT_TRUE(slot < kColorSpare0 ? gPaletteColors[slot] != 0x123456u : gPaletteColors[slot] == 0) << slot;
    const ColorRef ground = gPaletteColors[kColorBackground];
    EXPECT_TRUE(known || ground == Rgb(255, 255, 255)) << index;
    EXPECT_NE(gPaletteColors[kColorScale], ground) << index;
    for (const auto& run : kLineSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
    for (const auto& run : kBackdropSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) {
        EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
        EXPECT_LT(std::abs(Brightness(gPaletteColors[slot]) - Brightness(ground)), 200) << index << " " << slot;
      }
  }
  EXPECT_LT(Brightness(gPaletteColors[kColorBackground]), 384);  // black: the volume cloud takes its dark ramp
  // Only an empty palette is replaced at start-up.
  std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0u);
  EXPECT_TRUE(IsPaletteEmpty(gPaletteColors));
  gBuiltinPaletteIndex = 1;
  LoadBuiltinPaletteIfEmpty();
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(255, 255, 128));
  gPaletteColors[kColorBackground] = Rgb(1, 2, 3);
  LoadBuiltinPaletteIfEmpty();
  EXPECT_FALSE(IsPaletteEmpty(gPaletteColors));
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(1, 2, 3));  // the user's colours stay
  // GDI rules: contrasting colours, centring and font requests.
  // Channels are taken one by one; the unused top byte is ignored.
  EXPECT_EQ(Row(ContrastTextColor(0xFFFFFF), ContrastTextColor(0x000000), ContrastTextColor(0x808080),
                ContrastTextColor(0x7F7F7F), ContrastTextColor(0xFF00FF80)),
            Row(0x808080, 0x7F7F7F, 0xFFFFFF, 0x000000, 0x7F80FF));
  Rect inner = {0, 0, 5, 4}, wide = {100, 100, 130, 102};
  CenterRectInRect({10, 20, 20, 31}, &inner);
  CenterRectInRect({0, 0, 10, 10}, &wide);  // a larger inner rectangle sticks out on both sides
  EXPECT_EQ(std::make_pair(Ltrb(inner), Ltrb(wide)), std::make_pair(Ltrb4{12, 23, 17, 27}, Ltrb4{-10, 4, 20, 6}));
  // Without a face only the height, Shift-JIS and the pitch are asked for; a named
  // font keeps its style with the new height (width 0, the pitch unused), and the
  // dialog's copy keeps its width too.
  const LogFontImage named = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, "ＭＳ ゴシック"};
  LogFontImage leftOver{};
  leftOver.weight = 900;  // without a face the setting is not used
  EXPECT_TRUE(Same(Made(MakeFontRequest, leftOver, 14, kFixedPitch),
                   {14, 0, 0, 0, 0, 0, 0, 0, kShiftJisCharSet, 0, 0, 0, kFixedPitch, ""}));
  EXPECT_TRUE(Same(Made(MakeFontRequest, named, 24, kFixedPitch),
                   {24, 0, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
  EXPECT_TRUE(Same(Made(MakeFontDialogCopy, named, 12, kDefaultPitch),
                   {12, 9, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
  LogFontImage damaged = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, ""};
  memset(damaged.faceName, 'A', sizeof damaged.faceName);
  EXPECT_EQ(strlen(Made(MakeFontRequest, damaged, 12, kDefaultPitch).faceName), sizeof damaged.faceName - 1);
  CopyLogFont(damaged, &damaged);  // in place
  EXPECT_EQ(damaged.faceName[31], 0);
  ClearLogFont(&damaged);
  EXPECT_FALSE(HasFaceName(damaged));
  EXPECT_TRUE(Same(damaged, LogFontImage{}));
}

TEST(ChartTextTest, HundredthsTextsChannelsAndCrossTrailsStayInsideTheirLimits) {
  std::string texts;
  for (int32_t value : {1234, 5, 0, -5, -99, -100, -1234, INT_MAX, INT_MIN}) {
    char fixed2[kFixed2TextSize];
    memset(fixed2, 'x', sizeof fixed2);
    FormatFixed2(value, fixed2);
    texts += std::string(fixed2) + " ";
  }
  EXPECT_EQ(texts, "12.34 0.05 0.00 -0.05 -0.99 -1.00 -12.34 21474836.47 -21474836.48 ");
  char text[12] = "RSI";
  AppendIntText(text, sizeof text, 14);
  AppendPeriodUnit(text, sizeof text, 1);
  AppendPeriodUnit(text, sizeof text, 3);  // no such period
  AppendPeriodUnit(text, sizeof text, -1);
  EXPECT_STREQ(text, "RSI14週");
  AppendIntText(text, sizeof text, INT_MIN);
  EXPECT_EQ(strlen(text), sizeof text - 1);
  EXPECT_EQ(Row(LightenColor(0x0010FA20, 32), LightenColor(0x00FFFFFF, 200), LightenColor(0x00102030, -0x20),
                LightenColor(0x00000000, 0)),
            Row(0x0030FF40u, 0x00FFFFFFu, 0x00000010u, 0));
  // A point every 32 pixels from 64 on; far-apart points (a drag far outside the
  // window) must not overflow and stay on the line.
  // 40 px: the two ends; 63 px; 64 px: n = 2; 100 px: n = 3, also along a slope; none.
  EXPECT_EQ(Row(CountCrossTrailPoints(10, 10, 50, 10), CountCrossTrailPoints(10, 10, 73, 10),
                CountCrossTrailPoints(10, 10, 74, 10), CountCrossTrailPoints(0, 0, 100, 0),
                CountCrossTrailPoints(0, 0, 60, 80), CountCrossTrailPoints(5, 5, 5, 5)),
            Row(2, 2, 3, 4, 4, 2));
  const PixelPoint sloped = GetCrossTrailPoint(0, 0, 60, 80, 1);
  EXPECT_EQ(Row(GetCrossTrailPoint(0, 0, 100, 0, 1).x, GetCrossTrailPoint(0, 0, 100, 0, 2).x,
                GetCrossTrailPoint(0, 0, 100, 0, 3).x, sloped.x, sloped.y),
            Row(33, 66, 100, 20, 26));
  const int count = CountCrossTrailPoints(INT_MIN, 0, INT_MAX, 0);
  EXPECT_GT(count, 2);
  EXPECT_EQ(GetCrossTrailPoint(INT_MIN, 0, INT_MAX, 0, count - 1).x, INT_MAX);
  const PixelPoint middle = GetCrossTrailPoint(INT_MIN, INT_MIN, INT_MAX, INT_MAX, count / 2);
  EXPECT_EQ(middle.x, middle.y);
}

}  // namespace
