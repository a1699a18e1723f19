#pragma once
// What the main window does with keys, the mouse, its scroll bars, the blink
// timers and a request to close: the handlers MainWindowProc dispatches to,
// the stock search box and the inverted cursor line of the cross-hair.
#include <windows.h>

#include "common/stock_code.h"

constexpr int kSearchBoxId = 700;  // the search EDIT, a child of the main window

// WM_CREATE: the blink timers and the cross-hair hooks of the chart code.
void StartMainWindowInput(HWND hwnd);
// WM_DESTROY: the timers stop, the hooks go, the search box gets its own procedure back.
void StopMainWindowInput(HWND hwnd);

// Invalidates the whole main window and paints it at once.
void RepaintMainWindowNow();

// True while the progress dialog is open: input then gets default processing only.
bool IsInputBlocked();
// True while the keyboard focus is in the search box (Esc, Del and Ctrl+Z
// then belong to it, not to the charts).
bool IsSearchBoxFocused();
void HideSearchBox();

LRESULT OnMainKeyDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainChar(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainLeftButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainLeftButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
// Selects what is under the point and offers the chart pop-up menu.
LRESULT OnMainRightButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
// The cursor the mouse shows over the main window: sizing over a splitter or
// a margin handle (and while one is dragged), a cross inside a pane.
enum HoverCursor { kHoverArrow, kHoverSizing, kHoverCross };
HoverCursor CurrentHoverCursor();
// The hover state again at the cursor's place, after the charts moved under
// it; nothing before the first paint or while the window is hidden.
void RefreshCursorTracking();
// The main loop's idle hook: a cross-hair is cleared once the cursor has left
// the client area or lies over the detail or time-back window (the blink
// timer wakes the loop at least once a second, so this needs no mouse tracking).
void TrackCursorOnTimer();
// After an input message: the focus goes to the search box while it is
// shown, else to the main window (only while the main window is in front).
void KeepFocusAfterInput(HWND hwnd);
// The cross-hair follows the mouse inside the panes (not while a splitter or a margin is dragged).
LRESULT OnMainMouseMove(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainMouseWheel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnMainHScroll(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainTimer(HWND hwnd, WPARAM timerId);
// WM_CLOSE: refused while the progress dialog is open (the job is asked to stop).
LRESULT OnMainClose(HWND hwnd);
// True while CreateMainWindow sets the window up: a close asked for meanwhile
// (a message box's loop may deliver one) waits until the window is complete.
extern bool gMainWindowStarting;
// Ends the start; a close that waited is asked for again through the main loop.
void FinishMainWindowStart(HWND hwnd);
// WM_PAINT through `paint`, then the cursor line again where the paint renewed the picture.
LRESULT PaintKeepingCursorLine(HWND hwnd, LRESULT (*paint)(HWND));

// The cross-hair at a chart position; the old inverted line is erased first
// and the new one drawn.
void SetCrossHair(int chart, int pane, int bar, int x, int y, int value);
void ClearCrossHair();
// Draws the cursor line by inversion (twice erases) on the window, clipped to the plot areas.
void DrawCursorLine();
void EraseCursorLine();
