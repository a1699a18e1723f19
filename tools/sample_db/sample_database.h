#pragma once
// A synthetic price database for demonstrations and tests, written through
// the program's own store functions. The same options give the same files.
#include <cstdint>
#include <string>

#include "common/packed_date.h"
#include "records/price_series.h"

struct SampleDatabaseOptions {
  std::string folder;
  int stocks = 300;     // besides the four market indices
  int bars = kMaxBars;  // trading days up to the end date
  uint32_t seed = 1;
  PackedDate end = 0;  // 0: the last trading date
};

struct SampleDatabaseSummary {
  int tradingDays;
  PackedDate lastDate;
  int splits;
};

// Makes the folder and its database; 0, or 1 when something could not be written.
int MakeSampleDatabase(const SampleDatabaseOptions& options, SampleDatabaseSummary* summary);
