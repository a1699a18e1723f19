// Backup and restore of a full price database in the Windows build, to be
// run under Wine: 5000 daily files of 5120 bars (about 600 MB) and a small
// "BASEDATA" in a temporary data folder, a temporary Documents folder, the
// pop-up shown and repainted as in the program. Prints the time of the
// backup (with its clean-up) and of the restore; the folders are deleted at
// the end.
//
//   velqo_backup_bench.exe [--stocks N] [--bars N]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/win/bench_clock_win.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "data/daily_cache.h"
#include "records/price_series.h"
#include "shell/backup_run.h"
#include "shell/backup_window_win.h"

namespace {

std::string gDocumentsFolder;

// The pop-up repaints when its messages are pumped, at each progress call:
// the longest gap between two calls is how long it may stand unpainted.
void (*gShowProgress)(int, int, const char*) = nullptr;
double gLastProgressMs = 0;
double gLongestGapMs = 0;
int gProgressCalls = 0;

void TimedProgress(int position, int range, const char* text) {
  const double now = NowMs();
  if (gProgressCalls++ > 0 && now - gLastProgressMs > gLongestGapMs) gLongestGapMs = now - gLastProgressMs;
  gShowProgress(position, range, text);
  gLastProgressMs = NowMs();
}

void StartGapWatch() {
  gProgressCalls = 0;
  gLongestGapMs = 0;
}

bool BenchDocuments(char* out, int size) {
  return std::snprintf(out, static_cast<size_t>(size), "%s", gDocumentsFolder.c_str()) < size;
}

bool WriteBytes(const std::string& path, const void* bytes, DWORD size) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  const bool ok = WriteFile(h, bytes, size, &done, nullptr) && done == size;
  CloseHandle(h);
  return ok;
}

bool MakeDatabase(const std::string& data, int stocks, int bars) {
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA((data + "DAY").c_str(), nullptr);
  CreateDirectoryA((data + "BASEDATA").c_str(), nullptr);
  std::vector<unsigned char> image(8 + 24 * static_cast<size_t>(bars));
  for (size_t i = 8; i < image.size(); ++i) image[i] = static_cast<unsigned char>(i * 7);
  for (int s = 0; s < stocks; ++s) {
    char name[16];
    std::snprintf(name, sizeof name, "DAY\\%04d", 1300 + s);
    image[0] = static_cast<unsigned char>(s);
    if (!WriteBytes(data + name, image.data(), static_cast<DWORD>(image.size()))) return false;
  }
  const std::vector<unsigned char> master(780004, 1);
  return WriteBytes(data + "BASEDATA\\stockinf.dat", master.data(), static_cast<DWORD>(master.size()));
}

int RunBench(const std::string& base, int stocks, int bars) {
  const std::string data = base + "data\\";
  gDocumentsFolder = base + "documents";
  CreateDirectoryA(base.c_str(), nullptr);
  CreateDirectoryA(gDocumentsFolder.c_str(), nullptr);
  std::printf("writing %d daily files of %d bars...\n", stocks, bars);
  if (!MakeDatabase(data, stocks, bars)) return 1;
  std::snprintf(gDataFolder, sizeof gDataFolder, "%s", data.c_str());
  SetCurrentDirectoryA(data.c_str());
  gGetDocumentsFolder = BenchDocuments;
  gBackupServices = {[] {}, [] {}};
  InstallBackupWindows();
  gShowProgress = gBackupWindowHooks.setProgress;
  gBackupWindowHooks.setProgress = TimedProgress;
  if (!CreateDailyCache()) return 1;
  StartGapWatch();
  double start = NowMs();
  const int backup = RunBackup(true);
  const double backupMs = NowMs() - start;
  const double backupGap = gLongestGapMs;
  const int backupCalls = gProgressCalls;
  BackupList list{};
  FindLatestBackup(&list);
  const std::string name = list.count > 0 ? list.entries[0].name : "";
  FreeBackupBuffer(&list);
  StartGapWatch();
  start = NowMs();
  const int restore = RestoreBackupWithProgress(name.c_str());
  const double restoreMs = NowMs() - start;
  std::printf("backup  %s  %.0f ms (with the 500 ms pause before the clean-up)\n", backup == 0 ? "ok    " : "FAILED",
              backupMs);
  std::printf("restore %s  %.0f ms (with the 1000 ms pause before the pop-up closes)\n",
              restore == 0 ? "ok    " : "FAILED", restoreMs);
  std::printf(
      "pop-up: %d and %d progress calls, longest gap between repaints %.1f ms (backup) "
      "and %.1f ms (restore)\n",
      backupCalls, gProgressCalls, backupGap, gLongestGapMs);
  DestroyDailyCache();
  return backup == 0 && restore == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int stocks = 5000, bars = kMaxBars;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--stocks") == 0) stocks = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--bars") == 0) bars = std::atoi(argv[i + 1]);
  }
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string base = std::string(temp) + "velqo-backup-bench\\";
  DeleteDirectoryTree(base.c_str(), 1);
  const int result = RunBench(base, stocks, bars);
  SetCurrentDirectoryA(temp);
  DeleteDirectoryTree(base.c_str(), 1);
  return result;
}
