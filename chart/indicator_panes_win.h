#pragma once
// Painting of the volume pane and the oscillator panes (kPaneRsi..kPaneAdvanceDecline):
// value labels, fixed levels, bars and indicator lines, from the scales the
// layout left in the context.
#include <windows.h>

#include <cstdint>

#include "chart/chart_context.h"
#include "chart/screen_pattern.h"

// Bars, their labels and the two volume averages.
void PaintVolumePane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);
// Labels, levels and lines of the oscillator kinds; other kinds draw nothing.
void PaintIndicatorPane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);

// One integer series of the view's period as a polyline, clipped to the
// plot. A width of 1 means the chart line width. With `background`, each
// bar's forecast and trade-mark columns are painted under the line first.
void DrawIntSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       int series, int colorSlot, int width, int firstIndex, bool background);
// n labels from the pane's minimum to its maximum with dotted lines between.
void DrawPaneScaleDivisions(HDC dc, const ChartView& view, const ChartContext& context, int pane, int n, int divisor);
// A labelled dotted line at a value; nothing when the value is outside the pane's range.
void DrawLevelLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int32_t value, int divisor);
