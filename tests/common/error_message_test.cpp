// What the user is shown: error and message boxes, file dialogs and the progress dialog.
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/progress.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr int kDailyTitleId = 292;  // "日足" in the string table
int gWindow;                        // any address serves as a window handle here

std::string ErrorText(int code, int size = 128) {
  char text[129];
  memset(text, 'X', sizeof text);
  FormatErrorText(code, text, size);
  return std::string(text) + (text[size] == 'X' ? "" : "<overrun>");
}

class ErrorMessageTest : public ::testing::Test {
 protected:
  ScopedGlobalState globals_;  // the start-up texts
  ScratchFolder folder_;
};

TEST_F(ErrorMessageTest, TextFallsBackToTheCodeWhenTheSystemHasNone) {
  SetSystemErrorText(kErrorDiskFull, "ディスクに十分な空き領域がありません。");
  EXPECT_EQ(ErrorText(1234), "なんらかのエラーが発生しました。エラーコードは 1234 です。");
  EXPECT_EQ(ErrorText(-1), "なんらかのエラーが発生しました。エラーコードは -1 です。");
  EXPECT_EQ(ErrorText(kErrorDiskFull), "ディスクに十分な空き領域がありません。");
  EXPECT_EQ(ErrorText(5, 10), "なんらか");  // cut short without splitting a two-byte character
}

TEST_F(ErrorMessageTest, BoxUsesTheOwnerOnlyWhenItCanBeSeenAndTheBeepIsTheExclamation) {
  SetUnusableOwner(&gWindow + 1);
  ShowErrorMessage(&gWindow, kErrorAccessDenied);
  ShowErrorMessage(&gWindow + 1, kErrorAccessDenied);
  ShowErrorMessage(nullptr, kErrorAccessDenied);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ((std::vector<const void*>{boxes[0].owner, boxes[1].owner, boxes[2].owner}),
            (std::vector<const void*>{&gWindow, nullptr, nullptr}));
  for (const RecordedMessageBox& box : boxes) {
    EXPECT_EQ(box.title + box.text, "エラーなんらかのエラーが発生しました。エラーコードは 5 です。");
    EXPECT_EQ(box.flags, kMbOk | kMbIconStop);
  }
  PlayWarningBeep();
  EXPECT_EQ(TakeRecordedBeeps(), std::vector<unsigned>{kMbIconExclamation});
}

// Title id 0 is the application title.
TEST_F(ErrorMessageTest, BoxTextsComeFromTheStringTable) {
  QueueMessageBoxAnswer(kIdNo);
  EXPECT_EQ(MessageBoxFromStrings(&gWindow, 0, 256, kMbYesNo | kMbIconQuestion), kIdNo);
  EXPECT_EQ(MessageBoxFromStrings(nullptr, 145, 293, kMbOk), kIdOk);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[0].owner == &gWindow && boxes[0].flags == (kMbYesNo | kMbIconQuestion));
  EXPECT_EQ(boxes[0].title + "|" + boxes[0].text + "|" + boxes[1].title + "|" + boxes[1].text,
            "ヴェルクォラ22|千|百万|週足");
}

TEST_F(ErrorMessageTest, DialogsGetTitleFilterAndExtensionAndGiveTheChoice) {
  const char filter[] = "パレット (*.PAL)\0*.PAL\0";
  const std::string allFiles("*.*\0*.*\0\0", 9);
  char path[260] = "leftover";
  char title[259] = "";
  QueueFileDialogAnswer("");
  EXPECT_FALSE(PromptOpenFile(nullptr, &gWindow, kDailyTitleId, path, nullptr));
  QueueFileDialogAnswer("");
  EXPECT_FALSE(PromptOpenFileWithTitle(nullptr, "開く", path, filter));
  QueueFileDialogAnswer("C:\\data\\a.plt");
  EXPECT_TRUE(PromptSaveFile(nullptr, &gWindow, kDailyTitleId, path, nullptr));
  EXPECT_STREQ(path, "C:\\data\\a.plt");
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_TRUE(!dialogs[0].save && dialogs[2].save && dialogs[0].owner == &gWindow);
  EXPECT_EQ((std::vector<std::string>{dialogs[0].title, dialogs[0].filter, dialogs[1].title, dialogs[1].filter,
                                      dialogs[2].filter, dialogs[2].defaultExtension}),
            (std::vector<std::string>{"日足", allFiles, "開く", std::string(filter, sizeof filter), allFiles, "plt"}));
  QueueFileDialogAnswer("C:\\data\\patterns.dat");
  EXPECT_TRUE(ShowSaveFileDialog(nullptr, nullptr, "保存", path, title, nullptr));
  EXPECT_EQ(std::string(path) + "|" + title, "C:\\data\\patterns.dat|patterns.dat");
  QueueFileDialogAnswer("");
  EXPECT_FALSE(ShowSaveFileDialog(nullptr, nullptr, "保存", path, title, nullptr));
}

// A failed read is shown with its code.
TEST_F(ErrorMessageTest, OpenAndLoadReadsTheChosenFileOrReportsAFailedRead) {
  WriteWholeFile("memo.txt", {'m', 'e', 'm', 'o'});
  uint32_t size = 0;
  for (const char* answer : {"memo.txt", ""}) {
    QueueFileDialogAnswer(answer);
    char* block = PromptOpenAndLoadFile(nullptr, &gWindow, kDailyTitleId, &size, nullptr);
    EXPECT_EQ(std::string(block == nullptr ? "null" : block) + std::to_string(size), *answer ? "memo4" : "null0");
    FreeBlock(block);
  }
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  SetSleepRecorded(true);
  FileFaults faults;
  faults.failReads = 10;
  SetFileFaults(faults);
  QueueFileDialogAnswer("memo.txt");
  EXPECT_EQ(PromptOpenAndLoadFile(nullptr, &gWindow, kDailyTitleId, nullptr, nullptr), nullptr);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "なんらかのエラーが発生しました。エラーコードは 30 です。");
}

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

class ProgressTest : public ErrorMessageTest {
 protected:
  void SetUp() override { gMainWnd = &mainWindow_; }
  void TearDown() override { EndProgress(); }
  // The calls made since the last look, "<call><value><text>;" each.
  static std::string Calls(const std::string& only = "") {
    std::string calls;
    for (const auto& call : TakeRecordedProgressCalls())
      if (only.empty() || call.call == only) calls += call.call + std::to_string(call.value) + call.text + ";";
    return calls;
  }
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
  EXPECT_EQ(Row(gProgressCancelled.load(), gProgressAbortRequested.load()), Row(0, 0));
  EXPECT_EQ(Calls().find("open1ヴェルクォラ22;"), 0u);
  EndProgress();
  TakeRecordedProgressCalls();
  BeginProgress(gMainWnd, 1, 0, 1);
  EXPECT_EQ(Calls().find("open0"), 0u);
}

TEST_F(ProgressTest, BarMovesOnlyWhenItChangesAndTheAbortButtonAndTextsAreSent) {
  BeginProgress(gMainWnd, 0, 0, 4);
  TakeRecordedProgressCalls();
  StepProgress();           // step 1 of 4, sub-range 100
  AdvanceProgress(0);       // no change
  AdvanceProgress(50);      // half of step 2
  SetProgressSubRange(10);  // resets the sub-position
  SetProgressSubPos(5);
  for (int i = 0; i < 4; ++i) StepProgress();  // never beyond the step count
  EXPECT_EQ(Calls("bar"), "bar8000;bar12000;bar8000;bar12000;bar16000;bar24000;bar32000;");
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
