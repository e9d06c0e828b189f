// pidtool doctor against the test prefix's real registry, built with each fault it reports,
// and against a clean one. The cases own SOFTWARE\Varnel in both roots while they run (the
// suite holds the "real_hklm" lock) and remove it before and after each case.
#include <windows.h>
#include <dbghelp.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/tool_runner.h"

namespace rmtest {
namespace {

const char kVendorKey[] = "SOFTWARE\\Varnel";
const std::string kRoot = "SOFTWARE\\Varnel\\Component Installed\\";
const char kPluginClsid[] = "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const std::string kMoved = "{D0C70000-0000-4000-8000-000000000001}";
const std::string kOtherWidth = "{D0C70000-0000-4000-8000-000000000002}";
const std::string kBare = "{D0C70000-0000-4000-8000-000000000003}";
const std::string kBareMissing = "{D0C70000-0000-4000-8000-000000000004}";
const std::string kWrongClass = "{D0C70000-0000-4000-8000-000000000005}";
const std::string kNoFile = "{D0C70000-0000-4000-8000-000000000006}";
const std::string kProgram = "{D0C70000-0000-4000-8000-000000000007}";
const std::string kText = "{D0C70000-0000-4000-8000-000000000008}";
const std::string kRelative = "{D0C70000-0000-4000-8000-00000000000B}";
const std::string kUninstalled = "{D0C70000-0000-4000-8000-000000000009}";
const std::string kUserOnly = "{D0C70000-0000-4000-8000-00000000000A}";
const std::string kCrashing = "{D0C70000-0000-4000-8000-000000000010}";
const std::string kNoAddressTable = "{D0C70000-0000-4000-8000-000000000011}";
const std::string kClassObjectInData = "{D0C70000-0000-4000-8000-000000000012}";
const std::string kUnterminated = "{D0C70000-0000-4000-8000-000000000013}";
const std::string kOtherViewOnly = "{D0C70000-0000-4000-8000-000000000014}";
const std::string kMissingImport = "{D0C70000-0000-4000-8000-000000000015}";
// Where registry virtualization writes what a 32-bit program that is not elevated writes under
// HKEY_LOCAL_MACHINE\SOFTWARE\Varnel: on 64-bit Windows (the prefixes of both trees here) below
// WOW6432Node, on 32-bit Windows not. The store is shared by both widths: it is named without
// redirection (KEY_WOW64_64KEY), which Wine would apply to a 32-bit program's "WOW6432Node".
const char kVirtualStoreParent[] = "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE";
std::string VirtualStoreName() {
  BOOL wow64 = FALSE;
  const bool system64 =
      sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
  return system64 ? "WOW6432Node\\Varnel" : "Varnel";
}
// The machine tree of the other width (on a system with one view, the flag changes nothing).
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
// Object identifiers: X is shared by two names, Y by none, Z is the per-user one of "a".
const std::string kIdX = "{11111111-2222-3333-4444-555555555555}";
const std::string kIdY = "{66666666-7777-8888-9999-AAAAAAAAAAAA}";
const std::string kIdZ = "{BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF}";

void Write(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
           DWORD size, REGSAM view = 0) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr),
      ERROR_SUCCESS)
      << path;
  if (name != nullptr) {
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  RegCloseKey(key);
}
void WriteText(HKEY root, const std::string& path, const char* name, const std::string& text) {
  Write(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}
void WriteId(HKEY root, const std::string& path, const char* name, const std::string& id,
             REGSAM view = 0) {
  GUID guid{};
  std::wstring wide(id.begin(), id.end());
  ASSERT_EQ(CLSIDFromString(&wide[0], &guid), NOERROR);
  Write(root, path, name, REG_BINARY, &guid, sizeof guid, view);
}
// A REG_SZ stored without a terminator. RegSetValueExW stores the bytes it is given (64-bit
// Wine's RegSetValueExA would add a NUL); a non-NUL character follows them all the same.
void WriteUnterminated(HKEY root, const std::string& path, const char* name,
                       const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  const std::wstring wideName(name, name + std::strlen(name));
  const std::wstring data = std::wstring(text.begin(), text.end()) + L'X';
  const auto size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  EXPECT_EQ(RegSetValueExW(key, wideName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()), size),
            ERROR_SUCCESS);
  DWORD stored = 0;
  EXPECT_EQ(RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr, nullptr, &stored),
            ERROR_SUCCESS);
  EXPECT_EQ(stored, size) << "the value was stored with a terminator";
  RegCloseKey(key);
}

std::string BesideThisProgram(const char* file) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, length);
  return program.substr(0, program.rfind('\\') + 1) + file;
}

