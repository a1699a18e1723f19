#include "window/pane_navigation.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/row.h"

namespace {

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
  const Case cases[] = {
      {{2, 3}, 0, 0, false, 0, 1},
      {{2, 3}, 0, 1, false, 1, 0},
      {{2, 3}, 1, 2, false, 0, 0},  // last pane of the last chart
      {{2, 3}, 1, 0, true, 0, 1},
      {{2, 3}, 0, 0, true, 1, 2},
      // Nothing selected, or a chart but no pane, starts at either end.
      {{2, 3, 4}, -1, -1, false, 0, 0},
      {{2, 3, 4}, -1, -1, true, 2, 3},
      {{2, 3, 4}, 1, -1, false, 0, 0},
      {{2, 3, 4}, 1, -1, true, 2, 3},
      {{2, 0, 1}, 0, 1, false, 2, 0},
      {{2, 0, 1}, 2, 0, true, 0, 1},
      {{0, 2, 0}, -1, -1, false, 1, 0},
      {{0, 2, 0}, -1, -1, true, 1, 1},
      {{0, 2, 0}, 1, 1, false, 1, 0},
      // Stale or damaged selections: a pane past the chart's count, a chart past
      // the pattern, a pane count past the 12 a chart may have.
      {{2, 3}, 0, 7, false, 1, 0},
      {{2, 3}, 0, 7, true, 0, 1},
      {{2, 3}, 5, 0, false, 0, 0},
      {{2, 99}, 0, 0, true, 1, kMaxPanesPerChart - 1},
  };
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

}  // namespace
