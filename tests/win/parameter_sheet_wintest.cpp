// The analysis-parameter sheet opened by its command on a main window over the
// sample database, worked from a second thread through its own message loop.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "analysis/group_store.h"
#include "analysis/indicator_params.h"
#include "chart/chart_context.h"
#include "chart/chart_loading.h"
#include "chart/chart_layout.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"

namespace {

const char kSheetTitle[] = "分析パラメータの変更...";
const char kQuestionTitle[] = "お知らせ";
constexpr int kRsiPage = 2, kDeviationPage = 4, kMacdPage = 6, kDmiPage = 7, kPriceRangePage = 14;

void Settle() { Sleep(120); }

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
int CurrentPageIndex(HWND sheet) {
  return static_cast<int>(SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
}
void ShowPage(HWND sheet, int index) {
  PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  Settle();
}
std::wstring FieldText(HWND sheet, int id) {
  wchar_t text[32] = L"";
  SendMessageW(GetDlgItem(CurrentPage(sheet), id), WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
  return text;
}

// Focuses the field of the shown page, types over its text key by key and ends with `endKey`.
void Type(HWND sheet, int id, const wchar_t* text, WPARAM endKey) {
  PostTyping(CurrentPage(sheet), id, text, endKey);
  Settle();
}
void PressKey(HWND sheet, int id, WPARAM key) {
  PostMessageW(GetDlgItem(CurrentPage(sheet), id), WM_KEYDOWN, key, 0);
  Settle();
}
int FocusedId(HWND sheet) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &info);
  return GetDlgCtrlID(info.hwndFocus);
}

class ParameterSheetTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-sheet") || !LoadGroupsAtStartup()) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 1;
    pattern.views[0] = MakeChartView(gStockTable->records[4].master.code, 0,
                                     {{kPaneCandles, PaneLineFlags(2)}, {kPaneRsi, kPaneFlagLine0}});
    if (!ShowMainWindow(1000, 700)) return;
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
    SetDefaultIndicatorParameters();
    gRecomputeNeeded = 0;
    gGroupsDirty = 0;
    gSettings.paramSheetStartPage = 0;
    RecomputePatternCharts();
    UpdateWindow(window_);
  }
  // The command sent as the menu sends it, while `drive` works the sheet from
  // a thread of its own; then the recomputation question, when one comes, is
  // answered with Cancel. False when no sheet came.
  static bool RunSheet(const std::function<void(HWND)>& drive, bool* asked = nullptr) {
    bool found = false, question = false;
    std::thread driver([&] {
      const HWND sheet = WaitForDialog(SjisToWide(kSheetTitle));
      if (sheet == nullptr) return;
      found = true;
      Settle();
      drive(sheet);
      for (int i = 0; i < 20 && IsWindow(sheet); ++i) Sleep(50);
      for (int i = 0; i < 10 && !question; ++i, Sleep(50)) {
        if (const HWND box = FindWindowW(L"#32770", SjisToWide(kQuestionTitle).c_str())) {
          question = true;
          Settle();
          SaveWindowPicture(box, L"parameter-sheet-question.bmp");
          PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
      }
    });
    SendMessageW(window_, WM_COMMAND, IDM_ANALYSIS_PARAMETERS, 0);
    driver.join();
    if (asked != nullptr) *asked = question;
    return found;
  }
};

// Typed values are clamped on leaving a field and on OK; Tab walks a row, the
// arrows step; RSI 14 -> 9 names the period on the pane and offers the recomputation.
TEST_F(ParameterSheetTest, TypedValuesAreClampedOnLeavingAFieldAndOnOkAndTheRowsAndArrowsWork) {
  std::vector<std::wstring> seen;
  int focus = 0;
  bool asked = false;
  ASSERT_TRUE(RunSheet(
      [&](HWND sheet) {
        Type(sheet, 10012, L"2", VK_TAB);
        focus = FocusedId(sheet);
        Type(sheet, 10013, L"400", VK_TAB);
        Type(sheet, 10014, L"abc", VK_TAB);
        Type(sheet, 10112, L"", 0);  // the weekly row
        PressKey(sheet, 10112, VK_UP);
        PressKey(sheet, 10112, VK_UP);
        PressKey(sheet, 10112, VK_DOWN);
        for (int id : {10012, 10013, 10014, 10112}) seen.push_back(FieldText(sheet, id));
        ShowPage(sheet, kDeviationPage);
        Type(sheet, 10042, L"0", VK_TAB);
        Type(sheet, 10012, L"0", VK_TAB);
        for (int id : {10042, 10012}) seen.push_back(FieldText(sheet, id));
        SaveWindowPicture(sheet, L"parameter-sheet-deviation.bmp");
        ShowPage(sheet, kRsiPage);
        Type(sheet, 10012, L"9", VK_TAB);
        ShowPage(sheet, kPriceRangePage);
        Type(sheet, 10212, L"6000", VK_TAB);
        seen.push_back(FieldText(sheet, 10212));
        SaveWindowPicture(sheet, L"parameter-sheet-price-range.bmp");
        Type(sheet, 10013, L"7000", VK_RETURN);  // not left: OK clamps it
      },
      &asked));
  EXPECT_EQ(focus, 10013) << "Tab walks the daily row";
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"3", L"300", L"3", L"10", L"0", L"3", L"5119"}));
  const IndicatorParameterSet& daily = gIndicatorParams[0];
  EXPECT_EQ(Row(daily.slot[0], daily.slot[1], daily.slot[2], gIndicatorParams[1].slot[0]), Row(3, 300, 3, 10));
  EXPECT_EQ(Row(daily.slot[kParamDeviation0], daily.slot[kParamDeviationSecond0]), Row(3, 0));
  EXPECT_EQ(Row(daily.slot[kParamPriceRange0 + 1], gIndicatorParams[2].slot[kParamPriceRange0]), Row(5119, 5119));
  EXPECT_EQ(Row(asked, gRecomputeNeeded, gGroupsDirty, gSettings.paramSheetStartPage), Row(1, 1, 1, kPriceRangePage));
  PumpFor(200);
  SaveWindowPicture(window_, L"parameter-sheet-rsi-chart.bmp");
  EXPECT_STREQ(gChartContexts[0].panes[1].caption, "RSI(9日)");
}

