// Switching and copying the twelve screen patterns, and their export and import.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_hooks.h"
#include "chart/chart_selection.h"
#include "chart/pattern_file.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/stock_code.h"
#include "platform/posix_recorder.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr char kNotPatternFileText[] = "これは、ヴェルクォラの画面パターンファイルではありません。";

std::vector<std::string> gHookLog;
using Log = std::vector<std::string>;

std::vector<uint8_t> FileBytes(const ScreenPatternFile& file, size_t size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&file);
  return std::vector<uint8_t>(bytes, bytes + size);
}

ChartView MakeView(const char* code, int period, bool keep) {
  ChartView view = gScreenPatterns[0].views[0];
  view.stockCode = StringToCode(code);
  view.period = period;
  view.keepStock = keep ? 1 : 0;
  view.lastBarIndex = 100;
  view.groupIndex = 1;
  return view;
}

void SetPattern(int n, std::vector<ChartView> views) {
  gScreenPatterns[n].chartCount = static_cast<int>(views.size());
  for (size_t i = 0; i < views.size(); ++i) gScreenPatterns[n].views[i] = views[i];
}

StockCode ShownCode(int pattern, int chart) { return gScreenPatterns[pattern].views[chart].stockCode; }

class ScreenPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCursorBar = 5;
    ClearChartWindowHooks();
    gChartHooks.beginWait = [] { gHookLog.push_back("wait"); };
    gChartHooks.reloadChart = [](int chart) { gHookLog.push_back("reload " + std::to_string(chart)); };
    gChartHooks.layoutCharts = [] { gHookLog.push_back("layout"); };
    gChartHooks.alignLinkedCharts = [](int upper) { gHookLog.push_back("align " + std::to_string(upper)); };
    gChartHooks.patternShown = [] { gHookLog.push_back("shown"); };
    gChartHooks.patternNamesChanged = [] { gHookLog.push_back("names"); };
    gHookLog.clear();
  }

  // A valid pattern file made from distinct patterns and heights.
  static ScreenPatternFile SampleFile() {
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

  // A refused file shows its message and leaves every setting as it was.
  void ExpectRefused(const std::vector<uint8_t>& bytes, const char* what) {
    const SettingsBlock before = gSettings;
    EXPECT_EQ(ImportBytes(bytes), 0) << what;
    const auto boxes = TakeRecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_EQ(boxes[0].title + "|" + boxes[0].text, std::string("ヴェルクォラ22|") + kNotPatternFileText) << what;
    EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0) << what;
    EXPECT_TRUE(gHookLog.empty()) << what;
  }

  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

using PatternFileTest = ScreenPatternTest;

TEST_F(ScreenPatternTest, TheShownPatternNeedsForceAndOnlyTheTwelveAreTaken) {
  EXPECT_EQ(SwitchScreenPattern(0, 0), 0);
  EXPECT_TRUE(gHookLog.empty());
  EXPECT_EQ(SwitchScreenPattern(0, 1), 1);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "layout", "shown"}));
  gHookLog.clear();
  gCurrentPattern = 3;
  for (int n : {-1, 12, 32877}) EXPECT_EQ(SwitchScreenPattern(n, 1), 0) << n;
  EXPECT_EQ(Row(gCurrentPattern, gHookLog.size()), Row(3, 0));
  // A damaged current index is brought back before use.
  gCurrentPattern = 4000;
  char title[128];
  FormatMainWindowTitle(title, sizeof title);
  EXPECT_STREQ(title, "ヴェルクォラ22　－　パターン1");
  gCurrentPattern = -7;
  EXPECT_EQ(SwitchScreenPattern(2, 0), 1);
  EXPECT_EQ(gCurrentPattern, 2);
}

TEST_F(ScreenPatternTest, LinkedChartsAreAlignedTopDownWithALayoutAfterEach) {
  ChartView view = MakeView("7203", 0, true);
  view.dateLink = 1;
  SetPattern(5, {view, view, view});
  SwitchScreenPattern(5, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "reload 2", "layout", "align 0", "layout", "align 1",
                           "layout", "shown"}));
  // The last chart's link has no chart below it.
  gHookLog.clear();
  SetPattern(6, {view, view});
  gScreenPatterns[6].views[0].dateLink = 0;
  SwitchScreenPattern(6, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "layout", "shown"}));
}

