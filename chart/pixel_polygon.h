#pragma once
// Polygons filled straight into the pixels of a 32-bit bitmap, each pixel
// the one the system's polygon fill sets with no outline: a chart's cloud is
// a few polygons of over a thousand points, and the system builds a region
// of them row by row before it fills it.
#include <cstdint>

#include "chart/pixel_canvas.h"

// The polygon through `count` points (closed back to the first) filled in
// `pixel` within the canvas's clip, by the winding rule or, when `winding`
// is false, the alternate rule. A pixel of a row is inside when enough edges
// lie at or left of its top-left corner, an edge covering the rows from its
// upper end down to, not including, its lower one; level edges count for
// nothing.
void FillCanvasPolygon(const PixelCanvas& canvas, const PixelPoint* points, int count, bool winding, uint32_t pixel);
