// The trend-line store: its file with the older records, backups and
// fallbacks, deleting with step renumbering, trimming, undo and the pop-up
// commands on the selected line.
#include "analysis/trend_line_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "analysis/analysis_hooks.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "platform/posix_recorder.h"
#include "records/settings_block.h"
#include "shell/commands.h"
#include "shell/lifecycle.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kBackups[] = {"BACKUP/tline01.dat", "BACKUP/tline02.dat", "BACKUP/tline03.dat"};

constexpr PackedDate Day(int d) { return MakePackedDate(2024, 3, d); }

TrendLine Line(StockCode code, PackedDate laterDate, int32_t value = 1000) {
  return TestTrendLine(code, Day(1), value, laterDate, value);
}

std::unique_ptr<TrendLineTable> TableOf(const std::vector<TrendLine>& lines) {
  auto table = std::make_unique<TrendLineTable>();
  table->count = static_cast<int32_t>(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) table->lines[i] = lines[i];
  return table;
}

Bytes ImageOf(const TrendLineTable& table) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&table);
  return Bytes(bytes, bytes + sizeof table);
}

Bytes ImageOf(const std::vector<TrendLine>& lines) { return ImageOf(*TableOf(lines)); }

template <typename T>
std::vector<int64_t> Column(T TrendLine::*field) {
  std::vector<int64_t> column;
  for (int i = 0; i < gTrendLines->count; ++i) column.push_back(gTrendLines->lines[i].*field);
  return column;
}

int gChanges = 0, gOrderListRefreshes = 0;
std::vector<int64_t> gEvaluations;

class TrendLineStoreTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    gChanges = gOrderListRefreshes = 0;
    gEvaluations.clear();
    gAnalysisHooks.trendLinesChanged = [] { ++gChanges; };
    gAnalysisHooks.fillAutoOrderList = [] { ++gOrderListRefreshes; };
    gAnalysisHooks.evaluateMonitorLine = [](int index, int notify, int allowOrder) {
      gEvaluations = Row(index, notify, allowOrder);
    };
    ASSERT_EQ(mkdir("BACKUP", 0777), 0);
    ASSERT_EQ(mkdir("DEFAULTDATA", 0777), 0);
    ASSERT_TRUE(LoadTrendLines());
  }
  static void Install(const std::vector<TrendLine>& lines) {
    WriteWholeFile("tline.dat", ImageOf(lines));
    ASSERT_TRUE(LoadTrendLines());
  }
};

TEST_F(TrendLineStoreTest, OldFilesConvertWithNoticesOnAndAreWrittenCurrentAtTheNextEdit) {
  Bytes old(kOldTrendLineFileBytes, 0);
  const int32_t header[2] = {3, 1};
  memcpy(old.data(), header, sizeof header);
  for (int i = 0; i < 3; ++i) {
    uint8_t* record = &old[8 + i * kOldTrendLineBytes];
    memset(record, 0x5A, kOldTrendLineBytes);  // every byte carries something
    const int32_t fields[] = {7203 + i, int32_t(Day(4)), 1500, int32_t(Day(8)), 1600};
    memcpy(record, fields, sizeof fields);
    const int32_t tail[] = {1, 2, i == 1, kMonitorUpper, 0, 1, 0, 0, 0, 0, kLabelLeft};  // period .. label side
    memcpy(record + 24, tail, sizeof tail);
    record[20] = 0, record[21] = 0;
  }
  WriteWholeFile("tline.dat", old);
  ASSERT_TRUE(LoadTrendLines());
  ASSERT_EQ(Row(gTrendLines->count, gTrendLines->markedCount), Row(3, 1));
  for (int i = 0; i < 3; ++i) {
    const TrendLine& line = gTrendLines->lines[i];
    char code[5];
    EXPECT_STREQ(CodeToString(line.code, code), std::to_string(7203 + i).c_str());
    EXPECT_EQ(Row(line.value2, line.period, line.monitorKind, line.notifyWhenReached, line.watchedLines, line.labelSide,
                  line.reserved22[0]),
              Row(1600, 1, kMonitorUpper, 1, 1, kLabelLeft, 0));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&line);
    EXPECT_EQ(Bytes(bytes + 68, bytes + 124), Bytes(56, 0)) << i;
  }
  EXPECT_FALSE(FileExists("tline.dat.damaged"));
  EXPECT_EQ(ReadWholeFile("tline.dat").size(), kOldTrendLineFileBytes) << "nothing is written until an edit";
  gSelectedTrendLine = 0;
  ToggleTrendLineLock();
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
}

