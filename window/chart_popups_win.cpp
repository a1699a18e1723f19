#include "window/chart_popups_win.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/group_store.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_selection.h"
#include "chart/pane_line_menu.h"
#include "chart/memo_hooks.h"
#include "chart/screen_pattern.h"
#include "chart/trend_line_menu.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "window/window_hooks.h"
#include "window/group_commands_win.h"
#include "records/settings_block.h"
#include "window/tracker_dialog_win.h"
#include "common/app_globals.h"

namespace {

struct PopupMenus {
  HMENU chart, groupList, groupListSort, groupListGroups, pane, trendLine, trendLineSteps, memo, caption, captionGroups,
      pattern, spare;
};
PopupMenus gPopups = {};
HMENU gLoadedMenus[8] = {};

// The trend-line pop-up's fixed items; its tail follows the pane.
constexpr int kTrendLineFixedItems = 18;
// The tail may leave the tracker's sub-menu out; it is then ours to destroy.
bool gTrackerSubMenuAttached = false;
std::wstring gTrackerSubMenuText;

constexpr int kFullHistoryPosition = 2;

// The pane pop-up's moves and removal; the line switches follow them.
constexpr int kPaneFixedItems = 6;

HMENU LoadFirstSubMenu(int id, int slot) {
  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  gLoadedMenus[slot] = menu;
  return menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
}

void SetItemText(HMENU menu, UINT command, const char* sjis) {
  std::wstring wide = SjisToWide(sjis);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = wide.data();
  SetMenuItemInfoW(menu, command, FALSE, &item);
}

// A separator, then the full-history fetch of the broker link.
void InsertFullHistoryItem(HMENU menu) {
  if (menu == nullptr) return;
  InsertMenuW(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuW(menu, kFullHistoryPosition, MF_BYPOSITION | MF_STRING, IDM_FULL_HISTORY_TS,
              SjisToWide("この銘柄の全過去株価を取得(TS)").c_str());
}

void RemoveItemsByPosition(HMENU menu, int from, int to) {
  if (menu == nullptr) return;
  for (int position = to; position >= from; --position) RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

// One item per group, command first + n.
void FillGroupMenu(HMENU menu, int first) {
  if (menu == nullptr) return;
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  for (int g = 0; g < kGroupCount; ++g) {
    // Long menus break into columns instead of running off the screen.
    const UINT breakFlag = g > 0 && g % 31 == 0 ? MF_MENUBARBREAK : 0;
    AppendMenuW(menu, MF_STRING | breakFlag, static_cast<UINT_PTR>(first + g), SjisToWide(GetGroupName(g)).c_str());
  }
}

void CheckCommand(HMENU menu, int command, bool checked) {
  CheckMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void EnableCommand(HMENU menu, int command, bool enabled) {
  EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckTrendLineItems(HMENU menu, const TrendLine& line) {
  const TrendLineMenuState state = TrendLineMenuStateOf(line);
  CheckCommand(menu, IDM_TLINE_LOCK, state.lockChecked);
  for (int command : {IDM_TLINE_MONITOR_UPPER, IDM_TLINE_MONITOR_LOWER, IDM_TLINE_MONITOR_DATE, IDM_TLINE_MONITOR_NONE})
    CheckCommand(menu, command, command == state.monitorCommand);
  CheckCommand(menu, IDM_TLINE_NOTICE, state.noticeChecked);
  EnableCommand(menu, IDM_TLINE_NOTICE, state.noticeEnabled);
  EnableCommand(menu, IDM_TLINE_MONITOR_DATE, state.dateEnabled);
  EnableCommand(menu, IDM_TLINE_MONITOR_UPPER, state.limitsEnabled);
  EnableCommand(menu, IDM_TLINE_MONITOR_LOWER, state.limitsEnabled);
  EnableCommand(menu, IDM_TLINE_VALUE, state.valueEnabled);
}

// The pane the line was picked on; the line's own kind when none is selected.
int PickedPaneKind(const TrendLine& line, int chart, int pane) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  if (chart < 0 || chart >= pattern.chartCount) return line.paneKind;
  const ChartView& view = pattern.views[chart];
  const bool shown = pane >= 0 && pane < std::min(view.paneCount, kMaxPanesPerChart);
  return shown ? static_cast<int>(view.paneKinds[pane]) : line.paneKind;
}

// After the fixed items: the tracker's sub-menu (greyed when the line takes
// no part), nothing, or one item per line of the pane, checked when watched.
void AppendTrendLineTargetItems(HMENU menu, int lineIndex, int paneKind) {
  while (GetMenuItemCount(menu) > kTrendLineFixedItems) RemoveMenu(menu, kTrendLineFixedItems, MF_BYPOSITION);
  gTrackerSubMenuAttached = false;
  const TrendLine& line = gTrendLines->lines[lineIndex];
  switch (TrendLineMenuTailOf(paneKind)) {
    case TrendLineMenuTail::kTracker: {
      const HMENU tracker = gPopups.trendLineSteps;
      if (tracker == nullptr) break;
      const bool allowed = PreparePellomaticSubMenu(tracker, lineIndex);
      AppendMenuW(menu, MF_POPUP | (allowed ? MF_ENABLED : MF_GRAYED), reinterpret_cast<UINT_PTR>(tracker),
                  gTrackerSubMenuText.c_str());
      gTrackerSubMenuAttached = true;
      break;
    }
    case TrendLineMenuTail::kNothing: break;
    case TrendLineMenuTail::kWatchedLines:
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      for (int n = 0; n < WatchedLineItemCount(paneKind); ++n) {
        const UINT checked = (line.watchedLines & (1u << n)) != 0 ? MF_CHECKED : MF_UNCHECKED;
        AppendMenuW(menu, MF_STRING | checked, static_cast<UINT_PTR>(IDM_TLINE_WATCH_FIRST + n),
                    SjisToWide(WatchedLineItemText(paneKind, n)).c_str());
      }
      break;
  }
}

// After the fixed items: a separator and the pane's line switches, when it has any.
void AppendPaneLineItems(HMENU menu, const PaneLineItems& items) {
  while (GetMenuItemCount(menu) > kPaneFixedItems) RemoveMenu(menu, kPaneFixedItems, MF_BYPOSITION);
  if (items.count > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (int k = 0; k < items.count; ++k) {
    const PaneLineItem& item = items.items[k];
    AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED),
                static_cast<UINT_PTR>(IDM_PANE_FLAG_FIRST + item.bit), SjisToWide(item.text).c_str());
  }
}

// The memo under a point of any pane of any chart; -1 when none.
int MemoAtPoint(int x, int y) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  for (int chart = 0; chart < pattern.chartCount; ++chart) {
    for (int pane = 0; pane < std::min(pattern.views[chart].paneCount, kMaxPanesPerChart); ++pane) {
      MemoPart part = kMemoBox;
      const int memo = HitTestMemoAt(chart, pane, x, y, &part);
      if (memo >= 0) return memo;
    }
  }
  return -1;
}

void CheckMemoItems(HMENU menu, int memo) {
  MemoPopupState state{};
  if (gMemoHooks.popupState == nullptr || !gMemoHooks.popupState(memo, &state)) return;
  CheckCommand(menu, IDM_MEMO_ARROW, state.arrowShown);
  CheckCommand(menu, IDM_MEMO_FONT_DEFAULT, !state.customSize);
  for (int k = 0; k <= IDM_MEMO_FONT_CUSTOM_3 - IDM_MEMO_FONT_CUSTOM_1; ++k)
    CheckCommand(menu, IDM_MEMO_FONT_CUSTOM_1 + k, state.customSize && state.sizeIndex == k);
}

void Track(HMENU menu, HWND owner, POINT screen, UINT button) {
  if (menu == nullptr) return;
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | button, screen.x, screen.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
}

void TrackAtClientPoint(HMENU menu, HWND owner, int x, int y, UINT button) {
  POINT point = {x, y};
  ClientToScreen(owner, &point);
  Track(menu, owner, point, button);
}

int SelectedChartStock(StockCode* code) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  if (gSelectedChart < 0 || gSelectedChart >= pattern.chartCount) return 0;
  *code = pattern.views[gSelectedChart].stockCode;
  return 1;
}

void PreparePatternMenu(int n) {
  char text[160];
  snprintf(text, sizeof text, "画面パターン名【%.31s】を変更する...", gScreenPatterns[n].name);
  SetItemText(gPopups.pattern, IDM_RENAME_PATTERN, text);
  for (int k = 0; k < kScreenPatternCount; ++k) {
    snprintf(text, sizeof text, "【%.31s】の画面設定を【%.31s】へコピーする", gScreenPatterns[n].name,
             gScreenPatterns[k].name);
    const UINT command = static_cast<UINT>(IDM_COPY_PATTERN_FIRST + k);
    SetItemText(gPopups.pattern, command, text);
    EnableMenuItem(gPopups.pattern, command, MF_BYCOMMAND | (k == n ? MF_GRAYED : MF_ENABLED));
  }
}

}  // namespace

