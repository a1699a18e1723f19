// Kernels kept in the library for indicator work that no step uses yet.
// Windows reaching before bar 0 or past the last bar take only the bars
// that exist.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "analysis/kernel_math.h"
#include "analysis/kernels.h"

namespace {

constexpr int32_t kHighLowPositionNeutral = 50;
constexpr int32_t kDistributionUpperPreset = 7000;
constexpr int32_t kDistributionLowerPreset = 3000;
constexpr int kDistributionTop = 10000;
constexpr int kBucketLevels = 100;
constexpr int kBucketCount = kDistributionTop / kBucketLevels + 1;

struct BarWindow {
  int first;
  int last;  // inclusive; below first when empty
};

BarWindow GetBarWindow(const BarSeries& bars, int i, int n) {
  return {std::max(0, i - n + 1), std::min(i, ClampKernelCount(bars.count) - 1)};
}

// Levels 0..10000 and their sums per hundred levels, so that a cumulative
// count is found in two short scans.
struct LevelHistogram {
  std::array<int32_t, kDistributionTop + 1> level;
  std::array<int32_t, kBucketCount> bucket;
};

int ClampLevel(int32_t value) { return std::clamp(value, 0, kDistributionTop); }

void AddLevel(LevelHistogram* histogram, int32_t value, int32_t delta) {
  const int level = ClampLevel(value);
  histogram->level[static_cast<size_t>(level)] += delta;
  histogram->bucket[static_cast<size_t>(level / kBucketLevels)] += delta;
}

// Highest level at which the count from the top reaches target; -1 when none.
int FindUpperLevel(const LevelHistogram& histogram, int64_t target) {
  int64_t counted = 0;
  for (int b = kBucketCount - 1; b >= 0; --b) {
    if (counted + histogram.bucket[static_cast<size_t>(b)] < target) {
      counted += histogram.bucket[static_cast<size_t>(b)];
      continue;
    }
    for (int level = std::min(kDistributionTop, b * kBucketLevels + kBucketLevels - 1);; --level) {
      counted += histogram.level[static_cast<size_t>(level)];
      if (counted >= target) return level;
    }
  }
  return -1;
}

// Lowest level at which the count from 0 reaches target; -1 when none.
int FindLowerLevel(const LevelHistogram& histogram, int64_t target) {
  int64_t counted = 0;
  for (int b = 0; b < kBucketCount; ++b) {
    if (counted + histogram.bucket[static_cast<size_t>(b)] < target) {
      counted += histogram.bucket[static_cast<size_t>(b)];
      continue;
    }
    for (int level = b * kBucketLevels;; ++level) {
      counted += histogram.level[static_cast<size_t>(level)];
      if (counted >= target) return level;
    }
  }
  return -1;
}

}  // namespace

int32_t HighestHighOverBars(const BarSeries& bars, int i, int n) {
  int32_t highest = 0;
  if (n < 1) return highest;
  const BarWindow window = GetBarWindow(bars, i, n);
  for (int k = window.first; k <= window.last; ++k) highest = std::max(highest, bars.bars[k].high);
  return highest;
}

int32_t LowestLowOverBars(const BarSeries& bars, int i, int n) {
  int32_t lowest = INT32_MAX;
  if (n < 1) return lowest;
  const BarWindow window = GetBarWindow(bars, i, n);
  for (int k = window.first; k <= window.last; ++k) lowest = std::min(lowest, bars.bars[k].low);
  return lowest;
}

int32_t AverageVolumeOverBars(const BarSeries& bars, int i, int n) {
  if (n < 1) return 0;
  const BarWindow window = GetBarWindow(bars, i, n);
  if (window.last < window.first) return 0;
  int64_t sum = 0;
  for (int k = window.first; k <= window.last; ++k) sum += bars.bars[k].volume;
  return TruncateKernelValue(static_cast<double>(sum) / (window.last - window.first + 1));
}

// Per bar |high - low| * 1000 / midpoint; a bar whose high + low is 0 adds 0.
int32_t AverageBarRangeRate(const BarSeries& bars, int i, int n) {
  if (n < 1) return 0;
  const BarWindow window = GetBarWindow(bars, i, n);
  if (window.last < window.first) return 0;
  double sum = 0.0;
  for (int k = window.first; k <= window.last; ++k) {
    const PriceBar& bar = bars.bars[k];
    const int64_t span = std::llabs(int64_t{bar.high} - bar.low);
    const int64_t both = int64_t{bar.high} + bar.low;
    if (both != 0) sum += static_cast<double>(span * 1000) / (static_cast<double>(both) * 0.5);
  }
  return TruncateKernelValue(sum / (window.last - window.first + 1));
}

void ComputeHighLowPosition(const BarSeries& bars, IntSeries* out, int n) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(bars.count);
  out->count = count;
  std::fill_n(out->values, std::min(n, count), kHighLowPositionNeutral);
  for (int i = n; i < count; ++i) {
    const int64_t highest = HighestHighOverBars(bars, i, n);
    const int64_t lowest = LowestLowOverBars(bars, i, n);
    out->values[i] = highest == lowest ? 0 : ClampKernelSum((highest - bars.bars[i].close) * 100 / (highest - lowest));
  }
}

// Input levels outside 0..10000 count at the nearer end; where the share is
// never reached (percent above 100) the preset stays.
void ComputeDistributionBands(const IntSeries& in, IntSeries* upper, IntSeries* lower, int n, int percent) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(in.count);
  upper->count = count;
  lower->count = count;
  std::fill_n(upper->values, count, kDistributionUpperPreset);
  std::fill_n(lower->values, count, kDistributionLowerPreset);
  if (count <= n) return;
  const int64_t target = int64_t{n} * percent / 100;
  LevelHistogram histogram{};
  for (int k = 1; k < n; ++k) AddLevel(&histogram, in.values[k], 1);
  for (int i = n; i < count; ++i) {
    AddLevel(&histogram, in.values[i], 1);
    const int top = FindUpperLevel(histogram, target);
    const int bottom = FindLowerLevel(histogram, target);
    if (top >= 0) upper->values[i] = top;
    if (bottom >= 0) lower->values[i] = bottom;
    AddLevel(&histogram, in.values[i - n + 1], -1);
  }
}
