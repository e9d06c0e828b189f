// pidtool doctor against the test prefix's real registry, built with each fault it reports,
// and against a clean one. The cases own SOFTWARE\Varnel in both roots while they run (the
// suite holds the "real_hklm" lock) and remove it before and after each case.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

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
// Object identifiers: X is shared by two names, Y by none, Z is the per-user one of "a".
const std::string kIdX = "{11111111-2222-3333-4444-555555555555}";
const std::string kIdY = "{66666666-7777-8888-9999-AAAAAAAAAAAA}";
const std::string kIdZ = "{BBBBBBBB-CCCC-DDDD-EEEE-FFFFFFFFFFFF}";

void Write(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  if (name != nullptr) {
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  RegCloseKey(key);
}
void WriteText(HKEY root, const std::string& path, const char* name, const std::string& text) {
  Write(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}
void WriteId(HKEY root, const std::string& path, const char* name, const std::string& id) {
  GUID guid{};
  std::wstring wide(id.begin(), id.end());
  ASSERT_EQ(CLSIDFromString(&wide[0], &guid), NOERROR);
  Write(root, path, name, REG_BINARY, &guid, sizeof guid);
}

std::string BesideThisProgram(const char* file) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, length);
  return program.substr(0, program.rfind('\\') + 1) + file;
}

struct Expected {
  const char* severity;
  const char* code;
  std::string key;  // below the component root; empty for the root itself
  HKEY root = HKEY_LOCAL_MACHINE;
};

// The line of a finding: "severity [code] KEY: ...".
bool HasFinding(const std::string& out, const Expected& expected) {
  const std::string line =
      std::string(expected.severity) + " [" + expected.code + "] " +
      (expected.root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") +
      (expected.key.empty() ? kRoot.substr(0, kRoot.size() - 1) : kRoot + expected.key) + ": ";
  return out.rfind(line, 0) == 0 || out.find("\n" + line) != std::string::npos;
}

class PidtoolDoctor : public ::testing::Test {
 protected:
  void SetUp() override { RemoveEverything(); }
  void TearDown() override { RemoveEverything(); }
  static void RemoveEverything() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kVendorKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKey);
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
    Write(machine, kRoot + kWrongClass + "\\Object\\" + kIdX + "\\Default Settings", nullptr, 0, nullptr, 0);
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
  EXPECT_NE(run.out.find("    \"severity\": \"error\",\n    \"code\": \"wrong-width\",\n    \"key\": "
                         "\"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\\\Varnel\\\\Component Installed\\\\" +
                         kOtherWidth +
                         "\",\n"
                         "    \"problem\": \"the module '"),
            std::string::npos)
      << run.out;
}

TEST_F(PidtoolDoctor, RefusesUnknownOptionsWithStatusTwo) {
  EXPECT_EQ(RunPidtool({"doctor", "--host-dir"}).exitCode, 2u);
  EXPECT_EQ(RunPidtool({"doctor", "extra"}).exitCode, 2u);
  EXPECT_EQ(RunPidtool({"list", "--load"}).exitCode, 2u);
}

}  // namespace
}  // namespace rmtest
