// QXEnumComponents and QXGetComponentFriendlyName over a sandboxed registry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery_test_support.h"
#include "qx/component_instances.h"
#include "support/leak_checked_test.h"

namespace rmtest {
namespace {

constexpr char kCategory[] = "CATEGORY_Fixtures";
const GUID kFirst = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x01}};
const GUID kSecond = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x02}};
const GUID kThird = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x03}};
const GUID kMarker = {0xDEADBEEF, 0xDEAD, 0xBEEF, {0xDE, 0xAD, 0xBE, 0xEF, 0xDE, 0xAD, 0xBE, 0xEF}};

class EnumComponents : public LeakCheckedTest {
 protected:
  void AddToCategory(const GUID& clsid) {
    RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE,
                               CategoryKey(kCategory) + "\\" + ClsidKeyName(clsid));
  }
  void AddThree() {
    AddToCategory(kFirst);
    AddToCategory(kSecond);
    AddToCategory(kThird);
  }
  // The CLSIDs in the registry's own enumeration order.
  std::vector<std::string> RegistryOrder() {
    return RegistrySandbox::SubKeyNames(HKEY_LOCAL_MACHINE, CategoryKey(kCategory));
  }
};

TEST_F(EnumComponents, StopsAtTheCapacityWithoutReportingAnError) {
  AddThree();
  GUID found[3] = {kMarker, kMarker, kMarker};
  unsigned long count = 2;
  ASSERT_EQ(QXEnumComponents(kCategory, found, &count), QXIR_SUCCESS);
  EXPECT_EQ(count, 2u);
  const std::vector<std::string> order = RegistryOrder();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(ClsidKeyName(found[0]), order[0]);
  EXPECT_EQ(ClsidKeyName(found[1]), order[1]);
  EXPECT_TRUE(IsEqualGUID(found[2], kMarker)) << "wrote past the capacity";
}

TEST_F(EnumComponents, ReportsEveryComponentInRegistryOrderWhenTheArrayIsLargeEnough) {
  AddThree();
  GUID found[5] = {kMarker, kMarker, kMarker, kMarker, kMarker};
  unsigned long count = 5;
  ASSERT_EQ(QXEnumComponents(kCategory, found, &count), QXIR_SUCCESS);
  ASSERT_EQ(count, 3u);
  const std::vector<std::string> order = RegistryOrder();
  for (unsigned long i = 0; i < count; ++i) EXPECT_EQ(ClsidKeyName(found[i]), order[i]) << i;
  EXPECT_TRUE(IsEqualGUID(found[3], kMarker));
}

TEST_F(EnumComponents, WithoutAnArrayCountsTheComponentsWhateverCountCameIn) {
  AddThree();
  for (unsigned long incoming : {0ul, 1ul, 1000ul}) {
    unsigned long count = incoming;
    ASSERT_EQ(QXEnumComponents(kCategory, nullptr, &count), QXIR_SUCCESS);
    EXPECT_EQ(count, 3u) << "incoming " << incoming;
  }
}

TEST_F(EnumComponents, AnEmptyCategoryHasNoComponents) {
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, CategoryKey(kCategory));
  GUID found[2] = {kMarker, kMarker};
  unsigned long count = 2;
  ASSERT_EQ(QXEnumComponents(kCategory, found, &count), QXIR_SUCCESS);
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(IsEqualGUID(found[0], kMarker));
}

TEST_F(EnumComponents, AMissingOrUnreadableCategoryLeavesTheCountAsItWas) {
  unsigned long count = 7;
  EXPECT_EQ(QXEnumComponents(kCategory, nullptr, &count), QXIR_KEY_NOT_FOUND);
  EXPECT_EQ(count, 7u);

  AddThree();
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, CategoryKey(kCategory), kDenyAll);
  EXPECT_EQ(QXEnumComponents(kCategory, nullptr, &count), QXIR_KEY_NOT_FOUND)
      << "denied access is one more registry failure here";
  EXPECT_EQ(count, 7u);
}

// compat C19
TEST_F(EnumComponents, ASubKeyThatIsNoClsidStillTakesItsSlot) {
  AddToCategory(kFirst);
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, CategoryKey(kCategory) + "\\not a clsid");
  GUID found[2] = {kMarker, kMarker};
  unsigned long count = 2;
  ASSERT_EQ(QXEnumComponents(kCategory, found, &count), QXIR_SUCCESS);
  EXPECT_EQ(count, 2u);
  const std::vector<std::string> order = RegistryOrder();
  const int clsidSlot = order[0] == ClsidKeyName(kFirst) ? 0 : 1;
  EXPECT_TRUE(IsEqualGUID(found[clsidSlot], kFirst));
}

// compat F15
TEST_F(EnumComponents, RefusesAMissingNameOrCountInsteadOfListingTheCategories) {
  AddThree();  // "Category" itself now has a sub-key
  unsigned long count = 7;
  EXPECT_EQ(QXEnumComponents("", nullptr, &count), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(QXEnumComponents(nullptr, nullptr, &count), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(QXEnumComponents(kCategory, nullptr, nullptr), QXIR_INVALID_PARAMETER);
  // A name that would push the key path past 1023 characters is refused, not cut.
  EXPECT_EQ(QXEnumComponents(std::string(1000, 'C').c_str(), nullptr, &count),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(count, 7u);
}

class FriendlyName : public LeakCheckedTest {
 protected:
  void SetUp() override {
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, ComponentKey(kFirst), nullptr,
                                 "Name");  // 5 bytes
  }
};

// compat C01
TEST_F(FriendlyName, FollowsTheStringReadersSizeRule) {
  unsigned long needed = 0;
  ASSERT_EQ(QXGetComponentFriendlyName(kFirst, nullptr, 0, &needed), QXIR_SUCCESS);
  EXPECT_EQ(needed, 6u) << "stored size plus one";

  char small[4] = {};
  needed = 0;
  EXPECT_EQ(QXGetComponentFriendlyName(kFirst, small, sizeof(small), &needed),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 6u);

  char exact[5] = {};
  needed = 99;
  ASSERT_EQ(QXGetComponentFriendlyName(kFirst, exact, sizeof(exact), &needed), QXIR_SUCCESS);
  EXPECT_STREQ(exact, "Name");
  EXPECT_EQ(needed, 99u) << "not written when the name fits";
}

TEST_F(FriendlyName, ReportsATooSmallBufferEvenWithoutASizePointer) {
  char small[4] = {};
  EXPECT_EQ(QXGetComponentFriendlyName(kFirst, small, sizeof(small), nullptr),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(QXGetComponentFriendlyName(kFirst, nullptr, 0, nullptr), QXIR_INVALID_PARAMETER);
}

TEST_F(FriendlyName, MapsWhatCannotBeReadByTheLookupRule) {
  char name[64] = {};
  unsigned long needed = 0;
  EXPECT_EQ(QXGetComponentFriendlyName(kSecond, name, sizeof(name), &needed), QXIR_KEY_NOT_FOUND);

  RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, ComponentKey(kThird), nullptr, 42);
  EXPECT_EQ(QXGetComponentFriendlyName(kThird, name, sizeof(name), &needed), QXIR_KEY_NOT_FOUND)
      << "a value that is not REG_SZ";

  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, ComponentKey(kFirst), kDenyAll);
  EXPECT_EQ(QXGetComponentFriendlyName(kFirst, name, sizeof(name), &needed), QXIR_ACCESS_DENIED);
}

}  // namespace
}  // namespace rmtest
