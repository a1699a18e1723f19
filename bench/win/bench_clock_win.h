#pragma once
// What the Windows benchmarks share: a millisecond clock and the database
// folder they are given.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

// Milliseconds from the performance counter.
inline double NowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticksPerMs;
}

// The first argument, else VELQO_SAMPLE_DB; a Unix path is turned into its
// Wine drive path.
inline std::string DatabaseFolder(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "";
  if (folder.empty()) {
    const char* env = getenv("VELQO_SAMPLE_DB");
    folder = env != nullptr ? env : "";
  }
  if (!folder.empty() && folder[0] == '/') {
    folder = "Z:" + folder;
    std::replace(folder.begin(), folder.end(), '/', '\\');
  }
  return folder;
}
