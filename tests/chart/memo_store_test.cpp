// The memo store: "memo.dat" with its fallbacks, the older records, the
// backup rotation and the exit save; new memos' anchors, deleting with undo
// and deleting everything.
#include "chart/memo_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/trend_line_store.h"
#include "chart/chart_context.h"
#include "chart/chart_editing.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "shell/commands.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kBackups[] = {"BACKUP/memo01.dat", "BACKUP/memo02.dat", "BACKUP/memo03.dat"};
const std::string kMemoFiles[] = {
    "memo.dat",          "memo.dat.damaged",  "BACKUP/memo01.dat",   "BACKUP/memo01.dat.damaged",
    "BACKUP/memo02.dat", "BACKUP/memo03.dat", "DEFAULTDATA/memo.dat"};

Memo TestMemo(StockCode code, int32_t value, const char* text = "memo") {
  Memo memo{};
  memo.code = code;
  memo.date = MakePackedDate(2026, 12, 1);
  memo.value = value;
  memo.boxRight = 128;
  memo.boxBottom = 20;
  snprintf(memo.text, sizeof memo.text, "%s", text);
  memo.arrowHidden = 1;
  return memo;
}

Bytes Header(int32_t count, int32_t recordSize = kMemoRecordBytes) {
  const MemoFileHeader header = {count, recordSize, {8, 16, 24}, {0, 6, 8}};
  const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
  return Bytes(bytes, bytes + sizeof header);
}

Bytes ImageOf(const std::vector<Memo>& memos) {
  Bytes image = Header(static_cast<int32_t>(memos.size()));
  const auto* bytes = reinterpret_cast<const uint8_t*>(memos.data());
  image.insert(image.end(), bytes, bytes + memos.size() * sizeof(Memo));
  return image;
}

Bytes TableImage() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(gMemos.header);
  return Bytes(bytes, bytes + sizeof(MemoFileHeader) + sizeof(Memo) * static_cast<size_t>(MemoCount()));
}

std::vector<int64_t> Values() {
  std::vector<int64_t> values;
  for (int i = 0; i < MemoCount(); ++i) values.push_back(gMemos.memos[i].value);
  return values;
}

class MemoStoreTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_EQ(mkdir("BACKUP", 0777), 0);
    ASSERT_EQ(mkdir("DEFAULTDATA", 0777), 0);
    ASSERT_TRUE(LoadTrendLines());
  }
  void TearDown() override {
    FreeMemoTable(&gMemos);
    PriceStoreTest::TearDown();
  }
  static void Install(const std::vector<Memo>& memos) {
    WriteWholeFile("memo.dat", ImageOf(memos));
    ASSERT_TRUE(LoadMemoFile());
  }
  static void RemoveMemoFiles() {
    for (const std::string& name : kMemoFiles) std::remove(name.c_str());
  }
};

TEST_F(MemoStoreTest, AFirstStartWritesAnEmptyTableOf32BytesAndItsBackups) {
  ASSERT_TRUE(LoadMemoFile());
  const int32_t expected[8] = {0, 640, 8, 16, 24, 0, 6, 8};
  const auto* bytes = reinterpret_cast<const uint8_t*>(expected);
  const Bytes empty(bytes, bytes + sizeof expected);
  EXPECT_EQ(ReadWholeFile("memo.dat"), empty);
  for (const std::string& backup : kBackups) EXPECT_EQ(ReadWholeFile(backup), empty) << backup;
}

