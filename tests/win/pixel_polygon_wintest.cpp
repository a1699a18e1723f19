// Polygon fills against the system's own: seeded random cloud strips and
// random polygons filled once through GDI (no outline, a solid brush) and
// once into the pixels must leave the same bitmap, by either fill rule, in
// top-down and bottom-up bitmaps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "chart/pixel_canvas_win.h"
#include "chart/pixel_polygon.h"
#include "tests/win/canvas.h"

namespace {

constexpr int kWidth = 83, kHeight = 59;
constexpr COLORREF kBackground = RGB(250, 240, 230);

struct Shape {
  std::vector<POINT> points;
  bool winding;
  RECT clip;
  COLORREF color;
};

// Far enough out to need clipping, within what the system's own edge
// arithmetic holds; rows not as far, as the system walks every row of an edge.
LONG FarCoordinate(std::mt19937& random, bool row) {
  const LONG distance = static_cast<LONG>(random() % (row ? 5000 : 0x08000000));
  return random() % 2 ? distance : -distance;
}

// A cloud strip: span A rightwards in steps of 1 to 7 pixels, then span B
// back, the two crossing each other; now and then a point far outside.
std::vector<POINT> RandomCloudStrip(std::mt19937& random) {
  const int columns = 2 + static_cast<int>(random() % 40);
  std::vector<POINT> a, b;
  LONG x = static_cast<LONG>(random() % (kWidth + 40)) - 30;
  LONG ay = static_cast<LONG>(random() % (kHeight + 20)) - 10, by = static_cast<LONG>(random() % (kHeight + 20)) - 10;
  for (int k = 0; k < columns; ++k) {
    a.push_back({x, ay});
    b.push_back({x, by});
    x += 1 + static_cast<LONG>(random() % 7);
    ay += static_cast<LONG>(random() % 15) - 7;
    by += static_cast<LONG>(random() % 15) - 7;
    if (random() % 50 == 0) ay = FarCoordinate(random, true);
  }
  std::vector<POINT> points = a;
  points.insert(points.end(), b.rbegin(), b.rend());
  return points;
}

LONG RandomCoordinate(std::mt19937& random, int size) {
  switch (random() % 8) {
    case 0: return FarCoordinate(random, size == kHeight);
    case 1: return static_cast<LONG>(random() % (size * 20)) - size * 10;
    default: return static_cast<LONG>(random() % (size + 10)) - 5;
  }
}

// Any polygon: self-crossing, with level and upright edges and repeated
// points.
std::vector<POINT> RandomPolygon(std::mt19937& random) {
  std::vector<POINT> points(1 + random() % 12);
  points[0] = {RandomCoordinate(random, kWidth), RandomCoordinate(random, kHeight)};
  for (size_t i = 1; i < points.size(); ++i) {
    const POINT& last = points[i - 1];
    switch (random() % 6) {
      case 0: points[i] = {RandomCoordinate(random, kWidth), last.y}; break;
      case 1: points[i] = {last.x, RandomCoordinate(random, kHeight)}; break;
      case 2: points[i] = last; break;
      case 3:
        points[i] = {last.x + static_cast<LONG>(random() % 9) - 4, last.y + static_cast<LONG>(random() % 9) - 4};
        break;
      default: points[i] = {RandomCoordinate(random, kWidth), RandomCoordinate(random, kHeight)};
    }
  }
  return points;
}

// Clips at the bitmap's edges, one pixel, and anywhere inside.
RECT RandomClip(std::mt19937& random) {
  const LONG left = random() % kWidth, top = random() % kHeight;
  switch (random() % 5) {
    case 0: return {0, 0, kWidth, kHeight};
    case 1: return {left, top, left + 1, top + 1};
    case 2: return {left, 0, kWidth, top + 1};
    default:
      return {left, top, static_cast<LONG>(left + 1 + random() % (kWidth - left)),
              static_cast<LONG>(top + 1 + random() % (kHeight - top))};
  }
}

std::string Describe(const Shape& shape) {
  std::string text = std::string(shape.winding ? "winding" : "alternate") + ", clip " +
                     std::to_string(shape.clip.left) + "," + std::to_string(shape.clip.top) + "," +
                     std::to_string(shape.clip.right) + "," + std::to_string(shape.clip.bottom) + ", points";
  for (const POINT& p : shape.points) text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
  return text;
}

// "" when both fills set the same pixels; otherwise how many differ and the
// first of them.
std::string FillDifference(Canvas& system, Canvas& canvasDib, const Shape& shape, bool topDown) {
  system.ClearAndClip(shape.clip);
  const HBRUSH brush = CreateSolidBrush(shape.color);
  const HGDIOBJ oldPen = SelectObject(system.dc(), GetStockObject(NULL_PEN));
  const HGDIOBJ oldBrush = SelectObject(system.dc(), brush);
  SetPolyFillMode(system.dc(), shape.winding ? WINDING : ALTERNATE);
  Polygon(system.dc(), shape.points.data(), static_cast<int>(shape.points.size()));
  SelectObject(system.dc(), oldBrush);
  SelectObject(system.dc(), oldPen);
  DeleteObject(brush);

  canvasDib.ClearAndClip(shape.clip);
  PixelCanvas canvas;
  if (!GetDcPixelCanvas(canvasDib.dc(), &canvas)) return "no canvas";
  std::vector<PixelPoint> points;
  for (const POINT& p : shape.points) points.push_back({p.x, p.y});
  FillCanvasPolygon(canvas, points.data(), static_cast<int>(points.size()), shape.winding, PixelOfColor(shape.color));

  const std::vector<uint32_t> expected = system.Pixels(), actual = canvasDib.Pixels();
  int count = 0, first = -1;
  for (int i = 0; i < kWidth * kHeight; ++i)
    if (expected[i] != actual[i] && count++ == 0) first = i;
  if (count == 0) return "";
  const int row = first / kWidth;
  char text[120];
  snprintf(text, sizeof text, "%d pixels differ, first at %d,%d: system %06X, canvas %06X", count, first % kWidth,
           topDown ? row : kHeight - 1 - row, expected[first], actual[first]);
  return text;
}

class PixelPolygonTest : public ::testing::TestWithParam<bool> {};

TEST_P(PixelPolygonTest, RandomPolygonsFillTheSystemsPixels) {
  const bool topDown = GetParam();
  Canvas system(kWidth, kHeight, kBackground, topDown), canvasDib(kWidth, kHeight, kBackground, topDown);
  std::mt19937 random(topDown ? 4711 : 4712);
  int failures = 0;
  for (int round = 0; round < 6000 && failures < 5; ++round) {
    Shape shape;
    shape.points = round % 2 ? RandomCloudStrip(random) : RandomPolygon(random);
    shape.winding = random() % 3 != 0;
    shape.clip = RandomClip(random);
    shape.color = RGB(random() % 256, random() % 256, random() % 256);
    const std::string difference = FillDifference(system, canvasDib, shape, topDown);
    if (!difference.empty()) {
      ADD_FAILURE() << Describe(shape) << ": " << difference;
      ++failures;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RowOrders, PixelPolygonTest, ::testing::Bool());

}  // namespace
