// A new user's groups in the real program, with pictures: a manual group
// made automatic on the prime market with a typed condition, renamed, copied
// to the clipboard with names, moved up, given a signal that is copied into a
// signal file of its own, which is chosen and shown in the strip, and another
// group filled from a code list.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "data/stock_table.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

namespace {

constexpr int kFirstUserGroup = 24;  // "グループ 1"

// A shown dialog of the program by its title (any title when empty), waited for and painted.
HWND WaitForProgramDialog(const RunningProgram& program, const wchar_t* title) {
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && dialog == nullptr; ++i, Sleep(50)) {
    dialog = WindowOf(program.process, L"#32770", title[0] != L'\0' ? title : nullptr, true);
  }
  if (dialog != nullptr) Sleep(300);
  return dialog;
}

HWND ChartControl(const RunningProgram& program, int id) { return GetDlgItem(program.window, id); }
// Asked of the control itself: GetWindowText does not read another process's controls.
std::wstring ControlTextOf(HWND control) {
  wchar_t text[256] = L"";
  SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}
int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
std::wstring ListRow(HWND list, int row) {
  std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}
int RowContaining(HWND list, const wchar_t* part) {
  for (int row = 0; row < ListCount(list); ++row)
    if (ListRow(list, row).find(part) != std::wstring::npos) return row;
  return -1;
}

