// Chart texts kept as pictures.

#include "chart/label_images_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "chart/pixel_canvas_win.h"

namespace {

constexpr int kMargin = 4;   // room for an outline and any ink past the text box
constexpr int kBeyond = 16;  // more ground past the margin, where no ink may fall
constexpr int kScratchWidth = 640;
constexpr int kScratchHeight = 64;  // twice over: the mask above, the picture below
constexpr size_t kMaxKept = 1024;
constexpr size_t kMaxKeptPixels = size_t{1} << 21;  // 16 MB of masks and pictures
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kKeep = 0xFFFFFFFF;  // a mask pixel that leaves the destination as it is

struct PixelSpan {
  int32_t row, from, to;  // to exclusive
};

// A text drawn as (destination AND mask) OR picture: the mask keeps the
// pixels the text leaves alone, the picture holds the colour of the others.
struct TextImage {
  int sightings = 0;
  bool usable = false;
  int width = 0, height = 0;
  std::vector<uint32_t> mask, picture;
  std::vector<PixelSpan> spans;  // the runs of each row that the picture covers (mask 0)
};

// Painting runs on the main thread only.
struct Scratch {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;  // top-down rows of kScratchWidth
};
Scratch gScratch;
std::unordered_map<std::wstring, TextImage> gImages;
size_t gKeptPixels = 0;

void ForgetImages() {
  gImages.clear();
  gKeptPixels = 0;
}

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
  return true;
}

// Only a memory bitmap of full colour, where the blits copy the colours
// exactly, and whose texts come out wherever they are drawn just as on the scratch.
bool DrawsTextsPlainly(HDC dc) {
  if (GetObjectType(dc) != OBJ_MEMDC) return false;
  BITMAP bitmap{};
  if (GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap) == 0 || bitmap.bmBitsPixel < 24)
    return false;
  return GetMapMode(dc) == MM_TEXT && (GetTextAlign(dc) & TA_UPDATECP) == 0 && GetTextCharacterExtra(dc) == 0 &&
         GetLayout(dc) == 0 && GetGraphicsMode(dc) == GM_COMPATIBLE;
}

// The fonts of the kept pictures, by their description: a key names its font by its place here.
constexpr size_t kMaxFonts = 8;
std::vector<LOGFONTW> gFonts;

uint32_t FontNumberOf(HDC dc) {
  LOGFONTW font{};
  GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
  for (size_t i = 0; i < gFonts.size(); ++i)
    if (std::memcmp(&font, &gFonts[i], sizeof font) == 0) return static_cast<uint32_t>(i);
  if (gFonts.size() >= kMaxFonts) {
    gFonts.clear();
    ForgetImages();
  }
  gFonts.push_back(font);
  return static_cast<uint32_t>(gFonts.size() - 1);
}

void AppendNumber(std::wstring* key, uint32_t n) {
  key->push_back(static_cast<wchar_t>(n & 0xFFFF));
  key->push_back(static_cast<wchar_t>(n >> 16));
}

// The DC's text state copied to the scratch, and the part of it that goes into a key.
void CopyTextState(HDC dc, std::wstring* key) {
  const COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
  const int mode = GetBkMode(dc);
  const UINT align = GetTextAlign(dc);
  SetTextColor(gScratch.dc, text);
  SetBkColor(gScratch.dc, back);
  SetBkMode(gScratch.dc, mode);
  SetTextAlign(gScratch.dc, align);
  for (const uint32_t n : {uint32_t{text}, uint32_t{back}, static_cast<uint32_t>(mode), uint32_t{align}})
    AppendNumber(key, n);
}

// The text drawn by `draw` with its box at (kMargin, kMargin) on a ground of
// one colour, read back; false when ink fell outside the box less its
// outermost ring, where the box could not have held all of it.
bool RenderOn(uint32_t ground, int width, int height, const std::function<void()>& draw, std::vector<uint32_t>* out) {
  const int right = std::min(kScratchWidth, width + kBeyond);
  const int bottom = std::min(kScratchHeight, height + kBeyond);
  GdiFlush();
  for (int y = 0; y < bottom; ++y) std::fill_n(gScratch.bits + y * kScratchWidth, right, ground);
  draw();
  GdiFlush();
  out->resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < bottom; ++y) {
    for (int x = 0; x < right; ++x) {
      const uint32_t pixel = gScratch.bits[y * kScratchWidth + x] & kWhite;
      const bool inside = x > 0 && y > 0 && x < width - 1 && y < height - 1;
      if (!inside && pixel != ground) return false;
      if (x < width && y < height) (*out)[static_cast<size_t>(y) * width + x] = pixel;
    }
  }
  return true;
}

