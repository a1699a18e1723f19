#include "shell/backup_window_win.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "common/app_globals.h"
#include "common/progress.h"
#include "platform/platform.h"
#include "platform/win_text.h"
#include "shell/backup_run.h"

namespace {

constexpr wchar_t kPopupClass[] = L"VQBACKUPPROGRESS";
constexpr int kPopupWidth = 400;
constexpr int kPopupHeight = 150;
constexpr int kTextId = 100;
constexpr int kBarId = 101;

struct Popup {
  HWND window = nullptr;
  std::vector<HWND> disabled;  // enabled again on close
};

Popup gPopup;

BOOL CALLBACK DisableOtherWindow(HWND hwnd, LPARAM) {
  if (hwnd != gPopup.window && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    gPopup.disabled.push_back(hwnd);
  }
  return TRUE;
}

// The close box does nothing: a copy half done must run to its end.
LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterPopupClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPopupClass;
  registered = RegisterClassW(&wc) != 0;
  return registered;
}

void OpenPopup(bool restoring) {
  if (gPopup.window != nullptr || !RegisterPopupClass()) return;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kPopupWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kPopupHeight) / 2;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const HWND owner = IsWindow(static_cast<HWND>(gMainWnd)) ? static_cast<HWND>(gMainWnd) : nullptr;
  const HWND popup = CreateWindowExW(
      WS_EX_TOPMOST, kPopupClass, SjisToWide(restoring ? "リストア中..." : "バックアップ中...").c_str(),
      WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, kPopupWidth, kPopupHeight, owner, nullptr, instance, nullptr);
  if (popup == nullptr) return;
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HWND text = CreateWindowExW(0, L"STATIC", SjisToWide("準備中...").c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER,
                                    20, 20, 360, 30, popup, reinterpret_cast<HMENU>(kTextId), instance, nullptr);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 20, 60, 360, 25, popup,
                  reinterpret_cast<HMENU>(kBarId), instance, nullptr);
  gPopup.window = popup;
  // As under the progress dialog: every other window disabled, commands dropped.
  EnumThreadWindows(GetCurrentThreadId(), DisableOtherWindow, 0);
  gProgressDlg = popup;
  ShowWindow(popup, SW_SHOW);
  UpdateWindow(popup);
  PlatformPumpMessages();
}

void SetPopupProgress(int position, int range, const char* text) {
  if (gPopup.window == nullptr) return;
  const HWND bar = GetDlgItem(gPopup.window, kBarId);
  SendMessageW(bar, PBM_SETRANGE32, 0, range > 0 ? range : 1);
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  SetDlgItemTextW(gPopup.window, kTextId, SjisToWide(text).c_str());
  PlatformPumpMessages();
}

void ClosePopup() {
  Popup popup = gPopup;
  gPopup = Popup{};
  if (popup.window == nullptr) return;
  for (HWND hwnd : popup.disabled) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  if (gProgressDlg == popup.window) gProgressDlg = nullptr;
  DestroyWindow(popup.window);
}

bool BrowseForFolder(const char* prompt, char* path) {
  const std::wstring title = SjisToWide(prompt);
  BROWSEINFOW info{};
  info.hwndOwner = static_cast<HWND>(gMainWnd);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  // The new dialog style needs COM on this thread.
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  wchar_t folder[MAX_PATH] = L"";
  const bool ok = chosen != nullptr && SHGetPathFromIDListW(chosen, folder) != FALSE;
  if (chosen != nullptr) CoTaskMemFree(chosen);
  if (com) CoUninitialize();
  return ok && WideToSjisBuffer(folder, path, MAX_PATH) > 0;
}

bool OpenFolderInShell(const char* path) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(static_cast<HWND>(gMainWnd), L"open", SjisToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace

void InstallBackupWindows() {
  gBackupWindowHooks = {OpenPopup, SetPopupProgress, ClosePopup, BrowseForFolder, OpenFolderInShell};
}

void* BackupPopupWindow() { return gPopup.window; }
