// Painting charts: what a user sees of the caption row, the frames, the
// price pane and its overlays, checked on the pixels of memory bitmaps.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "chart/chart_caption.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_paint_win.h"
#include "window/chart_window_layout.h"
#include "chart/pane_pixels.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "sheets/sheet_services.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tools/sample_db/series_digest.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrid = RGB(192, 192, 192);
constexpr COLORREF kRising = RGB(220, 0, 0);
constexpr COLORREF kFalling = RGB(0, 0, 200);
constexpr COLORREF kMarker = RGB(1, 2, 3);

bool IsGrey(COLORREF c, int low, int high) {
  return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) >= low && GetRValue(c) <= high;
}

bool IsTextInk(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }

// The text as the painter should write it on a button-face area: every pixel
// of `compared` must match. Answers the count of ink pixels compared.
int ExpectTextAsDrawn(const Canvas& canvas, const Rect& face, HFONT font, RECT textRect, const wchar_t* text,
                      UINT format, const RECT& compared) {
  Canvas expected(canvas.width(), canvas.height(), kMarker);
  FillButtonFaceRect(expected.dc(), ToRect(face));
  const HGDIOBJ old = SelectObject(expected.dc(), font);
  SetBkMode(expected.dc(), TRANSPARENT);
  SetTextColor(expected.dc(), GetSysColor(COLOR_BTNTEXT));
  DrawTextW(expected.dc(), text, -1, &textRect, format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(expected.dc(), old);
  EXPECT_EQ(canvas.CountDifferences(expected, compared), 0);
  return canvas.Count(compared, IsTextInk);
}

// Both suites paint from default settings with fonts at size 12.
SettingsBlock gSavedSettings;
void BeginChartPainting() {
  gSavedSettings = gSettings;
  SetDefaultSettings();
  InitAppTexts();
  gChartFontSize = 12;
  CreateSharedGdiObjects();
  MeasureSharedFonts(nullptr);
  InstallChartTextMeasures();
}
void EndChartPainting() {
  FreeChartPaintResources();
  DeleteSharedGdiObjects();
  gSettings = gSavedSettings;
}

// ---- Charts of a few bars laid out by hand ------------------------------------

constexpr int kChartWidth = 600;
constexpr int kBarWidth = 9;
constexpr int kSpacing = 11;  // w + 2 (w / 10)
constexpr int kScaleWidth = 60;
constexpr int kCaptionHeight = 16;
const StockCode kTestCode = 0x5A5A5A5Au;  // "ZZZZ": sorts after every stock of a table

class SyntheticChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BeginChartPainting();
    ASSERT_TRUE(AllocChartContextBuffers(&gChartContexts[2]));
    if (gStockTable == nullptr) {
      ASSERT_TRUE(AllocateStockTable());
    }
  }
  static void TearDownTestSuite() { EndChartPainting(); }
  void SetUp() override {
    SetPalette(kColorBackground, kWhite, kColorScale, kGrid, kColorRising, kRising, kColorFalling, kFalling);
    gTickGridOn = 0;
    gThickChartLines = 0;
    EndTradeMarksAndForecast();
    StockRecord& stock = gStockTable->records[gStockTable->count++];
    stock = StockRecord{};
    stock.master = {kTestCode, "テスト銘柄", "", "", 1, 0, 0, 100};
    stock.lastDate = MakePackedDate(2026, 12, 4);
    stock.liveTime = kLiveTimeFinished;
    ResetStockLookupCache();
    PeriodSeriesBlock& block = Block();
    block.bars->count = 0;
    block.bars->code = kTestCode;
    for (IntSeries* s : block.chartInt) memset(s, 0, sizeof *s);
    for (RealSeries* s : block.chartReal) memset(s, 0, sizeof *s);
    block.params = GetDefaultIndicatorParameters(1);
    view_ = MakeChartView(kTestCode, 1, {});  // weekly: no signal strip
    view_.barWidth = kBarWidth;
  }
  // Not the whole global state: the sample charts painted next in this program
  // start from the chart geometry these tests leave, and their pictures with it.
  void TearDown() override {
    --gStockTable->count;
    ResetStockLookupCache();
    EndTradeMarksAndForecast();
  }
  static void EndTradeMarksAndForecast() {
    gTradeMarkShown = 0;
    gForecastState[2] = kForecastNone;
    gForecastBarCount[2] = 0;
  }
  PeriodSeriesBlock& Block() const { return context_->periods[1]; }
  // Weekly bars one week apart from 2025/1/3.
  void AddBar(int open, int high, int low, int close, int volume = 1000) {
    BarSeries& bars = *Block().bars;
    const PackedDate date = AddCalendarDays(MakePackedDate(2025, 1, 3), 7 * bars.count);
    bars.bars[bars.count++] = {date, open, high, low, close, volume};
  }
  void AddBars(int count, int close) {
    for (int i = 0; i < count; ++i) AddBar(close, close + 10, close - 10, close);
  }
  void SetRealSeries(int slot, const std::function<double(int)>& value) {
    RealSeries& series = *Block().chartReal[slot];
    series.count = Block().bars->count;
    for (int i = 0; i < series.count; ++i) series.values[i] = value(i);
  }
  // The view's panes in rows of a chart at (0, 0), each of a height and a linear
  // scale from a minimum to a maximum.
  void LayOutByHand(std::initializer_list<std::array<int, 3>> panes) {
    int plotHeight = 0;
    for (const auto& pane : panes) plotHeight += pane[0];
    const int bottom = kCaptionHeight + plotHeight + kCaptionHeight + kScrollStripHeight;
    ChartGeometry& g = context_->geometry = ChartGeometry{};
    g.chart = {0, 0, kChartWidth, bottom};
    g.captionRow = {kScaleWidth + 48, 0, kChartWidth, kCaptionHeight};
    g.scaleColumn = {0, kCaptionHeight, kScaleWidth, kCaptionHeight + plotHeight};
    g.plotArea = {kScaleWidth, kCaptionHeight, kChartWidth, kCaptionHeight + plotHeight};
    g.dateAxis = {kScaleWidth, kCaptionHeight + plotHeight, kChartWidth, bottom - kScrollStripHeight};
    g.scrollBar = {kScaleWidth, bottom - kScrollStripHeight, kChartWidth, bottom};
    g.marginHandle = {kChartWidth - 38, 2, kChartWidth - 31, kCaptionHeight - 2};
    g.wickWidth = 1;
    g.gap = 1;
    g.barSpacing = kSpacing;
    g.visibleBars = (kChartWidth - kScaleWidth) / kSpacing - 3;
    int top = kCaptionHeight, i = 0;
    for (const auto& [height, minValue, maxValue] : panes) {
      PaneRecord& pane = context_->panes[i++] = PaneRecord{};
      pane.pane = {0, top, kChartWidth, top + height};
      pane.scale = {0, top, kScaleWidth, top + height};
      pane.plot = pane.fullPlot = {kScaleWidth, top, kChartWidth, top + height};
      if (view_.period == 0 && view_.paneKinds[i - 1] <= kPaneIchimoku) pane.plot.top += kSignalStripHeight;
      const int h = pane.plot.bottom - pane.plot.top;
      pane.minValue = minValue;
      pane.maxValue = maxValue;
      pane.valuePerPixel = static_cast<double>(maxValue - minValue) / h;
      pane.log10Min = std::log10(static_cast<double>(minValue));
      pane.log10Max = std::log10(static_cast<double>(maxValue));
      pane.logPerPixel = (pane.log10Max - pane.log10Min) / h;
      top += height;
    }
  }
  // One candle pane of 100 pixels for 900..1300 (4 per pixel).
  void LayOutOnePricePane(uint32_t kind = kPaneCandles, uint32_t flags = 0) {
    view_.paneCount = 1;
    view_.paneKinds[0] = kind;
    view_.paneFlags[0] = flags;
    LayOutByHand({{100, 900, 1300}});
  }
  int Y(int32_t value) const { return PaneValueY(context_->panes[0], false, value); }
  int X(int bar) const {
    const int last = view_.lastBarIndex < 0 ? Block().bars->count - 1 : view_.lastBarIndex;
    return BarCentreX(kChartWidth, kSpacing, last, bar);
  }
  const Rect& Plot() const { return context_->panes[0].plot; }
  RECT PlotRect() const { return ToRect(Plot()); }
  // The chart painted on a fresh canvas, saved as a picture when one is named.
  std::unique_ptr<Canvas> Painted(const wchar_t* picture = nullptr, int height = 200) {
    auto canvas = std::make_unique<Canvas>(kChartWidth, height, kMarker);
    PaintChart(canvas->dc(), view_, *context_);
    if (picture != nullptr) canvas->SaveArtifact(picture);
    return canvas;
  }

  ChartContext* context_ = &gChartContexts[2];
  ChartView view_{};
};

