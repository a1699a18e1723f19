#include "window/main_menu_win.h"

#include <windows.h>

#include <cstdio>

#include "analysis/trend_line_store.h"
#include "chart/chart_editing.h"
#include "chart/gdi_rules.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "chart/trend_line_mouse.h"
#include "window/chart_popups_win.h"
#include "window/group_commands_win.h"
#include "chart/chart_scroll.h"
#include "chart/chart_selection.h"
#include "window/main_window_controls_win.h"
#include "chart/screen_pattern.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

namespace {

HMENU MainMenu() {
  const HWND main = static_cast<HWND>(gMainWnd);
  return main != nullptr ? GetMenu(main) : nullptr;
}

void CheckItem(HMENU menu, int command, bool checked) {
  CheckMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// The period and width items of the selected chart; nothing checked without one.
void CheckSelectedChartItems(HMENU menu) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  const bool selected = gSelectedChart >= 0 && gSelectedChart < pattern.chartCount;
  const ChartView* view = selected ? &pattern.views[gSelectedChart] : nullptr;
  for (int period = 0; period < 3; ++period) {
    CheckItem(menu, IDM_PERIOD_DAILY + period, view != nullptr && view->period == period);
  }
  CheckItem(menu, IDM_BAR_WIDTH_1, view != nullptr && view->barWidth == 1);
  for (int command = IDM_BAR_WIDTH_2; command <= IDM_BAR_WIDTH_10; ++command) {
    CheckItem(menu, command, view != nullptr && view->barWidth == BarWidthForCommand(command, 0));
  }
}

constexpr int kDisplaySwitchCommands[] = {
    IDM_GROUP_LIST,          IDM_GUIDE_LINE,        IDM_SPLIT_ADJUSTED,    IDM_WEEK_SEPARATORS,
    IDM_TICK_GRID,           IDM_FULL_LINE_RANGE,   IDM_AVERAGE_LINE,      IDM_AVERAGE_LINE_VALUES,
    IDM_CLOSING_LINE_PROFIT, IDM_THICK_CHART_LINES, IDM_SNAP_ROUND_PRICES,
};

void EnableItem(HMENU menu, int command, bool enabled) {
  EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// Pane kinds shown in the selected chart; charts that may be added or removed.
void CheckPaneAndChartItems(HMENU menu) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  const bool selected = gSelectedChart >= 0 && gSelectedChart < pattern.chartCount;
  for (int command = IDM_PANE_VOLUME; command <= IDM_PANE_ADVANCE_DECLINE; ++command) {
    const int kind = PaneKindOfCommand(command);
    if (kind < 0) continue;
    CheckItem(menu, command, FindPaneByKind(kind) >= 0);
    EnableItem(menu, command, selected);
  }
  EnableItem(menu, IDM_ADD_CHART, pattern.chartCount < kMaxChartsPerPattern);
  EnableItem(menu, IDM_REMOVE_CHART, selected && pattern.chartCount >= 2);
}

// Items whose features this program does not have yet stay grayed.
constexpr int kUnavailableCommands[] = {IDM_OPEN_FILE, IDM_FULL_HISTORY_TS};

// Delete needs something selected, undo a deletion to undo, a new memo a pane.
void CheckEditItems(HMENU menu) {
  const bool linesMarked = gTrendLines != nullptr && gTrendLines->markedCount > 0;
  EnableItem(menu, IDM_DELETE, linesMarked || IsAnyMemoSelected());
  EnableItem(menu, IDM_UNDO, gUndoKind != kUndoNothing);
  EnableItem(menu, IDM_NEW_MEMO, CanAddMemo());
  CheckItem(menu, IDM_NEW_TREND_LINE, gNewTrendLineMode);
}

// The chooser and the move/copy dialog: a time-back table is thrown away on leaving.
void GrayTimeBackDialogs(HMENU menu) {
  for (int command : {IDM_CHOOSE_SIGNAL_FILE, IDM_GROUP_MOVE_COPY}) EnableItem(menu, command, gTimeBackMode == 0);
}

// The repairs that store series: those of the mode are cut at its day. The gap report only reads.
void GrayTimeBackRepairs(HMENU menu) {
  for (int command :
       {IDM_REMOVE_FUTURE_BARS, IDM_DELETE_BARS_AT_DATE, IDM_RESTORE_PRICE_BACKUP, IDM_APPLY_STOCK_MASTER})
    EnableItem(menu, command, gTimeBackMode == 0);
}

// Editing needs a selected memo; going back to the default face needs a face.
void CheckMemoItems(HMENU menu) {
  EnableItem(menu, IDM_MEMO_EDIT, IsAnyMemoSelected());
  EnableItem(menu, IDM_MEMO_FONT_RESET, HasFaceName(gMemoLogFont));
}

void RefreshMenu(HMENU menu) {
  for (int command : kUnavailableCommands) EnableItem(menu, command, false);
  for (int n = 0; n < kScreenPatternCount; ++n) CheckItem(menu, IDM_PATTERN_FIRST + n, n == gCurrentPattern);
  CheckSelectedChartItems(menu);
  CheckPaneAndChartItems(menu);
  CheckEditItems(menu);
  GrayTimeBackDialogs(menu);
  GrayTimeBackRepairs(menu);
  CheckMemoItems(menu);
  for (int command : kDisplaySwitchCommands) CheckItem(menu, command, IsDisplaySwitchOn(command));
  CheckItem(menu, IDM_DETAIL_LIST, gShowDetailList != 0);
  CheckItem(menu, IDM_DETAIL_WINDOW, gShowDetailWindow != 0);
  UpdateGroupMenuItems(menu);
  CheckItem(menu, IDM_TIME_BACK, gTimeBackMode != 0);
}

}  // namespace

void UpdatePatternMenuTexts() {
  const HMENU menu = MainMenu();
  if (menu == nullptr) return;
  for (int n = 0; n < kScreenPatternCount; ++n) {
    char text[64];
    snprintf(text, sizeof text, "%.31s\tF%d", gScreenPatterns[n].name, n + 1);
    std::wstring wide = SjisToWide(text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = wide.data();
    SetMenuItemInfoW(menu, static_cast<UINT>(IDM_PATTERN_FIRST + n), FALSE, &item);
  }
}

void RefreshMainMenuStates() {
  const HMENU menu = MainMenu();
  if (menu != nullptr) RefreshMenu(menu);
  for (HMENU popup : {ChartPopupMenu(), CaptionPopupMenu(), GroupListPopupMenu()}) {
    if (popup != nullptr) RefreshMenu(popup);
  }
  UpdateToolbarButtons();
}
