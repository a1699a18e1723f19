// Outlined label texts kept as pictures.

#include "chart/label_images_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kMargin = 4;  // room for the outline and any ink past the text box
constexpr int kScratchWidth = 640;
constexpr int kScratchHeight = 64;  // twice over: the mask above, the picture below
constexpr size_t kMaxKept = 512;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kKeep = 0xFFFFFFFF;  // a mask pixel that leaves the destination as it is

// A label drawn as (destination AND mask) OR picture: the mask keeps the
// pixels the texts leave alone, the picture holds the colour of the others.
struct LabelImage {
  bool usable = false;
  int width = 0, height = 0;
  std::vector<uint32_t> mask, picture;
};

// Painting runs on the main thread only.
struct Scratch {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;  // top-down rows of kScratchWidth
};
Scratch gScratch;
std::unordered_map<std::wstring, LabelImage> gImages;
LOGFONTW gImagesFont{};

bool MakeScratch() {
  if (gScratch.dc != nullptr) return true;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kScratchWidth;
  info.bmiHeader.biHeight = -2 * kScratchHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  gScratch.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  gScratch.dc = gScratch.bitmap != nullptr ? CreateCompatibleDC(nullptr) : nullptr;
  if (gScratch.dc == nullptr) {
    FreeLabelImages();
    return false;
  }
  gScratch.old = SelectObject(gScratch.dc, gScratch.bitmap);
  gScratch.bits = static_cast<uint32_t*>(bits);
  SetBkMode(gScratch.dc, TRANSPARENT);
  SetTextAlign(gScratch.dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  return true;
}

// Only a DC that draws texts as the scratch does: the other cases are left to ExtTextOutW.
bool DrawsTextsPlainly(HDC dc) {
  return GetMapMode(dc) == MM_TEXT && GetBkMode(dc) == TRANSPARENT &&
         GetTextAlign(dc) == (TA_LEFT | TA_TOP | TA_NOUPDATECP) && GetTextCharacterExtra(dc) == 0 &&
         GetLayout(dc) == 0 && GetGraphicsMode(dc) == GM_COMPATIBLE;
}

std::wstring KeyOf(const std::wstring& text, COLORREF color, COLORREF outline) {
  std::wstring key = text;
  for (const COLORREF c : {color, outline}) {
    key.push_back(static_cast<wchar_t>(c & 0xFFFF));
    key.push_back(static_cast<wchar_t>(c >> 16));
  }
  return key;
}

// The five passes on a ground of one colour, the whole upper half of the
// scratch read back; false when ink fell outside the label's box, less its
// outermost ring, where the box could not have held all of it.
bool RenderOn(uint32_t ground, const std::wstring& text, COLORREF color, COLORREF outline, int width, int height,
              std::vector<uint32_t>* out) {
  static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  GdiFlush();
  std::fill_n(gScratch.bits, kScratchWidth * kScratchHeight, ground);
  const int length = static_cast<int>(text.size());
  SetTextColor(gScratch.dc, outline);
  for (const POINT& offset : kOffsets)
    ExtTextOutW(gScratch.dc, kMargin + offset.x, kMargin + offset.y, 0, nullptr, text.c_str(), length, nullptr);
  SetTextColor(gScratch.dc, color);
  ExtTextOutW(gScratch.dc, kMargin, kMargin, 0, nullptr, text.c_str(), length, nullptr);
  GdiFlush();
  out->resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < kScratchHeight; ++y) {
    for (int x = 0; x < kScratchWidth; ++x) {
      const uint32_t pixel = gScratch.bits[y * kScratchWidth + x] & kWhite;
      const bool inside = x > 0 && y > 0 && x < width - 1 && y < height - 1;
      if (!inside && pixel != ground) return false;
      if (x < width && y < height) (*out)[static_cast<size_t>(y) * width + x] = pixel;
    }
  }
  return true;
}

// Drawn on black and on white: a pixel alike on both is the texts' colour,
// one that shows each ground is left alone; any other (smoothed glyphs)
// would depend on what lies under it, and the label is not kept.
LabelImage MakeImage(HDC dc, const std::wstring& text, SIZE size, COLORREF color, COLORREF outline) {
  LabelImage image;
  image.width = size.cx + 2 * kMargin;
  image.height = size.cy + 2 * kMargin;
  if (image.width > kScratchWidth || image.height > kScratchHeight || !MakeScratch()) return image;
  const HGDIOBJ oldFont = SelectObject(gScratch.dc, GetCurrentObject(dc, OBJ_FONT));
  std::vector<uint32_t> onBlack, onWhite;
  const bool inBox = RenderOn(kBlack, text, color, outline, image.width, image.height, &onBlack) &&
                     RenderOn(kWhite, text, color, outline, image.width, image.height, &onWhite);
  SelectObject(gScratch.dc, oldFont);
  if (!inBox) return image;
  image.mask.resize(onBlack.size());
  image.picture.resize(onBlack.size());
  for (size_t i = 0; i < onBlack.size(); ++i) {
    if (onBlack[i] == onWhite[i]) {
      image.mask[i] = 0;
      image.picture[i] = onBlack[i];
    } else if (onBlack[i] == kBlack && onWhite[i] == kWhite) {
      image.mask[i] = kKeep;
      image.picture[i] = 0;
    } else {
      return LabelImage{};
    }
  }
  image.usable = true;
  return image;
}

// The kept pictures belong to one font: another one starts them afresh.
void KeepFontOf(HDC dc) {
  LOGFONTW font{};
  GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
  if (std::memcmp(&font, &gImagesFont, sizeof font) == 0) return;
  gImages.clear();
  gImagesFont = font;
}

void CopyRows(const std::vector<uint32_t>& pixels, int width, int height, int top) {
  for (int y = 0; y < height; ++y)
    std::memcpy(gScratch.bits + (top + y) * kScratchWidth, pixels.data() + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * sizeof pixels[0]);
}

}  // namespace

bool DrawKeptOutlinedText(HDC dc, const std::wstring& text, SIZE size, int x, int y, COLORREF color, COLORREF outline) {
  if (text.empty() || !DrawsTextsPlainly(dc)) return false;
  KeepFontOf(dc);
  const std::wstring key = KeyOf(text, color, outline);
  auto found = gImages.find(key);
  if (found == gImages.end()) {
    if (gImages.size() >= kMaxKept) gImages.clear();
    found = gImages.emplace(key, MakeImage(dc, text, size, color, outline)).first;
  }
  const LabelImage& image = found->second;
  if (!image.usable || gScratch.dc == nullptr) return false;
  GdiFlush();
  CopyRows(image.mask, image.width, image.height, 0);
  CopyRows(image.picture, image.width, image.height, kScratchHeight);
  const int left = x - kMargin;
  const int top = y - kMargin;
  BitBlt(dc, left, top, image.width, image.height, gScratch.dc, 0, 0, SRCAND);
  BitBlt(dc, left, top, image.width, image.height, gScratch.dc, 0, kScratchHeight, SRCPAINT);
  return true;
}

void FreeLabelImages() {
  gImages.clear();
  gImagesFont = LOGFONTW{};
  if (gScratch.dc != nullptr) {
    SelectObject(gScratch.dc, gScratch.old);
    DeleteDC(gScratch.dc);
  }
  if (gScratch.bitmap != nullptr) DeleteObject(gScratch.bitmap);
  gScratch = Scratch{};
}
