#pragma once
// Loading the charts of the current pattern into their contexts: bars of the
// three periods, every indicator series, the forecast candles a chart keeps
// across reloads, and invalidating charts after a change.
#include <cstdint>

#include "chart/chart_context.h"
#include "chart/gdi_rules.h"

// Forecast state of each chart slot.
enum ForecastState : int32_t {
  kForecastNone = 0,
  kForecastDrawing = 1,  // a candle is being drawn with the mouse
  kForecastCommitted = 2,
  kForecastCarried = 3,  // the first forecast bar became the new time-back day's bar
};

constexpr int kForecastReach = 47;    // bars past the first allowed one
constexpr int kMaxForecastBars = 49;  // the live bar and 48 drawn ones

extern int32_t gForecastState[3];
extern int32_t gForecastBarCount[3];  // forecast bars at the end of the view's period series
extern int32_t gForecastLastBar[3];   // daily index of the last forecast bar appended
extern int32_t gForecastCarry;        // on while a time-back day step carries the forecast

// Where the window layout puts the detail list; empty while it is hidden.
extern Rect gDetailListArea;

// Buffers of the three chart contexts, the shared one and the main thread's
// kernel scratch. False when memory is short, with nothing left allocated.
bool AllocAllChartContexts();
void FreeAllChartContexts();

// Reloads chart `chart` of the current pattern: daily bars from the store,
// the display copy, weekly and monthly bars and every indicator. With
// `dropForecast` 0, committed forecast bars are put back after the new bars.
void LoadChartSeries(int chart, int dropForecast);
// Every chart of the current pattern, dropping forecasts unless carried.
void ReloadAllChartSeries();
// Indicators of every chart of the current pattern from the bars they hold,
// then all charts invalidated.
void RecomputePatternCharts();

// The last-bar index that shows the newest bar followed by the right margin;
// 0 while the bar spacing is not known.
int GetChartEndBarIndex(int chart);

// Whether a forecast candle may be drawn at this cross-hair position;
// `pastEnd`, when given, tells whether it stands one bar past the series' end.
bool IsForecastEditPosition(int chart, int pane, int bar, bool* pastEnd = nullptr);
// Esc: the selected chart's last forecast bar goes; the last one left, or no
// selection, reloads and repaints every chart.
void EraseForecastCandle();

// Pane scales from the chart's last rectangle, then the rectangle invalidated.
void InvalidateChart(int chart);
// The same for every chart of the current pattern, and the detail list.
void InvalidateAllCharts();
// The detail list's area, while it is shown.
void InvalidateDetailList();
// A trend line of `code` on panes of `paneKind` changed: in every chart of
// that stock the panes that may show it (and with it the tracker's texts and
// the measuring text, which stay inside those panes), or the whole chart when
// the new scales moved anything.
void InvalidateTrendLinePanes(StockCode code, int paneKind);