TEST_F(SyntheticChartTest, CandlesHollowRisingFilledFallingAndOnePixelDoji) {
  AddBar(1000, 1150, 950, 1100);   // rising
  AddBar(1100, 1150, 950, 1000);   // falling
  AddBar(1052, 1100, 1000, 1052);  // unchanged
  LayOutOnePricePane();
  const auto canvas = Painted(L"price-candles.bmp");
  const int x0 = X(0), x1 = X(1), x2 = X(2), top = Y(1100), bottom = Y(1000), middle = (top + bottom) / 2;
  // Rising: body rows from y(1100) to y(1000), interior the background (the wick does
  // not show through), edges rising; the wick runs to the high and down to the low.
  EXPECT_PIXELS(*canvas, {x0 - 2, middle, kWhite}, {x0, middle, kWhite}, {x0 - 4, middle, kRising},
                {x0 + 4, middle, kRising}, {x0 - 2, top, kRising}, {x0 - 2, bottom, kRising}, {x0 + 5, middle, kWhite},
                {x0, Y(1150), kRising}, {x0, Y(1150) - 1, kWhite}, {x0, Y(975), kRising}, {x0 - 1, Y(975), kWhite});
  // Falling: filled.
  EXPECT_PIXELS(*canvas, {x1 - 2, middle, kFalling}, {x1 - 4, middle, kFalling}, {x1 + 4, middle, kFalling},
                {x1 + 5, middle, kWhite}, {x1 - 2, top, kFalling}, {x1 - 2, bottom, kFalling});
  // Unchanged: one row in the falling colour, and its wick.
  const int doji = Y(1052);
  EXPECT_PIXELS(*canvas, {x2 - 3, doji, kFalling}, {x2 + 3, doji, kFalling}, {x2 - 3, doji - 1, kWhite},
                {x2 - 3, doji + 1, kWhite}, {x2, doji - 5, kFalling});
}

