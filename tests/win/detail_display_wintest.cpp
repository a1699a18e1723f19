// The detail window after each way a chart is loaded, with the mouse off the
// charts: it shows the shown stock at its newest bar. And its caption holds
// the whole title.

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
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"

namespace {

// "label=value" of every row.
std::string RowsText(const DetailRows& rows) {
  std::string text;
  for (int i = 0; i < rows.count; ++i) text += std::string(rows.rows[i].label) + "=" + rows.rows[i].value + " ";
  return text;
}

class DetailDisplayTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-detail-display") || !LoadGroupsAtStartup()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 2;
    for (int i = 0; i < 2; ++i)
      pattern.views[i] = MakeChartView(gStockTable->records[i].master.code, 0,
                                       {{kPaneCandles, PaneLineFlags(2)},
                                        {kPaneVolume, kPaneFlagLine0},
                                        {kPanePsychological, kPaneFlagLine0},
                                        {kPaneStochastics, PaneLineFlags(3)}});
    gShowDetailWindow = 1;
    gDetailWindowX = 20;  // over the charts, clear of the list's column
    gDetailWindowY = 300;
    gDetailDockRight = gDetailDockBottom = 0;
    ShowMainWindow(1200, 900);
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_TRUE(window_ != nullptr && gDetailWnd != nullptr && IsWindowVisible(gDetailWnd));
    SetForegroundWindow(window_);
    RECT frame;
    GetWindowRect(window_, &frame);
    SetCursorPos(frame.right + 40, frame.bottom + 40);  // off the charts
    ClearCrossHair();
  }
};

TEST_F(DetailDisplayTest, EveryLoadOfAChartLeavesTheWindowOnTheShownStocksNewestBar) {
  const HWND list = static_cast<HWND>(gChartWindows[0].stockList);
  const struct {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } loads[] = {
      {WM_COMMAND, MAKEWPARAM(IDC_STOCK_LIST, CBN_SELCHANGE),
       reinterpret_cast<LPARAM>(list)},  // a pick selects no pane
      {WM_KEYDOWN, VK_DOWN, 0},
      {WM_COMMAND, IDM_PERIOD_WEEKLY, 0},
  };
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  for (const auto& load : loads) {
    PostMessageW(window_, load.message, load.wParam, load.lParam);
    PumpFor(100);
    const BarSeries* bars =
        GetViewBarSeries(CurrentScreenPattern().views[gSelectedChart], gChartContexts[gSelectedChart]);
    static DetailRows rows;
    BuildChartDetailRows(gSelectedChart, gSelectedPane >= 0 ? gSelectedPane : 0, bars->count - 1, true, &rows);
    EXPECT_EQ(RowsText(ShownDetailWindowRows()), RowsText(rows)) << load.message << " " << load.wParam;
  }
}

// Pixels of the caption's text colour in the window's caption, right of its icon.
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
  gSelectedChart = 0;
  for (const int pane : {2, 3}) {
    gSelectedPane = pane;
    RefreshDetailWindow(false);
    PumpFor(60);
    const int shown = CaptionTextPixels(gDetailWnd);
    RECT rect;
    GetWindowRect(gDetailWnd, &rect);
    SetWindowPos(gDetailWnd, nullptr, 0, 0, rect.right - rect.left + 200, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(60);
    EXPECT_EQ(Row(shown > 20, shown), Row(1, CaptionTextPixels(gDetailWnd)))
        << "a wider window shows no more: " << pane;
  }
}

}  // namespace
