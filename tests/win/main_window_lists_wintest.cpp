// The group combo boxes and stock lists of the main window, the chart and
// pane commands of the toolbar and menus, the splitter and margin drags, the
// pop-up menus as loaded, tooltips and the window-size items.

#include "tests/win/main_window_fixture.h"

#include <commctrl.h>

#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/drag_modes.h"
#include "window/main_window_controls_win.h"
#include "chart/gdi_objects_win.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"

namespace {

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

TEST_F(MainWindowListsTest, AClickOnAListRowShowsThatStockAndAnotherGroupRefillsTheList) {
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
}

TEST_F(MainWindowListsTest, DownAndUpStepThroughTheSelectedChartsList) {
  PickRow(0, 3);
  SetFocus(window_);
  Post(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(Shown(0), Member(0, 4));
  EXPECT_EQ(Count(List(0), LB_GETCURSEL), 4);
  Post(WM_KEYDOWN, VK_UP);
  Post(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(Shown(0), Member(0, 2));
}

TEST_F(MainWindowListsTest, ToolbarPaneButtonsShowAndHideAPaneOfTheSelectedChart) {
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
}

TEST_F(MainWindowListsTest, RemovingAChartLeavesEveryListShowingItsOwnGroup) {
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

TEST_F(MainWindowListsTest, CtrlGHidesTheGroupListAndGivesItsWidthToTheCharts) {
  ASSERT_NE(gShowGroupList, 0);
  const int left = gChartContexts[0].geometry.chart.left;
  Post(WM_COMMAND, IDM_GROUP_LIST);
  EXPECT_EQ(gShowGroupList, 0);
  EXPECT_LT(gChartContexts[0].geometry.chart.left, left);
  EXPECT_FALSE(IsWindowVisible(Combo(0)) || IsWindowVisible(List(0)));
  Post(WM_COMMAND, IDM_GROUP_LIST);
  EXPECT_EQ(gChartContexts[0].geometry.chart.left, left);
  EXPECT_TRUE(IsWindowVisible(List(0)));
}

TEST_F(MainWindowListsTest, TheGroupSplitterAndARightMarginFollowTheMouse) {
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

TEST_F(MainWindowListsTest, PopUpMenusAreLoadedTrimmedAndCarryTheGroupNames) {
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
}

TEST_F(MainWindowListsTest, ToolbarTooltipsAreTheMenuTextsWithoutTheirKeys) {
  NMTTDISPINFOW info{};
  info.hdr = {static_cast<HWND>(gToolbarWnd), IDM_PANE_VOLUME, TTN_GETDISPINFOW};
  SendMessageW(window_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_EQ(WideToSjis(info.lpszText), std::string("出来高"));
}

TEST_F(MainWindowListsTest, TheSystemMenuSizesTheWindow) {
  Post(WM_SYSCOMMAND, IDM_WINDOW_1024);
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

TEST_F(MainWindowListsTest, AStockLinkSharesTheUpperChartsListsWithTheChartBelow) {
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
}

TEST_F(MainWindowListsTest, RefreshingTheListsReadsEachComboBoxAndRefillsItsList) {
  SendMessageW(Combo(2), CB_SETCURSEL, 8, 0);  // no notification: only the refresh reads it
  RefreshChartStockLists();
  EXPECT_EQ(CurrentScreenPattern().views[2].groupIndex, 8);
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), Members(8));
  SendMessageW(Combo(2), CB_SETCURSEL, 0, 0);
  RefreshChartStockLists();
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), Members(0));
}

}  // namespace
