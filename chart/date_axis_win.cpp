// The date axis: period separators across every pane, bar ticks along the
// plot area's edges and the period labels in the date-axis row.

#include <algorithm>
#include <string>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/chart_text.h"
#include "chart/date_axis.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "chart/paint_tools_win.h"
#include "chart/pixel_canvas_win.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"

namespace {

constexpr int kMinorLighten = 32;
constexpr int kTickLength = 5;
constexpr int kMaxTickSpacing = 64;  // wider than any bar slot

// Vertical segments of one pen, drawn in one call.
struct SegmentBatch {
  std::vector<POINT> points;
  std::vector<DWORD> counts;
  std::vector<int32_t> xs;

  void Add(int x, int y1, int y2) {
    points.push_back({x, y1});
    points.push_back({x, y2});
    counts.push_back(2);
  }
  void Draw(HDC dc, HPEN pen) {
    if (counts.empty()) return;
    const HGDIOBJ old = SelectObject(dc, pen);
    PolyPolyline(dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
    SelectObject(dc, old);
    points.clear();
    counts.clear();
  }
  // In a dotted pen over an opaque background of `gap`, set straight into the
  // pixels where the DC allows it.
  void DrawDotted(HDC dc, COLORREF ink, COLORREF gap) {
    if (counts.empty()) return;
    PixelCanvas canvas;
    if (IsPlainRgb(ink) && IsPlainRgb(gap) && GetDcPixelCanvas(dc, &canvas)) {
      // The separators of a batch span the same rows: then they are set row by row.
      bool sameRows = true;
      for (size_t i = 2; i + 1 < points.size(); i += 2)
        sameRows = sameRows && points[i].y == points[0].y && points[i + 1].y == points[1].y;
      xs.clear();
      for (size_t i = 0; i + 1 < points.size(); i += 2) {
        if (sameRows)
          xs.push_back(points[i].x);
        else
          DrawCanvasDottedVerticalLine(canvas, points[i].x, points[i].y, points[i + 1].y, PixelOfColor(ink),
                                       PixelOfColor(gap));
      }
      DrawCanvasDottedVerticalLines(canvas, xs.data(), static_cast<int>(xs.size()), points[0].y, points[1].y,
                                    PixelOfColor(ink), PixelOfColor(gap));
      points.clear();
      counts.clear();
      return;
    }
    const int oldMode = SetBkMode(dc, OPAQUE);
    const COLORREF oldBack = SetBkColor(dc, gap);
    Draw(dc, CachedPen(PS_DOT, 1, ink));
    SetBkColor(dc, oldBack);
    SetBkMode(dc, oldMode);
  }
};

// Painting runs on the main thread only; these keep their memory between paints.
DateAxisMarks gAxisMarks;
SegmentBatch gAxisSegments;
AxisLabel gAxisLabels[kMaxAxisLabels];
std::wstring gAxisLabelTexts[kMaxAxisLabels];

AxisLabelWidths gLabelWidths;

int MeasureAxisText(void* context, const char* text) {
  const std::wstring wide = SjisToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(static_cast<HDC>(context), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

struct KeptMeasure {
  HDC dc;
  uint64_t font;
};

int MeasureKeptAxisText(void* context, const char* text) {
  const KeptMeasure& measure = *static_cast<const KeptMeasure*>(context);
  return GetKeptAxisLabelWidth(&gLabelWidths, measure.font, text, MeasureAxisText, measure.dc);
}

// Widths are kept for the memory bitmaps the screen's charts are painted on,
// by the font and the device's resolution; any other device measures anew.
bool KeepsLabelWidths(HDC dc) { return GetObjectType(dc) == OBJ_MEMDC && GetMapMode(dc) == MM_TEXT; }

bool HasSignalStripOnTop(const ChartView& view) {
  return GetViewPeriod(view) == 0 && view.paneCount > 0 && view.paneKinds[0] <= kPaneIchimoku;
}

// Dotted slot-1 lines with background gaps; the major ones run on through the
// date-axis row in the shadow colour.
void DrawSeparators(HDC dc, const ChartGeometry& g) {
  const Rect& plot = g.plotArea;
  const COLORREF ground = PaletteColor(kColorBackground);
  for (const AxisSeparatorMark& mark : gAxisMarks.majors) gAxisSegments.Add(mark.x, plot.top + 1, plot.bottom - 2);
  gAxisSegments.DrawDotted(dc, PaletteColor(kColorScale), ground);
  for (const int x : gAxisMarks.minorX) gAxisSegments.Add(x, plot.top + 1, plot.bottom - 2);
  gAxisSegments.DrawDotted(dc, LightenColor(PaletteColor(kColorScale), kMinorLighten), ground);
  for (const AxisSeparatorMark& mark : gAxisMarks.majors)
    gAxisSegments.Add(mark.x, plot.bottom - 2, g.dateAxis.bottom - 2);
  gAxisSegments.Draw(dc, gShadowPen);
}

// A bar slot's width of pixels: the tick, then the blank pane.
struct TickPattern {
  BITMAPINFOHEADER header;
  uint32_t pixels[kMaxTickSpacing];
};

// Every bar's tick stands at the same place of its slot, so a row of ticks
// is one repeating pattern: a single fill instead of a line per bar. The
// ticks fall on the pane's blank ground (the frames are drawn again at the end).
void DrawTickRows(HDC dc, const ChartView& view, const ChartGeometry& g, int spacing) {
  const Rect& plot = g.plotArea;
  const int right = gAxisMarks.barX.front();
  const int left = gAxisMarks.barX.back();
  TickPattern pattern{};
  pattern.header.biSize = sizeof pattern.header;
  pattern.header.biWidth = spacing;
  pattern.header.biHeight = 1;
  pattern.header.biPlanes = 1;
  pattern.header.biBitCount = 32;
  const COLORREF ground = PaletteColor(kColorBackground);
  const COLORREF tick = PaletteColor(kColorScale);
  std::fill(pattern.pixels, pattern.pixels + spacing, RGB(GetBValue(ground), GetGValue(ground), GetRValue(ground)));
  pattern.pixels[0] = RGB(GetBValue(tick), GetGValue(tick), GetRValue(tick));
  const HBRUSH brush = CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
  if (brush == nullptr) return;
  POINT oldOrigin;
  SetBrushOrgEx(dc, (left % spacing + spacing) % spacing, 0, &oldOrigin);
  const HGDIOBJ oldBrush = SelectObject(dc, brush);
  PatBlt(dc, left, plot.bottom - kTickLength, right - left + 1, kTickLength, PATCOPY);
  if (!HasSignalStripOnTop(view)) PatBlt(dc, left, plot.top + 1, right - left + 1, kTickLength, PATCOPY);
  SelectObject(dc, oldBrush);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  DeleteObject(brush);
}

void DrawTicks(HDC dc, const ChartView& view, const ChartGeometry& g, int spacing) {
  if (gAxisMarks.barX.empty()) return;
  if (spacing <= kMaxTickSpacing) {
    DrawTickRows(dc, view, g, spacing);
    return;
  }
  const Rect& plot = g.plotArea;
  for (const int x : gAxisMarks.barX) {
    gAxisSegments.Add(x, plot.bottom - kTickLength, plot.bottom);
    if (!HasSignalStripOnTop(view)) gAxisSegments.Add(x, plot.top + 1, plot.top + 1 + kTickLength);
  }
  gAxisSegments.Draw(dc, CachedPen(PS_SOLID, 1, PaletteColor(kColorScale)));
}

void DrawLabels(HDC dc, const DateAxisView& axis, const Rect& row) {
  const int majors = static_cast<int>(gAxisMarks.majors.size());
  int count;
  if (KeepsLabelWidths(dc)) {
    KeptMeasure measure = {dc, reinterpret_cast<uintptr_t>(GetCurrentObject(dc, OBJ_FONT)) |
                                   static_cast<uint64_t>(GetDeviceCaps(dc, LOGPIXELSY)) << 32};
    count = PlaceAxisLabels(axis, gAxisMarks.majors.data(), majors, MeasureKeptAxisText, &measure, gAxisLabels);
  } else {
    count = PlaceAxisLabels(axis, gAxisMarks.majors.data(), majors, MeasureAxisText, dc, gAxisLabels);
  }
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  KeptTextPlace places[kMaxAxisLabels];
  for (int i = 0; i < count; ++i) {
    const AxisLabel& label = gAxisLabels[i];
    gAxisLabelTexts[i] = SjisToWide(label.text);
    places[i] = {&gAxisLabelTexts[i], {label.left, row.top, label.left + label.width, row.bottom}};
  }
  DrawKeptTexts(dc, places, count, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SetBkMode(dc, oldMode);
}

}  // namespace

void DrawDateAxis(HDC dc, const ChartView& view, const ChartContext& context, int first, int last) {
  const ChartGeometry& g = context.geometry;
  const BarSeries* bars = GetViewBarSeries(view, context);
  const RECT area = {g.scaleColumn.right, g.chart.top, g.chart.right, g.chart.bottom};
  if (bars == nullptr || IsRectEmpty(&area)) return;
  const HRGN clip = PushClipRect(dc, area);
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  const DateAxisView axis = {bars,
                             GetViewPeriod(view),
                             first,
                             last,
                             g.plotArea.right,
                             std::max<int>(g.barSpacing, 1),
                             g.dateAxis.left,
                             g.dateAxis.right};
  CollectAxisSeparators(axis, gWeekSeparatorsOn != 0, &gAxisMarks);
  DrawSeparators(dc, g);
  DrawTicks(dc, view, g, axis.spacing);
  DrawLabels(dc, axis, g.dateAxis);
  SelectObject(dc, oldFont);
  PopClipRect(dc, clip);
}

void ForgetDateAxisLabelWidths() { ForgetAxisLabelWidths(&gLabelWidths); }
