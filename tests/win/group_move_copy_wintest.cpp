// The group move/copy dialog (201) over a main window on the sample: moving
// group 30 up keeps the chart, the term, the scenario and the monitored
// group on it and saves once; the copy mode's buttons, its keeping between
// openings, the refusals, Cancel, and the items grayed in time-back mode.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/chart_windows.h"
#include "window/group_move_copy_dialog_win.h"
#include "window/main_menu_win.h"

namespace {

constexpr char kDialogTitle[] = "グループの移動とコピー...";
constexpr int16_t Named(int g) { return static_cast<int16_t>(-199 + g); }

void Settle() { Sleep(150); }

int Selected(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0)); }

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::vector<uint8_t> AllBits() {
  std::vector<uint8_t> bits;
  for (int i = 0; i < gStockTable->count; ++i) {
    const uint8_t* b = gStockTable->records[i].groupBits;
    bits.insert(bits.end(), b, b + sizeof(StockRecord::groupBits));
  }
  return bits;
}

class GroupMoveCopyDialogTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-movecopy") || !LoadGroupsAtStartup()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 2;
    for (int chart = 0; chart < 2; ++chart) {
      pattern.views[chart] = MakeChartView(gStockTable->records[chart].master.code, 0, {{kPaneCandles, 3}});
    }
    if (!ShowMainWindow(1000, 700)) return;
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    gTimeBackMode = 0;
  }
  static bool RunDialog(const std::function<void(HWND)>& drive) {
    return RunDriven(SjisToWide(kDialogTitle), drive,
                     [] { SendMessageW(window_, WM_COMMAND, IDM_GROUP_MOVE_COPY, 0); });
  }
  static std::vector<uint8_t> SavedGroupFile() { return ReadFileBytes(SjisToWide(gDataFolder) + L"\\grp.dat"); }
};