TEST_F(TrendLineStoreTest, BackupsRotateNewestFirstAndAnEmptyOlderCopyNeverDestroysAGoodOne) {
  const StockCode code = NumberCode(1301);
  std::vector<Bytes> saved;
  for (int32_t value : {100, 200, 300}) {
    Install({Line(code, Day(5), value)});
    ASSERT_EQ(SaveTrendLines(), 0);
    saved.push_back(ImageOf(*gTrendLines));
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(ReadWholeFile(kBackups[k]), saved[2 - k]) << k;
  WriteWholeFile("BACKUP/tline02.dat", {});
  Install({Line(code, Day(5), 400)});
  ASSERT_EQ(SaveTrendLines(), 0);
  EXPECT_EQ(ReadWholeFile("BACKUP/tline02.dat"), saved[2]) << "the good tline01 moved down";
  EXPECT_EQ(ReadWholeFile("BACKUP/tline01.dat"), ImageOf(*gTrendLines));
  // A failed main write is reported and leaves the backups alone; a failed backup is still the answer.
  const std::vector<Bytes> before = {ReadWholeFile("tline.dat"), ReadWholeFile("BACKUP/tline01.dat")};
  gTrendLines->lines[0].value1 = 1;
  FileFaults faults;
  faults.failWrites = 10;  // every attempt
  SetFileFaults(faults);
  EXPECT_EQ(SaveTrendLines(), kErrorDiskFull);
  EXPECT_EQ(TakeRecordedMessageBoxes().size(), 1u);
  EXPECT_EQ((std::vector<Bytes>{ReadWholeFile("tline.dat"), ReadWholeFile("BACKUP/tline01.dat")}), before);
  WriteWholeFile("BACKUP/tline02.dat", {});
  ASSERT_EQ(mkdir("BACKUP/tline03.dat.tmp", 0777), 0);  // tline03 cannot be written
  EXPECT_NE(SaveTrendLines(), 0);
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty()) << "backups fail silently";
}

// Whatever is wrong with tline.dat, the lines come from the first usable
// backup, else the default table; a damaged file is set aside, none is written.
TEST_F(TrendLineStoreTest, AnUnusableMainFileFallsBackToTheBackupsThenTheDefaultsAndWritesNothing) {
  const std::vector<TrendLine> good = {Line(NumberCode(1301), Day(5)), Line(NumberCode(7203), Day(9), 700)};
  Bytes badCount = ImageOf(good);
  badCount[0] = 0x11, badCount[1] = 0x27;  // 10001 lines
  struct Case {
    const char* name;
    Bytes main;
    std::vector<Bytes> backups;
    Bytes defaults;
    int count;  // lines loaded
    bool fromDefaults, mainSetAside;
  };
  const Case cases[] = {
      {"truncated", Bytes(1000000, 7), {ImageOf(good)}, {}, 2, false, true},
      {"bad count", badCount, {{}, Bytes(5), ImageOf(good)}, {}, 2, false, true},
      {"all bad", Bytes(1), {badCount, {}, Bytes(1240009)}, ImageOf(good), 2, true, true},
      {"first start", {}, {}, ImageOf(good), 0, false, false},
  };
  for (const Case& c : cases) {
    for (const char* name : {"tline.dat", "tline.dat.damaged", "BACKUP/tline01.dat", "BACKUP/tline02.dat",
                             "BACKUP/tline03.dat", "DEFAULTDATA/tline.dat"})
      std::remove(name);
    if (!c.main.empty()) WriteWholeFile("tline.dat", c.main);
    for (size_t k = 0; k < c.backups.size(); ++k) WriteWholeFile(kBackups[k], c.backups[k]);
    if (!c.defaults.empty()) WriteWholeFile("DEFAULTDATA/tline.dat", c.defaults);
    ASSERT_TRUE(LoadTrendLines());
    EXPECT_EQ(Row(gTrendLines->count, gTrendLines->lines[0].fromDefaults, FileExists("tline.dat.damaged"),
                  FileExists("tline.dat")),
              Row(c.count, c.fromDefaults, c.mainSetAside, false))
        << c.name;
    EXPECT_EQ(SaveTrendLinesAtExit(), 0);
    EXPECT_FALSE(FileExists("tline.dat")) << c.name << ": the exit save waits for a change";
  }
}

