#pragma once
// What a data folder's settings files hold, read by the program's own code
// without disturbing the test's globals.
#include <windows.h>

#include <string>

#include "shell/settings.h"
#include "tests/support/global_state.h"

// `read` sees the globals as LoadSettings leaves them for the folder; they are
// put back afterwards. Returns what `read` returns.
template <typename Read>
auto ReadSavedSettings(const std::wstring& folder, Read read) {
  ScopedGlobalState globals;
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(folder.c_str());
  LoadSettings();
  SetCurrentDirectoryW(current);
  return read();
}
