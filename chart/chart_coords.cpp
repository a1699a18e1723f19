// Conversions between values, dates, bars and pixels, price ticks, and the
// hit test of lines.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "data/stock_table.h"

namespace {

constexpr int kIndexMarket = kMarketIdIndices;
constexpr int32_t kMinCursorPrice = 1;
constexpr int32_t kMaxCursorPrice = 21474836;
constexpr int64_t kPixelLimit = int64_t{1} << 27;  // beyond what a device can draw
constexpr int kMaxExtrapolatedBars = 20000;
constexpr int kLineHitSlack = 8;
constexpr int kThinLineBox = 4;

struct TickBand {
  int32_t below;
  int32_t step;
  int32_t indexWeightStep;  // stocks of the index-weight list
};

constexpr TickBand kTickBands[] = {
    {3000, 1, 1},
    {5000, 5, 1},
    {10000, 10, 1},
    {30000, 10, 5},
    {50000, 50, 10},
    {100000, 100, 10},
    {300000, 100, 50},
    {500000, 500, 100},
    {1000000, 1000, 100},
    {3000000, 1000, 500},
    {5000000, 5000, 1000},
    {10000000, 10000, 1000},
    {30000000, 10000, 5000},
    {50000000, 50000, 10000},
};
constexpr int32_t kTopStep = 100000;
constexpr int32_t kTopIndexWeightStep = 10000;

int64_t ClampToInt32(int64_t v) { return std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

// Truncates toward zero within [lo, hi]; NaN gives lo.
int64_t TruncWithin(double v, int64_t lo, int64_t hi) {
  if (!(v == v)) return lo;
  return static_cast<int64_t>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
}

int ToPixel(double v) { return static_cast<int>(TruncWithin(v, -kPixelLimit, kPixelLimit)); }
int ToPixel(int64_t v) { return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit)); }

double SafeStep(double step) { return step > 0 && std::isfinite(step) ? step : 1.0; }

const PaneRecord* PaneAt(const ChartContext& context, int pane) {
  return pane >= 0 && pane < kMaxPanesPerChart ? &context.panes[pane] : nullptr;
}

const StockRecord* StockAt(int stockIndex) {
  if (gStockTable == nullptr || stockIndex < 0 || stockIndex >= std::min(gStockTable->count, kMaxStocks)) {
    return nullptr;
  }
  return &gStockTable->records[stockIndex];
}

int SeriesCount(const BarSeries* bars) { return bars != nullptr ? std::clamp<int>(bars->count, 0, kMaxBars) : 0; }

// Value above the plot bottom in pixels, linear or logarithmic.
double OffsetOf(const ChartView& view, const PaneRecord& record, int pane, double value) {
  if (IsLogScalePane(view, pane)) return (Log10OrZero(value) - record.log10Min) / SafeStep(record.logPerPixel);
  return (value - record.minValue) / SafeStep(record.valuePerPixel);
}

int32_t LinearValueAt(const PaneRecord& record, int y) {
  const double v = (static_cast<double>(record.plot.bottom) - y) * SafeStep(record.valuePerPixel) + record.minValue;
  return static_cast<int32_t>(TruncWithin(v, INT32_MIN, INT32_MAX));
}

// (value + step/2) down to a multiple of step.
int32_t RoundToNearestMultiple(int32_t value, int64_t step) {
  if (step < 2) return value;
  const int64_t v = int64_t{value} + step / 2;
  return static_cast<int32_t>(ClampToInt32(v - v % step));
}

int32_t StockTickStep(int stockIndex, int32_t price) {
  const StockRecord* stock = StockAt(stockIndex);
  return stock != nullptr ? GetPriceTickStep(stockIndex, price, stock->master.marketId) : 1;
}

// ---- Bars and pixels ----------------------------------------------------------

struct BarMetrics {
  int w, g, p;
};

BarMetrics GetBarMetrics(const ChartContext& context) {
  const int p = std::max(1, context.geometry.barSpacing);
  const int g = std::clamp(context.geometry.gap, 0, p / 2);
  return {std::max(1, p - 2 * g), g, p};
}

