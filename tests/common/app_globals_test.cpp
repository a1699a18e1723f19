#include "shell/lifecycle.h"
#include "shell/settings.h"
#include "common/app_globals.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_recorder.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"

namespace {

TEST(AppGlobalsTest, TextsComeFromTheStringTable) {
  ScopedGlobalState globals;  // the start-up texts
  EXPECT_EQ(std::string(gAppTitle) + "|" + gMainClassName + "|" + gMarketNames[0] + "|" + gMarketNames[1] + "|" +
                gMarketNames[12] + "|" + gPeriodNames[2],
            "ヴェルクォラ22|VELQUORANDIME|不明|東証プライム|ヘラクレス|月足");
}

TEST(AppGlobalsTest, IdleTimeSurvivesTheTickCountWrap) {
  ScopedGlobalState globals;
  gLastInputTick = 0xFFFFFF00u;
  EXPECT_FALSE(IsInputIdleFor(0xFFFFFFF0u, 300000));
  EXPECT_FALSE(IsInputIdleFor(1000u, 300000));  // wrapped: 1256 ms later
  EXPECT_TRUE(IsInputIdleFor(0xFFFFFF00u + 300000u, 300000));
}

TEST(AppGlobalsTest, DataFolderIsTheProgramFolderUnlessOnlyTheCurrentOneHoldsSettings) {
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

}  // namespace
