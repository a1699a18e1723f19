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
#include <vector>

#include "chart/pixel_canvas.h"
#include "chart/pixel_patterns.h"
#include "chart/pixel_scan.h"

namespace {

using namespace pixel_scan;
using pixel_patterns::KeptPatterns;
using pixel_patterns::SegmentPatterns;
using pixel_patterns::WithinBox;

constexpr int kMinWideWidth = 2;
constexpr int kMaxDiskWidth = 32;  // wider pens get this disk at their points
constexpr int kMaxWidth = 4096;    // beyond any pen a chart sets; keeps the sides within 32 bits

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

// A row's span, cut to the clip's columns unless the whole piece is known to
// lie inside the clip, as nearly every piece of a chart's line does.
template <bool kClipped>
inline void FillSpan(const Target& t, int32_t y, int32_t x0, int32_t x1) {
  if constexpr (kClipped)
    FillRowSpan(t, y, x0, x1);
  else
    FillRowSpanInside(t, y, x0, x1);
}

// One side of a convex polygon, walked from its top vertex to its bottom one.
struct PolygonSide {
  const Point32* v;
  int at, step;
  EdgeStepper edge;

  int Next() const { return (at + step) & 3; }
  // Starts the edge that covers row `y`; answers the row it ends before.
  int32_t Enter(int32_t y) {
    while (v[Next()].y <= y) at = Next();
    edge.Start(v[at], v[Next()], y);
    return v[Next()].y;
  }
};

template <bool kClipped>
void FillQuadrilateral(const Target& t, const std::array<Point32, 4>& v) {
  int top = 0, bottom = 0;
  int32_t left = v[0].x, right = v[0].x;
  for (int i = 1; i < 4; ++i) {
    if (v[i].y < v[top].y) top = i;
    if (v[i].y > v[bottom].y) bottom = i;
    left = std::min(left, v[i].x);
    right = std::max(right, v[i].x);
  }
  int32_t y = std::max(v[top].y, t.top);
  const int32_t end = std::min(v[bottom].y, t.bottom);
  if (y >= end || left >= t.right || right <= t.left) return;
  // Rows in bands between vertices, each band between one edge of each side.
  PolygonSide a{v.data(), top, 1, {}};
  PolygonSide b{v.data(), top, 3, {}};
  int32_t aEnd = a.Enter(y), bEnd = b.Enter(y);
  for (;;) {
    const int32_t bandEnd = std::min({aEnd, bEnd, end});
    for (;;) {
      FillSpan<kClipped>(t, y, std::min(a.edge.x, b.edge.x), std::max(a.edge.x, b.edge.x));
      if (++y >= bandEnd) break;
      a.edge.Step();
      b.edge.Step();
    }
    if (y >= end) return;
    if (y >= aEnd)
      aEnd = a.Enter(y);
    else
      a.edge.Step();
    if (y >= bEnd)
      bEnd = b.Enter(y);
    else
      b.edge.Step();
  }
}

template <bool kClipped>
void FillBox(const Target& t, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  top = std::max(top, t.top);
  bottom = std::min(bottom, t.bottom);
  if (left >= t.right || right <= t.left) return;
  for (int32_t y = top; y < bottom; ++y) FillSpan<kClipped>(t, y, left, right);
}

// Halves of the pen across a sloped segment, rounded half away from zero.
inline int32_t RoundedHalf(double extent) { return static_cast<int32_t>(extent / 2 + 0.5); }

// How far the pen's two sides lie from a sloped segment along one axis, for
// the segment's extent along the other axis: `narrow` is rounded from half
// the pen's extent, `wide` from half of one more, so that together they span
// it.
struct Sides {
  int32_t narrow, wide;
};

// The pen: its round ends and joins, and its sides for the short segments a
// chart is made of, each worked out once: a square root and two divisions
// cost more than the pixels of such a segment.
class WidePen {
 public:
  explicit WidePen(int width) : width_(width), diskWidth_(std::min(width, kMaxDiskWidth)) {
    known_.fill(false);
    const uint8_t* insets = kDiskInsets + DiskInsetsStart(diskWidth_);
    for (int j = 0; j < diskWidth_; ++j) {
      const int inset = insets[j < (diskWidth_ + 1) / 2 ? j : diskWidth_ - 1 - j];
      diskLeft_[j] = inset - diskWidth_ / 2;
      diskRight_[j] = diskWidth_ - diskWidth_ / 2 - inset;
    }
  }

  int32_t width() const { return width_; }

