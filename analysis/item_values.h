#pragma once
// The value of each of the 91 condition items at one bar of one period,
// read from the period's split-adjusted bars and computed series: what the
// snapshots keep and what conditions read at a chosen bar.
#include "analysis/series_buffers.h"

// Where the items of one period are read from: the chart series or the
// signal series of a block, and the parameters of the bar-count ranges.
struct ItemSource {
  const BarSeries* bars;
  IntSeries* const* ints;    // kIntSlotCount series
  RealSeries* const* reals;  // kRealSlotCount series
  const IndicatorParameterSet* rangeParams;
  double tradingUnit;  // 0 when the stock is unknown
};

ItemSource ChartItemSource(const PeriodSeriesBlock& block, double tradingUnit);
// The signal series; `params` are the signal file's parameters of the period.
ItemSource SignalItemSource(const PeriodSeriesBlock& block, const IndicatorParameterSet& params, double tradingUnit);

// Item `index` (0..90) at bar b; 0 for a bar outside the series, an index
// without a value, or a series that was not computed.
double ComputeItemValue(const ItemSource& source, int index, int b);

// Where the close of bar b stands within the lows and highs of the bars
// before it, in percent: over the last `months` months, or with months 0
// over the last n bars. Bar b is not part of the range, so the result may
// leave 0..100; a flat range gives the quotient's infinity or not-a-number.
double PriceRangePosition(const BarSeries& bars, int b, int months, int n);
// The same for an integer series against its own lowest and highest values,
// the window taken from the dates of the bars.
double PriceRangePositionOfSeries(const BarSeries& bars, const IntSeries& series, int b, int months, int n);
