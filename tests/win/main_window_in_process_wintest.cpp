// A main window made in this process over the generated sample database, with
// three charts, driven through posted messages: the group combo boxes and stock
// lists, the chart and pane commands of the toolbar and menus, the splitter and
// margin drags, the pop-up menus as loaded, tooltips and the window-size items;
// keys, mouse, scroll bars, search box, timers and the close request.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>

#include "window/blink_timers.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/chart_windows.h"
#include "window/drag_modes.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_input_win.h"
#include "window/main_window_win.h"
#include "chart/chart_context.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/gdi_objects_win.h"
#include "chart/screen_pattern.h"
#include "chart/trend_line_mouse.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/progress.h"
#include "shell/settings.h"
#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "analysis/trend_line_store.h"
#include "window/window_hooks.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tools/sample_db/series_digest.h"

namespace {

StockCode SampleCode(int index) { return gStockTable->records[index].master.code; }

std::wstring CodeText(StockCode code) {
  char text[8];
  return SjisToWide(CodeToString(code, text));
}

std::wstring ListRowText(HWND list, int row) {
  wchar_t text[256] = L"";
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return text;
}

POINT Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class MainWindowInputTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    // The groups are written beside the prices: work on a copy.
    if (!OpenSampleCopy(L"velqo-window") || !LoadGroupsAtStartup()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 3;
    for (int i = 0; i < 3; ++i)
      pattern.views[i] =
          MakeChartView(SampleCode(4 + i), i / 2, {{kPaneCandles, PaneLineFlags(2)}, {kPaneVolume, kPaneFlagLine0}});
    if (!ShowMainWindow(1200, 900)) return;
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
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
};

using MainWindowListsTest = MainWindowInputTest;

HWND Combo(int chart) { return static_cast<HWND>(gChartWindows[chart].groupCombo); }
HWND List(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }
int Count(HWND control, UINT message) { return static_cast<int>(SendMessageW(control, message, 0, 0)); }
int Members(int group) { return gGroupTable->groups[group].memberCount; }
StockCode Member(int group, int row) { return gGroupTable->groups[group].members[row]; }
StockCode Shown(int chart) { return CurrentScreenPattern().views[chart].stockCode; }

// What a user's pick of a list row or a combo entry sends the main window.
void PostPick(HWND control, int childId) {
  PostMessageW(static_cast<HWND>(gMainWnd), WM_COMMAND, MAKEWPARAM(childId, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
  PumpFor(80);
}
void PickRow(int chart, int row) {
  SendMessageW(List(chart), LB_SETCURSEL, row, 0);
  PostPick(List(chart), IDC_STOCK_LIST + 4 * chart);
}
void PickGroup(int chart, int group) {
  SendMessageW(Combo(chart), CB_SETCURSEL, group, 0);
  PostPick(Combo(chart), IDC_GROUP_COMBO + 4 * chart);
}

TEST_F(MainWindowListsTest, EachChartHasTheGroupNamesAndItsGroupsMembersWithItsStockSelected) {
  ASSERT_NE(gGroupTable, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Row(Count(Combo(i), CB_GETCOUNT), Count(Combo(i), CB_GETCURSEL)), Row(124, 0));
  EXPECT_EQ(Members(0), gStockTable->count) << "every stock, indices included";
  EXPECT_EQ(Count(List(0), LB_GETCOUNT), Members(0));
  const int row = Count(List(0), LB_GETCURSEL);
  ASSERT_GE(row, 0);
  EXPECT_EQ(Member(0, row), Shown(0));
  EXPECT_EQ(ListRowText(List(0), row).substr(0, 5), CodeText(Member(0, row)) + L":");
  SaveWindowPicture(window_, L"main-window-lists.bmp");
}

TEST_F(MainWindowListsTest, AClickOnAListRowShowsThatStockAnotherGroupRefillsTheListAndKeysStepThroughIt) {
  PickRow(1, 9);
  EXPECT_EQ(Shown(1), Member(0, 9));
  EXPECT_EQ(gChartContexts[1].periods[0].bars->code, Member(0, 9)) << "loaded";
  EXPECT_EQ(gSelectedChart, 1);
  PickGroup(1, 8);  // the indices only
  EXPECT_EQ(CurrentScreenPattern().views[1].groupIndex, 8);
  EXPECT_EQ(Count(List(1), LB_GETCOUNT), Members(8));
  EXPECT_GT(Members(8), 0);
  EXPECT_LT(Members(8), Members(0));
  PickGroup(1, 0);
  EXPECT_EQ(Count(List(1), LB_GETCOUNT), Members(0));
  PickRow(0, 3);  // down and up step through the selected chart's list
  SetFocus(window_);
  Post(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(Shown(0), Member(0, 4));
  EXPECT_EQ(Count(List(0), LB_GETCURSEL), 4);
  Post(WM_KEYDOWN, VK_UP);
  Post(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(Shown(0), Member(0, 2));
}

TEST_F(MainWindowListsTest, ToolbarPaneButtonsShowAndHidePanesAndRemovingAChartLeavesEveryListShowingItsGroup) {
  gSelectedChart = 0;
  gSelectedPane = 1;
  const ChartView& view = CurrentScreenPattern().views[0];
  const int panes = view.paneCount;
  Post(WM_COMMAND, IDM_PANE_VOLUME + 1);  // RSI
  EXPECT_EQ(Row(view.paneCount, view.paneKinds[2]), Row(panes + 1, kPaneRsi));
  EXPECT_TRUE(SendMessageW(gToolbarWnd, TB_ISBUTTONCHECKED, IDM_PANE_VOLUME + 1, 0));
  SaveWindowPicture(window_, L"main-window-rsi-added.bmp");
  Post(WM_COMMAND, IDM_PANE_VOLUME + 1);
  EXPECT_EQ(view.paneCount, panes);
  EXPECT_FALSE(SendMessageW(gToolbarWnd, TB_ISBUTTONCHECKED, IDM_PANE_VOLUME + 1, 0));
  ScreenPattern& pattern = CurrentScreenPattern();
  const ScreenPattern saved = pattern;
  pattern.views[1].groupIndex = 8;
  RefillChartLists(1);
  gSelectedChart = 0;
  Post(WM_COMMAND, IDM_REMOVE_CHART);
  ASSERT_EQ(pattern.chartCount, 2);
  EXPECT_EQ(Row(pattern.views[0].groupIndex, Count(Combo(0), CB_GETCURSEL)), Row(8, 8));
  ASSERT_EQ(Count(List(0), LB_GETCOUNT), Members(8));
  PickRow(0, 0);
  EXPECT_EQ(Shown(0), Member(8, 0)) << "the row names the stock shown";
  Post(WM_COMMAND, IDM_ADD_CHART);
  EXPECT_EQ(pattern.chartCount, 3);
  pattern = saved;
  for (int i = 0; i < 3; ++i) RefillChartLists(i);
  SendMessageW(window_, WM_SIZE, 0, 0);
  ReloadAllChartSeries();
}

TEST_F(MainWindowListsTest, CtrlGHidesTheGroupListAndItsSplitterAndARightMarginFollowTheMouse) {
  ASSERT_NE(gShowGroupList, 0);
  const int left = gChartContexts[0].geometry.chart.left;
  Post(WM_COMMAND, IDM_GROUP_LIST);
  EXPECT_EQ(gShowGroupList, 0);
  EXPECT_LT(gChartContexts[0].geometry.chart.left, left);
  EXPECT_FALSE(IsWindowVisible(Combo(0)) || IsWindowVisible(List(0)));
  Post(WM_COMMAND, IDM_GROUP_LIST);
  EXPECT_EQ(gChartContexts[0].geometry.chart.left, left);
  EXPECT_TRUE(IsWindowVisible(List(0)));
  // Presses at `from`, checks the drag mode, moves by dx and lets go.
  const auto drag = [&](POINT from, int dx, int mode) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    EXPECT_EQ(gDragMode, mode);
    Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + dx, from.y));
    Post(WM_LBUTTONUP, 0, MAKELPARAM(from.x + dx, from.y));
  };
  const Rect splitter = CurrentMainWindowLayout().groupListSplitter;
  ASSERT_LT(splitter.left, splitter.right);
  const int width = gGroupListWidth;
  drag({splitter.left + 1, Centre(splitter).y}, width + 59 - splitter.left, kDragGroupSplitter);
  EXPECT_EQ(Row(gDragMode, gGroupListWidth, CurrentMainWindowLayout().groupListSplitter.left),
            Row(kDragNone, width + 60, width + 60));
  gGroupListWidth = width;
  SendMessageW(window_, WM_SIZE, 0, 0);
  const Rect handle = gChartContexts[0].geometry.marginHandle;
  const int margin = CurrentScreenPattern().views[0].rightMargin;
  drag({handle.left + 2, Centre(handle).y}, -20, kDragRightMargin);
  EXPECT_EQ(CurrentScreenPattern().views[0].rightMargin, margin + 20);
  EXPECT_EQ(GetCapture(), nullptr);
  CurrentScreenPattern().views[0].rightMargin = static_cast<int16_t>(margin);
  SendMessageW(window_, WM_SIZE, 0, 0);
}

TEST_F(MainWindowListsTest, PopUpMenusAreLoadedTrimmedAndNamedTooltipsAreMenuTextsAndTheSystemMenuSizesTheWindow) {
  const HMENU chart = ChartPopupMenu();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(GetMenuItemID(chart, 2), static_cast<UINT>(IDM_FULL_HISTORY_TS));
  EXPECT_EQ(GetMenuState(chart, IDM_ORDER_WINDOW, MF_BYCOMMAND), static_cast<UINT>(-1)) << "removed";
  const HMENU caption = CaptionPopupMenu();
  ASSERT_NE(caption, nullptr);
  HMENU groups = nullptr;
  for (int i = 0; i < GetMenuItemCount(caption) && groups == nullptr; ++i) groups = GetSubMenu(caption, i);
  ASSERT_NE(groups, nullptr);
  EXPECT_EQ(GetMenuItemCount(groups), 124);
  wchar_t text[80] = L"";
  GetMenuStringW(groups, IDM_CHART_TO_GROUP_FIRST, text, 80, MF_BYCOMMAND);
  EXPECT_EQ(WideToSjis(text), std::string(GetGroupName(0)));
  gSelectedChart = 0;
  UpdateGroupMembershipChecks();
  EXPECT_TRUE(GetMenuState(groups, IDM_CHART_TO_GROUP_FIRST, MF_BYCOMMAND) & MF_CHECKED) << "全銘柄 holds it";
  // Toolbar tooltips are the menu texts without their keys.
  NMTTDISPINFOW info{};
  info.hdr = {static_cast<HWND>(gToolbarWnd), IDM_PANE_VOLUME, TTN_GETDISPINFOW};
  SendMessageW(window_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_EQ(WideToSjis(info.lpszText), std::string("出来高"));
  Post(WM_SYSCOMMAND, IDM_WINDOW_1024);  // the system menu sizes the window
  RECT rect;
  GetWindowRect(window_, &rect);
  EXPECT_EQ(Row(rect.right - rect.left, rect.bottom - rect.top), Row(1024, 768));
  SetWindowPos(window_, HWND_TOP, 0, 0, 1200, 900, SWP_SHOWWINDOW);
  PumpFor(60);
}

TEST_F(MainWindowListsTest, AChartFontChangeRenewsTheSearchBoxAndTheListRows) {
  const HWND box = SearchBox();
  ASSERT_NE(box, nullptr);
  const SettingsBlockP2 saved = gSettingsP2;
  strcpy(gSettingsP2.chartLogFont.faceName, "Tahoma");
  ResetChartFont();  // back to the default face: the font is applied everywhere
  PumpFor(60);
  const HWND renewed = SearchBox();
  ASSERT_NE(renewed, nullptr);
  EXPECT_NE(renewed, box) << "made again in the new font";
  EXPECT_EQ(SendMessageW(renewed, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(gChartLargeFont));
  EXPECT_EQ(SendMessageW(List(0), LB_GETITEMHEIGHT, 0, 0), ListRowHeight());
  EXPECT_EQ(SendMessageW(List(0), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(gChartFixedFont));
  EXPECT_EQ(Count(List(0), LB_GETCOUNT), Members(0));
  // Typing still opens the (new) search box over the selected chart.
  gSelectedChart = 0;
  Post(WM_CHAR, L'7');
  EXPECT_TRUE(IsWindowVisible(renewed));
  Post(WM_KEYDOWN, VK_ESCAPE);
  HideSearchBox();
  gSettingsP2 = saved;
}

TEST_F(MainWindowListsTest, AStockLinkSharesTheUpperChartsListsAndARefreshReadsEachComboBox) {
  ScreenPattern& pattern = CurrentScreenPattern();
  ASSERT_EQ(pattern.views[0].stockLink, 0);
  const int listBottom = CurrentMainWindowLayout().lists[0].area.bottom;
  const POINT button = Centre(gChartContexts[0].geometry.stockLinkBottom);
  Click(button);
  ASSERT_EQ(pattern.views[0].stockLink, 1);
  EXPECT_EQ(Shown(1), Shown(0)) << "the pressed chart's stock went across";
  EXPECT_FALSE(IsWindowVisible(Combo(1)) || IsWindowVisible(List(1)));
  EXPECT_GT(CurrentMainWindowLayout().lists[0].area.bottom, listBottom) << "the upper list runs over both charts";
  SaveWindowPicture(window_, L"main-window-stock-link.bmp");
  PickRow(0, 6);  // a row picked in the shared list shows in both charts
  EXPECT_EQ(Row(Shown(0), Shown(1)), Row(Member(0, 6), Member(0, 6)));
  Click(button);
  EXPECT_EQ(pattern.views[0].stockLink, 0);
  EXPECT_TRUE(IsWindowVisible(List(1)));
  SendMessageW(Combo(2), CB_SETCURSEL, 8, 0);  // no notification: only the refresh reads it
  RefreshChartStockLists();
  EXPECT_EQ(CurrentScreenPattern().views[2].groupIndex, 8);
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), Members(8));
  SendMessageW(Combo(2), CB_SETCURSEL, 0, 0);
  RefreshChartStockLists();
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), Members(0));
}

// Keys, the wheel and the scroll bar move the selected chart by a bar or by a page
// (a twelfth of its visible bars) and one, its scroll bar with it; without a date
// link the other chart stays.
TEST_F(MainWindowInputTest, KeysTheWheelAndTheScrollBarScrollTheSelectedChartAndTabWrapsThePanes) {
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

// Enter in the search box while a thread of its own waits for the dialog titled
// `title` that the search opens, reads it and presses OK; false when none came.
bool PressEnterAnswering(const char* title, const std::function<void(HWND)>& read) {
  bool found = false;
  std::thread answer([&] {
    if (const HWND dialog = WaitForDialog(SjisToWide(title))) {
      read(dialog);
      found = true;
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  });
  PostMessageW(GetDlgItem(static_cast<HWND>(gMainWnd), kSearchBoxId), WM_KEYDOWN, VK_RETURN, 0);
  PumpFor(300);
  answer.join();
  PumpFor(100);
  return found;
}

TEST_F(MainWindowInputTest, ACodeTypedOnTheChartShowsThatStockOrAnErrorBoxAndEscOnlyHidesTheBox) {
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
  gSelectedChart = 0;
  const StockCode before = CurrentScreenPattern().views[0].stockCode;
  ASSERT_LT(FindStockIndexByCode(StringToCode("9Z9Z")), 0);
  TypeIntoChart(L"9Z9Z");
  std::wstring text;
  EXPECT_TRUE(PressEnterAnswering("検索エラー", [&](HWND box) { text = WindowTitle(GetDlgItem(box, 0xFFFF)); }));
  EXPECT_EQ(text, SjisToWide("銘柄コード（9Z9Z）が見つかりません。"));
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, before);
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

TEST_F(MainWindowInputTest, TheBlinkTimersRepaintTheChartsInBothPhasesButNotUnderAnOpenList) {
  PumpFor(100);
  gCountedProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));
  const auto watch = [](DWORD milliseconds, bool* sawPhase) {
    gPaintCount = 0;
    for (const DWORD end = GetTickCount() + milliseconds; static_cast<LONG>(end - GetTickCount()) > 0;) {
      PumpFor(20);
      if (sawPhase != nullptr) sawPhase[gBlinkPhase != 0 ? 1 : 0] = true;
    }
    return gPaintCount;
  };
  bool sawPhase[2] = {false, false};
  const int painted = watch(1800, sawPhase);
  gSelectedChart = 0;
  const HWND combo = static_cast<HWND>(gChartWindows[0].groupCombo);
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  const bool dropped = SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
  PumpFor(50);
  const int underList = watch(1400, nullptr);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gCountedProc));
  EXPECT_EQ(Row(sawPhase[0], sawPhase[1], painted >= 2, dropped, underList), Row(1, 1, 1, 1, 0));
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

