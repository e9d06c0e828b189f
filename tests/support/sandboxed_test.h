#pragma once
// Base fixture of every suite whose cases touch the registry: both roots redirected to fresh
// scratch keys for the life of each case. LeakCheckedTest (support/leak_checked_test.h) adds
// the check that nothing was left open, for suites that link the module's code.

#include <gtest/gtest.h>

#include "support/registry_sandbox.h"

namespace rmtest {

class SandboxedTest : public ::testing::Test {
 protected:
  RegistrySandbox sandbox_;
};

}  // namespace rmtest
