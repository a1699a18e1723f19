// The signal strip and the date axis as a user sees them: charts painted into
// memory bitmaps, their pixels checked and their pictures saved.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/chart_text.h"
#include "chart/gdi_objects_win.h"
#include "chart/pane_pixels.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "sheets/scenarios.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 220;
constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr COLORREF kGrid = RGB(128, 128, 128);
const StockCode kCode = 0x5A5A5A59u;  // "ZZZY": after every stock of a table

class TimeMarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gChartFontSize = 12;
    CreateSharedGdiObjects();
    MeasureSharedFonts(nullptr);
    InstallChartTextMeasures();
    if (gStockTable == nullptr) ASSERT_TRUE(AllocateStockTable());
    if (gGroupTable == nullptr) ASSERT_TRUE(AllocGroupTables());
    savedGroups_.assign(gGroupTable->groups + 5, gGroupTable->groups + 7);
    StockRecord& stock = gStockTable->records[gStockTable->count++];
    stock = StockRecord{};
    stock.master.code = kCode;
    stock.master.marketId = 1;
    ResetStockLookupCache();
    memset(&signalFile_, 0, sizeof signalFile_);
    gSignalSettings = &signalFile_;
    ClearScenarioTable();
    gPaletteColors[kColorBackground] = RGB(255, 255, 255);
    gPaletteColors[kColorScale] = kGrid;
    const std::pair<int, COLORREF> stripColors[] = {{kColorLongSellBackground, RGB(255, 225, 225)},
                                                    {kColorShortSellBackground, RGB(255, 240, 215)},
                                                    {kColorShortBuyBackground, RGB(220, 240, 255)},
                                                    {kColorLongBuyBackground, RGB(225, 225, 255)},
                                                    {kColorLongSellMark, RGB(200, 0, 0)},
                                                    {kColorShortSellMark, RGB(230, 120, 0)},
                                                    {kColorShortBuyMark, RGB(0, 120, 230)},
                                                    {kColorLongBuyMark, RGB(0, 0, 200)},
                                                    {kColorScenarioShortHeld, RGB(160, 140, 0)},
                                                    {kColorScenarioLongHeld, RGB(0, 160, 80)},
                                                    {kColorLongExit, RGB(0, 200, 200)},
                                                    {kColorShortExit, RGB(200, 0, 200)},
                                                    {kColorLongLossCut, RGB(90, 90, 90)},
                                                    {kColorShortLossCut, RGB(120, 60, 0)}};
    for (const auto& [slot, color] : stripColors) gPaletteColors[slot] = color;
  }
  void TearDown() override {
    std::copy(savedGroups_.begin(), savedGroups_.end(), gGroupTable->groups + 5);
    FreeChartPaintResources();
    DeleteSharedGdiObjects();
  }

  // Daily bars from `start`, holidays skipped, or weekly ones; closes 1000, 1010, ...
  void PlaceBars(int period, PackedDate start, int count) {
    BarSeries& bars = *chart_.context.periods[period].bars;
    bars.code = kCode;
    bars.count = count;
    PackedDate date = start;
    for (int i = 0; i < count; ++i) {
      while (period == 0 && IsMarketHoliday(date)) date = AddCalendarDays(date, 1);
      const int close = 1000 + 10 * i;
      bars.bars[i] = {date, close, close + 5, close - 5, close, 1000};
      date = AddCalendarDays(date, period == 0 ? 1 : 7);
    }
  }
  std::unique_ptr<Canvas> Paint(int period, int barWidth, const wchar_t* picture) {
    view_ = ChartView{};
    view_.stockCode = kCode;
    view_.period = period;
    view_.lastBarIndex = -1;
    view_.barWidth = barWidth;
    view_.rightMargin = kDefaultRightMargin;
    view_.paneCount = 1;
    view_.paneKinds[0] = kPaneCandles;
    ComputePaneScales({0, 0, kWidth, kHeight}, view_, &chart_.context);
    auto canvas = std::make_unique<Canvas>(kWidth, kHeight, kMarker);
    PaintChart(canvas->dc(), view_, chart_.context);
    canvas->SaveBmp(ArtifactsFolder() + picture);
    return canvas;
  }
  const ChartGeometry& Geometry() const { return chart_.context.geometry; }
  int SlotLeft(int bar) const {
    const int last = chart_.context.periods[view_.period].bars->count - 1;
    return Geometry().plotArea.right - 2 - (last - bar + 1) * Geometry().barSpacing;
  }
  int BarOf(PackedDate date) const {
    const BarSeries& bars = *chart_.context.periods[view_.period].bars;
    for (int i = 0; i < bars.count; ++i)
      if (bars.bars[i].date == date) return i;
    return -1;
  }

  ScopedGlobalState globals_;
  OwnedContext chart_;
  SignalSettingsFile signalFile_;
  std::vector<GroupRecord> savedGroups_;  // 5 and 6, which the strip test uses
  ChartView view_{};
};

