// The signal strip and the date axis as a user sees them: charts painted into
// memory bitmaps, their pixels checked and their pictures saved.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/signal_settings.h"
#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/chart_text.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"

namespace {

constexpr COLORREF kGrid = RGB(128, 128, 128);
const StockCode kCode = 0x5A5A5A59u;  // "ZZZY": after every stock of a table

PackedDate Ymd(int ymd) { return MakePackedDate(ymd / 10000, ymd / 100 % 100, ymd % 100); }

class TimeMarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gChartFontSize = 12;
    CreateSharedGdiObjects();
    MeasureSharedFonts(nullptr);
    InstallChartTextMeasures();
    if (gStockTable == nullptr) {
      ASSERT_TRUE(AllocateStockTable());
    }
    StockRecord& stock = gStockTable->records[gStockTable->count++];
    stock = StockRecord{};
    stock.master.code = kCode;
    stock.master.marketId = 1;
    ResetStockLookupCache();
    signals_ = SignalSettingsFile{};
    gSignalSettings = &signals_;
    gPaletteColors[kColorScale] = kGrid;
  }
  void TearDown() override {
    FreeChartPaintResources();
    DeleteSharedGdiObjects();
  }

  // Daily bars from `start` (holidays skipped) or weekly ones, closing 1000, 1010, ...;
  // painted 600 x 220 with one candle pane.
  std::unique_ptr<Canvas> Paint(int period, PackedDate start, int count, int barWidth, const wchar_t* picture) {
    BarSeries& bars = *chart_.context.periods[period].bars;
    bars.count = count;
    for (int i = 0; i < count; ++i, start = AddCalendarDays(start, period == 0 ? 1 : 7)) {
      while (period == 0 && IsMarketHoliday(start)) start = AddCalendarDays(start, 1);
      bars.bars[i] = {start, 1000 + 10 * i, 1005 + 10 * i, 995 + 10 * i, 1000 + 10 * i, 1000};
    }
    view_ = ChartView{};
    view_.stockCode = kCode;
    view_.period = period;
    view_.lastBarIndex = -1;
    view_.barWidth = barWidth;
    view_.rightMargin = kDefaultRightMargin;
    view_.paneCount = 1;
    ComputePaneScales({0, 0, 600, 220}, view_, &chart_.context);
    auto canvas = std::make_unique<Canvas>(600, 220, RGB(1, 2, 3));
    PaintChart(canvas->dc(), view_, chart_.context);
    canvas->SaveArtifact(picture);
    return canvas;
  }
  int SlotLeft(int bar) const {
    const ChartGeometry& g = chart_.context.geometry;
    return g.plotArea.right - 2 - (chart_.context.periods[view_.period].bars->count - bar) * g.barSpacing;
  }
  int SlotLeft(PackedDate date) const {
    const BarSeries& bars = *chart_.context.periods[view_.period].bars;
    const auto found =
        std::find_if(bars.bars, bars.bars + bars.count, [&](const PriceBar& b) { return b.date == date; });
    return SlotLeft(static_cast<int>(found - bars.bars));
  }
  std::string InkBetween(const Canvas& canvas, int from, int to) const;

  ScopedGlobalState globals_;
  OwnedContext chart_;
  SignalSettingsFile signals_;
  ChartView view_{};
};

// Rows of '#' (not the button face) and '.', cut to the ink's bounding box.
std::string InkOf(const Canvas& canvas, const RECT& area) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  RECT box = {area.right, area.bottom, area.left, area.top};
  for (LONG y = area.top; y < area.bottom; ++y)
    for (LONG x = area.left; x < area.right; ++x)
      if (canvas.At(x, y) != face)
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
  std::string ink;
  for (LONG y = box.top; y < box.bottom; ++y, ink += '\n')
    for (LONG x = box.left; x < box.right; ++x) ink += canvas.At(x, y) != face ? '#' : '.';
  return ink;
}

