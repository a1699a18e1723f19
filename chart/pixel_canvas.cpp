// The system's rules for a brush fill and a one-pixel solid line, set pixel by
// pixel: the same spans, the same diagonal steps and the same clipping.

#include "chart/pixel_canvas.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <vector>

#include "chart/pixel_patterns.h"

namespace {

using pixel_patterns::KeptPatterns;
using pixel_patterns::SegmentPatterns;
using pixel_patterns::WithinBox;

uint32_t* RowOf(const PixelCanvas& canvas, int32_t y) { return canvas.bits + static_cast<intptr_t>(y) * canvas.stride; }

// Sets [left, right) x [top, bottom), each already inside the clip.
void FillClippedSpan(const PixelCanvas& canvas, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     uint32_t pixel) {
  for (int32_t y = top; y < bottom; ++y) std::fill(RowOf(canvas, y) + left, RowOf(canvas, y) + right, pixel);
}

// Fills [left, right) x [top, bottom) within the clip; the bounds may lie
// anywhere in 64-bit range.
void FillSpan(const PixelCanvas& canvas, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t pixel) {
  const Rect& clip = canvas.clip;
  left = std::max<int64_t>(left, clip.left);
  top = std::max<int64_t>(top, clip.top);
  right = std::min<int64_t>(right, clip.right);
  bottom = std::min<int64_t>(bottom, clip.bottom);
  if (left >= right || top >= bottom) return;
  FillClippedSpan(canvas, static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                  static_cast<int32_t>(bottom), pixel);
}

// An axis-parallel segment covers [start, end) going forward and
// (end, start] going backward: the end point is left out either way. The
// system works the swapped ends out in 32 bits, so a backward span from the
// largest coordinate wraps round and covers nothing.
void OrderSegmentEnds(int64_t* start, int64_t* end) {
  if (*start > *end) {
    const int64_t from = *end + 1;
    *end = static_cast<int32_t>(static_cast<uint32_t>(*start) + 1u);
    *start = from;
  }
}

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }  // b > 0

// Far points are scaled down as the system does before it steps a diagonal,
// which keeps every step term inside 32 bits.
PixelPoint ScaledFarPoint(PixelPoint p) {
  constexpr int32_t kFar = 0x10000000;
  if (p.x >= kFar || p.x <= -kFar || p.y >= kFar || p.y <= -kFar) return {p.x / 8, p.y / 8};
  return p;
}

// One axis of a stepped line: where it starts, which way it goes, and the
// clip range along it.
struct Axis {
  int32_t start;
  int32_t step;   // +1 or -1
  int64_t delta;  // |end - start|
  int32_t clipLow, clipHigh;
};

// The step indices k in [0, count) whose coordinate start + step * k lies in
// the axis's clip range, as [first, last).
void ClipMajorRange(const Axis& axis, int64_t count, int64_t* first, int64_t* last) {
  int64_t low, high;
  if (axis.step > 0) {
    low = int64_t{axis.clipLow} - axis.start;
    high = int64_t{axis.clipHigh} - axis.start;
  } else {
    low = int64_t{axis.start} - axis.clipHigh + 1;
    high = int64_t{axis.start} - axis.clipLow + 1;
  }
  *first = std::max<int64_t>(low, 0);
  *last = std::min<int64_t>(high, count);
}