ConditionTerm CloseTerm(int op, double constant) {
  return {kItemClose, static_cast<int16_t>(op), kItemConstant, 0, constant};
}

// The ink of an area (what is not the button face) as rows of '#' and '.', cut to its bounding box.
std::string InkOf(const Canvas& canvas, const RECT& area) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  RECT box = {area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (canvas.At(x, y) != face)
        box = {std::min(box.left, LONG(x)), std::min(box.top, LONG(y)), std::max(box.right, LONG(x + 1)),
               std::max(box.bottom, LONG(y + 1))};
  std::string ink;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) ink += canvas.At(x, y) != face ? '#' : '.';
    ink += '\n';
  }
  return ink;
}

// The same for the text alone, written in the axis font.
std::string InkOfText(const char* text) {
  Canvas canvas(200, 40, GetSysColor(COLOR_BTNFACE));
  const HGDIOBJ old = SelectObject(canvas.dc(), gChartFixedFont);
  SetBkColor(canvas.dc(), GetSysColor(COLOR_BTNFACE));
  SetTextColor(canvas.dc(), GetSysColor(COLOR_BTNTEXT));
  const std::wstring wide = SjisToWide(text);
  TextOutW(canvas.dc(), 10, 10, wide.c_str(), static_cast<int>(wide.size()));
  SelectObject(canvas.dc(), old);
  return InkOf(canvas, {0, 0, 200, 40});
}

// Row 2 (short-term buy): held from bar 10, a group's signal on bars 20..22,
// closed by an exit on bar 25. Row 0 (long-term sell): a definition's signal
// on bars 0..5, then held, cut on bar 9.
TEST_F(TimeMarksTest, StripShowsSignalsOverHeldPositionsThenExitsAndLossCuts) {
  PlaceBars(0, MakePackedDate(2024, 3, 4), 30);
  GroupRecord& group = gGroupTable->groups[5];
  group.automatic = 1;
  group.marketMask = 0xFFFF;
  group.signalKind = kSignalShortBuy;
  group.termCount = 2;
  group.terms[0] = CloseTerm(kOpGreaterOrEqual, 1200);
  group.terms[1] = CloseTerm(kOpLessOrEqual, 1220);
  gGroupTable->groups[6].signalKind = kSignalExitLong;
  signalFile_.definitionCount = 3;
  signalFile_.definitions[0] = {};
  signalFile_.definitions[0].kind = kSignalLongSell;
  signalFile_.definitions[0].marketMask = 0xFFFF;
  signalFile_.definitions[0].termCount = 1;
  signalFile_.definitions[0].terms[0] = CloseTerm(kOpLessOrEqual, 1050);
  signalFile_.definitions[2].kind = kSignalLossCutShort;
  signalFile_.scenarioCount = 1;
  signalFile_.scenarios[0].valid = 1;  // entry: definition 0
  gScenarioTable.records[0].valid = 1;
  gScenarioTable.records[0].entrySignal = 5;
  ScenarioMarkBuffer& file = *chart_.context.fileMarks[0];
  ScenarioMarkBuffer& table = *chart_.context.tableMarks[0];
  file.count = table.count = 30;
  for (int i = 0; i < 9; ++i) file.marks[i] = -2;
  file.marks[9] = ClosingMarkOfSignal(2);
  for (int i = 10; i < 25; ++i) table.marks[i] = -99;
  table.marks[25] = ClosingMarkOfSignal(6);
  const auto canvas = Paint(0, 9, L"signal-strip.bmp");

  const Rect& full = chart_.context.panes[0].fullPlot;
  const int p = Geometry().barSpacing;
  enum Spot { kCentre, kTopLeft, kBottomLeft, kTopRight, kBottomMiddle, kGapBefore };
  auto at = [&](int row, int bar, Spot spot) {
    const int l = SlotLeft(bar) + 1, r = l + p - 1, t = full.top + 2 + 5 * row, b = t + 4;
    const POINT spots[] = {{(l + r) / 2, t + 2},     {l, t},        {l, b - 1}, {r - 2, t},
                           {(l + r - 2) / 2, b - 1}, {l - 1, t + 1}};
    return canvas->At(spots[spot].x, spots[spot].y);
  };
  const struct {
    int row, bar;
    Spot spot;
    int slot;
  } expected[] = {
      {2, 15, kCentre, kColorScenarioLongHeld},
      {2, 15, kGapBefore, kColorShortBuyBackground},
      {2, 21, kBottomLeft, kColorShortBuyMark},
      {2, 21, kCentre, kColorShortBuyMark},
      {2, 21, kTopLeft, kColorShortBuyBackground},
      {2, 24, kCentre, kColorScenarioLongHeld},
      {2, 25, kCentre, kColorLongExit},
      {2, 26, kCentre, kColorShortBuyBackground},
      {0, 3, kTopLeft, kColorLongSellMark},
      {0, 3, kTopRight, kColorLongSellMark},
      {0, 3, kBottomMiddle, kColorLongSellMark},
      {0, 3, kBottomLeft, kColorLongSellBackground},
      {0, 7, kCentre, kColorScenarioShortHeld},
      {0, 9, kCentre, kColorShortLossCut},
      {1, 3, kCentre, kColorShortSellBackground},
      {3, 21, kCentre, kColorLongBuyBackground},
  };
  for (const auto& e : expected)
    EXPECT_EQ(at(e.row, e.bar, e.spot), gPaletteColors[e.slot]) << e.row << " " << e.bar << " " << e.spot;
}

