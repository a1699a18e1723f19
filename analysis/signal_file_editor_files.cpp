#include "analysis/signal_file_editor_files.h"

#include <cstdio>

#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"

namespace {

constexpr int kPathSize = 260;
constexpr char kOpenTitle[] = "Choose SignalFile.";
constexpr char kSignalFileFilter[] = "*.dat\0*.dat\0";
constexpr char kSignalFileExtension[] = "dat";

}  // namespace

bool ImportSignalFile(SignalFileEditor& editor, WindowHandle owner) {
  char path[kPathSize];
  if (!PromptOpenFileWithTitle(owner, kOpenTitle, path, kSignalFileFilter)) return false;
  const int result = ImportSignalFileIntoEditor(editor, path);
  if (result == -1) {
    MessageBoxFromStrings(owner, 0, kStrNotSignalFile, kMbOk | kMbIconExclamation);
  } else if (result != 0) {
    ShowErrorMessage(owner, result);
  }
  return result == 0;
}

bool ExportSignalFile(SignalFileEditor& editor, WindowHandle owner, const char* description) {
  char folder[kPathSize];
  const int length = std::snprintf(folder, sizeof folder, "%s%s", gDataFolder, kSignalFolder);
  if (length < 0 || length >= static_cast<int>(sizeof folder)) return false;
  PlatformCreateFolder(folder);
  char title[256];
  PlatformLoadString(kStrSaveSignalFilePrompt, title, sizeof title);
  char path[kPathSize] = "";
  if (!PlatformPromptSaveFileInFolder(owner, title, folder, path, kSignalFileFilter, kSignalFileExtension))
    return false;
  const int error = SaveSignalFileImage(editor, description, path);
  if (error != 0) ShowErrorMessage(owner, error);
  return error == 0;
}
