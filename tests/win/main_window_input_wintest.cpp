// The main window's keys, mouse, scroll bars, search box, timers and close
// request, driven through posted messages on a main window made in this
// process over the generated sample database.

#include "tests/win/main_window_fixture.h"
#include "tests/support/row.h"

namespace {

// Keys, the wheel and the scroll bar move the selected chart by a bar or by a page
// (a twelfth of its visible bars) and one, its scroll bar with it; without a date
// link the other chart stays.
TEST_F(MainWindowInputTest, KeysTheWheelAndTheScrollBarScrollTheSelectedChart) {
  struct Input {
    int chart;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool shift;
    int bars, pages;
  };
  const WPARAM wheelDown = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), wheelUp = MAKEWPARAM(0, WHEEL_DELTA);
  const LPARAM point = MAKELPARAM(300, 300), bar = reinterpret_cast<LPARAM>(gChartWindows[1].scrollBarWindow);
  const Input inputs[] = {
      {0, WM_KEYDOWN, VK_RIGHT, 0, false, 1, 0},       {0, WM_KEYDOWN, VK_LEFT, 0, false, -1, 0},
      {0, WM_KEYDOWN, VK_RIGHT, 0, true, 1, 1},        {1, WM_MOUSEWHEEL, wheelDown, point, false, -1, 0},
      {1, WM_MOUSEWHEEL, wheelUp, point, false, 1, 0}, {1, WM_MOUSEWHEEL, wheelUp | MK_SHIFT, point, false, 1, 1},
      {1, WM_HSCROLL, SB_LINELEFT, bar, false, -1, 0}, {1, WM_HSCROLL, SB_PAGELEFT, bar, false, -1, -1}};
  int chart = -1;
  for (const Input& input : inputs) {
    if (input.chart != chart) SelectChartInTheMiddle(chart = input.chart);
    const HWND scrollBar = static_cast<HWND>(gChartWindows[chart].scrollBarWindow);
    const int before = LastBar(chart), other = LastBar(1 - chart);
    SetShift(input.shift);
    Post(input.message, input.wParam, input.lParam);
    SetShift(false);
    const int moved = input.bars + input.pages * (gChartContexts[chart].geometry.visibleBars / 12);
    EXPECT_EQ(Row(LastBar(chart), GetScrollPos(scrollBar, SB_CTL), LastBar(1 - chart)),
              Row(before + moved, before + moved, other))
        << input.message << " " << input.wParam;
  }
}

TEST_F(MainWindowInputTest, TabWrapsFromTheLastPaneToTheFirstAndShiftTabBack) {
  gSelectedChart = 2;
  gSelectedPane = CurrentScreenPattern().views[2].paneCount - 1;
  Post(WM_CHAR, L'\t');
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(0, 0));
  Post(WM_CHAR, L'\t');
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(0, 1));
  SetShift(true);
  TypeIntoChart(L"\t\t");
  SetShift(false);
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(2, 1));
}

