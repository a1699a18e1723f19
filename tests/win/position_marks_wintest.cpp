// Trend lines and the tracker's ladder as the chart paints them: checked on
// the pixels of memory bitmaps, pictures saved.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/position_tracker.h"
#include "analysis/trend_line_store.h"
#include "chart/blink_phase.h"
#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/draw_primitives_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/position_marks_win.h"
#include "chart/price_scale.h"
#include "chart/trend_line_mouse.h"
#include "common/number_text.h"
#include "data/stock_table.h"
#include "net/order_link.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"

namespace {

constexpr int kWidth = 600, kHeight = 300;
constexpr int kBars = 40;
const StockCode kCode = 0x5A5A5A5Au;  // "ZZZZ": sorts after every stock of a table

constexpr COLORREF kWhite = RGB(255, 255, 255), kTrend = RGB(200, 0, 200), kSelected = RGB(0, 200, 0),
                   kRubberBand = RGB(0, 160, 255), kMonitor = RGB(255, 120, 0), kNumber = RGB(20, 20, 120),
                   kLevel = RGB(0, 128, 128);

// Live GDI objects of the process. Where GetGuiResources answers 0 (Wine), the
// room left for new objects is counted instead, negated; 0 when unknown.
long GdiObjectsInUse() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
  std::vector<HPEN> pens;
  while (pens.size() < 200000) {
    const HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    if (pen == nullptr) break;
    pens.push_back(pen);
  }
  const long room = pens.size() < 200000 ? static_cast<long>(pens.size()) : 0;
  for (HPEN pen : pens) DeleteObject(pen);
  return -room;
}

// The pixels of `color` in `area` and the rectangle they span.
struct Ink {
  int count;
  RECT bounds;
};
Ink InkOf(const Canvas& canvas, const RECT& area, COLORREF color, int skipX = -1) {
  Ink ink{0, {INT_MAX, INT_MAX, INT_MIN, INT_MIN}};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (x == skipX || canvas.At(x, y) != color) continue;
      ++ink.count;
      ink.bounds = {std::min<LONG>(ink.bounds.left, x), std::min<LONG>(ink.bounds.top, y),
                    std::max<LONG>(ink.bounds.right, x + 1), std::max<LONG>(ink.bounds.bottom, y + 1)};
    }
  }
  return ink;
}

class PositionMarksPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gChartFontSize = 12;
    gTickGridOn = 0;
    CreateSharedGdiObjects();
    MeasureSharedFonts(nullptr);
    InstallChartTextMeasures();
    ASSERT_TRUE((gStockTable != nullptr || AllocateStockTable()) && AllocTrendLineTables());
    gTrendLines->count = 0;
    AddFlatWeeklyStock(context_, kCode, kBars, DateOf);  // the scale spans 900..1300, the extremes out of the way
    SetPalette(kColorBackground, kWhite, kColorScale, kWhite, kColorRising, RGB(150, 150, 150), kColorFalling,
               RGB(150, 150, 150), kColorTrendLine, kTrend, kColorSelection, kSelected, kColorMeasureLine, kRubberBand,
               kColorMonitorLine, kMonitor, kColorNumberEven, kNumber, kColorRsi0 + 1, kLevel);
    view_ = MakeChartView(kCode, 1, {{kPaneCandles, 0}});
    view_.barWidth = 9;
    ComputePaneScales({0, 0, kWidth, kHeight}, view_, context_);
  }
  void TearDown() override {
    gHighlightedTrendLine = -1;
    gRubberBandLine = false;
    FreeChartPaintResources();
    DeleteSharedGdiObjects();
  }
  static PackedDate DateOf(int bar) { return AddCalendarDays(MakePackedDate(2025, 1, 3), 7 * bar); }
  int X(int bar) const { return DateToPaneX(view_, *context_, DateOf(bar), kBars - 1); }
  int Y(int32_t value) const { return PaneValueToY(view_, *context_, 0, value); }
  // A weekly candle-pane line from bar 1 to bar 2.
  TrendLine& Line(int bar1, int32_t value1, int bar2, int32_t value2, int* index = nullptr) {
    if (index != nullptr) *index = gTrendLines->count;
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = NewTrendLine(kCode, DateOf(bar1), value1, DateOf(bar2), value2);
    line.period = 1;
    return line;
  }
  std::unique_ptr<Canvas> Painted(const wchar_t* picture = nullptr) {
    auto canvas = std::make_unique<Canvas>(kWidth, kHeight);
    PaintChart(canvas->dc(), view_, *context_);
    if (picture != nullptr) canvas->SaveArtifact(picture);
    return canvas;
  }
  RECT Around(int x, int y, int half = 2) const { return {x - half, y - half, x + half + 1, y + half + 1}; }
  // The GDI calls of pane 0's marks, counted as the records of a metafile.
  int MarkRecords() const {
    const HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    const int last = kBars - 1;
    PaintPositionMarks(dc, view_, *context_, 0, last - context_->geometry.visibleBars - 3, last);
    const HENHMETAFILE file = CloseEnhMetaFile(dc);
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(file, sizeof header, &header);
    DeleteEnhMetaFile(file);
    return static_cast<int>(header.nRecords);
  }
  // The extent of `text` in the chart font, and the pixels of `area` that differ
  // from what `draw` shows there on white.
  static SIZE Measured(const char* text) {
    Canvas probe(1, 1);
    SelectObject(probe.dc(), gChartFixedFont);
    const std::wstring wide = SjisToWide(text);
    SIZE size{};
    GetTextExtentPoint32W(probe.dc(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
  }
  // The pixels of `text` alone in the chart font and `color`; without the
  // column `skip` pixels right of the ink's left edge when it is given.
  static Ink TextInk(const char* text, COLORREF color, int skip = -1) {
    Canvas alone(kWidth, kHeight);
    SelectObject(alone.dc(), gChartFixedFont);
    SetTextColor(alone.dc(), color);
    SetBkMode(alone.dc(), TRANSPARENT);
    const std::wstring wide = SjisToWide(text);
    ExtTextOutW(alone.dc(), 100, 100, 0, nullptr, wide.c_str(), static_cast<int>(wide.size()), nullptr);
    const Ink ink = InkOf(alone, alone.Whole(), color);
    return skip < 0 ? ink : InkOf(alone, alone.Whole(), color, ink.bounds.left + skip);
  }
  static int Differences(const Canvas& painted, const RECT& area, const std::function<void(HDC)>& draw) {
    Canvas expected(kWidth, kHeight);
    SelectObject(expected.dc(), gChartFixedFont);
    SetTextColor(expected.dc(), kNumber);
    draw(expected.dc());
    return painted.CountDifferences(expected, area);
  }

  ScopedGlobalState globals_;
  OwnedContext owned_;
  ChartContext* context_ = &owned_.context;
  ChartView view_{};
};

TEST_F(PositionMarksPaintTest, LinesOnTheirPointsHandlesWhenMarkedOrLockedTheNewLineAndTheMeasuringText) {
  int index = -1;
  TrendLine& line = Line(10, 1000, 30, 1200, &index);
  const int corner = 4;  // handles of half-size width + 2
  const auto plain = Painted(L"marks-plain-line.bmp");
  EXPECT_GT(plain->Count(Around(X(20), Y(1100)), kTrend) * plain->Count(Around(X(10), Y(1000)), kTrend), 0);
  EXPECT_EQ(plain->At(X(10) - corner, Y(1000) - corner), kWhite);
  line.marked = 1;
  const auto marked = Painted(L"marks-marked-line.bmp");
  EXPECT_PIXELS(*marked, {X(10) - corner, Y(1000) - corner, kSelected}, {X(30) + corner, Y(1200) + corner, kSelected});
  line.marked = 0;
  line.locked = 1;
  EXPECT_PIXELS(*Painted(L"marks-locked-line.bmp"), {X(10) - corner, Y(1000) - corner, kNumber},
                {X(10) - corner + 1, Y(1000) - corner + 1, kTrend});
  // Highlighted: "20週 / 200円 / 20.00%" below the rising line's middle, on the background.
  char text[kMarkTextSize];
  FormatMeasuringText(line, kPaneCandles, 1, 20, text, sizeof text);
  const SIZE size = Measured(text);
  const RECT at =
      ToRect(PlaceMeasuringText(context_->panes[0].pane, line, X(10), Y(1000), X(30), Y(1200), size.cx, size.cy));
  EXPECT_EQ(plain->Count(at, kNumber), 0);
  gHighlightedTrendLine = index;
  const auto measured = Painted(L"marks-measuring-text.bmp");
  EXPECT_GT(measured->Count(at, kNumber), 30);
  EXPECT_EQ(Differences(*measured, at,
                        [&](HDC dc) { DrawTextOnBackground(dc, text, -1, at, DT_TOP | DT_SINGLELINE | DT_NOPREFIX); }),
            0);
  // The record after the counted ones, while it is being drawn.
  gTrendLines->count = 0;
  gTrendLineBeingDrawn = 1;
  gRubberBandLine = true;
  EXPECT_GT(Painted(L"marks-rubber-band.bmp")->Count(Around(X(20), Y(1100)), kRubberBand), 0);
  gTrendLineBeingDrawn = 0;
  EXPECT_EQ(Painted()->Count(Around(X(20), Y(1100)), kRubberBand), 0);
}

TEST_F(PositionMarksPaintTest, AnArmedStepBlinksWithOrderingOnAndStaysStoppedWithItOff) {
  TrendLine& step = Line(10, 1000, kBars + 5, 1000);  // reaches past the last bar: live
  step.buyRole = 1;
  step.buyShares = 100;
  step.monitorKind = kMonitorLower;
  step.autoOrderState = kAutoOrderArmed;
  step.labelSide = kLabelLeft;
  const RECT row = {X(12), Y(1000) - 2, X(30), Y(1000) + 3};
  const char* text = "1,000 [停]買1(100株)";
  const SIZE size = Measured(text);
  const int right = X(10) - 4, top = Y(1000) - size.cy / 2 - 4;
  RECT label = {right - size.cx, top, right, top + size.cy + 8};
  gAutoOrderEnabled = 1;
  gBlinkPhase = 1;
  EXPECT_GT(Painted(L"marks-armed-phase1.bmp")->Count(row, kMonitor), 50);
  gBlinkPhase = 0;
  const auto hidden = Painted(L"marks-armed-phase0.bmp");
  EXPECT_EQ(hidden->Count(row, kMonitor) + hidden->Count(label, kNumber), 0);
  gAutoOrderEnabled = 0;
  const auto stopped = Painted(L"marks-armed-ordering-off.bmp");
  EXPECT_GT(stopped->Count(row, kMonitor) * stopped->Count(label, kNumber), 0);
  EXPECT_EQ(Differences(*stopped, label,
                        [&](HDC dc) {
                          DrawOutlinedText(dc, text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
                        }),
            0);
}

TEST_F(PositionMarksPaintTest, TheLadderWithItsAverageLeavesTheDcAsItWasAndNoGdiObjectBehind) {
  TrendLine& first = Line(10, 1000, 30, 1000);
  TrendLine& second = Line(10, 900, 30, 900);
  first.buyRole = 1;
  second.buyRole = 2;
  first.buyShares = 100;
  second.buyShares = 300;
  second.locked = 1;
  second.monitorKind = kMonitorLower;
  Line(5, 1100, 5, 1250).marked = 1;  // vertical, with its date
  Line(10, 1200, 30, 1200).buyRole = kTrackerCloseLine;
  gHighlightedTrendLine = 0;
  gSettings.showAverageLine = gSettings.showProfitOnClosingLine = 1;
  const RECT average = {X(12), Y(925) - 1, X(28), Y(925) + 2};  // (100 x 1000 + 300 x 900) / 400
  EXPECT_GT(Painted(L"marks-ladder.bmp")->Count(average, kLevel), 50);
  Canvas canvas(kWidth, kHeight);
  const HDC dc = canvas.dc();
  SelectObject(dc, GetStockObject(WHITE_PEN));
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkMode(dc, OPAQUE);
  const int last = kBars - 1;
  PaintPositionMarks(dc, view_, *context_, 0, last - context_->geometry.visibleBars - 3, last);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(Row(GetClipRgn(dc, clip), GetCurrentObject(dc, OBJ_PEN) == GetStockObject(WHITE_PEN), GetTextColor(dc),
                GetBkMode(dc)),
            Row(0, 1, RGB(1, 2, 3), OPAQUE));
  DeleteObject(clip);
  const long before = GdiObjectsInUse();
  for (int i = 0; i < 1000; ++i) {
    gBlinkPhase = i % 2;
    PaintChart(dc, view_, *context_);
  }
  EXPECT_EQ(GdiObjectsInUse(), before);
  // Steps without shares have no average, and nothing is divided by their total.
  first.buyShares = second.buyShares = 0;
  EXPECT_EQ(Painted()->Count({0, 0, kWidth, kHeight}, kLevel), 0);
}

// A monitoring line with values far off the pane (a damaged file) is drawn as
// far as it shows, its crosses only there: the work is that of the pane.
TEST_F(PositionMarksPaintTest, ALiveLineFarBeyondItsPaneCostsWhatItsVisiblePartCosts) {
  const PaneRecord& pane = context_->panes[0];
  const double farOff = pane.valuePerPixel * (1 << 20);
  const struct {
    const char* what;
    int32_t low, high;
  } cases[] = {
      {"across the pane", 950, 1280},
      {"2^20 pixels beyond both edges", static_cast<int32_t>(pane.minValue - farOff),
       static_cast<int32_t>(pane.maxValue + farOff)},
      {"at the ends of 32 bits", INT32_MIN, INT32_MAX},
  };
  for (const auto& c : cases) {
    gTrendLines->count = 0;
    Line(5, c.low, kBars + 5, c.high).monitorKind = kMonitorLower;
    // Two rows of crosses of four calls each, one every 32 of the at most
    // 700 pixels a line runs on the pane, and the segment.
    ASSERT_LT(MarkRecords(), 400) << c.what;
    const auto painted = Painted(c.low == INT32_MIN ? L"marks-extreme-line.bmp" : nullptr);
    EXPECT_GT(painted->Count(ToRect(pane.plot), kMonitor), pane.plot.bottom - pane.plot.top) << c.what;
  }
}

// The date of a vertical line and the value labels of level lines near the
// pane's edges are drawn whole, inside the pane.
TEST_F(PositionMarksPaintTest, LabelsOfLinesNearThePaneEdgesAreDrawnWholeInsideIt) {
  const RECT pane = ToRect(context_->panes[0].pane);
  int edgeBar = kBars - 1;  // the bars nearest the right and left edges
  while (X(edgeBar + 1) < pane.right - 4) ++edgeBar;
  int leftBar = 0;
  while (X(leftBar) > pane.left + 10) --leftBar;
  const int32_t top = context_->panes[0].maxValue;
  const struct {
    const char* what;
    int32_t bar1, value1, bar2, value2;  // bars and values
    int side;
  } cases[] = {
      {"date of a vertical line at the right edge", edgeBar, 1240, edgeBar, 1280, kLabelRight},
      {"value right of a level line ending at the right edge", 20, 1260, edgeBar, 1260, kLabelRight},
      {"value left of a level line starting at the left edge", leftBar, 1260, 30, 1260, kLabelLeft},
      {"value of a level line at the top", 20, top, 30, top, kLabelRight},
  };
  for (const auto& c : cases) {
    gTrendLines->count = 0;
    TrendLine& line = Line(c.bar1, c.value1, c.bar2, c.value2);
    line.labelSide = c.side;
    const bool vertical = c.bar1 == c.bar2;
    char text[kMarkTextSize];
    if (vertical) {
      FormatVerticalLineDate(line, text, sizeof text);
    } else {
      FormatLineValueLabel(line, kPaneCandles, false, false, PellomaticSummary{}, text, sizeof text);
    }
    const Ink whole = TextInk(text, kNumber);
    const Ink shown = InkOf(*Painted(vertical ? L"marks-date-at-the-edge.bmp" : nullptr), pane, kNumber);
    EXPECT_GT(whole.count, 20) << c.what;
    EXPECT_EQ(shown.count, whole.count) << c.what;
    EXPECT_TRUE(shown.bounds.left >= pane.left + 4 && shown.bounds.right <= pane.right - 4 &&
                shown.bounds.top >= pane.top + 4 && shown.bounds.bottom <= pane.bottom - 2)
        << c.what;
  }
}

// A price pane reaching two thousand million yen: its value labels are wider
// than the scale column and are drawn whole, moved right into the pane.
TEST_F(PositionMarksPaintTest, ValueLabelsOfAPaneOfHugeValuesAreDrawnWhole) {
  context_->periods[1].bars->bars[kBars - 1].high = 2000000000;
  ComputePaneScales({0, 0, kWidth, kHeight}, view_, context_);
  const PaneRecord& pane = context_->panes[0];
  PriceScaleMarks marks{};
  ComputePriceScaleMarks(pane, false, gFixedFontMetrics.tmHeight, &marks);
  const auto painted = Painted(L"scale-huge-values.bmp");
  const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
  int wideLabels = 0;
  for (int i = 0; i < marks.count; ++i) {
    if (!marks.marks[i].labelled) continue;
    char text[16];
    FormatThousands(marks.marks[i].value, text);
    const SIZE size = Measured(text);
    const Rect& label = marks.marks[i].label;
    wideLabels += size.cx > label.right - label.left ? 1 : 0;
    // The label's row from the pane's left edge to past the text, but for the
    // plot's frame, against the text alone without the same column.
    const RECT row = {pane.pane.left, label.top, std::max<LONG>(label.right, pane.pane.left + 8 + size.cx),
                      label.bottom};
    const Ink shown = InkOf(*painted, row, ink, pane.plot.left);
    EXPECT_EQ(shown.count, TextInk(text, ink, pane.plot.left - shown.bounds.left).count) << text;
    EXPECT_GE(shown.bounds.left, pane.pane.left + 4) << text;
  }
  EXPECT_GT(wideLabels, 0);
}

}  // namespace
