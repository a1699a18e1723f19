// One chart: caption row, frames, panes by kind and the closing frames.

#include "chart/chart_paint_win.h"

#include <algorithm>
#include <string>

#include "chart/chart_caption.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/draw_primitives_win.h"
#include "chart/indicator_panes_win.h"
#include "chart/paint_tools_win.h"
#include "chart/pane_pixels.h"
#include "chart/volume_cloud.h"
#include "common/gdi_objects_win.h"
#include "data/stock_table.h"
#include "platform/win_text.h"

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
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldMode);
}

void DrawCaptionRow(HDC dc, const ChartView& view, const ChartContext& context, int stockIndex) {
  const RECT row = ToWinRect(context.geometry.captionRow);
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
  if (IsRectEmpty(&rect)) return;
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
    const RECT scale = ToWinRect(pane.scale);
    FillButtonFaceRect(dc, scale);
    DrawSunkenFrame(dc, scale);
    const RECT plot = OnePixelTaller(pane.fullPlot);
    FillRectColor(dc, plot, PaletteColor(0));
    DrawRectOutline(dc, plot);
  }
  SelectObject(dc, oldPen);
}

void PaintPane(HDC dc, const ChartView& view, const ChartContext& context, int pane, const BarRange& range) {
  const Rect& area = context.panes[pane].pane;
  if (area.right <= area.left || area.bottom <= area.top) return;  // no room left for it
  const uint32_t kind = view.paneKinds[pane];
  if (kind <= 1) {
    PaintPricePane(dc, view, context, pane, range.first, range.last);
  } else if (kind == 2) {
    PaintVolumePane(dc, view, context, pane, range.first, range.last);
  } else if (kind < static_cast<uint32_t>(kPaneKindCount)) {
    PaintIndicatorPane(dc, view, context, pane, range.first, range.last);
  }
}

// The date axis framed again; every pane's border in the inverse of the background.
void DrawClosingFrames(HDC dc, const ChartView& view, const ChartContext& context, HPEN backgroundPen) {
  DrawSunkenFrame(dc, ToWinRect(context.geometry.dateAxis));
  const HGDIOBJ oldPen = SelectObject(dc, backgroundPen);
  for (int i = 0; i < PaneCount(view); ++i) {
    const RECT plot = OnePixelTaller(context.panes[i].fullPlot);
    DrawRectOutline(dc, plot);
    InvertRectOutline(dc, plot);
  }
  SelectObject(dc, oldPen);
}

// Pressed (sunken, with a dark mark) when on, raised when off; a half that
// links to nothing is an empty raised panel.
void DrawToggleButton(HDC dc, const Rect& button, bool on) {
  RECT rect = ToWinRect(button);
  if (IsRectEmpty(&rect)) return;
  FillButtonFaceRect(dc, rect);
  DrawEdge(dc, &rect, on ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
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
    DrawToggleButton(dc, g.keepStockButton, pattern.views[i].keepStock != 0);
    DrawToggleButton(dc, g.dateLinkTop, IsLinkOn(pattern, i - 1, charts, &ChartView::dateLink));
    DrawToggleButton(dc, g.dateLinkBottom, IsLinkOn(pattern, i, charts, &ChartView::dateLink));
    DrawToggleButton(dc, g.stockLinkTop, IsLinkOn(pattern, i - 1, charts, &ChartView::stockLink));
    DrawToggleButton(dc, g.stockLinkBottom, IsLinkOn(pattern, i, charts, &ChartView::stockLink));
  }
}

void PaintChart(HDC dc, const ChartView& view, const ChartContext& context) {
  const RECT chart = ToWinRect(context.geometry.chart);
  if (IsRectEmpty(&chart)) return;
  const HGDIOBJ oldFont = SelectObject(dc, gChartFont);
  const HRGN clip = PushClipRect(dc, chart);
  const HPEN backgroundPen = CachedPen(PS_SOLID, 1, PaletteColor(0));
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  DrawCaptionRow(dc, view, context, stockIndex);
  DrawMarginHandle(dc, context.geometry.marginHandle);
  const BarSeries* bars = GetViewBarSeries(view, context);
  const int count = bars != nullptr ? std::clamp(bars->count, 0, kMaxBars) : 0;
  const BarRange range = GetPaintBarRange(view, count, context.geometry.visibleBars);
  DrawChartFrames(dc, view, context);
  for (int pane = 0; pane < PaneCount(view); ++pane) PaintPane(dc, view, context, pane, range);
  DrawClosingFrames(dc, view, context, backgroundPen);
  PopClipRect(dc, clip);
  SelectObject(dc, oldFont);
  FreePaintObjectCache();
}

void InstallChartTextMeasures() {
  gChartTextWidth = MeasureChartText;
  gChartTextWidthContext = nullptr;
  gFixedFontHeight = gFixedFontMetrics.tmHeight;
}

void FreeChartPaintResources() {
  FreeVolumeCloud(&gVolumeCloud);
  FreeVolumeCloudBrushes();
  FreePaintObjectCache();
  if (gMeasureDc != nullptr) DeleteDC(gMeasureDc);
  gMeasureDc = nullptr;
}
