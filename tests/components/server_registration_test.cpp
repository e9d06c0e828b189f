// DllRegisterServer and DllUnregisterServer: the walk over the class table, what each row
// hands on, and the HRESULT each registration result becomes.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>
#include <vector>

#include "module/module_state.h"
#include "module/server_registration.h"
#include "product_identification.h"
#include "qx/component_registration.h"
#include "support/sandboxed_test.h"

namespace {

using rmtest::RegistrySandbox;

const std::string kVarnel = "SOFTWARE\\Varnel";
const std::string kPluginKey =
    "SOFTWARE\\Varnel\\Component Installed\\{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";
const std::string kPluginEntryKey =
    "SOFTWARE\\Varnel\\Component Installed\\Category\\CATEGORY_ProductIdentification\\"
    "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}";

constexpr GUID kFirst = {
    0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};
constexpr GUID kSecond = {
    0x22222222, 0x3333, 0x4444, {0x55, 0x55, 0x66, 0x66, 0x66, 0x66, 0x66, 0x66}};

// A test program has no module entry point of ours: perform the attach step by hand.
void AttachAsTheModule() { rm::OnProcessAttach(GetModuleHandleA(nullptr)); }

TEST(RegistrationResultMapping, EveryResultGivesTheHResultOfItsClass) {
  for (int value = QXIR_SUCCESS; value <= QXIR_PROFILE_ERROR; ++value) {
    const auto result = static_cast<tagQXINTRFCRESULT>(value);
    HRESULT expected = E_FAIL;
    if (result == QXIR_SUCCESS) expected = S_OK;
    if (result == QXIR_BAD_CLSID || result == QXIR_INVALID_PARAMETER) expected = E_INVALIDARG;
    if (result == QXIR_ACCESS_DENIED) expected = E_ACCESSDENIED;
    EXPECT_EQ(rm::MapRegistrationResultToHResult(result), expected) << "result " << value;
  }
  EXPECT_EQ(rm::MapRegistrationResultToHResult(static_cast<tagQXINTRFCRESULT>(-1)), E_FAIL);
}

// Records every call of a fake registration and answers from a script.
struct RowCall {
  HINSTANCE module;
  GUID clsid;
  std::string friendlyName, category, spare1, spare2;
};
std::vector<RowCall> g_calls;
std::vector<tagQXINTRFCRESULT> g_answers;

std::string Text(const char* text) { return text != nullptr ? text : "<null>"; }

tagQXINTRFCRESULT FakeRegister(HINSTANCE module, const GUID& clsid, const char* friendlyName,
                               const char* category, const char* spare1, const char* spare2) {
  g_calls.push_back(
      {module, clsid, Text(friendlyName), Text(category), Text(spare1), Text(spare2)});
  return g_calls.size() <= g_answers.size() ? g_answers[g_calls.size() - 1] : QXIR_SUCCESS;
}

tagQXINTRFCRESULT FakeUnregister(const GUID& clsid, const char* category, const char* spare1,
                                 const char* spare2) {
  return FakeRegister(nullptr, clsid, "", category, spare1, spare2);
}

class ClassTableWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_answers.clear();
  }
  const rm::ClassTableEntry rows_[3] = {
      {&kFirst, nullptr, "First", "CATEGORY_A", "extra1", "extra2"},
      {&kSecond, nullptr, "Second", nullptr, nullptr, "only2"},
      {&kFirst, nullptr, "Third", "CATEGORY_C", nullptr, nullptr},
  };
  const HINSTANCE module_ = reinterpret_cast<HINSTANCE>(0x10000000);
};

// compat C06
TEST_F(ClassTableWalk, HandsEachRowOnWithTheSpareStringsReversed) {
  ASSERT_EQ(rm::RegisterClassTableRows(rows_, 3, module_, &FakeRegister), S_OK);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].module, module_);
  EXPECT_TRUE(IsEqualGUID(g_calls[0].clsid, kFirst));
  EXPECT_EQ(g_calls[0].friendlyName, "First");
  EXPECT_EQ(g_calls[0].category, "CATEGORY_A");
  EXPECT_EQ(g_calls[0].spare1, "extra2");
  EXPECT_EQ(g_calls[0].spare2, "extra1");
  EXPECT_TRUE(IsEqualGUID(g_calls[1].clsid, kSecond));
  EXPECT_EQ(g_calls[1].category, "<null>");
  EXPECT_EQ(g_calls[1].spare1, "only2");
  EXPECT_EQ(g_calls[1].spare2, "<null>");
  EXPECT_EQ(g_calls[2].friendlyName, "Third");

  g_calls.clear();
  ASSERT_EQ(rm::UnregisterClassTableRows(rows_, 3, &FakeUnregister), S_OK);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_TRUE(IsEqualGUID(g_calls[0].clsid, kFirst));
  EXPECT_EQ(g_calls[0].category, "CATEGORY_A");
  EXPECT_EQ(g_calls[0].spare1, "extra2");
  EXPECT_EQ(g_calls[0].spare2, "extra1");
}

