#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "chart/pane_pixels.h"
#include "chart/volume_cloud.h"

namespace {

// Price 1000..1500 over a plot of rows 0..100.
PaneRecord RangePane() {
  PaneRecord pane{};
  pane.plot = pane.fullPlot = {60, 0, 600, 100};
  pane.minValue = 1000;
  pane.maxValue = 1500;
  return pane;
}

using Runs = std::vector<std::array<int, 5>>;  // level, left, top, right, bottom

Runs Listed(const VolumeCloudRuns& runs) {
  Runs out;
  for (int level = 0; level <= kVolumeCloudTopLevel; ++level)
    for (const VolumeCloudCell& c : runs.byLevel[level]) out.push_back({level, c.left, c.top, c.right, c.bottom});
  return out;
}

class VolumeCloudRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocVolumeCloud(&cloud_));
    bars_->count = 400;
    for (int i = 0; i < bars_->count; ++i) {
      // Volumes and ranges that vary from bar to bar, so that levels change along every band.
      const int32_t low = 1000 + (i * 37) % 400;
      bars_->bars[i] = {0, low, low + 20 + (i * 13) % 80, low, low + 10, (i * 7919) % 5000};
    }
  }
  void TearDown() override { FreeVolumeCloud(&cloud_); }

  void Accumulate(int first, int last) { AccumulateVolumeCloud(*bars_, RangePane(), false, 0, first, last, &cloud_); }

  // The level every pixel of the plot's rows gets when each cell is filled on
  // its own at its place, as a grid of `width` columns left of x = right.
  std::vector<int> CellByCell(const VolumeCloudLayout& layout, int right, int width) const {
    std::vector<int> grid(static_cast<size_t>(width) * 100, 0);
    const int height = layout.plotBottom - layout.plotTop;
    for (int band = 0; band < kVolumeCloudBands; ++band) {
      const int top = layout.plotBottom - (band + 1) * height / kVolumeCloudBands;
      const int bottom = layout.plotBottom - band * height / kVolumeCloudBands;
      for (int bar = layout.first; bar <= std::min(layout.last, layout.count - 1); ++bar) {
        const int left = BarCentreX(layout.plotRight, layout.spacing, layout.last, bar) - layout.barWidth / 2;
        Fill(&grid, right, width, {left, top, left + layout.spacing, bottom}, VolumeCloudLevel(cloud_, bar, band));
      }
    }
    return grid;
  }

  // The same grid from the runs; false when two runs cover one pixel.
  static bool FilledByRuns(const VolumeCloudRuns& runs, int right, int width, std::vector<int>* grid) {
    grid->assign(static_cast<size_t>(width) * 100, 0);
    std::vector<int> times(grid->size(), 0);
    for (int level = 1; level <= kVolumeCloudTopLevel; ++level) {
      for (const VolumeCloudCell& c : runs.byLevel[level]) {
        Fill(grid, right, width, c, level);
        Fill(&times, right, width, c, -1);
      }
    }
    return std::all_of(times.begin(), times.end(), [](int t) { return t >= -1; }) && runs.byLevel[0].empty();
  }

  static void Fill(std::vector<int>* grid, int right, int width, const VolumeCloudCell& c, int level) {
    for (int y = std::max(c.top, 0); y < std::min(c.bottom, 100); ++y)
      for (int x = std::max(c.left, right - width); x < std::min(c.right, right); ++x) {
        int& pixel = (*grid)[static_cast<size_t>(y) * width + (x - (right - width))];
        pixel = level < 0 ? pixel + level : level;
      }
  }

  VolumeCloud cloud_{};
  std::unique_ptr<BarSeries> bars_ = std::make_unique<BarSeries>();
};

