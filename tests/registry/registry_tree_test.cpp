// Deleting and copying whole key trees under redirected roots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/registry_tree.h"
#include "registry/sandboxed_registry_test.h"

namespace rmtest {
namespace {

class KeyTreeTest : public SandboxedRegistryTest {
 protected:
  // A three-level tree with values on every level.
  static void BuildThreeLevelTree(HKEY root, const std::string& path) {
    RegistrySandbox::WriteString(root, path, "Name", "top");
    RegistrySandbox::WriteDword(root, path + "\\A", "Count", 1);
    RegistrySandbox::WriteString(root, path + "\\A\\B", "", "default");
    RegistrySandbox::WriteDword(root, path + "\\A\\B\\C", "Deep", 3);
    RegistrySandbox::CreateKey(root, path + "\\A\\B2");
    RegistrySandbox::WriteString(root, path + "\\Z", "Last", "z");
  }
};

// --- DeleteRegistryKeyTree ---

TEST_F(KeyTreeTest, DeleteRemovesEveryLevelAndTheKeyItself) {
  BuildThreeLevelTree(HKEY_CURRENT_USER, "Tree");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "TreeSibling", "Keep", "yes");

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Tree"), 0u);

  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Tree"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "TreeSibling", "Keep"), "yes");
}

TEST_F(KeyTreeTest, DeleteOfANestedPathLeavesItsParent) {
  BuildThreeLevelTree(HKEY_LOCAL_MACHINE, "Outer\\Tree");

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, "Outer\\Tree"), 0u);

  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Outer\\Tree"));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Outer"));
}

TEST_F(KeyTreeTest, DeleteRefusesANullOrEmptySubKeyWithoutTouchingTheRoot) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Present", "Keep", "yes");

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, nullptr), 1010u);
  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, ""), 1010u);

  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Present", "Keep"), "yes");
}

TEST_F(KeyTreeTest, DeleteOfAMissingKeyReportsTheOpenFailure) {
  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Missing"),
            static_cast<rm::WinCode>(ERROR_FILE_NOT_FOUND));
}

// compat C15
TEST_F(KeyTreeTest, DeleteStopsAtADeniedDescendantAndKeepsItsBranch) {
  BuildThreeLevelTree(HKEY_CURRENT_USER, "Tree");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Tree\\A\\B\\C", kDenyAll);

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Tree"),
            static_cast<rm::WinCode>(ERROR_ACCESS_DENIED));

  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Tree\\A\\B\\C"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Tree\\A\\B", ""), "default");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_CURRENT_USER, "Tree\\A", "Count"), 1u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Tree", "Name"), "top");
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Tree\\A\\B\\C");
}

// compat C15
TEST_F(KeyTreeTest, DeleteOfADeniedKeyItselfDeletesNothing) {
  BuildThreeLevelTree(HKEY_CURRENT_USER, "Tree");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Tree", kDenyAll);

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_CURRENT_USER, "Tree"),
            static_cast<rm::WinCode>(ERROR_ACCESS_DENIED));

  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Tree");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_CURRENT_USER, "Tree\\A\\B\\C", "Deep"), 3u);
}

// --- CopyRegistryKeyTree ---

TEST_F(KeyTreeTest, CopyOfAnEmptyKeyCreatesTheDestinationWithMissingLevels) {
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Empty");

  EXPECT_EQ(
      rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Empty", "New\\Levels\\Copy"),
      0u);

  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "New\\Levels\\Copy"));
  EXPECT_TRUE(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "New\\Levels\\Copy").empty());
}

// compat C16
TEST_F(KeyTreeTest, CopyReproducesEveryValueTypeByteForByte) {
  const BYTE binary[] = {0x00, 0xFF, 0x10, 0x00, 0x7F};
  const char multi[] = "one\0two\0";  // with the array's own NUL: "one\0two\0\0"
  const DWORD dword = 0xA1B2C3D4;
  const std::string source = "Source";
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, source, "Text", "hello");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, source, "", "the default");
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "Dword", REG_DWORD, &dword, sizeof(dword));
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "Binary", REG_BINARY, binary,
                            sizeof(binary));
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "Multi", REG_MULTI_SZ, multi, sizeof(multi));
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "EmptyBinary", REG_BINARY, nullptr, 0);
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "EmptyText", REG_SZ, "", 1);
  RegistrySandbox::WriteRaw(HKEY_CURRENT_USER, source, "NoneAtAll", REG_NONE, nullptr, 0);

  ASSERT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, "Source", "Copy"), 0u);

  for (const char* name :
       {"Text", "", "Dword", "Binary", "Multi", "EmptyBinary", "EmptyText", "NoneAtAll"}) {
    const RawValue original = ReadValue(HKEY_CURRENT_USER, source, name);
    const RawValue copied = ReadValue(HKEY_LOCAL_MACHINE, "Copy", name);
    EXPECT_EQ(copied.type, original.type) << "value \"" << name << "\"";
    EXPECT_EQ(copied.data, original.data) << "value \"" << name << "\"";
  }
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Copy", "Multi").data.size(), sizeof(multi));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Copy", "Binary").data,
            std::vector<BYTE>(binary, binary + sizeof(binary)));
}

