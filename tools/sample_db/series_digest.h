#pragma once
// A digest of what the price store serves for every stock of the loaded table:
// the daily series, its split-adjusted copy and the weekly and monthly bars.
// The native build and the program under Wine must agree on it.
#include <cstdint>

#include "common/stock_code.h"

uint64_t ComputeDatabaseDigest();
// A digest of every indicator series of one stock as ComputeChartIndicators
// leaves them: the default parameters, the market breadth counted over the
// loaded database, and a fixed signal file that is partly copied, partly
// computed. 0 when memory is short.
uint64_t ComputeIndicatorDigest(StockCode code);
// The stock the indicator digest is taken of: the first with a split, else
// the last of the table.
StockCode ChooseIndicatorDigestStock();
// Opens the database of a folder (made current) through the store; false when it cannot.
bool OpenDatabaseFolder(const char* folder);