// Group 30 named by a term, a scenario, a chart and the monitoring goes up:
// all of them still name it, the bits follow, "grp.dat" holds the new order.
TEST_F(GroupMoveCopyDialogTest, MovingGroupThirtyUpKeepsEveryReferenceOnItAndSavesOnce) {
  GroupRecord& thirty = gGroupTable->groups[30];
  snprintf(thirty.name, kGroupNameSize, "注目３０");
  thirty.automatic = 0;
  thirty.memberCount = 0;
  for (int i = 0; i < 5; ++i) thirty.members[thirty.memberCount++] = gStockTable->records[2 * i].master.code;
  GroupRecord& forty = gGroupTable->groups[40];
  forty.automatic = 1;
  forty.marketMask = 0xFFFF;
  forty.termCount = 1;
  forty.terms[0] = {Named(30), kOpMemberOf, kOperandConstant, 0, 0};
  RunExtractionForGroup(*gGroupTable, 40);
  RebuildGroupMemberBits();
  gScenarioTable.records[0].valid = 1;
  gScenarioTable.records[0].entrySignal = 30;
  gScenarioTable.records[0].exitSignal = 29;
  gSettings.monitoredGroup = 30;
  CurrentScreenPattern().views[0].groupIndex = 30;
  RefillChartLists(0);
  const std::string aboveName = gGroupTable->groups[29].name;

  std::vector<std::string> seen;
  std::vector<int64_t> ends;
  EXPECT_TRUE(RunDialog([&](HWND dialog) {
    Click(dialog, IDC_MOVECOPY_MOVE_MODE);
    ChooseRow(dialog, IDC_MOVECOPY_SOURCE, 0);
    ends.push_back(ItemEnabled(dialog, IDC_MOVECOPY_UP));
    ChooseRow(dialog, IDC_MOVECOPY_SOURCE, 123);
    ends.push_back(ItemEnabled(dialog, IDC_MOVECOPY_DOWN));
    ChooseRow(dialog, IDC_MOVECOPY_SOURCE, 30);
    ends.push_back(ItemEnabled(dialog, IDC_MOVECOPY_UP));
    Click(dialog, IDC_MOVECOPY_UP);
    Settle();
    seen = {DialogListRow(dialog, IDC_MOVECOPY_SOURCE, 29), DialogListRow(dialog, IDC_MOVECOPY_SOURCE, 30),
            std::to_string(Selected(dialog, IDC_MOVECOPY_SOURCE)), DialogText(dialog, IDC_MOVECOPY_SOURCE_SUMMARY)};
    SaveWindowPicture(dialog, L"group-move.bmp");
    Click(dialog, IDOK);
  }));
  EXPECT_EQ(ends, Row(0, 0, 1));
  EXPECT_EQ(seen, (std::vector<std::string>{"注目３０", aboveName, "29", "自動抽出：オフ\r登録銘柄数：5"}));
  // The chart shows it in its combo box and list.
  const HWND combo = static_cast<HWND>(gChartWindows[0].groupCombo);
  wchar_t shown[80] = L"";
  SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(WideToSjis(shown), "注目３０");
  EXPECT_EQ(SendMessageW(static_cast<HWND>(gChartWindows[0].stockList), LB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(Row(CurrentScreenPattern().views[0].groupIndex, gGroupTable->groups[40].terms[0].left,
                gScenarioTable.records[0].entrySignal, gScenarioTable.records[0].exitSignal, gSettings.monitoredGroup),
            Row(29, Named(29), 29, 30, 29));
  const std::vector<uint8_t> bits = AllBits();
  RebuildGroupMemberBits();
  EXPECT_EQ(bits, AllBits());
  const std::vector<uint8_t> saved = SavedGroupFile();
  ASSERT_EQ(saved.size(), sizeof(GroupTable));
  EXPECT_EQ(memcmp(saved.data(), gGroupTable, sizeof(GroupTable)), 0);
  EXPECT_EQ(gGroupEditBusy, 0);
  SaveWindowPicture(window_, L"group-move-chart.bmp");
}

// Copy mode: the buttons follow source and destination, members only onto
// a manual group; a group another group's term names stays manual (said
// once); Cancel leaves the live table as it was; the mode stays for the next opening.
TEST_F(GroupMoveCopyDialogTest, CopyModeButtonsRefusalsCancelAndTheKeptMode) {
  GroupRecord& named = gGroupTable->groups[60];
  named.automatic = 0;
  GroupRecord& naming = gGroupTable->groups[61];
  naming.termCount = 1;
  naming.terms[0] = {Named(60), kOpNotMemberOf, kOperandConstant, 0, 0};
  ASSERT_NE(gGroupTable->groups[0].automatic, 0);
  const std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(gGroupTable),
                                    reinterpret_cast<uint8_t*>(gGroupTable) + sizeof(GroupTable));
  std::vector<int64_t> buttons;
  bool said = false;
  EXPECT_TRUE(RunDialog([&](HWND dialog) {
    Click(dialog, IDC_MOVECOPY_COPY_MODE);
    Settle();
    buttons.push_back(ItemShown(dialog, IDC_MOVECOPY_DESTINATION) && !ItemShown(dialog, IDC_MOVECOPY_UP));
    const struct { int source, destination; } pairs[] = {{0, 0}, {0, 1}, {0, 60}};
    for (const auto& p : pairs) {
      ChooseRow(dialog, IDC_MOVECOPY_SOURCE, p.source);
      ChooseRow(dialog, IDC_MOVECOPY_DESTINATION, p.destination);
      buttons.push_back(ItemEnabled(dialog, IDC_MOVECOPY_CONDITIONS));
      buttons.push_back(ItemEnabled(dialog, IDC_MOVECOPY_MEMBERS));
    }
    SaveWindowPicture(dialog, L"group-copy.bmp");
    std::thread answer([&] {
      if (const HWND box = WaitForDialog(SjisToWide(gAppTitle))) {
        said = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    });
    Click(dialog, IDC_MOVECOPY_CONDITIONS);  // 全銘柄 onto 60: refused
    answer.join();
    buttons.push_back(ItemEnabled(dialog, IDC_MOVECOPY_MEMBERS));  // still manual
    Click(dialog, IDC_MOVECOPY_MEMBERS);                           // copied in the edit copy, dropped by Cancel
    PostMessageW(GetDlgItem(dialog, IDC_MOVECOPY_SOURCE), WM_KEYDOWN, VK_ESCAPE, 0);
  }));
  EXPECT_TRUE(said);
  EXPECT_EQ(buttons, Row(1, 0, 0, 1, 0, 1, 1, 1));
  EXPECT_EQ(memcmp(before.data(), gGroupTable, sizeof(GroupTable)), 0);
  bool kept = false;
  EXPECT_TRUE(RunDialog([&](HWND dialog) {
    kept = IsDlgButtonChecked(dialog, IDC_MOVECOPY_COPY_MODE) == BST_CHECKED &&
           ItemShown(dialog, IDC_MOVECOPY_DESTINATION) && DialogText(dialog, IDC_MOVECOPY_SOURCE_LABEL) == "コピー元：";
    Click(dialog, IDC_MOVECOPY_MOVE_MODE);  // back for the other tests
    Click(dialog, IDCANCEL);
  }));
  EXPECT_TRUE(kept);
}

// In time-back mode the chooser and the move/copy items are grayed, and the
// command opens nothing.
TEST_F(GroupMoveCopyDialogTest, TimeBackModeGraysTheChooserAndTheMoveCopyItems) {
  const auto grayed = [] {
    return Row((GetMenuState(GetMenu(window_), IDM_CHOOSE_SIGNAL_FILE, MF_BYCOMMAND) & MF_GRAYED) != 0,
               (GetMenuState(GroupListPopupMenu(), IDM_GROUP_MOVE_COPY, MF_BYCOMMAND) & MF_GRAYED) != 0);
  };
  gTimeBackMode = 1;
  RefreshMainMenuStates();
  EXPECT_EQ(grayed(), Row(1, 1));
  EXPECT_FALSE(ShowGroupMoveCopyDialog(window_));
  gTimeBackMode = 0;
  RefreshMainMenuStates();
  EXPECT_EQ(grayed(), Row(0, 0));
}

}  // namespace
