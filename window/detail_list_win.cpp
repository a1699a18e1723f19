// The detail list: beside every chart, in its column of the main window,
// each pane's rows level with the pane, for the chart's cursor bar.
#include <algorithm>
#include <string>

#include "chart/chart_context.h"
#include "chart/detail_rows.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "chart/paint_tools_win.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "records/settings_block.h"
#include "window/detail_window_win.h"
#include "window/main_window_access_win.h"
#include "window/main_window_controls_win.h"

namespace {

constexpr int kInset = 4;
constexpr int kCaptionInsetY = 2;

// The pane's height across the column: where its rows go.
RECT PaneBand(const Rect& column, const PaneRecord& pane) {
  return {column.left, pane.pane.top, column.right, pane.pane.bottom};
}

void FrameBand(HDC dc, const RECT& band) { FrameRect(dc, &band, CachedBrush(PaletteColor(kColorScale))); }

// The rows that fit the pane, each label and value apart: in a narrow column
// a label gives way to its value, a signal's name to its mark.
void DrawRows(HDC dc, const DetailRows& rows, const RECT& band, int lineHeight) {
  const int shown = CountDetailRowsFitting(rows.count, band.bottom - band.top, lineHeight, kInset);
  const int width = band.right - band.left - 2 * kInset;
  const int gap = MeasureDcText(dc, " ");
  for (int i = 0; i < shown; ++i) {
    const DetailRow& row = rows.rows[i];
    const DetailRowFit fit = FitDetailRow(row, width, gap, MeasureDcText, dc);
    const int top = band.top + kInset + i * lineHeight;
    const RECT rect = {band.left + kInset, top, band.right - kInset, top + lineHeight};
    SetTextColor(dc, PaletteColor(row.colorSlot));
    DrawKeptText(dc, SjisToWide(row.label, fit.labelBytes), rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    DrawKeptText(dc, SjisToWide(row.value, fit.valueBytes), rect, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
  }
}

void DrawCaption(HDC dc, const DetailRows& rows, const Rect& column, const ChartGeometry& geometry) {
  const RECT title = {column.left, geometry.captionRow.top, column.right, geometry.captionRow.bottom};
  SetTextColor(dc, PaletteColor(kColorNumberEven));
  const RECT text = {title.left + kInset, title.top + kCaptionInsetY, title.right - kInset, title.bottom};
  DrawKeptText(dc, SjisToWide(rows.caption), text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  FrameBand(dc, title);
}

void DrawChartColumn(HDC dc, int chart, const Rect& column) {
  const RECT area = ToWinRect(column);
  if (!RectVisible(dc, &area)) return;
  FillRect(dc, &area, CachedBrush(PaletteColor(kColorBackground)));
  const ChartContext& context = gChartContexts[chart];
  const int lineHeight = gFixedFontMetrics.tmHeight > 0 ? gFixedFontMetrics.tmHeight : 12;
  static DetailRows rows;
  for (int pane = 0; pane < PaneCountOf(chart); ++pane) {
    const RECT band = PaneBand(column, context.panes[pane]);
    if (band.bottom <= band.top) continue;
    BuildChartDetailRows(chart, pane, context.detailBar, false, &rows);
    if (pane == 0) DrawCaption(dc, rows, column, context.geometry);
    DrawRows(dc, rows, band, lineHeight);
    FrameBand(dc, band);
  }
}

}  // namespace

void DrawDetailList(HDC dc) {
  if (gShowDetailList == 0) return;
  const MainWindowLayout& layout = CurrentMainWindowLayout();
  const HGDIOBJ oldFont = SelectObject(dc, gChartFixedFont);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  for (int chart = 0; chart < ShownChartCount() && chart < layout.chartCount; ++chart) {
    if (!IsEmptyRect(layout.detailColumns[chart])) DrawChartColumn(dc, chart, layout.detailColumns[chart]);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}
