// The group table: its file, older sizes and backups, member lists and bits,
// extraction by market and the rows the group lists show.
#include "analysis/group_store.h"
#include "analysis/analysis_hooks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/group_lists.h"
#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

constexpr size_t kTableBytes = sizeof(GroupTable);

StockCode Code(int n) { return NumberCode(n); }

std::vector<uint8_t> BytesOf(const GroupTable* table) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(table);
  return std::vector<uint8_t>(bytes, bytes + kTableBytes);
}

GroupTable& TableIn(std::vector<uint8_t>& image) { return *reinterpret_cast<GroupTable*>(image.data()); }

// A current-size image where every byte, reserved ones included, carries a
// value, with valid counts and names so that loading changes nothing.
std::vector<uint8_t> BusyImage() {
  std::vector<uint8_t> image(kTableBytes);
  for (size_t i = 0; i < kTableBytes; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  GroupTable& table = TableIn(image);
  table.itemBase = kGroupItemBase;
  for (int g = 0; g < kGroupCount; ++g) {
    GroupRecord& group = table.groups[g];
    snprintf(group.name, sizeof group.name, "群%d", g);
    group.memberCount = g * 40;
    group.termCount = static_cast<int16_t>(g % 21);
    for (ConditionTerm& term : group.terms) term.left = 5;  // no stock-code constants
    for (int k = 0; k < kMaxGroupMembers; ++k) group.members[k] = Code((k + g) % 10000);
  }
  return image;
}

template <typename T>
void Put(std::vector<uint8_t>& image, size_t at, const T& value) {
  memcpy(&image[at], &value, sizeof value);
}

// An older file: `groups` records of `recordBytes` after `header` bytes; group 0
// is "古い" sorted by item 60 with members 1301, 7203 as the layout stores them.
std::vector<uint8_t> OldImage(size_t header, int groups, size_t recordBytes, uint32_t base) {
  std::vector<uint8_t> image(header + groups * recordBytes);
  if (header != 0) Put(image, 4, base);
  Put(image, header, "古い");
  Put(image, header + 396, int16_t{60});
  Put(image, header + 432, int32_t{2});
  if (recordBytes == 10440) {
    Put(image, header + 436, std::array<int16_t, 6>{1301, 7203, 0, 0, 0, -32768});
  } else {
    Put(image, header + 436, std::array<StockCode, 2>{Code(1301), Code(7203)});
  }
  return image;
}

int gRefreshedGroup = -1;

class GroupStoreTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gRefreshedGroup = -1;
    gAnalysisHooks.refreshGroupLists = [](int g) { gRefreshedGroup = g; };
    ASSERT_TRUE(AllocGroupTables());
  }
  void AddListed(int number, int marketId, const char* name = "") {
    StockRecord& stock = AddStock(Code(number));
    stock.master.marketId = static_cast<uint16_t>(marketId);
    snprintf(stock.master.name, sizeof stock.master.name, "%s", name);
  }
  GroupRecord& Group(int g) { return gGroupTable->groups[g]; }
  static std::vector<StockCode> Members(int g, const GroupTable* table = gGroupTable) {
    const GroupRecord& group = table->groups[g];
    return std::vector<StockCode>(group.members, group.members + group.memberCount);
  }
  static GroupRecord& Automatic(GroupTable& table, int g, uint16_t mask) {
    GroupRecord& group = table.groups[g];
    group.automatic = 1;
    group.marketMask = mask;
    group.sortItem = kSortByStockCode;
    return group;
  }
  void SetMembers(int g, const std::vector<StockCode>& codes) {
    std::copy(codes.begin(), codes.end(), Group(g).members);
    Group(g).memberCount = static_cast<int32_t>(codes.size());
  }
};

// Writes grp.dat and loads it.
int LoadImage(const std::vector<uint8_t>& image) {
  WriteWholeFile("grp.dat", image);
  return LoadGroupFile("grp.dat");
}

using Files = std::vector<std::vector<uint8_t>>;

// The main file and its three backups.
Files GroupFiles() {
  Files files;
  for (const char* path : {"grp.dat", "BACKUP/grp01.dat", "BACKUP/grp02.dat", "BACKUP/grp03.dat"})
    files.push_back(ReadWholeFile(path));
  return files;
}

