// The built Rm7731.pid as a host reaches it: the registration exports by their C++ names, the
// self-registration exports by their plain names.
#include <gtest/gtest.h>

#include <string>

#include "qx/component_registration.h"
#include "support/module_under_test.h"
#include "support/registry_sandbox.h"

namespace {

using rmtest::RegistrySandbox;

constexpr char kRegisterServerEx[] = "_Z18QXRegisterServerExP11HINSTANCE__RK5_GUIDPKcS5_S5_S5_i";
constexpr char kUnregisterServer[] = "_Z18QXUnregisterServerRK5_GUIDPKcS3_S3_";

TEST(RegistrationExports, EveryFunctionIsExportedByItsOwnName) {
  for (const char* name :
       {"_Z22QXConvertCLSIDToStringRK5_GUIDPcm",
        "_Z37QXQueryRegistrySubKeyNameForComponentRK5_GUIDPcmPm",
        "_Z42QXQueryRegistrySubKeyNameForObjectSettingsRK5_GUIDS1_RK13tagQXCLIENTIDiPcmPm",
        "_Z16QXRegisterServerP11HINSTANCE__RK5_GUIDPKcS5_S5_S5_", kRegisterServerEx,
        kUnregisterServer, "DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_NE(GetProcAddress(rmtest::BuiltModule(), name), nullptr) << name;
  }
  EXPECT_EQ(GetProcAddress(rmtest::BuiltModule(), "DllRegisterServer@0"), nullptr);
}

TEST(RegistrationExports, CountedRegistrationThroughTheModule) {
  RegistrySandbox sandbox;
  const auto registerServerEx =
      rmtest::BuiltModuleFunction<decltype(&QXRegisterServerEx)>(kRegisterServerEx);
  const auto unregisterServer =
      rmtest::BuiltModuleFunction<decltype(&QXUnregisterServer)>(kUnregisterServer);
  ASSERT_NE(registerServerEx, nullptr);
  ASSERT_NE(unregisterServer, nullptr);
  const GUID clsid = {0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
  const std::string key =
      "SOFTWARE\\Varnel\\Component Installed\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

  ASSERT_EQ(
      registerServerEx(rmtest::BuiltModule(), clsid, "Test", "CATEGORY_T", nullptr, nullptr, 1),
      QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, key, "File"), "Rm7731.pid");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, key, "RefCount"), 1u);
  EXPECT_EQ(unregisterServer(clsid, "CATEGORY_T", nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varnel"));
}

}  // namespace
