#pragma once
// The six snapshots of a stock's record: every condition item at the latest
// and the previous bar of each period, so that screening 5000 stocks reads
// values instead of recomputing series.
#include "analysis/chart_series.h"
#include "common/stock_code.h"

// Fills snapshot `slot` (0..5) of the stock from the chart series of
// `period` at `bar`; all zero when bar < 0. Nothing for an unknown stock.
void FillIndicatorSnapshot(StockCode code, int slot, int bar, const ChartSeriesSet& context, int period);
// Snapshot element `item` (slot * 91 + index) of a stock, from a series at
// bar b: the percent change from the bar before, an integer value divided by
// `divisor`, or a real value.
void SetSnapshotChangeRate(int stockIndex, int bar, int item, const RealSeries& series);
void SetSnapshotScaledValue(int stockIndex, int bar, int item, const IntSeries& series, double divisor);
void SetSnapshotRealValue(int stockIndex, int bar, int item, const RealSeries& series);
