// What the chart draws, worked out without a device: pane scales, labels,
// levels, lines and points; candles, bar places, value heights and both clouds;
// the GDI rules, the built-in palettes and the chart's small texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "chart/candle_shape.h"
#include "chart/chart_layout.h"
#include "chart/chart_text.h"
#include "chart/gdi_rules.h"
#include "chart/ichimoku_cloud.h"
#include "chart/palette.h"
#include "chart/pane_levels.h"
#include "chart/pane_pixels.h"
#include "chart/price_scale.h"
#include "chart/volume_cloud.h"
#include "records/palette_slots.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

constexpr int kT = 12;  // text height
constexpr int kH = 16;  // caption height

// A pane whose plot runs from y = top to y = top + height, 60 pixels of scale.
PaneRecord MakePane(int top, int height, int32_t minValue, int32_t maxValue) {
  PaneRecord pane{};
  pane.pane = {0, top, 600, top + height};
  pane.scale = {0, top, 60, top + height};
  pane.plot = pane.fullPlot = {60, top, 600, top + height};
  pane.minValue = minValue;
  pane.maxValue = maxValue;
  pane.log10Min = minValue > 0 ? std::log10(minValue) : 0.0;
  pane.log10Max = maxValue > 0 ? std::log10(maxValue) : 0.0;
  if (height <= 0) return pane;
  pane.valuePerPixel = (static_cast<double>(maxValue) - minValue) / height;
  pane.logPerPixel = (pane.log10Max - pane.log10Min) / height;
  return pane;
}

// Labels as "text@y", the text in brackets when it is not shown and "=" after
// it when its dotted line is drawn.
std::string Labels(const PaneLabel* labels, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const PaneLabel& l = labels[i];
    text += (i ? " " : "") + (l.textShown ? l.text : "(" + std::string(l.text) + ")") + "@" + std::to_string(l.y) +
            (l.lineShown ? "=" : "");
  }
  return text;
}

std::string Divisions(const PaneRecord& pane, int n) {
  PaneLabel labels[kMaxPaneDivisions];
  return Labels(labels, BuildScaleDivisions(pane, n, kPercentDivisor, kT, kH, labels));
}

std::string VolumeDivisions(const PaneRecord& pane) {
  PaneLabel labels[kMaxPaneDivisions];
  // Six pixels per byte, like a small fixed font: 60 - 6 = 54 pixels hold nine bytes.
  const auto sixPerByte = [](void*, const char* text) { return 6 * static_cast<int>(strlen(text)); };
  return Labels(labels, BuildVolumeDivisions(pane, kT, sixPerByte, nullptr, labels));
}

template <typename T>
std::string Formatted(void (*format)(T, int, char*), T value, int divisor) {
  char text[kPaneLabelTextSize];
  format(value, divisor, text);
  return text;
}

std::vector<int32_t> Levels(int kind, const PaneRecord& pane) {
  int32_t levels[kMaxPaneLevels];
  return std::vector<int32_t>(levels, levels + GetPaneLevelsInRange(kind, pane, levels));
}

// Divisions run from the bottom up; an odd count on a pane lower than that many
// caption heights shows every other text but every line; two are never thinned.
TEST(PaneLevelsTest, ScaleDivisionsByPaneHeightAndRange) {
  const std::pair<std::string, std::string> cases[] = {
      {Divisions(MakePane(20, 200, 0, 10000), 5), "0.00@220 25.00@170= 50.00@120= 75.00@70= 100.00@20"},
      {Divisions(MakePane(0, 50, 0, 10000), 5), "0.00@50 (25.00)@38= 50.00@25= (75.00)@13= 100.00@0"},
      {Divisions(MakePane(0, 80, 0, 10000), 5), "0.00@80 25.00@60= 50.00@40= 75.00@20= 100.00@0"},
      {Divisions(MakePane(0, 20, 0, 10000), 2), "0.00@20 100.00@0"},
      {Divisions(MakePane(0, 100, -50, 150), 5), "-0.50@100 0.00@75= 0.50@50= 1.00@25= 1.50@0"},
      // Flat or empty plots, without dividing by zero; fewer than 2 or more than 11 divisions give none.
      {Divisions(MakePane(10, 0, 5000, 5000), 5), "50.00@10 (50.00)@10= 50.00@10= (50.00)@10= 50.00@10"},
      {Divisions(MakePane(10, 1, 5000, 5000), 5), "50.00@11 (50.00)@11= 50.00@11= (50.00)@11= 50.00@10"},
      {Divisions(MakePane(0, 100, 0, 10000), 1) + Divisions(MakePane(0, 100, 0, 10000), 12), ""},
  };
  for (const auto& [labels, expected] : cases) EXPECT_EQ(labels, expected);
  // Centred on y, right edge 4 pixels in; the end labels are kept 2 pixels inside.
  PaneLabel labels[kMaxPaneDivisions];
  BuildScaleDivisions(MakePane(20, 200, 0, 10000), 5, kPercentDivisor, kT, kH, labels);
  EXPECT_EQ(Row(labels[1].rect.left, labels[1].rect.top, labels[1].rect.right, labels[1].rect.bottom),
            Row(0, 164, 56, 176));
  EXPECT_EQ(Row(labels[0].rect.top, labels[0].rect.bottom, labels[4].rect.top, labels[4].rect.bottom),
            Row(206, 218, 22, 34));
  const Rect scale{10, 100, 70, 150};
  EXPECT_EQ(Ltrb(PaneLabelRect(scale, 125, 13)), (Ltrb4{10, 119, 66, 132}));
  EXPECT_EQ(Row(PaneLabelRect(scale, 100, 13).top, PaneLabelRect(scale, 150, 13).bottom), Row(102, 148));
}

