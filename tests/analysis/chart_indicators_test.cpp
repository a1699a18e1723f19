// Filling a chart context: chart series, signal series (copied or computed
// with the signal file's parameters) and the back-test switch.
#include "analysis/chart_indicators.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kernels.h"
#include "analysis/signal_settings.h"
#include "chart/chart_context.h"
#include "data/period_bars.h"
#include "data/stock_table.h"
#include "shell/settings.h"
#include "tests/support/chart_test_support.h"
#include "tests/support/global_state.h"
#include "tests/support/kernel_series.h"
#include "tests/support/row.h"

namespace {

constexpr PackedDate kFirstDay = MakePackedDate(2012, 1, 4);
constexpr int kBars = 900;
constexpr int kTradingUnitA = 100;

const StockCode kCodeA = StringToCode("3001");
const StockCode kCodeB = StringToCode("3002");
const StockCode kUnlistedCode = StringToCode("3999");

// Random-walk bars on consecutive weekdays.
std::unique_ptr<BarSeries> DailyBars(StockCode code, int count, uint32_t seed) {
  auto bars = kernel_test::MakeBars(kernel_test::BarsKind::kRandomWalk, count, seed);
  bars->code = code;
  for (int i = 0, day = 0; i < count; ++i, ++day) {
    while (GetDayOfWeek(AddCalendarDays(kFirstDay, day)) % 6 == 0) ++day;
    bars->bars[i].date = AddCalendarDays(kFirstDay, day);
  }
  return bars;
}

// What the loaders do: daily bars, and (but for a back-test) the weekly and monthly bars built from them.
void PlaceBars(ChartContext* context, const BarSeries& daily, bool dailyOnly = false) {
  PeriodSeriesBlock* blocks = context->periods;
  *blocks[0].rawBars = *blocks[0].bars = daily;
  if (dailyOnly) return;
  BuildWeeklyBars(daily, blocks[1].bars);
  BuildMonthlyBars(daily, blocks[2].bars);
  for (int p : {1, 2}) *blocks[p].rawBars = *blocks[p].bars;
}

class ChartIndicatorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AllocateStockTable());
    for (StockCode code : {kCodeA, kCodeB}) {
      StockRecord& record = gStockTable->records[gStockTable->count++];
      record = StockRecord{};
      record.master.code = code;
      record.master.tradingUnit = code == kCodeA ? kTradingUnitA : 1;
    }
    ResetStockLookupCache();
    file_ = std::make_unique<SignalSettingsFile>();
    file_->tag = kSignalSettingsTag;
    file_->definitionCount = 1;
    for (int p = 0; p < kPeriodCount; ++p) {
      file_->params[p] = gIndicatorParams[p];
      for (int entry = 0; entry <= kUseAdvanceDecline; ++entry) file_->useFlags[p].flags[entry] = 1;
    }
  }

  void Compute(StockCode code, ChartContext* context) { ComputeChartIndicators(code, context, scratch_.set); }
  // Stock A's bars of every period (only the daily ones for a back-test) computed under the signal file.
  void ComputeStockA(ChartContext* context, SignalSettingsFile* file, bool dailyOnly = false) {
    PlaceBars(context, *stockA_, dailyOnly);
    gSignalSettings = file;
    Compute(kCodeA, context);
  }
  // Stock B computed with every series of a signal file of other parameters.
  void ComputeOtherStock(ChartContext* context) {
    SignalSettingsFile other = *file_;
    for (IndicatorParameterSet& set : other.params)
      for (int slot = 0; slot <= kParamAdvanceDecline; ++slot)
        set.slot[slot] = static_cast<uint16_t>(set.slot[slot] + 3);
    gSignalSettings = &other;
    PlaceBars(context, *stockB_);
    Compute(kCodeB, context);
    gSignalSettings = nullptr;
  }

  ScopedGlobalState globals_;
  kernel_test::ScratchHolder scratch_{0};
  std::unique_ptr<SignalSettingsFile> file_;
  std::unique_ptr<BarSeries> stockA_ = DailyBars(kCodeA, kBars, 11);
  std::unique_ptr<BarSeries> stockB_ = DailyBars(kCodeB, kBars + 137, 29);
};