// The runs paint exactly what the cells would, one by one, wherever the
// series, the cloud's columns and the painted bars begin and end.
TEST_F(VolumeCloudRunsTest, RunsFillEveryPixelAsTheCellsWouldEachOnItsOwn) {
  const struct {
    const char* layoutName;
    int first, last;           // accumulated
    VolumeCloudLayout layout;  // painted
  } kCases[] = {
      {"bar width 1, spacing 3", 300, 399, {0, 100, 600, 3, 1, 300, 399, 400}},
      {"bar width 5, spacing 7", 330, 399, {0, 100, 600, 7, 5, 330, 399, 400}},
      {"last bar past the series", 300, 420, {0, 100, 600, 3, 1, 300, 420, 400}},
      {"painted bars before the cloud's columns", 300, 399, {0, 100, 600, 3, 1, 0, 399, 400}},
      {"painted bars past the cloud's columns", 200, 260, {0, 100, 600, 3, 1, 200, 399, 400}},
      {"from bar 0 on", 0, 150, {0, 100, 600, 3, 1, 0, 150, 400}},
      {"plot of fewer rows than bands", 300, 399, {70, 100, 600, 3, 1, 300, 399, 400}},
      {"no spacing", 300, 399, {0, 100, 600, 0, 1, 300, 399, 400}},
  };
  for (const auto& c : kCases) {
    Accumulate(c.first, c.last);
    VolumeCloudRuns runs;
    CollectVolumeCloudRuns(cloud_, c.layout, &runs);
    std::vector<int> byRuns;
    EXPECT_TRUE(FilledByRuns(runs, 600, 600, &byRuns)) << c.layoutName;
    EXPECT_EQ(byRuns, CellByCell(c.layout, 600, 600)) << c.layoutName;
  }
  // Neighbours of one level are joined: far fewer runs than cells of a level above 0.
  Accumulate(300, 399);
  VolumeCloudRuns runs;
  CollectVolumeCloudRuns(cloud_, {0, 100, 600, 3, 1, 300, 399, 400}, &runs);
  EXPECT_LT(Listed(runs).size(), 100u * kVolumeCloudBands / 4);
  // Cells far to the left are clamped onto one place: no longer neighbours,
  // each shaded one stays a run of its own.
  CollectVolumeCloudRuns(cloud_, {0, 100, 600, 1000, 1, 300, 3000, 400}, &runs);
  size_t shaded = 0;
  for (int bar = 300; bar <= 399; ++bar)
    for (int band = 0; band < kVolumeCloudBands; ++band) shaded += VolumeCloudLevel(cloud_, bar, band) > 0;
  const Runs listed = Listed(runs);
  EXPECT_EQ(listed.size(), shaded);
  for (const auto& run : listed) EXPECT_EQ(run[1] + 1000, run[3]);
  EXPECT_EQ(listed.front()[1], -kPixelOffsetLimit);
}

// The kept runs are those of the cloud as it is now, in the layout as it is now.
TEST_F(VolumeCloudRunsTest, KeptRunsAreCollectedAgainAfterTheCloudOrTheLayoutChanged) {
  const VolumeCloudLayout layout = {0, 100, 600, 3, 1, 300, 399, 400};
  const struct {
    const char* change;
    int first, last;    // accumulated again
    int32_t newVolume;  // -1: the bars as they were
    VolumeCloudLayout layout;
  } kCases[] = {
      {"nothing", 300, 399, -1, layout},
      {"a scroll", 299, 398, -1, {0, 100, 600, 3, 1, 299, 398, 400}},
      {"a new stock", 300, 399, 4000, layout},
      {"the plot taller", 300, 399, -1, {0, 120, 600, 3, 1, 300, 399, 400}},
      {"the plot wider", 300, 399, -1, {0, 100, 640, 3, 1, 300, 399, 400}},
      {"wider bars", 300, 399, -1, {0, 100, 600, 7, 5, 300, 399, 400}},
      {"fewer bars", 300, 399, -1, {0, 100, 600, 3, 1, 300, 399, 390}},
  };
  for (const auto& c : kCases) {
    SetUp();
    KeptVolumeCloudRuns kept{};
    Accumulate(300, 399);
    KeepVolumeCloudRuns(cloud_, layout, &kept);
    if (c.newVolume >= 0)
      for (int i = 0; i < bars_->count; ++i) bars_->bars[i].volume = (c.newVolume + i * 31) % 6000;
    if (c.first != 300 || c.newVolume >= 0) Accumulate(c.first, c.last);
    VolumeCloudRuns fresh;
    CollectVolumeCloudRuns(cloud_, c.layout, &fresh);
    EXPECT_EQ(Listed(KeepVolumeCloudRuns(cloud_, c.layout, &kept)), Listed(fresh)) << c.change;
    FreeVolumeCloud(&cloud_);
  }
}

}  // namespace