// "memo.dat", then the backups, then the defaults (as samples). A damaged file
// is set aside and the next one tried; after a damaged main file what was
// taken instead is not written at exit, after a missing one it is.
TEST_F(MemoStoreTest, AnUnusableMainFileFallsBackToTheBackupsThenTheDefaults) {
  const Bytes good = ImageOf({TestMemo(NumberCode(1301), 500), TestMemo(NumberCode(7203), 700)});
  Bytes badHeader = good, shortCount = good, negative = good;
  badHeader[4] = 99;   // record size 99
  shortCount[0] = 3;   // three memos, two records
  negative[3] = 0x80;  // a negative count
  Bytes noRecords = good;
  noRecords.resize(sizeof(MemoFileHeader) + sizeof(Memo) + 100);
  struct Case {
    const char* name;
    Bytes main;
    std::vector<Bytes> backups;
    Bytes defaults;
    int count, sample;
    bool mainSetAside, writtenAtExit;
    int failOpens = 0;  // "memo.dat" held by another program
  };
  const Case cases[] = {
      {"bad header", badHeader, {good}, {}, 2, 0, true, false},
      {"count beyond the records", shortCount, {{}, good}, {}, 2, 0, true, false},
      {"negative count", negative, {Bytes(4, 1), good}, {}, 2, 0, true, false},
      {"record cut short", noRecords, {}, good, 2, 1, true, false},
      {"four bytes, nothing else", Bytes(4, 2), {}, {}, 0, 0, true, false},
      {"missing, a backup", {}, {{}, {}, good}, good, 2, 0, false, true},
      {"a new user", {}, {}, good, 2, 1, false, true},
      {"held by another program", good, {{}, {}, good}, {}, 2, 0, false, false, 2},
  };
  for (const Case& c : cases) {
    RemoveMemoFiles();
    if (!c.main.empty()) WriteWholeFile("memo.dat", c.main);
    for (size_t k = 0; k < c.backups.size(); ++k) WriteWholeFile(kBackups[k], c.backups[k]);
    if (!c.defaults.empty()) WriteWholeFile("DEFAULTDATA/memo.dat", c.defaults);
    FileFaults faults;
    faults.failOpens = c.failOpens;
    SetFileFaults(faults);
    ASSERT_TRUE(LoadMemoFile()) << c.name;
    EXPECT_EQ(TakeRecordedMessageBoxes().size(), c.failOpens > 0 ? 1u : 0u) << c.name;
    if (c.failOpens > 0) std::rename("memo.dat", "memo.dat.held");
    EXPECT_EQ(Row(MemoCount(), MemoCount() > 0 ? gMemos.memos[1].sample : 0, FileExists("memo.dat.damaged"),
                  FileExists("memo.dat")),
              Row(c.count, c.sample, c.mainSetAside, false))
        << c.name;
    if (c.count > 0) {
      EXPECT_EQ(Values(), Row(500, 700)) << c.name;
    }
    if (c.mainSetAside) {
      EXPECT_EQ(ReadWholeFile("memo.dat.damaged"), c.main) << c.name;
    }
    std::vector<Bytes> backups;
    for (const std::string& backup : kBackups) backups.push_back(ReadWholeFile(backup));
    EXPECT_EQ(SaveMemoFileAtExit(), 0);
    EXPECT_EQ(FileExists("memo.dat"), c.writtenAtExit) << c.name;
    if (c.writtenAtExit) {
      EXPECT_EQ(ReadWholeFile("memo.dat"), TableImage()) << c.name;
      continue;
    }
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(ReadWholeFile(kBackups[k]), backups[k]) << c.name << " " << k;
  }
}

// Every write rotates the backups: restarts alone must not push the older
// copies out, as two of them would after deleting every memo.
TEST_F(MemoStoreTest, TheExitWritesTheMemosOnlyWhenTheyChangedSinceReadOrSaved) {
  const Bytes two = ImageOf({TestMemo(NumberCode(1301), 500), TestMemo(NumberCode(7203), 700)});
  const Bytes older = ImageOf({TestMemo(NumberCode(1301), 400)});
  for (size_t k = 0; k < 3; ++k) WriteWholeFile(kBackups[k], k == 0 ? two : older);
  Install({});  // everything deleted in the last run
  for (int restart = 0; restart < 2; ++restart) {
    EXPECT_EQ(SaveMemoFileAtExit(), 0);
    ASSERT_TRUE(LoadMemoFile());
  }
  EXPECT_EQ(Row(ReadWholeFile(kBackups[0]) == two, ReadWholeFile(kBackups[2]) == older), Row(true, true));
  Install({TestMemo(NumberCode(1301), 500)});
  ASSERT_EQ(DuplicateMemo(0), 1);
  EXPECT_EQ(SaveMemoFileAtExit(), 0);
  EXPECT_EQ(Row(ReadWholeFile("memo.dat") == TableImage(), ReadWholeFile(kBackups[0]) == TableImage()),
            Row(true, true));
  const Bytes newest = ReadWholeFile(kBackups[1]);
  EXPECT_EQ(SaveMemoFileAtExit(), 0) << "saved already";
  EXPECT_EQ(ReadWholeFile(kBackups[1]), newest);
}

