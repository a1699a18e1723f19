// The menu command that recomputes every stock, run in the program itself:
// the breadth files it writes and the stock list it leaves on the shown stock.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "common/stock_code.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/win/program_runner.h"

namespace {

constexpr const wchar_t* kBreadthFiles[] = {L"adr_d.dat", L"adr_w.dat", L"adr_m.dat"};

int SelectedRow(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

// The stock code a row of the program's stock list begins with.
std::string RowCode(HWND list, int row) {
  wchar_t text[256] = L"";
  if (SendMessageW(list, LB_GETTEXTLEN, row, 0) >= 256) return "";
  SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
  return WideToSjis(text).substr(0, 4);
}

bool RecomputeEnded(const std::wstring& folder, HWND window) {
  const std::wstring lastBreadthFile = folder + kBreadthFiles[2];
  for (int i = 0; i < 600 && ReadFileBytes(lastBreadthFile).size() != 20484u; ++i) Sleep(50);
  for (int i = 0; i < 200 && !IsWindowEnabled(window); ++i) Sleep(50);
  SettleProgram(window);
  return ReadFileBytes(lastBreadthFile).size() == 20484u && IsWindowEnabled(window);
}

// The breadth files appear only once every stock has been recomputed. The
// stock list keeps its highlight on the stock the chart shows, so that the
// next Down key goes on from there.
TEST(RecomputeCommandTest, WritesTheBreadthFilesAndTheProgramStillClosesNormally) {
  if (EnvironmentText(L"VELQO_SAMPLE_DB").empty()) GTEST_SKIP() << "VELQO_SAMPLE_DB not set";
  const std::wstring folder = CopySample(L"velqo-recompute");
  ASSERT_FALSE(folder.empty());
  for (const wchar_t* name : kBreadthFiles) DeleteFileW((folder + name).c_str());
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  const HWND list = GetDlgItem(program.window, IDC_STOCK_LIST);  // the upper chart's
  ASSERT_NE(list, nullptr);
  const int first = SelectedRow(list);
  PressKey(program.window, VK_DOWN);
  PressKey(program.window, VK_DOWN);
  ASSERT_EQ(SelectedRow(list), first + 2);
  PostMessageW(program.window, WM_COMMAND, IDM_RECOMPUTE_ALL, 0);
  EXPECT_TRUE(RecomputeEnded(folder, program.window));
  EXPECT_EQ(SelectedRow(list), first + 2) << "the list left the shown stock";
  PressKey(program.window, VK_DOWN);
  const std::string shown = RowCode(list, first + 3);
  EXPECT_EQ(SelectedRow(list), first + 3);
  EXPECT_EQ(CloseProgram(program), 0u);
  for (const wchar_t* name : kBreadthFiles) EXPECT_EQ(ReadFileBytes(folder + name).size(), 20484u) << name;
  EXPECT_EQ(
      FromSavedSettings(folder, [] { return std::string(CodeToString(CurrentScreenPattern().views[0].stockCode)); }),
      shown)
      << "the chart shows the stock the list highlights";
}

}  // namespace
