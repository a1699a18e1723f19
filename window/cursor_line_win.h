#pragma once
// The cross-hair as the user sees it: the inverted cursor line on the main window.
#include <windows.h>

// The cross-hair at a chart position; the old inverted line is erased first
// and the new one drawn.
void SetCrossHair(int chart, int pane, int bar, int x, int y, int value);
void ClearCrossHair();
// Draws the cursor line by inversion (twice erases) on the window, clipped to the plot areas.
void DrawCursorLine();
void EraseCursorLine();
// Inverts the cursor line on the window, within the plot areas and, when
// given, within `limit` (a paint renewed the picture there).
void InvertCursorLineOnWindow(HRGN limit);