TEST(PaneLevelsTest, ValuesAreRoundedHalfAwayFromZeroOrCutToWholeUnits) {
  // Kept within the int range; other divisors write whole units, cut toward zero.
  std::string texts;
  for (double value : {12.5, -12.5, -0.4, 2499.9999, 1e12}) texts += Formatted(FormatDivisionValue, value, 100) + " ";
  for (double value : {-1999.0, 2999.0}) texts += Formatted(FormatDivisionValue, value, 1000) + " ";
  for (int32_t value : {-50, 12345}) texts += Formatted(FormatLevelValue, value, value < 0 ? 100 : 1000) + " ";
  EXPECT_EQ(texts + Formatted(FormatLevelValue, -12345, 1000), "0.13 -0.13 0.00 25.00 21474836.47 -1 2 -0.50 12 -12");
}

TEST(PaneLevelsTest, FixedLevelsInsideThePaneRangeAtTheirRows) {
  struct Case {
    int kind;
    int32_t min, max;
    std::vector<int32_t> levels;
  };
  // The volume ratio labels its maximum once.
  const Case cases[] = {{kPaneStochastics, 0, 10000, {1500, 3000, 7000, 8500}},
                        {kPaneStochastics, 2000, 8000, {3000, 7000}},
                        {kPaneDmi, 4000, 9000, {}},
                        {kPaneDmi, 3000, 9000, {3000}},
                        {kPaneSroc, 9000, 9990, {}},
                        {kPaneAdvanceDecline, 8000, 12000, {10000}},
                        {kPaneVolumeRatio, 0, 20000, {3000, 7000, 10000, 15000, 20000}},
                        {kPaneVolumeRatio, 0, 15000, {3000, 7000, 10000, 15000}},
                        {kPaneVolumeRatio, 5000, 12000, {7000, 10000, 12000}}};
  for (const Case& c : cases) EXPECT_EQ(Levels(c.kind, MakePane(0, 100, c.min, c.max)), c.levels) << c.kind;
  for (int kind : std::vector<int>{kPaneVolume, kPaneRsi, kPaneRci, kPaneDeviation, kPaneMacd, kPanePsychological,
                                   kPaneObv, kPaneCandles, kPaneKindCount, -1})
    EXPECT_TRUE(Levels(kind, MakePane(0, 100, 0, 10000)).empty()) << kind;
  const PaneRecord stochastics = MakePane(20, 200, 0, 10000);
  const PaneLabel label = BuildLevelLabel(stochastics, 1500, kPercentDivisor, kT);
  EXPECT_EQ(Row(label.y, label.rect.top, label.lineShown), Row(190, 184, true));  // 220 - 1500 / 50
  EXPECT_STREQ(label.text, "15.00");
  const PaneLabel top = BuildLevelLabel(MakePane(30, 100, 0, 20000), 20000, kPercentDivisor, kT);
  EXPECT_EQ(std::to_string(top.y) + " " + top.text, "30 200.00");
  EXPECT_EQ(LevelLineY(MakePane(20, 200, 0, 400), 5), 217);  // trunc(220 - 2.5)
}

// One row above the value's row and never above the top + 1; below the plot is left to the clip.
TEST(PaneLevelsTest, LinePointsSitOneRowAboveTheirValueAndBelowTheTop) {
  const PaneRecord pane = MakePane(20, 200, 0, 10000);
  EXPECT_EQ(Row(IndicatorPointY(pane, 0), IndicatorPointY(pane, 2549), IndicatorPointY(pane, 9950),
                IndicatorPointY(pane, 10000), IndicatorPointY(pane, 30000), IndicatorPointY(pane, -500)),
            Row(219, 169, 21, 21, 21, 229));  // 2549: 220 - trunc(50.98) - 1
  EXPECT_EQ(IndicatorPointY(MakePane(0, 100, INT_MIN, INT_MAX), INT_MAX), 1);
  PaneRecord flat = MakePane(20, 0, 100, 100);
  EXPECT_EQ(IndicatorPointY(flat, 100), 21);
  flat.valuePerPixel = 1e-300;  // no overflow either
  EXPECT_EQ(IndicatorPointY(flat, INT_MAX), 21);
  EXPECT_GT(IndicatorPointY(flat, INT_MIN), 220);
}

