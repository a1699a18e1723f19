#include "common/number_text.h"

#include <gtest/gtest.h>

namespace {

// What a dialog makes of a typed entry: within the range, the minimum for what is no number.
TEST(NumberText, TypedNumbersArePutWithinTheRangeAndTextGivesTheMinimum) {
  struct Case {
    const char* typed;
    int low, high, expected;
  } const cases[] = {
      {"400", 3, 300, 300},
      {"2", 3, 300, 3},
      {"0", 0, 300, 0},
      {"6000", 3, 5119, 5119},
      {"abc", 3, 300, 3},
      {" 25 ", 3, 100, 25},
      {"+7", 3, 100, 7},
      {"-5", 0, 300, 0},
      {"12abc", 3, 300, 3},
      {"99999999999999999999", 3, 300, 300},
      {"2147483648", 0, 2147483647, 2147483647},
      {"-2147483648", -2147483647 - 1, 0, -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseClampedInt(c.typed, c.low, c.high), c.expected) << '"' << c.typed << '"';
}

}  // namespace
