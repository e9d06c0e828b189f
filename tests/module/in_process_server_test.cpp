// The COM server linked in-process: the shared server cases, plus what only the module's own
// state can show (the class table and the two counters).
#include <gtest/gtest.h>

#include <cstring>

#include "module/module_state.h"
#include "product_identification.h"
#include "support/com_server_under_test.h"

namespace rmtest {

const ComServerEntryPoints& ServerUnderTest() {
  static const ComServerEntryPoints entries = [] {
    // A test program has no module entry point of ours: perform the attach step by hand.
    rm::OnProcessAttach(GetModuleHandleA(nullptr));
    return ComServerEntryPoints{&DllGetClassObject, &DllCanUnloadNow};
  }();
  return entries;
}

namespace {

IClassFactory* GetFactory() {
  void* out = nullptr;
  EXPECT_EQ(ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory, &out),
            S_OK);
  return static_cast<IClassFactory*>(out);
}

TEST(ClassTable, RowHoldsThePluginAfterLoad) {
  ServerUnderTest();
  ASSERT_EQ(rm::g_classCount, 1);
  const rm::ClassTableEntry& row = rm::g_classTable[0];
  EXPECT_EQ(row.clsid, &rm::g_pluginClsid) << "the row points at the writable variable";
  EXPECT_EQ(std::memcmp(row.clsid, &CLSID_ProductIdentificationPlugin, sizeof(GUID)), 0);
  EXPECT_STREQ(row.friendlyName, "RM7731 Identification Plugin");
  EXPECT_STREQ(row.category, "CATEGORY_ProductIdentification");
  EXPECT_EQ(row.extraString1, nullptr);
  EXPECT_EQ(row.extraString2, nullptr);
  EXPECT_EQ(rm::g_moduleHandle, GetModuleHandleA(nullptr));
}

TEST(LiveObjectCount, FollowsCreationAndEveryFailurePath) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  const LONG before = rm::g_liveObjectCount;
  EXPECT_EQ(before, 0) << "a factory is not a live object";

  void* out = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProductIdentification, &out), S_OK);
  EXPECT_EQ(rm::g_liveObjectCount, before + 1);
  static_cast<IUnknown*>(out)->Release();
  EXPECT_EQ(rm::g_liveObjectCount, before);

  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(rm::g_liveObjectCount, before);
  CountingOuter outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IProductIdentification, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(rm::g_liveObjectCount, before);
  factory->Release();
}

TEST(LockCount, GoesBelowZeroAndBack) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  const LONG before = rm::g_lockCount;
  factory->LockServer(TRUE);
  factory->LockServer(TRUE);
  factory->LockServer(FALSE);
  EXPECT_EQ(rm::g_lockCount, before + 1);
  factory->LockServer(FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(rm::g_lockCount, before - 1);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->LockServer(TRUE);
  EXPECT_EQ(rm::g_lockCount, before);
  factory->Release();
}

}  // namespace
}  // namespace rmtest