TEST(PaneLevelsTest, LinePointsRunFromTheLastBarDownToTheFirstIndex) {
  IntSeries series{};
  series.count = 30;
  for (int i = 0; i < 30; ++i) series.values[i] = i * 100;
  const PaneRecord pane = MakePane(0, 100, 0, 10000);
  PixelPoint points[64];
  int bars[64];
  // Bars 35..29 lie beyond the count; the first index 25 stops the walk;
  // x = plot right + p/2 - 2 - (last - i + 1) p.
  ASSERT_EQ(BuildIntSeriesPoints(pane, 5, series, 10, 35, 25, points, bars, 64), 5);
  EXPECT_EQ(Row(bars[0], bars[4], points[0].x, points[4].x, points[0].y, points[4].y),
            Row(29, 25, 600 - 7 * 5, 600 - 11 * 5, 100 - 29 - 1, 100 - 25 - 1));
  // The first bar shown stops it when later than the first index; never more
  // than the room given, never below bar 0.
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, 28, 29, 0, points, bars, 64), 2);
  EXPECT_EQ(Row(BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 8),
                BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 64)),
            Row(8, 30));
  series.count = 0;
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, 0, 29, 0, points, bars, 64), 0);
}

// Each kind's lines start at their period parameters (here n + 100 for parameter
// n); switched lines follow their own flag bit, the others are always drawn. A
// deviation line starts at the longer of its periods (the first without a
// second), MACD lines at the longest of their three.
TEST(PaneLevelsTest, EveryKindHasItsLinesColoursAndFirstBars) {
  IndicatorParameterSet params{};
  for (int n = 0; n < kIndicatorParamCount; ++n) params.slot[n] = static_cast<uint16_t>(n + 100);
  PaneLine lines[kMaxPaneLines];
  std::vector<int> counts;
  for (int kind = kPaneCandles; kind <= kPaneKindCount; ++kind) counts.push_back(GetPaneLines(kind, params, lines));
  EXPECT_EQ(counts, (std::vector<int>{0, 0, 2, 3, 3, 3, 2, 2, 3, 1, 3, 2, 1, 1, 0}));
  struct Expected {
    int kind, line, series, color, firstIndex, flagBit;
  };
  const Expected table[] = {{kPaneVolume, 0, kIntVolumeAverage0, kColorVolumeAverage0, 106, 0},
                            {kPaneRsi, 2, kIntRsi0 + 2, kColorRsi0 + 2, 110, 2},
                            {kPaneStochastics, 1, kIntStochSD, kColorStochSD, 122, -1},  // %D and %SD, not %K
                            {kPaneMacd, 0, kIntMacdLine, kColorMacd, 125, -1},
                            {kPaneDmi, 2, kIntAdx, kColorAdx, 128, -1},
                            {kPaneObv, 1, kIntObvEma, kColorObvEma, 134, -1}};
  for (const Expected& e : table) {
    GetPaneLines(e.kind, params, lines);
    const PaneLine& l = lines[e.line];
    EXPECT_EQ(Row(l.series, l.colorSlot, l.firstIndex, l.flagBit), Row(e.series, e.color, e.firstIndex, e.flagBit))
        << e.kind << " line " << e.line;
  }
  const uint16_t periods[] = {25, 5, 10, 0, 6, 75};
  for (int k = 0; k < 3; ++k) {
    params.slot[kParamDeviation0 + k] = periods[2 * k];
    params.slot[kParamDeviationSecond0 + k] = periods[2 * k + 1];
  }
  GetPaneLines(kPaneDeviation, params, lines);
  EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex, lines[2].firstIndex), Row(25, 10, 75));
  params.slot[kParamMacdShort] = 12;
  params.slot[kParamMacdLong] = 26;
  for (auto [signal, first] : {std::make_pair(9, 26), std::make_pair(40, 40)}) {
    params.slot[kParamMacdSignal] = static_cast<uint16_t>(signal);
    GetPaneLines(kPaneMacd, params, lines);
    EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex), Row(first, first));
  }
}

TEST(PaneLevelsTest, VolumeLabelsFollowThePlotAndTextHeightsAndShrinkToFit) {
  // d = h / 10 against 2T = 24, trunc(2T/3) = 8, trunc(T/3) = 4.
  EXPECT_EQ(Row(VolumeLabelCount(250, kT), VolumeLabelCount(249, kT), VolumeLabelCount(90, kT),
                VolumeLabelCount(89, kT), VolumeLabelCount(50, kT), VolumeLabelCount(49, kT), VolumeLabelCount(0, kT),
                VolumeLabelCount(1, kT), VolumeLabelCount(30, 13)),
            Row(11, 5, 5, 3, 3, 2, 2, 2, 2));  // 13: trunc(13/3) = 4 > 3
  // Thousands or millions to fit; from the minimum, positions by trunc(i * h / (n - 1)).
  EXPECT_EQ(VolumeDivisions(MakePane(0, 100, 0, 2000000000)),
            "0@100 500,000千@75= 1,000百万@50= 1,500百万@25= 2,000百万@0");
  EXPECT_EQ(VolumeDivisions(MakePane(0, 195, 1000000, 2000000)),
            "1,000,000@195 1,250,000@147= 1,500,000@98= 1,750,000@49= 2,000,000@0");
  EXPECT_EQ(VolumeDivisions(MakePane(0, 0, 0, 0)), "0@0 0@0");
}

