#include "window/pane_navigation.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/support/row.h"

namespace {

ScreenPattern PatternOfPanes(std::initializer_list<int> paneCounts) {
  ScreenPattern pattern{};
  for (int panes : paneCounts) pattern.views[pattern.chartCount++].paneCount = panes;
  return pattern;
}

struct Selection {
  int chart, pane;
};

Selection Step(const ScreenPattern& pattern, Selection from, bool backward) {
  EXPECT_TRUE(StepPaneSelection(pattern, backward, &from.chart, &from.pane));
  return from;
}

void ExpectSelection(Selection s, int chart, int pane) { EXPECT_EQ(Row(s.chart, s.pane), Row(chart, pane)); }

TEST(PaneNavigationTest, TabWalksPanesAndWrapsAcrossCharts) {
  const ScreenPattern pattern = PatternOfPanes({2, 3});
  ExpectSelection(Step(pattern, {0, 0}, false), 0, 1);
  ExpectSelection(Step(pattern, {0, 1}, false), 1, 0);
  ExpectSelection(Step(pattern, {1, 2}, false), 0, 0);  // last pane of the last chart
  ExpectSelection(Step(pattern, {1, 0}, true), 0, 1);
  ExpectSelection(Step(pattern, {0, 0}, true), 1, 2);
}

TEST(PaneNavigationTest, NothingSelectedStartsAtEitherEnd) {
  const ScreenPattern pattern = PatternOfPanes({2, 3, 4});
  ExpectSelection(Step(pattern, {-1, -1}, false), 0, 0);
  ExpectSelection(Step(pattern, {-1, -1}, true), 2, 3);
  ExpectSelection(Step(pattern, {1, -1}, false), 0, 0);  // a chart but no pane
  ExpectSelection(Step(pattern, {1, -1}, true), 2, 3);
}

TEST(PaneNavigationTest, ChartsWithoutPanesAreSkipped) {
  const ScreenPattern pattern = PatternOfPanes({2, 0, 1});
  ExpectSelection(Step(pattern, {0, 1}, false), 2, 0);
  ExpectSelection(Step(pattern, {2, 0}, true), 0, 1);
  const ScreenPattern emptyEnds = PatternOfPanes({0, 2, 0});
  ExpectSelection(Step(emptyEnds, {-1, -1}, false), 1, 0);
  ExpectSelection(Step(emptyEnds, {-1, -1}, true), 1, 1);
  ExpectSelection(Step(emptyEnds, {1, 1}, false), 1, 0);
}

TEST(PaneNavigationTest, NoPanesAnywhereChangesNothing) {
  const ScreenPattern pattern = PatternOfPanes({0, 0});
  int chart = 1, pane = -1;
  EXPECT_FALSE(StepPaneSelection(pattern, false, &chart, &pane));
  EXPECT_FALSE(StepPaneSelection(pattern, true, &chart, &pane));
  EXPECT_EQ(Row(chart, pane), Row(1, -1));
}

TEST(PaneNavigationTest, StaleOrDamagedSelectionsStayInRange) {
  ScreenPattern pattern = PatternOfPanes({2, 3});
  ExpectSelection(Step(pattern, {0, 7}, false), 1, 0);  // pane past the chart's count
  ExpectSelection(Step(pattern, {0, 7}, true), 0, 1);
  ExpectSelection(Step(pattern, {5, 0}, false), 0, 0);  // chart past the pattern
  pattern.views[1].paneCount = 99;                      // damaged count: at most 12
  ExpectSelection(Step(pattern, {0, 0}, true), 1, kMaxPanesPerChart - 1);
}

TEST(PaneNavigationTest, CharactersFromTheChartWindow) {
  EXPECT_EQ(ClassifyChartChar('\t', false), kCharMovesPane);
  for (int code : {8, 10, 13, 32, 0}) EXPECT_EQ(ClassifyChartChar(code, true), kCharIgnored) << code;
  EXPECT_EQ(ClassifyChartChar('7', true), kCharOpensSearch);
  EXPECT_EQ(ClassifyChartChar(-126, true), kCharOpensSearch);  // a Shift-JIS lead byte as signed char
  EXPECT_EQ(ClassifyChartChar('7', false), kCharIgnored);
}

}  // namespace
