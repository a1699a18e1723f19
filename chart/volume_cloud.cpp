#include "chart/volume_cloud.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "common/file_io.h"

VolumeCloud gVolumeCloud = {};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kClearedColumnsBeyondView = 301;
constexpr double kBandIndexLimit = 1e6;

using WeightTable = std::array<std::array<double, kVolumeCloudWeightRows + 1>, kVolumeCloudWeightRows + 1>;

double RaisedCosineWeight(int n, int k) { return (1.0 - std::cos(2.0 * kPi * k / (n + 1))) / (n + 1); }

const WeightTable& Weights() {
  static const WeightTable table = [] {
    WeightTable t{};
    for (int n = 1; n <= kVolumeCloudWeightRows; ++n)
      for (int k = 1; k <= n; ++k) t[n][k] = RaisedCosineWeight(n, k);
    return t;
  }();
  return table;
}

double ScaleValue(double price, bool logScale) {
  if (!logScale) return price;
  return price > 0 ? std::log10(price) : 0.0;
}

// Band of a price, truncated toward zero like the bands are counted.
int BandOf(double price, double bottom, double bandSize, bool logScale) {
  const double band = (ScaleValue(price, logScale) - bottom) / bandSize;
  return static_cast<int>(std::clamp(band, -kBandIndexLimit, kBandIndexLimit));
}

struct BarSpread {
  int fromBand, toBand;
  double weights[kVolumeCloudBands];  // by band
};

// The bands a bar covers inside the pane and their weights; a bar reaching
// past the pane keeps the weights of its whole range.
bool SpreadBar(const PriceBar& bar, double bottom, double bandSize, bool logScale, BarSpread* spread) {
  int lo = BandOf(bar.low, bottom, bandSize, logScale);
  int hi = BandOf(bar.high, bottom, bandSize, logScale);
  if (hi < lo) std::swap(lo, hi);
  if (hi < 0 || lo >= kVolumeCloudBands) return false;
  const int n = hi - lo + 1;
  spread->fromBand = std::max(lo, 0);
  spread->toBand = std::min(hi, kVolumeCloudBands - 1);
  for (int b = spread->fromBand; b <= spread->toBand; ++b) spread->weights[b] = VolumeCloudWeight(n, b - lo + 1);
  return true;
}

void AddColumn(VolumeCloud* cloud, const BarSpread& spread, int column, double amount) {
  for (int b = spread.fromBand; b <= spread.toBand; ++b) cloud->bands[b]->values[column] += amount * spread.weights[b];
}

// Adds `amount`, falling by `decrement` per column, for up to `length`
// columns from `column`; returns the column after the last one added.
int AddFadingRun(VolumeCloud* cloud, const BarSpread& spread, int column, int length, double amount, double decrement) {
  for (int j = 0; j < length && column < cloud->columns && amount >= 1.0; ++j, ++column) {
    AddColumn(cloud, spread, column, amount);
    amount -= decrement;
  }
  return column;
}

void ScaleToTopLevel(VolumeCloud* cloud) {
  double greatest = 0;
  for (RealSeries* band : cloud->bands)
    for (int c = 0; c < cloud->columns; ++c) greatest = std::max(greatest, band->values[c]);
  if (greatest <= 0) return;
  const double factor = kVolumeCloudTopLevel / greatest;
  for (RealSeries* band : cloud->bands)
    for (int c = 0; c < cloud->columns; ++c) band->values[c] *= factor;
}

bool IsAllocated(const VolumeCloud& cloud) {
  return std::all_of(std::begin(cloud.bands), std::end(cloud.bands), [](RealSeries* b) { return b != nullptr; });
}

}  // namespace

bool AllocVolumeCloud(VolumeCloud* cloud) {
  for (RealSeries*& band : cloud->bands) {
    if (band == nullptr) band = static_cast<RealSeries*>(AllocBlock(sizeof(RealSeries)));
  }
  if (IsAllocated(*cloud)) return true;
  FreeVolumeCloud(cloud);
  return false;
}