TEST_F(MainWindowInputTest, ACodeTypedOnTheChartAndEnterShowThatStockAndEscOnlyHidesTheBox) {
  gSelectedChart = 0;
  TypeIntoChart(L"12");
  ASSERT_TRUE(IsWindowVisible(SearchBox()));
  PostMessageW(SearchBox(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(100);
  EXPECT_FALSE(IsWindowVisible(SearchBox()));
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, SampleCode(4));
  gSelectedChart = 1;
  gSelectedPane = 0;
  const StockCode wanted = SampleCode(9);
  ASSERT_NE(CurrentScreenPattern().views[1].stockCode, wanted);
  TypeIntoChart(CodeText(wanted).c_str());
  EXPECT_TRUE(IsWindowVisible(SearchBox()));
  EXPECT_EQ(WindowTitle(SearchBox()), CodeText(wanted));
  PostMessageW(SearchBox(), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(200);
  EXPECT_FALSE(IsWindowVisible(SearchBox()));
  EXPECT_EQ(CurrentScreenPattern().views[1].stockCode, wanted);
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, SampleCode(4));  // no stock link
  SaveWindowPicture(window_, L"main-window-searched.bmp");
}

struct DialogAnswer {
  std::wstring title;
  std::function<void(HWND)> read;
  bool found = false;
};

// Waits for the dialog, reads it and presses OK.
DWORD WINAPI AnswerDialog(void* param) {
  auto* answer = static_cast<DialogAnswer*>(param);
  const HWND dialog = WaitForDialog(answer->title);
  if (dialog == nullptr) return 0;
  answer->read(dialog);
  answer->found = true;
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

// Enter in the search box while a thread of its own answers the dialog titled
// `title` that the search opens; false when none came.
bool PressEnterAnswering(const char* title, const std::function<void(HWND)>& read) {
  DialogAnswer answer{SjisToWide(title), read};
  const HANDLE thread = CreateThread(nullptr, 0, AnswerDialog, &answer, 0, nullptr);
  PostMessageW(GetDlgItem(static_cast<HWND>(gMainWnd), kSearchBoxId), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(300);
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  PumpFor(100);
  return answer.found;
}

TEST_F(MainWindowInputTest, AnUnknownCodeShowsTheSearchErrorBox) {
  gSelectedChart = 0;
  const StockCode shown = CurrentScreenPattern().views[0].stockCode;
  ASSERT_LT(FindStockIndexByCode(StringToCode("9Z9Z")), 0);
  TypeIntoChart(L"9Z9Z");
  std::wstring text;
  EXPECT_TRUE(PressEnterAnswering("検索エラー", [&](HWND box) { text = WindowTitle(GetDlgItem(box, 0xFFFF)); }));
  EXPECT_EQ(text, SjisToWide("銘柄コード（9Z9Z）が見つかりません。"));
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

WNDPROC gCountedProc = nullptr;
int gPaintCount = 0;
LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  gPaintCount += message == WM_PAINT;
  return CallWindowProcW(gCountedProc, hwnd, message, wParam, lParam);
}

TEST_F(MainWindowInputTest, TheBlinkTimersRunWithoutRepaintingWhenNothingBlinks) {
  PumpFor(100);
  gPaintCount = 0;
  gCountedProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
  bool sawPhase[2] = {false, false};
  for (const DWORD end = GetTickCount() + 1800; static_cast<LONG>(end - GetTickCount()) > 0;) {
    PumpFor(20);
    sawPhase[gBlinkPhase != 0 ? 1 : 0] = true;
  }
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gCountedProc));
  EXPECT_EQ(Row(sawPhase[0], sawPhase[1], gPaintCount), Row(1, 1, 0));
}

TEST_F(MainWindowInputTest, APressSelectsThePaneAndSetsTheCrossHairThatSurvivesARepaint) {
  gSettings.showGuideLine = 1;
  const POINT p = Centre(gChartContexts[0].panes[1].fullPlot);
  gSelectedChart = 2;
  gSelectedPane = -1;
  Click(p);
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane, gCrossHairChart, gCrossHairPane), Row(0, 1, 0, 1));
  EXPECT_GE(gCrossHairBar, 0);
  EXPECT_TRUE(gCursorLineDrawn);
  ASSERT_NEAR(gCrossHairY, p.y, 1) << "the pointer goes to the value it stands for";
  // The guide line stays exactly once through a full repaint, and goes with the cross-hair.
  const int probeX = gChartContexts[0].geometry.plotArea.left + 3, lineY = gCrossHairY;
  const HDC dc = GetDC(window_);
  const auto repaintedProbe = [&] {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(50);
    return GetPixel(dc, probeX, lineY);
  };
  const COLORREF withLine = GetPixel(dc, probeX, lineY);
  EXPECT_EQ(repaintedProbe(), withLine);
  SaveWindowPicture(window_, L"main-window-cross-hair.bmp");
  ClearCrossHair();
  const COLORREF without = GetPixel(dc, probeX, lineY);
  EXPECT_NE(without, withLine);
  EXPECT_EQ(repaintedProbe(), without);
  ReleaseDC(window_, dc);
  gSettings.showGuideLine = 0;
}

