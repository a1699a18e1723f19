// Time-back benchmark: a main window of 1920 x 1080 with three charts of
// twelve panes over a generated database. Measured: entering the mode (the
// live tables saved, the breadth files kept aside), a day step with its
// reload and repaint of the three charts, and leaving (the live tables read
// back). The folder given keeps its live files as they were, but entering
// rotates its group backups: give it a generated database.
//
//   velqo_time_back_bench.exe <database folder>

#include <windows.h>

#include <cstdio>

#include "bench/win/bench_clock_win.h"
#include "bench/win/bench_window_win.h"
#include "analysis/chart_indicators.h"
#include "chart/chart_context.h"
#include "chart/chart_loading.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "records/settings_block.h"
#include "window/time_back_mode.h"
#include "window/window_hooks.h"

namespace {

constexpr int kSteps = 100;
constexpr int kRounds = 3;

double TimeOnce(bool (*run)()) {
  const double start = NowMs();
  const bool done = run();
  const double ms = NowMs() - start;
  return done ? ms : -1;
}

void CallHook(void (*hook)()) {
  if (hook != nullptr) hook();
}

// The step's stages one by one, at the current day.
void PrintStepStages(HWND window) {
  static BarSeries bars;
  const int charts = ShownChartCount();
  const auto time = [](const char* name, const std::function<void()>& stage) {
    PrintStepTiming(name, TimeSteps(kSteps, [&](int) { stage(); }));
  };
  time("  bars of the charts", [&] {
    for (int i = 0; i < charts; ++i) GetDailyBars(gChartContexts[i].periods[0].bars->code, &bars);
  });
  time("  indicators of the charts", [&] {
    for (int i = 0; i < charts; ++i) {
      ComputeChartIndicators(gChartContexts[i].periods[0].bars->code, &gChartContexts[i], gMainScratch);
    }
  });
  time("  series reloaded", [] { ReloadAllChartSeries(); });
  time("  scroll bars", [&] {
    for (int i = 0; i < charts; ++i) UpdateChartScrollBar(i);
  });
  time("  charts invalidated", [&] {
    InvalidateAllCharts();
    ValidateRect(window, nullptr);
  });
  time("  time-back window", [] { CallHook(gTimeBackHooks.updateWindow); });
  time("  menus", [] { UpdateMainMenuStates(); });
  time("  details", [] { CallHook(gTimeBackHooks.refreshDetails); });
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenBenchDatabase(argc, argv)) {
    fprintf(stderr, "usage: velqo_time_back_bench <database folder>\n");
    return 1;
  }
  ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
  pattern.chartCount = 3;
  for (int i = 0; i < 3; ++i) pattern.views[i] = TwelvePaneView(gStockTable->records[4 + i].master.code);
  gShowDetailWindow = 0;
  const HWND window = ShowBenchMainWindow();
  if (window == nullptr) {
    fprintf(stderr, "no main window\n");
    return 1;
  }
  printf("time-back mode, %d stocks, 3 charts x 12 panes at 1920 x 1080:\n", StockTableCount());
  for (int round = 0; round < kRounds; ++round) {
    const double enter = TimeOnce([] { return EnterTimeBackMode(); });
    if (enter < 0) {
      fprintf(stderr, "the mode was not entered\n");
      return 1;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // Back over the steps, then forward again: the forward steps carry forecasts.
    const auto step = [&](int i) {
      if (i < kSteps / 2) {
        StepTimeBackDayBackward();
      } else {
        StepTimeBackDayForward();
      }
      UpdateWindow(window);
      GdiFlush();
    };
    const StepTiming steps = TimeSteps(kSteps, step);
    // The step's parts: the reload alone, and the repaint alone.
    const StepTiming reloads = TimeSteps(kSteps, [&](int i) {
      if (i % 2 == 0) {
        StepTimeBackDayBackward();
      } else {
        StepTimeBackDayForward();
      }
      ValidateRect(window, nullptr);
    });
    const StepTiming repaints = TimeSteps(kSteps, [&](int) {
      InvalidateRect(window, nullptr, FALSE);
      UpdateWindow(window);
      GdiFlush();
    });
    if (round == 0) PrintStepStages(window);
    const double leave = TimeOnce([] { return LeaveTimeBackMode(false); });
    printf("  round %d: enter %7.1f ms   leave %7.1f ms\n", round + 1, enter, leave);
    PrintStepTiming("day step, reload and repaint", steps);
    PrintStepTiming("day step and reload alone", reloads);
    PrintStepTiming("repaint alone", repaints);
  }
  DestroyWindow(window);
  return 0;
}