// The painters' centre line of a bar.
int64_t BarCentre(const ChartContext& context, const BarMetrics& m, int64_t bar, int64_t last) {
  return int64_t{context.geometry.plotArea.right} - m.p + m.p / 2 - 2 + (bar - last) * m.p;
}

// The bar whose column [centre - w/2 - g, centre - w/2 + w] holds x; columns
// tile the row, so this is a floor division from the last bar's column.
int64_t BarAtX(const ChartContext& context, const BarMetrics& m, int x, int64_t last) {
  const int64_t columnLeft = BarCentre(context, m, last, last) - m.w / 2 - m.g;
  const int64_t offset = int64_t{x} - columnLeft;
  const int64_t columns = offset >= 0 ? offset / m.p : -((-offset + m.p - 1) / m.p);
  return last + columns;
}

bool IsInside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// ---- Dates --------------------------------------------------------------------

// A line dated in a far year costs no more than one dated near the data.
int64_t TradingDaysBetween(PackedDate a, PackedDate b) {
  const int64_t dayA = PackedDateToDays(a);
  const int64_t dayB = PackedDateToDays(b);
  if (dayA < dayB) return dayA - dayB + CountMarketHolidays(dayA, dayB);
  if (dayA > dayB) return dayA - dayB - CountMarketHolidays(dayB, dayA);
  return 0;
}

int64_t MonthNumber(PackedDate date) {
  const PackedDate d = DaysToPackedDate(PackedDateToDays(date));
  return int64_t{PackedYear(d)} * 12 + PackedMonth(d) - 1;
}

// Before the other date whole months are counted; after it, days per bar.
int64_t MonthsBetween(PackedDate a, PackedDate b) {
  const int64_t d = PackedDateToDays(a) - PackedDateToDays(b);
  if (d < 0) return MonthNumber(a) - MonthNumber(b);
  return d < 241 ? d / 28 : d / 30;
}

PackedDate StepBackTradingDays(PackedDate date, int n) {
  int64_t day = PackedDateToDays(date);
  for (int counted = 0; counted < n;) {
    --day;
    if (!IsMarketHoliday(DaysToPackedDate(day))) ++counted;
  }
  return DaysToPackedDate(day);
}

PackedDate StepBars(int period, PackedDate date, int n) {
  n = std::clamp(n, -kMaxExtrapolatedBars, kMaxExtrapolatedBars);
  if (period == 1) return AddWeeks(date, n);
  if (period == 2) return AddMonthsToMonthEnd(date, n);
  return n >= 0 ? AddTradingDays(date, n) : StepBackTradingDays(date, -n);
}

// The first bar dated on or after the date.
int FirstBarOnOrAfter(const BarSeries& bars, int count, PackedDate date) {
  int low = 0;
  int high = count;
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (bars.bars[mid].date < date) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

// ---- Lines ----------------------------------------------------------------------

bool NearPoint(int px, int py, int x, int y, int half) {
  return std::llabs(int64_t{x} - px) <= half && std::llabs(int64_t{y} - py) <= half;
}

bool Between(int64_t v, int64_t a, int64_t b) { return v >= std::min(a, b) && v <= std::max(a, b); }

// Sloped line: the part of it within 8 pixels left and right of x, as a box
// at least 4 pixels high.
bool HitsSlopedLine(int x1, int y1, int x2, int y2, int x, int y) {
  if (x < int64_t{std::min(x1, x2)} - kLineHitSlack || x > int64_t{std::max(x1, x2)} + kLineHitSlack) return false;
  const double slope = (static_cast<double>(y2) - y1) / (static_cast<double>(x2) - x1);
  double top = y1 + (static_cast<double>(x) - kLineHitSlack - x1) * slope;
  double bottom = y1 + (static_cast<double>(x) + kLineHitSlack - x1) * slope;
  if (top > bottom) std::swap(top, bottom);
  if (bottom - top < kThinLineBox) {
    const double middle = (top + bottom) / 2;
    top = middle - kThinLineBox / 2.0;
    bottom = middle + kThinLineBox / 2.0;
  }
  return y >= top && y <= bottom;
}

}  // namespace

// ---- Values and pixels -------------------------------------------------------------

double Log10OrZero(double x) { return x > 0 ? std::log10(x) : 0.0; }