TEST_F(TrendLineStoreTest, ATruncatedFileLosesNoLineThroughStartUpAndOneEdit) {
  std::vector<TrendLine> lines;
  for (int i = 0; i < 300; ++i) lines.push_back(Line(NumberCode(1300 + i), Day(1 + i % 28), 100 + i));
  Install(lines);
  ASSERT_EQ(SaveTrendLines(), 0);
  Bytes cut = ReadWholeFile("tline.dat");
  cut.resize(1000000);
  WriteWholeFile("tline.dat", cut);
  SetProgramFolder(folder_.path());
  ASSERT_TRUE(LoadEverythingAtStart());
  gSelectedTrendLine = 5;
  ASSERT_EQ(OnMainCommand(nullptr, IDM_TLINE_WIDTH_3), 1);
  lines[5].width = 3;
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(lines));
  EXPECT_EQ(ReadWholeFile("tline.dat.damaged"), cut);
  SaveEverythingAtExit();
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(lines));
}

TEST_F(TrendLineStoreTest, ValuesReadFromAFileAreBroughtIntoRangeBeforeUse) {
  std::vector<TrendLine> lines(5, Line(NumberCode(1301), Day(5)));
  lines[0].width = 0, lines[0].marked = 5;
  lines[1].width = 9, lines[1].paneKind = 20, lines[1].monitorKind = kMonitorLower;
  lines[2].width = -4, lines[2].monitorKind = 7, lines[2].autoOrderState = 200;
  lines[3].labelSide = -1, lines[3].period = 3;
  lines[4].buyRole = 11, lines[4].shortRole = -3;
  Install(lines);
  const auto fields = [](const TrendLine& l) {
    return Row(l.width, l.marked, l.paneKind, l.monitorKind, l.autoOrderState, l.labelSide, l.period, l.buyRole,
               l.shortRole);
  };
  const std::vector<int64_t> expected[] = {Row(2, 1, 0, 0, 0, 1, 0, 0, 0), Row(3, 0, 0, 0, 0, 1, 0, 0, 0),
                                           Row(1, 0, 0, 0, 0, 1, 0, 0, 0), Row(2, 0, 0, 0, 0, 1, 0, 0, 0),
                                           Row(2, 0, 0, 0, 0, 1, 0, 0, 0)};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fields(gTrendLines->lines[i]), expected[i]) << i;
  EXPECT_EQ(gTrendLines->markedCount, 1);
}

