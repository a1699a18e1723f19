#pragma once
// A chart context: a stock's series (ChartSeriesSet) with the chart's
// geometry and panes. Each chart, the live-quote recomputation and every
// recomputation worker has its own.
#include "analysis/chart_series.h"
#include "chart/gdi_rules.h"
#include "chart/screen_pattern.h"
#include "chart/signal_strip.h"
constexpr int kPaneCaptionSize = 80;

// One pane of a chart: where it is and the scale its values are drawn with.
struct PaneRecord {
  Rect pane;
  Rect scale;        // where the value labels go
  Rect plot;         // a daily price pane leaves 22 rows above it for the signal strip
  Rect fullPlot;     // the plot before that cut
  int32_t minValue;  // in the pane's unit
  int32_t maxValue;
  double valuePerPixel;
  double log10Min;  // 0 when the minimum is 0 or less
  double log10Max;
  double logPerPixel;
  Rect captionRect;
  char caption[kPaneCaptionSize];  // Shift-JIS
};

// Where a chart's parts are, in main-window client coordinates.
struct ChartGeometry {
  Rect chart;
  Rect keepStockButton;
  Rect dateLinkTop, dateLinkBottom;  // halves shared with the chart above / below
  Rect stockLinkTop, stockLinkBottom;
  Rect scaleColumn;
  Rect plotArea;  // all panes
  Rect scrollBar;
  Rect dateAxis;
  Rect captionRow;
  Rect marginHandle;
  int32_t marginHandleMinX, marginHandleMaxX;  // where the handle may be dragged
  int32_t rightMargin;                         // the view's margin as shown
  int32_t wickWidth;
  int32_t gap;  // between bars
  int32_t barSpacing;
  int32_t visibleBars;
  int32_t firstBar, lastBar;  // the bars the scales were computed over
};

struct ChartContext : ChartSeriesSet {
  ChartGeometry geometry;
  PaneRecord panes[kMaxPanesPerChart];
  Rect listArea;      // in the group-list column
  int32_t detailBar;  // the bar the detail list shows; -1: the newest
  // Filled by the painter as bars are shown; keyed on what it was worked out from.
  mutable SignalStripCache signalStrip;
};

extern ChartContext gChartContexts[3];    // one per chart slot
extern ChartContext gSharedChartContext;  // the live-quote recomputation