TEST_F(GroupStoreTest, NothingOnDiskGivesTheDefaultGroupsWrittenFourTimesSuppliedOnesOnlyAtTheExactSize) {
  AddListed(1001, 6);
  AddListed(1301, 1);
  ASSERT_TRUE(LoadGroupsAtStartup());
  EXPECT_EQ(Row(gGroupTable->programVersion, gGroupTable->itemBase), Row(0x16000000, 91));
  EXPECT_STREQ(GetGroupName(0), "全銘柄");
  EXPECT_STREQ(GetGroupName(124), "");
  // The automatic groups without terms were extracted before the save.
  EXPECT_EQ(Members(0), (std::vector<StockCode>{Code(1001), Code(1301)}));
  EXPECT_EQ(Members(8), (std::vector<StockCode>{Code(1001)}));
  EXPECT_EQ(GroupFiles(), Files(4, BytesOf(gGroupTable)));
  // Supplied default groups are used only at the exact size.
  ASSERT_EQ(mkdir("DEFAULTDATA", 0777), 0);
  std::vector<uint8_t> supplied = BusyImage();
  TableIn(supplied).groups[3].memberCount = 9000;
  WriteWholeFile("DEFAULTDATA/grp.dat", supplied);
  BuildDefaultGroups(*gGroupTable, 3);
  EXPECT_STREQ(GetGroupName(3), "群3");
  EXPECT_EQ(Group(3).memberCount, kMaxGroupMembers);
  supplied.push_back(0);
  WriteWholeFile("DEFAULTDATA/grp.dat", supplied);
  BuildDefaultGroups(*gGroupTable, 3);
  EXPECT_STREQ(GetGroupName(3), "東証グロース");
}

// A time-back file replaces the table, or ends the mode when it is damaged.
TEST_F(GroupStoreTest, BadMainFileFallsBackToTheFirstLoadableBackupAndTheTimeBackFileReplacesIt) {
  WriteWholeFile("grp.dat", std::vector<uint8_t>(100));
  ASSERT_EQ(mkdir("BACKUP", 0777), 0);
  WriteWholeFile("BACKUP/grp01.dat", {});
  WriteWholeFile("BACKUP/grp02.dat", std::vector<uint8_t>(kTableBytes - 1));
  const std::vector<uint8_t> good = BusyImage();
  WriteWholeFile("BACKUP/grp03.dat", good);
  ASSERT_TRUE(LoadGroupsAtStartup());
  EXPECT_EQ(BytesOf(gGroupTable), good);
  EXPECT_EQ(ReadWholeFile("grp.dat"), good);
  std::vector<uint8_t> timeBack = BusyImage();
  snprintf(TableIn(timeBack).groups[0].name, kGroupNameSize, "過去");
  WriteWholeFile("grptb.dat", timeBack);
  gTimeBackMode = 1;
  ASSERT_TRUE(LoadGroupsAtStartup());
  EXPECT_STREQ(GetGroupName(0), "過去");
  EXPECT_EQ(gTimeBackMode, 1);
  timeBack.pop_back();
  WriteWholeFile("grptb.dat", timeBack);
  ASSERT_TRUE(LoadGroupsAtStartup());
  EXPECT_EQ(BytesOf(gGroupTable), good);
  EXPECT_EQ(gTimeBackMode, 0) << "a damaged time-back file ends the mode";
}

