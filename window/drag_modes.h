#pragma once
// What a mouse drag in the main window means (gDragMode), and what each mode
// allows the mouse handlers to do.
#include <cstdint>

#include "chart/gdi_rules.h"
#include "chart/layout_limits.h"

enum DragMode : int32_t {
  kDragNone = 0,         // the mouse only hovers
  kDragNewLine = 1,      // a new trend line from a press on empty pane area
  kDragNewLineMode = 2,  // a new trend line in the new-trend-line mode
  kDragLineFirstEnd = 3,
  kDragLineSecondEnd = 4,
  kDragLineBody = 5,    // moving a whole trend line
  kDragLockedLine = 6,  // pressed on a locked line: nothing moves
  kDragMemo = 7,
  kDragGroupSplitter = 8,
  kDragDetailSplitter = 9,
  kDragForecastCandle = 10,
  kDragRightMargin = 11,
  kDragSheetFirst = 12,  // stock-sheet drags
  kDragSheetSecond = 13,
  kDragSimListFirst = 16,  // simulator-list drags
  kDragSimListSecond = 17,
};

// Shared with the stock sheet and simulator windows.
extern int32_t gDragMode;

// A drag that carries a line, memo or sheet object (not 0, 8, 9, 10, 11).
bool IsObjectDragMode(int32_t mode);
// Modes 5, 6 and 7: the mouse point is clamped into the selected pane.
bool IsLineDrawingMode(int32_t mode);
// The cross-hair and cursor follow the mouse, except while a splitter or a
// right margin is dragged.
bool HoverFollowsMouse(int32_t mode);
// Any drag in progress (a right press is then ignored).
bool IsDragging(int32_t mode);
// The mode a left press on a trend line starts: hit 1 body -> 5, 2 first end
// -> 3, 3 second end -> 4, each 6 when the line is locked; 0 for a miss.
int32_t DragModeForLineHit(int hit, bool locked);
// Modes 3, 4 and 5 capture the mouse and erase the cursor line.
bool LineDragCapturesMouse(int32_t mode);
// Brings a point inside `rect` (right and bottom exclusive; an empty rect
// gives its left-top corner).
void ClampPointIntoRect(const Rect& rect, int* x, int* y);

// The right-margin handle as a press finds it: 12 pixels wider on each side,
// within the chart.
Rect WidenedMarginHandle(const Rect& handle, const Rect& chart);