void FreeVolumeCloud(VolumeCloud* cloud) {
  for (RealSeries*& band : cloud->bands) {
    FreeBlock(band);
    band = nullptr;
  }
  cloud->columns = 0;
}

double VolumeCloudWeight(int n, int k) {
  if (n < 1 || k < 1 || k > n) return 0.0;
  if (n <= kVolumeCloudWeightRows) return Weights()[n][k];
  return RaisedCosineWeight(n, k);
}

int VolumeCloudDecayBars(int period) {
  static constexpr int kDecay[] = {120, 27, 6};
  return kDecay[period >= 0 && period <= 2 ? period : 0];
}

void AccumulateVolumeCloud(const BarSeries& bars, const PaneRecord& pane, bool logScale, int period, int first,
                           int last, VolumeCloud* cloud) {
  cloud->columns = 0;
  cloud->firstBar = 0;
  if (!IsAllocated(*cloud) || last < first || first < 0) return;
  const int decay = VolumeCloudDecayBars(period);
  const int start = std::max(0, first - 2 * decay);
  const int cleared = std::min(last - first + kClearedColumnsBeyondView, kMaxBars);
  for (RealSeries* band : cloud->bands) std::fill(band->values, band->values + cleared, 0.0);
  const double bottom = logScale ? pane.log10Min : pane.minValue;
  const double top = logScale ? pane.log10Max : pane.maxValue;
  const double bandSize = (top - bottom) / kVolumeCloudBands;
  if (!(bandSize > 0)) return;
  cloud->firstBar = start;
  cloud->columns = std::min(last - start + 1, cleared);
  const int end = std::min(last, std::clamp(bars.count, 0, kMaxBars) - 1);
  BarSpread spread;
  for (int i = start; i <= end; ++i) {
    const double volume = bars.bars[i].volume;
    if (volume < 1 || !SpreadBar(bars.bars[i], bottom, bandSize, logScale, &spread)) continue;
    const int next = AddFadingRun(cloud, spread, i - start + 1, decay, volume, volume / (5.0 * decay));
    AddFadingRun(cloud, spread, next, decay, 0.2 * volume, 0.2 * volume / decay);
  }
  ScaleToTopLevel(cloud);
}

int VolumeCloudLevel(const VolumeCloud& cloud, int bar, int band) {
  const int column = bar - cloud.firstBar;
  if (column < 0 || column >= cloud.columns || band < 0 || band >= kVolumeCloudBands) return 0;
  const double value = cloud.bands[band]->values[column];
  return value >= 1.0 ? std::min(static_cast<int>(value), kVolumeCloudTopLevel) : 0;
}

VolumeCloudSource DescribeVolumeCloudSource(const BarSeries& bars, const PaneRecord& pane, bool logScale, int period,
                                            int first, int last) {
  VolumeCloudSource source{logScale,      period,        first,         last, pane.minValue,
                           pane.maxValue, pane.log10Min, pane.log10Max, {}};
  if (last < first || first < 0) return source;
  const int start = std::max(0, first - 2 * VolumeCloudDecayBars(period));
  const int end = std::min(last, std::clamp(bars.count, 0, kMaxBars) - 1);
  if (start <= end) source.bars.assign(bars.bars + start, bars.bars + end + 1);
  return source;
}

bool IsSameVolumeCloudSource(const VolumeCloudSource& a, const VolumeCloudSource& b) {
  return a.logScale == b.logScale && a.period == b.period && a.first == b.first && a.last == b.last &&
         a.minValue == b.minValue && a.maxValue == b.maxValue && a.log10Min == b.log10Min && a.log10Max == b.log10Max &&
         a.bars.size() == b.bars.size() &&
         (a.bars.empty() || memcmp(a.bars.data(), b.bars.data(), a.bars.size() * sizeof(PriceBar)) == 0);
}
