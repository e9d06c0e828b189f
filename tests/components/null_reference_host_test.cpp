// A null GUID reference handed to the built module (through its import library, as a release
// host calls it) is refused at the boundary: nothing is read, written or deleted, and above all
// no path ends at the component root.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "product_identification.h"
#include "qx_framework.h"
#include "support/registry_sandbox.h"

namespace {

using rmtest::RegistrySandbox;

const GUID kFirst = {0x1A2B3C4D, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const GUID kSecond = {0x1A2B3C4D, 0x7777, 0x8888, {0x99, 0x99, 0xAA, 0xAA, 0xBB, 0xBB, 0xCC, 0xCC}};

// What a careless host passes as *(const GUID*)p with p null; read through a volatile so that
// this test's own compiler does not see the null either.
const GUID& NullGuid() {
  const GUID* volatile address = nullptr;
  return *address;
}

// Every key, value name and value under `path`, one line each, depth first.
void ListTree(HKEY root, const std::string& path, std::vector<std::string>* lines) {
  lines->push_back("key " + path);
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char name[256];
  BYTE data[512];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    lines->push_back("value " + path + "|" + name + "|" + std::to_string(type) + "|" +
                     std::string(reinterpret_cast<char*>(data), dataSize));
  }
  RegCloseKey(key);
  for (const std::string& child : RegistrySandbox::SubKeyNames(root, path)) {
    ListTree(root, path + "\\" + child, lines);
  }
}

std::vector<std::string> Snapshot() {
  std::vector<std::string> lines;
  ListTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varnel", &lines);
  ListTree(HKEY_CURRENT_USER, "SOFTWARE\\Varnel", &lines);
  return lines;
}

// compat F01
TEST(NullReference, EveryExportRefusesItAndLeavesTheRegistryAsItWas) {
  RegistrySandbox sandbox;
  const HMODULE module = GetModuleHandleA("Rm7731.pid");
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(QXRegisterServer(module, kFirst, "A", "Cat", nullptr, nullptr), QXIR_SUCCESS);
  ASSERT_EQ(QXRegisterServer(module, kSecond, "B", nullptr, nullptr, nullptr), QXIR_SUCCESS);
  GUID objectId = {};
  ASSERT_EQ(QXGenerateObjectID(kFirst, "object", &objectId, 0), QXIR_SUCCESS);
  const std::vector<std::string> before = Snapshot();

  tagQXCLIENTID client = {};
  unsigned char bytes[4] = {1, 2, 3, 4};
  char text[1024] = "untouched";
  unsigned long size = 0;
  tagQXVALUETYPE type = QXVT_UNKNOWN;
  GUID generated = {};
  void* object = nullptr;
  const GUID& none = NullGuid();
  const tagQXCLIENTID* volatile noClientAddress = nullptr;
  const tagQXCLIENTID& noClient = *noClientAddress;
  const struct {
    const char* call;
    std::function<tagQXINTRFCRESULT()> run;
    tagQXINTRFCRESULT expected;
  } cases[] = {
      {"QXUnregisterServer", [&] { return QXUnregisterServer(none, "Cat", nullptr, nullptr); },
       QXIR_BAD_CLSID},
      {"QXUnregisterServer without category",
       [&] { return QXUnregisterServer(none, nullptr, nullptr, nullptr); }, QXIR_BAD_CLSID},
      {"QXRegisterServer",
       [&] { return QXRegisterServer(module, none, "X", "Cat", nullptr, nullptr); },
       QXIR_BAD_CLSID},
      {"QXRegisterServerEx",
       [&] { return QXRegisterServerEx(module, none, "X", "Cat", nullptr, nullptr, 1); },
       QXIR_BAD_CLSID},
      {"QXSaveComponentPropertyValue",
       [&] { return QXSaveComponentPropertyValue(none, "P", QXVT_BINARY, bytes, 4); },
       QXIR_BAD_CLSID},
      {"QXRetrieveComponentPropertyValue",
       [&] { return QXRetrieveComponentPropertyValue(none, "P", &type, bytes, 4, &size); },
       QXIR_BAD_CLSID},
      {"QXSaveObjectPropertyValue with a null object identifier",
       [&] {
         return QXSaveObjectPropertyValue(kFirst, none, client, 0, "P", QXVT_BINARY, bytes, 4);
       },
       QXIR_BAD_OBJECT_ID},
      {"QXSaveObjectPropertyValue with a null client",
       [&] {
         return QXSaveObjectPropertyValue(kFirst, objectId, noClient, 0, "P", QXVT_BINARY, bytes,
                                          4);
       },
       QXIR_INVALID_PARAMETER},
      {"QXGenerateObjectID", [&] { return QXGenerateObjectID(none, "object", &generated, 1); },
       QXIR_BAD_CLSID},
      {"QXGenerateObjectID with a null out-pointer",
       [&] { return QXGenerateObjectID(kFirst, "object", nullptr, 1); }, QXIR_INVALID_PARAMETER},
      {"QXGetObjectKey", [&] { return QXGetObjectKey(kFirst, none, text, sizeof text, &size); },
       QXIR_BAD_OBJECT_ID},
      {"QXConvertCLSIDToString", [&] { return QXConvertCLSIDToString(none, text, sizeof text); },
       QXIR_BAD_CLSID},
      {"QXQueryRegistrySubKeyNameForComponent",
       [&] { return QXQueryRegistrySubKeyNameForComponent(none, text, sizeof text, &size); },
       QXIR_BAD_CLSID},
      {"QXQueryRegistrySubKeyNameForObjectSettings with a null client",
       [&] {
         return QXQueryRegistrySubKeyNameForObjectSettings(kFirst, objectId, noClient, 0, text,
                                                           sizeof text, &size);
       },
       QXIR_INVALID_PARAMETER},
      {"QXGetComponentFriendlyName",
       [&] { return QXGetComponentFriendlyName(none, text, sizeof text, &size); }, QXIR_BAD_CLSID},
      {"QXCreateInstance with a null CLSID",
       [&] { return QXCreateInstance(none, nullptr, 0, IID_IUnknown, &object); }, QXIR_BAD_CLSID},
      {"QXCreateInstance with a null interface identifier",
       [&] { return QXCreateInstance(kFirst, nullptr, 0, none, &object); }, QXIR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.run(), c.expected) << c.call;
    EXPECT_STREQ(text, "untouched") << c.call;
    EXPECT_EQ(object, nullptr) << c.call;
    EXPECT_EQ(Snapshot(), before) << c.call << " changed the registry";
  }
}

// compat F01
TEST(NullReference, DllGetClassObjectRefusesNullIdentifiers) {
  const auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      GetProcAddress(GetModuleHandleA("Rm7731.pid"), "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  void* factory = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(NullGuid(), IID_IClassFactory, &factory), E_INVALIDARG);
  EXPECT_EQ(getClassObject(CLSID_ProductIdentificationPlugin, NullGuid(), &factory), E_INVALIDARG);
  EXPECT_EQ(factory, reinterpret_cast<void*>(1));
}

}  // namespace
