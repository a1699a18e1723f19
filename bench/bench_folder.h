#pragma once
// A temporary folder for one benchmark run, removed when the run ends.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/app_globals.h"

// Makes "<temp>/<prefix>-XXXXXX" (aborting when it cannot) and removes it at exit.
inline std::string MakeBenchFolder(const char* prefix) {
  static std::string folder;
  folder = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (mkdtemp(folder.data()) == nullptr) std::abort();
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  return folder;
}

// The same, made the data folder (gDataFolder) and the current folder.
inline std::string MakeBenchDataFolder(const char* prefix) {
  const std::string folder = MakeBenchFolder(prefix);
  std::snprintf(gDataFolder, sizeof gDataFolder, "%s/", folder.c_str());
  if (MakeDataFolderCurrent() != 0) std::abort();
  return folder;
}
