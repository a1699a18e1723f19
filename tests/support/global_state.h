#pragma once
// The program's globals as a test found them, put back when it ends: the
// settings blocks, selection, cross-hair, forecasts, the signal file, every layer's hooks, flags and the
// stock-table count. Stores a test made (daily cache, ex-rights table, group and trend-line
// tables, chart contexts, main scratch set) are freed. Hold one as a fixture's
// first member so that it outlives everything the fixture sets up.
#include <atomic>
#include <functional>
#include <vector>

enum class TestStart {
  kDefaults,  // start-up texts and default settings, as a fresh program has them
  kAsIs,      // whatever a suite set up before the test
};

class ScopedGlobalState {
 public:
  explicit ScopedGlobalState(TestStart start = TestStart::kDefaults);
  ~ScopedGlobalState();
  ScopedGlobalState(const ScopedGlobalState&) = delete;
  ScopedGlobalState& operator=(const ScopedGlobalState&) = delete;

 private:
  template <typename T>
  void Keep(T& global);
  void KeepAtomic(std::atomic<int>& global);

  std::vector<std::function<void()>> restore_;
};
