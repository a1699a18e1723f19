// The settings files a start could not use: each is set aside or kept, and
// no save writes over a file that was never read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "chart/memo_store.h"
#include "common/app_globals.h"
#include "platform/posix_recorder.h"
#include "records/printer_settings.h"
#include "sheets/scenarios.h"
#include "shell/lifecycle.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str()); }
  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

// Held through every open (three for each file the load opens before it), or
// damaged where it cannot be moved: kept, and its save fails. Damaged: set
// aside under a fresh name, and the save writes a new file.
TEST_F(SettingsFilesTest, AFileThatWasNotReadIsNeverWrittenOver) {
  const struct {
    std::string name;
    size_t size;
    int opensBefore;
    void (*load)();
    int (*save)();
  } files[] = {
      {kSettingsFileName, sizeof(SettingsBlock), 1, LoadSettings, SaveMainSettings},
      {kSettingsP2FileName, sizeof(SettingsBlockP2), 2, LoadSettings, SaveSettingsP2},
      {kScenarioFileName, sizeof(ScenarioTable), 0, LoadScenarioTable, SaveScenarioTable},
      {kPrinterSettingsFile, 196, 0, LoadPrinterSettings, SavePrinterSettings},
  };
  for (const auto& file : files) {
    for (const int fault : {0, 1, 2}) {  // held, damaged and unmovable, damaged
      SCOPED_TRACE(file.name + " " + std::to_string(fault));
      const std::vector<uint8_t> before(file.size + (fault == 0 ? 0 : 1), 0x5A);
      WriteWholeFile(file.name, before);
      WriteWholeFile(file.name + ".damaged", {1});  // set aside by an earlier start
      FileFaults faults;
      faults.failOpens = fault == 0 ? 3 * (file.opensBefore + 1) : 0;
      faults.failReplaces = fault == 1 ? 1 : 0;
      SetFileFaults(faults);
      file.load();
      SetFileFaults(FileFaults{});
      const int saved = file.save();
      const bool setAside = fault == 2;
      EXPECT_EQ(Row(saved != 0, ReadWholeFile(file.name) == before, ReadWholeFile(file.name + ".damaged2") == before),
                Row(!setAside, !setAside, setAside));
      EXPECT_EQ(ReadWholeFile(file.name + ".damaged"), std::vector<uint8_t>{1});
      std::remove(file.name.c_str());
      std::remove((file.name + ".damaged2").c_str());
    }
  }
}

// One box at the end of the exit names each file not written, the memos' among them.
TEST_F(SettingsFilesTest, TheExitNamesEveryFileItCouldNotWriteInOneBox) {
  for (const char* blocked : {"velqo.dat", "scenario.dat", "memo.dat"}) ASSERT_EQ(mkdir(blocked, 0777), 0);
  ASSERT_TRUE(CreateEmptyMemoTable(&gMemos));
  MarkMemosChanged();
  SetSleepRecorded(true);  // the saves' retries wait for nothing
  SaveEverythingAtExit();
  FreeMemoTable(&gMemos);
  const std::vector<RecordedMessageBox> boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  const std::string& text = boxes[0].text;
  EXPECT_EQ(text.rfind("次のファイルに保存できませんでした。", 0), 0u) << text;
  for (const char* line : {"\nvelqo.dat　", "\nscenario.dat　", "\nmemo.dat　"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(Row(text.find("velqo_p2.dat") == std::string::npos, FileExists("velqo_p2.dat")), Row(1, 1));
}

}  // namespace