TEST_F(SyntheticChartTest, ScaleLabelsDottedGridAndCaptionRowOfNineHundredToThirteenHundred) {
  AddBar(1000, 1010, 990, 1005);
  LayOutOnePricePane();
  const auto canvas = Painted();
  const Rect& scale = context_->panes[0].scale;
  // Grid at 1,000 (y - 25) across the plot, with gaps; none at 1,100 or 1,200.
  const auto gridRow = [&](int32_t value) { return RECT{Plot().left, Y(value), Plot().left + 200, Y(value) + 1}; };
  EXPECT_GT(canvas->Count(gridRow(1000), kGrid), 50);
  EXPECT_GT(canvas->Count(gridRow(1000), kWhite), 50);
  EXPECT_EQ(canvas->Count(gridRow(1100), kGrid) + canvas->Count(gridRow(1200), kGrid), 0);
  // Labels: ink beside 900 (bottom), 1,000 and 1,300 (top); none beside 1,150.
  const int t = gFixedFontMetrics.tmHeight;
  const auto inkAround = [&](int y, int half) {
    return canvas->Count({scale.left + 1, y - half, scale.right - 4, y + half}, IsTextInk);
  };
  EXPECT_GT(inkAround(Plot().top + t / 2 + 1, t / 2), 10);
  EXPECT_GT(inkAround(Plot().bottom - t / 2 - 1, t / 2), 10);
  EXPECT_EQ(inkAround(Y(1150), 3), 0);
  // The label of 1,000 is the same text the scale would write there.
  const RECT label = {scale.left, Y(1000) - t / 2, scale.right - 4, Y(1000) - t / 2 + t};
  ExpectTextAsDrawn(*canvas, scale, gChartFixedFont, label, L"1,000", DT_RIGHT,
                    {scale.left + 2, label.top, scale.right - 4, label.bottom});
  // The caption row shows the stock and its last day.
  char text[kChartCaptionSize];
  FormatChartCaption(FindStockIndexByCode(kTestCode), 1, false, text, sizeof text);
  // The row holds exactly that text, drawn 8 pixels in and centred, on the button face.
  const Rect& row = context_->geometry.captionRow;
  EXPECT_GT(
      ExpectTextAsDrawn(*canvas, row, gChartFont, {row.left + 8, row.top, row.right, row.bottom},
                        SjisToWide(text).c_str(), DT_LEFT, {row.left + 1, row.top + 1, row.right - 40, row.bottom - 1}),
      100);
  // Sunken frame: shadow on the top edge, highlight on the bottom edge.
  EXPECT_PIXELS(*canvas, {row.left + 20, row.top, GetSysColor(COLOR_BTNSHADOW)},
                {row.left + 20, row.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT)});
}

TEST_F(SyntheticChartTest, PanesInTheirOrderFramedInTheInverseOfTheBackground) {
  for (int i = 0; i < 40; ++i) AddBar(1000 + i, 1010 + i, 990 + i, 1005 + i, 1000 + 100 * i);
  view_ = MakeChartView(kTestCode, 1, {{kPaneCandles, 0}, {kPaneVolume, 0}, {kPaneRsi, 0}});
  view_.barWidth = kBarWidth;
  LayOutByHand({{120, 900, 1300}, {60, 0, 5000}, {50, 0, 10000}});
  const COLORREF volume = RGB(0, 160, 0);
  gPaletteColors[kColorVolumeBars] = volume;
  const auto canvas = Painted(L"price-pane-order.bmp", 280);
  for (int i = 0; i < 3; ++i) {
    const Rect& full = context_->panes[i].fullPlot;
    const Rect& scale = context_->panes[i].scale;
    const int middle = (full.top + full.bottom) / 2;
    // The border: the inverse of white, one pixel taller than the plot.
    EXPECT_PIXELS(*canvas, {full.left + 30, full.top, kBlack}, {full.left, middle, kBlack},
                  {full.right - 1, middle, kBlack}, {full.left + 30, full.bottom, kBlack},
                  {scale.left + 2, scale.top + 2, GetSysColor(COLOR_BTNFACE)})
        << i;
  }
  const auto plotOf = [&](int i) {
    const Rect& p = context_->panes[i].plot;
    return RECT{p.left + 1, p.top + 1, p.right - 1, p.bottom};
  };
  EXPECT_GT(canvas->Count(plotOf(0), kRising), 40);
  EXPECT_GT(canvas->Count(plotOf(1), volume), 200);  // volume bars in the second pane only
  EXPECT_EQ(canvas->Count(plotOf(0), volume) + canvas->Count(plotOf(1), kRising) + canvas->Count(plotOf(2), volume), 0);
  // The date-axis row below the last pane: button face, sunken.
  const Rect& axis = context_->geometry.dateAxis;
  EXPECT_PIXELS(*canvas, {axis.left + 10, axis.top + 5, GetSysColor(COLOR_BTNFACE)},
                {axis.left, axis.top + 5, GetSysColor(COLOR_BTNSHADOW)},
                {axis.left + 10, axis.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT)});
}

