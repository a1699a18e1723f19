// What the windows decide without a window: the main window's layout, drags,
// pane steps, blink timers, list rows and the search box.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/stock_table.h"
#include "window/blink_timers.h"
#include "window/chart_window_layout.h"
#include "window/drag_modes.h"
#include "window/list_rows.h"
#include "window/main_window_layout.h"
#include "window/pane_navigation.h"
#include "window/stock_search_box.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

constexpr int kFont = 12;  // F = 16, overhead 2 (16 + 4) = 40

uint16_t gHeights[20];

void SetAllHeights(uint16_t h) { std::fill(std::begin(gHeights), std::end(gHeights), h); }

ChartView ViewWithPanes(std::initializer_list<uint32_t> kinds, int period = 1) {
  ChartView view{};
  view.period = period;
  for (uint32_t kind : kinds) view.paneKinds[view.paneCount++] = kind;
  return view;
}

ScreenPattern PatternOf(std::initializer_list<ChartView> views) {
  ScreenPattern pattern{};
  for (const ChartView& v : views) pattern.views[pattern.chartCount++] = v;
  return pattern;
}

// The charts' bottoms, checking that they are stacked inside the area without gaps.
std::vector<int> StackedBottoms(const Rect& area, const ScreenPattern& pattern, int fontSize) {
  Rect charts[3];
  const int count = ComputeChartRects(area, pattern, gHeights, fontSize, charts);
  std::vector<int> bottoms;
  for (int i = 0, top = area.top; i < count; top = charts[i++].bottom) {
    EXPECT_EQ(Row(charts[i].top, charts[i].left, charts[i].right),
              Row(top, area.left, std::max(area.left, area.right)));
    EXPECT_GE(charts[i].bottom, charts[i].top) << i;
    EXPECT_LE(charts[i].bottom, std::max(area.top, area.bottom)) << i;
    bottoms.push_back(charts[i].bottom);
  }
  return bottoms;
}

TEST(ChartWindowLayoutTest, HeightIsSharedByPaneWeightAndEveryPaneNeedsAPixelAndTheSignalStrip) {
  SetAllHeights(40);
  gHeights[kPaneRsi] = 80;
  const ChartView candles = ViewWithPanes({kPaneCandles}), none = ViewWithPanes({});
  const ChartView three = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi});  // weighs 160
  ScreenPattern capped = PatternOf({candles});
  capped.chartCount = 9;
  // The area, the pattern, the font size and the charts' bottoms.
  const std::tuple<Rect, ScreenPattern, int, std::vector<int>> cases[] = {
      // 1000 - 3 x 40 = 880 shared over 160, 40 and 80: 30 + 502 + 40, then + 125 + 40.
      {{1, 30, 801, 1030}, PatternOf({three, candles, ViewWithPanes({kPaneRsi})}), kFont, {572, 737, 1030}},
      {{0, 0, 500, 400}, PatternOf({none, none}), kFont, {200, 400}},  // no panes: equal shares
      {{0, 0, 400, 1000}, PatternOf({candles, candles}), 32, {(1000 - 2 * 92) / 2 + 92, 1000}},  // F = 42
      {{0, 0, 400, 250}, PatternOf({three, candles, candles}), 32, {83, 166, 250}},  // lower than 3 x 92: even
      {{0, 0, 400, 600}, capped, kFont, {520, 560, 600}},  // past three charts: three, two weighing 0
  };
  for (const auto& [area, pattern, fontSize, bottoms] : cases)
    EXPECT_EQ(StackedBottoms(area, pattern, fontSize), bottoms) << area.bottom;
  capped.chartCount = 0;
  EXPECT_EQ(StackedBottoms({0, 0, 400, 600}, capped, kFont), std::vector<int>{600});
  // Room for panes: a pixel per pane and a daily price pane's signal strip.
  SetAllHeights(40);
  // Caption row and date axis 16 each, scroll strip 8: 40 pixels of overhead;
  // the plot needs width beside the scale column (5F).
  const ChartView weekly = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 1);
  const ChartView daily = ViewWithPanes({kPaneCandles, kPaneVolume, kPaneRsi}, 0);
  const std::tuple<Rect, ChartView, bool> rooms[] = {
      {{0, 0, 400, 43}, weekly, true},         {{0, 0, 400, 42}, weekly, false}, {{0, 0, 400, 43}, daily, false},
      {{0, 0, 400, 40 + 3 * 23}, daily, true}, {{0, 0, 60, 400}, weekly, false}, {{0, 0, 61, 400}, weekly, true},
      {{0, 0, 400, -5}, weekly, false}};
  for (const auto& [chart, view, room] : rooms)
    EXPECT_EQ(ChartHasRoomForPanes(chart, view, gHeights, kFont), room) << chart.right << "x" << chart.bottom;
  SetAllHeights(0);  // zero weights (not replaced by the settings loader) leave no room
  EXPECT_FALSE(ChartHasRoomForPanes({0, 0, 400, 400}, weekly, gHeights, kFont));
}

