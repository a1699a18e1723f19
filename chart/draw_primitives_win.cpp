// Chart drawing primitives on a caller's device context.

#include "chart/draw_primitives_win.h"

#include <cstring>
#include <string>

#include "chart/chart_text.h"
#include "chart/paint_tools_win.h"
#include "chart/gdi_objects_win.h"
#include "platform/win_text.h"
#include "records/settings_block.h"

namespace {

constexpr int kDefaultPenWidth = 2;

std::wstring WideText(const char* text, int length) {
  if (text == nullptr) return std::wstring();
  return SjisToWide(text, length < 0 ? static_cast<int>(strlen(text)) : length);
}

void DrawWide(HDC dc, const std::wstring& text, RECT rect, UINT flags) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

}  // namespace

void DrawOutlinedText(HDC dc, const char* text, int length, RECT* rect, UINT flags) {
  static const POINT kOffsets[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  const std::wstring wide = WideText(text, length);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF textColor = SetTextColor(dc, PaletteColor(kColorBackground));
  for (const POINT& offset : kOffsets) {
    RECT moved = *rect;
    OffsetRect(&moved, offset.x, offset.y);
    DrawWide(dc, wide, moved, flags);
  }
  SetTextColor(dc, textColor);
  DrawWide(dc, wide, *rect, flags);
  SetBkMode(dc, oldMode);
}

void DrawTextOnBackground(HDC dc, const char* text, int length, const RECT& rect, UINT flags) {
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldBack = SetBkColor(dc, PaletteColor(kColorBackground));
  const COLORREF oldText = SetTextColor(dc, PaletteColor(kColorNumberEven));
  DrawWide(dc, WideText(text, length), rect, flags);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SetBkMode(dc, oldMode);
}

void FillRectColor(HDC dc, const RECT& rect, COLORREF color) { FillRect(dc, &rect, CachedBrush(color)); }

void DrawRectFrameLines(HDC dc, const RECT& rect, HPEN pen) {
  const HGDIOBJ old = SelectObject(dc, pen);
  DrawRectOutline(dc, rect);
  SelectObject(dc, old);
}

void DrawRectDiagonals(HDC dc, const RECT& rect, HPEN pen) {
  const HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, rect.left, rect.top, nullptr);
  LineTo(dc, rect.right, rect.bottom);
  MoveToEx(dc, rect.right - 1, rect.top, nullptr);
  LineTo(dc, rect.left - 1, rect.bottom);
  SelectObject(dc, old);
}

void DrawEllipseWithBrush(HDC dc, const RECT& rect, HBRUSH brush) {
  const HGDIOBJ old = SelectObject(dc, brush);
  Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
  SelectObject(dc, old);
}

void DrawSmallCross(HDC dc, int x, int y) {
  MoveToEx(dc, x - 1, y, nullptr);
  LineTo(dc, x + 2, y);
  MoveToEx(dc, x, y - 1, nullptr);
  LineTo(dc, x, y + 2);
}

void DrawCrossTrail(HDC dc, int x1, int y1, int x2, int y2) {
  const int count = CountCrossTrailPoints(x1, y1, x2, y2);
  for (int k = 0; k < count; ++k) {
    const PixelPoint point = GetCrossTrailPoint(x1, y1, x2, y2, k);
    DrawSmallCross(dc, point.x, point.y);
  }
}

void DrawCrossTrailWithin(HDC dc, int x1, int y1, int x2, int y2, const RECT& area) {
  const Rect inside = {area.left, area.top, area.right, area.bottom};
  int first = 0, last = -1;
  if (!GetCrossTrailRange(x1, y1, x2, y2, inside, &first, &last)) return;
  for (int k = first; k <= last; ++k) {
    const PixelPoint point = GetCrossTrailPoint(x1, y1, x2, y2, k);
    if (CrossTouchesRect(inside, point)) DrawSmallCross(dc, point.x, point.y);
  }
}

void DrawTriangleMark(HDC dc, const RECT& rect, COLORREF color, bool down, bool fill) {
  PixelPoint corners[3];
  GetTriangleMarkPoints({rect.left, rect.top, rect.right, rect.bottom}, down, corners);
  POINT points[3];
  for (int i = 0; i < 3; ++i) points[i] = {corners[i].x, corners[i].y};
  const HGDIOBJ oldPen = SelectObject(dc, CachedPen(PS_SOLID, 1, color));
  if (fill) {
    const HGDIOBJ oldBrush = SelectObject(dc, CachedBrush(color));
    Polygon(dc, points, 3);
    SelectObject(dc, oldBrush);
  } else {
    Polyline(dc, points, 3);
  }
  SelectObject(dc, oldPen);
}

HPEN CreatePalettePen(int width, int slot) {
  LOGBRUSH brush{};
  brush.lbStyle = BS_SOLID;
  brush.lbColor = PaletteColor(slot);
  const DWORD shownWidth = static_cast<DWORD>(width != 0 ? width : kDefaultPenWidth);
  return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, shownWidth, &brush, 0, nullptr);
}
