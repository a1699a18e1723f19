#include "common/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

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
  ScopedGlobalState globals_;
  std::vector<int> BarPositions() {
    std::vector<int> bars;
    for (const auto& call : TakeRecordedProgressCalls())
      if (call.call == "bar") bars.push_back(call.value);
    return bars;
  }
  int mainWindow_ = 0;
  int sheetWindow_ = 0;
};

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
    EXPECT_GE(now, last);
    EXPECT_LE(now, 32000);
    last = now;
  }
}

TEST_F(ProgressTest, OpensWithTitleAndCancelOnlyAwayFromTheMainWindowAndClearsFlags) {
  StepProgress();  // calls while closed do nothing
  AdvanceProgress(5);
  SetProgressText1("x");
  ShowProgressAbortButton();
  EndProgress();
  EXPECT_TRUE(TakeRecordedProgressCalls().empty());
  gProgressCancelled = 1;
  gProgressAbortRequested = 1;
  BeginProgress(&sheetWindow_, 1, 234, 3);
  ASSERT_NE(gProgressDlg, nullptr);
  EXPECT_TRUE(gProgressCancelled == 0 && gProgressAbortRequested == 0);
  auto calls = TakeRecordedProgressCalls();
  ASSERT_FALSE(calls.empty());
  // Cancel shown: the owner is not the main window.
  EXPECT_EQ(calls[0].call + std::to_string(calls[0].value) + calls[0].text, "open1ヴェルクォラ22");
  EndProgress();
  TakeRecordedProgressCalls();
  BeginProgress(gMainWnd, 1, 0, 1);
  calls = TakeRecordedProgressCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].value, 0);
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
  EXPECT_EQ(BarPositions(), (std::vector<int>{8000, 12000, 8000, 12000, 16000, 24000, 32000}));
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
  std::string calls;
  for (const auto& call : TakeRecordedProgressCalls())
    calls += call.call + std::to_string(call.value) + call.text + ";";
  EXPECT_EQ(calls, "abort1;text21301 読み込み中;abort0;close0;");
}

}  // namespace
