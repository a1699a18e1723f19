#pragma once
// The full market the group benchmarks screen: 5000 stocks "1000".."5999" on
// twelve markets, with random latest values of 0..100 in every snapshot.
#include <cstdio>
#include <random>

#include "data/stock_table.h"

inline StockCode BenchCode(int n) {
  char text[16];
  snprintf(text, sizeof text, "%04d", 1000 + n);
  return StringToCode(text);
}

inline void FillGroupBenchStocks() {
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