  // The round end or join at a point.
  template <bool kClipped>
  void FillDisk(const Target& t, const Point32& p) const {
    if constexpr (!kClipped) {
      // The two thinnest disks, the usual ones, as the fixed spans the table
      // gives them: a 2 x 2 square and a plus.
      uint32_t* at = t.bits + p.y * t.stride + p.x;
      if (diskWidth_ == 2) {
        at[-t.stride - 1] = at[-t.stride] = at[-1] = at[0] = t.pixel;
        return;
      }
      if (diskWidth_ == 3) {
        at[-t.stride] = at[-1] = at[0] = at[1] = at[t.stride] = t.pixel;
        return;
      }
    }
    const int32_t top = p.y - diskWidth_ / 2;
    const int32_t left = p.x - diskWidth_ / 2;
    if (left >= t.right || left + diskWidth_ <= t.left || top >= t.bottom || top + diskWidth_ <= t.top) return;
    const int first = std::max(0, t.top - top);
    const int end = std::min(diskWidth_, t.bottom - top);
    for (int j = first; j < end; ++j) FillSpan<kClipped>(t, top + j, p.x + diskLeft_[j], p.x + diskRight_[j]);
  }

  // The sides across a segment dx by dy (both non-zero): along x, then along y.
  void SidesOf(int32_t dx, int32_t dy, Sides* alongX, Sides* alongY) {
    const int32_t ax = std::abs(dx), ay = std::abs(dy);
    const int32_t shorter = std::min(ax, ay), longer = std::max(ax, ay);
    if (shorter >= kShortLimit || longer >= kLongLimit) {
      Work(ax, ay, alongX, alongY);
      return;
    }
    const size_t at = static_cast<size_t>(shorter * kLongLimit + longer);
    if (!known_[at]) {
      Work(shorter, longer, &acrossLonger_[at], &acrossShorter_[at]);
      known_[at] = true;
    }
    // The side along x comes from the extent along y.
    *alongX = ay == longer ? acrossLonger_[at] : acrossShorter_[at];
    *alongY = ay == longer ? acrossShorter_[at] : acrossLonger_[at];
  }

 private:
  static constexpr int32_t kShortLimit = 8, kLongLimit = 64;

  // The same arithmetic in the same order as the system's, so that halves
  // that fall exactly on .5 round alike.
  void Work(int32_t ax, int32_t ay, Sides* alongX, Sides* alongY) const {
    const double length = std::sqrt(static_cast<double>(ax) * ax + static_cast<double>(ay) * ay);
    const double acrossX = static_cast<double>(int64_t{width_} * ay) / length;
    const double acrossY = static_cast<double>(int64_t{width_} * ax) / length;
    *alongX = {RoundedHalf(acrossX), RoundedHalf(acrossX + 1)};
    *alongY = {RoundedHalf(acrossY), RoundedHalf(acrossY + 1)};
  }

  int32_t width_, diskWidth_;
  std::array<int32_t, kMaxDiskWidth> diskLeft_, diskRight_;  // each row's span from the point
  std::array<bool, kShortLimit * kLongLimit> known_;
  std::array<Sides, kShortLimit * kLongLimit> acrossLonger_, acrossShorter_;
};

template <bool kClipped>
void FillSegmentBody(const Target& t, const Point32& a, const Point32& b, WidePen& pen) {
  const int32_t dx = b.x - a.x, dy = b.y - a.y;
  const int32_t width = pen.width(), half = width / 2;
  if (dy == 0) {
    FillBox<kClipped>(t, std::min(a.x, b.x), a.y - half, std::max(a.x, b.x), a.y - half + width);
    return;
  }
  if (dx == 0) {
    FillBox<kClipped>(t, a.x - half, std::min(a.y, b.y), a.x - half + width, std::max(a.y, b.y));
    return;
  }
  Sides alongX, alongY;
  pen.SidesOf(dx, dy, &alongX, &alongY);
  // Which side is which follows the segment's direction.
  Point32 narrow{alongX.narrow, alongY.narrow};
  Point32 wide{alongX.wide, alongY.wide};
  if (dx < 0) {
    narrow.y = -narrow.y;
    wide.y = -wide.y;
  }
  if (dy < 0) {
    std::swap(narrow, wide);
    narrow.x = -narrow.x;
    wide.x = -wide.x;
  }
  FillQuadrilateral<kClipped>(t, {{{a.x - narrow.x, a.y + narrow.y},
                                   {a.x + wide.x, a.y - wide.y},
                                   {b.x + wide.x, b.y - wide.y},
                                   {b.x - narrow.x, b.y + narrow.y}}});
}

// How far a point's disk or a segment's side reaches from it.
inline int32_t ReachOf(const WidePen& pen) { return pen.width() / 2 + 2; }

// Pens up to this wide copy their short segments from patterns: a segment's
// body and the disk at its far end, less the disk at its start, which is
// always set already, in the same colour, by the segment before (its far
// disk) or as the first point's.
constexpr int kMaxPatternWidth = 8;

// The pattern's pixels, taken from what the fills set in a scratch bitmap:
// their arithmetic moves with whole pixels, so the same pixels land around
// every start.
SegmentPatterns::Box RecordSegment(WidePen& pen, ptrdiff_t stride, int32_t dx, int32_t dy,
                                   std::vector<ptrdiff_t>* offsets) {
  constexpr int kScratchSide = SegmentPatterns::kExtent - 1 + 2 * (kMaxPatternWidth / 2 + 2);
  const int32_t reach = ReachOf(pen);
  const int32_t left = std::min(0, dx) - reach, top = std::min(0, dy) - reach;
  const int32_t width = std::abs(dx) + 2 * reach, height = std::abs(dy) + 2 * reach;
  std::array<uint32_t, kScratchSide * kScratchSide> scratch;
  std::fill_n(scratch.begin(), width * height, 0);
  const Target set{scratch.data(), width, 0, 0, width, height, 1};
  const Point32 a{-left, -top}, b{dx - left, dy - top};
  FillSegmentBody<false>(set, a, b, pen);
  pen.FillDisk<false>(set, b);
  Target unset = set;
  unset.pixel = 0;
  pen.FillDisk<false>(unset, a);
  SegmentPatterns::Box box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (!scratch[y * width + x]) continue;
      offsets->push_back((y + top) * stride + (x + left));
      box = {std::min(box.left, x + left), std::min(box.top, y + top), std::max(box.right, x + left),
             std::max(box.bottom, y + top)};
    }
  }
  return box.left <= box.right ? box : SegmentPatterns::Box{0, 0, 0, 0};  // none: a repeated point
}

}  // namespace

void DrawCanvasWidePolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, int width, uint32_t pixel) {
  Target t;
  if (!points || count < 2 || width < kMinWideWidth || !MakeTarget(canvas, pixel, &t)) return;
  WidePen pen(std::min(width, kMaxWidth));
  SegmentPatterns* const patterns = pen.width() <= kMaxPatternWidth ? &KeptPatterns(pen.width(), t.stride) : nullptr;
  const auto record = [&pen, &t](int32_t dx, int32_t dy, std::vector<ptrdiff_t>* offsets) {
    return RecordSegment(pen, t.stride, dx, dy, offsets);
  };
  const int32_t reach = ReachOf(pen);
  // Points whose disk and the sides of the segments from them lie inside the
  // clip, tested on the points as given: such points need no pulling in.
  const WithinBox deep(t.left + reach, t.top + reach, t.right - reach, t.bottom - reach);
  // Every point gets a disk: the ends their round caps, the others their
  // round joins (a repeated point's join is the same disk).
  Point32 previous = PulledIn(points[0]);
  pen.FillDisk<true>(t, previous);
  bool previousDeep = deep(previous.x, previous.y);
  for (int i = 1; i < count; ++i) {
    if (patterns && previousDeep) {
      // Deep points need no pulling in: the run ends on one as given.
      i = patterns->SetKnownRun(t.bits, t.stride, points, i, count, t.pixel, deep);
      if (i == count) break;
      previous = {points[i - 1].x, points[i - 1].y};
    }
    const PixelPoint& next = points[i];
    if (previousDeep && deep(next.x, next.y)) {
      // Nearly every segment of a chart's line: no clipping, and its start's
      // disk set by the one before.
      const int32_t dx = next.x - previous.x, dy = next.y - previous.y;
      if (patterns && SegmentPatterns::Covers(dx, dy)) {
        // A repeated point's pattern is empty: its disk is the start's.
        patterns->Set(t.bits + previous.y * t.stride + previous.x, dx, dy, t.pixel, record);
      } else if (dx != 0 || dy != 0) {
        FillSegmentBody<false>(t, previous, {next.x, next.y}, pen);
        pen.FillDisk<false>(t, {next.x, next.y});
      }
      previous = {next.x, next.y};
      continue;
    }
    const Point32 p = PulledIn(next);
    const bool apart = p.x != previous.x || p.y != previous.y;
    const bool nearClip = std::max(p.x, previous.x) + reach > t.left && std::min(p.x, previous.x) - reach < t.right &&
                          std::max(p.y, previous.y) + reach > t.top && std::min(p.y, previous.y) - reach < t.bottom;
    // A short segment near the clip's edge whose own pixels all lie inside
    // it still takes its pattern: the disk at its start is set, as far as
    // it lies inside, by whatever came before.
    const int32_t dx = p.x - previous.x, dy = p.y - previous.y;  // pulled in: no overflow
    if (apart && nearClip &&
        !(patterns && SegmentPatterns::Covers(dx, dy) &&
          patterns->SetIfWithin(t.bits, t.stride, previous.x, previous.y, dx, dy, {t.left, t.top, t.right, t.bottom},
                                t.pixel, record))) {
      FillSegmentBody<true>(t, previous, p, pen);
      pen.FillDisk<true>(t, p);
    }
    previous = p;
    previousDeep = deep(p.x, p.y);
  }
}
