// Registering and unregistering components in the redirected HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <vector>

#include "qx/component_registration.h"
#include "support/leak_checked_test.h"
#include "support/scratch_folder.h"
#include "support/script_names.h"

namespace {

using rmtest::RegistrySandbox;

constexpr GUID kComponent = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
constexpr GUID kSibling = {
    0x22222222, 0x3333, 0x4444, {0x55, 0x55, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66}};
constexpr char kCategory[] = "CATEGORY_Test";

const std::string kVarnel = "SOFTWARE\\Varnel";
const std::string kRoot = "SOFTWARE\\Varnel\\Component Installed";
const std::string kComponentKey = kRoot + "\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
const std::string kSiblingKey = kRoot + "\\{22222222-3333-4444-5555-666666666666}";
const std::string kCategoryRoot = kRoot + "\\Category";
const std::string kCategoryKey = kCategoryRoot + "\\CATEGORY_Test";
const std::string kEntryKey = kCategoryKey + "\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

HINSTANCE ThisProgram() { return GetModuleHandleA(nullptr); }

std::string ThisProgramPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

tagQXINTRFCRESULT Register(const GUID& clsid, const char* name, const char* category, int counted) {
  return QXRegisterServerEx(ThisProgram(), clsid, name, category, nullptr, nullptr, counted);
}

using ComponentRegistration = rmtest::LeakCheckedTest;

TEST_F(ComponentRegistration, PlainFormWritesFullPathWithoutCount) {
  ASSERT_EQ(QXRegisterServer(ThisProgram(), kComponent, "Test Component", kCategory, "a", "b"),
            QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, nullptr),
            "Test Component");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, "File"),
            ThisProgramPath());
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kEntryKey, nullptr), "Test Component");
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_CURRENT_USER, kVarnel)) << "machine tree only";
}

// compat C13
TEST_F(ComponentRegistration, CountedFormWritesBareFileName) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 1), QXIR_SUCCESS);
  const std::string file = RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, "File");
  EXPECT_EQ(file, PathFindFileNameA(ThisProgramPath().c_str()));
  EXPECT_EQ(file.find('\\'), std::string::npos) << file;
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 1u);
}

// compat C12
TEST_F(ComponentRegistration, PlainFormLeavesAnExistingCountAlone) {
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 1), QXIR_SUCCESS);
  ASSERT_EQ(Register(kComponent, "Renamed", nullptr, 0), QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 1u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, nullptr), "Renamed");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, "File"),
            ThisProgramPath());
}

// compat C12
TEST_F(ComponentRegistration, CountedLifeCycleEndsWithEmptyParentsPruned) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 1), QXIR_SUCCESS);
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 1), QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 2u);

  ASSERT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 1u);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey)) << "nothing deleted yet";

  ASSERT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_SUCCESS);
  for (const std::string& gone :
       {kEntryKey, kCategoryKey, kCategoryRoot, kComponentKey, kRoot, kVarnel}) {
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, gone)) << gone;
  }
}

// compat F06
TEST_F(ComponentRegistration, PruningKeepsParentsThatStillHoldSomething) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 0), QXIR_SUCCESS);
  ASSERT_EQ(Register(kSibling, "Sibling", kCategory, 0), QXIR_SUCCESS);
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, kVarnel, "Vendor", "kept");

  ASSERT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kCategoryKey)) << "sibling's entry";
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kSiblingKey));

  ASSERT_EQ(QXUnregisterServer(kSibling, kCategory, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kCategoryRoot));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kRoot));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kVarnel, "Vendor"), "kept");
}

