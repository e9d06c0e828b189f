// The smallest host: compiled against the installed public headers and linked against the
// installed import library of Rm7731.pid.
#include <windows.h>

#include <cstdio>

#include "product_identification.h"
#include "qx_framework.h"

int main() {
  // Linked by name through the import library: the process cannot start without the module.
  HMODULE module = GetModuleHandleA("Rm7731.pid");
  std::printf("Rm7731.pid loaded with the host: %s\n", module != nullptr ? "yes" : "no");
  return module != nullptr ? 0 : 1;
}
