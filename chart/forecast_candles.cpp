#include "chart/forecast_candles.h"

#include <algorithm>
#include <array>

#include "analysis/chart_indicators.h"
#include "chart/chart_context.h"
#include "chart/chart_loading.h"
#include "chart/screen_pattern.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "data/trading_calendar.h"

namespace {

struct LimitBand {
  int32_t below;  // for a close below this
  int32_t width;
};

constexpr std::array<LimitBand, 34> kLimitBands = {{
    {100, 30},           {200, 50},
    {500, 80},           {700, 100},
    {1000, 150},         {1500, 300},
    {2000, 400},         {3000, 500},
    {5000, 700},         {7000, 1000},
    {10000, 1500},       {15000, 3000},
    {20000, 4000},       {30000, 5000},
    {50000, 7000},       {70000, 10000},
    {100000, 15000},     {150000, 30000},
    {200000, 40000},     {300000, 50000},
    {500000, 70000},     {700000, 100000},
    {1000000, 150000},   {1500000, 300000},
    {2000000, 400000},   {3000000, 500000},
    {5000000, 700000},   {7000000, 1000000},
    {10000000, 1500000}, {15000000, 3000000},
    {20000000, 4000000}, {30000000, 5000000},
    {50000000, 7000000}, {INT32_MAX, 10000000},
}};
constexpr int32_t kTopLimit = 10000000;
constexpr int kBollingerSeries = 7;

BarSeries& DailyOf(int chart) { return *gChartContexts[chart].periods[0].bars; }

bool IsShownChartWithBars(int chart) {
  return chart >= 0 && chart < ShownChartCount() && gChartContexts[chart].periods[0].bars != nullptr &&
         gChartContexts[chart].periods[0].rawBars != nullptr;
}

const StockRecord* StockOf(StockCode code) {
  const int index = FindStockIndexByCode(code);
  return index >= 0 ? &gStockTable->records[index] : nullptr;
}

// Each close the limit above (below) the one before, three days running.
bool ThreeLimitCloses(const BarSeries& bars, int b, int direction) {
  for (int k = 0; k < 3; ++k) {
    const int64_t before = bars.bars[b - k - 1].close;
    if (before + int64_t{direction} * DailyPriceLimit(bars.bars[b - k - 1].close) != bars.bars[b - k].close)
      return false;
  }
  return true;
}

bool NoVolumeForThreeDays(const BarSeries& bars, int b) {
  return bars.bars[b].volume == 0 && bars.bars[b - 1].volume == 0 && bars.bars[b - 2].volume == 0;
}

// The calendar's last date is never past its count's end.
int CalendarCount(const BarSeries* calendar) {
  return calendar != nullptr ? std::clamp(calendar->count, 0, kMaxBars) : 0;
}

void ExtendBollingerSeries(ChartContext& context, int newIndex) {
  for (int i = 0; i < kBollingerSeries; ++i) {
    RealSeries* series = context.periods[0].chartReal[kRealBollingerCentre + i];
    if (series == nullptr || series->count != newIndex || newIndex < 1 || newIndex >= kMaxBars) continue;
    series->values[newIndex] = series->values[newIndex - 1];
    series->count = newIndex + 1;
  }
}

// A new candle's volume: the second volume average at its bar (its last
// value past the end).
int32_t ForecastVolume(const ChartContext& context, int b) {
  const IntSeries* average = context.periods[0].chartInt[kIntVolumeAverage0 + 1];
  if (average == nullptr || average->count < 1) return 0;
  return average->values[std::min(b, std::min(average->count, kMaxBars) - 1)];
}

bool IsLastBarIntraday(StockCode code) {
  const StockRecord* stock = StockOf(code);
  return stock != nullptr && stock->liveTime != kLiveTimeFinished;
}

// Whether the candle's open and volume stay as they are (a bar of the day).
bool KeepsOpenAndVolume(int chart, int b, bool intraday) {
  const BarSeries& bars = DailyOf(chart);
  const int32_t state = gForecastState[chart];
  bool keep = (state == kForecastNone || state == kForecastDrawing) && b < bars.count;
  if (state == kForecastCarried && b >= 1 && b < bars.count) {
    DailyOf(chart).bars[b].date = NextCalendarTradingDate(bars.bars[b - 1].date);
  }
  if (!keep && gForecastBarCount[chart] > 0 && intraday) keep = b == bars.count - gForecastBarCount[chart];
  return keep;
}

void AppendForecastBar(int chart) {
  BarSeries& bars = DailyOf(chart);
  PriceBar bar{};
  bar.date = NextCalendarTradingDate(bars.bars[bars.count - 1].date);
  bars.bars[bars.count] = bar;
  ExtendBollingerSeries(gChartContexts[chart], bars.count);
  ++bars.count;
  ++gForecastBarCount[chart];
}

// The period bars of `period` that hold daily bars from `firstDate` on.
int PeriodBarsFrom(const BarSeries& series, PackedDate firstDate) {
  int n = 0;
  while (n < series.count && series.bars[series.count - 1 - n].date >= firstDate) ++n;
  return n;
}

// The raw daily series takes the last `dailyCount` display bars; the other
// periods and the indicators follow.
void RebuildFromDailyCandles(int chart, int dailyCount) {
  ChartContext& context = gChartContexts[chart];
  PeriodSeriesBlock* blocks = context.periods;
  const BarSeries& display = *blocks[0].bars;
  BarSeries& raw = *blocks[0].rawBars;
  const int first = std::clamp(display.count - dailyCount, 0, display.count);
  for (int i = std::min(first, raw.count); i < display.count; ++i) raw.bars[i] = display.bars[i];
  raw.count = display.count;
  BuildWeeklyBars(raw, blocks[1].rawBars);
  BuildWeeklyBars(display, blocks[1].bars);
  BuildMonthlyBars(raw, blocks[2].rawBars);
  BuildMonthlyBars(display, blocks[2].bars);
  ComputeChartIndicators(display.code, &context, gMainScratch);
  InvalidateChart(chart);
}

// The daily candles of the chart's forecast.
int DailyForecastCount(int chart) {
  const ChartView& view = CurrentScreenPattern().views[chart];
  const BarSeries& daily = DailyOf(chart);
  if (view.period == 0) return std::clamp(gForecastBarCount[chart], 0, daily.count);
  const BarSeries& series = *gChartContexts[chart].periods[view.period].bars;
  const int firstPeriodBar = series.count - gForecastBarCount[chart];
  if (firstPeriodBar < 1) return 0;
  const PackedDate before = series.bars[firstPeriodBar - 1].date;
  int n = 0;
  while (n < daily.count && daily.bars[daily.count - 1 - n].date > before) ++n;
  return n;
}

}  // namespace

