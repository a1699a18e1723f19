#include "window/group_settings_dialog_win.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <vector>

#include "analysis/condition_terms.h"
#include "analysis/group_edits.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/condition_editor_dialog_win.h"
#include "window/condition_item_lists_win.h"
#include "window/dialog_helpers_win.h"
#include "window/group_commands_win.h"

namespace {

constexpr int kTermTextSize = 256;
constexpr char kTimeBackEditText[] =
    "タイムバックモード中です。\nここで変更したグループ設定は、タイムバックモードを終了すると破棄されます。";

// The dialog's state beside the edit copy.
struct GroupSettingsSession {
  int group;                              // the group whose page is shown
  int selectedTerm;                       // -1: none
  std::array<bool, kGroupCount> reset{};  // rebuilt from the default in this dialog
  std::vector<ConditionItemCode> sortItems;
};

// What a manual group hides: its conditions have no meaning.
constexpr int kConditionControls[] = {IDC_GROUP_MARKET_FRAME, IDC_GROUP_TERMS_LABEL, IDC_GROUP_TERMS,
                                      IDC_GROUP_ADD_TERM,     IDC_GROUP_EDIT_TERM,   IDC_GROUP_DELETE_TERM,
                                      IDC_GROUP_SIGNAL_LABEL, IDC_GROUP_SIGNAL_KIND};

GroupRecord& EditedGroup(const GroupSettingsSession& session) { return gGroupTableEdit->groups[session.group]; }

void FillEditedGroupCombo(HWND dialog, int selected) {
  const HWND combo = GetDlgItem(dialog, IDC_GROUP_CHOICE);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const GroupRecord& group : gGroupTableEdit->groups) AddComboText(combo, group.name);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void FillTermList(HWND dialog, const GroupRecord& group, int selected) {
  const HWND list = GetDlgItem(dialog, IDC_GROUP_TERMS);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int t = 0; t < std::clamp<int>(group.termCount, 0, kMaxConditionTerms); ++t) {
    char text[kTermTextSize];
    FormatConditionText(group.terms[t], text, sizeof text);
    AddListText(list, text);
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// The edit copy's members, not the live table's: what OK would make of the group.
void FillResultList(HWND dialog, int g) {
  const HWND list = GetDlgItem(dialog, IDC_GROUP_RESULT);
  FillMemberRows(list, *gGroupTableEdit, g);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ShowTermButtons(HWND dialog, const GroupEditPage& page) {
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_ADD_TERM), page.addTermEnabled);
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_EDIT_TERM), page.editTermEnabled);
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_DELETE_TERM), page.editTermEnabled);
}

