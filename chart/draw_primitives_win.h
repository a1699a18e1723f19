#pragma once
// Small drawing routines of the chart painters. Colours come from the live
// palette; every routine restores what it changes in the device context and
// deletes what it creates, but for the solid pens and brushes of the paint
// object cache (chart/paint_tools_win.h). Texts are Shift-JIS; a length of -1 means up to the end.
#include <windows.h>

// The text outlined in the background colour, then in the current text colour.
void DrawOutlinedText(HDC dc, const char* text, int length, RECT* rect, UINT flags);
// Opaque, in the "±0" number colour on the background colour.
void DrawTextOnBackground(HDC dc, const char* text, int length, const RECT& rect, UINT flags);
void FillRectColor(HDC dc, const RECT& rect, COLORREF color);
void DrawRectFrameLines(HDC dc, const RECT& rect, HPEN pen);
void DrawRectDiagonals(HDC dc, const RECT& rect, HPEN pen);
void DrawEllipseWithBrush(HDC dc, const RECT& rect, HBRUSH brush);
// A 3 x 3 "+" with the current pen.
void DrawSmallCross(HDC dc, int x, int y);
// Crosses at both ends and every 32 pixels or so between them.
void DrawCrossTrail(HDC dc, int x1, int y1, int x2, int y2);
// Only those of its crosses that reach into `area`, each where the whole
// trail has it: the cost is that of the part inside.
void DrawCrossTrailWithin(HDC dc, int x1, int y1, int x2, int y2, const RECT& area);
void DrawTriangleMark(HDC dc, const RECT& rect, COLORREF color, bool down, bool fill);
// Solid pen with square ends (width 2 when 0) in the colour of a palette slot.
HPEN CreatePalettePen(int width, int slot);
