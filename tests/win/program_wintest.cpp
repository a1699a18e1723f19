// The program itself: start-up, the single-instance rule and the
// configuration files written at shut-down.

#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "platform/win_text.h"
#include "tests/win/win_test_support.h"

namespace {

constexpr wchar_t kMainClass[] = L"VELQUORANDIME";
constexpr DWORD kStartTimeoutMs = 30000;

struct RunningProgram {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
};

// A copy of the program in a folder of its own: the program keeps its data beside itself.
std::wstring MakeProgramFolder() {
  const std::wstring folder = MakeTempFolder(L"velqo-run");
  const std::wstring exe = UnixToDosPath(EnvironmentText(L"VELQO_EXE"));
  EXPECT_TRUE(CopyFileW(exe.c_str(), (folder + L"velqo.exe").c_str(), FALSE)) << "VELQO_EXE not found";
  // An empty ex-rights list, so that the start does not stop at its read-error boxes.
  CreateDirectoryW((folder + L"BASEDATA").c_str(), nullptr);
  WriteFileBytes(folder + L"BASEDATA\\ken.dat", {0x04, 0x00, 0x16, 0x03, 0, 0, 0, 0});
  return folder;
}

bool StartProgram(const std::wstring& folder, PROCESS_INFORMATION* process) {
  std::wstring command = L"\"" + folder + L"velqo.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        process) != FALSE;
}

struct WindowSearch {
  DWORD processId;
  HWND found;
  int count;
};

BOOL CALLBACK CountMainWindows(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  wchar_t name[64];
  if (GetClassNameW(hwnd, name, 64) == 0 || wcscmp(name, kMainClass) != 0) return TRUE;
  ++search->count;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->processId && IsWindowVisible(hwnd)) search->found = hwnd;
  return TRUE;
}

int CountProgramWindows(DWORD processId, HWND* found) {
  WindowSearch search{processId, nullptr, 0};
  EnumWindows(CountMainWindows, reinterpret_cast<LPARAM>(&search));
  if (found != nullptr) *found = search.found;
  return search.count;
}

bool WaitForMainWindow(RunningProgram& program) {
  const DWORD end = GetTickCount() + kStartTimeoutMs;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    CountProgramWindows(program.process.dwProcessId, &program.window);
    if (program.window != nullptr) return true;
    if (WaitForSingleObject(program.process.hProcess, 100) == WAIT_OBJECT_0) return false;
  }
  return false;
}

bool Launch(const std::wstring& folder, RunningProgram& program) {
  return StartProgram(folder, &program.process) && WaitForMainWindow(program);
}

// Closes the window as a user would and waits for the process to end.
DWORD CloseProgram(RunningProgram& program) {
  PostMessageW(program.window, WM_CLOSE, 0, 0);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(program.process.hProcess, kStartTimeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(program.process.hProcess, &code);
  else
    TerminateProcess(program.process.hProcess, 99);
  CloseHandle(program.process.hThread);
  CloseHandle(program.process.hProcess);
  return code;
}

std::wstring WindowTitle(HWND hwnd) {
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  return title;
}

TEST(ProgramTest, StartsShowsItsTitleAndWritesBothSettingsFilesOnClose) {
  const std::wstring folder = MakeProgramFolder();
  RunningProgram program;
  ASSERT_TRUE(Launch(folder, program));
  EXPECT_EQ(WindowTitle(program.window), SjisToWide("ヴェルクォラ22　－　パターン1"));
  PumpFor(300);
  SaveWindowPicture(program.window, ArtifactsFolder() + L"main-window.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);

  const auto first = ReadFileBytes(folder + L"velqo.dat");
  const auto firstP2 = ReadFileBytes(folder + L"velqo_p2.dat");
  EXPECT_EQ(first.size(), 6812u);
  EXPECT_EQ(firstP2.size(), 4072u);

  // A restart reads them back: closing again writes the same bytes.
  ASSERT_TRUE(Launch(folder, program));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat"), first);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo_p2.dat"), firstP2);
}

TEST(ProgramTest, ASecondStartLeavesOneMainWindow) {
  const std::wstring folder = MakeProgramFolder();
  RunningProgram first;
  ASSERT_TRUE(Launch(folder, first));

  PROCESS_INFORMATION second{};
  ASSERT_TRUE(StartProgram(folder, &second));
  EXPECT_EQ(WaitForSingleObject(second.hProcess, kStartTimeoutMs), WAIT_OBJECT_0);
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
    ASSERT_TRUE(Launch(folder, program)) << "round " << round;
    EXPECT_EQ(CloseProgram(program), 0u);
    EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat").size(), 6812u);
  }
}

}  // namespace
