#pragma once
// The vendor's price text: one line per stock and trading day, sorted into an
// ImportBarList ready for MergeParsedBarsIntoAllStocks.
#include "common/packed_date.h"
#include "data/import_bar_list.h"

constexpr int kMarketIdNone = 0;
constexpr int kMarketIdIndex = 6;

// Reads the next field; a PackedDate when it is exactly 8 characters
// YYYYMMDD (leading digits of each part), else 0.
PackedDate ReadCsvDate(const char* text, int length, int* position);
// Reads the next field; its market id 1..12, or 0 when it names no market.
int ReadCsvMarket(const char* text, int length, int* position);

struct ParsedPriceText {
  // The newest date of a well-formed reference-index row, 0 when none. The
  // caller moves the last price date to it only once the bars reached the
  // files, so that a cancelled or failed import is fetched again next time.
  PackedDate newestReferenceDate;
  bool cancelled;
};

// Fills `list` for every stock of the table (rows of unknown stocks and
// malformed lines are skipped one by one) and fills in a missing market of
// a stock record. Runs inside an open progress dialog and stops when it is
// cancelled.
ParsedPriceText ParseVendorPriceText(const char* text, int length, ImportBarList* list);
