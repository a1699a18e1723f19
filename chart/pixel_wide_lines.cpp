// Polylines in a wide solid pen, set pixel for pixel as the system's drawing
// call sets them. The pen's shape is the union of a round disk at every point
// and, for every segment of non-zero length, a rectangle (level or upright
// segments) or a parallelogram scan-converted with the polygon rule: a pixel
// is inside when its corner lies on or right of the left edge and left of the
// right edge, on rows from the top vertex down to, not including, the bottom
// one. One colour for every piece, so the pieces go straight into the pixels.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "chart/pixel_canvas.h"

namespace {

constexpr int kMinWideWidth = 2;
constexpr int kMaxDiskWidth = 32;  // wider pens get this disk at their points
constexpr int kMaxWidth = 4096;    // beyond any pen a chart sets; keeps the products below in range

// Points are pulled in to this first: the system's own arithmetic breaks down
// long before (and a device takes no more than 27 bits), and within it every
// product below fits in 64 bits.
constexpr int64_t kFarCoordinate = int64_t{1} << 28;

// The round end of a pen `w` wide covers w rows from -(w / 2) below the
// point; row j leaves out the given number of pixels at both ends of the full
// span [-(w / 2), w - w / 2). Rows are symmetric top to bottom, so only the
// upper (w + 1) / 2 are listed. Read from the system's elliptic region.
constexpr uint8_t kDiskInsets[] = {
    /*  2 */ 0,
    /*  3 */ 1,  0,
    /*  4 */ 1,  0,
    /*  5 */ 1,  0, 0,
    /*  6 */ 2,  1, 0,
    /*  7 */ 2,  1, 0, 0,
    /*  8 */ 2,  1, 0, 0,
    /*  9 */ 3,  1, 1, 0, 0,
    /* 10 */ 3,  2, 1, 0, 0,
    /* 11 */ 3,  2, 1, 0, 0, 0,
    /* 12 */ 4,  2, 1, 1, 0, 0,
    /* 13 */ 4,  3, 2, 1, 0, 0, 0,
    /* 14 */ 5,  3, 2, 1, 1, 0, 0,
    /* 15 */ 5,  3, 2, 1, 1, 0, 0, 0,
    /* 16 */ 5,  4, 2, 2, 1, 0, 0, 0,
    /* 17 */ 6,  4, 3, 2, 1, 1, 0, 0, 0,
    /* 18 */ 6,  4, 3, 2, 1, 1, 0, 0, 0,
    /* 19 */ 7,  5, 3, 2, 2, 1, 1, 0, 0, 0,
    /* 20 */ 7,  5, 4, 3, 2, 1, 1, 0, 0, 0,
    /* 21 */ 7,  5, 4, 3, 2, 1, 1, 0, 0, 0, 0,
    /* 22 */ 8,  6, 4, 3, 2, 2, 1, 1, 0, 0, 0,
    /* 23 */ 8,  6, 5, 3, 3, 2, 1, 1, 0, 0, 0, 0,
    /* 24 */ 9,  6, 5, 4, 3, 2, 1, 1, 1, 0, 0, 0,
    /* 25 */ 9,  7, 5, 4, 3, 2, 2, 1, 1, 0, 0, 0, 0,
    /* 26 */ 10, 7, 6, 4, 3, 3, 2, 1, 1, 1, 0, 0, 0,
    /* 27 */ 10, 7, 6, 5, 4, 3, 2, 1, 1, 1, 0, 0, 0, 0,
    /* 28 */ 10, 8, 6, 5, 4, 3, 2, 2, 1, 1, 0, 0, 0, 0,
    /* 29 */ 11, 8, 7, 5, 4, 3, 3, 2, 1, 1, 1, 0, 0, 0, 0,
    /* 30 */ 11, 9, 7, 6, 5, 4, 3, 2, 2, 1, 1, 0, 0, 0, 0,
    /* 31 */ 12, 9, 7, 6, 5, 4, 3, 2, 2, 1, 1, 1, 0, 0, 0, 0,
    /* 32 */ 12, 9, 8, 6, 5, 4, 3, 3, 2, 1, 1, 1, 0, 0, 0, 0,
};

constexpr int DiskInsetsStart(int width) {
  int start = 0;
  for (int w = kMinWideWidth; w < width; ++w) start += (w + 1) / 2;
  return start;
}
static_assert(DiskInsetsStart(kMaxDiskWidth + 1) == sizeof kDiskInsets, "one row set per width");

// The clip and the canvas in 64 bits, so that no coordinate sum can wrap.
struct Target {
  uint32_t* bits;
  int64_t stride;
  int64_t left, top, right, bottom;
  uint32_t pixel;
};

struct Point64 {
  int64_t x, y;
};

// A row's pixels from x0 to x1 (exclusive); `y` is inside the clip's rows.
inline void FillRowSpan(const Target& t, int64_t y, int64_t x0, int64_t x1) {
  x0 = std::max(x0, t.left);
  x1 = std::min(x1, t.right);
  if (x0 >= x1) return;
  uint32_t* row = t.bits + y * t.stride;
  std::fill(row + x0, row + x1, t.pixel);
}

void FillBox(const Target& t, int64_t left, int64_t top, int64_t right, int64_t bottom) {
  top = std::max(top, t.top);
  bottom = std::min(bottom, t.bottom);
  if (left >= t.right || right <= t.left) return;
  for (int64_t y = top; y < bottom; ++y) FillRowSpan(t, y, left, right);
}

void FillDisk(const Target& t, const Point64& p, int width) {
  const int64_t left = p.x - width / 2;
  const int64_t top = p.y - width / 2;
  if (left >= t.right || left + width <= t.left || top >= t.bottom || top + width <= t.top) return;
  const uint8_t* insets = kDiskInsets + DiskInsetsStart(width);
  const int64_t first = std::max<int64_t>(0, t.top - top);
  const int64_t end = std::min<int64_t>(width, t.bottom - top);
  for (int64_t j = first; j < end; ++j) {
    const int inset = insets[j < (width + 1) / 2 ? j : width - 1 - j];
    FillRowSpan(t, top + j, left + inset, left + width - inset);
  }
}

// x on successive rows of a polygon edge: the first whole x at or right of
// the edge, kept without division after the start.
struct EdgeStepper {
  int64_t x;
  int64_t wholeStep, fractionStep, rows, fraction;

