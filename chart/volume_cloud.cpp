#include "chart/volume_cloud.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "chart/pane_pixels.h"
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

// Each cell's level as VolumeCloudLevel answers it, worked out once: a
// conversion from double costs more than a byte read at every paint.
void MakeLevels(VolumeCloud* cloud) {
  for (int b = 0; b < kVolumeCloudBands; ++b) {
    const double* values = cloud->bands[b]->values;
    uint8_t* levels = cloud->levels + static_cast<size_t>(b) * kMaxBars;
    for (int c = 0; c < cloud->columns; ++c)
      levels[c] =
          static_cast<uint8_t>(values[c] >= 1.0 ? std::min(static_cast<int>(values[c]), kVolumeCloudTopLevel) : 0);
  }
}

bool IsAllocated(const VolumeCloud& cloud) {
  return cloud.levels != nullptr &&
         std::all_of(std::begin(cloud.bands), std::end(cloud.bands), [](RealSeries* b) { return b != nullptr; });
}

void KeepRun(VolumeCloudRuns* runs, int level, const VolumeCloudCell& cell) {
  if (level <= 0 || level > kVolumeCloudTopLevel || cell.left >= cell.right) return;
  runs->byLevel[level].push_back(cell);
}

// One band's cells from the right to the left, each placed on its own;
// neighbours of one level make one run.
void CollectBandCellByCell(const VolumeCloud& cloud, const VolumeCloudLayout& layout, int band, int top, int bottom,
                           VolumeCloudRuns* runs) {
  VolumeCloudCell run = {0, top, 0, bottom};
  int runLevel = 0;
  for (int bar = std::min(layout.last, layout.count - 1); bar >= layout.first; --bar) {
    const int left = BarCentreX(layout.plotRight, layout.spacing, layout.last, bar) - layout.barWidth / 2;
    const int level = VolumeCloudLevel(cloud, bar, band);
    if (level == runLevel && left + layout.spacing == run.left) {
      run.left = left;
      continue;
    }
    KeepRun(runs, runLevel, run);
    run = {left, top, left + layout.spacing, bottom};
    runLevel = level;
  }
  KeepRun(runs, runLevel, run);
}

// The same where no cell's place is clamped: the cells then stand exactly
// one spacing apart, so only a change of level ends a run, and the cells
// outside the used columns are level 0 and make none.
void CollectBandByLevels(const VolumeCloud& cloud, const VolumeCloudLayout& layout, int band, int top, int bottom,
                         VolumeCloudRuns* runs) {
  const int from = std::min({layout.last, layout.count - 1, cloud.firstBar + cloud.columns - 1});
  const int to = std::max(layout.first, cloud.firstBar);
  if (from < to) return;
  const int fromLeft = BarCentreX(layout.plotRight, layout.spacing, layout.last, from) - layout.barWidth / 2;
  const uint8_t* levels = cloud.levels + static_cast<size_t>(band) * kMaxBars;
  int runRight = from;
  for (int bar = from; bar >= to; --bar) {
    const int level = levels[bar - cloud.firstBar];
    if (bar > to && levels[bar - 1 - cloud.firstBar] == level) continue;
    const int right = fromLeft - (from - runRight) * layout.spacing + layout.spacing;
    KeepRun(runs, level, {fromLeft - (from - bar) * layout.spacing, top, right, bottom});
    runRight = bar - 1;
  }
}

// Whether every cell from bar `from` down to `to` lies where BarCentreX need not clamp it.
bool AreCellsUnclamped(const VolumeCloudLayout& layout, int from, int to) {
  const auto unclamped = [&](int bar) {
    const int64_t x = static_cast<int64_t>(layout.plotRight) + layout.spacing / 2 - 2 -
                      (static_cast<int64_t>(layout.last) - bar + 1) * layout.spacing;
    return x > -kPixelOffsetLimit && x < kPixelOffsetLimit;
  };
  return from < to || (unclamped(from) && unclamped(to));
}

}  // namespace

bool AllocVolumeCloud(VolumeCloud* cloud) {
  for (RealSeries*& band : cloud->bands) {
    if (band == nullptr) band = static_cast<RealSeries*>(AllocBlock(sizeof(RealSeries)));
  }
  if (cloud->levels == nullptr)
    cloud->levels = static_cast<uint8_t*>(AllocBlock(static_cast<size_t>(kVolumeCloudBands) * kMaxBars));
  if (IsAllocated(*cloud)) return true;
  FreeVolumeCloud(cloud);
  return false;
}

void FreeVolumeCloud(VolumeCloud* cloud) {
  for (RealSeries*& band : cloud->bands) {
    FreeBlock(band);
    band = nullptr;
  }
  FreeBlock(cloud->levels);
  cloud->levels = nullptr;
  cloud->columns = 0;
  ++cloud->generation;
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
  ++cloud->generation;
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
  MakeLevels(cloud);
}

int VolumeCloudLevel(const VolumeCloud& cloud, int bar, int band) {
  const int column = bar - cloud.firstBar;
  if (column < 0 || column >= cloud.columns || band < 0 || band >= kVolumeCloudBands) return 0;
  return cloud.levels[static_cast<size_t>(band) * kMaxBars + column];
}

bool IsSameVolumeCloudLayout(const VolumeCloudLayout& a, const VolumeCloudLayout& b) {
  return a.plotTop == b.plotTop && a.plotBottom == b.plotBottom && a.plotRight == b.plotRight &&
         a.spacing == b.spacing && a.barWidth == b.barWidth && a.first == b.first && a.last == b.last &&
         a.count == b.count;
}

void CollectVolumeCloudRuns(const VolumeCloud& cloud, const VolumeCloudLayout& layout, VolumeCloudRuns* runs) {
  for (std::vector<VolumeCloudCell>& level : runs->byLevel) level.clear();
  if (!IsAllocated(cloud) || cloud.columns <= 0) return;
  const int height = layout.plotBottom - layout.plotTop;
  const bool unclamped = AreCellsUnclamped(layout, std::min(layout.last, layout.count - 1), layout.first);
  for (int band = 0; band < kVolumeCloudBands; ++band) {
    const int top = layout.plotBottom - (band + 1) * height / kVolumeCloudBands;
    const int bottom = layout.plotBottom - band * height / kVolumeCloudBands;
    if (top >= bottom) continue;
    if (unclamped)
      CollectBandByLevels(cloud, layout, band, top, bottom, runs);
    else
      CollectBandCellByCell(cloud, layout, band, top, bottom, runs);
  }
}

const VolumeCloudRuns& KeepVolumeCloudRuns(const VolumeCloud& cloud, const VolumeCloudLayout& layout,
                                           KeptVolumeCloudRuns* kept) {
  if (!kept->filled || kept->cloud != &cloud || kept->generation != cloud.generation ||
      !IsSameVolumeCloudLayout(kept->layout, layout)) {
    CollectVolumeCloudRuns(cloud, layout, &kept->runs);
    kept->cloud = &cloud;
    kept->generation = cloud.generation;
    kept->layout = layout;
    kept->filled = true;
  }
  return kept->runs;
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
