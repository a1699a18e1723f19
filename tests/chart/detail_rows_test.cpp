// The rows of the detail list and window: each pane kind's rows at a bar,
// the date line, the cursor row, the signal and scenario rows, the bound of
// the table and the window size.
#include "chart/detail_rows.h"

#include <string>

#include "analysis/indicator_params.h"
#include "data/stock_table.h"
#include "records/palette_slots.h"
#include "sheets/scenarios.h"
#include "tests/analysis/condition_fixture.h"
#include "tests/support/row.h"

namespace {

class DetailRowsTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    Listed(1301, kMarketPrime).liveTime = kLiveTimeFinished;
    PlaceBars(0, 120);  // closes 100 .. 12000
    context_.periods[0].params = GetDefaultIndicatorParameters(0);
    view_.stockCode = NumberCode(1301);
    view_.paneCount = 1;
    ClearScenarioTable();
  }
  // "label=value" of every row, the date line first when the list shows it.
  std::string Rows(int kind, uint32_t flags, int bar, bool forWindow = false, bool cursor = false,
                   int32_t cursorValue = 0) {
    view_.paneKinds[0] = static_cast<uint32_t>(kind);
    view_.paneFlags[0] = flags;
    const DetailSource source = {&view_, &context_, 0, bar, forWindow, cursor, cursorValue, forecast_};
    BuildDetailRows(source, &rows_);
    std::string text = rows_.caption[0] != 0 ? std::string("[") + rows_.caption + "]" : "";
    for (int i = 0; i < rows_.count; ++i) text += std::string(" ") + rows_.rows[i].label + "=" + rows_.rows[i].value;
    return text;
  }
  void FillInt(int slot, std::initializer_list<int32_t> values) {
    IntSeries& series = Int(0, slot, 120);
    int i = 0;
    for (int32_t v : values) series.values[i++] = v;
  }

  ChartView view_{};
  DetailRows rows_{};
  int forecast_ = 0;
};

TEST_F(DetailRowsTest, EachPaneKindShowsItsLinesAtTheBar) {
  FillInt(kIntMacdLine, {10, 20});
  FillInt(kIntMacdSignal, {5, 7});
  FillInt(kIntMacdDifference, {5, 0});  // DIFF falls by 0.05
  FillInt(kIntRsi0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5000});
  Int(0, kIntDeviation0, 120).values[24] = -5;
  Real(0, kRealCloseAverage0, 120).values[4] = 1234.56;
  Real(0, kRealIchimokuSpanA, 120).values[100] = 9876.4;
  Real(0, kRealIchimokuSpanB, 120).values[100] = 1.5;
  const struct {
    const char* what;
    int kind;
    uint32_t flags;
    int bar;
    std::string expected;
  } cases[] = {
      {"MACD at the first bar: no change of DIFF yet", kPaneMacd, 0, 0, "[2024/1/1] MACD=0.10 SIG=0.05 DIFF=0.05"},
      {"MACD at bar 1: DIFF(1) - DIFF(0)", kPaneMacd, 0, 1, "[2024/1/2] MACD=0.20 SIG=0.07 DIFF=0.00 DIFF-DELTA=-0.05"},
      {"a first bar has no change rows", kPaneCandles, 0, 0, "[2024/1/1] 始=100 高=110 安=90 終=100 V=1,000"},
      {"the change to the previous close and its percentage; a 5-day average from bar 4", kPaneCandles, 1, 4,
       "[2024/1/5] 始=500 高=550 安=450 終=500 =+100 =+25.00% V=5,000 5日平均=1,234.5"},
      {"the last bar of a finished day", kPaneVolume, 0, 119, "[2024/4/29 確定] V=120,000"},
      {"an RSI line only once its period is reached", kPaneRsi, 1, 12, "[2024/1/13]"},
      {"an RSI line from the bar its period ends on", kPaneRsi, 1, 14, "[2024/1/15] 14日=50.00"},
      {"-5 hundredths keep their sign", kPaneDeviation, 1, 24, "[2024/1/25] 6日=-0.05"},
      // Past the last bar (2024/4/29) the dates go on by trading days, over the May holidays.
      {"Ichimoku past the data: the leading spans 25 bars back", kPaneIchimoku, 0, 125,
       "[2024/5/9] 先行スパン１=9,876 先行スパン２=2"},
      {"Ichimoku too far past the data", kPaneIchimoku, 0, 145, "[2024/6/6]"},
      {"candles past the data", kPaneCandles, 1, 125, "[2024/5/9]"},
  };
  for (const auto& c : cases) EXPECT_EQ(Rows(c.kind, c.flags, c.bar), c.expected) << c.what;
}