void LoadChartPopupMenus() {
  gPopups.chart = LoadFirstSubMenu(IDM_CHART_POPUP, 0);
  gPopups.groupList = LoadFirstSubMenu(IDM_GROUP_LIST_POPUP, 1);
  gPopups.groupListSort = gPopups.groupList != nullptr ? GetSubMenu(gPopups.groupList, 2) : nullptr;
  gPopups.groupListGroups = gPopups.groupList != nullptr ? GetSubMenu(gPopups.groupList, 6) : nullptr;
  gPopups.pane = LoadFirstSubMenu(IDM_PANE_POPUP, 2);
  gPopups.trendLine = LoadFirstSubMenu(IDM_TREND_LINE_POPUP, 3);
  gPopups.trendLineSteps = gPopups.trendLine != nullptr ? GetSubMenu(gPopups.trendLine, kTrendLineFixedItems) : nullptr;
  gTrackerSubMenuAttached = gPopups.trendLineSteps != nullptr;
  if (gTrackerSubMenuAttached) {
    wchar_t text[64] = L"";
    GetMenuStringW(gPopups.trendLine, kTrendLineFixedItems, text, 64, MF_BYPOSITION);
    gTrackerSubMenuText = text;
  }
  gPopups.memo = LoadFirstSubMenu(IDM_MEMO_POPUP, 4);
  gPopups.caption = LoadFirstSubMenu(IDM_CAPTION_POPUP, 5);
  gPopups.captionGroups = gPopups.caption != nullptr ? GetSubMenu(gPopups.caption, 3) : nullptr;
  gPopups.pattern = LoadFirstSubMenu(IDM_PATTERN_POPUP, 6);
  gPopups.spare = LoadFirstSubMenu(IDM_SPARE_POPUP, 7);
  // The order-window items belong to another edition of the program.
  RemoveItemsByPosition(gPopups.chart, 8, 9);
  RemoveItemsByPosition(gPopups.caption, 5, 12);
  InsertFullHistoryItem(gPopups.chart);
  InsertFullHistoryItem(gPopups.caption);
  RebuildGroupMenus();
}

