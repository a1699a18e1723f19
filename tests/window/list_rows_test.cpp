#include "window/list_rows.h"

#include <gtest/gtest.h>

namespace {

StockRowFacts FreshStock() {
  StockRowFacts facts{};
  facts.inStockTable = true;
  facts.lastBarDate = MakePackedDate(2026, 3, 10);
  facts.newestQuoteDate = MakePackedDate(2026, 3, 10);
  return facts;
}

TEST(ListRowsTest, CodeColours) {
  StockRowFacts facts = FreshStock();
  EXPECT_EQ(StockRowCodeColor(facts), kRowTextBlack);

  facts.newestQuoteDate = MakePackedDate(2026, 3, 11);
  EXPECT_EQ(StockRowCodeColor(facts), kRowTextStale);
  facts.timeBackMode = true;  // old bars are expected while going back in time
  EXPECT_EQ(StockRowCodeColor(facts), kRowTextBlack);

  facts = FreshStock();
  facts.newestQuoteDate = 0;  // no live quotes yet
  EXPECT_EQ(StockRowCodeColor(facts), kRowTextBlack);

  facts = FreshStock();
  facts.inStockTable = false;
  EXPECT_EQ(StockRowCodeColor(facts), 0xC0C0C0u);
  facts.pastPriceFetchRunning = true;
  EXPECT_EQ(StockRowCodeColor(facts), 0xC0C0C0u);
}

TEST(ListRowsTest, PastPriceFetchMarksStocksItHasNotReached) {
  StockRowFacts facts = FreshStock();
  facts.pastPriceFetchRunning = true;
  EXPECT_EQ(StockRowCodeColor(facts), 0xDCA064u);
  facts.newestQuoteDate = MakePackedDate(2026, 3, 11);  // stale too: the fetch colour wins
  EXPECT_EQ(StockRowCodeColor(facts), 0xDCA064u);
  facts.fetchedYet = true;
  EXPECT_EQ(StockRowCodeColor(facts), kRowTextStale);
}

TEST(ListRowsTest, OnlyWholeRowsAndSelectionChangesAreDrawn) {
  EXPECT_TRUE(ShouldDrawListItem(kItemDrawEntire, 0));
  EXPECT_TRUE(ShouldDrawListItem(kItemDrawSelect, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawFocus, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawEntire, -1));  // empty edit field of a combo box
}

TEST(ListRowsTest, RowTextSplitsAtTheFirstTab) {
  char code[8];
  const char* value = nullptr;
  SplitListRowText("7203\t1,234\tx", code, sizeof code, &value);
  EXPECT_STREQ(code, "7203");
  EXPECT_STREQ(value, "1,234\tx");
  SplitListRowText("9984", code, sizeof code, &value);
  EXPECT_STREQ(code, "9984");
  EXPECT_STREQ(value, "");
  SplitListRowText("ABCDEFGHIJ\t5", code, 5, &value);
  EXPECT_STREQ(code, "ABCD");
  EXPECT_STREQ(value, "5");
}

}  // namespace
