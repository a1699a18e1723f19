#pragma once
// What the Windows benchmarks share: a millisecond clock, the database folder
// they are given, and one they generate for themselves.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "data/daily_cache.h"

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

// The median, lowest and highest of `steps` timed steps.
struct StepTiming {
  double median, low, high;
};

inline StepTiming TimeSteps(int steps, const std::function<void(int)>& step) {
  std::vector<double> ms;
  for (int i = 0; i < steps; ++i) {
    const double start = NowMs();
    step(i);
    ms.push_back(NowMs() - start);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms.back()};
}

inline void PrintStepTiming(const char* name, const StepTiming& t) {
  printf("  %-30s median %7.2f ms   min %7.2f   max %7.2f\n", name, t.median, t.low, t.high);
}

// Deletes a folder (without a closing separator) and everything in it.
inline void RemoveBenchFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
    const std::string name = found.cFileName, path = folder + "\\" + name;
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveBenchFolder(path);
    } else {
      DeleteFileA(path.c_str());
    }
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  RemoveDirectoryA(folder.c_str());
}

// Runs `run` on a database it generates in a folder `name` of the temporary
// folder, with the bars per stock of "--bars N" or `defaultBars`; the folder
// and the daily cache are gone afterwards. The exit code.
inline int RunOnGeneratedDatabase(int argc, char** argv, const char* name, int defaultBars,
                                  int (*run)(const std::string& folder, int bars)) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int bars = defaultBars;
  if (argc == 3 && std::strcmp(argv[1], "--bars") == 0) bars = std::atoi(argv[2]);
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + name;
  RemoveBenchFolder(folder);
  const int result = run(folder, bars);
  DestroyDailyCache();
  SetCurrentDirectoryA(temp);
  RemoveBenchFolder(folder);
  return result;
}
