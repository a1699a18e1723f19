// LoadChartSeries of one stock with 5071 daily bars: bars from the cache, the
// split-adjusted copy, weekly and monthly bars and every indicator of the
// three periods; daily and weekly views, with and without forecast bars.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/bench_folder.h"
#include "chart/chart_loading.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tools/sample_db/sample_database.h"

namespace {

void Prepare() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  const std::string folder = MakeBenchFolder("velqo-bench");
  InitStockCodeGlobals();
  SampleDatabaseOptions options;
  options.folder = folder + "/db";
  options.stocks = 1;
  options.bars = kMergeBarCap;
  if (MakeSampleDatabase(options, nullptr) != 0 || !AllocAllChartContexts()) std::abort();
  ScreenPattern& pattern = CurrentScreenPattern();
  pattern.chartCount = 1;
  pattern.views[0].stockCode = gStockTable->records[4].master.code;
  ReloadAllChartSeries();  // fills the cache slot
  if (gChartContexts[0].periods[0].bars->count != kMergeBarCap) std::abort();
}

void BM_LoadChartSeries(benchmark::State& bench) {
  Prepare();
  CurrentScreenPattern().views[0].period = static_cast<int32_t>(bench.range(0));
  for (auto _ : bench) {
    LoadChartSeries(0, 1);
    benchmark::ClobberMemory();
  }
  CurrentScreenPattern().views[0].period = 0;
}
BENCHMARK(BM_LoadChartSeries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A reload after a live quote that keeps three committed forecast bars.
void BM_LoadChartSeriesKeepingForecasts(benchmark::State& bench) {
  Prepare();
  BarSeries& daily = *gChartContexts[0].periods[0].bars;
  for (auto _ : bench) {
    bench.PauseTiming();
    LoadChartSeries(0, 1);
    for (int i = 0; i < 3; ++i) {
      PriceBar bar = daily.bars[daily.count - 1];
      bar.date = AddTradingDays(bar.date, 1);
      daily.bars[daily.count++] = bar;
    }
    gForecastState[0] = kForecastCommitted;
    gForecastBarCount[0] = 3;
    bench.ResumeTiming();
    LoadChartSeries(0, 0);
    benchmark::ClobberMemory();
  }
  gForecastState[0] = kForecastNone;
  gForecastBarCount[0] = 0;
}
BENCHMARK(BM_LoadChartSeriesKeepingForecasts)->Unit(benchmark::kMillisecond);

}  // namespace
