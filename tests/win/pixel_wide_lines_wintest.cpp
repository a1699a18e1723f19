// Wide polylines set straight into a bitmap's pixels against the same
// polylines drawn by GDI with a wide solid pen on a twin bitmap: every pixel
// must be the same, for seeded random polylines of every kind a chart draws
// and of the kinds it could be handed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "chart/pixel_canvas.h"
#include "tests/win/canvas.h"

namespace {

constexpr COLORREF kPenColor = RGB(0x12, 0x34, 0x56);

// A canvas over all of a bitmap's pixels.
PixelCanvas WholeCanvas(const Canvas& bitmap) {
  const int32_t w = bitmap.width(), h = bitmap.height();
  return {bitmap.Row(0), w, h, bitmap.topDown() ? w : -w, {0, 0, w, h}};
}

void DrawThroughGdi(const Canvas& dib, const std::vector<PixelPoint>& points, int width, const Rect& clip) {
  const HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
  SelectClipRgn(dib.dc(), region);
  DeleteObject(region);
  const HGDIOBJ old = SelectObject(dib.dc(), CreatePen(PS_SOLID, width, kPenColor));
  SetROP2(dib.dc(), R2_COPYPEN);
  std::vector<POINT> gdiPoints;
  for (const PixelPoint& p : points) gdiPoints.push_back({p.x, p.y});
  Polyline(dib.dc(), gdiPoints.data(), static_cast<int>(gdiPoints.size()));
  DeleteObject(SelectObject(dib.dc(), old));
  GdiFlush();
}

// "" when the two bitmaps are alike, else the first pixel that differs.
std::string FirstDifference(const Canvas& gdi, const Canvas& set) {
  GdiFlush();
  for (int y = 0; y < gdi.height(); ++y)
    for (int x = 0; x < gdi.width(); ++x)
      if (gdi.Row(y)[x] != set.Row(y)[x])
        return "pixel " + std::to_string(x) + "," + std::to_string(y) + ": GDI " + std::to_string(gdi.Row(y)[x]) +
               ", set " + std::to_string(set.Row(y)[x]);
  return "";
}

// Chart lines (x rising 1 to 7 pixels a point), random directions, steep,
// shallow, collinear, repeated points, one to three points, far points.
constexpr int kShapes = 8;

std::vector<PixelPoint> MakePolyline(std::mt19937& random, int shape, int width, int height) {
  const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const auto around = [&](int margin) {
    return PixelPoint{between(-margin, width + margin), between(-margin, height + margin)};
  };
  const auto distant = [&] { return between(1000, 100000) * (between(0, 1) ? 1 : -1); };
  std::vector<PixelPoint> points{around(6)};
  const int more = between(shape == 6 ? 0 : 1, shape == 6 ? 2 : 8);
  if (shape == 0)
    while (points.back().x < width + 8) points.push_back({points.back().x + between(1, 7), around(6).y});
  for (int n = 0; n < more && shape != 0; ++n) {
    const PixelPoint last = points.back();
    switch (shape) {
      case 1: points.push_back(around(20)); break;
      case 2: points.push_back({last.x + between(-2, 2), around(10).y}); break;
      case 3: points.push_back({around(10).x, last.y + between(-2, 2)}); break;
      case 4: {
        const PixelPoint step{points[0].x % 7 - 3, points[0].y % 9 - 4}, from = points[0];
        const int k = between(-6, 6);
        points.push_back({from.x + k * step.x, from.y + k * step.y});
        break;
      }
      case 5: points.push_back(between(0, 1) ? last : around(6)); break;
      case 6: points.push_back({last.x + between(-1, 1), last.y + between(-1, 1)}); break;
      default: points.push_back(between(0, 2) ? PixelPoint{distant(), distant()} : around(4)); break;
    }
  }
  return points;
}

// The whole bitmap, a band to its edges, a single pixel or any rectangle.
Rect MakeClip(std::mt19937& random, int width, int height) {
  const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const int left = between(0, width - 1), top = between(0, height - 1);
  switch (between(0, 4)) {
    case 0: return {0, 0, width, height};
    case 1: return {0, top, width, height};
    case 2: return {left, top, left + 1, top + 1};
    default: return {left, top, between(left + 1, width), between(top + 1, height)};
  }
}

TEST(PixelWideLinesTest, EveryPixelIsTheOneGdiSetsForTheSamePolyline) {
  const struct {
    int width, height;
    bool bottomUp;
  } kScenes[] = {{64, 48, false}, {600, 90, true}};
  // Both bitmaps in turn with each pen, as a paint draws on bitmaps of other
  // strides between its lines.
  std::deque<Canvas> gdi, set;
  for (const auto& scene : kScenes) {
    gdi.emplace_back(scene.width, scene.height, RGB(255, 255, 255), !scene.bottomUp);
    set.emplace_back(scene.width, scene.height, RGB(255, 255, 255), !scene.bottomUp);
  }
  int compared = 0;
  for (const int width : {2, 3, 4, 5, 8, 16}) {
    std::vector<std::mt19937> randoms;
    for (const auto& scene : kScenes) randoms.emplace_back(width * 1000 + scene.width);
    for (int n = 0; n < 60 * kShapes; ++n)
      for (size_t s = 0; s < std::size(kScenes); ++s) {
        const auto& scene = kScenes[s];
        std::mt19937& random = randoms[s];
        const std::vector<PixelPoint> points = MakePolyline(random, n % kShapes, scene.width, scene.height);
        PixelCanvas canvas = WholeCanvas(set[s]);
        canvas.clip = n % 3 ? MakeClip(random, scene.width, scene.height) : canvas.clip;
        gdi[s].ClearAndClip(gdi[s].Whole());
        set[s].ClearAndClip(set[s].Whole());
        DrawThroughGdi(gdi[s], points, width, canvas.clip);
        DrawCanvasWidePolyline(canvas, points.data(), static_cast<int>(points.size()), width, PixelOfColor(kPenColor));
        std::string polyline;
        for (const PixelPoint& p : points) polyline += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        ASSERT_EQ(FirstDifference(gdi[s], set[s]), "")
            << scene.width << "x" << scene.height << ", pen " << width << ", clip " << canvas.clip.left << ","
            << canvas.clip.top << "-" << canvas.clip.right << "," << canvas.clip.bottom << ", points" << polyline;
        ++compared;
      }
  }
  EXPECT_EQ(compared, 2 * 6 * 60 * kShapes);
}

}  // namespace
