// Monitoring lines judged against hand-set latest values: the halfway value,
// one notice per transition, the tracker order decision and what it leaves
// on disk, notices after deletions, the texts, and the group terms. The
// notice's buttons are tested on the real dialog (tests/win).
#include "analysis/line_monitoring.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/condition_terms.h"
#include "analysis/group_lists.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "common/file_io.h"
#include "net/order_link.h"
#include "tests/analysis/condition_fixture.h"
#include "tests/support/row.h"

namespace {

constexpr PackedDate kMonday = MakePackedDate(2024, 3, 4);
constexpr PackedDate kHalfway = MakePackedDate(2024, 3, 11);  // 5 of the 10 trading days to kLater
constexpr PackedDate kLater = MakePackedDate(2024, 3, 18);
constexpr PackedDate kSaturday = MakePackedDate(2024, 3, 9);

WindowHandle Handle(int n) { return reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(n)); }

// Records what the window side was asked to do; each notice lists itself as the dialog does.
class FakeNotices : public LineNoticeSink {
 public:
  bool IsMainWindowVisible() override { return true; }
  WindowHandle OpenNotice(int index) override {
    opened.push_back(index);
    const WindowHandle window = Handle(1000 + static_cast<int>(opened.size()));
    ListLineNotice(window, index);
    outcomes.push_back(gLastOrderOutcome);
    return window;
  }
  void BringNoticeToFront(WindowHandle) override { ++fronted; }
  void ShowOrderOutcome(WindowHandle) override { outcomes.push_back(gLastOrderOutcome); }
  void CloseNotice(WindowHandle window) override { closed.push_back(window); }
  void RefreshMenuStates() override {}
  void ShowWaitCursor(bool) override {}

  std::vector<int> opened;
  std::vector<OrderOutcome> outcomes;
  std::vector<WindowHandle> closed;
  int fronted = 0;
};

class LineMonitoringTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    ASSERT_TRUE(AllocTrendLineTables());
    StockRecord& stock = Listed(1301, kMarketPrime);
    stock.lastDate = kHalfway;
    SetLineNoticeSink(&notices_);
  }
  void TearDown() override {
    OnTrendLinesReplaced();
    SetLineNoticeSink(nullptr);
    ConditionTest::TearDown();
  }
  static StockRecord& Stock() { return gStockTable->records[0]; }
  static void SetClose(double close) { Stock().snapshots[kSlotDaily].values[kItemClose] = close; }
  static TrendLine& AddLine(int32_t kind, PackedDate d1, int32_t v1, PackedDate d2, int32_t v2, int pane = 0) {
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = TrendLine{};
    line.code = NumberCode(1301);
    line.date1 = d1, line.value1 = v1, line.date2 = d2, line.value2 = v2;
    line.paneKind = static_cast<int16_t>(pane);
    line.monitorKind = kind;
    line.notifyWhenReached = 1;
    line.watchedLines = 1;
    return line;
  }
  // A buy step at 1000, armed while the price is above it.
  static TrendLine& ArmedBuyStep() {
    TrendLine& line = AddLine(kMonitorLower, kMonday, 1000, kLater, 1000);
    line.buyRole = 1, line.buyShares = 100, line.orderRoute = 1;
    line.autoOrderState = kAutoOrderArmed;
    SetClose(1010);
    EvaluateMonitorLine(0, false, false);
    return line;
  }
  static void LiveQuote(double close) {
    SetClose(close);
    OrderLinkEvaluateQuotedStock(NumberCode(1301));
  }
  static TrendLine SavedLine(int index) {
    const auto saved = std::make_unique<TrendLineTable>();
    EXPECT_EQ(LoadFileToBuffer(kTrendLineFileName, saved.get(), sizeof *saved), 0);
    return saved->lines[index];
  }
  static std::string OutcomeText(const OrderOutcome& outcome) {
    char text[128];
    FormatOrderOutcomeText(outcome, gTrendLines->lines[0], text, sizeof text);
    return text;
  }

  FakeNotices notices_;
};

TEST(TradingDayIndex, CountsAsTheChartsDo) {
  for (int from = 0; from < 40; ++from) {
    for (int span = -12; span <= 12; ++span) {
      const PackedDate a = AddCalendarDays(MakePackedDate(2023, 12, 20), from);
      const PackedDate b = AddCalendarDays(a, span);
      int bars = 99;
      ASSERT_TRUE(CountDailyBars(b, a, &bars));
      EXPECT_EQ(bars, BarsBetweenDates(0, b, a)) << a << " " << b;
    }
  }
  int bars = 0;
  EXPECT_FALSE(CountDailyBars(MakePackedDate(2300, 1, 1), kMonday, &bars));
}

