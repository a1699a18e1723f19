#pragma once
// Small accessors the main window's input files share: the window itself,
// the shown charts' views and the key state.
#include <windows.h>

#include <algorithm>

#include "chart/screen_pattern.h"
#include "common/app_globals.h"

inline HWND MainWindow() { return static_cast<HWND>(gMainWnd); }

inline bool IsChartIndex(int chart) { return chart >= 0 && chart < ShownChartCount(); }

inline ChartView& ViewOf(int chart) { return CurrentScreenPattern().views[chart]; }

inline int PaneCountOf(int chart) { return std::clamp(ViewOf(chart).paneCount, 0, kMaxPanesPerChart); }

inline bool IsKeyDown(int key) { return GetKeyState(key) < 0; }
