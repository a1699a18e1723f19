#pragma once
// The detail window, a small captioned child of the main window that shows
// the rows of the cross-hair's pane and may be dragged and docked, and the
// detail list drawn in its own column beside every chart.
#include <windows.h>

#include "chart/detail_rows.h"

// The window procedure of the detail window's class.
LRESULT CALLBACK DetailWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// At main-window creation: the window, filled and shown when it was shown last.
void CreateDetailWindow(HWND mainWnd);
// The main window is going: its children follow without changing the setting.
void DetachDetailWindow();
// Makes the window when missing, fills it for the cross-hair's pane (or the
// selected one), places it (next to the mouse with `atCursor`) and shows it.
void RefreshDetailWindow(bool atCursor);
// The shown window's rows again, repainted only when they changed.
void UpdateDetailWindowRows();
// The rows the window shows.
const DetailRows& ShownDetailWindowRows();
// After a main-window size change: a docked window follows its edge.
void RepositionDetailWindow(bool keepFree);
// Menu commands: the detail list (Space) and the detail window (Ctrl+Space).
void ToggleDetailList();
void ToggleDetailWindow();
// The cross-hair moved: the list's column and the window follow it.
void FollowCrossHairInDetails();

// The rows of every chart's panes in the detail column (from the main window's paint).
void DrawDetailList(HDC dc);