TEST_F(GroupStoreTest, CurrentFileSavesBackByteForByteOthersLeaveTheTableAloneOrAreRebasedAndConverted) {
  std::vector<uint8_t> image = BusyImage();
  ASSERT_EQ(LoadImage(image), 0);
  ASSERT_EQ(SaveGroupFile(0), 0);
  EXPECT_EQ(ReadWholeFile("grp.dat"), image);
  EXPECT_EQ(ReadWholeFile("BACKUP/grp01.dat"), image);
  // Unknown sizes and unreadable files leave the table alone.
  BuildDefaultGroups(*gGroupTable, 0);
  const std::vector<uint8_t> before = BytesOf(gGroupTable);
  for (const size_t size : {size_t{0}, kTableBytes - 1, kTableBytes + 1, size_t{472644}}) {
    image.resize(size);
    EXPECT_EQ(LoadImage(image), -1) << size;
  }
  EXPECT_EQ(LoadGroupFile("missing.dat"), -1);
  WriteWholeFile("grp.dat", BusyImage());
  FileFaults faults;
  faults.failReads = 10;
  SetFileFaults(faults);
  EXPECT_EQ(LoadGroupFile("grp.dat"), -1);
  EXPECT_EQ(BytesOf(gGroupTable), before);
  SetFileFaults(FileFaults{});  // another item base is rebased and plain numbers become codes
  image = BusyImage();
  GroupTable& table = TableIn(image);
  table.itemBase = 50;
  table.groups[7].sortItem = 60;
  table.groups[7].termCount = 1;
  table.groups[7].terms[0] = ConditionTerm{149, 0, -2, 0, 1.5};
  table.groups[7].terms[1] = ConditionTerm{60, 0, 60, 0, 0.0};  // beyond the count
  ASSERT_EQ(LoadImage(image), 0);
  EXPECT_EQ(Row(Group(7).sortItem, Group(7).terms[0].left, Group(7).terms[0].right, Group(7).terms[1].left,
                gGroupTable->itemBase),
            Row(101, 231, -2, 60, 91));
  EXPECT_EQ(ReadWholeFile("grp.dat"), BytesOf(gGroupTable));
  // No version wrote base 0: the codes stay, the header is made current.
  table.itemBase = 0;
  ASSERT_EQ(LoadImage(image), 0);
  EXPECT_EQ(Row(Group(7).sortItem, gGroupTable->itemBase), Row(60, 91));
  EXPECT_EQ(ReadWholeFile("grp.dat"), BytesOf(gGroupTable));
  // Plain numbers become codes, and old user names are renamed in memory only.
  std::vector<uint8_t> plain = BusyImage();
  GroupTable& plainTable = TableIn(plain);
  plainTable.groups[30].memberCount = 2;
  plainTable.groups[30].members[0] = 1301;
  plainTable.groups[30].members[1] = 7203;
  plainTable.groups[31].termCount = 2;
  plainTable.groups[31].terms[0] = ConditionTerm{-1, 1, -2, 0, 2000.0};
  plainTable.groups[31].terms[1] = ConditionTerm{-1, 1, -2, 0, -5.0};
  snprintf(plainTable.groups[104].name, kGroupNameSize, "グループ 81");
  snprintf(plainTable.groups[105].name, kGroupNameSize, "グループ 99");
  ASSERT_EQ(LoadImage(plain), 0);
  EXPECT_EQ(Members(30), (std::vector<StockCode>{Code(1301), Code(7203)}));
  EXPECT_EQ(Group(31).terms[0].constant, static_cast<double>(Code(2000)));
  EXPECT_EQ(Group(31).terms[1].constant, -5.0);
  EXPECT_STREQ(GetGroupName(104), "ユーザー 1");
  EXPECT_STREQ(GetGroupName(105), "グループ 99");
  EXPECT_EQ(ReadWholeFile("grp.dat"), plain);
}

