#pragma once
// Painting one chart from what its context holds: the caption row, the
// frames and every pane by its kind, with the price pane's parts.
#include <windows.h>

#include "analysis/series_buffers.h"
#include "chart/chart_context.h"
#include "chart/screen_pattern.h"

// Set while the charts are drawn into a metafile: wicks become rectangles.
extern int gMetafileRendering;

// The whole chart inside its chart rectangle (context.geometry.chart).
void PaintChart(HDC dc, const ChartView& view, const ChartContext& context);
// The keep-stock button of each chart and the link buttons between neighbours.
void PaintChartButtons(HDC dc, const ScreenPattern& pattern, const ChartContext* contexts, int charts);

// Each pane's title label; the selected pane's (-1: none) on a sunken panel.
void DrawPaneTitleLabels(HDC dc, const ChartView& view, const ChartContext& context, int selectedPane);
// The selection in the palette's selection colour: a frame inside the chart
// (cut where the link-button halves lie) with no pane selected, else a frame
// inside the selected pane.
void DrawSelectionFrame(HDC dc, const ChartView& view, const ChartContext& context, int selectedPane);

// Gives the layout its text measures from the shared chart fonts
// (gChartTextWidth, gFixedFontHeight); again after every font change.
void InstallChartTextMeasures();
// Frees what the painters keep between paints (cloud buffers and brushes).
void FreeChartPaintResources();

// The date axis of the view's period: separators, ticks and labels, drawn
// before the panes so that they lie under what the panes show.
void DrawDateAxis(HDC dc, const ChartView& view, const ChartContext& context, int first, int last);
// The label widths the date axis keeps; a font made anew may reuse an old one's handle.
void ForgetDateAxisLabelWidths();
// The signal strip at the top of a daily price pane (the 22 rows above its plot).
void DrawSignalStrip(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);

// Price pane: kPaneCandles and kPaneIchimoku.
void PaintPricePane(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);
void DrawPriceScale(HDC dc, const ChartView& view, const ChartContext& context, int pane);
void DrawTickGrid(HDC dc, const ChartView& view, int stockIndex, const ChartContext& context, int pane);

// One real series of the view's period as a polyline from bar `last` down
// to max(first, firstIndex); a width of 1 means the chart line width.
void DrawRealSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                        const RealSeries& series, int colorSlot, int width, int firstIndex);
// The same moved right by `shift` bars.
void DrawShiftedSeriesLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                           const RealSeries& series, int colorSlot, int width, int shift, int firstIndex);
void DrawIchimokuCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       int slotAbove, int slotOtherwise);
void DrawIchimokuLines(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last,
                       bool cloudOnly);
void DrawParabolicMarks(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);
void DrawVolumeCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last);

// Per-bar backgrounds, shared with the other panes: the bar's column (its
// body's width, the full height of `area`) in the forecast colour when it is
// a forecast bar of a main-window chart, in a trade-mark colour when it holds
// one of the simulator's trade dates. The column's place follows the view's
// last bar, as in every painter.
void DrawForecastBackground(HDC dc, const ChartView& view, const ChartContext& context, int bar, const RECT& area);
void DrawTradeMarkColumn(HDC dc, const ChartView& view, const ChartContext& context, int bar, const RECT& area);
// False when neither of them can colour any bar of the chart: a painter then skips its per-bar calls.
bool MayColourBarColumns(const ChartView& view, const ChartContext& context);
// The simulator trade's entry and exit price lines.
void DrawTradeMarkLines(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last);
// A tracker average price across from `leftX` to `rightX` at the width of
// trend line `line`, with "price name(shares株)" beside it on the line's
// label sides unless the average values are hidden.
void DrawPositionLevelLine(HDC dc, const ChartView& view, const ChartContext& context, int pane, int64_t price,
                           int64_t shares, const char* name, int line, int rightX, int leftX);
