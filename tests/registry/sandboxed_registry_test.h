#pragma once
// Base fixture of the in-process registry suites: both roots redirected to scratch keys, and
// after every case a check that the code under test released every key and buffer it took.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "support/registry_sandbox.h"

namespace rmtest {

constexpr char kDenyAll[] = "D:(D;;KA;;;WD)";
// Opening for KEY_WRITE fails; reads still work (KEY_READ and KEY_WRITE share READ_CONTROL).
constexpr char kReadOnly[] = "D:(D;;0x6;;;WD)(A;;KA;;;WD)";

struct RawValue {
  DWORD type = 0;
  std::vector<BYTE> data;
};

inline RawValue ReadValue(HKEY root, const std::string& path, const char* name) {
  RawValue value;
  EXPECT_TRUE(RegistrySandbox::ReadRaw(root, path, name, &value.type, &value.data))
      << path << " value \"" << (name ? name : "") << "\"";
  return value;
}

inline std::vector<BYTE> Bytes(const void* data, std::size_t size) {
  const BYTE* first = static_cast<const BYTE*>(data);
  return std::vector<BYTE>(first, first + size);
}

class SandboxedRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { liveBefore_ = rm::LiveHandleCountTotal(); }
  void TearDown() override {
    EXPECT_EQ(rm::LiveHandleCountTotal(), liveBefore_) << "a key or buffer was left open";
  }

  RegistrySandbox sandbox_;

 private:
  long liveBefore_ = 0;
};

}  // namespace rmtest
