#include "chart/chart_loading.h"

#include <algorithm>
#include <cstring>

#include "chart/chart_hooks.h"
#include "analysis/chart_indicators.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

int32_t gForecastState[3] = {};
int32_t gForecastBarCount[3] = {};
int32_t gForecastLastBar[3] = {};
int32_t gForecastCarry = 0;
Rect gDetailListArea = {};

namespace {

bool gOwnsMainScratch = false;

// Forecast bars held across a reload. Forecasts always live in the daily
// series, whatever period the chart shows.
struct SavedForecast {
  StockCode code;
  int32_t state;
  int32_t lastBar;
  bool carry;
  int count;
  PriceBar bars[kMaxForecastBars];  // oldest first
};

// A context's buffers are allocated all or none.
bool IsContextReady(const ChartContext& context) {
  return context.periods[0].rawBars != nullptr && gMainScratch.reals[1] != nullptr;
}

bool IsShownChart(int chart) {
  return chart >= 0 && chart < ShownChartCount() && IsContextReady(gChartContexts[chart]);
}

ChartView& ViewOf(int chart) { return CurrentScreenPattern().views[chart]; }

int ViewPeriod(const ChartView& view) { return view.period >= 0 && view.period < kPeriodCount ? view.period : 0; }

const BarSeries& DailyOf(const ChartContext& context) { return *context.periods[0].bars; }

void InvalidateRect(const Rect& rect) {
  if (gChartHooks.invalidateRect != nullptr && !IsEmptyRect(rect)) gChartHooks.invalidateRect(rect);
}

bool AppendBar(BarSeries* series, const PriceBar& bar) {
  if (series->count >= kMaxBars) return false;
  series->bars[series->count++] = bar;
  return true;
}

void CopyBars(const BarSeries& from, BarSeries* to) {
  to->code = from.code;
  to->count = std::clamp(from.count, 0, kMaxBars);
  std::copy(from.bars, from.bars + to->count, to->bars);
}

// The first daily bar inside the view's last `forecastCount` period bars.
int FirstForecastDailyIndex(const ChartView& view, const ChartContext& context, int forecastCount) {
  const BarSeries& daily = DailyOf(context);
  const int count = std::clamp(daily.count, 0, kMaxBars);
  const int k = std::clamp(forecastCount, 0, kMaxForecastBars);
  const int period = ViewPeriod(view);
  if (period == 0 || k == 0) return count - std::min(k, count);
  const BarSeries& series = *context.periods[period].bars;
  const int before = std::clamp(series.count, 0, kMaxBars) - k - 1;
  const int lowest = std::max(0, count - kMaxForecastBars);
  int first = count;
  while (first > lowest && (before < 0 || daily.bars[first - 1].date > series.bars[before].date)) --first;
  return first;
}

// How many of the view's period bars hold daily bars from `firstDaily` on.
int ForecastCountInPeriod(const ChartView& view, const ChartContext& context, int firstDaily) {
  const BarSeries& daily = DailyOf(context);
  if (firstDaily < 0 || firstDaily >= daily.count) return 0;
  const int period = ViewPeriod(view);
  if (period == 0) return daily.count - firstDaily;
  const BarSeries& series = *context.periods[period].bars;
  const PackedDate firstDate = daily.bars[firstDaily].date;
  int n = 0;
  while (n < series.count && series.bars[series.count - 1 - n].date >= firstDate) ++n;
  return n;
}

// Takes the chart's forecast bars out of its state before the bars are replaced.
void SaveForecast(int chart, const ChartView& view, const ChartContext& context, SavedForecast* saved) {
  const BarSeries& daily = DailyOf(context);
  const int first = FirstForecastDailyIndex(view, context, gForecastBarCount[chart]);
  saved->code = daily.code;
  saved->state = gForecastState[chart];
  saved->lastBar = gForecastLastBar[chart];
  saved->carry = gForecastCarry != 0 && saved->state == kForecastCommitted;
  saved->count = 0;
  if (saved->state == kForecastCommitted) {
    const int end = saved->carry ? std::min(first + 1, daily.count) : daily.count;
    for (int i = first; i < end; ++i) saved->bars[saved->count++] = daily.bars[i];
  }
  gForecastState[chart] = saved->carry ? kForecastCarried : kForecastNone;
  gForecastBarCount[chart] = 0;
}

// Committed bars back after the stored ones, by date: a bar of the last real
// bar's date counts as forecast, later ones are appended, older ones dropped.
int PutBackCommittedBars(int chart, const SavedForecast& saved, BarSeries* raw) {
  gForecastLastBar[chart] = saved.lastBar;
  int count = 0;
  bool matched = false;
  for (int i = 0; i < saved.count; ++i) {
    const PriceBar& bar = saved.bars[i];
    const PackedDate last = raw->bars[raw->count - 1].date;
    if (bar.date == last) {
      ++count;
      matched = true;
    } else if (bar.date > last && AppendBar(raw, bar)) {
      ++count;
      gForecastLastBar[chart] = raw->count - 1;
      matched = false;
    }
  }
  // The real bar arrived for the date of the only forecast.
  if (count == 1 && matched) count = 0;
  if (count > 0) gForecastState[chart] = kForecastCommitted;
  return count;
}

// The number of forecast bars now at the end of the raw daily series.
int RestoreForecast(int chart, const SavedForecast& saved, int dropForecast, BarSeries* raw) {
  const bool usable = saved.count > 0 && saved.code == raw->code && raw->count > 0;
  int count = 0;
  if (saved.carry) {
    if (usable && AppendBar(raw, saved.bars[0])) {
      count = 1;
      gForecastLastBar[chart] = raw->count - 1;
    }
  } else if (usable && dropForecast == 0 && saved.state == kForecastCommitted) {
    count = PutBackCommittedBars(chart, saved, raw);
  }
  if (count == 0) gForecastState[chart] = kForecastNone;
  return count;
}

// Weekly and monthly bars from the raw and from the display daily bars.
void BuildPeriodBars(ChartContext* context) {
  PeriodSeriesBlock* blocks = context->periods;
  BuildWeeklyBars(*blocks[0].rawBars, blocks[1].rawBars);
  BuildWeeklyBars(*blocks[0].bars, blocks[1].bars);
  BuildMonthlyBars(*blocks[0].rawBars, blocks[2].rawBars);
  BuildMonthlyBars(*blocks[0].bars, blocks[2].bars);
}

void BuildDisplayAndPeriodBars(ChartContext* context) {
  PeriodSeriesBlock* blocks = context->periods;
  if (gShowSplitAdjusted != 0) {
    AdjustBarsForSplits(*blocks[0].rawBars, blocks[0].bars);
  } else {
    CopyBars(*blocks[0].rawBars, blocks[0].bars);
  }
  BuildPeriodBars(context);
}

// A negative index stays "newest" until the layout knows the bar spacing.
void PlaceAtNewestBar(int chart, ChartView* view) {
  if (view->lastBarIndex >= 0 || gChartContexts[chart].geometry.barSpacing <= 0) return;
  view->lastBarIndex = GetChartEndBarIndex(chart);
}

// The daily bars of the view's last period bar.
int DailyBarsOfLastPeriodBar(const ChartView& view, const ChartContext& context) {
  const BarSeries& daily = DailyOf(context);
  const int period = ViewPeriod(view);
  const BarSeries& series = *context.periods[period].bars;
  if (period == 0 || series.count < 2) return std::min(1, daily.count);
  const PackedDate previous = series.bars[series.count - 2].date;
  int n = 0;
  while (n < daily.count && daily.bars[daily.count - 1 - n].date > previous) ++n;
  return n;
}

// Drops the last `drop` daily bars, all forecast bars, and rebuilds the rest.
void CutForecastBars(int chart, int drop) {
  const ChartView& view = ViewOf(chart);
  ChartContext& context = gChartContexts[chart];
  PeriodSeriesBlock* blocks = context.periods;
  BarSeries& display = *blocks[0].bars;
  BarSeries& raw = *blocks[0].rawBars;
  const int first = FirstForecastDailyIndex(view, context, gForecastBarCount[chart]);
  display.count -= drop;
  // The raw series takes the display series' forecast bars.
  for (int i = first; i < display.count; ++i) raw.bars[i] = display.bars[i];
  raw.count = display.count;
  BuildPeriodBars(&context);
  ComputeChartIndicators(display.code, &context, gMainScratch);
  gForecastLastBar[chart] = display.count - 1;
  gForecastBarCount[chart] = ForecastCountInPeriod(view, context, first);
  if (gForecastBarCount[chart] == 0) gForecastState[chart] = kForecastNone;
  InvalidateChart(chart);
}

// A chart whose forecast was copied from `chart`: same stock, same bars.
bool SharesForecast(int other, int chart) {
  const BarSeries& a = DailyOf(gChartContexts[other]);
  const BarSeries& b = DailyOf(gChartContexts[chart]);
  return gForecastState[other] != kForecastNone && a.code == b.code && a.count == b.count;
}

// The last forecast bar in the chart's period goes, in every chart holding
// the same forecast; false when there was none to drop.
bool DropLastForecastBar(int chart) {
  const ChartView& view = ViewOf(chart);
  const ChartContext& context = gChartContexts[chart];
  const int forecastDaily = DailyOf(context).count - FirstForecastDailyIndex(view, context, gForecastBarCount[chart]);
  const int drop = std::min(DailyBarsOfLastPeriodBar(view, context), forecastDaily);
  if (drop <= 0) return false;
  bool sharing[kMaxChartsPerPattern] = {};
  for (int i = 0; i < ShownChartCount(); ++i) sharing[i] = i == chart || SharesForecast(i, chart);
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (sharing[i]) CutForecastBars(i, drop);
  }
  return true;
}

