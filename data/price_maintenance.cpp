#include "data/price_maintenance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/progress.h"
#include "data/daily_cache.h"
#include "records/settings_block.h"

namespace {

int ClampedCount(const BarSeries& series) { return std::clamp<int32_t>(series.count, 0, kMaxBars); }

// The series of every stock of the table in turn, read for storing back,
// while `visit` returns true.
template <typename Visit>
void WalkStoredSeries(bool onlyCodesInRange, Visit visit) {
  const int stocks = StockTableCount();
  SetProgressSubRange(stocks);
  for (int i = 0; i < stocks; ++i) {
    SetProgressSubPos(static_cast<uint32_t>(i));
    const StockCode code = gStockTable->records[i].master.code;
    if (onlyCodesInRange && !IsStockCodeInRange(code)) continue;
    GetDailyBarsForUpdate(code, gScratchSeries);
    gScratchSeries->count = ClampedCount(*gScratchSeries);
    if (!visit(i, *gScratchSeries)) return;
  }
}

// A repair is told as done only once it is on disk: a kill after the
// closing message must not take it back.
bool StoreChangedSeries(int index, const BarSeries& series, PackedDate today, bool onlyWhenLastDateMoved,
                        DailyWriteFailure* failure) {
  if (const int error = WriteDailyBarsNow(series.code, series)) {
    if (failure != nullptr) *failure = {series.code, error};
    return false;
  }
  ApplySeriesToRecord(gStockTable->records[index], series, today, onlyWhenLastDateMoved);
  gRecomputeNeeded = 1;
  return true;
}

}  // namespace

int TrimFutureBars(BarSeries& series, PackedDate today) {
  const int before = ClampedCount(series);
  int count = before;
  while (count > 0 && series.bars[count - 1].date > today) --count;
  series.count = count;
  return before - count;
}

int RemoveBarsOfDate(BarSeries& series, PackedDate date) {
  const int before = ClampedCount(series);
  PriceBar* end =
      std::remove_if(series.bars, series.bars + before, [date](const PriceBar& bar) { return bar.date == date; });
  series.count = static_cast<int32_t>(end - series.bars);
  return before - series.count;
}

int FindFirstLongGap(const BarSeries& series) {
  const int count = ClampedCount(series);
  for (int i = 1; i < count; ++i) {
    if (PackedDateToDays(series.bars[i].date) - PackedDateToDays(series.bars[i - 1].date) > kLongGapDays) return i;
  }
  return -1;
}

void ApplySeriesToRecord(StockRecord& record, const BarSeries& series, PackedDate today, bool onlyWhenLastDateMoved) {
  const int count = ClampedCount(series);
  record.dailyCount = count;
  if (count == 0) {
    record.lastDate = 0;
    record.liveTime = 0;
    record.lastBar = PriceBar{};
    return;
  }
  const PriceBar& last = series.bars[count - 1];
  if (!onlyWhenLastDateMoved || record.lastDate != last.date) {
    record.lastDate = last.date;
    record.liveTime = last.date < today ? kLiveTimeFinished : 0;
  }
  record.lastBar = last;
}

PackedDate DeleteDateFromNumber(uint32_t value) {
  const int year = static_cast<int>(value / 10000), month = static_cast<int>(value / 100 % 100);
  const int day = static_cast<int>(value % 100);
  if (year < kDeleteDateFirstYear || year > kDeleteDateLastYear || month < 1 || month > 12 || day < 1 || day > 31)
    return 0;
  return MakePackedDate(year, month, day);
}

PackedDate DeleteDateFromText(const char* text) {
  constexpr int kDigits = 8;
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (isBlank(*text)) ++text;
  uint32_t value = 0;
  int digits = 0;
  for (; *text >= '0' && *text <= '9'; ++text, ++digits) {
    if (digits == kDigits) return 0;
    value = value * 10 + static_cast<uint32_t>(*text - '0');
  }
  while (isBlank(*text)) ++text;
  return digits == kDigits && *text == 0 ? DeleteDateFromNumber(value) : 0;
}

void FormatBackupLabel(const char* folderName, char* out, int size) {
  if (size <= 0) return;
  const char* n = folderName;
  if (strnlen(n, 15) < 15) {
    snprintf(out, static_cast<size_t>(size), "%s", n);
    return;
  }
  snprintf(out, static_cast<size_t>(size), "%.4s/%.2s/%.2s  %.2s:%.2s:%.2s", n, n + 4, n + 6, n + 9, n + 11, n + 13);
}

bool IsStockMasterFileSize(uint64_t size) {
  return size == sizeof(StockMasterFile) || size == kOldStockMasterFileBytes;
}

bool CopyStockMasterImage(const void* bytes, uint64_t size, StockMasterFile* out) {
  if (!IsStockMasterFileSize(size)) return false;
  std::memset(out, 0, sizeof(StockMasterFile));
  std::memcpy(out, bytes, static_cast<size_t>(size));
  const int32_t records = static_cast<int32_t>((size - sizeof(int32_t)) / sizeof(StockMasterRecord));
  out->count = std::clamp<int32_t>(out->count, 0, records);
  return true;
}

int RemoveFutureBarsFromAllStocks(PackedDate today, DailyWriteFailure* failure) {
  int changed = 0;
  WalkStoredSeries(false, [&](int index, BarSeries& series) {
    if (TrimFutureBars(series, today) == 0) return true;
    if (!StoreChangedSeries(index, series, today, false, failure)) return false;
    ++changed;
    return true;
  });
  return changed;
}

int DeleteBarsOfDateFromAllStocks(PackedDate date, PackedDate today, int* stocksOut, DailyWriteFailure* failure) {
  int removed = 0, stocks = 0;
  WalkStoredSeries(true, [&](int index, BarSeries& series) {
    const int n = RemoveBarsOfDate(series, date);
    if (n == 0) return true;
    if (!StoreChangedSeries(index, series, today, true, failure)) return false;
    removed += n;
    ++stocks;
    return true;
  });
  *stocksOut = stocks;
  return removed;
}

int FindStocksWithLongGaps(void (*report)(int index, void* context), void* context) {
  int found = 0;
  WalkStoredSeries(false, [&](int index, const BarSeries& series) {
    if (FindFirstLongGap(series) < 0) return true;
    ++found;
    report(index, context);
    return true;
  });
  return found;
}
