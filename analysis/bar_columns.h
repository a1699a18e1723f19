#pragma once
// Per-bar columns of one bar series that several indicator lines read, built
// once per period and shared by the chart's and the signal's lines: running
// sums from bar 0. A sum of at most 5120 values of 32 bits (or halves of
// them) stays below 2^53, so as doubles the running sums are exact and a
// window's sum is the difference of two of them, the same double as the
// window summed in 64-bit integers. Each column is built when first asked
// for, or all of them at once.
#include <cstdint>
#include <memory>

#include "records/price_series.h"

enum BarColumn : int {
  kColumnCloses,         // closes
  kColumnCloseSums,      // closeSums
  kColumnVolumeSums,     // volumeSums
  kColumnChangeSums,     // riseSums, fallSums, nonFallCounts
  kColumnSideVolumes,    // risingVolumeSums, fallingVolumeSums
  kColumnTypicalPrices,  // typicalPrices, typicalPriceSums
  kColumnNarrowCloses,   // closesNarrow, narrowCloses
  kBarColumnCount
};

struct BarColumns {
  const BarSeries* bars;
  int32_t count;  // the bars' count brought into 0..kMaxBars
  bool built[kBarColumnCount];
  int32_t closes[kMaxBars];  // side by side, so that loops over them vectorise
  // Where the closes span at most 65535 (most stocks): the closes less their
  // lowest and 32768, in the same order, eight to a register.
  bool closesNarrow;
  int16_t narrowCloses[kMaxBars];
  // Entry k: bars 0..k-1.
  double closeSums[kMaxBars + 1];
  double volumeSums[kMaxBars + 1];
  // Entry k: the close changes of bars 1..k (0 at k = 0): rises, falls as
  // positive amounts, and the count of changes of 0 or more.
  double riseSums[kMaxBars + 1];
  double fallSums[kMaxBars + 1];
  int32_t nonFallCounts[kMaxBars + 1];
  // Entry k: bars 1..k's volumes where the close rose (fell) against the bar
  // before, each plus half the volume of bars whose close was unchanged.
  double risingVolumeSums[kMaxBars + 1];
  double fallingVolumeSums[kMaxBars + 1];
  // (high + low + close) / 3, truncated, and their running sums.
  int32_t typicalPrices[kMaxBars];
  double typicalPriceSums[kMaxBars + 1];
};

// Forgets every column and ties the set to bars (read when a column is built).
void ResetBarColumns(BarColumns* columns, const BarSeries& bars);
// The set with that column built.
const BarColumns& BuildBarColumn(BarColumns* columns, BarColumn column);
// Every column, sooner than one by one.
void BuildAllBarColumns(BarColumns* columns);
// A set of its own, for a kernel called on bars alone.
std::unique_ptr<BarColumns> MakeBarColumns(const BarSeries& bars);
