#pragma once
// Moving the pane selection with Tab and Shift+Tab, and what a typed
// character does in the chart window.
#include "chart/screen_pattern.h"

// Tab (forward) or Shift+Tab: the next or previous pane, wrapping into the
// next or previous chart and from the last chart to chart 0 (and back);
// charts without panes are skipped. With no pane selected, forward selects
// the first pane of the first chart, backward the last pane of the last.
// False, and nothing changed, when no chart of the pattern has a pane.
bool StepPaneSelection(const ScreenPattern& pattern, bool backward, int* chart, int* pane);

enum ChartCharAction {
  kCharIgnored,      // Backspace, line feed, carriage return, other controls
  kCharMovesPane,    // Tab
  kCharOpensSearch,  // anything above a space (or a negative code) with a chart selected
};
ChartCharAction ClassifyChartChar(int code, bool chartSelected);
