#pragma once
// The pop-up menus of the charts: loaded once with the main window, shown at
// the mouse; their commands reach the main window as WM_COMMAND.
#include <windows.h>

void LoadChartPopupMenus();
void DestroyChartPopupMenus();

// The shown sub-menus; null before they are loaded.
HMENU ChartPopupMenu();
HMENU CaptionPopupMenu();
HMENU GroupListPopupMenu();
// The tracker's sub-menu of the trend-line pop-up (PreparePellomaticSubMenu fills it).
HMENU TrackerSubMenu();

// At a point in the main window's client area.
void ShowChartPopup(HWND owner, int x, int y);
// The pane pop-up for the selected pane, its line switches built first.
void ShowPanePopup(HWND owner, int x, int y);
HMENU PanePopupMenu();
// Rebuilds the pane pop-up's line switches for pane `pane` of chart `chart`:
// one item per flag bit its kind reads, checked by the bit; none without such a pane.
void PreparePanePopupMenu(int chart, int pane);
// After checking the groups that hold the chart's stock.
void ShowCaptionPopup(HWND owner, int x, int y);
// The trend-line pop-up for gSelectedTrendLine, its items checked and
// enabled from that line (right press on a line).
void ShowTrendLinePopup(HWND owner, int x, int y);
HMENU TrendLinePopupMenu();
// Checks and greys the trend-line pop-up's items for `line`, picked on pane
// `pane` of chart `chart`, and rebuilds its tail for that pane.
void PrepareTrendLinePopupMenu(int line, int chart, int pane);
// The memo pop-up when a memo lies under the point; false when none does.
bool ShowMemoPopup(HWND owner, int x, int y);
// At a point in screen coordinates (the stock list's own right click).
void ShowGroupListPopup(HWND owner, POINT screen);
// Right click on toolbar button F(n+1): switches to pattern n, then offers
// its renaming and copying it onto another pattern.
void ShowPatternPopup(HWND owner, int n, POINT screen);

// The group sub-menus (4000 + n, 4200 + n) from the group names.
void RebuildGroupMenus();
// Checks the caption pop-up's group items whose group holds the selected
// chart's stock; grayed in time-back mode.
void UpdateGroupMembershipChecks();
