#pragma once
// What the main window does with keys, the mouse, its scroll bars, the blink
// timers and a request to close: the handlers MainWindowProc dispatches to.
#include <windows.h>

#include "common/stock_code.h"
#include "window/chart_press_win.h"
#include "window/cursor_line_win.h"
#include "window/search_box_win.h"

// WM_CREATE: the blink timers and the cross-hair hooks of the chart code.
void StartMainWindowInput(HWND hwnd);
// WM_DESTROY: the timers stop, the hooks go, the search box gets its own procedure back.
void StopMainWindowInput(HWND hwnd);

// Invalidates the whole main window and paints it at once.
void RepaintMainWindowNow();

// True while the progress dialog is open: input then gets default processing only.
bool IsInputBlocked();

LRESULT OnMainKeyDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainChar(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainLeftButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainLeftButtonUp(HWND hwnd, WPARAM wParam, LPARAM lParam);
// A memo under the point opens its editor; else a horizontal trend line
// opens its tracker step or its value.
LRESULT OnMainLeftButtonDoubleClick(HWND hwnd, WPARAM wParam, LPARAM lParam);
// Selects what is under the point and offers its pop-up menu: the trend
// line's, the memo's or the chart's.
LRESULT OnMainRightButtonDown(HWND hwnd, WPARAM wParam, LPARAM lParam);
// The hover state again at the cursor's place, after the charts moved under
// it; nothing before the first paint or while the window is hidden.
void RefreshCursorTracking();
// The main loop's idle hook: the drag cursor follows Ctrl and the no-convert
// key, a line drag follows a change of Shift at once, and a cross-hair is
// cleared once the cursor has left the client area or lies over the detail
// or time-back window (the blink timer wakes the loop at least once a
// second, so this needs no mouse tracking).
void TrackCursorOnTimer();
// After an input message: the focus goes to the search box while it is
// shown, else to the main window (only while the main window is in front).
void KeepFocusAfterInput(HWND hwnd);
// The cross-hair follows the mouse inside the panes (not while a splitter or
// a margin is dragged), the cursor tells what a press would grab, and with
// the left button down the drag follows.
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