TEST_F(LineMonitoringTest, InRangeAndReached) {
  struct Case {
    int32_t kind;
    PackedDate d1, d2;
    int32_t v1, v2;
    int pane;
    double value;  // of the watched series
    bool inRange, reached;
  };
  const Case cases[] = {
      {kMonitorLower, kMonday, kLater, 1000, 1200, 0, 1100, true, true},
      {kMonitorLower, kLater, kMonday, 1200, 1000, 0, 1101, true, false},  // points the other way round
      {kMonitorUpper, kMonday, kLater, 1000, 1200, 0, 1100, true, true},
      {kMonitorUpper, kMonday, kLater, 1000, 1200, 0, 1099, true, false},
      {kMonitorLower, kMonday, MakePackedDate(2024, 3, 8), 1000, 1200, 0, 1, false, false},  // ends before
      {kMonitorLower, kSaturday, kHalfway, 1000, 1200, 0, 1, false, false},                  // no trading day between
      {kMonitorLower, kMonday, kLater, 1000, 1200, 20, -1e300, true, false},                 // no such pane
      {kMonitorLower, kMonday, kLater, 7000, 7000, kPaneRsi, 70.0, true, true},
      {kMonitorLower, kMonday, kLater, 7000, 7000, kPaneRsi, 70.01, true, false},
      {kMonitorDate, kHalfway, kHalfway, 0, 0, 0, 0, true, true},
      {kMonitorDate, kLater, kLater, 0, 0, 0, 0, true, false},
      {kMonitorDate, kMonday, kLater, 0, 0, 0, 0, false, false},
      {7, kMonday, kLater, 1000, 1200, 0, 0, false, false},
  };
  for (const Case& c : cases) {
    TrendLine line = AddLine(c.kind, c.d1, c.v1, c.d2, c.v2, c.pane);
    for (double& v : Stock().snapshots[kSlotDaily].values) v = c.value;
    const LineJudgement judgement = JudgeMonitorLine(line, Stock());
    EXPECT_EQ(Row(judgement.inRange, judgement.reached), Row(c.inRange, c.reached)) << c.v1 << "/" << c.value;
  }
  double value = 0;
  EXPECT_FALSE(
      MonitorLineValueAt(AddLine(kMonitorLower, kSaturday, 1, MakePackedDate(2024, 3, 10), 2), kHalfway, &value));
  EXPECT_FALSE(std::isnan(value));
}

TEST_F(LineMonitoringTest, OneNoticePerTransitionToReached) {
  AddLine(kMonitorLower, kMonday, 1100, kLater, 1100);
  for (const double close : {1200, 1100, 1090, 1150, 1050}) {
    SetClose(close);
    EvaluateAllMonitorLines();
  }
  EXPECT_EQ(Row(notices_.opened.size(), notices_.fronted), Row(1, 1)) << "two notices, the second to the front";
  SetClose(1200);
  EvaluateAllMonitorLines();
  SetClose(1000);
  EvaluateMonitorLine(0, false, false);
  EvaluateAllMonitorLines();
  EXPECT_EQ(notices_.fronted, 1) << "the silent evaluation took the change";
  EXPECT_EQ(Row(gTrendLines->lines[0].reached, gTrendLines->lines[0].noticePending), Row(1, 0));
}

TEST_F(LineMonitoringTest, ArmedStepOrdersOnceEvenAfterARestart) {
  gOrderLinkOpen = 1;
  gAutoOrderEnabled = 1;
  ArmedBuyStep();
  ASSERT_EQ(SaveTrendLines(), 0);  // the armed step as the tracker saved it
  ListLineNotice(Handle(7), 0);    // a notice from an earlier reach is still open
  LiveQuote(1000);
  LiveQuote(990);
  const TrendLine& line = gTrendLines->lines[0];
  EXPECT_EQ(gTrackerOrderCalls, 1);
  EXPECT_EQ(Row(line.autoOrderState, line.locked, line.monitorKind, line.orderNumber), Row(2, 1, 0, 1));
  const TrendLine saved = SavedLine(0);
  EXPECT_EQ(0, memcmp(&saved, &line, sizeof line)) << "the placed order is on disk at once";
  ASSERT_EQ(notices_.outcomes.size(), 1u);
  EXPECT_EQ(OutcomeText(notices_.outcomes[0]), "自動発注：成功しました。注文番号：1") << "shown in the open notice";

  // A restart reads the file back; the price moves away and comes back.
  ASSERT_EQ(LoadFileToBuffer(kTrendLineFileName, gTrendLines, sizeof *gTrendLines), 0);
  for (const double close : {1010, 1000, 1010, 980}) LiveQuote(close);
  EXPECT_EQ(gTrackerOrderCalls, 1);
}

