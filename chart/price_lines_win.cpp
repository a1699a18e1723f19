// Lines over the price pane: averages and bands, the Ichimoku lines and
// cloud, the parabolic SAR marks and the tracker's average-price lines.

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/ichimoku_cloud.h"
#include "chart/paint_tools_win.h"
#include "chart/pane_pixels.h"
#include "chart/pixel_canvas_win.h"
#include "chart/pixel_polygon.h"
#include "chart/position_marks.h"
#include "analysis/trend_line_store.h"
#include "chart/draw_primitives_win.h"
#include "chart/gdi_objects_win.h"
#include "common/number_text.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"

namespace {

constexpr int kIchimokuWalkFloor = 25;  // shifted lines never start below this bar
constexpr int kFirstSarBar = 3;
constexpr int kColorPositionLevel = kColorRsi0 + 1;  // the second RSI colour marks average prices

// Painting runs on the main thread only: one buffer serves every line.
PixelPoint gLinePoints[2 * kMaxCloudColumns];
CloudColumns gCloudColumns;
PixelPoint gCloudPoints[2 * kMaxCloudColumns];
POINT gCloudGdiPoints[2 * kMaxCloudColumns];

int SeriesCount(const RealSeries& series) { return std::clamp(series.count, 0, kMaxBars); }

// Points of bars from..to (walking down), each drawn `shift` bars further right.
int CollectLinePoints(const PaneFrame& frame, const RealSeries& series, int last, int from, int to, int shift) {
  const int n =
      static_cast<int>(std::clamp<int64_t>(int64_t{from} - to + 1, 0, static_cast<int64_t>(std::size(gLinePoints))));
  const PaneValueScale scale = PreparePaneValueScale(*frame.record, frame.logScale);
  const double* values = series.values;
  ForEachBarCentre(frame.record->plot.right, frame.spacing, last, from + shift, n, [&](int k, int x) {
    gLinePoints[k] = {x, ScaledValueY(scale, values[from - k]) - 1};
  });
  return n;
}

void DrawLinePoints(HDC dc, const PaneFrame& frame, int points, int colorSlot, int width) {
  if (points < 2) return;
  if (DrawChartLineOnCanvas(dc, ToWinRect(frame.record->plot), gLinePoints, points, colorSlot, width)) return;
  const HGDIOBJ old = SelectObject(dc, CachedChartLinePen(colorSlot, width));
  const ClipScope clip = PushClipUnlessSame(dc, ToWinRect(frame.record->plot));
  DrawChartPolyline(dc, gLinePoints, points, ChartLineWidth(width));
  PopClipScope(dc, clip);
  SelectObject(dc, old);
}

// Consecutive pieces of one colour go into one polygon: span A's points to
// the left, then span B's back.
int CollectCloudStrip(const CloudColumns& columns, int from, int to) {
  int n = 0;
  for (int k = from; k <= to; ++k) gCloudPoints[n++] = {columns.columns[k].x, columns.columns[k].spanAY};
  for (int k = to; k >= from; --k) gCloudPoints[n++] = {columns.columns[k].x, columns.columns[k].spanBY};
  return n;
}

// Calls fillStrip(points, spanAAbove) for each strip, left to right.
template <typename FillStrip>
void ForEachCloudStrip(const CloudColumns& columns, FillStrip fillStrip) {
  int start = 0;
  for (int k = 1; k < columns.count; ++k) {
    const bool colour = columns.columns[k].spanAAbove;
    if (k + 1 < columns.count && columns.columns[k + 1].spanAAbove == colour) continue;
    fillStrip(CollectCloudStrip(columns, start, k), colour);
    start = k;
  }
}

// Straight into the bitmap's pixels when it allows, as the system fills it.
bool FillCloudOnCanvas(HDC dc, const CloudColumns& columns, COLORREF above, COLORREF otherwise) {
  PixelCanvas canvas;
  if (!IsPlainRgb(above) || !IsPlainRgb(otherwise) || !GetDcPixelCanvas(dc, &canvas)) return false;
  ForEachCloudStrip(columns, [&](int points, bool colour) {
    FillCanvasPolygon(canvas, gCloudPoints, points, true, PixelOfColor(colour ? above : otherwise));
  });
  return true;
}

// Through the system: no outline, the winding rule.
void FillCloudThroughDc(HDC dc, const CloudColumns& columns, COLORREF above, COLORREF otherwise) {
  const HBRUSH aboveBrush = CachedBrush(above);
  const HBRUSH otherwiseBrush = CachedBrush(otherwise);
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  const HGDIOBJ oldBrush = SelectObject(dc, aboveBrush);
  const int oldFill = SetPolyFillMode(dc, WINDING);
  HBRUSH selected = aboveBrush;
  ForEachCloudStrip(columns, [&](int points, bool colour) {
    const HBRUSH brush = colour ? aboveBrush : otherwiseBrush;
    if (brush != selected) SelectObject(dc, brush);
    selected = brush;
    for (int i = 0; i < points; ++i) gCloudGdiPoints[i] = {gCloudPoints[i].x, gCloudPoints[i].y};
    Polygon(dc, gCloudGdiPoints, points);
  });
  SetPolyFillMode(dc, oldFill);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

void DrawSarMark(HDC dc, int x, int y, int barWidth) {
  const int left = x - barWidth / 2;
  if (barWidth < 5) {
    Ellipse(dc, left, y - 2, left + barWidth, y);
  } else {
    Ellipse(dc, left, y - 3, left + barWidth, y + 1);
  }
}

// Up to width 7 a mark's ellipse outline covers exactly its two-row box (below
// width 5) or the four sides of its four-row box less the corners, so the marks
// are filled colour by colour: no two bars' boxes overlap, and the fills cost
// a fraction of an ellipse call each under Wine.
constexpr int kWidestFilledSarMark = 7;

void AddSarMarkSides(RectBatch* batch, int left, int y, int width) {
  if (width < 5) {
    batch->Add({left, y - 2, left + width, y});
    return;
  }
  const int right = left + width;
  batch->Add({left + 1, y - 3, right - 1, y - 2});
  batch->Add({left + 1, y, right - 1, y + 1});
  batch->Add({left, y - 2, left + 1, y});
  batch->Add({right - 1, y - 2, right, y});
}

void DrawFilledSarMarks(HDC dc, const PaneFrame& frame, const RealSeries& sar, const IntSeries& position, int from,
                        int to, int last) {
  static RectBatch rising, falling;  // painting runs on the main thread only
  const PaneValueScale scale = PreparePaneValueScale(*frame.record, frame.logScale);
  const int count = static_cast<int>(std::max<int64_t>(int64_t{from} - to + 1, 0));
  ForEachBarCentre(frame.record->plot.right, frame.spacing, last, from, count, [&](int k, int x) {
    const int i = from - k;
    const bool isFalling = i < position.count && position.values[i] != 0;
    AddSarMarkSides(isFalling ? &falling : &rising, x - frame.barWidth / 2, ScaledValueY(scale, sar.values[i]),
                    frame.barWidth);
  });
  rising.Fill(dc, PaletteColor(kColorSarRising));
  falling.Fill(dc, PaletteColor(kColorSarFalling));
}

}  // namespace

void DrawRealSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                        const RealSeries& series, int colorSlot, int width, int firstIndex) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const int from = std::min(last, SeriesCount(series) - 1);
  const int points = CollectLinePoints(frame, series, last, from, std::max(first, firstIndex), 0);
  DrawLinePoints(dc, frame, points, colorSlot, width);
}

