#include "chart/pane_levels.h"
#include "records/palette_slots.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/row.h"

namespace {

constexpr int kT = 12;  // text height
constexpr int kH = 16;  // caption height

// A pane whose plot runs from y = top to y = top + height, 60 pixels of scale.
PaneRecord MakePane(int top, int height, int32_t minValue, int32_t maxValue) {
  PaneRecord pane{};
  pane.pane = {0, top, 460, top + height};
  pane.scale = {0, top, 60, top + height};
  pane.plot = {60, top, 460, top + height};
  pane.fullPlot = pane.plot;
  pane.minValue = minValue;
  pane.maxValue = maxValue;
  pane.valuePerPixel = height > 0 ? (static_cast<double>(maxValue) - minValue) / height : 0.0;
  return pane;
}

std::vector<std::string> Texts(const PaneLabel* labels, int count, bool shownOnly) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i)
    if (!shownOnly || labels[i].textShown) texts.push_back(labels[i].text);
  return texts;
}

std::vector<int> Ys(const PaneLabel* labels, int count) {
  std::vector<int> ys;
  for (int i = 0; i < count; ++i) ys.push_back(labels[i].y);
  return ys;
}

std::vector<int> LineYs(const PaneLabel* labels, int count) {
  std::vector<int> ys;
  for (int i = 0; i < count; ++i)
    if (labels[i].lineShown) ys.push_back(labels[i].y);
  return ys;
}

std::string Division(double value, int divisor) {
  char text[kPaneLabelTextSize];
  FormatDivisionValue(value, divisor, text);
  return text;
}

std::string Level(int32_t value, int divisor) {
  char text[kPaneLabelTextSize];
  FormatLevelValue(value, divisor, text);
  return text;
}

std::vector<int32_t> Levels(int kind, const PaneRecord& pane) {
  int32_t levels[kMaxPaneLevels];
  const int n = GetPaneLevelsInRange(kind, pane, levels);
  return std::vector<int32_t>(levels, levels + n);
}

IndicatorParameterSet Params() {
  IndicatorParameterSet params{};
  for (int n = 0; n < kIndicatorParamCount; ++n) params.slot[n] = static_cast<uint16_t>(n + 100);
  return params;
}

// Six pixels per byte, like a small fixed font.
int MeasureSixPerByte(void*, const char* text) { return 6 * static_cast<int>(strlen(text)); }

TEST(PaneLevelsDivisionsTest, RsiPaneOf200PixelsIsLabelledInQuartersFromTheBottomUp) {
  const PaneRecord pane = MakePane(20, 200, 0, 10000);
  PaneLabel labels[kMaxPaneDivisions];
  ASSERT_EQ(BuildScaleDivisions(pane, 5, 100, kT, kH, labels), 5);
  EXPECT_EQ(Texts(labels, 5, true), (std::vector<std::string>{"0.00", "25.00", "50.00", "75.00", "100.00"}));
  EXPECT_EQ(Ys(labels, 5), (std::vector<int>{220, 170, 120, 70, 20}));
  EXPECT_EQ(LineYs(labels, 5), (std::vector<int>{170, 120, 70}));
  // Centred on y, right edge 4 pixels in; the end labels are kept 2 pixels inside.
  EXPECT_EQ(Row(labels[1].rect.top, labels[1].rect.bottom, labels[1].rect.left, labels[1].rect.right),
            Row(164, 176, 0, 56));
  EXPECT_EQ(Row(labels[0].rect.bottom, labels[0].rect.top, labels[4].rect.top, labels[4].rect.bottom),
            Row(218, 206, 22, 34));
}

TEST(PaneLevelsDivisionsTest, LowOddPanesShowEveryOtherTextButEveryLine) {
  const PaneRecord low = MakePane(0, 50, 0, 10000);  // 50 / 5 = 10 < 16
  PaneLabel labels[kMaxPaneDivisions];
  ASSERT_EQ(BuildScaleDivisions(low, 5, 100, kT, kH, labels), 5);
  EXPECT_EQ(Texts(labels, 5, true), (std::vector<std::string>{"0.00", "50.00", "100.00"}));
  EXPECT_EQ(LineYs(labels, 5), (std::vector<int>{38, 25, 13}));  // 50 - trunc(i * 12.5)

  const PaneRecord justHighEnough = MakePane(0, 80, 0, 10000);  // 80 / 5 = 16
  BuildScaleDivisions(justHighEnough, 5, 100, kT, kH, labels);
  EXPECT_EQ(Texts(labels, 5, true).size(), 5u);

  // Two divisions are never thinned, however low the pane.
  const PaneRecord dmi = MakePane(0, 20, 0, 10000);
  ASSERT_EQ(BuildScaleDivisions(dmi, 2, 100, kT, kH, labels), 2);
  EXPECT_EQ(Texts(labels, 2, true), (std::vector<std::string>{"0.00", "100.00"}));
  EXPECT_TRUE(LineYs(labels, 2).empty());
}

