// The built Rm7731.pid as a host uses it: loaded with LoadLibraryA, its library functions
// reached by their C++ export names with the types the public header declares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component_fixture.h"
#include "discovery_test_support.h"
#include "product_identification.h"
#include "qx_framework.h"
#include "support/architecture.h"
#include "support/registry_sandbox.h"

namespace rmtest {
namespace {

constexpr char kModuleName[] = "Rm7731.pid";

// The library functions of one loaded copy of the module.
struct ComponentLibrary {
  explicit ComponentLibrary(HMODULE module) : module(module) {}

  template <typename Function>
  Function Export(const char* name) const {
    auto function = reinterpret_cast<Function>(GetProcAddress(module, name));
    EXPECT_NE(function, nullptr) << "no export " << name;
    return function;
  }

  HMODULE module;
  decltype(&QXEnumComponents) enumComponents =
      Export<decltype(&QXEnumComponents)>("_Z16QXEnumComponentsPKcP5_GUIDPm");
  decltype(&QXGetComponentFriendlyName) friendlyName =
      Export<decltype(&QXGetComponentFriendlyName)>("_Z26QXGetComponentFriendlyNameRK5_GUIDPcmPm");
  decltype(&QXCreateInstance) createInstance =
      Export<decltype(&QXCreateInstance)>("_Z16QXCreateInstanceRK5_GUIDP8IUnknownmS1_PPv");
  decltype(&QXFreeUnusedLibraries) freeUnusedLibraries =
      Export<decltype(&QXFreeUnusedLibraries)>("_Z21QXFreeUnusedLibrariesv");
};

// Gives back a load reference taken by the test, also when an assertion ends the test early.
class LoadReference {
 public:
  explicit LoadReference(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
  ~LoadReference() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadReference(const LoadReference&) = delete;
  LoadReference& operator=(const LoadReference&) = delete;
  HMODULE get() const { return module_; }
  // Gives the reference back now; true when FreeLibrary succeeded.
  bool Free() {
    const bool freed = FreeLibrary(module_) != FALSE;
    module_ = nullptr;
    return freed;
  }

 private:
  HMODULE module_;
};

// Every key and value below `path`, one line each, in enumeration order.
void DumpTree(HKEY root, const std::string& path, std::string& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  out += "[" + path + "]\n";
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameLength = sizeof(name);
    BYTE data[4096];
    DWORD dataSize = sizeof(data);
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS)
      break;
    out += std::string(name, nameLength) + "=" + std::to_string(type) + ":" +
           std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
  }
  RegCloseKey(key);
  for (const std::string& child : RegistrySandbox::SubKeyNames(root, path)) {
    DumpTree(root, path.empty() ? child : path + "\\" + child, out);
  }
}

std::string WholeRegistry() {
  std::string dump;
  DumpTree(HKEY_LOCAL_MACHINE, "", dump);
  dump += "--- user\n";
  DumpTree(HKEY_CURRENT_USER, "", dump);
  return dump;
}

int CALLBACK CountProduct(const ProductInfo* info, ULONG_PTR context) {
  EXPECT_EQ(info->size, rmtest::kProductInfoSize);
  ++*reinterpret_cast<int*>(context);
  return 0;
}

TEST(PluginRoad, FromRegistrationThroughCreationToUnloadingAndUnregistration) {
  RegistrySandbox sandbox;
  RegistrySandbox::WriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varnel\\Another Product", "Setting",
                               "kept");
  RegistrySandbox::WriteString(HKEY_CURRENT_USER, "SOFTWARE\\Varnel\\Component Installed",
                               "Unrelated", "kept");
  const std::string before = WholeRegistry();