// A diagonal in Bresenham steps: at step k along the major axis the minor
// axis has moved floor((2k * minorDelta + bias + majorDelta - 1) / (2 * majorDelta)).
// The bias (which way a tie goes) depends on the octant, as the system's does.
void DrawSteppedSegment(const PixelCanvas& canvas, PixelPoint from, PixelPoint to, uint32_t pixel) {
  const int64_t dx = int64_t{to.x} - from.x, dy = int64_t{to.y} - from.y;
  const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  int bias;
  if (dy > 0)
    bias = (dx <= 0 && -dx <= dy) ? 1 : 0;
  else
    bias = (dx < 0 || dx > -dy) ? 1 : 0;
  const bool xMajor = adx > ady;
  const Axis xAxis{from.x, dx > 0 ? 1 : -1, adx, canvas.clip.left, canvas.clip.right};
  const Axis yAxis{from.y, dy > 0 ? 1 : -1, ady, canvas.clip.top, canvas.clip.bottom};
  const Axis& major = xMajor ? xAxis : yAxis;
  const Axis& minor = xMajor ? yAxis : xAxis;
  const int64_t count = major.delta;  // the end point is left out
  if (count == 0) return;
  const int64_t twiceMajor = 2 * count, bend = bias + count - 1;
  int64_t first = 0, last = count;
  // A segment with both ends inside the clip (most of a chart's) needs no
  // clipping, and a 64-bit division costs more than its pixels.
  if (!RectContains(canvas.clip, from.x, from.y) || !RectContains(canvas.clip, to.x, to.y)) {
    ClipMajorRange(major, count, &first, &last);
    // The minor offsets allowed by the clip, as [low, high), then the steps
    // whose offset lies there (the offset never falls as k grows).
    int64_t low, high;
    ClipMajorRange(minor, minor.delta + 1, &low, &high);
    if (low >= high) return;
    if (minor.delta > 0) {
      first = std::max(first, CeilDiv(twiceMajor * low - bend, 2 * minor.delta));
      last = std::min(last, CeilDiv(twiceMajor * high - bend, 2 * minor.delta));
    } else if (low > 0) {
      return;
    }
    if (first >= last) return;
  }
  // Every term stays below 2^31: far points were scaled into +-2^28.
  int32_t offset = 0, remainder = static_cast<int32_t>(bend);  // bend < twiceMajor
  if (first > 0) {
    const int64_t numerator = 2 * first * minor.delta + bend;
    offset = static_cast<int32_t>(numerator / twiceMajor);
    remainder = static_cast<int32_t>(numerator % twiceMajor);
  }
  const int32_t rise = static_cast<int32_t>(2 * minor.delta), run = static_cast<int32_t>(twiceMajor);
  const intptr_t majorStride = xMajor ? major.step : static_cast<intptr_t>(major.step) * canvas.stride;
  const intptr_t minorStride = xMajor ? static_cast<intptr_t>(minor.step) * canvas.stride : minor.step;
  const int32_t majorAt = major.start + major.step * static_cast<int32_t>(first);
  const int32_t minorAt = minor.start + minor.step * offset;
  uint32_t* p = xMajor ? RowOf(canvas, minorAt) + majorAt : RowOf(canvas, majorAt) + minorAt;
  for (int32_t n = static_cast<int32_t>(last - first); n > 0; --n) {
    *p = pixel;
    p += majorStride;
    remainder += rise;
    if (remainder >= run) {
      remainder -= run;
      p += minorStride;
    }
  }
}

void DrawThinSegment(const PixelCanvas& canvas, PixelPoint from, PixelPoint to, uint32_t pixel) {
  if (from.y == to.y) {
    int64_t left = from.x, right = to.x;
    OrderSegmentEnds(&left, &right);
    FillSpan(canvas, left, from.y, right, int64_t{from.y} + 1, pixel);
  } else if (from.x == to.x) {
    int64_t top = from.y, bottom = to.y;
    OrderSegmentEnds(&top, &bottom);
    FillSpan(canvas, from.x, top, int64_t{from.x} + 1, bottom, pixel);
  } else {
    DrawSteppedSegment(canvas, ScaledFarPoint(from), ScaledFarPoint(to), pixel);
  }
}

// A level segment from x = 0 covers [left, right): its end is left out.
void LevelSpan(int32_t dx, int32_t* left, int32_t* right) {
  *left = dx > 0 ? 0 : dx + 1;
  *right = dx > 0 ? dx : 1;
}

// A sloped segment (dy != 0) with both ends inside the clip, the usual one of
// a chart line: the same pixels as DrawThinSegment in 32-bit steps, with
// nothing to clip, each handed to `set` as its offset from the start.
template <class Set>
void WalkInsideSegment(int32_t dx, int32_t dy, intptr_t stride, Set&& set) {
  const int32_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int bias = dy > 0 ? ((dx <= 0 && -dx <= dy) ? 1 : 0) : ((dx < 0 || dx > -dy) ? 1 : 0);
  const bool xMajor = adx > ady;
  const int32_t count = xMajor ? adx : ady;
  const int32_t rise = 2 * (xMajor ? ady : adx), run = 2 * count;
  const intptr_t xStep = dx > 0 ? 1 : -1;
  const intptr_t yStep = dy > 0 ? stride : -stride;
  const intptr_t majorStride = xMajor ? xStep : yStep, minorStride = xMajor ? yStep : xStep;
  int32_t remainder = bias + count - 1;
  intptr_t at = 0;
  for (int32_t n = count; n > 0; --n) {
    set(at);
    at += majorStride;
    remainder += rise;
    if (remainder >= run) {
      remainder -= run;
      at += minorStride;
    }
  }
}

void DrawInsideSegment(const PixelCanvas& canvas, PixelPoint from, PixelPoint to, uint32_t pixel) {
  uint32_t* const origin = RowOf(canvas, from.y) + from.x;
  if (from.y == to.y) {
    int32_t left, right;
    LevelSpan(to.x - from.x, &left, &right);
    std::fill(origin + left, origin + right, pixel);
    return;
  }
  WalkInsideSegment(to.x - from.x, to.y - from.y, canvas.stride, [origin, pixel](intptr_t at) { origin[at] = pixel; });
}