TEST_F(MemoStoreTest, AChangeToATableTakenFromABackupIsWrittenAtExit) {
  const std::vector<Memo> memos = {TestMemo(NumberCode(1301), 500)};
  WriteWholeFile("memo.dat", Header(1, 99));
  WriteWholeFile(kBackups[0], ImageOf(memos));
  ASSERT_TRUE(LoadMemoFile());
  ASSERT_EQ(DuplicateMemo(0), 1);
  EXPECT_EQ(SaveMemoFileAtExit(), 0);
  EXPECT_EQ(ReadWholeFile("memo.dat"), TableImage());
  EXPECT_EQ(MemoCount(), 2);
}

// The older 348-byte records: sizes of the first choice only from a record
// whose flag is 0 or 1, the others fixed; plain stock numbers made codes when
// the first memo has one.
TEST_F(MemoStoreTest, OldRecordsConvertAndAreWrittenInTheCurrentSizeAtTheNextSave) {
  gSettings.memoFontSize = 12;
  gSettings.memoLineSpacing = 3;
  struct OldCase {
    uint32_t code;
    int32_t customSize;
    int32_t color;
    const char* text;
  };
  const OldCase olds[] = {{1301, 1, 6, "決算 5/12"}, {7203, 5, 99, "同値"}};
  Bytes image = {2, 0, 0, 0, 0x5C, 0x01, 0, 0};
  for (const OldCase& o : olds) {
    OldMemo old{};
    memset(&old, 0x5A, sizeof old);  // every byte carries something
    const int32_t shared[12] = {
        int32_t(o.code), 1, 0, int32_t(MakePackedDate(2026, 5, 12)), 900, -20, -30, 0, 1, 2, 3, 4};
    memcpy(old.shared, shared, sizeof shared);
    old.shared[6] = old.shared[7] = 0x5A;  // padding, never read
    snprintf(old.text, sizeof old.text, "%s", o.text);
    old.color = o.color;
    old.customSize = o.customSize;
    old.fontHeight = 20;
    old.lineSpacing = 5;
    old.arrowHidden = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&old);
    image.insert(image.end(), bytes, bytes + sizeof old);
  }
  ASSERT_EQ(image.size(), 704u);
  WriteWholeFile("memo.dat", image);
  ASSERT_TRUE(LoadMemoFile());
  EXPECT_EQ(ReadWholeFile("memo.dat"), image) << "nothing is written at start-up";
  ASSERT_EQ(MemoCount(), 2);
  const auto fields = [](const Memo& m) {
    return Row(m.paneKind, m.reserved6[0], m.value, m.boxOffsetX, m.boxOffsetY, m.boxRight, m.color, m.arrowHidden,
               m.customSize, m.sizeChoice, m.fontHeights[0], m.fontHeights[1], m.fontHeights[2], m.lineSpacings[0],
               m.lineSpacings[1], m.lineSpacings[2], m.sample);
  };
  EXPECT_EQ(fields(gMemos.memos[0]), Row(1, 0, 900, -20, -30, 3, 6, 0, 1, 0, 20, 8, 32, 5, 0, 8, 0));
  EXPECT_EQ(fields(gMemos.memos[1]), Row(1, 0, 900, -20, -30, 3, 0, 0, 0, 0, 12, 8, 32, 3, 0, 8, 0));
  for (int i = 0; i < 2; ++i) {
    char code[5];
    EXPECT_STREQ(CodeToString(gMemos.memos[i].code, code), std::to_string(olds[i].code).c_str());
    EXPECT_STREQ(gMemos.memos[i].text, olds[i].text);
  }
  EXPECT_EQ(Row(gMemos.header->fontHeights[1], gMemos.header->lineSpacings[2]), Row(16, 8));
  ASSERT_EQ(SaveMemoFile(), 0);
  EXPECT_EQ(ReadWholeFile("memo.dat").size(), 1312u);
  EXPECT_EQ(ReadWholeFile("memo.dat"), TableImage());
}

