// The trend-line store at its limit of 10000 lines: the one-pass removal of
// thousands of marked lines (tracker steps renumbered), choosing and removing
// the lines a trim takes, and, measured apart, the save of tline.dat with the
// rotation of its three backups that follows every change.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "analysis/trend_line_store.h"
#include "bench/bench_folder.h"
#include "common/app_globals.h"
#include "common/packed_date.h"
#include "common/stock_code.h"

namespace {

// 10000 lines over 500 stocks; every stock has a ladder of five buy steps
// and its close and stop-loss lines, and the lines end on dates spread over
// four years with many ties.
const TrendLineTable& FullTable() {
  static const std::unique_ptr<TrendLineTable> table = [] {
    auto t = std::make_unique<TrendLineTable>();
    t->count = kMaxTrendLines;
    for (int i = 0; i < kMaxTrendLines; ++i) {
      TrendLine& line = t->lines[i];
      line.code = NumberToCode(1300 + i % 500);
      line.date1 = MakePackedDate(2021, 1, 4);
      line.date2 = AddCalendarDays(MakePackedDate(2021, 1, 4), (i * 7919) % 1460);
      line.value1 = line.value2 = 1000 + i;
      line.width = 2;
      const int rung = i / 500 % 20;
      line.buyRole = rung < 5 ? rung + 1 : (rung == 5 ? kTrackerCloseLine : (rung == 6 ? kTrackerStopLossLine : 0));
    }
    return t;
  }();
  return *table;
}

void MarkEvery(TrendLineTable* table, int step) {
  for (int i = 0; i < table->count; ++i) table->lines[i].marked = i % step == 0 ? 1 : 0;
}

// Deleting every second line (5000 of 10000), steps renumbered, in memory.
void BM_CompactHalfOfAFullTable(benchmark::State& state) {
  auto table = std::make_unique<TrendLineTable>();
  static std::array<int32_t, kMaxTrendLines> newIndex;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(table.get(), &FullTable(), sizeof(TrendLineTable));
    MarkEvery(table.get(), 2);
    state.ResumeTiming();
    benchmark::DoNotOptimize(CompactMarkedTrendLines(table.get(), newIndex.data()));
  }
}
BENCHMARK(BM_CompactHalfOfAFullTable)->Unit(benchmark::kMicrosecond);

// Trimming 3000 of 10000: choosing them, then removing them in one pass.
void BM_TrimThreeThousandOfAFullTable(benchmark::State& state) {
  auto table = std::make_unique<TrendLineTable>();
  static std::array<int32_t, kMaxTrendLines> newIndex;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(table.get(), &FullTable(), sizeof(TrendLineTable));
    state.ResumeTiming();
    MarkEarliestEndingTrendLines(table.get(), 3000);
    benchmark::DoNotOptimize(CompactMarkedTrendLines(table.get(), newIndex.data()));
  }
}
BENCHMARK(BM_TrimThreeThousandOfAFullTable)->Unit(benchmark::kMicrosecond);

// The undo copy every deletion takes first.
void BM_UndoCopyOfAFullTable(benchmark::State& state) {
  auto table = std::make_unique<TrendLineTable>();
  for (auto _ : state) {
    std::memcpy(table.get(), &FullTable(), sizeof(TrendLineTable));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_UndoCopyOfAFullTable)->Unit(benchmark::kMicrosecond);

// What follows every change on disk: tline.dat and the three backups.
void BM_SaveWithBackups(benchmark::State& state) {
  static const bool ready = [] {
    InitStockCodeGlobals();
    MakeBenchDataFolder("velqo-tlines");
    return AllocTrendLineTables();
  }();
  if (!ready) std::abort();
  std::memcpy(gTrendLines, &FullTable(), sizeof(TrendLineTable));
  for (auto _ : state) benchmark::DoNotOptimize(SaveTrendLines());
}
BENCHMARK(BM_SaveWithBackups)->Unit(benchmark::kMillisecond);

}  // namespace
