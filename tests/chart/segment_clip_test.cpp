// Lines cut to their pane: what a device is handed, and the crosses of a live
// line's trail, which must stay where the whole trail has them (which also
// holds the clip to every edge in both directions).
#include "chart/segment_clip.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <utility>

#include "chart/pane_pixels.h"
#include "tests/support/row.h"

namespace {

constexpr Rect kArea = {0, 0, 100, 50};

TEST(SegmentClipTest, LinesWithinReachAreGivenAsTheyAreAndFarOnesCutToTheWidenedPane) {
  constexpr int kFar = 1 << 27;  // where the chart's pixel conversions stop
  constexpr int kNear = kPixelOffsetLimit;
  const struct {
    const char* what;
    PixelPoint a, b;
    bool drawn;
    Ltrb4 given;  // from.x, from.y, to.x, to.y
  } cases[] = {
      {"inside", {10, 10}, {90, 40}, true, {10, 10, 90, 40}},
      {"ends off the pane, within reach", {-kNear, 10}, {100 + kNear, 40}, true, {-kNear, 10, 100 + kNear, 40}},
      {"in the margin only", {0, -5}, {100, -5}, true, {0, -5, 100, -5}},
      {"beyond the margin", {0, -6}, {100, -6}, false, {}},
      {"far, level", {-kFar, 25}, {kFar, 25}, true, {-5, 25, 105, 25}},
      {"far, upright", {40, kFar}, {40, -kFar}, true, {40, 55, 40, -5}},
      {"far, sloped", {-kFar, -kFar}, {kFar, kFar}, true, {-5, -5, 55, 55}},
      {"one end far", {50, 25}, {50 + kNear + 1000, 25}, true, {50, 25, 105, 25}},
      {"far and missing", {-kFar, -kFar}, {kFar, -kFar + 1}, false, {}},
      {"32-bit ends", {INT_MIN, 25}, {INT_MAX, 25}, true, {-5, 25, 105, 25}},
      {"32-bit ends, sloped", {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, true, {-5, -5, 55, 55}},
      {"a point", {5, 5}, {5, 5}, true, {5, 5, 5, 5}},
      {"a far point", {kFar, 25}, {kFar, 25}, false, {}},
  };
  for (const auto& c : cases) {
    PixelPoint from{}, to{};
    const bool drawn = GetDrawnSegment(kArea, 5, c.a, c.b, &from, &to);
    EXPECT_EQ(drawn, c.drawn) << c.what;
    if (drawn && c.drawn) {
      EXPECT_EQ((Ltrb4{from.x, from.y, to.x, to.y}), c.given) << c.what;
    }
  }
  EXPECT_EQ(Ltrb(WidenRect({INT_MIN + 1, 0, INT_MAX - 1, 10}, 5)), (Ltrb4{INT_MIN, -5, INT_MAX, 15}));
}

using PointSet = std::set<std::pair<int32_t, int32_t>>;

// The crosses of the whole trail that reach into the area, found by walking all of them.
PointSet VisibleCrossesOfWholeTrail(PixelPoint a, PixelPoint b, const Rect& area) {
  PointSet shown;
  const int count = CountCrossTrailPoints(a.x, a.y, b.x, b.y);
  for (int k = 0; k < count; ++k) {
    const PixelPoint p = GetCrossTrailPoint(a.x, a.y, b.x, b.y, k);
    if (CrossTouchesRect(area, p)) shown.insert({p.x, p.y});
  }
  return shown;
}

PointSet CrossesOfRange(PixelPoint a, PixelPoint b, const Rect& area, int* walked) {
  PointSet shown;
  int first = 0, last = -1;
  *walked = 0;
  if (!GetCrossTrailRange(a.x, a.y, b.x, b.y, area, &first, &last)) return shown;
  *walked = last - first + 1;
  for (int k = first; k <= last; ++k) {
    const PixelPoint p = GetCrossTrailPoint(a.x, a.y, b.x, b.y, k);
    if (CrossTouchesRect(area, p)) shown.insert({p.x, p.y});
  }
  return shown;
}

TEST(SegmentClipTest, TheCrossesOfACutTrailAreTheVisibleOnesOfTheWholeTrail) {
  const Rect pane = {100, 50, 700, 350};
  // Trails round and across the pane: every edge, both directions, level,
  // upright, just outside and just inside the edges.
  std::vector<std::pair<PixelPoint, PixelPoint>> trails = {
      {{-3000, 200}, {3000, 200}},    {{400, -3000}, {400, 3000}}, {{3000, 351}, {-3000, 351}},
      {{-3000, 349}, {3000, 349}},    {{98, -3000}, {98, 3000}},   {{701, 3000}, {701, -3000}},
      {{-4000, -2000}, {5000, 2500}}, {{650, 300}, {710, 360}},    {{0, 0}, {800, 400}},
  };
  uint32_t seed = 12345;
  const auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(2 * range + 1)) - range;
  };
  for (int i = 0; i < 400; ++i)
    trails.push_back({{400 + next(5000), 200 + next(5000)}, {400 + next(5000), 200 + next(5000)}});
  for (const auto& [a, b] : trails) {
    int walked = 0;
    EXPECT_EQ(CrossesOfRange(a, b, pane, &walked), VisibleCrossesOfWholeTrail(a, b, pane))
        << a.x << "," << a.y << " " << b.x << "," << b.y;
  }
  // A trail of 2^28 pixels: only the few crosses near the pane are walked,
  // where their phase along the whole trail puts them.
  const PixelPoint top = {400, -(1 << 27)}, bottom = {400, 1 << 27};
  int walked = 0;
  const PointSet crosses = CrossesOfRange(top, bottom, pane, &walked);
  EXPECT_LE(walked, (pane.bottom - pane.top) / 32 + 5);
  ASSERT_FALSE(crosses.empty());
  const int n = CountCrossTrailPoints(top.x, top.y, bottom.x, bottom.y) - 1;
  for (const auto& [x, y] : crosses) {
    EXPECT_EQ(x, 400);
    const int64_t k = (int64_t{y} - top.y) * n / (int64_t{bottom.y} - top.y);
    const bool onThePhase = GetCrossTrailPoint(top.x, top.y, bottom.x, bottom.y, static_cast<int>(k)).y == y ||
                            GetCrossTrailPoint(top.x, top.y, bottom.x, bottom.y, static_cast<int>(k + 1)).y == y;
    EXPECT_TRUE(onThePhase) << y;
  }
  int first = 0, last = 0;
  EXPECT_FALSE(GetCrossTrailRange(INT_MIN, 0, INT_MAX, 0, pane, &first, &last));
}

}  // namespace
