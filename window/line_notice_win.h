#pragma once
// The notices of reached monitoring lines: modeless dialogs owned by the
// main window, one per line, kept in the line monitoring's list.
#include <windows.h>

#include "window/blink_timers.h"

// The notices' window side, for the main window while it exists; stopping
// closes every notice.
void StartLineNotices(HWND mainWnd);
void StopLineNotices();
// Without a window manager, Wine raises a window over the windows it owns
// when the focus goes into it, and takes that order over: the notices go
// back just above the main window (their order kept), shortly after the main
// window is activated and at every blink tick.
constexpr UINT_PTR kNoticeRaiseTimer = kBlinkTimerLong + 1;
constexpr UINT kNoticeRaiseDelayMs = 100;
void KeepLineNoticesAbove();
void OnMainWindowActivated(HWND mainWnd);
// True when `timerId` was the raise timer, which is then done.
bool OnNoticeRaiseTimer(HWND mainWnd, WPARAM timerId);
// Keyboard navigation inside a notice; true when the message was taken.
bool RouteLineNoticeMessage(MSG& msg);
