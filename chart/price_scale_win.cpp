// Value labels and grid lines of a price pane.

#include <string>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/paint_tools_win.h"
#include "chart/price_scale.h"
#include "chart/gdi_objects_win.h"
#include "chart/label_images_win.h"
#include "common/number_text.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"

namespace {

void DrawScaleLabel(HDC dc, const ScaleMark& mark, const Rect& pane) {
  char text[16];
  FormatThousands(mark.value, text);
  const std::wstring wide = SjisToWide(text);
  DrawKeptText(dc, wide, ScaleLabelRect(dc, wide, mark.label, pane),
               DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// Dotted grid lines (gaps in the background colour) and their labels.
void DrawScaleMarks(HDC dc, const PaneRecord& record, const ScaleMark* marks, int count) {
  const HGDIOBJ oldPen = SelectObject(dc, CachedPen(PS_DOT, 1, PaletteColor(kColorScale)));
  const COLORREF oldBack = SetBkColor(dc, PaletteColor(kColorBackground));
  const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const int oldMode = GetBkMode(dc);
  int mode = oldMode;
  for (int i = 0; i < count; ++i) {
    const ScaleMark& mark = marks[i];
    if (mode != OPAQUE) SetBkMode(dc, mode = OPAQUE);
    MoveToEx(dc, record.plot.left, mark.y, nullptr);
    LineTo(dc, record.plot.right - 2, mark.y);
    if (!mark.labelled) continue;
    SetBkMode(dc, mode = TRANSPARENT);
    DrawScaleLabel(dc, mark, record.pane);
  }
  if (mode != oldMode) SetBkMode(dc, oldMode);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SelectObject(dc, oldPen);
}

int FixedTextHeight() { return gFixedFontMetrics.tmHeight; }

}  // namespace

void DrawPriceScale(HDC dc, const ChartView& view, const ChartContext& context, int pane) {
  if (pane < 0 || pane >= kMaxPanesPerChart) return;
  PriceScaleMarks marks;
  ComputePriceScaleMarks(context.panes[pane], IsLogScalePane(view, pane), FixedTextHeight(), &marks);
  DrawScaleMarks(dc, context.panes[pane], marks.marks, marks.count);
}

void DrawTickGrid(HDC dc, const ChartView& view, int stockIndex, const ChartContext& context, int pane) {
  if (pane < 0 || pane >= kMaxPanesPerChart || gStockTable == nullptr) return;
  if (stockIndex < 0 || stockIndex >= gStockTable->count) return;
  static TickGridMarks marks;  // painting runs on the main thread only
  const bool referenceIndex = view.stockCode == gCanonicalIndexCodes[0];
  ComputeTickGridMarks(context.panes[pane], IsLogScalePane(view, pane), FixedTextHeight(), stockIndex,
                       gStockTable->records[stockIndex].master.marketId, referenceIndex, &marks);
  DrawScaleMarks(dc, context.panes[pane], marks.marks, marks.count);
}
