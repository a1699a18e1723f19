#include "common/error_message.h"

#include <cstdio>

#include "common/file_io.h"
#include "common/sjis_text.h"

namespace {

constexpr int kPathSize = 260;
constexpr int kErrorTextSize = 512;
constexpr int kTitleSize = 256;
// One "all files" entry; the literal's own terminator closes the list.
constexpr char kAllFilesFilter[] = "*.*\0*.*\0";
constexpr char kSaveDefaultExtension[] = "plt";

const char* FilterOrAllFiles(const char* filter) { return filter != nullptr ? filter : kAllFilesFilter; }

}  // namespace

void FormatErrorText(int errorCode, char* out, int size) {
  char text[kErrorTextSize];
  if (!PlatformGetErrorText(errorCode, text, sizeof text)) {
    snprintf(text, sizeof text, "なんらかのエラーが発生しました。エラーコードは %d です。", errorCode);
  }
  CopySjisText(out, text, size);
}

void ShowErrorMessage(WindowHandle owner, int errorCode) {
  char text[kErrorTextSize];
  FormatErrorText(errorCode, text, sizeof text);
  // A box owned by a hidden or minimised window could not be seen.
  const WindowHandle usableOwner = PlatformIsUsableOwner(owner) ? owner : nullptr;
  PlatformMessageBox(usableOwner, text, "エラー", kMbOk | kMbIconStop);
}

void PlayWarningBeep() { PlatformBeep(kMbIconExclamation); }

bool PromptOpenFileWithTitle(WindowHandle owner, const char* title, char* path, const char* filter) {
  path[0] = 0;
  return PlatformPromptOpenFile(owner, title, path, FilterOrAllFiles(filter));
}

bool PromptOpenFile(ModuleHandle, WindowHandle owner, int titleStringId, char* path, const char* filter) {
  char title[kTitleSize];
  PlatformLoadString(titleStringId, title, sizeof title);
  return PromptOpenFileWithTitle(owner, title, path, filter);
}

bool PromptSaveFile(ModuleHandle, WindowHandle owner, int titleStringId, char* path, const char* filter) {
  char title[kTitleSize];
  PlatformLoadString(titleStringId, title, sizeof title);
  path[0] = 0;
  return PlatformPromptSaveFile(owner, title, path, nullptr, FilterOrAllFiles(filter), kSaveDefaultExtension);
}

char* PromptOpenAndLoadFile(ModuleHandle instance, WindowHandle owner, int titleStringId, uint32_t* size,
                            const char* filter) {
  char path[kPathSize];
  if (!PromptOpenFile(instance, owner, titleStringId, path, filter)) {
    if (size != nullptr) *size = 0;
    return nullptr;
  }
  return LoadFileToMemory(path, size, 0);
}
