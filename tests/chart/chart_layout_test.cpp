#include "chart/chart_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

using Range = std::pair<int32_t, int32_t>;

Range Rounded(int32_t min, int32_t max) {
  RoundScaleRange(&min, &max);
  return {min, max};
}

class ChartLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateStockTable());
    gStockTable->records[0] = StockRecord{};
    gStockTable->records[0].master.code = StringToCode("7203");
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
  size_t i = 0;  // no lead byte is left at the end
  while (i < caption.size()) i += IsSjisLeadByte(static_cast<uint8_t>(caption[i])) ? 2 : 1;
  EXPECT_EQ(Row(caption.size() < kPaneCaptionSize, caption.size() > 70, i), Row(true, true, caption.size()));
}

}  // namespace
