#include "shell/update_result_dialog_win.h"

#include <windows.h>

#include "common/app_globals.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "window/dialog_helpers_win.h"

namespace {

INT_PTR CALLBACK UpdateResultDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* result = reinterpret_cast<const UpdateResultLines*>(lParam);
    SetWindowTextW(dialog, SjisToWide(gAppTitle).c_str());
    const int lineIds[kResultLineCount] = {IDC_UPDATE_PRICE_DATE, IDC_UPDATE_INFO_DATE, IDC_UPDATE_KEN_DATE};
    for (int i = 0; i < kResultLineCount; ++i) SetDialogItemText(dialog, lineIds[i], result->lines[i]);
    // The link files are only worth writing when a scenario goes into them.
    EnableWindow(GetDlgItem(dialog, kResultButtonLinkFiles), AnyScenarioWritesLinkFiles() ? TRUE : FALSE);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  // Button 2 has the id of Cancel: Esc and the close box come without the
  // button's handle and only close the dialog.
  if (id == kResultButtonLinkFiles && lParam == 0) {
    EndDialog(dialog, kResultButtonOk);
  } else if (id == kResultButtonOk || id == kResultButtonLinkFiles) {
    EndDialog(dialog, id);
  }
  return TRUE;
}

void SetWaitCursor(bool wait) {
  SetCursor(LoadCursorW(nullptr, wait ? MAKEINTRESOURCEW(32514) : MAKEINTRESOURCEW(32512)));  // IDC_WAIT, IDC_ARROW
}

void CloseMainWindowForUpdate() {
  if (gMainWnd != nullptr) DestroyWindow(static_cast<HWND>(gMainWnd));
}

}  // namespace

int ShowUpdateResultDialog(const UpdateResultLines& lines) {
  const INT_PTR button =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UPDATE_RESULT), static_cast<HWND>(gMainWnd),
                      UpdateResultDlgProc, reinterpret_cast<LPARAM>(&lines));
  return button == kResultButtonLinkFiles ? kResultButtonLinkFiles : kResultButtonOk;
}

void InstallPriceUpdateWindows() {
  gPriceUpdateServices.showResultDialog = ShowUpdateResultDialog;
  gPriceUpdateServices.showWaitCursor = SetWaitCursor;
  gPriceUpdateServices.closeMainWindow = CloseMainWindowForUpdate;
}
