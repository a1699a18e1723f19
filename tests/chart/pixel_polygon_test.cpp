// Polygon fills at their boundaries: too few points, clips down to nothing,
// 32-bit extremes, both fill rules and bottom-up bitmaps. Their pixels
// against the system's own are held by the Windows test.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/pixel_polygon.h"
#include "tests/chart/pixel_picture.h"

namespace {

constexpr int kWidth = kPictureWidth, kHeight = kPictureHeight;
constexpr Rect kWhole = kWholePicture;

std::string Filled(const std::vector<PixelPoint>& points, int count, bool winding, Rect clip, bool bottomUp) {
  return PaintedPicture(
      [&](const PixelCanvas& canvas) {
        FillCanvasPolygon(canvas, points.empty() ? nullptr : points.data(), count, winding, 1);
      },
      clip, bottomUp);
}

TEST(PixelPolygonTest, BoundariesSetOnlyWhatTheClipAndTheRuleAllow) {
  const char* const kBlank = "......../......../......../......../........";
  const char* const kFull = "########/########/########/########/########";
  const char* const kBox = "......../.###..../.###..../......../........";
  const std::vector<PixelPoint> box = {{1, 1}, {4, 1}, {4, 3}, {1, 3}};
  // Twice round the box: even twice counts as outside by the alternate rule.
  const std::vector<PixelPoint> twice = {{1, 1}, {4, 1}, {4, 3}, {1, 3}, {1, 1}, {4, 1}, {4, 3}, {1, 3}};
  constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
  const struct {
    const char* what;
    std::vector<PixelPoint> points;
    int count;
    bool winding;
    Rect clip;
    const char* expected;
  } cases[] = {
      {"no points", {}, 0, true, kWhole, kBlank},
      {"a negative count", box, -4, true, kWhole, kBlank},
      {"one point", {{3, 2}}, 1, true, kWhole, kBlank},
      {"two points", {{1, 0}, {6, 4}}, 2, false, kWhole, kBlank},
      {"a box, right and bottom left out", box, 4, true, kWhole, kBox},
      {"a box by the alternate rule", box, 4, false, kWhole, kBox},
      {"twice round, winding", twice, 8, true, kWhole, kBox},
      {"twice round, alternate", twice, 8, false, kWhole, kBlank},
      {"a triangle", {{0, 0}, {8, 0}, {0, 4}}, 3, true, kWhole, "########/######../####..../##....../........"},
      {"empty clip", box, 4, true, {2, 1, 2, 3}, kBlank},
      {"one-pixel clip", box, 4, true, {2, 2, 3, 3}, "......../......../..#...../......../........"},
      {"clip past the bitmap", {{-20, -20}, {30, -20}, {30, 30}, {-20, 30}}, 4, true, {-9, -9, 99, 99}, kFull},
      {"32-bit ends round the bitmap",
       {{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}},
       4,
       false,
       kWhole,
       kFull},
      {"32-bit ends, all below", {{kMin, kMax}, {kMax, kMax}, {0, kMax - 1}}, 3, true, kWhole, kBlank},
      {"32-bit ends, all left", {{kMin, kMin}, {-1, kMax}, {kMin, kMax}}, 3, true, kWhole, kBlank},
      {"32-bit ends, from the left edge to a point",
       {{kMin, 0}, {6, 0}, {6, 2}, {kMin, 2}},
       4,
       true,
       kWhole,
       "######../######../......../......../........"},
  };
  for (const auto& c : cases)
    for (const bool bottomUp : {false, true})
      EXPECT_EQ(Filled(c.points, c.count, c.winding, c.clip, bottomUp), c.expected) << c.what << ", " << bottomUp;
}

}  // namespace
