// What the windows decide without a window: drag modes, pane steps and typed
// characters, the blink timers, and the rows of the list boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window/blink_timers.h"
#include "window/drag_modes.h"
#include "window/list_rows.h"
#include "window/pane_navigation.h"
#include "tests/support/row.h"

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

}  // namespace
