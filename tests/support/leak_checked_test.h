#pragma once
// Base fixture of the in-process suites that touch the registry: a SandboxedTest that checks
// after every case that the code under test released every handle and heap block it took.
// Only in-process suites can include it: the count lives in the module's code.

#include <gtest/gtest.h>

#include "shared/unique_handle.h"
#include "support/sandboxed_test.h"

namespace rmtest {

class LeakCheckedTest : public SandboxedTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(rm::LiveHandleCountTotal(), handlesBefore_)
        << "a call left a handle or heap block open";
  }

 private:
  // Taken at construction, so that a derived fixture's SetUp need not call this one's.
  const long handlesBefore_ = rm::LiveHandleCountTotal();
};

}  // namespace rmtest
