// The scenario table file, the stand-in scenario run and the date helper.
#include "sheets/scenarios.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chart/chart_context.h"
#include "sheets/sheet_services.h"
#include "shell/lifecycle.h"
#include "common/app_globals.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<uint8_t> TableBytes(const ScenarioTable& table) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&table);
  return std::vector<uint8_t>(bytes, bytes + sizeof table);
}

class ScenarioTableTest : public ::testing::Test {
 protected:
  void SetUp() override { snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str()); }
  // A table with something in every field the callers read.
  static ScenarioTable FilledTable() {
    ScenarioTable table{};
    table.version = kScenarioTableVersion;
    for (int i = 0; i < kScenarioSlots; ++i) {
      ScenarioRecord& record = table.records[i];
      snprintf(record.name, sizeof record.name, "scenario %d", i);
      record.valid = i % 2;
      record.entrySignal = i + 3;
      record.useExit = 1;
      record.exitSignal = i;
      record.flags = kScenarioLinkFlag;
    }
    return table;
  }
  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

// What the simulator changed in the table is kept when the program ends.
TEST_F(ScenarioTableTest, TheProgramsExitSavesTheTable) {
  gScenarioTable = FilledTable();
  SaveEverythingAtExit();
  EXPECT_EQ(ReadWholeFile(folder_.path() + kScenarioFileName), TableBytes(FilledTable()));
}

TEST_F(ScenarioTableTest, SavedTableLoadsByteForByteWithNamesEndingInAZero) {
  gScenarioTable = FilledTable();
  ASSERT_EQ(SaveScenarioTable(), 0);
  EXPECT_EQ(ReadWholeFile(folder_.path() + kScenarioFileName), TableBytes(FilledTable()));
  ClearScenarioTable();
  LoadScenarioTable();
  EXPECT_EQ(TableBytes(gScenarioTable), TableBytes(FilledTable()));
  ScenarioTable table = FilledTable();
  std::memset(table.records[5].name, 'A', sizeof table.records[5].name);
  std::memset(table.records[6].name, 'B', kScenarioNameSize - 2);
  std::memcpy(table.records[6].name + kScenarioNameSize - 2, "\x82\xA0", 2);  // no end, a two-byte character last
  table.records[8].name[kScenarioNameSize - 1] = 'Q';                         // after the end of the name
  WriteWholeFile(folder_.path() + kScenarioFileName, TableBytes(table));
  LoadScenarioTable();
  EXPECT_EQ(std::strlen(gScenarioTable.records[5].name), static_cast<size_t>(kScenarioNameSize - 1));
  EXPECT_EQ(gScenarioTable.records[5].entrySignal, 8);
  EXPECT_EQ(std::string(gScenarioTable.records[6].name), std::string(kScenarioNameSize - 2, 'B'));
  EXPECT_STREQ(gScenarioTable.records[8].name, "scenario 8");
  EXPECT_EQ(gScenarioTable.records[8].name[kScenarioNameSize - 1], 'Q');
}

// What no version writes is refused and set aside under a fresh name, so that
// no later save replaces it; an empty file holds nothing to keep.
TEST_F(ScenarioTableTest, DamagedFilesAreRefusedAndSetAsideUnderFreshNames) {
  ScenarioTable empty{};
  empty.version = kScenarioTableVersion;
  const std::string path = folder_.path() + kScenarioFileName;
  std::vector<std::vector<uint8_t>> damaged(4, TableBytes(FilledTable()));
  damaged[0][0] = 0;  // the version word
  damaged[1][0] = 2;
  damaged[2].pop_back();
  damaged[3].push_back(0);
  for (size_t i = 0; i < damaged.size(); ++i) {
    WriteWholeFile(path, damaged[i]);
    gScenarioTable = FilledTable();
    LoadScenarioTable();
    EXPECT_EQ(TableBytes(gScenarioTable), TableBytes(empty)) << i;
    EXPECT_EQ(ReadWholeFile(path + ".damaged" + (i > 0 ? std::to_string(i + 1) : "")), damaged[i]) << i;
    EXPECT_FALSE(FileExists(path)) << i;
  }
  WriteWholeFile(path, {});
  LoadScenarioTable();
  EXPECT_EQ(Row(FileExists(path), FileExists(path + ".damaged5")), Row(true, false));
}

TEST_F(ScenarioTableTest, FileOfAnotherSizeOrNoneGivesAnEmptyTable) {
  ScenarioTable empty{};
  empty.version = kScenarioTableVersion;
  const std::vector<uint8_t> bytes = TableBytes(FilledTable());
  for (size_t size : {bytes.size() - 1, bytes.size() + 1, size_t{0}}) {
    std::vector<uint8_t> file = bytes;
    file.resize(size, 0x11);
    WriteWholeFile(folder_.path() + kScenarioFileName, file);
    gScenarioTable = FilledTable();
    LoadScenarioTable();
    EXPECT_EQ(TableBytes(gScenarioTable), TableBytes(empty)) << size << " bytes";
  }
  remove((folder_.path() + kScenarioFileName).c_str());
  gScenarioTable = FilledTable();
  LoadScenarioTable();
  EXPECT_EQ(TableBytes(gScenarioTable), TableBytes(empty)) << "no file";
}

TEST(ScenarioRunTest, MarksCoverEveryDailyBarAndNothingMore) {
  ChartContext context{};
  ASSERT_TRUE(AllocChartContextBuffers(&context));
  for (int s = 0; s < kScenarioSlots; ++s) {
    std::memset(context.fileMarks[s], 0x63, sizeof(ScenarioMarkBuffer));
    std::memset(context.tableValues[s], 0x63, sizeof(IntSeries));
  }
  context.periods[0].bars->count = 1234;
  SimulateScenariosForStock(0, &context);
  for (int s = 0; s < kScenarioSlots; ++s) {
    EXPECT_TRUE(context.fileMarks[s]->count == 1234u && context.tableMarks[s]->count == 1234u);
    EXPECT_TRUE(context.fileMarks[s]->marks[0] == 0 && context.fileMarks[s]->marks[1233] == 0);
    EXPECT_EQ(Row(context.tableValues[s]->count, context.tableValues[s]->values[1233]), Row(1234, 0));
  }
  // A damaged count never gives more marks than a buffer holds.
  context.periods[0].bars->count = 99999;
  SimulateScenariosForStock(0, &context);
  EXPECT_EQ(context.fileMarks[0]->count, static_cast<uint32_t>(kMaxBars));
  FreeChartContextBuffers(&context);
  EXPECT_EQ(context.fileMarks[0], nullptr);
}

}  // namespace