// Charts with these numbers of price panes.
ScreenPattern PatternOfPanes(const std::vector<int>& paneCounts) {
  ScreenPattern pattern{};
  for (int panes : paneCounts) pattern.views[pattern.chartCount++].paneCount = panes;
  return pattern;
}

MainLayoutInput InputFor(int width, int height, int fontSize) {
  SetAllHeights(40);
  MainLayoutInput in{{0, 0, width, height}, 28, 20, true, 120, true, 150, fontSize, gHeights, {}};
  for (bool& has : in.hasSeries) has = true;
  return in;
}

// Every rectangle of the layout has a non-negative width and height.
void ExpectAllSane(const MainWindowLayout& l) {
  std::vector<Rect> rects = {l.chartArea, l.groupListSplitter, l.detailListSplitter, l.detailListArea};
  for (int i = 0; i < l.chartCount; ++i)
    rects.insert(rects.end(),
                 {l.charts[i], l.lists[i].area, l.lists[i].comboBox, l.lists[i].listBox, l.detailColumns[i]});
  for (size_t i = 0; i < rects.size(); ++i)
    EXPECT_TRUE(rects[i].right >= rects[i].left && rects[i].bottom >= rects[i].top) << i;
}

TEST(MainWindowLayoutTest, ColumnsSplittersAndBarsAndHiddenListsGiveTheirWidthBack) {
  MainLayoutInput in = InputFor(1000, 700, 12);
  MainWindowLayout l;
  ComputeMainWindowLayout(in, PatternOfPanes({3, 3}), &l);
  // Toolbar above, status bar and the bottom pixel below; the group list left, the detail list right.
  EXPECT_EQ(Ltrb(l.chartArea), (Ltrb4{124, 28, 1000 - 150 - 4, 700 - 1 - 20}));
  EXPECT_EQ(Row(l.groupListSplitter.left, l.groupListSplitter.right, l.detailListSplitter.left,
                l.detailListSplitter.right, l.detailListArea.left, l.detailListArea.right),
            Row(120, 124, 846, 850, 850, 1000));
  EXPECT_EQ(Row(l.chartCount, l.charts[0].top, l.charts[1].bottom, l.detailColumns[1].top, l.detailColumns[1].left),
            Row(2, 28, 679, l.charts[1].top, 850));
  in.showGroupList = in.showDetailList = false;
  ComputeMainWindowLayout(in, PatternOfPanes({2}), &l);
  EXPECT_EQ(Row(l.chartArea.left, l.chartArea.right, l.lists[0].shown), Row(1, 1000, false));
  EXPECT_EQ(
      Row(l.groupListSplitter.right - l.groupListSplitter.left, l.detailListSplitter.right - l.detailListSplitter.left,
          l.detailColumns[0].right - l.detailColumns[0].left),
      Row(0, 0, 0));
  // The combo box takes the top of each chart's list area; a chart without series has none.
  in = InputFor(1000, 700, 24);
  in.hasSeries[2] = false;
  ComputeMainWindowLayout(in, PatternOfPanes({2, 2, 2}), &l);
  for (int i = 0; i < 2; ++i) {
    const ChartListPlacement& lists = l.lists[i];
    ASSERT_TRUE(lists.shown);
    EXPECT_EQ(Ltrb(lists.area), (Ltrb4{0, l.charts[i].top, 120, l.charts[i].bottom}));
    EXPECT_EQ(Row(lists.comboBox.bottom - lists.comboBox.top, lists.listBox.top, lists.listBox.bottom),
              Row(24 * 20 / 12, lists.comboBox.bottom, lists.area.bottom));
  }
  EXPECT_FALSE(l.lists[2].shown);
  // Stock-linked charts share the upper chart's lists.
  in = InputFor(1000, 700, 12);
  ScreenPattern pattern = PatternOfPanes({2, 2, 2});
  // Chart 1's link, the chart whose bottom ends chart 0's lists, charts 1 and 2's lists shown.
  for (const auto& [link1, bottom0, shown1, shown2] : {std::array<int, 4>{0, 1, 0, 1}, {1, 2, 0, 0}}) {
    pattern.views[0].stockLink = 1;
    pattern.views[1].stockLink = link1;
    ComputeMainWindowLayout(in, pattern, &l);
    EXPECT_EQ(Row(l.lists[0].shown, l.lists[0].area.bottom, l.lists[1].shown, l.lists[2].shown),
              Row(true, l.charts[bottom0].bottom, shown1, shown2));
  }
  pattern = PatternOfPanes({2, 2});  // a link flag on the last chart links to nothing
  pattern.views[1].stockLink = pattern.views[2].stockLink = 1;
  ComputeMainWindowLayout(in, pattern, &l);
  EXPECT_EQ(Row(l.lists[1].shown, l.lists[1].area.bottom), Row(true, l.charts[1].bottom));
}

