// The memo commands in the main window: the new-memo command enabled only
// with a pane selected, Ctrl+U, Del and Ctrl+Z through the menus' states.

#include <gtest/gtest.h>

#include "chart/chart_selection.h"
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

}  // namespace
