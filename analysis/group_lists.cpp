#include "analysis/group_lists.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/condition_terms.h"
#include "analysis/line_monitoring.h"
#include "common/progress.h"
#include "common/string_ids.h"
#include "data/stock_table.h"
#include "platform/platform.h"
#include "records/settings_block.h"

namespace {

GroupListSink* gGroupListSink = nullptr;

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

bool HasMonitoringFlags(const GroupRecord& group) {
  return group.monitorDateLines != 0 || group.monitorUpperLines != 0 || group.monitorLowerLines != 0;
}

struct SortEntry {
  double key;
  StockCode code;
};

// Writes the entries back as the members, in key order; equal keys keep
// their order, as the selection of the earliest entry on a tie keeps them.
void WriteMembersInKeyOrder(GroupRecord& group, std::vector<SortEntry>& entries) {
  const bool descending = group.sortOrder != 0;
  std::stable_sort(entries.begin(), entries.end(), [descending](const SortEntry& a, const SortEntry& b) {
    return SortKeyComesBefore(a.key, b.key, descending);
  });
  for (size_t i = 0; i < entries.size(); ++i) group.members[i] = entries[i].code;
  group.memberCount = static_cast<int32_t>(entries.size());
}

constexpr int kStocksPerProgressStep = 256;

// The groups whose membership the terms of `order` ask for.
void TrackReferencedGroups(const GroupTable& table, const std::vector<int>& order, GroupMemberIndex& members) {
  for (const int g : order) {
    const GroupRecord& group = table.groups[g];
    for (int t = 0; t < std::clamp<int>(group.termCount, 0, kMaxConditionTerms); ++t) {
      if (IsGroupItemCode(group.terms[t].left)) members.Track(GroupOfItemCode(group.terms[t].left));
    }
  }
}

// Whether the progress dialog was cancelled, the bar moved to the share done.
bool ReportExtractionProgress(int done, int total) {
  SetProgressSubPos(static_cast<uint32_t>(static_cast<int64_t>(done) * kGroupCount / std::max(total, 1)));
  // A cancel counts only while a dialog is open: an earlier dialog's Cancel may still be set.
  return gProgressDlg != nullptr && gProgressCancelled != 0;
}

// Rebuilds the automatic groups of `order` from the stock table; false when
// the progress dialog was cancelled, and then no list has changed.
//
// Each stock is tested against every group before the next stock, so that its
// record is read once rather than once per group. The outcome is that of
// extracting the groups one after another in `order`: a test reads only the
// stock's own values and bits and its membership of other groups, and the
// index answers that as the one-by-one order would (a group already done for
// this stock with its new result, one still to come from its old list, the
// group being rebuilt as not holding it).
bool ExtractGroups(GroupTable& table, const std::vector<int>& order, bool showProgress) {
  const bool live = &table == gGroupTable;
  const ScopedStockLineIndex stockLines;  // monitoring terms ask about every stock
  GroupMemberIndex members(table);
  TrackReferencedGroups(table, order, members);
  std::vector<std::vector<SortEntry>> entries(order.size());
  const int stockCount = StockTableCount();
  for (int i = 0; i < stockCount; ++i) {
    if (showProgress && i % kStocksPerProgressStep == 0 && ReportExtractionProgress(i, stockCount)) return false;
    const StockCode code = gStockTable->records[i].master.code;
    for (size_t k = 0; k < order.size(); ++k) {
      const int g = order[k];
      members.Set(g, i, false);
      const bool passes = TestExtractionConditions(table, g, i, &members);
      if (live) {
        if (passes) {
          SetGroupMemberBit(i, g);
        } else {
          ClearGroupMemberBit(i, g);
        }
      }
      if (!passes) continue;
      members.Set(g, i, true);
      entries[k].push_back({GetSnapshotItemValue(i, table.groups[g].sortItem), code});
    }
  }
  for (size_t k = 0; k < order.size(); ++k) WriteMembersInKeyOrder(table.groups[order[k]], entries[k]);
  if (showProgress) ReportExtractionProgress(stockCount, stockCount);
  return true;
}

void SetMemberBitsFromList(int g, GroupMemberIndex& lookup) {
  const GroupRecord& group = gGroupTable->groups[g];
  for (int i = 0; i < MemberCount(group); ++i) SetGroupMemberBit(lookup.StockIndexOf(group.members[i]), g);
}

void ClearAllMemberBits() {
  for (int i = 0; i < StockTableCount(); ++i)
    memset(gStockTable->records[i].groupBits, 0, sizeof(StockRecord::groupBits));
}

// Time-back mode remembers which day the memberships were computed for.
void NoteTimeBackComputedDate() {
  if (gTimeBackMode == 0) return;
  const int reference = FindStockIndexByCode(gCanonicalIndexCodes[0]);
  if (reference >= 0) gTimeBackComputedDate = gStockTable->records[reference].lastBar.date;
}

void ShowExtractionProgress() {
  char text[128] = "";
  PlatformLoadString(kStrExtractingGroups, text, sizeof text);
  SetProgressText2(text);
  SetProgressSubRange(kGroupCount);
}

// Called once the group's list has changed, so that a list the sink checks
// against the group agrees with it.
void MoveListRow(int g, int oldRow, int newRow, StockCode code) {
  if (gGroupListSink == nullptr) return;
  char text[160] = "";
  if (newRow >= 0) FormatGroupMemberRow(*gGroupTable, g, code, text, sizeof text);
  gGroupListSink->MoveRow(g, oldRow, newRow, text);
}

// An automatic group drops a stock that no longer passes: its row goes from the lists.
void DropFromAutomaticGroup(StockCode code, int g) {
  const int row = FindCodeInGroup(*gGroupTable, g, code);
  if (row < 0) return;
  RemoveMemberAt(gGroupTable->groups[g], row);
  MoveListRow(g, row, -1, code);
}

// The stock's lines of the kinds the monitoring group watches.
void CountMonitoredLines(int g, int stockIndex, int* lines, int* reached) {
  const GroupRecord& group = gGroupTable->groups[g];
  CountStockMonitorLines(gStockTable->records[stockIndex].master.code, group.monitorDateLines != 0,
                         group.monitorUpperLines != 0, group.monitorLowerLines != 0, lines, reached);
}

// All reached (also when there are none), some, or none.
const char* MonitoringRowFormat(int lines, int reached) {
  if (reached >= lines) return "%s●%s";
  return reached > 0 ? "%s○%s" : "%s・%s";
}

}  // namespace

