// pidtool run as a user runs it: help, bad arguments, and the registration commands on
// fixture modules that touch only their own key under HKEY_CURRENT_USER.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "tools/tool_runner.h"

namespace rmtest {
namespace {

const char kFixtureRoot[] = "Software\\pidtool_tests";

bool FixtureMarkerExists(const char* fixture) {
  HKEY key = nullptr;
  const std::string path = std::string(kFixtureRoot) + "\\" + fixture;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

class PidtoolRegistration : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\pidtool_tests\\registers");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\pidtool_tests\\refuses");
    RegDeleteKeyA(HKEY_CURRENT_USER, kFixtureRoot);
  }
};

TEST(PidtoolHelp, ListsEveryCommandAndExitsZero) {
  const ToolRun run = RunPidtool({"--help"});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.err, "");
  for (const char* command : {"register", "unregister", "list", "products", "show", "id", "name"}) {
    EXPECT_NE(run.out.find(std::string("\n  ") + command + " "), std::string::npos)
        << command << "\n"
        << run.out;
  }
  EXPECT_NE(run.out.find("--json"), std::string::npos);
}

TEST(PidtoolHelp, ExplainsEachCommand) {
  for (const char* command : {"register", "unregister", "list", "products", "show", "id", "name"}) {
    const ToolRun run = RunPidtool({command, "--help"});
    EXPECT_EQ(run.exitCode, 0u) << command;
    EXPECT_EQ(run.out.rfind(std::string("Usage: pidtool ") + command, 0), 0u) << run.out;
    EXPECT_EQ(run.err, "") << command;
  }
  EXPECT_NE(RunPidtool({"id", "--help"}).out.find("assigned"), std::string::npos)
      << "id must say that it assigns an identifier to a name that has none";
}

TEST(PidtoolBadArguments, PrintTheUsageAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"--verbose"},
      {"register"},
      {"register", "a.dll", "b.dll"},
      {"unregister"},
      {"list", "a", "b"},
      {"list", "--all"},
      {"products", "extra"},
      {"show"},
      {"show", "not-a-clsid"},
      {"id", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}"},
      {"id", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C41}", "camera"},
      {"name", "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}", "camera"},
  };
  for (const std::vector<std::string>& words : cases) {
    std::string line;
    for (const std::string& word : words) line += word + " ";
    const ToolRun run = RunPidtool(words);
    EXPECT_EQ(run.exitCode, 2u) << line << "\n" << run.err;
    EXPECT_NE(run.err.find("Usage: pidtool"), std::string::npos) << line << "\n" << run.err;
    EXPECT_EQ(run.out, "") << line;
  }
}

