// The component kit as hosts and the framework meet it, in a component built by GCC or clang
// (GNU ABI) and one built by clang-cl (Visual C++ ABI): the COM identity and counting rules,
// the unload rules, aggregation, and registration through the built module.
#include <gtest/gtest.h>

#include <string>

#include "components/discovery_test_support.h"
#include "kit_fixture.h"
#include "qx_framework.h"
#include "support/sandboxed_test.h"

namespace rmtest {
namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using ServerFunction = HRESULT(STDAPICALLTYPE*)();

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(GetProcAddress(module, name));
}

// The fixture loaded for one case, with its entry points by their plain names.
class KitComponent {
 public:
  explicit KitComponent(const std::string& file) : module_(LoadLibraryA(file.c_str())) {}
  ~KitComponent() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  KitComponent(const KitComponent&) = delete;
  KitComponent& operator=(const KitComponent&) = delete;

  HMODULE module() const { return module_; }
  HRESULT CanUnloadNow() const { return Export<ServerFunction>(module_, "DllCanUnloadNow")(); }
  HRESULT GetClassObject(const CLSID& clsid, IClassFactory** factory) const {
    return Export<GetClassObjectFunction>(module_, "DllGetClassObject")(
        clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
  }
  HRESULT Create(const CLSID& clsid, IUnknown* outer, const IID& iid, void** object) const {
    IClassFactory* factory = nullptr;
    const HRESULT got = GetClassObject(clsid, &factory);
    if (FAILED(got)) return got;
    const HRESULT result = factory->CreateInstance(outer, iid, object);
    factory->Release();
    return result;
  }

 private:
  HMODULE module_;
};

// An outer object that aggregates a kit object, as a containing component would.
class Outer : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    return inner_ != nullptr ? inner_->QueryInterface(iid, object) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  IUnknown* inner_ = nullptr;
  ULONG references_ = 1;
};

class ComponentKit : public SandboxedTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string File() const { return ExecutableDirectory() + GetParam(); }
};

