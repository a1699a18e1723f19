#include "common/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

namespace {

// Each value formatted into 16 bytes (the extremes fit, nothing is written beyond), joined by '|'.
std::string Texts(void (*format)(int, char*), std::initializer_list<int> values) {
  std::string texts;
  for (int value : values) {
    char out[17];
    memset(out, 'X', sizeof out);
    format(value, out);
    texts += std::string(out) + (out[16] == 'X' ? "|" : "<overrun>|");
  }
  return texts;
}

// Each value formatted into `size` bytes, joined by '|'.
std::string DoubleTexts(std::initializer_list<double> values, size_t size = 64) {
  std::string texts;
  for (double value : values) {
    char out[65];
    memset(out, 'X', sizeof out);
    FormatDoubleThousands(value, out, size);
    texts += std::string(out) + (out[size] == 'X' ? "|" : "<overrun>|");
  }
  return texts;
}

TEST(NumberTextTest, IntegersAreGroupedAtEveryBoundary) {
  EXPECT_EQ(Texts(FormatThousands, {0, 999, 1000, -1000, 999999, 1000000, 1000001, 1000000000, -7, INT_MIN, INT_MAX}),
            "0|999|1,000|-1,000|999,999|1,000,000|1,000,001|1,000,000,000|-7|-2,147,483,648|2,147,483,647|");
  EXPECT_EQ(Texts(FormatSignedThousands, {0, -1500, INT_MIN, INT_MAX}), "+0|-1,500|-2,147,483,648|+2,147,483,647|");
  EXPECT_EQ(Texts(FormatYenThousands, {0, 12345678, -1000, INT_MIN}), "\\0|\\12,345,678|-\\1,000|-\\2,147,483,648|");
}

// "%.0f" rounds half to even; what is no number gives zero; nothing beyond `size` bytes.
TEST(NumberTextTest, DoublesAreRoundedThenGroupedWithinTheirSize) {
  EXPECT_EQ(DoubleTexts({-1234.4, 1234567.6, 999.5, 0.4, -0.4, -0.0, 1e15, -9876543210.0}),
            "-1,234|1,234,568|1,000|0|0|0|1,000,000,000,000,000|-9,876,543,210|");
  EXPECT_EQ(DoubleTexts({std::nan(""), HUGE_VAL, -HUGE_VAL}), "0|0|0|");
  EXPECT_EQ(DoubleTexts({1e300}, 6) + DoubleTexts({-std::numeric_limits<double>::max()}, 1), "1,000||");
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

// Exactly fits; 5 bytes + 2 for the unit; millions are not measured again, and cut toward zero.
TEST(NumberTextTest, FitFallsBackToThousandsThenMillions) {
  const struct {
    int value, width;
    const char* text;
    int calls;
  } cases[] = {{1234567, 54, "1,234,567", 1},
               {1234567, 53, "1,234千", 2},
               {1234567, 41, "1百万", 2},
               {-1999999, 10, "-1百万", 2},
               {INT_MIN, 0, "-2,147百万", 2}};
  for (const auto& c : cases) {
    char out[16];
    int calls = 0;
    FormatThousandsToFit(MeasureSixPerByte, &calls, c.value, out, c.width);
    EXPECT_EQ(std::string(out) + " " + std::to_string(calls), c.text + (" " + std::to_string(c.calls))) << c.width;
  }
}

}  // namespace
