// Detail benchmark: a main window of 1920 x 1080 with three charts of twelve
// panes over a generated database; each step is a mouse move to the next bar
// of the first chart's price pane. Measured: the detail window's refresh
// with its repaint, and the repaint of the detail list beside all three
// charts (36 panes). Prints the median, lowest and highest step of 200.
//
//   velqo_detail_bench.exe <database folder>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "bench/win/bench_window_win.h"
#include "chart/chart_loading.h"
#include "chart/cross_hair.h"
#include "data/stock_table.h"
#include "records/settings_block.h"
#include "window/child_windows_win.h"
#include "window/detail_window_win.h"

namespace {

constexpr int kSteps = 200;

// Each step moves the mouse one bar further along the price pane from its left, and back at the end.
void MoveAlongBars(HWND window, int i) {
  const ChartContext& context = gChartContexts[0];
  const Rect& plot = context.panes[0].plot;
  const int spacing = std::max(1, context.geometry.barSpacing);
  const int x = plot.left + 40 + (i % 100) * spacing;  // away from the docked window
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, (plot.top + plot.bottom) / 2));
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenBenchDatabase(argc, argv)) {
    fprintf(stderr, "usage: velqo_detail_bench <database folder>\n");
    return 1;
  }
  ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
  pattern.chartCount = 3;
  for (int i = 0; i < 3; ++i) pattern.views[i] = TwelvePaneView(gStockTable->records[4 + i].master.code);
  gShowDetailList = 0;
  gShowDetailWindow = 0;
  const HWND window = ShowBenchMainWindow();
  if (window == nullptr) {
    fprintf(stderr, "no main window\n");
    return 1;
  }
  printf("detail display per cursor move, 3 charts x 12 panes at 1920 x 1080:\n");
  ToggleDetailWindow();
  if (gDetailWnd == nullptr || !IsWindowVisible(gDetailWnd)) {
    fprintf(stderr, "the detail window did not open\n");
    return 1;
  }
  MoveAlongBars(window, 0);
  if (gCrossHairChart != 0) {
    fprintf(stderr, "the mouse sets no cross-hair\n");
    return 1;
  }
  PrintStepTiming("detail window: move and repaint", TimeSteps(kSteps, [&](int i) {
                    MoveAlongBars(window, i);
                    UpdateWindow(gDetailWnd);
                    ValidateRect(window, nullptr);
                    GdiFlush();
                  }));
  ToggleDetailList();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  PrintStepTiming("detail list: move and repaint", TimeSteps(kSteps, [&](int i) {
                    MoveAlongBars(window, i);
                    UpdateWindow(window);
                    GdiFlush();
                  }));
  PrintStepTiming("move alone (list shown)", TimeSteps(kSteps, [&](int i) {
                    MoveAlongBars(window, i);
                    ValidateRect(window, nullptr);
                  }));
  DestroyWindow(window);
  return 0;
}