TEST_F(SyntheticChartTest, AveragesBollingerAndParabolicAppearOnlyWithTheirFlags) {
  AddBars(40, 1100);
  SetRealSeries(kRealCloseAverage0, [](int) { return 1000.0; });
  SetRealSeries(kRealCloseAverage0 + 1, [](int) { return 1200.0; });
  for (int k = 0; k < 7; ++k) SetRealSeries(kRealBollingerCentre + k, [k](int) { return 950.0 + 50 * k; });
  SetRealSeries(kRealParabolicSar, [](int i) { return i % 2 == 0 ? 1250.0 : 960.0; });
  IntSeries& position = *Block().chartInt[kIntParabolicPosition];
  position.count = 40;
  for (int i = 0; i < 40; ++i) position.values[i] = i % 2 == 0 ? 1 : 0;
  const COLORREF average1 = RGB(0, 150, 0), average2 = RGB(200, 100, 0), centre = RGB(0, 128, 128);
  const COLORREF sigma2 = RGB(255, 0, 255), sarFalling = RGB(0, 0, 255), sarRising = RGB(255, 0, 0);
  SetPalette(kColorCloseAverage0, average1, kColorCloseAverage0 + 1, average2, kColorBollingerCentre, centre,
             kColorSigma2, sigma2, kColorSarFalling, sarFalling, kColorSarRising, sarRising);
  LayOutOnePricePane(kPaneCandles, kPaneFlagLine0 | kPaneFlagBollingerCentre | kPaneFlagSigma2 | kPaneFlagParabolic);
  const auto canvas = Painted(L"price-averages-bands-sar.bmp");
  const RECT plot = PlotRect();
  // The first average starts at its period (9 weeks), one pixel above its value.
  EXPECT_EQ(canvas->At(X(20), Y(1000) - 1), average1);
  EXPECT_GT(canvas->Count({X(9), Y(1000) - 1, X(39), Y(1000)}, average1), 300);
  EXPECT_EQ(canvas->Count({X(1), 0, X(8), 200}, average1), 0);
  EXPECT_EQ(canvas->Count(plot, average2), 0);  // flag 0x2 clear
  // Bollinger centre 950 and the 2 sigma bands 1100 / 1150 from bar 25 (the band period); no 1 sigma.
  EXPECT_GT(canvas->Count({X(26), Y(950) - 1, X(39), Y(950)}, centre), 100);
  EXPECT_GT(canvas->Count({X(26), Y(1100) - 1, X(39), Y(1100)}, sigma2), 50);
  EXPECT_GT(canvas->Count({X(26), Y(1150) - 1, X(39), Y(1150)}, sigma2), 100);
  EXPECT_EQ(canvas->Count({X(5), 0, X(24), 200}, centre), 0);
  // SAR rings: falling colour above (position 1), rising colour below.
  EXPECT_GT(canvas->Count({X(10) - 5, Y(1250) - 4, X(10) + 5, Y(1250) + 2}, sarFalling), 3);
  EXPECT_GT(canvas->Count({X(11) - 5, Y(960) - 4, X(11) + 5, Y(960) + 2}, sarRising), 3);
  LayOutOnePricePane(kPaneCandles, 0);
  const auto plain = Painted();
  for (COLORREF c : {average1, centre, sigma2, sarFalling, sarRising}) EXPECT_EQ(plain->Count(plot, c), 0);
}

TEST_F(SyntheticChartTest, TheLaggingLineReachesTheRightEdgeWhenScrolledBackAndTheCloudTakesItsColourBySpanOrder) {
  AddBars(120, 1100);
  SetRealSeries(kRealIchimokuLagging, [](int) { return 1000.0; });
  const COLORREF lagging = RGB(0, 200, 0);
  gPaletteColors[kColorIchimokuLagging] = lagging;
  view_.lastBarIndex = 80;  // 39 newer bars to the right
  LayOutOnePricePane(kPaneIchimoku);
  const auto canvas = Painted(L"price-ichimoku-scrolled-back.bmp");
  const int y = Y(1000) - 1;
  // Bar 80 + 25 = 105 is drawn at the right-most bar 80.
  EXPECT_GT(canvas->Count({X(56), y, X(80) + 1, y + 1}, lagging), 24 * kSpacing - 2);
  view_.lastBarIndex = -1;  // at the newest bar the line ends 25 bars early
  LayOutOnePricePane(kPaneIchimoku);
  const auto newest = Painted();
  EXPECT_EQ(newest->Count({X(96) + 1, y, kChartWidth, y + 1}, lagging), 0);
  EXPECT_EQ(newest->Count({Plot().left + 1, y, X(94) + 1, y + 1}, lagging), X(94) - Plot().left);
  memset(Block().chartReal[kRealIchimokuLagging], 0, sizeof(RealSeries));  // now the cloud alone
  SetRealSeries(kRealIchimokuSpanA, [](int i) { return i < 80 ? 1250.0 : 950.0; });
  SetRealSeries(kRealIchimokuSpanB, [](int) { return 1150.0; });
  const COLORREF above = RGB(255, 200, 200), below = RGB(200, 200, 255);
  const COLORREF aloneAbove = RGB(250, 230, 180), aloneBelow = RGB(180, 230, 250), spanA = RGB(0, 99, 0);
  SetPalette(kColorCloud, above, kColorCloudInverted, below, kColorCloudAlone, aloneAbove, kColorCloudAloneInverted,
             aloneBelow);
  LayOutOnePricePane(kPaneIchimoku);
  const auto cloud = Painted(L"price-ichimoku.bmp");
  // Spans of bar 60 show at bar 85, between 1150 and 1250; of bar 90 at bar 115, 950..1150.
  EXPECT_PIXELS(*cloud, {X(85) - 3, Y(1200), above}, {X(115) - 3, Y(1050), below}, {X(85) - 3, Y(1050), kWhite});
  // Cloud alone on a candle pane: its own colours, no span lines.
  gPaletteColors[kColorIchimokuSpanA] = spanA;
  LayOutOnePricePane(kPaneCandles, kPaneFlagCloudAlone);
  const auto alone = Painted(L"price-cloud-only.bmp");
  EXPECT_PIXELS(*alone, {X(85) - 3, Y(1200), aloneAbove}, {X(115) - 3, Y(1050), aloneBelow});
  EXPECT_EQ(alone->Count(PlotRect(), spanA), 0);
}

