#pragma once
// Forecast candles drawn with the mouse past a daily chart's last bar: the
// exchange's daily price limit that bounds them, the trading day each new
// candle gets, and the period series rebuilt from them. They live only in
// the charts' own series: the price store never sees them.
#include <cstdint>

#include "common/packed_date.h"
#include "records/price_series.h"

// The width of a day's price limit after a close of `price`.
int32_t DailyPriceLimit(int32_t price);
// Markets whose prices are limited (not the indices).
bool IsPriceLimitedMarket(int marketId);
// `value` within the limits of the day after bar `b`: its close plus or minus
// the limit, twice the limit upward after three limit-up closes without
// volume (downward after three limit-down ones), at least 1. A bar outside
// the series (the one before the first) or a market without limits leaves
// the value as it is.
int32_t ClampToPriceLimit(const BarSeries& bars, int marketId, int b, int32_t value);
// The same on chart `chart`'s daily series and its stock's market.
int32_t ClampForecastToPriceLimit(int chart, int b, int32_t value);

// The trading day after `date` by `calendar` (the bar dates of the reference
// index): its next date, the later calendar date for a date between two,
// the date itself between the last two, and by the holiday rules on or
// after the last date, before the first, or with no calendar.
PackedDate NextCalendarTradingDate(const BarSeries* calendar, PackedDate date);
PackedDate NextCalendarTradingDate(PackedDate date);

// A press on a forecast position of chart `chart` at bar `bar`: the candle
// there (appended one past the end) opens at the value within the limit.
// False when the series is full.
bool StartForecastCandle(int chart, int bar, int32_t value);
// The drawn candle's close follows the value; its high and low stretch.
void DragForecastCandle(int chart, int32_t value);
// The release: the forecast is committed, the chart's other series rebuilt
// and every chart showing the same stock takes the same candles.
void FinishForecastCandle(int chart);
// The raw daily series takes the drawn candles, the weekly and monthly
// series and every indicator are made again, the chart invalidated.
void RebuildForecastPeriodSeries(int chart);
// The other charts of the pattern that show the chart's stock take its
// daily candles and forecast state, each rebuilt.
void SyncLiveBarsAcrossPanes(int chart);
