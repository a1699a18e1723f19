#include "window/signal_file_editor_dialog_win.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "analysis/signal_file_editor.h"
#include "analysis/signal_file_editor_files.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"
#include "records/screen_pattern_record.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "sheets/scenarios.h"
#include "window/chart_lists_win.h"
#include "window/chart_popups_win.h"
#include "window/dialog_helpers_win.h"

namespace {

// Posted when combo 1104's choice was committed from its open list, so that
// the question comes after the combo box has closed.
constexpr UINT kCopyToGroupMessage = WM_APP + 186;

struct EditorSession {
  SignalFileEditor editor;
  std::vector<int> groups;        // table indexes shown in 1191
  std::vector<int> scenarios;     // scenario table indexes shown in 1194
  std::vector<int> manualGroups;  // table indexes shown in 1104
  bool comboOpen;                 // 1104's list was dropped down and not cancelled
};

int Selection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0)); }

void Select(HWND dialog, int id, int row) { SendDlgItemMessageW(dialog, id, LB_SETCURSEL, row, 0); }

// The table index at a list's selection; -1 without one.
int SelectedIndex(HWND dialog, int id, const std::vector<int>& shown) {
  const int row = Selection(dialog, id);
  return row >= 0 && row < static_cast<int>(shown.size()) ? shown[static_cast<size_t>(row)] : -1;
}

int RowOf(const std::vector<int>& shown, int index) {
  for (size_t row = 0; row < shown.size(); ++row)
    if (shown[row] == index) return static_cast<int>(row);
  return -1;
}

// Empties a list and adds the texts, keeping its selection's row when it still exists.
template <typename TextOf>
void FillList(HWND dialog, int id, int count, TextOf textOf) {
  const HWND list = GetDlgItem(dialog, id);
  const int selected = Selection(dialog, id);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) AddListText(list, textOf(i));
  if (selected < count) Select(dialog, id, selected);
}

