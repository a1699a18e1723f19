#include "window/group_move_copy_dialog_win.h"

#include <cstdio>
#include <cstring>

#include "analysis/condition_items.h"
#include "analysis/group_move_copy.h"
#include "chart/chart_loading.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/dialog_helpers_win.h"

namespace {

enum class MoveCopyMode { kMove, kCopy };

// Kept from one opening to the next.
MoveCopyMode gMoveCopyMode = MoveCopyMode::kMove;

struct MoveCopyRequest {
  GroupEditChanges changes;
};

constexpr int kSummarySize = 128;
constexpr int kMoveOnlyControls[] = {IDC_MOVECOPY_UP, IDC_MOVECOPY_DOWN};
constexpr int kCopyOnlyControls[] = {IDC_MOVECOPY_CONDITIONS, IDC_MOVECOPY_MEMBERS, IDC_MOVECOPY_DESTINATION,
                                     IDC_MOVECOPY_DESTINATION_LABEL, IDC_MOVECOPY_DESTINATION_SUMMARY};

void Say(HWND owner, const char* text) {
  MessageBoxW(owner, SjisToWide(text).c_str(), SjisToWide(gAppTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

int SelectedGroup(HWND dialog, int listId) {
  const int row = static_cast<int>(SendDlgItemMessageW(dialog, listId, LB_GETCURSEL, 0, 0));
  return row >= 0 && row < kGroupCount ? row : -1;
}

// A disabled button that had the focus hands it to the group list.
void EnableButton(HWND dialog, int id, bool enabled) {
  const HWND button = Item(dialog, id);
  if (!enabled && GetFocus() == button)
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(dialog, IDC_MOVECOPY_SOURCE)), TRUE);
  EnableWindow(button, enabled ? TRUE : FALSE);
}

void ShowSummary(HWND dialog, int id, int g) {
  char text[kSummarySize] = "";
  if (g >= 0) FormatGroupExtractionSummary(gGroupTableEdit->groups[g], text, sizeof text);
  SetDialogItemText(dialog, id, text);
}

void UpdateGroupMoveCopyControls(HWND dialog) {
  const int source = SelectedGroup(dialog, IDC_MOVECOPY_SOURCE);
  if (gMoveCopyMode == MoveCopyMode::kCopy) {
    const int destination = SelectedGroup(dialog, IDC_MOVECOPY_DESTINATION);
    const bool pair = source >= 0 && destination >= 0 && source != destination;
    EnableButton(dialog, IDC_MOVECOPY_CONDITIONS, pair);
    EnableButton(dialog, IDC_MOVECOPY_MEMBERS, pair && gGroupTableEdit->groups[destination].automatic == 0);
    ShowSummary(dialog, IDC_MOVECOPY_SOURCE_SUMMARY, source);
    ShowSummary(dialog, IDC_MOVECOPY_DESTINATION_SUMMARY, destination);
  } else {
    EnableButton(dialog, IDC_MOVECOPY_UP, source >= 1);
    EnableButton(dialog, IDC_MOVECOPY_DOWN, source >= 0 && source <= kGroupCount - 2);
    ShowSummary(dialog, IDC_MOVECOPY_SOURCE_SUMMARY, source);
    SetDialogItemText(dialog, IDC_MOVECOPY_DESTINATION_SUMMARY, "");
  }
}

// The 124 names with redrawing off; each list keeps its selection and top
// row unless `reset` (then both are 0).
void RefillNames(HWND list, bool reset) {
  const LRESULT selected = reset ? 0 : SendMessageW(list, LB_GETCURSEL, 0, 0);
  const LRESULT top = reset ? 0 : SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const GroupRecord& group : gGroupTableEdit->groups) AddListText(list, group.name);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void FillGroupMoveCopyLists(HWND dialog, bool reset) {
  RefillNames(Item(dialog, IDC_MOVECOPY_SOURCE), reset);
  RefillNames(Item(dialog, IDC_MOVECOPY_DESTINATION), reset);
  const bool copy = gMoveCopyMode == MoveCopyMode::kCopy;
  for (const int id : kMoveOnlyControls) ShowWindow(Item(dialog, id), copy ? SW_HIDE : SW_SHOW);
  for (const int id : kCopyOnlyControls) ShowWindow(Item(dialog, id), copy ? SW_SHOW : SW_HIDE);
  SetDialogItemText(dialog, IDC_MOVECOPY_SOURCE_LABEL, copy ? "コピー元：" : "グループリスト：");
}

void SetMode(HWND dialog, MoveCopyMode mode) {
  CheckRadioButton(dialog, IDC_MOVECOPY_MOVE_MODE, IDC_MOVECOPY_COPY_MODE,
                   mode == MoveCopyMode::kCopy ? IDC_MOVECOPY_COPY_MODE : IDC_MOVECOPY_MOVE_MODE);
  if (mode == gMoveCopyMode) return;
  gMoveCopyMode = mode;
  FillGroupMoveCopyLists(dialog, false);
  UpdateGroupMoveCopyControls(dialog);
}

void OnMove(HWND dialog, int step, MoveCopyRequest* request) {
  const int g = SelectedGroup(dialog, IDC_MOVECOPY_SOURCE);
  const GroupMoveResult result = MoveGroupRecord(*gGroupTableEdit, gGroupScratchRecord, g, step, &request->changes);
  if (result == GroupMoveResult::kNamedGroupOutOfReach) {
    char text[256];
    snprintf(text, sizeof text,
             "「%s」は他のグループの抽出条件（グループに属している）で使われているため、"
             "100番目より後ろへは移動できません。",
             gGroupTableEdit->groups[kItemGroupLast - kItemGroupFirst].name);
    Say(dialog, text);
    return;
  }
  if (result != GroupMoveResult::kMoved) return;
  FillGroupMoveCopyLists(dialog, false);
  SendDlgItemMessageW(dialog, IDC_MOVECOPY_SOURCE, LB_SETCURSEL, static_cast<WPARAM>(g + step), 0);
  UpdateGroupMoveCopyControls(dialog);
}

void OnCopy(HWND dialog, bool conditions, MoveCopyRequest* request) {
  const int source = SelectedGroup(dialog, IDC_MOVECOPY_SOURCE);
  const int destination = SelectedGroup(dialog, IDC_MOVECOPY_DESTINATION);
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const GroupCopyResult result = conditions
                                     ? CopyGroupConditions(*gGroupTableEdit, source, destination, &request->changes)
                                     : CopyGroupMembers(*gGroupTableEdit, source, destination, &request->changes);
  SetCursor(previous);
  if (result == GroupCopyResult::kDestinationNamed) {
    char text[256];
    snprintf(text, sizeof text,
             "「%s」は他のグループの抽出条件（グループに属している）で使われているため、"
             "自動抽出の条件をコピーできません。",
             gGroupTableEdit->groups[destination].name);
    Say(dialog, text);
    return;
  }
  if (result != GroupCopyResult::kCopied) {
    PlayWarningBeep();
    return;
  }
  FillGroupMoveCopyLists(dialog, false);
  UpdateGroupMoveCopyControls(dialog);
}

INT_PTR CALLBACK GroupMoveCopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<MoveCopyRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    CheckRadioButton(dialog, IDC_MOVECOPY_MOVE_MODE, IDC_MOVECOPY_COPY_MODE,
                     gMoveCopyMode == MoveCopyMode::kCopy ? IDC_MOVECOPY_COPY_MODE : IDC_MOVECOPY_MOVE_MODE);
    FillGroupMoveCopyLists(dialog, true);
    UpdateGroupMoveCopyControls(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  switch (id) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); break;
    case IDC_MOVECOPY_MOVE_MODE: SetMode(dialog, MoveCopyMode::kMove); break;
    case IDC_MOVECOPY_COPY_MODE: SetMode(dialog, MoveCopyMode::kCopy); break;
    case IDC_MOVECOPY_UP: OnMove(dialog, -1, request); break;
    case IDC_MOVECOPY_DOWN: OnMove(dialog, 1, request); break;
    case IDC_MOVECOPY_CONDITIONS: OnCopy(dialog, true, request); break;
    case IDC_MOVECOPY_MEMBERS: OnCopy(dialog, false, request); break;
    case IDC_MOVECOPY_SOURCE:
    case IDC_MOVECOPY_DESTINATION:
      if (notification == LBN_SELCHANGE) UpdateGroupMoveCopyControls(dialog);
      break;
    default: break;
  }
  return TRUE;
}

