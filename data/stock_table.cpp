#include "data/stock_table.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "data/data_hooks.h"
#include "common/file_io.h"
#include "common/sjis_text.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

StockTable* gStockTable = nullptr;
int32_t* gSortWorkArray = nullptr;
int gStockTableRebuilt = 0;

namespace {

constexpr uint16_t kDefaultMarketId = 1;
constexpr uint16_t kDefaultMarketFlags = 0x100;
constexpr uint16_t kDefaultSectorCode = 1;
constexpr uint16_t kUnknownMarketId = 0;
constexpr int kStrStockTableRebuilt = 1400;     // stock.dat set aside, rebuilt from the master
constexpr int kStrTimeBackTableDropped = 1401;  // stocktb.dat set aside, the mode left
constexpr int kMessageSize = 512;
constexpr int kAsidePathSize = 260;

// Indexed by market id 0..12; id 0 ("unknown") has no flag.
constexpr std::array<uint16_t, kMarketNameCount> kMarketFlags = {0,   0x100, 0x200, 0x400, 0x800, 0x40, 0x80,
                                                                 0x1, 0x2,   0x4,   0x8,   0x10,  0x20};

// The last successful lookup as (code << 32) | index, so that the pair is
// read and written as one unit by every thread.
constexpr uint64_t kNoLookup = 0xFFFFFFFFu;  // index -1: matches no code
std::atomic<uint64_t> gLastLookup{kNoLookup};

// Set when stock.dat had the right size but could not be read: the table
// in memory is a stand-in rebuilt from the master, and must never replace
// that file, whose contents may still be good.
bool gKeepUnreadStockFile = false;

StockRecord gHeldRecord;  // one record in flight while the table is reordered

// kDamaged: the right size and read, but not a table any version wrote.
enum class TableFileRead { kLoaded, kWrongSize, kFailed, kDamaged };

constexpr uint64_t PackLookup(StockCode code, int index) {
  return (uint64_t{code} << 32) | static_cast<uint32_t>(index);
}

int BoundedCount(int32_t count) { return std::clamp(count, 0, kMaxStocks); }

int TableCount() { return gStockTable != nullptr ? BoundedCount(gStockTable->count) : 0; }

bool IsTerminated(const char* field, size_t size) { return memchr(field, 0, size) != nullptr; }

// Cuts a field that holds no terminator at its last whole character.
void TerminateField(char* field, int size) {
  if (IsTerminated(field, static_cast<size_t>(size))) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(field);
  int end = 0;
  for (int i = 0; i < size - 1;) {
    const int width = IsSjisLeadByte(bytes[i]) ? 2 : 1;
    if (i + width > size - 1) break;
    i += width;
    end = i;
  }
  field[end] = 0;
}

// What the repairs below would hide, checked on the image as read: the
// program never writes a count out of range, an unterminated text or a
// market id without a name.
bool AreFieldsAsWritten(const StockTable& table) {
  if (table.count < 0 || table.count > kMaxStocks) return false;
  for (int i = 0; i < table.count; ++i) {
    const StockMasterRecord& master = table.records[i].master;
    if (!IsTerminated(master.name, sizeof master.name) || !IsTerminated(master.reading, sizeof master.reading) ||
        !IsTerminated(master.shortName, sizeof master.shortName) || master.marketId >= kMarketNameCount) {
      return false;
    }
  }
  return true;
}

// Once old codes are converted, every code is one the master merge accepts, each once.
bool AreCodesUsable(const StockTable& table) {
  std::array<StockCode, kMaxStocks> codes;
  const int count = BoundedCount(table.count);
  for (int i = 0; i < count; ++i) {
    codes[i] = table.records[i].master.code;
    if (!IsStockCodeInRange(codes[i])) return false;
  }
  std::sort(codes.begin(), codes.begin() + count, CodeLess);
  return std::adjacent_find(codes.begin(), codes.begin() + count) == codes.begin() + count;
}

// What the rest of the program may rely on once a table image is in memory.
void PrepareLoadedTable() {
  gStockTable->count = BoundedCount(gStockTable->count);
  for (int i = 0; i < gStockTable->count; ++i) RepairStockMasterRecord(gStockTable->records[i].master);
  NormalizeStockTableCodes(*gStockTable);
}

TableFileRead ReadTableFile(const char* path) {
  if (GetFileSizeByName(path) != static_cast<int64_t>(sizeof(StockTable))) return TableFileRead::kWrongSize;
  if (LoadFileToBuffer(path, gStockTable, sizeof(StockTable)) != 0) return TableFileRead::kFailed;
  return LoadStockTableImage() ? TableFileRead::kLoaded : TableFileRead::kDamaged;
}

// The one place where loading the table speaks to the user.
void ReportDamagedTableFile(int textId, const char* aside) {
  char format[kMessageSize];
  PlatformLoadString(textId, format, sizeof format);
  char text[kMessageSize + kAsidePathSize];
  snprintf(text, sizeof text, format, aside);
  ReportDataMessage(text, gAppTitle, kMbOk | kMbIconExclamation);
}

TableFileRead ReadMainTableFile() { return ReadTableFile(kStockTableFileName); }

// Time-back mode keeps its own table, read over the one of stock.dat.
// Without a usable one the mode is left and everything recomputed.
TableFileRead ReadTimeBackTableFile() {
  const TableFileRead result = ReadTableFile(kTimeBackStockTableFileName);
  if (result == TableFileRead::kLoaded) return result;
  char aside[kAsidePathSize];
  if (result == TableFileRead::kDamaged && SetDamagedFileAside(kTimeBackStockTableFileName, aside, sizeof aside) == 0) {
    ReportDamagedTableFile(kStrTimeBackTableDropped, aside);
  }
  gTimeBackMode = 0;
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  // A failed or refused read may have left part of stocktb.dat in the table.
  return result == TableFileRead::kWrongSize ? TableFileRead::kLoaded : ReadMainTableFile();
}

void EmptyStockTable() {
  memset(gStockTable, 0, sizeof(StockTable));
  ResetStockLookupCache();
}

void RebuildStockTable(bool saveToFile) {
  EmptyStockTable();
  LoadStockMaster();
  if (saveToFile) SaveStockTable(1);
}

// Moves the first `count` records so that record i comes from order[i],
// each record moved once along its cycle.
void ApplyRecordOrder(const std::array<int, kMaxStocks>& order, int count) {
  std::array<bool, kMaxStocks> placed{};
  StockRecord* records = gStockTable->records;
  for (int start = 0; start < count; ++start) {
    if (placed[start] || order[start] == start) continue;
    gHeldRecord = records[start];
    int to = start;
    while (order[to] != start) {
      records[to] = records[order[to]];
      placed[to] = true;
      to = order[to];
    }
    records[to] = gHeldRecord;
    placed[to] = true;
  }
}

void SetDefaultMasterFields(StockMasterRecord& master) {
  master.marketId = kDefaultMarketId;
  master.marketFlags = kDefaultMarketFlags;
  master.sectorCode = kDefaultSectorCode;
  master.tradingUnit = kDefaultTradingUnit;
}

void ClearRecordResults(StockRecord& record) {
  record.flags = 0;
  record.reserved1 = 0;
  memset(record.groupBits, 0, sizeof record.groupBits);
  record.signalBits = 0;
  record.dailyCount = 0;
  record.weeklyCount = 0;
  record.monthlyCount = 0;
  record.lastDate = 0;
  record.liveTime = 0;
  const PackedDate keptDate = record.lastBar.date;
  record.lastBar = PriceBar{};
  record.lastBar.date = keptDate;
  memset(record.snapshots, 0, sizeof record.snapshots);
  memset(record.reserved3, 0, sizeof record.reserved3);
}

}  // namespace