TEST_F(ChartIndicatorsTest, SameStockGivesTheSameSeriesWhateverTheContextHeldBefore) {
  OwnedContext fresh, used;
  ComputeStockA(&fresh.context, nullptr);
  ComputeOtherStock(&used.context);
  ComputeStockA(&used.context, nullptr);
  EXPECT_EQ(ContextDifferences(fresh.context, used.context), "") << "without a signal file";
  // A file that flags a few series only.
  for (SeriesUseFlags& flags : file_->useFlags) {
    flags = SeriesUseFlags{};
    flags.flags[kUseRsi0 + 1] = flags.flags[kUseMacd] = flags.flags[kUseBollinger] = 1;
  }
  file_->params[0].slot[kParamBollinger] = 20;
  OwnedContext freshWithFile;
  ComputeStockA(&freshWithFile.context, file_.get());
  const PeriodSeriesBlock& daily = freshWithFile.context.periods[0];
  EXPECT_EQ(Row(daily.signalInt[kIntRsi0]->count, daily.signalInt[kIntRsi0 + 1]->count), Row(0, kBars))
      << "only the flagged series";
  ComputeOtherStock(&used.context);
  ComputeStockA(&used.context, file_.get());
  EXPECT_EQ(ContextDifferences(freshWithFile.context, used.context), "") << "with a signal file";
}

TEST_F(ChartIndicatorsTest, WithoutSignalFileOnlyTheIchimokuSignalSeriesRemain) {
  OwnedContext context;
  ComputeOtherStock(&context.context);
  file_->definitionCount = 0;  // a file without definitions counts as none
  ComputeStockA(&context.context, file_.get());
  for (const PeriodSeriesBlock& block : context.context.periods) {
    for (int i = 0; i < kIntSlotCount; ++i) EXPECT_EQ(block.signalInt[i]->count, 0) << "int " << i;
    for (int i = 0; i < kRealSlotCount; ++i) {
      const bool ichimoku = i >= kRealIchimokuConversion && i <= kRealIchimokuLagging;
      EXPECT_EQ(block.signalReal[i]->count, ichimoku ? block.bars->count : 0) << "real " << i;
      EXPECT_TRUE(!ichimoku || SameReal(*block.signalReal[i], *block.chartReal[i])) << "real " << i;
    }
  }
}

// Whatever is copied and whatever is computed, a signal series is the chart
// series that the file's parameters would give.
TEST_F(ChartIndicatorsTest, SignalSeriesAreTheChartSeriesOfTheFilesParameters) {
  // A name, and parameter slots with their values in the file.
  const std::vector<std::pair<const char*, std::vector<std::pair<int, int>>>> mixes = {
      {"every period other", {}},
      {"every parameter equal: all copied", {{kParamBollinger, 25}}},
      {"MACD short and signal equal", {{kParamMacdLong, 30}}},
      {"MACD long equal", {{kParamMacdShort, 10}}},
      {"+DI equal, -DI and ADX other", {{kParamMinusDi, 9}, {kParamAdx, 20}}},
      {"-DI equal", {{kParamPlusDi, 7}}},
      {"DI equal, ADX other", {{kParamAdx, 6}}},
      {"stochastics %D other", {{kParamStochD, 5}}},
      {"OBV average other", {{kParamObvEma, 20}}},
      {"S-ROC span other", {{kParamSrocSpan, 10}}},
      {"RSI lines swapped", {{kParamRsi0, 27}, {kParamRsi0 + 2, 14}, {kParamRsi0 + 1, 99}}},
      {"deviation second average set", {{kParamDeviationSecond0, 5}, {kParamDeviationSecond0 + 1, 2}}},
      {"zero periods and long RCI",
       {{kParamCloseAverage0, 0},
        {kParamVolumeAverage0, 0},
        {kParamRci0, 999},
        {kParamRci0 + 1, 0},
        {kParamBollinger, 0}}},
  };
  for (const auto& [name, slots] : mixes) {
    SCOPED_TRACE(name);
    for (int p = 0; p < kPeriodCount; ++p) {
      file_->params[p] = gIndicatorParams[p];
      for (int slot = 0; slots.empty() && slot < kParamAdvanceDecline; ++slot)
        file_->params[p].slot[slot] = static_cast<uint16_t>(slot % 7 + 2);
      for (const auto& [slot, value] : slots) file_->params[p].slot[slot] = static_cast<uint16_t>(value);
    }
    OwnedContext withFile, reference;
    ComputeStockA(&withFile.context, file_.get());
    const SettingsBlock saved = gSettings;
    for (int p = 0; p < kPeriodCount; ++p) gIndicatorParams[p] = file_->params[p];
    ComputeStockA(&reference.context, nullptr);
    gSettings = saved;
    for (int p = 0; p < kPeriodCount; ++p)
      EXPECT_EQ(SignalAgainstChart(withFile.context.periods[p], reference.context.periods[p]), "") << "period " << p;
  }
}

