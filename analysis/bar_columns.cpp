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

// What bar k adds to the change columns, against bar k - 1. Masks rather than
// branches: rises and falls alternate unpredictably.
struct ChangeTerms {
  double rise;
  double fall;
  int32_t nonFall;
  double risingVolume;
  double fallingVolume;
};

ChangeTerms GetChangeTerms(const PriceBar* bar, int k) {
  const int64_t change = int64_t{bar[k].close} - bar[k - 1].close;
  const double volume = bar[k].volume;
  const double up = change > 0 ? volume : 0.0;
  const double down = change < 0 ? volume : 0.0;
  const double half = (volume - up - down) / 2;
  return {static_cast<double>(std::max<int64_t>(change, 0)), static_cast<double>(std::max<int64_t>(-change, 0)),
          change >= 0, up + half, down + half};
}

// Running sums of the change terms, kept in registers rather than read back.
struct ChangeSums {
  double rises = 0.0;
  double falls = 0.0;
  int32_t nonFalls = 0;
  double risingVolumes = 0.0;
  double fallingVolumes = 0.0;
};

void SumChanges(const PriceBar* bar, int count, BarColumns* c) {
  c->riseSums[0] = c->fallSums[0] = 0.0;
  c->nonFallCounts[0] = 0;
  ChangeSums sums;
  for (int k = 1; k < count; ++k) {
    const ChangeTerms terms = GetChangeTerms(bar, k);
    c->riseSums[k] = sums.rises += terms.rise;
    c->fallSums[k] = sums.falls += terms.fall;
    c->nonFallCounts[k] = sums.nonFalls += terms.nonFall;
  }
}

void SumSideVolumes(const PriceBar* bar, int count, BarColumns* c) {
  c->risingVolumeSums[0] = c->fallingVolumeSums[0] = 0.0;
  ChangeSums sums;
  for (int k = 1; k < count; ++k) {
    const ChangeTerms terms = GetChangeTerms(bar, k);
    c->risingVolumeSums[k] = sums.risingVolumes += terms.risingVolume;
    c->fallingVolumeSums[k] = sums.fallingVolumes += terms.fallingVolume;
  }
}

int32_t TypicalPrice(const PriceBar& bar) {
  return static_cast<int32_t>((int64_t{bar.high} + bar.low + bar.close) / 3);
}

void SumTypicalPrices(const PriceBar* bar, int count, BarColumns* c) {
  c->typicalPriceSums[0] = 0.0;
  double sum = 0.0;
  for (int k = 0; k < count; ++k) {
    c->typicalPrices[k] = TypicalPrice(bar[k]);
    c->typicalPriceSums[k + 1] = sum += c->typicalPrices[k];
  }
}

void NarrowCloses(BarColumns* c) {
  const int32_t* closes = c->closes;
  const int count = c->count;
  int32_t lowest = INT32_MAX;
  int32_t highest = INT32_MIN;
  for (int k = 0; k < count; ++k) {
    lowest = std::min(lowest, closes[k]);
    highest = std::max(highest, closes[k]);
  }
  c->closesNarrow = count == 0 || int64_t{highest} - lowest <= UINT16_MAX;
  if (!c->closesNarrow) return;
  for (int k = 0; k < count; ++k) c->narrowCloses[k] = static_cast<int16_t>(int64_t{closes[k]} - lowest + INT16_MIN);
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
    case kColumnTypicalPrices: SumTypicalPrices(bar, count, columns); break;
    case kColumnNarrowCloses:
      BuildBarColumn(columns, kColumnCloses);
      NarrowCloses(columns);
      break;
    default: break;
  }
  columns->built[column] = true;
  return *columns;
}

// The sums as the single columns make them, in one pass: their chains of
// additions overlap.
void BuildAllBarColumns(BarColumns* c) {
  const PriceBar* bar = c->bars->bars;
  const int count = c->count;
  GatherCloses(bar, count, c->closes);
  c->closeSums[0] = c->volumeSums[0] = 0.0;
  c->riseSums[0] = c->fallSums[0] = c->risingVolumeSums[0] = c->fallingVolumeSums[0] = 0.0;
  c->nonFallCounts[0] = 0;
  c->typicalPriceSums[0] = 0.0;
  double closes = 0.0;
  double volumes = 0.0;
  double typicals = 0.0;
  ChangeSums sums;
  for (int k = 0; k < count; ++k) {
    c->closeSums[k + 1] = closes += bar[k].close;
    c->volumeSums[k + 1] = volumes += bar[k].volume;
    c->typicalPrices[k] = TypicalPrice(bar[k]);
    c->typicalPriceSums[k + 1] = typicals += c->typicalPrices[k];
    if (k == 0) continue;
    const ChangeTerms terms = GetChangeTerms(bar, k);
    c->riseSums[k] = sums.rises += terms.rise;
    c->fallSums[k] = sums.falls += terms.fall;
    c->nonFallCounts[k] = sums.nonFalls += terms.nonFall;
    c->risingVolumeSums[k] = sums.risingVolumes += terms.risingVolume;
    c->fallingVolumeSums[k] = sums.fallingVolumes += terms.fallingVolume;
  }
  NarrowCloses(c);
  std::fill_n(c->built, kBarColumnCount, true);
}

std::unique_ptr<BarColumns> MakeBarColumns(const BarSeries& bars) {
  std::unique_ptr<BarColumns> columns(new BarColumns);
  ResetBarColumns(columns.get(), bars);
  return columns;
}
