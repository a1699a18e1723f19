#include "chart/chart_scroll.h"

#include <algorithm>

#include "chart/chart_hooks.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/screen_pattern.h"
#include "records/settings_block.h"

namespace {

bool IsShownChart(int chart) {
  return chart >= 0 && chart < ShownChartCount() && gChartContexts[chart].periods[0].bars != nullptr;
}

ChartView& ViewOf(int chart) { return CurrentScreenPattern().views[chart]; }

int SeriesCount(const BarSeries& series) { return std::clamp(series.count, 0, kMaxBars); }

const BarSeries& SeriesOf(int chart) { return *GetViewBarSeries(ViewOf(chart), gChartContexts[chart]); }

void CallHook(void (*hook)()) {
  if (hook != nullptr) hook();
}

void ApplyScrollBar(int chart, const ChartScrollInfo& info) {
  if (gChartHooks.applyScrollBar != nullptr) gChartHooks.applyScrollBar(chart, info);
}

// The scroll bar's position: the view's index kept within the range.
int CurrentScrollPos(const ChartScrollInfo& info) { return ClampChartScrollPos(info, info.pos); }

}  // namespace

RightEdge FindRightEdge(const BarSeries& series, int lastBar, int forecastBars) {
  const int count = SeriesCount(series);
  int last = lastBar;
  int empty = 0;
  if (last >= count) {
    empty = last - count + 1;
    last = count - 1;
    if (forecastBars > 0) {
      empty += forecastBars;
      last -= forecastBars;
    }
  }
  if (last < 0) return {false, 0, 0};
  return {true, series.bars[last].date, empty};
}

int FirstBarOnOrAfterDate(const BarSeries& series, PackedDate date) {
  const PriceBar* begin = series.bars;
  const PriceBar* end = begin + SeriesCount(series);
  const PriceBar* found =
      std::lower_bound(begin, end, date, [](const PriceBar& bar, PackedDate d) { return bar.date < d; });
  return found != end ? static_cast<int>(found - begin) : -1;
}

bool GetChartScrollInfo(int chart, ChartScrollInfo* info) {
  if (!IsShownChart(chart) || GetViewBarSeries(ViewOf(chart), gChartContexts[chart]) == nullptr) return false;
  const int visible = std::max(gChartContexts[chart].geometry.visibleBars, 0);
  const int last = ViewOf(chart).lastBarIndex;
  info->min = visible / 5;
  info->max = GetChartEndBarIndex(chart) + kScrollBarsPastEnd + visible;
  info->page = visible;
  info->pos = last >= 0 ? last : SeriesCount(SeriesOf(chart));
  return true;
}

int ClampChartScrollPos(const ChartScrollInfo& info, int pos) {
  const int64_t top = info.page > 0 ? int64_t{info.max} - info.page + 1 : int64_t{info.max};
  const int64_t highest = std::max<int64_t>(info.min, top);
  return static_cast<int>(std::clamp<int64_t>(pos, info.min, highest));
}

int NextChartScrollPos(int code, int pos, int page, int trackPos) {
  switch (code) {
    case kScrollLineLeft: return pos - 1;
    case kScrollLineRight: return pos + 1;
    case kScrollPageLeft: return pos - page / 12 - 1;
    case kScrollPageRight: return pos + 1 + page / 12;
    case kScrollThumbTrack: return trackPos;
    default: return pos;
  }
}

void UpdateChartScrollBar(int chart) {
  if (!IsShownChart(chart)) return;
  ChartContext& context = gChartContexts[chart];
  const Rect rect = context.geometry.chart;  // a copy: the scales rewrite the geometry
  if (!IsEmptyRect(rect)) ComputePaneScales(rect, ViewOf(chart), &context);
  ChartScrollInfo info;
  if (!GetChartScrollInfo(chart, &info)) return;
  info.pos = CurrentScrollPos(info);
  ViewOf(chart).lastBarIndex = info.pos;
  ApplyScrollBar(chart, info);
  CallHook(gChartHooks.refreshCursorTracking);
}

void SetChartScrollPos(int chart, int pos, int repaint) {
  ChartScrollInfo info;
  if (!GetChartScrollInfo(chart, &info)) return;
  info.pos = ClampChartScrollPos(info, pos);
  ChartView& view = ViewOf(chart);
  if (info.pos == view.lastBarIndex) return;
  view.lastBarIndex = info.pos;
  ApplyScrollBar(chart, info);
  if (repaint == 0) return;
  InvalidateChart(chart);
  CallHook(gChartHooks.refreshCursorTracking);
}

void ScrollChartBy(int chart, int delta) {
  ChartScrollInfo info;
  if (!GetChartScrollInfo(chart, &info)) return;
  SetChartScrollPos(
      chart, static_cast<int>(std::clamp<int64_t>(int64_t{CurrentScrollPos(info)} + delta, INT32_MIN, INT32_MAX)), 1);
}

