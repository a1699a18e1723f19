// Typing a trend line's value: the limits by pane, the texts read and shown,
// and the value stored.
#include "chart/trend_line_values.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/trend_line_store.h"
#include "records/screen_pattern_record.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

namespace {

TEST(TrendLineValuesTest, LimitsFollowThePaneKind) {
  struct Case {
    int kind;
    int32_t paneMin, paneMax;
    TrendLineValueMode mode;
    int32_t lower, upper;
  };
  constexpr auto kWhole = TrendLineValueMode::kWhole, kHundredths = TrendLineValueMode::kHundredths;
  const Case cases[] = {
      {kPaneCandles, 500, 900, kWhole, 1, kMaxTypedPrice},
      {kPaneVolume, 0, 900, kWhole, 0, kMaxTypedPrice},
      {kPaneRsi, 0, 10000, kHundredths, 0, 10000},
      {kPaneDmi, 100, 4000, kHundredths, 100, 4000},
      {kPaneMacd, -300, 500, kHundredths, -600, 1000},
      {kPaneDeviation, 200, 900, kHundredths, -200, 1800},
      {kPaneSroc, -900, -100, kHundredths, -1800, 100},
      {kPaneObv, INT32_MIN, INT32_MAX, kHundredths, INT32_MIN, INT32_MAX},
  };
  for (const Case& c : cases) {
    const TrendLineValueLimits limits = GetTrendLineValueLimits(c.kind, c.paneMin, c.paneMax);
    EXPECT_EQ(Row(limits.mode, limits.lower, limits.upper), Row(c.mode, c.lower, c.upper)) << c.kind;
  }
}

TEST(TrendLineValuesTest, TypedTextsAreReadTruncatedAndClampedAndShownWithTwoDecimals) {
  const TrendLineValueLimits rsi = GetTrendLineValueLimits(kPaneRsi, 0, 10000);
  const TrendLineValueLimits macd = GetTrendLineValueLimits(kPaneMacd, -300, 500);
  const TrendLineValueLimits price = GetTrendLineValueLimits(kPaneCandles, 0, 0);
  struct Case {
    const TrendLineValueLimits& limits;
    const char* typed;
    bool read;
    int32_t value;
    const char* shown;
  };
  const Case cases[] = {
      {rsi, "12.345", true, 1234, "12.34"}, {macd, "-0.5", true, -50, "-0.50"}, {rsi, " 0.29", true, 29, "0.29"},
      {rsi, "150", true, 10000, "100.00"},  {macd, "-9", true, -600, "-6.00"},  {price, "1,234", true, 1234, "1234"},
      {price, "12.7", true, 12, "12"},      {price, "-5", true, 1, "1"},        {rsi, "", false, 0, ""},
      {rsi, "abc", false, 0, ""},           {price, "1.2.3", false, 0, ""},     {rsi, "nan", false, 0, ""},
  };
  for (const Case& c : cases) {
    int32_t value = 0;
    ASSERT_EQ(ParseTrendLineValue(c.limits, c.typed, &value), c.read) << c.typed;
    if (!c.read) continue;
    char shown[32];
    FormatTrendLineValue(c.limits, value, shown, sizeof shown);
    EXPECT_EQ(Row(value), Row(c.value)) << c.typed;
    EXPECT_STREQ(shown, c.shown) << c.typed;
  }
  char range[64];
  FormatTrendLineValueRange(macd, range, sizeof range);
  EXPECT_STREQ(range, "有効範囲：-6.00 ～ 10.00");
  FormatTrendLineValueRange(price, range, sizeof range);
  EXPECT_STREQ(range, "有効範囲：1 ～ 1000000000");
}

TEST(TrendLineValuesTest, TheCleanUpCountIsAWholeNumberWithinTheLinesStored) {
  struct Case {
    const char* typed;
    int count;
    int n;  // 0: refused
  };
  const Case cases[] = {
      {"1", 10000, 1},
      {"10000", 10000, 10000},
      {"10001", 10000, 0},
      {"0", 10000, 0},
      {"", 10000, 0},
      {"-5", 10000, 0},
      {"12.5", 10000, 0},
      {"12x", 10000, 0},
      {"1,000", 10000, 1000},
      {" 20 ", 50, 20},
      {"50", 50, 50},
      {"51", 50, 0},
      {"\x82\x51\x82\x4f", 50, 20},
      {"\x81\x40\x37", 50, 7},
      {"\x82", 50, 0},
      {"99999999999999999999", 10000, 0},
  };
  for (const Case& c : cases) {
    int n = 0;
    EXPECT_EQ(ParseTrimCount(c.typed, c.count, &n), c.n != 0) << c.typed;
    EXPECT_EQ(n, c.n) << c.typed;
  }
}

class TrendLineValueCommitTest : public PriceStoreTest {};

TEST_F(TrendLineValueCommitTest, PricesMoveToTheNearestTickAndTheLineBecomesHorizontal) {
  AddStock(NumberCode(7203)).master.marketId = 1;
  ASSERT_TRUE(LoadTrendLines());
  for (int kind : {kPaneCandles, kPaneRsi}) {
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = TestTrendLine(NumberCode(7203), MakePackedDate(2024, 3, 1), 10, MakePackedDate(2024, 3, 8), 20);
    line.paneKind = static_cast<int16_t>(kind);
  }
  CommitTrendLineValue(0, 3003);
  CommitTrendLineValue(1, 3003);
  CommitTrendLineValue(0, 0);  // kept at the lowest price
  EXPECT_EQ(Row(gTrendLines->lines[0].value1, gTrendLines->lines[0].value2, gTrendLines->lines[1].value1,
                gTrendLines->lines[1].value2),
            Row(1, 1, 3003, 3003));
  CommitTrendLineValue(0, 3003);
  EXPECT_EQ(gTrendLines->lines[0].value2, 3005);
  EXPECT_EQ(ReadWholeFile("tline.dat").size(), sizeof(TrendLineTable));
  // No chart shows the RSI line: its pane's fixed range.
  const TrendLineValueLimits limits = GetTrendLineValueLimitsForLine(1);
  EXPECT_EQ(Row(limits.lower, limits.upper), Row(0, 10000));
}

}  // namespace
