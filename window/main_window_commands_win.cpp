#include "window/main_window_commands_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "analysis/position_tracker.h"
#include "chart/chart_context.h"
#include "window/chart_lists_win.h"
#include "window/chart_picture_win.h"
#include "window/chart_printing_win.h"
#include "window/chart_popups_win.h"
#include "window/color_settings_dialog_win.h"
#include "window/detail_window_win.h"
#include "window/dialog_helpers_win.h"
#include "window/group_commands_win.h"
#include "window/group_move_copy_dialog_win.h"
#include "window/signal_file_chooser_win.h"
#include "chart/chart_selection.h"
#include "chart/memo_hooks.h"
#include "window/main_menu_win.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_win.h"
#include "window/memo_editor_win.h"
#include "window/parameter_sheet_win.h"
#include "window/signal_file_editor_dialog_win.h"
#include "window/tracker_dialog_win.h"
#include "window/trend_line_dialogs_win.h"
#include "chart/screen_pattern.h"
#include "chart/gdi_objects_win.h"
#include "data/stock_table.h"
#include "common/sjis_text.h"
#include "platform/win_text.h"
#include "common/command_ids.h"
#include "resources/resource_ids.h"
#include "window/window_hooks.h"
#include "common/progress.h"

namespace {

constexpr int kEditChangeNotification = 768;  // EN_CHANGE
constexpr int kTooltipTextSize = 256;

// ---- Commands that need the window ---------------------------------------------------

void ResizeMainWindow(HWND hwnd, int width, int height) {
  SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int RunWindowCommand(WindowHandle window, int commandId) {
  const HWND hwnd = static_cast<HWND>(window);
  if (const int taken = RunGroupCommand(hwnd, commandId)) return taken;
  const bool addToGroup = commandId >= IDM_LIST_TO_GROUP_FIRST && commandId < IDM_CHART_TO_GROUP_FIRST + kGroupCount;
  if (addToGroup && RefuseWhileGroupsEdited(hwnd)) return 1;
  if (commandId >= IDM_LIST_TO_GROUP_FIRST && commandId < IDM_LIST_TO_GROUP_FIRST + kGroupCount) {
    AddPaneStockToGroup(commandId - IDM_LIST_TO_GROUP_FIRST, false);
    return 1;
  }
  if (commandId >= IDM_CHART_TO_GROUP_FIRST && commandId < IDM_CHART_TO_GROUP_FIRST + kGroupCount) {
    AddPaneStockToGroup(commandId - IDM_CHART_TO_GROUP_FIRST, true);
    return 1;
  }
  switch (commandId) {
    case IDM_COLOR_SETTINGS: ShowColorSettingsDialog(hwnd); return 1;
    case IDM_CHOOSE_SIGNAL_FILE: RunSignalFileChooser(hwnd); return 1;
    case IDM_GROUP_MOVE_COPY: ShowGroupMoveCopyDialog(hwnd); return 1;
    case IDM_DETAIL_LIST: ToggleDetailList(); return 1;
    case IDM_DETAIL_WINDOW: ToggleDetailWindow(); return 1;
    case IDM_RENAME_PATTERN: RenameScreenPattern(hwnd); return 1;
    case IDM_TLINE_VALUE: EditTrendLineValue(hwnd); return 1;
    case IDM_CHART_FONT: ChooseChartFont(); return 1;
    case IDM_CHART_FONT_RESET: ResetChartFont(); return 1;
    case IDM_ANALYSIS_PARAMETERS: RunAnalysisParameterCommand(hwnd); return 1;
    case IDM_SIGNAL_FILE_EDITOR: OpenSignalFileEditor(hwnd); return 1;
    case IDM_WINDOW_1600: ResizeMainWindow(hwnd, 1600, 1200); return 1;
    case IDM_WINDOW_1024: ResizeMainWindow(hwnd, 1024, 768); return 1;
    case IDM_WINDOW_800: ResizeMainWindow(hwnd, 800, 600); return 1;
    case IDM_COPY_CHART_IMAGE:
      if (!CopyChartImage(hwnd)) MessageBeep(MB_ICONWARNING);
      return 1;
    case IDM_PAGE_SETUP: ShowPageSetup(hwnd); return 1;
    case IDM_PRINT: PrintChart(hwnd); return 1;
    default: return RunMemoCommand(hwnd, commandId);
  }
}

// ---- Notifications of the chart lists -----------------------------------------------

bool HandleListNotification(HWND hwnd, int childId, int notification) {
  if (notification == kEditChangeNotification) return true;
  if (notification != CBN_SELCHANGE) return false;  // LBN_SELCHANGE has the same value
  const int comboChart = ChartOfGroupCombo(childId);
  const int listChart = ChartOfStockList(childId);
  if (comboChart < 0 && listChart < 0) return false;
  gSelectedChart = 0;
  gSelectedPane = -1;
  gCursorBar = -1;
  if (comboChart >= 0) {
    OnGroupComboChange(comboChart);
  } else {
    SelectStockFromChartList(listChart);
  }
  UpdateMainMenuStates();
  InvalidateChartArea(hwnd);
  UpdateWindow(hwnd);
  return true;
}

// ---- Toolbar notifications -----------------------------------------------------------

bool HasTooltip(int command) {
  return (command >= IDM_PANE_VOLUME && command <= IDM_PANE_CANDLES) || command == IDM_ADD_CHART ||
         command == IDM_REMOVE_CHART || (command >= IDM_PANE_ICHIMOKU && command <= IDM_PANE_ADVANCE_DECLINE) ||
         (command >= IDM_PATTERN_FIRST && command <= IDM_PATTERN_LAST) || command == IDM_PRICE_DOWNLOAD;
}

// The main menu's text of the button's command, without its key.
LRESULT AnswerTooltip(HWND hwnd, NMTTDISPINFOW* info) {
  static wchar_t text[kTooltipTextSize];
  const int command = static_cast<int>(info->hdr.idFrom);
  text[0] = L'\0';
  if (HasTooltip(command)) {
    GetMenuStringW(GetMenu(hwnd), static_cast<UINT>(command), text, kTooltipTextSize, MF_BYCOMMAND);
    if (wchar_t* tab = wcschr(text, L'\t')) *tab = L'\0';
  }
  info->lpszText = text;
  info->hinst = nullptr;
  return 0;
}

LRESULT OnToolbarRightClick(HWND hwnd, const NMMOUSE* mouse) {
  const int command = static_cast<int>(mouse->dwItemSpec);
  if (command < IDM_PATTERN_FIRST || command > IDM_PATTERN_LAST) return 0;
  POINT point = mouse->pt;
  ClientToScreen(mouse->hdr.hwndFrom, &point);
  ShowPatternPopup(hwnd, command - IDM_PATTERN_FIRST, point);
  return 1;
}

// ---- Dialogs ---------------------------------------------------------------------------

INT_PTR CALLBACK RenamePatternProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageW(dialog, IDC_PATTERN_NAME, EM_LIMITTEXT, sizeof(ScreenPattern::name) - 1, 0);
    SetDialogItemText(dialog, IDC_PATTERN_NAME, CurrentScreenPattern().name);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    char name[sizeof(ScreenPattern::name)];
    CopySjisText(name, GetDialogItemText(dialog, IDC_PATTERN_NAME, 63).c_str(), sizeof name);
    if (name[0] == '\0') return TRUE;  // a pattern keeps a name
    memcpy(CurrentScreenPattern().name, name, sizeof name);
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return TRUE;
}

struct ChooseStockRequest {
  const char* text;
  int currentIndex;
  int chosen;
};

void FillChooseStockList(HWND list, const ChooseStockRequest& request) {
  int select = -1;
  for (int index = FindNextStockMatchingText(0, request.text); index >= 0;
       index = FindNextStockMatchingText(index + 1, request.text)) {
    const StockRecord& record = gStockTable->records[index];
    char code[5];
    CodeToString(record.master.code, code);
    char row[96];
    snprintf(row, sizeof row, "%s  %.63s", code, record.master.name);
    const int at = AddListText(list, row);
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), index);
    if (select < 0 && index > request.currentIndex) select = at;
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(std::max(select, 0)), 0);
}

