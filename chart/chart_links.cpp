#include "chart/chart_links.h"

#include <algorithm>

#include "chart/chart_hooks.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/cross_hair.h"
#include "sheets/sheet_services.h"

namespace {

bool IsChartIndex(int chart) { return chart >= 0 && chart < ShownChartCount(); }

ChartView& ViewOf(int chart) { return CurrentScreenPattern().views[chart]; }

bool HasDateLinkBelow(int chart) { return IsChartIndex(chart + 1) && ViewOf(chart).dateLink != 0; }
bool HasStockLinkBelow(int chart) { return IsChartIndex(chart + 1) && ViewOf(chart).stockLink != 0; }

void CallHook(void (*hook)()) {
  if (hook != nullptr) hook();
}

// One step of an alignment; false when there is no date to align to.
bool AlignChartTo(int target, int source) {
  const ChartContext& from = gChartContexts[source];
  const ChartContext& to = gChartContexts[target];
  const BarSeries* sourceBars = GetViewBarSeries(ViewOf(source), from);
  const BarSeries* targetBars = GetViewBarSeries(ViewOf(target), to);
  if (sourceBars == nullptr || targetBars == nullptr) return false;
  const RightEdge edge = FindRightEdge(*sourceBars, ViewOf(source).lastBarIndex, 0);
  if (!edge.valid) return false;
  const int first = FirstBarOnOrAfterDate(*targetBars, edge.date);
  if (first < 0) return false;
  SetChartScrollPos(target, first + edge.emptyBars, 1);
  return true;
}

// After a new stock: the date-linked neighbour above, else the one below, else the end.
void PlaceLoadedChart(int chart) {
  if (chart > 0 && ViewOf(chart - 1).dateLink != 0) {
    AlignLinkedCharts(chart, chart - 1);
  } else if (HasDateLinkBelow(chart)) {
    AlignLinkedCharts(chart, chart + 1);
  } else {
    SetChartScrollPos(chart, GetChartEndBarIndex(chart), 0);
  }
}

void TakeListOf(int chart, int from, ChartListSync* sync) {
  ChartView& view = ViewOf(chart);
  const ChartView& source = ViewOf(from);
  if (view.groupIndex != source.groupIndex) sync->groupChanged[chart] = true;
  view.groupIndex = source.groupIndex;
  view.stockCode = source.stockCode;
  sync->refill[chart] = true;
}

}  // namespace

void SetChartStock(int chart, StockCode code) {
  if (!IsChartIndex(chart)) return;
  gTradeMarkShown = 0;
  ViewOf(chart).stockCode = code;
  LoadChartSeries(chart, 1);
  UpdateChartScrollBar(chart);
  CallHook(gChartHooks.eraseCursorLine);
  PlaceLoadedChart(chart);
  InvalidateChart(chart);
  gCursorValue = -1;
  CallHook(gChartHooks.refreshCursorTracking);
}

void ShowStockInLinkedCharts(int chart, StockCode code) {
  if (!IsChartIndex(chart)) return;
  SetChartStock(chart, code);
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) SetChartStock(j, code);
  for (int j = chart; HasStockLinkBelow(j); ++j) SetChartStock(j + 1, code);
}

void SyncLinkedChartLists(int chart, ChartListSync* sync) {
  *sync = ChartListSync{};
  if (!IsChartIndex(chart)) return;
  for (int j = chart; HasStockLinkBelow(j); ++j) TakeListOf(j + 1, j, sync);
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) TakeListOf(j, j + 1, sync);
}

void SyncLinkedKeepStockFlags(int chart) {
  if (!IsChartIndex(chart)) return;
  for (int j = chart; HasStockLinkBelow(j); ++j) ViewOf(j + 1).keepStock = ViewOf(j).keepStock;
  for (int j = chart - 1; j >= 0 && ViewOf(j).stockLink != 0; --j) ViewOf(j).keepStock = ViewOf(j + 1).keepStock;
}

void AlignLinkedCharts(int target, int source) {
  while (IsChartIndex(target) && IsChartIndex(source) && target != source) {
    if (!AlignChartTo(target, source)) return;
    const bool upward = target < source;
    source = target;
    if (upward) {
      if (target == 0 || ViewOf(target - 1).dateLink == 0) return;
      --target;
    } else {
      if (!HasDateLinkBelow(target)) return;
      ++target;
    }
  }
}
