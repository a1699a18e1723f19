#include "analysis/signal_file_chooser.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kExtensionLength = 4;  // ".dat"

}  // namespace

void ListChooserFiles(std::vector<std::string>* names) {
  ListSignalSettingsFiles(names);
  if (names->size() > static_cast<size_t>(kMaxChooserFiles)) names->resize(kMaxChooserFiles);
}

void FormatChooserRow(const char* name, bool chosen, char* text, size_t size) {
  const size_t length = strlen(name);
  const int shown = static_cast<int>(length > kExtensionLength ? length - kExtensionLength : 0);
  snprintf(text, size, "%s%.*s", chosen ? "★" : "○", shown, name);
}

bool IsChosenSignalFile(const char* name, const char* signalFileName) {
  const size_t folder = strlen(kSignalFolder);
  return strncmp(signalFileName, kSignalFolder, folder) == 0 && strcmp(signalFileName + folder, name) == 0;
}

bool ReadSignalFileDetails(const char* path, SignalSettingsFile* image, SignalFileDetails* details) {
  *details = SignalFileDetails{};
  // Cleared on failure: nothing of the file shown before may stay.
  if (ReadSignalSettingsFile(path, image) != 0) {
    memset(image, 0, sizeof *image);
    return false;
  }
  *details = {image->definitionCount, image->scenarioCount};
  return true;
}
