#include "window/list_rows.h"

#include <algorithm>
#include <cstring>

uint32_t StockRowCodeColor(const StockRowFacts& facts) {
  if (!facts.inStockTable) return kRowTextStale;
  if (facts.pastPriceFetchRunning && !facts.fetchedYet) return kRowTextNotFetched;
  if (!facts.timeBackMode && facts.lastBarDate < facts.newestQuoteDate) return kRowTextStale;
  return kRowTextBlack;
}

bool ShouldDrawListItem(unsigned action, int itemId) {
  return itemId >= 0 && (action & (kItemDrawEntire | kItemDrawSelect)) != 0;
}

bool FitsItemBitmap(int width, int height) { return width <= kItemBitmapWidth && height <= kItemBitmapHeight; }

void SplitListRowText(const char* text, char* code, int codeSize, const char** value) {
  const char* tab = std::strchr(text, '\t');
  const size_t length = tab != nullptr ? static_cast<size_t>(tab - text) : std::strlen(text);
  *value = tab != nullptr ? tab + 1 : text + length;
  if (codeSize <= 0) return;
  const size_t kept = std::min(length, static_cast<size_t>(codeSize - 1));
  std::memcpy(code, text, kept);
  code[kept] = '\0';
}