TEST_F(ComponentRegistration, UnregistrationRemovesTheWholeComponentTree) {
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 0), QXIR_SUCCESS);
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE,
                               kComponentKey + "\\Object\\{X}\\Default Settings", "Gain", "3");
  ASSERT_EQ(QXUnregisterServer(kComponent, nullptr, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

// compat C12
TEST_F(ComponentRegistration, LastCountIsNotRewrittenBeforeTheKeyGoes) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 1), QXIR_SUCCESS);
  // Readable and writable, but not deletable: the removal of the component key fails, and
  // whatever was written before it shows.
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kComponentKey, rmtest::kDenyDelete);
  EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_ACCESS_DENIED);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 1u);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey)) << "removed before";
  RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, kComponentKey);

  ASSERT_EQ(QXUnregisterServer(kComponent, nullptr, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

// compat F04
TEST_F(ComponentRegistration, StoredCountOfZeroCountsAsTheLast) {
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 0), QXIR_SUCCESS);
  RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount", 0);
  ASSERT_EQ(QXUnregisterServer(kComponent, nullptr, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey))
      << "a zero count must not wrap around and keep the component forever";
}

// compat F20 F21
TEST_F(ComponentRegistration, CountThatCannotBeReadFailsBothWaysAndChangesNothing) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 1), QXIR_SUCCESS);
  RegistrySandbox::WriteDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount", 3);
  // The key can be written but not read: the count is there, only its read fails.
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kComponentKey, "D:(D;;0x1;;;WD)(A;;KA;;;WD)");
  EXPECT_EQ(Register(kComponent, "Renamed", kCategory, 1), QXIR_ACCESS_DENIED);
  EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_ACCESS_DENIED);
  RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, kComponentKey);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 3u);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kComponentKey, nullptr),
            "Test Component");
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey));
}

// compat C14
TEST_F(ComponentRegistration, NeverRegisteredComponent) {
  EXPECT_EQ(QXUnregisterServer(kComponent, nullptr, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_REGISTRY_ERROR);
}

// compat C14
TEST_F(ComponentRegistration, MissingCategoryEntryKeepsTheComponent) {
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 0), QXIR_SUCCESS);
  EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_REGISTRY_ERROR);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
}

TEST_F(ComponentRegistration, DeniedCategoryEntryKeepsTheComponent) {
  ASSERT_EQ(Register(kComponent, "Test Component", kCategory, 0), QXIR_SUCCESS);
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kEntryKey, rmtest::kDenyAll);
  EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_ACCESS_DENIED);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kEntryKey));
}

TEST_F(ComponentRegistration, NullFriendlyNameCreatesNoKey) {
  EXPECT_EQ(Register(kComponent, nullptr, kCategory, 0), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(Register(kComponent, nullptr, kCategory, 1), QXIR_REGISTRY_ERROR);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

TEST_F(ComponentRegistration, EmptyCategoryIsRefusedByBothNullByNeither) {
  EXPECT_EQ(Register(kComponent, "Test Component", "", 0), QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));

  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 1), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kCategoryRoot));
  EXPECT_EQ(QXUnregisterServer(kComponent, "", nullptr, nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 1u);
  EXPECT_EQ(QXUnregisterServer(kComponent, nullptr, nullptr, nullptr), QXIR_SUCCESS);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
}

TEST_F(ComponentRegistration, NullModuleIsRefused) {
  EXPECT_EQ(QXRegisterServer(nullptr, kComponent, "Test Component", kCategory, nullptr, nullptr),
            QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

// The category entry key is 84 characters plus the category: 939 characters fill a 1024-byte
// path exactly.
TEST_F(ComponentRegistration, CategoryTooLongForAPathIsRefusedBeforeAnyWrite) {
  const std::string longest(939, 'c');
  const std::string tooLong(940, 'c');
  EXPECT_EQ(Register(kComponent, "Test Component", tooLong.c_str(), 1), QXIR_INVALID_PARAMETER);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));

  // One character less goes on to the registry (which may refuse so long a key name itself).
  EXPECT_NE(Register(kComponent, "Test Component", longest.c_str(), 1), QXIR_INVALID_PARAMETER);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kComponentKey));
}

TEST_F(ComponentRegistration, UnregistrationRefusesATooLongCategoryBeforeTheCount) {
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 1), QXIR_SUCCESS);
  ASSERT_EQ(Register(kComponent, "Test Component", nullptr, 1), QXIR_SUCCESS);
  const std::string tooLong(940, 'c');
  EXPECT_EQ(QXUnregisterServer(kComponent, tooLong.c_str(), nullptr, nullptr),
            QXIR_INVALID_PARAMETER);
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, kComponentKey, "RefCount"), 2u);
}

