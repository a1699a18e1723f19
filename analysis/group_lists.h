#pragma once
// Extraction of automatic groups, the order of a group's members, the live
// update of one stock's memberships and the texts of the stock-list rows
// that show a group.
#include <cstddef>

#include "analysis/group_store.h"

// Refills automatic group g from the stock table (a manual group is left
// alone); in the live table the members' bits follow. Then sorts it.
void RunExtractionForGroup(GroupTable& table, int g);
// Every automatic group of the live table extracted again, those of a signal
// kind first, inside the progress dialog the caller opened (one step, Cancel
// honoured). Afterwards every stock's bits match the lists of every group,
// manual ones and those a cancel left unextracted included. False when
// cancelled. It leaves the indicator recompute flag to the caller.
bool RecomputeGroupMemberships();
// Every stock's membership bits set from the lists of the live table.
void RebuildGroupMemberBits();

// Stable sort of the members by their sort key in the group's order.
void SortGroupMembers(GroupTable& table, int g);
// The key a member is sorted by: the latest value of the group's sort item
// (0 for a stock not in the table), or the code itself.
double GroupSortKey(const GroupTable& table, int g, StockCode code);
// Whether key `a` goes before key `b`: smaller first ascending, larger first
// descending; infinities and not-a-numbers last in either order.
bool SortKeyComesBefore(double a, double b, bool descending);

// The chart lists that show groups of the live table, as the live updates
// edit them row by row instead of refilling them.
class GroupListSink {
 public:
  virtual ~GroupListSink() = default;
  // In every list that shows group g: row oldRow (-1: none) goes, then a row
  // with `text` comes at newRow (-1: none). Each list keeps its top row, and
  // its selection stays with the stock it was on. The group's list has
  // already changed.
  virtual void MoveRow(int g, int oldRow, int newRow, const char* text) = 0;
};
// Installed by the main window while its lists exist; null for none.
void SetGroupListSink(GroupListSink* sink);
// Where a list's row `row` is after MoveRow(oldRow, newRow): -1 when it was
// the row that went without coming back.
int RowAfterMove(int row, int oldRow, int newRow);

// The memberships of one stock after its latest values changed: manual
// groups keep it (moved to its sorted place), automatic ones take or drop it
// by their conditions; bits and the lists showing the groups follow.
void UpdateGroupBitsForStock(StockCode code);
// Moves (or adds) the code to its sorted place in group g of the live table
// and edits the lists showing g; its row, or -1 when the group is full.
int RepositionStockInGroup(StockCode code, int g);

// "code:name" for stock `stockIndex` in group g of the live table, with the
// monitoring mark between them in a monitoring group.
void FormatGroupListRow(int g, int stockIndex, char* text, size_t size);
// The list row of a member of group g of either table; rows of the live
// table carry the sort value after a tab when the group sorts by an item.
void FormatGroupMemberRow(const GroupTable& table, int g, StockCode code, char* text, size_t size);
