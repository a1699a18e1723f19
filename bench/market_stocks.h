#pragma once
// A full market for the group benchmarks: 5000 stocks of every market id,
// their snapshot values random between 0 and 100.
#include <cstdio>
#include <random>

#include "common/stock_code.h"
#include "data/stock_table.h"

// "%04d" of 1000 + n.
inline StockCode BenchCode(int n) {
  char text[16];
  snprintf(text, sizeof text, "%04d", 1000 + n);
  return StringToCode(text);
}

// The stock table filled (it must be allocated).
inline void FillBenchStocks() {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(0, 100);
  gStockTable->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) {
    StockRecord& stock = gStockTable->records[i];
    stock.master.code = BenchCode(i);
    stock.master.marketId = static_cast<uint16_t>(1 + i % 12);
    snprintf(stock.master.name, sizeof stock.master.name, "銘柄%d", i);
    stock.dailyCount = 4000;
    stock.weeklyCount = 800;
    stock.monthlyCount = 200;
    for (IndicatorSnapshot& snapshot : stock.snapshots) {
      for (double& v : snapshot.values) v = value(random);
    }
  }
  ResetStockLookupCache();
}
