// The signal strip's look-ups: scenario positions from the mark buffers, and
// the signal kinds of a bar, kept per load.
#include "chart/signal_strip.h"

#include <functional>
#include <string>

#include "analysis/signal_evaluation.h"
#include "sheets/scenarios.h"
#include "tests/analysis/condition_fixture.h"

namespace {

constexpr int kBar = 40;

class SignalStripTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    ClearScenarioTable();
    Listed(1301, kMarketPrime);
    PlaceBars(0, 60);  // closes 100 .. 6000
    IntSeries& rsi = *context_.periods[0].signalInt[kIntRsi0];
    rsi.count = 60;
    for (int i = 0; i < 60; ++i) rsi.values[i] = 100 * i;
    Define(0, kSignalShortBuy, {Term(17, kOpGreaterOrEqual, kItemConstant, 30)});  // RSI 30 from bar 30
    Define(1, kSignalExitLong, {});
    Define(2, kSignalLossCutLong, {});
    signalFile_.definitions[5].kind = kSignalExitLong;  // beyond the file's three definitions
    Group(10, kSignalLongSell, {Term(kItemClose, kOpGreater, kItemConstant, 3000)});  // from bar 30
    Group(20, kSignalExitShort, {});
    Group(40, kSignalShortBuy, {Term(kItemClose, kOpGreater, kItemConstant, 1e9)});  // never
    Scenario(&signalFile_.scenarios[0], 0);
    signalFile_.scenarioCount = 1;
    Scenario(&gScenarioTable.records[1], 40);
    for (ScenarioMarkBuffer* marks : {context_.fileMarks[0], context_.tableMarks[1]}) marks->count = 60;
  }
  void TearDown() override {
    ClearScenarioTable();
    ConditionTest::TearDown();
  }
  void Define(int k, int32_t kind, std::initializer_list<ConditionTerm> terms) {
    SignalDefinition& d = signalFile_.definitions[k];
    d.kind = kind;
    d.marketMask = 0xFFFF;
    d.termCount = static_cast<int16_t>(terms.size());
    std::copy(terms.begin(), terms.end(), d.terms);
    signalFile_.definitionCount = k + 1;
  }
  void Group(int g, int32_t kind, std::initializer_list<ConditionTerm> terms) {
    SetTerms(gGroupTable->groups[g], 0xFFFF, terms);
    gGroupTable->groups[g].signalKind = kind;
  }
  static void Scenario(ScenarioRecord* record, int entry) {
    record->valid = 1;
    record->entrySignal = entry;
  }
};

TEST_F(SignalStripTest, ScenarioStateFromFileThenTableMarks) {
  const struct {
    int fileMark, tableMark, kind, expected;
  } cases[] = {
      {-99, 0, kSignalShortBuy, -99},
      {-3, 0, kSignalShortBuy, -3},
      {-98, 0, kSignalShortBuy, 0},
      {-99, -3, kSignalShortBuy, -3},
      {-3, -99, kSignalShortBuy, -3},  // -99 only where nothing is held yet
      {ClosingMarkOfSignal(1), -3, kSignalShortBuy, kScenarioClosedByExit},
      {ClosingMarkOfSignal(2), -3, kSignalShortBuy, kScenarioClosedByLossCut},
      {ClosingMarkOfSignal(5), 0, kSignalShortBuy, 0},  // no such definition in the file
      {0, ClosingMarkOfSignal(20), kSignalShortBuy, kScenarioClosedByExit},
      {0, 127, kSignalShortBuy, 0},  // past the last group
      {-99, -3, kSignalLongBuy, 0},  // entries of another kind
  };
  for (const auto& c : cases) {
    context_.fileMarks[0]->marks[kBar] = static_cast<int8_t>(c.fileMark);
    context_.tableMarks[1]->marks[kBar] = static_cast<int8_t>(c.tableMark);
    EXPECT_EQ(ScenarioStateAtBar(context_, kBar, c.kind), c.expected) << c.fileMark << " " << c.tableMark;
  }
  context_.fileMarks[0]->marks[kBar] = -99;
  context_.tableMarks[1]->marks[kBar] = 0;
  context_.fileMarks[0]->count = kBar;
  EXPECT_EQ(ScenarioStateAtBar(context_, kBar, kSignalShortBuy), 0) << "a bar beyond the marks";
  EXPECT_EQ(ScenarioStateAtBar(context_, kMaxBars, kSignalShortBuy), 0);
  context_.fileMarks[0]->count = 60;
  context_.tableMarks[1]->marks[kBar] = -2;
  gSignalSettings = nullptr;
  EXPECT_EQ(ScenarioStateAtBar(context_, kBar, kSignalShortBuy), -2) << "no signal file: the table alone";
}

