// The group settings dialog (268) with its renaming (162), the clipboard
// layout (313) and the code-list import, driven through their own modal loops
// from a second thread over a main window made in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/group_edits.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "window/chart_popups_win.h"
#include "window/chart_windows.h"
#include "window/color_swatch_win.h"
#include "window/group_commands_win.h"
#include "window/group_settings_dialog_win.h"

namespace {

constexpr int kGroup = 24;  // "グループ 1", manual
constexpr wchar_t kSettingsTitle[] = L"グループ設定...";

std::vector<uint8_t> LiveBytes() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(gGroupTable);
  return std::vector<uint8_t>(bytes, bytes + sizeof(GroupTable));
}

std::wstring ListRowText(HWND list, int row) {
  wchar_t text[256] = L"";
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return text;
}
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// A shown dialog of this process whose title is `title`, owned by `owner` when one is given.
HWND WaitForShownDialog(const std::wstring& title, HWND owner = nullptr, int tries = 200) {
  for (int i = 0; i < tries; ++i, Sleep(50)) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
      if (IsWindowVisible(w) && (title.empty() || WindowTitle(w) == title) &&
          (owner == nullptr || GetWindow(w, GW_OWNER) == owner)) {
        Sleep(200);  // painted
        return w;
      }
    }
  }
  return nullptr;
}

// The texts of a message box (title first), answered with `button`.
std::wstring AnswerMessageBox(HWND owner, int button) {
  const HWND box = WaitForShownDialog(L"", owner);
  if (box == nullptr) return L"";
  std::wstring text = WindowTitle(box);
  for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) text += WindowTitle(c);
  Press(box, button);
  WaitUntilClosed(box);
  return text;
}

// Runs `run` here while `answer` works its dialogs from a thread of its own.
template <typename Run>
auto RunAnswered(Run run, const std::function<void()>& answer) {
  std::thread helper(answer);
  const auto result = run();
  helper.join();
  return result;
}

class GroupDialogsTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-group-dialogs") || !LoadGroupsAtStartup()) return;
    RegisterColorSwatchClass(GetModuleHandleW(nullptr));
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 2;
    for (int i = 0; i < 2; ++i) {
      pattern.views[i] = MakeChartView(gStockTable->records[i].master.code, 0, {{kPaneCandles, 0}});
    }
    if (!ShowMainWindow(1000, 700)) return;
    saved_ = LiveBytes();
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    memcpy(gGroupTable, saved_.data(), saved_.size());
    RebuildGroupMemberBits();
    gSelectedChart = 0;
    CurrentScreenPattern().views[0].groupIndex = kGroup;
    gGroupEditBusy = 0;
  }
  static std::vector<uint8_t> GroupFile() { return ReadFileBytes(SjisToWide(gDataFolder) + L"\\grp.dat"); }
  static HWND ChartList(int chart) { return static_cast<HWND>(gChartWindows[chart].stockList); }

  static inline std::vector<uint8_t> saved_;
};

