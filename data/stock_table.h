#pragma once
// The stock master and the stock table: one StockRecord per stock, in code
// order, found by binary search with a one-entry look-up cache.
#include <cstddef>
#include <cstdint>

#include "records/indicator_snapshot.h"
#include "records/price_series.h"

constexpr int kMaxStocks = 5000;
constexpr int kOldMaxStocks = 4000;
constexpr int kMarketIdIndices = 6;
constexpr uint32_t kLiveTimeFinished = 0x7FFFFFFF;  // the last bar is a finished day
constexpr uint32_t kStockFlagScenarioMark = 0x10;
constexpr uint32_t kStockFlagIndexWeight = 0x800;
constexpr int kSignalSlots = 16;
constexpr int16_t kDefaultTradingUnit = 1000;  // of a new stock, and where a unit is unknown

struct StockMasterRecord {
  StockCode code;
  char name[64];  // Shift-JIS, zero-terminated
  char reading[64];
  char shortName[16];
  uint16_t marketId;     // 1..12; 6 for the market indices
  uint16_t marketFlags;  // one bit per listed market
  uint16_t sectorCode;
  int16_t tradingUnit;
};
static_assert(sizeof(StockMasterRecord) == 156, "StockMasterRecord is 156 bytes");

struct StockMasterFile {
  int32_t count;
  StockMasterRecord records[kMaxStocks];
};
static_assert(sizeof(StockMasterFile) == 780004, "a full stock master is 780004 bytes");
constexpr uint32_t kOldStockMasterFileBytes = 4 + 156 * kOldMaxStocks;  // 624004

struct StockRecord {
  StockMasterRecord master;
  uint32_t flags;
  uint32_t reserved1;
  uint8_t groupBits[16];  // one bit per group
  uint32_t signalBits;
  int32_t dailyCount;
  int32_t weeklyCount;
  int32_t monthlyCount;
  PackedDate lastDate;  // in time-back mode: the chosen day
  uint32_t liveTime;    // packed time of the last live update, or kLiveTimeFinished
  PriceBar lastBar;
  uint8_t signalHits[kSignalSlots];
  int32_t signalValues[kSignalSlots];
  uint8_t scenarioHits[kSignalSlots];
  int32_t scenarioValues[kSignalSlots];
  uint32_t reserved2;
  IndicatorSnapshot snapshots[kSnapshotSlots];
  uint32_t brokerHistoryMarker;
  uint32_t reserved3[3];
};
static_assert(sizeof(StockRecord) == 4776, "StockRecord is 4776 bytes");
static_assert(offsetof(StockRecord, lastBar) == 204);
static_assert(offsetof(StockRecord, snapshots) == 392);

struct StockTable {
  int32_t count;
  int32_t spare;
  StockRecord records[kMaxStocks];
};
static_assert(sizeof(StockTable) == 23880008, "stock.dat is 23880008 bytes");

constexpr char kStockTableFileName[] = "stock.dat";
constexpr char kTimeBackStockTableFileName[] = "stocktb.dat";
constexpr char kStockMasterPath[] = "BASEDATA\\stockinf.dat";

extern StockTable* gStockTable;  // allocated at start-up, lives until exit
extern int32_t* gSortWorkArray;  // kMaxStocks entries, for other sorts
extern int gStockTableRebuilt;

// Allocates the table and the work array; false when memory is short (start-up ends).
bool AllocateStockTable();
// Start-up load; false only when the memory is short. A stock.dat of the right
// size that cannot be read is kept: the table is rebuilt from the master for
// this session only, and SaveStockTable refuses to write stock.dat. One that
// holds what no version writes is set aside (SetDamagedFileAside) and then
// treated as missing, with a message; a damaged stocktb.dat is set aside and
// time-back mode left.
bool LoadStockTable();
// The in-memory part of LoadStockTable, which reads stock.dat and stocktb.dat
// whole into gStockTable and calls it for each: the image there is checked
// as read, repaired, its old codes converted and sorted. False when it holds
// what no version writes; the table is then not to be used.
bool LoadStockTableImage();
// Flag 0 in time-back mode writes stocktb.dat, otherwise stock.dat; the file
// error code, kErrorReadFault when stock.dat is kept as above.
int SaveStockTable(int flag);
// True while stock.dat is kept unread as above: nothing may replace or remove it.
bool IsUnreadStockFileKept();
void LoadStockMaster();
// False when the master was refused or the daily cache could not be written
// first; the table is then unchanged.
bool MergeStockMaster(const StockMasterFile& master);
void NormalizeStockTableCodes(StockTable& table);
void NormalizeStockMasterCodes(StockMasterFile& master);
void SortStockTable();
int FindStockIndexByCode(StockCode code);
// The number of stocks in the table (0 without one), and the record of a
// table index, or null when the index is outside the table.
int StockTableCount();
const StockRecord* StockRecordAt(int index);
int FindStockIndex(StockCode code);
void ResetStockLookupCache();
void ClearStockRecord(int index);
// Makes a record read from a file safe to use: its texts terminated (never
// inside a character) and a market id outside the market-name table made 0.
void RepairStockMasterRecord(StockMasterRecord& record);
const char* GetStockNameByIndex(int index);
const char* GetStockNameByCode(StockCode code);
uint16_t GetMarketFlagFromId(int marketId);
void NormalizeTextForSearch(const char* text, char* out, size_t outSize);
bool ContainsTextNormalized(const char* text, const char* pattern);
int CountStocksMatchingText(const char* pattern);
int FindNextStockMatchingText(int startIndex, const char* pattern);
