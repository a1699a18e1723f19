// The whole stock table: start-up load and save of a full table, look-ups of
// every code, and a master merge that removes and adds stocks.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/bench_folder.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "shell/settings.h"

namespace {

constexpr int kChangedStocks = 100;  // removed and added by the merge

// Codes "0000".."4999" step 2, leaving room for codes in between.
StockCode BenchCode(int n) {
  char text[16];
  snprintf(text, sizeof text, "%04d", n);
  return StringToCode(text);
}

void PrepareFolder() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  InitStockCodeGlobals();
  MakeBenchDataFolder("velqo-bench");
  if (!AllocateStockTable()) std::abort();
  gTimeBackMode = 0;
}

void FillFullTable() {
  PrepareFolder();
  gStockTable->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) {
    StockRecord& record = gStockTable->records[i];
    record.master.code = BenchCode(2 * i);
    snprintf(record.master.name, sizeof record.master.name, "銘柄%d", i);
    record.dailyCount = i;
  }
  ResetStockLookupCache();
}

void BM_SaveStockTable(benchmark::State& state) {
  FillFullTable();
  for (auto _ : state) {
    if (SaveStockTable(1) != 0) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(StockTable)));
}
BENCHMARK(BM_SaveStockTable)->Unit(benchmark::kMillisecond);

void BM_LoadStockTable(benchmark::State& state) {
  FillFullTable();
  if (SaveStockTable(1) != 0) state.SkipWithError("save failed");
  for (auto _ : state) {
    LoadStockTable();
    if (gStockTable->count != kMaxStocks) state.SkipWithError("load failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(StockTable)));
}
BENCHMARK(BM_LoadStockTable)->Unit(benchmark::kMillisecond);

void BM_FindStockIndexByCodeAllCodes(benchmark::State& state) {
  FillFullTable();
  std::array<StockCode, kMaxStocks> codes;
  for (int i = 0; i < kMaxStocks; ++i) codes[i] = BenchCode(2 * i);
  for (auto _ : state) {
    for (const StockCode code : codes) benchmark::DoNotOptimize(FindStockIndexByCode(code));
  }
  state.SetItemsProcessed(state.iterations() * kMaxStocks);
}
BENCHMARK(BM_FindStockIndexByCodeAllCodes)->Unit(benchmark::kMicrosecond);

// A full table merged with a master that drops 100 stocks and lists 100 new
// ones spread over the table, each new one landing between two old ones.
void BM_MergeStockMaster(benchmark::State& state) {
  PrepareFolder();
  auto master = std::make_unique<StockMasterFile>();
  memset(master.get(), 0, sizeof(StockMasterFile));
  master->count = kMaxStocks;
  const int step = kMaxStocks / kChangedStocks;
  for (int i = 0; i < kMaxStocks; ++i) {
    const bool changed = i % step == step / 2;
    master->records[i].code = BenchCode(changed ? 2 * i + 1 : 2 * i);
    master->records[i].marketId = 1;
  }
  for (auto _ : state) {
    state.PauseTiming();
    FillFullTable();
    state.ResumeTiming();
    MergeStockMaster(*master);
    if (gStockTable->count != kMaxStocks) state.SkipWithError("merge failed");
  }
}
BENCHMARK(BM_MergeStockMaster)->Unit(benchmark::kMillisecond);

void BM_SortStockTableReversed(benchmark::State& state) {
  FillFullTable();
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kMaxStocks; ++i) gStockTable->records[i].master.code = BenchCode(2 * (kMaxStocks - 1 - i));
    state.ResumeTiming();
    SortStockTable();
  }
}
BENCHMARK(BM_SortStockTableReversed)->Unit(benchmark::kMillisecond);

}  // namespace
