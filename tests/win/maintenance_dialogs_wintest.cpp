// The backup list of the restore command, run here and worked from a thread
// of its own: its rows, newest first as given, its first row chosen, and OK
// without a row refused. The repairs' menu items in time-back mode.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "shell/maintenance_dialogs_win.h"
#include "window/main_menu_win.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/program_runner.h"

namespace {

std::vector<std::wstring> ListRows(HWND list) {
  std::vector<std::wstring> rows;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring row(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    row.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()))));
    rows.push_back(row);
  }
  return rows;
}

TEST(BackupListDialogTest, RowsShowTheBackupTimesTheFirstIsChosenAndOkWithoutARowIsRefused) {
  const char* names[] = {"20261203_093000", "20261101_000102", "old"};
  std::vector<std::wstring> rows;
  std::wstring refusal;
  LRESULT firstChosen = -2;
  std::thread helper([&] {
    const HWND dialog = WaitForDialog(SjisToWide("株価バックアップから復旧する"));
    if (dialog == nullptr) return;
    Sleep(300);  // painted
    SaveWindowPicture(dialog, L"repair-backup-list.bmp");
    const HWND list = GetDlgItem(dialog, IDC_BACKUP_LIST);
    rows = ListRows(list);
    firstChosen = SendMessageW(list, LB_GETCURSEL, 0, 0);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Press(dialog, IDOK);
    if (const HWND box = WaitForOwnedDialog(dialog)) {
      refusal = WindowTitle(box) + L"|" + ControlText(box, 0xFFFF);
      Press(box, IDOK);
      WaitUntilClosed(box);
    }
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    Press(dialog, IDOK);
  });
  const int chosen = ChooseBackupToRestore(names, 3);
  helper.join();
  EXPECT_EQ(rows, (std::vector<std::wstring>{L"2026/12/03  09:30:00", L"2026/11/01  00:01:02", L"old"}));
  EXPECT_EQ(firstChosen, 0);
  EXPECT_EQ(refusal, SjisToWide("選択エラー|復旧するバックアップを選んでください。"));
  EXPECT_EQ(chosen, 1);
}

class RepairMenuTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-repair-menu")) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 1;
    pattern.views[0] = MakeChartView(gStockTable->records[0].master.code, 0, {{kPaneCandles, 3}});
    ShowMainWindow(900, 600);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
};

// Series are cut at the mode's day: only the gap report, which changes
// nothing, stays open there.
TEST_F(RepairMenuTest, TimeBackModeGraysEveryRepairButTheGapReport) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  ASSERT_NE(window_, nullptr);
  const auto grayed = [] {
    const HMENU menu = GetMenu(window_);
    const auto gray = [menu](int id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    return Row(gray(IDM_REMOVE_FUTURE_BARS), gray(IDM_DELETE_BARS_AT_DATE), gray(IDM_RESTORE_PRICE_BACKUP),
               gray(IDM_APPLY_STOCK_MASTER), gray(IDM_REPORT_LONG_GAPS));
  };
  gTimeBackMode = 1;
  RefreshMainMenuStates();
  EXPECT_EQ(grayed(), Row(1, 1, 1, 1, 0));
  gTimeBackMode = 0;
  RefreshMainMenuStates();
  EXPECT_EQ(grayed(), Row(0, 0, 0, 0, 0));
}

}  // namespace
