// The failure trace as a host sees it: Rm7731.pid loaded afresh with the switch set or not, a
// failing call, and what reached OutputDebugStringA. OutputDebugStringA raises
// DBG_PRINTEXCEPTION_C for a debugger; a vectored handler sees it first and keeps the text.
#include <windows.h>
#include <gtest/gtest.h>
#include <unknwn.h>

#include <string>
#include <vector>

#include "support/sandboxed_test.h"

namespace rmtest {
namespace {

std::vector<std::string> g_debugOutput;

LONG CALLBACK KeepDebugOutput(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
    g_debugOutput.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const CLSID kUnknownClsid = {
    0x3F2A9C10, 0x5B7E, 0x4E21, {0x9A, 0x3D, 0x1C, 0x8E, 0x2F, 0x4B, 0x6A, 0x01}};

struct SwitchCase {
  const char* environment;  // RM7731_TRACE, or null: unset
  std::vector<std::string> expected;
};

using TraceThroughModule = SandboxedTest;

TEST_F(TraceThroughModule, FailingCallReachesTheDebuggerOnlyWhenSwitchedOn) {
  const SwitchCase cases[] = {
      {"1",
       {"Rm7731: DllGetClassObject({3F2A9C10-5B7E-4E21-9A3D-1C8E2F4B6A01}, "
        "{00000001-0000-0000-C000-000000000046}) failed: returned HRESULT 0x80040111\n"}},
      {nullptr, {}},
      {"0", {}},
  };
  PVOID handler = AddVectoredExceptionHandler(1, &KeepDebugOutput);
  ASSERT_NE(handler, nullptr);
  for (const SwitchCase& c : cases) {
    SetEnvironmentVariableA("RM7731_TRACE", c.environment);
    // Loaded for each case: the module reads the switch once per load.
    HMODULE module = LoadLibraryA("Rm7731.pid");
    ASSERT_NE(module, nullptr);
    auto getClassObject =
        reinterpret_cast<GetClassObject>(GetProcAddress(module, "DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    g_debugOutput.clear();
    void* factory = nullptr;
    EXPECT_EQ(getClassObject(kUnknownClsid, IID_IClassFactory, &factory),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(g_debugOutput, c.expected)
        << "RM7731_TRACE " << (c.environment ? c.environment : "unset");
    FreeLibrary(module);
  }
  RemoveVectoredExceptionHandler(handler);
  SetEnvironmentVariableA("RM7731_TRACE", nullptr);
}

}  // namespace
}  // namespace rmtest
