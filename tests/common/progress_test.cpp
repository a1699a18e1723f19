#include "common/progress.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

// Steps below 1 count as 1, a sub-position is capped at its sub-range, the last
// step adds nothing, and large sub-positions do not overflow.
TEST(ProgressPositionTest, StepsSubRangesAndLargeSubPositions) {
  EXPECT_EQ(
      Row(ComputeProgressPosition(1, 4, 50, 100), ComputeProgressPosition(1, 4, 500, 100),
          ComputeProgressPosition(4, 4, 50, 100), ComputeProgressPosition(0, 0, 1, 2),
          ComputeProgressPosition(0, 1, 1999999, 2000000), ComputeProgressPosition(0, 1, 4000000000u, 4000000000u)),
      Row(8000 + 4000, 16000, 32000, 16000, 31999, 32000));
  int last = -1;
  for (uint32_t pos = 0; pos <= 2000000; pos += 99991) {
    const int now = ComputeProgressPosition(0, 1, pos, 2000000);
    EXPECT_TRUE(now >= last && now <= 32000) << pos;
    last = now;
  }
}

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlatformRecorder();
    gMainWnd = &mainWindow_;
  }
  void TearDown() override {
    EndProgress();
    ResetPlatformRecorder();
  }
  // The calls made since the last look, "<call><value><text>;" each.
  static std::string Calls(const std::string& only = "") {
    std::string calls;
    for (const auto& call : TakeRecordedProgressCalls())
      if (only.empty() || call.call == only) calls += call.call + std::to_string(call.value) + call.text + ";";
    return calls;
  }
  ScopedGlobalState globals_;
  int mainWindow_ = 0;
  int sheetWindow_ = 0;
};

// Cancel is shown only when the owner is not the main window.
TEST_F(ProgressTest, OpensWithTitleAndCancelOnlyAwayFromTheMainWindowAndClearsFlags) {
  StepProgress();  // calls while closed do nothing
  AdvanceProgress(5);
  SetProgressText1("x");
  ShowProgressAbortButton();
  EndProgress();
  EXPECT_EQ(Calls(), "");
  gProgressCancelled = 1;
  gProgressAbortRequested = 1;
  BeginProgress(&sheetWindow_, 1, 234, 3);
  ASSERT_NE(gProgressDlg, nullptr);
  EXPECT_EQ(Row(gProgressCancelled, gProgressAbortRequested), Row(0, 0));
  EXPECT_EQ(Calls().find("open1ヴェルクォラ22;"), 0u);
  EndProgress();
  TakeRecordedProgressCalls();
  BeginProgress(gMainWnd, 1, 0, 1);
  EXPECT_EQ(Calls().find("open0"), 0u);
}

TEST_F(ProgressTest, BarMovesByStepsAndIsSentOnlyWhenItChanges) {
  BeginProgress(gMainWnd, 0, 0, 4);
  TakeRecordedProgressCalls();
  StepProgress();           // step 1 of 4, sub-range 100
  AdvanceProgress(0);       // no change
  AdvanceProgress(50);      // half of step 2
  SetProgressSubRange(10);  // resets the sub-position
  SetProgressSubPos(5);
  for (int i = 0; i < 4; ++i) StepProgress();  // never beyond the step count
  EXPECT_EQ(Calls("bar"), "bar8000;bar12000;bar8000;bar12000;bar16000;bar24000;bar32000;");
}

TEST_F(ProgressTest, AbortButtonAndTexts) {
  BeginProgress(gMainWnd, 0, 0, 1);
  TakeRecordedProgressCalls();
  gProgressAbortRequested = 1;
  ShowProgressAbortButton();
  EXPECT_EQ(gProgressAbortRequested, 0);
  SetProgressText2("1301 読み込み中");
  SetProgressText1(nullptr);  // leaves the line as it is
  HideProgressAbortButton();
  EndProgress();
  EXPECT_EQ(gProgressDlg, nullptr);
  EXPECT_EQ(Calls(), "abort1;text21301 読み込み中;abort0;close0;");
}

}  // namespace
