#include "chart/screen_pattern.h"

#include <cstdio>
#include <cstring>

#include "common/stock_code.h"
#include "shell/settings.h"

void SetDefaultScreenPatterns() {
  ChartView view{};
  view.stockCode = StringToCode("1001");
  view.period = 0;
  view.lastBarIndex = -1;
  view.barWidth = 5;
  view.paneCount = 3;
  view.paneKinds[0] = 0;  // candles
  view.paneFlags[0] = 3;
  view.paneKinds[1] = 2;  // volume
  view.paneFlags[1] = 1;
  view.paneKinds[2] = 3;  // RSI
  view.paneFlags[2] = 1;
  view.groupIndex = 0;
  view.rightMargin = kDefaultRightMargin;

  ScreenPattern pattern{};
  pattern.chartCount = 1;
  for (ChartView& v : pattern.views) v = view;
  for (int n = 0; n < kScreenPatternCount; ++n) {
    gScreenPatterns[n] = pattern;
    snprintf(gScreenPatterns[n].name, sizeof pattern.name, "パターン%d", n + 1);
  }
  gCurrentPattern = 0;
}

void FormatMainWindowTitle(char* out, int size) {
  snprintf(out, static_cast<size_t>(size), "ヴェルクォラ22　－　%s", gScreenPatterns[gCurrentPattern].name);
}
