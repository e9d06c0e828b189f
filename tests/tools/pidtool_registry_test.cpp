// pidtool against the built Rm7731.pid in the real registry of the test prefix: the main job
// (register, list, products, show, unregister), object identifiers and the failure paths.
// These cases write HKEY_LOCAL_MACHINE for real, so the suite holds the "real_hklm" lock,
// and every case leaves the registry as it found it.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "support/registry_sandbox.h"
#include "support/scratch_folder.h"
#include "support/script_names.h"
#include "tools/tool_runner.h"

namespace rmtest {
namespace {

const char kPluginClsid[] = "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const char kVendorKey[] = "SOFTWARE\\Varnel";
const char kRootKey[] = "SOFTWARE\\Varnel\\Component Installed";
const char kCategoryKey[] =
    "SOFTWARE\\Varnel\\Component Installed\\Category\\CATEGORY_ProductIdentification";
// A component that no test registers for real.
const char kBrokenClsid[] = "{0B5E1A27-7F43-4C8E-9D2A-6E1F0C3B8A41}";
// The plug-in of pidtool_fixture_cameras.dll, which reports two cameras.
const char kCamerasClsid[] = "{6F3B2C1D-4E5A-4B7C-8D9E-0A1B2C3D4E5F}";

std::string ComponentKey(const char* clsid) { return std::string(kRootKey) + "\\" + clsid; }
std::string CategoryEntryKey(const char* clsid) { return std::string(kCategoryKey) + "\\" + clsid; }

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void WriteString(const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS)
      << path;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void WriteDword(const std::string& path, const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS)
      << path;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// `text` as the tool's redirected text output shows it: in the ANSI code page, '?' for a
// character that the code page lacks.
std::string Shown(const std::wstring& text) {
  std::string shown(text.size() * 2 + 1, '\0');
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &shown[0],
                                         static_cast<int>(shown.size()), nullptr, nullptr);
  shown.resize(length > 0 ? static_cast<std::size_t>(length) - 1 : 0);
  return shown;
}

// Starts and ends every case with no trace of the plug-in or the broken component, whatever
// an earlier run or a failed check left behind.
class PidtoolInTheRealRegistry : public ::testing::Test {
 protected:
  void SetUp() override { RemoveEverything(); }
  void TearDown() override { RemoveEverything(); }

