#pragma once
// What the in-process registry suites share: raw value reads and the common leak-checked
// fixture under the name they use.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/leak_checked_test.h"

namespace rmtest {

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

using SandboxedRegistryTest = LeakCheckedTest;

}  // namespace rmtest
