// The main window's commands and the program's start-up and idle steps.
#include "shell/commands.h"
#include "shell/lifecycle.h"
#include "window/window_hooks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/market_breadth.h"
#include "chart/chart_selection.h"
#include "data/ken_table.h"
#include "data/stock_table.h"
#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/progress.h"
#include "sheets/sheet_services.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

int gMenuRefreshes = 0;

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gMenuRefreshes = 0;
    gWindowHooks.refreshMenuStates = [] { ++gMenuRefreshes; };
  }
  ScopedGlobalState globals_;
};

TEST_F(CommandsTest, PatternKeysSwitchPatternsAndRefreshTheMenus) {
  // The pattern already shown is still a handled command.
  for (const auto& [id, pattern] :
       {std::pair{IDM_PATTERN_FIRST + 4, 4}, {IDM_PATTERN_LAST, 11}, {IDM_PATTERN_LAST, 11}}) {
    EXPECT_EQ(OnMainCommand(nullptr, id), 1);
    EXPECT_EQ(gCurrentPattern, pattern);
  }
  EXPECT_EQ(gMenuRefreshes, 3);
}

TEST_F(CommandsTest, PeriodAndWidthCommandsAreTakenEvenWithoutAChart) {
  gSelectedChart = -1;
  for (int id : {IDM_PERIOD_DAILY, IDM_PERIOD_WEEKLY, IDM_PERIOD_MONTHLY, IDM_BAR_WIDTH_1, IDM_BAR_WIDTH_2,
                 IDM_BAR_WIDTH_10, IDM_BARS_WIDER, IDM_BARS_NARROWER}) {
    EXPECT_EQ(OnMainCommand(nullptr, id), 1) << id;
  }
  EXPECT_EQ((std::vector<int>{CurrentScreenPattern().views[0].period, CurrentScreenPattern().views[0].barWidth,
                              gMenuRefreshes}),
            (std::vector<int>{0, 5, 8}));
}

TEST_F(CommandsTest, ThePatternFileCommandsSaveAndReadAllPatterns) {
  ScratchFolder folder;
  const std::string path = folder.path() + "patterns.dat";
  snprintf(gScreenPatterns[3].name, sizeof gScreenPatterns[3].name, "%s", "寄り付き");
  QueueFileDialogAnswer(path);
  EXPECT_EQ(OnMainCommand(nullptr, IDM_EXPORT_PATTERNS), 1);
  ASSERT_EQ(ReadWholeFile(path).size(), 5232u);
  snprintf(gScreenPatterns[3].name, sizeof gScreenPatterns[3].name, "%s", "changed");
  QueueFileDialogAnswer(path);
  EXPECT_EQ(OnMainCommand(nullptr, IDM_IMPORT_PATTERNS), 1);
  EXPECT_STREQ(gScreenPatterns[3].name, "寄り付き");
  EXPECT_EQ(gMenuRefreshes, 2);
  TakeRecordedFileDialogs();
}

TEST_F(CommandsTest, OtherIdsAndAnOpenProgressDialogAreNotHandled) {
  for (int id : {0, IDM_PERIOD_MONTHLY + 1, IDM_BAR_WIDTH_1 + 1, IDM_PATTERN_FIRST - 1, IDM_PATTERN_LAST + 2})
    EXPECT_EQ(OnMainCommand(nullptr, id), 0) << id;
  int dialog = 0;
  gProgressDlg = &dialog;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_PATTERN_FIRST + 2), 0);
  EXPECT_EQ(std::make_pair(gCurrentPattern, gMenuRefreshes), std::make_pair(0, 0));
  gWindowHooks.refreshMenuStates = nullptr;
  UpdateMenuStates();  // no window: nothing to refresh
}

// The main loop sleeps as long as RunIdleSteps allows: an idle program must
// not be woken for nothing.
TEST(LifecycleTest, IdleWorkWaitsForTheFlushDelayThenForInput) {
  ScopedGlobalState globals;
  gLastInputTick = 0xFFFFFF00u;  // input just before the tick count wraps
  EXPECT_EQ(RunIdleSteps(0xFFFFFF00u + 100u), kIdleFlushDelayMs - 100u);
  EXPECT_EQ(RunIdleSteps(0xFFFFFF00u + kIdleFlushDelayMs), kIdleWaitForever);  // nothing to write
}

TEST(LifecycleTest, DataFolderIsTheProgramFolderUnlessOnlyTheCurrentOneHoldsSettings) {
  ScopedGlobalState globals;
  ScratchFolder current;
  ScratchFolder program;  // now current too; go back to the first
  ASSERT_EQ(PlatformSetCurrentFolder(current.path().c_str()), 0);
  SetProgramFolder(program.path());
  ChooseDataFolder();
  EXPECT_EQ(std::string(gDataFolder), program.path());
  WriteWholeFile(current.path() + "velqo.dat", {1});
  ChooseDataFolder();
  EXPECT_EQ(std::string(gDataFolder), current.path());
  WriteWholeFile(program.path() + "velqo.dat", {1});
  ChooseDataFolder();
  EXPECT_EQ(std::string(gDataFolder), program.path());
}