// compat F13
TEST_F(ComponentRegistration, ModulePathThatCannotBeHadWholeIsNotRecorded) {
  EXPECT_EQ(QXRegisterServer(reinterpret_cast<HINSTANCE>(0x12340000), kComponent, "Test Component",
                             kCategory, nullptr, nullptr),
            QXIR_REGISTRY_ERROR)
      << "not a module";
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

// A module in a folder, and with a name, in another script than the ANSI code page's: both
// forms record the path or name the loader has, and unregistration leaves nothing.
// compat F23
TEST_F(ComponentRegistration, RecordsTheTruePathOfAModuleNamedInAnyScript) {
  ASSERT_EQ(GetACP(), rmtest::kTestAnsiCodePage)
      << "the rows are outside the code page only in 1252";
  const std::string self = ThisProgramPath();
  const std::string module = self.substr(0, self.rfind('\\') + 1) + "Rm7731.pid";
  rmtest::ScratchFolder scratch;
  for (const rmtest::ScriptName& row : rmtest::kScriptNames) {
    SCOPED_TRACE(row.label);
    const std::wstring fileName = std::wstring(row.name) + L".pid";
    const std::wstring copy = scratch.CopyFileIn(std::wstring(module.begin(), module.end()),
                                                 std::wstring(row.name) + L"\\" + fileName);
    HMODULE loaded = LoadLibraryW(copy.c_str());
    ASSERT_NE(loaded, nullptr) << GetLastError();

    EXPECT_EQ(QXRegisterServer(loaded, kComponent, "Test Component", kCategory, nullptr, nullptr),
              QXIR_SUCCESS);
    EXPECT_EQ(RegistrySandbox::ReadWideString(HKEY_LOCAL_MACHINE, kComponentKey, L"File"), copy);
    EXPECT_EQ(
        QXRegisterServerEx(loaded, kComponent, "Test Component", kCategory, nullptr, nullptr, 1),
        QXIR_SUCCESS);
    EXPECT_EQ(RegistrySandbox::ReadWideString(HKEY_LOCAL_MACHINE, kComponentKey, L"File"),
              fileName);
    EXPECT_EQ(QXUnregisterServer(kComponent, kCategory, nullptr, nullptr), QXIR_SUCCESS);
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
    FreeLibrary(loaded);
  }
}

// A module loaded from a folder deep enough that its path does not fit MAX_PATH: the file name
// buffer fills, and the cut path must not be recorded.
TEST_F(ComponentRegistration, ModulePathLongerThanMaxPathIsNotRecorded) {
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring folder(self);
  folder.resize(folder.rfind(L'\\'));
  const std::wstring source = folder + L"\\Rm7731.pid";
  std::wstring deep = folder + L"\\long_module_path";
  CreateDirectoryW(deep.c_str(), nullptr);
  std::vector<std::wstring> created;
  for (int level = 0; level < 5; ++level) {
    deep += L"\\" + std::wstring(50, L'd');
    CreateDirectoryW(deep.c_str(), nullptr);
    created.push_back(deep);
  }
  const std::wstring copy = deep + L"\\Rm7731.pid";
  ASSERT_TRUE(CopyFileW(source.c_str(), copy.c_str(), FALSE));
  HMODULE module = LoadLibraryW(copy.c_str());
  ASSERT_NE(module, nullptr) << GetLastError();

  EXPECT_EQ(QXRegisterServer(module, kComponent, "Test Component", nullptr, nullptr, nullptr),
            QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXRegisterServerEx(module, kComponent, "Test Component", nullptr, nullptr, nullptr, 1),
            QXIR_REGISTRY_ERROR)
      << "even though the file name alone would fit";
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));

  FreeLibrary(module);
  DeleteFileW(copy.c_str());
  for (auto level = created.rbegin(); level != created.rend(); ++level)
    RemoveDirectoryW(level->c_str());
  RemoveDirectoryW((folder + L"\\long_module_path").c_str());
}

}  // namespace
