// Wide polylines set straight into a bitmap's pixels against the same
// polylines drawn by GDI with a wide solid pen on a twin bitmap: every pixel
// must be the same, for seeded random polylines of every kind a chart draws
// and of the kinds it could be handed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "chart/pixel_canvas.h"

namespace {

constexpr COLORREF kPenColor = RGB(0x12, 0x34, 0x56);
constexpr uint32_t kBackground = 0x00FFFFFF;

// A 32-bit DIB section in a memory DC, top-down or bottom-up.
class DibSection {
 public:
  DibSection(int width, int height, bool bottomUp) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = bottomUp ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    top_ = bottomUp ? bits_ + static_cast<ptrdiff_t>(height - 1) * width : bits_;
    stride_ = bottomUp ? -width : width;
  }
  ~DibSection() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DibSection(const DibSection&) = delete;
  DibSection& operator=(const DibSection&) = delete;

  HDC dc() const { return dc_; }
  void Clear() {
    GdiFlush();
    std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, kBackground);
  }
  uint32_t At(int x, int y) const { return top_[static_cast<ptrdiff_t>(y) * stride_ + x]; }
  PixelCanvas CanvasClippedTo(const Rect& clip) const { return {top_, width_, height_, stride_, clip}; }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
  uint32_t* top_ = nullptr;
  int stride_ = 0;
};

void DrawThroughGdi(const DibSection& dib, const std::vector<PixelPoint>& points, int width, const Rect& clip) {
  const HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
  SelectClipRgn(dib.dc(), region);
  DeleteObject(region);
  const HPEN pen = CreatePen(PS_SOLID, width, kPenColor);
  const HGDIOBJ old = SelectObject(dib.dc(), pen);
  SetROP2(dib.dc(), R2_COPYPEN);
  std::vector<POINT> gdiPoints;
  for (const PixelPoint& p : points) gdiPoints.push_back({p.x, p.y});
  Polyline(dib.dc(), gdiPoints.data(), static_cast<int>(gdiPoints.size()));
  SelectObject(dib.dc(), old);
  DeleteObject(pen);
  SelectClipRgn(dib.dc(), nullptr);
  GdiFlush();
}

std::string Describe(const std::vector<PixelPoint>& points, int width, const Rect& clip) {
  std::string text = "width " + std::to_string(width) + ", clip (" + std::to_string(clip.left) + "," +
                     std::to_string(clip.top) + ")-(" + std::to_string(clip.right) + "," + std::to_string(clip.bottom) +
                     "), " + std::to_string(points.size()) + " points:";
  for (const PixelPoint& p : points) text += " " + std::to_string(p.x) + "," + std::to_string(p.y);
  return text;
}

// "" when the two bitmaps are alike, else the first pixel that differs.
std::string FirstDifference(const DibSection& gdi, const DibSection& set, int width, int height) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (gdi.At(x, y) != set.At(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "pixel %d,%d: GDI %06X, set %06X", x, y, static_cast<unsigned>(gdi.At(x, y)),
                      static_cast<unsigned>(set.At(x, y)));
        return text;
      }
  return "";
}

enum class Shape { kChart, kRandom, kSteep, kShallow, kCollinear, kRepeated, kFew, kFar, kCount };

struct Scene {
  int width, height;
  bool bottomUp;
};

class PolylineMaker {
 public:
  PolylineMaker(uint32_t seed, int width, int height) : random_(seed), width_(width), height_(height) {}

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::vector<PixelPoint> Make(Shape shape) {
    std::vector<PixelPoint> points;
    switch (shape) {
      case Shape::kChart:
        for (int x = Between(-8, 8); x < width_ + 8; x += Between(1, 7)) points.push_back({x, Y(6)});
        break;
      case Shape::kRandom:
        for (int n = Between(2, 9); n > 0; --n) points.push_back({X(20), Y(20)});
        break;
      case Shape::kSteep:
        points.push_back({X(4), Y(4)});
        for (int n = Between(1, 6); n > 0; --n) points.push_back({points.back().x + Between(-2, 2), Y(10)});
        break;
      case Shape::kShallow:
        points.push_back({X(4), Y(4)});
        for (int n = Between(1, 6); n > 0; --n) points.push_back({X(10), points.back().y + Between(-2, 2)});
        break;
      case Shape::kCollinear: {
        const PixelPoint start{X(4), Y(4)};
        const int dx = Between(-9, 9), dy = Between(-9, 9);
        for (int n = Between(2, 8); n > 0; --n) {
          const int k = Between(-6, 6);
          points.push_back({start.x + k * dx, start.y + k * dy});
        }
        break;
      }
      case Shape::kRepeated:
        for (int n = Between(2, 8); n > 0; --n) {
          points.push_back({X(6), Y(6)});
          for (int r = Between(0, 2); r > 0; --r) points.push_back(points.back());
        }
        break;
      case Shape::kFew: {
        const PixelPoint p{X(6), Y(6)};
        points.assign(Between(1, 3), p);
        if (Between(0, 1)) points.back().x += Between(-1, 1), points.back().y += Between(-1, 1);
        break;
      }
      case Shape::kFar:
        for (int n = Between(2, 5); n > 0; --n)
          points.push_back(Between(0, 2) ? PixelPoint{Far(), Far()} : PixelPoint{X(4), Y(4)});
        break;
      case Shape::kCount: break;
    }
    return points;
  }

  Rect MakeClip() {
    switch (Between(0, 4)) {
      case 0: return {0, 0, width_, height_};
      case 1: return {0, Between(0, height_ - 1), width_, height_};  // the bitmap's edges, one side cut
      case 2: {
        const int x = Between(0, width_ - 1), y = Between(0, height_ - 1);
        return {x, y, x + 1, y + 1};
      }
      default: {
        const int left = Between(0, width_ - 1), top = Between(0, height_ - 1);
        return {left, top, Between(left + 1, width_), Between(top + 1, height_)};
      }
    }
  }

 private:
  int X(int margin) { return Between(-margin, width_ + margin); }
  int Y(int margin) { return Between(-margin, height_ + margin); }
  // Far off, but within what GDI's own arithmetic handles exactly.
  int Far() { return Between(0, 1) ? Between(-300000, -1000) : Between(1000, 300000); }

  std::mt19937 random_;
  int width_, height_;
};

TEST(PixelWideLinesTest, EveryPixelIsTheOneGdiSetsForTheSamePolyline) {
  constexpr Scene kScenes[] = {{64, 48, false}, {600, 90, true}};
  constexpr int kWidths[] = {2, 3, 4, 5, 8, 16};
  constexpr int kPolylinesPerShape = 60;
  int compared = 0;
  for (const Scene& scene : kScenes) {
    DibSection gdi(scene.width, scene.height, scene.bottomUp);
    DibSection set(scene.width, scene.height, scene.bottomUp);
    for (const int width : kWidths) {
      PolylineMaker maker(static_cast<uint32_t>(width * 1000 + scene.width), scene.width, scene.height);
      for (int shape = 0; shape < static_cast<int>(Shape::kCount); ++shape)
        for (int n = 0; n < kPolylinesPerShape; ++n) {
          const std::vector<PixelPoint> points = maker.Make(static_cast<Shape>(shape));
          const Rect clip = n % 3 ? maker.MakeClip() : Rect{0, 0, scene.width, scene.height};
          gdi.Clear();
          set.Clear();
          DrawThroughGdi(gdi, points, width, clip);
          DrawCanvasWidePolyline(set.CanvasClippedTo(clip), points.data(), static_cast<int>(points.size()), width,
                                 PixelOfColor(kPenColor));
          const std::string difference = FirstDifference(gdi, set, scene.width, scene.height);
          ASSERT_EQ(difference, "") << scene.width << "x" << scene.height << ", " << Describe(points, width, clip);
          ++compared;
        }
    }
  }
  EXPECT_GT(compared, 5000);
}

}  // namespace
