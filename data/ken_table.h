#pragma once
// The ex-rights (split) list "BASEDATA\ken.dat" and the split adjustment of series.
#include <cstdint>

#include "records/price_series.h"

constexpr uint32_t kKenTag = 0x03160004;
constexpr uint32_t kOldKenTag = 0x03160001;
constexpr int kMaxKenRecords = 20000;
constexpr char kKenFilePath[] = "BASEDATA\\ken.dat";

struct KenRecord {
  PackedDate exDate;  // first day traded at the new price
  StockCode code;
  int32_t ratio;  // factor in hundredths minus 100: 100 = one share becomes two
};
static_assert(sizeof(KenRecord) == 12, "KenRecord is 12 bytes");

struct KenTable {
  uint32_t tag;
  int32_t count;
  KenRecord records[kMaxKenRecords];
};
static_assert(sizeof(KenTable) == 240008, "KenTable is 240008 bytes");

extern KenTable* gKenTable;

// Allocates a new table and reads ken.dat into it; a bad or missing file
// leaves it empty after telling the user.
void LoadKenFile();
// Writes the loaded table to ken.dat; 0 or the file error code.
int SaveKenFile();
// The out series (not the source itself) becomes the split-adjusted copy.
void AdjustBarsForSplits(const BarSeries& source, BarSeries* out);
// Lets the user pick an ex-rights file (plain or zipped), installs and saves it.
void ImportKenFile();
