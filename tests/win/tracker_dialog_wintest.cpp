// The step dialog of the averaging-down tracker, driven from a second thread
// through the dialog's own message loop: spin clicks, typed values, Tab and
// Enter; and the tracker's sub-menu of the trend-line pop-up as loaded.
#include "window/tracker_dialog_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "analysis/position_tracker.h"
#include "analysis/trend_line_store.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "data/stock_table.h"
#include "net/order_link.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/global_state.h"
#include "tests/win/canvas.h"
#include "window/chart_popups_win.h"

namespace {

const StockCode kStepCode = 0x5A5A5A5Au;  // "ZZZZ": sorts after every stock of a table

class TrackerDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (gStockTable == nullptr) {
      ASSERT_TRUE(AllocateStockTable());
    }
    ASSERT_TRUE(AllocTrendLineTables());
    StockRecord& stock = gStockTable->records[gStockTable->count++];
    stock = StockRecord{};
    stock.master.code = kStepCode;
    stock.master.marketId = 1;
    stock.master.tradingUnit = 100;
    ResetStockLookupCache();
    snprintf(gDataFolder, sizeof gDataFolder, "%s", WideToSjis(MakeTempFolder(L"velqo-tracker").c_str()).c_str());
    gTrendLines->count = 1;
    TrendLine& line = gTrendLines->lines[0];
    line = TrendLine{};
    line.code = kStepCode;
    line.value1 = line.value2 = 1000;
    gSelectedTrendLine = 0;
    gTrackerHooks.runStepDialog = RunPellomaticStepDialog;
  }
  // Runs the command while `drive` works the dialog titled `title` from its own thread.
  static bool DriveDialog(const char* title, int command, const std::function<void(HWND)>& drive) {
    bool found = false;
    std::thread driver([&] {
      if (const HWND dialog = WaitForDialog(SjisToWide(title))) {
        found = true;
        drive(dialog);
      }
    });
    RunTrackerCommand(command);
    driver.join();
    return found;
  }
  static std::wstring Text(HWND dialog, int id) { return WindowTitle(GetDlgItem(dialog, id)); }
  static void Settle() { Sleep(150); }
  static void ClickSpin(HWND dialog, bool up) {
    const HWND spin = GetDlgItem(dialog, IDC_STEP_SHARES_SPIN);
    RECT r;
    GetClientRect(spin, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
    PostMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(spin, WM_LBUTTONUP, 0, at);
    Settle();
  }
  // Focuses the edit, replaces its text key by key and ends with the key.
  static void Type(HWND dialog, int id, const wchar_t* text, WPARAM endKey) {
    PostTyping(dialog, id, text, endKey);
    Settle();
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
};

TEST_F(TrackerDialogTest, SpinTypingAndEnterMakeANewBuyStepOfWholeUnitsAtATick) {
  std::vector<std::wstring> seen;
  const bool shown = DriveDialog("買い-1", IDM_TRACKER_BUY_STEP, [&](HWND dialog) {
    const auto look = [&](std::initializer_list<int> ids) {
      for (int id : ids) seen.push_back(Text(dialog, id));
    };
    Settle();
    look({IDC_STEP_SHARES_RANGE, IDC_STEP_SHARES});
    ClickSpin(dialog, true);
    ClickSpin(dialog, true);
    look({IDC_STEP_SHARES, IDC_STEP_CASH_AMOUNT, IDC_STEP_MARGIN_AMOUNT});
    ClickSpin(dialog, false);
    look({IDC_STEP_SHARES});
    Type(dialog, IDC_STEP_SHARES, L"250", VK_TAB);
    look({IDC_STEP_SHARES});
    Type(dialog, IDC_STEP_PRICE, L"3003", VK_TAB);
    look({IDC_STEP_PRICE, IDC_STEP_CASH_AMOUNT});
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    Settle();
    SaveWindowPicture(dialog, L"tracker-step-dialog.bmp");
    Type(dialog, IDC_STEP_SHARES, L"249", VK_RETURN);  // no leaving the edit: OK rounds
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(seen, (std::vector<std::wstring>{SjisToWide("100～10000000 (100株単位)"), L"100", L"300",
                                             SjisToWide("300,000円(現物)"), SjisToWide("90,000円(信用)"), L"200",
                                             L"300", L"3005", SjisToWide("901,500円(現物)")}));
  const TrendLine& line = gTrendLines->lines[0];
  EXPECT_EQ(std::vector<int>({line.buyRole, line.buyShares, line.value1, line.value2}),
            std::vector<int>({1, 200, 3005, 3005}));
}

TEST_F(TrackerDialogTest, AShortStepWithAPlacedOrderOffersOnlyItsReset) {
  TrendLine& line = gTrendLines->lines[0];
  line.shortRole = 1;
  line.shortShares = 300;
  line.autoOrderState = kAutoOrderPlaced;
  line.orderNumber = 5;
  gAutoOrderEnabled = 1;
  const int ids[] = {IDC_STEP_AUTO_ORDER, IDC_STEP_CASH, IDC_STEP_MARKET_PRICE, IDC_STEP_ORDER_NOW, IDC_STEP_RESET};
  std::vector<std::wstring> seen;
  int greyPixels = 0;
  const bool shown = DriveDialog("空売-1", IDM_TRACKER_SHORT_STEP, [&](HWND dialog) {
    const auto look = [&] {
      std::wstring enabled;
      for (int id : ids) enabled += IsWindowEnabled(GetDlgItem(dialog, id)) ? L'1' : L'0';
      seen.push_back(enabled + L" " + Text(dialog, IDC_STEP_STATE_TEXT));
    };
    Settle();
    look();
    seen.push_back(Text(dialog, IDC_STEP_CASH_AMOUNT));
    RECT window, cash;
    GetWindowRect(dialog, &window);
    GetWindowRect(GetDlgItem(dialog, IDC_STEP_CASH_AMOUNT), &cash);
    OffsetRect(&cash, -window.left, -window.top);
    const auto picture = ScreenPicture(dialog);
    greyPixels = picture->Count(cash, RGB(128, 128, 128));
    picture->SaveArtifact(L"tracker-short-step-dialog.bmp");
    SendMessageW(GetDlgItem(dialog, IDC_STEP_RESET), BM_CLICK, 0, 0);  // returns once the reset is shown
    Settle();
    look();
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  ASSERT_TRUE(shown);
  EXPECT_EQ(seen, (std::vector<std::wstring>{SjisToWide("00001 自動発注は設定できません（発注完了）"),
                                             SjisToWide("300,000円(現物相当額)"),
                                             SjisToWide("10110 自動発注を設定できます")}));
  EXPECT_GT(greyPixels, 0) << "a short sale's cash amount is grey";
  EXPECT_EQ(std::vector<int>({line.shortRole, line.autoOrderState, line.orderNumber}), std::vector<int>({1, 0, 0}));
}

TEST_F(TrackerDialogTest, TheSubMenuAsLoadedTakesTheEntriesOfTheSelectedLine) {
  LoadChartPopupMenus();
  const HMENU menu = TrackerSubMenu();
  EXPECT_TRUE(PreparePellomaticSubMenu(menu, 0));
  wchar_t text[64] = L"";
  GetMenuStringW(menu, IDM_TRACKER_BUY_STEP, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(text, SjisToWide("買い-1"));
  EXPECT_EQ(GetMenuState(menu, IDM_TRACKER_BUY_CLOSE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  DestroyChartPopupMenus();
}

}  // namespace
