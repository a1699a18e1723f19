#include "shell/exit_report.h"

#include <cstdio>
#include <cstring>

#include "common/app_globals.h"
#include "common/error_message.h"

namespace {

constexpr char kHeading[] = "次のファイルに保存できませんでした。変更は失われます。";
constexpr int kReasonSize = 256;
constexpr int kTextSize = 4096;

// The system's text ends in a line break of its own.
void TrimLineEnd(char* text) {
  size_t length = strlen(text);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    text[--length] = 0;
}

}  // namespace

void NoteExitSave(UnsavedFiles* unsaved, const char* name, int error) {
  if (error == 0 || unsaved->count >= kMaxExitFiles) return;
  const auto at = static_cast<size_t>(unsaved->count++);
  unsaved->names[at] = name;
  unsaved->errors[at] = error;
}

void FormatUnsavedFilesText(const UnsavedFiles& unsaved, char* out, size_t size) {
  if (size == 0) return;
  int used = snprintf(out, size, "%s\n", kHeading);
  for (int i = 0; i < unsaved.count && used >= 0 && static_cast<size_t>(used) < size; ++i) {
    char reason[kReasonSize];
    FormatErrorText(unsaved.errors[static_cast<size_t>(i)], reason, sizeof reason);
    TrimLineEnd(reason);
    used += snprintf(out + used, size - static_cast<size_t>(used), "\n%s　%s", unsaved.names[static_cast<size_t>(i)],
                     reason);
  }
}

void TellUnsavedFiles(const UnsavedFiles& unsaved) {
  if (unsaved.count == 0) return;
  char text[kTextSize];
  FormatUnsavedFilesText(unsaved, text, sizeof text);
  // A box owned by a hidden or minimised window could not be seen.
  const WindowHandle owner = PlatformIsUsableOwner(gMainWnd) ? gMainWnd : nullptr;
  PlatformMessageBox(owner, text, gAppTitle, kMbOk | kMbIconStop);
}
