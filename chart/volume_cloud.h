#pragma once
// The volume cloud of a candle pane: each bar's volume spread over the price
// bands its range covers and carried to the right with a fading weight, then
// scaled to 33 grey levels.
#include <cstdint>
#include <vector>

#include "analysis/series_buffers.h"
#include "chart/chart_context.h"
#include "records/price_series.h"

constexpr int kVolumeCloudBands = 50;
constexpr int kVolumeCloudTopLevel = 32;
constexpr int kVolumeCloudWeightRows = kVolumeCloudBands + 1;  // a bar may cover all 50 bands

// The accumulators: column c of every band stands for bar firstBar + c.
struct VolumeCloud {
  RealSeries* bands[kVolumeCloudBands];
  uint8_t* levels;  // kVolumeCloudBands rows of kMaxBars grey levels, made as the bands are scaled
  int32_t firstBar;
  int32_t columns;      // columns in use
  uint32_t generation;  // counts the accumulations: what was drawn from an older one is stale
};

extern VolumeCloud gVolumeCloud;  // the painters' one, allocated on first use

bool AllocVolumeCloud(VolumeCloud* cloud);
void FreeVolumeCloud(VolumeCloud* cloud);

// Weight k (1..n) of a bar covering n bands: (1 - cos(2 pi k / (n + 1))) / (n + 1),
// a raised-cosine bell summing to 1. Taken from a table for n up to 50.
double VolumeCloudWeight(int n, int k);
// Bars of decay: 120 daily, 27 weekly, 6 monthly.
int VolumeCloudDecayBars(int period);

// Fills the accumulators for bars first..last of the pane and scales them so
// that the greatest value is 32. Nothing is accumulated without a price range.
void AccumulateVolumeCloud(const BarSeries& bars, const PaneRecord& pane, bool logScale, int period, int first,
                           int last, VolumeCloud* cloud);
// Grey level 0..32 of a bar's band; 0 outside the used columns.
int VolumeCloudLevel(const VolumeCloud& cloud, int bar, int band);

// Where the cells fall on a pane: bar `bar`'s cell starts at
// BarCentreX(plotRight, spacing, last, bar) - barWidth / 2 and is `spacing`
// wide; band b spans its share of the plot's height, band 0 at the bottom.
struct VolumeCloudLayout {
  int32_t plotTop, plotBottom, plotRight;
  int32_t spacing, barWidth;
  int32_t first, last;  // the bars painted
  int32_t count;        // bars of the series: none past it is painted
};
bool IsSameVolumeCloudLayout(const VolumeCloudLayout& a, const VolumeCloudLayout& b);

struct VolumeCloudCell {
  int32_t left, top, right, bottom;
};
// Neighbouring cells of one level and band joined into one rectangle, by
// level (level 0 is not drawn); no two of them overlap.
struct VolumeCloudRuns {
  std::vector<VolumeCloudCell> byLevel[kVolumeCloudTopLevel + 1];
};
void CollectVolumeCloudRuns(const VolumeCloud& cloud, const VolumeCloudLayout& layout, VolumeCloudRuns* runs);

// The runs of a kept cloud: collected again only after the cloud was
// accumulated again or the layout changed, so an unchanged repaint only fills them.
struct KeptVolumeCloudRuns {
  bool filled;
  const VolumeCloud* cloud;
  uint32_t generation;
  VolumeCloudLayout layout;
  VolumeCloudRuns runs;
};
const VolumeCloudRuns& KeepVolumeCloudRuns(const VolumeCloud& cloud, const VolumeCloudLayout& layout,
                                           KeptVolumeCloudRuns* kept);

// Everything AccumulateVolumeCloud reads for one call: the same source
// gives the same cloud, so a repaint of an unchanged view keeps its cloud.
struct VolumeCloudSource {
  bool logScale;
  int32_t period, first, last;
  int32_t minValue, maxValue;
  double log10Min, log10Max;
  std::vector<PriceBar> bars;  // those the call reads, the fading runs' start included
};
VolumeCloudSource DescribeVolumeCloudSource(const BarSeries& bars, const PaneRecord& pane, bool logScale, int period,
                                            int first, int last);
bool IsSameVolumeCloudSource(const VolumeCloudSource& a, const VolumeCloudSource& b);
