// The progress dialog as a user sees it.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "tests/win/win_test_support.h"

namespace {

class ProgressDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCommonControls();
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    other_ = CreateWindowExW(0, L"STATIC", L"sheet", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    gMainWnd = owner_;
  }
  void TearDown() override {
    EndProgress();
    DestroyWindow(other_);
    DestroyWindow(owner_);
    gMainWnd = nullptr;
  }
  HWND Dialog() const { return static_cast<HWND>(gProgressDlg); }
  std::wstring ItemText(int id) const {
    wchar_t text[256] = L"";
    GetDlgItemTextW(Dialog(), id, text, 256);
    return text;
  }
  int BarPosition() const {
    return static_cast<int>(SendDlgItemMessageW(Dialog(), IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
  }
  bool ItemVisible(int id) const { return IsWindowVisible(GetDlgItem(Dialog(), id)) != FALSE; }
  HWND owner_ = nullptr;
  HWND other_ = nullptr;
};

TEST_F(ProgressDialogTest, DisablesTheOtherWindowsUntilItCloses) {
  BeginProgress(owner_, 0, 234, 2);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Dialog()));
  wchar_t title[64];
  GetWindowTextW(Dialog(), title, 64);
  EXPECT_EQ(std::wstring(title), SjisToWide("ヴェルクォラ22"));
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EXPECT_FALSE(IsWindowEnabled(other_));
  EXPECT_FALSE(ItemVisible(IDCANCEL));  // over the main window there is no Cancel
  EXPECT_FALSE(ItemVisible(IDC_PROGRESS_ABORT));

  StepProgress();
  EXPECT_EQ(BarPosition(), 16000);
  SetProgressSubPos(50);
  EXPECT_EQ(BarPosition(), 24000);
  SetProgressText1("株価ファイルを読み込み中...");
  SetProgressText2("7203");
  EXPECT_EQ(ItemText(IDC_PROGRESS_TEXT1), SjisToWide("株価ファイルを読み込み中..."));
  EXPECT_EQ(ItemText(IDC_PROGRESS_TEXT2), L"7203");
  SaveWindowPicture(Dialog(), ArtifactsFolder() + L"progress-dialog.bmp");

  const HWND dialog = Dialog();
  EndProgress();
  EXPECT_EQ(gProgressDlg, nullptr);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_TRUE(IsWindowEnabled(other_));
}

TEST_F(ProgressDialogTest, CancelAndAbortButtonsSetTheirFlags) {
  BeginProgress(other_, 1, 0, 1);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(ItemVisible(IDCANCEL));
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(gProgressCancelled, 1);

  ShowProgressAbortButton();
  EXPECT_TRUE(ItemVisible(IDC_PROGRESS_ABORT));
  EXPECT_FALSE(ItemVisible(IDC_PROGRESS_TEXT1));
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_ABORT, BN_CLICKED), 0);
  EXPECT_EQ(gProgressAbortRequested, 1);
  HideProgressAbortButton();
  EXPECT_FALSE(ItemVisible(IDC_PROGRESS_ABORT));
  EXPECT_TRUE(ItemVisible(IDC_PROGRESS_TEXT1));

  DisableProgressCancel();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Dialog(), IDCANCEL)));
  EnableProgressCancel();
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Dialog(), IDCANCEL)));
}

TEST_F(ProgressDialogTest, ASecondBeginReusesTheOpenDialog) {
  BeginProgress(owner_, 0, 0, 1);
  const HWND first = Dialog();
  SetProgressText1("first");
  BeginProgress(owner_, 0, 0, 3);
  EXPECT_EQ(Dialog(), first);
  EXPECT_EQ(ItemText(IDC_PROGRESS_TEXT1), L"");
  EXPECT_EQ(BarPosition(), 0);
  EndProgress();
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

}  // namespace