// Esc after making the group automatic on fewer markets and refusing an
// empty name: the live table and grp.dat stay as they were, and the edits
// are free again.
TEST_F(GroupDialogsTest, EscLeavesTheLiveTableAndItsFileByteForByte) {
  const std::vector<uint8_t> live = LiveBytes(), file = GroupFile();
  std::wstring swatch, arrowed, shownName;
  std::vector<int64_t> manualPage, automaticPage;
  bool emptyNameRefused = false;
  const bool ok = RunAnswered(
      [&] { return OpenGroupSettingsDialog(window_); },
      [&] {
        const HWND dialog = WaitForShownDialog(kSettingsTitle);
        if (dialog == nullptr) return;
        // Arrows on the closed group combo box step through the pages.
        PostKeyDownUp(GetDlgItem(dialog, IDC_GROUP_CHOICE), VK_DOWN);
        Sleep(300);
        arrowed = ControlText(dialog, IDC_GROUP_NAME_COLOR);
        PostKeyDownUp(GetDlgItem(dialog, IDC_GROUP_CHOICE), VK_UP);
        Sleep(300);
        swatch = ControlText(dialog, IDC_GROUP_NAME_COLOR);
        manualPage = Row(Checked(dialog, IDC_GROUP_MANUAL), ItemShown(dialog, IDC_GROUP_TERMS),
                         ItemShown(dialog, IDC_GROUP_MARKET_FIRST));
        Press(dialog, IDC_GROUP_AUTOMATIC);
        Press(dialog, IDC_GROUP_MARKET_FIRST + 1);
        Sleep(300);
        automaticPage =
            Row(Checked(dialog, IDC_GROUP_AUTOMATIC), ItemShown(dialog, IDC_GROUP_TERMS),
                ItemEnabled(dialog, IDC_GROUP_MARKET_FIRST), ItemEnabled(dialog, IDC_GROUP_MARKET_FIRST + 3),
                ItemEnabled(dialog, IDC_GROUP_MARKET_FIRST + 5), ItemEnabled(dialog, IDC_GROUP_MARKET_FIRST + 6),
                Checked(dialog, IDC_GROUP_MARKET_FIRST + 1), ItemEnabled(dialog, IDC_GROUP_EDIT_TERM));
        SaveWindowPicture(dialog, L"group-settings-automatic.bmp");
        Press(dialog, IDC_GROUP_RENAME);
        const HWND rename = WaitForShownDialog(L"グループ名変更...", dialog);
        if (rename == nullptr) return;
        shownName = ControlText(rename, IDC_GROUP_NEW_NAME);
        SetDlgItemTextW(rename, IDC_GROUP_NEW_NAME, L"");
        PostKeyDownUp(GetDlgItem(rename, IDC_GROUP_NEW_NAME), VK_RETURN);
        Sleep(300);
        emptyNameRefused = IsWindowVisible(rename) != FALSE;
        PostKeyDownUp(GetDlgItem(rename, IDC_GROUP_NEW_NAME), VK_ESCAPE);
        WaitUntilClosed(rename);
        PostKeyDownUp(GetDlgItem(dialog, IDC_GROUP_TERMS), VK_ESCAPE);
      });
  EXPECT_FALSE(ok);
  EXPECT_EQ(Row(arrowed == L"-26", swatch == L"-25"), Row(1, 1));
  EXPECT_EQ(manualPage, Row(1, 0, 0));
  EXPECT_EQ(automaticPage, Row(1, 1, 1, 0, 0, 0, 0, 0));
  EXPECT_EQ(Row(shownName == L"グループ 1", emptyNameRefused), Row(1, 1));
  EXPECT_TRUE(LiveBytes() == live);
  EXPECT_TRUE(GroupFile() == file);
  EXPECT_EQ(gGroupEditBusy, 0);
}

// While the groups are edited elsewhere, a group command is refused and told once.
TEST_F(GroupDialogsTest, AGroupCommandIsRefusedWhileTheGroupsAreEditedElsewhere) {
  GroupRecord& group = gGroupTable->groups[kGroup];
  group.memberCount = 1;
  group.members[0] = gStockTable->records[0].master.code;
  gGroupEditBusy = 1;
  std::wstring told, more;
  RunAnswered([&] { return RunGroupCommand(window_, IDM_GROUP_CLEAR); },
              [&] {
                told = AnswerMessageBox(window_, IDOK);
                more = WaitForShownDialog(L"", window_, 4) != nullptr ? L"more" : L"";
              });
  EXPECT_NE(told.find(L"本処理を実行できません"), std::wstring::npos);
  EXPECT_EQ(Row(more.empty(), group.memberCount), Row(1, 1));
  gGroupEditBusy = 0;
}

// In time-back mode the dialog first tells, once, that its changes end with the mode.
TEST_F(GroupDialogsTest, InTimeBackModeTheDialogFirstTellsThatItsChangesGoWithTheMode) {
  gTimeBackMode = 1;
  std::wstring told, more;
  bool opened = false;
  RunAnswered([&] { return OpenGroupSettingsDialog(window_); },
              [&] {
                told = AnswerMessageBox(window_, IDOK);
                const HWND dialog = WaitForShownDialog(kSettingsTitle);
                opened = dialog != nullptr;
                if (dialog == nullptr) return;
                more = WaitForShownDialog(L"", dialog, 4) != nullptr ? L"more" : L"";
                PostKeyDownUp(GetDlgItem(dialog, IDC_GROUP_TERMS), VK_ESCAPE);
                WaitUntilClosed(dialog);
              });
  gTimeBackMode = 0;
  EXPECT_NE(told.find(L"タイムバックモードを終了すると破棄されます"), std::wstring::npos);
  EXPECT_EQ(Row(opened, more.empty()), Row(1, 1));
}