TEST(MainWindowLayoutTest, SmallestWindowsLargestFontsAndStoredWidthsStaySaneAsDoStatusBarAndSearchBox) {
  MainWindowLayout layout;
  for (int fontSize : {12, 32}) {
    for (int height : {300, 120, 40, 0}) {
      ComputeMainWindowLayout(InputFor(400, height, fontSize), PatternOfPanes({12, 12, 12}), &layout);
      ExpectAllSane(layout);
      EXPECT_EQ(Row(layout.chartCount, layout.charts[2].bottom), Row(3, layout.chartArea.bottom));
      for (int i = 0; i < 3 && height == 300; ++i) EXPECT_GT(layout.charts[i].bottom, layout.charts[i].top) << i;
    }
  }
  MainLayoutInput in = InputFor(400, 300, 32);
  in.groupListWidth = in.detailListWidth = 5000;
  ComputeMainWindowLayout(in, PatternOfPanes({12, 12, 12}), &layout);
  ExpectAllSane(layout);
  EXPECT_LE(layout.detailListArea.right, 400);
  EXPECT_EQ(layout.groupListSplitter.left, 200) << "a drag's limit: half the client";
  in.groupListWidth = in.detailListWidth = -50;
  in.client = {0, 0, 2, 300};
  ComputeMainWindowLayout(in, PatternOfPanes({12, 12, 12}), &layout);
  ExpectAllSane(layout);
  EXPECT_GE(layout.groupListSplitter.left, 0);
  // The status bar's edges and the search box.
  int edges[4];
  ComputeStatusBarEdges(1000, 10, 200, false, edges);  // w = 80
  EXPECT_EQ(Row(edges[0], edges[1], edges[2], edges[3]), Row(0, 216, 1000, 1000));
  ComputeStatusBarEdges(1000, 10, 20, true, edges);
  EXPECT_EQ(Row(edges[1], edges[2]), Row(80, 1000 - 240));
  ComputeStatusBarEdges(200, 10, 300, true, edges);  // a narrow window: part 1 stops at part 2, none negative
  EXPECT_EQ(Row(edges[2], edges[1], edges[3]), Row(0, 0, 200));
  // Centred on the plot; the large font fits with its border; clipped to the chart.
  const Rect chart = {100, 50, 900, 450}, plot = {160, 70, 900, 400};
  EXPECT_EQ(Ltrb(ComputeSearchBoxRect(plot, chart, 12, 16, 12)), (Ltrb4{530 - 128, 235 - 10, 530 + 128, 235 + 10}));
  const Rect tall = ComputeSearchBoxRect(plot, chart, 12, 16, 24);
  EXPECT_EQ(tall.bottom - tall.top, 30);
  EXPECT_EQ(Ltrb(ComputeSearchBoxRect({110, 60, 200, 70}, {100, 50, 210, 72}, 32, 40, 40)), (Ltrb4{100, 50, 210, 72}));
}

