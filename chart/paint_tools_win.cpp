// Small helpers of the chart painters.

#include "chart/paint_tools_win.h"

#include <algorithm>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/pane_pixels.h"
#include "chart/gdi_objects_win.h"
#include "chart/pixel_canvas_win.h"
#include "platform/win_text.h"
#include "records/settings_block.h"

RECT ToWinRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

SavedPaneDc::SavedPaneDc(HDC dc, const RECT& clip, HFONT font)
    : dc_(dc),
      font_(SelectObject(dc, font)),
      pen_(GetCurrentObject(dc, OBJ_PEN)),
      brush_(GetCurrentObject(dc, OBJ_BRUSH)),
      textColor_(GetTextColor(dc)),
      backColor_(GetBkColor(dc)),
      mode_(SetBkMode(dc, TRANSPARENT)),
      align_(SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP)),
      clip_(PushClipRect(dc, clip)) {}

SavedPaneDc::~SavedPaneDc() {
  PopClipRect(dc_, clip_);
  SetTextAlign(dc_, align_);
  SetBkMode(dc_, mode_);
  SetBkColor(dc_, backColor_);
  SetTextColor(dc_, textColor_);
  SelectObject(dc_, brush_);
  SelectObject(dc_, pen_);
  SelectObject(dc_, font_);
}

RECT ScaleLabelRect(HDC dc, const std::wstring& text, const Rect& label, const Rect& pane) {
  constexpr int kPaneEdgeGap = 4;  // as far in as a label ends short of the scale's right edge
  const int room = label.right - label.left;
  // Only a text that may not fit is measured: most labels are a few digits.
  if (static_cast<int64_t>(text.size()) * gFixedFontMetrics.tmMaxCharWidth <= room) return ToWinRect(label);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return ToWinRect(FitRightAlignedText(pane, label, size.cx, kPaneEdgeGap));
}

