// The signal strip of a daily price pane: per bar and row a triangle where a
// signal of the row's kind fires, else the colour of a back-test position.

#include <algorithm>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/chart_text.h"
#include "chart/draw_primitives_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "chart/signal_strip.h"

namespace {

// Polygons of one colour, drawn in one call: a strip holds hundreds of cells.
struct PolygonBatch {
  std::vector<POINT> points;
  std::vector<INT> counts;

  void AddTriangle(const RECT& cell, bool down) {
    PixelPoint corners[3];
    GetTriangleMarkPoints({cell.left, cell.top, cell.right, cell.bottom}, down, corners);
    for (const PixelPoint& c : corners) points.push_back({c.x, c.y});
    counts.push_back(3);
  }
  // Outlined in its own colour, the polygon covers exactly the cell.
  void AddCell(const RECT& cell) {
    points.push_back({cell.left, cell.top});
    points.push_back({cell.right - 1, cell.top});
    points.push_back({cell.right - 1, cell.bottom - 1});
    points.push_back({cell.left, cell.bottom - 1});
    counts.push_back(4);
  }
  void Draw(HDC dc, int colorSlot) const {
    if (counts.empty()) return;
    const COLORREF color = PaletteColor(colorSlot);
    const HGDIOBJ oldPen = SelectObject(dc, CachedPen(PS_SOLID, 1, color));
    const HGDIOBJ oldBrush = SelectObject(dc, CachedBrush(color));
    PolyPolygon(dc, points.data(), counts.data(), static_cast<int>(counts.size()));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  void Clear() {
    points.clear();
    counts.clear();
  }
};

enum StripMark { kMarkSignal, kMarkHeld, kMarkExit, kMarkLossCut, kStripMarkCount };

// Painting runs on the main thread only; the batches keep their memory between paints.
PolygonBatch gStripBatches[kStripRowCount][kStripMarkCount];

int MarkOfState(int state) {
  if (state == kScenarioClosedByExit) return kMarkExit;
  if (state == kScenarioClosedByLossCut) return kMarkLossCut;
  return state == kScenarioHeldMark || (state >= -6 && state <= -1) ? kMarkHeld : -1;
}

int MarkSlot(const StripRow& row, int mark) {
  switch (mark) {
    case kMarkSignal: return row.markSlot;
    case kMarkHeld: return row.heldSlot;
    case kMarkExit: return row.exitSlot;
    default: return row.lossCutSlot;
  }
}

int RowTop(const Rect& full, int row) { return full.top + kStripFirstRowOffset + row * kStripRowPitch; }

void AddBarCells(const ChartView& view, const ChartContext& context, const PaneFrame& frame, int bar, int cellLeft) {
  const Rect& full = frame.record->fullPlot;
  const uint8_t kinds =
      bar < frame.count ? GetCachedSignalKinds(&context.signalStrip, view.stockCode, context, bar) : 0;
  for (int row = 0; row < kStripRowCount; ++row) {
    const StripRow& strip = GetStripRow(row);
    const RECT cell = {cellLeft, RowTop(full, row), cellLeft + frame.spacing - 1, RowTop(full, row) + kStripRowHeight};
    if ((kinds & (1u << (strip.kind - 1))) != 0) {
      gStripBatches[row][kMarkSignal].AddTriangle(cell, strip.markDown);
      continue;
    }
    const int mark = MarkOfState(ScenarioStateAtBar(context, bar, strip.kind));
    if (mark >= 0) gStripBatches[row][mark].AddCell(cell);
  }
}

}  // namespace

void DrawSignalStrip(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (GetViewPeriod(view) != 0 || !GetPaneFrame(view, context, pane, &frame)) return;
  if (view.paneKinds[pane] > kPaneIchimoku) return;
  const Rect& full = frame.record->fullPlot;
  if (IsEmptyRect(full)) return;
  const HRGN clip = PushClipRect(dc, ToWinRect(full));
  for (int row = 0; row < kStripRowCount; ++row) {
    const RECT band = {full.left, RowTop(full, row), full.right, RowTop(full, row) + kStripRowHeight};
    FillRectColor(dc, band, PaletteColor(GetStripRow(row).backgroundSlot));
  }
  PrepareSignalStripCache(&context.signalStrip, view.stockCode, context);
  for (int bar = last; bar >= std::max(first, 0); --bar)
    AddBarCells(view, context, frame, bar, BarX(frame, last, bar) - frame.spacing / 2 + 1);
  for (int row = 0; row < kStripRowCount; ++row) {
    for (int mark = 0; mark < kStripMarkCount; ++mark) {
      gStripBatches[row][mark].Draw(dc, MarkSlot(GetStripRow(row), mark));
      gStripBatches[row][mark].Clear();
    }
  }
  PopClipRect(dc, clip);
}
