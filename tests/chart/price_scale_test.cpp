#include "chart/price_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/pane_pixels.h"
#include "tests/support/row.h"

namespace {

constexpr int kT = 12;

// A linear price pane whose plot and scale span rows top..bottom.
PaneRecord LinearPane(int32_t minValue, int32_t maxValue, int top, int bottom) {
  PaneRecord pane{};
  pane.pane = {0, top, 600, bottom};
  pane.scale = {0, top, 60, bottom};
  pane.plot = pane.fullPlot = {60, top, 600, bottom};
  pane.minValue = minValue;
  pane.maxValue = maxValue;
  pane.valuePerPixel = static_cast<double>(maxValue - minValue) / (bottom - top);
  pane.log10Min = minValue > 0 ? std::log10(minValue) : 0.0;
  pane.log10Max = maxValue > 0 ? std::log10(maxValue) : 0.0;
  pane.logPerPixel = (pane.log10Max - pane.log10Min) / (bottom - top);
  return pane;
}

std::vector<int32_t> LabelValues(const PriceScaleMarks& marks) {
  std::vector<int32_t> values;
  for (int i = 0; i < marks.count; ++i) values.push_back(marks.marks[i].value);
  return values;
}

TEST(PriceScaleTest, NineHundredToThirteenHundredOnAHundredPixels) {
  const PaneRecord pane = LinearPane(900, 1300, 100, 200);
  PriceScaleMarks marks;
  ComputePriceScaleMarks(pane, false, kT, &marks);
  EXPECT_EQ(LabelValues(marks), (std::vector<int32_t>{900, 1000, 1300}));
  // 900 sits on the bottom, its label moved up inside the scale; 1,300 on the top.
  EXPECT_EQ(Row(marks.marks[0].y, marks.marks[0].label.bottom, marks.marks[1].y, marks.marks[1].label.top),
            Row(200, 199, 175, 169));
  EXPECT_EQ(Row(marks.marks[2].y, marks.marks[2].label.top), Row(100, 101));
  for (int i = 0; i < marks.count; ++i)
    EXPECT_EQ(Row(marks.marks[i].labelled, marks.marks[i].label.left, marks.marks[i].label.right), Row(true, 0, 56));
}

TEST(PriceScaleTest, AMaximumBelowFiveHasNoLabelAndNoScaleHasNoLabel) {
  PaneRecord unscaled = LinearPane(0, 1000, 0, 100);
  unscaled.valuePerPixel = 0;  // never computed
  for (const PaneRecord& pane : {LinearPane(0, 4, 0, 100), unscaled, LinearPane(0, 1000, 100, 100)}) {
    PriceScaleMarks marks;
    ComputePriceScaleMarks(pane, false, kT, &marks);
    EXPECT_EQ(marks.count, 0) << pane.maxValue;
  }
}

TEST(PriceScaleTest, LabelsNeverOverlapNeverExceedFiftyAndStopPastThirtyPercent) {
  std::mt19937 random(11);
  for (int round = 0; round < 400; ++round) {
    const int height = 20 + static_cast<int>(random() % 4000);
    const int32_t low = static_cast<int32_t>(random() % 200000);
    const int32_t high = low + 10 + static_cast<int32_t>(random() % 5000000);
    const bool log = round % 3 == 0 && low > 0;
    const PaneRecord pane = LinearPane(low, high, 0, height);
    PriceScaleMarks marks;
    ComputePriceScaleMarks(pane, log, kT, &marks);
    ASSERT_LE(marks.count, kMaxScaleLabels);
    int covered = 0;
    for (int i = 0; i < marks.count; ++i) {
      const ScaleMark& a = marks.marks[i];
      covered += a.label.bottom - a.label.top;
      EXPECT_TRUE(a.value >= low && a.value <= high) << round;
      EXPECT_EQ(a.y, PaneValueY(pane, log, a.value));
      for (int j = 0; j < i; ++j) {
        const ScaleMark& b = marks.marks[j];
        EXPECT_FALSE(a.label.top < b.label.bottom && b.label.top < a.label.bottom) << round;
      }
    }
    // The finest step used may pass 30 %, but all but its last label stayed below.
    EXPECT_TRUE(marks.count <= 1 || marks.count == kMaxScaleLabels || covered * 100 / height > 0) << round;
  }
  PriceScaleMarks tall;
  ComputePriceScaleMarks(LinearPane(0, 100000, 0, 5000), false, kT, &tall);
  EXPECT_EQ(tall.count, kMaxScaleLabels);
}

// The tick grid as plainly written: every tick, one line per pixel row.
std::vector<ScaleMark> PlainTickGrid(const PaneRecord& pane, bool log, int stockIndex, int market, bool reference) {
  std::vector<ScaleMark> marks;
  int64_t v = reference ? 10 * (pane.minValue / 10) : pane.minValue;
  if (!reference) {
    const int32_t step = GetPriceTickStep(stockIndex, pane.minValue, market);
    while (v % step != 0) ++v;
  }
  int lastTop = pane.scale.bottom + 10;
  int lastY = INT_MAX;
  for (; v <= pane.maxValue; v += reference ? 10 : GetPriceTickStep(stockIndex, static_cast<int32_t>(v), market)) {
    const int y = PaneValueY(pane, log, static_cast<double>(v));
    if (y == lastY) continue;
    ScaleMark mark{
        static_cast<int32_t>(v), y, {pane.scale.left, y - kT / 2, pane.scale.right - 4, y - kT / 2 + kT}, false};
    mark.labelled = mark.label.bottom <= lastTop;
    if (mark.labelled) lastTop = mark.label.top;
    marks.push_back(mark);
    lastY = y;
  }
  return marks;
}

TEST(PriceScaleTest, TickGridSkipsTicksOnDrawnRowsButDrawsEveryRowATickLiesOn) {
  auto marks = std::make_unique<TickGridMarks>();
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const int height = 30 + static_cast<int>(random() % 700);
    const int32_t low = 1 + static_cast<int32_t>(random() % 60000);
    const int32_t high = low + 5 + static_cast<int32_t>(random() % (round % 2 == 0 ? 400 : 20000));
    const bool log = round % 4 == 1;
    const bool reference = round % 5 == 0;
    const int market = round % 7 == 0 ? 6 : 1;
    const PaneRecord pane = LinearPane(low, high, 40, 40 + height);
    ComputeTickGridMarks(pane, log, kT, -1, market, reference, marks.get());
    const std::vector<ScaleMark> plain = PlainTickGrid(pane, log, -1, market, reference);
    ASSERT_EQ(marks->count, static_cast<int>(plain.size())) << round;
    for (int i = 0; i < marks->count; ++i) {
      EXPECT_EQ(marks->marks[i].value, plain[i].value) << round << " " << i;
      EXPECT_EQ(Row(marks->marks[i].y, marks->marks[i].labelled), Row(plain[i].y, plain[i].labelled));
    }
  }
}

TEST(PriceScaleTest, TickGridOfAWideIndexRangeDrawsAtMostOneLinePerRow) {
  auto marks = std::make_unique<TickGridMarks>();
  const PaneRecord pane = LinearPane(1000, 20000000, 0, 300);  // step 1 for an index: 20 million ticks
  ComputeTickGridMarks(pane, false, kT, -1, 6, false, marks.get());
  EXPECT_TRUE(marks->count > 250 && marks->count <= 301) << marks->count;
  for (int i = 1; i < marks->count; ++i) EXPECT_LT(marks->marks[i].y, marks->marks[i - 1].y);
}

}  // namespace