TEST(PaneLevelsTest, VolumeBarsRiseFromTheMinimumAndAreNeverEmpty) {
  EXPECT_EQ(Ltrb(VolumeBarRect(MakePane(20, 100, 0, 1000), 100, 7, 500)), (Ltrb4{97, 70, 104, 120}));
  struct Case {
    int height;
    int32_t min, max, volume;
    int top, bottom;
  };
  // Zero height: one row, inside the plot; a negative minimum does not lift the
  // bars; below the minimum.
  const Case cases[] = {
      {100, 0, 1000, 0, 119, 120},    {100, 0, 1000, 1000, 20, 120},   {100, -1000, 1000, -1000, 119, 120},
      {100, -1000, 1000, 0, 70, 120}, {100, 500, 1500, 1000, 70, 120}, {100, 500, 1500, 100, 119, 120},
      {1, 0, 0, 5000, 20, 21}};
  for (const Case& c : cases) {
    const Rect bar = VolumeBarRect(MakePane(20, c.height, c.min, c.max), 100, 7, c.volume);
    EXPECT_EQ(Row(bar.top, bar.bottom), Row(c.top, c.bottom)) << &c - cases;
  }
}

std::vector<int32_t> LabelValues(const PriceScaleMarks& marks) {
  std::vector<int32_t> values;
  for (int i = 0; i < marks.count; ++i) values.push_back(marks.marks[i].value);
  return values;
}

