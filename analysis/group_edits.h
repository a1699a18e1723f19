#pragma once
// What the group commands and the group settings dialog do to a group table:
// the clipboard text of a group, a code list read from a text file, the
// member edits that keep the membership bits in step, and the dialog's page
// rules, renaming, reset and the apply of its edit copy onto the live table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/group_store.h"

struct ScenarioRecord;

// ---- Clipboard text ------------------------------------------------------------

// The clipboard stays below this many bytes; whole lines only.
constexpr size_t kGroupClipboardLimit = 65536;
// One line per member of group g in list order, each ending in a single line
// feed: "・" first with `withMark`, the display name after a blank with `withNames`.
std::string BuildGroupClipboardText(const GroupTable& table, int g, bool withNames, bool withMark);

// ---- Import from a text file ------------------------------------------------------

// Reads `length` bytes of text as a stock code; false when they are none.
using StockCodeParser = bool (*)(const char* text, int length, StockCode* code);
struct GroupImportResult {
  int added;          // codes now in the group
  bool limitReached;  // a further code was refused: the group is full
};
// Group g's members become the codes of the text: the first 4 bytes of each
// line read by `parse`, each code once, in the group's sort order, at most
// kMaxGroupMembers of them. In the live table the bits follow.
GroupImportResult ImportGroupCodes(GroupTable& table, int g, const char* text, size_t size, StockCodeParser parse);

// ---- Member edits ------------------------------------------------------------------

// The member at `row` leaves group g (later members move up); false when
// there is none. In the live table its bit is cleared.
bool RemoveGroupMember(GroupTable& table, int g, int row);
// Group g holds nothing afterwards; in the live table its bits are cleared.
void ClearGroupMembers(GroupTable& table, int g);
// Sort order 0 ascending, 1 descending, or a new sort item (kSortByStockCode
// or an item code), then the members re-sorted; false when nothing changed.
bool SetGroupSortOrderOf(GroupTable& table, int g, int order);
bool SetGroupSortItemOf(GroupTable& table, int g, int item);

// ---- The group settings dialog ------------------------------------------------------

// The market check boxes of the dialog, in their order on the page.
struct GroupMarketBox {
  uint16_t mask;
  const char* label;
  bool alwaysDisabled;  // markets that no longer list anything
};
constexpr int kGroupMarketBoxCount = 8;
extern const std::array<GroupMarketBox, kGroupMarketBoxCount> kGroupMarketBoxes;

// The signal kinds a group may raise, by position (SignalKind 0..8).
constexpr int kGroupSignalKindCount = 9;
extern const std::array<const char*, kGroupSignalKindCount> kGroupSignalKindNames;

// Another group of the table has a term on membership of group g.
bool IsGroupNamedByMembershipTerm(const GroupTable& table, int g);

// Before group g's page is shown: an automatic group is extracted again in
// the edit copy, a manual one not reset since the dialog opened takes the
// live members, sorted by the edit copy's order.
void PrepareGroupEditPage(GroupTable& edit, const GroupTable& live, int g, bool reset);

// What the page of a group shows and offers.
struct GroupEditPage {
  bool automatic;
  bool automaticAllowed;  // "自動抽出する" may be chosen
  bool conditionsShown;   // markets, terms, their buttons and the signal combo
  std::array<bool, kGroupMarketBoxCount> marketChecked;
  std::array<bool, kGroupMarketBoxCount> marketEnabled;
  bool addTermEnabled;
  bool editTermEnabled;  // also "削除"
  bool signalComboEnabled;
  int signalKind;  // position in the signal combo; -1 when outside it
  int memberCount;
};
GroupEditPage DescribeGroupEditPage(const GroupTable& edit, int g, int selectedTerm);

// Automatic or manual; false (nothing changed) when a group that another
// group's membership term names would become automatic.
bool SetEditedGroupAutomatic(GroupTable& edit, int g, bool automatic);
// Term `t` becomes `term`; t == termCount appends. False when there is no room.
bool StoreGroupTerm(GroupRecord& group, int t, const ConditionTerm& term);
void RemoveGroupTerm(GroupRecord& group, int t);
// The typed name, cut to 63 bytes at a whole character; false for an empty one.
bool RenameGroupRecord(GroupRecord& group, const char* name);
// The group's default record with no members.
void ResetEditedGroup(GroupTable& edit, int g);

// The seven monitoring and signal flags from an automatic group's terms; a
// term on a signal, a scenario or a monitoring line also makes the group's
// own signal kind 0.
void DeriveGroupSignalFlags(GroupRecord& group);

// What applying the edit copy changed.
struct GroupApplyResult {
  bool anyChange;
  bool namesChanged;
  bool signalChanged;                    // a signal kind changed, or the automatic flag of a group with a kind
  bool scenarioSignalChanged;            // ... of a signal group of a scenario in use
  std::array<bool, kGroupCount> copied;  // the whole record went to the live table
};
// Each group of the edit copy onto the live table: its flags derived, a new
// name taken, the whole record (then extracted again, the bits following its
// list) when its conditions, order or kind differ or it was reset, else only
// the name colour. After a signal change the automatic groups with special
// terms are extracted again. `scenarios` are the 16 of the scenario table
// (null for none).
GroupApplyResult ApplyGroupEdits(GroupTable& live, GroupTable& edit, const std::array<bool, kGroupCount>& reset,
                                 const ScenarioRecord* scenarios);
// After a signal change: every automatic group with a term on a signal, a
// scenario or a monitoring line extracted again.
void ExtractGroupsWithSpecialTerms(GroupTable& live);