void ClearForecasts() {
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    gForecastState[i] = kForecastNone;
    gForecastBarCount[i] = 0;
    gForecastLastBar[i] = 0;
  }
  gForecastCarry = 0;
}

}  // namespace

bool AllocAllChartContexts() {
  ClearForecasts();
  bool ok = true;
  for (ChartContext& context : gChartContexts) ok = ok && AllocChartContextBuffers(&context);
  ok = ok && AllocChartContextBuffers(&gSharedChartContext);
  if (ok && gMainScratch.ints[0] == nullptr) {
    ok = AllocateKernelScratchSet(&gMainScratch);
    gOwnsMainScratch = ok;
  }
  if (!ok) FreeAllChartContexts();
  return ok;
}

void FreeAllChartContexts() {
  for (ChartContext& context : gChartContexts) FreeChartContextBuffers(&context);
  FreeChartContextBuffers(&gSharedChartContext);
  if (gOwnsMainScratch) FreeKernelScratchSet(&gMainScratch);
  gOwnsMainScratch = false;
}

void LoadChartSeries(int chart, int dropForecast) {
  if (!IsShownChart(chart)) return;
  ChartView& view = ViewOf(chart);
  ChartContext& context = gChartContexts[chart];
  SavedForecast saved;
  SaveForecast(chart, view, context, &saved);
  if (FindStockIndexByCode(view.stockCode) < 0) view.stockCode = gCanonicalIndexCodes[0];
  BarSeries* raw = context.periods[0].rawBars;
  GetDailyBars(view.stockCode, raw);
  raw->code = view.stockCode;
  const int forecastBars = RestoreForecast(chart, saved, dropForecast, raw);
  BuildDisplayAndPeriodBars(&context);
  ComputeChartIndicators(view.stockCode, &context, gMainScratch);
  if (forecastBars > 0) {
    gForecastBarCount[chart] = ForecastCountInPeriod(view, context, DailyOf(context).count - forecastBars);
  }
  PlaceAtNewestBar(chart, &view);
  context.detailBar = -1;  // the detail list shows the newest bar until the cross-hair marks one
  InvalidateDetailList();  // however little of the chart is repainted
}

