// The main window's child controls, menu and keys, on a copy of the sample database.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "chart/chart_selection.h"
#include "chart/main_menu_win.h"
#include "platform/win_text.h"
#include "shell/app_globals.h"
#include "shell/settings.h"
#include "tests/win/win_test_support.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
    } else {
      ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return ok;
}

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t name[64];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->processId && GetClassNameW(hwnd, name, 64) && wcscmp(name, L"VELQUORANDIME") == 0 &&
      IsWindowVisible(hwnd))
    search->found = hwnd;
  return TRUE;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring sample = UnixToDosPath(EnvironmentText(L"VELQO_SAMPLE_DB"));
    if (sample.empty()) GTEST_SKIP() << "no sample database given";
    const std::wstring folder = MakeTempFolder(L"velqo-main");
    ASSERT_TRUE(CopyTree(sample, folder.substr(0, folder.size() - 1)));
    const std::wstring exe = UnixToDosPath(EnvironmentText(L"VELQO_EXE"));
    ASSERT_TRUE(CopyFileW(exe.c_str(), (folder + L"velqo.exe").c_str(), FALSE));
    std::wstring command = L"\"" + folder + L"velqo.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &process_));
    Search search{process_.dwProcessId, nullptr};
    for (int i = 0; i < 300 && search.found == nullptr; ++i) {
      EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) Sleep(100);
    }
    ASSERT_NE(search.found, nullptr);
    window_ = search.found;
    SetWindowPos(window_, HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
    PumpFor(800);
  }

  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  HWND Child(int id) const { return GetDlgItem(window_, id); }

  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

std::wstring TitleOf(HWND hwnd) {
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  return title;
}

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

  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(500);
  EXPECT_TRUE(SaveWindowPicture(window_, ArtifactsFolder() + L"main-window-controls.bmp"));
}

TEST_F(MainWindowTest, F5ThroughTheMainLoopShowsPatternFive) {
  SetForegroundWindow(window_);
  PostMessageW(window_, WM_KEYDOWN, VK_F5, 0x003F0001);
  PostMessageW(window_, WM_KEYUP, VK_F5, 0xC03F0001);
  const std::wstring expected = SjisToWide("ヴェルクォラ22　－　パターン5");
  for (int i = 0; i < 100 && TitleOf(window_) != expected; ++i) PumpFor(50);
  EXPECT_EQ(TitleOf(window_), expected);
  // Menus are not readable from another process under Wine: the toolbar shows the same state.
  EXPECT_NE(SendMessageW(Child(800), TB_ISBUTTONCHECKED, 32870, 0), 0);
  EXPECT_EQ(SendMessageW(Child(800), TB_ISBUTTONCHECKED, 32866, 0), 0);
}

// The menu part of the same refresh, on the program's own menu resource in this process.
TEST(MainMenuTest, TheCurrentPatternsItemIsCheckedAndNamedWithItsKey) {
  SetDefaultSettings();
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                     LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(241)),
                                     GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  const HMENU menu = GetMenu(owner);
  ASSERT_NE(menu, nullptr);
  void* const savedMain = gMainWnd;
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
  gMainWnd = savedMain;
  DestroyWindow(owner);
  gCurrentPattern = 0;
}

TEST_F(MainWindowTest, ATinyWindowDoesNotStopTheProgram) {
  for (int size : {1, 0, 30, 120}) {
    SetWindowPos(window_, nullptr, 0, 0, size, size, SWP_NOZORDER);
    PumpFor(150);
  }
  ShowWindow(window_, SW_MINIMIZE);
  PumpFor(150);
  ShowWindow(window_, SW_RESTORE);
  PumpFor(150);
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(SendMessageW(Child(800), TB_BUTTONCOUNT, 0, 0), 32);
}

}  // namespace