// The back-test builds no weekly or monthly bars for a stock it does not need them of.
TEST_F(ChartIndicatorsTest, BackTestComputesTheNeededDailySeriesOnlyWhateverTheContextHeldBefore) {
  OwnedContext fresh, used, untouched, reference;
  ComputeOtherStock(&used.context);
  ComputeOtherStock(&untouched.context);
  gComputeNeededOnly = 1;
  gNeededPeriods[0] = 1;
  gNeededSeries[0].flags[kUseRsi0] = gNeededSeries[0].flags[kUseMacd] = gNeededSeries[0].flags[kUseDmi] = 1;
  gNeededSeries[0].flags[kUsePriceAverage0 + 2] = 1;
  ComputeStockA(&fresh.context, file_.get(), true);
  ComputeStockA(&used.context, file_.get(), true);
  EXPECT_EQ(BlockDifferences(fresh.context.periods[0], used.context.periods[0]), "");
  for (int p : {1, 2}) EXPECT_EQ(BlockDifferences(used.context.periods[p], untouched.context.periods[p]), "") << p;
  const PeriodSeriesBlock& daily = used.context.periods[0];
  // The needed series (and Ichimoku, always), no others.
  EXPECT_EQ(Row(daily.chartInt[kIntRsi0]->count, daily.chartInt[kIntMacdLine]->count,
                daily.chartReal[kRealIchimokuBase]->count, daily.chartReal[kRealCloseAverage0 + 2]->count,
                daily.chartInt[kIntRsi0 + 1]->count, daily.chartReal[kRealCloseAverage0]->count,
                daily.chartInt[kIntObv]->count),
            Row(kBars, kBars, kBars, kBars, 0, 0, 0));
  // The file wants every series with the chart's parameters: those whose
  // chart series were left out are computed, not copied.
  gComputeNeededOnly = 0;
  ComputeStockA(&reference.context, file_.get());
  EXPECT_EQ(SignalAgainstChart(daily, reference.context.periods[0]), "");
}

TEST_F(ChartIndicatorsTest, ObvUsesTheStocksTradingUnitOrTheDefault) {
  auto expected = std::make_unique<IntSeries>(), other = std::make_unique<IntSeries>();
  ComputeObv(*stockA_, expected.get(), kTradingUnitA, scratch_.set);
  ComputeObv(*stockA_, other.get(), 1000, scratch_.set);
  ASSERT_FALSE(SameInt(*expected, *other));
  OwnedContext context;
  ComputeStockA(&context.context, nullptr);
  EXPECT_TRUE(SameInt(*context.context.periods[0].chartInt[kIntObv], *expected));
  Compute(kUnlistedCode, &context.context);
  EXPECT_TRUE(SameInt(*context.context.periods[0].chartInt[kIntObv], *other));
}

TEST_F(ChartIndicatorsTest, PeriodsOutOfRangeAreBroughtIntoRange) {
  for (IndicatorParameterSet& set : gIndicatorParams) {
    for (uint16_t& slot : set.slot) slot = 0;
    for (int line = 0; line < 3; ++line) set.slot[kParamRci0 + line] = 60000;
  }
  for (IndicatorParameterSet& set : file_->params)
    for (uint16_t& slot : set.slot) slot = 65535;
  OwnedContext context;
  ComputeStockA(&context.context, file_.get());
  for (const PeriodSeriesBlock& block : context.context.periods)
    for (int i = 0; i < kIntSlotCount; ++i)
      EXPECT_EQ(Row(block.chartInt[i]->count, block.signalInt[i]->count), Row(block.bars->count, block.bars->count))
          << i;
  auto rci = std::make_unique<IntSeries>();
  ComputeRci(*stockA_, rci.get(), kMaxRciPeriod);
  EXPECT_TRUE(SameInt(*context.context.periods[0].chartInt[kIntRci0], *rci));
}

}  // namespace