void ShowConditions(HWND dialog, const GroupSettingsSession& session, const GroupEditPage& page) {
  const int show = page.conditionsShown ? SW_SHOW : SW_HIDE;
  for (const int id : kConditionControls) ShowWindow(GetDlgItem(dialog, id), show);
  for (int k = 0; k < kGroupMarketBoxCount; ++k) {
    const HWND box = GetDlgItem(dialog, IDC_GROUP_MARKET_FIRST + k);
    ShowWindow(box, show);
    EnableWindow(box, page.marketEnabled[static_cast<size_t>(k)]);
    SendMessageW(box, BM_SETCHECK, page.marketChecked[static_cast<size_t>(k)] ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  FillTermList(dialog, EditedGroup(session), session.selectedTerm);
  ShowTermButtons(dialog, page);
  const HWND signal = GetDlgItem(dialog, IDC_GROUP_SIGNAL_KIND);
  SendMessageW(signal, CB_SETCURSEL, static_cast<WPARAM>(page.signalKind), 0);
  EnableWindow(signal, page.signalComboEnabled);
}

void ShowSortControls(HWND dialog, const GroupSettingsSession& session) {
  const GroupRecord& group = EditedGroup(session);
  int position = -1;
  for (size_t n = 0; n < session.sortItems.size() && position < 0; ++n) {
    if (session.sortItems[n] == group.sortItem) position = static_cast<int>(n);
  }
  SendDlgItemMessageW(dialog, IDC_GROUP_SORT_ITEM, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  CheckRadioButton(dialog, IDC_GROUP_ASCENDING, IDC_GROUP_DESCENDING,
                   group.sortOrder == 0 ? IDC_GROUP_ASCENDING : IDC_GROUP_DESCENDING);
}

// The page of the session's group, after any change to it.
void ShowGroupPage(HWND dialog, GroupSettingsSession& session) {
  const int g = session.group;
  PrepareGroupEditPage(*gGroupTableEdit, *gGroupTable, g, session.reset[static_cast<size_t>(g)]);
  const GroupEditPage page = DescribeGroupEditPage(*gGroupTableEdit, g, session.selectedTerm);
  char number[16];
  snprintf(number, sizeof number, "%d", -(g + 1));
  SetDialogItemText(dialog, IDC_GROUP_NAME_COLOR, number);
  InvalidateRect(GetDlgItem(dialog, IDC_GROUP_NAME_COLOR), nullptr, TRUE);
  EnableWindow(GetDlgItem(dialog, IDC_GROUP_AUTOMATIC), page.automaticAllowed);
  CheckRadioButton(dialog, IDC_GROUP_AUTOMATIC, IDC_GROUP_MANUAL,
                   page.automatic ? IDC_GROUP_AUTOMATIC : IDC_GROUP_MANUAL);
  ShowConditions(dialog, session, page);
  ShowSortControls(dialog, session);
  FillResultList(dialog, g);
  char count[64];
  snprintf(count, sizeof count, "件数：%d件", page.memberCount);
  SetDialogItemText(dialog, IDC_GROUP_RESULT_COUNT, count);
}

void OnDialogInit(HWND dialog, GroupSettingsSession& session) {
  FillComboTexts(GetDlgItem(dialog, IDC_GROUP_SIGNAL_KIND), kGroupSignalKindNames.data(), kGroupSignalKindCount, 0);
  FillEditedGroupCombo(dialog, session.group);
  ConditionItemList items{GetDlgItem(dialog, IDC_GROUP_SORT_ITEM), nullptr, {}};
  FillConditionItemList(&items);
  session.sortItems = items.codes;
  ShowGroupPage(dialog, session);
}

// Term `t` of the group in the condition editor (t == termCount: a new one).
void EditTerm(HWND dialog, GroupSettingsSession& session, int t) {
  GroupRecord& group = EditedGroup(session);
  const bool adding = t == group.termCount;
  if (t < 0 || t > group.termCount || (adding && t >= kMaxConditionTerms)) return;
  ConditionTerm term = adding ? ConditionTerm{0, 0, kOperandConstant, 0, 0.0} : group.terms[t];
  if (!RunConditionEditorDialog(dialog, &term)) return;
  StoreGroupTerm(group, t, term);
  session.selectedTerm = t;
  ShowGroupPage(dialog, session);
}

int ComboChoice(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }

bool OnComboChange(HWND dialog, GroupSettingsSession& session, int id) {
  const int choice = ComboChoice(dialog, id);
  if (choice < 0) return false;
  GroupRecord& group = EditedGroup(session);
  if (id == IDC_GROUP_CHOICE && choice < kGroupCount) {
    session.group = choice;
    session.selectedTerm = -1;
  } else if (id == IDC_GROUP_SORT_ITEM && choice < static_cast<int>(session.sortItems.size())) {
    group.sortItem = session.sortItems[static_cast<size_t>(choice)];
  } else if (id == IDC_GROUP_SIGNAL_KIND && choice < kGroupSignalKindCount) {
    group.signalKind = choice;
    return true;  // the members stay as they are
  } else {
    return false;
  }
  ShowGroupPage(dialog, session);
  return true;
}

void ToggleMarket(HWND dialog, GroupSettingsSession& session, int k) {
  GroupRecord& group = EditedGroup(session);
  group.marketMask ^= kGroupMarketBoxes[static_cast<size_t>(k)].mask;
  ShowGroupPage(dialog, session);
}

void ResetGroup(HWND dialog, GroupSettingsSession& session) {
  ResetEditedGroup(*gGroupTableEdit, session.group);
  session.reset[static_cast<size_t>(session.group)] = true;
  session.selectedTerm = -1;
  FillEditedGroupCombo(dialog, session.group);
  ShowGroupPage(dialog, session);
}

void OnButton(HWND dialog, GroupSettingsSession& session, int id) {
  GroupRecord& group = EditedGroup(session);
  switch (id) {
    case IDC_GROUP_AUTOMATIC:
    case IDC_GROUP_MANUAL: SetEditedGroupAutomatic(*gGroupTableEdit, session.group, id == IDC_GROUP_AUTOMATIC); break;
    case IDC_GROUP_ASCENDING:
    case IDC_GROUP_DESCENDING: group.sortOrder = id == IDC_GROUP_DESCENDING ? 1 : 0; break;
    case IDC_GROUP_ADD_TERM: EditTerm(dialog, session, group.termCount); return;
    case IDC_GROUP_EDIT_TERM: EditTerm(dialog, session, session.selectedTerm); return;
    case IDC_GROUP_DELETE_TERM:
      RemoveGroupTerm(group, session.selectedTerm);
      session.selectedTerm = -1;
      break;
    case IDC_GROUP_RENAME:
      if (RenameEditedGroupDialog(dialog, session.group)) FillEditedGroupCombo(dialog, session.group);
      return;
    case IDC_GROUP_RESET: ResetGroup(dialog, session); return;
    default:
      if (id >= IDC_GROUP_MARKET_FIRST && id < IDC_GROUP_MARKET_FIRST + kGroupMarketBoxCount) {
        ToggleMarket(dialog, session, id - IDC_GROUP_MARKET_FIRST);
      }
      return;
  }
  ShowGroupPage(dialog, session);
}

void OnTermListNotice(HWND dialog, GroupSettingsSession& session, int notification) {
  session.selectedTerm = static_cast<int>(SendDlgItemMessageW(dialog, IDC_GROUP_TERMS, LB_GETCURSEL, 0, 0));
  if (notification == LBN_DBLCLK) {
    EditTerm(dialog, session, session.selectedTerm);
    return;
  }
  ShowTermButtons(dialog, DescribeGroupEditPage(*gGroupTableEdit, session.group, session.selectedTerm));
}

INT_PTR OnDialogCommand(HWND dialog, GroupSettingsSession& session, int id, int notification) {
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(dialog, id);
  } else if (id == IDC_GROUP_TERMS) {
    if (notification == LBN_SELCHANGE || notification == LBN_DBLCLK) OnTermListNotice(dialog, session, notification);
  } else if (id == IDC_GROUP_CHOICE || id == IDC_GROUP_SORT_ITEM || id == IDC_GROUP_SIGNAL_KIND) {
    if (notification == CBN_SELCHANGE) OnComboChange(dialog, session, id);
  } else if (notification == BN_CLICKED) {
    OnButton(dialog, session, id);
  }
  return TRUE;
}

INT_PTR CALLBACK GroupSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* session = DialogRequest<GroupSettingsSession>(dialog, message, lParam);
  if (session == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    OnDialogInit(dialog, *session);
    return TRUE;
  }
  if (message == WM_COMMAND) return OnDialogCommand(dialog, *session, LOWORD(wParam), HIWORD(wParam));
  return FALSE;
}

INT_PTR CALLBACK RenameGroupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* group = DialogRequest<GroupRecord>(dialog, message, lParam);
  if (group == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageW(dialog, IDC_GROUP_NEW_NAME, EM_LIMITTEXT, kGroupNameSize - 1, 0);
    SetDialogItemText(dialog, IDC_GROUP_NEW_NAME, group->name);
    FocusWholeText(dialog, IDC_GROUP_NEW_NAME);
    return FALSE;  // the focus is set
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    if (!RenameGroupRecord(*group, GetDialogItemText(dialog, IDC_GROUP_NEW_NAME, kGroupNameSize - 1).c_str())) {
      MessageBeep(MB_ICONEXCLAMATION);  // a group keeps a name
      return TRUE;
    }
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

void ShowWaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

// The selected chart shows the chosen group, its linked charts following.
void ShowChosenGroup(int g) {
  const int chart = gSelectedChart;
  if (chart < 0 || chart >= ShownChartCount()) return;
  CurrentScreenPattern().views[chart].groupIndex = static_cast<int16_t>(g);
  RefillChartLists(chart);
  ChartListSync sync{};
  SyncLinkedChartLists(chart, &sync);
  ApplyChartListSync(sync);
}

// The memberships again when a scenario's signal group changed its signal:
// the scenario marks are stale until the next recomputation.
void RecomputeForScenarioSignals() {
  if (gGroupsDirty != 0) return;
  gGroupsDirty = 1;
  BeginProgress(gMainWnd, 0, 0, 1);
  RecomputeGroupMemberships();
  EndProgress();
  RefreshChartStockLists();
}

void ApplyEditedGroups(const GroupSettingsSession& session) {
  ShowWaitCursor();
  const GroupApplyResult result =
      ApplyGroupEdits(*gGroupTable, *gGroupTableEdit, session.reset, gScenarioTable.records);
  ShowChosenGroup(session.group);
  ComputeScenarioValidFlags();
  if (result.signalChanged) ExtractGroupsWithSpecialTerms(*gGroupTable);
  if (result.anyChange) {
    RebuildGroupMenus();
    for (int i = 0; i < ShownChartCount(); ++i) RefillChartLists(i);
    InvalidateAllCharts();
  }
  if (result.scenarioSignalChanged) RecomputeForScenarioSignals();
  // Once per dialog, so that single clicks do not rotate the backups away.
  SaveGroupFile(0);
}

}  // namespace

bool OpenGroupSettingsDialog(HWND owner) {
  if (RefuseWhileGroupsEdited(owner)) return false;
  const int chart = gSelectedChart;
  if (chart < 0 || chart >= ShownChartCount() || gGroupTable == nullptr || gGroupTableEdit == nullptr) return false;
  // Leaving the mode reads the live groups back: what is edited now goes with it.
  if (gTimeBackMode != 0) PlatformMessageBox(owner, kTimeBackEditText, gAppTitle, kMbOk | kMbIconInformation);
  gGroupEditBusy = 1;
  memcpy(gGroupTableEdit, gGroupTable, sizeof(GroupTable));
  GroupSettingsSession session{};
  session.group = std::clamp<int>(CurrentScreenPattern().views[chart].groupIndex, 0, kGroupCount - 1);
  session.selectedTerm = -1;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GROUP_SETTINGS), owner,
                                         GroupSettingsProc, reinterpret_cast<LPARAM>(&session));
  if (result == IDOK) ApplyEditedGroups(session);
  gGroupEditBusy = 0;
  return result == IDOK;
}

bool RenameEditedGroupDialog(HWND owner, int g) {
  if (gGroupTableEdit == nullptr || g < 0 || g >= kGroupCount) return false;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GROUP_RENAME), owner, RenameGroupProc,
                         reinterpret_cast<LPARAM>(&gGroupTableEdit->groups[g])) == IDOK;
}
