// Memos on real chart panes: the panes and dates that show a memo and hit
// it, the widening of a pane's range, the drags of box, tip and whole memo,
// re-anchoring on price and oscillator panes, and the editor's rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/memo_store.h"
#include "chart/memo_style.h"
#include "chart/memo_view.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "records/settings_block.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"
#include "tools/sample_db/sample_database.h"

namespace {

enum Pane { kCandles, kIchimoku, kVolume, kRci };

class MemoViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MakeSampleDatabase({scratch_.path() + "db", 3, 300, 11, MakePackedDate(2026, 12, 2)}, nullptr), 0);
    ASSERT_TRUE(AllocAllChartContexts() && CreateEmptyMemoTable(&gMemos));
    ScreenPattern& pattern = CurrentScreenPattern();
    pattern.chartCount = 1;
    ChartView& view = pattern.views[0];
    view.stockCode = gStockTable->records[4].master.code;
    view.period = 0;
    view.lastBarIndex = -1;
    view.barWidth = 5;
    view.paneCount = 4;
    const uint32_t kinds[] = {kPaneCandles, kPaneIchimoku, kPaneVolume, kPaneRci};
    for (int i = 0; i < 4; ++i) view.paneKinds[i] = kinds[i];
    gChartContexts[0].geometry.chart = {0, 0, 900, 800};
    ReloadAllChartSeries();
    InvalidateAllCharts();
  }
  void TearDown() override { FreeMemoTable(&gMemos); }

  static const ChartView& View() { return CurrentScreenPattern().views[0]; }
  static const ChartContext& Context() { return gChartContexts[0]; }
  static int Last() { return GetViewLastBar(View(), Context()); }
  static int32_t Middle(int pane) {
    return static_cast<int32_t>((int64_t{Context().panes[pane].minValue} + Context().panes[pane].maxValue) / 2);
  }
  // A memo of the chart's stock on a pane of `kind`, 60 x 20, its arrow shown.
  static int Add(int kind, int bar, int32_t value, int offsetX = 16, int offsetY = 16) {
    Memo memo{};
    memo.code = View().stockCode;
    memo.paneKind = static_cast<int16_t>(kind);
    memo.date = DateOfBarIndex(View(), Context(), bar);
    memo.value = value;
    memo.boxOffsetX = offsetX;
    memo.boxOffsetY = offsetY;
    memo.boxRight = 60;
    memo.boxBottom = 20;
    strcpy(memo.text, "memo");
    memo.fontHeights[0] = 16;
    gUndoMemo = memo;
    const int index = RestoreRemovedMemo();
    EXPECT_EQ(index, 1);
    SelectMemo(-1);
    return MemoCount() - 1;
  }
  static MemoShape Shape(int memo, int pane) {
    return MemoShapeOnPane(View(), Context(), pane, gMemos.memos[memo], Last());
  }

  ScopedGlobalState globals_;
  ScratchFolder scratch_;
};

// A candle memo shows on the Ichimoku pane too, never on the volume pane;
// one screen left of the shown bars it is still hit, two screens left not.
TEST_F(MemoViewTest, PanesAndDatesThatShowAMemoAndTheSelectedMemoWins) {
  const int last = Last();
  const int screen = Context().geometry.visibleBars + 3;
  const int near = Add(kPaneCandles, last - 10, Middle(kCandles));
  const MemoShape at = Shape(near, kCandles);
  const MemoShape onIchimoku = Shape(near, kIchimoku);
  // The far memos put their boxes where `near`'s is, from anchors one and two screens left.
  const int oneLeft = last - screen - screen / 2;
  const int twoLeft = last - 3 * screen;
  const int xOne = DateToPaneX(View(), Context(), DateOfBarIndex(View(), Context(), oneLeft), last);
  const int xTwo = DateToPaneX(View(), Context(), DateOfBarIndex(View(), Context(), twoLeft), last);
  MemoPart part = kMemoBox;
  const struct {
    const char* what;
    int pane, x, y, memo, part;
  } cases[] = {
      {"tip on the candles", kCandles, at.anchorX, at.anchorY, near, kMemoArrowTip},
      {"box on the candles", kCandles, at.box.left + 1, at.box.top + 1, near, kMemoBox},
      {"box on the Ichimoku pane", kIchimoku, onIchimoku.box.left + 1, onIchimoku.box.top + 1, near, kMemoBox},
      {"not on the volume pane", kVolume, at.box.left + 1, at.box.top + 1, -1, -1},
  };
  for (const auto& c : cases) {
    const int hit = HitTestMemos(View(), Context(), c.pane, c.x, c.y, &part);
    EXPECT_EQ(Row(hit, hit >= 0 ? part : -1), Row(c.memo, c.part)) << c.what;
  }
  gMemos.memos[near].arrowHidden = 1;
  const int one = Add(kPaneCandles, oneLeft, Middle(kCandles), at.box.left - xOne + 200, 16);
  const int two = Add(kPaneCandles, twoLeft, Middle(kCandles), at.box.left - xTwo + 300, 16);
  EXPECT_EQ(HitTestMemos(View(), Context(), kCandles, at.box.left + 201, at.box.top + 1, &part), one);
  EXPECT_EQ(HitTestMemos(View(), Context(), kCandles, at.box.left + 301, at.box.top + 1, &part), -1) << two;
  // A later memo over `near`: table order finds `near` until the later one is selected.
  const int over = Add(kPaneCandles, last - 10, Middle(kCandles));
  gMemos.memos[over].arrowHidden = 1;
  EXPECT_EQ(HitTestMemos(View(), Context(), kCandles, at.box.left + 1, at.box.top + 1, &part), near);
  SelectMemo(over);
  EXPECT_EQ(HitTestMemos(View(), Context(), kCandles, at.box.left + 1, at.box.top + 1, &part), over);
  EXPECT_EQ(part, kMemoWhole);
}