  // The edge from `from` down to `to`, starting at row `y`.
  void Start(const Point64& from, const Point64& to, int64_t y) {
    rows = to.y - from.y;
    const int64_t dx = to.x - from.x;
    wholeStep = dx / rows;
    fractionStep = dx % rows;
    if (fractionStep < 0) {
      wholeStep -= 1;
      fractionStep += rows;
    }
    // x = from.x + ceil(k * dx / rows), with the ceiling as a floor of k * fractionStep + rows - 1.
    const int64_t k = y - from.y;
    const int64_t scaled = k * fractionStep + rows - 1;
    x = from.x + k * wholeStep + scaled / rows;
    fraction = scaled % rows;
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

// One side of a convex polygon, walked from its top vertex to its bottom one.
struct PolygonSide {
  const Point64* v;
  int at, step, bottom;
  EdgeStepper edge;

  // Moves to the edge that covers row `y` and starts it there.
  void Enter(int64_t y) {
    while (at != bottom && v[(at + step) & 3].y <= y) at = (at + step) & 3;
    edge.Start(v[at], v[(at + step) & 3], y);
  }
  void Next(int64_t y) {
    if (v[(at + step) & 3].y <= y)
      Enter(y);
    else
      edge.Step();
  }
};

void FillQuadrilateral(const Target& t, const std::array<Point64, 4>& v) {
  int top = 0, bottom = 0;
  int64_t left = v[0].x, right = v[0].x;
  for (int i = 1; i < 4; ++i) {
    if (v[i].y < v[top].y) top = i;
    if (v[i].y > v[bottom].y) bottom = i;
    left = std::min(left, v[i].x);
    right = std::max(right, v[i].x);
  }
  const int64_t first = std::max(v[top].y, t.top);
  const int64_t end = std::min(v[bottom].y, t.bottom);
  if (first >= end || left >= t.right || right <= t.left) return;
  PolygonSide a{v.data(), top, 1, bottom, {}};
  PolygonSide b{v.data(), top, 3, bottom, {}};
  a.Enter(first);
  b.Enter(first);
  for (int64_t y = first;;) {
    FillRowSpan(t, y, std::min(a.edge.x, b.edge.x), std::max(a.edge.x, b.edge.x));
    if (++y >= end) break;
    a.Next(y);
    b.Next(y);
  }
}

// Halves of the pen across a sloped segment, rounded half away from zero.
inline int64_t RoundedHalf(double extent) { return static_cast<int64_t>(extent / 2 + 0.5); }

void FillSegmentBody(const Target& t, const Point64& a, const Point64& b, int width) {
  const int64_t dx = b.x - a.x, dy = b.y - a.y;
  const int64_t half = width / 2;
  if (dy == 0) {
    FillBox(t, std::min(a.x, b.x), a.y - half, std::max(a.x, b.x), a.y - half + width);
    return;
  }
  if (dx == 0) {
    FillBox(t, a.x - half, std::min(a.y, b.y), a.x - half + width, std::max(a.y, b.y));
    return;
  }
  const double length = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  const double acrossX = static_cast<double>(width * std::abs(dy)) / length;
  const double acrossY = static_cast<double>(width * std::abs(dx)) / length;
  // The pen's two sides: `narrow` is rounded from half the extent, `wide` from
  // half of one more, so that the two together span the pen's width.
  Point64 narrow{RoundedHalf(acrossX), RoundedHalf(acrossY)};
  Point64 wide{RoundedHalf(acrossX + 1), RoundedHalf(acrossY + 1)};
  if (dx < 0) {
    narrow.y = -narrow.y;
    wide.y = -wide.y;
  }
  if (dy < 0) {
    std::swap(narrow, wide);
    narrow.x = -narrow.x;
    wide.x = -wide.x;
  }
  FillQuadrilateral(t, {{{a.x - narrow.x, a.y + narrow.y},
                         {a.x + wide.x, a.y - wide.y},
                         {b.x + wide.x, b.y - wide.y},
                         {b.x - narrow.x, b.y + narrow.y}}});
}

Point64 PulledIn(const PixelPoint& p) {
  return {std::clamp<int64_t>(p.x, -kFarCoordinate, kFarCoordinate),
          std::clamp<int64_t>(p.y, -kFarCoordinate, kFarCoordinate)};
}

}  // namespace

void DrawCanvasWidePolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, int width, uint32_t pixel) {
  if (!canvas.bits || !points || count < 2 || width < kMinWideWidth) return;
  const Target t{canvas.bits,
                 canvas.stride,
                 std::max<int64_t>(canvas.clip.left, 0),
                 std::max<int64_t>(canvas.clip.top, 0),
                 std::min<int64_t>(canvas.clip.right, canvas.width),
                 std::min<int64_t>(canvas.clip.bottom, canvas.height),
                 pixel};
  if (t.left >= t.right || t.top >= t.bottom) return;
  width = std::min(width, kMaxWidth);
  const int64_t reach = width / 2 + 2;  // how far a point's disk or a segment's side reaches
  const int diskWidth = std::min(width, kMaxDiskWidth);
  // Every point gets a disk: the ends their round caps, the others their
  // round joins (a repeated point's join is the same disk).
  Point64 previous = PulledIn(points[0]);
  FillDisk(t, previous, diskWidth);
  for (int i = 1; i < count; ++i) {
    const Point64 p = PulledIn(points[i]);
    const bool apart = p.x != previous.x || p.y != previous.y;
    const bool nearClip = std::max(p.x, previous.x) + reach > t.left && std::min(p.x, previous.x) - reach < t.right &&
                          std::max(p.y, previous.y) + reach > t.top && std::min(p.y, previous.y) - reach < t.bottom;
    if (apart && nearClip) {
      FillSegmentBody(t, previous, p, width);
      FillDisk(t, p, diskWidth);
    }
    previous = p;
  }
}
