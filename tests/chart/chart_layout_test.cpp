// Chart layout, pane value ranges and scales, and pane captions.
#include "chart/chart_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
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

int SevenPixelsPerByte(void*, const char* text) { return 7 * static_cast<int>(strlen(text)); }

std::pair<int32_t, int32_t> Rounded(int32_t min, int32_t max) {
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
    gChartTextWidth = SevenPixelsPerByte;
    for (int p = 0; p < kPeriodCount; ++p) context().periods[p].params = GetDefaultIndicatorParameters(p);
    view_.stockCode = StringToCode("7203");
    view_.lastBarIndex = -1;
    view_.barWidth = 5;
    view_.rightMargin = 32;
    SetPanes({kPaneCandles, kPaneVolume, kPaneRsi});
    FillBars(300);
  }
  ChartContext& context() { return owned_.context; }
  const PaneRecord& pane(int i) { return context().panes[i]; }
  std::pair<int32_t, int32_t> Range(int i) { return {pane(i).minValue, pane(i).maxValue}; }
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

  void FillInts(int slot, const std::function<int32_t(int)>& value) {
    IntSeries* series = context().periods[view_.period].chartInt[slot];
    series->count = 300;
    for (int i = 0; i < 300; ++i) series->values[i] = value(i);
  }

  // The plot area is `plotWidth` x `plotHeight` pixels at F = 12.
  void Layout(int plotWidth = 700, int plotHeight = 360) {
    ComputePaneScales(Rect{0, 0, 60 + plotWidth, 16 + plotHeight + 16 + 8}, view_, &context());
  }

  ScopedGlobalState globals_;
  ChartView view_{};
  OwnedContext owned_;
};

TEST(ChartLayoutRounding, WidensToMultiplesOfADecimalUnitWithoutOverflow) {
  using Range = std::pair<int32_t, int32_t>;
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
  const ChartGeometry& g = context().geometry;
  // 97 bars: 700 / 7 - 3.
  EXPECT_EQ((std::vector<int>{ScaleColumnWidth(), CaptionRowHeight(), g.plotArea.left, g.plotArea.top,
                              g.plotArea.bottom, g.dateAxis.bottom, g.marginHandle.left, g.barSpacing, g.visibleBars}),
            (std::vector<int>{60, 16, 60, 16, 376, 392, 760 - 32 - 6, 7, 97}));
  // A margin wider than a drag allows in the window is shown at the drag's limit.
  view_.rightMargin = 5000;
  gMainClientWidth = 1000;
  Layout();
  EXPECT_EQ(context().geometry.marginHandle.left, 760 - 500 - 6);
  view_.rightMargin = 32;
  // Widths that were never validated: odd, 1..19.
  for (auto [width, spacing] : {std::make_pair(0, 3), std::make_pair(4, 5), std::make_pair(1000, 21)}) {
    view_.barWidth = width;
    Layout();
    EXPECT_EQ(context().geometry.barSpacing, spacing) << width;
  }
  gChartFontSize = 99;  // damaged setting: the largest font
  EXPECT_EQ(std::make_pair(ScaleColumnWidth(), CaptionRowHeight()), std::make_pair(160, 42));
}

TEST_F(ChartLayoutTest, PanesShareThePlotAreaByWeightAndFillItExactly) {
  SetPanes({kPaneCandles, kPaneVolume, kPaneRsi, kPaneIchimoku});
  view_.paneCount = 3;
  Layout();
  EXPECT_EQ(Height(pane(0).pane), 211);  // 100, 30, 40 of 360
  EXPECT_EQ(Height(pane(1).pane), 63);
  EXPECT_EQ(pane(1).pane.top, pane(0).pane.bottom);
  EXPECT_EQ(pane(2).pane.bottom, context().geometry.plotArea.bottom);
  EXPECT_EQ(pane(0).plot.top, pane(0).pane.top + kSignalStripHeight);  // daily price pane
  EXPECT_EQ(pane(0).fullPlot.top, pane(0).pane.top);
  EXPECT_EQ(pane(1).plot.top, pane(1).pane.top);
  EXPECT_EQ(pane(3).pane.bottom, 0);  // beyond the count: cleared
  for (uint16_t& h : gPaneHeights) h = 0;
  Layout(700, 300);
  EXPECT_EQ(Row(Height(pane(0).pane), Height(pane(2).pane)), Row(100, 100));
}

TEST_F(ChartLayoutTest, AShortViewAtTheNewestBarScalesOverTwentyBars) {
  FillBars(100, [](int i, PriceBar* bar) {
    if (i == 82) bar->low = 500;  // within the last 20 bars, left of the 13 shown
  });
  Layout(13 * 7);
  EXPECT_EQ(std::make_pair(context().geometry.visibleBars, context().geometry.firstBar), std::make_pair(10, 80));
  EXPECT_LE(pane(0).minValue, 500);
  view_.lastBarIndex = 110;  // the newest bar and the right margin
  Layout(13 * 7);
  EXPECT_EQ(context().geometry.firstBar, 80);
  view_.lastBarIndex = 50;  // scrolled back
  Layout(13 * 7);
  EXPECT_EQ(context().geometry.firstBar, 37);
}

TEST_F(ChartLayoutTest, StockMissingFromTheTableLeavesTheContextUnchanged) {
  view_.stockCode = StringToCode("9999");
  context().geometry.barSpacing = -77;
  Layout();
  EXPECT_EQ(context().geometry.barSpacing, -77);
}

