// What the windows decide without a window: drag modes, pane steps and typed
// characters, the blink timers, the rows of the list boxes, and the search box's
// codes (ASCII or full width), names and error texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data/stock_table.h"
#include "window/blink_timers.h"
#include "window/drag_modes.h"
#include "window/list_rows.h"
#include "window/pane_navigation.h"
#include "window/stock_search_box.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

TEST(DragModesTest, WhatEachModeAllows) {
  for (int32_t mode = 0; mode <= 17; ++mode) {
    const bool windowDrag = mode == 0 || mode == 8 || mode == 9 || mode == 10 || mode == 11;
    EXPECT_EQ(IsObjectDragMode(mode), !windowDrag) << mode;
    EXPECT_EQ(IsLineDrawingMode(mode), mode >= 5 && mode <= 7) << mode;
    EXPECT_EQ(HoverFollowsMouse(mode), mode != 8 && mode != 9 && mode != 11) << mode;
    EXPECT_EQ(LineDragCapturesMouse(mode), mode >= 3 && mode <= 5) << mode;
  }
}

TEST(DragModesTest, TrendLineHitsChooseTheMode) {
  EXPECT_EQ(Row(DragModeForLineHit(1, false), DragModeForLineHit(2, false), DragModeForLineHit(3, false)),
            Row(kDragLineBody, kDragLineFirstEnd, kDragLineSecondEnd));
  for (int hit : {1, 2, 3}) EXPECT_EQ(DragModeForLineHit(hit, true), kDragLockedLine);
  EXPECT_EQ(Row(DragModeForLineHit(0, false), DragModeForLineHit(4, true)), Row(kDragNone, kDragNone));
}

TEST(DragModesTest, PointsAreClampedIntoThePane) {
  struct Case {
    Rect pane;
    int x, y, clampedX, clampedY;
  };
  const Rect pane = {10, 20, 110, 220}, empty = {10, 20, 10, 20};
  for (const Case& c : {Case{pane, 5, 500, 10, 219}, Case{pane, 60, 100, 60, 100}, Case{empty, 300, -4, 10, 20}}) {
    int x = c.x, y = c.y;
    ClampPointIntoRect(c.pane, &x, &y);
    EXPECT_EQ(Row(x, y), Row(c.clampedX, c.clampedY)) << c.x << "," << c.y;
  }
}

ScreenPattern PatternOfPanes(const std::vector<int>& paneCounts) {
  ScreenPattern pattern{};
  for (int panes : paneCounts) pattern.views[pattern.chartCount++].paneCount = panes;
  return pattern;
}

TEST(PaneNavigationTest, TabWalksPanesWrapsAcrossChartsAndSkipsChartsWithoutPanes) {
  struct Case {
    std::vector<int> panes;
    int chart, pane;
    bool backward;
    int toChart, toPane;
  };
  // Nothing selected, or a chart but no pane, starts at either end. Stale or
  // damaged selections stay in range: a pane past its chart's count, a chart past
  // the pattern, a pane count past the 12 a chart may have.
  const Case cases[] = {{{2, 3}, 0, 0, false, 0, 1},     {{2, 3}, 0, 1, false, 1, 0},
                        {{2, 3}, 1, 2, false, 0, 0},     {{2, 3}, 1, 0, true, 0, 1},
                        {{2, 3}, 0, 0, true, 1, 2},      {{2, 3, 4}, -1, -1, false, 0, 0},
                        {{2, 3, 4}, -1, -1, true, 2, 3}, {{2, 3, 4}, 1, -1, false, 0, 0},
                        {{2, 3, 4}, 1, -1, true, 2, 3},  {{2, 0, 1}, 0, 1, false, 2, 0},
                        {{2, 0, 1}, 2, 0, true, 0, 1},   {{0, 2, 0}, -1, -1, false, 1, 0},
                        {{0, 2, 0}, -1, -1, true, 1, 1}, {{0, 2, 0}, 1, 1, false, 1, 0},
                        {{2, 3}, 0, 7, false, 1, 0},     {{2, 3}, 0, 7, true, 0, 1},
                        {{2, 3}, 5, 0, false, 0, 0},     {{2, 99}, 0, 0, true, 1, kMaxPanesPerChart - 1}};
  for (const Case& c : cases) {
    int chart = c.chart, pane = c.pane;
    EXPECT_TRUE(StepPaneSelection(PatternOfPanes(c.panes), c.backward, &chart, &pane)) << &c - cases;
    EXPECT_EQ(Row(chart, pane), Row(c.toChart, c.toPane)) << &c - cases;
  }
  int chart = 1, pane = -1;  // no panes anywhere: nothing changes
  EXPECT_FALSE(StepPaneSelection(PatternOfPanes({0, 0}), false, &chart, &pane));
  EXPECT_FALSE(StepPaneSelection(PatternOfPanes({0, 0}), true, &chart, &pane));
  EXPECT_EQ(Row(chart, pane), Row(1, -1));
}

TEST(PaneNavigationTest, CharactersFromTheChartWindow) {
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

TEST(ListRowsTest, CodeColours) {
  const PackedDate day = MakePackedDate(2026, 3, 10), nextDay = MakePackedDate(2026, 3, 11);
  struct Case {
    bool inTable, timeBack;
    PackedDate newestQuote;
    bool fetchRunning, fetchedYet;
    uint32_t color;
  };
  // Stale: no bar for the newest quote date, unless going back in time or before
  // any live quote. The past-price fetch's colour wins over stale until it has
  // reached the stock.
  const Case cases[] = {
      {true, false, day, false, false, kRowTextBlack},     {true, false, nextDay, false, false, kRowTextStale},
      {true, true, nextDay, false, false, kRowTextBlack},  {true, false, 0, false, false, kRowTextBlack},
      {false, false, day, false, false, kRowTextStale},    {false, false, day, true, false, kRowTextStale},
      {true, false, day, true, false, kRowTextNotFetched}, {true, false, nextDay, true, false, kRowTextNotFetched},
      {true, false, nextDay, true, true, kRowTextStale}};
  for (const Case& c : cases) {
    const StockRowFacts facts{c.inTable, c.timeBack, day, c.newestQuote, c.fetchRunning, c.fetchedYet};
    EXPECT_EQ(StockRowCodeColor(facts), c.color) << &c - cases;
  }
}

TEST(ListRowsTest, OnlyWholeRowsAndSelectionChangesAreDrawnAndRowTextsSplitAtTheFirstTab) {
  EXPECT_TRUE(ShouldDrawListItem(kItemDrawEntire, 0) && ShouldDrawListItem(kItemDrawSelect, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawFocus, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawEntire, -1));  // empty edit field of a combo box
  struct Case {
    const char *text, *code, *value;
    int codeSize;
  };
  for (const Case& c : {Case{"7203\t1,234\tx", "7203", "1,234\tx", 8}, Case{"9984", "9984", "", 8},
                        Case{"ABCDEFGHIJ\t5", "ABCD", "5", 5}}) {
    char code[8];
    const char* value = nullptr;
    SplitListRowText(c.text, code, c.codeSize, &value);
    EXPECT_EQ(std::string(code) + "|" + value, std::string(c.code) + "|" + c.value);
  }
}

StockCode Parsed(const char* text) {
  StockCode code = 0;
  return ParseStockCodeText(text, static_cast<int>(std::strlen(text)), &code) ? code : 0;
}

TEST(StockCodeText, FullWidthAndAsciiCodesReadTheSame) {
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

TEST_F(StockSearchBoxTest, CodesAndNamesAreLookedUp) {
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