  // The host's own load reference; the module must end with no other.
  LoadReference hostReference(kModuleName);
  HMODULE module = hostReference.get();
  ASSERT_NE(module, nullptr);
  ComponentLibrary library(module);
  auto registerServer =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module, "DllRegisterServer"));
  auto unregisterServer =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module, "DllUnregisterServer"));
  auto canUnloadNow =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(module, "DllCanUnloadNow"));
  ASSERT_NE(registerServer, nullptr) << "DllRegisterServer is not exported";
  ASSERT_NE(unregisterServer, nullptr) << "DllUnregisterServer is not exported";
  ASSERT_NE(canUnloadNow, nullptr);

  ASSERT_EQ(registerServer(), S_OK);

  // Find the plug-in in its category.
  unsigned long count = 0;
  ASSERT_EQ(library.enumComponents("CATEGORY_ProductIdentification", nullptr, &count),
            QXIR_SUCCESS);
  ASSERT_GE(count, 1u);
  std::vector<GUID> clsids(count);
  ASSERT_EQ(library.enumComponents("CATEGORY_ProductIdentification", clsids.data(), &count),
            QXIR_SUCCESS);
  bool listed = false;
  for (unsigned long i = 0; i < count; ++i)
    listed = listed || IsEqualCLSID(clsids[i], CLSID_ProductIdentificationPlugin);
  EXPECT_TRUE(listed) << "the plug-in CLSID is not in its category";

  char name[64] = {};
  unsigned long needed = 0;
  ASSERT_EQ(library.friendlyName(CLSID_ProductIdentificationPlugin, name, sizeof(name), &needed),
            QXIR_SUCCESS);
  EXPECT_STREQ(name, "RM7731 Identification Plugin");

  // Create it, use it, let it go.
  void* object = nullptr;
  ASSERT_EQ(library.createInstance(CLSID_ProductIdentificationPlugin, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IProductIdentification, &object),
            QXIR_SUCCESS);
  ASSERT_NE(object, nullptr);
  auto* plugin = static_cast<IProductIdentification*>(object);
  int products = 0;
  EXPECT_EQ(plugin->EnumerateProducts(&CountProduct, reinterpret_cast<ULONG_PTR>(&products)), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "the plug-in still lives";
  plugin->Release();
  EXPECT_EQ(canUnloadNow(), S_OK);
  library.freeUnusedLibraries();

  EXPECT_EQ(unregisterServer(), S_OK);
  EXPECT_EQ(WholeRegistry(), before) << "unregistration did not restore the registry";

  // Only the host's own reference is left: the list gave back the one it held.
  EXPECT_TRUE(hostReference.Free());
  EXPECT_EQ(GetModuleHandleA(kModuleName), nullptr) << "a load reference was kept";
}

// A bare "File" name belongs beside the host's executable, even when the library that
// resolves it lives in another folder.
// compat C13
TEST(ModulePathFromTheBuiltModule, ResolvesABareNameBesideTheHostNotBesideTheLibrary) {
  RegistrySandbox sandbox;
  ScratchFolder libraryFolder;
  const std::string libraryCopy =
      CopyFromExecutableDirectory(libraryFolder, kModuleName, "Rm7731_elsewhere.pid");
  CopyFromExecutableDirectory(libraryFolder, kGoodComponent,
                              "discovery_component_beside_library.dll");
  LoadReference libraryReference(libraryCopy);
  ASSERT_NE(libraryReference.get(), nullptr);
  {
    ComponentLibrary library(libraryReference.get());
    void* object = reinterpret_cast<void*>(0x1234);
    RegisterComponentFile(kFixtureClsid, "discovery_component_beside_library.dll");
    EXPECT_EQ(library.createInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &object),
              QXIR_LOADLIBRARY_FAILED);
    EXPECT_EQ(object, nullptr);
    EXPECT_FALSE(IsLoaded("discovery_component_beside_library.dll"));

    RegisterComponentFile(kFixtureClsid, kGoodComponent);
    ASSERT_EQ(library.createInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &object),
              QXIR_SUCCESS);
    EXPECT_EQ(LoadedFrom(kGoodComponent), ExecutableDirectory() + kGoodComponent);
    static_cast<IUnknown*>(object)->Release();
    library.freeUnusedLibraries();
    EXPECT_FALSE(IsLoaded(kGoodComponent));
  }
  EXPECT_TRUE(libraryReference.Free());
}

// compat C20
TEST(PluginRoad, ModulesStillListedStayLoadedWhenTheLibraryUnloads) {
  RegistrySandbox sandbox;
  ScratchFolder libraryFolder;
  const std::string libraryCopy =
      CopyFromExecutableDirectory(libraryFolder, kModuleName, "Rm7731_unloaded.pid");
  RegisterComponentFile(kFixtureClsid, kGoodComponent);
  ASSERT_FALSE(IsLoaded(kGoodComponent));
  IUnknown* component = nullptr;
  {
    LoadReference libraryReference(libraryCopy);
    ASSERT_NE(libraryReference.get(), nullptr);
    ComponentLibrary library(libraryReference.get());
    void* object = nullptr;
    ASSERT_EQ(library.createInstance(kFixtureClsid, nullptr, 0, IID_IUnknown, &object),
              QXIR_SUCCESS);
    component = static_cast<IUnknown*>(object);
    EXPECT_TRUE(libraryReference.Free());
  }
  EXPECT_FALSE(IsLoaded("Rm7731_unloaded.pid"));
  ASSERT_TRUE(IsLoaded(kGoodComponent)) << "the listed module went with the library";

  // The object's code is still there; the test then gives back the list's load reference.
  component->Release();
  HMODULE listed = GetModuleHandleA(kGoodComponent);
  ASSERT_NE(listed, nullptr);
  EXPECT_TRUE(FreeLibrary(listed));
  EXPECT_FALSE(IsLoaded(kGoodComponent));
}

}  // namespace
}  // namespace rmtest
