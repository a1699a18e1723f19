// The price repairs in the running program on a copy of the sample database:
// the delete-date dialog refuses what is no date, then the chosen date leaves
// every stock's daily file and nothing else does.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tests/win/waiting_archives.h"

namespace {

// "title|text" of the box that `find` finds next, answered with `button`; empty when none came.
template <typename Find>
std::wstring AnswerBoxFound(Find find, int button, const wchar_t* picture) {
  HWND box = nullptr;
  for (int i = 0; i < 1200 && box == nullptr; ++i, Sleep(50)) box = find();
  if (box == nullptr) return L"";
  PumpFor(200);
  if (picture != nullptr) SaveWindowPicture(box, picture);
  const std::wstring text = WindowTitle(box) + L"|" + ControlText(box, 0xFFFF);
  Press(box, button);
  WaitUntilClosed(box);
  return text;
}

// A box of the dialog (its refusals).
std::wstring AnswerBox(HWND dialog, int button, const wchar_t* picture) {
  return AnswerBoxFound([dialog] { return WaitForOwnedDialog(dialog, 1); }, button, picture);
}

// A box of the program's main window, not its progress dialog.
std::wstring AnswerBox(const RunningProgram& program, int button, const wchar_t* picture) {
  return AnswerBoxFound([&program] { return MessageBoxOf(program.process); }, button, picture);
}

// True when the daily file's last bar is of `date` (the sample's files hold no bar twice).
bool HoldsLast(const std::vector<unsigned char>& day, uint32_t date) {
  return day.size() >= 8 + kBarBytes && ReadU32(day, day.size() - kBarBytes) == date;
}

TEST(PriceRepairFlowProgramTest, TheDateDialogRefusesWhatIsNoDateAndTheChosenDateLeavesEveryStock) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-repair");
  ASSERT_FALSE(folder.empty());
  const uint32_t last = LastBar(folder, "1001").first;
  ASSERT_NE(last, 0u);
  std::map<std::string, std::vector<unsigned char>> before;
  for (const WaitingStock& stock : ReadStocks(folder))
    before[stock.code] = ReadFileBytes(folder + L"DAY\\" + SjisToWide(stock.code.c_str()));
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_DELETE_BARS_AT_DATE, 0);
  const HWND dialog = WaitForDialogWithControl(program.process, IDC_DELETE_DATE_EDIT);
  ASSERT_NE(dialog, nullptr) << "no delete-date dialog";
  PumpFor(300);
  SaveWindowPicture(dialog, L"repair-delete-date.bmp");
  EXPECT_EQ(WindowTitle(dialog), SjisToWide("指定した日付の株価を削除する"));
  EXPECT_EQ(ControlText(dialog, IDC_DELETE_DATE_EDIT), L"");

  const std::wstring refusal = SjisToWide("入力エラー|日付は 20260811 のように、８桁の数字で入力してください。");
  // The text stays selected in the focused edit, to be typed over.
  const HWND edit = GetDlgItem(dialog, IDC_DELETE_DATE_EDIT);
  const DWORD dialogThread = GetWindowThreadProcessId(dialog, nullptr);
  for (const wchar_t* typed : {L"19791231", L"20261301", L"2026081", L"2026/12/1", L"-4274706092"}) {
    PostTyping(dialog, IDC_DELETE_DATE_EDIT, typed, 0);
    Press(dialog, IDOK);
    EXPECT_EQ(AnswerBox(dialog, IDOK, L"repair-date-refused.bmp"), refusal) << WideToSjis(typed);
    PumpFor(200);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays for another try";
    const DWORD selection = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(dialogThread, &focus);
    EXPECT_EQ(Row(LOWORD(selection), HIWORD(selection), focus.hwndFocus == edit), Row(0, wcslen(typed), true))
        << WideToSjis(typed);
  }
  PostTyping(dialog, IDC_DELETE_DATE_EDIT, SjisToWide(DayName(last).c_str()).c_str(), 0);
  Press(dialog, IDOK);
  EXPECT_TRUE(WaitUntilClosed(dialog));
  const std::wstring question = AnswerBox(program, IDOK, L"repair-delete-question.bmp");
  char day[64];
  snprintf(day, sizeof day, "%u年%u月%u日 のレコードを削除します。", last >> 16, last >> 8 & 0xFF, last & 0xFF);
  EXPECT_NE(question.find(SjisToWide(day)), std::wstring::npos) << WideToSjis(question.c_str());

  int held = 0;
  for (const auto& [code, bytes] : before) held += HoldsLast(bytes, last) ? 1 : 0;
  snprintf(day, sizeof day, "|%d銘柄から、合計%d件のレコードを削除しました。", held, held);
  const std::wstring told = AnswerBox(program, IDOK, L"repair-delete-done.bmp");
  EXPECT_EQ(told.substr(told.find(L'|')), SjisToWide(day));
  PumpFor(500);
  SaveWindowPicture(program.window, L"repair-delete-chart.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);

  for (const auto& [code, bytes] : before) {
    const std::vector<unsigned char> after = ReadFileBytes(folder + L"DAY\\" + SjisToWide(code.c_str()));
    if (!HoldsLast(bytes, last)) {
      EXPECT_EQ(after, bytes) << code;
      continue;
    }
    std::vector<unsigned char> expected(bytes.begin(), bytes.end() - kBarBytes);
    const uint32_t count = ReadU32(bytes, 4) - 1;
    for (int i = 0; i < 4; ++i) expected[4 + i] = static_cast<unsigned char>(count >> (8 * i));
    EXPECT_EQ(after, expected) << code;
  }
}

}  // namespace
