#pragma once
// Dragging the group-list and detail-list splitters and a chart's right
// margin in the main window, and the sizing cursor over them.
#include <windows.h>

// A left press on a splitter or a margin handle starts its drag (mouse
// captured); false when the point is on none of them.
bool BeginSplitterOrMarginDrag(HWND hwnd, int x, int y);
// A mouse move during such a drag; false when no such drag runs.
bool ContinueSplitterOrMarginDrag(HWND hwnd, int x);
// The button went up: any drag ends and the capture is released.
void EndMouseDrag();
// Over a splitter or a margin handle the sizing cursor shows.
bool IsOverSizingHandle(int x, int y);
