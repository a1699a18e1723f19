// Line points, candles and volume bars worked out with the pane's scale taken
// once and bar centres found by stepping, against the one-value formulas they
// stand for: every row and column must be the same, to the pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "chart/pane_levels.h"
#include "chart/pane_pixels.h"
#include "tests/support/row.h"

namespace {

// ---- The one-value formulas --------------------------------------------------

double FormulaOffset(const PaneRecord& pane, bool logScale, double value) {
  const auto clamped = [](double offset) {
    if (!std::isfinite(offset)) return offset > 0 ? kPixelOffsetLimit : (offset < 0 ? -kPixelOffsetLimit : 0.0);
    return std::clamp(offset, -static_cast<double>(kPixelOffsetLimit), static_cast<double>(kPixelOffsetLimit));
  };
  if (logScale) {
    if (!(pane.logPerPixel > 0)) return 0.0;
    return clamped(((value > 0 ? std::log10(value) : 0.0) - pane.log10Min) / pane.logPerPixel);
  }
  if (!(pane.valuePerPixel > 0)) return 0.0;
  return clamped((value - pane.minValue) / pane.valuePerPixel);
}

int FormulaY(const PaneRecord& pane, bool logScale, double value) {
  return pane.plot.bottom - static_cast<int>(FormulaOffset(pane, logScale, value));
}

int FormulaTrunc(double value) {
  constexpr double kLimit = 2.0 * kPixelOffsetLimit;
  return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

int FormulaIndicatorY(const PaneRecord& pane, int32_t value) {
  const int y = pane.plot.bottom - FormulaTrunc(FormulaOffset(pane, false, value)) - 1;
  return y <= pane.plot.top ? pane.plot.top + 1 : y;
}

int FormulaBarCentreX(int plotRight, int spacing, int last, int bar) {
  const int64_t x =
      static_cast<int64_t>(plotRight) + spacing / 2 - 2 - (static_cast<int64_t>(last) - bar + 1) * spacing;
  return static_cast<int>(std::clamp<int64_t>(x, -kPixelOffsetLimit, kPixelOffsetLimit));
}

int FormulaVolumeTop(const PaneRecord& pane, int32_t volume) {
  const int top = FormulaTrunc(pane.plot.bottom - FormulaOffset(pane, false, volume));
  return top >= pane.plot.bottom ? pane.plot.bottom - 1 : top;
}

// ---- Panes and values ----------------------------------------------------------

struct PaneCase {
  const char* name;
  int top, height;
  int32_t min, max;
  double valuePerPixel, logPerPixel;  // NaN: from the range and the height
};

constexpr double kFromRange = std::numeric_limits<double>::quiet_NaN();

PaneRecord ScaledPane(const PaneCase& c) {
  PaneRecord pane{};
  pane.plot = pane.fullPlot = pane.pane = {60, c.top, 600, c.top + c.height};
  pane.minValue = c.min;
  pane.maxValue = c.max;
  pane.log10Min = c.min > 0 ? std::log10(c.min) : 0.0;
  pane.log10Max = c.max > 0 ? std::log10(c.max) : 0.0;
  const double h = std::max(c.height, 1);
  pane.valuePerPixel = std::isnan(c.valuePerPixel) ? (static_cast<double>(c.max) - c.min) / h : c.valuePerPixel;
  pane.logPerPixel = std::isnan(c.logPerPixel) ? (pane.log10Max - pane.log10Min) / h : c.logPerPixel;
  return pane;
}

const PaneCase kPanes[] = {
    {"4 a pixel", 100, 100, 900, 1300, kFromRange, kFromRange},
    {"oscillator", 20, 200, 0, 10000, kFromRange, kFromRange},
    {"int32 ends", 0, 100, INT_MIN, INT_MAX, kFromRange, kFromRange},
    {"negative and zero", 50, 90, -500, 500, kFromRange, kFromRange},
    {"below 1 a pixel", 30, 300, 7, 11, kFromRange, kFromRange},
    {"seven rows", 0, 7, -3, 4, kFromRange, kFromRange},
    {"flat, overflowing", 20, 200, 100, 100, 1e-300, 1e-300},
    {"no scale", 20, 200, 100, 900, 0.0, 0.0},
    {"negative scale", 20, 200, 100, 900, -2.0, -0.5},
    {"far down", (1 << 20) - 50, 40, 1, 1000000, kFromRange, kFromRange},
    {"above the window", -(1 << 20), 500, 1000, 5000, kFromRange, kFromRange},
};

// The int32 ends, zero, both sides of every row boundary and a spread of others.
std::vector<int32_t> IntValues(const PaneRecord& pane, int height) {
  std::vector<int64_t> wide = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
  for (const int64_t end : {int64_t{pane.minValue}, int64_t{pane.maxValue}})
    wide.insert(wide.end(), {end - 1, end, end + 1});
  if (pane.valuePerPixel > 0 && std::isfinite(pane.valuePerPixel)) {
    std::vector<int> rows = {-kPixelOffsetLimit - 1, -kPixelOffsetLimit, -kPixelOffsetLimit + 1,
                             kPixelOffsetLimit - 1,  kPixelOffsetLimit,  kPixelOffsetLimit + 1};
    for (int row = -2; row <= height + 2; ++row) rows.push_back(row);
    for (const int row : rows) {
      const double edge = pane.minValue + row * pane.valuePerPixel;
      if (std::fabs(edge) > 3e9) continue;
      for (int64_t d = -1; d <= 1; ++d) wide.push_back(static_cast<int64_t>(std::floor(edge)) + d);
    }
  }
  std::mt19937 random(11);
  const int64_t span = std::max<int64_t>(int64_t{pane.maxValue} - pane.minValue, 1);
  for (int i = 0; i < 200; ++i) {
    wide.push_back(std::uniform_int_distribution<int64_t>(pane.minValue - span, pane.maxValue + span)(random));
    wide.push_back(std::uniform_int_distribution<int64_t>(INT32_MIN, INT32_MAX)(random));
  }
  std::vector<int32_t> values;
  for (int64_t v : wide) values.push_back(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
  return values;
}

// The integers as doubles, with the values no series should hold and exact
// row edges with their neighbours.
std::vector<double> RealValues(const PaneRecord& pane, int height) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::vector<double> values = {
      std::numeric_limits<double>::quiet_NaN(), kInf, -kInf, 1e300, -1e300, -0.0, 1e-310, 0.5, 1.5};
  for (int32_t v : IntValues(pane, height)) values.push_back(v);
  for (int row = -1; row <= height + 1; ++row) {
    for (const double edge :
         {pane.minValue + row * pane.valuePerPixel, std::pow(10.0, pane.log10Min + row * pane.logPerPixel)}) {
      values.push_back(edge);
      values.push_back(std::nextafter(edge, kInf));
      values.push_back(std::nextafter(edge, -kInf));
    }
  }
  return values;
}

// ---- Comparisons -----------------------------------------------------------------

TEST(PanePointsTest, AScaleTakenOnceGivesEveryValueTheRowOfItsOwnFormula) {
  for (const PaneCase& c : kPanes) {
    const PaneRecord pane = ScaledPane(c);
    int compared = 0;
    for (const bool log : {false, true}) {
      const PaneValueScale scale = PreparePaneValueScale(pane, log);
      for (const double v : RealValues(pane, c.height)) {
        const double expected = FormulaOffset(pane, log, v);
        ASSERT_EQ(ScaledValueOffset(scale, v), expected) << c.name << " log " << log << " value " << v;
        ASSERT_EQ(PaneValueOffset(pane, log, v), expected) << c.name << " log " << log << " value " << v;
        ASSERT_EQ(Row(ScaledValueY(scale, v), PaneValueY(pane, log, v)),
                  Row(FormulaY(pane, log, v), FormulaY(pane, log, v)))
            << c.name << " log " << log << " value " << v;
        ++compared;
      }
    }
    const IndicatorLineScale line = PrepareIndicatorLineScale(pane);
    const PaneValueScale linear = PreparePaneValueScale(pane, false), log = PreparePaneValueScale(pane, true);
    for (const int32_t v : IntValues(pane, c.height)) {
      ASSERT_EQ(Row(ScaledWholeValueY(linear, v), ScaledWholeValueY(log, v)),
                Row(FormulaY(pane, false, v), FormulaY(pane, true, v)))
          << c.name << " value " << v;
      ASSERT_EQ(Row(IndicatorLineY(line, v), IndicatorPointY(pane, v)),
                Row(FormulaIndicatorY(pane, v), FormulaIndicatorY(pane, v)))
          << c.name << " value " << v;
      const Rect bar = VolumeBarRect(linear, 300, 5, v);
      ASSERT_EQ(Row(bar.left, bar.top, bar.right, bar.bottom),
                Row(298, FormulaVolumeTop(pane, v), 303, pane.plot.bottom))
          << c.name << " volume " << v;
      ASSERT_EQ(VolumeBarRect(pane, 300, 5, v).top, bar.top) << c.name << " volume " << v;
    }
    EXPECT_GT(compared, 400) << c.name;
  }
}

// Walking left from any bar, near or far off the plot, at every spacing; the
// walks that end one pixel past a limit, or start one past it, are held there.
TEST(PanePointsTest, StepsOfTheSpacingLandOnEveryBarCentreAndStayHeldAtTheLimits) {
  std::vector<int> spacings;
  for (int p = 1; p <= 21; ++p) spacings.push_back(p);
  spacings.push_back(1000);
  constexpr int L = kPixelOffsetLimit;
  struct Walk {
    int plotRight, last, bar, count;
  };
  const Walk walks[] = {{600, 619, 619, 620},       {600, 619, 645, 646},
                        {1920, 5119, 5119, 5120},   {600, 1 << 24, 1 << 24, 5200},
                        {600, 1 << 24, 5119, 5120}, {600, 40, 5119, 5120},
                        {600, -40, -40, 1},         {INT_MAX, 0, 0, 5200},
                        {INT_MIN, 0, 0, 5200},      {0, INT_MAX, INT_MAX, 5200},
                        {0, INT_MIN, INT_MIN, 1},   {0, INT_MAX, INT_MIN + 5200, 5200},
                        {L - 1, 619, 620, 5200},    {-L, 619, 619, 5200},
                        {5, 2, 40000, 5200},        {-L + 621, 0, 0, 620},
                        {-L + 622, 0, 0, 620},      {L + 3, 0, 1, 620},
                        {L + 2, 0, 1, 620},         {600, 619, 619, 0}};
  for (const int p : spacings) {
    for (const Walk& w : walks) {
      std::vector<int64_t> visited, expected;
      ForEachBarCentre(w.plotRight, p, w.last, w.bar, w.count, [&](int k, int x) {
        visited.insert(visited.end(), {k, x});
      });
      for (int k = 0; k < w.count; ++k)
        expected.insert(expected.end(), {k, FormulaBarCentreX(w.plotRight, p, w.last, w.bar - k)});
      EXPECT_EQ(visited, expected) << "spacing " << p << " right " << w.plotRight << " last " << w.last << " bar "
                                   << w.bar;
    }
  }
}

// A whole line: the points, their bars and their count, as one bar at a time gives them.
TEST(PanePointsTest, ALinesPointsAreThoseOfItsBarsOneByOne) {
  IntSeries series{};
  series.count = kMaxBars;
  std::mt19937 random(5);
  for (int i = 0; i < kMaxBars; ++i) {
    const int kind = i % 7;
    series.values[i] = kind == 0   ? INT32_MIN
                       : kind == 1 ? INT32_MAX
                       : kind == 2 ? 0
                                   : std::uniform_int_distribution<int32_t>(-20000, 20000)(random);
  }
  struct Walk {
    int first, last, firstIndex, count, capacity;
  };
  const Walk walks[] = {{0, 619, 0, kMaxBars, kMaxBars},     {396, 499, 25, kMaxBars, kMaxBars},
                        {0, 1 << 24, 0, kMaxBars, kMaxBars},  // the series' end far left of the plot
                        {-40, 29, -5, 30, kMaxBars},         {-40, 29, -5, 30, 8},
                        {10, 35, 25, 30, kMaxBars},          {28, 29, 0, 30, 0},
                        {0, INT_MAX, 0, kMaxBars, kMaxBars}, {INT_MAX, INT_MIN, 0, kMaxBars, kMaxBars},
                        {0, 5119, 5119, kMaxBars, kMaxBars}, {0, 5119, 0, 0, kMaxBars}};
  static PixelPoint points[kMaxBars];
  static int bars[kMaxBars];
  for (const PaneCase& c : kPanes) {
    PaneRecord pane = ScaledPane(c);
    for (const int p : {1, 2, 3, 7, 11, 21, 1000}) {
      for (const Walk& w : walks) {
        series.count = w.count;
        const int count =
            BuildIntSeriesPoints(pane, p, series, w.first, w.last, w.firstIndex, points, bars, w.capacity);
        std::vector<int64_t> expected, got;
        for (int bar = std::min({w.last, w.count - 1});
             bar >= std::max({w.first, w.firstIndex, 0}) && static_cast<int>(expected.size()) < 3 * w.capacity; --bar) {
          expected.insert(expected.end(), {bar, FormulaBarCentreX(pane.plot.right, p, w.last, bar),
                                           FormulaIndicatorY(pane, series.values[bar])});
        }
        for (int k = 0; k < count; ++k) got.insert(got.end(), {bars[k], points[k].x, points[k].y});
        ASSERT_EQ(got, expected) << c.name << " spacing " << p << " bars " << w.first << ".." << w.last;
        ASSERT_EQ(BuildIntSeriesPoints(pane, p, series, w.first, w.last, w.firstIndex, points, nullptr, w.capacity),
                  count);
      }
    }
  }
}

}  // namespace
