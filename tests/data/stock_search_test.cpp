#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/stock_table.h"

namespace {

std::string Folded(const char* text, size_t size = 256) {
  char out[256];
  memset(out, 'X', sizeof out);
  NormalizeTextForSearch(text, out, size);
  return out;
}

TEST(StockSearchTest, FullWidthFormsFoldToAsciiOthersStay) {
  std::string ascii;
  for (char c = '!'; c <= '~'; ++c) ascii += c;
  EXPECT_EQ(Folded("！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠"
                   "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿｀"
                   "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～"),
            ascii);
  EXPECT_EQ(Folded("　ソニーｱ日本"), "　ソニーｱ日本");
  // Never half a character, never past the output.
  EXPECT_EQ(Folded("アイウ", 6), "アイ");
  EXPECT_EQ(Folded("ＡＢア", 4), "AB");
  EXPECT_EQ(Folded("A\x82"), "A\x82");
}

TEST(StockSearchTest, FullWidthPatternFindsAsciiAndKeepsCase) {
  EXPECT_TRUE(ContainsTextNormalized("ABC", "ＡＢＣ") && ContainsTextNormalized("ＡＢＣ工業", "ABC"));
  EXPECT_TRUE(ContainsTextNormalized("A", ""));
  EXPECT_FALSE(ContainsTextNormalized("abc", "ＡＢＣ") || ContainsTextNormalized("", "") ||
               ContainsTextNormalized(nullptr, ""));
}

TEST(StockSearchTest, MatchesBeginOnlyAtCharacterStarts) {
  // The trail byte of "ア" is 'A', that of "ソ" is '\'.
  EXPECT_FALSE(ContainsTextNormalized("アイ", "A"));
  EXPECT_FALSE(ContainsTextNormalized("ソニー", "￥"));
  EXPECT_TRUE(ContainsTextNormalized("アAイ", "A"));
  EXPECT_TRUE(ContainsTextNormalized("ｱA", "A"));  // half-width kana are one byte
}

TEST(StockSearchTest, StocksAreCountedOnceAndFoundFromTheStartIndex) {
  ASSERT_TRUE(AllocateStockTable());
  const char* texts[][3] = {{"ABC工業", "エービーシー", "ABC"},
                            {"日本水産", "", ""},
                            {"マルハ", "ＡＢＣマルハ", ""},
                            {"abc", "", ""},
                            {"ABC", "ABC", "ABC"}};  // beyond the count
  for (int i = 0; i < 5; ++i) {
    StockMasterRecord& master = gStockTable->records[i].master;
    snprintf(master.name, sizeof master.name, "%s", texts[i][0]);
    snprintf(master.reading, sizeof master.reading, "%s", texts[i][1]);
    snprintf(master.shortName, sizeof master.shortName, "%s", texts[i][2]);
  }
  gStockTable->count = 4;
  EXPECT_EQ(CountStocksMatchingText("ＡＢＣ"), 2);
  EXPECT_EQ(CountStocksMatchingText(""), 4);
  EXPECT_EQ((std::vector<int>{FindNextStockMatchingText(-3, "ABC"), FindNextStockMatchingText(1, "ABC"),
                              FindNextStockMatchingText(3, "ABC")}),
            (std::vector<int>{0, 2, -1}));
  gStockTable->count = 0;
  EXPECT_EQ(CountStocksMatchingText(""), 0);
}

}  // namespace