  static void RemoveEverything() {
    for (const char* clsid : {kPluginClsid, kBrokenClsid, kCamerasClsid}) {
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, CategoryEntryKey(clsid).c_str());
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, ComponentKey(clsid).c_str());
    }
    for (std::string path : {std::string(kCategoryKey), std::string(kRootKey) + "\\Category",
                             std::string(kRootKey), std::string(kVendorKey)}) {
      SHDeleteEmptyKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    }
  }

  // Registers a component the way QXRegisterServer writes one.
  static void RegisterByHand(const char* clsid, const char* name, const std::string& file) {
    WriteString(ComponentKey(clsid), "", name);
    WriteString(ComponentKey(clsid), "File", file);
    WriteString(CategoryEntryKey(clsid), "", name);
  }

  static std::string BesideThisProgram(const char* file) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    return program.substr(0, program.rfind('\\') + 1) + file;
  }

  static void Register() {
    const ToolRun run = RunPidtool({"register", "Rm7731.pid"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
  }
};

TEST_F(PidtoolInTheRealRegistry, RunsTheMainJobAndLeavesTheRegistryClean) {
  ToolRun run = RunPidtool({"register", "Rm7731.pid"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "Rm7731.pid': DllRegisterServer returned S_OK (0x00000000)"))
      << run.out;
  EXPECT_TRUE(KeyExists(ComponentKey(kPluginClsid)));

  run = RunPidtool({"list"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "Category CATEGORY_ProductIdentification: 1 component\n"))
      << run.out;
  EXPECT_TRUE(
      Contains(run.out, std::string("  ") + kPluginClsid + "  RM7731 Identification Plugin\n"))
      << run.out;

  run = RunPidtool({"products"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Contains(run.out, std::string(kPluginClsid) + "  RM7731 Identification Plugin\n"))
      << run.out;
  EXPECT_TRUE(Contains(
      run.out, "created with QXCreateInstance; EnumerateProducts returned S_OK (0x00000000)"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "the system knows no supported camera")) << run.out;
  EXPECT_TRUE(Contains(run.out, "released; QXFreeUnusedLibraries called")) << run.out;
  EXPECT_TRUE(Contains(run.out, "1 plug-in, 0 products")) << run.out;

  run = RunPidtool({"show", kPluginClsid});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "Friendly name  RM7731 Identification Plugin\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, std::string("Key            HKEY_LOCAL_MACHINE\\") +
                                    ComponentKey(kPluginClsid) + "\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "\\Rm7731.pid\n")) << "File holds the module's full path\n"
                                                   << run.out;
  EXPECT_TRUE(Contains(run.out, "RefCount       (none")) << run.out;

  run = RunPidtool({"unregister", "Rm7731.pid"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "DllUnregisterServer returned S_OK (0x00000000)")) << run.out;
  EXPECT_FALSE(KeyExists(kVendorKey)) << "the registry is not clean after unregistering";

  run = RunPidtool({"list"});
  EXPECT_EQ(run.exitCode, 1u) << run.out;
  EXPECT_TRUE(Contains(run.err, "QXEnumComponents returned QXIR_KEY_NOT_FOUND (5)")) << run.err;
}

// pidtool and the module installed together in a folder named in any script, run as a script
// runs them, with the module's full path: the full registration records, shows and loads the
// true path, the counted one (a bare name) is found beside the host in that folder, doctor
// finds nothing wrong, and unregistering leaves nothing. Text output shows the path as the
// ANSI code page can, --json exactly.
// compat F23
TEST_F(PidtoolInTheRealRegistry, RunsTheMainJobFromAFolderNamedInAnyScript) {
  ASSERT_EQ(GetACP(), kTestAnsiCodePage) << "the rows are outside the code page only in 1252";
  ScratchFolder scratch;
  for (const ScriptName& row : kScriptNames) {
    SCOPED_TRACE(row.label);
    const std::wstring folder = std::wstring(row.name) + L"\\";
    const std::wstring tool =
        scratch.CopyFileIn(WideText(BesideThisProgram("pidtool.exe")), folder + L"pidtool.exe");
    const std::wstring module =
        scratch.CopyFileIn(WideText(BesideThisProgram("Rm7731.pid")), folder + L"Rm7731.pid");
    const std::string file = Utf8Text(module);

    ToolRun run = RunPidtool({"register", "--json", file}, tool);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out).at("module"), file) << run.out;
    EXPECT_EQ(
        RegistrySandbox::ReadWideString(HKEY_LOCAL_MACHINE, ComponentKey(kPluginClsid), L"File"),
        module);
    run = RunPidtool({"show", kPluginClsid}, tool);
    EXPECT_TRUE(Contains(run.out, "File           " + Shown(module) + "\n")) << run.out;
    run = RunPidtool({"show", "--json", kPluginClsid}, tool);
    EXPECT_EQ(nlohmann::json::parse(run.out).at("file").at("data"), file) << run.out;
    for (const char* form : {"full path", "bare name"}) {
      SCOPED_TRACE(form);
      run = RunPidtool({"products"}, tool);
      EXPECT_EQ(run.exitCode, 0u) << run.err;
      EXPECT_TRUE(Contains(run.out, "created with QXCreateInstance")) << run.out;
      run = RunPidtool({"doctor", "--load"}, tool);
      EXPECT_EQ(run.exitCode, 0u) << run.out;
      EXPECT_TRUE(Contains(run.out, "0 errors, 0 warnings, ")) << run.out;
      // The counted form's "File", which the host's folder resolves.
      WriteString(ComponentKey(kPluginClsid), "File", "Rm7731.pid");
    }
    EXPECT_TRUE(Contains(run.out, "note [bare-file]")) << run.out;

    // A name the module takes in the ANSI code page is refused, never passed on with '?'.
    const bool inCodePage = Shown(row.name).find('?') == std::string::npos;
    run = RunPidtool({"id", kPluginClsid, Utf8Text(row.name)}, tool);
    EXPECT_EQ(run.exitCode, inCodePage ? 0u : 2u) << run.err;

    run = RunPidtool({"unregister", file}, tool);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_FALSE(KeyExists(kVendorKey));

    const std::wstring missing = WideText(scratch.path()) + L"\\" + folder + L"missing.pid";
    run = RunPidtool({"register", "--json", Utf8Text(missing)}, tool);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Contains(nlohmann::json::parse(run.out).at("error").get<std::string>(),
                         "cannot load '" + Utf8Text(missing) + "': there is no such file"))
        << run.out;
  }
}

