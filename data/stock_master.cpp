#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "common/error_message.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "common/app_globals.h"

namespace {

constexpr int kMinMasterCount = 5;
constexpr uint32_t kMasterHeaderBytes = sizeof(int32_t);

// Master indices in code order; equal codes keep their master order.
struct MasterCodeOrder {
  std::array<int, kMaxStocks> index;
  int count;
};

MasterCodeOrder gMasterOrder;  // main thread only, as every change of the table

bool IsMasterAcceptable(const StockMasterFile& master) {
  if (master.count < kMinMasterCount || master.count > kMaxStocks) return false;
  return IsStockCodeInRange(master.records[0].code) && IsStockCodeInRange(master.records[master.count - 1].code);
}

void SortMasterByCode(const StockMasterFile& master, MasterCodeOrder& order) {
  order.count = master.count;
  std::iota(order.index.begin(), order.index.begin() + order.count, 0);
  std::stable_sort(order.index.begin(), order.index.begin() + order.count,
                   [&master](int a, int b) { return CodeLess(master.records[a].code, master.records[b].code); });
}

// Position in the order of the first master record with the code, or -1.
int FindFirstInOrder(const StockMasterFile& master, const MasterCodeOrder& order, StockCode code) {
  const int* begin = order.index.data();
  const int* end = begin + order.count;
  const int* found = std::lower_bound(begin, end, code, [&master](int index, StockCode wanted) {
    return CodeLess(master.records[index].code, wanted);
  });
  if (found == end || master.records[*found].code != code) return -1;
  return static_cast<int>(found - begin);
}

// Of several master records with one code the last wins, as each one in
// turn is copied over the stock.
const StockMasterRecord& LastMasterRecordFrom(const StockMasterFile& master, const MasterCodeOrder& order,
                                              int position) {
  const StockCode code = master.records[order.index[position]].code;
  while (position + 1 < order.count && master.records[order.index[position + 1]].code == code) ++position;
  return master.records[order.index[position]];
}

void CopyMasterPart(StockRecord& record, const StockMasterRecord& master) {
  record.master = master;
  RepairStockMasterRecord(record.master);
}

// Drops the stocks the master no longer lists and refreshes the master part
// of the others, keeping their order. `listed` marks, by order position,
// the codes that are in the table. Returns the new count.
int KeepListedStocks(const StockMasterFile& master, const MasterCodeOrder& order,
                     std::array<bool, kMaxStocks>& listed) {
  StockRecord* records = gStockTable->records;
  const int count = std::clamp(gStockTable->count, 0, kMaxStocks);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const int position = FindFirstInOrder(master, order, records[i].master.code);
    if (position < 0) continue;
    if (kept != i) records[kept] = records[i];
    if (!listed[position]) {
      listed[position] = true;
      CopyMasterPart(records[kept], LastMasterRecordFrom(master, order, position));
    }
    ++kept;
  }
  return kept;
}

// Appends the codes new to the table in master order while there is room.
// A new stock starts from a zeroed record, so it never inherits results of
// the record that held its place before.
int AppendNewStocks(const StockMasterFile& master, const MasterCodeOrder& order, std::array<bool, kMaxStocks>& listed,
                    int count) {
  for (int m = 0; m < master.count && count < kMaxStocks; ++m) {
    const int position = FindFirstInOrder(master, order, master.records[m].code);
    if (listed[position]) continue;
    listed[position] = true;
    StockRecord& record = gStockTable->records[count++];
    memset(&record, 0, sizeof record);
    CopyMasterPart(record, LastMasterRecordFrom(master, order, position));
  }
  return count;
}

// A count that claims more records than the file holds marks a damaged file.
bool IsMasterCountWithinFile(const StockMasterFile& master, uint32_t bytesRead) {
  if (bytesRead < kMasterHeaderBytes) return false;
  const uint32_t records = (bytesRead - kMasterHeaderBytes) / sizeof(StockMasterRecord);
  return master.count <= 0 || static_cast<uint32_t>(master.count) <= records;
}

}  // namespace

void NormalizeStockMasterCodes(StockMasterFile& master) {
  const int count = std::clamp(master.count, 0, kMaxStocks);
  if (count == 0 || !CodeLess(master.records[0].code, gMinStockCode)) return;
  for (int i = 0; i < count; ++i) {
    StockCode& code = master.records[i].code;
    code = NumberToCode(static_cast<int32_t>(code));
  }
}

void LoadStockMaster() {
  MakeDataFolderCurrent();
  auto* master = static_cast<StockMasterFile*>(AllocBlock(sizeof(StockMasterFile)));
  if (master == nullptr) {
    PlayWarningBeep();
    return;
  }
  uint32_t bytesRead = 0;
  const int error = LoadFileToBufferEx(kStockMasterPath, master, sizeof(StockMasterFile), &bytesRead);
  if (error != 0 || !IsMasterCountWithinFile(*master, bytesRead)) {
    PlayWarningBeep();
  } else {
    NormalizeStockMasterCodes(*master);
    MergeStockMaster(*master);
  }
  FreeBlock(master);
}

// Works in one pass over the table and one over the master, then sorts once;
// the result is that of removing, updating and inserting record by record.
bool MergeStockMaster(const StockMasterFile& master) {
  // Cache slots follow table positions: unwritten changes forbid moving stocks.
  if (!FlushAndFreeDailyCache()) return false;
  if (gStockTable == nullptr || !IsMasterAcceptable(master)) return false;
  SortMasterByCode(master, gMasterOrder);
  std::array<bool, kMaxStocks> listed{};
  const int kept = KeepListedStocks(master, gMasterOrder, listed);
  gStockTable->count = AppendNewStocks(master, gMasterOrder, listed, kept);
  SortStockTable();
  return true;
}