TEST(PriceScaleTest, NineHundredToThirteenHundredOnAHundredPixels) {
  const PaneRecord pane = MakePane(100, 100, 900, 1300);
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
  PaneRecord unscaled = MakePane(0, 100, 0, 1000), flat = MakePane(100, 0, 0, 1000);
  unscaled.valuePerPixel = 0;  // never computed
  flat.valuePerPixel = 10;     // no height
  for (const PaneRecord& pane : {MakePane(0, 100, 0, 4), unscaled, flat}) {
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
    const PaneRecord pane = MakePane(0, height, low, high);
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
  ComputePriceScaleMarks(MakePane(0, 5000, 0, 100000), false, kT, &tall);
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
    const PaneRecord pane = MakePane(40, height, low, high);
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
  const PaneRecord pane = MakePane(0, 300, 1000, 20000000);  // step 1 for an index: 20 million ticks
  ComputeTickGridMarks(pane, false, kT, -1, 6, false, marks.get());
  EXPECT_TRUE(marks->count > 250 && marks->count <= 301) << marks->count;
  for (int i = 1; i < marks->count; ++i) EXPECT_LT(marks->marks[i].y, marks->marks[i - 1].y);
}

// Prices 1000..1500 in 50 bands of 10.
PaneRecord CloudPane() { return MakePane(0, 100, 1000, 1500); }

// 900..1300 on rows 200 up to 100: 4 per pixel.
TEST(PanePixelsTest, ValuesGoUpFromTheBottomTruncatedAndValuesOffScaleStaySafe) {
  PaneRecord pane = MakePane(100, 100, 900, 1300);
  EXPECT_EQ(Row(PaneValueY(pane, false, 900), PaneValueY(pane, false, 903), PaneValueY(pane, false, 904),
                PaneValueY(pane, false, 1300), PaneValueY(pane, true, 900), PaneValueY(pane, true, 1300)),
            Row(200, 200, 199, 100, 200, 100));
  EXPECT_NEAR(PaneValueOffset(pane, true, 1081.665), 50, 0.01);  // the geometric middle
  EXPECT_NEAR(PaneOffsetValue(pane, false, 25), 1000, 1e-9);
  EXPECT_NEAR(PaneOffsetValue(pane, true, 100), 1300, 1e-6);
  // Off the scale, infinite or not a number; log10 of 0 or less is taken as 0.
  EXPECT_EQ(Row(PaneValueY(pane, false, 1e300), PaneValueY(pane, false, -1e300),
                PaneValueY(pane, false, std::numeric_limits<double>::infinity()),
                PaneValueY(pane, false, std::numeric_limits<double>::quiet_NaN()), PaneValueY(pane, true, 0),
                PaneValueY(pane, true, -5)),
            Row(200 - kPixelOffsetLimit, 200 + kPixelOffsetLimit, 200 - kPixelOffsetLimit, 200,
                PaneValueY(pane, true, 1), PaneValueY(pane, true, 1)));
  pane.valuePerPixel = pane.logPerPixel = 0;
  EXPECT_EQ(Row(PaneValueY(pane, false, 1000), PaneValueY(pane, true, 1000)), Row(200, 200));
}

TEST(PanePixelsTest, BarCentresStepLeftFromThePlotsRightEdgeAndThePaintRangeFromTheLastBar) {
  // p = 11: the right-most bar sits at right + 5 - 2 - 11.
  EXPECT_EQ(Row(BarCentreX(600, 11, 99, 99), BarCentreX(600, 11, 99, 98), BarCentreX(600, 3, 10, 10)),
            Row(592, 581, 596));
  EXPECT_EQ(BarCentreX(600, 11, 1 << 24, -(1 << 24)), -kPixelOffsetLimit);
  ChartView view{};  // the bars painted, from the view's last bar
  view.lastBarIndex = -1;
  BarRange range = GetPaintBarRange(view, 500, 100);
  EXPECT_EQ(Row(range.last, range.first), Row(499, 396));
  view.lastBarIndex = 50;
  EXPECT_EQ(GetPaintBarRange(view, 500, 100).first, 0);
  view.lastBarIndex = 2147483647;  // a damaged setting
  range = GetPaintBarRange(view, 500, 100);
  EXPECT_EQ(range.last - range.first, 103);
  view.lastBarIndex = -1;
  range = GetPaintBarRange(view, 0, 100);  // nothing to walk
  EXPECT_EQ(Row(range.last, range.first > range.last), Row(-1, true));
  range = GetPaintBarRange(view, 500, -2147483647);  // a window narrower than its scale
  EXPECT_GT(range.first, range.last);
}

TEST(CandleShapeTest, RisingFallingAndUnchangedBars) {
  const PaneRecord pane = MakePane(100, 100, 900, 1300);
  // Rising: from the close to the open + 1; falling: from the open to the close
  // + 1; unchanged is drawn as falling, one pixel high.
  const CandleShape rising = ComputeCandleShape({0, 1000, 1150, 950, 1100, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(rising.rising, rising.highY, rising.lowY), Row(true, 200 - 62, 200 - 12));
  EXPECT_EQ(Ltrb(rising.body), (Ltrb4{296, 150, 305, 176}));
  const CandleShape falling = ComputeCandleShape({0, 1100, 1150, 950, 1000, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(falling.rising, falling.body.top, falling.body.bottom), Row(false, 150, 176));
  const CandleShape doji = ComputeCandleShape({0, 1052, 1100, 1000, 1052, 10}, pane, false, 300, 9);
  EXPECT_EQ(Row(doji.rising, doji.body.top, doji.body.bottom), Row(false, 162, 163));
  const CandleShape thin = ComputeCandleShape({0, 1000, 1000, 1000, 1004, 10}, pane, false, 300, 1);
  EXPECT_EQ(Row(thin.body.left, thin.body.right), Row(300, 301));
}

// Span A 1200 up to bar 99, then 1000; span B 1100.
TEST(CloudColumnsTest, SpansAreDrawnTwentyFiveBarsLaterAndColouredBySpanOrder) {
  auto a = std::make_unique<RealSeries>(), b = std::make_unique<RealSeries>();
  auto columns = std::make_unique<CloudColumns>();
  a->count = b->count = 200;
  for (int i = 0; i < 200; ++i) {
    a->values[i] = i < 100 ? 1200 : 1000;
    b->values[i] = 1100;
  }
  const PaneRecord pane = MakePane(100, 100, 900, 1300);
  ComputeCloudColumns(*a, *b, pane, false, 11, 150, 199, columns.get());
  // From bar 176 (two past the right edge once shifted) down to bar 125.
  ASSERT_EQ(columns->count, 176 - 125 + 1);
  const CloudColumn& last = columns->columns[columns->count - 1];
  EXPECT_EQ(Row(columns->columns[0].x, last.x, last.spanAY, last.spanBY, last.spanAAbove),
            Row(BarCentreX(600, 11, 199, 176 + 25), BarCentreX(600, 11, 199, 150), 200 - 25, 200 - 50, false));
  ComputeCloudColumns(*a, *b, pane, false, 11, 60, 110, columns.get());
  EXPECT_TRUE(columns->columns[columns->count - 1].spanAAbove);  // bar 35: span A 1200 above 1100
  EXPECT_EQ(columns->columns[0].x, BarCentreX(600, 11, 110, 87 + 25));
  // The walk never goes below bar 25 nor past the series.
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 40, columns.get());
  EXPECT_EQ(columns->count, 0);  // bars 0..40 would show only spans of bars below 25
  ComputeCloudColumns(*a, *b, pane, false, 11, 0, 80, columns.get());
  ASSERT_EQ(columns->count, 57 - 25 + 1);
  EXPECT_EQ(columns->columns[columns->count - 1].x, BarCentreX(600, 11, 80, 50));  // bar 25
  a->count = 30;
  ComputeCloudColumns(*a, *b, pane, false, 11, 40, 60, columns.get());
  EXPECT_EQ(columns->count, 5);  // bars 29 down to 25
  a->count = 0;
  ComputeCloudColumns(*a, *b, pane, false, 11, 100, 199, columns.get());
  EXPECT_EQ(columns->count, 0);
}

class VolumeCloudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocVolumeCloud(&cloud_));
    bars_->count = 400;
    for (int i = 0; i < bars_->count; ++i) bars_->bars[i] = {0, 1200, 1200, 1200, 1200, 0};
  }
  void TearDown() override { FreeVolumeCloud(&cloud_); }

  // A band's scaled value at a bar.
  double Value(int bar, int band) const { return cloud_.bands[band]->values[bar - cloud_.firstBar]; }

  VolumeCloud cloud_{};
  std::unique_ptr<BarSeries> bars_ = std::make_unique<BarSeries>();
};

