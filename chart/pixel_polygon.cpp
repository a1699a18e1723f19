// Polygons scan-converted row by row as the system converts them into a
// region: the edges crossing a row, sorted by where they cross it, bound the
// row's spans.
#include "chart/pixel_polygon.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/pixel_scan.h"

namespace {

using namespace pixel_scan;

struct PolygonEdge {
  EdgeStepper x;    // where the edge crosses the current row
  int32_t fromRow;  // first row inside the clip
  int32_t endRow;   // the row it ends before, inside the clip
  int32_t winding;  // +1 downwards, -1 upwards
};

// Kept between calls, so that a paint allocates nothing once the first
// cloud has been filled.
struct PolygonScratch {
  std::vector<PolygonEdge> edges;
  std::vector<int32_t> rowStarts;
  std::vector<PolygonEdge*> byRow, active;
};

PolygonScratch& Scratch() {
  static thread_local PolygonScratch scratch;
  return scratch;
}

// The edges that cross the clip's rows, with the leftmost and rightmost x of
// every point; false when none crosses them.
bool CollectEdges(const Target& t, const PixelPoint* points, int count, std::vector<PolygonEdge>* edges, int32_t* minX,
                  int32_t* maxX) {
  edges->clear();
  Point32 previous = PulledIn(points[count - 1]);
  *minX = *maxX = previous.x;
  for (int i = 0; i < count; ++i) {
    const Point32 p = PulledIn(points[i]);
    *minX = std::min(*minX, p.x);
    *maxX = std::max(*maxX, p.x);
    if (p.y != previous.y) {
      const bool down = previous.y < p.y;
      const Point32& top = down ? previous : p;
      const Point32& bottom = down ? p : previous;
      const int32_t from = std::max(top.y, t.top), end = std::min(bottom.y, t.bottom);
      if (from < end) {
        PolygonEdge edge;
        edge.x.Start(top, bottom, from);
        edge.fromRow = from;
        edge.endRow = end;
        edge.winding = down ? 1 : -1;
        edges->push_back(edge);
      }
    }
    previous = p;
  }
  return !edges->empty();
}

// The edges in the order of their first rows (a counting sort over the
// clip's rows: cheaper than comparing a thousand edges).
void SortByFirstRow(const Target& t, PolygonScratch* s) {
  s->rowStarts.assign(static_cast<size_t>(t.bottom - t.top) + 1, 0);
  for (const PolygonEdge& edge : s->edges) ++s->rowStarts[static_cast<size_t>(edge.fromRow - t.top) + 1];
  for (size_t i = 1; i < s->rowStarts.size(); ++i) s->rowStarts[i] += s->rowStarts[i - 1];
  s->byRow.resize(s->edges.size());
  for (PolygonEdge& edge : s->edges) s->byRow[static_cast<size_t>(s->rowStarts[edge.fromRow - t.top]++)] = &edge;
}

// Edges move little from row to row, so an insertion sort finds them almost
// in order.
void SortByX(std::vector<PolygonEdge*>* active) {
  PolygonEdge** a = active->data();
  const size_t n = active->size();
  for (size_t i = 1; i < n; ++i) {
    PolygonEdge* edge = a[i];
    size_t j = i;
    for (; j > 0 && a[j - 1]->x.x > edge->x.x; --j) a[j] = a[j - 1];
    a[j] = edge;
  }
}

// Row y's spans: from an edge where the count turns non-zero to the edge
// where it turns back to zero.
void FillRow(const Target& t, int32_t y, const std::vector<PolygonEdge*>& active, bool winding) {
  int32_t count = 0, spanStart = 0;
  for (const PolygonEdge* edge : active) {
    const int32_t before = count;
    count = winding ? count + edge->winding : count ^ 1;
    if (before == 0 && count != 0)
      spanStart = edge->x.x;
    else if (before != 0 && count == 0)
      FillRowSpan(t, y, spanStart, edge->x.x);
  }
}

}  // namespace

void FillCanvasPolygon(const PixelCanvas& canvas, const PixelPoint* points, int count, bool winding, uint32_t pixel) {
  Target t;
  if (!points || count < 2 || !MakeTarget(canvas, pixel, &t)) return;
  PolygonScratch& s = Scratch();
  int32_t minX, maxX;
  // Every span lies between the leftmost and the rightmost point.
  if (!CollectEdges(t, points, count, &s.edges, &minX, &maxX) || maxX <= t.left || minX >= t.right) return;
  SortByFirstRow(t, &s);
  s.active.clear();
  size_t next = 0;
  int32_t y = t.top;
  while (next < s.byRow.size() || !s.active.empty()) {
    if (s.active.empty()) y = s.byRow[next]->fromRow;  // rows no edge crosses
    size_t kept = 0;
    for (PolygonEdge* edge : s.active) {
      if (edge->endRow <= y) continue;
      edge->x.Step();
      s.active[kept++] = edge;
    }
    s.active.resize(kept);
    for (; next < s.byRow.size() && s.byRow[next]->fromRow == y; ++next) s.active.push_back(s.byRow[next]);
    SortByX(&s.active);
    FillRow(t, y, s.active, winding);
    ++y;
  }
}
