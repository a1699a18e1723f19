#include "chart/segment_clip.h"

#include <algorithm>
#include <cmath>

#include "chart/pane_pixels.h"

namespace {

int32_t ClampToInt32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool Within(const Rect& r, PixelPoint p) { return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom; }

PixelPoint PointAt(PixelPoint a, PixelPoint b, double t) {
  const double x = a.x + t * (static_cast<double>(b.x) - a.x);
  const double y = a.y + t * (static_cast<double>(b.y) - a.y);
  return {ClampToInt32(std::llround(x)), ClampToInt32(std::llround(y))};
}

}  // namespace

bool ClipSegmentToRect(const Rect& area, PixelPoint a, PixelPoint b, SegmentSpan* span) {
  const double dx = static_cast<double>(b.x) - a.x;
  const double dy = static_cast<double>(b.y) - a.y;
  // Per edge: the direction across it and the room from a to it.
  const double across[4] = {-dx, dx, -dy, dy};
  const double room[4] = {static_cast<double>(a.x) - area.left, static_cast<double>(area.right) - a.x,
                          static_cast<double>(a.y) - area.top, static_cast<double>(area.bottom) - a.y};
  double t0 = 0.0, t1 = 1.0;
  for (int edge = 0; edge < 4; ++edge) {
    if (across[edge] == 0.0) {
      if (room[edge] < 0.0) return false;  // parallel to the edge, outside it
      continue;
    }
    const double t = room[edge] / across[edge];
    if (across[edge] < 0.0) {
      t0 = std::max(t0, t);  // entering
    } else {
      t1 = std::min(t1, t);  // leaving
    }
    if (t0 > t1) return false;
  }
  *span = {t0, t1};
  return true;
}

Rect WidenRect(const Rect& r, int by) {
  return {ClampToInt32(int64_t{r.left} - by), ClampToInt32(int64_t{r.top} - by), ClampToInt32(int64_t{r.right} + by),
          ClampToInt32(int64_t{r.bottom} + by)};
}

bool GetDrawnSegment(const Rect& pane, int margin, PixelPoint a, PixelPoint b, PixelPoint* from, PixelPoint* to) {
  const Rect area = WidenRect(pane, margin);
  SegmentSpan span{};
  if (!ClipSegmentToRect(area, a, b, &span)) return false;
  const Rect exact = WidenRect(pane, kPixelOffsetLimit);
  if (Within(exact, a) && Within(exact, b)) {
    *from = a;
    *to = b;
  } else {
    *from = PointAt(a, b, span.t0);
    *to = PointAt(a, b, span.t1);
  }
  return true;
}