// Starts at min(last - shift, count - 1): a line shifted left (the lagging
// line) reaches the right edge when the view is scrolled back.
void DrawShiftedSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                           const RealSeries& series, int colorSlot, int width, int shift, int firstIndex) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const int from = std::min(last - shift, SeriesCount(series) - 1);
  const int to = std::max({first - shift, kIchimokuWalkFloor, firstIndex});
  const int points = CollectLinePoints(frame, series, last, from, to, shift);
  DrawLinePoints(dc, frame, points, colorSlot, width);
}

void DrawIchimokuCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       int slotAbove, int slotOtherwise) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const RealSeries* spanA = frame.block->chartReal[kRealIchimokuSpanA];
  const RealSeries* spanB = frame.block->chartReal[kRealIchimokuSpanB];
  if (spanA == nullptr || spanB == nullptr) return;
  ComputeCloudColumns(*spanA, *spanB, *frame.record, frame.logScale, frame.spacing, first, last, &gCloudColumns);
  if (gCloudColumns.count < 2) return;
  const COLORREF above = PaletteColor(slotAbove), otherwise = PaletteColor(slotOtherwise);
  const ClipScope clip = PushClipUnlessSame(dc, ToWinRect(frame.record->plot));
  if (!FillCloudOnCanvas(dc, gCloudColumns, above, otherwise)) FillCloudThroughDc(dc, gCloudColumns, above, otherwise);
  PopClipScope(dc, clip);
}

