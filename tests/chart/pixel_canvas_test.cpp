#include "chart/pixel_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWidth = 6, kHeight = 4;
constexpr uint32_t kInk = 0x123456, kGap = 0x654321, kGuard = 0xDEADBEEF;

// A 6 x 4 canvas inside a guard frame, its rows top-down or bottom-up.
class FramedCanvas {
 public:
  FramedCanvas(const Rect& clip, bool topDown) : words_((kWidth + 2) * (kHeight + 2), kGuard) {
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) *Word(x, y, topDown) = 0;
    canvas_ = {Word(0, 0, topDown), kWidth, kHeight, topDown ? kWidth + 2 : -(kWidth + 2), clip};
  }
  const PixelCanvas& canvas() const { return canvas_; }
  // The rows top first, '#' for ink and 'o' for a dotted line's gap; "!"
  // when a guard word was written.
  std::string Picture() {
    for (size_t i = 0; i < words_.size(); ++i) {
      const size_t x = i % (kWidth + 2), y = i / (kWidth + 2);
      if ((x == 0 || x == kWidth + 1 || y == 0 || y == kHeight + 1) && words_[i] != kGuard) return "!";
    }
    std::string picture;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint32_t word = canvas_.bits[y * canvas_.stride + x];
        picture += word == kInk ? '#' : word == kGap ? 'o' : '.';
      }
      picture += y + 1 < kHeight ? "/" : "";
    }
    return picture;
  }

 private:
  uint32_t* Word(int32_t x, int32_t y, bool topDown) {
    const int32_t row = topDown ? y : kHeight - 1 - y;
    return &words_[(row + 1) * (kWidth + 2) + x + 1];
  }
  std::vector<uint32_t> words_;
  PixelCanvas canvas_;
};

constexpr Rect kWhole = {0, 0, kWidth, kHeight};
constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;

TEST(PixelCanvas, LinesKeepToTheClipAndLeaveOutTheirEndsAtEveryCoordinate) {
  struct Case {
    const char* name;
    Rect clip;
    std::vector<PixelPoint> points;
    const char* picture;
  };
  const Case cases[] = {
      {"forward and back", kWhole, {{0, 0}, {3, 0}, {3, 3}, {0, 3}}, "####../...#../...#../.###.."},
      {"shallow diagonal", kWhole, {{0, 0}, {5, 2}}, "##..../..##../....#./......"},
      {"steep diagonal up-left", kWhole, {{2, 3}, {0, 0}}, "....../.#..../.#..../..#..."},
      {"a tie going up-left steps at once", kWhole, {{4, 2}, {0, 0}}, ".#..../..##../....#./......"},
      {"a repeated point draws nothing", kWhole, {{2, 2}, {2, 2}}, "....../....../....../......"},
      {"one point draws nothing", kWhole, {{2, 2}}, "....../....../....../......"},
      {"empty clip", {3, 1, 3, 3}, {{0, 1}, {6, 1}, {0, 3}}, "....../....../....../......"},
      {"one-pixel clip", {2, 1, 3, 2}, {{kMin, 1}, {kMax, 1}, {2, 1}}, "....../..#.../....../......"},
      {"clipped at the end point", {2, 1, 3, 2}, {{0, 1}, {2, 1}}, "....../....../....../......"},
      {"corner to corner of the range", kWhole, {{kMin, kMin}, {kMax, kMax}}, "#...../.#..../..#.../...#.."},
      {"backward from the largest coordinate wraps to nothing",
       kWhole,
       {{kMax, 2}, {0, 2}, {0, kMax}},
       "....../....../#...../#....."},
      // Far ends are scaled down by 8 before a diagonal is stepped, as the system does.
      {"far diagonal scaled flat", kWhole, {{kMin, 1}, {kMax, 2}}, "######/....../....../......"},
  };
  for (const bool topDown : {true, false}) {
    for (const Case& c : cases) {
      FramedCanvas framed(c.clip, topDown);
      DrawCanvasThinPolyline(framed.canvas(), c.points.data(), static_cast<int>(c.points.size()), kInk);
      EXPECT_EQ(framed.Picture(), c.picture) << c.name << (topDown ? " top-down" : " bottom-up");
    }
  }
}

TEST(PixelCanvas, RectanglesFillUpToTheirRightAndBottomEdgesWithinTheClip) {
  struct Case {
    const char* name;
    Rect clip, rect;
    const char* picture;
  };
  const Case cases[] = {
      {"inside", kWhole, {1, 1, 3, 3}, "....../.##.../.##.../......"},
      {"reversed", kWhole, {3, 3, 1, 1}, "....../....../..##../..##.."},
      {"the whole range", {1, 0, 5, 2}, {kMin, kMin, kMax, kMax}, ".####./.####./....../......"},
      {"empty", kWhole, {2, 1, 2, 3}, "....../....../....../......"},
      {"empty clip", {0, 0, 0, 0}, {kMin, kMin, kMax, kMax}, "....../....../....../......"},
  };
  for (const bool topDown : {true, false}) {
    for (const Case& c : cases) {
      FramedCanvas framed(c.clip, topDown);
      FillCanvasRect(framed.canvas(), c.rect, kInk);
      EXPECT_EQ(framed.Picture(), c.picture) << c.name << (topDown ? " top-down" : " bottom-up");
    }
  }
}

TEST(PixelCanvas, DottedLinesCountThreeOnThreeOffFromTheirStart) {
  struct Case {
    const char* name;
    int32_t x, fromY, toY;
    const char* picture;
  };
  const Case cases[] = {
      {"down", 1, 0, 4, ".#..../.#..../.#..../.o...."},
      {"up from below", 2, 3, -3, "..o.../..#.../..#.../..#..."},
      {"from the smallest coordinate", 0, kMin, 4, "#...../o...../o...../o....."},
      {"to the largest coordinate wraps to nothing", 3, 0, kMax, "....../....../....../......"},
      {"a point draws nothing", 3, 1, 1, "....../....../....../......"},
  };
  for (const bool topDown : {true, false}) {
    for (const Case& c : cases) {
      FramedCanvas framed(kWhole, topDown);
      DrawCanvasDottedVerticalLine(framed.canvas(), c.x, c.fromY, c.toY, kInk, kGap);
      EXPECT_EQ(framed.Picture(), c.picture) << c.name << (topDown ? " top-down" : " bottom-up");
    }
  }
  FramedCanvas outside({2, 1, 4, 3}, true);
  DrawCanvasDottedVerticalLine(outside.canvas(), 1, kMin, kMax - 1, kInk, kGap);
  DrawCanvasDottedVerticalLine(outside.canvas(), kMax, kMin, kMax - 1, kInk, kGap);
  EXPECT_EQ(outside.Picture(), "....../....../....../......") << "beside the clip";
}

}  // namespace
