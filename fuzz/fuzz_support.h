#pragma once
// Shared by the fuzz harnesses: a broken invariant aborts the run, and each
// harness works in a fresh data folder of its own, removed at exit.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/app_globals.h"
#include "common/sjis_text.h"

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Where the scratch folders go: a RAM-backed folder where there is a
// writable one, else the temporary folder.
inline std::filesystem::path ScratchRoot() {
  constexpr char kRamFolder[] = "/dev/shm";
  std::error_code error;
  if (std::filesystem::is_directory(kRamFolder, error) && access(kRamFolder, W_OK | X_OK) == 0) return kRamFolder;
  return std::filesystem::temp_directory_path();
}

// Makes a new folder the current one and the data folder; returns its path
// ending in '/'.
inline const std::string& EnterScratchDataFolder() {
  static std::string folder;
  std::string pattern = (ScratchRoot() / "velqo-fuzz-XXXXXX").string();
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

// The whole file in one read of its size; empty when it is missing.
inline std::vector<uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<size_t>(in.gcount()) != bytes.size()) bytes.clear();
  return bytes;
}

// The text ends within its field and not in half a character.
inline bool EndsInWholeCharacter(const char* text, size_t size) {
  if (std::memchr(text, 0, size) == nullptr) return false;
  std::vector<char> copy(size);
  CopySjisText(copy.data(), text, static_cast<int>(size));
  return std::strcmp(copy.data(), text) == 0;
}

// True for one input in 32, picked by a hash of all its bytes, so that the
// share stays that whatever bytes the mutations favour. The harnesses send
// these inputs through the files as well, which costs far more than the
// in-memory load the others take.
inline bool IsOneInThirtyTwo(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash >> 27 == 0;  // the high bits mix every bit of every byte
}

// The file holds exactly these bytes; read into a block kept from one call
// to the next, since the files compared are megabytes each.
inline bool FileHolds(const char* path, const void* bytes, size_t size) {
  static std::vector<uint8_t> block;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in || static_cast<size_t>(in.tellg()) != size) return false;
  block.resize(size);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(size));
  return static_cast<size_t>(in.gcount()) == size && std::memcmp(block.data(), bytes, size) == 0;
}

// True when the file is there and not empty.
inline bool HoldsBytes(const char* path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return !error && size > 0;
}

// Fills `out` with `pattern` repeated: one copy, then block copies of what is
// already there, each twice as long as the last.
inline void FillRepeating(uint8_t* out, size_t size, const uint8_t* pattern, size_t patternSize) {
  if (size == 0) return;
  if (patternSize == 0) {
    std::memset(out, 0, size);
    return;
  }
  size_t filled = std::min(size, patternSize);
  std::memcpy(out, pattern, filled);
  while (filled < size) {
    const size_t copy = std::min(filled, size - filled);
    std::memcpy(out + filled, out, copy);
    filled += copy;
  }
}
