#pragma once
// Extraction of automatic groups, the order of a group's members and the
// texts of the stock-list rows that show a group.
#include <cstddef>

#include "analysis/group_store.h"

// Refills automatic group g from the stock table (a manual group is left
// alone); in the live table the members' bits follow. Then sorts it.
void RunExtractionForGroup(GroupTable& table, int g);
// Every automatic group extracted again, those of a signal kind first.
void RecomputeGroupMemberships();
// Stable sort of the members by their sort key in the group's order.
void SortGroupMembers(GroupTable& table, int g);
// The key a member is sorted by: the latest value of the group's sort item
// (0 for a stock not in the table), or the code itself.
double GroupSortKey(const GroupTable& table, int g, StockCode code);
// Whether key `a` goes before key `b`: smaller first ascending, larger first
// descending; infinities and not-a-numbers last in either order.
bool SortKeyComesBefore(double a, double b, bool descending);

// "code:name" for stock `stockIndex` in group g of the live table, with the
// monitoring mark between them in a monitoring group.
void FormatGroupListRow(int g, int stockIndex, char* text, size_t size);
// The list row of a member of group g of either table.
void FormatGroupMemberRow(const GroupTable& table, int g, StockCode code, char* text, size_t size);
