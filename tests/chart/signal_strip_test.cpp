// The signal strip's look-ups: scenario positions from the mark buffers, and
// the signal kinds of a bar, kept per load.
#include "chart/signal_strip.h"

#include <functional>
#include <memory>

#include "analysis/signal_evaluation.h"
#include "sheets/scenarios.h"
#include "tests/analysis/condition_fixture.h"

namespace {

class SignalStripTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    Listed(1301, kMarketPrime);
    PlaceBars(0, 60);  // closes 100 .. 6000
    IntSeries& rsi = *context_.periods[0].signalInt[kIntRsi0];
    rsi.count = 60;
    for (int i = 0; i < 60; ++i) rsi.values[i] = 100 * i;
    Define(0, kSignalShortBuy, Term(17, kOpGreaterOrEqual, kItemConstant, 30));  // RSI 30 from bar 30
    Define(1, kSignalExitLong, Term(kItemClose, kOpGreater, kItemConstant, 0));
    Define(2, kSignalLossCutLong, Term(kItemClose, kOpGreater, kItemConstant, 0));
    signalFile_.definitions[5].kind = kSignalExitLong;  // beyond the file's three definitions
    Group(10, kSignalLongSell, 3000);                   // from bar 30
    Group(20, kSignalExitShort, 0);
    Group(40, kSignalShortBuy, 1e9);  // never
    ClearScenarioTable();
    signalFile_.scenarios[0] = ScenarioRecord{};
    signalFile_.scenarios[0].valid = 1;  // entered by definition 0
    signalFile_.scenarioCount = 1;
    gScenarioTable.records[1] = ScenarioRecord{};
    gScenarioTable.records[1].valid = 1;
    gScenarioTable.records[1].entrySignal = 40;
    context_.fileMarks[0]->count = context_.tableMarks[1]->count = 60;
  }
  void Define(int k, int32_t kind, ConditionTerm term) {
    SignalDefinition& d = signalFile_.definitions[k];
    d.kind = kind;
    d.marketMask = 0xFFFF;
    d.termCount = 1;
    d.terms[0] = term;
    signalFile_.definitionCount = k + 1;
  }
  void Group(int g, int32_t kind, double closeAbove) {
    SetTerms(gGroupTable->groups[g], 0xFFFF, {Term(kItemClose, kOpGreater, kItemConstant, closeAbove)});
    gGroupTable->groups[g].signalKind = kind;
  }
};

TEST_F(SignalStripTest, ScenarioStateFromFileThenTableMarks) {
  const struct {
    int fileMark, tableMark, kind, bar, expected;
  } cases[] = {
      {-99, 0, kSignalShortBuy, 40, -99},
      {-3, 0, kSignalShortBuy, 40, -3},
      {-98, 0, kSignalShortBuy, 40, 0},
      {-99, -3, kSignalShortBuy, 40, -3},
      {-3, -99, kSignalShortBuy, 40, -3},  // -99 only where nothing is held yet
      {ClosingMarkOfSignal(1), -3, kSignalShortBuy, 40, kScenarioClosedByExit},
      {ClosingMarkOfSignal(2), -3, kSignalShortBuy, 40, kScenarioClosedByLossCut},
      {ClosingMarkOfSignal(5), 0, kSignalShortBuy, 40, 0},  // no such definition in the file
      {0, ClosingMarkOfSignal(20), kSignalShortBuy, 40, kScenarioClosedByExit},
      {0, 127, kSignalShortBuy, 40, 0},   // past the last group
      {-99, -3, kSignalLongBuy, 40, 0},   // entries of another kind
      {-99, -3, kSignalShortBuy, 60, 0},  // beyond the marks
  };
  for (const auto& c : cases) {
    context_.fileMarks[0]->marks[c.bar] = static_cast<int8_t>(c.fileMark);
    context_.tableMarks[1]->marks[c.bar] = static_cast<int8_t>(c.tableMark);
    EXPECT_EQ(ScenarioStateAtBar(context_, c.bar, c.kind), c.expected) << c.fileMark << " " << c.tableMark;
    // The scenarios found once for a paint answer alike for every kind and bar around.
    StripScenarios scenarios;
    FindStripScenarios(context_, &scenarios);
    for (int kind = kSignalShortBuy; kind <= kSignalLongSell; ++kind)
      for (const int bar : {-1, 0, c.bar, 59, 60, kMaxBars})
        EXPECT_EQ(GetStripScenarioState(scenarios, bar, kind), ScenarioStateAtBar(context_, bar, kind))
            << c.fileMark << " " << c.tableMark << " kind " << kind << " bar " << bar;
  }
  context_.tableMarks[1]->marks[40] = -2;
  gSignalSettings = nullptr;
  EXPECT_EQ(ScenarioStateAtBar(context_, 40, kSignalShortBuy), -2) << "no signal file: the table alone";
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
  ForgetSignalStripKinds(cache.get());
  const struct {
    const char* edit;
    std::function<void()> apply;
    uint8_t expected;
  } edits[] = {
      {"none", [] {}, 0b1001},
      {"a series outside the key: the kept kinds", [&] { context_.periods[0].signalInt[kIntRsi0]->values[35] = 0; },
       0b1001},
      {"another group condition", [&] { gGroupTable->groups[10].terms[0].constant = 5000; }, 0b0000},
      {"other bars", [&] { context_.periods[0].bars->bars[35].close = 9000; }, 0b1000},
      {"another definition", [&] { signalFile_.definitions[0].terms[0].constant = 0; }, 0b1001},
  };
  for (const auto& e : edits) {
    e.apply();
    PrepareSignalStripCache(cache.get(), code, context_);
    EXPECT_EQ(GetCachedSignalKinds(cache.get(), code, context_, 35), e.expected) << e.edit;
  }
}