// A label as the axis writes it.
std::string InkOfText(const char* text) {
  Canvas canvas(200, 40, GetSysColor(COLOR_BTNFACE));
  SelectObject(canvas.dc(), gChartFixedFont);
  SetBkColor(canvas.dc(), GetSysColor(COLOR_BTNFACE));
  SetTextColor(canvas.dc(), GetSysColor(COLOR_BTNTEXT));
  const std::wstring wide = SjisToWide(text);
  TextOutW(canvas.dc(), 10, 10, wide.c_str(), static_cast<int>(wide.size()));
  return InkOf(canvas, {0, 0, 200, 40});
}

std::string TimeMarksTest::InkBetween(const Canvas& canvas, int from, int to) const {
  const Rect& row = chart_.context.geometry.dateAxis;
  return InkOf(canvas, {from + 1, row.top + 2, std::min(to, row.right - 2), row.bottom - 2});
}

// Definition 0 (short-term buy) fires on bars 20..22 while scenario 0 holds
// long from bar 10 until definition 1 exits on bar 25; definition 2 (long-term
// sell) fires on bars 0..5 while scenario 1 holds short until definition 3
// cuts the loss on bar 9.
TEST_F(TimeMarksTest, StripShowsSignalsOverHeldPositionsThenExitsAndLossCuts) {
  const int32_t kinds[] = {kSignalShortBuy, kSignalExitLong, kSignalLongSell, kSignalLossCutShort};
  const double closes[][2] = {{1200, 1220}, {1, 0}, {0, 1050}, {1, 0}};  // where each holds
  for (int k = 0; k < 4; ++k) {
    SignalDefinition& d = signals_.definitions[k];
    d.kind = kinds[k];
    d.marketMask = 0xFFFF;
    d.termCount = 2;
    d.terms[0] = {kItemClose, kOpGreaterOrEqual, kItemConstant, 0, closes[k][0]};
    d.terms[1] = {kItemClose, kOpLessOrEqual, kItemConstant, 0, closes[k][1]};
  }
  signals_.definitionCount = 4;
  signals_.scenarioCount = 2;
  const int scenarios[][4] = {{0, 10, 25, 1}, {2, 0, 9, 3}};  // entry, held from, closed on, by
  for (int s = 0; s < 2; ++s) {
    signals_.scenarios[s] = ScenarioRecord{};
    signals_.scenarios[s].valid = 1;
    signals_.scenarios[s].entrySignal = scenarios[s][0];
    ScenarioMarkBuffer& marks = *chart_.context.fileMarks[s];
    marks.count = 30;
    std::fill(marks.marks + scenarios[s][1], marks.marks + scenarios[s][2], -2);
    marks.marks[scenarios[s][2]] = ClosingMarkOfSignal(scenarios[s][3]);
  }
  const COLORREF rows[] = {RGB(255, 225, 225), RGB(255, 240, 215), RGB(220, 240, 255), RGB(225, 225, 255)};
  const COLORREF marks[] = {RGB(200, 0, 0), RGB(0, 0, 0), RGB(0, 120, 230), RGB(0, 0, 0)};
  std::copy(rows, rows + 4, gPaletteColors + kColorLongSellBackground);
  std::copy(marks, marks + 4, gPaletteColors + kColorLongSellMark);
  const COLORREF scenarioColors[] = {RGB(160, 140, 0), RGB(0, 160, 80), RGB(0, 200, 200), RGB(200, 0, 200),
                                     RGB(90, 90, 90),  RGB(120, 60, 0)};  // held short, long; exits; loss cuts
  std::copy(scenarioColors, scenarioColors + 6, gPaletteColors + kColorScenarioShortHeld);
  const auto canvas = Paint(0, MakePackedDate(2024, 3, 4), 30, 9, L"signal-strip.bmp");

  enum Spot { kCentre, kTopLeft, kBottomLeft, kTopRight, kBottomMiddle, kGapBefore };
  const struct {
    int row, bar;
    Spot spot;
    int slot;
  } expected[] = {
      {2, 15, kCentre, kColorScenarioLongHeld},      {2, 15, kGapBefore, kColorShortBuyBackground},
      {2, 21, kBottomLeft, kColorShortBuyMark},      {2, 21, kCentre, kColorShortBuyMark},
      {2, 21, kTopLeft, kColorShortBuyBackground},   {2, 25, kCentre, kColorLongExit},
      {2, 26, kCentre, kColorShortBuyBackground},    {0, 3, kTopLeft, kColorLongSellMark},
      {0, 3, kTopRight, kColorLongSellMark},         {0, 3, kBottomMiddle, kColorLongSellMark},
      {0, 3, kBottomLeft, kColorLongSellBackground}, {0, 7, kCentre, kColorScenarioShortHeld},
      {0, 9, kCentre, kColorShortLossCut},           {1, 3, kCentre, kColorShortSellBackground},
      {3, 21, kCentre, kColorLongBuyBackground},
  };
  const int top = chart_.context.panes[0].fullPlot.top + 2;
  for (const auto& e : expected) {
    const int l = SlotLeft(e.bar) + 1, r = l + 10, t = top + 5 * e.row;  // a cell p - 1 wide
    const POINT spots[] = {{(l + r) / 2, t + 2}, {l, t}, {l, t + 3}, {r - 2, t}, {(l + r - 2) / 2, t + 3}, {l - 1, t}};
    EXPECT_EQ(canvas->At(spots[e.spot].x, spots[e.spot].y), gPaletteColors[e.slot]) << e.row << " " << e.bar;
  }
}