// Faults the program never writes, in the current and the older sizes: the
// damaged grp.dat and grp01 are set aside under fresh names, grp02 takes
// over, and the next save leaves only good tables in the backups.
TEST_F(GroupStoreTest, DamagedFilesAreSetAsideAndTheBackupsTakeOver) {
  using Damage = void (*)(GroupTable&);
  const Damage damages[] = {
      [](GroupTable& t) { memset(t.groups[4].name, 'N', kGroupNameSize); },
      [](GroupTable& t) { t.groups[0].memberCount = kMaxGroupMembers + 1; },
      [](GroupTable& t) { t.groups[1].memberCount = -1; },
      [](GroupTable& t) { t.groups[2].termCount = kMaxConditionTerms + 1; },
      [](GroupTable& t) { t.groups[3].termCount = -7; },
      [](GroupTable& t) { t.itemBase = 7; },
      [](GroupTable& t) { t.groups[60].members[5] = t.groups[60].members[3]; },
      [](GroupTable& t) { t.groups[60].members[7] = 10000; },  // a plain number no code stands for
  };
  std::vector<std::vector<uint8_t>> images;
  for (const Damage damage : damages) {
    images.push_back(BusyImage());
    damage(TableIn(images.back()));
  }
  images.push_back(OldImage(8, 88, 8440, 91));
  Put(images.back(), 8 + 432, int32_t{2001});
  images.push_back(OldImage(8, 88, 10440, 91));
  Put(images.back(), 8 + 436 + 2, int16_t{-5});
  images.push_back(OldImage(8, 56, 8440, 7));

  const std::vector<uint8_t> good = BusyImage();
  ASSERT_EQ(mkdir("BACKUP", 0777), 0);
  for (size_t i = 0; i < images.size(); ++i) {
    WriteWholeFile("grp.dat", images[i]);
    WriteWholeFile("BACKUP/grp01.dat", images[i]);
    WriteWholeFile("BACKUP/grp02.dat", good);
    ASSERT_TRUE(LoadGroupsAtStartup());
    EXPECT_EQ(BytesOf(gGroupTable), good) << i;
    const std::string suffix = ".damaged" + (i > 0 ? std::to_string(i + 1) : "");
    EXPECT_EQ(ReadWholeFile("grp.dat" + suffix), images[i]) << i;
    EXPECT_EQ(ReadWholeFile("BACKUP/grp01.dat" + suffix), images[i]) << i;
    ASSERT_EQ(SaveGroupFile(0), 0);
    EXPECT_EQ(GroupFiles(), Files(4, good)) << i;
  }
  EXPECT_EQ(ReadWholeFile("grp.dat.damaged"), images[0]);
}

TEST_F(GroupStoreTest, OlderSizesAreConvertedAndWrittenBackInTheCurrentSize) {
  // Header bytes, groups, record bytes, item base, and the sort item loaded.
  constexpr int kCases[][5] = {{0, 56, 8440, 0, 101},
                               {8, 56, 8440, 91, 60},
                               {8, 88, 8440, 50, 101},
                               {8, 88, 10440, 91, 60},
                               {8, 88, 20440, 91, 60}};
  for (const auto& [header, groups, recordBytes, base, sortItem] : kCases) {
    ASSERT_EQ(LoadImage(OldImage(header, groups, recordBytes, base)), 0) << groups << " x " << recordBytes;
    EXPECT_STREQ(GetGroupName(0), "古い");
    EXPECT_EQ(Members(0), (std::vector<StockCode>{Code(1301), Code(7203)}));
    EXPECT_STREQ(GetGroupName(groups), groups == 56 ? "グループ 33" : "グループ 65");
    EXPECT_EQ(Row(Group(0).sortItem, gGroupTable->programVersion, gGroupTable->itemBase),
              Row(sortItem, 0x16000000, 91));
    std::vector<uint8_t> written = ReadWholeFile("grp.dat");
    ASSERT_EQ(written.size(), kTableBytes);
    EXPECT_EQ(TableIn(written).itemBase, 91u);
    EXPECT_TRUE(recordBytes != 10440 || Group(0).members[5] == 0xFFFF8000u);  // sign-extended
  }
}

TEST_F(GroupStoreTest, SavesRotateTheBackupsNewestFirst) {
  BuildDefaultGroups(*gGroupTable, 0);
  ASSERT_EQ(mkdir("BACKUP", 0777), 0);
  WriteWholeFile("BACKUP/grp01.dat", {1});
  WriteWholeFile("BACKUP/grp02.dat", {2});
  WriteWholeFile("BACKUP/grp03.dat", {3});
  ASSERT_EQ(SaveGroupFile(0), 0);
  const std::vector<uint8_t> saved = BytesOf(gGroupTable);
  EXPECT_EQ(GroupFiles(), (Files{saved, saved, {1}, {2}}));

  gTimeBackMode = 1;
  snprintf(Group(0).name, kGroupNameSize, "過去");
  ASSERT_EQ(SaveGroupFile(0), 0);
  EXPECT_EQ(ReadWholeFile("grptb.dat"), BytesOf(gGroupTable));
  EXPECT_EQ(ReadWholeFile("grp.dat"), saved);
  ASSERT_EQ(SaveGroupFile(1), 0);
  EXPECT_EQ(ReadWholeFile("grp.dat"), BytesOf(gGroupTable));
}