// A box far above the candles raises the price range so that it fits; the
// other panes keep theirs.
TEST_F(MemoViewTest, APaneRangeWidensToItsMemosBoxes) {
  const PaneRecord candles = Context().panes[kCandles];
  const PaneRecord volume = Context().panes[kVolume];
  const int above = candles.plot.top - candles.plot.bottom - 200;
  const int memo = Add(kPaneCandles, Last() - 5, Middle(kCandles), 16, above);
  InvalidateAllCharts();
  EXPECT_GT(Context().panes[kCandles].maxValue, candles.maxValue);
  EXPECT_EQ(Row(Context().panes[kVolume].minValue, Context().panes[kVolume].maxValue),
            Row(volume.minValue, volume.maxValue));
  // Of another stock, the same memo changes nothing.
  gMemos.memos[memo].code = gStockTable->records[5].master.code;
  InvalidateAllCharts();
  EXPECT_EQ(Context().panes[kCandles].maxValue, candles.maxValue);
}

// Box, tip and whole memo: the box alone moves; the tip moves the anchor
// and leaves the box where it was; the whole memo moves with its anchor.
TEST_F(MemoViewTest, DraggingTheBoxTheTipOrTheWholeMemo) {
  const int memo = Add(kPaneCandles, Last() - 20, Middle(kCandles));
  const int spacing = Context().geometry.barSpacing;
  const MemoShape start = Shape(memo, kCandles);
  BeginMemoDrag(memo, kMemoBox, 0, kCandles, start.box.left + 2, start.box.top + 2);
  EXPECT_TRUE(DragMemoTo({start.box.left + 12, start.box.top - 3, false, false}));
  EndMemoDrag();
  EXPECT_EQ(Row(gMemos.memos[memo].boxOffsetX, gMemos.memos[memo].boxOffsetY), Row(26, 11));

  MemoShape before = Shape(memo, kCandles);
  BeginMemoDrag(memo, kMemoArrowTip, 0, kCandles, before.anchorX, before.anchorY);
  EXPECT_FALSE(DragMemoTo({before.anchorX + 1, before.anchorY, false, false})) << "less than a bar: nothing";
  EXPECT_TRUE(DragMemoTo({before.anchorX + 3 * spacing, before.anchorY + 40, false, false}));
  EndMemoDrag();
  MemoShape after = Shape(memo, kCandles);
  EXPECT_EQ(after.anchorX, before.anchorX + 3 * spacing);
  EXPECT_GT(before.anchorY + 41, after.anchorY);
  EXPECT_LT(before.anchorY + 39, after.anchorY + 10);
  EXPECT_EQ(Row(after.box.left, after.box.top), Row(before.box.left, before.box.top)) << "the box stays";

  before = after;
  BeginMemoDrag(memo, kMemoWhole, 0, kCandles, before.box.left, before.box.top);
  EXPECT_TRUE(DragMemoTo({before.box.left - 2 * spacing, before.box.top, false, false}));
  EndMemoDrag();
  after = Shape(memo, kCandles);
  EXPECT_EQ(Row(after.anchorX, after.box.left), Row(before.anchorX - 2 * spacing, before.box.left - 2 * spacing));
}

