// The exported registry functions called through the built Rm7731.pid: linked against its
// import library with the public header, so a mismatch between the header, the export table
// and the exported code fails the link or these cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qx_framework.h"
#include "support/sandboxed_test.h"

namespace rmtest {
namespace {

constexpr unsigned long kUntouched = 0xDEADBEEF;

using ExportedRegistryTest = SandboxedTest;

// --- QXGetRegistryStringValueData ---

class ExportedStringReadTest : public ExportedRegistryTest {
 protected:
  void SetUp() override {
    RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, "Values", "Text", "abcd");  // 5 bytes
    RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, "Values", "Number", 0x0A0B0C0D);
  }
  unsigned long size_ = kUntouched;
};

// compat C01
TEST_F(ExportedStringReadTest, ProbeGivesSuccessAndTheSizePlusOne) {
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", nullptr, 0, &size_),
            QXIR_SUCCESS);
  EXPECT_EQ(size_, 6u);
}

TEST_F(ExportedStringReadTest, TooSmallBufferGivesBufferTooSmallWithTheSizeNeeded) {
  char buffer[4] = {};
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", buffer,
                                         sizeof(buffer), &size_),
            QXIR_BUFFER_TOO_SMALL);
  EXPECT_EQ(size_, 6u);
}

TEST_F(ExportedStringReadTest, TextThatFitsIsDeliveredAndTheSizeLeftAlone) {
  char buffer[5] = {};
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", buffer,
                                         sizeof(buffer), &size_),
            QXIR_SUCCESS);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(size_, kUntouched);
}

// compat C02
TEST_F(ExportedStringReadTest, NonStringValueGivesRegistryErrorButAProbeSucceeds) {
  char buffer[4] = {};
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Number", buffer,
                                         sizeof(buffer), &size_),
            QXIR_REGISTRY_ERROR);
  const DWORD expected = 0x0A0B0C0D;
  EXPECT_EQ(std::memcmp(buffer, &expected, 4), 0) << "the bytes stay in the buffer";
  EXPECT_EQ(
      QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Number", nullptr, 0, &size_),
      QXIR_SUCCESS);
  EXPECT_EQ(size_, 5u);
}

TEST_F(ExportedStringReadTest, MissingGivesRegistryErrorAndDeniedGivesAccessDenied) {
  char buffer[8] = {};
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Missing", "Text", buffer,
                                         sizeof(buffer), &size_),
            QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Missing", buffer,
                                         sizeof(buffer), &size_),
            QXIR_REGISTRY_ERROR);
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, "Values", kDenyAll);
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", buffer,
                                         sizeof(buffer), &size_),
            QXIR_ACCESS_DENIED);
  RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, "Values");
  EXPECT_EQ(size_, kUntouched);
}

TEST_F(ExportedStringReadTest, MissingSizePointerIsRefusedInsteadOfWrittenThrough) {
  char buffer[2] = {};
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", nullptr, 0, nullptr),
            QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Text", buffer,
                                         sizeof(buffer), nullptr),
            QXIR_REGISTRY_ERROR);
}

// --- QXSetRegistryStringValueData and QXAddRegistryKey ---

TEST_F(ExportedRegistryTest, SetStringCreatesMissingLevelsAndStoresTheTerminator) {
  EXPECT_EQ(QXSetRegistryStringValueData(HKEY_CURRENT_USER, "A\\B\\C", "Name", "value"),
            QXIR_SUCCESS);
  EXPECT_EQ(QXSetRegistryStringValueData(HKEY_CURRENT_USER, "A\\B\\C", "Empty", ""), QXIR_SUCCESS);
  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(RegistrySandbox::ReadRaw(HKEY_CURRENT_USER, "A\\B\\C", "Name", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(data.begin(), data.end()), std::string("value", 6));
  ASSERT_TRUE(RegistrySandbox::ReadRaw(HKEY_CURRENT_USER, "A\\B\\C", "Empty", &type, &data));
  EXPECT_EQ(data, std::vector<BYTE>{0}) << "an empty text is the terminator alone";
}

// compat C05
TEST_F(ExportedRegistryTest, SetStringWithANullTextGivesRegistryErrorAndCreatesNoKey) {
  EXPECT_EQ(QXSetRegistryStringValueData(HKEY_CURRENT_USER, "Key", "Name", nullptr),
            QXIR_REGISTRY_ERROR);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Key"));
}

TEST_F(ExportedRegistryTest, WritesToAReadOnlyKeyGiveAccessDenied) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Locked", "Kept", "k");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kReadOnly);
  EXPECT_EQ(QXSetRegistryStringValueData(HKEY_CURRENT_USER, "Locked", "Name", "x"),
            QXIR_ACCESS_DENIED);
  EXPECT_EQ(QXAddRegistryKey(HKEY_CURRENT_USER, "Locked"), QXIR_ACCESS_DENIED);
  EXPECT_EQ(QXDeleteRegistryValueName(HKEY_CURRENT_USER, "Locked", "Kept"), QXIR_ACCESS_DENIED);
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Locked", "Kept"), "k");
}