TEST_P(ComponentKit, KeepsTheIdentityAndCountingRules) {
  KitComponent kit(File());
  ASSERT_NE(kit.module(), nullptr);
  for (const char* name :
       {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_NE(GetProcAddress(kit.module(), name), nullptr) << name << " is not exported as such";
  }
  IClassFactory* unknownClass = nullptr;
  EXPECT_EQ(kit.GetClassObject(IID_IKitCounter, &unknownClass), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(unknownClass, nullptr);

  IKitCounter* counter = nullptr;
  ASSERT_EQ(
      kit.Create(CLSID_KitCounter, nullptr, IID_IKitCounter, reinterpret_cast<void**>(&counter)),
      S_OK);
  EXPECT_EQ(kit.CanUnloadNow(), S_FALSE) << "an object is alive";
  IKitNamed* named = nullptr;
  ASSERT_EQ(counter->QueryInterface(IID_IKitNamed, reinterpret_cast<void**>(&named)), S_OK);
  EXPECT_STREQ(named->Name(), "Kit Counter");
  IUnknown* viaCounter = nullptr;
  IUnknown* viaNamed = nullptr;
  ASSERT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaCounter)), S_OK);
  ASSERT_EQ(named->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaNamed)), S_OK);
  EXPECT_EQ(viaCounter, viaNamed) << "one object, one IUnknown";
  void* none = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(counter->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(counter->QueryInterface(IID_IKitNamed, nullptr), E_POINTER);
  EXPECT_EQ(counter->Next(), 1);
  EXPECT_EQ(named->QueryInterface(IID_IKitCounter, reinterpret_cast<void**>(&none)), S_OK);
  EXPECT_EQ(static_cast<IKitCounter*>(none)->Next(), 2) << "the same object behind each interface";

  // Five references (counter, named, viaCounter, viaNamed, none) and the one taken here.
  EXPECT_EQ(counter->AddRef(), 6u);
  for (ULONG left : {5u, 4u, 3u, 2u, 1u}) EXPECT_EQ(counter->Release(), left);
  EXPECT_EQ(kit.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(counter->Release(), 0u);
  EXPECT_EQ(kit.CanUnloadNow(), S_OK) << "the last object is gone";

  // A class factory held, or the server locked, keeps the module.
  IClassFactory* factory = nullptr;
  ASSERT_EQ(kit.GetClassObject(CLSID_KitCounter, &factory), S_OK);
  EXPECT_EQ(kit.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory->Release();
  EXPECT_EQ(kit.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(kit.GetClassObject(CLSID_KitCounter, &factory), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory->Release();
  EXPECT_EQ(kit.CanUnloadNow(), S_OK);

  void* refused = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(kit.Create(CLSID_KitRefuser, nullptr, IID_IKitCounter, &refused), E_ABORT);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(kit.CanUnloadNow(), S_OK) << "a refused object was left alive";
}

TEST_P(ComponentKit, AggregatesOnlyWhereTheClassAllowsIt) {
  KitComponent kit(File());
  ASSERT_NE(kit.module(), nullptr);
  Outer outer;
  void* object = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(kit.Create(CLSID_KitCounter, &outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(kit.Create(CLSID_KitPart, &outer, IID_IKitCounter, &object), CLASS_E_NOAGGREGATION)
      << "an aggregated object hands out only its own IUnknown";

  ASSERT_EQ(
      kit.Create(CLSID_KitPart, &outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner_)),
      S_OK);
  EXPECT_EQ(outer.references_, 1u) << "the inner object holds no reference to its outer";
  IKitCounter* counter = nullptr;
  ASSERT_EQ(outer.QueryInterface(IID_IKitCounter, reinterpret_cast<void**>(&counter)), S_OK);
  EXPECT_EQ(outer.references_, 2u) << "the interface handed out counts on the outer object";
  EXPECT_EQ(counter->Next(), 1);
  IUnknown* identity = nullptr;
  ASSERT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(&outer)) << "the outer object is the identity";
  identity->Release();
  counter->Release();
  EXPECT_EQ(outer.references_, 1u);
  EXPECT_EQ(kit.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(outer.inner_->Release(), 0u);
  EXPECT_EQ(kit.CanUnloadNow(), S_OK);
}

TEST_P(ComponentKit, RegistersEveryClassAndIsFreedOnceUnused) {
  const std::string file = File();
  const auto call = [&file](const char* entryPoint) {
    KitComponent kit(file);
    return Export<ServerFunction>(kit.module(), entryPoint)();
  };
  ASSERT_EQ(call("DllRegisterServer"), S_OK);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitCounter), "File"),
            file);
  EXPECT_EQ(RegistrySandbox::ReadString(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitPart), "File"),
            GetParam())
      << "a counted registration records the file name";
  EXPECT_EQ(RegistrySandbox::ReadDword(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitPart), "RefCount"),
            1u);
  GUID found[4] = {};
  unsigned long count = 4;
  ASSERT_EQ(QXEnumComponents(kKitCategory, found, &count), QXIR_SUCCESS);
  EXPECT_EQ(count, 2u) << "the two classes of the category";

  IKitCounter* counter = nullptr;
  ASSERT_EQ(QXCreateInstance(CLSID_KitCounter, nullptr, 0, IID_IKitCounter,
                             reinterpret_cast<void**>(&counter)),
            QXIR_SUCCESS);
  EXPECT_EQ(counter->Next(), 1);
  QXFreeUnusedLibraries();
  EXPECT_TRUE(IsLoaded(GetParam())) << "freed while an object was alive";
  counter->Release();
  QXFreeUnusedLibraries();
  EXPECT_FALSE(IsLoaded(GetParam())) << "not freed once its last object was gone";

  ASSERT_EQ(call("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varnel"));
}

TEST_P(ComponentKit, RegistersAllClassesOrNone) {
  // The second class cannot be written: the first one's registration is taken back.
  RegistrySandbox::CreateKey(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitPart));
  RegistrySandbox::SetKeySecurity(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitPart), kReadOnly);
  {
    KitComponent kit(File());
    EXPECT_EQ(Export<ServerFunction>(kit.module(), "DllRegisterServer")(), E_ACCESSDENIED);
  }
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitCounter)));
  EXPECT_FALSE(RegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, CategoryKey(kKitCategory)));
  RegistrySandbox::RestoreAccess(HKEY_LOCAL_MACHINE, ComponentKey(CLSID_KitPart));
}

INSTANTIATE_TEST_SUITE_P(EachCompiler, ComponentKit,
                         ::testing::Values("kit_component_gnu.dll", "kit_component_msvc.dll"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).find("msvc") != std::string::npos
                                      ? std::string("VisualCpp")
                                      : std::string("Gnu");
                         });

}  // namespace
}  // namespace rmtest
