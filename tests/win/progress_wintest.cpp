// The progress dialog as a user sees it.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"

namespace {

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCommonControls();
    owner_ = MakeWindow(L"owner", 10, 400, 300);
    ASSERT_NE(owner_, nullptr);
    other_ = MakeWindow(L"sheet", 50, 300, 200);
    gMainWnd = owner_;
  }
  void TearDown() override {
    EndProgress();
    DestroyWindow(other_);
    DestroyWindow(owner_);
    gMainWnd = nullptr;
  }
  static HWND MakeWindow(const wchar_t* title, int at, int width, int height) {
    return CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, at, at, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  static HWND Dialog() { return static_cast<HWND>(gProgressDlg); }
  static HWND Item(int id) { return GetDlgItem(Dialog(), id); }
  static int BarPosition() { return static_cast<int>(SendMessageW(Item(IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0)); }
  // Whether the dialog's Cancel, its abort button and its first text show.
  static std::vector<int64_t> Shown() {
    return Row(IsWindowVisible(Item(IDCANCEL)), IsWindowVisible(Item(IDC_PROGRESS_ABORT)),
               IsWindowVisible(Item(IDC_PROGRESS_TEXT1)));
  }
  std::vector<int64_t> Enabled() const { return Row(IsWindowEnabled(owner_), IsWindowEnabled(other_)); }

  HWND owner_ = nullptr;
  HWND other_ = nullptr;
};

TEST_F(ProgressDialogTest, DisablesTheOtherWindowsUntilItCloses) {
  BeginProgress(owner_, 0, 234, 2);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Dialog()));
  EXPECT_EQ(WindowTitle(Dialog()), SjisToWide("ヴェルクォラ22"));
  EXPECT_EQ(Enabled(), Row(0, 0));
  EXPECT_EQ(Shown(), Row(0, 0, 1));  // over the main window there is no Cancel
  StepProgress();
  EXPECT_EQ(BarPosition(), 16000);
  SetProgressSubPos(50);
  EXPECT_EQ(BarPosition(), 24000);
  SetProgressText1("株価ファイルを読み込み中...");
  SetProgressText2("7203");
  EXPECT_EQ(WindowTitle(Item(IDC_PROGRESS_TEXT1)), SjisToWide("株価ファイルを読み込み中..."));
  EXPECT_EQ(WindowTitle(Item(IDC_PROGRESS_TEXT2)), L"7203");
  SaveWindowPicture(Dialog(), L"progress-dialog.bmp");
  const HWND dialog = Dialog();
  EndProgress();
  EXPECT_EQ(gProgressDlg, nullptr);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(Enabled(), Row(1, 1));
}

TEST_F(ProgressDialogTest, CancelAndAbortButtonsSetTheirFlags) {
  BeginProgress(other_, 1, 0, 1);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Item(IDCANCEL)));
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(gProgressCancelled, 1);
  ShowProgressAbortButton();
  EXPECT_EQ(Shown(), Row(1, 1, 0));
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_ABORT, BN_CLICKED), 0);
  EXPECT_EQ(gProgressAbortRequested, 1);
  HideProgressAbortButton();
  EXPECT_EQ(Shown(), Row(1, 0, 1));
  DisableProgressCancel();
  EXPECT_FALSE(IsWindowEnabled(Item(IDCANCEL)));
  EnableProgressCancel();
  EXPECT_TRUE(IsWindowEnabled(Item(IDCANCEL)));
}

// An import names no owner, so that its Cancel shows; its dialog still
// belongs to the main window. A message box over the main window, closed,
// leaves the dialog above the main window and the main window disabled.
TEST_F(ProgressDialogTest, ADialogWithoutAnOwnerBelongsToTheMainWindowAndStaysAboveItAfterAMessageBox) {
  BeginProgress(nullptr, 1, 234, 2);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_EQ(GetWindow(Dialog(), GW_OWNER), owner_);
  EXPECT_TRUE(IsWindowVisible(Item(IDCANCEL)));
  std::thread closer([] {
    if (const HWND box = WaitForDialog(L"velqo-box")) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  PlatformMessageBox(owner_, "disk", "velqo-box", kMbOk | kMbIconStop);
  closer.join();
  PumpFor(200);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EXPECT_TRUE(IsWindowVisible(Dialog()) && LiesAbove(Dialog(), owner_));
  EndProgress();
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(ProgressDialogTest, ASecondBeginReusesTheOpenDialog) {
  BeginProgress(owner_, 0, 0, 1);
  const HWND first = Dialog();
  SetProgressText1("first");
  BeginProgress(owner_, 0, 0, 3);
  EXPECT_EQ(Dialog(), first);
  EXPECT_EQ(WindowTitle(Item(IDC_PROGRESS_TEXT1)), L"");
  EXPECT_EQ(BarPosition(), 0);
  EndProgress();
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

}  // namespace
