#pragma once
// The child windows of each chart slot of the main window.
#include "platform/platform.h"
#include "records/screen_pattern_record.h"

struct ChartWindows {
  WindowHandle scrollBarWindow;
  WindowHandle groupCombo;
  WindowHandle stockList;
  void* stockListPreviousProc;  // the list box is subclassed
};

extern ChartWindows gChartWindows[kMaxChartsPerPattern];

// The chart whose scroll bar is this window; -1 when none.
int FindChartOfScrollBar(void* scrollBarWindow);
