#include "chart/cross_hair.h"

#include <algorithm>

#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"

int gCrossHairChart = -1;
int gCrossHairPane = -1;
int gCrossHairBar = -1;
int gCrossHairX = 0;
int gCrossHairY = 0;
int32_t gCursorValue = -1;
bool gCursorLineDrawn = false;
Rect gCrossHairRects[kMaxCrossHairRects] = {};
int gCrossHairRectCount = 0;

namespace {

bool IsShownChart(int chart) {
  return chart >= 0 && chart < ShownChartCount() && gChartContexts[chart].periods[0].bars != nullptr;
}

const BarSeries& SeriesOf(int chart) {
  return *GetViewBarSeries(CurrentScreenPattern().views[chart], gChartContexts[chart]);
}

int SeriesCount(const BarSeries& series) { return std::clamp(series.count, 0, kMaxBars); }

Rect JoinRects(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Rect IntersectRects(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The dates since the bar before this one, and its own.
void MarkOtherCharts(int chart, int bar) {
  for (int other = 0; other < ShownChartCount(); ++other) {
    int first = 0;
    int last = 0;
    if (other != chart && FindMatchingBars(chart, bar, other, &first, &last)) AddCrossHairRect(other, first, last);
  }
}

}  // namespace

bool FindSeriesBarRange(const BarSeries& series, PackedDate from, PackedDate to, int* first, int* last) {
  const int count = SeriesCount(series);
  int i = 0;
  while (i < count && series.bars[i].date <= from) ++i;
  if (i >= count) return false;
  int j = i;
  while (j + 1 < count && series.bars[j + 1].date <= to) ++j;
  *first = i;
  *last = j;
  return true;
}

bool FindChartBarRange(int chart, PackedDate from, PackedDate to, int* first, int* last) {
  if (!IsShownChart(chart)) return false;
  return FindSeriesBarRange(SeriesOf(chart), from, to, first, last);
}

bool FindMatchingBars(int chart, int bar, int other, int* first, int* last) {
  if (!IsShownChart(chart)) return false;
  const BarSeries& series = SeriesOf(chart);
  if (bar < 0 || bar >= SeriesCount(series)) return false;
  const PackedDate date = series.bars[bar].date;
  const PackedDate previous = bar > 0 ? series.bars[bar - 1].date : date;
  return FindChartBarRange(other, previous, date, first, last);
}

void GetBarColumnRect(int chart, int bar, Rect* rect) {
  *rect = {};
  if (!IsShownChart(chart)) return;
  const ChartContext& context = gChartContexts[chart];
  const ChartGeometry& g = context.geometry;
  const int lastBar = GetViewLastBar(CurrentScreenPattern().views[chart], context);
  const int64_t right = int64_t{g.plotArea.right} - (int64_t{lastBar} - bar) * g.barSpacing - 1;
  const int64_t left = right - g.barSpacing;
  rect->left = static_cast<int32_t>(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX));
  rect->right = static_cast<int32_t>(std::clamp<int64_t>(right, INT32_MIN, INT32_MAX));
  rect->top = g.plotArea.top;
  rect->bottom = g.plotArea.bottom - 1;
}

void SetChartDetailBar(int chart, int /*pane*/, int bar) {
  if (chart >= 0 && chart < kMaxChartsPerPattern) gChartContexts[chart].detailBar = bar;
}

void AddCrossHairRect(int chart, int first, int last) {
  if (!IsShownChart(chart)) return;
  SetChartDetailBar(chart, -1, last);
  Rect a;
  Rect b;
  GetBarColumnRect(chart, first, &a);
  GetBarColumnRect(chart, last, &b);
  const Rect& plot = gChartContexts[chart].geometry.plotArea;
  const Rect inner = {plot.left + 1, plot.top + 1, plot.right - 1, plot.bottom - 1};
  const Rect rect = IntersectRects(JoinRects(a, b), inner);
  if (!IsEmptyRect(rect) && gCrossHairRectCount < kMaxCrossHairRects) gCrossHairRects[gCrossHairRectCount++] = rect;
}

bool IsCrossHairUnchanged(int chart, int pane, int bar, int y, int32_t value) {
  return chart == gCrossHairChart && pane == gCrossHairPane && bar == gCrossHairBar && y == gCrossHairY &&
         value == gCursorValue;
}

void StoreCrossHair(int chart, int pane, int bar, int x, int y, int32_t value) {
  gCrossHairChart = chart;
  gCrossHairPane = pane;
  gCrossHairBar = bar;
  gCrossHairX = x;
  gCrossHairY = y;
  gCursorValue = value;
  gCrossHairRectCount = 0;
  SetChartDetailBar(chart, pane, bar);
  if (IsShownChart(chart)) MarkOtherCharts(chart, bar);
  TakeCursorBarFromCrossHair();
}

// A bar of another chart or pane means nothing to the selected one.
void TakeCursorBarFromCrossHair() {
  const bool inSelection = gCrossHairChart >= 0 && gCrossHairChart == gSelectedChart && gCrossHairPane == gSelectedPane;
  gCursorBar = inSelection ? gCrossHairBar : -1;
}

// Without a cross-hair the detail list goes back to every chart's newest bar.
void ClearCrossHairState() {
  StoreCrossHair(-1, -1, -1, 0, 0, -1);
  for (ChartContext& context : gChartContexts) context.detailBar = -1;
}