TEST_F(SyntheticChartTest, VolumeCloudShadesWhereVolumeTradedAndNothingWithoutVolume) {
  for (int i = 0; i < 60; ++i) AddBar(1000, 1010, 990, 1000, 0);
  LayOutOnePricePane(kPaneCandles, kPaneFlagVolumeCloud);
  const auto none = Painted();
  const COLORREF monthSeparator = RGB(224, 224, 224);  // the grid colour lightened
  EXPECT_EQ(
      none->Count(PlotRect(), [&](COLORREF c) { return IsGrey(c, 191, 253) && c != kGrid && c != monthSeparator; }), 0);
  Block().bars->count = 0;
  for (int i = 0; i < 60; ++i) AddBar(1200, 1210, 1190, 1200, i == 20 ? 100000 : 0);
  LayOutOnePricePane(kPaneCandles, kPaneFlagVolumeCloud);
  const auto canvas = Painted(L"price-volume-cloud.bmp");
  // The band of 1,190..1,210 darkens from the next bar on and fades to the right.
  const int next = X(21) + kSpacing / 2, later = X(55) + kSpacing / 2;
  EXPECT_EQ(canvas->At(next, Y(1200)), RGB(191, 191, 191));  // level 32
  EXPECT_TRUE(IsGrey(canvas->At(later, Y(1200)), 192, 253));
  EXPECT_GT(GetRValue(canvas->At(later, Y(1200))), 191);
  EXPECT_PIXELS(*canvas, {X(19) + kSpacing / 2, Y(1200), kWhite}, {X(40) + kSpacing / 2, Y(1020), kWhite});
  // On a dark background the dark ramp shades the same cells.
  gPaletteColors[kColorBackground] = RGB(0, 0, 0);
  const auto dark = Painted();
  EXPECT_EQ(dark->At(next, Y(1200)), RGB(192, 192, 192));
  EXPECT_TRUE(IsGrey(dark->At(later, Y(1200)), 6, 186));
}

// A chart of the main window keeps its cloud and the cells it fills between
// paints: after a scroll, other bars or another pane height the chart shows
// what a first paint would.
TEST_F(SyntheticChartTest, VolumeCloudShowsTheViewAsItIsAfterEveryChange) {
  for (int i = 0; i < 60; ++i) AddBar(1200, 1210 + i % 7 * 10, 1190 - i % 5 * 10, 1200, 1000 + i % 9 * 3000);
  LayOutOnePricePane(kPaneCandles, kPaneFlagVolumeCloud);
  const struct {
    const char* change;
    std::function<void()> apply;
  } kChanges[] = {
      {"a scroll", [&] { view_.lastBarIndex = 50; }},
      {"other volumes", [&] { Block().bars->bars[40].volume = 90000; }},
      {"a taller pane",
       [&] {
         LayOutByHand({{140, 900, 1300}});
       }},
      {"fewer bars", [&] { Block().bars->count = 45; }},
  };
  for (const auto& c : kChanges) {
    Painted();
    const auto before = Painted();
    c.apply();
    const auto kept = Painted(nullptr, 240);
    FreeKeptVolumeClouds();
    const auto fresh = Painted(nullptr, 240);
    EXPECT_EQ(kept->CountDifferences(*fresh, fresh->Whole()), 0) << c.change;
    EXPECT_GT(before->CountDifferences(*fresh, before->Whole()), 0) << c.change;
  }
}

TEST_F(SyntheticChartTest, ForecastColumnsAndTradeMarksWhereTheyBelong) {
  AddBars(10, 1100);
  const COLORREF yellow = RGB(255, 255, 0);
  gPaletteColors[kColorForecastBackground] = yellow;
  gForecastState[2] = kForecastCommitted;
  gForecastBarCount[2] = 2;
  LayOutOnePricePane();
  const auto canvas = Painted(L"price-forecast.bmp");
  const int y = Plot().top + 5;
  EXPECT_PIXELS(*canvas, {X(9) - 4, y, yellow}, {X(9) + 4, y, yellow}, {X(9) + 5, y, kWhite}, {X(8), y, yellow},
                {X(7), y, kWhite});
  // The same chart drawn from a copy of its context (as the shared one would be): nothing.
  const std::unique_ptr<ChartContext> copy(new ChartContext(*context_));
  Canvas shared(kChartWidth, 200, kMarker);
  PaintChart(shared.dc(), view_, *copy);
  EXPECT_EQ(shared.Count(PlotRect(), yellow), 0);
  // Trade marks show their columns and their price lines between the two bars.
  EndTradeMarksAndForecast();
  const COLORREF entryColumn = RGB(255, 230, 230), exitColumn = RGB(230, 230, 255);
  const COLORREF entryLine = RGB(255, 0, 128), exitLine = RGB(0, 128, 255);
  SetPalette(kColorShortBuyBackground, entryColumn, kColorShortSellBackground, exitColumn, kColorShortBuyMark,
             entryLine, kColorShortSellMark, exitLine);
  gTradeMarkShown = 1;
  gTradeMarkCode = kTestCode;
  gTradeMarkDate1 = Block().bars->bars[3].date;
  gTradeMarkPrice1 = 1200;
  gTradeMarkDate2 = Block().bars->bars[7].date;
  gTradeMarkPrice2 = 1000;
  const auto marks = Painted(L"price-trade-marks.bmp");
  EXPECT_PIXELS(*marks, {X(3), y, entryColumn}, {X(7), y, exitColumn}, {X(5), y, kWhite}, {X(5), Y(1200), entryLine},
                {X(5), Y(1000), exitLine}, {X(3), Y(1200), entryColumn}, {X(8), Y(1200), kWhite});
  // Another stock shows none of it.
  gTradeMarkCode = StringToCode("1001");
  const auto other = Painted();
  for (COLORREF c : {entryColumn, exitColumn, entryLine, exitLine}) EXPECT_EQ(other->Count(PlotRect(), c), 0);
}

