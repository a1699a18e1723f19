#pragma once
// A main window made in this process over the generated sample database,
// with three charts, driven through posted messages.
#include <gtest/gtest.h>
#include <windows.h>

#include "window/chart_windows.h"
#include "window/blink_timers.h"
#include "chart/chart_context.h"
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
#include "tests/win/canvas.h"
#include "tools/sample_db/series_digest.h"

inline StockCode SampleCode(int index) { return gStockTable->records[index].master.code; }

inline std::wstring CodeText(StockCode code) {
  char text[8];
  return SjisToWide(CodeToString(code, text));
}

inline std::wstring ListRowText(HWND list, int row) {
  wchar_t text[256] = L"";
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return text;
}

inline POINT Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class MainWindowInputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The groups are written beside the prices: work on a copy.
    const std::wstring folder = CopySample(L"velqo-window", false);
    if (folder.empty()) return;
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
    for (int i = 0; i < 3; ++i)
      pattern.views[i] =
          MakeChartView(SampleCode(4 + i), i / 2, {{kPaneCandles, PaneLineFlags(2)}, {kPaneVolume, kPaneFlagLine0}});
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
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
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
  // A press and release of the left button at p.
  static void Click(POINT p) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  static void TypeIntoChart(const wchar_t* text) {
    for (const wchar_t* c = text; *c != L'\0'; ++c) Post(WM_CHAR, *c);
  }

  static HWND window_;
  static SettingsBlock savedSettings_;
};
inline HWND MainWindowInputTest::window_ = nullptr;
inline SettingsBlock MainWindowInputTest::savedSettings_;
