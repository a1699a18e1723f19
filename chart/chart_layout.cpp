// Chart layout and the value range and scale of every pane.
#include "chart/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/trend_line_store.h"
#include "chart/layout_limits.h"
#include "chart/memo_view.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

TextWidthFn gChartTextWidth = nullptr;
void* gChartTextWidthContext = nullptr;
int gFixedFontHeight = 0;
Rect gDetailWindowRect = {};
int gMainClientWidth = kMaxScreenExtent;
bool gTrendLineFullRange = false;

namespace {

constexpr int kMinChartFontSize = 12;
constexpr int kMaxChartFontSize = 32;
constexpr int kKeepStockButtonWidth = 48;
constexpr int kMinBarsScaled = 20;
constexpr int64_t kEmptyMinimum = INT32_MAX;
constexpr int64_t kFallbackMin = 0;  // a pane with nothing to show
constexpr int64_t kFallbackMax = 100;
constexpr int64_t kPercentFull = 10000;

struct BarSpan {
  int first, last;
};

// A range while it is collected and rounded; bounds stay within int32.
struct ValueRange {
  int64_t min, max;
};

int ChartFontSize() { return std::clamp<int>(gChartFontSize, kMinChartFontSize, kMaxChartFontSize); }

int64_t ClampToInt32(int64_t v) { return std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

// Truncates toward zero within int32; NaN gives 0.
int64_t TruncToInt32(double v) {
  if (!(v == v)) return 0;
  return static_cast<int64_t>(std::clamp(v, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

// Odd, 1..19, whatever the view holds.
int NormalBarWidth(int width) {
  const int w = std::clamp(width, 1, kMaxBarWidth);
  return w % 2 == 0 ? w - 1 : w;
}

int PaneCount(const ChartView& view) { return std::clamp<int>(view.paneCount, 0, kMaxPanesPerChart); }

int64_t PaneWeight(uint32_t kind) { return kind < kPaneHeightCount ? gPaneHeights[kind] : kDefaultPaneHeight; }

bool IsFixedKind(uint32_t kind) {
  return kind == kPaneRsi || kind == kPaneRci || kind == kPaneStochastics || kind == kPanePsychological ||
         kind >= kPaneKindCount;
}

bool IsPriceKind(uint32_t kind) { return kind == kPaneCandles || kind == kPaneIchimoku; }

double PerPixel(int64_t min, int64_t max, int h) {
  const double span = static_cast<double>(max - min);
  return (span > 0 ? span : 1.0) / h;
}

// ---- Layout -------------------------------------------------------------------

void SetGeometry(const Rect& chart, const ChartView& view, ChartGeometry* g) {
  const int W = ScaleColumnWidth();
  const int H = CaptionRowHeight();
  const int S = LinkButtonWidth();
  const int L = chart.left, T0 = chart.top, R = chart.right, B = chart.bottom;
  const int axisTop = B - H - kScrollStripHeight;
  const int plotBottom = std::max(T0 + H, axisTop);  // never above the caption row
  const int m = RightMarginInRange(view.rightMargin, gMainClientWidth);
  g->chart = chart;
  g->rightMargin = m;
  g->keepStockButton = {L + W, T0, L + W + kKeepStockButtonWidth, T0 + H};
  g->dateLinkTop = {L + S, T0, L + W, T0 + H};
  g->dateLinkBottom = {L + S, axisTop, L + W, B};
  g->stockLinkTop = {L, T0, L + S, T0 + H};
  g->stockLinkBottom = {L, axisTop, L + S, B};
  g->scaleColumn = {L, T0 + H, L + W, plotBottom};
  g->plotArea = {L + W, T0 + H, R, plotBottom};
  g->scrollBar = {L + W, B - kScrollStripHeight, R, B};
  g->dateAxis = {L + W, axisTop, R, B - kScrollStripHeight};
  g->captionRow = {L + W + kKeepStockButtonWidth, T0, R, T0 + H};
  g->marginHandle = {R - m - 6, T0 + 2, R - m + 1, T0 + H - 2};
  g->marginHandleMinX = L + W;
  g->marginHandleMaxX = R;
  g->wickWidth = 1;
  const int w = NormalBarWidth(view.barWidth);
  g->gap = std::max(1, w / 10);
  g->barSpacing = w + 2 * g->gap;
  g->visibleBars = std::max(0, (R - W - L) / g->barSpacing - 3);
}

// Pane i gets weight_i / sum of the plot area; the last pane takes the remainder.
void SharePaneHeights(const ChartView& view, ChartContext* context) {
  const Rect& area = context->geometry.plotArea;
  const int count = PaneCount(view);
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) sum += PaneWeight(view.paneKinds[i]);
  const int64_t available = area.bottom - area.top;
  int top = area.top;
  for (int i = 0; i < count; ++i) {
    const int64_t weight = sum > 0 ? PaneWeight(view.paneKinds[i]) : 1;
    const int64_t share = sum > 0 ? sum : count;
    const int bottom = i + 1 < count ? top + static_cast<int>(weight * available / share) : area.bottom;
    PaneRecord& record = context->panes[i];
    record.pane = {context->geometry.chart.left, top, context->geometry.chart.right, bottom};
    top = bottom;
  }
}

void LayOutPane(const ChartView& view, ChartContext* context, int pane) {
  PaneRecord& record = context->panes[pane];
  const int split = record.pane.left + ScaleColumnWidth();
  record.scale = {record.pane.left, record.pane.top, split, record.pane.bottom};
  record.plot = {split, record.pane.top, record.pane.right, record.pane.bottom};
  record.fullPlot = record.plot;
  BuildPaneCaption(view, *context, pane, record.caption, &record.captionRect);
  if (GetViewPeriod(view) == 0 && IsPriceKind(view.paneKinds[pane])) {
    record.plot.top = std::min(record.plot.top + kSignalStripHeight, record.plot.bottom);
  }
}

void LayOutChart(const Rect& chart, const ChartView& view, ChartContext* context) {
  SetGeometry(chart, view, &context->geometry);
  for (PaneRecord& record : context->panes) record = PaneRecord{};
  SharePaneHeights(view, context);
  for (int i = 0; i < PaneCount(view); ++i) LayOutPane(view, context, i);
}

// A short view at the newest bar still scales over the last 20 bars.
BarSpan ChooseBarSpan(const ChartView& view, ChartContext* context) {
  const BarSeries* bars = GetViewBarSeries(view, *context);
  const int count = bars != nullptr ? std::clamp<int>(bars->count, 0, kMaxBars) : 0;
  const int last = GetViewLastBar(view, *context);
  int first = static_cast<int>(std::max<int64_t>(0, int64_t{last} - context->geometry.visibleBars - 3));
  if (last - first < kMinBarsScaled && last >= count - 1 && first > 0) first = std::max(0, count - kMinBarsScaled);
  context->geometry.firstBar = first;
  context->geometry.lastBar = last;
  return {first, last};
}

// ---- Raw ranges -----------------------------------------------------------------

void TakeValue(ValueRange* r, int64_t v) {
  r->min = std::min(r->min, v);
  r->max = std::max(r->max, v);
}

// Bars from `from` to span.last that the series holds.
int SeriesEnd(int count, const BarSpan& span) {
  return static_cast<int>(std::min<int64_t>(int64_t{span.last} + 1, std::clamp(count, 0, kMaxBars)));
}

void TakeIntSeries(ValueRange* r, const IntSeries* series, const BarSpan& span) {
  if (series == nullptr) return;
  const int end = SeriesEnd(series->count, span);
  for (int i = span.first; i < end; ++i) TakeValue(r, series->values[i]);
}

// A double sets a bound truncated; values that are no numbers are skipped.
void TakeRealSeries(ValueRange* r, const RealSeries* series, int from, const BarSpan& span) {
  if (series == nullptr) return;
  const int end = SeriesEnd(series->count, span);
  for (int i = std::max(from, span.first); i < end; ++i) {
    const double v = series->values[i];
    if (std::isfinite(v)) TakeValue(r, TruncToInt32(v));
  }
}

void TakePriceRange(const ChartView& view, int pane, const PeriodSeriesBlock& block, const BarSpan& span,
                    ValueRange* r) {
  if (block.bars != nullptr) {
    const int end = SeriesEnd(block.bars->count, span);
    for (int i = span.first; i < end; ++i) {
      TakeValue(r, block.bars->bars[i].low);
      TakeValue(r, block.bars->bars[i].high);
    }
  }
  const uint32_t flags = view.paneFlags[pane];
  const int bandStart = block.params.slot[kParamBollinger];
  const struct {
    uint32_t flag;
    int upper;
  } bands[] = {{kPaneFlagSigma1, kRealBollingerCentre + 1},
               {kPaneFlagSigma2, kRealBollingerCentre + 3},
               {kPaneFlagSigma3, kRealBollingerCentre + 5}};
  for (const auto& band : bands) {
    if ((flags & band.flag) == 0) continue;
    TakeRealSeries(r, block.chartReal[band.upper], bandStart, span);
    TakeRealSeries(r, block.chartReal[band.upper + 1], bandStart, span);
  }
  if ((flags & kPaneFlagParabolic) != 0) TakeRealSeries(r, block.chartReal[kRealParabolicSar], 0, span);
}

void TakeVolumeRange(const PeriodSeriesBlock& block, const BarSpan& span, ValueRange* r) {
  r->min = 0;
  if (block.bars == nullptr) return;
  const int end = SeriesEnd(block.bars->count, span);
  for (int i = span.first; i < end; ++i) r->max = std::max<int64_t>(r->max, block.bars->bars[i].volume);
}

// The bound with the smaller magnitude mirrors the other.
void MakeSymmetric(ValueRange* r) {
  if (std::llabs(r->max) >= std::llabs(r->min)) {
    r->min = ClampToInt32(-r->max);
  } else {
    r->max = ClampToInt32(-r->min);
  }
}

void TakeDeviationRange(const ChartView& view, int pane, const PeriodSeriesBlock& block, const BarSpan& span,
                        ValueRange* r) {
  for (int k = 0; k < 3; ++k) {
    if ((view.paneFlags[pane] & (kPaneFlagLine0 << k)) != 0) TakeIntSeries(r, block.chartInt[kIntDeviation0 + k], span);
  }
  if (r->min > r->max) *r = {-kPercentFull, kPercentFull};
  MakeSymmetric(r);
}

ValueRange RawPaneRange(const ChartView& view, int pane, const PeriodSeriesBlock& block, const BarSpan& span) {
  ValueRange r = {kEmptyMinimum, 0};
  IntSeries* const* ints = block.chartInt;
  switch (view.paneKinds[pane]) {
    case kPaneCandles:
    case kPaneIchimoku: TakePriceRange(view, pane, block, span, &r); break;
    case kPaneVolume: TakeVolumeRange(block, span, &r); break;
    case kPaneDeviation: TakeDeviationRange(view, pane, block, span, &r); break;
    case kPaneMacd:
      TakeIntSeries(&r, ints[kIntMacdLine], span);
      TakeIntSeries(&r, ints[kIntMacdSignal], span);
      break;
    case kPaneDmi:
      TakeIntSeries(&r, ints[kIntPlusDi], span);
      TakeIntSeries(&r, ints[kIntMinusDi], span);
      TakeIntSeries(&r, ints[kIntAdx], span);
      break;
    case kPaneSroc: TakeIntSeries(&r, ints[kIntSroc], span); break;
    case kPaneObv:
      TakeIntSeries(&r, ints[kIntObv], span);
      TakeIntSeries(&r, ints[kIntObvEma], span);
      break;
    case kPaneVolumeRatio: TakeIntSeries(&r, ints[kIntVolumeRatio], span); break;
    case kPaneAdvanceDecline: TakeIntSeries(&r, ints[kIntAdvanceDecline], span); break;
    default: break;
  }
  return r;
}

// ---- Scales -----------------------------------------------------------------------

// Multiples of a decimal unit; ranges of 7.5e7 or more stay as they are.
void RoundRange(ValueRange* r) {
  const int64_t d = r->max - r->min;
  int64_t unit = 0;
  for (int64_t p = 100; p < 20000000 && unit == 0; p *= 10) {
    for (const int64_t threshold : {p, p * 5 / 2, p * 5, p * 15 / 2}) {
      if (d < threshold) {
        unit = threshold / 10;
        break;
      }
    }
  }
  if (unit == 0) return;
  r->min = ClampToInt32(unit * (r->min / unit) - (r->min < 0 ? unit : 0));
  r->max = ClampToInt32(r->max + unit - r->max % unit);
}

// Half a text line more at each end in log units, then rounded; a rounded
// minimum is kept only while it is small against the maximum.
void WidenLogRange(ValueRange* r, int h) {
  const double l0 = Log10OrZero(static_cast<double>(r->min));
  const double l1 = Log10OrZero(static_cast<double>(r->max));
  const double half = std::max(0, gFixedFontHeight) * ((l1 - l0) / h) / 2;
  r->max = TruncToInt32(std::pow(10.0, l1 + half));
  r->min = TruncToInt32(std::pow(10.0, l0 - half));
  const int64_t unrounded = r->min;
  RoundRange(r);
  if (Log10OrZero(static_cast<double>(r->max)) / 3 <= Log10OrZero(static_cast<double>(unrounded))) {
    r->min = unrounded;
  }
}

void ScalePricePane(bool logScale, int h, ValueRange* r, double* valuePerPixel) {
  if (logScale) {
    WidenLogRange(r, h);
  } else {
    if (r->min < 0) --r->min;
    ++r->max;
    RoundRange(r);
  }
  // The log path computes it too, so that nothing reads a stale step.
  *valuePerPixel = PerPixel(r->min, r->max, h);
  if (!gTrendLineFullRange) return;
  r->max = TruncToInt32(static_cast<double>(r->max) + *valuePerPixel);
  r->min = TruncToInt32(static_cast<double>(r->min) - *valuePerPixel);
  RoundRange(r);
  *valuePerPixel = PerPixel(r->min, r->max, h);
}

void StoreScale(const ValueRange& r, double valuePerPixel, PaneRecord* record) {
  const int h = PanePlotHeight(*record);
  record->minValue = static_cast<int32_t>(ClampToInt32(r.min));
  record->maxValue = static_cast<int32_t>(ClampToInt32(r.max));
  record->valuePerPixel = valuePerPixel;
  record->log10Min = Log10OrZero(record->minValue);
  record->log10Max = Log10OrZero(record->maxValue);
  const double logSpan = record->log10Max - record->log10Min;
  record->logPerPixel = (logSpan > 0 ? logSpan : 1.0) / h;
}

void SetFixedScale(uint32_t kind, PaneRecord* record) {
  const ValueRange r = kind == kPaneRci ? ValueRange{-kPercentFull, kPercentFull} : ValueRange{0, kPercentFull};
  StoreScale(r, PerPixel(r.min, r.max, PanePlotHeight(*record)), record);
}

// The memos of the chart's stock and period, collected once for all panes of a pass.
ChartMemoSet gScaledChartMemos;

// In the second pass the pane also takes in its memos, their boxes converted
// with `firstPass`, the scale the first pass left.
void ComputePaneScale(const ChartView& view, int stockIndex, ChartContext* context, int pane, const BarSpan& span,
                      const PaneRecord* firstPass) {
  PaneRecord& record = context->panes[pane];
  const uint32_t kind = view.paneKinds[pane];
  if (IsFixedKind(kind)) {
    SetFixedScale(kind, &record);
    return;
  }
  const ValueRange raw = RawPaneRange(view, pane, context->periods[GetViewPeriod(view)], span);
  record.minValue = static_cast<int32_t>(raw.min);
  record.maxValue = static_cast<int32_t>(raw.max);
  WidenPaneRangeForTrendLines(view, stockIndex, context, pane, span.first, span.last);
  if (firstPass != nullptr && !gScaledChartMemos.memos.empty()) {
    int32_t low = record.minValue, high = record.maxValue;
    const PaneRecord widened = record;
    record = *firstPass;
    PositionPaneMemos(view, stockIndex, *context, pane, gScaledChartMemos, &low, &high);
    record = widened;
    record.minValue = low;
    record.maxValue = high;
  }
  ValueRange r = {record.minValue, record.maxValue};
  if (r.min > r.max) r = {kFallbackMin, kFallbackMax};
  const int h = PanePlotHeight(record);
  double valuePerPixel = 0;
  if (IsPriceKind(kind)) {
    ScalePricePane(IsLogScalePane(view, pane), h, &r, &valuePerPixel);
  } else {
    RoundRange(&r);
    if (kind == kPaneMacd) MakeSymmetric(&r);
    valuePerPixel = PerPixel(r.min, r.max, h);
  }
  StoreScale(r, valuePerPixel, &record);
}

}  // namespace

int ScaleColumnWidth() { return 60 * ChartFontSize() / 12; }
int CaptionRowHeight() { return 16 * ChartFontSize() / 12; }
int LinkButtonWidth() { return 60 * ChartFontSize() / 36; }

int GetViewPeriod(const ChartView& view) { return view.period >= 0 && view.period < kPeriodCount ? view.period : 0; }

const BarSeries* GetViewBarSeries(const ChartView& view, const ChartContext& context) {
  return context.periods[GetViewPeriod(view)].bars;
}

int GetViewLastBar(const ChartView& view, const ChartContext& context) {
  if (view.lastBarIndex >= 0) return view.lastBarIndex;
  const BarSeries* bars = GetViewBarSeries(view, context);
  return bars != nullptr ? std::clamp<int>(bars->count, 0, kMaxBars) - 1 : -1;
}

bool IsLogScalePane(const ChartView& view, int pane) {
  if (pane < 0 || pane >= kMaxPanesPerChart) return false;
  return IsPriceKind(view.paneKinds[pane]) && (view.paneFlags[pane] & kPaneFlagLogScale) != 0;
}

int PanePlotHeight(const PaneRecord& record) {
  return static_cast<int>(std::max<int64_t>(1, int64_t{record.plot.bottom} - record.plot.top));
}

void ComputePaneScales(const Rect& chartRect, const ChartView& view, ChartContext* context) {
  if (context == nullptr) return;
  const int stockIndex = FindStockIndexByCode(view.stockCode);
  if (stockIndex < 0) return;
  ComputePaneScalesPass(chartRect, view, stockIndex, context, 0);
  ComputePaneScalesPass(chartRect, view, stockIndex, context, 1);
}

void ComputePaneScalesPass(const Rect& chartRect, const ChartView& view, int stockIndex, ChartContext* context,
                           int pass) {
  // Pass 1 differs from pass 0 only by the memos; the layout overwrites the scale they are placed with.
  PaneRecord firstPass[kMaxPanesPerChart];
  if (pass == 1) std::copy(std::begin(context->panes), std::end(context->panes), firstPass);
  LayOutChart(chartRect, view, context);
  const BarSpan span = ChooseBarSpan(view, context);
  if (pass == 1) CollectChartMemos(view, *context, span.first, span.last, &gScaledChartMemos);
  for (int i = 0; i < PaneCount(view); ++i) {
    ComputePaneScale(view, stockIndex, context, i, span, pass == 1 ? &firstPass[i] : nullptr);
  }
}

void RoundScaleRange(int32_t* minValue, int32_t* maxValue) {
  ValueRange r = {*minValue, *maxValue};
  RoundRange(&r);
  *minValue = static_cast<int32_t>(r.min);
  *maxValue = static_cast<int32_t>(r.max);
}

// With the full-range option each line of the view's stock, period and pane
// that overlaps the bars shown fits inside the range with a unit to spare.
void WidenPaneRangeForTrendLines(const ChartView& view, int /*stockIndex*/, ChartContext* context, int pane,
                                 int firstBar, int lastBar) {
  if (!gTrendLineFullRange || gTrendLines == nullptr || context == nullptr || pane < 0 || pane >= kMaxPanesPerChart) {
    return;
  }
  const BarSeries* bars = GetViewBarSeries(view, *context);
  if (bars == nullptr || bars->count < 2) return;
  const PackedDate shownFirst = DateOfBarIndex(view, *context, firstBar);
  const PackedDate shownLast = DateOfBarIndex(view, *context, lastBar);
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  const int period = GetViewPeriod(view);
  // The line being drawn lies in the first free record.
  const int lines =
      std::min(std::clamp(gTrendLines->count, 0, kMaxTrendLines) + (gTrendLineBeingDrawn != 0 ? 1 : 0), kMaxTrendLines);
  PaneRecord& record = context->panes[pane];
  int64_t low = record.minValue;
  int64_t high = record.maxValue;
  for (int i = 0; i < lines; ++i) {
    const TrendLine& line = gTrendLines->lines[i];
    if (line.code != view.stockCode || line.period != period || !TrendLineFitsPane(paneKind, line.paneKind)) continue;
    if (std::max(line.date1, line.date2) < shownFirst || std::min(line.date1, line.date2) > shownLast) continue;
    low = std::min<int64_t>(low, int64_t{std::min(line.value1, line.value2)} - 1);
    high = std::max<int64_t>(high, int64_t{std::max(line.value1, line.value2)} + 1);
  }
  record.minValue = static_cast<int32_t>(ClampToInt32(low));
  record.maxValue = static_cast<int32_t>(ClampToInt32(high));
}
