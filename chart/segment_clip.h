#pragma once
// Cutting straight segments to a rectangle: a trend line may run millions of
// pixels past its pane (values or dates far from the shown ones), and what a
// paint does for it must cost what its visible part costs.
#include <cstdint>

#include "chart/chart_text.h"
#include "chart/gdi_rules.h"

// The part of the segment from a to b that lies in `area` (edges included:
// x in [left, right], y in [top, bottom]), as parameters along it, 0 at a and
// 1 at b. Liang-Barsky in doubles, so that no coordinate of 32 bits overflows.
struct SegmentSpan {
  double t0, t1;
};
// False when the segment misses the area.
bool ClipSegmentToRect(const Rect& area, PixelPoint a, PixelPoint b, SegmentSpan* span);

// `r` grown by `by` pixels on every side, kept within 32 bits.
Rect WidenRect(const Rect& r, int by);

// What a device is handed for a line over `pane`, whose marks reach `margin`
// pixels beside it: false when the line misses the pane widened by the margin.
// While both ends lie within kPixelOffsetLimit of the pane the line is given
// as it is, so that the device draws the same pixels as ever; a line reaching
// further is cut to the widened pane (ends rounded to whole pixels).
bool GetDrawnSegment(const Rect& pane, int margin, PixelPoint a, PixelPoint b, PixelPoint* from, PixelPoint* to);
