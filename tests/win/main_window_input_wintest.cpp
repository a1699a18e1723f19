// The main window's keys, mouse, scroll bars, search box, timers and close
// request, driven through posted messages on a main window made in this
// process over the generated sample database.

#include "window/chart_windows.h"
#include "tests/win/main_window_fixture.h"
#include "tests/support/row.h"

namespace {

TEST_F(MainWindowInputTest, ArrowKeysScrollTheSelectedChartByABarOrAPage) {
  SelectChartInTheMiddle(0);
  const int start = LastBar(0);
  const int other = LastBar(1);
  Post(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(LastBar(0), start + 1);
  const HWND bar = static_cast<HWND>(gChartWindows[0].scrollBarWindow);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), start + 1);
  Post(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(LastBar(0), start);

  SetShift(true);
  Post(WM_KEYDOWN, VK_RIGHT);
  SetShift(false);
  const int page = gChartContexts[0].geometry.visibleBars;
  EXPECT_EQ(LastBar(0), start + 1 + page / 12);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), start + 1 + page / 12);
  EXPECT_EQ(LastBar(1), other);  // no date link: chart 1 stays
}

TEST_F(MainWindowInputTest, TheWheelAndTheScrollBarScroll) {
  SelectChartInTheMiddle(1);
  const int start = LastBar(1);
  Post(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(300, 300));
  EXPECT_EQ(LastBar(1), start - 1);
  Post(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(300, 300));
  EXPECT_EQ(LastBar(1), start);
  Post(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA), MAKELPARAM(300, 300));
  EXPECT_EQ(LastBar(1), start + 1 + gChartContexts[1].geometry.visibleBars / 12);

  const int before = LastBar(1);
  Post(WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(gChartWindows[1].scrollBarWindow));
  EXPECT_EQ(LastBar(1), before - 1);
  Post(WM_HSCROLL, SB_PAGELEFT, reinterpret_cast<LPARAM>(gChartWindows[1].scrollBarWindow));
  EXPECT_EQ(LastBar(1), before - 2 - gChartContexts[1].geometry.visibleBars / 12);
}

TEST_F(MainWindowInputTest, TabWrapsFromTheLastPaneToTheFirstAndShiftTabBack) {
  gSelectedChart = 2;
  gSelectedPane = CurrentScreenPattern().views[2].paneCount - 1;
  Post(WM_CHAR, L'\t');
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(0, 0));
  Post(WM_CHAR, L'\t');
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(0, 1));
  SetShift(true);
  Post(WM_CHAR, L'\t');
  Post(WM_CHAR, L'\t');
  SetShift(false);
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(2, 1));
}

TEST_F(MainWindowInputTest, ACodeTypedOnTheChartAndEnterShowThatStock) {
  gSelectedChart = 1;
  gSelectedPane = 0;
  const StockCode wanted = SampleCode(9);
  ASSERT_NE(CurrentScreenPattern().views[1].stockCode, wanted);
  TypeIntoChart(CodeText(wanted).c_str());
  EXPECT_TRUE(IsWindowVisible(SearchBox()));
  wchar_t typed[16] = L"";
  GetWindowTextW(SearchBox(), typed, 16);
  EXPECT_EQ(std::wstring(typed), CodeText(wanted));
  PostMessageW(SearchBox(), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(200);
  EXPECT_FALSE(IsWindowVisible(SearchBox()));
  EXPECT_EQ(CurrentScreenPattern().views[1].stockCode, wanted);
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, SampleCode(4));  // no stock link
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-searched.bmp");
}

