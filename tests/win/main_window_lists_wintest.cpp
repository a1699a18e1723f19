// The group combo boxes and stock lists of the main window, the chart and
// pane commands of the toolbar and menus, the splitter and margin drags, the
// pop-up menus as loaded, tooltips and the window-size items.

#include "window/chart_windows.h"
#include "tests/win/main_window_fixture.h"

#include <commctrl.h>

#include <cstring>

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

std::wstring ListRowText(HWND list, int row) {
  wchar_t text[256] = L"";
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return text;
}

// What a user's click on a row or an entry sends the main window.
void PostSelectionChange(HWND window, HWND control, int childId) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(childId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
  PumpFor(80);
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

TEST_F(MainWindowListsTest, EachChartHasTheGroupNamesAndItsGroupsMembersWithItsStockSelected) {
  ASSERT_NE(gGroupTable, nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Count(Combo(i), CB_GETCOUNT), 124) << i;
    EXPECT_EQ(Count(Combo(i), CB_GETCURSEL), 0) << i;
  }
  const GroupRecord& all = gGroupTable->groups[0];
  EXPECT_EQ(all.memberCount, gStockTable->count) << "every stock, indices included";
  EXPECT_EQ(Count(List(0), LB_GETCOUNT), all.memberCount);
  const int row = Count(List(0), LB_GETCURSEL);
  ASSERT_GE(row, 0);
  EXPECT_EQ(all.members[row], CurrentScreenPattern().views[0].stockCode);
  EXPECT_EQ(ListRowText(List(0), row).substr(0, 5), CodeText(all.members[row]) + L":");
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-lists.bmp");
}

TEST_F(MainWindowListsTest, AClickOnAListRowShowsThatStockAndAnotherGroupRefillsTheList) {
  const GroupRecord& all = gGroupTable->groups[0];
  SendMessageW(List(1), LB_SETCURSEL, 9, 0);
  PostSelectionChange(window_, List(1), IDC_STOCK_LIST + 4);
  EXPECT_EQ(CurrentScreenPattern().views[1].stockCode, all.members[9]);
  EXPECT_EQ(gChartContexts[1].periods[0].bars->code, all.members[9]) << "loaded";
  EXPECT_EQ(gSelectedChart, 1);

  // Group 8 holds the indices only.
  SendMessageW(Combo(1), CB_SETCURSEL, 8, 0);
  PostSelectionChange(window_, Combo(1), IDC_GROUP_COMBO + 4);
  EXPECT_EQ(CurrentScreenPattern().views[1].groupIndex, 8);
  EXPECT_EQ(Count(List(1), LB_GETCOUNT), gGroupTable->groups[8].memberCount);
  EXPECT_GT(gGroupTable->groups[8].memberCount, 0);
  EXPECT_LT(gGroupTable->groups[8].memberCount, all.memberCount);

  SendMessageW(Combo(1), CB_SETCURSEL, 0, 0);
  PostSelectionChange(window_, Combo(1), IDC_GROUP_COMBO + 4);
  EXPECT_EQ(Count(List(1), LB_GETCOUNT), all.memberCount);
}

TEST_F(MainWindowListsTest, DownAndUpStepThroughTheSelectedChartsList) {
  const GroupRecord& all = gGroupTable->groups[0];
  SendMessageW(List(0), LB_SETCURSEL, 3, 0);
  PostSelectionChange(window_, List(0), IDC_STOCK_LIST);
  SetFocus(window_);
  Post(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, all.members[4]);
  EXPECT_EQ(Count(List(0), LB_GETCURSEL), 4);
  Post(WM_KEYDOWN, VK_UP);
  Post(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(CurrentScreenPattern().views[0].stockCode, all.members[2]);
}

TEST_F(MainWindowListsTest, ToolbarPaneButtonsShowAndHideAPaneOfTheSelectedChart) {
  gSelectedChart = 0;
  gSelectedPane = 1;
  const int panes = CurrentScreenPattern().views[0].paneCount;
  Post(WM_COMMAND, IDM_PANE_VOLUME + 1);  // RSI
  EXPECT_EQ(CurrentScreenPattern().views[0].paneCount, panes + 1);
  EXPECT_EQ(CurrentScreenPattern().views[0].paneKinds[2], uint32_t{kPaneRsi});
  EXPECT_TRUE(SendMessageW(gToolbarWnd, TB_ISBUTTONCHECKED, IDM_PANE_VOLUME + 1, 0));
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-rsi-added.bmp");
  Post(WM_COMMAND, IDM_PANE_VOLUME + 1);
  EXPECT_EQ(CurrentScreenPattern().views[0].paneCount, panes);
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
  EXPECT_EQ(pattern.views[0].groupIndex, 8);
  EXPECT_EQ(Count(Combo(0), CB_GETCURSEL), 8);
  ASSERT_EQ(Count(List(0), LB_GETCOUNT), gGroupTable->groups[8].memberCount);
  SendMessageW(List(0), LB_SETCURSEL, 0, 0);
  PostSelectionChange(window_, List(0), IDC_STOCK_LIST);
  EXPECT_EQ(pattern.views[0].stockCode, gGroupTable->groups[8].members[0]) << "the row names the stock shown";

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
  EXPECT_FALSE(IsWindowVisible(Combo(0)));
  EXPECT_FALSE(IsWindowVisible(List(0)));
  Post(WM_COMMAND, IDM_GROUP_LIST);
  EXPECT_EQ(gChartContexts[0].geometry.chart.left, left);
  EXPECT_TRUE(IsWindowVisible(List(0)));
}

TEST_F(MainWindowListsTest, TheGroupSplitterAndARightMarginFollowTheMouse) {
  const Rect splitter = CurrentMainWindowLayout().groupListSplitter;
  ASSERT_LT(splitter.left, splitter.right);
  const int width = gGroupListWidth;
  const int y = (splitter.top + splitter.bottom) / 2;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Point(splitter.left + 1, y));
  EXPECT_EQ(gDragMode, kDragGroupSplitter);
  Post(WM_MOUSEMOVE, MK_LBUTTON, Point(width + 60, y));
  Post(WM_LBUTTONUP, 0, Point(width + 60, y));
  EXPECT_EQ(Row(gDragMode, gGroupListWidth), Row(kDragNone, width + 60));
  EXPECT_EQ(CurrentMainWindowLayout().groupListSplitter.left, width + 60);
  gGroupListWidth = width;
  SendMessageW(window_, WM_SIZE, 0, 0);

  const Rect handle = gChartContexts[0].geometry.marginHandle;
  const int margin = CurrentScreenPattern().views[0].rightMargin;
  const int hy = (handle.top + handle.bottom) / 2;
  Post(WM_LBUTTONDOWN, MK_LBUTTON, Point(handle.left + 2, hy));
  EXPECT_EQ(gDragMode, kDragRightMargin);
  Post(WM_MOUSEMOVE, MK_LBUTTON, Point(handle.left - 18, hy));
  Post(WM_LBUTTONUP, 0, Point(handle.left - 18, hy));
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
  info.hdr.hwndFrom = gToolbarWnd;
  info.hdr.idFrom = IDM_PANE_VOLUME;
  info.hdr.code = TTN_GETDISPINFOW;
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

}  // namespace

