#pragma once
// What a mouse drag in the main window means (gDragMode), and what each mode
// allows the mouse handlers to do.
#include <cstdint>

#include "chart/drag_mode.h"
#include "chart/gdi_rules.h"
#include "chart/layout_limits.h"

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
