// Loads arbitrary stock.dat contents as an image in memory, every input, and
// through the start-up loader, one input in 32. A table that is used keeps
// the count of the file; the two loads agree on refusing a table, and a
// refused file is set aside, the user told, and the table rebuilt from the
// master (there is none here, so it is empty). Either way every text ends up
// terminated, every market id within the market-name table, the codes in
// order and each one found again.
//
// Input: one byte of options, the 8-byte header (count, spare), then the
// master parts of the first records, 156 bytes each. Unless the options keep
// the count of the header, it is that of the records given, so that most
// inputs get past the count to the records. The image in memory is the table
// itself and the file keeps its exact size, so the reader always gets past
// the size check; in both only the first bytes change from input to input.
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
constexpr uint8_t kOptionsKeepCount = 0x0E;  // all three: the count of the header, so rarely
constexpr char kSetAsidePath[] = "stock.dat.damaged";
constexpr char kTimeBackPath[] = "stocktb.dat";
constexpr char kTimeBackSetAsidePath[] = "stocktb.dat.damaged";

size_t gLastWritten = 0;  // bytes of the last input at the file's start
int gRecordsInUse = 0;    // records of the table whose master part may not be zero

void MakeFolder() {
  EnterScratchDataFolder();
  const int file = open("stock.dat", O_CREAT | O_WRONLY | O_TRUNC, 0644);
  Check(file >= 0 && ftruncate(file, sizeof(StockTable)) == 0);
  close(file);
  Check(AllocateStockTable());
}

void WriteAt(int file, size_t offset, const void* bytes, size_t count) {
  Check(pwrite(file, bytes, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count));
}

// The header of the input, with the count of the pieces given unless it is kept.
int32_t HeaderOf(const uint8_t* data, size_t size, bool keepCount, uint8_t (&header)[kHeaderBytes]) {
  memset(header, 0, kHeaderBytes);
  memcpy(header, data, std::min(size, kHeaderBytes));
  const size_t pieces = size > kHeaderBytes ? size - kHeaderBytes : 0;
  int32_t count = static_cast<int32_t>((pieces + sizeof(StockMasterRecord) - 1) / sizeof(StockMasterRecord));
  if (keepCount) memcpy(&count, header, sizeof count);
  memcpy(header, &count, sizeof count);
  return count;
}

int RecordsOf(size_t pieceBytes) {
  return static_cast<int>((pieceBytes + sizeof(StockMasterRecord) - 1) / sizeof(StockMasterRecord));
}

// The header, then each 156-byte piece at the start of its record, straight
// into the table; the master parts the last load may have left are cleared.
// Nothing else of a record is ever written, so the rest stays zero.
int32_t PlaceImage(const uint8_t* data, size_t size, bool keepCount) {
  uint8_t header[kHeaderBytes];
  const int32_t count = HeaderOf(data, size, keepCount, header);
  memcpy(gStockTable, header, kHeaderBytes);
  const size_t pieces = size > kHeaderBytes ? size - kHeaderBytes : 0;
  const int records = RecordsOf(pieces);
  for (int r = 0; r < std::max(records, gRecordsInUse); ++r) {
    StockMasterRecord& master = gStockTable->records[r].master;
    memset(&master, 0, sizeof master);
    const size_t at = static_cast<size_t>(r) * sizeof master;
    if (at < pieces) memcpy(&master, data + kHeaderBytes + at, std::min(sizeof master, pieces - at));
  }
  // The load repairs, converts and sorts the records within the count.
  gRecordsInUse = std::max(records, std::clamp(count, 0, kMaxStocks));
  return count;
}

// The same into stock.dat: the header, then each piece at the start of its record.
void WriteTableFile(const uint8_t* data, size_t size, bool keepCount) {
  static const StockRecord kZeroRecord{};
  const int file = open("stock.dat", O_WRONLY);
  Check(file >= 0);
  uint8_t header[kHeaderBytes];
  HeaderOf(data, size, keepCount, header);
  WriteAt(file, 0, header, kHeaderBytes);
  const size_t pieces = size > kHeaderBytes ? size - kHeaderBytes : 0;
  const size_t used = std::max(pieces, gLastWritten);
  for (size_t at = 0; at < used; at += sizeof(StockMasterRecord)) {
    const size_t record = at / sizeof(StockMasterRecord);
    const size_t offset = kHeaderBytes + record * sizeof(StockRecord);
    WriteAt(file, offset, &kZeroRecord, sizeof(StockMasterRecord));
    if (at < pieces) WriteAt(file, offset, data + kHeaderBytes + at, std::min(sizeof(StockMasterRecord), pieces - at));
  }
  gLastWritten = pieces;
  close(file);
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

// Start-up with the input as stock.dat and, in time-back mode, as stocktb.dat
// too: taken or refused as stock.dat was, never set aside after it.
void LoadThroughFile(const uint8_t* data, size_t size, bool keepCount, bool refusedInMemory, int32_t count) {
  WriteTableFile(data + 1, size - 1, keepCount);
  const bool timeBack = (data[0] & kOptionTimeBack) != 0;
  if (timeBack) {
    Check(std::filesystem::copy_file("stock.dat", kTimeBackPath, std::filesystem::copy_options::overwrite_existing));
  }
  gTimeBackMode = timeBack ? 1 : 0;
  gShowShortNames = 0;
  Check(LoadStockTable());
  const bool refused = std::filesystem::remove(kSetAsidePath);
  Check(refused == refusedInMemory && !HoldsBytes(kTimeBackSetAsidePath));
  Check(gTimeBackMode == (timeBack && !refused ? 1 : 0));
  Check(gStockTableRebuilt == (refused ? 1 : 0));
  Check(TakeRecordedMessageBoxes().size() == (refused ? 1u : 0u));
  Check(gStockTable->count == (refused ? 0 : count));
  CheckTable();
  std::error_code ignored;
  std::filesystem::remove(kTimeBackPath, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = (InitStockCodeGlobals(), InstallStartUpHooks(), MakeFolder(), true);
  (void)initialised;
  if (size == 0) return 0;
  const bool keepCount = (data[0] & kOptionsKeepCount) == kOptionsKeepCount;
  const int32_t count = PlaceImage(data + 1, size - 1, keepCount);
  gShowShortNames = 0;
  const bool accepted = LoadStockTableImage();
  if (accepted) {
    Check(gStockTable->count == count);
    CheckTable();
  }
  if (IsOneInThirtyTwo(data, size)) LoadThroughFile(data, size, keepCount, !accepted, count);
  return 0;
}