TEST_F(SignalStripTest, KindsOfABarAreThoseWithAMatchAndFollowEveryEdit) {
  const StockCode code = NumberCode(1301);
  for (int bar = 0; bar < 61; ++bar) {
    uint8_t counted = 0;
    for (int kind = 1; kind <= 4; ++kind)
      counted |= CountSignalMatchesAtBar(code, context_, bar, kind) > 0 ? 1 << (kind - 1) : 0;
    ASSERT_EQ(SignalKindsAtBar(code, context_, bar), counted) << bar;
  }
  auto cache = std::make_unique<SignalStripCache>();
  cache->key = 0;
  PrepareSignalStripCache(cache.get(), code, context_);
  EXPECT_EQ(GetCachedSignalKinds(cache.get(), code, context_, 35), 0b1001);
  EXPECT_EQ(GetCachedSignalKinds(cache.get(), code, context_, 20), 0);
  const struct {
    const char* edit;
    std::function<void()> apply;
    uint8_t expected;
  } edits[] = {
      {"a series outside the key: still the kept kinds",
       [&] { context_.periods[0].signalInt[kIntRsi0]->values[35] = 0; }, 0b1001},
      {"another group condition", [&] { gGroupTable->groups[10].terms[0].constant = 5000; }, 0b0000},
      {"another kind of group", [&] { gGroupTable->groups[40].terms[0].constant = 0; }, 0b0001},
      {"other bars", [&] { context_.periods[0].bars->bars[35].close = 9000; }, 0b1001},
      {"another definition",
       [&] {
         signalFile_.definitions[0].kind = kSignalShortSell;
         signalFile_.definitions[0].terms[0].constant = 0;
       },
       0b1101},
  };
  for (const auto& e : edits) {
    e.apply();
    PrepareSignalStripCache(cache.get(), code, context_);
    EXPECT_EQ(GetCachedSignalKinds(cache.get(), code, context_, 35), e.expected) << e.edit;
  }
}

// A band of 12 columns from x = 100 with one cell drawn at `cellLeft`, as rows of '#' and '.'.
std::string BandWith(int cellLeft, int cellWidth, int shape) {
  StripBand band;
  ResetStripBand(&band, 100, 12, 0);
  const Rect cell = {cellLeft, 0, cellLeft + cellWidth, kStripRowHeight};
  if (shape == 0) FillStripCell(&band, cell, 1);
  if (shape != 0) FillStripTriangle(&band, cell, shape < 0, 1);
  std::string rows;
  for (size_t i = 0; i < band.pixels.size(); ++i)
    rows += std::string(band.pixels[i] != 0 ? "#" : ".") + (i % 12 == 11 ? "|" : "");
  return rows;
}

TEST(SignalStripMarksTest, TrianglesAndCellsInTheirBarsSlot) {
  const struct {
    int left, width, shape;  // shape: -1 down, 1 up, 0 cell
    const char* pixels;
  } cases[] = {
      {101, 10, -1, ".#########..|..#######...|...#####....|.....#......|"},
      {101, 10, 1, ".....#......|...#####....|..#######...|.#########..|"},
      {101, 6, 1, "...#........|..###.......|..###.......|.#####......|"},
      {108, 6, -1, "........####|.........###|.........###|..........#.|"},  // cut at the band's edge
      {95, 6, 0, "#...........|#...........|#...........|#...........|"},
  };
  for (const auto& c : cases) EXPECT_EQ(BandWith(c.left, c.width, c.shape), c.pixels) << c.left << " " << c.shape;
}

}  // namespace