// The first chart shows group g, chosen in its combo box as a user would.
void ShowGroupInFirstChart(RunningProgram& program, int g) {
  const HWND combo = ChartControl(program, IDC_GROUP_COMBO);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(g), 0);
  PostMessageW(program.window, WM_COMMAND, MAKEWPARAM(IDC_GROUP_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  SettleProgram(program.window);
}

HWND OpenGroupSettings(RunningProgram& program) {
  PostMessageW(program.window, WM_COMMAND, IDM_GROUP_SETTINGS, 0);
  return WaitForProgramDialog(program, L"グループ設定...");
}

void PickInCombo(HWND dialog, int id, int entry) {
  const HWND combo = GetDlgItem(dialog, id);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  Sleep(200);
}

// Enter on the dialog; true once it closed and the program took what followed.
bool EnterAndSettle(RunningProgram& program, HWND dialog, int focusId) {
  PostKeyDownUp(GetDlgItem(dialog, focusId), VK_RETURN);
  const bool closed = WaitUntilClosed(dialog);
  SettleProgram(program.window);
  Sleep(300);
  return closed;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (const HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

const GroupRecord& SavedGroup(const std::vector<unsigned char>& file, int g) {
  return reinterpret_cast<const GroupTable*>(file.data())->groups[g];
}

// "グループ 1": automatic, only the prime market among the ones that list
// stocks, today's price over 1000 yen, renamed; what the dialog counted
// fills the chart's list.
int MakePrimeGroup(RunningProgram& program, std::wstring* term) {
  ShowGroupInFirstChart(program, kFirstUserGroup);
  const HWND dialog = OpenGroupSettings(program);
  if (dialog == nullptr) return -1;
  SaveWindowPicture(dialog, L"group-flow-1-manual.bmp");
  Press(dialog, IDC_GROUP_AUTOMATIC);
  for (const int k : {1, 2, 4}) Press(dialog, IDC_GROUP_MARKET_FIRST + k);  // standard, growth, Tokyo
  Sleep(300);
  // A new term starts as today's price over a number: the number is typed and taken with Enter.
  Press(dialog, IDC_GROUP_ADD_TERM);
  const HWND editor = WaitForProgramDialog(program, L"自動抽出条件設定...");
  if (editor == nullptr) return -1;
  PostTyping(editor, IDC_CONDITION_CONSTANT, L"1000", 0);
  Sleep(200);
  SaveWindowPicture(editor, L"group-flow-2-condition.bmp");
  PostMessageW(GetDlgItem(editor, IDC_CONDITION_CONSTANT), WM_KEYDOWN, VK_RETURN, 0);
  WaitUntilClosed(editor);
  Sleep(300);
  *term = ListRow(GetDlgItem(dialog, IDC_GROUP_TERMS), 0);
  Press(dialog, IDC_GROUP_RENAME);
  const HWND rename = WaitForProgramDialog(program, L"グループ名変更...");
  if (rename == nullptr) return -1;
  SetDlgItemTextW(rename, IDC_GROUP_NEW_NAME, L"プライム銘柄");
  PostKeyDownUp(GetDlgItem(rename, IDC_GROUP_NEW_NAME), VK_RETURN);
  WaitUntilClosed(rename);
  Sleep(300);
  const std::wstring count = ControlText(dialog, IDC_GROUP_RESULT_COUNT);
  SaveWindowPicture(dialog, L"group-flow-3-prime.bmp");
  if (!EnterAndSettle(program, dialog, IDC_GROUP_TERMS)) return -1;
  SaveWindowPicture(program.window, L"group-flow-4-chart-list.bmp");
  return count.size() > 4 ? _wtoi(count.c_str() + 3) : -1;  // "件数：%d件"
}

std::string CopyListWithNames(RunningProgram& program) {
  PostMessageW(program.window, WM_COMMAND, IDM_GROUP_COPY_TO_CLIPBOARD, 0);
  const HWND dialog = WaitForProgramDialog(program, L"コピーするテキストの構成を選択してください");
  if (dialog == nullptr) return "";
  PostMessageW(GetDlgItem(dialog, IDC_CLIPBOARD_WITH_NAMES), BM_CLICK, 0, 0);
  Sleep(200);
  SaveWindowPicture(dialog, L"group-flow-5-clipboard.bmp");
  PostKeyDownUp(GetDlgItem(dialog, IDC_CLIPBOARD_WITH_NAMES), VK_RETURN);
  WaitUntilClosed(dialog);
  const HWND told = WaitForProgramDialog(program, L"");
  if (told == nullptr) return "";
  Press(told, IDOK);
  WaitUntilClosed(told);
  return ClipboardText();
}

// The group one place up in the move and copy dialog; the chart keeps showing it.
bool MoveGroupUp(RunningProgram& program, int g) {
  PostMessageW(program.window, WM_COMMAND, IDM_GROUP_MOVE_COPY, 0);
  const HWND dialog = WaitForProgramDialog(program, L"グループの移動とコピー...");
  if (dialog == nullptr) return false;
  const HWND source = GetDlgItem(dialog, IDC_MOVECOPY_SOURCE);
  SendMessageW(source, LB_SETCURSEL, static_cast<WPARAM>(g), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_MOVECOPY_SOURCE, LBN_SELCHANGE), reinterpret_cast<LPARAM>(source));
  Press(dialog, IDC_MOVECOPY_UP);
  Sleep(300);
  SaveWindowPicture(dialog, L"group-flow-6-moved.bmp");
  return EnterAndSettle(program, dialog, IDC_MOVECOPY_SOURCE);
}

bool GiveShortTermBuySignal(RunningProgram& program) {
  const HWND dialog = OpenGroupSettings(program);
  if (dialog == nullptr) return false;
  PickInCombo(dialog, IDC_GROUP_SIGNAL_KIND, 1);  // "短期買"
  SaveWindowPicture(dialog, L"group-flow-7-signal.bmp");
  return EnterAndSettle(program, dialog, IDC_GROUP_SIGNAL_KIND);
}

// The group's signal copied in the signal-settings editor and saved as
// "mine.dat" where the save dialog opens, "PLUGIN\\"; the number of signals
// the editor then lists, or -1 when a step failed.
int SaveGroupSignalInEditor(RunningProgram& program, const std::wstring& folder, const wchar_t* groupName) {
  PostMessageW(program.window, WM_COMMAND, IDM_SIGNAL_FILE_EDITOR, 0);
  const HWND dialog = WaitForProgramDialog(program, L"売買シグナル設定ファイルの編集");
  if (dialog == nullptr) return -1;
  const HWND groups = GetDlgItem(dialog, IDC_SIGEDIT_GROUPS);
  const int row = RowContaining(groups, groupName);
  if (row < 0) return -1;
  SendMessageW(groups, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SIGEDIT_GROUPS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(groups));
  Press(dialog, IDC_SIGEDIT_COPY_GROUP);
  Sleep(300);
  const int signals = ListCount(GetDlgItem(dialog, IDC_SIGEDIT_SIGNALS));
  SaveWindowPicture(dialog, L"group-flow-8-editor.bmp");
  Press(dialog, IDC_SIGEDIT_SAVE);
  if (!AnswerFileDialog(dialog, L"mine.dat")) return -1;
  Sleep(300);
  Press(dialog, IDOK);
  if (!WaitUntilClosed(dialog)) return -1;
  return ReadFileBytes(folder + L"PLUGIN\\mine.dat").size() == sizeof(SignalSettingsFile) ? signals : -1;
}

// "mine" starred by a double click in the chooser, OK, and the recomputation
// it offers taken; true once the recomputation is over.
bool ChooseSignalFile(RunningProgram& program) {
  PostMessageW(program.window, WM_COMMAND, IDM_CHOOSE_SIGNAL_FILE, 0);
  const HWND dialog = WaitForProgramDialog(program, L"売買シグナル設定ファイルの選択...");
  if (dialog == nullptr) return false;
  const HWND files = GetDlgItem(dialog, IDC_SIGNAL_FILE_LIST);
  const int mine = RowContaining(files, L"mine");
  if (mine < 0) return false;
  SendMessageW(files, LB_SETCURSEL, static_cast<WPARAM>(mine), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SIGNAL_FILE_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(files));
  Sleep(300);
  SaveWindowPicture(dialog, L"group-flow-9-chooser.bmp");
  Press(dialog, IDOK);
  WaitUntilClosed(dialog);
  const HWND question = WaitForProgramDialog(program, L"お知らせ");
  if (question == nullptr) return false;
  Press(question, IDOK);
  WaitUntilClosed(question);
  for (int i = 0; i < 600 && DialogWithControl(program.process, IDC_PROGRESS_BAR) != nullptr; ++i) Sleep(50);
  SettleProgram(program.window);
  Sleep(300);
  return DialogWithControl(program.process, IDC_PROGRESS_BAR) == nullptr;
}

// "グループ 2" from a code list: Yes, the file, and the codes in the chart's list.
bool ImportCodeList(RunningProgram& program, const std::wstring& path) {
  ShowGroupInFirstChart(program, kFirstUserGroup + 1);
  PostMessageW(program.window, WM_COMMAND, IDM_GROUP_IMPORT_TEXT, 0);
  const HWND question = WaitForProgramDialog(program, L"");
  if (question == nullptr) return false;
  SaveWindowPicture(question, L"group-flow-11-import-question.bmp");
  Press(question, IDYES);
  WaitUntilClosed(question);
  const bool closed = AnswerFileDialog(program.window, path);
  SettleProgram(program.window);
  Sleep(300);
  SaveWindowPicture(program.window, L"group-flow-12-imported.bmp");
  return closed;
}

TEST(NewUserGroupFlowTest, AGroupMadeAutomaticRenamedCopiedMovedGivenASignalAndAnotherImported) {
  const std::wstring folder = CopySample(L"velqo-group-flow");
  if (folder.empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  SettleProgram(program.window);
  const HWND list = ChartControl(program, IDC_STOCK_LIST);
  std::wstring term;
  const int shown = MakePrimeGroup(program, &term);
  EXPECT_GT(shown, 0);
  EXPECT_EQ(WideToSjis(term.c_str()).rfind("本日の株価", 0), 0u) << WideToSjis(term.c_str());
  EXPECT_NE(term.find(L"1000"), std::wstring::npos);
  EXPECT_EQ(ListCount(list), shown);
  EXPECT_EQ(ControlTextOf(ChartControl(program, IDC_GROUP_COMBO)), L"プライム銘柄");
  // Each list row "code:name" comes back as "code name" on its own line.
  const std::string copied = CopyListWithNames(program);
  std::string expected;
  for (int row = 0; row < ListCount(list); ++row) {
    std::wstring text = ListRow(list, row);
    text[text.find(L':')] = L' ';
    expected += WideToSjis(text.c_str()) + "\n";
  }
  EXPECT_EQ(copied, expected);
  EXPECT_TRUE(MoveGroupUp(program, kFirstUserGroup));
  const HWND combo = ChartControl(program, IDC_GROUP_COMBO);
  EXPECT_EQ(Row(SendMessageW(combo, CB_GETCURSEL, 0, 0), ListCount(list)), Row(kFirstUserGroup - 1, shown));
  EXPECT_EQ(ControlTextOf(combo), L"プライム銘柄");
  EXPECT_TRUE(GiveShortTermBuySignal(program));
  // The chart shows the group's first stock; the group's signal goes into a file of its own, which is
  // then chosen: the strip shows it.
  PostMessageW(list, LB_SETCURSEL, 0, 0);
  PostMessageW(program.window, WM_COMMAND, MAKEWPARAM(IDC_STOCK_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  SettleProgram(program.window);
  EXPECT_EQ(SaveGroupSignalInEditor(program, folder, L"プライム銘柄"), 1);
  EXPECT_TRUE(ChooseSignalFile(program));
  SaveWindowPicture(program.window, L"group-flow-10-strip.bmp");
  // Codes from the copied list, a repeat and a junk line.
  const std::string codes = copied.substr(0, 4) + "\r\n" + "junk\r\n" + copied.substr(0, 4) + "\r\n";
  const std::wstring path = folder + L"codes.txt";
  ASSERT_TRUE(WriteFileBytes(path, std::vector<unsigned char>(codes.begin(), codes.end())));
  EXPECT_TRUE(ImportCodeList(program, path));
  EXPECT_EQ(ListCount(list), 1);
  EXPECT_EQ(CloseProgram(program), 0u);
  const std::vector<unsigned char> file = ReadFileBytes(folder + L"grp.dat");
  ASSERT_EQ(file.size(), sizeof(GroupTable));
  const GroupRecord& prime = SavedGroup(file, kFirstUserGroup - 1);
  EXPECT_STREQ(prime.name, "プライム銘柄");
  constexpr uint16_t kPrimeOnly = 0xFF7F & ~0xE00;  // standard, growth and Tokyo taken off
  EXPECT_EQ(Row(prime.automatic, prime.marketMask, prime.memberCount, prime.signalKind, prime.termCount,
                prime.terms[0].constant == 1000),
            Row(1, kPrimeOnly, shown, 1, 1, 1));
  EXPECT_EQ(SavedGroup(file, kFirstUserGroup + 1).memberCount, 1);
  // The recomputation raised the file's signal for exactly the group's members.
  const std::vector<unsigned char> stocks = ReadFileBytes(folder + L"stock.dat");
  ASSERT_EQ(stocks.size(), sizeof(StockTable));
  const auto& table = *reinterpret_cast<const StockTable*>(stocks.data());
  std::vector<StockCode> signalled(prime.members, prime.members + prime.memberCount), raised;
  for (int i = 0; i < table.count; ++i) {
    if ((table.records[i].signalBits & 1u) != 0) raised.push_back(table.records[i].master.code);
  }
  std::sort(signalled.begin(), signalled.end(), CodeLess);
  EXPECT_EQ(raised, signalled);
  RemoveFolderTree(folder);
}

}  // namespace