TEST_F(GroupStoreTest, FailedWritesAreReportedAndSpareTheBackups) {
  ASSERT_EQ(mkdir("BACKUP", 0777), 0);
  WriteWholeFile("BACKUP/grp01.dat", {1});
  FileFaults faults;
  faults.failWrites = 100;
  SetFileFaults(faults);
  EXPECT_EQ(SaveGroupFile(0), kErrorDiskFull);
  EXPECT_FALSE(FileExists("grp.dat"));
  EXPECT_EQ(ReadWholeFile("BACKUP/grp01.dat"), std::vector<uint8_t>{1});
  EXPECT_FALSE(FileExists("BACKUP/grp02.dat"));
  SetFileFaults(FileFaults{});
  // A folder where grp03 goes: only that copy fails, the later writes succeed.
  ASSERT_EQ(mkdir("BACKUP/grp03.dat", 0777), 0);
  WriteWholeFile("BACKUP/grp02.dat", {});
  EXPECT_NE(SaveGroupFile(0), 0);
  EXPECT_EQ(ReadWholeFile("BACKUP/grp01.dat"), BytesOf(gGroupTable));
}

TEST_F(GroupStoreTest, AddingKeepsTheOrderInEitherDirectionAndRefusesDuplicatesAndAFullGroup) {
  BuildDefaultGroups(*gGroupTable, 40);
  AddStockToGroup(Code(7203), 40);
  AddStockToGroup(Code(1301), 40);
  EXPECT_EQ(Members(40), (std::vector<StockCode>{Code(1301), Code(7203)}));
  EXPECT_EQ(gRefreshedGroup, 40);
  gRefreshedGroup = -1;
  AddStockToGroup(Code(7203), 40);
  AddStockToGroup(Code(1301), kGroupCount);
  EXPECT_EQ(Row(Members(40).size(), gRefreshedGroup), Row(2, -1));
  // A 5000th member still goes to its place; a 5001st is refused.
  GroupRecord& full = Group(41);
  full.sortItem = kSortByStockCode;
  full.sortOrder = 1;
  std::vector<StockCode> codes;
  for (int i = 1; i < kMaxGroupMembers; ++i) codes.push_back(Code(i));
  SetMembers(41, codes);
  AddStockToGroup(Code(0), 41);
  ASSERT_EQ(full.memberCount, kMaxGroupMembers);
  EXPECT_EQ(Row(full.members[0], full.members[4999]), Row(Code(4999), Code(0)));
  AddStockToGroup(Code(9999), 41);
  EXPECT_EQ(Row(InsertCodeSorted(*gGroupTable, 41, Code(9999)), full.memberCount,
                FindCodeInGroup(*gGroupTable, 41, Code(9999)), FindCodeInGroup(*gGroupTable, 41, Code(0))),
            Row(-1, kMaxGroupMembers, -1, 4999));
  // Insertion finds its place in either order.
  Group(42).sortItem = kSortByStockCode;
  SetMembers(42, {Code(1000), Code(2000), Code(3000)});
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 42, Code(2500)), 2);
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 42, Code(500)), 0);
  Group(42).sortOrder = 1;
  SetMembers(42, {Code(3000), Code(2000), Code(1000)});
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 42, Code(2500)), 1);
  Group(42).memberCount = 0;
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 42, Code(1)), 0);
  // Membership bits follow the four little-endian words; a purge extracts again.
  AddListed(1301, 1);
  SetGroupMemberBit(0, 33);
  SetGroupMemberBit(0, 127);
  SetGroupMemberBit(0, 128);
  SetGroupMemberBit(-1, 0);
  uint32_t words[4];
  memcpy(words, gStockTable->records[0].groupBits, sizeof words);
  EXPECT_EQ(Row(words[0], words[1], words[2], words[3]), Row(0, 2, 0, 0x80000000u));
  EXPECT_TRUE(HasGroupMemberBit(0, 33));
  ClearGroupMemberBit(0, 33);
  EXPECT_FALSE(HasGroupMemberBit(0, 33));
  // A purge drops one unknown code per manual group and extracts again.
  AddListed(7203, 1);
  for (int g = 0; g < kGroupCount; ++g) BuildDefaultGroups(*gGroupTable, g);
  SetMembers(60, {Code(1301), Code(1111), Code(7203), Code(2222)});
  SetMembers(1, {Code(2222)});  // stale
  PurgeUnknownCodesFromGroups();
  EXPECT_EQ(Members(60), (std::vector<StockCode>{Code(1301), Code(7203), Code(2222)}));
  EXPECT_EQ(Members(1), (std::vector<StockCode>{Code(1301), Code(7203)}));
  EXPECT_TRUE(HasGroupMemberBit(1, 1));
}

