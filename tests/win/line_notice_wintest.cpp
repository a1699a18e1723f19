// The notice of a reached monitoring line on a main window made in this
// process over the sample database: its texts and buttons, the chart and
// indicator buttons, one window per line, and its end when the line goes.

#include <windows.h>

#include <gtest/gtest.h>

#include "analysis/group_store.h"
#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_scroll.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "shell/settings.h"
#include "tests/support/row.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tools/sample_db/series_digest.h"
#include "window/main_window_win.h"

namespace {

StockCode SampleCode(int index) { return gStockTable->records[index].master.code; }

class LineNoticeTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-notice") || !LoadGroupsAtStartup() || !AllocTrendLineTables()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 3;
    for (int i = 0; i < 3; ++i)
      pattern.views[i] =
          MakeChartView(SampleCode(4 + i), 0, {{kPaneCandles, PaneLineFlags(2)}, {kPaneVolume, kPaneFlagLine0}});
    if (!ShowMainWindow(1100, 800)) return;
    PumpFor(200);
  }
  static void TearDownTestSuite() {
    CloseMainWindow();
    FreeTrendLineTables();
  }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    gTrendLines->count = 0;
  }
  // A lower RSI line at 50.00 over the stock of the upper chart, watching RSI lines 1 and 3.
  static TrendLine& AddRsiLine() {
    const StockRecord& stock = gStockTable->records[4];
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = TrendLine{};
    line.code = stock.master.code;
    line.date1 = AddCalendarDays(stock.lastDate, -30);
    line.date2 = AddCalendarDays(stock.lastDate, 30);
    line.value1 = line.value2 = 5000;
    line.paneKind = kPaneRsi;
    line.monitorKind = kMonitorLower;
    line.notifyWhenReached = 1;
    line.watchedLines = 5;
    return line;
  }
  static void SetRsi(double value) {
    for (const int item : {17, 18, 19}) gStockTable->records[4].snapshots[0].values[item] = value;
    EvaluateAllMonitorLines();
    PumpFor(100);
  }
  static std::wstring ItemText(HWND notice, int id) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(notice, id, text, 256);
    return text;
  }
  static int Checked(HWND notice, int id) { return static_cast<int>(IsDlgButtonChecked(notice, id)); }
  static int Enabled(HWND notice, int id) { return IsWindowEnabled(GetDlgItem(notice, id)); }
  static void Click(HWND notice, int id) {
    PostMessageW(GetDlgItem(notice, id), BM_CLICK, 0, 0);
    PumpFor(150);
  }
};

TEST_F(LineNoticeTest, OneNoticePerReachedLineWithItsButtonsUntilTheLineGoes) {
  AddRsiLine();
  AddRsiLine();
  SetRsi(60);
  EXPECT_EQ(LineNoticeCount(), 0);
  SetRsi(40);
  const HWND notice = static_cast<HWND>(FindLineNotice(0));
  const HWND second = static_cast<HWND>(FindLineNotice(1));
  ASSERT_NE(notice, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(IsWindowVisible(notice));
  EXPECT_EQ(WindowTitle(second), SjisToWide("お知らせ - 2"));
  char stock[128];
  snprintf(stock, sizeof stock, "%s：%s", CodeToString(SampleCode(4)), GetStockNameByIndex(4));
  EXPECT_EQ(ItemText(notice, IDC_NOTICE_STOCK), SjisToWide(stock));
  EXPECT_EQ(ItemText(notice, IDC_NOTICE_KIND), SjisToWide("下限監視線"));
  EXPECT_EQ(ItemText(notice, IDC_NOTICE_CONDITION), SjisToWide("ＲＳＩ(日足) <= 監視線"));
  EXPECT_EQ(ItemText(notice, IDC_NOTICE_ORDER), L"");
  EXPECT_EQ(ItemText(notice, IDC_NOTICE_SHOW_FIRST + 1), SjisToWide("中段のチャートに表示"));
  EXPECT_EQ(Row(Checked(notice, IDC_NOTICE_PATTERN_FIRST + gCurrentPattern), Checked(notice, IDC_NOTICE_SHOW_FIRST),
                Checked(notice, IDC_NOTICE_SHOW_FIRST + 1), Enabled(notice, IDC_NOTICE_INDICATOR_FIRST),
                Enabled(notice, IDC_NOTICE_INDICATOR_FIRST + 1), Checked(notice, IDC_NOTICE_INDICATOR_FIRST)),
            Row(1, 1, 0, 1, 0, 0));

  Click(notice, IDC_NOTICE_INDICATOR_FIRST);
  const ChartView& upper = CurrentScreenPattern().views[0];
  ASSERT_EQ(upper.paneCount, 3);
  EXPECT_EQ(Row(upper.paneKinds[2], upper.paneFlags[2] & PaneLineFlags(3)), Row(kPaneRsi, 5)) << "lines 1 and 3 shown";
  Click(notice, IDC_NOTICE_SHOW_FIRST + 1);
  EXPECT_EQ(CurrentScreenPattern().views[1].stockCode, SampleCode(4));
  EXPECT_EQ(Row(Checked(notice, IDC_NOTICE_INDICATOR_FIRST), Checked(notice, IDC_NOTICE_SHOW_FIRST + 1),
                Enabled(notice, IDC_NOTICE_INDICATOR_FIRST + 1)),
            Row(1, 1, 1));
  SaveWindowPicture(notice, L"line-notice.bmp");

  SetRsi(60);
  SetRsi(45);
  EXPECT_EQ(Row(LineNoticeCount(), FindLineNotice(0) == notice), Row(2, true)) << "the open notices come forward";
  const bool removed[] = {true, false};
  OnTrendLinesDeleted(removed, 2);
  gTrendLines->lines[0] = gTrendLines->lines[1];
  gTrendLines->count = 1;
  PumpFor(100);
  EXPECT_EQ(Row(IsWindow(notice), FindLineNotice(0) == second), Row(0, true)) << "closed with its line";
  Click(second, IDOK);
  EXPECT_EQ(Row(IsWindow(second), LineNoticeCount()), Row(0, 0));
}

// A notice that opens while the user types in a dialog of the program leaves
// the dialog the keyboard, and it stays above the main window once the
// dialog has gone and the main window is active again.
TEST_F(LineNoticeTest, ANoticeLeavesTheKeyboardWhereItIsAndStaysAboveTheMainWindow) {
  const HWND dialog = CreateWindowExW(0, L"#32770", L"in use", WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 300, 300, 120,
                                      window_, nullptr, nullptr, nullptr);
  const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24, dialog,
                                    nullptr, nullptr, nullptr);
  SetForegroundWindow(dialog);
  SetFocus(edit);
  PumpFor(200);
  ASSERT_EQ(GetFocus(), edit);
  AddRsiLine();
  SetRsi(60);
  SetRsi(40);
  const HWND notice = static_cast<HWND>(FindLineNotice(0));
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(Row(IsWindowVisible(notice), GetWindow(notice, GW_OWNER) == window_, LiesAbove(notice, window_)),
            Row(1, true, true));
  EXPECT_EQ(Row(GetFocus() == edit, GetActiveWindow() == dialog), Row(true, true)) << "the dialog keeps the keyboard";
  DestroyWindow(dialog);
  PumpFor(1500);
  EXPECT_EQ(GetActiveWindow(), window_);
  EXPECT_TRUE(LiesAbove(notice, window_)) << "the notice lies behind the main window";
  DestroyWindow(notice);
  PumpFor(100);
}

}  // namespace