// HKEY_LOCAL_MACHINE refuses a user who is not elevated, as this key refuses every writer: the
// failure says to run elevated.
TEST_F(PidtoolInTheRealRegistry, ARegistrationRefusedWritingSaysToRunElevated) {
  RegisterByHand(kPluginClsid, "RM7731 Identification Plugin", BesideThisProgram("Rm7731.pid"));
  for (const std::string& key : {ComponentKey(kPluginClsid), CategoryEntryKey(kPluginClsid)})
    RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, key, kReadOnly);
  for (const char* command : {"register", "unregister"}) {
    const ToolRun run = RunPidtool({command, "Rm7731.pid"});
    EXPECT_EQ(run.exitCode, 1u) << command;
    EXPECT_EQ(LineCount(run.err), 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "failed with E_ACCESSDENIED (0x80070005)")) << run.err;
    EXPECT_TRUE(Contains(run.err,
                         "write HKEY_LOCAL_MACHINE: run pidtool from an elevated "
                         "command prompt (Run as administrator)"))
        << run.err;
  }
  for (const std::string& key : {ComponentKey(kPluginClsid), CategoryEntryKey(kPluginClsid)})
    RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, key);
}

TEST_F(PidtoolInTheRealRegistry, PrintsTheMainJobAsJson) {
  Register();
  ToolRun run = RunPidtool({"list", "--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "\"category\": \"CATEGORY_ProductIdentification\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, std::string("\"clsid\": \"") + kPluginClsid + "\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"friendlyName\": \"RM7731 Identification Plugin\"")) << run.out;

  run = RunPidtool({"products", "--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "\"created\": true")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"enumerateProducts\": \"S_OK (0x00000000)\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"products\": []")) << run.out;

  run = RunPidtool({"show", "--json", kPluginClsid});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "\"refCount\": null")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"name\": \"File\",\n    \"type\": \"REG_SZ\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\\\\Rm7731.pid\"")) << "the path's backslashes are escaped\n"
                                                     << run.out;
}