TEST_F(MainWindowInputTest, TheDateLinkButtonCouplesTheChartBelowAndTheKeepStockButtonSelectsItsChart) {
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
    // The dialog may be found before its controls exist or before its
    // WM_INITDIALOG has filled the list: ask for the list again until it has rows.
    HWND list = nullptr;
    for (int i = 0; i < 250; ++i) {
      list = GetDlgItem(dialog, 1002);
      if (list != nullptr && SendMessageW(list, LB_GETCOUNT, 0, 0) > 0) break;
      Sleep(20);
    }
    rows = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    SendMessageW(list, LB_SETCURSEL, rows - 1, 0);
    chosen = ListRowText(list, rows - 1);
  }));
  EXPECT_EQ(rows, matches);
  EXPECT_EQ(CodeText(CurrentScreenPattern().views[1].stockCode), chosen.substr(0, 4));
  EXPECT_NE(chosen.find(name), std::wstring::npos);
}

// A stock entering and leaving an automatic group shown by two charts: the
// list boxes take one row in or out, keep their top row and keep the
// selection on the stock it was on.
void SetFlag(int stockIndex, bool on) {
  gStockTable->records[stockIndex].snapshots[kSlotDaily].values[kItemUnused0] = on ? 1 : 0;
}

TEST_F(MainWindowListsTest, AStockEntersAndLeavesWithTheListsTopRowAndSelectionKept) {
  constexpr int kGroup = 100;  // stocks whose unused daily item is set
  GroupRecord& group = gGroupTable->groups[kGroup];
  const GroupRecord savedGroup = group;
  const ScreenPattern savedPattern = CurrentScreenPattern();
  group.automatic = 1;
  group.marketMask = 0xFFFF;
  group.sortItem = kSortByStockCode;
  group.termCount = 1;
  group.terms[0] = {MakeItemCode(kSlotDaily, kItemUnused0), kOpGreater, kOperandConstant, 0, 0.5};
  for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, i % 2 == 0);
  RunExtractionForGroup(*gGroupTable, kGroup);
  for (int chart = 0; chart < 2; ++chart) {
    CurrentScreenPattern().views[chart].groupIndex = kGroup;
    RefillChartLists(chart);
  }
  SendMessageW(List(0), LB_SETTOPINDEX, 4, 0);
  SendMessageW(List(0), LB_SETCURSEL, 6, 0);
  SendMessageW(List(1), LB_SETCURSEL, 3, 0);
  const int top = Count(List(0), LB_GETTOPINDEX);
  ASSERT_GT(top, 0) << "the list scrolls";
  const StockCode selected[2] = {group.members[6], group.members[3]};

  // Stock 1 comes in at row 1, above chart 0's top row and both selections; then it goes.
  for (const bool on : {true, false}) {
    SetFlag(1, on);
    UpdateGroupBitsForStock(SampleCode(1));
    EXPECT_EQ(group.members[1] == SampleCode(1), on);
    for (int chart = 0; chart < 2; ++chart) {
      ASSERT_EQ(Count(List(chart), LB_GETCOUNT), group.memberCount) << chart;
      for (int row = 0; row < group.memberCount; ++row) {
        char expected[160];
        FormatGroupMemberRow(*gGroupTable, kGroup, group.members[row], expected, sizeof expected);
        ASSERT_EQ(WideToSjis(ListRowText(List(chart), row).c_str()), std::string(expected)) << chart << " row " << row;
      }
      EXPECT_EQ(Count(List(chart), LB_GETTOPINDEX), chart == 0 ? top : 0) << chart;
      const int row = Count(List(chart), LB_GETCURSEL);
      EXPECT_TRUE(row >= 0 && group.members[row] == selected[chart]) << chart;
    }
    if (on) SaveWindowPicture(window_, L"group-list-row-inserted.bmp");
  }
  for (int i = 0; i < gStockTable->count; ++i) SetFlag(i, false);
  group = savedGroup;
  CurrentScreenPattern() = savedPattern;
  for (int chart = 0; chart < 3; ++chart) RefillChartLists(chart);
}