TEST(PaneLevelsDivisionsTest, ValuesAreRoundedHalfAwayFromZeroAndKeepTheirSign) {
  const PaneRecord macd = MakePane(0, 100, -50, 150);
  PaneLabel labels[kMaxPaneDivisions];
  BuildScaleDivisions(macd, 5, 100, kT, kH, labels);
  EXPECT_EQ(Texts(labels, 5, false), (std::vector<std::string>{"-0.50", "0.00", "0.50", "1.00", "1.50"}));

  // Kept within the int range; other divisors write whole units, cut toward zero.
  EXPECT_EQ(Division(12.5, 100) + " " + Division(-12.5, 100) + " " + Division(-0.4, 100) + " " +
                Division(2499.9999, 100) + " " + Division(1e12, 100) + " " + Division(-1999.0, 1000) + " " +
                Division(2999.0, 1000),
            "0.13 -0.13 0.00 25.00 21474836.47 -1 2");
}

TEST(PaneLevelsDivisionsTest, FlatOrEmptyPlotsGiveLabelsWithoutDividingByZero) {
  PaneLabel labels[kMaxPaneDivisions];
  for (int height : {0, 1}) {
    PaneRecord pane = MakePane(10, height, 5000, 5000);
    pane.valuePerPixel = 0.0;
    ASSERT_EQ(BuildScaleDivisions(pane, 5, 100, kT, kH, labels), 5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_STREQ(labels[i].text, "50.00");
      EXPECT_GE(labels[i].y, 10);
      EXPECT_LE(labels[i].y, 10 + height);
    }
  }
  const PaneRecord pane = MakePane(0, 100, 0, 10000);
  EXPECT_EQ(BuildScaleDivisions(pane, 1, 100, kT, kH, labels), 0);
  EXPECT_EQ(BuildScaleDivisions(pane, 12, 100, kT, kH, labels), 0);
}

TEST(PaneLevelsLevelsTest, FixedLevelsReadInHundredthsAtTheirRows) {
  const PaneRecord stochastics = MakePane(20, 200, 0, 10000);
  EXPECT_EQ(Levels(6, stochastics), (std::vector<int32_t>{1500, 3000, 7000, 8500}));
  std::vector<std::string> texts;
  for (int32_t value : Levels(6, stochastics)) texts.push_back(BuildLevelLabel(stochastics, value, 100, kT).text);
  EXPECT_EQ(texts, (std::vector<std::string>{"15.00", "30.00", "70.00", "85.00"}));
  const PaneLabel label = BuildLevelLabel(stochastics, 1500, 100, kT);
  EXPECT_EQ(label.y, 190);  // 220 - 1500 / 50
  EXPECT_TRUE(label.lineShown);
  EXPECT_EQ(label.rect.top, 184);

  // trunc(bottom - offset): 220 - 2.5 = 217.5 -> 217
  const PaneRecord fine = MakePane(20, 200, 0, 400);
  EXPECT_EQ(LevelLineY(fine, 5), 217);
  EXPECT_EQ(Level(-50, 100) + " " + Level(12345, 1000) + " " + Level(-12345, 1000), "-0.50 12 -12");
}

TEST(PaneLevelsLevelsTest, LevelsOutsideThePaneRangeAreLeftOut) {
  EXPECT_EQ(Levels(kPaneDmi, MakePane(0, 100, 4000, 9000)), std::vector<int32_t>{});
  EXPECT_EQ(Levels(kPaneDmi, MakePane(0, 100, 3000, 9000)), std::vector<int32_t>{3000});
  EXPECT_EQ(Levels(kPaneSroc, MakePane(0, 100, 9000, 9990)), std::vector<int32_t>{});
  EXPECT_EQ(Levels(kPaneAdvanceDecline, MakePane(0, 100, 8000, 12000)), std::vector<int32_t>{10000});
  EXPECT_EQ(Levels(kPaneStochastics, MakePane(0, 100, 2000, 8000)), (std::vector<int32_t>{3000, 7000}));
  // Kinds without levels.
  for (int kind : {2, 3, 4, 5, 7, 10, 11, 0, 14, -1}) EXPECT_TRUE(Levels(kind, MakePane(0, 100, 0, 10000)).empty());
}

