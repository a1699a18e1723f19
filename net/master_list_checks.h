#pragma once
// What a downloaded list must hold before it replaces "BASEDATA\ken.dat" or
// "BASEDATA\stockinf.dat": a broken download often still holds a few good
// lines, and applying it would drop every stock it lacks. A list fails when
// fewer than 4000 of its lines are lines of its own format, when it leaves
// out the reference index (stock information only), or when it leaves out
// more than half of the stocks held now.
#include <string>

#include "data/ken_table.h"
#include "data/stock_table.h"

constexpr int kMinMasterListLines = 4000;  // fewer lines read means a broken download

enum class ListRefusal { kNone, kTooFewLines, kTooFewStocks, kNoReferenceIndex, kStocksLeftOut };

struct ListVerdict {
  ListRefusal refusal = ListRefusal::kNone;
  int count = 0;  // kTooFewLines: the lines read; kTooFewStocks: the stocks read; kStocksLeftOut: the stocks left out
  int of = 0;     // kTooFewLines: the lines of the file; kStocksLeftOut: the stocks held now
};

// How the messages name a list and what it would replace (Shift-JIS).
struct MasterListNames {
  const char* list;    // the list and its file
  const char* held;    // what kStocksLeftOut counts
  const char* target;  // the file the list replaces
};

// `lines` is the number of lines that gave an entry, `fileLines` that of the file.
ListVerdict CheckNewkenList(int lines, int fileLines, const KenTable& next, const KenTable* current);
// `lines` is the number of lines with a code and a market of the list.
ListVerdict CheckPinfoList(int lines, int fileLines, const StockMasterFile& next, const StockTable* table);

// The message of a refused list, and that of a list not applied because the
// file it replaces could not be copied aside first.
std::string DescribeListRefusal(const MasterListNames& names, const ListVerdict& verdict);
std::string DescribeFailedCopyAside(const MasterListNames& names, const char* asidePath, int error);