int ValueToPaneY(const ChartView& view, const ChartContext& context, int pane, int32_t value) {
  const PaneRecord* record = PaneAt(context, pane);
  if (record == nullptr) return 0;
  return ToPixel(record->plot.bottom - OffsetOf(view, *record, pane, value));
}

// Price panes follow their log flag (an Ichimoku pane too); the others are linear.
int PaneValueToY(const ChartView& view, const ChartContext& context, int pane, int32_t value) {
  return ValueToPaneY(view, context, pane, value);
}

double ValueToPaneOffset(const ChartView& view, const ChartContext& context, int pane, double value) {
  const PaneRecord* record = PaneAt(context, pane);
  return record != nullptr ? OffsetOf(view, *record, pane, value) : 0.0;
}

int32_t PaneYToPrice(const ChartView& view, const ChartContext& context, int pane, int y) {
  const PaneRecord* record = PaneAt(context, pane);
  if (record == nullptr) return kMinCursorPrice;
  const double above = static_cast<double>(record->plot.bottom) - y;
  const double price = IsLogScalePane(view, pane)
                           ? std::pow(10.0, above * SafeStep(record->logPerPixel) + record->log10Min)
                           : above * SafeStep(record->valuePerPixel) + record->minValue;
  return static_cast<int32_t>(TruncWithin(price, kMinCursorPrice, kMaxCursorPrice));
}

int32_t PaneYToLinearValue(const PaneRecord& record, int y) { return LinearValueAt(record, y); }

void PaneYToValue(const ChartView& view, int stockIndex, const ChartContext& context, int pane, int* y,
                  int32_t* value) {
  const PaneRecord* record = PaneAt(context, pane);
  const StockRecord* stock = StockAt(stockIndex);
  if (record == nullptr || stock == nullptr) {
    *value = 0;
    return;
  }
  const uint32_t kind = view.paneKinds[pane];
  if (kind == kPaneCandles || kind == kPaneIchimoku) {
    // The cursor snaps to a price the market can trade.
    *value = RoundToNearestTick(stockIndex, PaneYToPrice(view, context, pane, *y));
    *y = ValueToPaneY(view, context, pane, *value);
    return;
  }
  *value = LinearValueAt(*record, *y);
  if (kind != kPaneVolume) return;
  *value = RoundToNearestMultiple(*value, stock->master.tradingUnit);
  *y =
      ToPixel(record->plot.bottom - (static_cast<double>(*value) - record->minValue) / SafeStep(record->valuePerPixel));
}

void ClampPaneValue(int paneKind, int32_t* value) {
  switch (paneKind) {
    case kPaneCandles:
    case kPaneIchimoku: *value = std::max(*value, 1); break;
    case kPaneVolume:
    case kPaneVolumeRatio:
    case kPaneAdvanceDecline: *value = std::max(*value, 0); break;
    case kPaneRsi:
    case kPaneStochastics:
    case kPaneDmi:
    case kPanePsychological: *value = std::clamp(*value, 0, 10000); break;
    case kPaneRci: *value = std::clamp(*value, -10000, 10000); break;
    default: break;
  }
}

// ---- Price ticks -------------------------------------------------------------------

int32_t GetPriceTickStep(int stockIndex, int32_t price, int marketCode) {
  if (marketCode == kIndexMarket) return 1;
  const StockRecord* stock = StockAt(stockIndex);
  const bool indexWeight = stock != nullptr && (stock->flags & kStockFlagIndexWeight) != 0;
  for (const TickBand& band : kTickBands) {
    if (price < band.below) return indexWeight ? band.indexWeightStep : band.step;
  }
  return indexWeight ? kTopIndexWeightStep : kTopStep;
}

int32_t RoundToNearestTick(int stockIndex, int32_t price) {
  return RoundToNearestMultiple(price, StockTickStep(stockIndex, price));
}

int32_t RoundDownToTick(int stockIndex, int32_t price) {
  const int64_t step = StockTickStep(stockIndex, price);
  return static_cast<int32_t>(price - price % step);
}

int32_t RoundUpToTick(int stockIndex, int32_t price) {
  const int64_t step = StockTickStep(stockIndex, price);
  const int64_t v = int64_t{price} - 1 + step;
  return static_cast<int32_t>(ClampToInt32(v - v % step));
}

