// The menu command that recomputes every stock, run in the program itself.

#include <windows.h>

#include <gtest/gtest.h>

#include "common/command_ids.h"
#include "tests/win/program_runner.h"

namespace {

constexpr const wchar_t* kBreadthFiles[] = {L"adr_d.dat", L"adr_w.dat", L"adr_m.dat"};

// The breadth files appear only once every stock has been recomputed.
TEST(RecomputeCommandTest, WritesTheBreadthFilesAndTheProgramStillClosesNormally) {
  if (EnvironmentText(L"VELQO_SAMPLE_DB").empty()) GTEST_SKIP() << "VELQO_SAMPLE_DB not set";
  const std::wstring folder = CopySample(L"velqo-recompute");
  ASSERT_FALSE(folder.empty());
  for (const wchar_t* name : kBreadthFiles) DeleteFileW((folder + name).c_str());
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_RECOMPUTE_ALL, 0);
  for (int i = 0; i < 600 && ReadFileBytes(folder + kBreadthFiles[2]).size() != 20484u; ++i) Sleep(50);
  EXPECT_EQ(CloseProgram(program), 0u);
  for (const wchar_t* name : kBreadthFiles) EXPECT_EQ(ReadFileBytes(folder + name).size(), 20484u) << name;
}

}  // namespace
