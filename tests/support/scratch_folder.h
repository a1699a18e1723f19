#pragma once
// A fresh folder made current for the length of a test, removed afterwards,
// with the platform recorder reset on both ends.
#include <cstdint>
#include <string>
#include <vector>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }  // ends with '/'

 private:
  std::string path_;
  std::string previous_;
};

// Whole-file helpers for tests, independent of the code under test.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);