// Whatever was typed or chosen, Esc and the Cancel button leave the settings
// as they were, byte for byte, and nothing is asked.
TEST_F(ParameterSheetTest, CancelAndEscLeaveEverySettingByteIdentical) {
  for (const bool escape : {true, false}) {
    gSettings.paramSheetStartPage = kMacdPage;
    const SettingsBlock before = gSettings;
    bool asked = true;
    ASSERT_TRUE(RunSheet(
        [&](HWND sheet) {
          Type(sheet, 10011, L"50", VK_TAB);
          ShowPage(sheet, 0);
          Type(sheet, 10012, L"77", VK_TAB);
          gSettingsEdit.paletteColors[kColorRsi0] ^= 0x00FFFFFF;  // as a swatch would
          if (escape) {
            PressKey(sheet, 10013, VK_ESCAPE);
          } else {
            PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
          }
        },
        &asked));
    EXPECT_EQ(memcmp(&before, &gSettings, sizeof before), 0) << escape;
    EXPECT_FALSE(asked) << escape;
  }
}

// The sheet opens over the middle of the main window, wherever that stands.
TEST_F(ParameterSheetTest, TheSheetOpensCentredOnTheMainWindow) {
  RECT main;
  GetWindowRect(window_, &main);
  SetWindowPos(window_, nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT moved, sheetRect{};
  GetWindowRect(window_, &moved);
  ASSERT_TRUE(RunSheet([&](HWND sheet) {
    GetWindowRect(sheet, &sheetRect);
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
  }));
  SetWindowPos(window_, nullptr, main.left, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_GT(sheetRect.right - sheetRect.left, 100);
  EXPECT_NEAR((sheetRect.left + sheetRect.right) / 2, (moved.left + moved.right) / 2, 1);
  EXPECT_NEAR((sheetRect.top + sheetRect.bottom) / 2, (moved.top + moved.bottom) / 2, 1);
}

// Only the shown pages store their fields: values out of the pages' ranges on
// others stay, as do the parameters no page edits; the start page is the page
// shown last for the first time, and the next opening starts there.
TEST_F(ParameterSheetTest, OkStoresOnlyTheShownPagesAndTheNextOpeningStartsAtThePageShownLast) {
  gIndicatorParams[0].slot[0] = 999;
  gIndicatorParams[0].slot[kParamUnused] = 77;
  gIndicatorParams[2].slot[kParamPriceRange0] = 1;
  gSettings.paramSheetStartPage = kMacdPage;
  IndicatorParameterSet expected[3];
  memcpy(expected, gIndicatorParams, sizeof expected);
  expected[0].slot[kParamMacdShort] = 30;
  int opened = -1;
  ASSERT_TRUE(RunSheet([&](HWND sheet) {
    opened = CurrentPageIndex(sheet);
    Type(sheet, 10011, L"30", VK_TAB);
    ShowPage(sheet, kDmiPage);
    ShowPage(sheet, kMacdPage);
    PressKey(sheet, 10011, VK_RETURN);
  }));
  EXPECT_EQ(opened, kMacdPage);
  for (int r = 0; r < 3; ++r)
    for (int slot = 0; slot < kIndicatorParamCount; ++slot)
      EXPECT_EQ(gIndicatorParams[r].slot[slot], expected[r].slot[slot]) << r << "/" << slot;
  EXPECT_EQ(gSettings.paramSheetStartPage, kDmiPage);
  ASSERT_TRUE(RunSheet([&](HWND sheet) {
    opened = CurrentPageIndex(sheet);
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
  }));
  EXPECT_EQ(opened, kDmiPage);
}

int PixelsOf(HWND window, COLORREF color) {
  const auto picture = ScreenPicture(window);
  return picture->Count(picture->Whole(), color);
}

// A colour changed on a page becomes live with OK and shows on the charts at
// once, with nothing recomputed and nothing asked.
TEST_F(ParameterSheetTest, AColourOnlyChangeRepaintsTheChartsWithoutARecomputation) {
  const COLORREF chosen = RGB(255, 0, 255);
  ASSERT_EQ(PixelsOf(window_, chosen), 0);
  bool asked = true;
  ASSERT_TRUE(RunSheet(
      [&](HWND sheet) {
        ShowPage(sheet, kRsiPage);
        gSettingsEdit.paletteColors[kColorRsi0] = chosen;  // as the swatch's colour picker stores it
        PostMessageW(sheet, WM_COMMAND, IDOK, 0);
      },
      &asked));
  EXPECT_EQ(Row(asked, gRecomputeNeeded, gPaletteColors[kColorRsi0]), Row(0, 0, chosen));
  EXPECT_TRUE(GetUpdateRect(window_, nullptr, FALSE)) << "the charts keep the old colour";
  PumpFor(200);
  EXPECT_GT(PixelsOf(window_, chosen), 20);
}

}  // namespace