TEST_F(MainWindowInputTest, EscInTheSearchBoxHidesItAndLeavesTheCharts) {
  gSelectedChart = 0;
  const StockCode shown = CurrentScreenPattern().views[0].stockCode;
  TypeIntoChart(L"12");
  ASSERT_TRUE(IsWindowVisible(SearchBox()));
  PostMessageW(SearchBox(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(100);
  EXPECT_FALSE(IsWindowVisible(SearchBox()));
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, shown);
}

struct ErrorBoxWatch {
  std::atomic<bool> found{false};
  wchar_t text[256] = L"";
};

// Waits for the error box, reads its text and presses OK.
DWORD WINAPI AnswerErrorBox(void* param) {
  auto* watch = static_cast<ErrorBoxWatch*>(param);
  const HWND box = WaitForDialog(SjisToWide("検索エラー"));
  if (box == nullptr) return 0;
  GetDlgItemTextW(box, 0xFFFF, watch->text, 256);
  watch->found = true;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

// Enter in the search box while `answer`, on a thread of its own, deals with
// the box or dialog that the search opens.
void PressEnterWhileAnswering(LPTHREAD_START_ROUTINE answer, void* watch) {
  const HANDLE thread = CreateThread(nullptr, 0, answer, watch, 0, nullptr);
  PostMessageW(GetDlgItem(static_cast<HWND>(gMainWnd), kSearchBoxId), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(300);
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  PumpFor(100);
}

TEST_F(MainWindowInputTest, AnUnknownCodeShowsTheSearchErrorBox) {
  gSelectedChart = 0;
  const StockCode shown = CurrentScreenPattern().views[0].stockCode;
  ASSERT_LT(FindStockIndexByCode(StringToCode("9Z9Z")), 0);
  TypeIntoChart(L"9Z9Z");
  ErrorBoxWatch watch;
  PressEnterWhileAnswering(AnswerErrorBox, &watch);
  EXPECT_TRUE(watch.found);
  EXPECT_EQ(std::wstring(watch.text), SjisToWide("銘柄コード（9Z9Z）が見つかりません。"));
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, shown);
}

TEST_F(MainWindowInputTest, CloseWhileTheProgressDialogIsOpenOnlyCancelsTheJob) {
  const HWND stand = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  gProgressDlg = stand;
  gProgressCancelled = 0;
  SelectChartInTheMiddle(0);
  const int start = LastBar(0);
  Post(WM_KEYDOWN, VK_RIGHT);  // input waits for the job
  EXPECT_EQ(LastBar(0), start);
  Post(WM_CLOSE, 0);
  PumpFor(200);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(gProgressCancelled, 1);
  gProgressDlg = nullptr;
  DestroyWindow(stand);
  EXPECT_EQ(SendMessageW(window_, WM_QUERYENDSESSION, 0, 0), TRUE);
}

LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC gCountedProc = nullptr;
int gPaintCount = 0;
LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++gPaintCount;
  return CallWindowProcW(gCountedProc, hwnd, message, wParam, lParam);
}

TEST_F(MainWindowInputTest, TheBlinkTimersRunWithoutRepaintingWhenNothingBlinks) {
  PumpFor(100);
  gPaintCount = 0;
  gCountedProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
  bool sawPhase[2] = {false, false};
  const DWORD end = GetTickCount() + 1800;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    PumpFor(20);
    sawPhase[gBlinkPhase != 0 ? 1 : 0] = true;
  }
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gCountedProc));
  EXPECT_TRUE(sawPhase[0]);
  EXPECT_TRUE(sawPhase[1]);
  EXPECT_EQ(gPaintCount, 0);
}

TEST_F(MainWindowInputTest, APressSelectsThePaneAndSetsTheCrossHairThatSurvivesARepaint) {
  gSettings.showGuideLine = 1;
  const PaneRecord& pane = gChartContexts[0].panes[1];
  const int x = (pane.fullPlot.left + pane.fullPlot.right) / 2;
  const int y = (pane.fullPlot.top + pane.fullPlot.bottom) / 2;
  gSelectedChart = 2;
  gSelectedPane = -1;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane, gCrossHairChart, gCrossHairPane), Row(0, 1, 0, 1));
  EXPECT_GE(gCrossHairBar, 0);
  EXPECT_TRUE(gCursorLineDrawn);
  ASSERT_NEAR(gCrossHairY, y, 1) << "the pointer goes to the value it stands for";
  const int lineY = gCrossHairY;

  // The guide line stays exactly once through a full repaint.
  const int probeX = gChartContexts[0].geometry.plotArea.left + 3;
  const HDC dc = GetDC(window_);
  const COLORREF withLine = GetPixel(dc, probeX, lineY);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(50);
  EXPECT_EQ(GetPixel(dc, probeX, lineY), withLine);
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-cross-hair.bmp");

  ClearCrossHair();
  const COLORREF without = GetPixel(dc, probeX, lineY);
  EXPECT_NE(without, withLine);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(50);
  EXPECT_EQ(GetPixel(dc, probeX, lineY), without);
  ReleaseDC(window_, dc);
  gSettings.showGuideLine = 0;
}