TEST(VolumeCloudWeightTest, EveryRowIsABellSummingToOne) {
  for (int n = 1; n <= 120; ++n) {
    double sum = 0;
    for (int k = 1; k <= n; ++k) {
      sum += VolumeCloudWeight(n, k);
      EXPECT_NEAR(VolumeCloudWeight(n, k), VolumeCloudWeight(n, n + 1 - k), 1e-12);
    }
    EXPECT_NEAR(sum, 1.0, 1e-9) << n;
  }
  EXPECT_DOUBLE_EQ(VolumeCloudWeight(1, 1), 1.0);
  EXPECT_EQ(VolumeCloudWeight(50, 0) + VolumeCloudWeight(50, 51) + VolumeCloudWeight(0, 1), 0.0);
}

TEST_F(VolumeCloudTest, OneBarFadesOverTwoDecayLengthsStartingAtTheNextBar) {
  bars_->bars[100] = {0, 1201, 1204, 1201, 1203, 1000};  // band 20 only
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, cloud_.columns), Row(60, 340));  // 300 - 2 * 120
  // Not on its own bar; the greatest becomes 32; nothing in other bands or past the used columns.
  EXPECT_EQ(Row(VolumeCloudLevel(cloud_, 100, 20), VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 221, 19),
                VolumeCloudLevel(cloud_, 400, 20)),
            Row(0, 32, 0, 0));
  EXPECT_NEAR(Value(220, 20), 32 * (1000 - 119 * 1000 / 600.0) / 1000, 1e-9);  // end of the first run
  EXPECT_NEAR(Value(221, 20), 32 * 0.2, 1e-9);                                 // the second run
  EXPECT_NEAR(Value(340, 20), 32 * (200 - 119 * 200 / 120.0) / 1000, 1e-9);
  EXPECT_EQ(Value(341, 20), 0.0);
  // The monthly cloud fades within twelve columns.
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 2, 90, 399, &cloud_);
  EXPECT_EQ(Row(cloud_.firstBar, VolumeCloudLevel(cloud_, 101, 20), VolumeCloudLevel(cloud_, 113, 20)), Row(78, 32, 0));
  EXPECT_GT(VolumeCloudLevel(cloud_, 112, 20), 0);
}

TEST_F(VolumeCloudTest, ABarCoveringEveryBandSpreadsItsWholeVolume) {
  // Low on the pane's minimum, high in band 49: 50 bands, the table's last row.
  bars_->bars[350] = {0, 1000, 1499, 1000, 1499, 5000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  double greatestWeight = 0;
  for (int k = 1; k <= 50; ++k) greatestWeight = std::max(greatestWeight, VolumeCloudWeight(50, k));
  for (int b = 0; b < kVolumeCloudBands; ++b)
    EXPECT_NEAR(Value(351, b), 32 * VolumeCloudWeight(50, b + 1) / greatestWeight, 1e-9) << b;
}

TEST_F(VolumeCloudTest, ABarReachingPastThePaneKeepsTheWeightsOfItsWholeRange) {
  // Bands -30..69: 100 bands, of which 0..49 are shown with the weights 31..80.
  bars_->bars[350] = {0, 900, 1699, 700, 1699, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int b : {10, 18, 25, 49})
    EXPECT_NEAR(Value(351, b) / Value(351, 0), VolumeCloudWeight(100, b + 31) / VolumeCloudWeight(100, 31), 1e-9) << b;
  // Bars wholly above or below the pane add nothing.
  bars_->bars[350] = {0, 1600, 1700, 1600, 1700, 1000};
  bars_->bars[351] = {0, 500, 900, 400, 800, 1000};
  bars_->bars[380] = {0, 1200, 1201, 1200, 1201, 1000};
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 340; bar <= 380; ++bar)
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0) << bar << " " << b;
  EXPECT_EQ(VolumeCloudLevel(cloud_, 381, 20), 32);
}

TEST_F(VolumeCloudTest, NoVolumesNoRangeOrBadBarsLeaveNothingToDraw) {
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  for (int bar = 300; bar <= 399; ++bar)  // all volumes zero
    for (int b = 0; b < kVolumeCloudBands; ++b) ASSERT_EQ(VolumeCloudLevel(cloud_, bar, b), 0);
  bars_->bars[350].volume = 1000;
  PaneRecord flat = CloudPane();
  flat.maxValue = flat.minValue;
  AccumulateVolumeCloud(*bars_, flat, false, 0, 300, 399, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 399, 300, &cloud_);
  EXPECT_EQ(cloud_.columns, 0);
  bars_->count = 0;
  AccumulateVolumeCloud(*bars_, CloudPane(), false, 0, 300, 399, &cloud_);
  EXPECT_EQ(VolumeCloudLevel(cloud_, 351, 20), 0);
}

