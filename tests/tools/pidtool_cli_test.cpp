// pidtool run as a user runs it: help, bad arguments, and the registration commands on
// fixture modules that touch only their own key under HKEY_CURRENT_USER.
#include <windows.h>

#include <gtest/gtest.h>

#include "tools/tool_runner.h"

namespace rmtest {
namespace {

const char kFixtureRoot[] = "Software\\pidtool_tests";

bool FixtureMarkerExists(const char* fixture) {
  HKEY key = nullptr;
  const std::string path = std::string(kFixtureRoot) + "\\" + fixture;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
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
    EXPECT_NE(run.out.find(std::string("\n  ") + command + " "), std::string::npos) << command << "\n" << run.out;
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
  EXPECT_NE(run.out.find("pidtool_fixture_registers.dll': DllRegisterServer returned S_OK (0x00000000)"),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(FixtureMarkerExists("registers"));

  run = RunPidtool({"unregister", "pidtool_fixture_registers.dll"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("DllUnregisterServer returned S_OK (0x00000000)"), std::string::npos) << run.out;
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
      << "the path's backslashes are escaped\n" << run.out;
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

}  // namespace
}  // namespace rmtest