namespace {

TEST_F(MainWindowListsTest, AChartFontChangeRenewsTheSearchBoxAndTheListRows) {
  const HWND box = GetDlgItem(window_, kSearchBoxId);
  ASSERT_NE(box, nullptr);
  const SettingsBlockP2 saved = gSettingsP2;
  strcpy(gSettingsP2.chartLogFont.faceName, "Tahoma");
  ResetChartFont();  // back to the default face: the font is applied everywhere
  PumpFor(60);
  const HWND renewed = GetDlgItem(window_, kSearchBoxId);
  ASSERT_NE(renewed, nullptr);
  EXPECT_NE(renewed, box) << "made again in the new font";
  EXPECT_EQ(SendMessageW(renewed, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(gChartLargeFont));
  EXPECT_EQ(SendMessageW(List(0), LB_GETITEMHEIGHT, 0, 0), ListRowHeight());
  EXPECT_EQ(SendMessageW(List(0), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(gChartFixedFont));
  EXPECT_EQ(Count(List(0), LB_GETCOUNT), gGroupTable->groups[0].memberCount);

  // Typing still opens the (new) search box over the selected chart.
  gSelectedChart = 0;
  Post(WM_CHAR, L'7');
  EXPECT_TRUE(IsWindowVisible(renewed));
  Post(WM_KEYDOWN, VK_ESCAPE);
  HideSearchBox();
  gSettingsP2 = saved;
}

}  // namespace

namespace {

POINT Centre(const Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST_F(MainWindowListsTest, AStockLinkSharesTheUpperChartsListsWithTheChartBelow) {
  ScreenPattern& pattern = CurrentScreenPattern();
  ASSERT_EQ(pattern.views[0].stockLink, 0);
  const int listBottom = CurrentMainWindowLayout().lists[0].area.bottom;
  const POINT button = Centre(gChartContexts[0].geometry.stockLinkBottom);
  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
  ASSERT_EQ(pattern.views[0].stockLink, 1);
  EXPECT_EQ(pattern.views[1].stockCode, pattern.views[0].stockCode) << "the pressed chart's stock went across";
  EXPECT_FALSE(IsWindowVisible(Combo(1)));
  EXPECT_FALSE(IsWindowVisible(List(1)));
  EXPECT_GT(CurrentMainWindowLayout().lists[0].area.bottom, listBottom) << "the upper list runs over both charts";
  SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-stock-link.bmp");

  // A row picked in the shared list shows in both charts.
  SendMessageW(List(0), LB_SETCURSEL, 6, 0);
  PostSelectionChange(window_, List(0), IDC_STOCK_LIST);
  EXPECT_EQ(pattern.views[0].stockCode, gGroupTable->groups[0].members[6]);
  EXPECT_EQ(pattern.views[1].stockCode, gGroupTable->groups[0].members[6]);

  Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
  Post(WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
  EXPECT_EQ(pattern.views[0].stockLink, 0);
  EXPECT_TRUE(IsWindowVisible(List(1)));
}

}  // namespace

namespace {

TEST_F(MainWindowListsTest, RefreshingTheListsReadsEachComboBoxAndRefillsItsList) {
  ScreenPattern& pattern = CurrentScreenPattern();
  SendMessageW(Combo(2), CB_SETCURSEL, 8, 0);  // no notification: only the refresh reads it
  RefreshChartStockLists();
  EXPECT_EQ(pattern.views[2].groupIndex, 8);
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), gGroupTable->groups[8].memberCount);
  SendMessageW(Combo(2), CB_SETCURSEL, 0, 0);
  RefreshChartStockLists();
  EXPECT_EQ(Count(List(2), LB_GETCOUNT), gGroupTable->groups[0].memberCount);
}

}  // namespace