int32_t TruncateToHundredsOrThousands(int /*stockIndex*/, int32_t value) {
  if (value < 1000) return value;
  return RoundToNearestMultiple(value, value < 10000 ? 100 : 1000);
}

// ---- Dates and bars ------------------------------------------------------------------

int BarsBetweenDates(int period, PackedDate a, PackedDate b) {
  int64_t bars = 0;
  if (period == 1) {
    bars = (PackedDateToDays(a) - PackedDateToDays(b)) / 7;
  } else if (period == 2) {
    bars = MonthsBetween(a, b);
  } else {
    bars = TradingDaysBetween(a, b);
  }
  return static_cast<int>(ClampToInt32(bars));
}

int DateToBarIndex(const ChartView& view, const ChartContext& context, PackedDate date) {
  const BarSeries* bars = GetViewBarSeries(view, context);
  const int count = SeriesCount(bars);
  if (count == 0) return 0;
  const int period = GetViewPeriod(view);
  const PackedDate first = bars->bars[0].date;
  const PackedDate last = bars->bars[count - 1].date;
  if (date < first) return BarsBetweenDates(period, date, first);
  if (date > last) return static_cast<int>(ClampToInt32(int64_t{BarsBetweenDates(period, date, last)} + count - 1));
  return FirstBarOnOrAfter(*bars, count, date);
}

PackedDate DateOfBarIndex(const ChartView& view, const ChartContext& context, int index) {
  return DateOfSeriesBar(GetViewBarSeries(view, context), GetViewPeriod(view), index);
}

PackedDate DateOfSeriesBar(const BarSeries* bars, int period, int index) {
  const int count = SeriesCount(bars);
  if (count == 0) return 0;
  if (index < 0) return StepBars(period, bars->bars[0].date, index);
  if (index >= count) return StepBars(period, bars->bars[count - 1].date, index - (count - 1));
  return bars->bars[index].date;
}

int DateToPaneX(const ChartView& view, const ChartContext& context, PackedDate date, int lastBar) {
  const BarMetrics m = GetBarMetrics(context);
  return ToPixel(BarCentre(context, m, DateToBarIndex(view, context, date), lastBar));
}

void PointToBarAndValue(const ChartView& view, const ChartContext& context, int pane, int* x, int* bar, int* y,
                        int32_t* value) {
  PaneYToValue(view, FindStockIndexByCode(view.stockCode), context, pane, y, value);
  const BarMetrics m = GetBarMetrics(context);
  const int64_t last = GetViewLastBar(view, context);
  const int64_t b = std::max<int64_t>(0, BarAtX(context, m, *x, last));
  *bar = static_cast<int>(ClampToInt32(b));
  *x = ToPixel(BarCentre(context, m, b, last));
  if (PaneAt(context, pane) != nullptr) ClampPaneValue(static_cast<int>(view.paneKinds[pane]), value);
}

int GetCursorBarAndValue(const ChartView* view, const ChartContext* context, int pane, int* x, int* y, int* bar,
                         int32_t* value) {
  if (view == nullptr || context == nullptr || pane < 0 || pane >= std::min<int>(view->paneCount, kMaxPanesPerChart)) {
    return 0;
  }
  if (!IsInside(context->panes[pane].fullPlot, *x, *y) || IsInside(gDetailWindowRect, *x, *y)) return 0;
  const BarMetrics m = GetBarMetrics(*context);
  const int64_t last = GetViewLastBar(*view, *context);
  const int64_t first = std::max<int64_t>(0, last - context->geometry.visibleBars - 3);
  const int64_t b = BarAtX(*context, m, *x, last);
  if (b < first || b > last) return 0;
  *x = ToPixel(BarCentre(*context, m, b, last));
  *bar = static_cast<int>(b);
  PaneYToValue(*view, FindStockIndexByCode(view->stockCode), *context, pane, y, value);
  ClampPaneValue(static_cast<int>(view->paneKinds[pane]), value);
  return 1;
}

