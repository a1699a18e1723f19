#include "common/stock_code.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/support/row.h"

namespace {

class StockCodes : public ::testing::Test {
 protected:
  void SetUp() override { InitStockCodeGlobals(); }
};

TEST_F(StockCodes, PackUnpackRangeAndOldNumbers) {
  EXPECT_EQ(StringToCode("1301"), 0x31333031u);
  char text[5];
  EXPECT_STREQ(CodeToString(0x31333031u, text), "1301");
  EXPECT_STREQ(CodeToString(StringToCode("ZZZZ")), "ZZZZ");
  EXPECT_EQ(StringToCode("13015"), StringToCode("1301"));
  EXPECT_EQ(StringToCode(nullptr), 0u);
  auto shortText = std::make_unique<char[]>(3);  // a read of a fourth byte trips ASan
  std::memcpy(shortText.get(), "AB", 3);
  EXPECT_EQ(StringToCode(shortText.get()), 0x41420000u);

  EXPECT_EQ(Row(IsStockCodeInRange(StringToCode("0000")), IsStockCodeInRange(StringToCode("ZZZZ")),
                IsStockCodeInRange(StringToCode("0000") - 1), IsStockCodeInRange(StringToCode("ZZZZ") + 1),
                IsStockCodeInRange(0xFFFFFFFFu), IsStockCodeInRange(1301)),
            Row(1, 1, 0, 0, 0, 0));
  EXPECT_EQ(Row(NumberToCode(1301), NumberToCode(8), NumberToCode(0), NumberToCode(10000)),
            Row(StringToCode("1301"), StringToCode("0008"), StringToCode("0000"), 10000));
  // "13:0" is in range, yet no code.
  EXPECT_EQ(Row(IsValidCodeText(StringToCode("13A0")), IsValidCodeText(StringToCode("13:0")),
                IsValidCodeText(StringToCode("130"))),
            Row(1, 0, 0));
}

TEST_F(StockCodes, IndexAliases) {
  const char* const aliases[][2] = {{"0101", "1001"}, {"0000", "1001"}, {"0201", "1002"},
                                    {"0010", "1002"}, {"I010", "1003"}, {"0106", "1003"},
                                    {"I011", "1004"}, {"0107", "1004"}, {"1301", "1301"}};
  for (const auto& a : aliases) {
    EXPECT_EQ(GetCanonicalIndexCode(StringToCode(a[0])), StringToCode(a[1])) << a[0];
  }
}

}  // namespace
