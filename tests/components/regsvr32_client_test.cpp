// The platform's registration tool as the real client of DllRegisterServer and
// DllUnregisterServer. regsvr32 runs in a process of its own, so no redirection reaches it:
// this test works on the test prefix's real HKEY_LOCAL_MACHINE, and it alone may touch
// "SOFTWARE\Varnel" there. It clears that tree before and after, pass or fail.
#include <gtest/gtest.h>

#include <string>

#include "support/registry_sandbox.h"
#include "support/scratch_folder.h"
#include "support/script_names.h"

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

std::wstring Widened(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Runs "regsvr32.exe <arguments>" and returns its exit code, or -1 if it did not run or end.
// The command line is wide, as a path typed in any script reaches the tool.
long RunRegsvr32(const std::wstring& arguments) {
  std::wstring commandLine = L"regsvr32.exe " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "CreateProcess(regsvr32.exe) failed with " << GetLastError();
    return -1;
  }
  long exitCode = -1;
  if (WaitForSingleObject(process.hProcess, kToolTimeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) exitCode = static_cast<long>(code);
  } else {
    ADD_FAILURE() << "regsvr32.exe did not finish";
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

  ASSERT_EQ(RunRegsvr32(L"/s \"" + Widened(module) + L"\""), 0);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, nullptr),
            "RM7731 Identification Plugin");
  const std::string file = RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, "File");
  EXPECT_EQ(lstrcmpiA(file.c_str(), module.c_str()), 0) << file << " vs " << module;
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_LOCAL_MACHINE, kPluginKey, "RefCount"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginEntryKey, nullptr),
            "RM7731 Identification Plugin");

  ASSERT_EQ(RunRegsvr32(L"/u /s \"" + Widened(module) + L"\""), 0);
  for (const std::string& gone :
       {kPluginEntryKey, kCategoryKey, kCategoryRoot, kPluginKey, kRoot, kVarnel}) {
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, gone)) << gone;
  }

  // Nothing left to remove: DllUnregisterServer fails, and the tool reports it.
  EXPECT_NE(RunRegsvr32(L"/u /s \"" + Widened(module) + L"\""), 0);
}

// The plug-in copied into a folder named in another script than the ANSI code page's: regsvr32
// records its true path, and unregistering leaves nothing.
// compat F23
TEST_F(Regsvr32Client, RegistersAPluginInAFolderNamedInAnyScript) {
  ASSERT_EQ(GetACP(), rmtest::kTestAnsiCodePage)
      << "the rows are outside the code page only in 1252";
  rmtest::ScratchFolder scratch;
  for (const rmtest::ScriptName& row : rmtest::kScriptNames) {
    SCOPED_TRACE(row.label);
    const std::wstring module = scratch.CopyFileIn(Widened(ModulePathBesideThisProgram()),
                                                   std::wstring(row.name) + L"\\Rm7731.pid");
    ASSERT_EQ(RunRegsvr32(L"/s \"" + module + L"\""), 0);
    EXPECT_EQ(RegistrySandbox::ReadWideString(HKEY_LOCAL_MACHINE, kPluginKey, L"File"), module);

    ASSERT_EQ(RunRegsvr32(L"/u /s \"" + module + L"\""), 0);
    EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
  }
}

}  // namespace
