#include "chart/gdi_rules.h"

#include <cstring>

#include "records/settings_block.h"

namespace {

uint32_t ContrastChannel(uint32_t channel) {
  const int k = 255 - static_cast<int>(channel & 0xFF);
  return static_cast<uint32_t>(k < 128 ? k + 128 : k - 128);
}

}  // namespace

uint32_t ContrastTextColor(uint32_t background) {
  return ContrastChannel(background) | ContrastChannel(background >> 8) << 8 |
         ContrastChannel(background >> 16) << 16;
}

void CenterRectInRect(const Rect& outer, Rect* inner) {
  const int32_t width = inner->right - inner->left;
  const int32_t height = inner->bottom - inner->top;
  inner->left = outer.left + (outer.right - outer.left - width) / 2;
  inner->top = outer.top + (outer.bottom - outer.top - height) / 2;
  inner->right = inner->left + width;
  inner->bottom = inner->top + height;
}

bool HasFaceName(const LogFontImage& font) { return font.faceName[0] != 0; }

void ClearLogFont(LogFontImage* font) { memset(font, 0, sizeof *font); }

void CopyLogFont(const LogFontImage& from, LogFontImage* to) {
  memmove(to, &from, sizeof *to);
  to->faceName[sizeof to->faceName - 1] = 0;
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
