// Bars between a daily chart's last bar and a line's date beyond it: a
// month, two years, to 2100 and to the last year a date can hold. A line
// dated far out is counted through the year table of the holiday rules.
#include <benchmark/benchmark.h>

#include "chart/chart_layout.h"
#include "common/packed_date.h"

namespace {

void BM_DailyBarsToADateBeyondTheData(benchmark::State& state) {
  const PackedDate last = MakePackedDate(2026, 12, 4);
  const PackedDate dates[] = {MakePackedDate(2027, 1, 4), MakePackedDate(2028, 12, 4), MakePackedDate(2100, 1, 1),
                              MakePackedDate(65535, 12, 31)};
  const PackedDate date = dates[state.range(0)];
  (void)BarsBetweenDates(0, date, last);  // the year table is built on the first long span
  for (auto _ : state) benchmark::DoNotOptimize(BarsBetweenDates(0, date, last));
}
BENCHMARK(BM_DailyBarsToADateBeyondTheData)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
