#include "common/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

template <void (*format)(int, char*)>
std::string Text(int value) {
  char out[16];
  format(value, out);
  return out;
}
const auto Thousands = Text<FormatThousands>;
const auto Signed = Text<FormatSignedThousands>;
const auto Yen = Text<FormatYenThousands>;

std::string Double(double value) {
  char out[64];
  FormatDoubleThousands(value, out, sizeof out);
  return out;
}

TEST(NumberTextTest, ThousandsAtEveryGroupBoundary) {
  const std::pair<int, const char*> cases[] = {{0, "0"},
                                               {999, "999"},
                                               {1000, "1,000"},
                                               {-1000, "-1,000"},
                                               {999999, "999,999"},
                                               {1000000, "1,000,000"},
                                               {1000001, "1,000,001"},
                                               {1000000000, "1,000,000,000"},
                                               {-7, "-7"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(Thousands(value), text);
}

TEST(NumberTextTest, ExtremesFitSixteenBytes) {
  char out[17];
  memset(out, 'X', sizeof out);
  FormatYenThousands(INT_MIN, out);
  EXPECT_STREQ(out, "-\\2,147,483,648");
  EXPECT_EQ(out[16], 'X');
  EXPECT_EQ((std::vector<std::string>{Thousands(INT_MIN), Thousands(INT_MAX), Signed(INT_MIN), Signed(INT_MAX)}),
            (std::vector<std::string>{"-2,147,483,648", "2,147,483,647", "-2,147,483,648", "+2,147,483,647"}));
}

TEST(NumberTextTest, SignedAndYen) {
  EXPECT_EQ((std::vector<std::string>{Signed(0), Signed(1500), Signed(-1500)}),
            (std::vector<std::string>{"+0", "+1,500", "-1,500"}));
  EXPECT_EQ((std::vector<std::string>{Yen(0), Yen(980), Yen(12345678), Yen(-1000)}),
            (std::vector<std::string>{"\\0", "\\980", "\\12,345,678", "-\\1,000"}));
}

TEST(NumberTextTest, DoubleIsRoundedThenGrouped) {
  const std::pair<double, const char*> cases[] = {{-1234.4, "-1,234"},
                                                  {1234567.6, "1,234,568"},
                                                  {999.5, "1,000"},  // "%.0f" rounds half to even
                                                  {0.4, "0"},
                                                  {-0.4, "0"},
                                                  {-0.0, "0"},
                                                  {1e15, "1,000,000,000,000,000"},
                                                  {-9876543210.0, "-9,876,543,210"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(Double(value), text) << value;
}

TEST(NumberTextTest, DoubleNeverOverrunsAndGivesZeroForNonFinite) {
  char out[8];
  memset(out, 'X', sizeof out);
  FormatDoubleThousands(1e300, out, 6);
  EXPECT_STREQ(out, "1,000");
  EXPECT_EQ(out[6], 'X');
  FormatDoubleThousands(-std::numeric_limits<double>::max(), out, 1);
  EXPECT_STREQ(out, "");

  for (double value : {std::nan(""), HUGE_VAL, -HUGE_VAL}) EXPECT_EQ(Double(value), "0");
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
  // Exactly fits; 5 bytes + 2 for the unit; millions are not measured again, and cut toward zero.
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
    int calls = 0;
    EXPECT_EQ(Fit(c.value, c.width, &calls), c.text) << c.value << " in " << c.width;
    EXPECT_EQ(calls, c.calls) << c.value << " in " << c.width;
  }
}

}  // namespace
