#pragma once
// The built Rm7731.pid loaded the way a host loads it, for host-level tests.

#include <windows.h>

namespace rmtest {

// Loads Rm7731.pid from the test program's folder once and keeps it loaded for the whole
// program; fails the test when it cannot be loaded.
HMODULE BuiltModule();

// An export of the built module by name, or null (the test then fails).
FARPROC BuiltModuleExport(const char* name);

template <typename Function>
Function BuiltModuleFunction(const char* name) {
  return reinterpret_cast<Function>(BuiltModuleExport(name));
}

}  // namespace rmtest
