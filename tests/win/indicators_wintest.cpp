// The indicator series in the program are the same as in the native build.

#include <windows.h>

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "platform/win_text.h"
#include "tests/win/win_test_support.h"
#include "tools/sample_db/series_digest.h"

namespace {

TEST(IndicatorsTest, GeneratedStockComputesLikeInTheNativeBuild) {
  const std::wstring folder = UnixToDosPath(EnvironmentText(L"VELQO_SAMPLE_DB"));
  const std::wstring expected = EnvironmentText(L"VELQO_INDICATOR_DIGEST");
  if (folder.empty() || expected.empty()) GTEST_SKIP() << "no sample database given";
  ASSERT_TRUE(OpenDatabaseFolder(WideToSjis(folder.c_str()).c_str()));
  char digest[32];
  snprintf(digest, sizeof digest, "%016" PRIx64, ComputeIndicatorDigest(ChooseIndicatorDigestStock()));
  EXPECT_EQ(SjisToWide(digest), expected);
}

}  // namespace