void DrawIchimokuLines(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       bool cloudOnly) {
  if (cloudOnly) {
    DrawIchimokuCloud(dc, view, context, pane, first, last, kColorCloudAlone, kColorCloudAloneInverted);
    return;
  }
  DrawIchimokuCloud(dc, view, context, pane, first, last, kColorCloud, kColorCloudInverted);
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  struct IchimokuLine {
    int series, colorSlot, shift, firstIndex;
  };
  static constexpr IchimokuLine kLines[] = {
      {kRealIchimokuSpanA, kColorIchimokuSpanA, kIchimokuShift, 52},
      {kRealIchimokuSpanB, kColorIchimokuSpanB, kIchimokuShift, 77},
      {kRealIchimokuBase, kColorIchimokuBase, 0, 30},
      {kRealIchimokuConversion, kColorIchimokuConversion, 0, 30},
      {kRealIchimokuLagging, kColorIchimokuLagging, -kIchimokuShift, 25},
  };
  for (const IchimokuLine& line : kLines) {
    const RealSeries* series = frame.block->chartReal[line.series];
    if (series != nullptr)
      DrawShiftedSeriesLine(dc, view, context, pane, first, last, *series, line.colorSlot, 1, line.shift,
                            line.firstIndex);
  }
}

void DrawParabolicMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const RealSeries* sar = frame.block->chartReal[kRealParabolicSar];
  const IntSeries* position = frame.block->chartInt[kIntParabolicPosition];
  if (sar == nullptr || position == nullptr) return;
  const int from = std::min(last, SeriesCount(*sar) - 1);
  if (frame.barWidth <= kWidestFilledSarMark && gMetafileRendering == 0) {
    DrawFilledSarMarks(dc, frame, *sar, *position, from, std::max(first, kFirstSarBar), last);
    return;
  }
  const HPEN fallingPen = CachedPen(PS_SOLID, 1, PaletteColor(kColorSarFalling));
  const HPEN risingPen = CachedPen(PS_SOLID, 1, PaletteColor(kColorSarRising));
  const HGDIOBJ oldPen = SelectObject(dc, risingPen);
  HPEN selected = risingPen;
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (int i = from; i >= std::max(first, kFirstSarBar); --i) {
    const bool falling = i < position->count && position->values[i] != 0;
    const HPEN pen = falling ? fallingPen : risingPen;
    if (pen != selected) SelectObject(dc, pen);
    selected = pen;
    DrawSarMark(dc, BarX(frame, last, i), PaneValueY(*frame.record, frame.logScale, sar->values[i]), frame.barWidth);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

void DrawPositionLevelLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int64_t price,
                           int64_t shares, const char* name, int line, int rightX, int leftX) {
  if (gTrendLines == nullptr || line < 0 || line >= kMaxTrendLines || pane < 0 || pane >= kMaxPanesPerChart) return;
  const TrendLine& trendLine = gTrendLines->lines[line];
  const int width = trendLine.width > 0 ? std::min(trendLine.width, 16) : 2;
  const int32_t value = static_cast<int32_t>(std::clamp<int64_t>(price, INT32_MIN, INT32_MAX));
  const int y = PaneValueToY(view, context, pane, value);
  const HPEN pen = CreatePalettePen(width, kColorPositionLevel);
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, leftX, y, nullptr);
  LineTo(dc, rightX, y);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  if (gHideAverageLineValues != 0 || trendLine.labelSide == kLabelNone) return;
  char priceText[kInt64TextSize], sharesText[kInt64TextSize], text[128];
  FormatThousands64(price, priceText);
  FormatThousands64(shares, sharesText);
  snprintf(text, sizeof text, "%s %s(%s株)", priceText, name, sharesText);
  const std::wstring wide = SjisToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  // The text 4 pixels past an end and 2 above the line, inside the pane while
  // that end is on it; drawn in a box 4 pixels taller above and below.
  const auto drawBeside = [&](int endX, int left) {
    const Rect box = PlaceMarkLabel(context.panes[pane].pane, endX, y, {left, y - 2}, size.cx, size.cy);
    RECT r = {box.left, box.top - 4, box.right, box.bottom + 4};
    DrawOutlinedText(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
  const COLORREF oldColor = SetTextColor(dc, PaletteColor(kColorPositionLevel));
  if (trendLine.labelSide == kLabelBothSides || trendLine.labelSide == kLabelRight) {
    drawBeside(rightX, rightX + 4 + width);
  }
  if (trendLine.labelSide == kLabelBothSides || trendLine.labelSide == kLabelLeft) {
    drawBeside(leftX, leftX - 4 - size.cx);
  }
  SetTextColor(dc, oldColor);
}
