// The volume pane and the oscillator panes: labels, level lines, volume bars
// and indicator lines.

#include "chart/indicator_panes_win.h"

#include <algorithm>
#include <string>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/paint_tools_win.h"
#include "chart/pane_levels.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "platform/win_text.h"
#include "sheets/sheet_services.h"
#include "records/palette_slots.h"

namespace {

constexpr int kTickOverhang = 3;  // dotted lines start in the scale column
constexpr int kLineEndInset = 2;

const IntSeries* ViewIntSeries(const ChartView& view, const ChartContext& context, int series) {
  if (series < 0 || series >= kIntSlotCount) return nullptr;
  return context.periods[GetViewPeriod(view)].chartInt[series];
}

bool IsPaneIndex(int pane) { return pane >= 0 && pane < kMaxPanesPerChart; }

int FixedTextHeight() { return gFixedFontMetrics.tmHeight; }

// What a pane routine changes in the device context.
struct PaneDrawing {
  HGDIOBJ font;
  HRGN clip;
};

// Fixed font, clipped to the pane rectangle.
PaneDrawing BeginPaneDrawing(HDC dc, const PaneRecord& record) {
  PaneDrawing drawing{};
  drawing.font = SelectObject(dc, gChartFixedFont);
  drawing.clip = PushClipRect(dc, ToWinRect(record.pane));
  return drawing;
}

void EndPaneDrawing(HDC dc, const PaneDrawing& drawing) {
  PopClipRect(dc, drawing.clip);
  SelectObject(dc, drawing.font);
}

void PaintBarBackground(HDC dc, const ChartView& view, const ChartContext& context, int bar, const RECT& plot) {
  DrawForecastBackground(dc, view, context, bar, plot);
  if (gTradeMarkShown) DrawTradeMarkColumn(dc, view, context, bar, plot);
}

void DrawLabelTexts(HDC dc, const PaneRecord& record, const PaneLabel* labels, int count) {
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < count; ++i) {
    if (!labels[i].textShown) continue;
    const std::wstring text = SjisToWide(labels[i].text);
    DrawKeptText(dc, text, ScaleLabelRect(dc, text, labels[i].rect, record.pane),
                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldMode);
}

// Dotted in the grid colour, gaps in the background colour.
void DrawDottedLines(HDC dc, const PaneRecord& record, const PaneLabel* labels, int count) {
  const HGDIOBJ oldPen = SelectObject(dc, CachedPen(PS_DOT, 1, PaletteColor(kColorScale)));
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldBack = SetBkColor(dc, PaletteColor(kColorBackground));
  for (int i = 0; i < count; ++i) {
    if (!labels[i].lineShown) continue;
    MoveToEx(dc, record.plot.left - kTickOverhang, labels[i].y, nullptr);
    LineTo(dc, record.plot.right - kLineEndInset, labels[i].y);
  }
  SetBkColor(dc, oldBack);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldPen);
}

void DrawPaneLabels(HDC dc, const PaneRecord& record, const PaneLabel* labels, int count) {
  DrawLabelTexts(dc, record, labels, count);
  DrawDottedLines(dc, record, labels, count);
}

void DrawPaneLines(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                   bool background) {
  const int kind = static_cast<int>(view.paneKinds[pane]);
  PaneLine lines[kMaxPaneLines];
  const int count = GetPaneLines(kind, context.periods[GetViewPeriod(view)].params, lines);
  for (int k = 0; k < count; ++k) {
    if (!IsPaneLineShown(lines[k], view.paneFlags[pane])) continue;
    DrawIntSeriesLine(dc, view, context, pane, first, last, lines[k].series, lines[k].colorSlot, 1, lines[k].firstIndex,
                      background);
    background = false;
  }
}

void DrawVolumeBars(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame{};
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  const PaneRecord& record = *frame.record;
  const RECT plot = ToWinRect(record.plot);
  const HRGN savedClip = PushClipRect(dc, plot);
  // Each column's background first, then the bars in one call on the screen:
  // no bar reaches into another's column.
  static RectBatch batch;  // painting runs on the main thread only
  const COLORREF colour = PaletteColor(kColorVolumeBars);
  const PaneValueScale scale = PreparePaneValueScale(record, false);
  const int from = std::min(last, frame.count - 1);
  const int count = static_cast<int>(std::max<int64_t>(int64_t{from} - std::max(first, 0) + 1, 0));
  const bool columns = MayColourBarColumns(view, context);
  ForEachBarCentre(record.plot.right, frame.spacing, last, from, count, [&](int k, int x) {
    const int bar = from - k;
    if (columns) PaintBarBackground(dc, view, context, bar, plot);
    const RECT rect = ToWinRect(VolumeBarRect(scale, x, frame.barWidth, frame.bars->bars[bar].volume));
    if (gMetafileRendering != 0) {
      FillRect(dc, &rect, CachedBrush(colour));
    } else {
      batch.Add(rect);
    }
  });
  batch.Fill(dc, colour);
  PopClipRect(dc, savedClip);
}

}  // namespace

void DrawIntSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       int series, int colorSlot, int width, int firstIndex, bool background) {
  const IntSeries* values = ViewIntSeries(view, context, series);
  if (!IsPaneIndex(pane) || values == nullptr || last < first) return;
  const PaneRecord& record = context.panes[pane];
  static PixelPoint points[kMaxBars];  // painting runs on the main thread only
  static int bars[kMaxBars];
  const int spacing = std::max(context.geometry.barSpacing, 1);
  background = background && MayColourBarColumns(view, context);
  const int count = BuildIntSeriesPoints(record, spacing, *values, first, last, firstIndex, points,
                                         background ? bars : nullptr, kMaxBars);
  if (count == 0) return;

  const RECT plot = ToWinRect(record.plot);
  if (!background && DrawChartLineOnCanvas(dc, plot, points, count, colorSlot, width)) return;
  const HRGN savedClip = PushClipRect(dc, plot);
  if (background)
    for (int k = 0; k < count; ++k) PaintBarBackground(dc, view, context, bars[k], plot);
  const HGDIOBJ oldPen = SelectObject(dc, CachedChartLinePen(colorSlot, width));
  DrawChartPolyline(dc, points, count, ChartLineWidth(width));
  SelectObject(dc, oldPen);
  PopClipRect(dc, savedClip);
}

void DrawPaneScaleDivisions(HDC dc, const ChartView& /*view*/, const ChartContext& context, int pane, int n,
                            int divisor) {
  if (!IsPaneIndex(pane)) return;
  const PaneRecord& record = context.panes[pane];
  PaneLabel labels[kMaxPaneDivisions];
  const int count = BuildScaleDivisions(record, n, divisor, FixedTextHeight(), CaptionRowHeight(), labels);
  DrawPaneLabels(dc, record, labels, count);
}

void DrawLevelLine(HDC dc, const ChartView& /*view*/, const ChartContext& context, int pane, int32_t value,
                   int divisor) {
  if (!IsPaneIndex(pane)) return;
  const PaneRecord& record = context.panes[pane];
  if (value < record.minValue || value > record.maxValue) return;
  const PaneLabel label = BuildLevelLabel(record, value, divisor, FixedTextHeight());
  DrawPaneLabels(dc, record, &label, 1);
}

void PaintVolumePane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  if (!IsPaneIndex(pane) || view.paneKinds[pane] != kPaneVolume) return;
  const PaneRecord& record = context.panes[pane];
  const PaneDrawing drawing = BeginPaneDrawing(dc, record);
  PaneLabel labels[kMaxPaneDivisions];
  const int count = BuildVolumeDivisions(record, FixedTextHeight(), MeasureDcText, dc, labels);
  DrawPaneLabels(dc, record, labels, count);
  DrawVolumeBars(dc, view, context, pane, first, last);
  DrawPaneLines(dc, view, context, pane, first, last, false);
  EndPaneDrawing(dc, drawing);
}

void PaintIndicatorPane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  if (!IsPaneIndex(pane)) return;
  const int kind = static_cast<int>(view.paneKinds[pane]);
  if (kind < kPaneRsi || kind > kPaneAdvanceDecline) return;
  const PaneRecord& record = context.panes[pane];
  const PaneDrawing drawing = BeginPaneDrawing(dc, record);

  const PaneScaleRule rule = GetPaneScaleRule(kind);
  if (rule.divisions > 0) DrawPaneScaleDivisions(dc, view, context, pane, rule.divisions, kPercentDivisor);
  int32_t levels[kMaxPaneLevels];
  const int levelCount = GetPaneLevelsInRange(kind, record, levels);
  for (int k = 0; k < levelCount; ++k) DrawLevelLine(dc, view, context, pane, levels[k], kPercentDivisor);
  DrawPaneLines(dc, view, context, pane, first, last, true);

  EndPaneDrawing(dc, drawing);
}
