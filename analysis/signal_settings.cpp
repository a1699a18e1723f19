#include "analysis/signal_settings.h"

#include <cstdio>
#include <cstring>

#include "analysis/condition_items.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/sjis_text.h"
#include "records/settings_block.h"

SignalSettingsFile gSignalSettingsImage = {};
SignalSettingsFile* gSignalSettings = &gSignalSettingsImage;

namespace {

constexpr int64_t kSignalFileSize = sizeof(SignalSettingsFile);

bool IsSignalFileSize(int64_t size) {
  return size == kSignalFileSize || size == kSignalFileSizeWithoutVersion || size == kSignalFileSizeWithoutScenarios;
}

// Older files are read as the current layout: the oldest had no base field
// as its slots were always 50 items apart, and neither held scenarios.
void ConvertOlderLayout(SignalSettingsFile& file, int64_t size) {
  if (size == kSignalFileSizeWithoutVersion) file.itemBase = kOldSignalItemBase;
  if (size == kSignalFileSize) return;
  file.scenarioCount = 0;
  file.scenarioSet = 1;
  for (ScenarioRecord& scenario : file.scenarios) scenario.valid = 0;
  file.programVersion = gProgramVersion;
}

// Bases above the current one were never written; below it each older
// layout had its own, and 0 would leave the codes meaningless.
bool IsKnownSignalItemBase(uint32_t base) { return base >= 1 && base <= kSignalItemBase; }

bool AreCountsSound(const SignalSettingsFile& file) {
  if (file.definitionCount < 0 || file.definitionCount > kMaxSignalDefinitions) return false;
  if (file.scenarioCount < 0 || file.scenarioCount > kScenarioSlots) return false;
  for (int d = 0; d < file.definitionCount; ++d) {
    const int terms = file.definitions[d].termCount;
    if (terms < 0 || terms > kMaxConditionTerms) return false;
  }
  return true;
}

void RebaseDefinitionItems(SignalSettingsFile& file) {
  for (SignalDefinition& definition : file.definitions) {
    for (ConditionTerm& term : definition.terms) {
      term.left = RebaseItemCode(term.left, file.itemBase);
      term.right = RebaseItemCode(term.right, file.itemBase);
    }
  }
  file.itemBase = kSignalItemBase;
  file.programVersion = gProgramVersion;
}

// A value of the stock is compared with another item or the constant; the
// special operands (groups, lines, signals, scenarios) have no right side.
bool IsTermSound(const ConditionTerm& term) {
  if (!IsKnownItemCode(term.left)) return false;
  const bool ordinary = IsSlotItemCode(term.left) || term.left == kItemStockCode;
  return !ordinary || IsKnownItemCode(term.right);
}

bool AreTermsSound(const SignalSettingsFile& file) {
  for (int d = 0; d < file.definitionCount; ++d) {
    const SignalDefinition& definition = file.definitions[d];
    for (int t = 0; t < definition.termCount; ++t) {
      if (!IsTermSound(definition.terms[t])) return false;
    }
  }
  return true;
}

// The image of the file as the current layout, or false when it is none
// the program could have written.
bool ConvertAndCheck(SignalSettingsFile& file, int64_t size) {
  if (file.tag != kSignalSettingsTag) return false;
  ConvertOlderLayout(file, size);
  if (!AreCountsSound(file) || !IsKnownSignalItemBase(file.itemBase)) return false;
  if (file.itemBase != kSignalItemBase) RebaseDefinitionItems(file);
  TerminateSignalFileTexts(file);
  return AreTermsSound(file);
}

void ClearLoadedSignalFile() {
  gSignalFileName[0] = 0;
  gSignalSettingsImage = SignalSettingsFile{};
  gSignalSettings = &gSignalSettingsImage;
}

// "PLUGIN\" and the name into gSignalFileName; false when it does not fit.
bool SetSignalFileName(const char* name) {
  const int length = std::snprintf(gSignalFileName, sizeof gSignalFileName, "%s%s", kSignalFolder, name);
  return length >= 0 && static_cast<size_t>(length) < sizeof gSignalFileName;
}

bool HasDatExtension(const char* name) {
  const size_t length = std::strlen(name);
  if (length < 4) return false;
  const char* extension = name + length - 4;
  return extension[0] == '.' && (extension[1] | 0x20) == 'd' && (extension[2] | 0x20) == 'a' &&
         (extension[3] | 0x20) == 't';
}

void CollectValidFile(void* context, const char* name, bool isFolder) {
  if (isFolder || !HasDatExtension(name)) return;
  const std::string path = std::string(kSignalFolder) + name;
  if (path.size() < sizeof gSignalFileName && IsValidSignalSettingsFile(path.c_str())) {
    static_cast<std::vector<std::string>*>(context)->push_back(name);
  }
}

}  // namespace

// A text that fills its field is cut within it, so that neither a list
// nor a file written back from the image takes the next field's bytes.
void TerminateSignalFileTexts(SignalSettingsFile& file) {
  TerminateTextField(file.description, kSignalDescriptionSize);
  for (SignalDefinition& definition : file.definitions) TerminateTextField(definition.name, kSignalNameSize);
  for (ScenarioRecord& scenario : file.scenarios) TerminateTextField(scenario.name, kScenarioNameSize);
}

bool IsValidSignalSettingsFile(const char* path) {
  SignalSettingsFile image;
  return ReadSignalSettingsFile(path, &image) == 0;
}

int ReadSignalSettingsFile(const char* path, SignalSettingsFile* image) {
  if (path == nullptr || path[0] == 0) return -1;
  const int64_t size = GetFileSizeByName(path);
  if (!IsSignalFileSize(size)) return -1;
  // Read and checked apart, so that nothing of a refused file reaches the
  // caller's image.
  SignalSettingsFile file{};
  uint32_t bytesRead = 0;
  const int error = LoadFileToBufferEx(path, &file, sizeof file, &bytesRead);
  if (error != 0) return error;
  if (bytesRead != size || !ConvertAndCheck(file, size)) return -1;
  *image = file;
  return 0;
}

int ReloadSignalSettingsFile() {
  const int result = ReadSignalSettingsFile(gSignalFileName, &gSignalSettingsImage);
  if (result == 0) gSignalSettings = &gSignalSettingsImage;
  return result;
}

void LoadFirstSignalSettingsFile() {
  MakeDataFolderCurrent();
  if (ReloadSignalSettingsFile() == 0) return;
  std::vector<std::string> names;
  ListSignalSettingsFiles(&names);
  for (const std::string& name : names) {
    if (SetSignalFileName(name.c_str()) && ReloadSignalSettingsFile() == 0) return;
  }
  ClearLoadedSignalFile();
}

bool ChooseSignalSettingsFile(const char* name) {
  MakeDataFolderCurrent();
  if (name == nullptr || !SetSignalFileName(name) || ReloadSignalSettingsFile() != 0) {
    // The scenarios and definitions of the file before must not go on
    // being used under no name.
    ClearLoadedSignalFile();
    return false;
  }
  gRecomputeNeeded = 1;
  gGroupsDirty = 1;
  return true;
}

void ListSignalSettingsFiles(std::vector<std::string>* names) {
  names->clear();
  MakeDataFolderCurrent();
  PlatformListFolder(kSignalFolder, CollectValidFile, names);
}
