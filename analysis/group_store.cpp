#include "analysis/group_store.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "analysis/analysis_hooks.h"
#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "common/file_io.h"
#include "common/sjis_text.h"
#include "data/stock_table.h"
#include "common/string_ids.h"
#include "common/app_globals.h"
#include "records/settings_block.h"

GroupTable* gGroupTable = nullptr;
GroupTable* gGroupTableEdit = nullptr;
GroupRecord* gGroupScratchRecord = nullptr;

int gGroupEditBusy = 0;

namespace {

constexpr uint32_t kOldRecordHeadBytes = 436;  // every layout up to the member list
constexpr uint32_t kHeadlessFileItemBase = 50;
constexpr uint16_t kAllMarkets = 0xFFFF;
constexpr uint16_t kAllButIndices = 0xFF7F;
constexpr int kNumberedGroupFirst = 24;  // "グループ 1" .. "グループ 80"
constexpr int kUserGroupFirst = 104;     // "ユーザー 1" .. "ユーザー 20"
constexpr int kOldUserGroupNumber = 81;  // older files numbered the user groups on

constexpr char kBackupFolder[] = "BACKUP";
constexpr std::array<const char*, 3> kBackupPaths = {"BACKUP\\grp01.dat", "BACKUP\\grp02.dat", "BACKUP\\grp03.dat"};
constexpr int kAsidePathSize = 260;

// kDamaged: a known size, read whole, but not a table any version wrote.
enum class GroupFileRead { kLoaded, kUnusable, kDamaged };

// The group file sizes that can be read: older ones hold fewer and shorter records.
struct GroupFileLayout {
  uint32_t bytes;
  uint32_t headerBytes;  // 0: no header, the item base is kHeadlessFileItemBase
  int groups;
  uint32_t recordBytes;
  int memberCapacity;
  bool narrowMembers;  // 16-bit plain numbers instead of codes
};
constexpr std::array<GroupFileLayout, 6> kGroupFileLayouts = {{
    {472640, 0, 56, 8440, 2000, false},
    {472648, 8, 56, 8440, 2000, false},
    {742728, 8, 88, 8440, 2000, false},
    {918728, 8, 88, 10440, 5000, true},
    {1798728, 8, 88, 20440, 5000, false},
    {sizeof(GroupTable), 8, kGroupCount, sizeof(GroupRecord), kMaxGroupMembers, false},
}};
static_assert(56 * 8440 == 472640 && 8 + 88 * 10440 == 918728 && 8 + 88 * 20440 == 1798728);

const GroupFileLayout* FindGroupFileLayout(int64_t bytes) {
  for (const GroupFileLayout& layout : kGroupFileLayouts) {
    if (layout.bytes == bytes) return &layout;
  }
  return nullptr;
}

constexpr bool IsCurrentLayout(const GroupFileLayout& layout) { return layout.bytes == sizeof(GroupTable); }

// The built-in groups 0..23; the rest are plain manual groups.
struct DefaultGroup {
  uint16_t automatic;
  uint16_t marketMask;
  int16_t sortItem;
  uint16_t sortOrder;
  int16_t termLeft;  // 0: no term
  int16_t termOp;
  uint8_t monitorFlags;  // date, upper, lower lines
  uint8_t signalFlags;   // short buy, long buy, short sell, long sell
};
constexpr std::array<DefaultGroup, kNumberedGroupFirst> kDefaultGroups = {{
    {1, kAllMarkets, -1, 0, 0, 0, 0, 0},
    {1, 0x100, -1, 0, 0, 0, 0, 0},
    {1, 0x200, -1, 0, 0, 0, 0, 0},
    {1, 0x400, -1, 0, 0, 0, 0, 0},
    {1, 0x40, -1, 0, 0, 0, 0, 0},
    {1, 0x800, -1, 0, 0, 0, 0, 0},
    {1, 0x20, -1, 0, 0, 0, 0, 0},
    {1, 0x4, -1, 0, 0, 0, 0, 0},
    {1, 0x80, -1, 0, 0, 0, 0, 0},
    {1, kAllButIndices, 2, 1, 0, 0, 0, 0},
    {1, kAllButIndices, 2, 0, 0, 0, 0, 0},
    {1, kAllButIndices, 3, 1, 0, 0, 0, 0},
    {1, kAllButIndices, 4, 1, 0, 0, 0, 0},
    {1, kAllButIndices, 23, 1, 0, 0, 0, 0},
    {1, kAllButIndices, 23, 0, 0, 0, 0, 0},
    {1, kAllMarkets, -1, 0, -200, kOpLineExists, 0b111, 0},
    {1, kAllMarkets, -1, 0, -201, kOpLineExists, 0b001, 0},
    {1, kAllMarkets, -1, 0, -202, kOpLineExists, 0b010, 0},
    {1, kAllMarkets, -1, 0, -203, kOpLineExists, 0b100, 0},
    {1, kAllButIndices, -1, 0, -300, kOpGreater, 0, 0b1111},
    {1, kAllButIndices, -1, 0, -301, kOpGreater, 0, 0b0001},
    {1, kAllButIndices, -1, 0, -302, kOpGreater, 0, 0b0010},
    {1, kAllButIndices, -1, 0, -303, kOpGreater, 0, 0b0100},
    {1, kAllButIndices, -1, 0, -304, kOpGreater, 0, 0b1000},
}};

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

// Cuts a name that holds no terminator at its last whole character.
void TerminateGroupName(char* name) {
  if (memchr(name, 0, kGroupNameSize) == nullptr) TerminateTextField(name, kGroupNameSize);
}

// Counts read from a file are used as indexes: they must stay inside the record.
void RepairGroupRecord(GroupRecord& group, int memberCapacity) {
  TerminateGroupName(group.name);
  group.memberCount = std::clamp(group.memberCount, 0, memberCapacity);
  group.termCount = std::clamp<int16_t>(group.termCount, 0, kMaxConditionTerms);
}

void BuildBuiltInGroup(GroupRecord& group, int g) {
  memset(&group, 0, sizeof group);
  group.terms[0] = ConditionTerm{0, 0, 9, 0, 0.0};
  group.sortItem = kSortByStockCode;
  if (g >= kUserGroupFirst) {
    snprintf(group.name, sizeof group.name, "ユーザー %d", g - kUserGroupFirst + 1);
  } else if (g >= kNumberedGroupFirst) {
    char prefix[kGroupNameSize / 2];
    PlatformLoadString(kStrNumberedGroupName, prefix, sizeof prefix);
    snprintf(group.name, sizeof group.name, "%s%d", prefix, g - kNumberedGroupFirst + 1);
  } else {
    PlatformLoadString(kStrDefaultGroupNameFirst + g, group.name, sizeof group.name);
  }
  group.marketMask = kAllButIndices;
  if (g >= kNumberedGroupFirst) return;
  const DefaultGroup& builtIn = kDefaultGroups[static_cast<size_t>(g)];
  group.automatic = builtIn.automatic;
  group.marketMask = builtIn.marketMask;
  group.sortItem = builtIn.sortItem;
  group.sortOrder = builtIn.sortOrder;
  if (builtIn.termLeft != 0) {
    group.termCount = 1;
    group.terms[0].left = builtIn.termLeft;
    group.terms[0].op = builtIn.termOp;
  }
  group.monitorDateLines = builtIn.monitorFlags & 1;
  group.monitorUpperLines = (builtIn.monitorFlags >> 1) & 1;
  group.monitorLowerLines = (builtIn.monitorFlags >> 2) & 1;
  group.signalShortBuy = builtIn.signalFlags & 1;
  group.signalLongBuy = (builtIn.signalFlags >> 1) & 1;
  group.signalShortSell = (builtIn.signalFlags >> 2) & 1;
  group.signalLongSell = (builtIn.signalFlags >> 3) & 1;
}

// Groups first..last of the table become their defaults; the supplied
// default file is read once for the whole range.
void BuildDefaultGroupRange(GroupTable& table, int first, int last) {
  GroupTable* supplied = nullptr;
  if (GetFileSizeByName(kDefaultGroupFilePath) == static_cast<int64_t>(sizeof(GroupTable))) {
    supplied = static_cast<GroupTable*>(AllocBlock(sizeof(GroupTable)));
    if (supplied != nullptr && LoadFileToBuffer(kDefaultGroupFilePath, supplied, sizeof(GroupTable)) != 0) {
      FreeBlock(supplied);
      supplied = nullptr;
    }
  }
  for (int g = std::max(first, 0); g <= std::min(last, kGroupCount - 1); ++g) {
    if (supplied == nullptr) {
      BuildBuiltInGroup(table.groups[g], g);
      continue;
    }
    table.groups[g] = supplied->groups[g];
    RepairGroupRecord(table.groups[g], kMaxGroupMembers);
  }
  FreeBlock(supplied);
}

void BuildDefaultTable(GroupTable& table) {
  table.programVersion = gProgramVersion;
  table.itemBase = kGroupItemBase;
  BuildDefaultGroupRange(table, 0, kGroupCount - 1);
}

void RebaseGroupItems(GroupRecord& group, uint32_t base) {
  group.sortItem = RebaseItemCode(group.sortItem, base);
  for (int t = 0; t < group.termCount; ++t) {
    group.terms[t].left = RebaseItemCode(group.terms[t].left, base);
    group.terms[t].right = RebaseItemCode(group.terms[t].right, base);
  }
}

// A base of 0 cannot have been written by any version: the codes are kept.
bool NeedsRebase(uint32_t base) { return base != kGroupItemBase && base != 0; }

uint32_t ReadU32(const uint8_t* p) {
  uint32_t value;
  memcpy(&value, p, sizeof value);
  return value;
}

// Base 0 was never written either, but such a file keeps its codes (NeedsRebase).
bool IsKnownItemBase(uint32_t base) { return base == kGroupItemBase || base == kHeadlessFileItemBase || base == 0; }

bool IsPlainNumber(StockCode code) { return CodeLess(code, gMinStockCode); }

// The members as ConvertNumericCodes leaves them must be stock codes, each
// once; their order is the group's sort order, so any order is fine.
bool AreMembersUsable(const GroupRecord& group) {
  std::array<StockCode, kMaxGroupMembers> codes;
  const int count = group.memberCount;
  const bool plainNumbers = count > 0 && IsPlainNumber(group.members[0]);
  for (int i = 0; i < count; ++i) {
    const StockCode member = group.members[i];
    codes[i] = plainNumbers ? NumberToCode(static_cast<int32_t>(member)) : member;
    if (!IsStockCodeInRange(codes[i])) return false;
  }
  std::sort(codes.begin(), codes.begin() + count, CodeLess);
  return std::adjacent_find(codes.begin(), codes.begin() + count) == codes.begin() + count;
}

// What the program never writes; checked before the repairs and conversions
// of the load, which would hide it.
bool IsGroupAsWritten(const GroupRecord& group, int memberCapacity) {
  return memchr(group.name, 0, kGroupNameSize) != nullptr && group.termCount >= 0 &&
         group.termCount <= kMaxConditionTerms && group.memberCount >= 0 && group.memberCount <= memberCapacity &&
         AreMembersUsable(group);
}

// Not repaired: the caller checks the record as it came.
void ConvertOldRecord(const uint8_t* record, const GroupFileLayout& layout, GroupRecord& group) {
  memset(&group, 0, sizeof group);
  if (!layout.narrowMembers) {
    memcpy(&group, record, layout.recordBytes);
  } else {
    memcpy(&group, record, kOldRecordHeadBytes);
    for (int k = 0; k < layout.memberCapacity; ++k) {
      int16_t number;
      memcpy(&number, record + kOldRecordHeadBytes + 2 * k, sizeof number);
      group.members[k] = static_cast<StockCode>(int32_t{number});
    }
  }
}

// Fills `table` from the image of an older file: its groups, then the
// defaults; false (the table partly filled) when the image is damaged.
bool ConvertOldImage(const uint8_t* image, const GroupFileLayout& layout, GroupTable& table) {
  const uint32_t base = layout.headerBytes == 0 ? kHeadlessFileItemBase : ReadU32(image + 4);
  if (!IsKnownItemBase(base)) return false;
  for (int g = 0; g < layout.groups; ++g) {
    GroupRecord& group = table.groups[g];
    ConvertOldRecord(image + layout.headerBytes + layout.recordBytes * static_cast<uint32_t>(g), layout, group);
    if (!IsGroupAsWritten(group, layout.memberCapacity)) return false;
    if (NeedsRebase(base)) RebaseGroupItems(group, base);
  }
  BuildDefaultGroupRange(table, layout.groups, kGroupCount - 1);
  table.programVersion = gProgramVersion;
  table.itemBase = kGroupItemBase;
  return true;
}

bool IsCurrentImageAsWritten(const GroupTable& table) {
  if (!IsKnownItemBase(table.itemBase)) return false;
  return std::all_of(std::begin(table.groups), std::end(table.groups),
                     [](const GroupRecord& group) { return IsGroupAsWritten(group, kMaxGroupMembers); });
}

// True when the table must be written back in the current form.
bool InstallCurrentImage(GroupTable& table) {
  if (table.itemBase == kGroupItemBase) return false;
  if (NeedsRebase(table.itemBase)) {
    for (GroupRecord& group : table.groups) RebaseGroupItems(group, table.itemBase);
  }
  table.programVersion = gProgramVersion;
  table.itemBase = kGroupItemBase;
  return true;
}

void ConvertNumericCodes(GroupTable& table) {
  for (GroupRecord& group : table.groups) {
    const int count = MemberCount(group);
    if (count > 0 && IsPlainNumber(group.members[0])) {
      for (int i = 0; i < count; ++i) group.members[i] = NumberToCode(static_cast<int32_t>(group.members[i]));
    }
    for (int t = 0; t < std::clamp<int>(group.termCount, 0, kMaxConditionTerms); ++t) {
      ConditionTerm& term = group.terms[t];
      // Negative or not-a-number constants are no stock number of any version.
      const bool number =
          term.constant >= 0.0 && term.constant < static_cast<double>(static_cast<int32_t>(gMinStockCode));
      if (term.left == kOperandStockCode && number) {
        term.constant = static_cast<double>(NumberToCode(static_cast<int32_t>(term.constant)));
      }
    }
  }
}

void RenameOldUserGroups(GroupTable& table) {
  for (int k = 0; k < kGroupCount - kUserGroupFirst; ++k) {
    char oldName[kGroupNameSize];
    snprintf(oldName, sizeof oldName, "グループ %d", kOldUserGroupNumber + k);
    GroupRecord& group = table.groups[kUserGroupFirst + k];
    if (strcmp(group.name, oldName) == 0) snprintf(group.name, sizeof group.name, "ユーザー %d", k + 1);
  }
}

// Reads a group file of a known size whole; null when it cannot be read
// (a file that has grown past the largest size since it was measured is
// refused too).
uint8_t* ReadGroupFileImage(const char* path, uint32_t* size) {
  const GroupFileLayout* layout = FindGroupFileLayout(GetFileSizeByName(path));
  if (layout == nullptr) return nullptr;
  auto* image = static_cast<uint8_t*>(AllocBlock(sizeof(GroupTable)));
  if (image == nullptr) return nullptr;
  if (LoadFileToBufferEx(path, image, sizeof(GroupTable), size) != 0 || *size != layout->bytes) {
    FreeBlock(image);
    return nullptr;
  }
  return image;
}

// Writes a loaded file as it was read: to `restoreTo` when a backup is
// restored (false when it does not get there), else back over the file in
// the current form when it was converted (a failed write-back keeps the old
// file; the converted table is used all the same).
bool WriteLoadedFile(const char* path, const char* restoreTo, GroupImageRead read, const uint8_t* image,
                     const GroupTable& currentForm) {
  const bool converted = read == GroupImageRead::kConverted;
  if (restoreTo != nullptr) {
    const void* asRead = converted ? static_cast<const void*>(&currentForm) : image;
    return SaveBufferToFile(restoreTo, asRead, sizeof(GroupTable)) == 0;
  }
  if (converted) SaveBufferToFile(path, &currentForm, sizeof(GroupTable));
  return true;
}

// Into the live table; the file is rewritten first when it was converted.
// With `restoreTo`, the table as read is written there instead, and only a
// table that reached it is taken.
GroupFileRead ReadGroupFileIntoTable(const char* path, const char* restoreTo = nullptr) {
  if (gGroupTable == nullptr) return GroupFileRead::kUnusable;
  uint32_t size = 0;
  uint8_t* image = ReadGroupFileImage(path, &size);
  auto* table = static_cast<GroupTable*>(AllocBlock(sizeof(GroupTable)));
  auto* currentForm = static_cast<GroupTable*>(AllocBlock(sizeof(GroupTable)));
  GroupFileRead result = GroupFileRead::kUnusable;
  if (image != nullptr && table != nullptr && currentForm != nullptr) {
    const GroupImageRead read = LoadGroupImage(image, size, table, currentForm);
    if (read == GroupImageRead::kDamaged) {
      result = GroupFileRead::kDamaged;
    } else if (read != GroupImageRead::kUnknownSize && WriteLoadedFile(path, restoreTo, read, image, *currentForm)) {
      result = GroupFileRead::kLoaded;
      memcpy(gGroupTable, table, sizeof(GroupTable));
    }
  }
  FreeBlock(image);
  FreeBlock(table);
  FreeBlock(currentForm);
  return result;
}

// A damaged file is moved away so that it is never loaded, restored or
// rotated into the backups again; one that cannot be moved is only refused.
void SetDamagedGroupFileAside(const char* path) {
  char aside[kAsidePathSize];
  SetDamagedFileAside(path, aside, sizeof aside);
}

// For the program's own group files: a damaged one is refused and set aside.
bool LoadOwnGroupFile(const char* path) {
  const GroupFileRead result = ReadGroupFileIntoTable(path);
  if (result == GroupFileRead::kDamaged) SetDamagedGroupFileAside(path);
  return result == GroupFileRead::kLoaded;
}

void KeepFirstError(int* result, int error) {
  if (*result == 0) *result = error;
}

// An empty, missing or unreadable older copy gives way to the table itself.
int CopyBackupDown(const char* from, const char* to, const GroupTable& table) {
  uint32_t size = 0;
  char* image = LoadFileToMemory(from, &size, 1);
  if (image == nullptr) return SaveBufferToFile(to, &table, sizeof table);
  const int error = SaveBufferToFile(to, image, size);
  FreeBlock(image);
  return error;
}

// Newest first: grp01 is this table, the older copies move one place down.
// They are copied, never moved, and each copy replaces its target whole, so
// a program stopped at any moment of the rotation leaves every backup there.
int RotateGroupBackups(const GroupTable& table) {
  PlatformCreateFolder(kBackupFolder);
  int result = 0;
  for (size_t i = kBackupPaths.size() - 1; i > 0; --i) {
    KeepFirstError(&result, CopyBackupDown(kBackupPaths[i - 1], kBackupPaths[i], table));
  }
  KeepFirstError(&result, SaveBufferToFile(kBackupPaths[0], &table, sizeof table));
  return result;
}

// The backup is read once and its table (converted when older) becomes
// grp.dat; the backup itself stays. A damaged one is set aside instead.
bool RestoreGroupBackup(const char* backup) {
  if (GetFileSizeByName(backup) <= 0) return false;
  const GroupFileRead result = ReadGroupFileIntoTable(backup, kGroupFileName);
  if (result == GroupFileRead::kDamaged) SetDamagedGroupFileAside(backup);
  return result == GroupFileRead::kLoaded;
}

bool LoadMainGroupFileOrBackup() {
  if (LoadOwnGroupFile(kGroupFileName)) return true;
  for (const char* backup : kBackupPaths) {
    if (RestoreGroupBackup(backup)) return true;
  }
  return false;
}

template <typename Visit>
void ForEachAutomaticGroupSignalKindsFirst(Visit visit) {
  for (const bool withKind : {true, false}) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = gGroupTable->groups[g];
      if (group.automatic != 0 && (group.signalKind != 0) == withKind) visit(g);
    }
  }
}

