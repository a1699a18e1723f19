// The memo commands in the main window: the new-memo command enabled only
// with a pane selected, Ctrl+U, Del and Ctrl+Z through the menus' states.
// Then the memos of a new user in the real program on a copy of the sample
// database: the two distributed memos are loaded at the first start, a new
// memo joins them, the exit writes them all to "memo.dat"; after a restart
// the edit menu's delete-all asks first and then leaves neither memos nor
// trend lines.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chart/chart_selection.h"
#include "chart/memo_hooks.h"
#include "chart/memo_store.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "records/memo_record.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/program_runner.h"
#include "window/chart_popups_win.h"
#include "window/window_hooks.h"

namespace {

std::vector<Memo> ReadSavedMemos(const std::wstring& path) {
  const auto bytes = ReadFileBytes(path);
  MemoFileHeader header{};
  if (bytes.size() < sizeof header) return {};
  memcpy(&header, bytes.data(), sizeof header);
  if (header.count < 0 || bytes.size() != sizeof header + sizeof(Memo) * static_cast<size_t>(header.count)) return {};
  std::vector<Memo> memos(static_cast<size_t>(header.count));
  memcpy(memos.data(), bytes.data() + sizeof header, sizeof(Memo) * memos.size());
  return memos;
}

int32_t SavedTrendLineCount(const std::wstring& folder) {
  const auto bytes = ReadFileBytes(folder + L"tline.dat");
  int32_t count = -1;
  if (bytes.size() >= sizeof count) memcpy(&count, bytes.data(), sizeof count);
  return count;
}

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

// Waits for the program's message box and answers it; its text and title, empty when none came.
std::pair<std::wstring, std::wstring> AnswerMessageBox(const RunningProgram& program, int answer) {
  for (int i = 0; i < 200; ++i) {
    if (const HWND box = MessageBoxOf(program.process)) {
      const std::pair<std::wstring, std::wstring> shown = {ControlText(box, 0xFFFF), WindowTitle(box)};
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
      for (int k = 0; k < 100 && IsWindow(box); ++k) Sleep(20);
      return shown;
    }
    Sleep(50);
  }
  return {};
}

TEST(MemoStoreFlowTest, ANewUsersSampleMemosAndANewOneAreSavedAtExitAndDeleteAllAsksFirst) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-memo-store");
  ASSERT_FALSE(folder.empty());
  const std::vector<Memo> samples = ReadSavedMemos(folder + L"DEFAULTDATA\\memo.dat");
  ASSERT_EQ(samples.size(), 2u);
  ASSERT_TRUE(ReadFileBytes(folder + L"memo.dat").empty()) << "a new user has no memo.dat";
  ASSERT_GT(SavedTrendLineCount(folder), 0);

  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_NEW_MEMO, 0);
  SettleProgram(program.window);
  EXPECT_TRUE(ReadFileBytes(folder + L"memo.dat").empty()) << "a new memo reaches the disk at exit";
  ASSERT_EQ(CloseProgram(program), 0u);

  const std::vector<Memo> saved = ReadSavedMemos(folder + L"memo.dat");
  ASSERT_EQ(saved.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Row(saved[i].sample, saved[i].code, saved[i].date, saved[i].value),
              Row(1, samples[i].code, samples[i].date, samples[i].value))
        << i;
    EXPECT_STREQ(saved[i].text, samples[i].text);
  }
  EXPECT_EQ(Row(saved[2].sample, saved[2].selected, saved[2].arrowHidden), Row(0, 1, 1));
  EXPECT_STREQ(saved[2].text, kNewMemoText);
  EXPECT_EQ(ReadFileBytes(folder + L"BACKUP\\memo01.dat"), ReadFileBytes(folder + L"memo.dat"));

  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_DELETE_ALL_MEMOS_AND_LINES, 0);
  const auto question = AnswerMessageBox(program, IDYES);
  EXPECT_EQ(question.first, SjisToWide("メモとトレンドラインをすべて削除してもよろしいですか？"));
  EXPECT_EQ(question.second, SjisToWide("確認"));
  SettleProgram(program.window);
  EXPECT_EQ(SavedTrendLineCount(folder), 0) << "the lines' file follows at once";
  ASSERT_EQ(CloseProgram(program), 0u);
  EXPECT_TRUE(ReadSavedMemos(folder + L"memo.dat").empty());
  EXPECT_EQ(ReadFileBytes(folder + L"memo.dat").size(), sizeof(MemoFileHeader));
}

}  // namespace