POINT CentreOf(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(MainWindowInputTest, TheDateLinkButtonCouplesTheScrollingOfTheChartBelow) {
  ASSERT_EQ(CurrentScreenPattern().views[0].dateLink, 0);
  const POINT button = CentreOf(gChartContexts[0].geometry.dateLinkBottom);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
  EXPECT_EQ(CurrentScreenPattern().views[0].dateLink, 1);
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-date-link.bmp");

  SelectChartInTheMiddle(0);
  const int other = LastBar(1);
  Post(WM_KEYDOWN, VK_LEFT);
  Post(WM_KEYDOWN, VK_LEFT);
  EXPECT_LT(LastBar(1), other);  // chart 1 follows chart 0

  // Pressing the chart below's half of the same button turns the link off again.
  const POINT lower = CentreOf(gChartContexts[1].geometry.dateLinkTop);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(lower.x, lower.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(lower.x, lower.y));
  EXPECT_EQ(CurrentScreenPattern().views[0].dateLink, 0);
  const int still = LastBar(1);
  Post(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(LastBar(1), still);
}

TEST_F(MainWindowInputTest, TheKeepStockButtonTogglesItsFlagAndSelectsTheChart) {
  const POINT button = CentreOf(gChartContexts[1].geometry.keepStockButton);
  const int32_t before = CurrentScreenPattern().views[1].keepStock;
  const HDC dc = GetDC(window_);
  const COLORREF offLook = GetPixel(dc, button.x, button.y);
  gSelectedChart = 2;
  gSelectedPane = 0;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
  EXPECT_NE(CurrentScreenPattern().views[1].keepStock, before);
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(1, -1));
  EXPECT_NE(GetPixel(dc, button.x, button.y), offLook);  // drawn pressed
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
  EXPECT_EQ(CurrentScreenPattern().views[1].keepStock, before);
  EXPECT_EQ(GetPixel(dc, button.x, button.y), offLook);
  ReleaseDC(window_, dc);
}

TEST_F(MainWindowInputTest, TheCrossHairFollowsTheMouseInsideThePanes) {
  const PaneRecord& pane = gChartContexts[1].panes[0];
  const int x = (pane.fullPlot.left + pane.fullPlot.right) / 2;
  const int y = (pane.fullPlot.top + pane.fullPlot.bottom) / 2;
  Post(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  EXPECT_EQ(Row(gCrossHairChart, gCrossHairPane), Row(1, 0));
  const int bar = gCrossHairBar;
  EXPECT_GE(bar, 0);
  EXPECT_TRUE(gCursorLineDrawn);

  Post(WM_MOUSEMOVE, 0, MAKELPARAM(x - 3 * gChartContexts[1].geometry.barSpacing, y));
  EXPECT_EQ(gCrossHairBar, bar - 3);

  const POINT outside = CentreOf(gChartContexts[1].geometry.keepStockButton);
  Post(WM_MOUSEMOVE, 0, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(gCrossHairChart, -1);
  EXPECT_FALSE(gCursorLineDrawn);
}

}  // namespace

namespace {

TEST_F(MainWindowInputTest, TheCrossHairFollowsAStillMouseAsTheChartScrollsAndGoesWhenTheMouseLeaves) {
  SelectChartInTheMiddle(0);
  const PaneRecord& pane = gChartContexts[0].panes[0];
  POINT inside = {(pane.fullPlot.left + pane.fullPlot.right) / 2, (pane.fullPlot.top + pane.fullPlot.bottom) / 2};
  ClientToScreen(window_, &inside);
  SetCursorPos(inside.x, inside.y);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ClearCrossHair();
  Post(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(gCrossHairChart, 0) << "the scroll put the cross-hair under the mouse again";
  EXPECT_EQ(gCrossHairPane, 0);
  const int bar = gCrossHairBar;
  Post(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(gCrossHairBar, bar + 1) << "the same place shows the next bar";

  RECT frame;
  GetWindowRect(window_, &frame);
  SetCursorPos(frame.right + 20, frame.bottom + 20);
  SetForegroundWindow(window_);
  TrackCursorOnTimer();
  EXPECT_EQ(gCrossHairChart, -1);
  EXPECT_FALSE(gCursorLineDrawn);
}

}  // namespace

namespace {

struct PickDialogWatch {
  std::atomic<bool> found{false};
  int rows = 0;
  wchar_t chosen[128] = L"";
};

// Waits for the pick dialog, takes its last row and presses OK.
DWORD WINAPI PickLastStock(void* param) {
  auto* watch = static_cast<PickDialogWatch*>(param);
  const HWND dialog = WaitForDialog(SjisToWide("銘柄の選択"));
  if (dialog == nullptr) return 0;
  const HWND list = GetDlgItem(dialog, 1002);
  // The dialog may be found before its WM_INITDIALOG has filled the list.
  for (int i = 0; i < 100 && SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0; ++i) Sleep(20);
  watch->rows = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  SendMessageW(list, LB_SETCURSEL, watch->rows - 1, 0);
  SendMessageW(list, LB_GETTEXT, watch->rows - 1, reinterpret_cast<LPARAM>(watch->chosen));
  watch->found = true;
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

TEST_F(MainWindowInputTest, ANameSeveralStocksShareOffersThemToPickFrom) {
  const std::wstring name = L"\u30BF\u30AB\u30CD";  // タカネ
  const int matches = CountStocksMatchingText(WideToSjis(name.c_str()).c_str());
  if (matches < 2) GTEST_SKIP() << "the sample has no shared name part";
  gSelectedChart = 1;
  TypeIntoChart(name.c_str());
  PickDialogWatch watch;
  PressEnterWhileAnswering(PickLastStock, &watch);
  ASSERT_TRUE(watch.found);
  EXPECT_EQ(watch.rows, matches);
  const std::wstring chosen = watch.chosen;
  EXPECT_EQ(CodeText(CurrentScreenPattern().views[1].stockCode), chosen.substr(0, 4));
  EXPECT_NE(chosen.find(name), std::wstring::npos);
}

}  // namespace
