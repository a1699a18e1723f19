#pragma once
// Every indicator series of a chart context, from the split-adjusted bars
// that the caller has placed in its three period blocks.
#include "analysis/chart_series.h"
#include "analysis/signal_settings.h"
#include "common/stock_code.h"

// The chart series with gIndicatorParams; the signal series with the loaded
// signal file's parameters (copies of the chart series where they would be
// equal); then the scenario marks. Nothing depends on what the context held
// before. Writes only the context and the scratch set of the calling thread.
void ComputeChartIndicators(StockCode code, ChartSeriesSet* series, KernelScratchSet& scratch);

// Set by the back-test while it recomputes stocks: only the needed periods
// (daily, weekly, monthly) and series are computed then.
extern int gComputeNeededOnly;
extern int gNeededPeriods[3];
extern SeriesUseFlags gNeededSeries[3];