void RunExtractionForGroup(GroupTable& table, int g) {
  if (!IsGroupIndex(g) || gStockTable == nullptr || table.groups[g].automatic == 0) return;
  ExtractGroups(table, {g}, false);
}

bool RecomputeGroupMemberships() {
  if (gGroupTable == nullptr || gStockTable == nullptr) return true;  // nothing to extract
  ShowExtractionProgress();
  ClearAllMemberBits();
  std::vector<int> order;
  for (const bool withKind : {true, false}) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = gGroupTable->groups[g];
      if (group.automatic != 0 && (group.signalKind != 0) == withKind) order.push_back(g);
    }
  }
  const bool done = ExtractGroups(*gGroupTable, order, true);
  if (done) {
    // The extraction set the bits of the groups it rebuilt; manual ones follow their lists.
    GroupMemberIndex lookup(*gGroupTable);
    for (int g = 0; g < kGroupCount; ++g) {
      if (gGroupTable->groups[g].automatic == 0) SetMemberBitsFromList(g, lookup);
    }
  } else {
    RebuildGroupMemberBits();
  }
  StepProgress();
  if (done) NoteTimeBackComputedDate();
  return done;
}

void RebuildGroupMemberBits() {
  if (gGroupTable == nullptr || gStockTable == nullptr) return;
  ClearAllMemberBits();
  GroupMemberIndex lookup(*gGroupTable);
  for (int g = 0; g < kGroupCount; ++g) SetMemberBitsFromList(g, lookup);
}

void SortGroupMembers(GroupTable& table, int g) {
  if (!IsGroupIndex(g)) return;
  GroupRecord& group = table.groups[g];
  std::vector<SortEntry> entries(static_cast<size_t>(MemberCount(group)));
  for (size_t i = 0; i < entries.size(); ++i) entries[i] = {GroupSortKey(table, g, group.members[i]), group.members[i]};
  WriteMembersInKeyOrder(group, entries);
}

