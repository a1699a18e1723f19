#pragma once
// The main window created in the test process on a copy of the sample
// database, for suites that drive it through its own message loop. A suite
// derives from it, opens the sample, sets its pattern, shows the window and
// closes it again in its own SetUpTestSuite and TearDownTestSuite.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "shell/settings.h"
#include "window/chart_windows.h"
#include "window/main_window_win.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"
#include "tools/sample_db/series_digest.h"

class InProcessMainWindowTest : public ::testing::Test {
 protected:
  // A copy of the sample (named after `prefix`) opened as the data folder,
  // with the default settings (the earlier ones are restored by Close);
  // false when the sample is missing, does not open or has fewer than 12 stocks.
  static bool OpenSampleCopy(const wchar_t* prefix) {
    const std::wstring folder = CopySample(prefix, false);
    if (folder.empty()) return false;
    savedSettings_ = gSettings;
    SetDefaultSettings();
    InitAppTexts();
    gChartFontSize = 12;
    return OpenDatabaseFolder(WideToSjis(folder.c_str()).c_str()) && gStockTable != nullptr && gStockTable->count >= 12;
  }
  // The main window over the current pattern at this size, its scroll bars set.
  static bool ShowMainWindow(int width, int height) {
    gInstance = GetModuleHandleW(nullptr);
    RegisterWindowClasses(static_cast<HINSTANCE>(gInstance));
    window_ = CreateMainWindow(static_cast<HINSTANCE>(gInstance), SW_SHOWNORMAL);
    if (window_ == nullptr) return false;
    SetWindowPos(window_, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW);
    for (int i = 0; i < ShownChartCount(); ++i) UpdateChartScrollBar(i);
    return true;
  }
  static void CloseMainWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    gMainWnd = nullptr;
    for (ChartWindows& windows : gChartWindows) windows.scrollBarWindow = nullptr;
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) continue;
    gSettings = savedSettings_;
  }

  static inline HWND window_ = nullptr;

 private:
  static inline SettingsBlock savedSettings_;
};
