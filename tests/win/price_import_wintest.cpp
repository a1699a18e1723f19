// The archives the generator wrote with Python's zipfile (VELQO_PRICE_ARCHIVES)
// imported into a copy of the sample database in this process: the daily
// files come out as the generator meant them, and with the digest of the
// native import (VELQO_IMPORT_DIGEST).

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <thread>

#include "analysis/price_import.h"
#include "common/app_globals.h"
#include "common/progress.h"
#include "data/daily_cache.h"
#include "data/stock_table.h"
#include "data/vendor_price_text.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tools/sample_db/series_digest.h"

namespace {

bool CopyArchives(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  return VisitFolderTree(from, [&](const std::wstring& path, bool isFolder) {
    return !isFolder && CopyFileW((from + path).c_str(), (to + path).c_str(), FALSE) != FALSE;
  });
}

TEST(PriceImportWinTest, TheGeneratedArchivesGiveTheDailyFilesOfTheNativeImport) {
  const std::wstring archives = UnixToDosPath(EnvironmentText(L"VELQO_PRICE_ARCHIVES"));
  if (archives.empty() || SampleFolder().empty()) GTEST_SKIP() << "VELQO_PRICE_ARCHIVES or VELQO_SAMPLE_DB not set";
  ScopedGlobalState globals;
  const std::wstring folder = CopySample(L"velqo-import", false);
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(CopyArchives(archives + L"\\TMPDOWN\\", folder + L"TMPDOWN\\"));
  SetDefaultSettings();
  ASSERT_TRUE(OpenDatabaseFolder(WideToSjis(folder.c_str()).c_str()));
  gLastPriceDate = MakePackedDate(2026, 12, 4);
  // The month of archives after the sample's last day has gone by.
  gPriceRowsToday = [] { return MakePackedDate(2027, 1, 8); };
  // One picture of the progress dialog, taken while the import runs.
  std::atomic<bool> done{false}, pictured{false};
  std::thread picture([&] {
    for (; !done; Sleep(5)) {
      const HWND dialog = static_cast<HWND>(gProgressDlg);
      if (dialog != nullptr && IsWindowVisible(dialog)) {
        Sleep(30);
        pictured = SaveWindowPicture(dialog, L"price_import_progress.png");
        return;
      }
    }
  });
  const ImportOutcome outcome = ImportDownloadedZips(1);
  done = true;
  picture.join();
  EXPECT_EQ(outcome, kImportDone);
  EXPECT_TRUE(pictured);
  FlushDailyCache();
  const std::wstring expected = archives + L"\\expected\\DAY\\";
  for (int i = 0; i < gStockTable->count; ++i) {
    char code[5];
    const std::wstring name = SjisToWide(CodeToString(gStockTable->records[i].master.code, code));
    ASSERT_EQ(ReadFileBytes(folder + L"DAY\\" + name), ReadFileBytes(expected + name)) << i;
  }
  EXPECT_EQ(gLastPriceDate, MakePackedDate(2027, 1, 6));
  const std::wstring digest = EnvironmentText(L"VELQO_IMPORT_DIGEST");
  if (!digest.empty()) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, ComputeDatabaseDigest());
    EXPECT_EQ(SjisToWide(text), digest);
  }
  MakeDataFolderCurrent();
}

}  // namespace
