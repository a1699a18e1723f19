#pragma once
// The rules behind the shared fonts and drawing routines that need no device:
// the contrast colour, centring rectangles and the LOGFONT images of the two
// font settings.
#include <cstdint>

#include "records/screen_pattern_record.h"  // kMaxScreenExtent

struct LogFontImage;

struct Rect {
  int32_t left, top, right, bottom;
};

struct PixelPoint {
  int32_t x, y;
};

// No pixel inside (right and bottom are exclusive).
constexpr bool IsEmptyRect(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }
constexpr bool RectContains(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

constexpr uint8_t kShiftJisCharSet = 128;
constexpr uint8_t kDefaultPitch = 0;
constexpr uint8_t kFixedPitch = 1;

// Text colour for a background (both 0x00BBGGRR): each channel 255 - c moved
// by 128, so that the text stays readable on grey too.
uint32_t ContrastTextColor(uint32_t background);
// Moves `inner` so that it is centred in `outer` (halves truncated).
void CenterRectInRect(const Rect& outer, Rect* inner);
// `r` moved the least into `area`; the left and top edges win when it is larger.
Rect MoveRectInside(const Rect& area, const Rect& r);
// Where a right-aligned text `width` wide is drawn so that none of it is
// cut: `r` when it holds the text; else a rectangle of the text's width,
// right-aligned in `r` unless that starts less than `margin` inside `area`'s
// left edge, then starting there.
Rect FitRightAlignedText(const Rect& area, const Rect& r, int width, int margin);

// An empty face name means the system's default face.
bool HasFaceName(const LogFontImage& font);
void ClearLogFont(LogFontImage* font);
// Copies a setting, its face name always terminated.
void CopyLogFont(const LogFontImage& from, LogFontImage* to);
// Brings a setting read from a file into what a font dialog could have left
// there: a face name that is no terminated Shift-JIS text clears the whole
// setting (the default face); a field out of its LOGFONT range takes its
// cleared value, the character set Shift-JIS; escapement and orientation
// become 0, as chart text is written level.
void BringLogFontIntoRange(LogFontImage* font);
// What a font made from a setting asks for: with no face name, only the
// height, Shift-JIS and the pitch (0 default, 1 fixed); otherwise the setting
// with the height replaced, width 0 and Shift-JIS.
void MakeFontRequest(const LogFontImage& setting, int height, int pitch, LogFontImage* request);
// The copy a font dialog starts from: a setting without face name becomes a
// cleared image with the pitch; then the height and Shift-JIS.
void MakeFontDialogCopy(const LogFontImage& setting, int height, int pitch, LogFontImage* copy);