TEST(PaneLevelsLevelsTest, VolumeRatioAlwaysLabelsItsMaximumOnce) {
  EXPECT_EQ(Levels(kPaneVolumeRatio, MakePane(0, 100, 0, 20000)),
            (std::vector<int32_t>{3000, 7000, 10000, 15000, 20000}));
  EXPECT_EQ(Levels(kPaneVolumeRatio, MakePane(0, 100, 0, 15000)), (std::vector<int32_t>{3000, 7000, 10000, 15000}));
  EXPECT_EQ(Levels(kPaneVolumeRatio, MakePane(0, 100, 5000, 12000)), (std::vector<int32_t>{7000, 10000, 12000}));
  const PaneRecord pane = MakePane(30, 100, 0, 20000);
  EXPECT_EQ(BuildLevelLabel(pane, 20000, 100, kT).y, 30);
  EXPECT_STREQ(BuildLevelLabel(pane, 20000, 100, kT).text, "200.00");
}

TEST(PaneLevelsPositionsTest, LinePointsSitOneRowAboveTheirValueAndBelowTheTop) {
  const PaneRecord pane = MakePane(20, 200, 0, 10000);
  EXPECT_EQ(IndicatorPointY(pane, 0), 219);
  EXPECT_EQ(IndicatorPointY(pane, 2549), 169);  // 220 - trunc(50.98) - 1
  EXPECT_EQ(IndicatorPointY(pane, 9950), 21);   // would be the top row
  EXPECT_EQ(Row(IndicatorPointY(pane, 10000), IndicatorPointY(pane, 30000)), Row(21, 21));
  EXPECT_EQ(IndicatorPointY(pane, -500), 229);  // below: left to the clip
  EXPECT_EQ(IndicatorPointY(MakePane(0, 100, INT_MIN, INT_MAX), INT_MAX), 1);

  PaneRecord flat = MakePane(20, 0, 100, 100);
  EXPECT_EQ(IndicatorPointY(flat, 100), 21);
  flat.valuePerPixel = 1e-300;  // no overflow either
  EXPECT_EQ(IndicatorPointY(flat, INT_MAX), 21);
  EXPECT_GT(IndicatorPointY(flat, INT_MIN), 220);
}

TEST(PaneLevelsPositionsTest, LabelRectanglesStayInsideTheScaleColumn) {
  const Rect scale{10, 100, 70, 150};
  const Rect mid = PaneLabelRect(scale, 125, 13);
  EXPECT_EQ(Row(mid.left, mid.right, mid.top, mid.bottom), Row(10, 66, 119, 132));
  EXPECT_EQ(PaneLabelRect(scale, 100, 13).top, 102);
  EXPECT_EQ(PaneLabelRect(scale, 100, 13).bottom, 115);
  EXPECT_EQ(PaneLabelRect(scale, 150, 13).bottom, 148);
  EXPECT_EQ(PaneLabelRect(scale, 150, 13).top, 135);
}

TEST(PaneLevelsSeriesTest, LinePointsRunFromTheLastBarDownToTheFirstIndex) {
  IntSeries series{};
  series.count = 30;
  for (int i = 0; i < 30; ++i) series.values[i] = i * 100;
  const PaneRecord pane = MakePane(0, 100, 0, 10000);
  PixelPoint points[64];
  int bars[64];
  // Bars 35..29 lie beyond the count; the first index 25 stops the walk.
  int n = BuildIntSeriesPoints(pane, 5, series, 10, 35, 25, points, bars, 64);
  ASSERT_EQ(n, 5);
  EXPECT_EQ(Row(bars[0], bars[4]), Row(29, 25));
  // x = plot right + p/2 - 2 - (last - i + 1) p
  EXPECT_EQ(Row(points[0].x, points[4].x, points[0].y, points[4].y),
            Row(460 + 2 - 2 - 7 * 5, 460 + 2 - 2 - 11 * 5, 100 - 29 - 1, 100 - 25 - 1));
  // The first bar shown stops it when later than the first index.
  n = BuildIntSeriesPoints(pane, 5, series, 27, 29, 0, points, bars, 64);
  EXPECT_EQ(Row(n, bars[2]), Row(3, 27));
  // Never more than the room given, never below bar 0.
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 8), 8);
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, -40, 29, -5, points, bars, 64), 30);
  series.count = 0;
  EXPECT_EQ(BuildIntSeriesPoints(pane, 5, series, 0, 29, 0, points, bars, 64), 0);
}

