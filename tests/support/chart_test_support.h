#pragma once
// Pieces the chart tests share: a chart context that owns its buffers, and
// putting back what a generated sample database left in the stores.
#include <cstdlib>

#include "chart/chart_context.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/ken_table.h"
#include "data/stock_table.h"

struct OwnedContext {
  ChartContext context{};
  OwnedContext() {
    if (!AllocChartContextBuffers(&context)) std::abort();
  }
  ~OwnedContext() { FreeChartContextBuffers(&context); }
  OwnedContext(const OwnedContext&) = delete;
  OwnedContext& operator=(const OwnedContext&) = delete;
};

// The daily cache, the ex-rights table and the stock table as they were before
// a sample database was made.
inline void ReleaseSampleDatabase() {
  DestroyDailyCache();
  FreeBlock(gKenTable);
  gKenTable = nullptr;
  gStockTable->count = 0;
  ResetStockLookupCache();
}