void ReloadAllChartSeries() {
  for (int i = 0; i < ShownChartCount(); ++i) LoadChartSeries(i, 1);
}

void RecomputePatternCharts() {
  for (int i = 0; i < ShownChartCount(); ++i) {
    ChartContext& context = gChartContexts[i];
    if (IsContextReady(context)) ComputeChartIndicators(DailyOf(context).code, &context, gMainScratch);
  }
  InvalidateAllCharts();
}

int GetChartEndBarIndex(int chart) {
  if (chart < 0 || chart >= kMaxChartsPerPattern || !IsContextReady(gChartContexts[chart])) return 0;
  const ChartContext& context = gChartContexts[chart];
  const int spacing = context.geometry.barSpacing;
  if (spacing <= 0) return 0;
  const ChartView& view = ViewOf(chart);
  return context.periods[ViewPeriod(view)].bars->count + context.geometry.rightMargin / spacing;
}

namespace {

int FirstAllowedForecastBar(int chart, const ChartView& view, int count) {
  const int32_t state = gForecastState[chart];
  if (state == kForecastCommitted || state == kForecastCarried) return count - gForecastBarCount[chart];
  const int index = FindStockIndexByCode(view.stockCode);
  const bool live = index >= 0 && gStockTable->records[index].liveTime != kLiveTimeFinished;
  return live ? count - 1 : count;
}

}  // namespace

