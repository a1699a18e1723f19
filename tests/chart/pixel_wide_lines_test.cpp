// Wide polylines at their boundaries: clips down to nothing, too few points,
// 32-bit extremes and bottom-up bitmaps. Their pixels against GDI's own are
// held by the Windows test.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/pixel_canvas.h"
#include "tests/chart/pixel_picture.h"

namespace {

constexpr int kWidth = kPictureWidth, kHeight = kPictureHeight;
constexpr Rect kWhole = kWholePicture;

std::string Picture(std::vector<PixelPoint> points, int count, int width, Rect clip, bool bottomUp) {
  return PaintedPicture(
      [&](const PixelCanvas& canvas) {
        DrawCanvasWidePolyline(canvas, points.empty() ? nullptr : points.data(), count, width, 1);
      },
      clip, bottomUp);
}

TEST(PixelWideLinesTest, BoundariesSetOnlyWhatTheClipAndThePenAllow) {
  const char* const kBlank = "......../......../......../......../........";
  const char* const kLevel = "......../######../######../......../........";
  const char* const kFull = "########/########/########/########/########";
  constexpr Rect kPast = {-9, -9, 99, 99};
  const struct {
    const char* what;
    std::vector<PixelPoint> points;
    int count, width;
    Rect clip;
    const char* expected;
  } cases[] = {
      {"no points", {}, 0, 2, kWhole, kBlank},
      {"one point", {{3, 2}}, 1, 3, kWhole, kBlank},
      {"a point twice: a round end", {{3, 2}, {3, 2}}, 2, 3, kWhole, "......../...#..../..###.../...#..../........"},
      {"a thin pen", {{1, 2}, {5, 2}}, 2, 1, kWhole, kBlank},
      {"level", {{1, 2}, {5, 2}}, 2, 2, kWhole, kLevel},
      {"repeated points", {{1, 2}, {1, 2}, {3, 2}, {3, 2}, {5, 2}, {5, 2}}, 6, 2, kWhole, kLevel},
      {"empty clip", {{1, 2}, {5, 2}}, 2, 2, {3, 2, 3, 3}, kBlank},
      {"one-pixel clip", {{1, 2}, {5, 2}}, 2, 2, {3, 2, 4, 3}, "......../......../...#..../......../........"},
      {"clip past the bitmap, level", {{-20, 2}, {30, 2}}, 2, 2, kPast, "......../########/########/......../........"},
      {"clip past the bitmap, upright",
       {{3, -20}, {3, 30}},
       2,
       3,
       kPast,
       "..###.../..###.../..###.../..###.../..###..."},
      {"32-bit ends, level",
       {{INT_MIN, 2}, {INT_MAX, 2}},
       2,
       2,
       kWhole,
       "......../########/########/......../........"},
      {"32-bit ends, upright",
       {{3, INT_MAX}, {3, INT_MIN}},
       2,
       3,
       kWhole,
       "..###.../..###.../..###.../..###.../..###..."},
      {"32-bit ends, off", {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MIN + 1}}, 3, 16, kWhole, kBlank},
      {"widest pen, a point", {{2, 2}, {2, 2}}, 2, INT_MAX, kWhole, kFull},
      {"widest pen, sloped", {{0, 0}, {7, 4}}, 2, INT_MAX, kWhole, kFull},
  };
  for (const auto& c : cases)
    for (const bool bottomUp : {false, true})
      EXPECT_EQ(Picture(c.points, c.count, c.width, c.clip, bottomUp), c.expected) << c.what << ", " << bottomUp;
}

TEST(PixelWideLinesTest, FarEndsSetWhatNearEndsOnTheSameLineSet) {
  const struct {
    PixelPoint farFrom, farTo, nearFrom, nearTo;
  } cases[] = {
      {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {-20, -20}, {20, 20}},
      {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, {20, -20}, {-20, 20}},
      {{-(1 << 27), -(1 << 27) + 2}, {1 << 27, (1 << 27) + 2}, {-40, -38}, {40, 42}},
  };
  for (const int width : {2, 3, 16})
    for (const auto& c : cases) {
      const std::string near = Picture({c.nearFrom, c.nearTo}, 2, width, kWhole, false);
      EXPECT_NE(near.find('#'), std::string::npos);
      EXPECT_EQ(Picture({c.farFrom, c.farTo}, 2, width, kWhole, false), near) << c.nearFrom.x << "," << c.nearFrom.y;
    }
}

}  // namespace
