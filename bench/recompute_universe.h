#pragma once
// The universe of the recomputation benchmarks: 5000 stocks at the bar cap
// with their daily series in the cache, the market index "1001" first, a
// third of them on the market whose breadth is counted, and a 12-definition
// signal file whose periods differ from the chart's.
#include <cstdlib>
#include <cstring>

#include "analysis/market_breadth.h"
#include "bench/capped_stock.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "sheets/scenarios.h"
#include "shell/settings.h"
#include "tools/sample_db/sample_analysis.h"

constexpr int kUniverseStocks = 5000;

struct Universe {
  SignalSettingsFile file{};
  ChartSeriesSet context{};  // for timing single steps
  KernelScratchSet scratch{};
  StockCode sample = 0;  // a stock on the counted market
};

// The stocks go straight into the cache's slots: writing 600 MB of daily
// files only to read them back would time the disk, not the recomputation.
inline void CacheUniverseStock(int index, const BarSeries& bars) {
  auto* slot = static_cast<BarSeries*>(AllocBlock(sizeof(BarSeries)));
  if (slot == nullptr) std::abort();
  std::memcpy(slot, &bars, SeriesFileBytes(bars.count));
  gDailyCache->slots[index] = slot;
  gDailyCacheCount.fetch_add(1);
}

inline void AddUniverseStock(int index, StockCode code) {
  StockRecord& record = gStockTable->records[index];
  record.master.code = code;
  record.master.marketId = static_cast<uint16_t>(1 + index % 3);
  record.master.marketFlags = GetMarketFlagFromId(record.master.marketId);
  record.master.tradingUnit = 100;
  record.dailyCount = kMergeBarCap;
}

// Aborts when memory is short.
inline Universe* MakeRecomputeUniverse() {
  auto* universe = new Universe;
  InitAppTexts();
  InitStockCodeGlobals();
  SetDefaultSettings();
  if (!CreateDailyCache() || !AllocateStockTable() || !InitMarketBreadth() ||
      !AllocChartContextBuffers(&universe->context) || !AllocateKernelScratchSet(&universe->scratch)) {
    std::abort();
  }
  gStockTable->count = kUniverseStocks;
  for (int i = 0; i < kUniverseStocks; ++i) {
    const StockCode code = i == 0 ? StringToCode("1001") : NumberToCode(1300 + i);
    AddUniverseStock(i, code);
    CacheUniverseStock(i, *CappedDailyBars(code, 1000 + static_cast<uint32_t>(i)));
  }
  ResetStockLookupCache();
  FillSampleSignalFile(&universe->file, kMaxSignalDefinitions, true);
  gSignalSettings = &universe->file;
  InstallScenarioHooks();
  universe->sample = gStockTable->records[kUniverseStocks / 2 - 1].master.code;
  return universe;
}
