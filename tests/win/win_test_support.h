#pragma once
// Helpers shared by the Windows tests (run under Wine).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "chart/gdi_rules.h"
#include "platform/win_text.h"
#include "records/screen_pattern_record.h"
#include "records/settings_block.h"

// Deletes a folder (ending with '\') and everything in it, as far as it can.
inline void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveFolderTree(folder + name + L"\\");
    } else {
      DeleteFileW((folder + name).c_str());
    }
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RemoveDirectoryW(folder.c_str());
}

// The temporary folders of this run, removed when the test program ends so
// that runs do not pile copies of the sample database up.
struct TempFolders {
  std::vector<std::wstring> made;
  ~TempFolders() {
    for (const std::wstring& folder : made) RemoveFolderTree(folder);
  }
};
inline TempFolders gTempFolders;

// A new empty folder under the temporary folder; ends with '\'.
inline std::wstring MakeTempFolder(const wchar_t* prefix) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls%ls-%lu-%d\\", base, prefix, GetCurrentProcessId(), ++counter);
    if (CreateDirectoryW(name, nullptr)) {
      gTempFolders.made.push_back(name);
      return name;
    }
  }
}

inline std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  FILE* f = _wfopen(path.c_str(), L"rb");
  unsigned char buf[65536];
  for (size_t n; f != nullptr && (n = fread(buf, 1, sizeof buf, f)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
  if (f != nullptr) fclose(f);
  return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

inline std::wstring EnvironmentText(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return (n > 0 && n < MAX_PATH * 2) ? std::wstring(value) : std::wstring();
}

// Wine maps the Unix path of the build folder to a DOS path.
inline std::wstring UnixToDosPath(const std::wstring& unixPath) {
  if (unixPath.empty() || unixPath[0] != L'/') return unixPath;
  std::wstring dos = L"Z:" + unixPath;
  std::replace(dos.begin(), dos.end(), L'/', L'\\');
  return dos;
}

// The generated sample database's folder (VELQO_SAMPLE_DB) as a DOS path; empty when none is given.
inline std::wstring SampleFolder() { return UnixToDosPath(EnvironmentText(L"VELQO_SAMPLE_DB")); }

// Folder for pictures and other artefacts that people may look at.
inline std::wstring ArtifactsFolder() {
  std::wstring folder = UnixToDosPath(EnvironmentText(L"VELQO_ARTIFACTS"));
  if (folder.empty()) folder = L"artifacts";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\";
}

inline RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Palette slots given their colours, in pairs: SetPalette(slot, colour, slot, colour, ...).
template <typename... More>
void SetPalette(int slot, COLORREF color, More... more) {
  gPaletteColors[slot] = color;
  if constexpr (sizeof...(more) > 0) SetPalette(more...);
}

// A chart of the given panes (kind, flags) at bar width 5, showing the newest bar.
inline ChartView MakeChartView(uint32_t code, int period, std::initializer_list<std::pair<uint32_t, uint32_t>> panes) {
  ChartView view{};
  view.stockCode = code;
  view.period = period;
  view.lastBarIndex = -1;
  view.barWidth = 5;
  view.rightMargin = kDefaultRightMargin;
  for (const auto& [kind, flags] : panes) {
    view.paneKinds[view.paneCount] = kind;
    view.paneFlags[view.paneCount++] = flags;
  }
  return view;
}

// A window's text: a title, or what a control shows.
inline std::wstring WindowTitle(HWND hwnd) {
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  return title;
}

// Whether top-level window `upper` lies above `lower` in the z-order.
inline bool LiesAbove(HWND upper, HWND lower) {
  for (HWND next = GetWindow(upper, GW_HWNDNEXT); next != nullptr; next = GetWindow(next, GW_HWNDNEXT))
    if (next == lower) return true;
  return false;
}

// Waits up to 10 s for a dialog with this title (shown by another thread's
// modal loop); null when none came.
inline HWND WaitForDialog(const std::wstring& title) {
  for (int i = 0; i < 200; ++i, Sleep(50))
    if (const HWND dialog = FindWindowW(L"#32770", title.c_str())) return dialog;
  return nullptr;
}

// Focuses edit `id` of `dialog` (or of a property page), types over its text
// key by key and ends with `endKey` (0: none); posted, for the dialog's own
// message loop to take in order.
inline void PostTyping(HWND dialog, int id, const wchar_t* text, WPARAM endKey) {
  const HWND edit = GetDlgItem(dialog, id);
  PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  PostMessageW(edit, EM_SETSEL, 0, -1);
  for (const wchar_t* c = text; *c != L'\0'; ++c) PostMessageW(edit, WM_CHAR, *c, 0);
  if (endKey != 0) PostMessageW(edit, WM_KEYDOWN, endKey, 0);
}

// Pumps this thread's messages for a while.
inline void PumpFor(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// A window of class #32770 owned by `owner` (a file dialog, a message box, a
// picker); null after `tries` waits of 50 ms.
inline HWND WaitForOwnedDialog(HWND owner, int tries = 200) {
  for (int i = 0; i < tries; ++i, Sleep(50)) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr))
      if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

inline void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

inline bool WaitUntilClosed(HWND window) {
  for (int i = 0; i < 100 && IsWindow(window); ++i) Sleep(50);
  return !IsWindow(window);
}

constexpr int kFileNameBox = 1148;  // the file dialogs' name box (cmb13)

// Types a name into the file dialog owned by `owner` and takes it, answering
// yes when asked whether to replace the file; true once the dialog closed.
inline bool AnswerFileDialog(HWND owner, const std::wstring& path, bool replace = false) {
  const HWND files = WaitForOwnedDialog(owner);
  if (files == nullptr) return false;
  Sleep(300);
  SetDlgItemTextW(files, kFileNameBox, path.c_str());
  Press(files, IDOK);
  if (const HWND question = replace ? WaitForOwnedDialog(files) : nullptr) {
    Sleep(200);
    Press(question, IDYES);
  }
  return WaitUntilClosed(files);
}

// Runs `open` here (its modal loop) while `drive` works the dialog titled
// `title` from a thread of its own; false when no such dialog came.
inline bool RunDriven(const std::wstring& title, const std::function<void(HWND)>& drive,
                      const std::function<void()>& open) {
  bool found = false;
  std::thread driver([&] {
    if (const HWND dialog = WaitForDialog(title)) {
      found = true;
      Sleep(200);  // painted
      drive(dialog);
    }
  });
  open();
  driver.join();
  return found;
}

inline void PostKeyDownUp(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 0);
  PostMessageW(control, WM_KEYUP, key, 0);
}

// What control `id` shows, in Shift-JIS.
inline std::string DialogText(HWND dialog, int id) {
  wchar_t text[1024] = L"";
  GetDlgItemTextW(dialog, id, text, 1024);
  return WideToSjis(text);
}

// Row `row` of list box `id`, in Shift-JIS.
inline std::string DialogListRow(HWND dialog, int id, int row) {
  wchar_t text[600] = L"";
  SendDlgItemMessageW(dialog, id, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return WideToSjis(text);
}

// Row `row` chosen in list or combo box `id`, told to the dialog as the box tells it.
inline void ChooseRow(HWND dialog, int id, int row, WORD notification = LBN_SELCHANGE) {
  const HWND box = GetDlgItem(dialog, id);
  wchar_t className[16] = L"";
  GetClassNameW(box, className, 16);
  const bool combo = lstrcmpiW(className, L"ComboBox") == 0;
  SendMessageW(box, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(box));
}

inline bool ItemShown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
inline bool ItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
