#pragma once
// Starting velqo.exe in a folder of its own, finding its main window and
// closing it again, for the Windows tests (run under Wine).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/win/win_test_support.h"

constexpr wchar_t kProgramWindowClass[] = L"VELQUORANDIME";
constexpr DWORD kProgramTimeoutMs = 30000;

struct RunningProgram {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
};

// Visits every file and folder under folder (which ends with '\\'), each folder
// before what it holds, by its path inside folder; false when any visit failed.
inline bool VisitFolderTree(const std::wstring& folder,
                            const std::function<bool(const std::wstring& path, bool isFolder)>& visit,
                            const std::wstring& under = L"") {
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((folder + under + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName, path = under + name;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != L"." && name != L"..")
      ok = visit(path, isFolder) && (!isFolder || VisitFolderTree(folder, visit, path + L"\\")) && ok;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return ok;
}

// Copies the program under test (VELQO_EXE) into folder, which ends with '\'.
inline bool CopyProgramInto(const std::wstring& folder) {
  const std::wstring exe = UnixToDosPath(EnvironmentText(L"VELQO_EXE"));
  return CopyFileW(exe.c_str(), (folder + L"velqo.exe").c_str(), FALSE) != FALSE;
}

// A fresh copy of the sample database with the program beside its data
// (without it when `program` is false); empty when no sample is given or the copy failed.
inline std::wstring CopySample(const wchar_t* prefix, bool program = true) {
  if (SampleFolder().empty()) return L"";
  const std::wstring sample = SampleFolder() + L"\\", folder = MakeTempFolder(prefix);
  const bool copied = VisitFolderTree(sample, [&](const std::wstring& path, bool isFolder) {
    return (isFolder ? CreateDirectoryW((folder + path).c_str(), nullptr)
                     : CopyFileW((sample + path).c_str(), (folder + path).c_str(), FALSE)) != FALSE;
  });
  return copied && (!program || CopyProgramInto(folder)) ? folder : L"";
}

// Starts folder's velqo.exe with folder as its working folder, and a
// Documents folder of its own for its backups (never the user's).
inline bool StartProgram(const std::wstring& folder, PROCESS_INFORMATION* process,
                         const std::wstring& documents = L"") {
  std::wstring command = L"\"" + folder + L"velqo.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  wchar_t previous[MAX_PATH] = L"";
  const DWORD hadPrevious = GetEnvironmentVariableW(L"VELQO_DOCUMENTS", previous, MAX_PATH);
  SetEnvironmentVariableW(L"VELQO_DOCUMENTS",
                          (documents.empty() ? MakeTempFolder(L"velqo-documents") : documents).c_str());
  const bool started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, process);
  SetEnvironmentVariableW(L"VELQO_DOCUMENTS", hadPrevious > 0 && hadPrevious < MAX_PATH ? previous : nullptr);
  return started;
}

// The top-level windows of a class, and of a title when one is given, of any process.
inline std::vector<HWND> TopWindows(const wchar_t* className, const wchar_t* title = nullptr) {
  std::vector<HWND> windows;
  for (HWND hwnd = FindWindowExW(nullptr, nullptr, className, title); hwnd != nullptr;
       hwnd = FindWindowExW(nullptr, hwnd, className, title))
    windows.push_back(hwnd);
  return windows;
}

// The one of them that the process made (and shows, when `shown`), or null.
inline HWND WindowOf(const PROCESS_INFORMATION& process, const wchar_t* className, const wchar_t* title = nullptr,
                     bool shown = false) {
  for (const HWND hwnd : TopWindows(className, title)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == process.dwProcessId && (!shown || IsWindowVisible(hwnd))) return hwnd;
  }
  return nullptr;
}

// A dialog (class #32770) the process shows that holds the control `controlId`, or null.
inline HWND DialogWithControl(const PROCESS_INFORMATION& process, int controlId) {
  for (const HWND dialog : TopWindows(L"#32770")) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    if (pid == process.dwProcessId && IsWindowVisible(dialog) && GetDlgItem(dialog, controlId) != nullptr)
      return dialog;
  }
  return nullptr;
}

