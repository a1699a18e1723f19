#include "common/error_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "platform/posix_recorder.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr int kDailyTitleId = 292;  // "日足" in the string table
int gWindow;                        // any address serves as a window handle here

class ErrorMessageTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
};

TEST_F(ErrorMessageTest, TextFallsBackToTheCodeWhenTheSystemHasNone) {
  char text[128];
  FormatErrorText(1234, text, sizeof text);
  EXPECT_STREQ(text, "なんらかのエラーが発生しました。エラーコードは 1234 です。");
  FormatErrorText(-1, text, sizeof text);
  EXPECT_STREQ(text, "なんらかのエラーが発生しました。エラーコードは -1 です。");

  SetSystemErrorText(kErrorDiskFull, "ディスクに十分な空き領域がありません。");
  FormatErrorText(kErrorDiskFull, text, sizeof text);
  EXPECT_STREQ(text, "ディスクに十分な空き領域がありません。");

  // Cut short without splitting a two-byte character.
  memset(text, 'X', sizeof text);
  FormatErrorText(5, text, 10);
  EXPECT_STREQ(text, "なんらか");
  EXPECT_EQ(text[10], 'X');
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

TEST_F(ErrorMessageTest, DialogsGetTitleFilterAndExtension) {
  const char filter[] = "パレット (*.PAL)\0*.PAL\0";
  const std::string allFiles("*.*\0*.*\0\0", 9);
  char path[260] = "leftover";
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
}

TEST_F(ErrorMessageTest, OpenAndLoadReadsTheChosenFileOrReportsAFailedRead) {
  WriteWholeFile("memo.txt", {'m', 'e', 'm', 'o'});
  uint32_t size = 0;
  QueueFileDialogAnswer("memo.txt");
  char* block = PromptOpenAndLoadFile(nullptr, nullptr, kDailyTitleId, &size, nullptr);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(block) + std::to_string(size), "memo4");
  FreeBlock(block);
  QueueFileDialogAnswer("");
  EXPECT_EQ(PromptOpenAndLoadFile(nullptr, nullptr, kDailyTitleId, &size, nullptr), nullptr);
  EXPECT_EQ(size, 0u);
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

}  // namespace
