// The volume and oscillator panes painted into a memory bitmap from a chart
// context filled by hand: labels against a reference drawing, dotted lines,
// bars and lines by their colours, and nothing outside the pane.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "chart/chart_layout.h"
#include "chart/indicator_panes_win.h"
#include "chart/gdi_objects_win.h"
#include "common/packed_date.h"
#include "common/stock_code.h"
#include "platform/win_text.h"
#include "sheets/sheet_services.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"

namespace {

constexpr int kWidth = 420;
constexpr int kScaleWidth = 60;  // W at font size 12
constexpr int kBarWidth = 5;
constexpr int kSpacing = 7;  // w + 2 gaps of 1
constexpr int kBarCount = 60;
constexpr int kFirst = 10;
constexpr int kLast = kBarCount - 1;

constexpr COLORREF kBackground = RGB(250, 250, 235);  // not the device default
constexpr COLORREF kGrid = RGB(128, 128, 128);
constexpr COLORREF kBarColor = RGB(0, 150, 0);
constexpr COLORREF kSentinel = RGB(250, 200, 10);
constexpr COLORREF kMarkColor = RGB(0, 90, 220);  // trade-mark column of the entry

// Line colour slots (volume averages to the advance/decline ratio) get colours of their own: six hues, each slot a
// little greener than the one six before.
COLORREF LineColor(int slot) {
  static const COLORREF kHues[] = {RGB(220, 40, 40),  RGB(30, 110, 220), RGB(230, 140, 0),
                                   RGB(150, 60, 200), RGB(0, 160, 160),  RGB(200, 60, 140)};
  const COLORREF hue = kHues[slot % 6];
  return RGB(GetRValue(hue), GetGValue(hue) + slot / 6, GetBValue(hue));
}

struct ExpectedLabel {
  const char* text;
  int y;
};

class IndicatorPanesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLogFont(&gChartLogFont);
    gChartFontSize = 12;
    gThickChartLines = 0;
    gPaletteColors[kColorBackground] = kBackground;
    gPaletteColors[kColorScale] = kGrid;
    gPaletteColors[kColorVolumeBars] = kBarColor;
    for (int slot = kColorVolumeAverage0; slot <= kColorAdvanceDecline; ++slot) gPaletteColors[slot] = LineColor(slot);
    window_ = CreateWindowExW(0, L"STATIC", L"panes", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    gMainWnd = window_;
    CreateSharedGdiObjects();
    MeasureSharedFonts(window_);
    textHeight_ = gFixedFontMetrics.tmHeight;
    context_->geometry.barSpacing = kSpacing;
    context_->geometry.gap = 1;
    context_->geometry.visibleBars = 48;
    view_.lastBarIndex = kLast;
    view_.barWidth = kBarWidth;
    Block().bars->count = kBarCount;
    for (int i = 0; i < kBarCount; ++i) Block().bars->bars[i].volume = 1000;
  }
  void TearDown() override {
    DeleteSharedGdiObjects();
    DestroyWindow(window_);
  }
  PeriodSeriesBlock& Block() { return context_->periods[0]; }
  void FillSeries(int slot, const std::function<int32_t(int)>& value) {
    IntSeries* series = Block().chartInt[slot];
    series->count = kBarCount;
    for (int i = 0; i < kBarCount; ++i) series->values[i] = value(i);
  }
  void FillConstant(int slot, int32_t value) {
    FillSeries(slot, [value](int) { return value; });
  }
  // A pane of the whole width: 60 pixels of scale, then the plot.
  void PlacePane(int pane, int kind, int top, int height, int32_t minValue, int32_t maxValue, uint32_t flags) {
    view_.paneKinds[pane] = static_cast<uint32_t>(kind);
    view_.paneFlags[pane] = flags;
    view_.paneCount = std::max(view_.paneCount, pane + 1);
    PaneRecord& record = context_->panes[pane] = PaneRecord{};
    record.pane = {0, top, kWidth, top + height};
    record.scale = {0, top, kScaleWidth, top + height};
    record.plot = record.fullPlot = {kScaleWidth, top, kWidth, top + height};
    record.minValue = minValue;
    record.maxValue = maxValue;
    record.valuePerPixel = height > 0 ? (static_cast<double>(maxValue) - minValue) / height : 0.0;
  }
  RECT PlotRect(int pane) const { return ToRect(context_->panes[pane].plot); }
  // What the chart painter leaves before a pane is painted.
  void Prefill(Canvas& canvas, int pane) const {
    canvas.Fill(ToRect(context_->panes[pane].scale), GetSysColor(COLOR_BTNFACE));
    canvas.Fill(PlotRect(pane), kBackground);
  }
  void Paint(Canvas& canvas, int pane) const {
    if (view_.paneKinds[pane] == kPaneVolume)
      PaintVolumePane(canvas.dc(), view_, *context_, pane, kFirst, kLast);
    else
      PaintIndicatorPane(canvas.dc(), view_, *context_, pane, kFirst, kLast);
  }
  // A new canvas with the pane painted as the chart painter would.
  std::unique_ptr<Canvas> Painted(int pane) const {
    auto canvas = std::make_unique<Canvas>(kWidth, 400, kSentinel);
    Prefill(*canvas, pane);
    Paint(*canvas, pane);
    return canvas;
  }
  // The pane painted on `canvas` against a reference of its labels: right-aligned in
  // the scale column less 4 pixels, T high and centred on y, kept 2 pixels inside
  // the column. The label areas must match.
  void ExpectLabels(Canvas& canvas, int pane, const std::vector<ExpectedLabel>& labels) {
    Canvas reference(canvas.width(), canvas.height(), kSentinel);
    Prefill(canvas, pane);
    Prefill(reference, pane);
    Paint(canvas, pane);
    const Rect& scale = context_->panes[pane].scale;
    const HGDIOBJ oldFont = SelectObject(reference.dc(), gChartFixedFont);
    SetBkMode(reference.dc(), TRANSPARENT);
    SetTextColor(reference.dc(), GetSysColor(COLOR_BTNTEXT));
    for (const ExpectedLabel& label : labels) {
      const int top = std::clamp(label.y - textHeight_ / 2, scale.top + 2, scale.bottom - 2 - textHeight_);
      RECT rect{scale.left, top, scale.right - 4, top + textHeight_};
      const std::wstring text = SjisToWide(label.text);
      DrawTextW(reference.dc(), text.c_str(), -1, &rect, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(reference.dc(), oldFont);
    const RECT area{scale.left, scale.top, scale.right - 4, scale.bottom};
    EXPECT_GT(reference.CountOther(area, GetSysColor(COLOR_BTNFACE)), 0) << "the reference shows text";
    EXPECT_EQ(canvas.CountDifferences(reference, area), 0);
  }
  // The rows of the pane that hold grid pixels, each checked to be a dotted row from the plot
  // left - 3 to the plot right - 2: grid and background only.
  std::vector<int> DottedRows(const Canvas& canvas, int pane) const {
    const RECT plot = PlotRect(pane);
    std::vector<int> rows;
    for (int y = plot.top; y < plot.bottom; ++y) {
      if (canvas.Count({plot.left - 3, y, plot.right, y + 1}, kGrid) == 0) continue;
      rows.push_back(y);
      const RECT row{plot.left - 3, y, plot.right - 2, y + 1};
      const int grid = canvas.Count(row, kGrid), gaps = canvas.Count(row, kBackground);
      EXPECT_TRUE(grid > 100 && gaps > 100 && grid + gaps == row.right - row.left) << "row " << y;
      EXPECT_NE(canvas.At(plot.right - 2, y), kGrid) << "row " << y;
    }
    return rows;
  }
  // Pixels outside the pane that no longer show the sentinel colour.
  int CountOutside(const Canvas& canvas, int pane) const {
    return canvas.CountOther(canvas.Whole(), kSentinel) -
           canvas.CountOther(ToRect(context_->panes[pane].pane), kSentinel);
  }
  int BarX(int bar) const { return kWidth + kSpacing / 2 - 2 - (kLast - bar + 1) * kSpacing; }
  // The top of a bar's column: every pixel from it down to `bottom` in the bar colour, none above it up to `top`.
  int BarTop(const Canvas& canvas, int bar, int top, int bottom) const {
    const int left = BarX(bar) - kBarWidth / 2;
    int y = bottom;
    while (y > top && canvas.CountOther({left, y - 1, left + kBarWidth, y}, kBarColor) == 0) --y;
    return canvas.Count({left, top, left + kBarWidth, y}, kBarColor) == 0 ? y : -1;
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
  HWND window_ = nullptr;
  int textHeight_ = 0;
  OwnedContext owned_;
  ChartContext* context_ = &owned_.context;
  ChartView view_{};
};

// Each level line is a dotted row; labels thin out on low panes but lines never do;
// levels outside the pane's range are left out.
TEST_F(IndicatorPanesTest, LevelLabelsAndDottedRowsOfEachKind) {
  FillConstant(kIntStochD, 5000);
  FillConstant(kIntStochSD, 5000);
  struct Levels {
    int kind, top, height;
    int32_t minValue, maxValue;
    std::vector<ExpectedLabel> labels;
    std::vector<int> gridRows;
  };
  const Levels cases[] = {
      {kPaneRsi,
       20,
       200,
       0,
       10000,
       {{"0.00", 220}, {"25.00", 170}, {"50.00", 120}, {"75.00", 70}, {"100.00", 20}},
       {70, 120, 170}},
      // 50 / 5 = 10 < 16: every other text; 70 - trunc(i * 12.5).
      {kPaneRsi, 20, 50, 0, 10000, {{"0.00", 70}, {"50.00", 45}, {"100.00", 20}}, {33, 45, 58}},
      // Two labels: never thinned.
      {kPaneDmi, 100, 30, 0, 10000, {{"0.00", 130}, {"100.00", 100}, {"30.00", 121}}, {121}},
      {kPaneStochastics,
       20,
       200,
       0,
       10000,
       {{"15.00", 190}, {"30.00", 160}, {"70.00", 80}, {"85.00", 50}},
       {50, 80, 160, 190}},
      {kPaneMacd,
       20,
       100,
       -50,
       150,
       {{"-0.50", 120}, {"0.00", 95}, {"0.50", 70}, {"1.00", 45}, {"1.50", 20}},
       {45, 70, 95}},
      // Its 30 level lies below the pane.
      {kPaneDmi, 100, 100, 4000, 9000, {{"40.00", 200}, {"90.00", 100}}, {}},
      // The 150 level left out, the maximum labelled.
      {kPaneVolumeRatio,
       20,
       120,
       0,
       12000,
       {{"30.00", 110}, {"70.00", 70}, {"100.00", 40}, {"120.00", 20}},
       {20, 40, 70, 110}},
      // Entirely above 100.
      {kPaneSroc, 20, 100, 10500, 12000, {{"105.00", 120}, {"120.00", 20}}, {}},
  };
  ASSERT_EQ(CaptionRowHeight(), 16);
  for (const Levels& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " height " << c.height);
    PlacePane(0, c.kind, c.top, c.height, c.minValue, c.maxValue, 0);
    Canvas canvas(kWidth, 400, kSentinel);
    ExpectLabels(canvas, 0, c.labels);
    EXPECT_EQ(DottedRows(canvas, 0), c.gridRows);
    EXPECT_EQ(CountOutside(canvas, 0), 0);
    if (c.kind == kPaneStochastics) {  // the %D line, drawn first, lies under %SD at the same values
      EXPECT_GT(canvas.Count({kScaleWidth, 119, kWidth, 120}, LineColor(kColorStochSD)), 100);
    }
  }
  Canvas canvas(kWidth, 400, kSentinel);
  DrawLevelLine(canvas.dc(), view_, *context_, 0, 10499, 100);
  DrawLevelLine(canvas.dc(), view_, *context_, 0, 12001, 100);
  EXPECT_EQ(canvas.CountOther(canvas.Whole(), kSentinel), 0);
}

TEST_F(IndicatorPanesTest, VolumeBarsRiseFromTheMinimumInTheBarColour) {
  BarSeries* bars = Block().bars;
  bars->bars[50].volume = 0;
  bars->bars[52].volume = 500;
  bars->bars[55].volume = 3000;
  PlacePane(0, kPaneVolume, 10, 300, 0, 3000, 0);  // 10 per pixel, bottom 310
  Canvas canvas(kWidth, 400, kSentinel);
  const char* const texts[] = {"0", "300", "600", "900", "1,200", "1,500", "1,800", "2,100", "2,400", "2,700", "3,000"};
  std::vector<ExpectedLabel> labels;
  for (int i = 0; i < 11; ++i) labels.push_back({texts[i], 310 - 30 * i});
  ExpectLabels(canvas, 0, labels);
  ASSERT_LE(textHeight_, 14) << "eleven labels need 10 * h / 10 > 2T";
  // A zero volume is one pixel high.
  EXPECT_EQ(Row(BarTop(canvas, 52, 10, 310), BarTop(canvas, 50, 10, 310), BarTop(canvas, 55, 10, 310),
                BarTop(canvas, 40, 10, 310)),
            Row(260, 309, 10, 210));
  // The gaps between bars stay background; bars before the first bar are not drawn.
  EXPECT_EQ(canvas.Count({BarX(52) + 3, 10, BarX(53) - 2, 310}, kBarColor), 0);
  EXPECT_EQ(canvas.Count({kScaleWidth, 10, BarX(kFirst) - 2, 310}, kBarColor), 0);
  EXPECT_EQ(CountOutside(canvas, 0), 0);
  // A negative minimum does not lift the bars: 0 reaches the middle, where the scale
  // reads 0 (20 per pixel); 500 is 25 pixels higher.
  PlacePane(1, kPaneVolume, 10, 300, -3000, 3000, 0);
  const auto shifted = Painted(1);
  EXPECT_EQ(Row(BarTop(*shifted, 50, 10, 310), BarTop(*shifted, 52, 10, 310)), Row(160, 135));
}

TEST_F(IndicatorPanesTest, VolumeAveragesFollowTheirFlagBits) {
  FillConstant(kIntVolumeAverage0, 2000);
  FillConstant(kIntVolumeAverage0 + 1, 2500);
  PlacePane(0, kPaneVolume, 10, 300, 0, 3000, kPaneFlagLine0);
  const auto one = Painted(0);
  const RECT plot = PlotRect(0);
  EXPECT_GT(one->Count({plot.left, 109, plot.right, 110}, LineColor(kColorVolumeAverage0)), 200);  // 310 - 200 - 1
  EXPECT_EQ(one->Count(plot, LineColor(kColorVolumeAverage0 + 1)), 0);
  view_.paneFlags[0] = PaneLineFlags(2);
  EXPECT_GT(Painted(0)->Count({plot.left, 59, plot.right, 60}, LineColor(kColorVolumeAverage0 + 1)), 200);
}

TEST_F(IndicatorPanesTest, LinesStartAtTheirFirstBarAndStayInsideThePlot) {
  Block().params.slot[kParamRsi0] = 30;  // RSI 1 from bar 30
  Block().params.slot[kParamRsi0 + 2] = 0;
  FillConstant(kIntRsi0, 5000);
  FillConstant(kIntRsi0 + 1, 2000);
  FillConstant(kIntRsi0 + 2, 12000);  // above the pane
  PlacePane(0, kPaneRsi, 100, 200, 0, 10000, kPaneFlagLine0 | kPaneFlagLine2);
  const auto canvas = Painted(0);
  const RECT plot = PlotRect(0);
  const COLORREF rsi1 = LineColor(kColorRsi0), rsi3 = LineColor(kColorRsi0 + 2);
  EXPECT_EQ(canvas->CountOther({BarX(30) + 1, 199, BarX(kLast), 200}, rsi1), 0);  // 300 - 100 - 1
  EXPECT_EQ(canvas->Count({plot.left, 199, BarX(30) - 1, 200}, rsi1), 0);
  EXPECT_EQ(canvas->Count(plot, rsi1), canvas->Count({plot.left, 199, plot.right, 200}, rsi1));
  EXPECT_EQ(canvas->Count(plot, LineColor(kColorRsi0 + 1)), 0) << "bit 1 is clear";
  // Above the maximum: held one row below the top.
  EXPECT_EQ(canvas->CountOther({BarX(kFirst) + 1, 101, BarX(kLast), 102}, rsi3), 0);
  EXPECT_EQ(canvas->Count({0, 0, kWidth, 101}, rsi3), 0);
  EXPECT_EQ(CountOutside(*canvas, 0), 0);
  // Thick lines are two pixels wide.
  gThickChartLines = 1;
  EXPECT_GE(Painted(0)->Count({plot.left, 198, plot.right, 201}, rsi1), 2 * (BarX(kLast) - BarX(30) - 1));
  // Lines dropping far below the pane are clipped at its bottom.
  FillSeries(kIntRsi0, [](int bar) { return bar % 2 == 0 ? 5000 : -2000000000; });
  view_.paneFlags[0] = kPaneFlagLine0;
  const auto below = Painted(0);
  EXPECT_GT(below->Count({plot.left, 250, plot.right, 300}, rsi1), 100);
  EXPECT_EQ(CountOutside(*below, 0), 0);
  // Called on its own, the line routine clips to the plot itself.
  Canvas alone(kWidth, 400, kSentinel);
  Prefill(alone, 0);
  DrawIntSeriesLine(alone.dc(), view_, *context_, 0, kFirst, kLast, kIntRsi0, 27, 1, 0, false);
  EXPECT_GT(alone.Count(plot, rsi1), 100);
  EXPECT_EQ(CountOutside(alone, 0), 0);
}

TEST_F(IndicatorPanesTest, DeviationLinesStartAtTheLongerOfTheirTwoPeriods) {
  Block().params.slot[kParamDeviation0] = 25;
  Block().params.slot[kParamDeviationSecond0] = 5;
  Block().params.slot[kParamDeviation0 + 1] = 10;
  Block().params.slot[kParamDeviationSecond0 + 1] = 40;
  FillConstant(kIntDeviation0, 0);
  FillConstant(kIntDeviation0 + 1, 500);
  PlacePane(0, kPaneDeviation, 100, 200, -1000, 1000, PaneLineFlags(2));  // 10 per pixel
  const auto canvas = Painted(0);
  for (const auto& [line, start, y] : {std::array<int, 3>{0, 25, 199}, {1, 40, 149}}) {
    EXPECT_EQ(canvas->CountOther({BarX(start) + 1, y, BarX(kLast), y + 1}, LineColor(kColorDeviation0 + line)), 0);
    EXPECT_EQ(canvas->Count({kScaleWidth, 100, BarX(start) - 1, 300}, LineColor(kColorDeviation0 + line)), 0);
  }
}

TEST_F(IndicatorPanesTest, FlatAndTinyPanesPaintWithoutSpilling) {
  FillConstant(kIntRsi0, 5000);
  for (int kind = kPaneVolume; kind <= kPaneAdvanceDecline; ++kind) {
    for (int height : {0, 1, 2}) {
      PlacePane(0, kind, 100, height, 5000, 5000, PaneLineFlags(3));
      context_->panes[0].valuePerPixel = 0.0;
      EXPECT_EQ(CountOutside(*Painted(0), 0), 0) << "kind " << kind << " height " << height;
    }
  }
}

TEST_F(IndicatorPanesTest, TradeMarkColumnsComeWithTheFirstLineAndWithTheVolumeBars) {
  view_.stockCode = StringToCode("7203");
  BarSeries* bars = Block().bars;
  for (int i = 0; i < kBarCount; ++i) bars->bars[i].date = MakePackedDate(2026, 1 + i / 28, 1 + i % 28);
  gPaletteColors[kColorShortBuyBackground] = kMarkColor;
  gTradeMarkShown = 1;
  gTradeMarkCode = view_.stockCode;
  gTradeMarkDate1 = bars->bars[40].date;
  gTradeMarkPrice1 = 100;
  gTradeMarkDate2 = 0;
  gTradeMarkPrice2 = -1;
  const int left = BarX(40) - kBarWidth / 2;
  const RECT plot{kScaleWidth, 100, kWidth, 300}, column{left, 100, left + kBarWidth, 300};
  FillConstant(kIntRsi0, 5000);
  FillConstant(kIntRsi0 + 1, 5000);
  PlacePane(0, kPaneRsi, 100, 200, 0, 10000, PaneLineFlags(2));
  const auto canvas = Painted(0);
  EXPECT_GT(canvas->Count(column, kMarkColor), 150 * kBarWidth);
  EXPECT_EQ(canvas->Count(plot, kMarkColor), canvas->Count(column, kMarkColor));
  view_.paneFlags[0] = 0;  // no line drawn, no column
  EXPECT_EQ(Painted(0)->Count(plot, kMarkColor), 0);
  // The volume pane paints it under its bars.
  bars->bars[40].volume = 1000;
  PlacePane(0, kPaneVolume, 100, 200, 0, 2000, 0);  // 10 per pixel
  const auto volume = Painted(0);
  EXPECT_EQ(volume->CountOther({left, 200, left + kBarWidth, 300}, kBarColor), 0);
  EXPECT_GT(volume->Count({left, 100, left + kBarWidth, 200}, kMarkColor), 80 * kBarWidth);
  EXPECT_EQ(volume->Count(plot, kMarkColor), volume->Count({left, 100, left + kBarWidth, 200}, kMarkColor));
}

int32_t Wave(int bar, double period, int32_t centre, int32_t amplitude) {
  return centre + static_cast<int32_t>(amplitude * std::sin(bar * 6.2831853 / period));
}

TEST_F(IndicatorPanesTest, EveryPaneKindInOnePicture) {
  // The kinds from the volume pane on, in their order: a range and the colour of the first line of each.
  const int32_t panes[][3] = {
      {0, 5000, kColorVolumeAverage0}, {0, 10000, kColorRsi0},        {-10000, 10000, kColorRci0},
      {-1000, 1000, kColorDeviation0}, {0, 10000, kColorStochD},      {-50, 150, kColorMacd},
      {0, 6000, kColorPlusDi},         {9000, 11000, kColorSroc},     {0, 10000, kColorPsychological0},
      {-100000, 100000, kColorObv},    {0, 20000, kColorVolumeRatio}, {5000, 15000, kColorAdvanceDecline}};
  constexpr int kPaneHeight = 110;
  BarSeries* bars = Block().bars;
  for (int i = 0; i < kBarCount; ++i) bars->bars[i].volume = i == 45 ? 0 : Wave(i, 13, 2500, 1800);
  for (int slot = 0; slot < kIntSlotCount; ++slot)
    FillSeries(slot, [slot](int i) { return Wave(i + 3 * slot, 20 + slot % 3 * 7, 0, 1); });
  struct Shape {
    int firstSlot, lastSlot;
    int32_t centre, amplitude;
  };
  const Shape shapes[] = {{0, 0, 2500, 600},     {1, 1, 2500, 300},    {2, 4, 5000, 3000},   {5, 7, 0, 8000},
                          {8, 10, 0, 700},       {12, 12, 5000, 4000}, {13, 13, 5000, 3500}, {16, 16, 50, 90},
                          {17, 17, 50, 60},      {24, 24, 3000, 2000}, {25, 25, 3000, 1500}, {27, 27, 2500, 1000},
                          {29, 29, 10000, 800},  {30, 32, 5000, 3000}, {33, 33, 0, 80000},   {34, 34, 0, 60000},
                          {37, 37, 12000, 7000}, {38, 38, 10000, 4000}};
  for (const Shape& s : shapes)
    for (int slot = s.firstSlot; slot <= s.lastSlot; ++slot)
      FillSeries(slot, [&s, slot](int i) { return Wave(i + 5 * slot, 18 + slot % 3 * 9, s.centre, s.amplitude); });
  Canvas canvas(kWidth, kPaneHeight * 12, kSentinel);
  for (int i = 0; i < 12; ++i) {
    PlacePane(i, kPaneVolume + i, i * kPaneHeight, kPaneHeight, panes[i][0], panes[i][1], PaneLineFlags(3));
    Prefill(canvas, i);
  }
  for (int i = 0; i < 12; ++i) Paint(canvas, i);
  ASSERT_TRUE(canvas.SaveArtifact(L"indicator_panes.bmp"));
  for (int i = 0; i < 12; ++i) {
    // Each pane's lines keep to its own plot.
    for (int j = 0; j < 12; ++j) {
      const int count = canvas.Count(PlotRect(j), LineColor(panes[i][2]));
      EXPECT_TRUE(j == i ? count > 50 : count == 0) << "kind " << kPaneVolume + i << " in pane " << j;
    }
  }
  EXPECT_GT(canvas.Count(PlotRect(0), kBarColor), 1000);
}

}  // namespace
