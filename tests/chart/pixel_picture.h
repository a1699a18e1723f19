#pragma once
// What a pixel painter sets on a small bitmap, as text the tests can compare.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "chart/pixel_canvas.h"

constexpr int kPictureWidth = 8, kPictureHeight = 5;
constexpr Rect kWholePicture = {0, 0, kPictureWidth, kPictureHeight};

// The pixels `draw` sets on a kPictureWidth x kPictureHeight bitmap clipped to
// `clip`, rows top first and separated by "/"; `bottomUp` lays the rows out
// the other way in memory. The buffer is exactly the bitmap, so that the
// address sanitizer catches a stray write.
inline std::string PaintedPicture(const std::function<void(const PixelCanvas&)>& draw, Rect clip, bool bottomUp) {
  std::vector<uint32_t> bits(kPictureWidth * kPictureHeight, 0);
  uint32_t* top = bottomUp ? bits.data() + (kPictureHeight - 1) * kPictureWidth : bits.data();
  const PixelCanvas canvas{top, kPictureWidth, kPictureHeight, bottomUp ? -kPictureWidth : kPictureWidth, clip};
  draw(canvas);
  std::string picture;
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) picture += top[y * canvas.stride + x] ? '#' : '.';
    if (y + 1 < kPictureHeight) picture += '/';
  }
  return picture;
}
