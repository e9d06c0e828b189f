// The smallest host: compiled against the installed public headers and linked against the
// installed import library of Rm7731.pid; it calls library functions by name.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "product_identification.h"
#include "qx_framework.h"

int main() {
  char clsid[40] = "";
  const tagQXINTRFCRESULT converted =
      QXConvertCLSIDToString(CLSID_ProductIdentificationPlugin, clsid, sizeof clsid);
  std::printf("QXConvertCLSIDToString: %d %s\n", static_cast<int>(converted), clsid);

  // A read of a value that does not exist: touches nothing, answers QXIR_REGISTRY_ERROR.
  char text[64] = "";
  unsigned long needed = 0;
  const tagQXINTRFCRESULT read =
      QXGetRegistryStringValueData(HKEY_CURRENT_USER, "Software\\rm7731_package_host\\missing",
                                   "value", text, sizeof text, &needed);
  std::printf("QXGetRegistryStringValueData: %d\n", static_cast<int>(read));

  HMODULE module = GetModuleHandleA("Rm7731.pid");
  std::printf("Rm7731.pid loaded with the host: %s\n", module != nullptr ? "yes" : "no");
  const bool expected = converted == QXIR_SUCCESS &&
                        std::strcmp(clsid, "{5C1E2F7A-93B4-4D60-A1E8-3F0B6D92C415}") == 0 &&
                        read == QXIR_REGISTRY_ERROR && module != nullptr;
  return expected ? 0 : 1;
}
