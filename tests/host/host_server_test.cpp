// Runs the shared COM server cases against the built Rm7731.pid.
#include <gtest/gtest.h>

#include "support/com_server_under_test.h"
#include "support/module_under_test.h"

namespace rmtest {

const ComServerEntryPoints& ServerUnderTest() {
  static const ComServerEntryPoints entries{
      BuiltModuleFunction<decltype(ComServerEntryPoints::getClassObject)>("DllGetClassObject"),
      BuiltModuleFunction<decltype(ComServerEntryPoints::canUnloadNow)>("DllCanUnloadNow")};
  return entries;
}

namespace {

TEST(BuiltModule, ExportsTheComServerEntryPointsUndecorated) {
  EXPECT_NE(GetProcAddress(BuiltModule(), "DllGetClassObject"), nullptr);
  EXPECT_NE(GetProcAddress(BuiltModule(), "DllCanUnloadNow"), nullptr);
  EXPECT_EQ(GetProcAddress(BuiltModule(), "DllGetClassObject@12"), nullptr);
}

TEST(BuiltModule, CarriesItsVersionResource) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(BuiltModule(), path, MAX_PATH), 0u);
  DWORD ignored = 0;
  EXPECT_GT(GetFileVersionInfoSizeA(path, &ignored), 0u);
}

}  // namespace
}  // namespace rmtest
