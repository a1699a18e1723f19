// The trend-line dialogs as a user meets them: typing a line's value
// (dialog 188) and removing the oldest lines when the store is full (dialog
// 264), each driven through its own message loop from a second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "analysis/trend_line_store.h"
#include "common/app_globals.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"
#include "window/trend_line_dialogs_win.h"

namespace {

std::string ItemText(HWND dialog, int id) {
  wchar_t text[128] = L"";
  GetDlgItemTextW(dialog, id, text, 128);
  return WideToSjis(text);
}

void Type(HWND dialog, int id, const char* text) { SetDlgItemTextW(dialog, id, SjisToWide(text).c_str()); }

// Runs `open` here (its modal loop) while `answer` works the window titled `title` from a thread of its own.
bool Answering(const char* title, const std::function<void(HWND)>& answer, const std::function<void()>& open) {
  bool found = false;
  std::thread helper([&] {
    if (const HWND window = WaitForDialog(SjisToWide(title))) {
      Sleep(200);  // painted
      answer(window);
      found = true;
    }
  });
  open();
  helper.join();
  return found;
}

class TrendLineDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppTexts();
    const std::string folder = WideToSjis(MakeTempFolder(L"velqo-tlines").c_str());
    snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.c_str());
    ASSERT_TRUE(LoadTrendLines());
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 400, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }
  static void AddLine(int paneKind, int32_t value1, int32_t value2) {
    TrendLine& line = gTrendLines->lines[gTrendLines->count++];
    line = TestTrendLine(StringToCode("9999"), MakePackedDate(2024, 3, 1), value1, MakePackedDate(2024, 3, 8), value2);
    line.paneKind = static_cast<int16_t>(paneKind);
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
  HWND owner_ = nullptr;
};

TEST_F(TrendLineDialogsTest, TypedValuesAreReadWithTwoDecimalsAndAnEmptyEntryKeepsTheDialog) {
  AddLine(kPaneRsi, 2500, 2500);
  AddLine(kPaneMacd, -300, 500);  // no chart shows it: its own values give the range
  struct Case {
    int line;
    const char* shown;
    const char* range;
    const char* typed;
    int32_t stored;
  };
  const Case cases[] = {{0, "25.00", "有効範囲：0.00 ～ 100.00", "12.345", 1234},
                        {1, "-3.00", "有効範囲：-6.00 ～ 10.00", "-0.5", -50}};
  for (const Case& c : cases) {
    gSelectedTrendLine = c.line;
    std::string shown, range;
    bool keptOpen = false;
    bool edited = false;
    EXPECT_TRUE(Answering(
        "トレンドラインの値を変更",
        [&](HWND dialog) {
          shown = ItemText(dialog, IDC_TLINE_VALUE_EDIT);
          range = ItemText(dialog, IDC_TLINE_VALUE_RANGE);
          Type(dialog, IDC_TLINE_VALUE_EDIT, "");
          SendMessageW(dialog, WM_COMMAND, IDOK, 0);
          keptOpen = IsWindow(dialog) != FALSE;
          Type(dialog, IDC_TLINE_VALUE_EDIT, c.typed);
          Sleep(100);
          SaveWindowPicture(dialog, L"trend-line-value-" + std::to_wstring(c.line) + L".bmp");
          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        },
        [&] { edited = EditTrendLineValue(owner_); }));
    EXPECT_EQ(Row(edited, keptOpen), Row(1, 1));
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(range, c.range);
    const TrendLine& line = gTrendLines->lines[c.line];
    EXPECT_EQ(Row(line.value1, line.value2), Row(c.stored, c.stored));
  }
}

TEST_F(TrendLineDialogsTest, TheFullStoreMessageLeadsToTheCleanUpDialogWhichRemovesTheOldestLines) {
  for (int i = 0; i < 50; ++i) {
    AddLine(kPaneCandles, 1000, 1000);
    gTrendLines->lines[i].date2 = AddCalendarDays(MakePackedDate(2024, 1, 1), 49 - i);  // the last ends first
  }
  std::string count, range;
  bool sawMessage = false;
  std::thread message([&] {
    if (const HWND box = WaitForDialog(SjisToWide(gAppTitle))) {
      sawMessage = true;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  });
  EXPECT_TRUE(Answering(
      "トレンドラインの整理",
      [&](HWND dialog) {
        count = ItemText(dialog, IDC_TLINE_CLEANUP_COUNT);
        range = ItemText(dialog, IDC_TLINE_CLEANUP_RANGE);
        Type(dialog, IDC_TLINE_CLEANUP_EDIT, "20");
        Sleep(100);
        SaveWindowPicture(dialog, L"trend-line-cleanup.bmp");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      [&] { ShowTrendLineStoreFull(owner_); }));
  message.join();
  EXPECT_TRUE(sawMessage);
  EXPECT_EQ(count, "現在のトレンドライン：50 本");
  EXPECT_EQ(range, "有効範囲：1 ～ 50");
  ASSERT_EQ(gTrendLines->count, 30);
  EXPECT_EQ(gTrendLines->lines[29].date2, AddCalendarDays(MakePackedDate(2024, 1, 1), 20));
  EXPECT_EQ(gUndoKind, kUndoTrendLines);
}

// A count beyond the lines stored is refused with the range named; the
// dialog stays with the text selected and nothing goes.
TEST_F(TrendLineDialogsTest, ACleanUpCountOutOfRangeIsRefusedAndNothingIsDeleted) {
  for (int i = 0; i < 50; ++i) AddLine(kPaneCandles, 1000, 1000);
  const DWORD dialogThread = GetCurrentThreadId();
  std::string message;
  bool keptOpen = false, wholeTextSelected = false, editFocused = false, removed = true;
  EXPECT_TRUE(Answering(
      "トレンドラインの整理",
      [&](HWND dialog) {
        const HWND edit = GetDlgItem(dialog, IDC_TLINE_CLEANUP_EDIT);
        Type(dialog, IDC_TLINE_CLEANUP_EDIT, "99999");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        if (const HWND box = WaitForDialog(SjisToWide(gAppTitle))) {
          message = ItemText(box, 0xFFFF);  // a message box's text
          SaveWindowPicture(box, L"trend-line-cleanup-refusal.bmp");
          PostMessageW(box, WM_COMMAND, IDOK, 0);
          for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
        }
        DWORD selStart = 1, selEnd = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        GUITHREADINFO focus{};
        focus.cbSize = sizeof focus;
        GetGUIThreadInfo(dialogThread, &focus);
        keptOpen = IsWindowVisible(dialog) != FALSE;
        wholeTextSelected = selStart == 0 && selEnd == 5;
        editFocused = focus.hwndFocus == edit;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      },
      [&] { removed = ShowTrendLineCleanupDialog(owner_); }));
  EXPECT_EQ(message, "削除する本数は 1 ～ 50 の範囲の数で入力してください。");
  EXPECT_EQ(Row(keptOpen, wholeTextSelected, editFocused), Row(true, true, true));
  EXPECT_FALSE(removed);
  EXPECT_EQ(gTrendLines->count, 50);
  EXPECT_NE(gUndoKind, kUndoTrendLines);
}

}  // namespace
