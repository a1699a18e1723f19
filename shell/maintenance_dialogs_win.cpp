#include "shell/maintenance_dialogs_win.h"

#include <windows.h>

#include "common/app_globals.h"
#include "data/price_maintenance.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "shell/price_maintenance_commands.h"
#include "shell/price_update.h"
#include "window/dialog_helpers_win.h"

namespace {

constexpr char kDateInputError[] = "日付は 20260811 のように、８桁の数字で入力してください。";
constexpr char kDateInputErrorTitle[] = "入力エラー";
constexpr int kDateTextLimit = 63;  // all of it is read: nothing beyond can pass unseen
constexpr char kNoBackupChosen[] = "復旧するバックアップを選んでください。";
constexpr char kNoBackupChosenTitle[] = "選択エラー";

struct DateRequest {
  PackedDate date;
};

struct BackupRequest {
  const char* const* names;
  int count;
  int chosen;
};

HWND Owner() { return static_cast<HWND>(gMainWnd); }

void TakeDate(HWND dialog, DateRequest& request) {
  const PackedDate date = DeleteDateFromText(GetDialogItemText(dialog, IDC_DELETE_DATE_EDIT, kDateTextLimit).c_str());
  if (date == 0) {
    PlatformMessageBox(dialog, kDateInputError, kDateInputErrorTitle, kMbOk);
    FocusWholeText(dialog, IDC_DELETE_DATE_EDIT);
    return;
  }
  request.date = date;
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK DeleteDateDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DateRequest* request = DialogRequest<DateRequest>(dialog, message, lParam);
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageW(dialog, IDC_DELETE_DATE_EDIT, EM_LIMITTEXT, kDateTextLimit, 0);
    SetFocus(GetDlgItem(dialog, IDC_DELETE_DATE_EDIT));
    return FALSE;  // the focus is set
  }
  if (message != WM_COMMAND || request == nullptr) return FALSE;
  if (LOWORD(wParam) == IDOK) TakeDate(dialog, *request);
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return TRUE;
}

void FillBackupList(HWND dialog, const BackupRequest& request) {
  const HWND list = GetDlgItem(dialog, IDC_BACKUP_LIST);
  for (int i = 0; i < request.count; ++i) {
    char label[kBackupLabelSize];
    FormatBackupLabel(request.names[i], label, sizeof label);
    AddListText(list, label);
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void TakeBackup(HWND dialog, BackupRequest& request) {
  const LRESULT row = SendDlgItemMessageW(dialog, IDC_BACKUP_LIST, LB_GETCURSEL, 0, 0);
  if (row < 0 || row >= request.count) {
    PlatformMessageBox(dialog, kNoBackupChosen, kNoBackupChosenTitle, kMbOk);
    return;
  }
  request.chosen = static_cast<int>(row);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK BackupListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  BackupRequest* request = DialogRequest<BackupRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    FillBackupList(dialog, *request);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) TakeBackup(dialog, *request);
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return TRUE;
}

}  // namespace

PackedDate AskDateToDelete() {
  DateRequest request = {0};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DELETE_DATE), Owner(),
                                         DeleteDateDlgProc, reinterpret_cast<LPARAM>(&request));
  return result == IDOK ? request.date : 0;
}

int ChooseBackupToRestore(const char* const* names, int count) {
  BackupRequest request = {names, count, -1};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BACKUP_LIST), Owner(),
                                         BackupListDlgProc, reinterpret_cast<LPARAM>(&request));
  return result == IDOK ? request.chosen : -1;
}

void InstallMaintenanceWindows() {
  gMaintenanceServices.askDeleteDate = AskDateToDelete;
  gMaintenanceServices.chooseBackup = ChooseBackupToRestore;
  // The update's wait cursor (installed first).
  gMaintenanceServices.showWaitCursor = gPriceUpdateServices.showWaitCursor;
}
