#include "shell/single_instance_win.h"

#include <cstdint>
#include <cwchar>

#include "common/app_globals.h"
#include "platform/win_text.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr size_t kMaxNameLength = MAX_PATH - 1;  // of a kernel object

// The folder's mutex; a process that ends without releasing it leaves it abandoned.
struct FolderMutex {
  HANDLE handle = nullptr;
  bool owned = false;
  ~FolderMutex() { Close(); }
  void Close() {
    if (handle == nullptr) return;
    if (owned) ReleaseMutex(handle);
    CloseHandle(handle);
    handle = nullptr;
    owned = false;
  }
};

FolderMutex gFolderMutex;

// `call` fills a buffer of the size it is given and returns the length, or
// the size it needs; the text unchanged when the call fails.
template <typename Call>
std::wstring Rewritten(const std::wstring& text, Call call) {
  const DWORD needed = call(nullptr, 0);
  if (needed == 0) return text;
  std::wstring out(needed, L'\0');
  const DWORD length = call(out.data(), needed);
  if (length == 0 || length >= needed) return text;
  out.resize(length);
  return out;
}

// One spelling per folder: full, long names, no trailing separator, upper case.
std::wstring FoldedFolderPath(const char* folder) {
  std::wstring path = SjisToWide(folder);
  path =
      Rewritten(path, [&path](wchar_t* out, DWORD size) { return GetFullPathNameW(path.c_str(), size, out, nullptr); });
  path = Rewritten(path, [&path](wchar_t* out, DWORD size) { return GetLongPathNameW(path.c_str(), out, size); });
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return path;
}

uint64_t HashOf(const std::wstring& text) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : text) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  return hash;
}

// The holder is starting or closing: its window is brought to the front once
// it exists; the folder is taken over once the holder lets it go.
bool WaitForHolder() {
  const DWORD start = GetTickCount();
  for (;;) {
    if (ActivateRunningInstance()) return false;
    if (gFolderMutex.handle != nullptr) {
      const DWORD wait = WaitForSingleObject(gFolderMutex.handle, kPollMs);
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        gFolderMutex.owned = true;
        return true;
      }
    } else {
      Sleep(kPollMs);
    }
    if (GetTickCount() - start >= kWaitForRunningInstanceMs) return false;
  }
}

}  // namespace

bool ActivateRunningInstance() {
  const HWND existing = FindWindowW(SjisToWide(gMainClassName).c_str(), nullptr);
  if (existing == nullptr) return false;
  if (IsIconic(existing)) ShowWindow(existing, SW_RESTORE);
  SetForegroundWindow(existing);
  return true;
}

std::wstring DataFolderMutexName(const char* folder) {
  const std::wstring prefix = SjisToWide(gMainClassName) + L":";
  const std::wstring path = FoldedFolderPath(folder);
  if (prefix.size() + path.size() <= kMaxNameLength) return prefix + path;
  wchar_t hash[20];
  swprintf(hash, 20, L"%016llX:", static_cast<unsigned long long>(HashOf(path)));
  const size_t tail = kMaxNameLength - prefix.size() - wcslen(hash);
  return prefix + hash + path.substr(path.size() - tail);
}

bool TakeDataFolder(const char* folder) {
  gFolderMutex.Close();
  gFolderMutex.handle = CreateMutexW(nullptr, TRUE, DataFolderMutexName(folder).c_str());
  const DWORD error = GetLastError();
  if (gFolderMutex.handle != nullptr && error != ERROR_ALREADY_EXISTS) {
    gFolderMutex.owned = true;
    return true;
  }
  // A name the system refuses leaves the start as it was without the mutex;
  // a mutex of another user's cannot be opened, but it is there all the same.
  if (gFolderMutex.handle == nullptr && error != ERROR_ACCESS_DENIED) return true;
  const bool taken = WaitForHolder();
  if (!taken) gFolderMutex.Close();
  return taken;
}

void ReleaseDataFolder() { gFolderMutex.Close(); }
