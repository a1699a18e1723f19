#include "common/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Thousands(int value) {
  char out[16];
  FormatThousands(value, out);
  return out;
}

std::string Signed(int value) {
  char out[16];
  FormatSignedThousands(value, out);
  return out;
}

std::string Yen(int value) {
  char out[16];
  FormatYenThousands(value, out);
  return out;
}

std::string Double(double value) {
  char out[64];
  FormatDoubleThousands(value, out, sizeof out);
  return out;
}

TEST(NumberTextTest, ThousandsAtEveryGroupBoundary) {
  EXPECT_EQ(Thousands(0), "0");
  EXPECT_EQ(Thousands(999), "999");
  EXPECT_EQ(Thousands(1000), "1,000");
  EXPECT_EQ(Thousands(-1000), "-1,000");
  EXPECT_EQ(Thousands(999999), "999,999");
  EXPECT_EQ(Thousands(1000000), "1,000,000");
  EXPECT_EQ(Thousands(1234567), "1,234,567");
  EXPECT_EQ(Thousands(1000000000), "1,000,000,000");
  EXPECT_EQ(Thousands(1000001), "1,000,001");
  EXPECT_EQ(Thousands(-7), "-7");
}

TEST(NumberTextTest, ExtremesFitSixteenBytes) {
  char out[17];
  memset(out, 'X', sizeof out);
  FormatYenThousands(INT_MIN, out);
  EXPECT_STREQ(out, "-\\2,147,483,648");
  EXPECT_EQ(out[16], 'X');
  EXPECT_EQ(Thousands(INT_MIN), "-2,147,483,648");
  EXPECT_EQ(Thousands(INT_MAX), "2,147,483,647");
  EXPECT_EQ(Signed(INT_MIN), "-2,147,483,648");
  EXPECT_EQ(Signed(INT_MAX), "+2,147,483,647");
}

TEST(NumberTextTest, SignedAndYen) {
  EXPECT_EQ(Signed(0), "+0");
  EXPECT_EQ(Signed(1500), "+1,500");
  EXPECT_EQ(Signed(-1500), "-1,500");
  EXPECT_EQ(Yen(0), "\\0");
  EXPECT_EQ(Yen(980), "\\980");
  EXPECT_EQ(Yen(12345678), "\\12,345,678");
  EXPECT_EQ(Yen(-1000), "-\\1,000");
}

TEST(NumberTextTest, DoubleIsRoundedThenGrouped) {
  EXPECT_EQ(Double(-1234.4), "-1,234");
  EXPECT_EQ(Double(1234567.6), "1,234,568");
  EXPECT_EQ(Double(999.5), "1,000");  // "%.0f" rounds half to even: 1000 is even
  EXPECT_EQ(Double(0.4), "0");
  EXPECT_EQ(Double(-0.4), "0");
  EXPECT_EQ(Double(-0.0), "0");
  EXPECT_EQ(Double(1e15), "1,000,000,000,000,000");
  EXPECT_EQ(Double(-9876543210.0), "-9,876,543,210");
}

TEST(NumberTextTest, DoubleNeverOverrunsAndGivesZeroForNonFinite) {
  char out[8];
  memset(out, 'X', sizeof out);
  FormatDoubleThousands(1e300, out, 6);
  EXPECT_STREQ(out, "1,000");
  EXPECT_EQ(out[6], 'X');
  FormatDoubleThousands(-std::numeric_limits<double>::max(), out, 1);
  EXPECT_STREQ(out, "");

  EXPECT_EQ(Double(std::nan("")), "0");
  EXPECT_EQ(Double(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(Double(-std::numeric_limits<double>::infinity()), "0");
  char largest[512];
  FormatDoubleThousands(std::numeric_limits<double>::max(), largest, sizeof largest);
  EXPECT_EQ(strlen(largest), 309u + 102u);
  EXPECT_EQ(std::string(largest, 8), "179,769,");
}

// Every byte is 6 pixels wide.
int MeasureSixPerByte(void* calls, const char* text) {
  ++*static_cast<int*>(calls);
  return 6 * static_cast<int>(strlen(text));
}

std::string Fit(int value, int width, int* calls) {
  char out[16];
  *calls = 0;
  FormatThousandsToFit(MeasureSixPerByte, calls, value, out, width);
  return out;
}

TEST(NumberTextTest, FitFallsBackToThousandsThenMillions) {
  int calls = 0;
  EXPECT_EQ(Fit(1234567, 54, &calls), "1,234,567");  // exactly fits
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Fit(1234567, 53, &calls), "1,234千");  // 5 bytes + 2 for the unit
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Fit(1234567, 41, &calls), "1百万");  // not measured again
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Fit(-1999999, 10, &calls), "-1百万");  // truncated toward zero
  EXPECT_EQ(Fit(INT_MIN, 0, &calls), "-2,147百万");
}

}  // namespace
