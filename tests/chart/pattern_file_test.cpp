#include "chart/pattern_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_hooks.h"
#include "common/stock_code.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr char kNotPatternFileText[] = "これは、ヴェルクォラの画面パターンファイルではありません。";

int gNameUpdates = 0;

std::vector<uint8_t> FileBytes(const ScreenPatternFile& file, size_t size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
  return std::vector<uint8_t>(bytes, bytes + size);
}

class PatternFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearChartWindowHooks();
    gChartHooks.patternNamesChanged = gChartHooks.patternShown = [] { ++gNameUpdates; };
    gNameUpdates = 0;
  }

  // A valid file made from distinct patterns and heights.
  ScreenPatternFile SampleFile() const {
    ScreenPatternFile file{};
    file.tag = kScreenPatternFileTag;
    memcpy(file.patterns, gScreenPatterns, sizeof file.patterns);
    for (int n = 0; n < kScreenPatternCount; ++n) {
      ScreenPattern& p = file.patterns[n];
      snprintf(p.name, sizeof p.name, "相場%d", n);
      p.chartCount = 1 + n % 3;
      p.views[0].stockCode = StringToCode("7203");
      p.views[1].barWidth = 1 + 2 * (n % 10);
      p.views[2].paneKinds[3] = static_cast<uint32_t>(n);
    }
    for (int i = 0; i < kPatternFilePaneHeights; ++i) file.paneHeights[i] = static_cast<uint16_t>(200 + i);
    return file;
  }

  int ImportBytes(const std::vector<uint8_t>& bytes) {
    WriteWholeFile(folder_.path() + "in.dat", bytes);
    QueueFileDialogAnswer(folder_.path() + "in.dat");
    return ImportScreenPatterns();
  }

  // A refused file shows message 193 and leaves every setting as it was.
  void ExpectRefused(const std::vector<uint8_t>& bytes, const char* what) {
    const SettingsBlock before = gSettings;
    EXPECT_EQ(ImportBytes(bytes), 0) << what;
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_EQ(boxes[0].title + "|" + boxes[0].text, std::string("ヴェルクォラ22|") + kNotPatternFileText) << what;
    EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0) << what;
    EXPECT_EQ(gNameUpdates, 0) << what;
  }

  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

TEST_F(PatternFileTest, ExportWritesTagPatternsAndAllPaneHeights) {
  gPaneHeights[19] = 77;
  QueueFileDialogAnswer(folder_.path() + "out.dat");
  ASSERT_EQ(ExportScreenPatterns(), 1);
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].save && dialogs[0].title == "保存する画面パターンファイルを指定してください。");
  EXPECT_EQ(dialogs[0].filter, std::string("(*.dat)\0*.dat\0\0", 15));
  const auto bytes = ReadWholeFile(folder_.path() + "out.dat");
  ASSERT_EQ(bytes.size(), 5232u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{0x03, 0x00, 0x16, 0x03, 0, 0, 0, 0}));
  EXPECT_EQ(memcmp(bytes.data() + 8, gScreenPatterns, 5184), 0);
  EXPECT_EQ(memcmp(bytes.data() + 5192, gPaneHeights, 40), 0);
}

TEST_F(PatternFileTest, ARoundTripRestoresPatternsAndHeightsAndShowsTheFirst) {
  const ScreenPatternFile file = SampleFile();
  memcpy(gScreenPatterns, file.patterns, sizeof file.patterns);
  memcpy(gPaneHeights, file.paneHeights, sizeof file.paneHeights);
  QueueFileDialogAnswer(folder_.path() + "saved.dat");
  ASSERT_EQ(ExportScreenPatterns(), 1);
  const SettingsBlock exported = gSettings;

  SetDefaultSettings();
  gCurrentPattern = 0;
  QueueFileDialogAnswer(folder_.path() + "saved.dat");
  ASSERT_EQ(ImportScreenPatterns(), 1);
  EXPECT_EQ(memcmp(gScreenPatterns, exported.screenPatterns, sizeof exported.screenPatterns), 0);
  EXPECT_EQ(memcmp(gPaneHeights, exported.paneHeights, sizeof exported.paneHeights), 0);
  EXPECT_EQ(std::make_pair(gCurrentPattern, gNameUpdates), std::make_pair(0, 2));  // menu texts, then the forced switch
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  const auto dialogs = TakeRecordedFileDialogs();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(!dialogs[1].save && dialogs[1].title == "読み込む画面パターンファイルを指定してください。");
}

