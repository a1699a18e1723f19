// On-balance volume and the volume ratio.
#include <algorithm>

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

// Where bar k's volume goes: rise, fall or unchanged (against bar k - 1).
enum VolumeSide : int { kVolumeUp, kVolumeDown, kVolumeSame };

VolumeSide GetVolumeSide(const PriceBar* bar, int k) {
  if (bar[k].close > bar[k - 1].close) return kVolumeUp;
  if (bar[k].close < bar[k - 1].close) return kVolumeDown;
  return kVolumeSame;
}

// (up + same / 2) / (down + same / 2) in hundredths of a percent; 5.0 when
// nothing fell, 1.0 when nothing traded.
int32_t VolumeRatioOf(int64_t up, int64_t down, int64_t same) {
  const double rising = static_cast<double>(up) + static_cast<double>(same) / 2;
  const double falling = static_cast<double>(down) + static_cast<double>(same) / 2;
  double ratio;
  if (rising == 0 && falling == 0) {
    ratio = 1.0;
  } else if (rising > 0 && falling == 0) {
    ratio = 5.0;
  } else if (rising == 0 && falling > 0) {
    ratio = 0;
  } else {
    ratio = rising / falling;
  }
  return TruncateKernelValue(ratio * 100 * 100);
}

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
  int64_t sums[3] = {0, 0, 0};
  for (int k = 2; k <= n; ++k) sums[GetVolumeSide(bar, k)] += bar[k].volume;
  for (int i = n + 1; i < count; ++i) {
    sums[GetVolumeSide(bar, i)] += bar[i].volume;
    out->values[i] = VolumeRatioOf(sums[kVolumeUp], sums[kVolumeDown], sums[kVolumeSame]);
    sums[GetVolumeSide(bar, i - n + 1)] -= bar[i - n + 1].volume;
  }
  std::fill_n(out->values, n + 1, out->values[n + 1]);
}
