#include "shell/lifecycle.h"

#include <gtest/gtest.h>

#include <string>

#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"

namespace {

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

}  // namespace
