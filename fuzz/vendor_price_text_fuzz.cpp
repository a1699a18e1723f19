// Parses arbitrary bytes as a vendor price text into a small stock table:
// every list stays within 31 bars of dates the calendar can hold, no stock
// gains a market outside the table, and the reported reference date is one
// of those dates.
#include <cstdint>
#include <cstring>
#include <memory>

#include "data/vendor_price_text.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kCodes[] = {"1001", "1003", "1301", "1332", "7203", "9984"};

bool IsCalendarDate(PackedDate date) {
  const int year = PackedYear(date);
  const int month = PackedMonth(date);
  const int day = PackedDay(date);
  return year >= 1900 && year <= 2199 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

void PrepareTable() {
  InitStockCodeGlobals();
  Check(AllocateStockTable());
  gStockTable->count = 0;
  for (const char* code : kCodes) {
    StockRecord& record = gStockTable->records[gStockTable->count++];
    record = StockRecord{};
    record.master.code = StringToCode(code);
  }
  ResetStockLookupCache();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (PrepareTable(), true);
  (void)prepared;
  static std::unique_ptr<ImportBarList> list(new ImportBarList());
  // Half of the runs start with every stock's market unknown.
  for (int i = 0; i < gStockTable->count; ++i) {
    gStockTable->records[i].master.marketId = size % 2 == 0 ? 0 : static_cast<uint16_t>(1 + i % 12);
  }
  const ParsedPriceText parsed =
      ParseVendorPriceText(reinterpret_cast<const char*>(data), static_cast<int>(size), list.get());
  Check(!parsed.cancelled);
  Check(parsed.newestReferenceDate == 0 || IsCalendarDate(parsed.newestReferenceDate));
  for (int i = 0; i < gStockTable->count; ++i) {
    const ImportBarEntry& entry = list->entries[i];
    Check(entry.count >= 0 && entry.count <= kImportBarsPerStock);
    Check(gStockTable->records[i].master.marketId <= 12);
    for (int k = 0; k < entry.count; ++k) {
      Check(IsCalendarDate(entry.bars[k].date));
      for (int j = 0; j < k; ++j) Check(entry.bars[j].date != entry.bars[k].date);
    }
  }
  return 0;
}