TEST_F(DetailRowsTest, TheWindowKeepsTheDateLineAndASeparatedCursorRow) {
  forecast_ = 2;
  EXPECT_EQ(Rows(kPaneVolume, 0, 118, true, true, 123456), " 2024/4/28 予想= V=119,000 ----=  ★指示値=123,456");
  EXPECT_EQ(rows_.paneKind, kPaneVolume);
  forecast_ = 0;
  gStockTable->records[0].liveTime = MakePackedTime(9, 5, 30);
  EXPECT_EQ(Rows(kPaneRsi, 0, 119, false, true, -5), "[2024/4/29 09:05:30] ★指示値=-0.05");
  EXPECT_NE(Rows(kPaneCandles, 0, 119).find(" 現=12,000 "), std::string::npos) << "the live price";

  // The window's size: label and value with 10 pixels between them, 4 round them.
  const auto measure = [](void*, const char* text) { return 6 * static_cast<int>(strlen(text)); };
  Rows(kPaneVolume, 0, 50, true);
  const DetailSize size = MeasureDetailRows(rows_, measure, nullptr, 12);
  EXPECT_EQ(Row(size.width, size.height), Row(6 * 9 + 10 + 8, 2 * 12 + 8));  // "2024/2/20" is the widest
}

// Every signal of every kind and every scenario of the file and the table
// fire at once: far more than the table holds.
TEST_F(DetailRowsTest, EverythingFiringFillsTheTableAndNoMore) {
  for (int g = 0; g < kGroupCount; ++g) {
    SetTerms(gGroupTable->groups[g], 0xFFFF, {Term(kItemClose, kOpGreater, kItemConstant, 0)});
    gGroupTable->groups[g].signalKind = 1 + g % 4;
    memset(gGroupTable->groups[g].name, 0, kGroupNameSize);
  }
  // A name filling its whole field, a lead byte last (the field after it
  // is not zero): cut before the lead byte.
  char* name = gGroupTable->groups[3].name;
  name[0] = 'a';
  for (int i = 1; i + 1 < kGroupNameSize; i += 2) memcpy(name + i, "あ", 2);
  name[kGroupNameSize - 1] = '\x82';
  for (int s = 0; s < kScenarioSlots; ++s) {
    for (ScenarioRecord* scenario : {&signalFile_.scenarios[s], &gScenarioTable.records[s]}) {
      memset(scenario->name, 'S', kScenarioNameSize);  // no end within the field
      scenario->valid = 1;
    }
    context_.fileMarks[s]->count = context_.tableMarks[s]->count = 120;
    context_.fileMarks[s]->marks[60] = context_.tableMarks[s]->marks[60] = -99;
  }
  Rows(kPaneCandles, 0xFFFFFFFF, 60, true, true, 100);
  ASSERT_EQ(rows_.count, kMaxDetailRows);
  EXPECT_EQ(std::string(rows_.rows[kMaxDetailRows - 1].label), "▼▼") << "the first pass fills the rest";
  EXPECT_TRUE(rows_.rows[kMaxDetailRows - 1].markLabel) << "a narrow column keeps the mark";
  int cutNames = 0;
  for (int i = 0; i < rows_.count; ++i) {
    if (rows_.rows[i].value[0] != 'a') continue;  // group 3's name, the others are empty
    EXPECT_EQ(strlen(rows_.rows[i].value), static_cast<size_t>(kGroupNameSize - 1));
    ++cutNames;
  }
  EXPECT_EQ(cutNames, 1);
  // Without the price rows the scenarios come in, each name cut to its field.
  signalFile_.definitionCount = 0;
  for (int g = 0; g < kGroupCount; ++g) gGroupTable->groups[g].signalKind = kSignalNone;
  Rows(kPaneIchimoku, 0, 60, false, true, 100);
  ASSERT_EQ(rows_.count, kMaxDetailRows);
  EXPECT_EQ(Row(strlen(rows_.rows[kMaxDetailRows - 1].label), rows_.rows[kMaxDetailRows - 1].colorSlot),
            Row(kScenarioNameSize, kColorNumberEven));
  EXPECT_EQ(std::string(rows_.rows[kMaxDetailRows - 1].value), "ホールド中");
  EXPECT_FALSE(rows_.rows[kMaxDetailRows - 1].markLabel) << "a scenario keeps its state, not its name";
}