// Kinds worked out from other bars, parameters or conditions would show a
// stale strip: any change of what they are worked out from drops them, and
// nothing else does.
TEST_F(SignalStripTest, KeptKindsAreDroppedExactlyWhenTheirSourceChanges) {
  const StockCode code = NumberCode(1301);
  BarSeries& daily = *context_.periods[0].bars;
  const struct {
    const char* edit;
    std::function<void()> apply;
    bool dropped;
  } edits[] = {
      {"none", [] {}, false},
      {"a series outside the source", [&] { context_.periods[0].signalInt[kIntRsi0]->values[35] = 0; }, false},
      {"the newest bar's close by one yen", [&] { daily.bars[59].close += 1; }, true},
      {"the oldest bar's volume", [&] { daily.bars[0].volume += 1; }, true},
      {"a date", [&] { daily.bars[30].date += 1; }, true},
      {"one more bar", [&] { daily.bars[daily.count++] = daily.bars[59]; }, true},
      {"one bar fewer", [&] { --daily.count; }, true},
      {"weekly parameters", [&] { context_.periods[1].params.slot[0] += 1; }, true},
      {"a strip group's condition", [&] { gGroupTable->groups[10].terms[0].constant += 1; }, true},
      {"a group of no strip kind", [&] { gGroupTable->groups[20].terms[0].constant += 1; }, false},
      {"a group given a strip kind", [&] { gGroupTable->groups[50].signalKind = kSignalLongBuy; }, true},
      {"a definition", [&] { signalFile_.definitions[0].terms[0].constant += 1; }, true},
      {"no signal file", [&] { gSignalSettings = nullptr; }, true},
      {"the signal file again", [&] { gSignalSettings = &signalFile_; }, true},
  };
  auto cache = std::make_unique<SignalStripCache>();
  PrepareSignalStripCache(cache.get(), code, context_);
  for (const auto& e : edits) {
    GetCachedSignalKinds(cache.get(), code, context_, 35);
    ASSERT_NE(cache->kinds[35], 0) << e.edit;
    e.apply();
    PrepareSignalStripCache(cache.get(), code, context_);
    EXPECT_EQ(cache->kinds[35] == 0, e.dropped) << e.edit;
  }
  GetCachedSignalKinds(cache.get(), code, context_, 35);
  PrepareSignalStripCache(cache.get(), NumberCode(1302), context_);
  EXPECT_EQ(cache->kinds[35], 0) << "the chart's stock";
  GetCachedSignalKinds(cache.get(), NumberCode(1302), context_, 35);
  ForgetSignalStripKinds(cache.get());
  EXPECT_EQ(cache->kinds[35], 0) << "forgotten";
}

// A triangle made once for a paint fills the pixels that one worked out for
// its own cell fills, wherever the cell starts and however wide it is.
TEST(SignalStripMarksTest, MadeTrianglesFillWhatEachCellsOwnTriangleFills) {
  for (const bool down : {true, false}) {
    for (int width = 0; width <= 13; ++width) {
      StripTriangle made;
      MakeStripTriangle(width, down, &made);
      for (const int left : {-7, -1, 0, 1, 2, 3, 61, 62, 1917, 1930}) {
        StripBand own, fromMade;
        ResetStripBand(&own, -10, 1945, 0);
        ResetStripBand(&fromMade, -10, 1945, 0);
        const Rect cell = {left, 0, left + width, kStripRowHeight};
        FillStripTriangle(&own, cell, down, 7);
        FillMadeStripTriangle(&fromMade, made, cell, 7);
        ASSERT_EQ(fromMade.pixels, own.pixels) << (down ? "down" : "up") << " width " << width << " left " << left;
      }
    }
  }
  // A cell of another width than the triangle was made for is filled by its own.
  StripTriangle made;
  MakeStripTriangle(6, true, &made);
  StripBand own, fromMade;
  ResetStripBand(&own, 0, 100, 0);
  ResetStripBand(&fromMade, 0, 100, 0);
  FillStripTriangle(&own, {20, 0, 30, kStripRowHeight}, true, 7);
  FillMadeStripTriangle(&fromMade, made, {20, 0, 30, kStripRowHeight}, 7);
  EXPECT_EQ(fromMade.pixels, own.pixels);
}

}  // namespace