TEST_F(ChartLayoutTest, LinearPricePaneWithItsOptionalLinesAndTheFullRangeOption) {
  RealSeries* upper2 = context().periods[0].chartReal[kRealBollingerCentre + 3];
  RealSeries* lower2 = context().periods[0].chartReal[kRealBollingerCentre + 4];
  RealSeries* sar = context().periods[0].chartReal[kRealParabolicSar];
  upper2->count = lower2->count = sar->count = 300;
  for (int i = 0; i < 300; ++i) {
    upper2->values[i] = 1300.9;
    lower2->values[i] = 800.5;
    sar->values[i] = i == 299 ? 1600 : 1000;
  }
  Layout();
  EXPECT_EQ(Range(0), std::make_pair(990, 1020));  // 1011, unit 10
  EXPECT_DOUBLE_EQ(pane(0).valuePerPixel, 30.0 / Height(pane(0).plot));
  EXPECT_EQ(ValueToPaneY(view_, context(), 0, 990), pane(0).plot.bottom);
  view_.paneFlags[0] = kPaneFlagSigma2;  // +-2 sigma: 800..1300, unit 75
  Layout();
  EXPECT_EQ(Range(0), std::make_pair(750, 1350));
  view_.paneFlags[0] = kPaneFlagParabolic;  // SAR up to 1600
  Layout();
  EXPECT_EQ(pane(0).maxValue, 1650);
  view_.paneFlags[0] = kPaneFlagLine0;
  gTrendLineFullRange = true;  // 990..1020 less and plus one step, rounded again
  Layout();
  EXPECT_EQ(Range(0), std::make_pair(980, 1030));
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
  EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{Range(0), Range(1), Range(2), Range(3), Range(4)}),
            (std::vector<std::pair<int32_t, int32_t>>{
                {-12500, 12500}, {-1250, 1250}, {-350, 350}, {-10000, 10000}, {0, 5250}}));
  EXPECT_DOUBLE_EQ(pane(3).valuePerPixel, 20000.0 / Height(pane(3).plot));
}

TEST_F(ChartLayoutTest, PanesWithNoBarsInRangeGetAFallbackRangeNotAnInvertedOne) {
  SetPanes({kPaneCandles, kPaneVolume, kPaneDeviation, kPaneMacd, kPaneDmi, kPaneSroc, kPaneObv, kPaneVolumeRatio,
            kPaneAdvanceDecline},
           PaneLineFlags(3));
  view_.lastBarIndex = 5000;  // far past the data
  Layout();
  for (int i = 0; i < view_.paneCount; ++i) {
    EXPECT_LT(pane(i).minValue, pane(i).maxValue) << i;
    EXPECT_GT(pane(i).valuePerPixel, 0) << i;
  }
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
      EXPECT_LE(p.plot.top, p.plot.bottom) << i;
      EXPECT_LE(p.minValue, p.maxValue) << i;
      EXPECT_TRUE(std::isfinite(p.valuePerPixel) && p.valuePerPixel > 0) << i;
      EXPECT_TRUE(std::isfinite(p.logPerPixel) && p.logPerPixel > 0) << i;
      (void)ValueToPaneY(view_, context(), i, INT_MIN);
    }
  }
  EXPECT_STREQ(pane(11).caption, "");
  ComputePaneScales(Rect{0, 0, 50, 40}, view_, &context());  // narrower than the scale column
  EXPECT_EQ(context().geometry.visibleBars, 0);
}

TEST_F(ChartLayoutTest, CaptionsNameTheKindAndTheShownPeriods) {
  SetPanes({kPaneCandles, kPaneIchimoku, kPaneVolume, kPaneDeviation, kPaneMacd, kPaneSroc, kPaneVolumeRatio});
  view_.paneFlags[0] = PaneLineFlags(2) | kPaneFlagLogScale;
  view_.paneFlags[2] = PaneLineFlags(2);
  view_.paneFlags[3] = kPaneFlagLine0 | kPaneFlagLine2;
  context().periods[0].params.slot[kParamDeviationSecond0] = 10;  // second average of deviation line 1
  Layout();
  EXPECT_STREQ(pane(0).caption, "ろうそく足(5日/25日) 対数 ");
  EXPECT_STREQ(pane(1).caption, "一目均衡表");
  EXPECT_STREQ(pane(2).caption, "出来高(6日/13日)");
  EXPECT_STREQ(pane(3).caption, "乖離率(6日+10日/75日)");
  EXPECT_STREQ(pane(4).caption, "MACD(12日,26日,9日)");
  EXPECT_STREQ(pane(5).caption, "S-ROC(13日,21日)");
  EXPECT_STREQ(pane(6).caption, "ボリュームレシオ(25日)");
  const Rect& r = pane(1).captionRect;  // placed above the signal strip
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right - r.left}),
            (std::vector<int>{pane(1).plot.left + 5, pane(1).fullPlot.top + 3, 70}));
  view_.period = 2;
  FillBars(60);
  SetPanes({kPaneCandles}, kPaneFlagLine0 | kPaneFlagBollingerCentre | kPaneFlagSigma1 | kPaneFlagSigma3);
  Layout();
  EXPECT_STREQ(pane(0).caption, "ろうそく足(6月/BOL25月/1σ/3σ)");
}

TEST_F(ChartLayoutTest, LongCaptionsAreCutBetweenCharacters) {
  for (uint16_t& slot : context().periods[0].params.slot) slot = 65535;
  SetPanes({kPaneCandles}, 0xFFFFFFFF);
  Layout();
  const char* caption = pane(0).caption;
  const size_t length = strlen(caption);
  ASSERT_LT(length, static_cast<size_t>(kPaneCaptionSize));
  EXPECT_GT(length, 70u);
  size_t i = 0;
  while (i < length) i += IsSjisLeadByte(static_cast<uint8_t>(caption[i])) ? 2 : 1;
  EXPECT_EQ(i, length);
}

}  // namespace
