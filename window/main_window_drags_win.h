#pragma once
// Mouse drags in the main window: trend lines, memos and forecast candles
// on the charts, the group-list and detail-list splitters and a chart's
// right margin, and the sizing cursor over them.
#include <windows.h>

// A left press on a splitter or a margin handle starts its drag (mouse
// captured); false when the point is on none of them.
bool BeginSplitterOrMarginDrag(HWND hwnd, int x, int y);
// A mouse move during such a drag; false when no such drag runs.
bool ContinueSplitterOrMarginDrag(HWND hwnd, int x);
// A mouse move with the left button down, after the cross-hair followed it:
// what the press grabbed follows (a move from empty pane area starts a new
// line, or a forecast candle on a forecast position). Also the idle pass
// when Shift changes during a line drag.
void OnChartMouseMove(HWND hwnd, int x, int y, bool shift);
// The button went up: the drag is finished (a new line kept or dropped, a
// moved line judged and saved, a forecast committed), the capture released.
void OnChartMouseUp();
// Over a splitter or a margin handle the sizing cursor shows.
bool IsOverSizingHandle(int x, int y);