TEST_F(SyntheticChartTest, TickGridDrawsALineOnEveryRowATickFallsOn) {
  AddBar(1000, 1010, 990, 1005);
  gTickGridOn = 1;
  LayOutOnePricePane();
  const auto canvas = Painted(L"price-tick-grid.bmp");
  // Ticks of 1 yen at 4 yen a pixel: every row of the plot carries a dotted line.
  int rows = 0;
  for (int y = Plot().top + 1; y < Plot().bottom; ++y)
    rows += canvas->Count({Plot().left + 20, y, Plot().left + 22, y + 1}, kGrid) > 0;
  EXPECT_GE(rows, Plot().bottom - Plot().top - 2);
  // A stock without a trading unit keeps the normal scale.
  gStockTable->records[FindStockIndexByCode(kTestCode)].master.tradingUnit = 0;
  EXPECT_EQ(Painted()->Count({Plot().left + 20, Y(1100), Plot().left + 22, Y(1100) + 1}, kGrid), 0);
}

TEST_F(SyntheticChartTest, DailyPricePaneDrawsTheStripRowsAboveItsPlot) {
  view_.period = 0;
  BarSeries& daily = *context_->periods[0].bars;
  daily.count = 0;
  daily.code = kTestCode;
  for (int i = 0; i < 10; ++i) daily.bars[daily.count++] = {MakePackedDate(2025, 1, 6 + i), 1100, 1110, 1090, 1100, 0};
  view_.paneCount = 1;
  LayOutByHand({{122, 900, 1300}});
  const auto canvas = Painted(nullptr, 220);
  const Rect& full = context_->panes[0].fullPlot;
  for (int row = 0; row < 5; ++row) EXPECT_EQ(canvas->At(full.left + 50, full.top + 1 + 5 * row), kGrid) << row;
  EXPECT_EQ(canvas->At(full.left + 50, full.top + 3), gPaletteColors[kColorLongSellBackground]);
}

// Fonts made anew in another size place the date axis's labels by their new
// widths, whatever the handles the new fonts get.
TEST_F(SyntheticChartTest, DateAxisLabelsFollowAChangeOfTheChartFont) {
  AddBars(60, 1100);  // 2025 and 2026: two year labels
  LayOutOnePricePane();
  const auto labelRow = [&](const Canvas& canvas) {
    const Rect& axis = context_->geometry.dateAxis;
    return canvas.CountOther({axis.left + 2, axis.top + 2, axis.right - 2, axis.bottom - 2},
                             GetSysColor(COLOR_BTNFACE));
  };
  const auto small = Painted();
  Painted();  // what is kept between paints is kept now
  for (const int fontSize : {24, 12}) {
    gChartFontSize = fontSize;
    RecreateSharedGdiObjects(nullptr);
    InstallChartTextMeasures();
    const auto repainted = Painted();
    ForgetDateAxisLabelWidths();
    const auto measuredAnew = Painted();
    EXPECT_EQ(repainted->CountDifferences(*measuredAnew, repainted->Whole()), 0) << fontSize;
    if (fontSize == 24) {
      EXPECT_GT(labelRow(*repainted), labelRow(*small));  // larger ink: the new font drew them
    }
  }
}

TEST_F(SyntheticChartTest, TinyChartsAndTheLargestFontPaintNothingOutsideTheChart) {
  for (int i = 0; i < 200; ++i) AddBar(1000 + i, 1010 + i, 990 + i, 1005 + i, 1000 + i);
  view_.paneCount = 12;
  for (int i = 0; i < 12; ++i) {
    view_.paneKinds[i] = static_cast<uint32_t>(i);
    view_.paneFlags[i] = 0xFFFFFFFF;
  }
  for (int fontSize : {12, 32, 12}) {  // the last puts the fonts back
    gChartFontSize = fontSize;
    RecreateSharedGdiObjects(nullptr);
    InstallChartTextMeasures();
    const Rect sizes[] = {{100, 100, 100, 100}, {100, 100, 101, 101}, {100, 100, 160, 130}, {100, 100, 300, 160},
                          {100, 100, 90, 80},   {100, 100, 500, 500}, {100, 100, 161, 400}};
    for (const Rect& chart : sizes) {
      ComputePaneScales(chart, view_, context_);
      Canvas canvas(640, 640, kMarker);
      PaintChart(canvas.dc(), view_, *context_);
      const RECT inside = {std::min(chart.left, chart.right), std::min(chart.top, chart.bottom),
                           std::max(chart.left, chart.right), std::max(chart.top, chart.bottom)};
      EXPECT_EQ(canvas.CountOther(canvas.Whole(), kMarker), canvas.CountOther(inside, kMarker))
          << fontSize << " " << chart.right << "x" << chart.bottom;
    }
  }
}