double GroupSortKey(const GroupTable& table, int g, StockCode code) {
  if (!IsGroupIndex(g)) return 0.0;
  const int16_t item = table.groups[g].sortItem;
  if (item == kSortByStockCode) return static_cast<double>(static_cast<int32_t>(code));
  const int stockIndex = FindStockIndexByCode(code);
  return stockIndex >= 0 ? GetSnapshotItemValue(stockIndex, item) : 0.0;
}

bool SortKeyComesBefore(double a, double b, bool descending) {
  if (!std::isfinite(a) || !std::isfinite(b)) return std::isfinite(a) && !std::isfinite(b);
  return descending ? a > b : a < b;
}

void SetGroupListSink(GroupListSink* sink) { gGroupListSink = sink; }

int RowAfterMove(int row, int oldRow, int newRow) {
  if (row < 0) return row;
  if (oldRow >= 0) {
    if (row == oldRow) return newRow;
    if (row > oldRow) --row;
  }
  return newRow >= 0 && row >= newRow ? row + 1 : row;
}

void UpdateGroupBitsForStock(StockCode code) {
  if (gGroupTable == nullptr) return;
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0) return;
  const ScopedStockLineIndex stockLines;  // one scan of the lines for all the groups' terms
  for (int g = 0; g < kGroupCount; ++g) {
    if (gGroupTable->groups[g].automatic != 0) continue;
    const bool member = FindCodeInGroup(*gGroupTable, g, code) >= 0 && RepositionStockInGroup(code, g) >= 0;
    if (member) {
      SetGroupMemberBit(stockIndex, g);
    } else {
      ClearGroupMemberBit(stockIndex, g);
    }
  }
  for (const bool withKind : {true, false}) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = gGroupTable->groups[g];
      if (group.automatic == 0 || (group.signalKind != 0) != withKind) continue;
      if (TestExtractionConditions(*gGroupTable, g, stockIndex) && RepositionStockInGroup(code, g) >= 0) {
        SetGroupMemberBit(stockIndex, g);
        continue;
      }
      DropFromAutomaticGroup(code, g);
      ClearGroupMemberBit(stockIndex, g);
    }
  }
}

int RepositionStockInGroup(StockCode code, int g) {
  if (gGroupTable == nullptr || !IsGroupIndex(g)) return -1;
  GroupRecord& group = gGroupTable->groups[g];
  const int oldRow = FindCodeInGroup(*gGroupTable, g, code);
  RemoveMemberAt(group, oldRow);
  const int newRow = InsertCodeSorted(*gGroupTable, g, code);
  if (oldRow >= 0 || newRow >= 0) MoveListRow(g, oldRow, newRow, code);
  return newRow;
}

void FormatGroupListRow(int g, int stockIndex, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  if (gGroupTable == nullptr || !IsGroupIndex(g) || stockIndex < 0 || stockIndex >= StockTableCount()) return;
  const char* code = CodeToString(gStockTable->records[stockIndex].master.code);
  const char* format = "%s:%s";
  if (HasMonitoringFlags(gGroupTable->groups[g])) {
    int lines = 0;
    int reached = 0;
    CountMonitoredLines(g, stockIndex, &lines, &reached);
    format = MonitoringRowFormat(lines, reached);
  }
  snprintf(text, size, format, code, GetStockNameByIndex(stockIndex));
}

void FormatGroupMemberRow(const GroupTable& table, int g, StockCode code, char* text, size_t size) {
  if (size == 0) return;
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0) {
    snprintf(text, size, "%s:???", CodeToString(code));
  } else if (&table != gGroupTable) {
    snprintf(text, size, "%s:%s", CodeToString(code), GetStockNameByIndex(stockIndex));
  } else {
    FormatGroupListRow(g, stockIndex, text, size);
    const int16_t item = IsGroupIndex(g) ? table.groups[g].sortItem : kSortByStockCode;
    if (item == kSortByStockCode) return;
    char number[64];
    char unit[16];
    FormatConditionItemValue(false, item, GetSnapshotItemValue(stockIndex, item), number, sizeof number, unit,
                             sizeof unit);
    const size_t used = strlen(text);
    if (used + 1 < size) snprintf(text + used, size - used, "\t%s%s", number, unit);
  }
}