void RepairStockMasterRecord(StockMasterRecord& record) {
  TerminateField(record.name, sizeof record.name);
  TerminateField(record.reading, sizeof record.reading);
  TerminateField(record.shortName, sizeof record.shortName);
  if (record.marketId >= kMarketNameCount) record.marketId = kUnknownMarketId;
}

bool AllocateStockTable() {
  if (gStockTable == nullptr) gStockTable = static_cast<StockTable*>(AllocBlock(sizeof(StockTable)));
  if (gSortWorkArray == nullptr) {
    gSortWorkArray = static_cast<int32_t*>(AllocBlock(sizeof(int32_t) * kMaxStocks));
  }
  if (gStockTable == nullptr || gSortWorkArray == nullptr) return false;
  gStockTable->count = 0;
  ResetStockLookupCache();
  return true;
}

bool LoadStockTable() {
  MakeDataFolderCurrent();
  if (!AllocateStockTable()) return false;
  TableFileRead result = ReadMainTableFile();
  if (result == TableFileRead::kLoaded) {
    gStockTableRebuilt = 0;
    gKeepUnreadStockFile = false;
    if (gTimeBackMode != 0) result = ReadTimeBackTableFile();
    if (result == TableFileRead::kLoaded) return true;
  }
  // A damaged stock.dat goes out of the way before the rebuilt table takes its
  // name; one that cannot be moved is kept as an unreadable one is.
  char aside[kAsidePathSize];
  if (result == TableFileRead::kDamaged && SetDamagedFileAside(kStockTableFileName, aside, sizeof aside) != 0) {
    result = TableFileRead::kFailed;
  }
  const bool unreadFileKept = result == TableFileRead::kFailed;
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  gTimeBackMode = 0;
  gStockTableRebuilt = unreadFileKept ? 0 : 1;
  gKeepUnreadStockFile = unreadFileKept;
  RebuildStockTable(!unreadFileKept);
  if (result == TableFileRead::kDamaged) ReportDamagedTableFile(kStrStockTableRebuilt, aside);
  return true;
}

