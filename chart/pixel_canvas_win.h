#pragma once
// The pixels of a DC that the pixel canvas may set in place of the system's
// drawing calls.
#include <windows.h>

#include "chart/pixel_canvas.h"

// True when the DC draws into a 32-bit BI_RGB DIB section through one clip
// rectangle (not empty), in MM_TEXT with zero origins and R2_COPYPEN, and no metafile is
// being recorded; then the bitmap's pending drawing has been flushed and
// `canvas` describes its pixels. Otherwise the caller draws through the DC.
bool GetDcPixelCanvas(HDC dc, PixelCanvas* canvas);
// A plain RGB colour, the only kind the canvas sets as the system would
// (a palette index or relative colour is left to the system).
constexpr bool IsPlainRgb(COLORREF color) { return (color >> 24) == 0; }

// A top-down 32-bit BI_RGB section of width x height (both at least 1), the
// bitmap the canvas sets pixels in; null when it cannot be made.
HBITMAP CreateCanvasSection(int width, int height, void** bits);
