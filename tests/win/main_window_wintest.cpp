// The main window's child controls, menu and keys, on a copy of the sample database.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "chart/chart_selection.h"
#include "window/main_menu_win.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (EnvironmentText(L"VELQO_SAMPLE_DB").empty()) GTEST_SKIP() << "no sample database given";
    const std::wstring folder = CopySampleWithProgram(L"velqo-main");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(LaunchProgram(folder, program_));
    SetWindowPos(program_.window, HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    PumpFor(800);
  }

  void TearDown() override {
    if (program_.process.hProcess == nullptr) return;
    CloseProgram(program_);
  }

  HWND Child(int id) const { return GetDlgItem(program_.window, id); }

  RunningProgram program_;
};

TEST_F(MainWindowTest, HasItsToolbarStatusBarAndScrollBars) {
  const HWND toolbar = Child(800);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 32);
  // The first pattern's button is pressed.
  EXPECT_NE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, 32866, 0), 0);
  const HWND status = Child(810);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 4);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(Child(100 + 4 * i), nullptr) << "scroll bar " << i;
    EXPECT_NE(Child(500 + 4 * i), nullptr) << "group combo " << i;
    EXPECT_NE(Child(600 + 4 * i), nullptr) << "stock list " << i;
  }
  EXPECT_TRUE(IsWindowVisible(Child(100)));  // the one chart of the first pattern
  EXPECT_NE(Child(700), nullptr);
  EXPECT_FALSE(IsWindowVisible(Child(700)));
  // The chart's scroll bar lies between the toolbar and the status bar.
  RECT bar, tool, stat;
  GetWindowRect(Child(100), &bar);
  GetWindowRect(toolbar, &tool);
  GetWindowRect(status, &stat);
  EXPECT_GE(bar.top, tool.bottom);
  EXPECT_LE(bar.bottom, stat.top);

  RedrawWindow(program_.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(500);
  EXPECT_TRUE(SaveWindowPicture(program_.window, ArtifactsFolder() + L"main-window-controls.bmp"));
}

TEST_F(MainWindowTest, F5ThroughTheMainLoopShowsPatternFive) {
  SetForegroundWindow(program_.window);
  PostMessageW(program_.window, WM_KEYDOWN, VK_F5, 0x003F0001);
  PostMessageW(program_.window, WM_KEYUP, VK_F5, 0xC03F0001);
  const std::wstring expected = SjisToWide("ヴェルクォラ22　－　パターン5");
  for (int i = 0; i < 100 && WindowTitle(program_.window) != expected; ++i) PumpFor(50);
  EXPECT_EQ(WindowTitle(program_.window), expected);
  // Menus are not readable from another process under Wine: the toolbar shows the same state.
  EXPECT_NE(SendMessageW(Child(800), TB_ISBUTTONCHECKED, 32870, 0), 0);
  EXPECT_EQ(SendMessageW(Child(800), TB_ISBUTTONCHECKED, 32866, 0), 0);
}

// The menu part of the same refresh, on the program's own menu resource in this process.
TEST(MainMenuTest, TheCurrentPatternsItemIsCheckedAndNamedWithItsKey) {
  ScopedGlobalState globals(TestStart::kAsIs);
  SetDefaultSettings();
  const HWND owner =
      CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                      LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(241)), GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  const HMENU menu = GetMenu(owner);
  ASSERT_NE(menu, nullptr);
  gMainWnd = owner;
  gCurrentPattern = 4;
  UpdatePatternMenuTexts();
  RefreshMainMenuStates();
  EXPECT_EQ(GetMenuState(menu, 32870, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(menu, 32866, MF_BYCOMMAND) & MF_CHECKED, 0u);
  wchar_t text[64] = L"";
  GetMenuStringW(menu, 32870, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), SjisToWide("パターン5\tF5"));
  // The daily period and width 5 of the selected first chart.
  EXPECT_EQ(GetMenuState(menu, 32771, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(menu, 32778, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  DestroyWindow(owner);
}

TEST_F(MainWindowTest, ATinyWindowDoesNotStopTheProgram) {
  for (int size : {1, 0, 30, 120}) {
    SetWindowPos(program_.window, nullptr, 0, 0, size, size, SWP_NOZORDER);
    PumpFor(150);
  }
  ShowWindow(program_.window, SW_MINIMIZE);
  PumpFor(150);
  ShowWindow(program_.window, SW_RESTORE);
  PumpFor(150);
  EXPECT_EQ(WaitForSingleObject(program_.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(program_.window));
  EXPECT_EQ(SendMessageW(Child(800), TB_BUTTONCOUNT, 0, 0), 32);
}

}  // namespace
