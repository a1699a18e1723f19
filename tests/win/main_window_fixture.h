#pragma once
// A main window made in this process over the generated sample database,
// with three charts, driven through posted messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "chart/chart_hooks.h"
#include "window/chart_windows.h"
#include "window/blink_timers.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "window/main_window_input_win.h"
#include "window/main_window_win.h"
#include "chart/screen_pattern.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "shell/settings.h"
#include "analysis/group_store.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"
#include "tools/sample_db/series_digest.h"

inline ChartView MakeView(StockCode code, int period) {
  ChartView view{};
  view.stockCode = code;
  view.period = period;
  view.lastBarIndex = -1;
  view.barWidth = 5;
  view.rightMargin = kDefaultRightMargin;
  view.paneCount = 2;
  view.paneKinds[0] = kPaneCandles;
  view.paneFlags[0] = PaneLineFlags(2);
  view.paneKinds[1] = kPaneVolume;
  view.paneFlags[1] = kPaneFlagLine0;
  return view;
}

inline StockCode SampleCode(int index) { return gStockTable->records[index].master.code; }

inline std::wstring CodeText(StockCode code) {
  char text[8];
  return SjisToWide(CodeToString(code, text));
}

class MainWindowInputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::wstring sample = UnixToDosPath(EnvironmentText(L"VELQO_SAMPLE_DB"));
    if (sample.empty()) return;
    // The groups are written beside the prices: work on a copy.
    const std::wstring folder = MakeTempFolder(L"velqo-window");
    if (!CopyFolderTree(sample, folder.substr(0, folder.size() - 1))) return;
    savedSettings_ = gSettings;
    SetDefaultSettings();
    InitAppTexts();
    gChartFontSize = 12;
    if (!OpenDatabaseFolder(WideToSjis(folder.c_str()).c_str()) || gStockTable == nullptr || gStockTable->count < 12)
      return;
    if (!LoadGroupsAtStartup()) return;
    ScreenPattern& pattern = CurrentScreenPattern();
    pattern = ScreenPattern{};
    pattern.chartCount = 3;
    pattern.views[0] = MakeView(SampleCode(4), 0);
    pattern.views[1] = MakeView(SampleCode(5), 0);
    pattern.views[2] = MakeView(SampleCode(6), 1);
    gInstance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(static_cast<HINSTANCE>(gInstance));
    window_ = CreateMainWindow(static_cast<HINSTANCE>(gInstance), SW_SHOWNORMAL);
    if (window_ == nullptr) return;
    SetWindowPos(window_, HWND_TOP, 0, 0, 1200, 900, SWP_SHOWWINDOW);
    for (int i = 0; i < 3; ++i) UpdateChartScrollBar(i);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(200);
  }

  static void TearDownTestSuite() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    gMainWnd = nullptr;
    for (ChartWindows& windows : gChartWindows) windows.scrollBarWindow = nullptr;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    gSettings = savedSettings_;
  }

  void SetUp() override {
    if (EnvironmentText(L"VELQO_SAMPLE_DB").empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    SetShift(false);
    gProgressDlg = nullptr;
    SetForegroundWindow(window_);
    SetFocus(window_);
  }

  static void SetShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }

  static void Post(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    PostMessageW(window_, message, wParam, lParam);
    PumpFor(60);
  }

  static int LastBar(int chart) { return CurrentScreenPattern().views[chart].lastBarIndex; }

  // Chart `chart` selected and moved well away from both ends.
  static void SelectChartInTheMiddle(int chart) {
    gSelectedChart = chart;
    gSelectedPane = 0;
    SetChartScrollPos(chart, GetChartEndBarIndex(chart) - 200, 1);
    PumpFor(30);
  }

  static HWND SearchBox() { return GetDlgItem(window_, kSearchBoxId); }

  static void TypeIntoChart(const wchar_t* text) {
    for (const wchar_t* c = text; *c != L'\0'; ++c) Post(WM_CHAR, *c);
  }

  static HWND window_;
  static SettingsBlock savedSettings_;
};
inline HWND MainWindowInputTest::window_ = nullptr;
inline SettingsBlock MainWindowInputTest::savedSettings_;