// A pixel alike on black and on white is the text's; one that shows each
// ground is left alone; any other would depend on what lies under it.
void MakeImage(HDC dc, int width, int height, const std::function<void()>& draw, TextImage* image) {
  image->width = width;
  image->height = height;
  if (width + kBeyond > kScratchWidth || height + kBeyond > kScratchHeight) return;
  const HGDIOBJ oldFont = SelectObject(gScratch.dc, GetCurrentObject(dc, OBJ_FONT));
  std::vector<uint32_t> onBlack, onWhite;
  const bool inBox = RenderOn(kBlack, width, height, draw, &onBlack) && RenderOn(kWhite, width, height, draw, &onWhite);
  SelectObject(gScratch.dc, oldFont);
  if (!inBox) return;
  image->mask.resize(onBlack.size());
  image->picture.resize(onBlack.size());
  for (size_t i = 0; i < onBlack.size(); ++i) {
    if (onBlack[i] == onWhite[i]) {
      image->mask[i] = 0;
      image->picture[i] = onBlack[i];
    } else if (onBlack[i] == kBlack && onWhite[i] == kWhite) {
      image->mask[i] = kKeep;
      image->picture[i] = 0;
    } else {
      image->mask.clear();
      image->picture.clear();
      return;
    }
  }
  for (int y = 0; y < height; ++y) {
    const uint32_t* mask = image->mask.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width;) {
      if (mask[x] != 0) {
        ++x;
        continue;
      }
      const int from = x;
      while (x < width && mask[x] == 0) ++x;
      image->spans.push_back({y, from, x});
    }
  }
  image->usable = true;
}

void CopyRows(const std::vector<uint32_t>& pixels, int width, int height, int top) {
  for (int y = 0; y < height; ++y)
    std::memcpy(gScratch.bits + (top + y) * kScratchWidth, pixels.data() + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * sizeof pixels[0]);
}

// The picture of the text of `key`, `width` x `height` with the margins,
// made when it is seen the second time; null while there is none.
const TextImage* KeptImage(HDC dc, const std::wstring& key, int width, int height, const std::function<void()>& draw) {
  const bool full = gImages.size() >= kMaxKept || gKeptPixels >= kMaxKeptPixels;
  if (full && gImages.find(key) == gImages.end()) ForgetImages();
  TextImage& image = gImages[key];
  if (++image.sightings == 2) {
    MakeImage(dc, width, height, draw, &image);
    gKeptPixels += image.mask.size();
  }
  return image.usable ? &image : nullptr;
}

// A kept picture set straight into the pixels inside the clip, as the two
// blits set them: the mask is either all ones, keeping a pixel, or zero,
// where the picture's pixel replaces it.
void SetKeptImage(const PixelCanvas& canvas, const TextImage& image, int left, int top) {
  for (const PixelSpan& span : image.spans) {
    const int y = top + span.row;
    if (y < canvas.clip.top || y >= canvas.clip.bottom) continue;
    const int from = std::max(left + span.from, canvas.clip.left), to = std::min(left + span.to, canvas.clip.right);
    if (from >= to) continue;
    std::memcpy(canvas.bits + static_cast<intptr_t>(y) * canvas.stride + from,
                image.picture.data() + static_cast<size_t>(span.row) * image.width + (from - left),
                static_cast<size_t>(to - from) * sizeof(uint32_t));
  }
}

// The text of `key` drawn with its box's top-left corner at (left, top),
// straight into the pixels where the DC allows it; a text seen for the first
// time is left to the caller.
bool DrawKept(HDC dc, const std::wstring& key, int width, int height, int left, int top,
              const std::function<void()>& draw) {
  const TextImage* image = KeptImage(dc, key, width, height, draw);
  if (image == nullptr) return false;
  PixelCanvas canvas;
  if (GetDcPixelCanvas(dc, &canvas)) {
    SetKeptImage(canvas, *image, left, top);
    return true;
  }
  GdiFlush();
  CopyRows(image->mask, image->width, image->height, 0);
  CopyRows(image->picture, image->width, image->height, kScratchHeight);
  BitBlt(dc, left, top, image->width, image->height, gScratch.dc, 0, 0, SRCAND);
  BitBlt(dc, left, top, image->width, image->height, gScratch.dc, 0, kScratchHeight, SRCPAINT);
  return true;
}