TEST_F(SyntheticChartTest, RepeatedPaintsLeaveNoGdiObjectBehind) {
  for (int i = 0; i < 120; ++i) AddBar(1000 + i, 1010 + i, 990 + i, 1005 + i, 1000 + 10 * i);
  LayOutOnePricePane(kPaneCandles, kPaneFlagBits & ~kPaneFlagLogScale);
  gTradeMarkShown = 1;
  gTradeMarkCode = kTestCode;
  Canvas canvas(kChartWidth, 200, kMarker);
  PaintChart(canvas.dc(), view_, *context_);  // builds what is kept between paints
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 40; ++i) {
    gTickGridOn = i >= 20;
    PaintChart(canvas.dc(), view_, *context_);
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (before == 0) GTEST_SKIP() << "no GDI object count on this system";
  EXPECT_EQ(after, before);
}

// ---- Charts of the generated database --------------------------------------------

class SampleChartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (SampleFolder().empty()) return;
    BeginChartPainting();
    opened_ = OpenDatabaseFolder(WideToSjis(SampleFolder().c_str()).c_str()) && AllocAllChartContexts();
  }
  static void TearDownTestSuite() {
    if (!SampleFolder().empty()) EndChartPainting();
  }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_TRUE(opened_);
    SetDefaultSettings();  // the white-ground palette and default parameters
    gChartFontSize = 12;
    gTradeMarkShown = 0;
  }
  // The charts loaded and laid out in a `width` x `height` area.
  static void Load(std::initializer_list<ChartView> views, int width, int height) {
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    for (const ChartView& view : views) pattern.views[pattern.chartCount++] = view;
    ReloadAllChartSeries();
    Rect charts[kMaxChartsPerPattern];
    ComputeChartRects({0, 0, width, height}, pattern, gPaneHeights, gChartFontSize, charts);
    for (int i = 0; i < pattern.chartCount; ++i) ComputePaneScales(charts[i], pattern.views[i], &gChartContexts[i]);
  }
  static std::unique_ptr<Canvas> PaintedCharts(int width, int height) {
    auto canvas = std::make_unique<Canvas>(width, height, kMarker);
    for (int i = 0; i < CurrentScreenPattern().chartCount; ++i)
      PaintChart(canvas->dc(), CurrentScreenPattern().views[i], gChartContexts[i]);
    return canvas;
  }
  static StockCode CodeAt(int index) { return gStockTable->records[index].master.code; }

  ScopedGlobalState globals_{TestStart::kAsIs};
  static inline bool opened_ = false;
};

TEST_F(SampleChartTest, ThreeChartPatternShowsItsPanesInOrder) {
  Load({MakeChartView(StringToCode("1001"), 0,
                      {{kPaneCandles, PaneLineFlags(2) | kPaneFlagBollingerCentre | kPaneFlagSigma2},
                       {kPaneVolume, PaneLineFlags(2)},
                       {kPaneRsi, PaneLineFlags(3)},
                       {kPaneMacd, 0}}),
        MakeChartView(CodeAt(10), 1,
                      {{kPaneIchimoku, 0}, {kPaneVolume, kPaneFlagLine0}, {kPaneRci, PaneLineFlags(3)}, {kPaneDmi, 0}}),
        MakeChartView(
            CodeAt(20), 0,
            {{kPaneCandles, kPaneFlagCloudAlone | kPaneFlagVolumeCloud | kPaneFlagLogScale | kPaneFlagParabolic},
             {kPaneDeviation, PaneLineFlags(3)},
             {kPaneStochastics, 0},
             {kPaneObv, 0}})},
       1600, 1000);
  const auto canvas = PaintedCharts(1600, 1000);
  canvas->SaveArtifact(L"chart-three-pattern.bmp");
  for (int c = 0; c < 3; ++c) {
    const ChartContext& context = gChartContexts[c];
    // Each pane framed in black (the inverse of the white ground); the caption row carries text.
    for (int p = 0; p < CurrentScreenPattern().views[c].paneCount; ++p)
      EXPECT_EQ(canvas->At(context.panes[p].fullPlot.left + 40, context.panes[p].fullPlot.top), kBlack) << c << p;
    const Rect& row = context.geometry.captionRow;
    EXPECT_GT(canvas->Count({row.left + 8, row.top + 2, row.left + 400, row.bottom - 2}, IsTextInk), 100) << c;
  }
}

