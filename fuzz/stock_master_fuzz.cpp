// Reads arbitrary "BASEDATA\stockinf.dat" contents and merges them into a
// small table whose every record carries results. Afterwards the table must
// be in order with terminated texts and bounded market ids, hold only codes
// of the old table or of the master, and every stock new to it must start
// with zeroed results.
//
// Input: one byte of options, then the file. With the first option the
// file's count is set to the number of whole records it holds, so that most
// inputs get past the checks into the merge.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "data/stock_table.h"
#include "common/app_globals.h"

namespace {

constexpr uint8_t kOptionFitCount = 0x01;
constexpr uint8_t kOptionNumericFirstCode = 0x02;
constexpr int kTableStocks = 8;
constexpr int kTouchedRecords = 64;  // more than the table and any input can fill
constexpr uint8_t kResultByte = 0x77;

void MakeFolder() {
  std::filesystem::create_directory(EnterScratchDataFolder() + "BASEDATA");
  Check(AllocateStockTable());
}

// Codes made of the bytes the inputs are rich in, so that some match.
void FillTable() {
  memset(gStockTable->records, kResultByte, sizeof(StockRecord) * kTouchedRecords);
  gStockTable->count = kTableStocks;
  const char* codes[kTableStocks] = {"0000", "0101", "1111", "1301", "5555", "7203", "9999", "ZZZZ"};
  for (int i = 0; i < kTableStocks; ++i) {
    StockMasterRecord& master = gStockTable->records[i].master;
    master = StockMasterRecord{};
    master.code = StringToCode(codes[i]);
  }
  ResetStockLookupCache();
}

void WriteMasterFile(const uint8_t* data, size_t size, uint8_t options) {
  std::vector<uint8_t> bytes(data, data + size);
  if ((options & kOptionFitCount) != 0 && bytes.size() >= 4) {
    const auto records = static_cast<int32_t>((bytes.size() - 4) / sizeof(StockMasterRecord));
    memcpy(bytes.data(), &records, 4);
  }
  if ((options & kOptionNumericFirstCode) != 0 && bytes.size() >= 8) {
    const uint32_t number = bytes[4] * 37u;  // below "0000": an old numeric code
    memcpy(bytes.data() + 4, &number, 4);
  }
  std::ofstream out("BASEDATA/stockinf.dat", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool IsTerminated(const char* field, size_t size) { return memchr(field, 0, size) != nullptr; }

bool ResultsAreZero(const StockRecord& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record) + sizeof(StockMasterRecord);
  return std::all_of(bytes, bytes + sizeof(StockRecord) - sizeof(StockMasterRecord), [](uint8_t b) { return b == 0; });
}

// The codes a stock may have come from: the old table, or the master as
// read (old numeric codes converted as the loader does).
bool MasterListsCode(const uint8_t* file, size_t size, StockCode code) {
  if (size < 4) return false;
  std::vector<StockMasterRecord> records((size - 4) / sizeof(StockMasterRecord));
  if (!records.empty()) memcpy(records.data(), file + 4, records.size() * sizeof(StockMasterRecord));
  const bool numeric = !records.empty() && CodeLess(records[0].code, gMinStockCode);
  return std::any_of(records.begin(), records.end(), [&](const StockMasterRecord& r) {
    return (numeric ? NumberToCode(static_cast<int32_t>(r.code)) : r.code) == code;
  });
}

void CheckTable(const std::vector<StockCode>& before, const std::vector<uint8_t>& file) {
  const int count = gStockTable->count;
  Check(count >= 0 && count <= kMaxStocks);
  for (int i = 0; i < count; ++i) {
    const StockRecord& record = gStockTable->records[i];
    Check(IsTerminated(record.master.name, sizeof record.master.name));
    Check(IsTerminated(record.master.reading, sizeof record.master.reading));
    Check(IsTerminated(record.master.shortName, sizeof record.master.shortName));
    Check(record.master.marketId < kMarketNameCount);
    Check(i == 0 || !CodeLess(record.master.code, gStockTable->records[i - 1].master.code));
    Check(FindStockIndexByCode(record.master.code) >= 0);
    const bool old = std::find(before.begin(), before.end(), record.master.code) != before.end();
    if (old) {
      Check(record.dailyCount == static_cast<int32_t>(kResultByte * 0x01010101u));
    } else {
      Check(MasterListsCode(file.data(), file.size(), record.master.code));
      Check(ResultsAreZero(record));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = (InitStockCodeGlobals(), MakeFolder(), true);
  (void)initialised;
  if (size == 0) return 0;
  FillTable();
  std::vector<StockCode> before;
  for (int i = 0; i < kTableStocks; ++i) before.push_back(gStockTable->records[i].master.code);
  WriteMasterFile(data + 1, size - 1, data[0]);
  std::ifstream in("BASEDATA/stockinf.dat", std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadStockMaster();
  CheckTable(before, file);
  return 0;
}