TEST_F(MemoStoreTest, ValuesThatIndexOrEndTextAreRepairedOnLoad) {
  std::vector<Memo> memos(4, TestMemo(NumberCode(1301), 1));
  memset(memos[0].text, 'A', sizeof memos[0].text);  // no terminator
  memos[1].color = 99;
  memos[2].color = -1;
  memos[3].color = 15;
  memos[3].code = 1301;  // a later plain number stays: only the first memo tells
  memset(memos[3].scratch, 7, sizeof memos[3].scratch);
  Bytes image = ImageOf(memos);
  memcpy(&image[20], "\x00\x00\x00\x00\x28\x00\x00\x00", 8);  // choice-3 height 0, choice-1 spacing 40
  WriteWholeFile("memo.dat", image);
  ASSERT_TRUE(LoadMemoFile());
  ASSERT_EQ(MemoCount(), 4);
  EXPECT_EQ(strlen(gMemos.memos[0].text), 511u);
  EXPECT_EQ(Row(gMemos.memos[1].color, gMemos.memos[2].color, gMemos.memos[3].color, gMemos.memos[3].code),
            Row(0, 0, 15, 1301));
  EXPECT_EQ(Row(gMemos.memos[3].scratch[0], gMemos.header->fontHeights[2], gMemos.header->lineSpacings[0]),
            Row(0, 24, 0));
}

