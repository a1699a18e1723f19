#include "window/chart_popups_win.h"

#include <cstdio>

#include "analysis/group_store.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "window/window_hooks.h"
#include "records/settings_block.h"

namespace {

struct PopupMenus {
  HMENU chart, groupList, groupListSort, groupListGroups, pane, trendLine, trendLineSteps, memo, caption, captionGroups,
      pattern, spare;
};
PopupMenus gPopups = {};
HMENU gLoadedMenus[8] = {};

constexpr int kFullHistoryPosition = 2;

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
  gPopups.trendLineSteps = gPopups.trendLine != nullptr ? GetSubMenu(gPopups.trendLine, 18) : nullptr;
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
  for (HMENU& menu : gLoadedMenus) {
    if (menu != nullptr) DestroyMenu(menu);
    menu = nullptr;
  }
  gPopups = {};
}

HMENU ChartPopupMenu() { return gPopups.chart; }
HMENU CaptionPopupMenu() { return gPopups.caption; }
HMENU TrackerSubMenu() { return gPopups.trendLineSteps; }

void ShowChartPopup(HWND owner, int x, int y) { TrackAtClientPoint(gPopups.chart, owner, x, y, TPM_RIGHTBUTTON); }

void ShowPanePopup(HWND owner, int x, int y) { TrackAtClientPoint(gPopups.pane, owner, x, y, TPM_LEFTBUTTON); }

void ShowCaptionPopup(HWND owner, int x, int y) {
  UpdateGroupMembershipChecks();
  TrackAtClientPoint(gPopups.caption, owner, x, y, TPM_LEFTBUTTON);
}

void ShowTrendLinePopup(HWND owner, int x, int y) {
  TrackAtClientPoint(gPopups.trendLine, owner, x, y, TPM_RIGHTBUTTON);
}

bool ShowMemoPopup(HWND, int, int) { return false; }

void ShowGroupListPopup(HWND owner, POINT screen) { Track(gPopups.groupList, owner, screen, TPM_RIGHTBUTTON); }

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
