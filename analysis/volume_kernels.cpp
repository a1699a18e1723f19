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

}  // namespace

// Always writes the whole series; sums run in 64 bits and saturate. The
// scaled volumes are used as they come, so no scratch series is needed.
void ComputeObv(const BarSeries& bars, IntSeries* out, int tradingUnit, KernelScratchSet& /*scratch*/) {
  const int count = ClampKernelCount(bars.count);
  out->count = count;
  if (count == 0) return;
  // A volume is below 2^53, so its truncated double quotient is the integer
  // division's, which takes longer.
  const double unit = static_cast<double>(FindObvVolumeUnit(bars, count, tradingUnit));
  const PriceBar* bar = bars.bars;
  int64_t balance = 0;
  out->values[0] = 0;
  for (int i = 1; i < count; ++i) {
    const int64_t scaled = static_cast<int64_t>(bar[i].volume / unit);
    if (bar[i].close > bar[i - 1].close) balance += scaled;
    if (bar[i].close < bar[i - 1].close) balance -= scaled;
    out->values[i] = ClampKernelSum(balance);
  }
}

void ComputeVolumeRatio(const BarSeries& bars, IntSeries* out, int n) {
  ComputeVolumeRatioFromColumns(MakeBarColumns(bars).get(), out, n);
}

// Bar i's window holds bars i - n + 1..i, each against the bar before.
void ComputeVolumeRatioFromColumns(BarColumns* columns, IntSeries* out, int n) {
  const BarColumns& c = BuildBarColumn(columns, kColumnSideVolumes);
  n = ClampKernelPeriod(n);
  const int count = c.count;
  out->count = count;
  if (count <= n + 1) {
    std::fill_n(out->values, count, kVolumeRatioNeutral);
    return;
  }
  const double* rising = c.risingVolumeSums;
  const double* falling = c.fallingVolumeSums;
  for (int i = n + 1; i < count; ++i)
    out->values[i] = VolumeRatioOf(rising[i] - rising[i - n], falling[i] - falling[i - n]);
  std::fill_n(out->values, n + 1, out->values[n + 1]);
}
