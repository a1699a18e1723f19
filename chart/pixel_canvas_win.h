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
