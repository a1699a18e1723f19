// The main window's child controls, menu and keys, on a copy of the sample database.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "window/main_menu_win.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

namespace {

constexpr int kToolbarId = 800, kStatusBarId = 810;
constexpr int kPattern1 = 32866, kPattern5 = 32870;  // menu and toolbar commands

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_TRUE(LaunchProgram(CopySample(L"velqo-main"), program_));
    SetWindowPos(program_.window, HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    PumpFor(800);
  }
  void TearDown() override {
    if (program_.process.hProcess != nullptr) CloseProgram(program_);
  }
  HWND Child(int id) const { return GetDlgItem(program_.window, id); }
  LRESULT Toolbar(UINT message, WPARAM wParam = 0) const { return SendMessageW(Child(kToolbarId), message, wParam, 0); }

  RunningProgram program_;
};

TEST_F(MainWindowTest, HasItsToolbarStatusBarAndScrollBarsAndOutlivesATinyWindow) {
  ASSERT_NE(Child(kToolbarId), nullptr);
  EXPECT_EQ(Toolbar(TB_BUTTONCOUNT), 32);
  EXPECT_NE(Toolbar(TB_ISBUTTONCHECKED, kPattern1), 0);  // the first pattern's button is pressed
  ASSERT_NE(Child(kStatusBarId), nullptr);
  EXPECT_EQ(SendMessageW(Child(kStatusBarId), SB_GETPARTS, 0, 0), 4);
  for (int i = 0; i < 3; ++i)  // scroll bar, group combo and stock list of each chart
    for (int first : {100, 500, 600}) EXPECT_NE(Child(first + 4 * i), nullptr) << first << " " << i;
  EXPECT_TRUE(IsWindowVisible(Child(100)));  // the one chart of the first pattern
  EXPECT_NE(Child(700), nullptr);
  EXPECT_FALSE(IsWindowVisible(Child(700)));
  // The chart's scroll bar lies between the toolbar and the status bar.
  RECT bar, tool, status;
  GetWindowRect(Child(100), &bar);
  GetWindowRect(Child(kToolbarId), &tool);
  GetWindowRect(Child(kStatusBarId), &status);
  EXPECT_GE(bar.top, tool.bottom);
  EXPECT_LE(bar.bottom, status.top);
  RedrawWindow(program_.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(500);
  EXPECT_TRUE(SaveWindowPicture(program_.window, L"main-window-controls.bmp"));
  // A tiny window does not stop the program.
  for (int size : {1, 0, 30, 120}) {
    SetWindowPos(program_.window, nullptr, 0, 0, size, size, SWP_NOZORDER);
    PumpFor(150);
  }
  for (int show : {SW_MINIMIZE, SW_RESTORE}) {
    ShowWindow(program_.window, show);
    PumpFor(150);
  }
  EXPECT_EQ(WaitForSingleObject(program_.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(program_.window));
  EXPECT_EQ(Toolbar(TB_BUTTONCOUNT), 32);
}

TEST_F(MainWindowTest, F5ThroughTheMainLoopShowsPatternFive) {
  SetForegroundWindow(program_.window);
  PostMessageW(program_.window, WM_KEYDOWN, VK_F5, 0x003F0001);
  PostMessageW(program_.window, WM_KEYUP, VK_F5, 0xC03F0001);
  const std::wstring expected = SjisToWide("ヴェルクォラ22　－　パターン5");
  for (int i = 0; i < 100 && WindowTitle(program_.window) != expected; ++i) PumpFor(50);
  EXPECT_EQ(WindowTitle(program_.window), expected);
  // Menus are not readable from another process under Wine: the toolbar shows the same state.
  EXPECT_EQ(Row(Toolbar(TB_ISBUTTONCHECKED, kPattern5) != 0, Toolbar(TB_ISBUTTONCHECKED, kPattern1)), Row(1, 0));
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
  // Pattern 5 checked, not pattern 1; the daily period and width 5 of the selected first chart.
  const auto checked = [&](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
  EXPECT_EQ(Row(checked(kPattern5), checked(kPattern1), checked(32771), checked(32778)), Row(1, 0, 1, 1));
  wchar_t text[64] = L"";
  GetMenuStringW(menu, kPattern5, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), SjisToWide("パターン5\tF5"));
  DestroyWindow(owner);
}

}  // namespace
