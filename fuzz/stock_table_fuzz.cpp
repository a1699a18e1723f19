// Loads arbitrary stock.dat contents through the start-up loader. A table
// that is used keeps the count of the file; a refused one is set aside, the
// user told, and the table rebuilt from the master (there is none here, so it
// is empty). Either way every text ends up terminated, every market id within
// the market-name table, the codes in order and each one found again.
//
// Input: one byte of options, the 8-byte header (count, spare), then the
// master parts of the first records, 156 bytes each. Unless the options keep
// the count of the header, it is that of the records given, so that most
// inputs get past the count to the records. The file keeps its exact size, so
// the reader always gets past the size check; only its first bytes change
// from input to input.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "data/stock_table.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "shell/lifecycle.h"
#include "shell/settings.h"

namespace {

constexpr size_t kHeaderBytes = 8;
constexpr uint8_t kOptionTimeBack = 0x01;
constexpr uint8_t kOptionsKeepCount = 0x0E;  // all three: a refused table is rewritten whole, so rarely
constexpr char kSetAsidePath[] = "stock.dat.damaged";

size_t gLastWritten = 0;  // bytes of the previous input at the file's start

void MakeFolder() {
  EnterScratchDataFolder();
  const int file = open("stock.dat", O_CREAT | O_WRONLY | O_TRUNC, 0644);
  Check(file >= 0 && ftruncate(file, sizeof(StockTable)) == 0);
  close(file);
}

void WriteAt(int file, size_t offset, const void* bytes, size_t count) {
  Check(pwrite(file, bytes, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count));
}

// The header, then each 156-byte piece at the start of its record; returns the count written.
int32_t WriteTableFile(const uint8_t* data, size_t size, bool keepCount) {
  static const StockRecord kZeroRecord{};
  const int file = open("stock.dat", O_WRONLY);
  Check(file >= 0);
  uint8_t header[kHeaderBytes] = {};
  memcpy(header, data, std::min(size, kHeaderBytes));
  const size_t pieces = size > kHeaderBytes ? size - kHeaderBytes : 0;
  int32_t count = static_cast<int32_t>((pieces + sizeof(StockMasterRecord) - 1) / sizeof(StockMasterRecord));
  if (keepCount) memcpy(&count, header, sizeof count);
  memcpy(header, &count, sizeof count);
  WriteAt(file, 0, header, kHeaderBytes);
  const size_t used = std::max(pieces, gLastWritten);
  for (size_t at = 0; at < used; at += sizeof(StockMasterRecord)) {
    const size_t record = at / sizeof(StockMasterRecord);
    const size_t offset = kHeaderBytes + record * sizeof(StockRecord);
    WriteAt(file, offset, &kZeroRecord, sizeof(StockMasterRecord));
    if (at < pieces) WriteAt(file, offset, data + kHeaderBytes + at, std::min(sizeof(StockMasterRecord), pieces - at));
  }
  gLastWritten = pieces;
  close(file);
  return count;
}

bool IsTerminated(const char* field, size_t size) { return memchr(field, 0, size) != nullptr; }

void CheckTable() {
  const int count = gStockTable->count;
  Check(count >= 0 && count <= kMaxStocks);
  for (int i = 0; i < count; ++i) {
    const StockMasterRecord& master = gStockTable->records[i].master;
    Check(IsTerminated(master.name, sizeof master.name));
    Check(IsTerminated(master.reading, sizeof master.reading));
    Check(IsTerminated(master.shortName, sizeof master.shortName));
    Check(master.marketId < kMarketNameCount);
    Check(i == 0 || !CodeLess(master.code, gStockTable->records[i - 1].master.code));
    const int found = FindStockIndexByCode(master.code);
    Check(found >= 0 && gStockTable->records[found].master.code == master.code);
    Check(GetStockNameByIndex(i) == master.name);
  }
  // A name always finds at least its own stock.
  if (count > 0 && gStockTable->records[0].master.name[0] != 0) {
    Check(CountStocksMatchingText(gStockTable->records[0].master.name) >= 1);
    Check(FindNextStockMatchingText(0, gStockTable->records[0].master.name) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = (InitStockCodeGlobals(), InstallStartUpHooks(), MakeFolder(), true);
  (void)initialised;
  if (size == 0) return 0;
  const int32_t count = WriteTableFile(data + 1, size - 1, (data[0] & kOptionsKeepCount) == kOptionsKeepCount);
  gTimeBackMode = (data[0] & kOptionTimeBack) != 0 ? 1 : 0;  // no stocktb.dat: the mode is left
  gShowShortNames = 0;
  Check(LoadStockTable());
  Check(gTimeBackMode == 0);
  const bool refused = std::filesystem::remove(kSetAsidePath);
  Check(gStockTableRebuilt == (refused ? 1 : 0));
  Check(TakeRecordedMessageBoxes().size() == (refused ? 1u : 0u));
  Check(gStockTable->count == (refused ? 0 : count));
  CheckTable();
  return 0;
}
