#include "analysis/signal_file_chooser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/file_io.h"
#include "common/sjis_text.h"

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
  // Cleared first: a shorter file must not show what the one before left.
  memset(image, 0, sizeof *image);
  *details = SignalFileDetails{};
  uint32_t bytesRead = 0;
  if (LoadFileToBufferEx(path, image, sizeof *image, &bytesRead) != 0) {
    memset(image, 0, sizeof *image);
    return false;
  }
  TerminateTextField(image->description, kSignalDescriptionSize);
  details->signalCount = std::clamp<int>(image->definitionCount, 0, kMaxSignalDefinitions);
  for (int k = 0; k < details->signalCount; ++k) TerminateTextField(image->definitions[k].name, kSignalNameSize);
  // The scenario count lies past the end of the older layouts.
  if (bytesRead >= sizeof *image) {
    details->scenarioCount = std::clamp<int>(image->scenarioCount, 0, kScenarioSlots);
    for (int s = 0; s < details->scenarioCount; ++s) TerminateTextField(image->scenarios[s].name, kScenarioNameSize);
  }
  return true;
}
