// Runs a fuzz target without libFuzzer: over every file (or every file of a
// folder) named on the command line, and with --random N over N pseudo-random
// inputs from a fixed seed, so that a test run repeats exactly.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr uint64_t kRandomSeed = 0x5EED5EED12345678u;
constexpr size_t kMaxRandomLength = 4096;

// Bytes the text readers treat specially, and Shift-JIS lead bytes.
constexpr std::array<uint8_t, 24> kInterestingBytes = {',',  '\t', '\r', '\n', 'I',  ' ',  '-',  '+',
                                                       '.',  'e',  '0',  '1',  '5',  '9',  0x00, 0x81,
                                                       0x82, 0x88, 0x8F, 0x9F, 0x5C, 0xE0, 0xFC, 0xFF};

uint64_t NextRandom(uint64_t* state) {
  // splitmix64
  uint64_t z = (*state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Copies the input into a block of exactly its size, so that the sanitizer
// sees any read past its end.
void RunOne(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
  if (size > 0) std::memcpy(exact.get(), data, size);
  LLVMFuzzerTestOneInput(exact.get(), size);
}

uint8_t PickByte(uint64_t* state) {
  const uint64_t r = NextRandom(state);
  switch (r % 4) {
    case 0: return static_cast<uint8_t>(r >> 8);
    case 1: return static_cast<uint8_t>('0' + (r >> 8) % 10);
    default: return kInterestingBytes[(r >> 8) % kInterestingBytes.size()];
  }
}

void RunRandom(long count) {
  uint64_t state = kRandomSeed;
  std::vector<uint8_t> input;
  for (long i = 0; i < count; ++i) {
    const uint64_t r = NextRandom(&state);
    // Mostly short inputs, where the boundaries are dense.
    const size_t length = (r & 1) ? (r >> 1) % (kMaxRandomLength + 1) : (r >> 1) % 65;
    input.resize(length);
    for (uint8_t& byte : input) byte = PickByte(&state);
    RunOne(input.data(), input.size());
  }
}

bool RunFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return false;
  }
  const std::vector<uint8_t> input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  RunOne(input.data(), input.size());
  return true;
}

// A folder's files run in name order: harnesses keep state from one input to
// the next, so a failure must repeat exactly. Each name is printed first, so
// that the last one shown before a failure is the input that failed.
bool RunPath(const char* argument) {
  const std::filesystem::path path(argument);
  std::error_code error;
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(path, error)) {
    files.push_back(path);
  } else {
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  }
  bool ok = !error;
  for (const std::filesystem::path& file : files) {
    std::fprintf(stderr, "%s\n", file.string().c_str());
    ok = RunFile(file) && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--random") == 0 && i + 1 < argc) {
      RunRandom(std::strtol(argv[++i], nullptr, 10));
    } else if (argv[i][0] == '-') {
      std::fprintf(stderr, "usage: %s [--random N] [file or folder]...\n", argv[0]);
      return 2;
    } else {
      ok = RunPath(argv[i]) && ok;
    }
  }
  return ok ? 0 : 1;
}
