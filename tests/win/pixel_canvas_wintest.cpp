// The pixel canvas against the system's own drawing: seeded random lines and
// rectangles drawn once through GDI and once into the pixels must leave the
// same bitmap, and a DC the canvas cannot stand in for is refused.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "chart/pixel_canvas_win.h"
#include "tests/win/canvas.h"

namespace {

constexpr int kWidth = 61, kHeight = 47;
constexpr COLORREF kBackground = RGB(250, 240, 230);

// A coordinate near the bitmap, a little or far outside it, or at the ends
// of the 32-bit range.
int32_t RandomCoordinate(std::mt19937& random, int size) {
  switch (random() % 8) {
    case 0: return static_cast<int32_t>(random() % 2 ? INT32_MAX - random() % 3 : INT32_MIN + random() % 3);
    case 1: return static_cast<int32_t>(random() % 0x40000000) * (random() % 2 ? 1 : -1);
    case 2: return static_cast<int>(random() % (size * 40)) - size * 20;
    default: return static_cast<int>(random() % (size + 8)) - 4;
  }
}

std::vector<POINT> RandomPolyline(std::mt19937& random) {
  std::vector<POINT> points(2 + random() % 6);
  points[0] = {RandomCoordinate(random, kWidth), RandomCoordinate(random, kHeight)};
  for (size_t i = 1; i < points.size(); ++i) {
    const POINT& last = points[i - 1];
    switch (random() % 6) {
      case 0: points[i] = {RandomCoordinate(random, kWidth), last.y}; break;   // horizontal
      case 1: points[i] = {last.x, RandomCoordinate(random, kHeight)}; break;  // vertical
      case 2: points[i] = last; break;                                         // repeated
      case 3: {                                                                // short, any octant
        const int dx = static_cast<int>(random() % 9) - 4, dy = static_cast<int>(random() % 9) - 4;
        points[i] = {static_cast<LONG>(last.x + int64_t{dx} > INT32_MAX ? last.x : last.x + dx),
                     static_cast<LONG>(last.y + int64_t{dy} > INT32_MAX ? last.y : last.y + dy)};
        break;
      }
      default: points[i] = {RandomCoordinate(random, kWidth), RandomCoordinate(random, kHeight)};
    }
  }
  return points;
}

// Clips at the bitmap's edges, one pixel, and anywhere inside.
RECT RandomClip(std::mt19937& random) {
  switch (random() % 4) {
    case 0: return {0, 0, kWidth, kHeight};
    case 1: {
      const LONG x = random() % kWidth, y = random() % kHeight;
      return {x, y, x + 1, y + 1};
    }
    default: {
      const LONG left = random() % kWidth, top = random() % kHeight;
      return {left, top, static_cast<LONG>(left + 1 + random() % (kWidth - left)),
              static_cast<LONG>(top + 1 + random() % (kHeight - top))};
    }
  }
}

// "" when the bitmaps match; otherwise how many pixels differ and the first.
std::string Difference(const std::vector<uint32_t>& system, const std::vector<uint32_t>& canvas, bool topDown) {
  int count = 0, first = -1;
  for (size_t i = 0; i < system.size(); ++i)
    if (system[i] != canvas[i] && count++ == 0) first = static_cast<int>(i);
  if (count == 0) return "";
  const int row = first / kWidth;
  char text[120];
  snprintf(text, sizeof text, "%d pixels differ, first at %d,%d: system %06X, canvas %06X", count, first % kWidth,
           topDown ? row : kHeight - 1 - row, system[first], canvas[first]);
  return text;
}

COLORREF RandomColor(std::mt19937& random) { return RGB(random() % 256, random() % 256, random() % 256); }

// A shape drawn both ways: through the system on a DC, and into a canvas.
struct Drawing {
  std::vector<POINT> points;  // a polyline's points, a rectangle's corners, a dotted line's ends
  std::function<void(HDC)> throughSystem;
  std::function<void(const PixelCanvas&)> onCanvas;
};

Drawing PolylineDrawing(const std::vector<POINT>& points, COLORREF color) {
  std::vector<PixelPoint> pixelPoints;
  for (const POINT& p : points) pixelPoints.push_back({p.x, p.y});
  return {points,
          [=](HDC dc) {
            const HPEN pen = CreatePen(PS_SOLID, 1, color);
            const HGDIOBJ old = SelectObject(dc, pen);
            Polyline(dc, points.data(), static_cast<int>(points.size()));
            DeleteObject(SelectObject(dc, old));
          },
          [=](const PixelCanvas& canvas) {
            DrawCanvasThinPolyline(canvas, pixelPoints.data(), static_cast<int>(pixelPoints.size()),
                                   PixelOfColor(color));
          }};
}

// Reversed rectangles too; the system's fill works out a width, so the
// corners stay where that cannot overflow.
Drawing RandomRectangleDrawing(std::mt19937& random, COLORREF color) {
  RECT rect;
  do {
    rect = {RandomCoordinate(random, kWidth), RandomCoordinate(random, kHeight), RandomCoordinate(random, kWidth),
            RandomCoordinate(random, kHeight)};
  } while (std::llabs(int64_t{rect.right} - rect.left) > INT32_MAX / 2 ||
           std::llabs(int64_t{rect.bottom} - rect.top) > INT32_MAX / 2);
  return {{{rect.left, rect.top}, {rect.right, rect.bottom}},
          [=](HDC dc) {
            const HBRUSH brush = CreateSolidBrush(color);
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
          },
          [=](const PixelCanvas& canvas) {
            FillCanvasRect(canvas, {rect.left, rect.top, rect.right, rect.bottom}, PixelOfColor(color));
          }};
}

// One to four dotted lines over the same rows, drawn in one call.
Drawing RandomDottedDrawing(std::mt19937& random, COLORREF ink, COLORREF gap) {
  std::vector<int32_t> xs(1 + random() % 4);
  for (int32_t& x : xs) x = RandomCoordinate(random, kWidth);
  const LONG fromY = RandomCoordinate(random, kHeight), toY = RandomCoordinate(random, kHeight);
  std::vector<POINT> ends;
  for (const int32_t x : xs) ends.insert(ends.end(), {{x, fromY}, {x, toY}});
  return {ends,
          [=](HDC dc) {
            const HPEN pen = CreatePen(PS_DOT, 1, ink);
            const HGDIOBJ old = SelectObject(dc, pen);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, gap);
            for (size_t i = 0; i < ends.size(); i += 2) Polyline(dc, &ends[i], 2);
            DeleteObject(SelectObject(dc, old));
          },
          [=](const PixelCanvas& canvas) {
            DrawCanvasDottedVerticalLines(canvas, xs.data(), static_cast<int>(xs.size()), fromY, toY, PixelOfColor(ink),
                                          PixelOfColor(gap));
          }};
}

