#pragma once
// A memory bitmap for the Windows tests to paint on, read back and save.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "tests/win/win_test_support.h"

// A 32-bit DIB section selected into a memory DC, top-down unless asked
// otherwise (the pixel painters must handle both row orders). Every pixel
// starts as the background colour, which is also what At() answers outside
// the bitmap. A 24-bit one serves only as a DC that is no 32-bit bitmap.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = RGB(255, 255, 255), bool topDown = true, int bitCount = 32)
      : width_(width), height_(height), topDown_(topDown), background_(background), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    SetBitmapHeader(info.bmiHeader, width, topDown ? -height : height, bitCount);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    if (bitCount == 32) Fill(background);
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
  RECT Whole() const { return {0, 0, width_, height_}; }
  void Fill(const RECT& rect, COLORREF color) {
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc_, &rect, brush);
    DeleteObject(brush);
  }
  void Fill(COLORREF color) { Fill(Whole(), color); }
  COLORREF At(int x, int y) const {
    if (!Contains(x, y)) return background_;
    GdiFlush();
    return ToColor(Row(y)[x]);
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
  // Row y's 0x00RRGGBB pixels, wherever the row order puts them.
  uint32_t* Row(int y) const { return bits_ + static_cast<ptrdiff_t>(topDown_ ? y : height_ - 1 - y) * width_; }
  bool topDown() const { return topDown_; }
  // The background everywhere, then drawing clipped to `clip`.
  void ClearAndClip(const RECT& clip) {
    SelectClipRgn(dc_, nullptr);
    Fill(background_);
    IntersectClipRect(dc_, clip.left, clip.top, clip.right, clip.bottom);
  }
  // The pixels as they lie in memory.
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    return std::vector<uint32_t>(bits_, bits_ + static_cast<size_t>(width_) * height_);
  }
  // Top-down 0x00RRGGBB pixels.
  void SetPixels(const std::vector<uint32_t>& pixels) {
    GdiFlush();
    memcpy(bits_, pixels.data(), std::min<size_t>(pixels.size(), width_ * height_) * sizeof pixels[0]);
  }
  // Pixels of the area, as far as it lies on the bitmap, whose colour matches.
  int Count(const RECT& area, const std::function<bool(COLORREF)>& match) const {
    GdiFlush();
    int n = 0;
    for (int y = std::max(0L, area.top); y < std::min<LONG>(height_, area.bottom); ++y)
      for (int x = std::max(0L, area.left); x < std::min<LONG>(width_, area.right); ++x) n += match(ToColor(Row(y)[x]));
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
    int n = 0;
    for (int y = std::max(0L, area.top); y < std::min<LONG>(height_, area.bottom); ++y)
      for (int x = std::max(0L, area.left); x < std::min<LONG>(width_, area.right); ++x)
        n += At(x, y) != other.At(x, y);
    return n;
  }
  // A 24-bit BMP named `name` in the artifacts folder, as picture viewers expect.
  bool SaveArtifact(const std::wstring& name) const {
    BITMAPINFO info{};
    SetBitmapHeader(info.bmiHeader, width_, height_, 24);  // rows bottom-up
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + ((static_cast<DWORD>(width_) * 3 + 3) & ~3u) * height_;
    std::vector<unsigned char> bytes(file.bfSize, 0);
    memcpy(bytes.data(), &file, sizeof file);
    memcpy(bytes.data() + sizeof file, &info.bmiHeader, sizeof info.bmiHeader);
    GdiFlush();
    return GetDIBits(dc_, bitmap_, 0, height_, bytes.data() + file.bfOffBits, &info, DIB_RGB_COLORS) == height_ &&
           WriteFileBytes(ArtifactsFolder() + name, bytes);
  }

 private:
  static void SetBitmapHeader(BITMAPINFOHEADER& header, int width, int height, int bits) {
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // negative: top-down
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
  }
  static COLORREF ToColor(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int width_, height_;
  bool topDown_;
  COLORREF background_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// What a window shows on the screen; black where it lies off the screen.
inline std::unique_ptr<Canvas> ScreenPicture(HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  auto picture = std::make_unique<Canvas>(std::max(1L, rc.right - rc.left), std::max(1L, rc.bottom - rc.top), 0);
  const HDC screen = GetDC(nullptr);
  BitBlt(picture->dc(), 0, 0, picture->width(), picture->height(), screen, rc.left, rc.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return picture;
}

inline bool SaveWindowPicture(HWND hwnd, const std::wstring& name) {
  return IsWindow(hwnd) && ScreenPicture(hwnd)->SaveArtifact(name);
}

// Expects each {x, y, colour} of the canvas to show its colour; a failure names those that do not.
#define EXPECT_PIXELS(canvas, ...) EXPECT_EQ((canvas).WrongPixels({__VA_ARGS__}), "")
