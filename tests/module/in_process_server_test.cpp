// The COM server linked in-process: the shared server cases, plus the class table and what
// the counters behind DllCanUnloadNow do over longer sequences.
#include <gtest/gtest.h>

#include <cstring>

#include "module/com_object_base.h"
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
  EXPECT_EQ(
      ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory, &out),
      S_OK);
  return static_cast<IClassFactory*>(out);
}

// compat C07
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
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "a factory is not a live object";

  void* first = nullptr;
  void* second = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProductIdentification, &first), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &second), S_OK);
  // Failed creations while objects live take nothing away from them.
  void* out = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  CountingOuter outer;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IProductIdentification, &out),
            CLASS_E_NOAGGREGATION);

  static_cast<IUnknown*>(first)->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "the second object still lives";
  static_cast<IUnknown*>(second)->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->Release();
}

// compat C10
TEST(LockCount, GoesBelowZeroAndBack) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  factory->LockServer(TRUE);
  factory->LockServer(TRUE);
  factory->LockServer(FALSE);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  // Two unlocks more than locks: it takes three locks before one holds the module again.
  factory->LockServer(FALSE);
  factory->LockServer(FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->LockServer(TRUE);
  factory->LockServer(TRUE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->LockServer(TRUE);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->Release();
}

// An object that takes and drops a reference while it is destroyed, as an aggregating outer
// object or code run from a destructor may.
class ReferencedDuringDestruction final : public rm::ComObjectBase {
 public:
  explicit ReferencedDuringDestruction(int* destroyed) noexcept
      : ComObjectBase(nullptr), destroyed_(destroyed) {}
  ~ReferencedDuringDestruction() override {
    NonDelegatingAddRef();
    NonDelegatingRelease();
    ++*destroyed_;
  }

 private:
  int* destroyed_;
};

// compat C08
TEST(ObjectDestruction, AReferenceTakenDuringDestructionDoesNotDestroyAgain) {
  int destroyed = 0;
  auto* object = new ReferencedDuringDestruction(&destroyed);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(object->NonDelegatingRelease(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace rmtest
