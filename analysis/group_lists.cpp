#include "analysis/group_lists.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "data/stock_table.h"

void (*gRefreshGroupListsHook)(int g) = nullptr;

namespace {

std::array<double, kMaxGroupMembers> gSortKeys;
std::array<bool, kMaxGroupMembers> gSortTaken;

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

int StockCount() { return gStockTable != nullptr ? std::clamp(gStockTable->count, 0, kMaxStocks) : 0; }

bool IsInStockMarkets(const GroupRecord& group, const StockRecord& stock) {
  return (group.marketMask & GetMarketFlagFromId(stock.master.marketId)) != 0;
}

bool HasMonitoringFlags(const GroupRecord& group) {
  return group.monitorDateLines != 0 || group.monitorUpperLines != 0 || group.monitorLowerLines != 0;
}

// The untaken entry that comes next: the smallest key ascending, the
// largest descending, the earliest on a tie.
int NextInOrder(int count, bool descending) {
  int best = -1;
  for (int i = 0; i < count; ++i) {
    if (gSortTaken[static_cast<size_t>(i)]) continue;
    const double key = gSortKeys[static_cast<size_t>(i)];
    if (best < 0 || (descending ? key > gSortKeys[static_cast<size_t>(best)] : key < gSortKeys[static_cast<size_t>(best)])) {
      best = i;
    }
  }
  return best;
}

}  // namespace

// Automatic groups with terms are decided by the condition evaluator, which
// does not exist yet: their members are left as they are until then.
void RunExtractionForGroup(GroupTable& table, int g) {
  if (!IsGroupIndex(g) || gStockTable == nullptr) return;
  GroupRecord& group = table.groups[g];
  if (group.automatic == 0 || group.termCount != 0) return;
  const bool live = &table == gGroupTable;
  int count = 0;
  for (int i = 0; i < StockCount(); ++i) {
    const bool passes = IsInStockMarkets(group, gStockTable->records[i]);
    if (passes) group.members[count++] = gStockTable->records[i].master.code;
    if (!live) continue;
    if (passes) {
      SetGroupMemberBit(i, g);
    } else {
      ClearGroupMemberBit(i, g);
    }
  }
  group.memberCount = count;
  SortGroupMembers(table, g);
}

void SortGroupMembers(GroupTable& table, int g) {
  if (!IsGroupIndex(g) || gSortWorkArray == nullptr) return;
  GroupRecord& group = table.groups[g];
  const int count = std::clamp(group.memberCount, 0, kMaxGroupMembers);
  for (int i = 0; i < count; ++i) {
    gSortWorkArray[i] = static_cast<int32_t>(group.members[i]);
    gSortKeys[static_cast<size_t>(i)] = GroupSortKey(table, g, group.members[i]);
    gSortTaken[static_cast<size_t>(i)] = false;
  }
  const bool descending = group.sortOrder != 0;
  for (int out = 0; out < count; ++out) {
    const int next = NextInOrder(count, descending);
    gSortTaken[static_cast<size_t>(next)] = true;
    group.members[out] = static_cast<StockCode>(gSortWorkArray[next]);
  }
}

// The latest item values are not kept per stock yet; until they are, every
// key of an item sort is equal and the stable sort keeps the members' order.
double GroupSortKey(const GroupTable& table, int g, StockCode code) {
  if (!IsGroupIndex(g) || table.groups[g].sortItem != kSortByStockCode) return 0.0;
  return static_cast<double>(static_cast<int32_t>(code));
}

// Trend lines are not kept yet, so a monitoring group sees no lines, which
// shows as "all reached".
void FormatGroupListRow(int g, int stockIndex, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  if (gGroupTable == nullptr || !IsGroupIndex(g) || stockIndex < 0 || stockIndex >= StockCount()) return;
  const char* code = CodeToString(gStockTable->records[stockIndex].master.code);
  const char* format = HasMonitoringFlags(gGroupTable->groups[g]) ? "%s●%s" : "%s:%s";
  snprintf(text, size, format, code, GetStockNameByIndex(stockIndex));
}

// The sort value column of live-table rows comes with the item formatter.
void FormatGroupMemberRow(const GroupTable& table, int g, StockCode code, char* text, size_t size) {
  if (size == 0) return;
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0) {
    snprintf(text, size, "%s:???", CodeToString(code));
  } else if (&table == gGroupTable) {
    FormatGroupListRow(g, stockIndex, text, size);
  } else {
    snprintf(text, size, "%s:%s", CodeToString(code), GetStockNameByIndex(stockIndex));
  }
}
