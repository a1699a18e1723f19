#include "common/message_boxes.h"

#include "common/app_globals.h"

namespace {
constexpr char kAllFilesFilter[] = "*.*\0*.*\0";
}

int MessageBoxFromStrings(WindowHandle owner, int titleStringId, int textStringId, unsigned flags) {
  char title[256] = "";
  char text[1024] = "";
  if (titleStringId != 0) PlatformLoadString(titleStringId, title, sizeof title);
  const char* shownTitle = title[0] != 0 ? title : gAppTitle;
  PlatformLoadString(textStringId, text, sizeof text);
  return PlatformMessageBox(owner, text, shownTitle, flags);
}

bool ShowSaveFileDialog(ModuleHandle, WindowHandle owner, const char* title, char* path, char* fileTitle,
                        const char* filter) {
  return PlatformPromptSaveFile(owner, title, path, fileTitle, filter != nullptr ? filter : kAllFilesFilter, nullptr);
}
