// Registry data written by other programs and components that misbehave, met through the
// built module: text stored without its terminator, category entries that are no CLSID text,
// and successes that hand out nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "discovery_test_support.h"
#include "qx_framework.h"
#include "support/sandboxed_test.h"

namespace rmtest {
namespace {

constexpr char kNoteKey[] = "SOFTWARE\\RegistryDataTest";
constexpr char kSentinel = '\xCC';

using RegistryData = SandboxedTest;

bool IsAllZero(const GUID& guid) {
  static const GUID zero = {};
  return std::memcmp(&guid, &zero, sizeof guid) == 0;
}

// compat F03
TEST_F(RegistryData, StringReadsNeverHandBackTextWithoutItsTerminator) {
  struct Case {
    const char* what;
    bool terminated;
    unsigned long length;  // characters stored
    unsigned long bufferSize;
    tagQXINTRFCRESULT expected;
  };
  const Case cases[] = {
      {"unterminated, buffer of the stored length", false, 32, 32, QXIR_BUFFER_TOO_SMALL},
      {"unterminated, buffer of the probe's size", false, 32, 33, QXIR_SUCCESS},
      {"unterminated, larger buffer", false, 32, 64, QXIR_SUCCESS},
      {"unterminated empty text, one byte", false, 0, 1, QXIR_SUCCESS},
      {"unterminated empty text, no byte", false, 0, 0, QXIR_BUFFER_TOO_SMALL},
      {"terminated, buffer exact", true, 32, 33, QXIR_SUCCESS},
      {"terminated, one byte short", true, 32, 32, QXIR_BUFFER_TOO_SMALL},
  };
  const std::string componentKey = ComponentKey(kFixtureClsid);
  for (const Case& c : cases) {
    const std::string text(c.length, 'n');
    for (const std::string& key : {componentKey, std::string(kNoteKey)}) {
      const char* name = key == componentKey ? nullptr : "Note";
      if (c.terminated) {
        RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, key, name, text);
      } else {
        RegistrySandbox::WriteUnterminatedString(HKEY_LOCAL_MACHINE, key, name, text);
      }
    }
    // The stored size plus one, whether the terminator was stored or not.
    const unsigned long probeSize = c.length + (c.terminated ? 1 : 0) + 1;
    using Read = tagQXINTRFCRESULT (*)(char*, unsigned long, unsigned long*);
    const Read reads[] = {[](char* buffer, unsigned long size, unsigned long* needed) {
                            return QXGetComponentFriendlyName(kFixtureClsid, buffer, size, needed);
                          },
                          [](char* buffer, unsigned long size, unsigned long* needed) {
                            return QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, kNoteKey,
                                                                "Note", buffer, size, needed);
                          }};
    for (const Read read : reads) {
      SCOPED_TRACE(std::string(c.what) +
                   (read == reads[0] ? " (friendly name)" : " (string value)"));
      unsigned long probed = 0;
      ASSERT_EQ(read(nullptr, 0, &probed), QXIR_SUCCESS);
      EXPECT_EQ(probed, probeSize);

      std::vector<char> buffer(c.bufferSize + 1, kSentinel);  // one byte more, never to be written
      unsigned long needed = 0;
      EXPECT_EQ(read(buffer.data(), c.bufferSize, &needed), c.expected);
      EXPECT_EQ(buffer.back(), kSentinel) << "written past the buffer";
      if (c.expected == QXIR_SUCCESS) {
        EXPECT_EQ(std::string(buffer.data()), text);
      } else {
        EXPECT_EQ(needed, probeSize);
      }
    }
  }
}

// compat F11
TEST_F(RegistryData, AComponentThatSucceedsWithoutHandingOutAnythingHasFailed) {
  struct Case {
    const char* module;
    tagQXINTRFCRESULT expected;
  };
  const Case cases[] = {
      {kNullFactoryComponent, QXIR_GETCLASSOBJECT_FAILED},
      {kNullObjectComponent, QXIR_CREATEINSTANCE_FAILED},
      {kCreateFailsComponent, QXIR_CREATEINSTANCE_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    RegisterComponentFile(kFixtureClsid, ExecutableDirectory() + c.module);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(QXCreateInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &object), c.expected);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(IsLoaded(c.module)) << "the load reference was kept";
  }
}

// compat F10
TEST_F(RegistryData, CategoryEntriesThatAreNoCLSIDTextGiveAnAllZeroSlot) {
  const GUID other = {0x0BADC0DE, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
  const std::string category = CategoryKey("RegistryDataTest");
  const std::string names[] = {
      ClsidKeyName(kFixtureClsid),
      "{not-a-guid}",
      "htmlfile",  // a ProgID the platform would resolve
      ClsidKeyName(kFixtureClsid) + "x",
      ClsidKeyName(other) + std::string(255 - 38, 'y'),
  };
  // Created below the category key: Wine's ANSI calls refuse whole paths over 260 characters.
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, category);
  HKEY categoryKey = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, category.c_str(), 0, KEY_CREATE_SUB_KEY, &categoryKey),
      ERROR_SUCCESS);
  for (const std::string& name : names) {
    HKEY entry = nullptr;
    EXPECT_EQ(RegCreateKeyExA(categoryKey, name.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &entry,
                              nullptr),
              ERROR_SUCCESS)
        << name;
    RegCloseKey(entry);
  }
  RegCloseKey(categoryKey);
  std::vector<GUID> slots(8);
  std::memset(slots.data(), 0xAB, slots.size() * sizeof(GUID));
  unsigned long count = static_cast<unsigned long>(slots.size());
  ASSERT_EQ(QXEnumComponents("RegistryDataTest", slots.data(), &count), QXIR_SUCCESS);
  ASSERT_EQ(count, std::size(names));
  int named = 0, zero = 0;
  for (unsigned long i = 0; i < count; ++i) {
    named += IsEqualGUID(slots[i], kFixtureClsid) ? 1 : 0;
    zero += IsAllZero(slots[i]) ? 1 : 0;
  }
  EXPECT_EQ(named, 1) << "only the entry that is exactly the CLSID text names the component";
  EXPECT_EQ(zero, static_cast<int>(count) - 1);
  const std::vector<unsigned char> untouched(sizeof(GUID), 0xAB);
  EXPECT_EQ(std::memcmp(&slots[count], untouched.data(), sizeof(GUID)), 0) << "past the count";
}

}  // namespace
}  // namespace rmtest
