// The averaging-down ladder: totals, the sub-menu, steps edited through a
// scripted step dialog, releases, resets and the commands' choice of stock.
#include "analysis/position_tracker.h"

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/trend_line_store.h"
#include "common/command_ids.h"
#include "common/string_ids.h"
#include "net/order_link.h"
#include "platform/posix_recorder.h"
#include "records/screen_pattern_record.h"
#include "tests/support/price_store.h"
#include "tests/support/row.h"

namespace {

std::function<int(StepDialog*)> gDialogScript;
std::vector<int64_t> gOrders;  // line, shares and price as the order link saw them
std::vector<int32_t> gRemovedOrders;

class TrackerTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_TRUE(AllocTrendLineTables());
    Stock(1001, kMarketIdIndices, 1);  // the table is in code order
    b_ = Stock(6758, 1, 100);
    a_ = Stock(7203, 1, 100);
    gDialogScript = [](StepDialog*) { return int{kStepCancelled}; };
    gOrders.clear();
    gRemovedOrders.clear();
    gTrackerHooks.runStepDialog = [](StepDialog* d) { return gDialogScript(d); };
    gTrackerHooks.placeOrder = [](int line) {
      const TrendLine& l = gTrendLines->lines[line];
      gOrders.insert(gOrders.end(), {line, l.buyShares, l.value2});
      return int32_t{1};
    };
    gTrackerHooks.removeOrderList = [](int32_t number) { gRemovedOrders.push_back(number); };
  }
  StockCode Stock(int number, int market, int unit) {
    StockRecord& stock = AddStock(NumberCode(number));
    stock.master.marketId = static_cast<uint16_t>(market);
    stock.master.tradingUnit = static_cast<int16_t>(unit);
    return stock.master.code;
  }
  // A horizontal candle-pane line at the price.
  static int Line(StockCode code, int32_t price, int32_t buyRole = 0, int32_t buyShares = 0, int32_t shortRole = 0) {
    TrendLine& line = gTrendLines->lines[gTrendLines->count];
    line = TrendLine{};
    line.code = code;
    line.value1 = line.value2 = price;
    line.buyRole = buyRole;
    line.buyShares = buyShares;
    line.shortRole = shortRole;
    return gTrendLines->count++;
  }
  static TrendLine& At(int line) { return gTrendLines->lines[line]; }
  static int Command(int line, int command) {
    gSelectedTrendLine = line;
    return RunTrackerCommand(command);
  }
  // A new buy step on a fresh line with the edits' texts as typed, confirmed with Enter.
  TrendLine& TypedStep(const char* shares, const char* price) {
    const int line = Line(a_, 1000);
    gDialogScript = [=](StepDialog* d) {
      return int{AcceptStepDialogValues(d, shares, price) ? kStepConfirmed : kStepCancelled};
    };
    Command(line, IDM_TRACKER_BUY_STEP);
    return At(line);
  }
  StockCode a_ = 0, b_ = 0;
};

TEST_F(TrackerTest, TheLadderTotalsOnlyHorizontalPriceLinesOfTheStock) {
  const int first = Line(a_, 1000, 1, 100);
  Line(a_, 900, 2, 200);
  const int close = Line(a_, 1200, kTrackerCloseLine);
  At(Line(a_, 800, 3, 300)).value1 = 700;         // not horizontal
  At(Line(a_, 800, 3, 300)).paneKind = kPaneRsi;  // not a price pane
  Line(b_, 500, 1, 100);
  At(first).autoOrderState = kAutoOrderArmed;
  CollectPellomaticLines(a_);
  const PellomaticSideSummary& buy = gPellomaticSummary.buySide;
  int64_t average = -1;
  EXPECT_TRUE(AveragePrice(buy, &average));
  EXPECT_EQ(Row(buy.stepCount, buy.totalShares, buy.totalAmount, average, buy.closeLine, buy.stopLossLine,
                buy.firstStateLine),
            Row(2, 300, 280000, 933, close, -1, first));
  EXPECT_FALSE(AveragePrice(gPellomaticSummary.shortSide, &average)) << "no shares: nothing divided";
  EXPECT_EQ(average, 933);
}

TEST_F(TrackerTest, TheLargestShareCountIsAWholeNumberOfUnits) {
  EXPECT_EQ(Row(RoundSharesToUnit(20000000, 3), StepSharesByUnit(9999999, 1, 3)), Row(9999999, 9999999));
}