// Labels from left to right between the row's ends and the major separators
// ("" for none); the dotted major and light minor separators; a tick at every bar.
TEST_F(TimeMarksTest, AxisSeparatesPeriodsAndLabelsEach) {
  const struct {
    int period, start, count, barWidth;  // dates as yyyymmdd
    const wchar_t* picture;
    std::vector<int> majors, minors;
    std::vector<const char*> labels;
  } charts[] = {
      {0, 20240104, 30, 9, L"date-axis-daily.bmp", {20240201}, {20240109, 20240115, 20240213}, {"2024/1", "2024/2"}},
      {1, 20221202, 75, 5, L"date-axis-weekly.bmp", {20230106, 20240105}, {20230303}, {"", "2023年", "2024年"}},
  };  // Mondays 2024/1/8 and 2/12 are holidays
  for (const auto& c : charts) {
    const auto canvas = Paint(c.period, Ymd(c.start), c.count, c.barWidth, c.picture);
    const Rect& plot = chart_.context.geometry.plotArea;
    const Rect& row = chart_.context.geometry.dateAxis;
    const int top = chart_.context.panes[0].plot.top;  // below a daily chart's strip
    auto inColumn = [&](int x, COLORREF color) { return canvas->Count({x, top, x + 1, plot.bottom - 2}, color); };
    std::vector<int> edges = {row.left + 1};
    for (int date : c.majors) {
      edges.push_back(SlotLeft(Ymd(date)));
      EXPECT_GT(inColumn(edges.back(), kGrid), (plot.bottom - top) / 3) << "dotted";
      EXPECT_EQ(
          canvas->Count({edges.back(), row.top + 1, edges.back() + 1, row.bottom - 3}, GetSysColor(COLOR_BTNSHADOW)),
          row.bottom - 4 - row.top);
    }
    edges.push_back(row.right);
    for (int date : c.minors) EXPECT_GT(inColumn(SlotLeft(Ymd(date)), LightenColor(kGrid, 32)), 10) << date;
    EXPECT_EQ(inColumn(SlotLeft(c.count - 2), LightenColor(kGrid, 32)), 0);
    for (size_t i = 0; i < c.labels.size(); ++i)
      EXPECT_EQ(InkBetween(*canvas, edges[i], edges[i + 1]), *c.labels[i] ? InkOfText(c.labels[i]) : "") << i;
    for (int bar = 0; bar < c.count; ++bar) {
      EXPECT_EQ(canvas->At(SlotLeft(bar), plot.bottom - 3), kGrid) << bar;
      if (c.period != 0) {
        EXPECT_EQ(canvas->At(SlotLeft(bar), plot.top + 3), kGrid) << bar;  // no strip there
      }
    }
  }
}

}  // namespace
