#pragma once
// Shared by the fuzz harnesses: a broken invariant aborts the run, and each
// harness works in a fresh data folder of its own, removed at exit.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/app_globals.h"

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Makes a new folder the current one and the data folder; returns its path
// ending in '/'.
inline const std::string& EnterScratchDataFolder() {
  static std::string folder;
  std::string pattern = (std::filesystem::temp_directory_path() / "velqo-fuzz-XXXXXX").string();
  Check(mkdtemp(pattern.data()) != nullptr);
  folder = pattern + "/";
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  Check(chdir(folder.c_str()) == 0);
  std::snprintf(gDataFolder, sizeof gDataFolder, "%s", folder.c_str());
  return folder;
}
