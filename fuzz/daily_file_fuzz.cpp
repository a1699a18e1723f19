// Reads arbitrary bytes as a stock's daily file: the series must carry the
// requested code, hold 0..5120 bars and never more than the file holds, and
// every price must be at least 1. Bars of a stock without a cut-off must be
// the file's own.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "data/daily_files.h"
#include "data/stock_table.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"

namespace {

// In the table with bars, in the table without bars, code cut-offs, not in the table.
constexpr const char* kCodes[] = {"1301", "1302", "8198", "8303", "9999"};
constexpr int kCodeCount = 5;
constexpr uint32_t kHeaderBytes = 8;

std::unique_ptr<BarSeries> gSeries;

void AddStock(const char* code, int dailyCount) {
  StockRecord& record = gStockTable->records[gStockTable->count++];
  record.master.code = StringToCode(code);
  record.dailyCount = dailyCount;
}

void Prepare() {
  EnterScratchDataFolder();
  Check(mkdir("DAY", 0777) == 0);
  InitStockCodeGlobals();
  SetSleepRecorded(true);
  Check(AllocateStockTable());
  AddStock("1301", 100);
  AddStock("1302", 0);
  AddStock("8198", 100);
  AddStock("8303", 0);
  ResetStockLookupCache();
  gSeries = std::make_unique<BarSeries>();
}

// The first byte picks the stock and whether a header with a chosen count is
// put in front, so that counts near the file's size are met often.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size, int* codeIndex) {
  *codeIndex = size > 0 ? data[0] % kCodeCount : 0;
  std::vector<uint8_t> bytes;
  if (size < 2) return bytes;
  if ((data[0] / kCodeCount) % 2 != 0) {
    const StockCode code = (data[0] & 0x40) != 0 ? 1301 : StringToCode(kCodes[*codeIndex]);
    const int32_t count = static_cast<int32_t>((size - 2) / sizeof(PriceBar)) + data[1] % 5 - 2;
    bytes.resize(kHeaderBytes);
    std::memcpy(bytes.data(), &code, 4);
    std::memcpy(bytes.data() + 4, &count, 4);
  }
  bytes.insert(bytes.end(), data + 2, data + size);
  return bytes;
}

void CheckAgainstFile(const BarSeries& series, const std::vector<uint8_t>& file) {
  for (int i = 0; i < series.count; ++i) {
    PriceBar stored{};
    std::memcpy(&stored, file.data() + kHeaderBytes + sizeof(PriceBar) * static_cast<size_t>(i), sizeof stored);
    const PriceBar& bar = series.bars[i];
    Check(bar.date == stored.date && bar.volume == stored.volume);
    Check(bar.close == (stored.close < 1 ? 1 : stored.close));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!gSeries) Prepare();
  int codeIndex = 0;
  const std::vector<uint8_t> file = ShapeInput(data, size, &codeIndex);
  const StockCode code = StringToCode(kCodes[codeIndex]);
  {
    std::ofstream out(std::string("DAY/") + kCodes[codeIndex], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  std::memset(gSeries.get(), 0xA5, sizeof(BarSeries));  // stale bytes that must never be taken
  LoadDailyFile(code, gSeries.get());

  Check(gSeries->code == code);
  Check(gSeries->count >= 0 && gSeries->count <= kMaxBars);
  if (gSeries->count > 0) Check(SeriesFileBytes(gSeries->count) <= file.size());
  for (int i = 0; i < gSeries->count; ++i) {
    const PriceBar& bar = gSeries->bars[i];
    Check(bar.open >= 1 && bar.high >= 1 && bar.low >= 1 && bar.close >= 1);
  }
  if (codeIndex == 0 || codeIndex == 1) CheckAgainstFile(*gSeries, file);
  TakeRecordedMessageBoxes();
  TakeSleptMilliseconds();
  return 0;
}
