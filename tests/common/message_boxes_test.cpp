#include "common/message_boxes.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/posix_recorder.h"
#include "common/app_globals.h"

namespace {

TEST(ShellDialogsTest, MessageBoxTextsComeFromTheStringTableAndTheSaveDialogGivesTheName) {
  ResetPlatformRecorder();
  InitAppTexts();
  int owner = 0;
  QueueMessageBoxAnswer(kIdNo);
  EXPECT_EQ(MessageBoxFromStrings(&owner, 0, 256, kMbYesNo | kMbIconQuestion), kIdNo);
  EXPECT_EQ(MessageBoxFromStrings(nullptr, 145, 293, kMbOk), kIdOk);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].owner, &owner);
  EXPECT_EQ(boxes[0].title + "|" + boxes[0].text, "ヴェルクォラ22|千");  // title id 0: the application title
  EXPECT_EQ(boxes[0].flags, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(boxes[1].title + "|" + boxes[1].text, "百万|週足");

  char path[260] = "";
  char title[259] = "";
  QueueFileDialogAnswer("C:\\data\\patterns.dat");
  EXPECT_TRUE(ShowSaveFileDialog(nullptr, nullptr, "保存", path, title, nullptr));
  EXPECT_EQ(std::string(path) + "|" + title, "C:\\data\\patterns.dat|patterns.dat");
  QueueFileDialogAnswer("");
  EXPECT_FALSE(ShowSaveFileDialog(nullptr, nullptr, "保存", path, title, nullptr));
  ResetPlatformRecorder();
}

}  // namespace
