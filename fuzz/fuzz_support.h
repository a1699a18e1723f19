#pragma once
// Shared by the fuzz harnesses: a broken invariant aborts the run, and each
// harness works in a fresh data folder of its own, removed at exit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

inline void WriteFile(const char* path, const void* bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// The whole file, read at once by its size; empty when it cannot be read.
inline std::vector<uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}
