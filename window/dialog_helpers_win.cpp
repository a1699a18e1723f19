#include "window/dialog_helpers_win.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/number_text.h"
#include "platform/win_text.h"

std::string GetDialogItemText(HWND dialog, int id, int limit) {
  std::vector<wchar_t> wide(static_cast<size_t>(limit > 0 ? limit : 1) + 1, L'\0');
  GetDlgItemTextW(dialog, id, wide.data(), static_cast<int>(wide.size()));
  return WideToSjis(wide.data());
}

void SetDialogItemText(HWND dialog, int id, const char* sjis) { SetDlgItemTextW(dialog, id, SjisToWide(sjis).c_str()); }

void* KeepDialogRequest(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  return reinterpret_cast<void*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int GetClampedDialogInt(HWND dialog, int id, int low, int high) {
  return ParseClampedInt(GetDialogItemText(dialog, id, 32).c_str(), low, high);
}

int ClampDialogIntItem(HWND dialog, int id, int low, int high) {
  const std::string typed = GetDialogItemText(dialog, id, 32);
  const int value = ParseClampedInt(typed.c_str(), low, high);
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  if (typed != text) SetDialogItemText(dialog, id, text);
  return value;
}

void SetDialogInt(HWND dialog, int id, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  SetDialogItemText(dialog, id, text);
}

int AddComboText(HWND combo, const char* sjis) {
  return static_cast<int>(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(SjisToWide(sjis).c_str())));
}

int AddListText(HWND list, const char* sjis) {
  return static_cast<int>(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(SjisToWide(sjis).c_str())));
}

void FillComboTexts(HWND combo, const char* const* texts, int count, int selected) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) AddComboText(combo, texts[i]);
  SendMessageW(combo, CB_SETCURSEL, selected >= 0 && selected < count ? selected : -1, 0);
}

void FocusWholeText(HWND dialog, int id) {
  const HWND edit = GetDlgItem(dialog, id);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void CentreOnOwner(HWND window) {
  const HWND owner = GetWindow(window, GW_OWNER);
  RECT outer, rect;
  if (owner == nullptr || !GetWindowRect(owner, &outer) || !GetWindowRect(window, &rect)) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x = (outer.left + outer.right - width) / 2;
  int y = (outer.top + outer.bottom - height) / 2;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::clamp<int>(x, work.left, std::max<int>(work.left, work.right - width));
    y = std::clamp<int>(y, work.top, std::max<int>(work.top, work.bottom - height));
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT DialogUnitArea(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

HWND CreateDialogControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                         RECT area, int id) {
  MapDialogRect(dialog, &area);
  const HWND control = CreateWindowExW(
      exStyle, className, text, WS_CHILD | style, area.left, area.top, area.right - area.left, area.bottom - area.top,
      dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}
