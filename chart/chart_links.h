#pragma once
// Charts coupled by links: the flags of chart i couple it with chart i + 1.
// A stock link shows the same group and stock, a date link the same date at
// the right edge.
#include <cstdint>

#include "chart/screen_pattern.h"
#include "common/stock_code.h"

// Which charts the window side must update after the lists were carried.
struct ChartListSync {
  bool groupChanged[kMaxChartsPerPattern];  // reselect the group combo box
  bool refill[kMaxChartsPerPattern];        // refill the stock list box
};

// Shows a stock in one chart, placed by its date-linked neighbour or at its end.
void SetChartStock(int chart, StockCode code);
// The same on every chart reached through stock links, upward, then downward.
void ShowStockInLinkedCharts(int chart, StockCode code);
// Carries the group and stock of a chart along stock links, down and up.
void SyncLinkedChartLists(int chart, ChartListSync* sync);
// The keep-stock flag likewise.
void SyncLinkedKeepStockFlags(int chart);
// Puts the source's right-edge date at the target's right edge, then follows
// the date links on in the same direction.
void AlignLinkedCharts(int target, int source);