TEST_F(ClassTableWalk, FirstFailingRowEndsTheWalk) {
  g_answers = {QXIR_SUCCESS, QXIR_ACCESS_DENIED};
  EXPECT_EQ(rm::RegisterClassTableRows(rows_, 3, module_, &FakeRegister), E_ACCESSDENIED);
  EXPECT_EQ(g_calls.size(), 2u) << "the third row is not reached";

  g_calls.clear();
  g_answers = {QXIR_BAD_CLSID};
  EXPECT_EQ(rm::UnregisterClassTableRows(rows_, 3, &FakeUnregister), E_INVALIDARG);
  EXPECT_EQ(g_calls.size(), 1u);
}

// The real registration behind the walk, in the redirected registry.
class SelfRegistration : public rmtest::SandboxedTest {
 protected:
  void SetUp() override { AttachAsTheModule(); }
};

TEST_F(SelfRegistration, RegistersThePluginAndUnregistersItCompletely) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  char path[MAX_PATH];
  GetModuleFileNameA(rm::g_moduleHandle, path, MAX_PATH);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, nullptr),
            "RM7731 Identification Plugin");
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginKey, "File"), path);
  EXPECT_FALSE(RegistrySandbox::ValueExists(HKEY_LOCAL_MACHINE, kPluginKey, "RefCount"));
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, kPluginEntryKey, nullptr),
            "RM7731 Identification Plugin");

  EXPECT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
  EXPECT_EQ(DllUnregisterServer(), E_FAIL) << "the category entry key is already gone";
}

TEST_F(SelfRegistration, DeniedComponentKeyGivesAccessDenied) {
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, kPluginKey);
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kPluginKey, rmtest::kDenyAll);
  EXPECT_EQ(DllRegisterServer(), E_ACCESSDENIED);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kPluginEntryKey));

  // Unregistration is refused at the same key, where it reads the count, before anything goes.
  // compat F21
  RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, kPluginKey);
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, kPluginEntryKey);
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, kPluginKey, rmtest::kDenyAll);
  EXPECT_EQ(DllUnregisterServer(), E_ACCESSDENIED);
  EXPECT_TRUE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kPluginEntryKey));
}

TEST_F(SelfRegistration, RowsTheRegistrationRefusesGiveInvalidArgOrFail) {
  const rm::ClassTableEntry emptyCategory[] = {{&kFirst, nullptr, "First", "", nullptr, nullptr}};
  EXPECT_EQ(rm::RegisterClassTableRows(emptyCategory, 1, rm::g_moduleHandle, &QXRegisterServer),
            E_INVALIDARG);
  EXPECT_EQ(rm::UnregisterClassTableRows(emptyCategory, 1, &QXUnregisterServer), E_INVALIDARG);
  EXPECT_EQ(
      rm::RegisterClassTableRows(rm::g_classTable, rm::g_classCount, nullptr, &QXRegisterServer),
      E_INVALIDARG)
      << "no module handle";

  const rm::ClassTableEntry noName[] = {
      {&kFirst, nullptr, nullptr, "CATEGORY_A", nullptr, nullptr}};
  EXPECT_EQ(rm::RegisterClassTableRows(noName, 1, rm::g_moduleHandle, &QXRegisterServer), E_FAIL)
      << "QXIR_REGISTRY_ERROR";
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, kVarnel));
}

TEST_F(SelfRegistration, FailureStopsAtTheRowAndKeepsEarlierRows) {
  const rm::ClassTableEntry rows[] = {
      {&kFirst, nullptr, "First", "CATEGORY_A", nullptr, nullptr},
      {&kSecond, nullptr, "Second", "", nullptr, nullptr},
  };
  EXPECT_EQ(rm::RegisterClassTableRows(rows, 2, rm::g_moduleHandle, &QXRegisterServer),
            E_INVALIDARG);
  EXPECT_TRUE(RegistrySandbox::KeyExists(
      HKEY_LOCAL_MACHINE,
      "SOFTWARE\\Varnel\\Component Installed\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"))
      << "no rollback of the first row";
}

}  // namespace