void DestroyChartPopupMenus() {
  if (!gTrackerSubMenuAttached && gPopups.trendLineSteps != nullptr) DestroyMenu(gPopups.trendLineSteps);
  gTrackerSubMenuAttached = false;
  for (HMENU& menu : gLoadedMenus) {
    if (menu != nullptr) DestroyMenu(menu);
    menu = nullptr;
  }
  gPopups = {};
}

HMENU ChartPopupMenu() { return gPopups.chart; }
HMENU CaptionPopupMenu() { return gPopups.caption; }
HMENU GroupListPopupMenu() { return gPopups.groupList; }
HMENU TrackerSubMenu() { return gPopups.trendLineSteps; }

void ShowChartPopup(HWND owner, int x, int y) { TrackAtClientPoint(gPopups.chart, owner, x, y, TPM_RIGHTBUTTON); }

void ShowPanePopup(HWND owner, int x, int y) {
  PreparePanePopupMenu(gSelectedChart, gSelectedPane);
  TrackAtClientPoint(gPopups.pane, owner, x, y, TPM_LEFTBUTTON);
}

HMENU PanePopupMenu() { return gPopups.pane; }

void PreparePanePopupMenu(int chart, int pane) {
  if (gPopups.pane == nullptr) return;
  PaneLineItems items{};
  const ScreenPattern& pattern = CurrentScreenPattern();
  if (chart >= 0 && chart < pattern.chartCount) {
    const ChartView& view = pattern.views[chart];
    if (pane >= 0 && pane < std::min(view.paneCount, kMaxPanesPerChart)) {
      // The periods the chart's lines were computed with, as its captions show them.
      const int period = GetViewPeriod(view);
      BuildPaneLineItems(static_cast<int>(view.paneKinds[pane]), period, view.paneFlags[pane],
                         gChartContexts[chart].periods[period].params, &items);
    }
  }
  AppendPaneLineItems(gPopups.pane, items);
}

