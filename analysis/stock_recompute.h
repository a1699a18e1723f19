#pragma once
// The recomputation of one stock: its bars in three periods, every indicator
// series, the six snapshots, the signals, the scenario flags and the
// market-breadth counts, written into its StockRecord. Each step writes only
// the context, the scratch set and the record of that stock, so that
// several threads may recompute different stocks at once.
#include "analysis/chart_series.h"
#include "common/stock_code.h"

// The steps, in their order, for callers that time or test them one by one.
// Split-adjusted daily bars from the raw ones of block 0; the number of them.
int PlaceAdjustedDailyBars(ChartSeriesSet* context);
// Weekly and monthly bars from the adjusted daily ones, with their raw
// copies; a period the back-test does not need is left as it was.
void PlacePeriodBars(ChartSeriesSet* context);
// Bar counts and the six snapshots of the record from the context's chart series.
void StoreCountsAndSnapshots(StockCode code, const ChartSeriesSet& context);
// The scenario results of the latest daily bar into the record: marks and
// values of the signal file's and the scenario table's valid scenarios, and
// the flag that tells a scenario fired.
void UpdateStockSignalFlags(StockCode code, const ChartSeriesSet& context);
// The stock's advances and declines, while a run counts them and the stock
// is listed on a counted market.
void CountStockAdvancesDeclines(StockCode code, const ChartSeriesSet& context);

// Every step for the raw daily bars the caller placed in block 0. A stock
// with fewer than `minimumBars` adjusted daily bars keeps its previous
// results: false then.
bool RecomputeStockFromBars(StockCode code, ChartSeriesSet* context, KernelScratchSet& scratch, int minimumBars);
// The same with the bars from the price store, for one stock on the context
// the caller owns (the shared one for live quotes); nothing for a code that
// is not in the table.
void RecomputeOneStock(StockCode code, ChartSeriesSet* context, KernelScratchSet& scratch);