TEST_F(KeyTreeTest, CopyReproducesEveryLevelOfTheTree) {
  BuildThreeLevelTree(HKEY_CURRENT_USER, "Tree");

  ASSERT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Tree", "Copy"), 0u);

  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Copy", "Name"), "top");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_CURRENT_USER, "Copy\\A", "Count"), 1u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Copy\\A\\B", ""), "default");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_CURRENT_USER, "Copy\\A\\B\\C", "Deep"), 3u);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Copy\\A\\B2"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Copy\\Z", "Last"), "z");
}

// compat C17
TEST_F(KeyTreeTest, CopyOntoAnExistingDestinationOverwritesCommonValuesAndKeepsExtras) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source", "Common", "from source");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source\\Child", "New", "n");
  RegistrySandbox::WriteDword(HKEY_CURRENT_USER, "Destination", "Common", 7);
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Destination", "Extra", "kept");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Destination\\OwnChild", "Mine", "kept too");

  ASSERT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Source", "Destination"),
            0u);

  const RawValue common = ReadValue(HKEY_CURRENT_USER, "Destination", "Common");
  EXPECT_EQ(common.type, static_cast<DWORD>(REG_SZ)) << "the source's type replaces the old one";
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Destination", "Common"), "from source");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Destination", "Extra"), "kept");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Destination\\OwnChild", "Mine"),
            "kept too");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Destination\\Child", "New"), "n");
}

// compat C17
TEST_F(KeyTreeTest, CopyFromAMissingSourceFailsAfterCreatingTheDestination) {
  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Missing", "Copy"),
            static_cast<rm::WinCode>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Copy"));
}

// compat C17
TEST_F(KeyTreeTest, CopyWithAnUnreadableSubKeyFailsBeforeTheParentsValues) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source", "ParentValue", "p");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source\\Locked", "Hidden", "h");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Source\\Locked", kDenyAll);

  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Source", "Copy"),
            static_cast<rm::WinCode>(ERROR_ACCESS_DENIED));

  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Copy\\Locked"));
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Copy\\Locked", "Hidden"));
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Copy", "ParentValue"));
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Source\\Locked");
}

TEST_F(KeyTreeTest, CopyWhoseSourceMaximaCannotBeReadEndsWithTheQueryFailure) {
  // Wine opens HKEY_PERFORMANCE_DATA but refuses its information query; check that first.
  HKEY performance = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_PERFORMANCE_DATA, "", 0, KEY_READ, &performance), ERROR_SUCCESS);
  const LONG queried = RegQueryInfoKeyA(performance, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(performance);
  ASSERT_NE(queried, ERROR_SUCCESS) << "the case needs a source whose information query fails";

  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_PERFORMANCE_DATA, HKEY_CURRENT_USER, "", "Copy"),
            static_cast<rm::WinCode>(queried));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Copy"));
  EXPECT_TRUE(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Copy").empty());
}

TEST_F(KeyTreeTest, CopyOntoAnUnwritableDestinationReportsTheCreateFailure) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Source", "Value", "v");
  RegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Locked");
  RegistrySandbox::SetKeySecurity(HKEY_CURRENT_USER, "Locked", kDenyAll);

  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Source", "Locked"),
            static_cast<rm::WinCode>(ERROR_ACCESS_DENIED));
  RegistrySandbox::RestoreAccess(HKEY_CURRENT_USER, "Locked");
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_CURRENT_USER, "Locked", "Value"));
}

// compat F08
TEST_F(KeyTreeTest, CopyIntoItsOwnSubTreeIsRefusedBeforeAnythingIsCreated) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Loop\\Child", "Value", "v");

  const char* insideDestinations[] = {"Loop\\Child\\Deeper", "LOOP\\New", "\\Loop\\Other",
                                      "Loop\\Child"};
  for (const char* destination : insideDestinations) {
    EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Loop", destination),
              static_cast<rm::WinCode>(ERROR_INVALID_PARAMETER))
        << destination;
  }
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Loop\\Child\\Deeper"));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Loop\\New"));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Loop\\Other"));
  EXPECT_EQ(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Loop"),
            std::vector<std::string>{"Child"});
}

TEST_F(KeyTreeTest, CopyOfAKeyOntoItselfChangesNothing) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Loop\\Child", "Value", "v");
  RegistrySandbox::WriteDword(HKEY_CURRENT_USER, "Loop", "Count", 7);

  for (const char* destination : {"Loop", "loop", "Loop\\"}) {
    EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Loop", destination),
              0u)
        << destination;
  }
  EXPECT_EQ(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Loop"),
            std::vector<std::string>{"Child"});
  EXPECT_TRUE(RegistrySandbox::SubKeyNames(HKEY_CURRENT_USER, "Loop\\Child").empty());
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Loop\\Child", "Value"), "v");
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_CURRENT_USER, "Loop", "Count"), 7u);
}