// Re-anchoring puts the anchor 12 pixels above the box's centre; on an
// oscillator a point below 0 keeps its negative value.
TEST_F(MemoViewTest, ReanchoringOnPricesAndBelowZeroOnAnOscillator) {
  for (const int pane : {kCandles, kRci}) {
    const PaneRecord& record = Context().panes[pane];
    const int memo = Add(static_cast<int>(View().paneKinds[pane]), Last() - 30, Middle(pane));
    Memo& m = gMemos.memos[memo];
    const int top = record.plot.bottom - 30;  // low on the pane: below 0 on the RCI pane
    m.boxLeft = record.plot.left + 100;
    m.boxRight = m.boxLeft + 60;
    m.boxTop = top;
    m.boxBottom = top + 20;
    ReanchorMemoToBox(memo);
    if (pane == kRci) EXPECT_LT(m.value, 0);
    const MemoShape at = Shape(memo, pane);
    EXPECT_NEAR(at.anchorY, top - 12, 1) << pane;
    EXPECT_EQ(Row(m.boxOffsetX, m.boxOffsetY), Row(-30, 12)) << pane;
    EXPECT_LE(std::abs(at.anchorX - (m.boxLeft + 30)), Context().geometry.barSpacing) << pane;
  }
}

TEST_F(MemoViewTest, EditorRulesAndWhatOkKeeps) {
  // A custom flag of 7 opens as off, choice 1 from the settings; a bad choice-2 height comes from the table.
  Memo memo{};
  memo.customSize = 7;
  memo.arrowHidden = 5;
  gMemoFontSize = 14;
  gMemoLineSpacing = 3;
  PrepareMemoForEditing(&memo, *gMemos.header, 14, 3);
  EXPECT_EQ(Row(memo.customSize, memo.arrowHidden, memo.fontHeights[0], memo.lineSpacings[0]), Row(0, 0, 14, 3));
  memo = Memo{};
  memo.customSize = 1;
  memo.fontHeights[0] = 10;
  memo.fontHeights[1] = 40;
  memo.lineSpacings[2] = 33;
  PrepareMemoForEditing(&memo, *gMemos.header, 14, 3);
  EXPECT_EQ(
      Row(memo.fontHeights[0], memo.fontHeights[1], memo.lineSpacings[1], memo.fontHeights[2], memo.lineSpacings[2]),
      Row(10, 16, 6, 24, 8));

  // OK with 510 ASCII bytes and a two-byte character: the character does not fit and goes whole.
  const int index = Add(kPaneCandles, Last() - 10, Middle(kCandles));
  Memo edited = gMemos.memos[index];
  const std::string typed = std::string(510, 'a') + "決";
  edited.customSize = 1;
  edited.fontHeights[1] = 20;
  EXPECT_FALSE(ApplyMemoEdit(index, edited, "")) << "an empty text keeps the editor open";
  ASSERT_TRUE(ApplyMemoEdit(index, edited, typed.c_str()));
  EXPECT_EQ(strlen(gMemos.memos[index].text), 510u);
  EXPECT_EQ(gMemos.header->fontHeights[1], 20) << "the next new memo starts with it";
  EXPECT_TRUE(FileExists(std::string(gDataFolder) + "/memo.dat")) << "a text edit saves at once";

  // Turning the arrow off in the editor re-anchors; turning it on does not; the command re-anchors both ways.
  Memo& m = gMemos.memos[index];
  m.arrowHidden = 0;
  m.boxLeft = 300, m.boxRight = 360, m.boxTop = 200, m.boxBottom = 220;
  edited = m;
  edited.arrowHidden = 1;
  ASSERT_TRUE(ApplyMemoEdit(index, edited, "x"));
  EXPECT_EQ(Row(m.boxOffsetX, m.boxOffsetY), Row(-30, 12));
  edited = m;
  edited.arrowHidden = 0;
  edited.boxOffsetX = 5;
  ASSERT_TRUE(ApplyMemoEdit(index, edited, "x"));
  EXPECT_EQ(m.boxOffsetX, 5);
  SelectMemo(index);
  ToggleSelectedMemoArrows();
  EXPECT_EQ(Row(m.arrowHidden, m.boxOffsetX), Row(1, -30));

  // Custom size 2 on a memo without custom size: switched on, its bad height repaired from the table.
  m.customSize = 0;
  m.fontHeights[1] = 40;
  SetSelectedMemosFontSize(1);
  EXPECT_EQ(Row(m.customSize, m.sizeChoice, m.fontHeights[1]), Row(1, 1, 20));
  ResetSelectedMemosFontSize();
  EXPECT_EQ(m.customSize, 0);
}

}  // namespace