TEST_F(ExportedRegistryTest, AddKeyCreatesMissingLevelsAndLeavesAnExistingKeyAlone) {
  EXPECT_EQ(QXAddRegistryKey(HKEY_LOCAL_MACHINE, "One\\Two\\Three"), QXIR_SUCCESS);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "One\\Two\\Three"));
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, "One", "Keep", "yes");
  EXPECT_EQ(QXAddRegistryKey(HKEY_LOCAL_MACHINE, "One"), QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, "One", "Keep"), "yes");
}

// --- QXDeleteRegistryValueName ---

TEST_F(ExportedRegistryTest, DeleteValueRemovesItAndMissingOnesGiveRegistryError) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Key", "Gone", "g");
  EXPECT_EQ(QXDeleteRegistryValueName(HKEY_CURRENT_USER, "Key", "Gone"), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Key", "Gone"));
  EXPECT_EQ(QXDeleteRegistryValueName(HKEY_CURRENT_USER, "Key", "Gone"), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXDeleteRegistryValueName(HKEY_CURRENT_USER, "Missing", "Gone"), QXIR_REGISTRY_ERROR);
}

// --- QXDeleteRegistryKey ---

TEST_F(ExportedRegistryTest, DeleteKeyRemovesAThreeLevelTree) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Tree\\A\\B", "Deep", "d");
  RegistrySandbox::WriteDword(HKEY_CURRENT_USER, "Tree\\A", "Middle", 2);
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Tree", "Top", "t");
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_CURRENT_USER, "Tree"), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Tree"));
}

TEST_F(ExportedRegistryTest, DeleteKeyRefusesNullEmptyAndMissingKeys) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Kept", "Value", "v");
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_CURRENT_USER, nullptr), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_CURRENT_USER, ""), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_CURRENT_USER, "Missing"), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Kept", "Value"), "v");
}

TEST_F(ExportedRegistryTest, DeleteKeyWithADeniedDescendantGivesAccessDeniedAndKeepsItsBranch) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Tree\\A\\Locked", "Inside", "i");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Tree\\A\\Locked", kDenyAll);
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_CURRENT_USER, "Tree"), QXIR_ACCESS_DENIED);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Tree\\A\\Locked"));
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Tree\\A\\Locked");
}

// --- QXCopyRegistryKey ---

TEST_F(ExportedRegistryTest, CopyReproducesTheTreeUnderAnotherRoot) {
  const BYTE binary[] = {1, 0, 2, 0, 0xFF};
  RegistrySandbox::WriteRaw(HKEY_LOCAL_MACHINE, "Source\\Child", "Binary", REG_BINARY, binary,
                            sizeof(binary));
  RegistrySandbox::WriteRaw(HKEY_LOCAL_MACHINE, "Source", "Multi", REG_MULTI_SZ, "x\0y\0", 5);
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, "Source", "", "default");
  EXPECT_EQ(QXCopyRegistryKey(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "Source", "New\\Copy"),
            QXIR_SUCCESS);
  for (const auto& [path, name] :
       {std::pair<std::string, const char*>{"\\Child", "Binary"}, {"", "Multi"}, {"", ""}}) {
    DWORD originalType = 0, copiedType = 0;
    std::vector<BYTE> original, copied;
    ASSERT_TRUE(RegistrySandbox::ReadRaw(HKEY_LOCAL_MACHINE, "Source" + path, name, &originalType,
                                         &original));
    ASSERT_TRUE(
        RegistrySandbox::ReadRaw(HKEY_CURRENT_USER, "New\\Copy" + path, name, &copiedType, &copied))
        << "value \"" << name << "\"";
    EXPECT_EQ(copiedType, originalType) << "value \"" << name << "\"";
    EXPECT_EQ(copied, original) << "value \"" << name << "\"";
  }
}

TEST_F(ExportedRegistryTest, CopyFromAMissingSourceGivesRegistryErrorAfterCreatingTheDestination) {
  EXPECT_EQ(QXCopyRegistryKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Missing", "Copy"),
            QXIR_REGISTRY_ERROR);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Copy"));
}

TEST_F(ExportedRegistryTest, CopyWithAnUnreadableSubKeyGivesAccessDeniedWithoutParentValues) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source", "ParentValue", "p");
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Source\\Locked");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Source\\Locked", kDenyAll);
  EXPECT_EQ(QXCopyRegistryKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Source", "Copy"),
            QXIR_ACCESS_DENIED);
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Copy", "ParentValue"));
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Source\\Locked");
}

TEST_F(ExportedRegistryTest, CopyIntoItsOwnSubTreeGivesRegistryErrorAndCreatesNothing) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Loop", "Value", "v");
  EXPECT_EQ(QXCopyRegistryKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Loop", "loop\\Inner"),
            QXIR_REGISTRY_ERROR);
  EXPECT_TRUE(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Loop").empty());
}

}  // namespace
}  // namespace rmtest
