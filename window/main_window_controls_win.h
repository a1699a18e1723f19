#pragma once
// The main window's child windows: toolbar, status bar, each chart's scroll
// bar, group combo box and stock list box, and the hidden search box; their
// placement from the window layout and the drawing of the list rows.
#include <windows.h>

#include "window/main_window_layout.h"

extern HWND gToolbarWnd;
extern HWND gStatusBarWnd;
extern HWND gStockSearchEdit;

// Creates every child window of the main window (hidden until laid out).
void CreateMainWindowControls(HWND mainWnd);
// Forgets the child windows; Windows destroys them with the main window.
void DestroyMainWindowControls();

// The whole layout for the current client size; hides, ranges and moves the
// chart children. Safe before the children exist.
const MainWindowLayout& LayoutMainWindow(HWND mainWnd);
// The layout LayoutMainWindow made last.
const MainWindowLayout& CurrentMainWindowLayout();
// Invalidates the charts' area of the last layout, without erasing.
void InvalidateChartArea(HWND mainWnd);
// Moves one chart's combo box and list box to its list area, or hides them.
void PlaceChartListWindows(int chart);

void UpdateToolbarButtons();
void AutoSizeToolbar();
void LayoutStatusBarParts();
void CreateStockSearchBox();

// After a chart font change: the lists' fonts and row heights, the
// row-drawing font and a new search box in the new large font.
void ApplyChartFontToControls();
// WM_MEASUREITEM / WM_DRAWITEM of the group combo boxes and stock list boxes.
int ListRowHeight();
void DrawListItem(const DRAWITEMSTRUCT& item);