// A new user's first start: the distributed display defaults are taken and
// no record dialog starts on a record of an earlier run.
TEST(LifecycleTest, AFirstStartTakesTheDistributedDisplaySettingsAndForgetsTheEditedRecord) {
  ScopedGlobalState globals;
  ScratchFolder folder;
  SetProgramFolder(folder.path());
  ASSERT_EQ(PlatformCreateFolder("DEFAULTDATA"), 0);
  SetDefaultSettings();
  gBuiltinPaletteIndex = 1;
  std::vector<uint8_t> image(reinterpret_cast<const uint8_t*>(&gSettings),
                             reinterpret_cast<const uint8_t*>(&gSettings) + sizeof gSettings);
  XorBuffer(image.data(), image.size(), kSettingsXorByte);
  WriteWholeFile(folder.path() + "DEFAULTDATA/velqo.dat", image);
  SetDefaultSettings();
  ScenarioRecord stale{};
  gEditedRecord = &stale;
  ASSERT_TRUE(LoadEverythingAtStart());
  EXPECT_EQ(Row(gEditedRecord == nullptr, gBuiltinPaletteIndex), Row(1, 1));
}

// What a daily write cut short by a kill left is gone after the next start;
// the daily files stay as they were.
TEST(LifecycleTest, AStartEmptiesTheFolderOfTheDailyWritesTemporaryFiles) {
  ScopedGlobalState globals;
  ScratchFolder folder;
  SetProgramFolder(folder.path());
  for (const char* name : {"DAY", "TMPDAY", "TMPDAY/sub"}) ASSERT_EQ(PlatformCreateFolder(name), 0);
  WriteWholeFile(folder.path() + "DAY/1301", {1, 2, 3});
  WriteWholeFile(folder.path() + "TMPDAY/1301", {4, 5});
  WriteWholeFile(folder.path() + "TMPDAY/sub/x", {6});
  ASSERT_TRUE(LoadEverythingAtStart());
  EXPECT_EQ(Row(FileExists(folder.path() + "TMPDAY/1301"), FileExists(folder.path() + "TMPDAY/sub"),
                FileExists(folder.path() + "TMPDAY")),
            Row(0, 0, 1));
  EXPECT_EQ(ReadWholeFile(folder.path() + "DAY/1301"), (std::vector<uint8_t>{1, 2, 3}));
}

// The breadth pane shows the stored ratios from the start; the index's
// damaged daily file is no box before the main window exists.
TEST(LifecycleTest, AStartReadsTheBreadthRatiosWithoutABoxForADamagedIndex) {
  ScopedGlobalState globals;
  ScratchFolder folder;
  SetProgramFolder(folder.path());
  for (const char* name : {"DAY", "BASEDATA"}) ASSERT_EQ(PlatformCreateFolder(name), 0);
  snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.path().c_str());
  gKenTable = static_cast<KenTable*>(AllocBlock(sizeof(KenTable)));
  gKenTable->tag = kKenTag;
  ASSERT_EQ(SaveKenFile(), 0);
  auto table = std::make_unique<StockTable>();
  table->count = 1;
  table->records[0].master.code = StringToCode("1001");
  table->records[0].master.marketId = kMarketIdIndices;
  table->records[0].dailyCount = 10;
  const auto* tableBytes = reinterpret_cast<const uint8_t*>(table.get());
  WriteWholeFile(folder.path() + "stock.dat", std::vector<uint8_t>(tableBytes, tableBytes + sizeof(StockTable)));
  WriteWholeFile(folder.path() + "DAY/1001", {1, 2, 3});
  const int32_t ratios[] = {3, 9000, 10000, 11000};
  const auto* ratioBytes = reinterpret_cast<const uint8_t*>(ratios);
  WriteWholeFile(folder.path() + "adr_d.dat", std::vector<uint8_t>(ratioBytes, ratioBytes + sizeof ratios));
  if (gBreadthRatios[0] != nullptr) gBreadthRatios[0]->count = 0;
  TakeRecordedMessageBoxes();
  ASSERT_TRUE(LoadEverythingAtStart());
  ASSERT_NE(gBreadthRatios[0], nullptr);
  EXPECT_EQ(Row(gBreadthRatios[0]->count, gBreadthRatios[0]->values[2]), Row(3, 11000));
  for (const RecordedMessageBox& box : TakeRecordedMessageBoxes()) ADD_FAILURE() << box.text;
}

}  // namespace