TEST_F(TrendLineStoreTest, DeletingAStepRenumbersTheLaterStepsOfItsStockOnly) {
  const StockCode a = NumberCode(1301), b = NumberCode(7203);
  struct Case {
    std::vector<int32_t> roles;  // buy roles of stock a's lines, then one line of b with step 3
    std::vector<int> deleted;
    std::vector<int32_t> remaining;
  };
  const Case cases[] = {
      {{1, 2, 3, -1, -2}, {1}, {1, 2, -1, -2, 3}},
      {{3, 1, 2, 4}, {0, 2}, {1, 2, 3}},
      {{1, 2, 3, 4}, {3, 1}, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    std::vector<TrendLine> lines;
    for (const int32_t role : c.roles) {
      lines.push_back(Line(a, Day(5)));
      lines.back().buyRole = role;
      lines.back().shortRole = role > 0 ? role : 0;
    }
    lines.push_back(Line(b, Day(5)));
    lines.back().buyRole = lines.back().shortRole = 3;
    Install(lines);
    gSelectedTrendLine = 0;
    for (int index : c.deleted) MarkTrendLine(index, 1);
    EXPECT_EQ(DeleteMarkedTrendLines(1), 1);
    EXPECT_EQ(Column(&TrendLine::buyRole), std::vector<int64_t>(c.remaining.begin(), c.remaining.end()));
    for (int i = 0; i < gTrendLines->count; ++i)
      EXPECT_EQ(gTrendLines->lines[i].shortRole, std::max(0, c.remaining[i]));
    EXPECT_EQ(Row(gTrendLines->markedCount, gSelectedTrendLine, gUndoKind, gChanges, gOrderListRefreshes),
              Row(0, -1, kUndoTrendLines, 1, 1));
    auto before = TableOf(lines);
    for (int index : c.deleted) before->lines[index].marked = 1;
    before->markedCount = static_cast<int32_t>(c.deleted.size());
    EXPECT_EQ(ImageOf(*gTrendLinesUndo), ImageOf(*before));
    EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
    gChanges = gOrderListRefreshes = 0;
  }
}

TEST_F(TrendLineStoreTest, TrimmingTakesTheEarliestEndsNearestTheEndFirstAndAllOfThemAlike) {
  const int ends[10] = {9, 3, 7, 3, 12, 5, 3, 20, 8, 6};
  std::vector<TrendLine> lines;
  for (int i = 0; i < 10; ++i) lines.push_back(Line(NumberCode(1300), Day(ends[i]), i));
  lines[4].date1 = Day(2), lines[4].date2 = Day(1);  // the later date may be the first
  Install(lines);
  ASSERT_EQ(TrimTrendLines(3), 1);
  // Of the three lines ending on the 3rd the two nearest the end go, and line 4 ending on the 2nd.
  EXPECT_EQ(Column(&TrendLine::value1), (std::vector<int64_t>{0, 1, 2, 5, 7, 8, 9}));
  gUndoKind = kUndoNothing;
  MarkTrendLine(2, 0);
  ASSERT_EQ(TrimTrendLines(7), 1);
  EXPECT_EQ(Row(gTrendLines->count, gTrendLines->markedCount, gUndoKind, gOrderListRefreshes), Row(0, 0, 1, 2));
  // Undo puts the seven back, marked, after what the table holds now.
  gTrendLines->lines[0] = Line(NumberCode(9999), Day(1));
  gTrendLines->count = 1;
  EXPECT_EQ(UndoTrendLineDeletion(), 1);
  EXPECT_EQ(Row(gTrendLines->count, gTrendLines->markedCount, gTrendLines->lines[1].marked, gUndoKind),
            Row(8, 7, 1, 0));
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
}

TEST_F(TrendLineStoreTest, PopUpCommandsChangeTheSelectedLineAndSaveIt) {
  Install({Line(NumberCode(1301), Day(5)), Line(NumberCode(1302), Day(6))});
  struct Case {
    int command;
    std::function<int64_t(const TrendLine&)> field;
    int64_t expected;
  };
  const Case cases[] = {
      {IDM_TLINE_LOCK, [](const TrendLine& l) { return l.locked; }, 1},
      {IDM_TLINE_MONITOR_UPPER, [](const TrendLine& l) { return l.monitorKind; }, kMonitorUpper},
      {IDM_TLINE_MONITOR_DATE, [](const TrendLine& l) { return l.monitorKind; }, kMonitorDate},
      {IDM_TLINE_NOTICE, [](const TrendLine& l) { return l.notifyWhenReached; }, 0},
      {IDM_TLINE_LABEL_LEFT, [](const TrendLine& l) { return l.labelSide; }, kLabelLeft},
      {IDM_TLINE_LABEL_NONE, [](const TrendLine& l) { return l.labelSide; }, kLabelNone},
      {IDM_TLINE_WIDTH_1, [](const TrendLine& l) { return l.width * 10 + gSettings.newTrendLineWidth; }, 11},
  };
  gSelectedTrendLine = 1;
  for (const Case& c : cases) {
    ASSERT_EQ(OnMainCommand(nullptr, c.command), 1) << c.command;
    EXPECT_EQ(c.field(gTrendLines->lines[1]), c.expected) << c.command;
    EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines)) << c.command;
  }
  EXPECT_EQ(gEvaluations, Row(1, 0, 0)) << "judged without a notice or an order";
  EXPECT_EQ(gChanges, 7);
  // Without a selected line nothing changes or is written.
  gSelectedTrendLine = 2;
  std::remove("tline.dat");
  for (const Case& c : cases) EXPECT_EQ(OnMainCommand(nullptr, c.command), 1);
  EXPECT_FALSE(FileExists("tline.dat"));
}

}  // namespace