// The trend-line pop-up as it stood while open: item count and the states of
// 32890, 32891, 32904, 6000, 6001, then the item after the fixed ones: the
// tracker's sub-menu (MF_POPUP, greyed or not) or its id (0 for a separator).
std::vector<UINT> gMenuSeen;
const wchar_t* gMenuPicture = nullptr;

void CALLBACK ReadTrendLineMenuAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  const HMENU menu = TrendLinePopupMenu();
  SaveWindowPicture(FindWindowW(L"#32768", nullptr), gMenuPicture);  // the menu's own window
  gMenuSeen = {static_cast<UINT>(GetMenuItemCount(menu))};
  for (int command : {IDM_TLINE_MONITOR_DATE, IDM_TLINE_MONITOR_UPPER, IDM_TLINE_VALUE, IDM_TLINE_WATCH_FIRST,
                      IDM_TLINE_WATCH_FIRST + 1}) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND);
    gMenuSeen.push_back(state == static_cast<UINT>(-1) ? state : state & (MF_CHECKED | MF_GRAYED));
  }
  const bool tracker = GetSubMenu(menu, 18) == TrackerSubMenu();
  gMenuSeen.push_back(tracker ? MF_POPUP | (GetMenuState(menu, 18, MF_BYPOSITION) & MF_GRAYED)
                              : GetMenuItemID(menu, 18));
  EndMenu();
}

