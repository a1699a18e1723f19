#pragma once
// Bars parsed from one price archive, one short list per stock-table index.
#include <cstdint>

#include "records/price_series.h"
#include "data/stock_table.h"

constexpr int kImportBarsPerStock = 31;

struct ImportBarEntry {
  int32_t count;  // 0..31
  PriceBar bars[kImportBarsPerStock];
};
static_assert(sizeof(ImportBarEntry) == 748, "an import entry is 748 bytes");

struct ImportBarList {
  ImportBarEntry entries[kMaxStocks];
};
static_assert(sizeof(ImportBarList) == 3740000, "the import list is 3740000 bytes");
