// Whether a DC's drawing may be set straight into its bitmap's pixels.

#include "chart/pixel_canvas_win.h"

#include <algorithm>

#include "chart/chart_paint_win.h"

namespace {

bool HasPlainMapping(HDC dc) {
  POINT window{}, viewport{};
  return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE && GetLayout(dc) == 0 &&
         GetWindowOrgEx(dc, &window) != 0 && GetViewportOrgEx(dc, &viewport) != 0 && window.x == 0 && window.y == 0 &&
         viewport.x == 0 && viewport.y == 0;
}

enum class RowOrder { kTopDown, kBottomUp, kUnknown };

// Which way the rows lie in memory. The DIB section's header does not say
// (its height reads positive either way), so a marker is put where the pixel
// (x, y) lies in a top-down bitmap and the system is asked for that pixel;
// the word is put back at once. (x, y) lies inside the clip, and y is not the
// middle row unless the clip holds that row alone, when either order sets the
// same words.
RowOrder FindRowOrder(HDC dc, uint32_t* bits, int32_t width, int32_t height, int32_t x, int32_t y) {
  uint32_t& topDownWord = bits[static_cast<intptr_t>(y) * width + x];
  const uint32_t bottomUpWord = bits[static_cast<intptr_t>(height - 1 - y) * width + x];
  const uint32_t saved = topDownWord;
  const uint32_t marker = ~bottomUpWord & 0x00FFFFFFu;
  topDownWord = marker;
  const COLORREF seen = GetPixel(dc, x, y);
  topDownWord = saved;
  if (seen == CLR_INVALID) return RowOrder::kUnknown;
  return PixelOfColor(seen) == marker ? RowOrder::kTopDown : RowOrder::kBottomUp;
}

}  // namespace

bool GetDcPixelCanvas(HDC dc, PixelCanvas* canvas) {
  if (gMetafileRendering != 0 || GetROP2(dc) != R2_COPYPEN) return false;
  const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
  DIBSECTION dib{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof dib, &dib) != static_cast<int>(sizeof dib)) return false;
  if (dib.dsBm.bmBits == nullptr || dib.dsBmih.biBitCount != 32 || dib.dsBmih.biCompression != BI_RGB ||
      dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight <= 0 || dib.dsBm.bmWidthBytes != dib.dsBm.bmWidth * 4)
    return false;
  RECT box;
  if (GetClipBox(dc, &box) != SIMPLEREGION || !HasPlainMapping(dc)) return false;
  const int32_t width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  const Rect clip = {std::max<int32_t>(box.left, 0), std::max<int32_t>(box.top, 0), std::min<int32_t>(box.right, width),
                     std::min<int32_t>(box.bottom, height)};
  if (IsEmptyRect(clip)) return false;
  GdiFlush();  // the system may still hold drawing for this bitmap
  auto* first = static_cast<uint32_t*>(dib.dsBm.bmBits);
  const int32_t probeY = (clip.top * 2 == height - 1 && clip.bottom - clip.top > 1) ? clip.top + 1 : clip.top;
  const RowOrder order = FindRowOrder(dc, first, width, height, clip.left, probeY);
  if (order == RowOrder::kUnknown) return false;
  canvas->bits = order == RowOrder::kTopDown ? first : first + static_cast<intptr_t>(height - 1) * width;
  canvas->width = width;
  canvas->height = height;
  canvas->stride = order == RowOrder::kTopDown ? width : -width;
  canvas->clip = clip;
  return true;
}

HBITMAP CreateCanvasSection(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
