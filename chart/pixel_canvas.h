#pragma once
// Shapes set straight into the pixels of a 32-bit bitmap, each pixel the one
// the system's drawing call for the same shape sets: a chart at bar width 1
// has thousands of segments, and a drawing call per segment costs far more
// than the pixels it sets.
#include <cstdint>

#include "chart/gdi_rules.h"  // Rect, PixelPoint

// Pixels 0x00RRGGBB. Row y starts at bits + y * stride (stride is negative for
// a bottom-up bitmap, bits then pointing at the top row's first pixel).
struct PixelCanvas {
  uint32_t* bits;
  int32_t width, height;
  int32_t stride;  // in pixels
  Rect clip;       // what may be drawn; inside the bitmap, right and bottom exclusive
};

// The pixel of a colour 0x00BBGGRR.
constexpr uint32_t PixelOfColor(uint32_t colorRef) {
  return ((colorRef & 0xFFu) << 16) | (colorRef & 0xFF00u) | ((colorRef >> 16) & 0xFFu);
}

// A rectangle filled as a brush fills it: right and bottom edges left out.
void FillCanvasRect(const PixelCanvas& canvas, const Rect& rect, uint32_t pixel);
// A polyline in a one-pixel solid pen: every segment leaves out its end point.
void DrawCanvasThinPolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, uint32_t pixel);
// A polyline in a solid pen `width` pixels wide with round ends and joins,
// drawn as one call draws it.
void DrawCanvasWidePolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, int width, uint32_t pixel);
// A vertical line in a one-pixel dotted pen: three pixels of `ink`, three of
// `gap` (the background colour of an opaque background mode), counted from
// `fromY`; the end point is left out.
void DrawCanvasDottedVerticalLine(const PixelCanvas& canvas, int32_t x, int32_t fromY, int32_t toY, uint32_t ink,
                                  uint32_t gap);
// Such lines at each of `xs`, all from `fromY` to `toY`.
void DrawCanvasDottedVerticalLines(const PixelCanvas& canvas, const int32_t* xs, int count, int32_t fromY, int32_t toY,
                                   uint32_t ink, uint32_t gap);