TEST_F(GroupStoreTest, ExtractionTakesTheGroupsMarketsSetsOnlyLiveBitsAndFillsAFullGroup) {
  AddListed(1001, 6);
  AddListed(1301, 1);
  AddListed(7203, 2);
  AddListed(9984, 1);
  SetGroupMemberBit(0, 50);  // stale
  GroupRecord& group = Automatic(*gGroupTable, 50, 0x100);
  group.sortOrder = 1;
  RunExtractionForGroup(*gGroupTable, 50);
  EXPECT_EQ(Members(50), (std::vector<StockCode>{Code(9984), Code(1301)}));
  EXPECT_EQ((std::vector<bool>{HasGroupMemberBit(0, 50), HasGroupMemberBit(1, 50), HasGroupMemberBit(2, 50),
                               HasGroupMemberBit(3, 50)}),
            (std::vector<bool>{false, true, false, true}));

  Automatic(*gGroupTableEdit, 50, 0x200 | 0x80);
  RunExtractionForGroup(*gGroupTableEdit, 50);
  EXPECT_EQ(Members(50, gGroupTableEdit), (std::vector<StockCode>{Code(1001), Code(7203)}));
  EXPECT_EQ((std::vector<bool>{HasGroupMemberBit(0, 50), HasGroupMemberBit(1, 50)}), (std::vector<bool>{false, true}))
      << "the edit copy sets no live bits";

  Automatic(*gGroupTable, 51, 0xFFFF).automatic = 0;
  SetMembers(51, {Code(7777)});
  RunExtractionForGroup(*gGroupTable, 51);
  EXPECT_EQ(Members(51), std::vector<StockCode>{Code(7777)}) << "a manual group keeps its members";
  // An empty and a full stock table.
  gStockTable->count = 0;
  Automatic(*gGroupTable, 0, 0xFFFF).memberCount = 3;
  RunExtractionForGroup(*gGroupTable, 0);
  EXPECT_EQ(Group(0).memberCount, 0);
  for (int i = 0; i < kMaxStocks; ++i) AddListed(i, 1 + i % 12);
  RunExtractionForGroup(*gGroupTable, 0);
  ASSERT_EQ(Group(0).memberCount, kMaxGroupMembers);
  EXPECT_EQ(Group(0).members[4999], Code(4999));
  EXPECT_TRUE(HasGroupMemberBit(4999, 0));
}

TEST_F(GroupStoreTest, RowTextsOfTheLiveTableTheEditCopyAndUnknownCodes) {
  AddListed(1301, 1, "極洋");
  gGroupTable->groups[15].monitorUpperLines = 1;
  gGroupTableEdit->groups[15].monitorUpperLines = 1;
  // Group 15 has no lines yet: "all reached".
  std::string rows;
  char text[80];
  for (const auto& [g, row] : {std::pair{0, 0}, {15, 0}, {15, 1}}) {
    FormatGroupListRow(g, row, text, sizeof text);
    rows += std::string(text) + "|";
  }
  for (const auto& [table, g, code, size] :
       {std::tuple{gGroupTableEdit, 15, 1301, 80}, {gGroupTable, 15, 9999, 80}, {gGroupTable, 0, 1301, 6}}) {
    FormatGroupMemberRow(*table, g, Code(code), text, size);
    rows += std::string(text) + "|";
  }
  EXPECT_EQ(rows, "1301:極洋|1301●極洋||1301:極洋|9999:???|1301:|");
}

}  // namespace
