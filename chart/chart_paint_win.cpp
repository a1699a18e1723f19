// One chart: caption row, frames, panes by kind and the closing frames.

#include "chart/chart_paint_win.h"

#include <algorithm>
#include <string>

#include "chart/chart_caption.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/draw_primitives_win.h"
#include "chart/indicator_panes_win.h"
#include "chart/label_images_win.h"
#include "chart/memo_paint_win.h"
#include "chart/paint_tools_win.h"
#include "chart/pixel_canvas_win.h"
#include "chart/pane_pixels.h"
#include "chart/position_marks_win.h"
#include "chart/volume_cloud.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "records/palette_slots.h"

int gMetafileRendering = 0;

namespace {

constexpr int kCaptionTextIndent = 8;
constexpr COLORREF kMarginHandleGrey = RGB(168, 168, 168);

HDC gMeasureDc = nullptr;  // for the layout's caption widths

int MeasureChartText(void*, const char* text) {
  if (gMeasureDc == nullptr) gMeasureDc = CreateCompatibleDC(nullptr);
  if (gMeasureDc == nullptr || text == nullptr) return 0;
  const std::wstring wide = SjisToWide(text);
  const HGDIOBJ old = SelectObject(gMeasureDc, gChartFont);
  SIZE size{};
  GetTextExtentPoint32W(gMeasureDc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(gMeasureDc, old);
  return size.cx;
}

RECT OnePixelTaller(const Rect& r) { return {r.left, r.top, r.right, r.bottom + 1}; }

// Whether drawing in `rect` can change a pixel: a repaint of part of the
// window leaves out whatever lies wholly outside the clip.
bool MeetsClip(HDC dc, const RECT& rect) { return !IsRectEmpty(&rect) && RectVisible(dc, &rect) != 0; }

// Everything a pane's painting touches: its rectangle and its frame, one
// row taller.
bool PaneMeetsClip(HDC dc, const PaneRecord& pane) {
  RECT band = ToWinRect(pane.pane);
  const RECT frame = OnePixelTaller(pane.fullPlot);
  UnionRect(&band, &band, &frame);
  return RectVisible(dc, &band) != 0;
}

int PaneCount(const ChartView& view) { return std::clamp(view.paneCount, 0, kMaxPanesPerChart); }

bool IsForecastShown(const ChartContext& context) {
  const int chart = ChartSlotOf(context);
  return chart >= 0 && gForecastState[chart] != kForecastNone;
}

void DrawCaptionText(HDC dc, const RECT& row, const char* text) {
  const std::wstring wide = SjisToWide(text);
  RECT rect = {row.left + kCaptionTextIndent, row.top, row.right, row.bottom};
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawKeptText(dc, wide, rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldMode);
}

void DrawCaptionRow(HDC dc, const ChartView& view, const ChartContext& context, int stockIndex) {
  const RECT row = ToWinRect(context.geometry.captionRow);
  if (!MeetsClip(dc, row)) return;
  FillButtonFaceRect(dc, row);
  if (stockIndex >= 0) {
    char text[kChartCaptionSize];
    FormatChartCaption(stockIndex, GetViewPeriod(view), IsForecastShown(context), text, sizeof text);
    DrawCaptionText(dc, row, text);
  }
  DrawSunkenFrame(dc, row);
}

void DrawMarginHandle(HDC dc, const Rect& handle) {
  const RECT rect = ToWinRect(handle);
  if (!MeetsClip(dc, rect)) return;
  FillRectColor(dc, rect, kMarginHandleGrey);
  DrawSunkenFrame(dc, rect);
}

// Date-axis row, scale columns and the blank panes with their black frames.
void DrawChartFrames(HDC dc, const ChartView& view, const ChartContext& context) {
  const RECT axis = ToWinRect(context.geometry.dateAxis);
  FillButtonFaceRect(dc, axis);
  DrawSunkenFrame(dc, axis);
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int i = 0; i < PaneCount(view); ++i) {
    const PaneRecord& pane = context.panes[i];
    if (!PaneMeetsClip(dc, pane)) continue;
    const RECT scale = ToWinRect(pane.scale);
    FillButtonFaceRect(dc, scale);
    DrawSunkenFrame(dc, scale);
    const RECT plot = OnePixelTaller(pane.fullPlot);
    FillRectColor(dc, plot, PaletteColor(kColorBackground));
    DrawRectOutline(dc, plot);
  }
  SelectObject(dc, oldPen);
}

// The trend lines and memos of the chart being painted, collected once for all its panes.
ChartLineSet gPaintedChartLines;
ChartMemoSet gPaintedChartMemos;

void PaintPane(HDC dc, const ChartView& view, const ChartContext& context, int pane, const BarRange& range) {
  const Rect& area = context.panes[pane].pane;
  if (area.right <= area.left || area.bottom <= area.top) return;  // no room left for it
  if (!PaneMeetsClip(dc, context.panes[pane])) return;
  const uint32_t kind = view.paneKinds[pane];
  if (kind <= kPaneIchimoku) {
    if (GetViewPeriod(view) == 0) DrawSignalStrip(dc, view, context, pane, range.first, range.last);
    PaintPricePane(dc, view, context, pane, range.first, range.last);
  } else if (kind == kPaneVolume) {
    PaintVolumePane(dc, view, context, pane, range.first, range.last);
  } else if (kind < static_cast<uint32_t>(kPaneKindCount)) {
    PaintIndicatorPane(dc, view, context, pane, range.first, range.last);
  }
  PaintPositionMarks(dc, view, context, pane, range.last, gPaintedChartLines);
  DrawPaneMemos(dc, view, context, pane, range.last, gPaintedChartMemos);
}

// The date axis framed again; every pane's border in the inverse of the background.
void DrawClosingFrames(HDC dc, const ChartView& view, const ChartContext& context, HPEN backgroundPen) {
  DrawSunkenFrame(dc, ToWinRect(context.geometry.dateAxis));
  const HGDIOBJ oldPen = SelectObject(dc, backgroundPen);
  for (int i = 0; i < PaneCount(view); ++i) {
    const RECT plot = OnePixelTaller(context.panes[i].fullPlot);
    if (!MeetsClip(dc, plot)) continue;
    DrawRectOutline(dc, plot);
    InvertRectOutline(dc, plot);
  }
  SelectObject(dc, oldPen);
}

// The edge buttons' pictures, loaded once; grey shades become the button face colours.
enum ButtonBitmap {
  kKeepStockOn,
  kKeepStockOff,
  kDateLinkOn,
  kDateLinkOff,
  kStockLinkOn,
  kStockLinkOff,
  kButtonBitmaps
};
constexpr int kButtonBitmapIds[kButtonBitmaps] = {IDB_KEEP_STOCK_ON, IDB_KEEP_STOCK_OFF, IDB_DATE_LINK_ON,
                                                  IDB_DATE_LINK_OFF, IDB_STOCK_LINK_ON,  IDB_STOCK_LINK_OFF};
HBITMAP gButtonBitmaps[kButtonBitmaps] = {};

// The same pixels in a 32-bit section: selecting a device bitmap into a
// memory DC costs far more than drawing it (a hundred times, under Wine).
HBITMAP CopiedToSection(HBITMAP bitmap) {
  BITMAP size{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0) return bitmap;
  void* bits = nullptr;
  const HBITMAP section = CreateCanvasSection(size.bmWidth, size.bmHeight, &bits);
  const HDC from = CreateCompatibleDC(nullptr);
  const HDC to = CreateCompatibleDC(nullptr);
  if (section != nullptr && from != nullptr && to != nullptr) {
    const HGDIOBJ oldFrom = SelectObject(from, bitmap);
    const HGDIOBJ oldTo = SelectObject(to, section);
    BitBlt(to, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(to, oldTo);
    SelectObject(from, oldFrom);
  }
  if (to != nullptr) DeleteDC(to);
  if (from != nullptr) DeleteDC(from);
  if (section == nullptr) return bitmap;
  DeleteObject(bitmap);
  return section;
}

HBITMAP ButtonBitmap(int which) {
  if (gButtonBitmaps[which] == nullptr) {
    gButtonBitmaps[which] = CopiedToSection(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kButtonBitmapIds[which]), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
  }
  return gButtonBitmaps[which];
}

// Pressed (sunken) with its picture when on, raised when off; a half that
// links to nothing (`onPicture` < 0) is an empty raised panel. Without the
// pictures a pressed button shows a dark mark.
void DrawToggleButton(HDC dc, const Rect& button, bool on, int onPicture) {
  RECT rect = ToWinRect(button);
  if (!MeetsClip(dc, rect)) return;
  FillButtonFaceRect(dc, rect);
  DrawEdge(dc, &rect, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (onPicture < 0) return;
  const HBITMAP picture = ButtonBitmap(on ? onPicture : onPicture + 1);
  RECT inner = rect;
  InflateRect(&inner, -2, -2);
  if (picture != nullptr) {
    if (on) OffsetRect(&inner, 1, 1);
    const HRGN clip = PushClipRect(dc, inner);
    DrawBitmapInRect(dc, inner, picture, false, SRCCOPY);
    PopClipRect(dc, clip);
    return;
  }
  if (!on) return;
  RECT mark = rect;
  const int dx = std::max(2, static_cast<int>(rect.right - rect.left) / 3);
  const int dy = std::max(2, static_cast<int>(rect.bottom - rect.top) / 3);
  InflateRect(&mark, -dx, -dy);
  if (!IsRectEmpty(&mark)) FillRect(dc, &mark, GetSysColorBrush(COLOR_BTNTEXT));
}

bool IsLinkOn(const ScreenPattern& pattern, int upper, int charts, int32_t ChartView::*flag) {
  return upper >= 0 && upper + 1 < charts && pattern.views[upper].*flag != 0;
}

}  // namespace

void PaintChartButtons(HDC dc, const ScreenPattern& pattern, const ChartContext* contexts, int charts) {
  for (int i = 0; i < charts; ++i) {
    const ChartGeometry& g = contexts[i].geometry;
    const bool hasUpper = i > 0;
    const bool hasLower = i + 1 < charts;
    DrawToggleButton(dc, g.keepStockButton, pattern.views[i].keepStock != 0, kKeepStockOn);
    DrawToggleButton(dc, g.dateLinkTop, IsLinkOn(pattern, i - 1, charts, &ChartView::dateLink),
                     hasUpper ? kDateLinkOn : -1);
    DrawToggleButton(dc, g.dateLinkBottom, IsLinkOn(pattern, i, charts, &ChartView::dateLink),
                     hasLower ? kDateLinkOn : -1);
    DrawToggleButton(dc, g.stockLinkTop, IsLinkOn(pattern, i - 1, charts, &ChartView::stockLink),
                     hasUpper ? kStockLinkOn : -1);
    DrawToggleButton(dc, g.stockLinkBottom, IsLinkOn(pattern, i, charts, &ChartView::stockLink),
                     hasLower ? kStockLinkOn : -1);
  }
}

void PaintChart(HDC dc, const ChartView& view, const ChartContext& context) {
  const RECT chart = ToWinRect(context.geometry.chart);
  if (!MeetsClip(dc, chart)) return;
  const HGDIOBJ oldFont = SelectObject(dc, gChartFont);
  const HRGN clip = PushClipRect(dc, chart);
  const HPEN backgroundPen = CachedPen(PS_SOLID, 1, PaletteColor(kColorBackground));
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  DrawCaptionRow(dc, view, context, stockIndex);
  DrawMarginHandle(dc, context.geometry.marginHandle);
  const BarSeries* bars = GetViewBarSeries(view, context);
  const int count = bars != nullptr ? std::clamp(bars->count, 0, kMaxBars) : 0;
  const BarRange range = GetPaintBarRange(view, count, context.geometry.visibleBars);
  DrawChartFrames(dc, view, context);
  DrawDateAxis(dc, view, context, range.first, range.last);
  // The lines reach back to the first bar the scales allow for, before the data when need be.
  const int marksFirst = range.last - context.geometry.visibleBars - 3;
  CollectChartLines(view, context, marksFirst, range.last, &gPaintedChartLines);
  CollectChartMemos(view, context, marksFirst, range.last, &gPaintedChartMemos);
  for (int pane = 0; pane < PaneCount(view); ++pane) PaintPane(dc, view, context, pane, range);
  DrawClosingFrames(dc, view, context, backgroundPen);
  FreePaintObjectCache();
  PopClipRect(dc, clip);
  SelectObject(dc, oldFont);
  FreePaintObjectCache();
}

namespace {

void DrawPaneTitleLabel(HDC dc, const PaneRecord& pane, bool selected) {
  RECT rect = ToWinRect(pane.captionRect);
  if (IsRectEmpty(&rect) || pane.caption[0] == '\0') return;
  InflateRect(&rect, 3, 1);
  if (!MeetsClip(dc, rect)) return;
  if (selected) {
    FillButtonFaceRect(dc, rect);
    DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, selected ? GetSysColor(COLOR_BTNTEXT) : PaletteColor(kColorNumberEven));
  const std::wstring text = SjisToWide(pane.caption);
  DrawKeptText(dc, text, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

// A one-pixel line of the selection frame from (x1, y) to (x2, y) or (x, y1) to (x, y2).
void SelectionLine(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// The horizontal edge at y from left to right, leaving out the parts the buttons cover.
void SelectionEdge(HDC dc, int left, int right, int y, const Rect* const* buttons, int count) {
  int x = left;
  while (x < right) {
    int next = right;
    int skipTo = x;
    for (int i = 0; i < count; ++i) {
      const Rect& b = *buttons[i];
      if (b.right <= b.left || y < b.top - 1 || y > b.bottom) continue;
      if (b.left <= x && b.right > x) skipTo = std::max(skipTo, static_cast<int>(b.right));
      if (b.left > x) next = std::min(next, static_cast<int>(b.left));
    }
    if (skipTo > x) {
      x = skipTo;
      continue;
    }
    SelectionLine(dc, x, y, next, y);
    x = next;
  }
}

}  // namespace

void DrawPaneTitleLabels(HDC dc, const ChartView& view, const ChartContext& context, int selectedPane) {
  const HGDIOBJ oldFont = SelectObject(dc, gChartFont);
  for (int pane = 0; pane < PaneCount(view); ++pane) DrawPaneTitleLabel(dc, context.panes[pane], pane == selectedPane);
  SelectObject(dc, oldFont);
}

void DrawSelectionFrame(HDC dc, const ChartView& view, const ChartContext& context, int selectedPane) {
  const HGDIOBJ oldPen = SelectObject(dc, CachedPen(PS_SOLID, 1, PaletteColor(kColorSelection)));
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  if (selectedPane >= 0 && selectedPane < PaneCount(view)) {
    const Rect& pane = context.panes[selectedPane].pane;
    Rectangle(dc, pane.left + 1, pane.top + 1, pane.right - 1, pane.bottom - 1);
  } else {
    const ChartGeometry& g = context.geometry;
    const int left = g.chart.left + 1;
    const int right = g.chart.right - 1;
    const int top = g.chart.top + 1;
    const int bottom = (g.scrollBar.bottom > g.scrollBar.top ? g.scrollBar.top : g.chart.bottom) - 2;
    const Rect* topButtons[] = {&g.dateLinkTop, &g.stockLinkTop, &g.keepStockButton};
    const Rect* bottomButtons[] = {&g.dateLinkBottom, &g.stockLinkBottom, &g.keepStockButton};
    SelectionEdge(dc, left, right, top, topButtons, 3);
    SelectionEdge(dc, left, right, bottom, bottomButtons, 3);
    SelectionLine(dc, left, top, left, bottom);
    SelectionLine(dc, right - 1, top, right - 1, bottom);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  FreePaintObjectCache();
}

void InstallChartTextMeasures() {
  gChartTextWidth = MeasureChartText;
  gChartTextWidthContext = nullptr;
  gFixedFontHeight = gFixedFontMetrics.tmHeight;
}

void FreeChartPaintResources() {
  for (HBITMAP& bitmap : gButtonBitmaps) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    bitmap = nullptr;
  }
  FreeVolumeCloud(&gVolumeCloud);
  FreeKeptVolumeClouds();
  FreeVolumeCloudBrushes();
  FreeLabelImages();
  FreeMemoPaintResources();
  FreePaintObjectCache();
  if (gMeasureDc != nullptr) DeleteDC(gMeasureDc);
  gMeasureDc = nullptr;
}
