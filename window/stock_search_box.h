#pragma once
// What a text typed into the search box names: a stock code, or a part of a
// stock's name. The window side hides the box, shows the chart or the pick
// dialog, or the error text.
#include <cstdint>

#include "common/stock_code.h"

constexpr int kMaxSearchTextBytes = 255;
constexpr char kStockSearchErrorTitle[] = "検索エラー";

enum StockSearchOutcome : int {
  kSearchNothing = 0,      // an empty text
  kSearchFound = 1,        // show `code`
  kSearchChoose = 2,       // several names match: let the user pick
  kSearchCodeMissing = 3,  // a code that is not in the stock table
  kSearchNameMissing = 4,  // no name matches
  kSearchCancelled = 5,    // the user closed the pick dialog
};

struct StockSearchResult {
  StockSearchOutcome outcome;
  StockCode code;
  char text[kMaxSearchTextBytes + 1];  // the text searched, Shift-JIS
};

// A full-width digit or capital letter (lead byte 0x82) as ASCII; false for others.
bool FullWidthCodeChar(uint8_t lead, uint8_t trail, char* out);
// A text of 4 to 8 bytes whose letters and digits, full-width ones made
// ASCII, are exactly a code: digit, code character, digit, code character.
bool ParseStockCodeText(const char* text, int length, StockCode* code);
// Looks a typed text up as a code, else as a name.
void ResolveStockSearch(const char* text, StockSearchResult* result);
// A stock picked from several matches; false when it has left the stock table.
bool AcceptChosenStock(StockCode code, StockSearchResult* result);
// The message for the two missing outcomes; empty for the others.
void FormatStockSearchError(const StockSearchResult& result, char* out, int size);