// A copy of the built module in the temporary folder whose export table is damaged: the
// address table gone, or DllGetClassObject's address moved into the data section.
class DamagedModule {
 public:
  enum class Damage { NoAddressTable, ClassObjectInData };

  DamagedModule(const char* name, Damage damage) {
    std::ifstream in(BesideThisProgram("Rm7731.pid"), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    void* base = bytes.data();
    IMAGE_NT_HEADERS* nt = ImageNtHeader(base);
    ULONG size = 0;
    auto* exports = static_cast<IMAGE_EXPORT_DIRECTORY*>(
        ImageDirectoryEntryToData(base, FALSE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size));
    EXPECT_TRUE(nt != nullptr && exports != nullptr);
    if (nt == nullptr || exports == nullptr) return;
    const auto at = [&](DWORD rva) {
      return static_cast<char*>(ImageRvaToVa(nt, base, rva, nullptr));
    };
    const auto* names = reinterpret_cast<const DWORD*>(at(exports->AddressOfNames));
    const auto* ordinals = reinterpret_cast<const WORD*>(at(exports->AddressOfNameOrdinals));
    auto* functions = reinterpret_cast<DWORD*>(at(exports->AddressOfFunctions));
    DWORD data = 0;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
      if (std::strncmp(reinterpret_cast<const char*>(section->Name), ".data", 8) == 0)
        data = section->VirtualAddress;
    }
    EXPECT_NE(data, 0u);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
      if (damage == Damage::ClassObjectInData &&
          std::strcmp(at(names[i]), "DllGetClassObject") == 0)
        functions[ordinals[i]] = data;
    }
    if (damage == Damage::NoAddressTable) exports->AddressOfFunctions = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    path_ = std::string(folder) + name;
    std::ofstream(path_, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~DamagedModule() { DeleteFileA(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Expected {
  const char* severity;
  const char* code;
  std::string key;  // below the component root; empty for the root itself
  HKEY root = HKEY_LOCAL_MACHINE;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The line of a finding: "severity [code] KEY: ...".
bool HasFinding(const std::string& out, const Expected& expected) {
  const std::string line =
      std::string(expected.severity) + " [" + expected.code + "] " +
      (expected.root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
      (expected.key.empty() ? kRoot.substr(0, kRoot.size() - 1) : kRoot + expected.key) + ": ";
  return out.rfind(line, 0) == 0 || out.find("\n" + line) != std::string::npos;
}

// Whether a line of the finding holds `text`.
bool FindingSays(const std::string& out, const Expected& expected, const std::string& text) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (HasFinding(line, expected) && line.find(text) != std::string::npos) return true;
  }
  return false;
}

class PidtoolDoctor : public ::testing::Test {
 protected:
  void SetUp() override { RemoveEverything(); }
  void TearDown() override { RemoveEverything(); }
  static void RemoveEverything() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kVendorKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | kOtherView, &software) ==
        ERROR_SUCCESS) {
      RegDeleteTreeA(software, "Varnel");
      RegCloseKey(software);
    }
    HKEY store = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kVirtualStoreParent, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      &store) == ERROR_SUCCESS) {
      RegDeleteTreeA(store, VirtualStoreName().c_str());
      RegCloseKey(store);
    }
  }

  static void Component(const std::string& clsid, const char* name, const std::string& file) {
    if (name != nullptr) WriteText(HKEY_LOCAL_MACHINE, kRoot + clsid, "", name);
    WriteText(HKEY_LOCAL_MACHINE, kRoot + clsid, "File", file);
  }

  // One registry with every fault doctor knows.
  static void BuildFaultyRegistry() {
    const HKEY machine = HKEY_LOCAL_MACHINE, user = HKEY_CURRENT_USER;
    const DWORD zero = 0;
    Component(kMoved, "Moved", "C:\\nowhere\\moved.dll");
    Write(machine, kRoot + kMoved, "RefCount", REG_DWORD, &zero, sizeof zero);
    Component(kOtherWidth, "Other width", BesideThisProgram("pidtool_fixture_other_width.dll"));
    Component(kBare, "Bare", "pidtool_fixture_plain.dll");
    Component(kBareMissing, "Bare missing", "not_beside_the_host.dll");
    WriteText(machine, kRoot + kBareMissing, "RefCount", "1");
    WriteText(machine, kRoot + kNoFile, "", "No file");
    Component(kProgram, "Program", BesideThisProgram("pidtool.exe"));
    Component(kText, "Text", "C:\\windows\\win.ini");
    Component(kRelative, "Relative", "modules\\relative.dll");
    Component(kWrongClass, nullptr, BesideThisProgram("Rm7731.pid"));
    const std::string map = kRoot + kWrongClass + "\\Object ID Map";
    WriteId(machine, map, "a", kIdX);
    WriteId(machine, map, "b", kIdX);
    Write(machine, map, "c", REG_BINARY, "12345678", 8);
    Write(machine, kRoot + kWrongClass + "\\Object\\" + kIdX + "\\Default Settings", nullptr, 0,
          nullptr, 0);
    Write(machine, kRoot + kWrongClass + "\\Object\\" + kIdY, nullptr, 0, nullptr, 0);
    WriteId(user, map, "a", kIdZ);
    Write(user, kRoot + kWrongClass + "\\Object\\" + kIdZ, nullptr, 0, nullptr, 0);
    WriteText(machine, kRoot + "Category\\CATEGORY_Doctor\\" + kMoved, "", "Moved");
    WriteText(machine, kRoot + "Category\\CATEGORY_Doctor\\" + kOtherWidth, "", "Old name");
    WriteText(machine, kRoot + "Category\\CATEGORY_Doctor\\" + kUninstalled, "", "Uninstalled");
    Write(machine, kRoot + "Category\\CATEGORY_Empty", nullptr, 0, nullptr, 0);
    WriteText(machine, kRoot, "Leftover", "x");
    Write(machine, kRoot + "Junk", nullptr, 0, nullptr, 0);
    Write(user, kRoot + "Category", nullptr, 0, nullptr, 0);
    Write(user, kRoot + kUserOnly + "\\Object ID Map", nullptr, 0, nullptr, 0);
  }
};