TEST_F(VolumeCloudTest, LogarithmicPanesCutBandsInLogUnits) {
  bars_->bars[350] = {0, 1001, 1002, 1001, 1002, 1000};  // log10 just above 3: band 0
  bars_->bars[351] = {0, 1490, 1495, 1490, 1495, 1000};  // near the top: band 49
  AccumulateVolumeCloud(*bars_, CloudPane(), true, 0, 300, 399, &cloud_);
  EXPECT_TRUE(VolumeCloudLevel(cloud_, 351, 0) > 0 && VolumeCloudLevel(cloud_, 352, 49) > 0);
}

using MakeFont = void (*)(const LogFontImage&, int, int, LogFontImage*);

LogFontImage Made(MakeFont make, const LogFontImage& setting, int height, int pitch) {
  LogFontImage font;
  memset(&font, 0xCC, sizeof font);
  make(setting, height, pitch, &font);
  return font;
}

bool Same(const LogFontImage& a, const LogFontImage& b) { return memcmp(&a, &b, sizeof a) == 0; }

TEST(GdiRulesTest, ContrastColoursStayReadableAndCentringTruncatesTheHalves) {
  // Channels are taken one by one; the unused top byte is ignored.
  EXPECT_EQ(Row(ContrastTextColor(0xFFFFFF), ContrastTextColor(0x000000), ContrastTextColor(0x808080),
                ContrastTextColor(0x7F7F7F), ContrastTextColor(0xFF00FF80)),
            Row(0x808080, 0x7F7F7F, 0xFFFFFF, 0x000000, 0x7F80FF));
  Rect inner = {0, 0, 5, 4}, wide = {100, 100, 130, 102};
  CenterRectInRect({10, 20, 20, 31}, &inner);
  CenterRectInRect({0, 0, 10, 10}, &wide);  // a larger inner rectangle sticks out on both sides
  EXPECT_EQ(std::make_pair(Ltrb(inner), Ltrb(wide)), std::make_pair(Ltrb4{12, 23, 17, 27}, Ltrb4{-10, 4, 20, 6}));
}

// Without a face only the height, Shift-JIS and the pitch are asked for; a named
// font keeps its style with the new height (width 0, the pitch unused), and the
// dialog's copy keeps its width too.
TEST(GdiRulesTest, FontRequestsAndDialogCopies) {
  const LogFontImage named = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, "ＭＳ ゴシック"};
  LogFontImage leftOver{};
  leftOver.weight = 900;  // without a face the setting is not used
  EXPECT_TRUE(Same(Made(MakeFontRequest, leftOver, 14, kFixedPitch),
                   {14, 0, 0, 0, 0, 0, 0, 0, kShiftJisCharSet, 0, 0, 0, kFixedPitch, ""}));
  EXPECT_TRUE(Same(Made(MakeFontRequest, named, 24, kFixedPitch),
                   {24, 0, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
  EXPECT_TRUE(Same(Made(MakeFontDialogCopy, named, 12, kDefaultPitch),
                   {12, 9, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
}

TEST(GdiRulesTest, CopiedFaceNamesAreAlwaysTerminated) {
  LogFontImage damaged = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, ""};
  memset(damaged.faceName, 'A', sizeof damaged.faceName);
  EXPECT_EQ(strlen(Made(MakeFontRequest, damaged, 12, kDefaultPitch).faceName), sizeof damaged.faceName - 1);
  CopyLogFont(damaged, &damaged);  // in place
  EXPECT_EQ(damaged.faceName[31], 0);
  ClearLogFont(&damaged);
  EXPECT_FALSE(HasFaceName(damaged));
  EXPECT_TRUE(Same(damaged, LogFontImage{}));
}

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

int Brightness(ColorRef c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); }

// Slot runs drawn as lines or marks over the pane background, then those filled behind the candles and lines.
constexpr int kLineSlots[][2] = {{kColorRising, kColorVolumeBars},
                                 {kColorIchimokuBase, kColorIchimokuLagging},
                                 {kColorCloseAverage0, kColorObvEma},
                                 {kColorLongSellMark, kColorLongBuyMark},
                                 {kColorBollingerCentre, kColorAdvanceDecline}};
constexpr int kBackdropSlots[][2] = {{kColorCloud, kColorCloudAlone},
                                     {kColorLongSellBackground, kColorLongBuyBackground},
                                     {kColorForecastBackground, kColorForecastBackground},
                                     {kColorCloudInverted, kColorScenarioLongHeld}};

class PaletteTest : public ::testing::Test {
 protected:
  ScopedGlobalState globals_;
};

// Every index, out of range ones too, loads a whole palette and leaves the
// spare slots empty; lines stay visible on its ground and backdrops stay near
// it so that candles and lines show over them.
TEST_F(PaletteTest, EachPaletteFillsEveryDialogSlotWithVisibleLinesAndLightBackdrops) {
  for (int index : {0, 2, 7, -1, 1}) {
    std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0x123456u);
    LoadBuiltinPalette(index);
    const bool known = index >= 0 && index < kBuiltinPaletteCount;
    EXPECT_EQ(gBuiltinPaletteIndex, known ? index : 0);
    for (int slot = 0; slot < kPaletteColorCount; ++slot)
      EXPECT_TRUE(slot < kColorSpare0 ? gPaletteColors[slot] != 0x123456u : gPaletteColors[slot] == 0) << slot;
    const ColorRef ground = gPaletteColors[kColorBackground];
    EXPECT_TRUE(known || ground == Rgb(255, 255, 255)) << index;
    EXPECT_NE(gPaletteColors[kColorScale], ground) << index;
    for (const auto& run : kLineSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
    for (const auto& run : kBackdropSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) {
        EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
        EXPECT_LT(std::abs(Brightness(gPaletteColors[slot]) - Brightness(ground)), 200) << index << " " << slot;
      }
  }
  EXPECT_LT(Brightness(gPaletteColors[kColorBackground]), 384);  // black: the volume cloud takes its dark ramp
}

TEST_F(PaletteTest, OnlyAnEmptyPaletteIsReplaced) {
  std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0u);
  EXPECT_TRUE(IsPaletteEmpty(gPaletteColors));
  gBuiltinPaletteIndex = 1;
  LoadBuiltinPaletteIfEmpty();
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(255, 255, 128));
  gPaletteColors[kColorBackground] = Rgb(1, 2, 3);
  LoadBuiltinPaletteIfEmpty();
  EXPECT_FALSE(IsPaletteEmpty(gPaletteColors));
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(1, 2, 3));  // the user's colours stay
}