TEST_F(PatternFileTest, TheOlderFormKeepsPaneHeightsTwelveToNineteenAndOldValuesAreConverted) {
  for (int i = 0; i < kPaneHeightCount; ++i) gPaneHeights[i] = static_cast<uint16_t>(10 + i);
  ScreenPatternFile file = SampleFile();
  file.paneHeights[3] = 0;  // empty heights become 40
  file.paneHeights[15] = 0;
  file.patterns[2].views[1].stockCode = 1301;  // a plain number of an older version
  file.patterns[2].views[1].rightMargin = 0;
  ASSERT_EQ(ImportBytes(FileBytes(file, kOldScreenPatternFileSize)), 1);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(gPaneHeights[i], i == 3 ? 40 : i < 12 ? 200 + i : 10 + i) << i;
  EXPECT_STREQ(gScreenPatterns[11].name, "相場11");
  EXPECT_EQ(std::make_pair(gScreenPatterns[2].views[1].stockCode, int{gScreenPatterns[2].views[1].rightMargin}),
            std::make_pair(StringToCode("1301"), 32));
  ASSERT_EQ(ImportBytes(FileBytes(file, sizeof file)), 1);
  EXPECT_EQ(gPaneHeights[15], 40);
}

TEST_F(PatternFileTest, AWrongSizeOrTagIsRefusedAndChangesNothing) {
  const ScreenPatternFile good = SampleFile();
  const std::vector<uint8_t> full = FileBytes(good, sizeof good);
  for (size_t size : {size_t{0}, size_t{5215}, full.size() - 1, full.size() + 1}) {
    std::vector<uint8_t> bytes = full;
    bytes.resize(size, 0);
    ExpectRefused(bytes, (std::to_string(size) + " bytes").c_str());
  }
  ScreenPatternFile tagged = good;
  tagged.tag = 0x03160004;
  ExpectRefused(FileBytes(tagged, sizeof tagged), "tag");
  ExpectRefused(FileBytes(tagged, kOldScreenPatternFileSize), "old form's tag");
  tagged = good;
  tagged.reserved = 1;
  ExpectRefused(FileBytes(tagged, sizeof tagged), "second word");
}

TEST_F(PatternFileTest, RecordsOutOfRangeAreRefusedAndChangeNothing) {
  struct Fault {
    const char* what;
    void (*apply)(ScreenPatternFile&);
  };
  const Fault faults[] = {
      {"no charts", [](ScreenPatternFile& f) { f.patterns[3].chartCount = 0; }},
      {"four charts", [](ScreenPatternFile& f) { f.patterns[3].chartCount = 4; }},
      {"13 panes", [](ScreenPatternFile& f) { f.patterns[5].views[1].paneCount = 13; }},
      {"period 3", [](ScreenPatternFile& f) { f.patterns[0].views[0].period = 3; }},
      {"kind 14", [](ScreenPatternFile& f) { f.patterns[11].views[2].paneKinds[11] = kPaneKindCount; }},
      {"bar width 20", [](ScreenPatternFile& f) { f.patterns[1].views[0].barWidth = 20; }},
      {"bar width 21", [](ScreenPatternFile& f) { f.patterns[1].views[0].barWidth = 21; }},
      {"group 124", [](ScreenPatternFile& f) { f.patterns[7].views[0].groupIndex = 124; }},
      {"name without end", [](ScreenPatternFile& f) { memset(f.patterns[9].name, 'A', 32); }},
      {"negative margin", [](ScreenPatternFile& f) { f.patterns[4].views[2].rightMargin = -1; }},
      {"code", [](ScreenPatternFile& f) { f.patterns[6].views[1].stockCode = 0xFFFFFFFFu; }},
  };
  for (const Fault& fault : faults) {
    ScreenPatternFile file = SampleFile();
    fault.apply(file);
    ExpectRefused(FileBytes(file, sizeof file), fault.what);
    ExpectRefused(FileBytes(file, kOldScreenPatternFileSize), fault.what);
  }
}

TEST_F(PatternFileTest, CancelledDialogsDoNothingAndReadAndWriteErrorsAreShown) {
  const SettingsBlock before = gSettings;
  QueueFileDialogAnswer("");
  QueueFileDialogAnswer("");
  EXPECT_EQ(Row(ImportScreenPatterns(), ExportScreenPatterns()), Row(0, 0));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
  EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0);
  EXPECT_FALSE(FileExists(folder_.path() + ".dat"));

  QueueFileDialogAnswer(folder_.path() + "missing.dat");
  QueueFileDialogAnswer(folder_.path() + "out.dat");
  EXPECT_EQ(ImportScreenPatterns(), 0);
  FileFaults faults;
  faults.failOpens = 100;
  faults.openError = kErrorAccessDenied;
  SetFileFaults(faults);
  SetSleepRecorded(true);
  EXPECT_EQ(ExportScreenPatterns(), 0);
  SetFileFaults(FileFaults{});
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title + boxes[1].title, "エラーエラー");
  EXPECT_FALSE(FileExists(folder_.path() + "out.dat"));
}

}  // namespace
