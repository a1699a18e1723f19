#include "window/pane_navigation.h"

#include <algorithm>

namespace {

int ChartCount(const ScreenPattern& pattern) { return std::clamp(pattern.chartCount, 1, kMaxChartsPerPattern); }

int PaneCount(const ScreenPattern& pattern, int chart) {
  return std::clamp(pattern.views[chart].paneCount, 0, kMaxPanesPerChart);
}

// The nearest chart with panes after (or before) `chart`, wrapping; -1 when none.
int NextChartWithPanes(const ScreenPattern& pattern, int chart, int step) {
  const int count = ChartCount(pattern);
  for (int i = 1; i <= count; ++i) {
    const int next = ((chart + step * i) % count + count) % count;
    if (PaneCount(pattern, next) > 0) return next;
  }
  return -1;
}

}  // namespace

bool StepPaneSelection(const ScreenPattern& pattern, bool backward, int* chart, int* pane) {
  const int count = ChartCount(pattern);
  const int step = backward ? -1 : 1;
  const bool selected = *chart >= 0 && *chart < count && *pane >= 0;
  if (selected) {
    const int panes = PaneCount(pattern, *chart);
    const int within = backward ? std::min(*pane, panes) - 1 : *pane + 1;
    if (within >= 0 && within < panes) {
      *pane = within;
      return true;
    }
  }
  // From "before chart 0" forward, or "after the last chart" backward.
  const int from = selected ? *chart : (backward ? count : -1);
  const int next = NextChartWithPanes(pattern, from, step);
  if (next < 0) return false;
  *chart = next;
  *pane = backward ? PaneCount(pattern, next) - 1 : 0;
  return true;
}

ChartCharAction ClassifyChartChar(int code, bool chartSelected) {
  if (code == '\t') return kCharMovesPane;
  if ((code < 0 || code > ' ') && chartSelected) return kCharOpensSearch;
  return kCharIgnored;
}
