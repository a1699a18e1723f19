// Win32 implementation of the platform services. Every text crosses into
// Windows through the W functions with an explicit Shift-JIS conversion.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"

struct PlatformFile {
  HANDLE handle;
};

std::atomic<int> gProgressCancelled{0};
std::atomic<int> gProgressAbortRequested{0};

namespace {

int LastError() { return static_cast<int>(GetLastError()); }

}  // namespace

// ---- Files -------------------------------------------------------------

int PlatformOpenFile(const char* path, FileOpenMode mode, PlatformFile** file) {
  *file = nullptr;
  const std::wstring wide = SjisToWide(path);
  const bool read = mode == FileOpenMode::kReadExisting;
  const HANDLE h = CreateFileW(wide.c_str(), read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               read ? OPEN_EXISTING : CREATE_ALWAYS,
                               read ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  *file = new PlatformFile{h};
  return 0;
}

int PlatformGetOpenFileSize(PlatformFile* file, int64_t* size) {
  LARGE_INTEGER li{};
  if (!GetFileSizeEx(file->handle, &li)) return LastError();
  *size = li.QuadPart;
  return 0;
}

int PlatformReadFile(PlatformFile* file, void* buffer, uint32_t count, uint32_t* done) {
  DWORD n = 0;
  *done = 0;
  if (!ReadFile(file->handle, buffer, count, &n, nullptr)) return LastError();
  *done = n;
  return 0;
}

int PlatformWriteFile(PlatformFile* file, const void* buffer, uint32_t count, uint32_t* done) {
  DWORD n = 0;
  *done = 0;
  if (!WriteFile(file->handle, buffer, count, &n, nullptr)) return LastError();
  *done = n;
  return 0;
}

int PlatformSeekToStart(PlatformFile* file) {
  return SetFilePointer(file->handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ? LastError() : 0;
}

int PlatformFlushFile(PlatformFile* file) { return FlushFileBuffers(file->handle) ? 0 : LastError(); }

void PlatformCloseFile(PlatformFile* file) {
  if (file == nullptr) return;
  CloseHandle(file->handle);
  delete file;
}

int PlatformReplaceFile(const char* from, const char* to) {
  return MoveFileExW(SjisToWide(from).c_str(), SjisToWide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : LastError();
}

int PlatformMoveFile(const char* from, const char* to) {
  return MoveFileExW(SjisToWide(from).c_str(), SjisToWide(to).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : LastError();
}

int PlatformCopyFile(const char* from, const char* to) {
  return CopyFileW(SjisToWide(from).c_str(), SjisToWide(to).c_str(), FALSE) ? 0 : LastError();
}

int PlatformRenameFolder(const char* from, const char* to) {
  return MoveFileW(SjisToWide(from).c_str(), SjisToWide(to).c_str()) ? 0 : LastError();
}

int PlatformDeleteFile(const char* path) { return DeleteFileW(SjisToWide(path).c_str()) ? 0 : LastError(); }

int PlatformCreateFolder(const char* path) {
  if (CreateDirectoryW(SjisToWide(path).c_str(), nullptr)) return 0;
  const int error = LastError();
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesW(SjisToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  }
  return error;
}

int PlatformRemoveFolder(const char* path) { return RemoveDirectoryW(SjisToWide(path).c_str()) ? 0 : LastError(); }

int PlatformGetFileDate(const char* path, int* year, int* month, int* day) {
  const HANDLE h =
      CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  FILETIME written{};
  SYSTEMTIME st{};
  const bool ok = GetFileTime(h, nullptr, nullptr, &written) && FileTimeToSystemTime(&written, &st);
  const int error = ok ? 0 : LastError();
  CloseHandle(h);
  if (!ok) return error;
  *year = st.wYear;
  *month = st.wMonth;
  *day = st.wDay;
  return 0;
}

namespace {

// "folder\\*" for listing every entry of a folder.
std::wstring FolderPattern(const char* folder) {
  std::wstring pattern = SjisToWide(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  return pattern + L'*';
}

}  // namespace

int PlatformListFolder(const char* folder, FolderEntryFn fn, void* context) {
  const std::wstring pattern = FolderPattern(folder);
  WIN32_FIND_DATAW found{};
  const HANDLE h = FindFirstFileW(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  std::vector<std::pair<std::string, bool>> entries;
  do {
    if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
    // A reparse point is never walked into.
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    entries.emplace_back(WideToSjis(found.cFileName), isFolder);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  for (const auto& [name, isFolder] : entries) fn(context, name.c_str(), isFolder);
  return 0;
}

bool PlatformFolderHoldsAnyFile(const char* folder) {
  const std::wstring pattern = FolderPattern(folder);
  WIN32_FIND_DATAW found{};
  const HANDLE h = FindFirstFileW(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    any = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  } while (!any && FindNextFileW(h, &found));
  FindClose(h);
  return any;
}

int PlatformSetCurrentFolder(const char* path) {
  return SetCurrentDirectoryW(SjisToWide(path).c_str()) ? 0 : LastError();
}

namespace {

bool CopyFolderText(const wchar_t* folder, char* out, size_t size) {
  std::string text = WideToSjis(folder);
  if (text.empty()) return false;
  if (text.back() != '\\') text += '\\';
  if (text.size() + 1 > size) return false;
  memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool PlatformGetCurrentFolder(char* out, size_t size) {
  wchar_t folder[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
  return n > 0 && n < MAX_PATH && CopyFolderText(folder, out, size);
}

bool PlatformGetProgramFolder(char* out, size_t size) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  wchar_t* cut = wcsrchr(path, L'\\');
  if (cut == nullptr) return false;
  *cut = 0;
  return CopyFolderText(path, out, size);
}

// VELQO_DOCUMENTS stands for the Documents folder when set: the tests and
// benchmarks that run the program keep its backups out of the user's own.
bool PlatformGetDocumentsFolder(char* out, size_t size) {
  wchar_t path[MAX_PATH];
  const DWORD given = GetEnvironmentVariableW(L"VELQO_DOCUMENTS", path, MAX_PATH);
  if (given > 0 && given < MAX_PATH) return CopyFolderText(path, out, size);
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
  return CopyFolderText(path, out, size);
}

// ---- Time, memory, processors --------------------------------------------

void PlatformSleep(uint32_t milliseconds) { Sleep(milliseconds); }

uint32_t PlatformGetTickCount() { return GetTickCount(); }

namespace {

constexpr int64_t kUnixEpochIn100ns = 116444736000000000LL;

int64_t FileTimeToUnix(const FILETIME& ft) {
  const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - kUnixEpochIn100ns) / 10000000LL;
}

FILETIME UnixToFileTime(int64_t t) {
  const int64_t ticks = t * 10000000LL + kUnixEpochIn100ns;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

}  // namespace

int64_t PlatformGetUnixTime() {
  FILETIME ft{};
  GetSystemTimeAsFileTime(&ft);
  return FileTimeToUnix(ft);
}

int PlatformGetLocalUtcOffset(int64_t unixTime) {
  const FILETIME utc = UnixToFileTime(unixTime);
  SYSTEMTIME utcSt{}, localSt{};
  FILETIME localFt{};
  if (!FileTimeToSystemTime(&utc, &utcSt) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcSt, &localSt) ||
      !SystemTimeToFileTime(&localSt, &localFt))
    return 0;
  return static_cast<int>(FileTimeToUnix(localFt) - unixTime);
}

void PlatformGetMemoryStatus(uint32_t* loadPercent, uint64_t* totalPhysical) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatusEx(&status);
  *loadPercent = status.dwMemoryLoad;
  *totalPhysical = status.ullTotalPhys;
}

int PlatformGetProcessorCount() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

// ---- Texts and the user ---------------------------------------------------

int PlatformLoadString(int id, char* out, int size) {
  if (size <= 0) return 0;
  out[0] = 0;
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW hands out a pointer to the resource itself.
  const int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || text == nullptr) return 0;
  const std::wstring copy(text, static_cast<size_t>(n));
  return WideToSjisBuffer(copy.c_str(), out, size);
}

bool PlatformGetErrorText(int code, char* out, size_t size) {
  if (size == 0) return false;
  out[0] = 0;
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n == 0 || text == nullptr) return false;
  WideToSjisBuffer(text, out, static_cast<int>(size));
  LocalFree(text);
  return out[0] != 0;
}

bool PlatformIsUsableOwner(WindowHandle window) {
  const HWND hwnd = static_cast<HWND>(window);
  return hwnd != nullptr && IsWindow(hwnd) && IsWindowVisible(hwnd) && !IsIconic(hwnd);
}

namespace {
void DisableAgainBehindProgress();
}  // namespace

int PlatformMessageBox(WindowHandle owner, const char* text, const char* title, unsigned flags) {
  const int answer = MessageBoxW(static_cast<HWND>(owner), SjisToWide(text).c_str(), SjisToWide(title).c_str(), flags);
  DisableAgainBehindProgress();
  return answer;
}

void PlatformBeep(unsigned soundFlags) { MessageBeep(soundFlags); }

namespace {

bool RunFileDialog(bool save, WindowHandle owner, const char* title, char* path, char* fileTitle, const char* filter,
                   const char* defaultExtension, const char* initialFolder = nullptr) {
  wchar_t file[MAX_PATH] = L"";
  wchar_t fileTitleW[MAX_PATH] = L"";
  const std::wstring initial = SjisToWide(path);
  wcsncpy(file, initial.c_str(), MAX_PATH - 1);
  const std::wstring filterW = SjisFilterToWide(filter);
  const std::wstring titleW = SjisToWide(title);
  const std::wstring extension = SjisToWide(defaultExtension);
  const std::wstring folder = SjisToWide(initialFolder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner);
  ofn.lpstrFilter = filterW.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFileTitle = fileTitleW;
  ofn.nMaxFileTitle = MAX_PATH;
  ofn.lpstrTitle = title != nullptr ? titleW.c_str() : nullptr;
  ofn.lpstrDefExt = defaultExtension != nullptr ? extension.c_str() : nullptr;
  ofn.lpstrInitialDir = initialFolder != nullptr ? folder.c_str() : nullptr;
  ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR
                   : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
  WideToSjisBuffer(file, path, 260);
  if (fileTitle != nullptr) WideToSjisBuffer(fileTitleW, fileTitle, 259);
  return true;
}

}  // namespace

bool PlatformPromptOpenFile(WindowHandle owner, const char* title, char* path, const char* filter) {
  return RunFileDialog(false, owner, title, path, nullptr, filter, nullptr);
}

bool PlatformPromptSaveFile(WindowHandle owner, const char* title, char* path, char* fileTitle, const char* filter,
                            const char* defaultExtension) {
  return RunFileDialog(true, owner, title, path, fileTitle, filter, defaultExtension);
}

bool PlatformPromptSaveFileInFolder(WindowHandle owner, const char* title, const char* folder, char* path,
                                    const char* filter, const char* defaultExtension) {
  return RunFileDialog(true, owner, title, path, nullptr, filter, defaultExtension, folder);
}

// ---- The progress dialog ----------------------------------------------------

namespace {

struct ProgressWindows {
  HWND dialog = nullptr;
  HWND owner = nullptr;
  HWND focus = nullptr;
  std::vector<HWND> disabled;  // top-level windows we disabled, enabled again on close
};

ProgressWindows gProgressWindows;

INT_PTR CALLBACK ProgressDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL: gProgressCancelled = 1; return TRUE;
    case IDC_PROGRESS_ABORT: gProgressAbortRequested = 1; return TRUE;
    default: return FALSE;
  }
}

BOOL CALLBACK DisableTopLevelWindow(HWND hwnd, LPARAM) {
  if (hwnd != gProgressWindows.dialog && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    gProgressWindows.disabled.push_back(hwnd);
  }
  return TRUE;
}

// A message box enables its owner when it closes, even one the progress
// dialog disabled: the windows behind an open dialog are disabled again.
void DisableAgainBehindProgress() {
  const ProgressWindows& p = gProgressWindows;
  if (p.dialog == nullptr || !IsWindow(p.dialog)) return;
  for (HWND hwnd : p.disabled) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, FALSE);
  }
}

}  // namespace

WindowHandle PlatformProgressOpen(WindowHandle owner, bool showCancel, const char* title) {
  ProgressWindows& p = gProgressWindows;
  if (p.dialog == nullptr || !IsWindow(p.dialog)) {
    p = ProgressWindows{};
    p.owner = static_cast<HWND>(owner);
    p.focus = GetFocus();
    p.dialog =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), p.owner, ProgressDialogProc, 0);
    if (p.dialog == nullptr) return nullptr;
    // The main window, the stock sheets and the simulator windows: every
    // top-level window of this thread but the dialog.
    EnumThreadWindows(GetCurrentThreadId(), DisableTopLevelWindow, 0);
  }
  ShowWindow(GetDlgItem(p.dialog, IDCANCEL), showCancel ? SW_SHOW : SW_HIDE);
  EnableWindow(GetDlgItem(p.dialog, IDCANCEL), TRUE);
  ShowWindow(GetDlgItem(p.dialog, IDC_PROGRESS_ABORT), SW_HIDE);
  EnableWindow(GetDlgItem(p.dialog, IDC_PROGRESS_ABORT), FALSE);
  ShowWindow(GetDlgItem(p.dialog, IDC_PROGRESS_TEXT1), SW_SHOW);
  if (title != nullptr) SetWindowTextW(p.dialog, SjisToWide(title).c_str());
  SetDlgItemTextW(p.dialog, IDC_PROGRESS_TEXT1, L"");
  SetDlgItemTextW(p.dialog, IDC_PROGRESS_TEXT2, L"");
  const HWND bar = GetDlgItem(p.dialog, IDC_PROGRESS_BAR);
  SendMessageW(bar, PBM_SETRANGE32, 0, kProgressBarRange);
  SendMessageW(bar, PBM_SETSTEP, 1, 0);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  ShowWindow(p.dialog, SW_SHOW);
  UpdateWindow(p.dialog);
  return p.dialog;
}

