#include "window/trend_line_dialogs_win.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/trend_line_store.h"
#include "chart/trend_line_values.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "window/dialog_helpers_win.h"

namespace {

constexpr int kTypedTextLimit = 24;
constexpr int kDefaultCleanupCount = 1000;

struct ValueRequest {
  int line;
  TrendLineValueLimits limits;
  int32_t value;
};

struct CleanupRequest {
  int count;  // lines stored
  int chosen;
};

// Typing replaces the whole entry, which is kept short.
void FocusEntry(HWND dialog, int id) {
  SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, kTypedTextLimit, 0);
  FocusWholeText(dialog, id);
}

INT_PTR CALLBACK TrendLineValueProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<ValueRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    char text[96];
    FormatTrendLineValue(request->limits, gTrendLines->lines[request->line].value1, text, sizeof text);
    SetDialogItemText(dialog, IDC_TLINE_VALUE_EDIT, text);
    FormatTrendLineValueRange(request->limits, text, sizeof text);
    SetDialogItemText(dialog, IDC_TLINE_VALUE_RANGE, text);
    FocusEntry(dialog, IDC_TLINE_VALUE_EDIT);
    return FALSE;  // the focus is set
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    // An empty or unreadable entry keeps the dialog open.
    if (!ParseTrendLineValue(request->limits, GetDialogItemText(dialog, IDC_TLINE_VALUE_EDIT, 63).c_str(),
                             &request->value)) {
      PlayWarningBeep();
      return TRUE;
    }
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

// A count outside the range deletes nothing: the user is told the range
// once (the box sounds the warning beep) and finds the text selected, to
// type it again.
void RefuseCleanupCount(HWND dialog, int count) {
  char text[128];
  snprintf(text, sizeof text, "削除する本数は 1 ～ %d の範囲の数で入力してください。", count);
  MessageBoxW(dialog, SjisToWide(text).c_str(), SjisToWide(gAppTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
  FocusEntry(dialog, IDC_TLINE_CLEANUP_EDIT);
}

INT_PTR CALLBACK TrendLineCleanupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogRequest<CleanupRequest>(dialog, message, lParam);
  if (request == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    char text[96];
    snprintf(text, sizeof text, "現在のトレンドライン：%d 本", request->count);
    SetDialogItemText(dialog, IDC_TLINE_CLEANUP_COUNT, text);
    snprintf(text, sizeof text, "%d", std::min(request->count, kDefaultCleanupCount));
    SetDialogItemText(dialog, IDC_TLINE_CLEANUP_EDIT, text);
    snprintf(text, sizeof text, "有効範囲：1 ～ %d", request->count);
    SetDialogItemText(dialog, IDC_TLINE_CLEANUP_RANGE, text);
    FocusEntry(dialog, IDC_TLINE_CLEANUP_EDIT);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) {
    if (!ParseTrimCount(GetDialogItemText(dialog, IDC_TLINE_CLEANUP_EDIT, 63).c_str(), request->count,
                        &request->chosen)) {
      RefuseCleanupCount(dialog, request->count);
      return TRUE;
    }
    EndDialog(dialog, IDOK);
  } else if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

}  // namespace

bool EditTrendLineValue(HWND owner) {
  if (!IsTrendLineIndex(gSelectedTrendLine)) return false;
  ValueRequest request = {gSelectedTrendLine, GetTrendLineValueLimitsForLine(gSelectedTrendLine), 0};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TLINE_VALUE), owner,
                                         TrendLineValueProc, reinterpret_cast<LPARAM>(&request));
  if (result != IDOK) return false;
  CommitTrendLineValue(request.line, request.value);
  return true;
}

bool ShowTrendLineCleanupDialog(HWND owner) {
  if (gTrendLines == nullptr || gTrendLines->count < 1) return false;
  CleanupRequest request = {std::min(gTrendLines->count, kMaxTrendLines), 0};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TLINE_CLEANUP), owner,
                                         TrendLineCleanupProc, reinterpret_cast<LPARAM>(&request));
  return result == IDOK && TrimTrendLines(request.chosen) != 0;
}

void ShowTrendLineStoreFull(HWND owner) {
  MessageBoxFromStrings(owner, 0, kStrTrendLineStoreFull, kMbOk | kMbIconExclamation);
  ShowTrendLineCleanupDialog(owner);
}
