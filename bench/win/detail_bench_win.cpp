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

struct Timing {
  double median, low, high;
};

Timing Measure(const std::function<void(int)>& step) {
  std::vector<double> ms;
  for (int i = 0; i < kSteps; ++i) {
    const double start = NowMs();
    step(i);
    ms.push_back(NowMs() - start);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void Print(const char* name, const Timing& t) {
  printf("  %-40s median %7.2f ms   min %7.2f   max %7.2f\n", name, t.median, t.low, t.high);
}

// Each step moves the mouse one bar further along the price pane, and back at the end.
void MoveAlongBars(HWND window, int i) {
  const ChartContext& context = gChartContexts[0];
  const Rect& plot = context.panes[0].plot;
  const int spacing = std::max(1, context.geometry.barSpacing);
  const int x = plot.right - 40 - (i % 100) * spacing;
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
  Print("detail window: move, rows and repaint", Measure([&](int i) {
          MoveAlongBars(window, i);
          UpdateWindow(gDetailWnd);
          ValidateRect(window, nullptr);
          GdiFlush();
        }));
  ToggleDetailList();
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Print("detail list: move and repaint", Measure([&](int i) {
          MoveAlongBars(window, i);
          UpdateWindow(window);
          GdiFlush();
        }));
  Print("mouse move alone (list shown)", Measure([&](int i) {
          MoveAlongBars(window, i);
          ValidateRect(window, nullptr);
        }));
  DestroyWindow(window);
  return 0;
}
