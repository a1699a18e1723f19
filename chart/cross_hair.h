#pragma once
// The cross-hair that follows the mouse: its state and the columns of the
// other charts that hold the same dates. Drawing is left to the window side.
#include <cstdint>

#include "chart/gdi_rules.h"
#include "common/packed_date.h"
#include "records/price_series.h"

constexpr int kMaxCrossHairRects = 3;

extern int gCrossHairChart;  // -1 when cleared
extern int gCrossHairPane;
extern int gCrossHairBar;
extern int gCrossHairX;  // the pointer inside the pane
extern int gCrossHairY;
extern int32_t gCursorValue;  // the value at the pointer
extern bool gCursorLineDrawn;
extern Rect gCrossHairRects[kMaxCrossHairRects];  // the same dates in the other charts
extern int gCrossHairRectCount;

// The bars after `from` up to `to`: the first bar dated after `from` and the
// bars that follow it up to `to` (at least the first). False when none is later.
bool FindSeriesBarRange(const BarSeries& series, PackedDate from, PackedDate to, int* first, int* last);
bool FindChartBarRange(int chart, PackedDate from, PackedDate to, int* first, int* last);
// The bars of chart `other` that hold the dates of bar `bar` of chart `chart`
// (the dates since the bar before it).
bool FindMatchingBars(int chart, int bar, int other, int* first, int* last);

// A bar's column across the chart's panes.
void GetBarColumnRect(int chart, int bar, Rect* rect);
void SetChartDetailBar(int chart, int pane, int bar);
// Marks bars first..last of a chart: its detail bar and a rectangle in the list.
void AddCrossHairRect(int chart, int first, int last);

bool IsCrossHairUnchanged(int chart, int pane, int bar, int y, int32_t value);
// Stores a cross-hair position and marks the same dates in the other charts.
// The window side erases the old line before and draws the new one after.
void StoreCrossHair(int chart, int pane, int bar, int x, int y, int32_t value);
// The selection's cursor bar, where a new memo goes, follows the cross-hair
// while it stands in the selected pane, else it is -1.
void TakeCursorBarFromCrossHair();
void ClearCrossHairState();