// A bitmap the system draws on and its twin the canvas draws on, both
// top-down or both bottom-up.
class TwinBitmaps {
 public:
  explicit TwinBitmaps(bool topDown)
      : topDown_(topDown),
        system_(kWidth, kHeight, kBackground, topDown),
        canvasDc_(kWidth, kHeight, kBackground, topDown) {}

  // "" when both ways set the same pixels within `clip`; otherwise what and
  // where they differ.
  std::string DrawingDifference(const Drawing& drawing, const RECT& clip) {
    system_.ClearAndClip(clip);
    drawing.throughSystem(system_.dc());
    canvasDc_.ClearAndClip(clip);
    PixelCanvas canvas;
    if (!GetDcPixelCanvas(canvasDc_.dc(), &canvas)) return "no canvas";
    drawing.onCanvas(canvas);
    const std::string difference = Difference(system_.Pixels(), canvasDc_.Pixels(), topDown_);
    if (difference.empty()) return "";
    std::string text = "clip " + std::to_string(clip.left) + "," + std::to_string(clip.top) + "," +
                       std::to_string(clip.right) + "," + std::to_string(clip.bottom) + " points";
    for (const POINT& p : drawing.points) text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
    return text + ": " + difference;
  }

 private:
  bool topDown_;
  Canvas system_, canvasDc_;
};

class PixelCanvasTest : public ::testing::TestWithParam<bool> {
 protected:
  std::string DrawingDifference(const Drawing& drawing, const RECT& clip) {
    return twins_.DrawingDifference(drawing, clip);
  }

  TwinBitmaps twins_{GetParam()};
};

