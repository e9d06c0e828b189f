// pidtool: loads Rm7731.pid as a host does, creates the product identification plug-in
// and prints every product it reports.
#include <windows.h>
#include <unknwn.h>

#include <cstdio>

#include "product_identification.h"

namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

int CALLBACK PrintProduct(const ProductInfo* info, ULONG_PTR context) {
  ++*reinterpret_cast<int*>(context);
  std::printf("product");
  for (std::uint8_t byte : info->productCode) std::printf("%s%02X", &byte == info->productCode ? " " : "", byte);
  std::printf(" kind 0x%08lX %s \"%s\" driver %ld.%ld.%ld languages 0x%08lX\n",
              static_cast<unsigned long>(info->productKind),
              (info->flags & kProductInfoActive) ? "active" : "inactive", info->productName,
              static_cast<long>(info->driverVersion.major), static_cast<long>(info->driverVersion.minor),
              static_cast<long>(info->driverVersion.build),
              static_cast<unsigned long>(info->driverLanguageMask));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* modulePath = argc > 1 ? argv[1] : "Rm7731.pid";
  HMODULE module = LoadLibraryA(modulePath);
  if (module == nullptr) {
    std::fprintf(stderr, "pidtool: cannot load %s (error %lu)\n", modulePath, GetLastError());
    return 1;
  }
  auto getClassObject = reinterpret_cast<GetClassObjectFunction>(GetProcAddress(module, "DllGetClassObject"));
  auto canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(GetProcAddress(module, "DllCanUnloadNow"));
  if (getClassObject == nullptr || canUnloadNow == nullptr) {
    std::fprintf(stderr, "pidtool: %s is not a COM server module\n", modulePath);
    FreeLibrary(module);
    return 1;
  }

  int status = 1;
  void* out = nullptr;
  HRESULT hr = getClassObject(CLSID_ProductIdentificationPlugin, IID_IClassFactory, &out);
  if (FAILED(hr)) {
    std::fprintf(stderr, "pidtool: DllGetClassObject failed: 0x%08lX\n", static_cast<unsigned long>(hr));
  } else {
    auto* factory = static_cast<IClassFactory*>(out);
    hr = factory->CreateInstance(nullptr, IID_IProductIdentification, &out);
    factory->Release();
    if (FAILED(hr)) {
      std::fprintf(stderr, "pidtool: CreateInstance failed: 0x%08lX\n", static_cast<unsigned long>(hr));
    } else {
      auto* plugin = static_cast<IProductIdentification*>(out);
      int products = 0;
      hr = plugin->EnumerateProducts(&PrintProduct, reinterpret_cast<ULONG_PTR>(&products));
      plugin->Release();
      if (FAILED(hr)) {
        std::fprintf(stderr, "pidtool: EnumerateProducts failed: 0x%08lX\n", static_cast<unsigned long>(hr));
      } else {
        if (products == 0) std::printf("The system knows no supported camera.\n");
        status = 0;
      }
    }
  }
  std::printf("DllCanUnloadNow: %s\n", canUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
  FreeLibrary(module);
  return status;
}