// A short segment's pixels as offsets from its start, for its patterns.
void RecordInsideSegment(intptr_t stride, int32_t dx, int32_t dy, std::vector<ptrdiff_t>* offsets) {
  if (dy == 0) {
    int32_t left, right;
    LevelSpan(dx, &left, &right);
    for (int32_t x = left; x < right; ++x) offsets->push_back(x);
    return;
  }
  WalkInsideSegment(dx, dy, stride, [offsets](intptr_t at) { offsets->push_back(at); });
}

}  // namespace

void FillCanvasRect(const PixelCanvas& canvas, const Rect& rect, uint32_t pixel) {
  // A reversed rectangle is filled as the system fills it: its edges swapped,
  // the pixels on the other side of each.
  int64_t left = rect.left, right = rect.right, top = rect.top, bottom = rect.bottom;
  OrderSegmentEnds(&left, &right);
  OrderSegmentEnds(&top, &bottom);
  FillSpan(canvas, left, top, right, bottom, pixel);
}

void DrawCanvasThinPolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, uint32_t pixel) {
  if (IsEmptyRect(canvas.clip) || count < 2) return;
  const Rect& clip = canvas.clip;
  const WithinBox inside(clip.left, clip.top, static_cast<int32_t>(int64_t{clip.right} - 1),
                         static_cast<int32_t>(int64_t{clip.bottom} - 1));
  // A lone segment (a bar's wick, a batch's line) costs less to step than
  // to find the patterns.
  SegmentPatterns* const patterns = count > 2 ? &KeptPatterns(1, canvas.stride) : nullptr;
  const auto record = [stride = canvas.stride](int32_t dx, int32_t dy, std::vector<ptrdiff_t>* offsets) {
    RecordInsideSegment(stride, dx, dy, offsets);
    // A thin segment never leaves the box of its ends.
    return SegmentPatterns::Box{std::min(0, dx), std::min(0, dy), std::max(0, dx), std::max(0, dy)};
  };
  bool fromInside = inside(points[0].x, points[0].y);
  for (int i = 0; i + 1 < count; ++i) {
    if (patterns && fromInside) {
      i = patterns->SetKnownRun(canvas.bits, canvas.stride, points, i + 1, count, pixel, inside) - 1;
      if (i + 1 == count) break;
    }
    const PixelPoint from = points[i], to = points[i + 1];
    const bool toInside = inside(to.x, to.y);
    if (fromInside && toInside) {
      const int32_t dx = to.x - from.x, dy = to.y - from.y;
      if (patterns && SegmentPatterns::Covers(dx, dy))
        patterns->Set(RowOf(canvas, from.y) + from.x, dx, dy, pixel, record);
      else
        DrawInsideSegment(canvas, from, to, pixel);
    } else {
      DrawThinSegment(canvas, from, to, pixel);
    }
    fromInside = toInside;
  }
}

void DrawCanvasDottedVerticalLines(const PixelCanvas& canvas, const int32_t* xs, int count, int32_t fromY, int32_t toY,
                                   uint32_t ink, uint32_t gap) {
  constexpr int kDot = 3;  // the system's dotted pen: three on, three off
  // As for a solid line, the system's span ends one past the lower end in 32
  // bits, so a line reaching the largest coordinate wraps round to nothing.
  if (count <= 0 || fromY == toY || std::max(fromY, toY) == INT32_MAX) return;
  const bool down = fromY < toY;
  const int64_t top = std::max<int64_t>(down ? fromY : int64_t{toY} + 1, canvas.clip.top);
  const int64_t bottom = std::min<int64_t>(down ? toY : int64_t{fromY} + 1, canvas.clip.bottom);
  if (top >= bottom) return;
  // Set row by row: down a column every pixel lies on another memory page.
  // The dot phase is counted from the line's start, once.
  int phase = static_cast<int>((down ? top - fromY : fromY - top) % (2 * kDot));  // never negative
  for (int64_t y = top; y < bottom; ++y) {
    const uint32_t pixel = phase < kDot ? ink : gap;
    uint32_t* row = RowOf(canvas, static_cast<int32_t>(y));
    for (int i = 0; i < count; ++i)
      if (xs[i] >= canvas.clip.left && xs[i] < canvas.clip.right) row[xs[i]] = pixel;
    phase = down ? (phase + 1) % (2 * kDot) : (phase + 2 * kDot - 1) % (2 * kDot);
  }
}

void DrawCanvasDottedVerticalLine(const PixelCanvas& canvas, int32_t x, int32_t fromY, int32_t toY, uint32_t ink,
                                  uint32_t gap) {
  DrawCanvasDottedVerticalLines(canvas, &x, 1, fromY, toY, ink, gap);
}