// Waits up to `wait` ms for such a dialog, polling every `poll` ms; null when
// none came or the program ended.
inline HWND WaitForDialogWithControl(const PROCESS_INFORMATION& process, int controlId, DWORD wait = 20000,
                                     DWORD poll = 50) {
  const DWORD end = GetTickCount() + wait;
  do {
    if (const HWND dialog = DialogWithControl(process, controlId)) return dialog;
    if (WaitForSingleObject(process.hProcess, poll) == WAIT_OBJECT_0) return nullptr;
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
  return nullptr;
}

// Waits until the program shows its main window; false if it ends or times out first.
inline bool WaitForMainWindow(RunningProgram& program) {
  const DWORD end = GetTickCount() + kProgramTimeoutMs;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    program.window = WindowOf(program.process, kProgramWindowClass, nullptr, true);
    if (program.window != nullptr) return true;
    if (WaitForSingleObject(program.process.hProcess, 100) == WAIT_OBJECT_0) return false;
  }
  return false;
}

// Started, its main window shown and its start-up over: input posted from
// now on reaches the main loop, not a start-up step.
// A first run (no stock table or no price file) is offered a restore from a backup: declined.
inline bool LaunchProgram(const std::wstring& folder, RunningProgram& program, const std::wstring& documents = L"") {
  if (!StartProgram(folder, &program.process, documents) || !WaitForMainWindow(program)) return false;
  WaitForInputIdle(program.process.hProcess, kProgramTimeoutMs);
  bool anyPriceFile = false;
  VisitFolderTree(folder + L"DAY\\", [&](const std::wstring&, bool isFolder) {
    anyPriceFile = anyPriceFile || !isFolder;
    return true;
  });
  if (anyPriceFile && GetFileAttributesW((folder + L"stock.dat").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const std::wstring offerTitle = SjisToWide("お問い合わせ");
  const DWORD end = GetTickCount() + kProgramTimeoutMs;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    if (const HWND offer = WindowOf(program.process, L"#32770", offerTitle.c_str(), true)) {
      PostMessageW(offer, WM_COMMAND, IDNO, 0);
      WaitForInputIdle(program.process.hProcess, kProgramTimeoutMs);
      return true;
    }
    if (WaitForSingleObject(program.process.hProcess, 50) == WAIT_OBJECT_0) return false;
  }
  return false;
}

// Waits up to `wait` for the process to end, terminates it if it has not, and
// returns its exit code (STILL_ACTIVE if it had to be terminated).
inline DWORD EndProgram(RunningProgram& program, DWORD wait) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(program.process.hProcess, wait) == WAIT_OBJECT_0) {
    GetExitCodeProcess(program.process.hProcess, &code);
  } else {
    TerminateProcess(program.process.hProcess, 99);
    WaitForSingleObject(program.process.hProcess, kProgramTimeoutMs);
  }
  CloseHandle(program.process.hThread);
  CloseHandle(program.process.hProcess);
  return code;
}

// Closes the window as a user would and waits for the process to end.
inline DWORD CloseProgram(RunningProgram& program) {
  if (program.window != nullptr) PostMessageW(program.window, WM_CLOSE, 0, 0);
  return EndProgram(program, kProgramTimeoutMs);
}

// Waits until the program has taken what was posted to it: a sent message is
// answered only between two of its posted ones.
inline void SettleProgram(HWND window) {
  for (int round = 0; round < 2; ++round) {
    Sleep(30);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProgramTimeoutMs, &result);
  }
}

// A key pressed and let go on the main window, as its message loop gets it.
inline void PressKey(HWND window, WPARAM key) {
  PostMessageW(window, WM_KEYDOWN, key, 0);
  PostMessageW(window, WM_KEYUP, key, 0);
  SettleProgram(window);
}

// What the program saved in the folder's settings files, read by `read`
// while they are loaded here; this process's settings are put back after.
template <typename Read>
auto FromSavedSettings(const std::wstring& folder, Read read) {
  ScopedGlobalState globals;
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(folder.c_str());
  LoadSettings();
  SetCurrentDirectoryW(current);
  return read();
}

inline std::wstring ControlText(HWND dialog, int id) { return WindowTitle(GetDlgItem(dialog, id)); }

// A message box the process shows (its text is control 0xFFFF), neither the
// update's closing dialog nor a progress dialog; null when none is shown.
inline HWND MessageBoxOf(const PROCESS_INFORMATION& process) {
  for (const HWND dialog : TopWindows(L"#32770")) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    if (pid == process.dwProcessId && IsWindowVisible(dialog) && GetDlgItem(dialog, 0xFFFF) != nullptr &&
        GetDlgItem(dialog, IDC_UPDATE_PRICE_DATE) == nullptr && GetDlgItem(dialog, IDC_PROGRESS_BAR) == nullptr)
      return dialog;
  }
  return nullptr;
}