void RefreshGroupLists(int g) {
  if (gAnalysisHooks.refreshGroupLists != nullptr) gAnalysisHooks.refreshGroupLists(g);
}

uint8_t* GroupBitByte(int stockIndex, int g, uint8_t* mask) {
  if (gStockTable == nullptr || stockIndex < 0 || stockIndex >= kMaxStocks || g < 0 || g >= kGroupMemberBits) {
    return nullptr;
  }
  // Bit g mod 32 of little-endian word g / 32 is bit g mod 8 of byte g / 8.
  *mask = static_cast<uint8_t>(1u << (g % 8));
  return &gStockTable->records[stockIndex].groupBits[g / 8];
}

}  // namespace

bool AllocGroupTables() {
  if (gGroupTable == nullptr) gGroupTable = static_cast<GroupTable*>(AllocBlock(sizeof(GroupTable)));
  if (gGroupTableEdit == nullptr) gGroupTableEdit = static_cast<GroupTable*>(AllocBlock(sizeof(GroupTable)));
  if (gGroupScratchRecord == nullptr) {
    gGroupScratchRecord = static_cast<GroupRecord*>(AllocBlock(sizeof(GroupRecord)));
  }
  return gGroupTable != nullptr && gGroupTableEdit != nullptr && gGroupScratchRecord != nullptr;
}

