// Property storage and object identifiers reached through the built module's import library,
// so that the public header, the export table and the module agree on every signature.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qx_framework.h"
#include "support/registry_sandbox.h"

namespace {

// {5E0D4B7C-3A21-4F6E-8D9C-1B2A3C4D5E6F}
constexpr GUID kComponent = {
    0x5E0D4B7C, 0x3A21, 0x4F6E, {0x8D, 0x9C, 0x1B, 0x2A, 0x3C, 0x4D, 0x5E, 0x6F}};
const std::string kComponentKey =
    "SOFTWARE\\Varnel\\Component Installed\\{5E0D4B7C-3A21-4F6E-8D9C-1B2A3C4D5E6F}";

TEST(SettingsThroughTheModule, ComponentPropertyRoundTrip) {
  rmtest::RegistrySandbox sandbox;
  DWORD value = 42;
  ASSERT_EQ(QXSaveComponentPropertyValue(kComponent, "Answer", QXVT_DWORD,
                                         reinterpret_cast<unsigned char*>(&value), sizeof(value)),
            QXIR_SUCCESS);
  EXPECT_EQ(rmtest::RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "Answer"), 42u);

  tagQXVALUETYPE type = QXVT_UNKNOWN;
  DWORD read = 0;
  unsigned long size = 0;
  ASSERT_EQ(QXRetrieveComponentPropertyValue(kComponent, "Answer", &type,
                                             reinterpret_cast<unsigned char*>(&read), sizeof(read),
                                             &size),
            QXIR_SUCCESS);
  EXPECT_EQ(type, QXVT_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(read, 42u);
}

TEST(SettingsThroughTheModule, ObjectPropertyRoundTripPerUser) {
  rmtest::RegistrySandbox sandbox;
  GUID object = {};
  ASSERT_EQ(QXGenerateObjectID(kComponent, "Lens", &object, 0), QXIR_SUCCESS);
  tagQXCLIENTID client = {};
  lstrcpyA(client.clientName, "Viewer");
  unsigned char text[] = "wide";
  ASSERT_EQ(QXSaveObjectPropertyValue(kComponent, object, client, 1, "Mode", QXVT_STRING, text,
                                      sizeof(text)),
            QXIR_SUCCESS);

  tagQXVALUETYPE type = QXVT_UNKNOWN;
  unsigned char buffer[16] = {};
  unsigned long size = 0;
  EXPECT_EQ(QXRetrieveObjectPropertyValue(kComponent, object, client, 0, 0, "Mode", &type, buffer,
                                          sizeof(buffer), &size),
            QXIR_REGISTRY_ERROR)
      << "saved per user, not per machine";
  ASSERT_EQ(QXRetrieveObjectPropertyValue(kComponent, object, client, 1, 0, "Mode", &type, buffer,
                                          sizeof(buffer), &size),
            QXIR_SUCCESS);
  EXPECT_EQ(type, QXVT_STRING);
  EXPECT_EQ(size, sizeof(text));
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "wide");
}

TEST(SettingsThroughTheModule, GeneratedIdentifierLeadsBackToItsName) {
  rmtest::RegistrySandbox sandbox;
  GUID first = {};
  GUID again = {};
  ASSERT_EQ(QXGenerateObjectID(kComponent, "Lens", &first, 0), QXIR_SUCCESS);
  ASSERT_EQ(QXGenerateObjectID(kComponent, "Lens", &again, 0), QXIR_SUCCESS);
  EXPECT_EQ(std::memcmp(&first, &again, sizeof(GUID)), 0);

  unsigned long needed = 0;
  ASSERT_EQ(QXGetObjectKey(kComponent, first, nullptr, 0, &needed), QXIR_SUCCESS);
  EXPECT_EQ(needed, 5u);
  char name[8] = {};
  ASSERT_EQ(QXGetObjectKey(kComponent, first, name, sizeof(name), &needed), QXIR_SUCCESS);
  EXPECT_STREQ(name, "Lens");
  EXPECT_EQ(QXGetObjectKey(kComponent, first, name, 4, &needed), QXIR_BUFFER_TOO_SMALL);
}

}  // namespace