TEST(PaneLevelsSeriesTest, EveryKindHasItsLinesColoursAndFirstBars) {
  const IndicatorParameterSet params = Params();
  PaneLine lines[kMaxPaneLines];
  struct Expected {
    int kind, count, series, color, firstIndex, flagBit;  // of the first line
  };
  const Expected table[] = {
      {kPaneVolume, 2, 0, kColorVolumeAverage0, 106, 0},
      {kPaneRsi, 3, 2, kColorRsi0, 108, 0},
      {kPaneRci, 3, 5, kColorRci0, 111, 0},
      {kPaneDeviation, 3, 8, kColorDeviation0, 117, 0},
      {kPaneStochastics, 2, 12, kColorStochD, 121, -1},
      {kPaneMacd, 2, 16, kColorMacd, 125, -1},
      {kPaneDmi, 3, 24, kColorPlusDi, 126, -1},
      {kPaneSroc, 1, 29, kColorSroc, 130, -1},
      {kPanePsychological, 3, 30, kColorPsychological0, 131, 0},
      {kPaneObv, 2, 33, kColorObv, 134, -1},
      {kPaneVolumeRatio, 1, 37, kColorVolumeRatio, 137, -1},
      {kPaneAdvanceDecline, 1, 38, kColorAdvanceDecline, 138, -1},
  };
  for (const Expected& e : table) {
    ASSERT_EQ(GetPaneLines(e.kind, params, lines), e.count) << e.kind;
    EXPECT_EQ(lines[0].series, e.series) << e.kind;
    EXPECT_EQ(lines[0].colorSlot, e.color) << e.kind;
    EXPECT_EQ(lines[0].firstIndex, e.firstIndex) << e.kind;
    EXPECT_EQ(lines[0].flagBit, e.flagBit) << e.kind;
  }
  EXPECT_EQ(GetPaneLines(kPaneCandles, params, lines), 0);
  EXPECT_EQ(GetPaneLines(kPaneIchimoku, params, lines), 0);
  EXPECT_EQ(GetPaneLines(14, params, lines), 0);

  GetPaneLines(kPaneRsi, params, lines);
  EXPECT_EQ(Row(lines[2].series, lines[2].colorSlot, lines[2].firstIndex, lines[2].flagBit),
            Row(4, kColorRsi0 + 2, 110, 2));
  GetPaneLines(kPaneStochastics, params, lines);  // %D and %SD, not %K
  EXPECT_EQ(Row(lines[1].series, lines[1].firstIndex), Row(kIntStochSD, 122));
  GetPaneLines(kPaneDmi, params, lines);
  EXPECT_EQ(Row(lines[2].series, lines[2].colorSlot), Row(kIntAdx, kColorAdx));
  GetPaneLines(kPaneObv, params, lines);
  EXPECT_EQ(Row(lines[1].series, lines[1].firstIndex), Row(kIntObvEma, 134));
}

TEST(PaneLevelsSeriesTest, DeviationAndMacdLinesStartAtTheLongestPeriod) {
  IndicatorParameterSet params{};
  PaneLine lines[kMaxPaneLines];
  params.slot[kParamDeviation0] = 25;
  params.slot[kParamDeviationSecond0] = 5;
  params.slot[kParamDeviation0 + 1] = 10;
  params.slot[kParamDeviationSecond0 + 1] = 0;  // no second period: the first one
  params.slot[kParamDeviation0 + 2] = 6;
  params.slot[kParamDeviationSecond0 + 2] = 75;
  GetPaneLines(kPaneDeviation, params, lines);
  EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex, lines[2].firstIndex), Row(25, 10, 75));

  params.slot[kParamMacdShort] = 12;
  params.slot[kParamMacdLong] = 26;
  params.slot[kParamMacdSignal] = 9;
  GetPaneLines(kPaneMacd, params, lines);
  EXPECT_EQ(Row(lines[0].firstIndex, lines[1].firstIndex), Row(26, 26));
  params.slot[kParamMacdSignal] = 40;
  GetPaneLines(kPaneMacd, params, lines);
  EXPECT_EQ(lines[1].firstIndex, 40);
}

