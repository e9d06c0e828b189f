// A Visual C++ host of the product identification plug-ins: lists the cameras they report.
#include <windows.h>
#include <objbase.h>

#include <stdio.h>

#include "product_identification.h"
#include "qx_framework.h"

// The Windows SDK's combaseapi.h defines IID_PPV_ARGS; other SDK headers may not.
#ifndef IID_PPV_ARGS
template <typename T>
void** IID_PPV_ARGS_Helper(T** pp) {
  return reinterpret_cast<void**>(pp);
}
#define IID_PPV_ARGS(pp) __uuidof(**(pp)), IID_PPV_ARGS_Helper(pp)
#endif

// The record is valid only during the call: print (or copy) what is needed now.
static int CALLBACK PrintProduct(const ProductInfo* info, ULONG_PTR context) {
  unsigned* count = reinterpret_cast<unsigned*>(context);
  ++*count;
  printf("  product ");
  for (unsigned char byte : info->productCode) printf("%02X", byte);
  printf(" '%s' driver %d.%d.%d%s\n", info->productName, info->driverVersion.major,
         info->driverVersion.minor, info->driverVersion.build,
         (info->flags & kProductInfoActive) != 0 ? " (loaded)" : "");
  return 0;
}

int main() {
  const char* category = "CATEGORY_ProductIdentification";
  GUID clsids[16];
  unsigned long count = sizeof clsids / sizeof clsids[0];
  const tagQXINTRFCRESULT listed = QXEnumComponents(category, clsids, &count);
  if (listed != QXIR_SUCCESS) {
    printf("No plug-in is registered: QXEnumComponents returned %d\n", static_cast<int>(listed));
    return 1;
  }

  int failures = 0;
  for (unsigned long i = 0; i < count; ++i) {
    char name[256] = "";
    unsigned long needed = 0;
    QXGetComponentFriendlyName(clsids[i], name, sizeof name, &needed);

    IProductIdentification* plugin = nullptr;
    const tagQXINTRFCRESULT created =
        QXCreateInstance(clsids[i], nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&plugin));
    if (created != QXIR_SUCCESS) {
      printf("%s: QXCreateInstance returned %d\n", name, static_cast<int>(created));
      ++failures;
      continue;
    }
    unsigned products = 0;
    const HRESULT enumerated =
        plugin->EnumerateProducts(PrintProduct, reinterpret_cast<ULONG_PTR>(&products));
    plugin->Release();
    printf("%s: EnumerateProducts returned 0x%08lX, %u product(s)\n", name,
           static_cast<unsigned long>(enumerated), products);
    if (FAILED(enumerated)) ++failures;
  }
  // Released plug-ins answer DllCanUnloadNow with S_OK; this unloads their modules.
  QXFreeUnusedLibraries();
  printf("%lu plug-in(s), %d failure(s)\n", count, failures);
  return failures == 0 ? 0 : 1;
}
