// The price update command in the running program, through its message loop.

#include <gtest/gtest.h>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

namespace {

TEST(PriceUpdateProgramTest, TheUpdateCommandEndsInTheClosingDialogWithTheNewestDates) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-update");
  ASSERT_FALSE(folder.empty());
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);
  const HWND dialog = WaitForDialogWithControl(program.process, IDC_UPDATE_PRICE_DATE);
  ASSERT_NE(dialog, nullptr) << "no closing dialog";
  PumpFor(300);
  SaveWindowPicture(dialog, L"update-result.bmp");
  EXPECT_EQ(WindowTitle(dialog), SjisToWide("ヴェルクォラ22"));
  // No archive waited in the download folder: the price line has no new mark.
  const std::wstring prices = WindowTitle(GetDlgItem(dialog, IDC_UPDATE_PRICE_DATE));
  EXPECT_TRUE(prices.find(L'/') != std::wstring::npos && prices.find(L"* new *") == std::wstring::npos)
      << WideToSjis(prices.c_str());
  EXPECT_EQ(Row(IsWindowEnabled(GetDlgItem(dialog, 1)), IsWindowEnabled(GetDlgItem(dialog, 2))), Row(1, 0))
      << "no scenario of the sample writes the link files";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1)));
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(CloseProgram(program), 0u);
}

}  // namespace