int32_t DailyPriceLimit(int32_t price) {
  for (const LimitBand& band : kLimitBands) {
    if (price < band.below) return band.width;
  }
  return kTopLimit;
}

bool IsPriceLimitedMarket(int marketId) {
  return (marketId >= 1 && marketId <= 5) || (marketId >= 7 && marketId <= 9) || marketId == 11 || marketId == 12;
}

int32_t ClampToPriceLimit(const BarSeries& bars, int marketId, int b, int32_t value) {
  // The first candle of a series has no close before it to be limited by.
  if (!IsPriceLimitedMarket(marketId) || b < 0 || b >= std::min(bars.count, kMaxBars)) return value;
  const int32_t close = bars.bars[b].close;
  const int64_t limit = DailyPriceLimit(close);
  int64_t low = close - limit;
  int64_t high = close + limit;
  if (b >= 3 && NoVolumeForThreeDays(bars, b)) {
    if (ThreeLimitCloses(bars, b, 1)) {
      high = close + 2 * limit;
    } else if (ThreeLimitCloses(bars, b, -1)) {
      low = close - 2 * limit;
    }
  }
  low = std::max<int64_t>(low, 1);
  return static_cast<int32_t>(std::clamp<int64_t>(value, low, std::max(low, high)));
}

int32_t ClampForecastToPriceLimit(int chart, int b, int32_t value) {
  if (!IsShownChartWithBars(chart)) return value;
  const BarSeries& bars = DailyOf(chart);
  const StockRecord* stock = StockOf(bars.code);
  return stock != nullptr ? ClampToPriceLimit(bars, stock->master.marketId, b, value) : value;
}