TEST_F(PidtoolRegistration, RegistersAndUnregistersAModuleAndNamesTheHresult) {
  ToolRun run = RunPidtool({"register", "pidtool_fixture_registers.dll"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(
      run.out.find("pidtool_fixture_registers.dll': DllRegisterServer returned S_OK (0x00000000)"),
      std::string::npos)
      << run.out;
  EXPECT_TRUE(FixtureMarkerExists("registers"));

  run = RunPidtool({"unregister", "pidtool_fixture_registers.dll"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("DllUnregisterServer returned S_OK (0x00000000)"), std::string::npos)
      << run.out;
  EXPECT_FALSE(FixtureMarkerExists("registers"));
}

TEST_F(PidtoolRegistration, ReportsTheResultAsJson) {
  const ToolRun run = RunPidtool({"register", "--json", "pidtool_fixture_registers.dll"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out.rfind("{\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\"command\": \"register\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"export\": \"DllRegisterServer\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"hresult\": 0,"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\\\\pidtool_fixture_registers.dll\""), std::string::npos)
      << "the path's backslashes are escaped\n"
      << run.out;
}

TEST_F(PidtoolRegistration, TakesBackAFailedRegistrationAndExitsNonZero) {
  const ToolRun run = RunPidtool({"register", "pidtool_fixture_refuses.dll"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("DllRegisterServer of "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("failed with E_ACCESSDENIED (0x80070005)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("DllUnregisterServer"), std::string::npos) << run.err;
  EXPECT_FALSE(FixtureMarkerExists("refuses")) << "the failed registration was left in place";
}

TEST_F(PidtoolRegistration, RefusesAModuleWithoutTheExport) {
  ToolRun run = RunPidtool({"register", "pidtool_fixture_plain.dll"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("has no DllRegisterServer export"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");

  run = RunPidtool({"unregister", "pidtool_fixture_plain.dll"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.err.find("has no DllUnregisterServer export"), std::string::npos) << run.err;
}

TEST_F(PidtoolRegistration, NamesTheLoaderErrorForAFileThatCannotBeLoaded) {
  ToolRun run = RunPidtool({"register", "pidtool_no_such_module.dll"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("cannot load 'pidtool_no_such_module.dll'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ERROR_MOD_NOT_FOUND (126)"), std::string::npos) << run.err;

  run = RunPidtool({"register", "pidtool_cli_tests.exe"});
  EXPECT_EQ(run.exitCode, 1u) << "an executable is no component module";
}

// With --json (before or after the command) a failure is one line on stderr and an error
// object on stdout naming the result to blame, or null when no call's result is.
TEST(PidtoolFailures, AreJsonObjectsOnStdoutAndOneLineOnStderr) {
  struct Case {
    std::vector<std::string> words;
    unsigned long exitCode;
    const char* stderrText;  // found in the one stderr line
    const char* code;        // as the JSON shows it
    const char* name;
  };
  const Case cases[] = {
      {{"--json", "list", "CATEGORY_pidtool_tests_none"},
       1,
       "QXIR_KEY_NOT_FOUND (5)",
       "5",
       "\"QXIR_KEY_NOT_FOUND\""},
      {{"register", "pidtool_fixture_missing_import.dll", "--json"},
       1,
       "it imports 'pidtool_absent_dependency.dll', which is not beside pidtool",
       "126",
       "\"ERROR_MOD_NOT_FOUND\""},
      {{"--json", "register", "pidtool_no_such_module.dll"},
       1,
       "there is no such file (LoadLibraryW failed with ERROR_MOD_NOT_FOUND (126))",
       "126",
       "\"ERROR_MOD_NOT_FOUND\""},
      {{"--json", "register", "pidtool_fixture_plain.dll"},
       1,
       "has no DllRegisterServer export",
       "127",
       "\"ERROR_PROC_NOT_FOUND\""},
      {{"show", "--json", "not-a-clsid"}, 2, "is not a CLSID", "null", "null"},
      {{"--json", "frobnicate"}, 2, "unknown command 'frobnicate'", "null", "null"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    const ToolRun run = RunPidtool(c.words);
    EXPECT_EQ(run.exitCode, c.exitCode) << line << "\n" << run.err;
    EXPECT_NE(run.err.find(c.stderrText), std::string::npos) << line << "\n" << run.err;
    const std::string failureLines = run.err.substr(0, run.err.find("Usage:"));
    EXPECT_EQ(std::count(failureLines.begin(), failureLines.end(), '\n'), 1) << line << "\n"
                                                                             << run.err;
    EXPECT_EQ(run.out.rfind("{\n  \"error\": \"", 0), 0u) << line << "\n" << run.out;
    EXPECT_NE(run.out.find(std::string("\"code\": ") + c.code + ",\n"), std::string::npos)
        << line << "\n"
        << run.out;
    EXPECT_NE(run.out.find(std::string("\"name\": ") + c.name + "\n}"), std::string::npos)
        << line << "\n"
        << run.out;
  }
  // Only a file that exists has a missing import.
  EXPECT_EQ(RunPidtool({"register", "pidtool_no_such_module.dll"}).err.find("imports"),
            std::string::npos);
}

// The four reasons a module file does not load are four different lines, for register and
// unregister alike, and the JSON error object carries the same line and the loader's error.
TEST(PidtoolLoadFailures, SayWhyTheModuleDoesNotLoad) {
  const char kText[] = "pidtool_not_a_module.dll";
  std::FILE* file = std::fopen(kText, "w");
  ASSERT_NE(file, nullptr);
  std::fputs("this is no module\n", file);
  std::fclose(file);
  const std::string otherTool = sizeof(void*) == 8
                                    ? "use the 32-bit pidtool, or regsvr32 from SysWOW64"
                                    : "use the 64-bit pidtool, or regsvr32 from System32";
  const struct {
    const char* file;
    std::string says;
    const char* code;
  } cases[] = {
      {"pidtool_no_such_module.dll", "there is no such file (LoadLibraryW failed with", "126"},
      {kText, "it is no loadable module: no MZ header", "193"},
      {"pidtool_fixture_other_width.dll",
       "a process loads only modules of its own width (LoadLibraryW failed with "
       "ERROR_BAD_EXE_FORMAT (193)); " +
           otherTool,
       "193"},
      {"pidtool_fixture_indirect_import.dll",
       "it imports 'pidtool_fixture_missing_import.dll', which imports "
       "'pidtool_absent_dependency.dll', which is not beside pidtool",
       "126"},
  };
  for (const auto& c : cases) {
    for (const std::string command : {"register", "unregister"}) {
      const std::string prefix = "pidtool " + command + ": ";
      const ToolRun text = RunPidtool({command, c.file});
      EXPECT_EQ(text.exitCode, 1u) << prefix << c.file;
      EXPECT_EQ(LineCount(text.err), 1) << text.err;
      EXPECT_EQ(text.err.rfind(prefix + "cannot load '" + c.file + "': ", 0), 0u) << text.err;
      EXPECT_NE(text.err.find(c.says), std::string::npos) << c.says << "\n" << text.err;
      // The file names hold nothing that JSON escapes.
      const std::string what = text.err.substr(prefix.size(), text.err.find('\n') - prefix.size());
      const ToolRun json = RunPidtool({command, "--json", c.file});
      EXPECT_NE(json.out.find("\"error\": \"" + what + "\",\n  \"code\": " + c.code + ","),
                std::string::npos)
          << what << "\n"
          << json.out;
    }
  }
  std::remove(kText);
}

// --version names the tool's version and the module it loaded, whose version resource carries
// the same number.
TEST(PidtoolVersion, NamesTheToolAndTheLoadedModuleWithOneVersion) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--version"}, {"--json", "--version"}, {"list", "--version"}}) {
    const ToolRun run = RunPidtool(words);
    EXPECT_EQ(run.exitCode, 0u) << words[0] << "\n" << run.err;
    EXPECT_EQ(run.err, "");
  }
  const std::string out = RunPidtool({"--version"}).out;
  ASSERT_EQ(out.rfind("pidtool ", 0), 0u) << out;
  const std::string version = out.substr(8, out.find('\n') - 8);
  EXPECT_NE(out.find("\nRm7731.pid " + version + ".0 ("), std::string::npos) << out;
  EXPECT_NE(out.find("\\Rm7731.pid)\n"), std::string::npos) << out;
  EXPECT_NE(RunPidtool({"--json", "--version"}).out.find("\"version\": \"" + version + ".0\""),
            std::string::npos);
}

// The shipped tool carries an application manifest (resource type 24, id 1) that asks for no
// elevation, so that Windows never moves its writes to HKEY_LOCAL_MACHINE into a user's
// VirtualStore, and declares Windows 7 to 11.
// compat F24
TEST(PidtoolManifest, AsksForNoElevationAndDeclaresWindows7To11) {
  HMODULE tool = LoadLibraryExA("pidtool.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(tool, nullptr) << GetLastError();
  const HRSRC found = FindResourceA(tool, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  const HGLOBAL loaded = found != nullptr ? LoadResource(tool, found) : nullptr;
  const std::string manifest =
      loaded != nullptr
          ? std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(tool, found))
          : std::string();
  FreeLibrary(tool);
  ASSERT_FALSE(manifest.empty()) << "pidtool.exe has no manifest resource";
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
            std::string::npos)
      << manifest;
  for (const char* windows : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",     // 7
                              "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",     // 8
                              "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",     // 8.1
                              "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10 and 11
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + windows + "\"/>"),
              std::string::npos)
        << windows;
  }
}

}  // namespace
}  // namespace rmtest