INT_PTR CALLBACK ChooseStockProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<ChooseStockRequest>(dialog, message, lParam);
  if (message == WM_INITDIALOG) {
    FillChooseStockList(GetDlgItem(dialog, IDC_CHOOSE_STOCK_LIST), *request);
    return TRUE;
  }
  if (message != WM_COMMAND || request == nullptr) return FALSE;
  const bool doubleClicked = LOWORD(wParam) == IDC_CHOOSE_STOCK_LIST && HIWORD(wParam) == LBN_DBLCLK;
  if (LOWORD(wParam) == IDOK || doubleClicked) {
    const HWND list = GetDlgItem(dialog, IDC_CHOOSE_STOCK_LIST);
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) request->chosen = static_cast<int>(SendMessageW(list, LB_GETITEMDATA, row, 0));
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

}  // namespace

LRESULT OnMainWindowCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (gProgressDlg != nullptr) return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
  const int id = LOWORD(wParam);
  if (RunMainCommand(hwnd, id) != 0) return 0;
  if (lParam != 0 && HandleListNotification(hwnd, id, HIWORD(wParam))) return 0;
  return DefWindowProcW(hwnd, WM_COMMAND, wParam, lParam);
}

LRESULT OnMainWindowSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (gProgressDlg != nullptr) return DefWindowProcW(hwnd, WM_SYSCOMMAND, wParam, lParam);
  // The system's own commands (SC_...) lie at 0xF000 and above.
  if (wParam < 0xF000 && RunMainCommand(hwnd, static_cast<int>(wParam)) != 0) return 0;
  return DefWindowProcW(hwnd, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnMainWindowNotify(HWND hwnd, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->code == TTN_GETDISPINFOW) return AnswerTooltip(hwnd, reinterpret_cast<NMTTDISPINFOW*>(lParam));
  if (header->code == static_cast<UINT>(NM_RCLICK) && header->hwndFrom == gToolbarWnd) {
    return OnToolbarRightClick(hwnd, reinterpret_cast<NMMOUSE*>(lParam));
  }
  return 0;
}

void StartMainWindowCommands() {
  gWindowHooks.runWindowCommand = RunWindowCommand;
  gTrackerHooks.runStepDialog = RunPellomaticStepDialog;
  gMemoHooks.editAtPoint = EditMemoAtClientPoint;
}

void StopMainWindowCommands() {
  gWindowHooks.runWindowCommand = nullptr;
  gTrackerHooks.runStepDialog = nullptr;
  gMemoHooks.editAtPoint = nullptr;
}

bool RenameScreenPattern(HWND owner) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME_PATTERN), owner, RenamePatternProc, 0);
  if (result != IDOK) return false;
  UpdatePatternMenuTexts();
  UpdateMainWindowTitle();
  return true;
}

int ChooseStockFromList(HWND owner, const char* text, int currentIndex) {
  ChooseStockRequest request = {text, currentIndex, -1};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHOOSE_STOCK), owner,
                                         ChooseStockProc, reinterpret_cast<LPARAM>(&request));
  return result == IDOK ? request.chosen : -1;
}
