// The failure trace: the line a failing exported call writes, silence when the trace is off or
// the call succeeds, and the switch read from the environment and the registry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "qx_framework.h"
#include "registry/failure_trace.h"
#include "registry/sandboxed_registry_test.h"

namespace rmtest {
namespace {

std::vector<std::string> g_lines;
void CaptureLine(const char* line) noexcept { g_lines.push_back(line); }

class FailureTraceTest : public SandboxedRegistryTest {
 protected:
  void SetUp() override {
    SandboxedRegistryTest::SetUp();
    g_lines.clear();
    rm::SetTraceForTesting(true, &CaptureLine);
  }
  void TearDown() override {
    rm::SetTraceForTesting(false, nullptr);
    SandboxedRegistryTest::TearDown();
  }
};

const GUID kUnknownClsid = {
    0x3F2A9C10, 0x5B7E, 0x4E21, {0x9A, 0x3D, 0x1C, 0x8E, 0x2F, 0x4B, 0x6A, 0x01}};

struct TracedCase {
  const char* what;
  std::function<tagQXINTRFCRESULT()> call;
  const char* line;  // null: nothing is written
};

TEST_F(FailureTraceTest, EachFailingCallWritesOneLine) {
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, "Values", "Note", "text");
  char buffer[64];
  unsigned long size = 0;
  // A root that is no predefined key shows as its handle value, all of its digits.
  const HKEY handleRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  const std::string handleLine = std::string("Rm7731: QXGetRegistryStringValueData(HKEY 0x") +
                                 (sizeof(HKEY) == 8 ? "00000000" : "") +
                                 "00001234\\Values, \"Note\") failed: Windows code 6, returned "
                                 "QXIR_REGISTRY_ERROR (13)\n";
  const TracedCase cases[] = {
      {"root given as a handle",
       [&] {
         return QXGetRegistryStringValueData(handleRoot, "Values", "Note", buffer, sizeof buffer,
                                             &size);
       },
       handleLine.c_str()},
      {"missing key",
       [&] {
         return QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Missing", "Note", buffer,
                                             sizeof buffer, &size);
       },
       "Rm7731: QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE\\Missing, \"Note\") failed: "
       "Windows code 2, returned QXIR_REGISTRY_ERROR (13)\n"},
      {"two keys",
       [&] { return QXCopyRegistryKey(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, "Gone", "To"); },
       "Rm7731: QXCopyRegistryKey(HKEY_CURRENT_USER\\Gone, HKEY_LOCAL_MACHINE\\To) failed: "
       "Windows code 2, returned QXIR_REGISTRY_ERROR (13)\n"},
      {"refused without a Windows code", [&] { return QXEnumComponents("", nullptr, &size); },
       "Rm7731: QXEnumComponents(\"\") failed: returned QXIR_INVALID_PARAMETER (12)\n"},
      {"null file",
       [&] { return QXGetIniFileStringValueData(nullptr, "s", "k", buffer, sizeof buffer, &size); },
       "Rm7731: QXGetIniFileStringValueData((null), \"s\", \"k\") failed: Windows code 87, "
       "returned QXIR_INVALID_PARAMETER (12)\n"},
      {"component by CLSID",
       [&] { return QXGetComponentFriendlyName(kUnknownClsid, buffer, sizeof buffer, &size); },
       "Rm7731: QXGetComponentFriendlyName({3F2A9C10-5B7E-4E21-9A3D-1C8E2F4B6A01}) failed: "
       "Windows code 2, returned QXIR_KEY_NOT_FOUND (5)\n"},
      {"control character in a name",
       [&] { return QXDeleteRegistryValueName(HKEY_LOCAL_MACHINE, "Values", "a\nb"); },
       "Rm7731: QXDeleteRegistryValueName(HKEY_LOCAL_MACHINE\\Values, \"a?b\") failed: "
       "Windows code 2, returned QXIR_REGISTRY_ERROR (13)\n"},
      // compat F23
      {"file outside the code page",
       [&] {
         const std::string key =
             "SOFTWARE\\Varnel\\Component Installed\\"
             "{3F2A9C10-5B7E-4E21-9A3D-1C8E2F4B6A01}";
         RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, key, nullptr, "Traced");
         RegistrySandbox::WriteWideString(HKEY_LOCAL_MACHINE, key, L"File",
                                          L"C:\\Café\\Камера\\\U0001D11E.dll");
         void* object = nullptr;
         return QXCreateInstance(kUnknownClsid, nullptr, 0, IID_IUnknown, &object);
       },
       "Rm7731: QXCreateInstance({3F2A9C10-5B7E-4E21-9A3D-1C8E2F4B6A01}, C:\\Caf\xE9\\"
       "<U+041A><U+0430><U+043C><U+0435><U+0440><U+0430>\\<U+1D11E>.dll) failed: Windows code "
       "126, returned QXIR_LOADLIBRARY_FAILED (1)\n"},
      {"success",
       [&] {
         return QXGetRegistryStringValueData(HKEY_LOCAL_MACHINE, "Values", "Note", buffer,
                                             sizeof buffer, &size);
       },
       nullptr},
  };
  for (const TracedCase& c : cases) {
    g_lines.clear();
    c.call();
    if (c.line == nullptr) {
      EXPECT_TRUE(g_lines.empty()) << c.what << ": " << (g_lines.empty() ? "" : g_lines[0]);
    } else {
      EXPECT_EQ(g_lines, std::vector<std::string>{c.line}) << c.what;
    }
  }
}

