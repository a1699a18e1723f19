#include "window/condition_editor_dialog_win.h"

bool RunConditionEditorDialog(HWND owner, ConditionTerm* term) {
  (void)owner;
  (void)term;
  return false;
}

void ShowExtractionConditionsDialog(HWND owner, const ConditionTerm& term) {
  (void)owner;
  (void)term;
}