void EnableItem(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

// Which buttons can act, and the selections of the source lists and the file lists kept together.
void EnableSignalEditorItems(HWND dialog, const EditorSession& session, int source) {
  const SignalSettingsFile& image = session.editor.image;
  const int g = SelectedIndex(dialog, IDC_SIGEDIT_GROUPS, session.groups);
  const int groupSlot = g >= 0 ? session.editor.groupSlots[g] : -1;
  EnableItem(dialog, IDC_SIGEDIT_COPY_GROUP, g >= 0 && groupSlot < 0 && image.definitionCount < kMaxSignalDefinitions);
  if ((source == IDC_SIGEDIT_GROUPS || source == -1) && groupSlot >= 0) Select(dialog, IDC_SIGEDIT_SIGNALS, groupSlot);
  if (source == IDC_SIGEDIT_SIGNALS) {
    const int slot = Selection(dialog, IDC_SIGEDIT_SIGNALS);
    for (int group : session.groups)
      if (slot >= 0 && session.editor.groupSlots[group] == slot)
        Select(dialog, IDC_SIGEDIT_GROUPS, RowOf(session.groups, group));
  }
  const int s = SelectedIndex(dialog, IDC_SIGEDIT_SCENARIOS, session.scenarios);
  const int scenarioSlot = s >= 0 ? session.editor.scenarioSlots[s] : -1;
  EnableItem(dialog, IDC_SIGEDIT_COPY_SCENARIO, s >= 0 && scenarioSlot < 0 && image.scenarioCount < kScenarioSlots);
  if ((source == IDC_SIGEDIT_SCENARIOS || source == -1) && scenarioSlot >= 0)
    Select(dialog, IDC_SIGEDIT_FILE_SCENARIOS, scenarioSlot);
  if (source == IDC_SIGEDIT_FILE_SCENARIOS) {
    const int slot = Selection(dialog, IDC_SIGEDIT_FILE_SCENARIOS);
    for (int scenario : session.scenarios)
      if (slot >= 0 && session.editor.scenarioSlots[scenario] == slot)
        Select(dialog, IDC_SIGEDIT_SCENARIOS, RowOf(session.scenarios, scenario));
  }
  EnableItem(dialog, IDC_SIGEDIT_RESET, image.definitionCount > 0 || image.scenarioCount > 0);
  EnableItem(dialog, IDC_SIGEDIT_DELETE_SIGNAL, Selection(dialog, IDC_SIGEDIT_SIGNALS) >= 0);
  EnableItem(dialog, IDC_SIGEDIT_DELETE_SCENARIO, Selection(dialog, IDC_SIGEDIT_FILE_SCENARIOS) >= 0);
}

void FillSignalEditorLists(HWND dialog, EditorSession& session) {
  const SignalSettingsFile& image = session.editor.image;
  session.groups = ListSignalGroups(*gGroupTable);
  session.scenarios = ListValidScenarios(gScenarioTable);
  FillList(dialog, IDC_SIGEDIT_GROUPS, static_cast<int>(session.groups.size()),
           [&](int row) { return gGroupTable->groups[session.groups[static_cast<size_t>(row)]].name; });
  FillList(dialog, IDC_SIGEDIT_SCENARIOS, static_cast<int>(session.scenarios.size()),
           [&](int row) { return gScenarioTable.records[session.scenarios[static_cast<size_t>(row)]].name; });
  FillList(dialog, IDC_SIGEDIT_SIGNALS, image.definitionCount, [&](int slot) { return image.definitions[slot].name; });
  FillList(dialog, IDC_SIGEDIT_FILE_SCENARIOS, image.scenarioCount,
           [&](int slot) { return image.scenarios[slot].name; });
  EnableSignalEditorItems(dialog, session, -1);
}

// The manual groups, the first chosen; usable only once a file was opened.
void FillSignalEditorGroupCombo(HWND dialog, EditorSession& session) {
  const HWND combo = GetDlgItem(dialog, IDC_SIGEDIT_TO_GROUP);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  session.manualGroups.clear();
  for (int g = 0; g < kGroupCount; ++g) {
    if (gGroupTable->groups[g].automatic != 0) continue;
    session.manualGroups.push_back(g);
    AddComboText(combo, gGroupTable->groups[g].name);
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EnableWindow(combo, session.editor.loaded ? TRUE : FALSE);
}

void ShowDescription(HWND dialog, const EditorSession& session) {
  char text[kSignalDescriptionSize];
  std::snprintf(text, sizeof text, "%.*s", kEditorDescriptionLength, session.editor.image.description);
  SetDialogItemText(dialog, IDC_SIGEDIT_DESCRIPTION, text);
}

void OnInitDialog(HWND dialog, EditorSession& session) {
  session.editor.loaded = false;
  SendDlgItemMessageW(dialog, IDC_SIGEDIT_DESCRIPTION, EM_LIMITTEXT, kEditorDescriptionLength, 0);
  FillSignalEditorLists(dialog, session);
  FillSignalEditorGroupCombo(dialog, session);
}

void RefuseUnless(bool done) {
  if (!done) PlayWarningBeep();
}

void CopySelectedGroup(HWND dialog, EditorSession& session) {
  const int g = SelectedIndex(dialog, IDC_SIGEDIT_GROUPS, session.groups);
  RefuseUnless(CopyGroupSignalToFile(session.editor, *gGroupTable, g) >= 0);
  FillSignalEditorLists(dialog, session);
}

void CopySelectedScenario(HWND dialog, EditorSession& session) {
  const int s = SelectedIndex(dialog, IDC_SIGEDIT_SCENARIOS, session.scenarios);
  RefuseUnless(CopyScenarioToFile(session.editor, *gGroupTable, gScenarioTable, s));
  FillSignalEditorLists(dialog, session);
}

void DeleteSelected(HWND dialog, EditorSession& session, int list, bool (*erase)(SignalFileEditor&, int)) {
  RefuseUnless(erase(session.editor, Selection(dialog, list)));
  FillSignalEditorLists(dialog, session);
}

void OpenFile(HWND dialog, EditorSession& session) {
  if (!ImportSignalFile(session.editor, dialog)) return;
  ShowDescription(dialog, session);
  FillSignalEditorGroupCombo(dialog, session);
  FillSignalEditorLists(dialog, session);
}

void SaveFile(HWND dialog, EditorSession& session) {
  const std::string description = GetDialogItemText(dialog, IDC_SIGEDIT_DESCRIPTION, kEditorDescriptionLength);
  ExportSignalFile(session.editor, dialog, description.c_str());
}

void ResetImage(HWND dialog, EditorSession& session) {
  ResetSignalFileEditor(session.editor, gIndicatorParams);
  ShowDescription(dialog, session);
  FillSignalEditorLists(dialog, session);
}

// The main window's group menus, combo boxes and lists after a group changed.
void RefreshMainWindowGroups() {
  if (gMainWnd == nullptr) return;
  RebuildGroupMenus();
  for (int chart = 0; chart < kMaxChartsPerPattern; ++chart) RefillChartLists(chart);
}

void ShowText(HWND dialog, int id) { MessageBoxFromStrings(dialog, 0, id, kMbOk | kMbIconExclamation); }

bool AskToReplaceGroup(HWND dialog, const GroupRecord& group, const SignalDefinition& signal) {
  char format[256];
  PlatformLoadString(kStrSignalToGroupQuestion, format, sizeof format);
  char text[512];
  std::snprintf(text, sizeof text, format, group.name, signal.name);
  return PlatformMessageBox(dialog, text, gAppTitle, kMbOkCancel | kMbIconQuestion | kMbDefButton2) == kIdOk;
}

// The selected file signal into the manual group chosen in 1104, which
// then is automatic: asked first, never while another window edits groups.
void CopySignalToChosenGroup(HWND dialog, EditorSession& session) {
  if (gGroupEditBusy != 0) return ShowText(dialog, kStrGroupEditBusy);
  const int slot = Selection(dialog, IDC_SIGEDIT_SIGNALS);
  int row = static_cast<int>(SendDlgItemMessageW(dialog, IDC_SIGEDIT_TO_GROUP, CB_GETCURSEL, 0, 0));
  if (row < 0) {
    row = 0;
    SendDlgItemMessageW(dialog, IDC_SIGEDIT_TO_GROUP, CB_SETCURSEL, 0, 0);
  }
  const int g =
      row < static_cast<int>(session.manualGroups.size()) ? session.manualGroups[static_cast<size_t>(row)] : -1;
  switch (CheckFileSignalToGroup(session.editor, *gGroupTable, slot, g)) {
    case GroupCopyRefusal::kNone: break;
    case GroupCopyRefusal::kNamedByTerm: return ShowText(dialog, kStrGroupNamedByTerm);
    default: return PlayWarningBeep();
  }
  if (!AskToReplaceGroup(dialog, gGroupTable->groups[g], session.editor.image.definitions[slot])) return;
  CopyFileSignalToGroup(session.editor, *gGroupTable, slot, g);
  RunExtractionForGroup(*gGroupTable, g);
  if (gGroupTable->groups[g].signalKind != kSignalNone) gGroupsDirty = 1;
  RefreshMainWindowGroups();
  FillSignalEditorGroupCombo(dialog, session);
  FillSignalEditorLists(dialog, session);
}

// Only a choice taken from the open list counts: arrow keys over the closed
// combo box move its selection without overwriting a group.
void OnGroupComboNotification(HWND dialog, EditorSession& session, int code) {
  switch (code) {
    case CBN_DROPDOWN: session.comboOpen = true; break;
    case CBN_SELENDCANCEL: session.comboOpen = false; break;
    case CBN_SELENDOK:
      if (session.comboOpen) PostMessageW(dialog, kCopyToGroupMessage, 0, 0);
      session.comboOpen = false;
      break;
    default: break;
  }
}

INT_PTR OnCommand(HWND dialog, EditorSession& session, int id, int code) {
  const bool doubleClick = code == LBN_DBLCLK;
  switch (id) {
    case IDC_SIGEDIT_GROUPS:
    case IDC_SIGEDIT_SCENARIOS:
      if (doubleClick && id == IDC_SIGEDIT_GROUPS) CopySelectedGroup(dialog, session);
      if (doubleClick && id == IDC_SIGEDIT_SCENARIOS) CopySelectedScenario(dialog, session);
      [[fallthrough]];
    case IDC_SIGEDIT_SIGNALS:
    case IDC_SIGEDIT_FILE_SCENARIOS:
      if (code == LBN_SELCHANGE) EnableSignalEditorItems(dialog, session, id);
      return TRUE;
    case IDC_SIGEDIT_COPY_GROUP: CopySelectedGroup(dialog, session); return TRUE;
    case IDC_SIGEDIT_COPY_SCENARIO: CopySelectedScenario(dialog, session); return TRUE;
    case IDC_SIGEDIT_DELETE_SIGNAL: DeleteSelected(dialog, session, IDC_SIGEDIT_SIGNALS, DeleteFileSignal); return TRUE;
    case IDC_SIGEDIT_DELETE_SCENARIO:
      DeleteSelected(dialog, session, IDC_SIGEDIT_FILE_SCENARIOS, DeleteFileScenario);
      return TRUE;
    case IDC_SIGEDIT_TO_GROUP: OnGroupComboNotification(dialog, session, code); return TRUE;
    case IDC_SIGEDIT_OPEN: OpenFile(dialog, session); return TRUE;
    case IDC_SIGEDIT_SAVE: SaveFile(dialog, session); return TRUE;
    case IDC_SIGEDIT_RESET: ResetImage(dialog, session); return TRUE;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK SignalFileEditorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  EditorSession* session = DialogRequest<EditorSession>(dialog, message, lParam);
  if (session == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog, *session); return TRUE;
    case WM_COMMAND: return OnCommand(dialog, *session, LOWORD(wParam), HIWORD(wParam));
    case kCopyToGroupMessage: CopySignalToChosenGroup(dialog, *session); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void OpenSignalFileEditor(HWND owner) {
  std::unique_ptr<EditorSession> session(new (std::nothrow) EditorSession{});
  if (session == nullptr) return PlayWarningBeep();
  ResetSignalFileEditor(session->editor, gIndicatorParams);
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SIGNAL_FILE_EDITOR), owner, SignalFileEditorDlgProc,
                  reinterpret_cast<LPARAM>(session.get()));
}