// The sort-key sub-menu holds every condition item; a key and the order
// chosen there re-sort the shown group and its list, and the menu checks them.
TEST_F(GroupDialogsTest, TheSortMenusResortTheShownGroupAndCheckItsKeyAndOrder) {
  RebuildGroupMenus();
  const HMENU menu = GetMenu(window_), keys = FindSubMenuWithCommand(menu, IDM_SORT_ITEM_FIRST);
  ASSERT_NE(keys, nullptr);
  const std::vector<ConditionItemCode> items = GetConditionItemList();
  GroupRecord& group = gGroupTable->groups[kGroup];
  group.memberCount = 10;
  for (int i = 0; i < 10; ++i) group.members[i] = gStockTable->records[i].master.code;
  const int key = 1;  // the first item after the stock code
  EXPECT_EQ(RunGroupCommand(window_, IDM_SORT_ITEM_FIRST + key), 1);
  EXPECT_EQ(RunGroupCommand(window_, IDM_GROUP_SORT_DESCENDING), 1);
  UpdateGroupMenuItems(menu);
  bool sorted = true;
  for (int i = 1; i < 10; ++i) {
    sorted &= !SortKeyComesBefore(GroupSortKey(*gGroupTable, kGroup, group.members[i]),
                                  GroupSortKey(*gGroupTable, kGroup, group.members[i - 1]), true);
  }
  char first[8];
  EXPECT_EQ(Row(GetMenuItemCount(keys), group.sortItem, group.sortOrder, sorted), Row(items.size(), items[key], 1, 1));
  EXPECT_EQ(ListRowText(ChartList(0), 0).substr(0, 4), SjisToWide(CodeToString(group.members[0], first)));
  EXPECT_EQ(Row((GetMenuState(keys, key, MF_BYPOSITION) & MF_CHECKED) != 0,
                (GetMenuState(keys, 0, MF_BYPOSITION) & MF_CHECKED) != 0,
                (GetMenuState(menu, IDM_GROUP_SORT_DESCENDING, MF_BYCOMMAND) & MF_CHECKED) != 0),
            Row(1, 0, 1));
}

// A group that another group's membership term names cannot become automatic.
TEST_F(GroupDialogsTest, AGroupNamedByAMembershipTermStaysManual) {
  GroupRecord& other = gGroupTable->groups[kGroup + 1];
  other.automatic = 1;
  other.termCount = 1;
  other.terms[0] = {static_cast<int16_t>(kGroup - 199), kOpMemberOf, 0, 0, 0.0};
  std::vector<int64_t> page;
  RunAnswered([&] { return OpenGroupSettingsDialog(window_); },
              [&] {
                const HWND dialog = WaitForShownDialog(kSettingsTitle);
                if (dialog == nullptr) return;
                Press(dialog, IDC_GROUP_AUTOMATIC);
                Sleep(200);
                page = Row(ItemEnabled(dialog, IDC_GROUP_AUTOMATIC), Checked(dialog, IDC_GROUP_MANUAL));
                Press(dialog, IDOK);
              });
  EXPECT_EQ(page, Row(0, 1));
  EXPECT_EQ(gGroupTable->groups[kGroup].automatic, 0);
}

// A new signal kind on the entry group of a scenario in use: the memberships
// are extracted again and marked for the next recomputation.
TEST_F(GroupDialogsTest, ANewSignalOnAScenariosGroupExtractsTheMembershipsAgain) {
  constexpr int kRanking = 9;  // "値上り率ランキング", automatic, no special terms
  CurrentScreenPattern().views[0].groupIndex = kRanking;
  gScenarioTable.records[0] = ScenarioRecord{};
  gScenarioTable.records[0].valid = 1;
  gScenarioTable.records[0].entrySignal = kRanking;
  gGroupsDirty = 0;
  const bool ok = RunAnswered([&] { return OpenGroupSettingsDialog(window_); },
                              [&] {
                                const HWND dialog = WaitForShownDialog(kSettingsTitle);
                                if (dialog == nullptr) return;
                                const HWND signal = GetDlgItem(dialog, IDC_GROUP_SIGNAL_KIND);
                                SendMessageW(signal, CB_SETCURSEL, 1, 0);  // "短期買"
                                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_GROUP_SIGNAL_KIND, CBN_SELCHANGE),
                                             reinterpret_cast<LPARAM>(signal));
                                Sleep(200);
                                PostKeyDownUp(signal, VK_RETURN);
                              });
  gScenarioTable.records[0] = ScenarioRecord{};
  EXPECT_TRUE(ok);
  EXPECT_EQ(Row(gGroupTable->groups[kRanking].signalKind, gGroupsDirty), Row(1, 1));
  gGroupsDirty = 0;
}

// 313 remembers "コードと銘柄名" and the mark; the clipboard holds that text.
TEST_F(GroupDialogsTest, TheClipboardCopyTakesTheChosenLayoutAndKeepsIt) {
  GroupRecord& group = gGroupTable->groups[kGroup];
  group.memberCount = 3;
  for (int i = 0; i < 3; ++i) group.members[i] = gStockTable->records[i].master.code;
  gClipboardWithNames = gClipboardWithMark = 0;
  std::wstring told;
  const bool ok = RunAnswered([&] { return CopyGroupListToClipboard(window_); },
                              [&] {
                                const HWND dialog = WaitForShownDialog(L"コピーするテキストの構成を選択してください");
                                if (dialog == nullptr) return;
                                SendDlgItemMessageW(dialog, IDC_CLIPBOARD_WITH_NAMES, BM_CLICK, 0, 0);
                                SendDlgItemMessageW(dialog, IDC_CLIPBOARD_WITH_MARK, BM_CLICK, 0, 0);
                                PostKeyDownUp(GetDlgItem(dialog, IDC_CLIPBOARD_WITH_MARK), VK_RETURN);
                                WaitUntilClosed(dialog);
                                told = AnswerMessageBox(window_, IDOK);
                              });
  ASSERT_TRUE(ok);
  std::string text;
  if (OpenClipboard(nullptr)) {
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  EXPECT_EQ(text, BuildGroupClipboardText(*gGroupTable, kGroup, true, true));
  EXPECT_EQ(Row(gClipboardWithNames, gClipboardWithMark, std::count(text.begin(), text.end(), '\n')), Row(1, 1, 3));
  EXPECT_NE(told.find(L"クリップボードにコピーしました"), std::wstring::npos);
}

// Yes, then a file of 5001 codes: the group holds 5000 and the limit is told once.
TEST_F(GroupDialogsTest, AnImportOfTooManyCodesTellsTheLimitOnce) {
  std::string text;
  for (int n = 1000; n <= 6000; ++n) text += std::to_string(n) + "\r\n";
  const std::wstring path = MakeTempFolder(L"velqo-import") + L"codes.txt";
  ASSERT_TRUE(WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end())));
  std::wstring question, limit, more;
  const bool ok = RunAnswered([&] { return ImportGroupFromTextFile(window_); },
                              [&] {
                                question = AnswerMessageBox(window_, IDYES);
                                if (!AnswerFileDialog(window_, path)) return;
                                limit = AnswerMessageBox(window_, IDOK);
                                Sleep(300);
                                more = WaitForShownDialog(L"", window_, 1) != nullptr ? L"more" : L"";
                              });
  EXPECT_TRUE(ok);
  EXPECT_NE(question.find(L"グループの内容が完全に入れ替わります"), std::wstring::npos);
  EXPECT_NE(limit.find(L"上限に達している"), std::wstring::npos);
  EXPECT_EQ(more, L"");
  EXPECT_EQ(Row(gGroupTable->groups[kGroup].memberCount, SendMessageW(ChartList(0), LB_GETCOUNT, 0, 0)),
            Row(kMaxGroupMembers, kMaxGroupMembers));
}

}  // namespace
