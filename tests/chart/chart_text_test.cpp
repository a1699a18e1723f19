#include "chart/chart_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "tests/support/row.h"

namespace {

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