std::vector<UINT> OpenTrendLineMenu(HWND window, int pane, const wchar_t* picture) {
  gSelectedChart = 0;
  gSelectedPane = pane;
  gSelectedTrendLine = 1;
  gMenuSeen.clear();
  gMenuPicture = picture;
  SetTimer(nullptr, 0, 100, ReadTrendLineMenuAndClose);
  const POINT at = Centre(gChartContexts[0].panes[pane].plot);
  ShowTrendLinePopup(window, at.x, at.y);
  PumpFor(30);
  return gMenuSeen;
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMenu();
}

UINT Checked(HMENU menu, int command) {
  return GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_CHECKED;
}

// A press on the caption of chart 0's pane 0 opens the pane pop-up, which
// keeps its items once closed.
TEST_F(MainWindowInputTest, ThePanePopUpSwitchesTheCandleLinesAndTheOptionsMenuTheLineOptions) {
  SetTimer(nullptr, 0, 100, CloseMenu);
  const POINT at = Centre(gChartContexts[0].panes[0].captionRect);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  // The moves, the removal and a separator, then the candle lines checked by the flags.
  const HMENU menu = PanePopupMenu();
  wchar_t text[80] = L"";
  GetMenuStringW(menu, IDM_PANE_FLAG_FIRST + 12, text, 80, MF_BYCOMMAND);
  EXPECT_EQ(WideToSjis(text), "ボリンジャー±２σ");
  EXPECT_EQ(Row(GetMenuItemCount(menu), Checked(menu, IDM_PANE_FLAG_FIRST), Checked(menu, IDM_PANE_FLAG_FIRST + 12)),
            Row(21, MF_CHECKED, 0));
  // The line options are checked by their settings.
  gSettings.thickChartLines = gSettings.snapDraggedPrices = 1;
  UpdateMainMenuStates();
  for (const int command : {IDM_THICK_CHART_LINES, IDM_SNAP_ROUND_PRICES})
    EXPECT_EQ(Checked(GetMenu(window_), command), UINT{MF_CHECKED}) << command;
  gSettings.thickChartLines = gSettings.snapDraggedPrices = 0;
}