// The key of a DrawKeptText picture.
std::wstring KeyOfDrawnText(uint32_t font, UINT flags, int width, int height, const std::wstring& textState,
                            const std::wstring& text) {
  std::wstring key = L"D";
  AppendNumber(&key, font);
  AppendNumber(&key, flags);
  AppendNumber(&key, static_cast<uint32_t>(width));
  AppendNumber(&key, static_cast<uint32_t>(height));
  key += textState;
  key += text;
  return key;
}

// Where the rectangle starts decides nothing but where the text goes, as long as it is not negative.
bool IsKeepableText(const std::wstring& text, const RECT& rect, UINT flags) {
  return !text.empty() && rect.right > rect.left && rect.bottom > rect.top && rect.left >= 0 && rect.top >= 0 &&
         (flags & (DT_CALCRECT | DT_MODIFYSTRING | DT_EXPANDTABS)) == 0;
}

std::function<void()> DrawTextOnScratch(const std::wstring& text, int width, int height, UINT flags) {
  return [&text, width, height, flags] {
    RECT box = {kMargin, kMargin, kMargin + width, kMargin + height};
    DrawTextW(gScratch.dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
  };
}

}  // namespace

bool DrawKeptOutlinedText(HDC dc, const std::wstring& text, SIZE size, int x, int y, COLORREF color, COLORREF outline) {
  if (text.empty() || !DrawsTextsPlainly(dc) || GetBkMode(dc) != TRANSPARENT || !MakeScratch()) return false;
  std::wstring key = L"O";
  AppendNumber(&key, FontNumberOf(dc));
  AppendNumber(&key, color);
  AppendNumber(&key, outline);
  AppendNumber(&key, GetTextAlign(dc));
  key += text;
  const auto draw = [&] {
    static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    const int length = static_cast<int>(text.size());
    SetBkMode(gScratch.dc, TRANSPARENT);
    SetTextAlign(gScratch.dc, GetTextAlign(dc));
    SetTextColor(gScratch.dc, outline);
    for (const POINT& offset : kOffsets)
      ExtTextOutW(gScratch.dc, kMargin + offset.x, kMargin + offset.y, 0, nullptr, text.c_str(), length, nullptr);
    SetTextColor(gScratch.dc, color);
    ExtTextOutW(gScratch.dc, kMargin, kMargin, 0, nullptr, text.c_str(), length, nullptr);
  };
  return DrawKept(dc, key, size.cx + 2 * kMargin, size.cy + 2 * kMargin, x - kMargin, y - kMargin, draw);
}

void DrawKeptText(HDC dc, const std::wstring& text, const RECT& rect, UINT flags) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (IsKeepableText(text, rect, flags) && DrawsTextsPlainly(dc) && MakeScratch()) {
    const uint32_t font = FontNumberOf(dc);
    std::wstring textState;
    CopyTextState(dc, &textState);
    const std::wstring key = KeyOfDrawnText(font, flags, width, height, textState, text);
    if (DrawKept(dc, key, width + 2 * kMargin, height + 2 * kMargin, rect.left - kMargin, rect.top - kMargin,
                 DrawTextOnScratch(text, width, height, flags)))
      return;
  }
  RECT box = rect;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
}

void DrawKeptTexts(HDC dc, const KeptTextPlace* places, int count, UINT flags) {
  PixelCanvas canvas;
  if (!DrawsTextsPlainly(dc) || !MakeScratch() || !GetDcPixelCanvas(dc, &canvas)) {
    for (int i = 0; i < count; ++i) DrawKeptText(dc, *places[i].text, places[i].rect, flags);
    return;
  }
  const uint32_t font = FontNumberOf(dc);
  std::wstring textState;
  CopyTextState(dc, &textState);
  for (int i = 0; i < count; ++i) {
    const std::wstring& text = *places[i].text;
    const RECT& rect = places[i].rect;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (IsKeepableText(text, rect, flags)) {
      const TextImage* image =
          KeptImage(dc, KeyOfDrawnText(font, flags, width, height, textState, text), width + 2 * kMargin,
                    height + 2 * kMargin, DrawTextOnScratch(text, width, height, flags));
      if (image != nullptr) {
        SetKeptImage(canvas, *image, rect.left - kMargin, rect.top - kMargin);
        continue;
      }
    }
    RECT box = rect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
    GdiFlush();  // before the next picture is set into the pixels
  }
}

void FreeLabelImages() {
  ForgetImages();
  gFonts.clear();
  if (gScratch.dc != nullptr) {
    SelectObject(gScratch.dc, gScratch.old);
    DeleteDC(gScratch.dc);
  }
  if (gScratch.bitmap != nullptr) DeleteObject(gScratch.bitmap);
  gScratch = Scratch{};
}