bool LoadStockTableImage() {
  if (gStockTable == nullptr) return false;
  const bool fieldsAsWritten = AreFieldsAsWritten(*gStockTable);
  PrepareLoadedTable();
  if (!fieldsAsWritten || !AreCodesUsable(*gStockTable)) return false;
  // Lookups halve the table: a stocktb.dat out of code order, which no
  // version writes, would hide stocks from them.
  SortStockTable();
  return true;
}

int SaveStockTable(int flag) {
  if (gStockTable == nullptr) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  const bool timeBackFile = flag == 0 && gTimeBackMode != 0;
  if (!timeBackFile && gKeepUnreadStockFile) return kErrorReadFault;
  const char* path = timeBackFile ? kTimeBackStockTableFileName : kStockTableFileName;
  return SaveBufferToFile(path, gStockTable, sizeof(StockTable));
}

bool IsUnreadStockFileKept() { return gKeepUnreadStockFile; }

void NormalizeStockTableCodes(StockTable& table) {
  const int count = BoundedCount(table.count);
  if (count == 0 || !CodeLess(table.records[0].master.code, gMinStockCode)) return;
  for (int i = 0; i < count; ++i) {
    StockCode& code = table.records[i].master.code;
    code = NumberToCode(static_cast<int32_t>(code));
  }
}

void SortStockTable() {
  const int count = TableCount();
  const StockRecord* records = gStockTable != nullptr ? gStockTable->records : nullptr;
  const auto codeLess = [records](int a, int b) { return CodeLess(records[a].master.code, records[b].master.code); };
  std::array<int, kMaxStocks> order;
  std::iota(order.begin(), order.begin() + count, 0);
  // Stable, so that records of equal codes keep their order.
  if (!std::is_sorted(order.begin(), order.begin() + count, codeLess)) {
    std::stable_sort(order.begin(), order.begin() + count, codeLess);
    ApplyRecordOrder(order, count);
  }
  ResetStockLookupCache();
}

int FindStockIndexByCode(StockCode code) {
  const int count = TableCount();
  const StockRecord* records = count > 0 ? gStockTable->records : nullptr;
  const uint64_t last = gLastLookup.load(std::memory_order_relaxed);
  const auto lastIndex = static_cast<int32_t>(last & 0xFFFFFFFFu);
  // The cached index is checked against the table as well, so that a stale
  // entry can only cost a search, never give a wrong stock.
  if (static_cast<StockCode>(last >> 32) == code && lastIndex >= 0 && lastIndex < count &&
      records[lastIndex].master.code == code) {
    return lastIndex;
  }
  int low = 0;
  int high = count - 1;
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    if (CodeLess(records[mid].master.code, code)) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  if (low >= count || records[low].master.code != code) return -1;
  gLastLookup.store(PackLookup(code, low), std::memory_order_relaxed);
  return low;
}

int FindStockIndex(StockCode code) { return FindStockIndexByCode(code); }

void ResetStockLookupCache() { gLastLookup.store(kNoLookup, std::memory_order_relaxed); }

// Keeps the short name, the signal and scenario hits, the word before the
// snapshots and the broker-history marker. A stock new to the table starts
// from a zeroed record instead (see MergeStockMaster).
void ClearStockRecord(int index) {
  if (gStockTable == nullptr || index < 0 || index >= kMaxStocks) return;
  StockRecord& record = gStockTable->records[index];
  record.master.code = 0;
  record.master.name[0] = 0;
  record.master.reading[0] = 0;
  SetDefaultMasterFields(record.master);
  ClearRecordResults(record);
}

const char* GetStockNameByIndex(int index) {
  if (index < 0 || index >= TableCount()) return "";
  const StockMasterRecord& master = gStockTable->records[index].master;
  return gShowShortNames != 0 ? master.shortName : master.name;
}

const char* GetStockNameByCode(StockCode code) { return GetStockNameByIndex(FindStockIndexByCode(code)); }

uint16_t GetMarketFlagFromId(int marketId) {
  if (marketId < 0 || marketId >= kMarketNameCount) return 0;
  return kMarketFlags[static_cast<size_t>(marketId)];
}

int StockTableCount() { return gStockTable != nullptr ? std::clamp(gStockTable->count, 0, kMaxStocks) : 0; }

const StockRecord* StockRecordAt(int index) {
  return index >= 0 && index < StockTableCount() ? &gStockTable->records[index] : nullptr;
}
