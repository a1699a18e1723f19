#include "window/list_rows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ListRowsTest, CodeColours) {
  const PackedDate day = MakePackedDate(2026, 3, 10), nextDay = MakePackedDate(2026, 3, 11);
  struct Case {
    bool inTable, timeBack;
    PackedDate newestQuote;
    bool fetchRunning, fetchedYet;
    uint32_t color;
  };
  const Case cases[] = {
      {true, false, day, false, false, kRowTextBlack},
      {true, false, nextDay, false, false, kRowTextStale},  // no bar for the newest quote date
      {true, true, nextDay, false, false, kRowTextBlack},   // old bars are expected while going back in time
      {true, false, 0, false, false, kRowTextBlack},        // no live quotes yet
      {false, false, day, false, false, kRowTextStale},
      {false, false, day, true, false, kRowTextStale},
      {true, false, day, true, false, kRowTextNotFetched},
      {true, false, nextDay, true, false, kRowTextNotFetched},  // stale too: the fetch colour wins
      {true, false, nextDay, true, true, kRowTextStale},
  };
  for (const Case& c : cases) {
    const StockRowFacts facts{c.inTable, c.timeBack, day, c.newestQuote, c.fetchRunning, c.fetchedYet};
    EXPECT_EQ(StockRowCodeColor(facts), c.color) << &c - cases;
  }
}

TEST(ListRowsTest, OnlyWholeRowsAndSelectionChangesAreDrawnAndRowTextsSplitAtTheFirstTab) {
  EXPECT_TRUE(ShouldDrawListItem(kItemDrawEntire, 0) && ShouldDrawListItem(kItemDrawSelect, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawFocus, 3));
  EXPECT_FALSE(ShouldDrawListItem(kItemDrawEntire, -1));  // empty edit field of a combo box
  struct Case {
    const char *text, *code, *value;
    int codeSize;
  };
  for (const Case& c : {Case{"7203\t1,234\tx", "7203", "1,234\tx", 8}, Case{"9984", "9984", "", 8},
                        Case{"ABCDEFGHIJ\t5", "ABCD", "5", 5}}) {
    char code[8];
    const char* value = nullptr;
    SplitListRowText(c.text, code, c.codeSize, &value);
    EXPECT_EQ(std::string(code) + "|" + value, std::string(c.code) + "|" + c.value);
  }
}

}  // namespace