TEST_F(MemoStoreTest, BackupsRotateNewestFirstAndAMissingSecondGetsAFreshCopy) {
  std::vector<Bytes> saved;
  for (int32_t value : {100, 200, 300}) {
    Install({TestMemo(NumberCode(1301), value)});
    ASSERT_EQ(SaveMemoFile(), 0);
    saved.push_back(TableImage());
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(ReadWholeFile(kBackups[k]), saved[2 - k]) << k;
  std::remove(kBackups[1].c_str());
  Install({TestMemo(NumberCode(1301), 400)});
  ASSERT_EQ(SaveMemoFile(), 0);
  EXPECT_EQ(ReadWholeFile(kBackups[2]), TableImage()) << "memo03: a fresh copy";
  EXPECT_EQ(ReadWholeFile(kBackups[1]), saved[2]) << "memo01 moved down";
  EXPECT_EQ(ReadWholeFile(kBackups[0]), TableImage());
  // A failed main write leaves the backups alone.
  const Bytes before = ReadWholeFile(kBackups[0]);
  gMemos.memos[0].value = 1;
  FileFaults faults;
  faults.failWrites = 10;
  SetFileFaults(faults);
  EXPECT_NE(SaveMemoFile(), 0);
  SetFileFaults({});
  EXPECT_EQ(ReadWholeFile(kBackups[0]), before);
}

// A new memo sits at the cursor when it is on a shown bar inside the pane's
// range, else half a screen left of the last bar at the middle of the range.
TEST_F(MemoStoreTest, ANewMemoIsAnchoredAtTheCursorOrInTheMiddleOfWhatIsShown) {
  OwnedContext owned;
  ChartContext& context = owned.context;
  BarSeries& bars = *context.periods[0].bars;
  bars.count = 100;
  for (int i = 0; i < bars.count; ++i) bars.bars[i].date = MakePackedDate(2026, 1, 1) + static_cast<uint32_t>(i);
  context.geometry.visibleBars = 40;
  context.panes[0].minValue = 1000;
  context.panes[0].maxValue = 2001;
  ChartView view{};
  view.lastBarIndex = 89;
  const PackedDate middle = bars.bars[69].date;
  struct Case {
    int32_t lastBar, cursorBar, cursorValue;
    PackedDate date;
    int32_t value;
  };
  const Case cases[] = {
      {89, 60, 1500, bars.bars[60].date, 1500},
      {89, 49, 2001, bars.bars[49].date, 2001},
      {89, 48, 1500, middle, 1500},
      {89, 90, 1500, middle, 1500},
      {89, 60, 2002, middle, 1500},
      {89, 60, 999, middle, 1500},
      {89, -1, 1500, middle, 1500},
      {-1, 80, 1500, bars.bars[80].date, 1500},
  };
  for (const Case& c : cases) {
    view.lastBarIndex = c.lastBar;
    PackedDate date = 0;
    int32_t value = 0;
    FindNewMemoAnchor(view, context, 0, c.cursorBar, c.cursorValue, &date, &value);
    EXPECT_EQ(Row(date, value), Row(c.date, c.value)) << c.lastBar << " " << c.cursorBar << " " << c.cursorValue;
  }
}

TEST_F(MemoStoreTest, TheNewMemoCommandNeedsAPaneAndMakesASelectedBlackMemo) {
  ASSERT_TRUE(LoadMemoFile());
  ASSERT_TRUE(AllocChartContextBuffers(&gChartContexts[0]));
  ScreenPattern& pattern = CurrentScreenPattern();
  pattern.chartCount = 1;
  ChartView& view = pattern.views[0];
  view = ChartView{};
  view.stockCode = NumberCode(1301);
  view.period = 1;
  view.lastBarIndex = -1;
  view.paneCount = 2;
  view.paneKinds[1] = kPaneRsi;
  BarSeries& bars = *gChartContexts[0].periods[1].bars;
  bars.count = 1;
  for (int i = 0; i < 10; ++i) bars.bars[i].date = MakePackedDate(2026, 3, 1 + i);
  gChartContexts[0].panes[1].minValue = 0;
  gChartContexts[0].panes[1].maxValue = 10000;
  gChartContexts[0].geometry.visibleBars = 8;
  gSelectedChart = 0;
  gSelectedPane = -1;
  gMemoTextHeight = 15;
  EXPECT_FALSE(CanAddMemo());
  ASSERT_EQ(OnMainCommand(nullptr, IDM_NEW_MEMO), 1);
  EXPECT_EQ(MemoCount(), 0);
  gSelectedPane = 1;
  gCursorBar = 4;
  gCursorValue = 7000;
  ASSERT_TRUE(CanAddMemo());
  ASSERT_EQ(OnMainCommand(nullptr, IDM_NEW_MEMO), 1);
  EXPECT_EQ(MemoCount(), 0) << "one bar: a memo would never show";
  bars.count = 10;
  ASSERT_EQ(OnMainCommand(nullptr, IDM_NEW_MEMO), 1);
  ASSERT_EQ(MemoCount(), 1);
  const Memo& memo = gMemos.memos[0];
  EXPECT_EQ(
      Row(memo.code, memo.paneKind, memo.period, memo.date, memo.value, memo.boxOffsetX, memo.boxOffsetY, memo.selected,
          memo.boxLeft, memo.boxRight, memo.boxBottom, memo.color, memo.arrowHidden, memo.customSize,
          memo.fontHeights[2], memo.lineSpacings[1]),
      Row(NumberCode(1301), kPaneRsi, 1, MakePackedDate(2026, 3, 5), 7000, 16, 16, 1, 0, 128, 19, 0, 1, 0, 24, 6));
  EXPECT_STREQ(memo.text, "●●●新規メモ●●●");
  EXPECT_TRUE(HasSelectedMemo());
}

// Ctrl+U takes the bar and value under the mouse: a bar a right press chose
// earlier is gone once the mouse moves, and a cross-hair outside the selected
// pane leaves the middle of what is shown.
TEST_F(MemoStoreTest, TheNewMemoCommandFollowsTheCrossHairInTheSelectedPane) {
  ASSERT_TRUE(LoadMemoFile());
  ASSERT_TRUE(AllocChartContextBuffers(&gChartContexts[0]));
  CurrentScreenPattern().chartCount = 1;
  ChartView& view = CurrentScreenPattern().views[0] = ChartView{};
  view.stockCode = NumberCode(1301);
  view.lastBarIndex = -1;
  view.paneCount = 2;
  view.paneKinds[1] = kPaneRsi;
  BarSeries& bars = *gChartContexts[0].periods[0].bars;
  for (bars.count = 0; bars.count < 10; ++bars.count)
    bars.bars[bars.count].date = MakePackedDate(2026, 3, 1 + bars.count);
  for (PaneRecord& pane : gChartContexts[0].panes) pane.minValue = 0, pane.maxValue = 10000;
  gChartContexts[0].geometry.visibleBars = 8;
  gSelectedChart = gSelectedPane = 0;
  gMemoTextHeight = 15;
  const struct {
    int pane, bar, value, memoBar, memoValue;
  } cases[] = {
      {0, 7, 2000, 7, 2000}, {1, 7, 2000, 5, 5000}, {-1, -1, -1, 5, 5000}, {0, 2, 9000, 2, 9000}, {0, 8, 100, 8, 100}};
  for (size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    gCursorBar = 3;  // where a right press stood before
    StoreCrossHair(c.pane < 0 ? -1 : 0, c.pane, c.bar, 50, 50, c.value);
    ASSERT_EQ(OnMainCommand(nullptr, IDM_NEW_MEMO), 1);
    ASSERT_EQ(MemoCount(), static_cast<int>(k + 1));
    const Memo& memo = gMemos.memos[k];
    EXPECT_EQ(Row(memo.date, memo.value), Row(bars.bars[c.memoBar].date, c.memoValue)) << k;
  }
}

TEST_F(MemoStoreTest, DeletingKeepsTheLastSelectedMemoForUndoWhichBringsItBackSelected) {
  Install({TestMemo(NumberCode(1301), 1), TestMemo(NumberCode(1301), 2), TestMemo(NumberCode(1301), 3),
           TestMemo(NumberCode(1301), 4), TestMemo(NumberCode(1301), 5)});
  for (int i : {0, 2, 3}) gMemos.memos[i].selected = 1;
  DeleteSelectedObjects();
  EXPECT_EQ(Values(), Row(2, 5));
  EXPECT_EQ(Row(gUndoKind, gUndoMemo.value), Row(kUndoMemos, 4));
  EXPECT_FALSE(HasSelectedMemo());
  UndoLastDeletion();
  EXPECT_EQ(Values(), Row(2, 5, 4));
  EXPECT_EQ(Row(gUndoKind, gMemos.memos[2].selected, gMemos.memos[0].selected), Row(kUndoNothing, 1, 0));
  EXPECT_EQ(ReadWholeFile("memo.dat"),
            ImageOf({TestMemo(NumberCode(1301), 1), TestMemo(NumberCode(1301), 2), TestMemo(NumberCode(1301), 3),
                     TestMemo(NumberCode(1301), 4), TestMemo(NumberCode(1301), 5)}))
      << "deletions reach the disk at exit";
  SelectMemo(-1);
  EXPECT_EQ(RemoveSelectedMemos(), 0);
  EXPECT_EQ(gUndoKind, kUndoNothing);
}

// Everything goes, the lines through their deletion (file, groups, notices),
// and no older undo brings lines back.
TEST_F(MemoStoreTest, DeletingEverythingAsksFirstAndLeavesNothingToUndo) {
  Install({TestMemo(NumberCode(1301), 1), TestMemo(NumberCode(1301), 2)});
  const PackedDate day = MakePackedDate(2026, 3, 2);
  for (int i = 0; i < 3; ++i)
    gTrendLines->lines[gTrendLines->count++] = TestTrendLine(NumberCode(1301), day, i, day, i);
  MarkTrendLine(0, 0);
  ASSERT_EQ(DeleteMarkedTrendLines(1), 1);
  ASSERT_EQ(gUndoKind, kUndoTrendLines);
  QueueMessageBoxAnswer(kIdNo);
  ASSERT_EQ(OnMainCommand(nullptr, IDM_DELETE_ALL_MEMOS_AND_LINES), 1);
  std::vector<RecordedMessageBox> boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "メモとトレンドラインをすべて削除してもよろしいですか？");
  EXPECT_EQ(boxes[0].flags, kMbYesNo | kMbIconQuestion | kMbDefButton2);
  EXPECT_EQ(Row(MemoCount(), gTrendLines->count, gUndoKind), Row(2, 2, kUndoTrendLines));
  QueueMessageBoxAnswer(kIdYes);
  ASSERT_EQ(OnMainCommand(nullptr, IDM_DELETE_ALL_MEMOS_AND_LINES), 1);
  EXPECT_EQ(Row(MemoCount(), gTrendLines->count, gTrendLines->markedCount, gUndoKind), Row(0, 0, 0, kUndoNothing));
  const Bytes lines = ReadWholeFile("tline.dat");
  ASSERT_EQ(lines.size(), sizeof(TrendLineTable));
  EXPECT_EQ(Row(lines[0], lines[4]), Row(0, 0)) << "the lines' file follows at once";
  UndoLastDeletion();
  EXPECT_EQ(Row(MemoCount(), gTrendLines->count), Row(0, 0));
  EXPECT_EQ(SaveMemoFileAtExit(), 0);
  EXPECT_EQ(ReadWholeFile("memo.dat"), Header(0));
}

}  // namespace
