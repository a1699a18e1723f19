#pragma once
// Trend lines, monitoring marks and the tracker's ladder over a painted pane.
#include <windows.h>

#include "chart/chart_context.h"
#include "chart/position_marks.h"
#include "chart/screen_pattern.h"

// Every line of the view's stock, period and pane over the pane: the segment
// in its role colour, handles, live trails, blinking armed steps, value,
// tracker and profit labels, dates of vertical lines, the measuring text of
// the highlighted line and the average-price lines. `first` is last - visible
// - 3 and may be negative. Restores what it changes in the DC and deletes
// what it creates.
void PaintPositionMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);
// The same from the chart's lines collected once for all its panes
// (CollectChartLines with the first and last of this paint).
void PaintPositionMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last,
                        const ChartLineSet& lines);