bool IsForecastEditPosition(int chart, int pane, int bar, bool* pastEnd) {
  if (pastEnd != nullptr) *pastEnd = false;
  if (!IsShownChart(chart) || pane < 0 || bar < 0) return false;
  const ChartView& view = ViewOf(chart);
  if (view.period != 0 || pane >= view.paneCount || view.paneKinds[pane] > kPaneIchimoku) return false;
  const int count = DailyOf(gChartContexts[chart]).count;
  if (count < 1 || gForecastState[chart] == kForecastDrawing) return false;
  const int first = FirstAllowedForecastBar(chart, view, count);
  // A full series takes no bar past its end.
  const int last = std::min(first + kForecastReach, count < kMaxBars ? count : count - 1);
  if (bar < first || bar > last) return false;
  if (pastEnd != nullptr) *pastEnd = bar == count;
  return true;
}

void EraseForecastCandle() {
  const int chart = gSelectedChart;
  if (IsShownChart(chart) && gForecastBarCount[chart] >= 2 && DropLastForecastBar(chart)) return;
  ReloadAllChartSeries();
  InvalidateAllCharts();
}

void InvalidateChart(int chart) {
  if (!IsShownChart(chart)) return;
  ChartContext& context = gChartContexts[chart];
  const Rect rect = context.geometry.chart;  // a copy: the scales rewrite the geometry
  if (IsEmptyRect(rect)) return;
  ComputePaneScales(rect, ViewOf(chart), &context);
  InvalidateRect(rect);
}

namespace {

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// What a pane's pixels depend on besides the bars and the lines.
bool SamePaneScale(const PaneRecord& a, const PaneRecord& b) {
  return SameRect(a.pane, b.pane) && SameRect(a.scale, b.scale) && SameRect(a.plot, b.plot) &&
         SameRect(a.fullPlot, b.fullPlot) && SameRect(a.captionRect, b.captionRect) && a.minValue == b.minValue &&
         a.maxValue == b.maxValue && a.valuePerPixel == b.valuePerPixel && a.log10Min == b.log10Min &&
         a.log10Max == b.log10Max && a.logPerPixel == b.logPerPixel &&
         std::memcmp(a.caption, b.caption, sizeof a.caption) == 0;
}

// The scales again (a line may widen its pane's range); false when they moved.
bool RecomputeScalesKept(int chart) {
  ChartContext& context = gChartContexts[chart];
  const Rect rect = context.geometry.chart;
  const int panes = std::clamp(ViewOf(chart).paneCount, 0, kMaxPanesPerChart);
  const ChartGeometry geometry = context.geometry;
  PaneRecord before[kMaxPanesPerChart];
  std::copy(context.panes, context.panes + panes, before);
  ComputePaneScales(rect, ViewOf(chart), &context);
  // Rectangles and whole numbers only: compared as bytes.
  if (std::memcmp(&geometry, &context.geometry, sizeof geometry) != 0) return false;
  for (int i = 0; i < panes; ++i)
    if (!SamePaneScale(before[i], context.panes[i])) return false;
  return true;
}

}  // namespace

void InvalidateTrendLinePanes(StockCode code, int paneKind) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (!IsShownChart(i) || ViewOf(i).stockCode != code) continue;
    const ChartContext& context = gChartContexts[i];
    if (IsEmptyRect(context.geometry.chart)) continue;
    if (!RecomputeScalesKept(i)) {
      InvalidateRect(context.geometry.chart);
      continue;
    }
    // Neighbouring panes go as one rectangle: each invalidation is a request to the system.
    const ChartView& view = ViewOf(i);
    Rect run = {};
    for (int pane = 0; pane < std::clamp(view.paneCount, 0, kMaxPanesPerChart); ++pane) {
      if (!TrendLineFitsPane(static_cast<int>(view.paneKinds[pane]), paneKind)) continue;
      const Rect& area = context.panes[pane].pane;
      if (!IsEmptyRect(run) && run.bottom == area.top && run.left == area.left && run.right == area.right) {
        run.bottom = area.bottom;
        continue;
      }
      InvalidateRect(run);
      run = area;
    }
    InvalidateRect(run);
  }
}

void InvalidateAllCharts() {
  for (int i = 0; i < ShownChartCount(); ++i) InvalidateChart(i);
  InvalidateDetailList();
}

void InvalidateDetailList() {
  if (gShowDetailList != 0) InvalidateRect(gDetailListArea);
}
