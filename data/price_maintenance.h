#pragma once
// Repairs of the whole price database: bars dated after today, one date
// taken out of every stock, long gaps found, a master file's image made
// safe. The walks read the stored series (never cut, never cached) and store
// them back to their files at once, and into the daily cache when cached.
#include <cstdint>

#include "data/daily_files.h"
#include "data/stock_table.h"
#include "records/price_series.h"

constexpr int kLongGapDays = 31;      // neighbours further apart than this are a gap
constexpr int kBackupLabelSize = 32;  // "YYYY/MM/DD  HH:MM:SS" and its zero
constexpr int kDeleteDateFirstYear = 1980;
constexpr int kDeleteDateLastYear = 2999;

// Drops bars from the end while the last one is dated after `today`; the
// number dropped.
int TrimFutureBars(BarSeries& series, PackedDate today);
// Removes every bar of `date`, keeping the others' order; the number removed.
int RemoveBarsOfDate(BarSeries& series, PackedDate date);
// The index of the later bar of the first pair of neighbours more than
// kLongGapDays calendar days apart, or -1.
int FindFirstLongGap(const BarSeries& series);
// The record after its series changed: count, last date, live time and last
// bar; zeroed when no bar is left. With `onlyWhenLastDateMoved` the last date
// and live time stay unless the last bar's date differs from the record's.
void ApplySeriesToRecord(StockRecord& record, const BarSeries& series, PackedDate today, bool onlyWhenLastDateMoved);
// An eight-digit YYYYMMDD typed in the delete-date dialog: the date, or 0
// when the year is outside 1980..2999, the month outside 1..12 or the day
// outside 1..31.
PackedDate DeleteDateFromNumber(uint32_t value);
// The text typed in that dialog: exactly eight digits (blanks around them
// aside) read as above; 0 for anything else.
PackedDate DeleteDateFromText(const char* text);
// "YYYY/MM/DD  HH:MM:SS" of a backup folder named YYYYMMDD_HHMMSS; a shorter
// name as it is (cut to the label's size).
void FormatBackupLabel(const char* folderName, char* out, int size);
// True for the sizes of a stock master file: 5000 or the older 4000 records.
bool IsStockMasterFileSize(uint64_t size);
// A master file's bytes in a zeroed full image, its count kept within the
// records the file holds; false for any other size.
bool CopyStockMasterImage(const void* bytes, uint64_t size, StockMasterFile* out);

// Walks every stock of the table under the open progress dialog (its
// sub-range set here). Each returns the number of stocks changed or found.
// A changed series is on disk before its record changes; the walk stops at
// the first daily file it cannot write (in `failure` when given), leaving
// that stock and those after it as they were.
int RemoveFutureBarsFromAllStocks(PackedDate today, DailyWriteFailure* failure = nullptr);
// The bars removed in total; the stocks changed in *stocksOut.
int DeleteBarsOfDateFromAllStocks(PackedDate date, PackedDate today, int* stocksOut,
                                  DailyWriteFailure* failure = nullptr);
// Calls `report` with the table index of each stock with a long gap, once per stock.
int FindStocksWithLongGaps(void (*report)(int index, void* context), void* context);