PackedDate NextCalendarTradingDate(const BarSeries* calendar, PackedDate date) {
  const int count = CalendarCount(calendar);
  if (count == 0 || date >= calendar->bars[count - 1].date || date < calendar->bars[0].date) {
    return AddTradingDays(date, 1);
  }
  const PriceBar* end = calendar->bars + count;
  const PriceBar* later =
      std::upper_bound(calendar->bars, end, date, [](PackedDate d, const PriceBar& bar) { return d < bar.date; });
  const bool onCalendarDate = (later - 1)->date == date;
  // Between the last two dates the calendar may simply not have the day yet.
  if (!onCalendarDate && later == end - 1) return date;
  return later->date;
}

PackedDate NextCalendarTradingDate(PackedDate date) { return NextCalendarTradingDate(gTradingCalendar, date); }

bool StartForecastCandle(int chart, int b, int32_t value) {
  if (!IsShownChartWithBars(chart)) return false;
  BarSeries& bars = DailyOf(chart);
  if (bars.count >= kMaxBars || bars.count < 1 || b < 0 || b > bars.count) return false;
  const bool intraday = IsLastBarIntraday(bars.code);
  const bool keep = KeepsOpenAndVolume(chart, b, intraday);
  if (gForecastBarCount[chart] == 0 && intraday) gForecastBarCount[chart] = 1;  // today's bar counts as forecast
  if (b == bars.count) AppendForecastBar(chart);
  gForecastLastBar[chart] = b;
  gForecastState[chart] = kForecastDrawing;
  const int32_t v = ClampForecastToPriceLimit(chart, b - 1, value);
  PriceBar& bar = bars.bars[b];
  if (!keep) {
    bar.open = bar.high = bar.low = v;
    bar.volume = ForecastVolume(gChartContexts[chart], b);
  }
  bar.close = v;
  bar.high = std::max(bar.high, v);
  bar.low = std::min(bar.low, v);
  InvalidateChart(chart);
  return true;
}

void DragForecastCandle(int chart, int32_t value) {
  if (!IsShownChartWithBars(chart)) return;
  BarSeries& bars = DailyOf(chart);
  const int b = gForecastLastBar[chart];
  if (b < 0 || b >= bars.count) return;
  const int32_t v = ClampForecastToPriceLimit(chart, b - 1, value);
  PriceBar& bar = bars.bars[b];
  bar.high = std::max(bar.high, v);
  bar.low = std::min(bar.low, v);
  bar.close = v;
  InvalidateChart(chart);
}

void FinishForecastCandle(int chart) {
  if (!IsShownChartWithBars(chart)) return;
  gForecastState[chart] = kForecastCommitted;
  RebuildForecastPeriodSeries(chart);
  SyncLiveBarsAcrossPanes(chart);
}

void RebuildForecastPeriodSeries(int chart) {
  if (IsShownChartWithBars(chart)) RebuildFromDailyCandles(chart, DailyForecastCount(chart));
}

void SyncLiveBarsAcrossPanes(int chart) {
  if (!IsShownChartWithBars(chart)) return;
  const BarSeries& from = DailyOf(chart);
  const int dailyCount = DailyForecastCount(chart);
  const int first = std::clamp(from.count - dailyCount, 0, from.count);
  for (int other = 0; other < ShownChartCount(); ++other) {
    if (other == chart || !IsShownChartWithBars(other) || DailyOf(other).code != from.code) continue;
    BarSeries& to = DailyOf(other);
    for (int i = std::min(first, to.count); i < from.count; ++i) to.bars[i] = from.bars[i];
    to.count = from.count;
    gForecastState[other] = gForecastState[chart];
    gForecastLastBar[other] = gForecastLastBar[chart];
    RebuildFromDailyCandles(other, dailyCount);
    const int period = CurrentScreenPattern().views[other].period;
    const BarSeries& shown = *gChartContexts[other].periods[period >= 0 && period < 3 ? period : 0].bars;
    gForecastBarCount[other] = dailyCount == 0 ? 0 : PeriodBarsFrom(shown, from.bars[first].date);
  }
}
