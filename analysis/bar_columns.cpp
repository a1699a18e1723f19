#include "analysis/bar_columns.h"

#include <algorithm>

#include "analysis/kernel_math.h"

namespace {

void SumCloses(const PriceBar* bar, int count, double* sums) {
  sums[0] = 0.0;
  double sum = 0.0;
  for (int k = 0; k < count; ++k) sums[k + 1] = sum += bar[k].close;
}

void SumVolumes(const PriceBar* bar, int count, double* sums) {
  sums[0] = 0.0;
  double sum = 0.0;
  for (int k = 0; k < count; ++k) sums[k + 1] = sum += bar[k].volume;
}

void SumChanges(const PriceBar* bar, int count, BarColumns* c) {
  c->riseSums[0] = c->fallSums[0] = 0.0;
  c->nonFallCounts[0] = 0;
  double rises = 0.0;
  double falls = 0.0;
  int32_t nonFalls = 0;
  for (int k = 1; k < count; ++k) {
    const int64_t change = int64_t{bar[k].close} - bar[k - 1].close;
    rises += static_cast<double>(std::max<int64_t>(change, 0));
    falls += static_cast<double>(std::max<int64_t>(-change, 0));
    nonFalls += change >= 0;
    c->riseSums[k] = rises;
    c->fallSums[k] = falls;
    c->nonFallCounts[k] = nonFalls;
  }
}

// Masks rather than branches: rises and falls alternate unpredictably.
void SumSideVolumes(const PriceBar* bar, int count, BarColumns* c) {
  c->risingVolumeSums[0] = c->fallingVolumeSums[0] = 0.0;
  double rising = 0.0;
  double falling = 0.0;
  for (int k = 1; k < count; ++k) {
    const double volume = bar[k].volume;
    const double up = bar[k].close > bar[k - 1].close ? volume : 0.0;
    const double down = bar[k].close < bar[k - 1].close ? volume : 0.0;
    const double half = (volume - up - down) / 2;
    rising += up + half;
    falling += down + half;
    c->risingVolumeSums[k] = rising;
    c->fallingVolumeSums[k] = falling;
  }
}

}  // namespace

void ResetBarColumns(BarColumns* columns, const BarSeries& bars) {
  columns->bars = &bars;
  columns->count = ClampKernelCount(bars.count);
  std::fill_n(columns->built, kBarColumnCount, false);
}

const BarColumns& BuildBarColumn(BarColumns* columns, BarColumn column) {
  if (columns->built[column]) return *columns;
  const PriceBar* bar = columns->bars->bars;
  const int count = columns->count;
  switch (column) {
    case kColumnCloses: GatherCloses(bar, count, columns->closes); break;
    case kColumnCloseSums: SumCloses(bar, count, columns->closeSums); break;
    case kColumnVolumeSums: SumVolumes(bar, count, columns->volumeSums); break;
    case kColumnChangeSums: SumChanges(bar, count, columns); break;
    case kColumnSideVolumes: SumSideVolumes(bar, count, columns); break;
    default: break;
  }
  columns->built[column] = true;
  return *columns;
}

std::unique_ptr<BarColumns> MakeBarColumns(const BarSeries& bars) {
  std::unique_ptr<BarColumns> columns(new BarColumns);
  ResetBarColumns(columns.get(), bars);
  return columns;
}
