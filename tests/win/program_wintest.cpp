// The program itself: start-up, the single-instance rule and the
// configuration files written at shut-down.

#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "platform/win_text.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"

namespace {

// A copy of the program in a folder of its own: the program keeps its data beside itself.
std::wstring MakeProgramFolder() {
  const std::wstring folder = MakeTempFolder(L"velqo-run");
  EXPECT_TRUE(CopyProgramInto(folder)) << "VELQO_EXE not found";
  // An empty ex-rights list, so that the start does not stop at its read-error boxes.
  CreateDirectoryW((folder + L"BASEDATA").c_str(), nullptr);
  WriteFileBytes(folder + L"BASEDATA\\ken.dat", {0x04, 0x00, 0x16, 0x03, 0, 0, 0, 0});
  return folder;
}

TEST(ProgramTest, StartsShowsItsTitleAndWritesTheSettingsAndGroupsOnClose) {
  const std::wstring folder = MakeProgramFolder();
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  EXPECT_EQ(WindowTitle(program.window), SjisToWide("ヴェルクォラ22　－　パターン1"));
  PumpFor(300);
  SaveWindowPicture(program.window, ArtifactsFolder() + L"main-window.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);

  const auto first = ReadFileBytes(folder + L"velqo.dat");
  const auto firstP2 = ReadFileBytes(folder + L"velqo_p2.dat");
  EXPECT_EQ(first.size(), 6812u);
  EXPECT_EQ(firstP2.size(), 4072u);
  const auto groups = ReadFileBytes(folder + L"grp.dat");
  EXPECT_EQ(groups.size(), 2534568u);
  EXPECT_EQ(ReadFileBytes(folder + L"BACKUP\\grp01.dat"), groups) << "the newest backup is the saved table";

  // A restart reads them back: closing again writes the same bytes.
  ASSERT_TRUE(LaunchProgram(folder, program));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat"), first);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo_p2.dat"), firstP2);
  EXPECT_EQ(ReadFileBytes(folder + L"grp.dat"), groups);
}

TEST(ProgramTest, ASecondStartLeavesOneMainWindow) {
  const std::wstring folder = MakeProgramFolder();
  RunningProgram first;
  ASSERT_TRUE(LaunchProgram(folder, first));

  PROCESS_INFORMATION second{};
  ASSERT_TRUE(StartProgram(folder, &second));
  EXPECT_EQ(WaitForSingleObject(second.hProcess, kProgramTimeoutMs), WAIT_OBJECT_0);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  EXPECT_EQ(CountProgramWindows(first.process.dwProcessId, nullptr), 1);
  EXPECT_TRUE(IsWindow(first.window));
  EXPECT_EQ(CloseProgram(first), 0u);
}

TEST(ProgramTest, ASettingsFileOfRandomBytesDoesNotStopTheStart) {
  std::mt19937 random(6812);
  for (int round = 0; round < 3; ++round) {
    const std::wstring folder = MakeProgramFolder();
    std::vector<unsigned char> junk(6812), junkP2(4072);
    for (auto& b : junk) b = static_cast<unsigned char>(random());
    for (auto& b : junkP2) b = static_cast<unsigned char>(random());
    ASSERT_TRUE(WriteFileBytes(folder + L"velqo.dat", junk));
    ASSERT_TRUE(WriteFileBytes(folder + L"velqo_p2.dat", junkP2));
    RunningProgram program;
    ASSERT_TRUE(LaunchProgram(folder, program)) << "round " << round;
    EXPECT_EQ(CloseProgram(program), 0u);
    EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat").size(), 6812u);
  }
}

}  // namespace