UINT Grayed(HMENU menu, int command) {
  return GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED;
}

TEST_F(MainWindowInputTest, DelAndCtrlZTakeAndBringBackTheMarkedLinesAndThePopUpFollowsTheLine) {
  ASSERT_TRUE(AllocTrendLineTables());
  const PeriodSeriesBlock& daily = gChartContexts[0].periods[0];
  const PackedDate last = daily.bars->bars[daily.bars->count - 1].date;
  gTrendLines->count = 4;
  for (int i = 0; i < 4; ++i) gTrendLines->lines[i] = NewTrendLine(Shown(0), last, 1000 + i, last, 1000 + i);
  for (int i : {0, 2, 3}) MarkTrendLine(i, 1);
  gUndoKind = kUndoNothing;
  UpdateMainMenuStates();
  const HMENU menu = GetMenu(window_);
  EXPECT_EQ(Row(Grayed(menu, IDM_UNDO), Grayed(menu, IDM_DELETE)), Row(UINT{MF_GRAYED}, 0u));
  Post(WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(Row(gTrendLines->count, gTrendLines->lines[0].value1, gUndoKind), Row(1, 1001, int{kUndoTrendLines}));
  EXPECT_EQ(Row(Grayed(menu, IDM_UNDO), Grayed(menu, IDM_DELETE)), Row(0u, UINT{MF_GRAYED}));
  // Ctrl+Z as the main loop translates it; Ctrl+T the same way, twice.
  const HACCEL keys = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDA_MAIN_ACCELERATORS));
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  for (WPARAM key : {'Z', 'T'}) {
    MSG msg = {window_, WM_KEYDOWN, key, 0, 0, {0, 0}};
    EXPECT_NE(TranslateAcceleratorW(window_, keys, &msg), 0) << key;
  }
  EXPECT_EQ(Row(gTrendLines->count, gTrendLines->markedCount, gTrendLines->lines[3].marked, gUndoKind),
            Row(4, 3, 1, int{kUndoNothing}));
  EXPECT_EQ(Row(gNewTrendLineMode, GetMenuState(menu, IDM_NEW_TREND_LINE, MF_BYCOMMAND) & MF_CHECKED),
            Row(true, UINT{MF_CHECKED}));
  Post(WM_COMMAND, IDM_NEW_TREND_LINE);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  EXPECT_FALSE(gNewTrendLineMode);

  // A vertical date line on the volume pane: the date kind checked, the limits
  // and the typed value greyed, one item per volume line, the first watched.
  TrendLine& line = gTrendLines->lines[1];
  line.paneKind = kPaneVolume;
  line.value2 = 2000;
  line.monitorKind = kMonitorDate;
  line.watchedLines = 1;
  EXPECT_EQ(OpenTrendLineMenu(window_, 1, L"trend-line-popup-volume.bmp"),
            (std::vector<UINT>{22, MF_CHECKED, MF_GRAYED, MF_GRAYED, MF_CHECKED, 0, 0}));
  // A horizontal line on the candle pane ends with the tracker's sub-menu, open to it.
  line.paneKind = kPaneCandles;
  line.value2 = line.value1;
  line.date1 = daily.bars->bars[0].date;
  line.monitorKind = kMonitorNone;
  EXPECT_EQ(OpenTrendLineMenu(window_, 0, L"trend-line-popup-candles.bmp"),
            (std::vector<UINT>{19, MF_GRAYED, 0, 0, static_cast<UINT>(-1), static_cast<UINT>(-1), MF_POPUP}));
  gTrendLines->count = gTrendLines->markedCount = 0;
  gSelectedTrendLine = -1;
}

}  // namespace
