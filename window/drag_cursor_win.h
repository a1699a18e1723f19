#pragma once
// The mouse cursor over the main window and the key and button states the
// mouse code asks about. The cursor comes in a pair: the one shown, and the
// one shown instead while Ctrl is held (a Ctrl-press copies a line).
#include <windows.h>

enum CursorShape : int {
  kCursorNone = -1,
  kCursorArrow = 0,
  kCursorSizing,   // over a splitter or a margin handle
  kCursorCross,    // empty pane area: a press draws a new line
  kCursorHand,     // a line's body: a press moves it
  kCursorCopy,     // the same with Ctrl: a press copies it
  kCursorLineEnd,  // a line's end point
};

// Remembers the pair and shows it at once.
void SetCursorPair(CursorShape cursor, CursorShape ctrlCursor = kCursorNone);
// The shape the pair gives with the keys as they are: the arrow while only
// the no-convert key is held, the Ctrl shape while Ctrl is held.
CursorShape ChosenCursorShape();
// Every idle pass: the cursor is set again only when the choice changed.
void UpdateDragCursor();
// WM_SETCURSOR over the client area.
void ShowChosenCursor();

// The left and right buttons as the user sees them, also with the buttons swapped.
bool IsPrimaryButtonDown();
bool IsSecondaryButtonDown();
// The no-convert key held while neither button is down: the cross-hair stays.
bool IsNoConvertKeyOnly();
bool IsShiftKeyDown();
bool IsCtrlKeyDown();
bool IsAltKeyDown();
