#include "tests/support/scratch_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/posix_recorder.h"

ScratchFolder::ScratchFolder() {
  char previous[4096];
  if (getcwd(previous, sizeof previous) != nullptr) previous_ = previous;
  std::string pattern = (std::filesystem::temp_directory_path() / "velqo-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern + "/";
  if (chdir(path_.c_str()) != 0) std::abort();
  ResetPlatformRecorder();
  SetProgramFolder(path_);
}

ScratchFolder::~ScratchFolder() {
  ResetPlatformRecorder();
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

// Read in one piece: the tables are megabytes, too many to go byte by byte.
std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }
