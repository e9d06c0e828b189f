// COM server behaviour that holds alike in-process and through the built module.
#include <gtest/gtest.h>

#include "product_identification.h"
#include "support/com_server_under_test.h"

namespace rmtest {

HRESULT STDMETHODCALLTYPE CountingOuter::QueryInterface(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = this;
    AddRef();
    return S_OK;
  }
  if (inner != nullptr) return inner->QueryInterface(iid, out);
  *out = nullptr;
  return E_NOINTERFACE;
}

namespace {

const GUID kOtherClsid = {
    0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
void* const kUntouched = reinterpret_cast<void*>(0x5A5A5A5A);

IClassFactory* GetFactory() {
  void* out = nullptr;
  EXPECT_EQ(
      ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory, &out),
      S_OK);
  return static_cast<IClassFactory*>(out);
}

HRESULT CanUnloadNow() { return ServerUnderTest().canUnloadNow(); }

int CALLBACK CountCalls(const ProductInfo*, ULONG_PTR context) {
  ++*reinterpret_cast<int*>(context);
  return 0;
}

TEST(ComServerGetClassObject, HandsOutOneFactoryReferenceForEitherInterface) {
  for (const IID* iid : {&IID_IClassFactory, &IID_IUnknown}) {
    void* out = nullptr;
    ASSERT_EQ(ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, *iid, &out),
              S_OK);
    ASSERT_NE(out, nullptr);
    // The factory was handed out with a count of 1: the first Release destroys it.
    EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 0u);
  }
}

// compat C11
TEST(ComServerGetClassObject, RefusesOtherInterfacesBeforeLookingAtTheClass) {
  void* out = kUntouched;
  EXPECT_EQ(ServerUnderTest().getClassObject(kOtherClsid, IID_IProductIdentification, &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, kUntouched);
  EXPECT_EQ(
      ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IDispatch, &out),
      E_NOINTERFACE);
  EXPECT_EQ(out, kUntouched);
}

TEST(ComServerGetClassObject, RefusesUnknownClassAndLeavesTargetUntouched) {
  void* out = kUntouched;
  EXPECT_EQ(ServerUnderTest().getClassObject(kOtherClsid, IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, kUntouched);
}

// compat F05
TEST(ComServerGetClassObject, NullOutPointerIsRefused) {
  EXPECT_EQ(ServerUnderTest().getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory,
                                             nullptr),
            E_POINTER);
}

TEST(ClassFactory, QueryInterfaceAnswersOnlyUnknownAndClassFactory) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  void* out = kUntouched;
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, factory);
  EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 1u);
  out = kUntouched;
  EXPECT_EQ(factory->QueryInterface(IID_IProductIdentification, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(factory->AddRef(), 2u);
  EXPECT_EQ(factory->Release(), 1u);
  EXPECT_EQ(factory->Release(), 0u);
}

TEST(ClassFactory, CreatesPluginThatOneReleaseDestroys) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  void* out = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProductIdentification, &out), S_OK);
  auto* plugin = static_cast<IProductIdentification*>(out);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "a live plug-in holds the module";
  int calls = 0;
  EXPECT_EQ(plugin->EnumerateProducts(&CountCalls, reinterpret_cast<ULONG_PTR>(&calls)), S_OK);
  EXPECT_EQ(plugin->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  factory->Release();
}

TEST(ClassFactory, UnknownAndPluginInterfaceAreDifferentPointersOnOneCount) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  void* unknown = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &unknown), S_OK);
  void* part = nullptr;
  ASSERT_EQ(static_cast<IUnknown*>(unknown)->QueryInterface(IID_IProductIdentification, &part),
            S_OK);
  EXPECT_NE(part, unknown);
  // Both references are on the object's own count: 2 now, and the part's AddRef reaches it.
  EXPECT_EQ(static_cast<IUnknown*>(part)->AddRef(), 3u);
  EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 2u);
  void* again = nullptr;
  ASSERT_EQ(static_cast<IUnknown*>(part)->QueryInterface(IID_IUnknown, &again), S_OK);
  EXPECT_EQ(again, unknown) << "the part's QueryInterface reaches the object's own identity";
  EXPECT_EQ(static_cast<IUnknown*>(again)->Release(), 2u);
  EXPECT_EQ(static_cast<IUnknown*>(part)->Release(), 1u);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(static_cast<IUnknown*>(part)->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  factory->Release();
}

TEST(ClassFactory, FailedCreationsLeaveNoObjectAlive) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  void* out = kUntouched;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CanUnloadNow(), S_OK);

  CountingOuter outer;
  out = kUntouched;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IProductIdentification, &out),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, kUntouched);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(outer.addRefs + outer.releases, 0);

  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IProductIdentification, nullptr), E_POINTER);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  factory->Release();
}

TEST(ClassFactory, AggregatedPartForwardsCountsToTheOuterObject) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  CountingOuter outer;
  void* inner = nullptr;
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &inner), S_OK);
  factory->Release();
  outer.inner = static_cast<IUnknown*>(inner);
  // Creation touches only the inner object's own count.
  EXPECT_EQ(outer.addRefs, 0);
  EXPECT_EQ(outer.releases, 0);

  void* part = nullptr;
  ASSERT_EQ(outer.inner->QueryInterface(IID_IProductIdentification, &part), S_OK);
  EXPECT_EQ(outer.addRefs, 1) << "the part's AddRef reached the outer object";
  auto* identification = static_cast<IProductIdentification*>(part);
  identification->AddRef();
  EXPECT_EQ(outer.addRefs, 2);
  identification->Release();
  identification->Release();
  EXPECT_EQ(outer.releases, 2);
  EXPECT_EQ(outer.count, 1);

  // The part's QueryInterface goes to the outer object too.
  void* viaPart = nullptr;
  ASSERT_EQ(identification->QueryInterface(IID_IUnknown, &viaPart), S_OK);
  EXPECT_EQ(viaPart, &outer);
  outer.Release();

  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(outer.inner->Release(), 0u) << "only the outer object held the inner count";
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

// compat C09 C10
TEST(ClassFactory, LockServerHoldsTheModuleWithoutLowerBound) {
  IClassFactory* factory = GetFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(CanUnloadNow(), S_OK) << "a referenced but unlocked factory does not hold the module";
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  // Below zero the count goes on down; the module stays unloadable.
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  factory->Release();
}

}  // namespace
}  // namespace rmtest
