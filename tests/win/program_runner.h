#pragma once
// Starting velqo.exe in a folder of its own, finding its main window and
// closing it again, for the Windows tests (run under Wine).
#include <windows.h>

#include <cwchar>
#include <string>

#include "tests/win/win_test_support.h"

constexpr wchar_t kProgramWindowClass[] = L"VELQUORANDIME";
constexpr DWORD kProgramTimeoutMs = 30000;

struct RunningProgram {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
};

// Copies the folder tree from into to (both without a trailing '\').
inline bool CopyFolderTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = CopyFolderTree(from + L"\\" + name, to + L"\\" + name) && ok;
    } else {
      ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return ok;
}

// Copies the program under test (VELQO_EXE) into folder, which ends with '\'.
inline bool CopyProgramInto(const std::wstring& folder) {
  const std::wstring exe = UnixToDosPath(EnvironmentText(L"VELQO_EXE"));
  return CopyFileW(exe.c_str(), (folder + L"velqo.exe").c_str(), FALSE) != FALSE;
}

// A fresh copy of the sample database (VELQO_SAMPLE_DB) with the program beside
// its data; empty when no sample is given or the copy failed.
inline std::wstring CopySampleWithProgram(const wchar_t* prefix) {
  const std::wstring sample = UnixToDosPath(EnvironmentText(L"VELQO_SAMPLE_DB"));
  if (sample.empty()) return L"";
  const std::wstring folder = MakeTempFolder(prefix);
  const bool copied = CopyFolderTree(sample, folder.substr(0, folder.size() - 1)) && CopyProgramInto(folder);
  return copied ? folder : L"";
}

// Starts folder's velqo.exe with folder as its working folder.
inline bool StartProgram(const std::wstring& folder, PROCESS_INFORMATION* process) {
  std::wstring command = L"\"" + folder + L"velqo.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, process) !=
         FALSE;
}

struct ProgramWindowSearch {
  DWORD processId;
  HWND found;
  int count;
};

inline BOOL CALLBACK CountProgramWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ProgramWindowSearch*>(param);
  wchar_t name[64];
  if (GetClassNameW(hwnd, name, 64) == 0 || wcscmp(name, kProgramWindowClass) != 0) return TRUE;
  ++search->count;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->processId && IsWindowVisible(hwnd)) search->found = hwnd;
  return TRUE;
}

// How many main windows of any process there are; *found receives the
// visible one of processId, or nullptr.
inline int CountProgramWindows(DWORD processId, HWND* found) {
  ProgramWindowSearch search{processId, nullptr, 0};
  EnumWindows(CountProgramWindow, reinterpret_cast<LPARAM>(&search));
  if (found != nullptr) *found = search.found;
  return search.count;
}

// Waits until the program shows its main window; false if it ends or times out first.
inline bool WaitForMainWindow(RunningProgram& program) {
  const DWORD end = GetTickCount() + kProgramTimeoutMs;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    CountProgramWindows(program.process.dwProcessId, &program.window);
    if (program.window != nullptr) return true;
    if (WaitForSingleObject(program.process.hProcess, 100) == WAIT_OBJECT_0) return false;
  }
  return false;
}

inline bool LaunchProgram(const std::wstring& folder, RunningProgram& program) {
  return StartProgram(folder, &program.process) && WaitForMainWindow(program);
}

// Closes the window as a user would, waits for the process to end and
// returns its exit code (STILL_ACTIVE if it had to be terminated).
inline DWORD CloseProgram(RunningProgram& program) {
  if (program.window != nullptr) PostMessageW(program.window, WM_CLOSE, 0, 0);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(program.process.hProcess, kProgramTimeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(program.process.hProcess, &code);
  else
    TerminateProcess(program.process.hProcess, 99);
  CloseHandle(program.process.hThread);
  CloseHandle(program.process.hProcess);
  return code;
}

inline std::wstring WindowTitle(HWND hwnd) {
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  return title;
}
