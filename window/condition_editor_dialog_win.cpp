#include "window/condition_editor_dialog_win.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/condition_editor.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "window/condition_item_lists_win.h"
#include "window/dialog_helpers_win.h"

namespace {

constexpr int kConstantTextLimit = 31;
constexpr char kInputErrorTitle[] = "入力エラー";

// The operator combo's texts, by operator.
constexpr std::array<const char*, kConditionOperatorCount> kOperatorChoiceTexts = {" ＞ ",           " ＜ ",
                                                                                   "＞＝",           "＜＝",
                                                                                   " ＝ ",           "に属している",
                                                                                   "に属していない", "が存在する",
                                                                                   "に到達している", "に到達していない",
                                                                                   "買い",           "売り"};

struct EditorRequest {
  ConditionTerm working;
  bool readOnly;
  std::vector<ConditionItemCode> left;
  ConditionItemList right;
  ConditionTerm chosen;  // the working copy as OK found it
};

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void Show(HWND dialog, int id, bool shown) { ShowWindow(Item(dialog, id), shown ? SW_SHOW : SW_HIDE); }

int PositionOf(const std::vector<ConditionItemCode>& codes, int code) {
  const auto it = std::find(codes.begin(), codes.end(), code);
  return it != codes.end() ? static_cast<int>(it - codes.begin()) : -1;
}

// Names of group operands come from the edit copy that the group dialogs fill.
const GroupTable* GroupsNamed() { return gGroupTableEdit != nullptr ? gGroupTableEdit : gGroupTable; }

// Every left operand; a stored one the list does not offer (a group that
// became automatic, a signal of kind 9) is added so that it stays.
std::vector<ConditionItemCode> FillLeftCombo(HWND dialog, int current) {
  ConditionItemList list{Item(dialog, IDC_CONDITION_LEFT), nullptr, {}};
  FillConditionItemList(&list);
  for (const ConditionItemCode code : SpecialLeftOperands(GroupsNamed())) AddItemToList(&list, code);
  if (PositionOf(list.codes, current) < 0 && IsKnownItemCode(current) && current != kItemConstant) {
    AddItemToList(&list, current);
  }
  return list.codes;
}

void ShowConstant(HWND dialog, const ConditionTerm& term) {
  const bool shown = ShowsConstant(term);
  if (shown) {
    char text[48], unit[16];
    FormatConditionConstant(term.left, term.constant, text, sizeof text, unit, sizeof unit);
    SetDialogItemText(dialog, IDC_CONDITION_CONSTANT, text);
    SetDialogItemText(dialog, IDC_CONDITION_UNIT, unit);
  }
  Show(dialog, IDC_CONDITION_CONSTANT, shown);
  Show(dialog, IDC_CONDITION_UNIT, shown);
}

void FillOperatorCombo(HWND dialog, const ConditionTerm& term) {
  const OperatorChoices choices = OperatorChoicesFor(term.left);
  const HWND combo = Item(dialog, IDC_CONDITION_OPERATOR);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  int selected = -1;
  for (int i = 0; i < choices.count; ++i) {
    AddComboText(combo, kOperatorChoiceTexts[static_cast<size_t>(choices.operators[i])]);
    if (choices.operators[i] == term.op) selected = i;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  Show(dialog, IDC_CONDITION_OPERATOR, choices.count > 0);
}

void FillRightCombo(HWND dialog, EditorRequest* request) {
  const ConditionTerm& term = request->working;
  request->right = {Item(dialog, IDC_CONDITION_RIGHT), nullptr, {}};
  SendMessageW(request->right.combo, CB_RESETCONTENT, 0, 0);
  const bool shown = FormOfLeftOperand(term.left) == LeftOperandForm::kComparison;
  if (shown) {
    AddItemToList(&request->right, kItemConstant);
    ComparableSlot slots[2];
    const int count = ComparableSlotsFor(term.left, slots);
    for (int i = 0; i < count; ++i) {
      FillComparableItemList(slots[i].slot, ItemIndexOf(term.left), &request->right, slots[i].includeSelf);
    }
    SendMessageW(request->right.combo, CB_SETCURSEL, static_cast<WPARAM>(PositionOf(request->right.codes, term.right)),
                 0);
  }
  Show(dialog, IDC_CONDITION_RIGHT, shown);
}

// Everything below the left operand follows it.
void ShowTerm(HWND dialog, EditorRequest* request) {
  FitConditionTerm(&request->working);
  FillOperatorCombo(dialog, request->working);
  FillRightCombo(dialog, request);
  ShowConstant(dialog, request->working);
}

// The typed constant into the working copy when it is one the item can
// hold; the refusal otherwise (the working copy keeps its constant).
ConstantRefusal TakeConstant(HWND dialog, EditorRequest* request) {
  if (!ShowsConstant(request->working)) return ConstantRefusal::kNone;
  const std::string text = GetDialogItemText(dialog, IDC_CONDITION_CONSTANT, kConstantTextLimit);
  return ParseConditionConstant(request->working.left, text.c_str(), &request->working.constant);
}

// Told once, on OK only (leaving the edit says nothing, so that the box
// itself taking the focus cannot tell it again); the text is selected to
// be typed over.
bool RefuseConstant(HWND dialog, const EditorRequest& request, ConstantRefusal refusal) {
  if (refusal == ConstantRefusal::kNone) return false;
  char text[160];
  FormatConstantRefusal(request.working.left, refusal, text, sizeof text);
  PlatformMessageBox(dialog, text, kInputErrorTitle, kMbOk | kMbIconExclamation);
  FocusWholeText(dialog, IDC_CONDITION_CONSTANT);
  return true;
}

void OnInit(HWND dialog, EditorRequest* request) {
  request->left = FillLeftCombo(dialog, request->working.left);
  int position = PositionOf(request->left, request->working.left);
  if (position < 0) {
    position = 0;
    request->working.left = request->left.front();
  }
  SendDlgItemMessageW(dialog, IDC_CONDITION_LEFT, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  SendDlgItemMessageW(dialog, IDC_CONDITION_CONSTANT, EM_LIMITTEXT, kConstantTextLimit, 0);
  ShowTerm(dialog, request);
}

void OnSelectionChange(HWND dialog, int id, EditorRequest* request) {
  const int selected = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
  if (selected < 0) return;
  ConditionTerm& term = request->working;
  if (id == IDC_CONDITION_LEFT) {
    if (selected >= static_cast<int>(request->left.size())) return;
    term.left = request->left[static_cast<size_t>(selected)];
    ShowTerm(dialog, request);
  } else if (id == IDC_CONDITION_OPERATOR) {
    const OperatorChoices choices = OperatorChoicesFor(term.left);
    if (selected < choices.count) term.op = choices.operators[selected];
  } else if (id == IDC_CONDITION_RIGHT) {
    term.right = static_cast<int16_t>(ItemCodeAt(request->right, selected));
    ShowConstant(dialog, term);
  }
}

INT_PTR CALLBACK ConditionEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<EditorRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    OnInit(dialog, request);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  if (id == IDOK || id == IDCANCEL) {
    // Enter ends the dialog with the focus still in the edit: the constant
    // must be read here, not only when the edit loses the focus.
    if (id == IDOK && !request->readOnly && RefuseConstant(dialog, *request, TakeConstant(dialog, request))) {
      return TRUE;
    }
    request->chosen = request->working;
    EndDialog(dialog, id);
  } else if (notification == CBN_SELCHANGE && !request->readOnly) {
    OnSelectionChange(dialog, id, request);
  } else if (id == IDC_CONDITION_CONSTANT && notification == EN_KILLFOCUS && !request->readOnly) {
    TakeConstant(dialog, request);
  }
  return TRUE;
}

INT_PTR RunEditor(HWND owner, int dialogId, EditorRequest* request) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), owner, ConditionEditorProc,
                         reinterpret_cast<LPARAM>(request));
}

}  // namespace

bool RunConditionEditorDialog(HWND owner, ConditionTerm* term) {
  EditorRequest request{*term, false, {}, {}, *term};
  if (RunEditor(owner, IDD_CONDITION_EDITOR, &request) != IDOK) return false;
  *term = request.chosen;
  return true;
}

void ShowExtractionConditionsDialog(HWND owner, const ConditionTerm& term) {
  EditorRequest request{term, true, {}, {}, term};
  RunEditor(owner, IDD_CONDITION_VIEW, &request);
}
