// The detail window and the detail list after each way a chart is loaded,
// with the mouse off the charts: it shows the shown stock at its newest bar.
// And its caption holds the whole title.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "analysis/group_store.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/detail_rows.h"
#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_windows.h"
#include "window/child_windows_win.h"
#include "window/cursor_line_win.h"
#include "window/detail_window_win.h"
#include "window/main_window_controls_win.h"
#include "window/time_back_mode.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"

namespace {

StockCode SampleCode(int index) { return gStockTable->records[index].master.code; }

HWND List(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }

// "label=value" of every row.
std::string RowsText(const DetailRows& rows) {
  std::string text;
  for (int i = 0; i < rows.count; ++i) text += std::string(rows.rows[i].label) + "=" + rows.rows[i].value + " ";
  return text;
}

// The rows of the selected pane (the price pane when none is) at the newest bar.
std::string ExpectedWindowRows() {
  const int chart = gSelectedChart;
  const BarSeries* bars = GetViewBarSeries(CurrentScreenPattern().views[chart], gChartContexts[chart]);
  static DetailRows rows;
  BuildChartDetailRows(chart, gSelectedPane >= 0 ? gSelectedPane : 0, bars->count - 1, true, &rows);
  return RowsText(rows);
}

class DetailDisplayTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-detail-display") || !LoadGroupsAtStartup()) return;
    for (int n = 0; n < 2; ++n) {
      ScreenPattern& pattern = gScreenPatterns[n] = ScreenPattern{};
      pattern.chartCount = 2;
      for (int i = 0; i < 2; ++i)
        pattern.views[i] = MakeChartView(SampleCode(3 * n + i), 0,
                                         {{kPaneCandles, PaneLineFlags(2)},
                                          {kPaneVolume, kPaneFlagLine0},
                                          {kPanePsychological, kPaneFlagLine0},
                                          {kPaneStochastics, PaneLineFlags(3)}});
    }
    gCurrentPattern = 0;
    gShowDetailList = 1;
    gShowDetailWindow = 1;
    gDetailWindowX = 20;  // over the charts, clear of the list's column
    gDetailWindowY = 300;
    gDetailDockRight = gDetailDockBottom = 0;
    if (!ShowMainWindow(1200, 900)) return;
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    SetFocus(window_);
    RECT frame;
    GetWindowRect(window_, &frame);
    SetCursorPos(frame.right + 40, frame.bottom + 40);  // off the charts
    ClearCrossHair();
  }
  static void Post(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    PostMessageW(window_, message, wParam, lParam);
    PumpFor(100);
  }
};

TEST_F(DetailDisplayTest, EveryLoadOfAChartLeavesTheWindowOnTheShownStocksNewestBar) {
  ASSERT_TRUE(gDetailWnd != nullptr && IsWindowVisible(gDetailWnd));
  const struct {
    const char* what;
    void (*load)();
  } cases[] = {
      {"a stock picked in the list",
       [] {
         SendMessageW(List(0), LB_SETCURSEL, 1, 0);
         Post(WM_COMMAND, MAKEWPARAM(IDC_STOCK_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(List(0)));
       }},
      {"the next stock by Down", [] { Post(WM_KEYDOWN, VK_DOWN); }},
      {"the weekly period", [] { Post(WM_COMMAND, IDM_PERIOD_WEEKLY); }},
      {"another pattern", [] { Post(WM_COMMAND, IDM_PATTERN_FIRST + 1); }},
      {"a time-back step",
       [] {
         EnterTimeBackMode();
         StepTimeBackDayBackward();
         PumpFor(100);
       }},
  };
  for (const auto& c : cases) {
    c.load();
    EXPECT_EQ(RowsText(ShownDetailWindowRows()), ExpectedWindowRows()) << c.what;
  }
  EXPECT_NE(gTimeBackMode, 0);
  LeaveTimeBackMode(false);
}

// Pixels of the caption's text colour in a window's caption, right of its icon.
int CaptionTextPixels(HWND hwnd) {
  RECT frame;
  GetWindowRect(hwnd, &frame);
  POINT client = {0, 0};
  ClientToScreen(hwnd, &client);
  const RECT caption = {GetSystemMetrics(SM_CXSMICON) + 4, 0, frame.right - frame.left, client.y - frame.top};
  const COLORREF colors[] = {GetSysColor(COLOR_CAPTIONTEXT), GetSysColor(COLOR_INACTIVECAPTIONTEXT)};
  return ScreenPicture(hwnd)->Count(caption, [&](COLORREF c) { return c == colors[0] || c == colors[1]; });
}

TEST_F(DetailDisplayTest, TheWindowsCaptionHoldsTheWholeTitle) {
  const HWND detail = gDetailWnd;
  ASSERT_NE(detail, nullptr);
  gSelectedChart = 0;
  for (const int pane : {2, 3}) {
    gSelectedPane = pane;
    RefreshDetailWindow(false);
    PumpFor(60);
    const int shown = CaptionTextPixels(detail);
    RECT rect;
    GetWindowRect(detail, &rect);
    SetWindowPos(detail, nullptr, 0, 0, rect.right - rect.left + 200, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(60);
    EXPECT_GT(shown, 20) << pane;
    EXPECT_EQ(shown, CaptionTextPixels(detail)) << "no more of the title in a wider window: " << pane;
  }
}

}  // namespace