TEST_F(KeyTreeTest, CopyToANameThatOnlySharesAPrefixIsAllowed) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Loop", "Value", "v");

  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Loop", "LoopCopy"), 0u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "LoopCopy", "Value"), "v");
}

TEST_F(KeyTreeTest, CopyOfAKeyInsideTheDestinationIsAllowed) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Outer\\Inner", "Value", "v");

  EXPECT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "Outer\\Inner", "Outer"),
            0u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_CURRENT_USER, "Outer", "Value"), "v");
}

TEST_F(KeyTreeTest, CopyUnderAnotherRootWithTheSamePathIsAllowed) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Same\\Path", "Value", "v");

  EXPECT_EQ(
      rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, "Same\\Path", "Same\\Path"),
      0u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, "Same\\Path", "Value"), "v");
}

// --- Names and text outside the ANSI code page, and runaway recursion ---

HKEY CreateWideKey(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

std::vector<BYTE> ReadWideValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* type) {
  BYTE data[64] = {};
  DWORD size = sizeof data;
  EXPECT_EQ(RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size),
            ERROR_SUCCESS);
  return std::vector<BYTE>(data, data + size);
}

// compat F08
TEST_F(KeyTreeTest, CopyAndDeleteKeepNamesTypesAndBytesOutsideTheCodePage) {
  const wchar_t kSubKey[] = L"Src\\\u041a\u043b\u044e\u0447";  // Src\Ключ
  const wchar_t kValueName[] = L"\u65e5\u672c";                // 日本
  const wchar_t kText[] = L"\u00e9t\u00e9 \u0416";
  HKEY key = CreateWideKey(HKEY_CURRENT_USER, kSubKey);
  ASSERT_EQ(RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(kText),
                           sizeof kText),
            ERROR_SUCCESS);
  // Five bytes of REG_SZ: no terminator, and an odd length.
  ASSERT_EQ(RegSetValueExW(key, L"Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcde"), 5),
            ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(rm::CopyRegistryKeyTree(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, "Src", "Dst"), 0u);
  const wchar_t kCopied[] = L"Dst\\\u041a\u043b\u044e\u0447";
  for (const wchar_t* name : {kValueName, L"Odd"}) {
    DWORD sourceType = 0;
    DWORD copiedType = 0;
    const std::vector<BYTE> source = ReadWideValue(HKEY_CURRENT_USER, kSubKey, name, &sourceType);
    EXPECT_EQ(ReadWideValue(HKEY_LOCAL_MACHINE, kCopied, name, &copiedType), source);
    EXPECT_EQ(copiedType, sourceType);
  }

  EXPECT_EQ(rm::DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, "Dst"), 0u);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Dst"));
}

// A destination inside the source reached through a second handle is not seen by the path
// check: the copy keeps finding the keys it has just written, until the depth limit stops it.
// compat F08
TEST_F(KeyTreeTest, CopyIntoItsOwnSubTreeThroughAnotherHandleStopsAtTheDepthLimit) {
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "Al\\Src", "Value", "v");
  HKEY first = CreateWideKey(HKEY_CURRENT_USER, L"Al");
  HKEY second = CreateWideKey(HKEY_CURRENT_USER, L"Al");

  EXPECT_EQ(rm::CopyRegistryKeyTree(first, second, "Src", "Src\\Sub"),
            static_cast<rm::WinCode>(ERROR_STACK_OVERFLOW));
  int levels = 0;
  HKEY level = CreateWideKey(first, L"Src");
  for (HKEY child = nullptr; RegOpenKeyExW(level, L"Sub", 0, KEY_READ, &child) == ERROR_SUCCESS;
       ++levels) {
    RegCloseKey(level);
    level = child;
  }
  RegCloseKey(level);
  EXPECT_EQ(levels, 513) << "one key per level of recursion, 0 to 512, and none further";

  // The deletion has the same limit: a tree deeper than 512 levels below its key is refused
  // with nothing deleted, one level down it goes.
  EXPECT_EQ(rm::DeleteRegistryKeyTree(first, "Src"),
            static_cast<rm::WinCode>(ERROR_STACK_OVERFLOW));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Al\\Src\\Sub\\Sub"));
  EXPECT_EQ(rm::DeleteRegistryKeyTree(first, "Src\\Sub"), 0u);
  EXPECT_EQ(rm::DeleteRegistryKeyTree(first, "Src"), 0u);
  RegCloseKey(first);
  RegCloseKey(second);
}

}  // namespace
}  // namespace rmtest
