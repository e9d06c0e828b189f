#include "support/module_under_test.h"

#include <gtest/gtest.h>

namespace rmtest {

HMODULE BuiltModule() {
  static HMODULE module = LoadLibraryA("Rm7731.pid");
  EXPECT_NE(module, nullptr) << "LoadLibraryA(Rm7731.pid) failed with " << GetLastError();
  return module;
}

FARPROC BuiltModuleExport(const char* name) {
  HMODULE module = BuiltModule();
  FARPROC function = module != nullptr ? GetProcAddress(module, name) : nullptr;
  EXPECT_NE(function, nullptr) << "Rm7731.pid does not export " << name;
  return function;
}

}  // namespace rmtest
