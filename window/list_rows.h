#pragma once
// Rows of the group combo boxes and stock list boxes: which rows are drawn,
// how a stock row's text splits, and the colour of its code.
#include <cstdint>

#include "common/packed_date.h"

constexpr uint32_t kRowTextBlack = 0x000000;
constexpr uint32_t kRowTextStale = 0xC0C0C0;       // unknown code, or no bar for the newest quote date
constexpr uint32_t kRowTextNotFetched = 0xDCA064;  // waiting for the past-price fetch

// Rows up to this size are drawn off screen and copied.
constexpr int kItemBitmapWidth = 512;
constexpr int kItemBitmapHeight = 48;

// Owner-draw actions (ODA_*).
constexpr unsigned kItemDrawEntire = 1;
constexpr unsigned kItemDrawSelect = 2;
constexpr unsigned kItemDrawFocus = 4;

struct StockRowFacts {
  bool inStockTable;
  bool timeBackMode;
  PackedDate lastBarDate;
  PackedDate newestQuoteDate;  // of the live quotes; 0 when none
  bool pastPriceFetchRunning;
  bool fetchedYet;  // by the running past-price fetch
};

uint32_t StockRowCodeColor(const StockRowFacts& facts);

// Focus-only actions and the empty edit field of a combo box (item -1) draw nothing.
bool ShouldDrawListItem(unsigned action, int itemId);
bool FitsItemBitmap(int width, int height);

// Splits a list row at its first tab: the code (cut to fit `codeSize` bytes)
// and the value after the tab ("" when there is no tab).
void SplitListRowText(const char* text, char* code, int codeSize, const char** value);