TEST(DragModesTest, WhatEachModeAllowsWhichATrendLineHitChoosesAndPointsClampedIntoThePane) {
  for (int32_t mode = 0; mode <= 17; ++mode) {
    const bool windowDrag = mode == 0 || mode == 8 || mode == 9 || mode == 10 || mode == 11;
    EXPECT_EQ(IsObjectDragMode(mode), !windowDrag) << mode;
    EXPECT_EQ(IsLineDrawingMode(mode), mode >= 5 && mode <= 7) << mode;
    EXPECT_EQ(HoverFollowsMouse(mode), mode != 8 && mode != 9 && mode != 11) << mode;
    EXPECT_EQ(LineDragCapturesMouse(mode), mode >= 3 && mode <= 5) << mode;
  }
  // A trend line's hit chooses the mode.
  EXPECT_EQ(Row(DragModeForLineHit(1, false), DragModeForLineHit(2, false), DragModeForLineHit(3, false)),
            Row(kDragLineBody, kDragLineFirstEnd, kDragLineSecondEnd));
  for (int hit : {1, 2, 3}) EXPECT_EQ(DragModeForLineHit(hit, true), kDragLockedLine);
  EXPECT_EQ(Row(DragModeForLineHit(0, false), DragModeForLineHit(4, true)), Row(kDragNone, kDragNone));
  // Points are clamped into the pane: its right, its bottom, an empty one.
  constexpr int kCases[][8] = {
      {10, 20, 110, 220, 5, 500, 10, 219}, {10, 20, 110, 220, 60, 100, 60, 100}, {10, 20, 10, 20, 300, -4, 10, 20}};
  for (const auto& [left, top, right, bottom, x0, y0, clampedX, clampedY] : kCases) {
    int x = x0, y = y0;
    ClampPointIntoRect({left, top, right, bottom}, &x, &y);
    EXPECT_EQ(Row(x, y), Row(clampedX, clampedY)) << x0 << "," << y0;
  }
}

TEST(PaneNavigationTest, TabWalksPanesWrapsAcrossChartsAndSkipsChartsWithoutPanesAndWhatCharactersDo) {
  // The charts' pane counts, the chart and pane selected, backward, the chart and
  // pane then selected. Nothing selected, or a chart but no pane, starts at either end. Stale or
  // damaged selections stay in range: a pane past its chart's count, a chart past
  // the pattern, a pane count past the 12 a chart may have.
  const std::tuple<std::vector<int>, int, int, bool, int, int> cases[] = {
      {{2, 3}, 0, 0, false, 0, 1},     {{2, 3}, 0, 1, false, 1, 0},
      {{2, 3}, 1, 2, false, 0, 0},     {{2, 3}, 1, 0, true, 0, 1},
      {{2, 3}, 0, 0, true, 1, 2},      {{2, 3, 4}, -1, -1, false, 0, 0},
      {{2, 3, 4}, -1, -1, true, 2, 3}, {{2, 3, 4}, 1, -1, false, 0, 0},
      {{2, 3, 4}, 1, -1, true, 2, 3},  {{2, 0, 1}, 0, 1, false, 2, 0},
      {{2, 0, 1}, 2, 0, true, 0, 1},   {{0, 2, 0}, -1, -1, false, 1, 0},
      {{0, 2, 0}, -1, -1, true, 1, 1}, {{0, 2, 0}, 1, 1, false, 1, 0},
      {{2, 3}, 0, 7, false, 1, 0},     {{2, 3}, 0, 7, true, 0, 1},
      {{2, 3}, 5, 0, false, 0, 0},     {{2, 99}, 0, 0, true, 1, kMaxPanesPerChart - 1}};
  for (const auto& [panes, fromChart, fromPane, backward, toChart, toPane] : cases) {
    int chart = fromChart, pane = fromPane;
    EXPECT_TRUE(StepPaneSelection(PatternOfPanes(panes), backward, &chart, &pane)) << fromChart << " " << fromPane;
    EXPECT_EQ(Row(chart, pane), Row(toChart, toPane)) << fromChart << " " << fromPane << " " << backward;
  }
  int chart = 1, pane = -1;  // no panes anywhere: nothing changes
  EXPECT_FALSE(StepPaneSelection(PatternOfPanes({0, 0}), false, &chart, &pane));
  EXPECT_FALSE(StepPaneSelection(PatternOfPanes({0, 0}), true, &chart, &pane));
  EXPECT_EQ(Row(chart, pane), Row(1, -1));
  // What the characters the chart window gets do.
  EXPECT_EQ(ClassifyChartChar('\t', false), kCharMovesPane);
  for (int code : {8, 10, 13, 32, 0}) EXPECT_EQ(ClassifyChartChar(code, true), kCharIgnored) << code;
  EXPECT_EQ(ClassifyChartChar('7', true), kCharOpensSearch);
  EXPECT_EQ(ClassifyChartChar(-126, true), kCharOpensSearch);  // a Shift-JIS lead byte as signed char
  EXPECT_EQ(ClassifyChartChar('7', false), kCharIgnored);
}

