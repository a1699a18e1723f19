#pragma once
// The condition editor of a group's or a signal definition's terms, and the
// read-only view of one term.
#include <windows.h>

#include "analysis/condition_term.h"

// Dialog 161, modal: edits *term and returns true on OK (false leaves it as
// it was). A new term is set up by the caller: left 0, operator 0, right -2,
// constant 0.
bool RunConditionEditorDialog(HWND owner, ConditionTerm* term);
// Dialog 216, modal and read-only: the term as the editor would show it.
void ShowExtractionConditionsDialog(HWND owner, const ConditionTerm& term);