// Six pixels a byte: a full-width character is twelve.
int SixPerByte(void*, const char* text) { return 6 * static_cast<int>(strlen(text)); }

TEST(DetailRowFitTest, ALabelGivesWayToItsValueAndASignalsNameToItsMark) {
  const struct {
    const char *label, *value;
    bool mark;
    int width, labelBytes, valueBytes;
  } cases[] = {
      {"5日平均", "11,796.0", false, 96, 7, 8},   // both fit with the gap
      {"5日平均", "11,796.0", false, 95, 5, 8},   // one pixel short: cut after a whole character
      {"ab漢字", "1", false, 31, 2, 1},           // before a full-width character that does not fit
      {"OBV", "-123,456,789", false, 60, 0, 12},  // a value wider than the column
      {"▲▲", "グループ名前", true, 60, 4, 4},     // the mark stays and the name is cut
      {"▼", "グループ", true, 16, 2, 0},          // no room for a name
      {"2026/12/4 確定", "", false, 20, 14, 0},   // the date line has no value to give way to
  };
  for (const auto& c : cases) {
    DetailRow row{};
    snprintf(row.label, sizeof row.label, "%s", c.label);
    snprintf(row.value, sizeof row.value, "%s", c.value);
    row.markLabel = c.mark;
    const DetailRowFit fit = FitDetailRow(row, c.width, 6, SixPerByte, nullptr);
    EXPECT_EQ(Row(fit.labelBytes, fit.valueBytes), Row(c.labelBytes, c.valueBytes)) << c.label << " " << c.width;
  }
}

TEST(DetailRowFitTest, RowsThatWouldReachThePanesBottomLineAreLeftOut) {
  // Rows, height, line height: rows shown. 4 inset + 3 rows of 12 + the frame line fill 41.
  const int cases[][4] = {{10, 41, 12, 3}, {10, 40, 12, 2}, {2, 41, 12, 2},
                          {10, 4, 12, 0},  {10, 100, 0, 0}, {0, 100, 12, 0}};
  for (const auto& c : cases) EXPECT_EQ(CountDetailRowsFitting(c[0], c[1], c[2], 4), c[3]) << c[1];
}

TEST_F(DetailRowsTest, ScenarioStatesAndExitKinds) {
  const struct {
    int mark, closingKind;
    const char* expected;
  } cases[] = {
      {0, kSignalExitLong, nullptr},       {-99, 0, "ホールド中"},
      {-98, 0, "翌始値でエントリ"},        {-8, 0, "翌始値で返済"},
      {-6, 0, "翌日始値で利食い"},         {-2, 0, "翌終値で返済"},
      {3, kSignalExitShort, "売玉の返済"}, {3, kSignalLossCutLong, "買玉の損切"},
      {3, kSignalShortBuy, nullptr},
  };
  for (const auto& c : cases) {
    const char* text = ScenarioStateText(c.mark, c.closingKind);
    EXPECT_EQ(std::string(text != nullptr ? text : "none"), std::string(c.expected != nullptr ? c.expected : "none"))
        << c.mark;
  }
}

}  // namespace
