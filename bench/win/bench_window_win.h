#pragma once
// The main window the Windows benchmarks show, and its charts of every pane kind.
#include <windows.h>

#include "analysis/group_store.h"
#include "bench/win/bench_clock_win.h"
#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "records/screen_pattern_record.h"
#include "shell/settings.h"
#include "tools/sample_db/series_digest.h"
#include "window/main_window_win.h"

// The default settings over the database folder given (see DatabaseFolder),
// opened with its groups; false when there is none.
inline bool OpenBenchDatabase(int argc, char** argv) {
  SetDefaultSettings();
  InitAppTexts();
  gChartFontSize = 12;
  const std::string folder = DatabaseFolder(argc, argv);
  return !folder.empty() && OpenDatabaseFolder(folder.c_str()) && LoadGroupsAtStartup();
}

// A chart of all twelve pane kinds, one line each, two averages and the
// volume cloud on the candles, at bar width 5 showing the newest bar.
inline ChartView TwelvePaneView(StockCode code) {
  ChartView view{};
  view.stockCode = code;
  view.lastBarIndex = -1;
  view.barWidth = 5;
  view.rightMargin = kDefaultRightMargin;
  view.paneCount = kMaxPanesPerChart;
  for (int i = 0; i < kMaxPanesPerChart; ++i) {
    view.paneKinds[i] = static_cast<uint32_t>(i);
    view.paneFlags[i] = kPaneFlagLine0;
  }
  view.paneFlags[0] = PaneLineFlags(2) | kPaneFlagVolumeCloud;
  return view;
}

// The main window over the current pattern at 1920 x 1080, its scroll bars
// set and painted once; null when it could not be made.
inline HWND ShowBenchMainWindow() {
  gInstance = GetModuleHandleW(nullptr);
  RegisterWindowClasses(static_cast<HINSTANCE>(gInstance));
  const HWND window = CreateMainWindow(static_cast<HINSTANCE>(gInstance), SW_SHOWNORMAL);
  if (window == nullptr) return nullptr;
  SetWindowPos(window, HWND_TOP, 0, 0, 1920, 1080, SWP_SHOWWINDOW);
  for (int i = 0; i < CurrentScreenPattern().chartCount; ++i) UpdateChartScrollBar(i);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return window;
}