TEST_F(FailureTraceTest, AnOverlongKeyIsCutVisiblyAndTheEndOfTheLineStays) {
  const std::string longPath(3000, 'k');
  const tagQXINTRFCRESULT result = QXAddRegistryKey(HKEY_CURRENT_USER, longPath.c_str());
  ASSERT_EQ(g_lines.size(), 1u);
  const std::string& line = g_lines[0];
  EXPECT_LT(line.size(), 2048u);
  EXPECT_NE(line.find("kkk...) failed: Windows code "), std::string::npos) << line;
  const std::string end = "(" + std::to_string(result) + ")\n";
  EXPECT_EQ(line.compare(line.size() - end.size(), end.size(), end), 0) << line;
}

TEST_F(FailureTraceTest, OffNothingIsWritten) {
  rm::SetTraceForTesting(false, &CaptureLine);
  EXPECT_EQ(QXDeleteRegistryKey(HKEY_LOCAL_MACHINE, "Missing"), QXIR_REGISTRY_ERROR);
  EXPECT_EQ(QXEnumComponents("", nullptr, nullptr), QXIR_INVALID_PARAMETER);
  EXPECT_TRUE(g_lines.empty());
}

// --- the switch ---

struct SwitchCase {
  const char* environment;  // null: unset
  HKEY root;                // where "Rm7731Trace" is written; null: nowhere
  DWORD type;
  DWORD value;
  bool on;
};

TEST_F(FailureTraceTest, SwitchComesFromTheEnvironmentOrTheRegistry) {
  constexpr char kVariable[] = "RM7731_TRACE";
  const SwitchCase cases[] = {
      {nullptr, nullptr, REG_DWORD, 0, false},
      {"1", nullptr, REG_DWORD, 0, true},
      {"0", HKEY_CURRENT_USER, REG_DWORD, 1, false},
      {nullptr, HKEY_CURRENT_USER, REG_DWORD, 1, true},
      {nullptr, HKEY_LOCAL_MACHINE, REG_DWORD, 7, true},
      {nullptr, HKEY_LOCAL_MACHINE, REG_DWORD, 0, false},
      {nullptr, HKEY_CURRENT_USER, REG_BINARY, 1, false},
  };
  for (const SwitchCase& c : cases) {
    SetEnvironmentVariableA(kVariable, c.environment);
    if (c.root != nullptr) {
      RegistrySandbox::WriteRaw(c.root, "SOFTWARE\\Varnel", "Rm7731Trace", c.type, &c.value,
                                sizeof c.value);
    }
    EXPECT_EQ(rm::TraceSwitchIsOn(), c.on)
        << "environment " << (c.environment ? c.environment : "unset") << ", value " << c.value;
    if (c.root != nullptr) RegDeleteKeyValueA(c.root, "SOFTWARE\\Varnel", "Rm7731Trace");
  }
  SetEnvironmentVariableA(kVariable, nullptr);
}

}  // namespace
}  // namespace rmtest