bool ScrollChartByCode(int chart, int code, int trackPos) {
  ChartScrollInfo info;
  if (!GetChartScrollInfo(chart, &info)) return false;
  const int current = CurrentScrollPos(info);
  const int next = ClampChartScrollPos(info, NextChartScrollPos(code, current, info.page, trackPos));
  if (next == current) return false;
  CallHook(gChartHooks.clearCrossHair);
  info.pos = next;
  ViewOf(chart).lastBarIndex = next;
  ApplyScrollBar(chart, info);
  InvalidateChart(chart);
  InvalidateDetailList();
  if (ViewOf(chart).dateLink != 0 && chart + 1 < ShownChartCount()) AlignLinkedCharts(chart + 1, chart);
  if (chart > 0 && ViewOf(chart - 1).dateLink != 0) AlignLinkedCharts(chart - 1, chart);
  CallHook(gChartHooks.refreshCursorTracking);
  return true;
}

void SetChartPeriod(int chart, int period) {
  if (!IsShownChart(chart) || period < 0 || period >= kPeriodCount) return;
  ChartView& view = ViewOf(chart);
  if (view.period == period) return;
  const RightEdge edge = FindRightEdge(SeriesOf(chart), view.lastBarIndex, gForecastBarCount[chart]);
  view.period = period;
  LoadChartSeries(chart, 1);
  UpdateChartScrollBar(chart);
  InvalidateChart(chart);
  // An empty series has no date to keep: only the period changes.
  const int first = edge.valid ? FirstBarOnOrAfterDate(SeriesOf(chart), edge.date) : -1;
  if (first >= 0) SetChartScrollPos(chart, first + edge.emptyBars, 1);
  CallHook(gChartHooks.clearCrossHair);
  CallHook(gChartHooks.refreshCursorTracking);
}

int BarWidthForCommand(int command, int width) {
  if (command == kCommandBarWidth1) return 1;
  if (command >= kCommandBarWidth2 && command <= kCommandBarWidth10) return 3 + 2 * (command - kCommandBarWidth2);
  if (command == kCommandWiderBars) return std::min(width + 2, kMaxBarWidth);
  if (command == kCommandNarrowerBars) return std::max(width - 2, 1);
  return -1;
}

void SetChartBarWidth(int chart, int width) {
  if (!IsShownChart(chart) || width < 1 || width > kMaxBarWidth) return;
  ChartView& view = ViewOf(chart);
  if (view.barWidth == width) return;
  const int oldEnd = GetChartEndBarIndex(chart);
  const bool atEnd = view.lastBarIndex == oldEnd;
  view.barWidth = width;
  UpdateChartScrollBar(chart);
  if (atEnd) SetChartScrollPos(chart, GetChartEndBarIndex(chart), 0);
  InvalidateChart(chart);
  CallHook(gChartHooks.clearCrossHair);
  CallHook(gChartHooks.refreshCursorTracking);
}

namespace {

void ApplyRightMargin(int chart, int margin) {
  ChartView& view = ViewOf(chart);
  if (view.rightMargin == margin) return;
  view.rightMargin = static_cast<int16_t>(margin);
  UpdateChartScrollBar(chart);
  InvalidateChart(chart);
}

}  // namespace

bool SetChartRightMargin(int chart, int margin) {
  if (!IsShownChart(chart) || ViewOf(chart).rightMargin == margin) return false;
  ApplyRightMargin(chart, margin);
  const int count = CurrentScreenPattern().chartCount;
  for (int j = chart; j + 1 < count && ViewOf(j).dateLink != 0; ++j) ApplyRightMargin(j + 1, margin);
  for (int j = chart - 1; j >= 0 && ViewOf(j).dateLink != 0; --j) ApplyRightMargin(j, margin);
  return true;
}

namespace {

// Where a chart stands before its bars are replaced: at its last bar (or
// past it), or scrolled back to a date.
struct ChartPlace {
  bool atEnd;
  PackedDate rightEdgeDate;
};

ChartPlace PlaceOf(int chart) {
  const BarSeries& series = SeriesOf(chart);
  const int forecastBars = gForecastBarCount[chart];
  const RightEdge edge = FindRightEdge(series, ViewOf(chart).lastBarIndex, forecastBars);
  const int lastReal = SeriesCount(series) - 1 - std::max(forecastBars, 0);
  if (!edge.valid || edge.emptyBars > 0 || lastReal < 0 || edge.date >= series.bars[lastReal].date) return {true, 0};
  return {false, edge.date};
}

}  // namespace

void ReloadChartsForNewBars() {
  ChartPlace places[kMaxChartsPerPattern] = {};
  const int charts = std::min(ShownChartCount(), kMaxChartsPerPattern);
  for (int i = 0; i < charts; ++i) places[i] = IsShownChart(i) ? PlaceOf(i) : ChartPlace{true, 0};
  ReloadAllChartSeries();
  for (int i = 0; i < charts; ++i) {
    if (!IsShownChart(i)) continue;
    UpdateChartScrollBar(i);  // the range follows the new bar count
    if (places[i].atEnd) {
      SetChartScrollPos(i, GetChartEndBarIndex(i), 0);
      continue;
    }
    const int first = FirstBarOnOrAfterDate(SeriesOf(i), places[i].rightEdgeDate);
    if (first >= 0) SetChartScrollPos(i, first, 0);
  }
  InvalidateAllCharts();
}