int MeasureDcText(void* dc, const char* text) {
  const std::wstring wide = SjisToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(static_cast<HDC>(dc), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

COLORREF PaletteColor(int slot) {
  return gPaletteColors[slot >= 0 && slot < kPaletteColorCount ? slot : kColorBackground];
}

int ChartLineWidth(int width) { return width == 1 ? gThickChartLines + 1 : std::max(width, 1); }

HPEN CreateChartLinePen(int colorSlot, int width) {
  return CreatePen(PS_SOLID, ChartLineWidth(width), PaletteColor(colorSlot));
}

namespace {

struct CachedObject {
  int kind;  // -1: brush; otherwise the pen style
  int width;
  COLORREF color;
  HGDIOBJ object;
};

// Painting runs on the main thread only.
std::vector<CachedObject> gPaintObjects;

HGDIOBJ FindCached(int kind, int width, COLORREF color) {
  for (const CachedObject& o : gPaintObjects)
    if (o.kind == kind && o.width == width && o.color == color) return o.object;
  return nullptr;
}

}  // namespace

HPEN CachedPen(int style, int width, COLORREF color) {
  HGDIOBJ pen = FindCached(style, width, color);
  if (pen == nullptr) {
    pen = CreatePen(style, width, color);
    if (pen != nullptr) gPaintObjects.push_back({style, width, color, pen});
  }
  return static_cast<HPEN>(pen);
}

HBRUSH CachedBrush(COLORREF color) {
  HGDIOBJ brush = FindCached(-1, 0, color);
  if (brush == nullptr) {
    brush = CreateSolidBrush(color);
    if (brush != nullptr) gPaintObjects.push_back({-1, 0, color, brush});
  }
  return static_cast<HBRUSH>(brush);
}

HPEN CachedChartLinePen(int colorSlot, int width) {
  return CachedPen(PS_SOLID, ChartLineWidth(width), PaletteColor(colorSlot));
}

void FreePaintObjectCache() {
  for (const CachedObject& o : gPaintObjects) DeleteObject(o.object);
  gPaintObjects.clear();
}

namespace {

// The selected pen's colour when it is a solid pen of a plain RGB colour and
// `penWidth` pixels wide (a one-pixel pen may say width 0).
bool GetSolidPenColor(HDC dc, int penWidth, COLORREF* color) {
  const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  LOGPEN logPen;
  if (pen == nullptr || GetObjectType(pen) != OBJ_PEN || GetObjectW(pen, sizeof logPen, &logPen) == 0) return false;
  *color = logPen.lopnColor;
  return logPen.lopnStyle == PS_SOLID && std::max<LONG>(logPen.lopnWidth.x, 1) == std::max(penWidth, 1) &&
         IsPlainRgb(logPen.lopnColor);
}

// The bitmap and pen colour a polyline can be set into directly.
bool GetLineCanvas(HDC dc, int penWidth, PixelCanvas* canvas, uint32_t* pixel) {
  COLORREF color;
  if (!GetSolidPenColor(dc, penWidth, &color) || !GetDcPixelCanvas(dc, canvas)) return false;
  *pixel = PixelOfColor(color);
  return true;
}

void DrawCanvasPolyline(const PixelCanvas& canvas, const PixelPoint* points, int count, int penWidth, uint32_t pixel) {
  if (penWidth > 1)
    DrawCanvasWidePolyline(canvas, points, count, penWidth, pixel);
  else
    DrawCanvasThinPolyline(canvas, points, count, pixel);
}

bool DrawPolylineOnCanvas(HDC dc, const POINT* points, int count, int penWidth) {
  static std::vector<PixelPoint> pixelPoints;  // painting runs on the main thread only
  PixelCanvas canvas;
  uint32_t pixel;
  if (!GetLineCanvas(dc, penWidth, &canvas, &pixel)) return false;
  pixelPoints.resize(std::max(count, 0));
  for (int i = 0; i < count; ++i) pixelPoints[i] = {points[i].x, points[i].y};
  DrawCanvasPolyline(canvas, pixelPoints.data(), count, penWidth, pixel);
  return true;
}

void DrawGdiPolyline(HDC dc, const POINT* points, int count, int penWidth) {
  constexpr int kWidePiecePoints = 9;  // the fastest under Wine: shorter pieces cost more calls
  if (penWidth <= 1 || gMetafileRendering != 0) {
    Polyline(dc, points, count);
    return;
  }
  for (int start = 0; start + 1 < count; start += kWidePiecePoints - 1)
    Polyline(dc, points + start, std::min(kWidePiecePoints, count - start));
}

}  // namespace

void DrawChartPolyline(HDC dc, const POINT* points, int count, int penWidth) {
  if (!DrawPolylineOnCanvas(dc, points, count, penWidth)) DrawGdiPolyline(dc, points, count, penWidth);
}

void DrawChartPolyline(HDC dc, const PixelPoint* points, int count, int penWidth) {
  PixelCanvas canvas;
  uint32_t pixel;
  if (GetLineCanvas(dc, penWidth, &canvas, &pixel)) {
    DrawCanvasPolyline(canvas, points, count, penWidth, pixel);
    return;
  }
  static std::vector<POINT> gdiPoints;  // painting runs on the main thread only
  gdiPoints.resize(std::max(count, 0));
  for (int i = 0; i < count; ++i) gdiPoints[i] = {points[i].x, points[i].y};
  DrawGdiPolyline(dc, gdiPoints.data(), count, penWidth);
}

bool DrawChartLineOnCanvas(HDC dc, const RECT& clip, const PixelPoint* points, int count, int colorSlot, int width) {
  const COLORREF color = PaletteColor(colorSlot);
  PixelCanvas canvas;
  if (!IsPlainRgb(color) || !GetDcPixelCanvas(dc, &canvas)) return false;
  canvas.clip = {std::max<int32_t>(canvas.clip.left, clip.left), std::max<int32_t>(canvas.clip.top, clip.top),
                 std::min<int32_t>(canvas.clip.right, clip.right), std::min<int32_t>(canvas.clip.bottom, clip.bottom)};
  if (canvas.clip.left < canvas.clip.right && canvas.clip.top < canvas.clip.bottom)
    DrawCanvasPolyline(canvas, points, count, ChartLineWidth(width), PixelOfColor(color));
  return true;
}

void RectBatch::Add(const RECT& rect) {
  if (rect.right > rect.left && rect.bottom > rect.top) rects_.push_back(rect);
}

void RectBatch::Fill(HDC dc, COLORREF color) {
  PixelCanvas canvas;
  if (IsPlainRgb(color) && GetDcPixelCanvas(dc, &canvas)) {
    const uint32_t pixel = PixelOfColor(color);
    for (const RECT& rect : rects_) {
      // A one-pixel column is set faster as a line, with the same pixels.
      if (rect.right - rect.left == 1) {
        const PixelPoint column[2] = {{rect.left, rect.top}, {rect.left, rect.bottom}};
        DrawCanvasThinPolyline(canvas, column, 2, pixel);
      } else {
        FillCanvasRect(canvas, {rect.left, rect.top, rect.right, rect.bottom}, pixel);
      }
    }
  } else {
    FillThroughDc(dc, color);
  }
  rects_.clear();
}

// A line leaves out its last pixel, as a fill leaves out the right and bottom
// edges: the one-pixel rectangles go into one call as lines.
void RectBatch::FillThroughDc(HDC dc, COLORREF color) {
  points_.clear();
  counts_.clear();
  for (const RECT& rect : rects_) {
    if (rect.right - rect.left == 1) {
      points_.insert(points_.end(), {{rect.left, rect.top}, {rect.left, rect.bottom}});
    } else if (rect.bottom - rect.top == 1) {
      points_.insert(points_.end(), {{rect.left, rect.top}, {rect.right, rect.top}});
    } else {
      continue;
    }
    counts_.push_back(2);
  }
  if (!counts_.empty()) {
    const HGDIOBJ old = SelectObject(dc, CachedPen(PS_SOLID, 1, color));
    PolyPolyline(dc, points_.data(), counts_.data(), static_cast<DWORD>(counts_.size()));
    SelectObject(dc, old);
  }
  // Several lines would cost more than the fill.
  for (const RECT& rect : rects_)
    if (rect.right - rect.left > 1 && rect.bottom - rect.top > 1) FillRect(dc, &rect, CachedBrush(color));
}

ClipScope PushClipUnlessSame(HDC dc, const RECT& rect) {
  RECT box;
  if (gMetafileRendering == 0 && GetClipBox(dc, &box) == SIMPLEREGION && EqualRect(&box, &rect) != 0)
    return {false, nullptr};
  return {true, PushClipRect(dc, rect)};
}

void PopClipScope(HDC dc, const ClipScope& scope) {
  if (scope.pushed) PopClipRect(dc, scope.saved);
}

int ChartSlotOf(const ChartContext& context) {
  for (int i = 0; i < 3; ++i)
    if (&context == &gChartContexts[i]) return i;
  return -1;
}

bool GetPaneFrame(const ChartView& view, const ChartContext& context, int pane, PaneFrame* frame) {
  if (pane < 0 || pane >= kMaxPanesPerChart) return false;
  const PeriodSeriesBlock& block = context.periods[GetViewPeriod(view)];
  frame->record = &context.panes[pane];
  frame->block = &block;
  frame->bars = block.bars;
  frame->count = block.bars != nullptr ? std::clamp(block.bars->count, 0, kMaxBars) : 0;
  frame->logScale = IsLogScalePane(view, pane);
  frame->barWidth = std::clamp(view.barWidth, 1, kMaxBarWidth);
  frame->spacing = std::max(context.geometry.barSpacing, 1);
  frame->lastBar = GetPaintBarRange(view, frame->count, context.geometry.visibleBars).last;
  return frame->bars != nullptr;
}

RECT BarColumn(const PaneFrame& frame, int last, int bar, const RECT& area) {
  const int left = BarX(frame, last, bar) - frame.barWidth / 2;
  return {left, area.top, left + frame.barWidth, area.bottom};
}
