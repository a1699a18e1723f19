// The price store and the indicator series in the program are the same as in
// the native build. Every Windows test runs with the hooks the program installs
// at start-up, so that the layers below the shell report and compute as they do
// in the program.

#include <gtest/gtest.h>

#include <cinttypes>

#include "platform/win_text.h"
#include "shell/lifecycle.h"
#include "tests/win/win_test_support.h"
#include "tools/sample_db/series_digest.h"

namespace {

class StartUpHooksEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InstallStartUpHooks(); }
};

const auto* const gStartUpHooks = ::testing::AddGlobalTestEnvironment(new StartUpHooksEnvironment);

TEST(StoreTest, GeneratedDatabaseReadsAndComputesLikeInTheNativeBuild) {
  const std::wstring bars = EnvironmentText(L"VELQO_SAMPLE_DIGEST");
  const std::wstring indicators = EnvironmentText(L"VELQO_INDICATOR_DIGEST");
  if (SampleFolder().empty() || bars.empty() || indicators.empty()) GTEST_SKIP() << "no sample database given";
  ASSERT_TRUE(OpenDatabaseFolder(WideToSjis(SampleFolder().c_str()).c_str()));
  for (const auto& [digest, expected] : {std::make_pair(ComputeDatabaseDigest(), bars),
                                         {ComputeIndicatorDigest(ChooseIndicatorDigestStock()), indicators}}) {
    char text[32];
    snprintf(text, sizeof text, "%016" PRIx64, digest);
    EXPECT_EQ(SjisToWide(text), expected);
  }
}

}  // namespace
