#pragma once
// Every indicator series of a chart context, from the split-adjusted bars
// that the caller has placed in its three period blocks.
#include "analysis/series_buffers.h"
#include "common/stock_code.h"

struct ChartContext;

// The chart series with gIndicatorParams; the signal series with the loaded
// signal file's parameters (copies of the chart series where they would be
// equal); then the scenario marks. Nothing depends on what the context held
// before. Writes only the context and the scratch set of the calling thread.
void ComputeChartIndicators(StockCode code, ChartContext* context, KernelScratchSet& scratch);