// Far ends the system scales down before stepping a diagonal, and backward
// spans from the largest coordinate, which it wraps round.
TEST_P(PixelCanvasTest, FarPolylinesSetTheSystemsPixels) {
  const std::vector<POINT> cases[] = {
      {{INT32_MIN, 1}, {INT32_MAX, 2}},
      {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}},
      {{-0x10000000, 7}, {0x0FFFFFFF, 9}},
      {{3, 0x10000000}, {40, -0x10000000}},
      {{INT32_MAX, 5}, {2, 5}, {2, INT32_MAX}, {2, 3}},
  };
  for (const std::vector<POINT>& points : cases)
    EXPECT_EQ(DrawingDifference(PolylineDrawing(points, RGB(10, 20, 30)), {0, 0, kWidth, kHeight}), "");
}

TEST_P(PixelCanvasTest, RandomLinesRectanglesAndDottedLinesSetTheSystemsPixels) {
  std::mt19937 random(GetParam() ? 2611 : 2612);
  int failures = 0;
  for (int round = 0; round < 16000 && failures < 5; ++round) {
    const RECT clip = RandomClip(random);
    const COLORREF color = RandomColor(random);
    const int kind = round % 4;
    const Drawing drawing = kind == 2   ? RandomRectangleDrawing(random, color)
                            : kind == 3 ? RandomDottedDrawing(random, color, RandomColor(random))
                                        : PolylineDrawing(RandomPolyline(random), color);
    const std::string difference = DrawingDifference(drawing, clip);
    if (!difference.empty()) {
      ADD_FAILURE() << difference;
      ++failures;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TopDownAndBottomUp, PixelCanvasTest, ::testing::Bool());

// Lines drawn on bitmaps of opposite row orders in turn, as a paint may draw
// on bitmaps of other strides between its lines.
TEST(PixelCanvasStridesTest, LinesOnTopDownAndBottomUpBitmapsInTurnSetTheSystemsPixels) {
  TwinBitmaps twins[] = {TwinBitmaps(true), TwinBitmaps(false)};
  std::mt19937 random(2613);
  int failures = 0;
  for (int round = 0; round < 4000 && failures < 5; ++round) {
    const RECT clip = RandomClip(random);
    const std::string difference =
        twins[round % 2].DrawingDifference(PolylineDrawing(RandomPolyline(random), RandomColor(random)), clip);
    if (!difference.empty()) {
      ADD_FAILURE() << (round % 2 ? "bottom-up " : "top-down ") << difference;
      ++failures;
    }
  }
}

TEST(PixelCanvasDcTest, OnlyAPlainDibWithOneClipRectangleIsTaken) {
  struct Case {
    const char* name;
    void (*prepare)(HDC dc);
    bool taken;
  };
  const Case cases[] = {
      {"plain", [](HDC) {}, true},
      {"clip rectangle", [](HDC dc) { IntersectClipRect(dc, 3, 4, 20, 30); }, true},
      {"two clip rectangles",
       [](HDC dc) {
         IntersectClipRect(dc, 0, 0, 20, 20);
         ExcludeClipRect(dc, 5, 5, 10, 10);
       },
       false},
      {"nothing left to draw", [](HDC dc) { IntersectClipRect(dc, 5, 5, 5, 5); }, false},
      {"xor", [](HDC dc) { SetROP2(dc, R2_XORPEN); }, false},
      {"mapping mode", [](HDC dc) { SetMapMode(dc, MM_LOMETRIC); }, false},
      {"window origin", [](HDC dc) { SetWindowOrgEx(dc, 1, 0, nullptr); }, false},
      {"viewport origin", [](HDC dc) { SetViewportOrgEx(dc, 0, 2, nullptr); }, false},
      {"right to left", [](HDC dc) { SetLayout(dc, LAYOUT_RTL); }, false},
  };
  for (const Case& c : cases) {
    Canvas dib(kWidth, kHeight, kBackground);
    c.prepare(dib.dc());
    PixelCanvas canvas;
    EXPECT_EQ(GetDcPixelCanvas(dib.dc(), &canvas), c.taken) << c.name;
  }
  PixelCanvas canvas;
  Canvas rgb24(kWidth, kHeight, kBackground, true, 24);
  EXPECT_FALSE(GetDcPixelCanvas(rgb24.dc(), &canvas)) << "24 bits";
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP device = CreateCompatibleBitmap(screen, kWidth, kHeight);
  const HGDIOBJ old = SelectObject(memory, device);
  EXPECT_FALSE(GetDcPixelCanvas(memory, &canvas)) << "device bitmap";
  SelectObject(memory, old);
  DeleteObject(device);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace
