// The six value primitives: what each returns and which out-parameters it writes, under
// redirected roots.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry/registry_primitives.h"
#include "registry/sandboxed_registry_test.h"

namespace rmtest {
namespace {

constexpr unsigned long kUntouched = 0xDEADBEEF;
constexpr tagQXVALUETYPE kUntouchedType = static_cast<tagQXVALUETYPE>(77);
constexpr rm::WinCode kFileNotFound = ERROR_FILE_NOT_FOUND;
constexpr rm::WinCode kAccessDenied = ERROR_ACCESS_DENIED;
constexpr rm::WinCode kInvalidParameter = ERROR_INVALID_PARAMETER;
constexpr rm::WinCode kMoreData = ERROR_MORE_DATA;

// --- ReadRegistryStringValue ---

class StringReadTest : public SandboxedRegistryTest {
 protected:
  void SetUp() override {
    SandboxedRegistryTest::SetUp();
    RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Values", "Text", "abcd");  // 5 bytes
    RegistrySandbox::WriteDword(HKEY_CURRENT_USER, "Values", "Number", 0x01020304);
  }
  unsigned long size_ = kUntouched;
};

// compat C01
TEST_F(StringReadTest, ProbeReportsTheStoredSizePlusOne) {
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", nullptr, 0, &size_),
            0u);
  EXPECT_EQ(size_, 6u);
}

TEST_F(StringReadTest, TooSmallBufferReportsMoreDataAndTheSizePlusOne) {
  char buffer[4] = {};
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", buffer, sizeof(buffer),
                                        &size_),
            kMoreData);
  EXPECT_EQ(size_, 6u);
}

TEST_F(StringReadTest, TextThatFitsLeavesTheSizeAlone) {
  char buffer[5];
  std::memset(buffer, 'x', sizeof(buffer));
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", buffer, sizeof(buffer),
                                        &size_),
            0u);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(size_, kUntouched);
}

TEST_F(StringReadTest, TheDefaultValueIsAddressedByANullOrEmptyName) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Values", "", "dflt");
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    char buffer[16] = {};
    EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", name, buffer, sizeof(buffer),
                                          &size_),
              0u);
    EXPECT_STREQ(buffer, "dflt");
  }
}

// compat C02
TEST_F(StringReadTest, AnotherStoredTypeGivesBadDatabaseAfterCopyingItsBytes) {
  char buffer[8] = {};
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Number", buffer,
                                        sizeof(buffer), &size_),
            static_cast<rm::WinCode>(ERROR_BADDB));
  const DWORD expected = 0x01020304;
  EXPECT_EQ(std::memcmp(buffer, &expected, 4), 0);
  EXPECT_EQ(size_, kUntouched);
}

// compat C02
TEST_F(StringReadTest, ProbeDoesNotCheckTheStoredType) {
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Number", nullptr, 0, &size_),
            0u);
  EXPECT_EQ(size_, 5u);
}

TEST_F(StringReadTest, MissingKeyOrValueWritesNothing) {
  char buffer[8] = "intact";
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Missing", "Text", buffer,
                                        sizeof(buffer), &size_),
            kFileNotFound);
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Missing", buffer,
                                        sizeof(buffer), &size_),
            kFileNotFound);
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Missing", nullptr, 0, &size_),
            kFileNotFound);
  EXPECT_STREQ(buffer, "intact");
  EXPECT_EQ(size_, kUntouched);
}

TEST_F(StringReadTest, DeniedKeyGivesAccessDenied) {
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Values", kDenyAll);
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", nullptr, 0, &size_),
            kAccessDenied);
  EXPECT_EQ(size_, kUntouched);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Values");
}

// compat F05
TEST_F(StringReadTest, ProbeWithoutASizePointerIsRefusedBeforeTheRegistry) {
  // A missing key would give 2 if the registry had been asked.
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Missing", "Text", nullptr, 0, nullptr),
            kInvalidParameter);
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", nullptr, 0, nullptr),
            kInvalidParameter);
}

TEST_F(StringReadTest, TooSmallBufferWithoutASizePointerIsRefused) {
  char buffer[2] = {};
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", buffer, sizeof(buffer),
                                        nullptr),
            kInvalidParameter);
}

TEST_F(StringReadTest, TextThatFitsNeedsNoSizePointer) {
  char buffer[8] = {};
  EXPECT_EQ(rm::ReadRegistryStringValue(HKEY_CURRENT_USER, "Values", "Text", buffer, sizeof(buffer),
                                        nullptr),
            0u);
  EXPECT_STREQ(buffer, "abcd");
}

// --- ReadRegistryValue ---

class TypedReadTest : public SandboxedRegistryTest {
 protected:
  void SetUp() override {
    SandboxedRegistryTest::SetUp();
    for (int i = 0; i < 16; ++i) binary_[i] = static_cast<BYTE>(0xF0 + i);
    RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "Binary", REG_BINARY, binary_,
                              sizeof(binary_));
  }
  BYTE binary_[16];
  tagQXVALUETYPE type_ = kUntouchedType;
  unsigned long size_ = kUntouched;
};

TEST_F(TypedReadTest, ProbeReportsTheExactSizeAndLeavesTheType) {
  EXPECT_EQ(
      rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", &type_, nullptr, 0, &size_), 0u);
  EXPECT_EQ(size_, 16u);
  EXPECT_EQ(type_, kUntouchedType);
}

TEST_F(TypedReadTest, TooSmallBufferReportsTheExactSizeAndLeavesTheType) {
  BYTE buffer[8] = {};
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", &type_, buffer,
                                  sizeof(buffer), &size_),
            kMoreData);
  EXPECT_EQ(size_, 16u);
  EXPECT_EQ(type_, kUntouchedType);
}

TEST_F(TypedReadTest, ReadIntoALargerBufferReportsTypeDataAndExactSize) {
  BYTE buffer[32] = {};
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", &type_, buffer,
                                  sizeof(buffer), &size_),
            0u);
  EXPECT_EQ(size_, 16u);
  EXPECT_EQ(type_, QXVT_BINARY);
  EXPECT_EQ(Bytes(buffer, 16), Bytes(binary_, 16));
}

TEST_F(TypedReadTest, StoredTypesTranslateToValueTypes) {
  const DWORD number = 7;
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "Dword", REG_DWORD, &number, 4);
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Values", "Text", "t");
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "Expand", REG_EXPAND_SZ, "%x%", 4);
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "Multi", REG_MULTI_SZ, "a\0b\0", 5);
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "None", REG_NONE, "xy", 2);
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, "Values", "BigEndian", REG_DWORD_BIG_ENDIAN, &number,
                            4);
  const struct {
    const char* name;
    tagQXVALUETYPE expected;
  } cases[] = {{"Binary", QXVT_BINARY},    {"Dword", QXVT_DWORD},   {"Text", QXVT_STRING},
               {"Expand", QXVT_UNKNOWN},   {"Multi", QXVT_UNKNOWN}, {"None", QXVT_UNKNOWN},
               {"BigEndian", QXVT_UNKNOWN}};
  for (const auto& c : cases) {
    BYTE buffer[64] = {};
    type_ = kUntouchedType;
    EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", c.name, &type_, buffer,
                                    sizeof(buffer), &size_),
              0u)
        << c.name;
    EXPECT_EQ(type_, c.expected) << c.name;
  }
}

TEST_F(TypedReadTest, FailureWritesNothing) {
  BYTE buffer[16] = {};
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Missing", &type_, buffer,
                                  sizeof(buffer), &size_),
            kFileNotFound);
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Missing", "Binary", &type_, buffer,
                                  sizeof(buffer), &size_),
            kFileNotFound);
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Values", kDenyAll);
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", &type_, buffer,
                                  sizeof(buffer), &size_),
            kAccessDenied);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Values");
  EXPECT_EQ(size_, kUntouched);
  EXPECT_EQ(type_, kUntouchedType);
}

TEST_F(TypedReadTest, NullTypeOrSizePointerIsRefusedBeforeTheRegistry) {
  BYTE buffer[16] = {};
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", nullptr, buffer,
                                  sizeof(buffer), &size_),
            kInvalidParameter);
  EXPECT_EQ(rm::ReadRegistryValue(HKEY_CURRENT_USER, "Values", "Binary", &type_, buffer,
                                  sizeof(buffer), nullptr),
            kInvalidParameter);
  EXPECT_EQ(
      rm::ReadRegistryValue(HKEY_CURRENT_USER, "Missing", "Binary", &type_, nullptr, 0, nullptr),
      kInvalidParameter);
  EXPECT_EQ(size_, kUntouched);
  EXPECT_EQ(type_, kUntouchedType);
}

// --- WriteRegistryValue ---

using TypedWriteTest = SandboxedRegistryTest;

TEST_F(TypedWriteTest, ValueTypesChooseTheRegistryTypeAndKeepTheBytes) {
  const BYTE data[] = {'a', 'b', 0, 'c'};
  const struct {
    const char* name;
    tagQXVALUETYPE type;
    DWORD expected;
  } cases[] = {{"Binary", QXVT_BINARY, REG_BINARY},
               {"Dword", QXVT_DWORD, REG_DWORD},
               {"Text", QXVT_STRING, REG_SZ},
               {"Three", static_cast<tagQXVALUETYPE>(3), REG_NONE},
               {"Unknown", QXVT_UNKNOWN, REG_NONE}};
  for (const auto& c : cases) {
    EXPECT_EQ(rm::WriteRegistryValue(HKEY_CURRENT_USER, "New\\Levels", c.name, c.type, data,
                                     sizeof(data)),
              0u)
        << c.name;
    const RawValue stored = ReadValue(HKEY_CURRENT_USER, "New\\Levels", c.name);
    EXPECT_EQ(stored.type, c.expected) << c.name;
    // The bytes handed over arrive unchanged; 64-bit Wine terminates unterminated REG_SZ data.
    std::vector<BYTE> handedOver = stored.data;
    if (c.expected == REG_SZ && handedOver.size() == sizeof(data) + 1 && handedOver.back() == 0) {
      handedOver.pop_back();
    }
    EXPECT_EQ(handedOver, Bytes(data, sizeof(data))) << c.name;
  }
}

TEST_F(TypedWriteTest, ReadOnlyKeyGivesAccessDenied) {
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Locked");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kReadOnly);
  const DWORD number = 1;
  EXPECT_EQ(rm::WriteRegistryValue(HKEY_CURRENT_USER, "Locked", "Dword", QXVT_DWORD, &number, 4),
            kAccessDenied);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Locked", "Dword"));
}

// compat F07
TEST_F(TypedWriteTest, NullDataWithANonZeroSizeIsRefusedBeforeAnyKeyIsCreated) {
  EXPECT_EQ(rm::WriteRegistryValue(HKEY_CURRENT_USER, "New", "Text", QXVT_STRING, nullptr, 4),
            kInvalidParameter);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "New"));
}

TEST_F(TypedWriteTest, NullDataWithSizeZeroStoresAnEmptyValue) {
  EXPECT_EQ(rm::WriteRegistryValue(HKEY_CURRENT_USER, "New", "Empty", QXVT_BINARY, nullptr, 0), 0u);
  const RawValue stored = ReadValue(HKEY_CURRENT_USER, "New", "Empty");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_TRUE(stored.data.empty());
}

// --- WriteRegistryStringValue ---

using StringWriteTest = SandboxedRegistryTest;

TEST_F(StringWriteTest, StoresTheTextWithItsTerminatorCreatingMissingLevels) {
  EXPECT_EQ(rm::WriteRegistryStringValue(HKEY_CURRENT_USER, "A\\B\\C", "Name", "text"), 0u);
  const RawValue stored = ReadValue(HKEY_CURRENT_USER, "A\\B\\C", "Name");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored.data, Bytes("text", 5));
}

TEST_F(StringWriteTest, EmptyTextStoresTheTerminatorAlone) {
  EXPECT_EQ(rm::WriteRegistryStringValue(HKEY_CURRENT_USER, "Key", "Empty", ""), 0u);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Key", "Empty").data, Bytes("", 1));
}

TEST_F(StringWriteTest, NullTextIsRefusedAndCreatesNoKey) {
  EXPECT_EQ(rm::WriteRegistryStringValue(HKEY_CURRENT_USER, "Key", "Name", nullptr),
            kInvalidParameter);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Key"));
}

TEST_F(StringWriteTest, ReadOnlyKeyGivesAccessDenied) {
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Locked");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kReadOnly);
  EXPECT_EQ(rm::WriteRegistryStringValue(HKEY_CURRENT_USER, "Locked", "Name", "x"), kAccessDenied);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
}

// --- CreateRegistryKey ---

using KeyCreationTest = SandboxedRegistryTest;

TEST_F(KeyCreationTest, CreatesEveryMissingLevel) {
  EXPECT_EQ(rm::CreateRegistryKey(HKEY_LOCAL_MACHINE, "One\\Two\\Three"), 0u);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "One\\Two\\Three"));
}

TEST_F(KeyCreationTest, ExistingKeyIsSuccessAndKeepsItsValues) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Existing", "Keep", "yes");
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Existing\\Child");
  EXPECT_EQ(rm::CreateRegistryKey(HKEY_CURRENT_USER, "Existing"), 0u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Existing", "Keep"), "yes");
  EXPECT_EQ(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Existing"),
            std::vector<std::string>{"Child"});
}

TEST_F(KeyCreationTest, ReadOnlyKeyGivesAccessDenied) {
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Locked");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kReadOnly);
  EXPECT_EQ(rm::CreateRegistryKey(HKEY_CURRENT_USER, "Locked"), kAccessDenied);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
}

// --- DeleteRegistryValue ---

using ValueDeletionTest = SandboxedRegistryTest;

TEST_F(ValueDeletionTest, DeletesOnlyTheNamedValue) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Key", "Gone", "g");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Key", "Kept", "k");
  EXPECT_EQ(rm::DeleteRegistryValue(HKEY_CURRENT_USER, "Key", "Gone"), 0u);
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Key", "Gone"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Key", "Kept"), "k");
}

TEST_F(ValueDeletionTest, MissingValueOrKeyGivesNotFound) {
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Key");
  EXPECT_EQ(rm::DeleteRegistryValue(HKEY_CURRENT_USER, "Key", "Missing"), kFileNotFound);
  EXPECT_EQ(rm::DeleteRegistryValue(HKEY_CURRENT_USER, "Missing", "Name"), kFileNotFound);
}

// compat C15
TEST_F(ValueDeletionTest, ReadOnlyKeyGivesAccessDeniedAndKeepsTheValue) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Locked", "Kept", "k");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kReadOnly);
  EXPECT_EQ(rm::DeleteRegistryValue(HKEY_CURRENT_USER, "Locked", "Kept"), kAccessDenied);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Locked", "Kept"), "k");
}

}  // namespace
}  // namespace rmtest