TEST_F(PidtoolInTheRealRegistry, ShowsRefCountPropertiesAndSubKeys) {
  Register();
  WriteDword(ComponentKey(kPluginClsid), "RefCount", 2);
  WriteDword(ComponentKey(kPluginClsid), "Exposure", 250);
  ToolRun run = RunPidtool({"id", kPluginClsid, "camera 1"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;

  run = RunPidtool({"show", kPluginClsid});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out, "RefCount       2 (0x00000002)\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Other values   Exposure (REG_DWORD) = 250 (0x000000FA)\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "Sub-keys       Object ID Map\n")) << run.out;
}

TEST_F(PidtoolInTheRealRegistry, GivesAnObjectNameOneIdentifierAndFindsTheNameAgain) {
  Register();
  ToolRun first = RunPidtool({"id", "--json", kPluginClsid, "camera 1"});
  ASSERT_EQ(first.exitCode, 0u) << first.err;
  const std::string::size_type at = first.out.find("\"objectId\": \"");
  ASSERT_NE(at, std::string::npos) << first.out;
  const std::string objectId = first.out.substr(at + 13, 38);

  ToolRun again = RunPidtool({"id", kPluginClsid, "camera 1"});
  EXPECT_EQ(again.exitCode, 0u) << again.err;
  EXPECT_EQ(again.out,
            std::string("Object 'camera 1' of ") + kPluginClsid + ": " + objectId + "\n");

  ToolRun name = RunPidtool({"name", kPluginClsid, objectId});
  EXPECT_EQ(name.exitCode, 0u) << name.err;
  EXPECT_EQ(name.out, std::string("Object 'camera 1' of ") + kPluginClsid + ": " + objectId + "\n");

  ToolRun unknown = RunPidtool({"name", kPluginClsid, "{00000000-0000-0000-0000-0000000000AB}"});
  EXPECT_EQ(unknown.exitCode, 1u);
  EXPECT_EQ(LineCount(unknown.err), 1) << unknown.err;
  EXPECT_TRUE(Contains(unknown.err, "QXGetObjectKey returned QXIR_REGISTRY_ERROR (13)"))
      << unknown.err;
}

TEST_F(PidtoolInTheRealRegistry, RefusesAnUnregisteredClsidAndWritesNothingForIt) {
  ToolRun run = RunPidtool({"show", kBrokenClsid});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_TRUE(
      Contains(run.err, std::string(kBrokenClsid) +
                            " is not a registered component: QXGetComponentFriendlyName returned "
                            "QXIR_KEY_NOT_FOUND (5)"))
      << run.err;

  run = RunPidtool({"id", kBrokenClsid, "camera 1"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "QXIR_KEY_NOT_FOUND (5); no identifier was assigned")) << run.err;
  EXPECT_FALSE(KeyExists(ComponentKey(kBrokenClsid)));
  EXPECT_FALSE(KeyExists(kVendorKey));
}

TEST_F(PidtoolInTheRealRegistry, ReportsAMissingCategory) {
  for (std::vector<std::string> words :
       {std::vector<std::string>{"list", "CATEGORY_pidtool_tests_None"},
        std::vector<std::string>{"products"}}) {
    const ToolRun run = RunPidtool(words);
    EXPECT_EQ(run.exitCode, 1u) << words[0];
    EXPECT_EQ(run.out, "") << words[0];
    EXPECT_EQ(LineCount(run.err), 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "QXEnumComponents returned QXIR_KEY_NOT_FOUND (5)")) << run.err;
  }
}

TEST_F(PidtoolInTheRealRegistry, ReportsAPluginThatCannotBeCreatedAndGoesOnWithTheOthers) {
  Register();
  RegisterByHand(kBrokenClsid, "Broken plug-in", "Z:\\pidtool_tests\\no_such_module.pid");

  const ToolRun run = RunPidtool({"products"});
  EXPECT_EQ(run.exitCode, 1u) << run.out;
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_TRUE(Contains(run.err, std::string("creating ") + kBrokenClsid +
                                    " for IProductIdentification failed: QXCreateInstance returned "
                                    "QXIR_LOADLIBRARY_FAILED (1)"))
      << run.err;
  EXPECT_TRUE(Contains(run.out, std::string(kBrokenClsid) + "  Broken plug-in\n  not created\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "the system knows no supported camera"))
      << "the real plug-in still ran\n"
      << run.out;
  EXPECT_TRUE(Contains(run.out, "2 plug-ins, 0 products")) << run.out;
}

TEST_F(PidtoolInTheRealRegistry, PrintsEveryRecordAPluginReportsDecoded) {
  RegisterByHand(kCamerasClsid, "Camera fixture", BesideThisProgram("pidtool_fixture_cameras.dll"));

  ToolRun run = RunPidtool({"products"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string expected =
      std::string(kCamerasClsid) +
      "  Camera fixture\n"
      "  created with QXCreateInstance; EnumerateProducts returned S_OK (0x00000000)\n"
      "  product 1 of 2\n"
      "    product code  070103020000008A\n"
      "    kind          1 (0x00010000)\n"
      "    active        yes (driver loaded)\n"
      "    product name  RM7731 \"Field\" Camera\n"
      "    driver        6.1.7601\n"
      "    languages     en-US de-DE (mask 0x00000081)\n"
      "  product 2 of 2\n"
      "    product code  070103020000011C\n"
      "    kind          2 (0x00010001)\n"
      "    active        no (driver not loaded)\n"
      "    product name  (none)\n"
      "    driver        0.0.0\n"
      "    languages     en-US (mask 0x00000001)\n"
      "  released; QXFreeUnusedLibraries called\n"
      "1 plug-in, 2 products\n";
  EXPECT_EQ(run.out, expected);

  run = RunPidtool({"products", "--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_TRUE(Contains(run.out,
                       "\"productCode\": \"070103020000008A\",\n"
                       "          \"kind\": 1,\n"
                       "          \"productKind\": 65536,\n"
                       "          \"active\": true,\n"
                       "          \"productName\": \"RM7731 \\\"Field\\\" Camera\",\n"
                       "          \"driverVersion\": \"6.1.7601\",\n"
                       "          \"languages\": [\n"
                       "            \"en-US\",\n"
                       "            \"de-DE\"\n"
                       "          ],\n"
                       "          \"languageMask\": 129\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "\"productCode\": \"070103020000011C\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"productName\": \"\",")) << run.out;
}

}  // namespace
}  // namespace rmtest
