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

using Bytes = std::vector<uint8_t>;

struct SettingsFile {
  const char* name;
  size_t size;      // what the program writes (the printer file: its defaults)
  int opensBefore;  // files the load opens first, three attempts each
  void (*load)();
  int (*save)();
};

const SettingsFile kFiles[] = {
    {kSettingsFileName, sizeof(SettingsBlock), 1, LoadSettings, SaveMainSettings},
    {kSettingsP2FileName, sizeof(SettingsBlockP2), 2, LoadSettings, SaveSettingsP2},
    {kScenarioFileName, sizeof(ScenarioTable), 0, LoadScenarioTable, SaveScenarioTable},
    {kPrinterSettingsFile, 196, 0, LoadPrinterSettings, SavePrinterSettings},
};

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { snprintf(gDataFolder, sizeof gDataFolder, "%s", folder_.path().c_str()); }
  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

// Held by another program through every open, or damaged where it cannot be
// moved: the file stays as it was and its save says why. Damaged and moved:
// set aside under a fresh name, and the save writes a new file.
TEST_F(SettingsFilesTest, AFileThatWasNotReadIsNeverWrittenOver) {
  enum class Fault { kHeld, kDamagedUnmovable, kDamaged };
  for (const SettingsFile& file : kFiles) {
    for (Fault fault : {Fault::kHeld, Fault::kDamagedUnmovable, Fault::kDamaged}) {
      const std::string what = std::string(file.name) + " " + std::to_string(static_cast<int>(fault));
      const Bytes held(file.size, 0x5A);
      const Bytes damaged(file.size + 1, 0x5A);
      const Bytes& before = fault == Fault::kHeld ? held : damaged;
      WriteWholeFile(file.name, before);
      WriteWholeFile(std::string(file.name) + ".damaged", {1});  // set aside by an earlier start
      FileFaults faults;
      if (fault == Fault::kHeld) faults.failOpens = 3 * (file.opensBefore + 1);
      if (fault == Fault::kDamagedUnmovable) faults.failReplaces = 1;
      SetFileFaults(faults);
      file.load();
      SetFileFaults(FileFaults{});
      const int saved = file.save();
      if (fault == Fault::kDamaged) {
        EXPECT_EQ(Row(saved, ReadWholeFile(std::string(file.name) + ".damaged2") == before), Row(0, true)) << what;
        EXPECT_NE(ReadWholeFile(file.name), before) << what;
      } else {
        EXPECT_EQ(Row(saved != 0, ReadWholeFile(file.name) == before), Row(true, true)) << what;
      }
      EXPECT_EQ(ReadWholeFile(std::string(file.name) + ".damaged"), Bytes{1}) << what;
      for (const char* path :
           {file.name, "velqo.dat.damaged2", "velqo_p2.dat.damaged2", "scenario.dat.damaged2", "prsettng.dat.damaged2"})
        std::remove(path);
    }
  }
}

// One box at the end of the exit names each file not written, the memos'
// among them, instead of a box for each or none.
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
  EXPECT_EQ(text.find("velqo_p2.dat"), std::string::npos) << "written";
  EXPECT_EQ(Row(FileExists("velqo_p2.dat"), FileExists("prsettng.dat")), Row(true, true));
}

}  // namespace