TEST_F(MainWindowInputTest, TheDateLinkButtonCouplesTheScrollingOfTheChartBelow) {
  ASSERT_EQ(CurrentScreenPattern().views[0].dateLink, 0);
  Click(Centre(gChartContexts[0].geometry.dateLinkBottom));
  EXPECT_EQ(CurrentScreenPattern().views[0].dateLink, 1);
  SaveWindowPicture(window_, L"main-window-date-link.bmp");
  SelectChartInTheMiddle(0);
  const int other = LastBar(1);
  Post(WM_KEYDOWN, VK_LEFT);
  Post(WM_KEYDOWN, VK_LEFT);
  EXPECT_LT(LastBar(1), other);  // chart 1 follows chart 0
  // Pressing the chart below's half of the same button turns the link off again.
  Click(Centre(gChartContexts[1].geometry.dateLinkTop));
  EXPECT_EQ(CurrentScreenPattern().views[0].dateLink, 0);
  const int still = LastBar(1);
  Post(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(LastBar(1), still);
}

TEST_F(MainWindowInputTest, TheKeepStockButtonTogglesItsFlagAndSelectsTheChart) {
  const POINT button = Centre(gChartContexts[1].geometry.keepStockButton);
  const int32_t before = CurrentScreenPattern().views[1].keepStock;
  const HDC dc = GetDC(window_);
  const COLORREF offLook = GetPixel(dc, button.x, button.y);
  gSelectedChart = 2;
  gSelectedPane = 0;
  Click(button);
  EXPECT_NE(CurrentScreenPattern().views[1].keepStock, before);
  EXPECT_EQ(Row(gSelectedChart, gSelectedPane), Row(1, -1));
  EXPECT_NE(GetPixel(dc, button.x, button.y), offLook);  // drawn pressed
  Click(button);
  EXPECT_EQ(CurrentScreenPattern().views[1].keepStock, before);
  EXPECT_EQ(GetPixel(dc, button.x, button.y), offLook);
  ReleaseDC(window_, dc);
}

// The cross-hair follows the mouse inside the panes, and a still mouse as the chart
// scrolls under it; it goes where the mouse leaves the panes or the window.
TEST_F(MainWindowInputTest, TheCrossHairFollowsTheMouseAndGoesWhenTheMouseLeaves) {
  const POINT p = Centre(gChartContexts[1].panes[0].fullPlot);
  Post(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  EXPECT_EQ(Row(gCrossHairChart, gCrossHairPane, gCursorLineDrawn), Row(1, 0, 1));
  const int bar = gCrossHairBar;
  EXPECT_GE(bar, 0);
  Post(WM_MOUSEMOVE, 0, MAKELPARAM(p.x - 3 * gChartContexts[1].geometry.barSpacing, p.y));
  EXPECT_EQ(gCrossHairBar, bar - 3);
  const POINT outside = Centre(gChartContexts[1].geometry.keepStockButton);
  Post(WM_MOUSEMOVE, 0, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(Row(gCrossHairChart, gCursorLineDrawn), Row(-1, 0));
  SelectChartInTheMiddle(0);
  POINT inside = Centre(gChartContexts[0].panes[0].fullPlot);
  ClientToScreen(window_, &inside);
  SetCursorPos(inside.x, inside.y);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ClearCrossHair();
  Post(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(Row(gCrossHairChart, gCrossHairPane), Row(0, 0)) << "the scroll put the cross-hair under the mouse again";
  const int underMouse = gCrossHairBar;
  Post(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(gCrossHairBar, underMouse + 1) << "the same place shows the next bar";
  RECT frame;
  GetWindowRect(window_, &frame);
  SetCursorPos(frame.right + 20, frame.bottom + 20);
  SetForegroundWindow(window_);
  TrackCursorOnTimer();
  EXPECT_EQ(Row(gCrossHairChart, gCursorLineDrawn), Row(-1, 0));
}

TEST_F(MainWindowInputTest, ANameSeveralStocksShareOffersThemToPickFrom) {
  const std::wstring name = L"\u30BF\u30AB\u30CD";  // タカネ
  const int matches = CountStocksMatchingText(WideToSjis(name.c_str()).c_str());
  if (matches < 2) GTEST_SKIP() << "the sample has no shared name part";
  gSelectedChart = 1;
  TypeIntoChart(name.c_str());
  int rows = 0;
  std::wstring chosen;
  ASSERT_TRUE(PressEnterAnswering("銘柄の選択", [&](HWND dialog) {
    const HWND list = GetDlgItem(dialog, 1002);
    // The dialog may be found before its WM_INITDIALOG has filled the list: take its last row.
    for (int i = 0; i < 100 && SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0; ++i) Sleep(20);
    rows = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    SendMessageW(list, LB_SETCURSEL, rows - 1, 0);
    chosen = ListRowText(list, rows - 1);
  }));
  EXPECT_EQ(rows, matches);
  EXPECT_EQ(CodeText(CurrentScreenPattern().views[1].stockCode), chosen.substr(0, 4));
  EXPECT_NE(chosen.find(name), std::wstring::npos);
}

}  // namespace