void ShowCaptionPopup(HWND owner, int x, int y) {
  UpdateGroupMembershipChecks();
  TrackAtClientPoint(gPopups.caption, owner, x, y, TPM_LEFTBUTTON);
}

HMENU TrendLinePopupMenu() { return gPopups.trendLine; }

void PrepareTrendLinePopupMenu(int line, int chart, int pane) {
  if (gPopups.trendLine == nullptr || !IsTrendLineIndex(line)) return;
  gSelectedTrendLine = line;
  const TrendLine& record = gTrendLines->lines[line];
  CheckTrendLineItems(gPopups.trendLine, record);
  AppendTrendLineTargetItems(gPopups.trendLine, line, PickedPaneKind(record, chart, pane));
}

void ShowTrendLinePopup(HWND owner, int x, int y) {
  if (!IsTrendLineIndex(gSelectedTrendLine)) return;
  PrepareTrendLinePopupMenu(gSelectedTrendLine, gSelectedChart, gSelectedPane);
  TrackAtClientPoint(gPopups.trendLine, owner, x, y, TPM_RIGHTBUTTON);
}

bool ShowMemoPopup(HWND owner, int x, int y) {
  const int memo = MemoAtPoint(x, y);
  if (memo < 0 || gPopups.memo == nullptr) return false;
  CheckMemoItems(gPopups.memo, memo);
  TrackAtClientPoint(gPopups.memo, owner, x, y, TPM_RIGHTBUTTON);
  return true;
}

void ShowGroupListPopup(HWND owner, POINT screen) {
  UpdateGroupMenuItems(gPopups.groupList);
  Track(gPopups.groupList, owner, screen, TPM_RIGHTBUTTON);
}

void ShowPatternPopup(HWND owner, int n, POINT screen) {
  if (n < 0 || n >= kScreenPatternCount || gPopups.pattern == nullptr) return;
  RunMainCommand(owner, IDM_PATTERN_FIRST + n);
  gPatternMenuSource = n;
  PreparePatternMenu(n);
  Track(gPopups.pattern, owner, screen, TPM_RIGHTBUTTON);
}

void RebuildGroupMenus() {
  FillGroupMenu(gPopups.groupListGroups, IDM_LIST_TO_GROUP_FIRST);
  FillGroupMenu(gPopups.captionGroups, IDM_CHART_TO_GROUP_FIRST);
  FillSortItemMenu(gPopups.groupListSort);
  const HWND main = static_cast<HWND>(gMainWnd);
  if (main != nullptr) FillSortItemMenu(FindSubMenuWithCommand(GetMenu(main), IDM_SORT_ITEM_FIRST));
}

void UpdateGroupMembershipChecks() {
  if (gPopups.captionGroups == nullptr) return;
  StockCode code = 0;
  const bool haveStock = SelectedChartStock(&code) != 0;
  for (int g = 0; g < kGroupCount; ++g) {
    const bool member = haveStock && gGroupTable != nullptr && FindCodeInGroup(*gGroupTable, g, code) >= 0;
    const UINT command = static_cast<UINT>(IDM_CHART_TO_GROUP_FIRST + g);
    CheckMenuItem(gPopups.captionGroups, command, MF_BYCOMMAND | (member ? MF_CHECKED : MF_UNCHECKED));
    EnableMenuItem(gPopups.captionGroups, command, MF_BYCOMMAND | (gTimeBackMode != 0 ? MF_GRAYED : MF_ENABLED));
  }
}
