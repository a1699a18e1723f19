// Wide polylines at their boundaries: clips down to nothing, too few points,
// 32-bit extremes and bottom-up bitmaps. Their pixels against GDI's own are
// held by the Windows test.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/pixel_canvas.h"

namespace {

constexpr int kWidth = 8, kHeight = 5;
constexpr uint32_t kInk = 0x00123456;

// The pixels a polyline sets on a kWidth x kHeight bitmap, as rows of "#" and
// ".", top row first; `bottomUp` lays the rows out the other way in memory.
std::string Picture(std::vector<PixelPoint> points, int count, int width, Rect clip, bool bottomUp = false) {
  std::vector<uint32_t> bits(kWidth * kHeight, 0);  // exactly the bitmap: a stray write is caught
  uint32_t* top = bottomUp ? bits.data() + (kHeight - 1) * kWidth : bits.data();
  const PixelCanvas canvas{top, kWidth, kHeight, bottomUp ? -kWidth : kWidth, clip};
  DrawCanvasWidePolyline(canvas, points.empty() ? nullptr : points.data(), count, width, kInk);
  std::string picture;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) picture += top[y * canvas.stride + x] == kInk ? '#' : '.';
    picture += '\n';
  }
  return picture;
}

std::string Rows(std::initializer_list<const char*> rows) {
  std::string picture;
  for (const char* row : rows) picture += std::string(row) + "\n";
  return picture;
}

constexpr Rect kWhole = {0, 0, kWidth, kHeight};
const std::string kBlank = Rows({"........", "........", "........", "........", "........"});
const std::string kFull = Rows({"########", "########", "########", "########", "########"});
const std::string kLevelWidth2 = Rows({"........", "######..", "######..", "........", "........"});

TEST(PixelWideLinesTest, BoundariesSetOnlyWhatTheClipAndThePenAllow) {
  const struct {
    const char* what;
    std::vector<PixelPoint> points;
    int count, width;
    Rect clip;
    std::string expected;
  } cases[] = {
      {"no points", {}, 0, 2, kWhole, kBlank},
      {"one point", {{3, 2}}, 1, 3, kWhole, kBlank},
      {"a point twice: the round end",
       {{3, 2}, {3, 2}},
       2,
       3,
       kWhole,
       Rows({"........", "...#....", "..###...", "...#....", "........"})},
      {"a thin pen is not drawn here", {{1, 2}, {5, 2}}, 2, 1, kWhole, kBlank},
      {"level, width 2", {{1, 2}, {5, 2}}, 2, 2, kWhole, kLevelWidth2},
      {"repeated points", {{1, 2}, {1, 2}, {3, 2}, {3, 2}, {5, 2}, {5, 2}}, 6, 2, kWhole, kLevelWidth2},
      {"empty clip", {{1, 2}, {5, 2}}, 2, 2, {3, 2, 3, 3}, kBlank},
      {"one-pixel clip",
       {{1, 2}, {5, 2}},
       2,
       2,
       {3, 2, 4, 3},
       Rows({"........", "........", "...#....", "........", "........"})},
      {"clip past the bitmap, level",
       {{-20, 2}, {30, 2}},
       2,
       2,
       {-9, -9, 99, 99},
       Rows({"........", "########", "########", "........", "........"})},
      {"clip past the bitmap, upright",
       {{3, -20}, {3, 30}},
       2,
       3,
       {-9, -9, 99, 99},
       Rows({"..###...", "..###...", "..###...", "..###...", "..###..."})},
      {"32-bit ends, level",
       {{INT_MIN, 2}, {INT_MAX, 2}},
       2,
       2,
       kWhole,
       Rows({"........", "########", "########", "........", "........"})},
      {"32-bit ends, upright",
       {{3, INT_MAX}, {3, INT_MIN}},
       2,
       3,
       kWhole,
       Rows({"..###...", "..###...", "..###...", "..###...", "..###..."})},
      {"32-bit ends, missing", {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MIN + 1}}, 3, 16, kWhole, kBlank},
      {"widest pen, a point", {{2, 2}, {2, 2}}, 2, INT_MAX, kWhole, kFull},
      {"widest pen, sloped", {{0, 0}, {7, 4}}, 2, INT_MAX, kWhole, kFull},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Picture(c.points, c.count, c.width, c.clip), c.expected) << c.what;
    EXPECT_EQ(Picture(c.points, c.count, c.width, c.clip, true), c.expected) << c.what << ", bottom-up";
  }
}

TEST(PixelWideLinesTest, FarEndsSetWhatNearEndsOnTheSameLineSet) {
  const struct {
    PixelPoint farFrom, farTo, nearFrom, nearTo;
  } cases[] = {
      {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {-20, -20}, {20, 20}},
      {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, {20, -20}, {-20, 20}},
      {{-(1 << 27), -(1 << 27) + 2}, {1 << 27, (1 << 27) + 2}, {-40, -38}, {40, 42}},
  };
  for (const int width : {2, 3, 16}) {
    for (const auto& c : cases) {
      const std::string near = Picture({c.nearFrom, c.nearTo}, 2, width, kWhole);
      EXPECT_NE(near, kBlank);
      EXPECT_EQ(Picture({c.farFrom, c.farTo}, 2, width, kWhole), near) << c.nearFrom.x << "," << c.nearFrom.y;
    }
  }
}

}  // namespace
