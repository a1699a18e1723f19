// The memo commands in the main window: the new-memo command enabled only
// with a pane selected, Ctrl+U, Del and Ctrl+Z through the menus' states.

#include <gtest/gtest.h>

#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/main_window_fixture.h"
#include "window/chart_popups_win.h"
#include "window/window_hooks.h"

namespace {

bool Enabled(HMENU menu, UINT command) {
  const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

class MemoCommandsTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-memo-commands") || !LoadMemoFile()) return;
    InstallMemoHooks();
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 1;
    pattern.views[0] = MakeChartView(gStockTable->records[4].master.code, 0,
                                     {{kPaneCandles, PaneLineFlags(2)}, {kPaneVolume, kPaneFlagLine0}});
    ShowMainWindow(1000, 700);
    PumpFor(100);
  }
  static void TearDownTestSuite() {
    CloseMainWindow();
    FreeMemoTable(&gMemos);
    gMemoHooks = {};
  }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
  }
  // A Ctrl shortcut as the main loop translates it.
  static void PressCtrl(WPARAM key) {
    const HACCEL keys = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDA_MAIN_ACCELERATORS));
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    MSG msg = {window_, WM_KEYDOWN, key, 0, 0, {0, 0}};
    EXPECT_NE(TranslateAcceleratorW(window_, keys, &msg), 0) << key;
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    PumpFor(30);
  }
};

TEST_F(MemoCommandsTest, CtrlUAddsAMemoOnlyWithAPaneSelectedAndDelAndCtrlZFollowIt) {
  const HMENU menu = GetMenu(window_);
  const int before = MemoCount();
  gSelectedChart = 0;
  gSelectedPane = -1;
  UpdateMainMenuStates();
  EXPECT_EQ(Row(Enabled(menu, IDM_NEW_MEMO), Enabled(ChartPopupMenu(), IDM_NEW_MEMO),
                Enabled(menu, IDM_DELETE_ALL_MEMOS_AND_LINES)),
            Row(false, false, true));
  PressCtrl('U');
  EXPECT_EQ(MemoCount(), before) << "no pane, no memo";
  gSelectedPane = 1;
  UpdateMainMenuStates();
  EXPECT_EQ(Row(Enabled(menu, IDM_NEW_MEMO), Enabled(ChartPopupMenu(), IDM_NEW_MEMO), Enabled(menu, IDM_DELETE)),
            Row(true, true, false));
  PressCtrl('U');
  ASSERT_EQ(MemoCount(), before + 1);
  const Memo& memo = gMemos.memos[before];
  EXPECT_EQ(Row(memo.code, memo.paneKind, memo.selected),
            Row(CurrentScreenPattern().views[0].stockCode, kPaneVolume, 1));
  EXPECT_EQ(Row(Enabled(menu, IDM_DELETE), Enabled(menu, IDM_UNDO)), Row(true, false));
  PostMessageW(window_, WM_KEYDOWN, VK_DELETE, 0);
  PumpFor(60);
  EXPECT_EQ(Row(MemoCount(), Enabled(menu, IDM_DELETE), Enabled(menu, IDM_UNDO)), Row(before, false, true));
  PressCtrl('Z');
  EXPECT_EQ(Row(MemoCount(), Enabled(menu, IDM_DELETE), Enabled(menu, IDM_UNDO)), Row(before + 1, true, false));
}

// The memo goes where the mouse stands: at the bar of a left press, then at
// the bar and value the mouse moved on to.
TEST_F(MemoCommandsTest, CtrlUAfterALeftPressPutsTheMemoAtTheBarAndValueUnderTheMouse) {
  const Rect& plot = gChartContexts[0].panes[0].fullPlot;
  const int spacing = gChartContexts[0].geometry.barSpacing;
  // Off the plot's middle, where a memo without a cursor would go.
  POINT p = {plot.right - (plot.right - plot.left) / 5, plot.top + (plot.bottom - plot.top) / 4};
  const auto post = [&](UINT message, WPARAM keys) {
    PostMessageW(window_, message, keys, MAKELPARAM(p.x, p.y));
    PumpFor(40);
  };
  const auto newMemo = [&] {
    const int before = MemoCount();
    PressCtrl('U');
    return before < MemoCount() ? gMemos.memos[before] : Memo{};
  };
  const auto shownDate = [](int bar) {
    return DateOfBarIndex(CurrentScreenPattern().views[0], gChartContexts[0], bar);
  };
  gSelectedChart = 0;
  gSelectedPane = 1;
  post(WM_MOUSEMOVE, 0);
  post(WM_LBUTTONDOWN, MK_LBUTTON);
  post(WM_LBUTTONUP, 0);
  ASSERT_EQ(Row(gSelectedPane, gCrossHairPane), Row(0, 0));
  const int pressed = gCrossHairBar;
  const int32_t pressedValue = gCursorValue;
  Memo memo = newMemo();
  EXPECT_EQ(Row(memo.paneKind, memo.date, memo.value), Row(kPaneCandles, shownDate(pressed), pressedValue));
  p = {p.x - 5 * spacing, p.y + 20};
  post(WM_MOUSEMOVE, 0);
  ASSERT_EQ(gCrossHairBar, pressed - 5);
  memo = newMemo();
  EXPECT_EQ(Row(memo.date, memo.value), Row(shownDate(pressed - 5), gCursorValue));
  EXPECT_NE(gCursorValue, pressedValue);
}

}  // namespace