// The two timers take turns; a tick the killed timer had already queued, or an
// unknown timer's, changes nothing.
TEST(BlinkTimersTest, PhasesAlternateBetweenTheTwoTimersAndStaleTicksAreIgnored) {
  int32_t phase = 1, active = 0;
  const BlinkTimerChange start = StartBlinkTimers(&phase, &active);
  EXPECT_EQ(Row(phase, start.killTimer, start.setTimer, start.intervalMs), Row(0, 0, kBlinkTimerShort, 250));
  struct Tick {
    int timer, phase, kill = 0, set = 0, interval = 0;
  };
  for (const Tick& t : {Tick{kBlinkTimerShort, 1, kBlinkTimerShort, kBlinkTimerLong, 1000}, Tick{kBlinkTimerShort, 1},
                        Tick{7, 1}, Tick{kBlinkTimerLong, 0, kBlinkTimerLong, kBlinkTimerShort, 250}}) {
    const BlinkTimerChange c = StepBlinkTimers(t.timer, &phase, &active);
    EXPECT_EQ(Row(phase, c.killTimer, c.setTimer, c.intervalMs), Row(t.phase, t.kill, t.set, t.interval)) << t.timer;
  }
}

TEST(ListRowsTest, CodeColoursRowsDrawnAndRowTextsSplitAtTheFirstTab) {
  const PackedDate day = MakePackedDate(2026, 3, 10), nextDay = MakePackedDate(2026, 3, 11);
  // In the table, time back, the newest quote date, fetch running, fetched yet, the colour.
  // Stale: no bar for the newest quote date, unless going back in time or before
  // any live quote. The past-price fetch's colour wins over stale until it has
  // reached the stock.
  const std::tuple<bool, bool, PackedDate, bool, bool, uint32_t> cases[] = {
      {true, false, day, false, false, kRowTextBlack},     {true, false, nextDay, false, false, kRowTextStale},
      {true, true, nextDay, false, false, kRowTextBlack},  {true, false, 0, false, false, kRowTextBlack},
      {false, false, day, false, false, kRowTextStale},    {false, false, day, true, false, kRowTextStale},
      {true, false, day, true, false, kRowTextNotFetched}, {true, false, nextDay, true, false, kRowTextNotFetched},
      {true, false, nextDay, true, true, kRowTextStale}};
  for (const auto& [inTable, timeBack, newestQuote, fetchRunning, fetchedYet, color] : cases)
    EXPECT_EQ(StockRowCodeColor({inTable, timeBack, day, newestQuote, fetchRunning, fetchedYet}), color)
        << inTable << timeBack << newestQuote << fetchRunning << fetchedYet;
  // Not a focus change, nor the empty edit field of a combo box.
  EXPECT_EQ(Row(ShouldDrawListItem(kItemDrawEntire, 0), ShouldDrawListItem(kItemDrawSelect, 3),
                ShouldDrawListItem(kItemDrawFocus, 3), ShouldDrawListItem(kItemDrawEntire, -1)),
            Row(true, true, false, false));
  using Split = std::tuple<const char*, int, const char*>;  // the text, the code's room, code|value
  for (const auto& [text, codeSize, split] :
       {Split{"7203\t1,234\tx", 8, "7203|1,234\tx"}, Split{"9984", 8, "9984|"}, Split{"ABCDEFGHIJ\t5", 5, "ABCD|5"}}) {
    char code[8];
    const char* value = nullptr;
    SplitListRowText(text, code, codeSize, &value);
    EXPECT_EQ(std::string(code) + "|" + value, split);
  }
}