TEST_F(PidtoolDoctor, FindsNothingWrongWithAModuleRegisteredAndUsedAsItShouldBe) {
  const std::string clean = "0 errors, 0 warnings, 0 notes in 1 component and 1 category (" +
                            std::to_string(sizeof(void*) * 8) + "-bit registry view)\n";
  ASSERT_EQ(RunPidtool({"register", "Rm7731.pid"}).exitCode, 0u);
  ASSERT_EQ(RunPidtool({"id", kPluginClsid, "camera 1"}).exitCode, 0u);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"doctor"}, std::vector<std::string>{"doctor", "--load"}}) {
    const ToolRun run = RunPidtool(arguments);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, clean);
  }
  EXPECT_EQ(RunPidtool({"doctor", "--json"}).out, "[]\n");
}

TEST_F(PidtoolDoctor, ReportsEveryFaultWithItsSeverityAndExitsWithOne) {
  BuildFaultyRegistry();
  const std::vector<Expected> expected = {
      {"error", "file-missing", kMoved},
      {"warning", "refcount-zero", kMoved},
      {"error", "wrong-width", kOtherWidth},
      {"note", "bare-file", kBare},
      {"error", "no-dllgetclassobject", kBare},
      {"warning", "no-dllcanunloadnow", kBare},
      {"error", "bare-file-missing", kBareMissing},
      {"warning", "refcount-type", kBareMissing},
      {"error", "no-file", kNoFile},
      {"error", "not-a-dll", kProgram},
      {"error", "not-a-module", kText},
      {"warning", "relative-file", kRelative},
      {"warning", "no-friendly-name", kWrongClass},
      {"warning", "object-id-shared", kWrongClass + "\\Object ID Map"},
      {"warning", "object-id-type", kWrongClass + "\\Object ID Map"},
      {"warning", "object-orphan", kWrongClass + "\\Object\\" + kIdY},
      {"note", "object-id-differs", kWrongClass + "\\Object ID Map", HKEY_CURRENT_USER},
      {"error", "category-orphan", "Category\\CATEGORY_Doctor\\" + kUninstalled},
      {"warning", "category-name-mismatch", "Category\\CATEGORY_Doctor\\" + kOtherWidth},
      {"warning", "category-empty", "Category\\CATEGORY_Empty"},
      {"warning", "stray-value", ""},  // "Leftover" in the component root itself
      {"warning", "stray-key", "Junk"},
      {"warning", "stray-key", "Category", HKEY_CURRENT_USER},
      {"note", "user-component-unregistered", kUserOnly, HKEY_CURRENT_USER},
  };
  ToolRun run = RunPidtool({"doctor"});
  EXPECT_EQ(run.exitCode, 1u) << run.err;
  for (const Expected& finding : expected)
    EXPECT_TRUE(HasFinding(run.out, finding)) << finding.code << "\n" << run.out;
  EXPECT_EQ(LineCount(run.out), static_cast<int>(expected.size()) + 1) << run.out;
  EXPECT_NE(run.out.find("\n8 errors, 13 warnings, 3 notes in 9 components and 2 categories ("),
            std::string::npos);
  EXPECT_NE(run.out.find("'not_beside_the_host.dll', which QXCreateInstance looks for beside"),
            std::string::npos);

  // Loading runs only with --load: the module that has no class object for the CLSID.
  run = RunPidtool({"doctor", "--load"});
  EXPECT_TRUE(HasFinding(run.out, {"error", "class-object-refused", kWrongClass})) << run.out;
  EXPECT_EQ(LineCount(run.out), static_cast<int>(expected.size()) + 2);

  // A host in another folder does not find the bare name.
  run = RunPidtool({"doctor", "--host-dir", "C:\\windows"});
  EXPECT_TRUE(HasFinding(run.out, {"error", "bare-file-missing", kBare})) << run.out;

  run = RunPidtool({"doctor", "--json"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(
      run.out.find("    \"severity\": \"error\",\n    \"code\": \"wrong-width\",\n    \"key\": "
                   "\"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Varnel\\\\Component Installed\\\\" +
                   kOtherWidth +
                   "\",\n"
                   "    \"problem\": \"the module '"),
      std::string::npos)
      << run.out;
}

// Names anyone can write, and modules that crash or whose export table is damaged: doctor
// offers no command with such a name in it, and reports each module and goes on.
TEST_F(PidtoolDoctor, TurnsHostileNamesAndModulesIntoFindingsAndGoesOn) {
  const HKEY machine = HKEY_LOCAL_MACHINE, user = HKEY_CURRENT_USER;
  const std::string injected = "x\" & echo INJECTED & \"";
  const std::string forged = "a\nnote [forged] K: x. Fix: nothing.";
  const DamagedModule noAddressTable("pidtool_doctor_no_address_table.dll",
                                     DamagedModule::Damage::NoAddressTable);
  const DamagedModule inData("pidtool_doctor_class_object_in_data.dll",
                             DamagedModule::Damage::ClassObjectInData);
  Component(kCrashing, "Crashing", BesideThisProgram("pidtool_fixture_crashing.dll"));
  Write(user, kRoot + kCrashing + "\\Object ID Map", injected.c_str(), REG_SZ, "x", 2);
  Component(kNoAddressTable, "No address table", noAddressTable.path());
  Component(kClassObjectInData, "Class object in data", inData.path());
  Component(kMissingImport, "Missing import",
            BesideThisProgram("pidtool_fixture_indirect_import.dll"));
  WriteUnterminated(machine, kRoot + kUnterminated, "", "Unterminated");
  WriteUnterminated(machine, kRoot + kUnterminated, "File", BesideThisProgram("Rm7731.pid"));
  Write(user, kRoot + injected, nullptr, 0, nullptr, 0);
  Write(user, kRoot + forged, nullptr, 0, nullptr, 0);
  Write(machine, kRoot + "%PATH%", nullptr, 0, nullptr, 0);
  WriteText(machine, kRoot, "trail\\", "x");
  // Per-user settings of a component of the other width, and of one registered nowhere.
  Write(machine, kRoot + kOtherViewOnly, "", REG_SZ, "Other view", 11, kOtherView);
  WriteId(machine, kRoot + kOtherViewOnly + "\\Object ID Map", "camera", kIdX, kOtherView);
  Write(user, kRoot + kOtherViewOnly + "\\Object\\" + kIdX + "\\User Settings", nullptr, 0, nullptr,
        0);
  Write(user, kRoot + kUserOnly + "\\Object\\" + kIdY, nullptr, 0, nullptr, 0);

  // What each finding's line must say instead of, or as, its command.
  const std::string byHand = "in regedit, delete the ";
  const std::string userRoot = "HKEY_CURRENT_USER\\" + kRoot;
  const std::string userMap = kCrashing + "\\Object ID Map";
  const std::string noCommand = " (no command is given";
  const std::string badAddress =
      "gives DllGetClassObject an address outside every executable section";
  const std::string unterminated = " is stored without a terminating NUL";
  const struct {
    Expected finding;
    std::string says;
  } cases[] = {
      {{"warning", "stray-key", injected, user},
       byHand + "key '" + injected + "' in " + userRoot.substr(0, userRoot.size() - 1) + noCommand},
      {{"warning", "object-id-type", userMap, user},
       byHand + "value '" + injected + "' in " + userRoot + userMap},
      {{"warning", "stray-key", "a<0x0A>note [forged] K: x. Fix: nothing.", user},
       byHand + "key 'a<0x0A>note"},
      {{"warning", "stray-key", "%PATH%"}, byHand + "key '%PATH%' in HKEY_LOCAL_MACHINE\\"},
      {{"warning", "stray-value", ""},
       "reg delete \"HKLM\\" + kRoot.substr(0, kRoot.size() - 1) + "\" /v \"trail\\\\\" /f /reg:"},
      {{"warning", "unterminated-text", kUnterminated},
       "the friendly name (default value)" + unterminated},
      {{"warning", "unterminated-text", kUnterminated}, "\"File\"" + unterminated},
      {{"error", "not-a-module", kNoAddressTable}, badAddress},
      {{"error", "not-a-module", kClassObjectInData}, badAddress},
      {{"error", "load-crashed", kCrashing},
       "ended in DllGetClassObject with status 0xC0000005, an access violation"},
      {{"error", "load-failed", kMissingImport},
       "pidtool_fixture_indirect_import.dll' cannot be loaded: it imports "
       "'pidtool_fixture_missing_import.dll', which imports 'pidtool_absent_dependency.dll', which "
       "is not beside pidtool"},
      {{"error", "class-object-refused", kUnterminated},
       "has no class object for " + kUnterminated},
      {{"warning", "object-orphan", kUserOnly + "\\Object\\" + kIdY, user}, "reg delete \"HKCU\\"},
      {{"note", "user-component-unregistered", kUserOnly, user}, "registered in no registry view"},
  };
  const ToolRun run = RunPidtool({"doctor", "--load"});
  EXPECT_EQ(run.exitCode, 1u) << run.err;
  for (const auto& one : cases) {
    EXPECT_TRUE(FindingSays(run.out, one.finding, one.says))
        << one.finding.code << ": " << one.says << "\n"
        << run.out;
  }
  EXPECT_EQ(run.out.find(userRoot + kOtherViewOnly), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\nnote [forged]"), std::string::npos);
  EXPECT_NE(run.out.find(" components and 0 categories ("), std::string::npos) << run.out;

  const std::string json = RunPidtool({"doctor", "--json"}).out;
  const std::string jsonRoot = "HKEY_CURRENT_USER\\\\SOFTWARE\\\\Varnel\\\\Component Installed";
  EXPECT_NE(json.find("\"key\": \"" + jsonRoot + "\\\\a\\nnote [forged]"), std::string::npos)
      << json;
  EXPECT_NE(json.find("remove it: in regedit, delete the key 'x\\\" & echo INJECTED & \\\"' in " +
                      jsonRoot + noCommand),
            std::string::npos)
      << json;
  for (const std::string& out : {run.out, json}) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      if (line.find("INJECTED") != std::string::npos || line.find("%PATH%") != std::string::npos) {
        EXPECT_EQ(line.find("reg delete"), std::string::npos) << line;
      }
    }
  }
}

// `pidtool register` run by a user who is not elevated, had the tool no manifest: Windows would
// write the registration into the user's VirtualStore, where no host looks.
TEST_F(PidtoolDoctor, NamesARegistrationThatVirtualizationHidInTheVirtualStore) {
  const std::string key = std::string(kVirtualStoreParent) + "\\" + VirtualStoreName() +
                          "\\Component Installed\\" + kPluginClsid;
  const std::string file = BesideThisProgram("Rm7731.pid");
  Write(HKEY_CURRENT_USER, key, "File", REG_SZ, file.c_str(), static_cast<DWORD>(file.size() + 1),
        KEY_WOW64_64KEY);
  const ToolRun run = RunPidtool({"doctor"});
  EXPECT_EQ(run.exitCode, 1u) << run.out;
  EXPECT_EQ(LineCount(run.out), 2) << run.out;
  EXPECT_TRUE(Contains(run.out, "error [virtualized-registration] HKEY_CURRENT_USER\\" + key +
                                    ": a registration of " + kPluginClsid))
      << run.out;
  EXPECT_TRUE(Contains(run.out,
                       "from an elevated command prompt (Run as administrator), then "
                       "remove this copy: reg delete \"HKCU\\" +
                           key + "\" /f.\n"))
      << run.out;
}

TEST_F(PidtoolDoctor, RefusesUnknownOptionsWithStatusTwo) {
  EXPECT_EQ(RunPidtool({"doctor", "--host-dir"}).exitCode, 2u);
  EXPECT_EQ(RunPidtool({"doctor", "extra"}).exitCode, 2u);
  EXPECT_EQ(RunPidtool({"list", "--load"}).exitCode, 2u);
}

}  // namespace
}  // namespace rmtest
