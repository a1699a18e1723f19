// Small helpers of the chart painters.

#include "chart/paint_tools_win.h"

#include <algorithm>

#include "chart/chart_layout.h"
#include "chart/pane_pixels.h"
#include "shell/settings.h"

RECT ToWinRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

COLORREF PaletteColor(int slot) { return gPaletteColors[slot >= 0 && slot < kPaletteColorCount ? slot : 0]; }

HPEN CreateChartLinePen(int colorSlot, int width) {
  const int shown = width == 1 ? gThickChartLines + 1 : std::max(width, 1);
  return CreatePen(PS_SOLID, shown, PaletteColor(colorSlot));
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

int BarX(const PaneFrame& frame, int last, int bar) {
  return BarCentreX(frame.record->plot.right, frame.spacing, last, bar);
}

RECT BarColumn(const PaneFrame& frame, int last, int bar, const RECT& area) {
  const int left = BarX(frame, last, bar) - frame.barWidth / 2;
  return {left, area.top, left + frame.barWidth, area.bottom};
}