// Del takes the marked lines, Ctrl+Z brings all of them back marked; both save.
TEST_F(TrendLineStoreTest, DelThenUndoBringsEveryMarkedLineBackMarkedAndSavesBothTimes) {
  Install({Line(NumberCode(1301), Day(5), 1), Line(NumberCode(1302), Day(6), 2), Line(NumberCode(1303), Day(7), 3),
           Line(NumberCode(1304), Day(8), 4)});
  for (int index : {0, 2, 3}) MarkTrendLine(index, 1);
  ASSERT_EQ(OnMainCommand(nullptr, IDM_DELETE), 1);
  EXPECT_EQ(Row(gTrendLines->count, gUndoKind), Row(1, kUndoTrendLines));
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
  std::remove("tline.dat");
  ASSERT_EQ(OnMainCommand(nullptr, IDM_UNDO), 1);
  EXPECT_EQ(Column(&TrendLine::value1), (std::vector<int64_t>{2, 1, 3, 4}));
  EXPECT_EQ(Column(&TrendLine::marked), (std::vector<int64_t>{0, 1, 1, 1}));
  EXPECT_EQ(Row(gTrendLines->markedCount, gUndoKind), Row(3, kUndoNothing));
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines)) << "the restored table is saved";
  ASSERT_EQ(OnMainCommand(nullptr, IDM_UNDO), 1);
  EXPECT_EQ(gTrendLines->count, 4) << "nothing left to undo";
}

// Items 6000 + n flip watched line n; a line never watches nothing.
TEST_F(TrendLineStoreTest, WatchedLineItemsFlipTheirBitAndAnEmptyWordBecomesOneWithABeep) {
  Install({Line(NumberCode(1301), Day(5))});
  gTrendLines->lines[0].watchedLines = 1;
  gSelectedTrendLine = 0;
  const std::tuple<int, uint32_t, size_t> steps[] = {{2, 5, 0}, {0, 4, 0}, {34, 1, 1}, {0, 1, 1}};
  for (const auto& [n, watched, beeps] : steps) {
    TakeRecordedBeeps();
    ASSERT_EQ(OnMainCommand(nullptr, IDM_TLINE_WATCH_FIRST + n), 1);
    EXPECT_EQ(Row(gTrendLines->lines[0].watchedLines, TakeRecordedBeeps().size()), Row(watched, beeps)) << n;
    EXPECT_EQ(gEvaluations, Row(0, 0, 0)) << "judged without a notice";
  }
  EXPECT_EQ(ReadWholeFile("tline.dat"), ImageOf(*gTrendLines));
}
