#pragma once
// What the canvas's polygon fills share: the clip they set pixels in, and
// the system's polygon rule for an edge, under which a pixel of a row is
// inside when its corner lies on or right of the left edge and left of the
// right edge, on rows from an edge's top vertex down to, not including, its
// bottom one.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "chart/pixel_canvas.h"

namespace pixel_scan {

// Points are pulled in to this first: the system's own arithmetic breaks down
// long before (and a device takes no more than 27 bits), and within it every
// coordinate, side and difference below fits in 32 bits.
constexpr int32_t kFarCoordinate = int32_t{1} << 28;

// The clip, inside the bitmap.
struct Target {
  uint32_t* bits;
  ptrdiff_t stride;
  int32_t left, top, right, bottom;
  uint32_t pixel;
};

struct Point32 {
  int32_t x, y;
};

// A row's pixels from x0 to x1 (exclusive), both inside the clip's columns;
// `y` is inside the clip's rows.
inline void FillRowSpanInside(const Target& t, int32_t y, int32_t x0, int32_t x1) {
  uint32_t* row = t.bits + y * t.stride;
  for (int32_t x = x0; x < x1; ++x) row[x] = t.pixel;
}

// A row's pixels from x0 to x1 (exclusive); `y` is inside the clip's rows.
inline void FillRowSpan(const Target& t, int32_t y, int32_t x0, int32_t x1) {
  FillRowSpanInside(t, y, std::max(x0, t.left), std::min(x1, t.right));
}

// Floors of small quotients, for the short edges most lines are made of: a
// division costs more than such an edge's pixels.
constexpr int kSmallRows = 16, kSmallDividend = 128;
struct SmallQuotients {
  uint8_t of[kSmallRows][kSmallDividend];
};
constexpr SmallQuotients MakeSmallQuotients() {
  SmallQuotients q{};
  for (int rows = 1; rows < kSmallRows; ++rows)
    for (int n = 0; n < kSmallDividend; ++n) q.of[rows][n] = static_cast<uint8_t>(n / rows);
  return q;
}
inline constexpr SmallQuotients kSmallQuotients = MakeSmallQuotients();

// floor(dx / rows), rows > 0.
inline int32_t FloorQuotient(int32_t dx, int32_t rows) {
  if (rows < kSmallRows && dx > -(kSmallDividend - kSmallRows) && dx < kSmallDividend)
    return dx >= 0 ? kSmallQuotients.of[rows][dx] : -kSmallQuotients.of[rows][rows - 1 - dx];
  int32_t q = dx / rows;
  if (q * rows > dx) --q;
  return q;
}

// x on successive rows of a polygon edge: the first whole x at or right of
// the edge, kept without division after the start.
struct EdgeStepper {
  int32_t x, wholeStep, fractionStep, rows, fraction;

  // The edge from `from` down to `to` (lower), starting at row `y`.
  void Start(const Point32& from, const Point32& to, int32_t y) {
    rows = to.y - from.y;
    const int32_t dx = to.x - from.x;
    // x = from.x + ceil(k * dx / rows) on row from.y + k: whole steps of the
    // floor of dx / rows, and one more whenever the fractions pass a row.
    // Steep edges, the usual ones, need no division.
    if (dx >= 0 && dx < rows) {
      wholeStep = 0;
      fractionStep = dx;
    } else if (dx < 0 && dx >= -rows) {
      wholeStep = -1;
      fractionStep = dx + rows;
    } else {
      wholeStep = FloorQuotient(dx, rows);
      fractionStep = dx - wholeStep * rows;
    }
    x = from.x;
    fraction = rows - 1;  // the ceiling as a floor
    const int32_t k = y - from.y;
    if (k > 0) {
      const int64_t scaled = int64_t{k} * fractionStep + fraction;
      x += k * wholeStep + static_cast<int32_t>(scaled / rows);
      fraction = static_cast<int32_t>(scaled % rows);
    }
  }
  void Step() {
    x += wholeStep;
    fraction += fractionStep;
    if (fraction >= rows) {
      fraction -= rows;
      ++x;
    }
  }
};

inline Point32 PulledIn(const PixelPoint& p) {
  return {std::clamp(p.x, -kFarCoordinate, kFarCoordinate), std::clamp(p.y, -kFarCoordinate, kFarCoordinate)};
}

// The canvas's clip, inside the bitmap; false when nothing of it is left.
inline bool MakeTarget(const PixelCanvas& canvas, uint32_t pixel, Target* t) {
  *t = {canvas.bits,
        canvas.stride,
        std::max(canvas.clip.left, 0),
        std::max(canvas.clip.top, 0),
        std::min(canvas.clip.right, canvas.width),
        std::min(canvas.clip.bottom, canvas.height),
        pixel};
  return canvas.bits != nullptr && t->left < t->right && t->top < t->bottom;
}

}  // namespace pixel_scan
