#include "chart/chart_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Fixed2(int32_t value) {
  char text[kFixed2TextSize];
  memset(text, 'x', sizeof text);
  FormatFixed2(value, text);
  return text;
}

TEST(ChartTextTest, HundredthsKeepTheirSignDownToTheSmallestValue) {
  EXPECT_EQ(Fixed2(1234), "12.34");
  EXPECT_EQ(Fixed2(5), "0.05");
  EXPECT_EQ(Fixed2(0), "0.00");
  EXPECT_EQ(Fixed2(-5), "-0.05");
  EXPECT_EQ(Fixed2(-99), "-0.99");
  EXPECT_EQ(Fixed2(-100), "-1.00");
  EXPECT_EQ(Fixed2(-1234), "-12.34");
  EXPECT_EQ(Fixed2(INT_MAX), "21474836.47");
  EXPECT_EQ(Fixed2(INT_MIN), "-21474836.48");
}

TEST(ChartTextTest, AppendedTextsStayInsideTheirBuffer) {
  char text[12] = "RSI";
  AppendIntText(text, sizeof text, 14);
  AppendPeriodUnit(text, sizeof text, 1);
  EXPECT_STREQ(text, "RSI14週");
  AppendPeriodUnit(text, sizeof text, 3);  // no such period
  AppendPeriodUnit(text, sizeof text, -1);
  EXPECT_STREQ(text, "RSI14週");
  AppendIntText(text, sizeof text, INT_MIN);
  EXPECT_EQ(strlen(text), sizeof text - 1);
}

TEST(ChartTextTest, LightenedChannelsStopAtTheirLimits) {
  EXPECT_EQ(LightenColor(0x0010FA20, 32), 0x0030FF40u);
  EXPECT_EQ(LightenColor(0x00FFFFFF, 200), 0x00FFFFFFu);
  EXPECT_EQ(LightenColor(0x00102030, -0x20), 0x00000010u);
  EXPECT_EQ(LightenColor(0x00000000, 0), 0u);
}

TEST(ChartTextTest, CrossTrailsAddAPointEveryThirtyTwoPixelsFromSixtyFourOn) {
  EXPECT_EQ(CountCrossTrailPoints(10, 10, 50, 10), 2);   // 40 px: the two ends
  EXPECT_EQ(CountCrossTrailPoints(10, 10, 73, 10), 2);   // 63 px
  EXPECT_EQ(CountCrossTrailPoints(10, 10, 74, 10), 3);   // 64 px: n = 2
  EXPECT_EQ(CountCrossTrailPoints(0, 0, 100, 0), 4);     // 100 px: n = 3
  EXPECT_EQ(CountCrossTrailPoints(0, 0, 60, 80), 4);     // 100 px along a slope
  EXPECT_EQ(CountCrossTrailPoints(5, 5, 5, 5), 2);

  const PixelPoint inner1 = GetCrossTrailPoint(0, 0, 100, 0, 1);
  const PixelPoint inner2 = GetCrossTrailPoint(0, 0, 100, 0, 2);
  const PixelPoint end = GetCrossTrailPoint(0, 0, 100, 0, 3);
  EXPECT_EQ(inner1.x, 33);
  EXPECT_EQ(inner2.x, 66);
  EXPECT_EQ(end.x, 100);
  const PixelPoint sloped = GetCrossTrailPoint(0, 0, 60, 80, 1);
  EXPECT_EQ(sloped.x, 20);
  EXPECT_EQ(sloped.y, 26);
}

// Far-apart points (a drag far outside the window) must not overflow.
TEST(ChartTextTest, CrossTrailsOfExtremePointsStayOnTheLine) {
  const int count = CountCrossTrailPoints(INT_MIN, 0, INT_MAX, 0);
  EXPECT_GT(count, 2);
  const PixelPoint last = GetCrossTrailPoint(INT_MIN, 0, INT_MAX, 0, count - 1);
  EXPECT_EQ(last.x, INT_MAX);
  const PixelPoint middle = GetCrossTrailPoint(INT_MIN, INT_MIN, INT_MAX, INT_MAX, count / 2);
  EXPECT_EQ(middle.x, middle.y);
}

}  // namespace