void FreeGroupTables() {
  FreeBlock(gGroupTable);
  FreeBlock(gGroupTableEdit);
  FreeBlock(gGroupScratchRecord);
  gGroupTable = nullptr;
  gGroupTableEdit = nullptr;
  gGroupScratchRecord = nullptr;
}

bool LoadGroupsAtStartup() {
  MakeDataFolderCurrent();
  if (!AllocGroupTables()) return false;
  gGroupEditBusy = 0;
  if (!LoadMainGroupFileOrBackup()) {
    BuildDefaultTable(*gGroupTable);
    PurgeUnknownCodesFromGroups();
    SaveGroupFile(1);
  } else if (gStockTableRebuilt != 0) {
    PurgeUnknownCodesFromGroups();
  }
  if (gTimeBackMode != 0 && !LoadOwnGroupFile(kTimeBackGroupFileName)) gTimeBackMode = 0;
  return true;
}

int LoadGroupFile(const char* path) { return ReadGroupFileIntoTable(path) == GroupFileRead::kLoaded ? 0 : -1; }

GroupImageRead LoadGroupImage(const uint8_t* image, size_t size, GroupTable* table, GroupTable* currentForm) {
  const GroupFileLayout* layout = FindGroupFileLayout(static_cast<int64_t>(size));
  if (layout == nullptr) return GroupImageRead::kUnknownSize;
  bool converted = true;
  if (IsCurrentLayout(*layout)) {
    memcpy(table, image, sizeof(GroupTable));
    if (!IsCurrentImageAsWritten(*table)) return GroupImageRead::kDamaged;
    converted = InstallCurrentImage(*table);
  } else if (!ConvertOldImage(image, *layout, *table)) {
    return GroupImageRead::kDamaged;
  }
  if (converted && currentForm != nullptr) memcpy(currentForm, table, sizeof(GroupTable));
  ConvertNumericCodes(*table);
  RenameOldUserGroups(*table);
  return converted ? GroupImageRead::kConverted : GroupImageRead::kLoaded;
}

