// On-balance volume and the volume ratio.
#include <algorithm>
#include <limits>

#include "analysis/kernel_math.h"
#include "analysis/kernels.h"
#include "data/stock_table.h"

namespace {

constexpr int kObvUnitBars = 20;
constexpr int64_t kObvLargeVolume = 200000;
constexpr int64_t kObvHugeVolume = 2000000;
constexpr int32_t kVolumeRatioNeutral = 10000;

// The trading unit, made ten or a hundred times coarser for heavily traded
// stocks (by the volume of the first 20 bars).
int64_t FindObvVolumeUnit(const BarSeries& bars, int count, int tradingUnit) {
  int64_t unit = tradingUnit > 0 ? tradingUnit : kDefaultTradingUnit;
  int64_t volume = 0;
  for (int i = 0; i < std::min(count, kObvUnitBars); ++i) volume += bars.bars[i].volume;
  if (volume >= kObvLargeVolume) unit *= volume < kObvHugeVolume ? 10 : 100;
  return unit;
}

// Bar k's volume by where it goes against bar k - 1: rise, fall or unchanged.
// Masks rather than branches: rises and falls alternate unpredictably.
struct SideVolumes {
  int64_t up;
  int64_t down;
  int64_t same;
};

SideVolumes GetSideVolumes(const PriceBar* bar, int k) {
  const int64_t volume = bar[k].volume;
  const int64_t up = volume & -static_cast<int64_t>(bar[k].close > bar[k - 1].close);
  const int64_t down = volume & -static_cast<int64_t>(bar[k].close < bar[k - 1].close);
  return {up, down, volume - up - down};
}

void AddSideVolumes(SideVolumes* sums, const SideVolumes& bar, int64_t sign) {
  sums->up += sign * bar.up;
  sums->down += sign * bar.down;
  sums->same += sign * bar.same;
}

// (up + same / 2) / (down + same / 2) in hundredths of a percent; 5.0 when
// nothing fell, 1.0 when nothing traded. Halves of 64-bit sums are exact in
// double. Written with clamps rather than choices, so that the division is
// made in every case and the compiler vectorises it: with falling 0 the
// ratio is the fixed one (0 or above, 5.0 or below, or minus infinity for a
// negative rising, as rising / 0 gives), otherwise the quotient, never NaN.
int32_t VolumeRatioOf(double rising, double falling) {
  const bool none = falling == 0.0;
  const double quotient = rising / (falling + (none ? 1.0 : 0.0));
  const double fixed = rising == 0.0 ? 1.0 : rising > 0.0 ? 5.0 : -std::numeric_limits<double>::infinity();
  const double lowest = none ? fixed : -std::numeric_limits<double>::infinity();
  const double highest = none ? fixed : std::numeric_limits<double>::infinity();
  return TruncateIntoRange(std::clamp(quotient, lowest, highest) * 100 * 100, INT32_MIN, INT32_MAX);
}

struct VolumeRatioBlock {
  double rising[kKernelBlockBars];
  double falling[kKernelBlockBars];
};

}  // namespace

// Always writes the whole series; sums run in 64 bits and saturate. The
// scaled volumes are used as they come, so no scratch series is needed.
void ComputeObv(const BarSeries& bars, IntSeries* out, int tradingUnit, KernelScratchSet& /*scratch*/) {
  const int count = ClampKernelCount(bars.count);
  out->count = count;
  if (count == 0) return;
  const int64_t unit = FindObvVolumeUnit(bars, count, tradingUnit);
  const PriceBar* bar = bars.bars;
  int64_t balance = 0;
  out->values[0] = 0;
  for (int i = 1; i < count; ++i) {
    const int64_t scaled = bar[i].volume / unit;
    if (bar[i].close > bar[i - 1].close) balance += scaled;
    if (bar[i].close < bar[i - 1].close) balance -= scaled;
    out->values[i] = ClampKernelSum(balance);
  }
}

// Running up, down and unchanged volumes over the last n bars.
void ComputeVolumeRatio(const BarSeries& bars, IntSeries* out, int n) {
  n = ClampKernelPeriod(n);
  const int count = ClampKernelCount(bars.count);
  out->count = count;
  if (count <= n + 1) {
    std::fill_n(out->values, count, kVolumeRatioNeutral);
    return;
  }
  const PriceBar* bar = bars.bars;
  SideVolumes sums = {0, 0, 0};
  for (int k = 2; k <= n; ++k) AddSideVolumes(&sums, GetSideVolumes(bar, k), 1);
  VolumeRatioBlock block;
  for (int from = n + 1; from < count; from += kKernelBlockBars) {
    const int length = std::min(kKernelBlockBars, count - from);
    for (int k = 0; k < length; ++k) {
      const int i = from + k;
      AddSideVolumes(&sums, GetSideVolumes(bar, i), 1);
      const double half = static_cast<double>(sums.same) / 2;
      block.rising[k] = static_cast<double>(sums.up) + half;
      block.falling[k] = static_cast<double>(sums.down) + half;
      AddSideVolumes(&sums, GetSideVolumes(bar, i - n + 1), -1);
    }
    for (int k = 0; k < length; ++k) out->values[from + k] = VolumeRatioOf(block.rising[k], block.falling[k]);
  }
  std::fill_n(out->values, n + 1, out->values[n + 1]);
}