TEST_F(TrackerTest, EnterStoresRoundedSharesAndATickPriceAndRefusesNoPrice) {
  // Typed shares and price, then the stored shares and price (1000 untouched, 0 shares: refused).
  for (const auto& [shares, price, storedShares, storedPrice] :
       std::vector<std::tuple<const char*, const char*, int, int>>{{"250", "1000", 300, 1000},
                                                                   {"249", "3003", 200, 3005},
                                                                   {"50", "0", 100, 1},
                                                                   {"20000000", "2,000,000,000", 10000000, 1000000000},
                                                                   {"100", "", 0, 1000},
                                                                   {"100", "12a", 0, 1000}}) {
    const TrendLine& line = TypedStep(shares, price);
    EXPECT_EQ(Row(line.buyShares, line.value1, line.value2), Row(storedShares, storedPrice, storedPrice))
        << shares << " @ " << price;
    At(gTrendLines->count - 1).buyRole = 0;  // the next case is step 1 again
  }
}

TEST_F(TrackerTest, OkAndOrderNowValidateAgainWhateverTheEditsLeft) {
  gAutoOrderEnabled = 1;
  for (int result : {int{kStepConfirmed}, int{kStepOrderNow}}) {
    const int line = Line(a_, 1000);
    gDialogScript = [=](StepDialog* d) {
      d->shares = 250;  // never rounded: Enter skips leaving the edits
      d->price = result == kStepConfirmed ? 0 : 3003;
      return result;
    };
    Command(line, IDM_TRACKER_BUY_STEP);
    EXPECT_EQ(Row(At(line).buyShares, At(line).value2), Row(300, result == kStepConfirmed ? 1 : 3005));
    At(line).buyRole = 0;
  }
  EXPECT_EQ(gOrders, Row(1, 300, 3005)) << "one order, of whole units at a tick";
  gAutoOrderEnabled = 0;
  gDialogScript = [](StepDialog*) { return int{kStepOrderNow}; };
  Command(Line(a_, 1000), IDM_TRACKER_BUY_STEP);
  EXPECT_EQ(gOrders.size(), 3u) << "no order with automatic ordering off";
}

TEST_F(TrackerTest, ReleasingAStepRenumbersAndTheLastOneClearsTheSide) {
  for (int steps : {3, 1}) {
    gTrendLines->count = 0;
    std::vector<int> lines;
    for (int s = 1; s <= steps; ++s) lines.push_back(Line(a_, 1000 - s, s, 100));
    const int close = Line(a_, 1200, kTrackerCloseLine), stop = Line(a_, 900, kTrackerStopLossLine);
    const int other = Line(a_, 950, 0, 0, 1);  // a short step stays
    At(lines[0]).autoOrderState = kAutoOrderArmed;
    gDialogScript = [](StepDialog*) { return int{kStepReleased}; };
    Command(lines[0], IDM_TRACKER_BUY_STEP);
    std::vector<int64_t> roles;
    for (int line : lines) roles.push_back(At(line).buyRole);
    roles.insert(roles.end(), {At(close).buyRole, At(stop).buyRole, At(other).shortRole, At(lines[0]).autoOrderState});
    EXPECT_EQ(roles, steps == 3 ? Row(0, 1, 2, -1, -2, 1, 0) : Row(0, 0, 0, 1, 0)) << steps << " steps";
  }
}

TEST_F(TrackerTest, AmountsAreSixtyFourBitWithSeparators) {
  StepDialog dialog{};
  dialog.side = kTrackerBuy;
  char cash[64], margin[64];
  FormatPellomaticAmounts(dialog, 10000000, 1000000, cash, margin, sizeof cash);
  EXPECT_EQ(std::string(cash) + margin, "10,000,000,000,000円(現物)3,000,000,000,000円(信用)");
  dialog.isIndex = true;
  FormatPellomaticAmounts(dialog, 100, 1000, cash, margin, sizeof cash);
  EXPECT_EQ(std::string(cash) + margin, " -  - ");
}