int SaveGroupFile(int forceMain) {
  if (gGroupTable == nullptr) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  if (forceMain == 0 && gTimeBackMode != 0) {
    return SaveBufferToFile(kTimeBackGroupFileName, gGroupTable, sizeof(GroupTable));
  }
  // Without a new grp.dat the backups stay as they are: they still hold the older good copies.
  const int error = SaveBufferToFile(kGroupFileName, gGroupTable, sizeof(GroupTable));
  if (error != 0) return error;
  return RotateGroupBackups(*gGroupTable);
}

void BuildDefaultGroups(GroupTable& table, int g) {
  if (IsGroupIndex(g)) BuildDefaultGroupRange(table, g, g);
}

void AddStockToGroup(StockCode code, int g) {
  if (gGroupTable == nullptr || !IsGroupIndex(g)) return;
  GroupRecord& group = gGroupTable->groups[g];
  const int count = MemberCount(group);
  if (count >= kMaxGroupMembers || FindCodeInGroup(*gGroupTable, g, code) >= 0) return;
  group.members[count] = code;
  group.memberCount = count + 1;
  SortGroupMembers(*gGroupTable, g);
  SetGroupMemberBit(FindStockIndexByCode(code), g);
  RefreshGroupLists(g);
}

int InsertCodeSorted(GroupTable& table, int g, StockCode code) {
  if (!IsGroupIndex(g)) return -1;
  GroupRecord& group = table.groups[g];
  const int count = MemberCount(group);
  if (count >= kMaxGroupMembers) return -1;
  const double key = GroupSortKey(table, g, code);
  const bool descending = group.sortOrder != 0;
  // The members are in sort order: the new one goes after every member it
  // does not come before, found by halving (each key costs a stock lookup,
  // and a group may hold the whole market).
  int position = 0;
  int end = count;
  while (position < end) {
    const int mid = position + (end - position) / 2;
    if (SortKeyComesBefore(key, GroupSortKey(table, g, group.members[mid]), descending)) {
      end = mid;
    } else {
      position = mid + 1;
    }
  }
  memmove(&group.members[position + 1], &group.members[position],
          sizeof(StockCode) * static_cast<size_t>(count - position));
  group.members[position] = code;
  group.memberCount = count + 1;
  return position;
}

