#pragma once
// The 124 stock groups, their file "grp.dat" with its older sizes and
// rotating backups, the default groups and the small operations on a
// group's member list. Each StockRecord mirrors its memberships in groupBits.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "analysis/condition_term.h"
#include "common/stock_code.h"
#include "records/table_limits.h"

constexpr int kMaxGroupMembers = 5000;
constexpr int kGroupNameSize = 64;
constexpr int kGroupMemberBits = 128;
constexpr uint32_t kGroupItemBase = 91;  // slot base of the item codes in the current format
constexpr int16_t kSortByStockCode = -1;

constexpr char kGroupFileName[] = "grp.dat";
constexpr char kTimeBackGroupFileName[] = "grptb.dat";
constexpr char kDefaultGroupFilePath[] = "DEFAULTDATA\\grp.dat";

struct GroupRecord {
  char name[kGroupNameSize];  // Shift-JIS, zero-terminated
  uint16_t automatic;         // 1 extracted by conditions, 0 manual
  uint16_t marketMask;        // market flag bits; 0xFFFF all markets
  int16_t termCount;          // 0..20
  uint8_t reserved70[2];
  ConditionTerm terms[kMaxConditionTerms];
  int32_t signalKind;  // 0 none
  int16_t sortItem;    // condition item code, or kSortByStockCode
  uint16_t sortOrder;  // 0 ascending, 1 descending
  int32_t monitorDateLines;
  int32_t monitorUpperLines;
  int32_t monitorLowerLines;
  int32_t signalShortBuy;
  int32_t signalLongBuy;
  int32_t signalShortSell;
  int32_t signalLongSell;
  int32_t nameColor;                    // colour of the name in the group combo boxes
  int32_t memberCount;                  // 0..5000
  StockCode members[kMaxGroupMembers];  // in the group's sort order
  uint8_t reserved20436[4];
};
static_assert(sizeof(GroupRecord) == 20440, "GroupRecord is 20440 bytes");
static_assert(offsetof(GroupRecord, automatic) == 64);
static_assert(offsetof(GroupRecord, terms) == 72);
static_assert(offsetof(GroupRecord, signalKind) == 392);
static_assert(offsetof(GroupRecord, sortItem) == 396);
static_assert(offsetof(GroupRecord, monitorDateLines) == 400);
static_assert(offsetof(GroupRecord, nameColor) == 428);
static_assert(offsetof(GroupRecord, memberCount) == 432);
static_assert(offsetof(GroupRecord, members) == 436);

struct GroupTable {
  uint32_t programVersion;  // of the program that wrote the file
  uint32_t itemBase;        // kGroupItemBase
  GroupRecord groups[kGroupCount];
};
static_assert(sizeof(GroupTable) == 2534568, "grp.dat is 2534568 bytes");
static_assert(offsetof(GroupTable, groups) == 8);

extern GroupTable* gGroupTable;           // the live table
extern GroupTable* gGroupTableEdit;       // the copy the group dialogs edit
extern GroupRecord* gGroupScratchRecord;  // one spare record

// Allocates whatever of the three is missing; false when memory is short.
bool AllocGroupTables();
void FreeGroupTables();

// Start-up: grp.dat, else a backup, else the default groups; then grptb.dat
// in time-back mode. Each damaged one of these files is set aside on the way
// (SetDamagedFileAside). False only when the tables cannot be allocated.
bool LoadGroupsAtStartup();
// Loads a group file of the current or an older size into the live table;
// 0, or -1 when its size is unknown, it cannot be read or it holds what no
// version writes (the table and the file are then unchanged).
int LoadGroupFile(const char* path);
// How LoadGroupImage took an image: as it is, converted from an older size
// or item base (the file is then written back in the current form), or not
// at all.
enum class GroupImageRead { kLoaded, kConverted, kUnknownSize, kDamaged };
// The in-memory part of LoadGroupFile, which reads the file and calls it: an
// image of the current or an older size into `table` as the program uses it,
// with the same checks, conversions and refusals. A converted image's table
// in the current form goes to `currentForm` (when not null) as it is written
// back: before the plain numbers and old user names are converted, which stay
// in memory until the next save. Refused, `table` holds nothing usable.
GroupImageRead LoadGroupImage(const uint8_t* image, size_t size, GroupTable* table, GroupTable* currentForm);
// Writes the live table: grptb.dat in time-back mode unless forceMain, else
// grp.dat and the rotating backups. 0 or the first file error.
int SaveGroupFile(int forceMain);
void BuildDefaultGroups(GroupTable& table, int g);

// Appends a code to group g of the live table, re-sorts it and sets the
// stock's bit; a code already there or a full group is refused silently.
void AddStockToGroup(StockCode code, int g);
// The member count, kept within 0..kMaxGroupMembers (a damaged record may say more).
inline int MemberCount(const GroupRecord& group) { return std::clamp(group.memberCount, 0, kMaxGroupMembers); }
// Inserts a code at its place in the group's order; its position, or -1
// when the group is full.
int InsertCodeSorted(GroupTable& table, int g, StockCode code);
// Takes out the member at `position` (nothing for a position outside the members).
void RemoveMemberAt(GroupRecord& group, int position);
// The member position of a code, or -1.
int FindCodeInGroup(const GroupTable& table, int g, StockCode code);

void SetGroupMemberBit(int stockIndex, int g);
void ClearGroupMemberBit(int stockIndex, int g);
bool HasGroupMemberBit(int stockIndex, int g);

// Drops at most one member that is no longer listed from each manual group,
// then extracts the automatic groups again.
void PurgeUnknownCodesFromGroups();
// Members and stock-code constants still held as plain numbers become codes.
void ConvertNumericGroupCodes();

// Name and name colour of group g of the live table; "" and 0 when there is none.
const char* GetGroupName(int g);
int32_t GetGroupNameColor(int g);

// Set while the simulator's parameter window or a group dialog is open.
extern int gGroupEditBusy;