TEST_F(TrackerTest, CommandsActOnTheSelectedLinesStockNotTheLastPainted) {
  const int aStep = Line(a_, 1000, 1, 100), aPlain = Line(a_, 1100);
  const int bStep = Line(b_, 500, 1, 100), bClose = Line(b_, 600, kTrackerCloseLine);
  CollectPellomaticLines(b_);  // B's chart painted last
  Command(aPlain, IDM_TRACKER_BUY_CLOSE);
  EXPECT_EQ(At(aPlain).buyRole, kTrackerCloseLine) << "A has no close line yet";
  CollectPellomaticLines(b_);
  QueueMessageBoxAnswer(kIdYes);
  Command(aPlain, IDM_TRACKER_CLEAR);
  EXPECT_EQ(Row(At(aStep).buyRole, At(aPlain).buyRole, At(bStep).buyRole, At(bClose).buyRole), Row(0, 0, 1, -1));
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].flags, kMbYesNo | kMbIconQuestion);
  // Saved at once: the file holds the cleared roles.
  const std::vector<uint8_t> file = ReadWholeFile("tline.dat");
  ASSERT_EQ(file.size(), sizeof(TrendLineTable));
  EXPECT_EQ(reinterpret_cast<const TrendLineTable*>(file.data())->lines[aStep].buyRole, 0);
}

TEST_F(TrackerTest, AResetStaysWhenTheDialogIsConfirmed) {
  const int line = Line(a_, 1000, 1, 100);
  At(line).autoOrderState = kAutoOrderPlaced;
  At(line).reached = 1;
  At(line).orderNumber = 77;
  gDialogScript = [](StepDialog* d) {
    EXPECT_TRUE(GetStepOrderControls(*d).reset);
    ResetStepOrder(d);
    EXPECT_FALSE(GetStepOrderControls(*d).reset);
    return int{kStepConfirmed};
  };
  Command(line, IDM_TRACKER_BUY_STEP);
  EXPECT_EQ(Row(At(line).autoOrderState, At(line).reached, At(line).orderNumber), Row(0, 0, 0));
  EXPECT_EQ(gRemovedOrders, std::vector<int32_t>{77});
}

TEST_F(TrackerTest, ArmingAStepAlreadyReachedSaysSoEveryTime) {
  gTrackerHooks.evaluateLineQuietly = [](int line) { At(line).reached = At(line).monitorKind != 0; };
  const int line = Line(a_, 1000);
  gDialogScript = [](StepDialog* d) {
    SetStepArmed(d, true);
    return int{kStepConfirmed};
  };
  Command(line, IDM_TRACKER_BUY_STEP);  // new step: the kind changes
  Command(line, IDM_TRACKER_BUY_STEP);  // armed again: the kind stays
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  char text[256];
  PlatformLoadString(kStrTrackerAlreadyReached, text, sizeof text);
  EXPECT_EQ(boxes[1].text, text);
  EXPECT_EQ(Row(At(line).monitorKind, At(line).reached, At(line).autoOrderState), Row(kMonitorLower, 1, 1));
}

// Each entry as "text|e" (enabled), "text|ec" (also checked) or "text|".
std::vector<std::string> MenuOf(int line) {
  TrackerMenu menu;
  std::vector<std::string> items = {BuildPellomaticMenu(line, &menu) ? "part" : "none"};
  for (const TrackerMenuItem& item : menu)
    items.push_back(std::string(item.text) + "|" + (item.enabled ? "e" : "") + (item.checked ? "c" : ""));
  return items;
}

TEST_F(TrackerTest, TheSubMenuFollowsTheSelectedLine) {
  const int plain = Line(a_, 1000);
  const std::vector<std::string> fresh = {
      "part",     "買い-1|e",      "買い手じまい|", "買い損切|",
      "空売-1|e", "空売手じまい|", "空売損切|",     "この銘柄のPellomaticをクリア|"};
  EXPECT_EQ(MenuOf(plain), fresh);
  for (int s = 1; s <= 10; ++s) Line(a_, 900 - s, s, 100 * s);
  const int close = Line(a_, 1200, kTrackerCloseLine);
  EXPECT_EQ(MenuOf(plain),
            (std::vector<std::string>{"part", "買い限界|", "買い手じまいは既に設定されています|", "買い損切|e",
                                      "空売-1|e", "空売手じまい|", "空売損切|", "この銘柄のPellomaticをクリア|e"}));
  EXPECT_EQ(MenuOf(plain + 2),
            (std::vector<std::string>{"part", "買い-2 (200株)|ec", "買い手じまい|", "買い損切|", "空売|",
                                      "空売手じまい|", "空売損切|", "この銘柄のPellomaticをクリア|e"}));
  EXPECT_EQ(MenuOf(close)[2], "買い手じまい|ec");
  At(plain).value1 = 999;
  EXPECT_EQ(MenuOf(plain)[0], "none");
  EXPECT_EQ(Command(plain, IDM_TRACKER_BUY_CLOSE), 1);
  EXPECT_EQ(At(plain).buyRole, 0) << "a greyed entry does nothing";
}

}  // namespace