// A repaint of part of the window (the DC clipped to a band, as WM_PAINT
// clips it) sets exactly the pixels of a whole paint inside the band and
// none outside it, in thin and thick lines.
TEST_F(SampleChartTest, ARepaintOfABandSetsThePixelsOfAWholePaintThereAndNothingElse) {
  Load({MakeChartView(StringToCode("1001"), 0,
                      {{kPaneCandles, PaneLineFlags(6) | kPaneFlagBollingerCentre | kPaneFlagSigma3},
                       {kPaneRsi, PaneLineFlags(3)},
                       {kPaneMacd, PaneLineFlags(3)},
                       {kPaneStochastics, PaneLineFlags(3)}})},
       900, 600);
  const RECT band = {150, 170, 610, 430};
  for (const int thick : {0, 1}) {
    gThickChartLines = thick;
    const auto whole = PaintedCharts(900, 600);
    Canvas part(900, 600, kMarker);
    IntersectClipRect(part.dc(), band.left, band.top, band.right, band.bottom);
    PaintChart(part.dc(), CurrentScreenPattern().views[0], gChartContexts[0]);
    const RECT all = part.Whole();
    EXPECT_EQ(Row(part.CountDifferences(*whole, band), part.CountOther(all, kMarker) - part.CountOther(band, kMarker)),
              Row(0, 0))
        << "thick " << thick;
  }
}

TEST_F(SampleChartTest, PicturesOfEveryPricePaneFeature) {
  struct Feature {
    const wchar_t* name;
    uint32_t kind, flags;
    int period;
  };
  const Feature features[] = {
      {L"sample-averages", kPaneCandles, PaneLineFlags(6), 0},
      {L"sample-bollinger", kPaneCandles,
       kPaneFlagBollingerCentre | kPaneFlagSigma1 | kPaneFlagSigma2 | kPaneFlagSigma3, 0},
      {L"sample-parabolic", kPaneCandles, kPaneFlagParabolic, 0},
      {L"sample-ichimoku", kPaneIchimoku, 0, 1},
      {L"sample-cloud-only", kPaneCandles, PaneLineFlags(3) | kPaneFlagCloudAlone, 0},
      {L"sample-volume-cloud", kPaneCandles, kPaneFlagVolumeCloud, 0},
      {L"sample-log-scale", kPaneCandles, PaneLineFlags(2) | kPaneFlagLogScale, 2},
      {L"sample-tick-grid", kPaneCandles, kPaneFlagLine0, 0},
      {L"sample-forecast-and-trade", kPaneCandles, PaneLineFlags(2), 0},
  };
  for (const Feature& feature : features) {
    const std::wstring name = feature.name;
    gTickGridOn = name == L"sample-tick-grid";
    Load({MakeChartView(CodeAt(30), feature.period, {{feature.kind, feature.flags}, {kPaneVolume, kPaneFlagLine0}})},
         1000, 520);
    if (name == L"sample-forecast-and-trade") {  // forecast columns and a simulated trade on the last bars
      const BarSeries& bars = *gChartContexts[0].periods[0].bars;
      gForecastState[0] = kForecastCommitted;
      gForecastBarCount[0] = 3;
      gTradeMarkShown = 1;
      gTradeMarkCode = bars.code;
      gTradeMarkDate1 = bars.bars[bars.count - 30].date;
      gTradeMarkPrice1 = bars.bars[bars.count - 30].close;
      gTradeMarkDate2 = bars.bars[bars.count - 10].date;
      gTradeMarkPrice2 = bars.bars[bars.count - 10].close;
    }
    const auto canvas = PaintedCharts(1000, 520);
    EXPECT_TRUE(canvas->SaveArtifact(name + L".bmp"));
    EXPECT_GT(canvas->Count(ToRect(gChartContexts[0].panes[0].plot), gPaletteColors[kColorFalling]), 50)
        << WideToSjis(feature.name);
  }
}

// ---- The program itself ---------------------------------------------------------

// The settings of the copied database with a first pattern of three charts of one stock.
bool WriteThreeChartSettings(const std::wstring& folder) {
  std::vector<unsigned char> bytes = ReadFileBytes(folder + L"velqo.dat");
  if (bytes.size() != sizeof(SettingsBlock)) return false;
  XorBuffer(bytes.data(), bytes.size(), kSettingsXorByte);
  SettingsBlock& block = *reinterpret_cast<SettingsBlock*>(bytes.data());
  block.currentPattern = 0;
  ScreenPattern& pattern = block.screenPatterns[0];
  pattern.chartCount = 3;
  for (int i = 0; i < 3; ++i) {
    const uint32_t price = i == 1 ? kPaneIchimoku : kPaneCandles;
    pattern.views[i] =
        MakeChartView(StringToCode("1001"), i, {{price, PaneLineFlags(2)}, {kPaneVolume, kPaneFlagLine0}});
  }
  XorBuffer(bytes.data(), bytes.size(), kSettingsXorByte);
  return WriteFileBytes(folder + L"velqo.dat", bytes);
}

TEST(ChartProgramTest, TheMainWindowShowsTheCurrentPatternsCharts) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-charts");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteThreeChartSettings(folder));
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  ShowWindow(program.window, SW_SHOWNORMAL);
  SetWindowPos(program.window, HWND_TOP, 0, 0, 1400, 900, SWP_SHOWWINDOW);
  PumpFor(1500);
  RedrawWindow(program.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(500);
  // The window shows candles in both colours of the default palette.
  const auto shown = ScreenPicture(program.window);
  EXPECT_TRUE(shown->SaveArtifact(L"main-window-charts.bmp"));
  EXPECT_GT(shown->Count(shown->Whole(), RGB(160, 0, 80)), 300);
  EXPECT_GT(shown->Count(shown->Whole(), RGB(0, 0, 255)), 300);
  CloseProgram(program);
}

}  // namespace
