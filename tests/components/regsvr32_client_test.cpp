// The platform's registration tool as the real client of DllRegisterServer and
// DllUnregisterServer. regsvr32 runs in a process of its own, so no redirection reaches it:
// this test works on the test prefix's real HKEY_LOCAL_MACHINE, and it alone may touch
// "SOFTWARE\Varnel" there. It clears that tree before and after, pass or fail.
#include <gtest/gtest.h>

#include <string>

#include "support/registry_sandbox.h"

namespace {

using rmtest::RegistrySandbox;

const std::string kVarnel = "SOFTWARE\\Varnel";
const std::string kRoot = "SOFTWARE\\Varnel\\Component Installed";
const std::string kPluginKey = kRoot + "\\{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const std::string kCategoryRoot = kRoot + "\\Category";
const std::string kCategoryKey = kCategoryRoot + "\\CATEGORY_ProductIdentification";
const std::string kPluginEntryKey = kCategoryKey + "\\{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
constexpr DWORD kToolTimeoutMs = 60000;

std::string ModulePathBesideThisProgram() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\') + 1) + "Rm7731.pid";
}

// Runs "regsvr32.exe <arguments>" and returns its exit code, or -1 if it did not run or end.
long RunRegsvr32(const std::string& arguments) {
  std::string commandLine = "regsvr32.exe " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "CreateProcess(" << commandLine << ") failed with " << GetLastError();
    return -1;
  }
  long exitCode = -1;
  if (WaitForSingleObject(process.hProcess, kToolTimeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) exitCode = static_cast<long>(code);
  } else {
    ADD_FAILURE() << commandLine << " did not finish";
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

class Regsvr32Client : public ::testing::Test {
 protected:
  void SetUp() override { rmtest::DeleteTreeForcibly(HKEY_LOCAL_MACHINE, kVarnel); }
  void TearDown() override { rmtest::DeleteTreeForcibly(HKEY_LOCAL_MACHINE, kVarnel); }
};

TEST_F(Regsvr32Client, RegistersAndUnregistersThePlugin) {
  ASSERT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel)) << "could not clear";
  const std::string module = ModulePathBesideThisProgram();
  ASSERT_NE(GetFileAttributesA(module.c_str()), INVALID_FILE_ATTRIBUTES) << module;

  ASSERT_EQ(RunRegsvr32("/s \"" + module + "\""), 0);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, nullptr),
            "RM7731 Identification Plugin");
  const std::string file = RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, "File");
  EXPECT_EQ(lstrcmpiA(file.c_str(), module.c_str()), 0) << file << " vs " << module;
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_LOCAL_MACHINE, kPluginKey, "RefCount"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginEntryKey, nullptr),
            "RM7731 Identification Plugin");

  ASSERT_EQ(RunRegsvr32("/u /s \"" + module + "\""), 0);
  for (const std::string& gone :
       {kPluginEntryKey, kCategoryKey, kCategoryRoot, kPluginKey, kRoot, kVarnel}) {
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, gone)) << gone;
  }

  // Nothing left to remove: DllUnregisterServer fails, and the tool reports it.
  EXPECT_NE(RunRegsvr32("/u /s \"" + module + "\""), 0);
}

}  // namespace
