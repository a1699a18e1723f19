#include "chart/gdi_rules.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "records/settings_block.h"
#include "common/sjis_text.h"

namespace {

// The LOGFONT values a font dialog can hand back.
constexpr int kMaxFontWeight = 1000;          // FW_HEAVY
constexpr uint8_t kMaxOutPrecision = 10;      // OUT_PS_ONLY_PRECIS
constexpr uint8_t kClipPrecisionMask = 0x0F;  // CLIP_DEFAULT_, CHARACTER_ or STROKE_PRECIS
constexpr uint8_t kMaxClipPrecision = 2;
constexpr uint8_t kClipFlags = 0x70;  // CLIP_LH_ANGLES, CLIP_TT_ALWAYS, CLIP_DFA_DISABLE
constexpr uint8_t kMaxQuality = 6;    // CLEARTYPE_NATURAL_QUALITY
constexpr uint8_t kPitchMask = 0x03;  // 3 is no pitch
constexpr uint8_t kMaxFamily = 0x50;  // FF_DECORATIVE
constexpr uint8_t kDefaultCharSet = 1;

uint32_t ContrastChannel(uint32_t channel) {
  const int k = 255 - static_cast<int>(channel & 0xFF);
  return static_cast<uint32_t>(k < 128 ? k + 128 : k - 128);
}

template <typename T>
void KeepIf(bool ok, T& field, T fallback) {
  if (!ok) field = fallback;
}

bool IsFontExtent(int32_t value) { return value >= -kMaxScreenExtent && value <= kMaxScreenExtent; }

bool IsClipPrecision(uint8_t clip) {
  return (clip & kClipPrecisionMask) <= kMaxClipPrecision && (clip & ~(kClipPrecisionMask | kClipFlags)) == 0;
}

bool IsPitchAndFamily(uint8_t value) { return (value & kPitchMask) != kPitchMask && (value & 0xF0) <= kMaxFamily; }

}  // namespace

uint32_t ContrastTextColor(uint32_t background) {
  return ContrastChannel(background) | ContrastChannel(background >> 8) << 8 | ContrastChannel(background >> 16) << 16;
}

void CenterRectInRect(const Rect& outer, Rect* inner) {
  const int32_t width = inner->right - inner->left;
  const int32_t height = inner->bottom - inner->top;
  inner->left = outer.left + (outer.right - outer.left - width) / 2;
  inner->top = outer.top + (outer.bottom - outer.top - height) / 2;
  inner->right = inner->left + width;
  inner->bottom = inner->top + height;
}

Rect MoveRectInside(const Rect& area, const Rect& r) {
  int64_t dx = 0, dy = 0;
  if (r.right > area.right) dx = int64_t{area.right} - r.right;
  if (r.left + dx < area.left) dx = int64_t{area.left} - r.left;
  if (r.bottom > area.bottom) dy = int64_t{area.bottom} - r.bottom;
  if (r.top + dy < area.top) dy = int64_t{area.top} - r.top;
  return {static_cast<int32_t>(r.left + dx), static_cast<int32_t>(r.top + dy), static_cast<int32_t>(r.right + dx),
          static_cast<int32_t>(r.bottom + dy)};
}

Rect FitRightAlignedText(const Rect& area, const Rect& r, int width, int margin) {
  if (width <= r.right - r.left) return r;
  const int32_t right = std::max<int32_t>(r.right, area.left + margin + width);
  return {right - width, r.top, right, r.bottom};
}

bool HasFaceName(const LogFontImage& font) { return font.faceName[0] != 0; }

void ClearLogFont(LogFontImage* font) { memset(font, 0, sizeof *font); }

void CopyLogFont(const LogFontImage& from, LogFontImage* to) {
  memmove(to, &from, sizeof *to);
  to->faceName[sizeof to->faceName - 1] = 0;
}

void BringLogFontIntoRange(LogFontImage* font) {
  if (!IsCp932Text(font->faceName, sizeof font->faceName)) {
    ClearLogFont(font);
    return;
  }
  LogFontImage& f = *font;
  KeepIf(IsFontExtent(f.height), f.height, 0);
  KeepIf(IsFontExtent(f.width), f.width, 0);
  f.escapement = f.orientation = 0;
  KeepIf(f.weight >= 0 && f.weight <= kMaxFontWeight, f.weight, 0);
  for (uint8_t* flag : {&f.italic, &f.underline, &f.strikeOut}) KeepIf(*flag <= 1, *flag, uint8_t{0});
  KeepIf(f.charSet == 0 || f.charSet == kDefaultCharSet || f.charSet == kShiftJisCharSet, f.charSet, kShiftJisCharSet);
  KeepIf(f.outPrecision <= kMaxOutPrecision, f.outPrecision, uint8_t{0});
  KeepIf(IsClipPrecision(f.clipPrecision), f.clipPrecision, uint8_t{0});
  KeepIf(f.quality <= kMaxQuality, f.quality, uint8_t{0});
  KeepIf(IsPitchAndFamily(f.pitchAndFamily), f.pitchAndFamily, kDefaultPitch);
}

void MakeFontDialogCopy(const LogFontImage& setting, int height, int pitch, LogFontImage* copy) {
  if (HasFaceName(setting)) {
    CopyLogFont(setting, copy);
  } else {
    ClearLogFont(copy);
    copy->pitchAndFamily = static_cast<uint8_t>(pitch);
  }
  copy->height = height;
  copy->charSet = kShiftJisCharSet;
}

void MakeFontRequest(const LogFontImage& setting, int height, int pitch, LogFontImage* request) {
  MakeFontDialogCopy(setting, height, pitch, request);
  request->width = 0;
}
