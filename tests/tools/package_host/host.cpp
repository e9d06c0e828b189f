// The smallest host: compiled against the installed public headers and linked against the
// installed import library of Rm7731.pid; it calls library functions by name.
#include <windows.h>

#include <cstdio>

#include "product_identification.h"
#include "qx_framework.h"

int main() {
  // A read of a value that does not exist: touches nothing, answers QXIR_REGISTRY_ERROR.
  char text[64] = "";
  unsigned long needed = 0;
  const tagQXINTRFCRESULT read = QXGetRegistryStringValueData(
      HKEY_CURRENT_USER, "Software\\rm7731_package_host\\missing", "value", text, sizeof text, &needed);
  std::printf("QXGetRegistryStringValueData: %d\n", static_cast<int>(read));

  HMODULE module = GetModuleHandleA("Rm7731.pid");
  std::printf("Rm7731.pid loaded with the host: %s\n", module != nullptr ? "yes" : "no");
  return module != nullptr && read == QXIR_REGISTRY_ERROR ? 0 : 1;
}
