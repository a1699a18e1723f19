#include "window/signal_file_chooser_win.h"

#include <string>
#include <vector>

#include "analysis/indicator_refresh.h"
#include "analysis/signal_file_chooser.h"
#include "chart/chart_loading.h"
#include "common/error_message.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/dialog_helpers_win.h"

namespace {

struct ChooserRequest {
  std::vector<std::string> files;
  std::string chosen;          // a file name of the folder; empty for none
  SignalSettingsFile details;  // the selected file's image, never the one in use
};

int SelectedRow(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageW(dialog, IDC_SIGNAL_FILE_LIST, LB_GETCURSEL, 0, 0));
}

void FillSignalFileList(HWND dialog, const ChooserRequest& request) {
  const HWND list = GetDlgItem(dialog, IDC_SIGNAL_FILE_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int chosenRow = 0;
  for (size_t i = 0; i < request.files.size(); ++i) {
    const bool chosen = request.files[i] == request.chosen;
    char row[MAX_PATH + 8];
    FormatChooserRow(request.files[i].c_str(), chosen, row, sizeof row);
    AddListText(list, row);
    if (chosen) chosenRow = static_cast<int>(i);
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(chosenRow), 0);
}

void ShowSignalFileDetails(HWND dialog, ChooserRequest* request) {
  SetDialogItemText(dialog, IDC_SIGNAL_FILE_DESCRIPTION, " ");
  const HWND signals = GetDlgItem(dialog, IDC_SIGNAL_FILE_SIGNALS);
  const HWND scenarios = GetDlgItem(dialog, IDC_SIGNAL_FILE_SCENARIOS);
  SendMessageW(signals, LB_RESETCONTENT, 0, 0);
  SendMessageW(scenarios, LB_RESETCONTENT, 0, 0);
  const int row = SelectedRow(dialog);
  if (row < 0 || row >= static_cast<int>(request->files.size())) return;
  const std::string path = kSignalFolder + request->files[static_cast<size_t>(row)];
  SignalFileDetails details{};
  if (!ReadSignalFileDetails(path.c_str(), &request->details, &details)) return;
  const SignalSettingsFile& file = request->details;
  SetDialogItemText(dialog, IDC_SIGNAL_FILE_DESCRIPTION, file.description);
  for (int k = 0; k < details.signalCount; ++k) AddListText(signals, file.definitions[k].name);
  for (int s = 0; s < details.scenarioCount; ++s) AddListText(scenarios, file.scenarios[s].name);
}

void OnInit(HWND dialog, ChooserRequest* request) {
  ListChooserFiles(&request->files);
  for (const std::string& name : request->files) {
    if (IsChosenSignalFile(name.c_str(), gSignalFileName)) request->chosen = name;
  }
  FillSignalFileList(dialog, *request);
  ShowSignalFileDetails(dialog, request);
  SetFocus(GetDlgItem(dialog, IDC_SIGNAL_FILE_LIST));
}

void OnListNotification(HWND dialog, int notification, ChooserRequest* request) {
  if (notification == LBN_DBLCLK) {
    const int row = SelectedRow(dialog);
    if (row < 0 || row >= static_cast<int>(request->files.size())) return;
    request->chosen = request->files[static_cast<size_t>(row)];
    FillSignalFileList(dialog, *request);
  }
  ShowSignalFileDetails(dialog, request);
}

INT_PTR CALLBACK SignalFileChooserDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<ChooserRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    OnInit(dialog, request);
    return FALSE;  // the focus is set
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(dialog, id);
  } else if (id == IDC_SIGNAL_FILE_LIST) {
    OnListNotification(dialog, HIWORD(wParam), request);
  }
  return TRUE;
}

}  // namespace

bool RunSignalFileChooser(HWND owner) {
  ChooserRequest request{};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SIGNAL_FILE_CHOOSER), owner,
                                         SignalFileChooserDlgProc, reinterpret_cast<LPARAM>(&request));
  if (result != IDOK || request.chosen.empty() || IsChosenSignalFile(request.chosen.c_str(), gSignalFileName)) {
    return false;
  }
  if (!ChooseSignalSettingsFile(request.chosen.c_str())) PlayWarningBeep();
  // Without a file the signals are gone as surely as with another one.
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  RecomputePatternCharts();
  InvalidateAllCharts();
  if (AskRecomputeAllIndicators()) {
    ReloadAllChartSeries();
    InvalidateAllCharts();
  }
  return true;
}