// On weekly and monthly views a bar also stands for the dates since the bar before.
int IsTradeMarkBar(const ChartView& view, const ChartContext& context, int bar, PackedDate date) {
  const BarSeries* bars = GetViewBarSeries(view, context);
  if (bar < 0 || bar >= SeriesCount(bars)) return 0;
  if (bars->bars[bar].date == date) return 1;
  const bool longPeriod = GetViewPeriod(view) != 0;
  return longPeriod && bar >= 1 && bars->bars[bar - 1].date < date && date < bars->bars[bar].date ? 1 : 0;
}

void EnsureMinRectSize(Rect* out, int x1, int x2, int y1, int y2, int minWidth, int minHeight) {
  *out = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  if (out->right - out->left < minWidth) {
    out->left -= minWidth;
    out->right += minWidth;
  } else if (out->bottom - out->top < minHeight) {
    out->top -= minHeight;
    out->bottom += minHeight;
  }
}

// ---- Lines ---------------------------------------------------------------------------

int HitTestTrendLines(const ChartView& view, const ChartContext& context, int pane, int x, int y, int* lineIndex,
                      bool ctrlHeld) {
  if (lineIndex != nullptr) *lineIndex = -1;
  if (gTrendLines == nullptr || PaneAt(context, pane) == nullptr) return 0;
  if (SeriesCount(GetViewBarSeries(view, context)) < 2) return 0;
  const int last = GetViewLastBar(view, context);
  // The earlier end is not held at the first bar: it may lie before the data.
  const PackedDate shownFirst = DateOfBarIndex(view, context, last - context.geometry.visibleBars - 3);
  const PackedDate shownLast = DateOfBarIndex(view, context, last);
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  const int period = GetViewPeriod(view);
  const int count = std::clamp(gTrendLines->count, 0, kMaxTrendLines);
  // Marked lines lie on top: they are tried first. Newer lines go before older ones.
  for (const bool markedOnly : {true, false}) {
    for (int i = count - 1; i >= 0; --i) {
      const TrendLine& line = gTrendLines->lines[i];
      if (markedOnly && line.marked == 0) continue;
      if (line.code != view.stockCode || line.period != period || !TrendLineFitsPane(paneKind, line.paneKind)) continue;
      if (std::max(line.date1, line.date2) < shownFirst || std::min(line.date1, line.date2) > shownLast) continue;
      const bool firstIsEarlier = line.date1 <= line.date2;
      const PackedDate earlyDate = firstIsEarlier ? line.date1 : line.date2;
      const PackedDate lateDate = firstIsEarlier ? line.date2 : line.date1;
      const int32_t earlyValue = firstIsEarlier ? line.value1 : line.value2;
      const int32_t lateValue = firstIsEarlier ? line.value2 : line.value1;
      const int hit = HitTestLineEnds(
          DateToPaneX(view, context, earlyDate, last), PaneValueToY(view, context, pane, earlyValue),
          DateToPaneX(view, context, lateDate, last), PaneValueToY(view, context, pane, lateValue), line.width, x, y);
      if (hit == 0) continue;
      if (lineIndex != nullptr) *lineIndex = i;
      // With Ctrl an end point moves the whole line; the answer names the line's own point.
      if (hit == 1 || ctrlHeld) return 1;
      return (hit == 2) == firstIsEarlier ? 2 : 3;
    }
  }
  return 0;
}

int HitTestLineEnds(int x1, int y1, int x2, int y2, int lineWidth, int x, int y) {
  const int width = lineWidth <= 0 ? 2 : std::min(lineWidth, 16);
  const int handle = 2 * (width + 2);
  if (NearPoint(x1, y1, x, y, handle + 1) && NearPoint(x2, y2, x, y, handle + 1)) return 1;
  if (NearPoint(x1, y1, x, y, handle)) return 2;
  if (NearPoint(x2, y2, x, y, handle)) return 3;
  if (x1 == x2) return std::llabs(int64_t{x} - x1) <= kLineHitSlack && Between(y, y1, y2) ? 1 : 0;
  if (y1 == y2) return std::llabs(int64_t{y} - y1) <= kLineHitSlack && Between(x, x1, x2) ? 1 : 0;
  return HitsSlopedLine(x1, y1, x2, y2, x, y) ? 1 : 0;
}