TEST(ChartTextTest, HundredthsKeepTheirSignAndAppendedTextsStayInsideTheirBuffer) {
  std::string texts;
  for (int32_t value : {1234, 5, 0, -5, -99, -100, -1234, INT_MAX, INT_MIN}) {
    char fixed2[kFixed2TextSize];
    memset(fixed2, 'x', sizeof fixed2);
    FormatFixed2(value, fixed2);
    texts += std::string(fixed2) + " ";
  }
  EXPECT_EQ(texts, "12.34 0.05 0.00 -0.05 -0.99 -1.00 -12.34 21474836.47 -21474836.48 ");
  char text[12] = "RSI";
  AppendIntText(text, sizeof text, 14);
  AppendPeriodUnit(text, sizeof text, 1);
  AppendPeriodUnit(text, sizeof text, 3);  // no such period
  AppendPeriodUnit(text, sizeof text, -1);
  EXPECT_STREQ(text, "RSI14週");
  AppendIntText(text, sizeof text, INT_MIN);
  EXPECT_EQ(strlen(text), sizeof text - 1);
}

TEST(ChartTextTest, LightenedChannelsStopAtTheirLimits) {
  EXPECT_EQ(Row(LightenColor(0x0010FA20, 32), LightenColor(0x00FFFFFF, 200), LightenColor(0x00102030, -0x20),
                LightenColor(0x00000000, 0)),
            Row(0x0030FF40u, 0x00FFFFFFu, 0x00000010u, 0));
}

// A point every 32 pixels from 64 on; far-apart points (a drag far outside the
// window) must not overflow and stay on the line.
TEST(ChartTextTest, CrossTrailsAddAPointEveryThirtyTwoPixelsFromSixtyFourOn) {
  // 40 px: the two ends; 63 px; 64 px: n = 2; 100 px: n = 3, also along a slope; none.
  EXPECT_EQ(Row(CountCrossTrailPoints(10, 10, 50, 10), CountCrossTrailPoints(10, 10, 73, 10),
                CountCrossTrailPoints(10, 10, 74, 10), CountCrossTrailPoints(0, 0, 100, 0),
                CountCrossTrailPoints(0, 0, 60, 80), CountCrossTrailPoints(5, 5, 5, 5)),
            Row(2, 2, 3, 4, 4, 2));
  const PixelPoint sloped = GetCrossTrailPoint(0, 0, 60, 80, 1);
  EXPECT_EQ(Row(GetCrossTrailPoint(0, 0, 100, 0, 1).x, GetCrossTrailPoint(0, 0, 100, 0, 2).x,
                GetCrossTrailPoint(0, 0, 100, 0, 3).x, sloped.x, sloped.y),
            Row(33, 66, 100, 20, 26));
  const int count = CountCrossTrailPoints(INT_MIN, 0, INT_MAX, 0);
  EXPECT_GT(count, 2);
  EXPECT_EQ(GetCrossTrailPoint(INT_MIN, 0, INT_MAX, 0, count - 1).x, INT_MAX);
  const PixelPoint middle = GetCrossTrailPoint(INT_MIN, INT_MIN, INT_MAX, INT_MAX, count / 2);
  EXPECT_EQ(middle.x, middle.y);
}

}  // namespace