void RemoveMemberAt(GroupRecord& group, int position) {
  const int count = MemberCount(group);
  if (position < 0 || position >= count) return;
  memmove(&group.members[position], &group.members[position + 1],
          sizeof(StockCode) * static_cast<size_t>(count - position - 1));
  group.memberCount = count - 1;
}

int FindCodeInGroup(const GroupTable& table, int g, StockCode code) {
  if (!IsGroupIndex(g)) return -1;
  const GroupRecord& group = table.groups[g];
  const int count = MemberCount(group);
  for (int i = 0; i < count; ++i) {
    if (group.members[i] == code) return i;
  }
  return -1;
}

void SetGroupMemberBit(int stockIndex, int g) {
  uint8_t mask = 0;
  if (uint8_t* byte = GroupBitByte(stockIndex, g, &mask)) *byte |= mask;
}

void ClearGroupMemberBit(int stockIndex, int g) {
  uint8_t mask = 0;
  if (uint8_t* byte = GroupBitByte(stockIndex, g, &mask)) *byte &= static_cast<uint8_t>(~mask);
}

bool HasGroupMemberBit(int stockIndex, int g) {
  uint8_t mask = 0;
  const uint8_t* byte = GroupBitByte(stockIndex, g, &mask);
  return byte != nullptr && (*byte & mask) != 0;
}

void PurgeUnknownCodesFromGroups() {
  if (gGroupTable == nullptr) return;
  for (GroupRecord& group : gGroupTable->groups) {
    if (group.automatic != 0) continue;
    const int count = MemberCount(group);
    for (int i = 0; i < count; ++i) {
      if (FindStockIndexByCode(group.members[i]) >= 0) continue;
      RemoveMemberAt(group, i);
      break;
    }
  }
  ForEachAutomaticGroupSignalKindsFirst([](int g) { RunExtractionForGroup(*gGroupTable, g); });
}

void ConvertNumericGroupCodes() {
  if (gGroupTable != nullptr) ConvertNumericCodes(*gGroupTable);
}

const char* GetGroupName(int g) {
  if (gGroupTable == nullptr || !IsGroupIndex(g)) return "";
  return gGroupTable->groups[g].name;
}

int32_t GetGroupNameColor(int g) {
  if (gGroupTable == nullptr || !IsGroupIndex(g)) return 0;
  return gGroupTable->groups[g].nameColor;
}
