#pragma once
// The signals of the loaded signal file for a stock at its latest bars, and
// the per-bar counts and look-ups of the chart's signal strip.
#include "analysis/chart_series.h"
#include "analysis/condition_items.h"
#include "common/stock_code.h"

// Sets the stock's signal word: bit k when definition k holds at the last
// daily, weekly and monthly bars of the context's signal series.
void EvaluateSignalsForStock(StockCode code, const ChartSeriesSet& context);
// The week and month bars that hold daily bar `dailyBar`: the first dated on
// or after it, else the last one.
void FindWeeklyMonthlyBarIndexes(const ChartSeriesSet& context, int dailyBar, int* weekBar, int* monthBar);
// Groups of the kind whose conditions hold at the bar (chart series), and
// definitions of the kind that hold (signal series).
int CountSignalMatchesAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar, int kind);
// The n-th of those matches counting from 0, groups first: its group or its
// definition index (the other -1); false when there are fewer.
bool FindSignalMatchAtBar(StockCode code, const ChartSeriesSet& context, int dailyBar, int kind, int n, int* groupIndex,
                          int* definitionIndex);