// The edit copy made live with everything that names a group following it;
// saved once, then the menus, the charts' combo boxes and lists, the charts.
void ApplyGroupMoveCopy(HWND owner, const GroupEditChanges& changes) {
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  memcpy(gGroupTable, gGroupTableEdit, sizeof(GroupTable));
  ApplyGroupEditChanges(changes, {gScenarioTable.records, kScenarioSlots, gSettings.screenPatterns, kScreenPatternCount,
                                  &gSettings.monitoredGroup});
  ComputeScenarioValidFlags();
  const int saved = SaveGroupFile(0);
  RebuildGroupMenus();
  for (int chart = 0; chart < ShownChartCount(); ++chart) RefillChartLists(chart);
  InvalidateAllCharts();
  SetCursor(previous);
  if (saved != 0) ShowErrorMessage(owner, saved);
}

}  // namespace

bool ShowGroupMoveCopyDialog(HWND owner) {
  if (gTimeBackMode != 0 || gGroupTable == nullptr || gGroupTableEdit == nullptr) {
    PlayWarningBeep();
    return false;
  }
  if (gGroupEditBusy != 0) {
    Say(owner, "シミュレータでパラメータ設定を表示中なので、本処理を実行できません。");
    return false;
  }
  gGroupEditBusy = 1;
  memcpy(gGroupTableEdit, gGroupTable, sizeof(GroupTable));
  MoveCopyRequest request{};
  ResetGroupEditChanges(&request.changes);
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GROUP_MOVE_COPY), owner,
                                         GroupMoveCopyDlgProc, reinterpret_cast<LPARAM>(&request));
  if (result == IDOK) ApplyGroupMoveCopy(owner, request.changes);
  gGroupEditBusy = 0;
  return result == IDOK;
}
