#pragma once
// A memory bitmap for the Windows tests to paint on and read back.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/win/win_test_support.h"

// A top-down 32-bit DIB section selected into a memory DC. Every pixel starts
// as the background colour, which is also what At() answers outside the bitmap.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = RGB(255, 255, 255))
      : width_(width), height_(height), background_(background) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreatePixelBitmap(dc_, width, height, &bits_);
    old_ = SelectObject(dc_, bitmap_);
    Fill(background);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The whole bitmap, written directly.
  void Fill(COLORREF color) {
    GdiFlush();
    std::fill(bits_, bits_ + width_ * height_, ToPixel(color));
  }
  // A rectangle, with a GDI brush.
  void Fill(const RECT& rect, COLORREF color) {
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc_, &rect, brush);
    DeleteObject(brush);
  }

  COLORREF At(int x, int y) const {
    if (!Contains(x, y)) return background_;
    GdiFlush();
    return ToColor(bits_[y * width_ + x]);
  }
  struct Pixel {
    int x, y;
    COLORREF color;
  };
  // The pixels not of their expected colour, as "x,y " texts: "" when all are.
  std::string WrongPixels(std::initializer_list<Pixel> pixels) const {
    std::string wrong;
    for (const Pixel& p : pixels)
      if (At(p.x, p.y) != p.color) wrong += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    return wrong;
  }
  // Top-down 0x00RRGGBB pixels.
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    return std::vector<uint32_t>(bits_, bits_ + width_ * height_);
  }
  void SetPixels(const std::vector<uint32_t>& pixels) {
    GdiFlush();
    memcpy(bits_, pixels.data(), std::min<size_t>(pixels.size(), width_ * height_) * sizeof pixels[0]);
  }

  // Pixels of the area, as far as it lies on the bitmap, whose colour matches.
  int Count(const RECT& area, const std::function<bool(COLORREF)>& match) const {
    GdiFlush();
    int n = 0;
    for (int y = std::max(0L, area.top); y < std::min<LONG>(height_, area.bottom); ++y)
      for (int x = std::max(0L, area.left); x < std::min<LONG>(width_, area.right); ++x)
        n += match(ToColor(bits_[y * width_ + x]));
    return n;
  }
  int Count(const RECT& area, COLORREF color) const {
    return Count(area, [color](COLORREF c) { return c == color; });
  }
  int CountOther(const RECT& area, COLORREF color) const {
    return Count(area, [color](COLORREF c) { return c != color; });
  }
  // Pixels of the area, as far as it lies on this bitmap, that differ from the other's.
  int CountDifferences(const Canvas& other, const RECT& area) const {
    GdiFlush();
    int n = 0;
    for (int y = std::max(0L, area.top); y < std::min<LONG>(height_, area.bottom); ++y)
      for (int x = std::max(0L, area.left); x < std::min<LONG>(width_, area.right); ++x)
        n += ToColor(bits_[y * width_ + x]) != other.At(x, y);
    return n;
  }

  // A 24-bit BMP, as picture viewers expect.
  bool SaveBmp(const std::wstring& path) const {
    GdiFlush();
    return WriteBmp24(path, width_, height_, bits_);
  }

 private:
  static uint32_t ToPixel(COLORREF c) {
    return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
  }
  static COLORREF ToColor(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int width_, height_;
  COLORREF background_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};