StockCode Parsed(const char* text) {
  StockCode code = 0;
  return ParseStockCodeText(text, static_cast<int>(std::strlen(text)), &code) ? code : 0;
}

class StockSearchBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(MakeSampleDatabase({scratch_.path() + "db", 3, 30}, nullptr), 0); }

  // The outcome, the code found and the error text of a search.
  static std::tuple<int, StockCode, std::string> Search(const char* text) {
    StockSearchResult result;
    ResolveStockSearch(text, &result);
    return {result.outcome, result.outcome == kSearchFound ? result.code : 0, Error(result)};
  }
  static std::string Error(const StockSearchResult& result) {
    char text[600];
    FormatStockSearchError(result, text, sizeof text);
    return text;
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
};

TEST_F(StockSearchBoxTest, FullWidthAndAsciiCodesReadTheSameAndCodesAndNamesAreLookedUp) {
  // Spaces are dropped; small letters, nine bytes and other double-byte characters are no code.
  const std::pair<const char*, const char*> cases[] = {
      {"1301", "1301"},   {"１３０１", "1301"}, {"1３0１", "1301"}, {"130A", "130A"},       {"１Ａ０Ｂ", "1A0B"},
      {" 1301 ", "1301"}, {"130", ""},          {"13011", ""},      {"A301", ""},           {"130a", ""},
      {"１３０１ ", ""},  {"13 01    ", ""},    {"０３０ａ", ""},   {"０３０\x82\x4E", ""}, {"０３０\x81\x4F", ""}};
  for (const auto& [text, code] : cases) EXPECT_EQ(Parsed(text), *code ? StringToCode(code) : 0u) << text;
  StockCode code = 0;
  EXPECT_FALSE(ParseStockCodeText(nullptr, 4, &code));
  char c = 0;
  ASSERT_TRUE(FullWidthCodeChar(0x82, 0x79, &c));
  EXPECT_EQ(c, 'Z');
  using Found = std::tuple<int, StockCode, std::string>;
  const StockCode topix = StringToCode("1002");
  EXPECT_EQ(Search("１００２"), (Found{kSearchFound, topix, ""}));
  EXPECT_EQ(Search("1002"), (Found{kSearchFound, topix, ""}));
  EXPECT_EQ(Search("９９９Ｚ"), (Found{kSearchCodeMissing, 0, "銘柄コード（999Z）が見つかりません。"}));
  EXPECT_EQ(std::get<0>(Search("topix")), kSearchNameMissing) << "small letters do not fold to capitals";
  EXPECT_EQ(Search("TOPIX"), (Found{kSearchFound, topix, ""})) << "ASCII finds the full-width name";
  EXPECT_EQ(Search("１００２ "), (Found{kSearchNameMissing, 0, "銘柄名（１００２ ）が見つかりません。"}))
      << "nine bytes are a name";
  EXPECT_EQ(std::get<0>(Search("")), kSearchNothing);
  StockSearchResult result;
  ResolveStockSearch("日経", &result);
  EXPECT_EQ(result.outcome, kSearchChoose);
  EXPECT_STREQ(result.text, "日経");
  EXPECT_TRUE(AcceptChosenStock(StringToCode("1004"), &result));
  EXPECT_EQ(result.outcome, kSearchFound);
  EXPECT_FALSE(AcceptChosenStock(StringToCode("9998"), &result));
  EXPECT_EQ(Error(result), "銘柄名（日経）が見つかりません。");
}

}  // namespace