// Two unkept charts that showed the same stock both follow; one showing another stock does not.
TEST_F(ScreenPatternTest, UnkeptChartsWithTheSameStockFollowTheCarriedView) {
  ChartView carried = MakeView("7203", 0, false);
  carried.lastBarIndex = 812;
  carried.groupIndex = 17;
  SetPattern(0, {carried});
  SetPattern(1, {MakeView("1001", 0, false), MakeView("1001", 1, false), MakeView("6758", 0, false)});
  ASSERT_EQ(SwitchScreenPattern(1, 0), 1);
  const ChartView* shown = gScreenPatterns[1].views;
  // A weekly chart cannot use a daily bar index: it shows the newest bars.
  EXPECT_EQ(Row(shown[0].lastBarIndex, shown[0].groupIndex, shown[1].lastBarIndex, shown[1].groupIndex,
                shown[2].lastBarIndex, shown[2].groupIndex, gSelectedChart, gPatternCarryValid),
            Row(812, 17, -1, 17, 100, 1, 0, 1));
  EXPECT_EQ(Row(ShownCode(1, 0), ShownCode(1, 1), ShownCode(1, 2)),
            Row(StringToCode("7203"), StringToCode("7203"), StringToCode("6758")));
}

TEST_F(ScreenPatternTest, KeptChartsShowWhatTheyStoredAndTheFirstUnkeptIsSelected) {
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(2, {MakeView("1301", 0, true), MakeView("1332", 2, true)});
  const ScreenPattern before = gScreenPatterns[2];
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(memcmp(&gScreenPatterns[2], &before, sizeof before), 0);
  EXPECT_EQ(gSelectedChart, 0);
  SetPattern(3, {MakeView("1301", 0, true), MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(3, 0);
  EXPECT_EQ(Row(gSelectedChart, ShownCode(3, 0), ShownCode(3, 1)), Row(1, StringToCode("1301"), StringToCode("7203")));
}

TEST_F(ScreenPatternTest, WhenEveryChartKeepsItsStockTheSelectedOneIsCarried) {
  SetPattern(0, {MakeView("1301", 0, true), MakeView("9984", 0, true)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gSelectedChart = 1;
  SwitchScreenPattern(1, 0);
  EXPECT_EQ(ShownCode(1, 0), StringToCode("9984"));
  // Without a selection nothing is remembered.
  gPatternCarryValid = 0;
  SetPattern(2, {MakeView("1001", 0, false)});
  SetPattern(1, {MakeView("1301", 0, true)});
  gSelectedChart = -1;
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(Row(gPatternCarryValid, ShownCode(2, 0)), Row(0, StringToCode("1001")));
  // A forced switch uses the view remembered earlier.
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(1, 0);  // remembers 7203
  SetPattern(0, {MakeView("4063", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  SwitchScreenPattern(1, 1);  // nothing new is remembered
  EXPECT_EQ(ShownCode(1, 0), StringToCode("7203"));
}

TEST_F(ScreenPatternTest, APaneSelectionBeyondThePanesIsCleared) {
  ChartView empty = MakeView("7203", 0, true);
  empty.paneCount = 0;
  SetPattern(4, {empty});
  SwitchScreenPattern(4, 0);
  EXPECT_EQ(Row(gSelectedPane, gCursorBar), Row(-1, -1));
  SwitchScreenPattern(5, 0);  // three panes: pane 0 stays selected
  EXPECT_EQ(gSelectedPane, 0);
}

TEST_F(ScreenPatternTest, CopyTakesChartsAndViewsButKeepsTheName) {
  SetPattern(4, {MakeView("1301", 1, true), MakeView("9984", 2, true)});
  gCurrentPattern = 7;
  gPatternMenuSource = 4;
  ASSERT_EQ(CopyScreenPattern(7), 1);  // the shown pattern is reloaded too
  EXPECT_EQ(std::string(gScreenPatterns[7].name) + " " + gHookLog.front() + gHookLog.back(), "パターン8 waitshown");
  EXPECT_EQ(Row(gScreenPatterns[7].chartCount,
                memcmp(gScreenPatterns[7].views, gScreenPatterns[4].views, sizeof gScreenPatterns[7].views)),
            Row(2, 0));
  gPatternMenuSource = 12;  // no such source, then no such target
  EXPECT_EQ(CopyScreenPattern(1), 0);
  gPatternMenuSource = 0;
  EXPECT_EQ(CopyScreenPattern(12), 0);
}

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
  // The menu texts, then the forced switch.
  EXPECT_EQ(gCurrentPattern, 0);
  EXPECT_EQ(gHookLog, (Log{"names", "wait", "reload 0", "layout", "shown"}));
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
