// Every test runs with the hooks the program installs at start-up, so that
// the layers below the shell report and compute as they do in the program.
#include <gtest/gtest.h>

#include "shell/lifecycle.h"

namespace {

class StartUpHooksEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InstallStartUpHooks(); }
};

const auto* const gStartUpHooks = ::testing::AddGlobalTestEnvironment(new StartUpHooksEnvironment);

}  // namespace
