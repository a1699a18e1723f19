#include "window/chart_windows.h"

#include "chart/screen_pattern.h"

ChartWindows gChartWindows[kMaxChartsPerPattern] = {};

int FindChartOfScrollBar(void* scrollBarWindow) {
  if (scrollBarWindow == nullptr) return -1;
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (gChartWindows[i].scrollBarWindow == scrollBarWindow) return i;
  }
  return -1;
}