void PlatformProgressSetBar(int position) {
  if (gProgressWindows.dialog != nullptr)
    SendDlgItemMessageW(gProgressWindows.dialog, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void PlatformProgressSetText(int line, const char* text) {
  if (gProgressWindows.dialog != nullptr)
    SetDlgItemTextW(gProgressWindows.dialog, line == 1 ? IDC_PROGRESS_TEXT1 : IDC_PROGRESS_TEXT2,
                    SjisToWide(text).c_str());
}

void PlatformProgressEnableCancel(bool enable) {
  if (gProgressWindows.dialog != nullptr)
    EnableWindow(GetDlgItem(gProgressWindows.dialog, IDCANCEL), enable ? TRUE : FALSE);
}

void PlatformProgressShowAbort(bool show) {
  const HWND dialog = gProgressWindows.dialog;
  if (dialog == nullptr) return;
  const HWND abort = GetDlgItem(dialog, IDC_PROGRESS_ABORT);
  EnableWindow(abort, show ? TRUE : FALSE);
  ShowWindow(abort, show ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDC_PROGRESS_TEXT1), show ? SW_HIDE : SW_SHOW);
}

void PlatformProgressClose() {
  ProgressWindows p = gProgressWindows;
  gProgressWindows = ProgressWindows{};
  if (p.dialog == nullptr) return;
  const bool wasForeground = GetForegroundWindow() == p.dialog;
  for (HWND hwnd : p.disabled) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  if (p.focus != nullptr && IsWindow(p.focus)) SetFocus(p.focus);
  DestroyWindow(p.dialog);
  if (wasForeground && p.owner != nullptr && IsWindow(p.owner)) SetFocus(p.owner);
}

void PlatformPumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (gProgressWindows.dialog != nullptr && IsDialogMessageW(gProgressWindows.dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// ---- Waiting for worker threads -------------------------------------------

struct PlatformWakeSignal {
  HANDLE event;
};

PlatformWakeSignal* PlatformCreateWakeSignal() {
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) return nullptr;
  auto* signal = new (std::nothrow) PlatformWakeSignal{event};
  if (signal == nullptr) CloseHandle(event);
  return signal;
}

void PlatformDestroyWakeSignal(PlatformWakeSignal* signal) {
  if (signal == nullptr) return;
  CloseHandle(signal->event);
  delete signal;
}

void PlatformRaiseWakeSignal(PlatformWakeSignal* signal) { SetEvent(signal->event); }

// Wakes for the event or for input, so that the windows stay alive while
// the workers run and the wait ends as soon as they are done.
bool PlatformWaitPumping(PlatformWakeSignal* signal, uint32_t milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = elapsed >= milliseconds ? 0 : milliseconds - elapsed;
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &signal->event, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return true;
    PlatformPumpMessages();
    if (result != WAIT_OBJECT_0 + 1 || left == 0) return WaitForSingleObject(signal->event, 0) == WAIT_OBJECT_0;
  }
}