TEST_F(LineMonitoringTest, StepsReachedWithoutTheLiveFeedEndWithoutOrder) {
  struct Case {
    int timeBack;
    uint8_t state;
    const char* text;
  };
  const Case cases[] = {{0, kAutoOrderReachedUnplaced, "自動発注：停止しました（RSS受信以外で到達したため）。"},
                        {1, kAutoOrderArmed, ""}};
  for (const Case& c : cases) {
    OnTrendLinesReplaced();
    gTrendLines->count = 0;
    gTimeBackMode = c.timeBack;
    ArmedBuyStep();
    SetClose(990);
    EvaluateAllMonitorLines();
    EXPECT_EQ(Row(gTrendLines->lines[0].autoOrderState, gTrackerOrderCalls), Row(c.state, 0)) << c.timeBack;
    EXPECT_EQ(OutcomeText(notices_.outcomes.back()), c.text);
    if (c.timeBack == 0) {
      EXPECT_EQ(SavedLine(0).autoOrderState, kAutoOrderReachedUnplaced) << "saved at once";
    }
  }
  gTimeBackMode = 0;
  SetClose(1010);
  EvaluateMonitorLine(0, false, false);
  gAutoOrderEnabled = 1;
  LiveQuote(990);
  EXPECT_EQ(OutcomeText(notices_.outcomes.back()), "自動発注：失敗しました。") << "the link is closed";
}

TEST_F(LineMonitoringTest, NoticesFollowDeletedLines) {
  for (int i = 0; i < 3; ++i) AddLine(kMonitorLower, kMonday, 1100, kLater, 1100);
  for (int i = 0; i < 3; ++i) ListLineNotice(Handle(i + 1), i);
  const bool removed[] = {false, true, false};
  OnTrendLinesDeleted(removed, 3);
  EXPECT_EQ(notices_.closed, std::vector<WindowHandle>{Handle(2)});
  EXPECT_EQ(Row(NoticeLineOf(Handle(1)), NoticeLineOf(Handle(3)), FindLineNotice(1) == Handle(3), LineNoticeCount()),
            Row(0, 1, true, 2));
  OnTrendLinesReplaced();
  for (int i = 0; i < kMaxListedNotices; ++i) ListLineNotice(Handle(i + 1), i);
  EXPECT_EQ(ListLineNotice(Handle(999), 5000), kMaxListedNotices) << "the 301st has the number 300";
  EXPECT_EQ(FindLineNotice(5000), nullptr);
  ForgetLineNotice(Handle(1));
  EXPECT_EQ(Row(LineNoticeCount(), FindLineNotice(0) == nullptr, NoticeLineOf(Handle(999))), Row(300, true, 5000));
}

TEST_F(LineMonitoringTest, Texts) {
  struct Case {
    int32_t kind;
    int pane;
    int period;
    const char* condition;
  };
  const Case cases[] = {
      {kMonitorLower, kPaneCandles, 2, "株価 <= 監視線"},
      {kMonitorUpper, kPaneRsi, 1, "ＲＳＩ(週足) >= 監視線"},
      {kMonitorLower, 20, 0, ""},
      {kMonitorUpper, kPaneMacd, 9, "ＭＡＣＤ >= 監視線"},
      {kMonitorDate, kPaneCandles, 0, "指定日付(2024/03/04)に到達しました。"},
  };
  for (const Case& c : cases) {
    TrendLine line = AddLine(c.kind, kMonday, 1, kLater, 1, c.pane);
    line.period = c.period;
    char text[128];
    FormatMonitorConditionText(line, text, sizeof text);
    EXPECT_STREQ(text, c.condition);
  }
  EXPECT_STREQ(MonitorKindText(-4), "監視なし");
}

TEST_F(LineMonitoringTest, GroupTermsAndRowsSeeTheLines) {
  Listed(1302, kMarketPrime).lastDate = kHalfway;
  AddLine(kMonitorLower, kMonday, 1100, kLater, 1100);
  AddLine(kMonitorUpper, kMonday, 1300, kLater, 1300);
  SetClose(1100);
  EvaluateAllMonitorLines();
  struct Case {
    int left, op;
    bool passes;
  };
  const Case cases[] = {
      {kItemAnyMonitoringLine, kOpLineExists, true},     {kItemLowerMonitoringLine, kOpLineReached, true},
      {kItemUpperMonitoringLine, kOpLineReached, false}, {kItemUpperMonitoringLine, kOpLineNotReached, true},
      {kItemDateMonitoringLine, kOpLineExists, false},   {kItemAnyMonitoringLine, kOpGreater, false}};
  for (const Case& c : cases) {
    SetTerms(gGroupTable->groups[30], 0xFFFF, {Term(c.left, c.op, 0)});
    RunExtractionForGroup(*gGroupTable, 30);
    EXPECT_EQ(gGroupTable->groups[30].memberCount, c.passes ? 1 : 0) << c.left << " op " << c.op;
  }
  GroupRecord& watching = gGroupTable->groups[31];
  watching.monitorUpperLines = watching.monitorLowerLines = 1;
  char row[64];
  FormatGroupListRow(31, 0, row, sizeof row);
  EXPECT_STREQ(row, "1301○") << "one of its two lines reached";
}

}  // namespace