TEST_F(TimeMarksTest, DailyAxisSeparatesMonthsAndWeeksAndLabelsEachMonth) {
  PlaceBars(0, MakePackedDate(2024, 1, 4), 30);  // to 2024/2/16; Mondays 1/8 and 2/12 are holidays
  const auto canvas = Paint(0, 9, L"date-axis-daily.bmp");
  const Rect& plot = Geometry().plotArea;
  const Rect& row = Geometry().dateAxis;
  const COLORREF light = LightenColor(kGrid, 32);
  const int stripBottom = chart_.context.panes[0].plot.top;
  auto columnCount = [&](int x, COLORREF color) {
    return canvas->Count({x, stripBottom, x + 1, plot.bottom - 2}, color);
  };
  const int february = SlotLeft(BarOf(MakePackedDate(2024, 2, 1)));
  EXPECT_GT(columnCount(february, kGrid), (plot.bottom - 2 - stripBottom) / 3) << "dotted month separator";
  EXPECT_EQ(canvas->Count({february, row.top + 1, february + 1, row.bottom - 3}, GetSysColor(COLOR_BTNSHADOW)),
            row.bottom - 4 - row.top);
  for (int day : {109, 115, 122, 129, 205, 213}) {
    const int x = SlotLeft(BarOf(MakePackedDate(2024, day / 100, day % 100)));
    EXPECT_GT(columnCount(x, light), 10) << "week from " << day;
  }
  EXPECT_EQ(columnCount(SlotLeft(BarOf(MakePackedDate(2024, 1, 10))), light), 0);
  for (int bar = 0; bar < 30; ++bar) EXPECT_EQ(canvas->At(SlotLeft(bar), plot.bottom - 3), kGrid) << bar;
  EXPECT_EQ(InkOf(*canvas, {row.left + 2, row.top + 2, february, row.bottom - 2}), InkOfText("2024/1"));
  EXPECT_EQ(InkOf(*canvas, {february + 1, row.top + 2, row.right - 2, row.bottom - 2}), InkOfText("2024/2"));
}

TEST_F(TimeMarksTest, WeeklyAxisLabelsYearsAndDrawsTicksAtTheTop) {
  PlaceBars(1, MakePackedDate(2022, 12, 2), 75);
  const auto canvas = Paint(1, 5, L"date-axis-weekly.bmp");
  const Rect& plot = Geometry().plotArea;
  const Rect& row = Geometry().dateAxis;
  const int year2023 = SlotLeft(BarOf(MakePackedDate(2023, 1, 6)));
  const int year2024 = SlotLeft(BarOf(MakePackedDate(2024, 1, 5)));
  EXPECT_EQ(InkOf(*canvas, {row.left + 2, row.top + 2, year2023, row.bottom - 2}), "") << "five weeks of 2022";
  EXPECT_EQ(InkOf(*canvas, {year2023 + 1, row.top + 2, year2024, row.bottom - 2}), InkOfText("2023年"));
  EXPECT_EQ(InkOf(*canvas, {year2024 + 1, row.top + 2, row.right - 2, row.bottom - 2}), InkOfText("2024年"));
  const int march = SlotLeft(BarOf(MakePackedDate(2023, 3, 3)));
  EXPECT_GT(canvas->Count({march, plot.top + 10, march + 1, plot.bottom - 10}, LightenColor(kGrid, 32)), 10);
  for (int bar : {0, 40, 74}) EXPECT_EQ(canvas->At(SlotLeft(bar), plot.top + 3), kGrid) << bar;
}

}  // namespace
