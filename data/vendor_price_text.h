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

// A row dated more than this many days after today is refused: no price is
// known of a day to come, and a bar far ahead would sort before every real
// day that follows.
constexpr int kMaxRowDaysAfterToday = 7;
// Today as the row rules see it: the platform's clock (tests replace it).
extern PackedDate (*gPriceRowsToday)();

struct ParsedPriceText {
  // The newest date of a valid reference-index row, 0 when none. The caller
  // moves the last price date to it only once the bars reached the files, so
  // that a cancelled or failed import is fetched again next time.
  PackedDate newestReferenceDate;
  int validRows;    // rows that passed every rule, of stocks in the table or not
  int skippedRows;  // data lines refused by a rule
  bool cancelled;
};

// Fills `list` for every stock of the table and fills in a missing market of
// a stock record. A data line (one that begins with a digit) is refused and
// counted when a field is malformed: a date that is not eight digits of a
// calendar day up to a week after today, a code out of range, no market, a
// price or volume that is not a plain integer of 32 bits (an index volume:
// a plain decimal number of shares), a negative one, a high below the low, or
// a positive open or close outside them. Rows of stocks not in the table are
// valid but collect nothing. Runs inside an open progress dialog and stops
// when it is cancelled.
ParsedPriceText ParseVendorPriceText(const char* text, int length, ImportBarList* list);
