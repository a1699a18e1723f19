// The group store over a full stock table: loading and saving "grp.dat" with
// its backups, extracting the market groups from 5000 stocks, and adding a
// stock to a group that already holds 4999.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "analysis/group_lists.h"
#include "bench/bench_folder.h"
#include "analysis/group_store.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "shell/settings.h"

namespace {

StockCode BenchCode(int n) {
  char text[16];
  snprintf(text, sizeof text, "%04d", 1000 + n);
  return StringToCode(text);
}

// A scratch data folder, a full stock table on markets 1..12 and the default groups.
void Prepare() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  InitStockCodeGlobals();
  MakeBenchDataFolder("velqo-groups");
  if (!AllocateStockTable() || !AllocGroupTables()) std::abort();
  gTimeBackMode = 0;
  gStockTable->count = kMaxStocks;
  for (int i = 0; i < kMaxStocks; ++i) {
    StockMasterRecord& master = gStockTable->records[i].master;
    master.code = BenchCode(i);
    master.marketId = static_cast<uint16_t>(1 + i % 12);
    snprintf(master.name, sizeof master.name, "銘柄%d", i);
  }
  ResetStockLookupCache();
  if (!LoadGroupsAtStartup()) std::abort();  // the defaults, extracted and written
}

void BM_LoadGroupFile(benchmark::State& state) {
  Prepare();
  for (auto _ : state) benchmark::DoNotOptimize(LoadGroupFile(kGroupFileName));
}
BENCHMARK(BM_LoadGroupFile)->Unit(benchmark::kMillisecond);

// grp.dat and the rotation of the three backups.
void BM_SaveGroupFileWithBackups(benchmark::State& state) {
  Prepare();
  for (auto _ : state) benchmark::DoNotOptimize(SaveGroupFile(1));
}
BENCHMARK(BM_SaveGroupFileWithBackups)->Unit(benchmark::kMillisecond);

// Groups 0..14: every market group and the rankings, over 5000 stocks.
void BM_ExtractMarketGroups(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    for (int g = 0; g <= 14; ++g) RunExtractionForGroup(*gGroupTable, g);
  }
}
BENCHMARK(BM_ExtractMarketGroups)->Unit(benchmark::kMillisecond);

// A manual group of 4999 members takes one more at its sorted place.
void BM_AddStockToAFullishGroup(benchmark::State& state) {
  Prepare();
  GroupRecord& group = gGroupTable->groups[30];
  for (auto _ : state) {
    state.PauseTiming();
    group.memberCount = kMaxGroupMembers - 1;
    for (int i = 0; i < group.memberCount; ++i) group.members[i] = BenchCode(i + 1);
    state.ResumeTiming();
    AddStockToGroup(BenchCode(0), 30);
  }
}
BENCHMARK(BM_AddStockToAFullishGroup)->Unit(benchmark::kMicrosecond);

}  // namespace