TEST(PaneLevelsVolumeTest, LabelCountFollowsThePlotAndTextHeights) {
  // d = h / 10 against 2T = 24, trunc(2T/3) = 8, trunc(T/3) = 4.
  EXPECT_EQ(Row(VolumeLabelCount(250, kT), VolumeLabelCount(249, kT), VolumeLabelCount(90, kT)), Row(11, 5, 5));
  EXPECT_EQ(Row(VolumeLabelCount(89, kT), VolumeLabelCount(50, kT), VolumeLabelCount(49, kT), VolumeLabelCount(0, kT)),
            Row(3, 3, 2, 2));
  EXPECT_EQ(VolumeLabelCount(1, kT), 2);
  EXPECT_EQ(VolumeLabelCount(30, 13), 2);  // trunc(13/3) = 4 > 3
}

TEST(PaneLevelsVolumeTest, VolumeLabelsShrinkToThousandsOrMillionsToFit) {
  PaneLabel labels[kMaxPaneDivisions];
  // 60 - 6 = 54 pixels: nine bytes.
  const PaneRecord pane = MakePane(0, 100, 0, 2000000000);
  ASSERT_EQ(BuildVolumeDivisions(pane, kT, MeasureSixPerByte, nullptr, labels), 5);
  EXPECT_EQ(Texts(labels, 5, false),
            (std::vector<std::string>{"0", "500,000千", "1,000百万", "1,500百万", "2,000百万"}));
  EXPECT_EQ(Ys(labels, 5), (std::vector<int>{100, 75, 50, 25, 0}));
  EXPECT_EQ(LineYs(labels, 5), (std::vector<int>{75, 50, 25}));

  // From the minimum; positions by trunc(i * h / (n - 1)), values at the same fraction.
  const PaneRecord odd = MakePane(0, 195, 1000000, 2000000);
  BuildVolumeDivisions(odd, kT, MeasureSixPerByte, nullptr, labels);
  EXPECT_EQ(Ys(labels, 5), (std::vector<int>{195, 147, 98, 49, 0}));
  EXPECT_EQ(Texts(labels, 5, false),
            (std::vector<std::string>{"1,000,000", "1,250,000", "1,500,000", "1,750,000", "2,000,000"}));

  PaneRecord empty = MakePane(0, 0, 0, 0);
  empty.valuePerPixel = 0.0;
  ASSERT_EQ(BuildVolumeDivisions(empty, kT, MeasureSixPerByte, nullptr, labels), 2);
  EXPECT_STREQ(labels[1].text, "0");
}

TEST(PaneLevelsVolumeTest, BarsRiseFromTheMinimumAndAreNeverEmpty) {
  const PaneRecord pane = MakePane(20, 100, 0, 1000);
  Rect bar = VolumeBarRect(pane, 100, 7, 500);
  EXPECT_EQ(Row(bar.left, bar.right, bar.top, bar.bottom), Row(97, 104, 70, 120));
  // Zero height: one row, inside the plot.
  bar = VolumeBarRect(pane, 100, 7, 0);
  EXPECT_EQ(Row(bar.top, bar.bottom), Row(119, 120));
  EXPECT_EQ(VolumeBarRect(pane, 100, 7, 1000).top, 20);

  // A negative minimum does not lift the bars.
  const PaneRecord shifted = MakePane(20, 100, -1000, 1000);
  EXPECT_EQ(VolumeBarRect(shifted, 100, 7, -1000).top, 119);
  EXPECT_EQ(VolumeBarRect(shifted, 100, 7, 0).top, 70);
  const PaneRecord raised = MakePane(20, 100, 500, 1500);
  EXPECT_EQ(VolumeBarRect(raised, 100, 7, 1000).top, 70);
  EXPECT_EQ(VolumeBarRect(raised, 100, 7, 100).top, 119);  // below the minimum

  PaneRecord flat = MakePane(20, 1, 0, 0);
  flat.valuePerPixel = 0.0;
  EXPECT_EQ(VolumeBarRect(flat, 100, 7, 5000).top, 20);
  EXPECT_EQ(VolumeBarRect(flat, 100, 7, 5000).bottom, 21);
}

}  // namespace
